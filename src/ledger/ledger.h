#pragma once
// The school's own facts beside the record files, in the folder the office collects them in:
// the staff list (職員.csv: each person's regular hours by weekday), the school calendar
// (年間予定.csv: a date's regular hours for the whole school) and the entries (申告.dat:
// trips, telework, self-study, corrections and leave, only ever appended, a cancellation
// being an entry of its own). Plain files, so that an office opens them in Excel and copies
// them with the folder. Each line is read from UTF-8 or CP932 on its own (a file may mix
// both); written as CP932 with CR LF and every field quoted, as the record files are (an
// entry appended to a UTF-8 申告.dat in UTF-8). A malformed line is a problem naming its file
// and line, and is skipped: it never stops a report, and a list saved keeps it as it was.

#include <QByteArray>
#include <QDate>
#include <QDateTime>
#include <QDir>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <array>
#include <memory>
#include <optional>

namespace velmora {

struct FileCalls;

inline const QString kStaffFile = QStringLiteral("職員.csv");
inline const QString kCalendarFile = QStringLiteral("年間予定.csv");
inline const QString kEntriesFile = QStringLiteral("申告.dat");
// 締め.dat is one of the school's files, beside 申告.dat
inline const QString kClosingsFile = QStringLiteral("締め.dat");

// A line that could not be taken: "職員.csv 3行目: …".
struct LedgerProblem {
    QString file; // its bare name
    int line = 0; // from 1
    QString message;
    QString text() const;
};

// One line of the staff list: a person's regular hours, Monday to Friday, between two dates.
struct StaffLine {
    QString name;
    std::array<int, 5> weekday{-1, -1, -1, -1, -1}; // minutes; -1: the school's of that date
    QDate from, to;                                 // invalid: without that bound
    bool applies(QDate date) const {
        return (!from.isValid() || date >= from) && (!to.isValid() || date <= to);
    }
};

// One date of the school calendar: its regular hours for the whole school (0: closed).
struct CalendarLine {
    QDate date;
    int minutes = 0;
    QString title; // 名称: 土曜授業, 学校閉庁日, …
};

enum class EntryKind {
    Trip,       // 出張: duty outside school, counted
    Telework,   // 在宅: counted
    SelfStudy,  // 研鑽: not duty, taken out
    ArrivalFix, // 出訂正: the day's arrival (start) in place of the card's
    LeavingFix, // 退訂正: the day's leaving (end) in place of the card's
    Leave,      // 休暇: from start to end, or the whole day when both are empty
};
// "出張", …; a cancellation adds "取消".
QString entryKindName(EntryKind kind, bool cancels = false);

struct Entry {
    QDateTime written; // 記入日時, to the minute
    QString writer;    // 記入者
    QString name;      // 氏名
    QDate date;        // 日付
    EntryKind kind = EntryKind::Trip;
    // "…取消": cancels the latest earlier entry not yet cancelled of this kind, name, date,
    // 開始 and 終了; one with both times empty (older files) the latest of the kind that day.
    bool cancels = false;
    int start = -1, end = -1; // minutes from 0:00; -1 when empty
    QString reason;           // 理由
    int line = 0;             // in its file; 0 for one not yet written
};

// An entry as it stands now: the cancellation that cancelled it, if one did.
struct EntryState {
    Entry entry;
    std::shared_ptr<const Entry> cancelledBy;
    bool cancelled() const { return cancelledBy != nullptr; }
};

// A day's or a teacher's month figures as closed; -1: not counted (as in Day).
struct ClosedFigures {
    int arrival = -1, leaving = -1; // a day's only
    int inSchool = -1, beyond = -1, regular = 0;
    QString fingerprint; // SHA-256 as 64 lower-case hex characters
    bool operator==(const ClosedFigures&) const = default;
};

// One closing of a month (締め): its figures as they were, appended to 締め.dat, never changed.
struct Closing {
    QDate month;                            // its first day
    QDateTime at;                           // when it was closed, to the minute
    QString by;                             // who closed it (記入者)
    QString reason;                         // empty for a first closing without days to correct
    QHash<QString, ClosedFigures> teachers; // by name: the month's totals
    QHash<QString, QHash<QDate, ClosedFigures>> days; // by name, then date
};

struct Ledger {
    QString folder; // where it was read from
    QList<StaffLine> staff;
    QList<CalendarLine> calendar;
    QList<Entry> entries; // in the file's order, cancellations included
    QList<LedgerProblem> problems;
    QList<Closing> closings{}; // in the file's order
};

// The dates a report needs: only the entries of these are kept.
struct DateRange {
    QDate from, to;
    bool contains(QDate date) const { return date >= from && date <= to; }
};

// The three files of `folder`; a missing file means none of its kind. A file that is there but
// cannot be read (no regular file, unreadable, a list over 16 MiB) throws Failure naming it.
// 申告.dat has no limit: it is read a block at a time and only the entries within `dates`
// (all without) are kept; of 締め.dat, only the closings of the month `dates` end in.
Ledger readLedger(const QDir& folder, std::optional<DateRange> dates = std::nullopt);

// The staff list or the calendar line by line as the file holds it, for the window: nothing
// of it is lost by saving, and a file changed since it was read is not replaced.
struct ListLine {
    int number = 0;     // from 1
    QByteArray bytes;   // as in the file, without the line end
    QStringList fields; // as read; the whole line as one field when its quotes do not pair
    QString problem;    // why the reader skips it; empty for a line it takes
};
// What the file was when read: the window saves over that and nothing else.
struct FileVersion {
    bool exists = false;
    qint64 size = 0;
    qint64 modified = 0;
    QByteArray hash;
    bool operator==(const FileVersion&) const = default;
};
struct ListFile {
    QString name;       // 職員.csv, 年間予定.csv
    QString unreadable; // why the file cannot be read; empty when it was
    FileVersion version;
    QList<ListLine> lines; // each holding anything, but the header
};
ListFile readListFile(const QDir& folder, const QString& name);
// The lines of a list's bytes, each with the reader's verdict.
QList<ListLine> listLines(const QByteArray& bytes, const QString& name);
// The header line of the list, as Velmora writes it.
QByteArray listHeader(const QString& name);

// Thrown when the file is no longer the one read: another PC saved it meanwhile.
class ChangedFile : public std::runtime_error {
public:
    ChangedFile() : std::runtime_error("changed") {}
};
// Replaces the list file with `bytes`, whole, only while it is still `read` (its size, time of
// change and content, checked under the file's lock); otherwise throws ChangedFile and writes
// nothing. Written beside it under a name starting ".velmora-save-", renamed over it; such a
// file an earlier save left (the program killed) is removed first. Throws Failure. The file
// calls are `calls`, the system's own when none are given.
void replaceListFile(const QDir& folder, const QString& name, const QByteArray& bytes,
                     const FileVersion& read, std::shared_ptr<const FileCalls> calls = nullptr);
// What names such a file.
inline const QString kSavePrefix = QStringLiteral(".velmora-save-");

// A file's lines from its bytes, in either encoding; `file` names it in the problems.
QList<StaffLine> parseStaff(const QByteArray& bytes, const QString& file,
                            QList<LedgerProblem>& problems);
QList<CalendarLine> parseCalendar(const QByteArray& bytes, const QString& file,
                                  QList<LedgerProblem>& problems);
QList<Entry> parseEntries(const QByteArray& bytes, const QString& file,
                          QList<LedgerProblem>& problems);

// The whole file as Velmora writes it: a header line, then the lines. nullopt with a message
// for a text the format cannot hold (a double quote, a line break, a character CP932 lacks).
std::optional<QByteArray> staffBytes(const QList<StaffLine>& staff, QString* fault = nullptr);
std::optional<QByteArray> calendarBytes(const QList<CalendarLine>& calendar,
                                        QString* fault = nullptr);
// Replaced whole through the safe replace, never through a link. Throws Failure.
void writeStaff(const QDir& folder, const QList<StaffLine>& staff);
void writeCalendar(const QDir& folder, const QList<CalendarLine>& calendar);

// Why the entry cannot be taken (a message for the dialog), or nullopt: a date outside
// 2000–2099, a time that is no time of day, an end not after its start, a missing time its
// kind needs, an empty reason, a text the format cannot hold.
std::optional<QString> entryFault(const Entry& entry);
// One line of 申告.dat.
QByteArray entryLine(const Entry& entry, bool utf8 = false);
// Appends the entry to the folder's 申告.dat, locked and on the disk as the terminals'
// records are, whole or not at all, in the file's own encoding: UTF-8 when it starts with a
// byte-order mark or its first line holding more than ASCII is UTF-8, CP932 otherwise. Throws
// Failure, also for an entry with a fault.
void appendEntry(const QDir& folder, const Entry& entry);

// 締め.dat: one line per teacher and day, then one with the teacher's month totals (its date
// field "月計"), each "月","締め日時","記入者","氏名","日付","出","退","在校等時間","時間外",
// "所定","指紋","理由" in CP932 with CR LF. The lines of one closing share its month, time,
// writer and reason.
QByteArray closingBytes(const Closing& closing);
// The closings of the bytes, in their order; a malformed line is a problem naming `file`.
// With `dates`, only the closings of the month they end in: the report's.
QList<Closing> parseClosings(const QByteArray& bytes, const QString& file,
                             QList<LedgerProblem>& problems,
                             std::optional<DateRange> dates = std::nullopt);
// Appends the closing to the folder's 締め.dat as appendEntry appends an entry. Throws Failure,
// also for a name or reason CP932 cannot hold.
void appendClosing(const QDir& folder, const Closing& closing);

// Every entry that is no cancellation, with the cancellation that cancelled it. A
// cancellation with nothing left to cancel is a problem. Matched through a hash of the keys.
QList<EntryState> entryStates(const QList<Entry>& entries,
                              QList<LedgerProblem>* problems = nullptr);
// Whether `cancellation`, appended after `entries`, would cancel the entry at `index` of their
// states: the window cancels only the entry chosen, never another by the same keys.
bool wouldCancel(QList<Entry> entries, const Entry& cancellation, qsizetype index);

} // namespace velmora
