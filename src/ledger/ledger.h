#pragma once
// The school's own facts beside the record files, in the folder the office collects them in:
// the staff list (職員.csv: each person's regular hours by weekday), the school calendar
// (年間予定.csv: a date's regular hours for the whole school) and the entries (申告.dat:
// trips, telework, self-study, corrections and leave, only ever appended, a cancellation
// being an entry of its own). Plain files, so that an office opens them in Excel and copies
// them with the folder. Read from UTF-8 (with or without a byte-order mark) or CP932; written
// as CP932 with CR LF and every field quoted, as the record files are. A malformed line is a
// problem naming its file and line, and is skipped: it never stops a report.

#include <QByteArray>
#include <QDate>
#include <QDateTime>
#include <QDir>
#include <QList>
#include <QString>
#include <QStringList>
#include <array>
#include <optional>

namespace velmora {

inline const QString kStaffFile = QStringLiteral("職員.csv");
inline const QString kCalendarFile = QStringLiteral("年間予定.csv");
inline const QString kEntriesFile = QStringLiteral("申告.dat");

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
    bool cancels = false; // "…取消": cancels the latest earlier entry of this kind, name and date
    int start = -1, end = -1; // minutes from 0:00; -1 when empty
    QString reason;           // 理由
    int line = 0;             // in its file; 0 for one not yet written
};

// An entry as it stands now: the cancellation that cancelled it, if one did.
struct EntryState {
    Entry entry;
    std::optional<Entry> cancelledBy;
    bool cancelled() const { return cancelledBy.has_value(); }
};

struct Ledger {
    QString folder; // where it was read from
    QList<StaffLine> staff;
    QList<CalendarLine> calendar;
    QList<Entry> entries; // in the file's order, cancellations included
    QList<LedgerProblem> problems;
};

// The three files of `folder`; a missing file means none of its kind. A file that is there but
// cannot be read (no regular file, unreadable) throws Failure naming it.
Ledger readLedger(const QDir& folder);

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
QByteArray entryLine(const Entry& entry);
// Appends the entry to the folder's 申告.dat, locked and on the disk as the terminals'
// records are, whole or not at all. Throws Failure, also for an entry with a fault.
void appendEntry(const QDir& folder, const Entry& entry);

// Every entry that is no cancellation, with the cancellation that cancelled it. A
// cancellation with nothing left to cancel is a problem.
QList<EntryState> entryStates(const QList<Entry>& entries,
                              QList<LedgerProblem>* problems = nullptr);

} // namespace velmora
