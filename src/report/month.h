#pragma once
// One teacher's days and months: the time in school, the time beyond regular hours, and the
// flags of the limits on it (45 h a month, 360 h a school year; 100 h, an 80 h average over
// 2 to 6 months, 720 h a year and six months over 45 h under special circumstances).

#include "ledger/ledger.h"
#include "storage/times.h"

#include <QDate>
#include <QFlags>
#include <QHash>
#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>
#include <optional>

namespace velmora {

// What a day's 備考 says: the kind of day off, then the marks of a day that counts no time.
enum class Note : unsigned {
    Holiday = 1 << 0,      // 祝日
    DayOff = 1 << 1,       // 休業日
    YearEnd = 1 << 2,      // 年末年始
    BadTime = 1 << 3,      // 時刻不正
    NoArrival = 1 << 4,    // 退のみ
    NoLeaving = 1 << 5,    // 出のみ
    TwoArrivals = 1 << 6,  // 出が2回
    LeavingFirst = 1 << 7, // 退が出より前
};
Q_DECLARE_FLAGS(Notes, Note)
Q_DECLARE_OPERATORS_FOR_FLAGS(Notes)
// A mark asks for a correction at the terminal; a day off does not.
inline bool hasMark(Notes notes) {
    return (notes & ~Notes(Note::Holiday | Note::DayOff | Note::YearEnd)).toInt() != 0;
}

// The limits a month went beyond.
enum class Flag : unsigned {
    Over45 = 1 << 0,      // 月45時間超
    Over80 = 1 << 1,      // 月80時間以上
    Over100 = 1 << 2,     // 月100時間以上
    Average80 = 1 << 3,   // 2〜6か月平均80時間超
    SevenOver45 = 1 << 4, // 45時間超が年7か月以上
    Year360 = 1 << 5,     // 年360時間超
    Year720 = 1 << 6,     // 年720時間超
};
Q_DECLARE_FLAGS(Flags, Flag)
Q_DECLARE_OPERATORS_FOR_FLAGS(Flags)
// The month's hours beyond of Over45 and Over80, also the lines the summary chart draws.
constexpr int kOver45Hours = 45;
constexpr int kOver80Hours = 80;

// The names joined by "・", as every output shows them.
QString notesText(Notes notes);
QString flagsText(Flags flags);

struct WorkRules {
    int regularMinutes = 7 * 60 + 45; // a working day's, where nothing else says
    int breakMinutes = 45;
    QSet<QDate> daysOff;                    // school closure days: no regular hours
    QHash<QDate, CalendarLine> calendar;    // the school's hours of a date, over all else
    QHash<QString, QList<StaffLine>> staff; // each person's lines, in the file's order
};

// One record of a day: the clock time in minutes, -1 when empty or unreadable.
struct DayRecord {
    bool arrival;
    int minutes;
};

struct Day {
    QDate date;
    int arrival = -1;  // 出訂正's, else the earliest readable arrival, for display
    int leaving = -1;  // 退訂正's, else the latest readable leaving
    int inSchool = -1; // -1: no time counted
    int beyond = -1;
    int regular = 0;      // 所定: the person's regular hours, less leave
    int outside = -1;     // 校外: the counted time outside the span in school; -1 with inSchool
    int takenOut = -1;    // 控除: the break and the self-study taken out; -1 with inSchool
    int cardArrival = -1; // the card's own, shown beside a correction
    int cardLeaving = -1;
    bool offDay = false; // weekend, national holiday or day off, unless the calendar gives hours
    Notes notes;
    QStringList remarks; // after the notes in 備考: the calendar's 名称 and the day's entries
    QString fingerprint; // this day's (64 hex)
    // Only when the day changed since the month's latest closing.
    std::optional<ClosedFigures> closedAs;
};

// 備考: the notes, then the remarks.
QString dayNotesText(const Day& day);

// A day without records: its date, what kind of day off it is and the calendar's 名称.
Day calendarDay(QDate date, const WorkRules& rules);
// A person's regular minutes on a day from calendarDay(), before leave: none on a day off;
// else the weekday's hours of the person's staff line applying then, else the calendar's
// hours of the date, else the rules' regular minutes.
int regularMinutes(const QString& name, const Day& calendar, const WorkRules& rules);
// The day's figures from its records in any order and its entries (cancelled ones count for
// nothing), `regular` from regularMinutes(); nothing is guessed.
Day evaluateDay(const Day& calendar, const QList<DayRecord>& records,
                const QList<EntryState>& entries, int regular, const WorkRules& rules);

// The flags of a month. `monthly` holds the minutes beyond regular hours of the months up
// to this one, oldest first (at least six; a month without records is 0); `inSchoolYear`
// how many of the last of them belong to this school year (April = 1).
Flags monthFlags(const QList<int>& monthly, int inSchoolYear);

// The sheets' names for timeText(): a sum, and a day's figure left blank when not counted.
inline QString hoursText(int minutes) { return timeText(minutes); }
inline QString durationText(int minutes) { return timeText(minutes); }

} // namespace velmora
