#pragma once
// The month's report from the record files: every teacher's days and month figures.

#include "ledger/ledger.h"
#include "report/month.h"
#include "report/progress.h"

#include <QDate>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

namespace velmora {

enum class ClosingState { Open, Closed, Changed }; // 未締め, 締め済み, 締め後に変更

struct TeacherMonth {
    QString name{};
    QList<Day> days{};  // every day of the month
    int workedDays = 0; // days that count time (a trip-only day too)
    int toCorrect = 0;  // 要確認: days with a mark, which count no time until corrected
    int inSchool = 0;
    int beyond = 0;
    int yearBeyond = 0; // April to this month
    int regular = 0;    // 所定: the month's regular hours, after leave
    Flags flags{};
    QString fingerprint{};                     // the month's, over its days' fingerprints
    ClosingState closing = ClosingState::Open; // Changed also for a teacher the closing lacks
    std::optional<ClosedFigures> closedAs{};   // the month's totals at closing, when Changed
};

struct MonthReport {
    QDate month;                  // its first day
    QList<TeacherMonth> teachers; // by name
    int skipped = 0;              // lines no record could be read from
    QStringList warnings;         // records dated on an assumption, each naming its file and line
    Ledger ledger;                // the school's files the figures were computed with; their
                                  // lines skipped in its problems
    QList<EntryState> entries;    // the ledger's entries as they stand, cancellations matched
    QStringList recorded;         // the names with records in the school year, as written
    QStringList chainNotes;       // record files edited since written, or without a chain
    QList<Closing> closings;      // this month's, oldest first; the last is the one compared with
};

// A record file left out of a report, and why.
struct FileFault {
    QString path;
    QString reason;       // a message naming the file
    bool undated = false; // its last record's year is not known: `--last-year`'s question
};

struct ReportRequest {
    QStringList files;
    std::optional<int> lastYear; // else each file's modification year
    std::optional<QDate> month;  // its first day; else the month of the newest record
    WorkRules rules;
    ProgressMeter* progress = nullptr;     // told the bytes read of all the files
    QDate today = QDate::currentDate();    // no file's modification year lies after its year
    std::optional<QString> ledgerFolder{}; // the school's files; else the first file's folder
    QHash<QString, int> lastYears{};       // by path, before `lastYear`
    // When given, a record file that cannot be read or dated is listed here and left out,
    // and the report is made from the others, rather than failing for the whole folder.
    QList<FileFault>* fileFaults = nullptr;
    // The year's report: each teacher's days run from the five months before the school year's
    // April, which April's averages reach back to, up to the month; the figures stay the month's.
    bool wholeYear = false;
};

// Reads each file once, as the terminal reads it. Faults (a missing or unreadable file, one
// that is no regular file, a modification year that cannot be the last record's, no record in
// the month, which is how a month is known to have none) throw Failure naming the file; so
// does a stop asked for through the progress.
MonthReport buildReport(const ReportRequest& request);

// The folder the school's files are read from without `--ledger`: the first record file's;
// empty without files.
QString ledgerFolderOf(const QStringList& files);
// The files of `paths` that hold records: not 申告.dat, 締め.dat nor the card registry, which end
// in .dat too. The others are added to `others`.
bool isRecordFile(const QString& path);
QStringList recordFiles(const QStringList& paths, QStringList* others = nullptr);

} // namespace velmora
