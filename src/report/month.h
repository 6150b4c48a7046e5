#pragma once
// One teacher's days and months: the time in school, the time beyond regular hours, and the
// flags of the limits on it (45 h a month, 360 h a school year; 100 h, an 80 h average over
// 2 to 6 months, 720 h a year and six months over 45 h under special circumstances).

#include <QDate>
#include <QFlags>
#include <QList>
#include <QSet>
#include <QString>

namespace velmora {

// What a day's 備考 says: the kind of day off, then the marks of a day that counts no time.
enum class Note : unsigned {
    Holiday = 1 << 0,      // 祝日
    DayOff = 1 << 1,       // 休業日
    BadTime = 1 << 2,      // 時刻不正
    NoArrival = 1 << 3,    // 退のみ
    NoLeaving = 1 << 4,    // 出のみ
    TwoArrivals = 1 << 5,  // 出が2回
    LeavingFirst = 1 << 6, // 退が出より前
};
Q_DECLARE_FLAGS(Notes, Note)
Q_DECLARE_OPERATORS_FOR_FLAGS(Notes)
// A mark asks for a correction at the terminal; a day off does not.
inline bool hasMark(Notes notes) {
    return (notes & ~Notes(Note::Holiday | Note::DayOff)).toInt() != 0;
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

// The names joined by "・", as every output shows them.
QString notesText(Notes notes);
QString flagsText(Flags flags);

struct WorkRules {
    int regularMinutes = 7 * 60 + 45;
    int breakMinutes = 45;
    QSet<QDate> daysOff; // school closure days: no regular hours
};

// One record of a day: the clock time in minutes, -1 when empty or unreadable.
struct DayRecord {
    bool arrival;
    int minutes;
};

struct Day {
    QDate date;
    int arrival = -1;  // the earliest readable arrival, for display
    int leaving = -1;  // the latest readable leaving
    int inSchool = -1; // -1: no time counted
    int beyond = -1;
    bool offDay = false; // weekend, national holiday or day off
    Notes notes;
};

// A day without records: its date and what kind of day off it is.
Day calendarDay(QDate date, const WorkRules& rules);
// The day's figures from its records in any order; nothing is guessed.
Day evaluateDay(const Day& calendar, const QList<DayRecord>& records, const WorkRules& rules);

// The flags of a month. `monthly` holds the minutes beyond regular hours of the months up
// to this one, oldest first (at least six; a month without records is 0); `inSchoolYear`
// how many of the last of them belong to this school year (April = 1).
Flags monthFlags(const QList<int>& monthly, int inSchoolYear);

// "H:MM" for minutes; hours run past 24.
QString hoursText(int minutes);
// hoursText(), or blank for -1 (no time counted).
QString durationText(int minutes);

} // namespace velmora
