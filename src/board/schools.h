#pragma once
// The schools' folders read into the board's month: each folder one school, its record files
// and its own school files, read as the school's own report reads them.

#include "board/board.h"
#include "report/report.h"
#include "report/year.h"

#include <QString>
#include <QStringList>

namespace velmora {

// Its first line, when there, names the school; else the folder's name does.
inline const QString kSchoolNameFile = QStringLiteral("学校名.txt");

// The school's name; a 学校名.txt that cannot be read (a link, a folder) throws Failure.
QString schoolName(const QString& folder);

// The folder's record files: its .dat files but the school's entries and the card registry.
QStringList folderRecordFiles(const QString& folder);

// The sub-folders of `folder` holding record files, by name: a board's folder of schools.
QStringList schoolFolders(const QString& folder);

struct BoardRequest {
    QStringList folders;
    ReportRequest base; // the month (required), the rules, the year; files and folder per school
};

// Every folder read, two or more at a time; one that cannot be read, or whose records' year
// cannot be decided, is left out with the reason. Only the figures the board shows are kept
// of each school, so memory stays small however many schools there are.
BoardReport buildBoard(const BoardRequest& request);

struct NamedYear {
    QString school;
    YearReport year;
};
struct BoardYears {
    QList<NamedYear> schools; // in the order the folders were given
    QList<LeftOut> leftOut;
    QStringList warnings;
};
// Each school's year holding the request's month, read and left out as buildBoard() does.
BoardYears buildBoardYears(BoardRequest request);

} // namespace velmora
