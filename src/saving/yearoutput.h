#pragma once
// The year of each teacher as files: a CSV and an XLSX of one row per teacher, the PDF
// painted by the printing library; a workbook of several schools for the board.

#include "report/year.h"
#include "saving/saving.h"

#include <QByteArray>
#include <QDir>
#include <QList>
#include <QStringList>
#include <functional>
#include <memory>

namespace velmora {

struct FileCalls;

struct SchoolYear {
    QString school; // the folder's or 学校名.txt's name; empty for the school of the folder
    YearReport year;
};

// The columns, and a teacher's cells under them, in every output of the year alike: 氏名,
// 在校等時間 and 時間外 of each month April to March (blank for months without figures), then
// texts::kYearTotalColumns.
QStringList yearColumns();
QStringList yearCells(const TeacherYear& teacher);

QByteArray yearCsv(const YearReport& year);

// One workbook at `path` with a sheet per school, named after it (the school year's title
// when it has none), durations as [h]:mm and the flags in red. libxlsxwriter's temporary
// files go into the folder of `path`. Throws Failure naming `shownPath`.
void writeYearsXlsx(const QList<SchoolYear>& schools, const QString& path,
                    const QString& shownPath);

// The PDF's bytes, a page per school; the printing library makes them.
using YearPdfMaker = std::function<QByteArray(const QList<SchoolYear>&)>;

// Writes the chosen files into `folder` under yearOutputNames(), all of them or none, as
// saveReport() does; returns their paths. Throws Failure.
QStringList saveYear(const SchoolYear& school, const QDir& folder, Formats formats,
                     const YearPdfMaker& pdf = {},
                     std::shared_ptr<const FileCalls> calls = nullptr);

// The board's workbook of every school's year: "在校等時間_教育委員会_2026年度.xlsx", written whole
// or not at all into `folder`; returns its path. Throws Failure.
QString boardYearsName(int schoolYear);
QString saveBoardYears(const QList<SchoolYear>& schools, const QDir& folder,
                       std::shared_ptr<const FileCalls> calls = nullptr);

} // namespace velmora
