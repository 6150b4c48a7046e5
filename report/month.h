#pragma once
// One teacher's days and months: the time in school, the time beyond regular hours, and the
// flags of the limits on it (45 h a month, 360 h a school year; 100 h, an 80 h average over
// 2 to 6 months, 720 h a year and six months over 45 h under special circumstances).

#include <QDate>
#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>

namespace velmora {

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
    QStringList notes;   // the marks, and what kind of day off
};

// A day without records: its date and what kind of day off it is.
Day calendarDay(QDate date, const WorkRules& rules);
// The day's figures from its records in any order; nothing is guessed.
Day evaluateDay(const Day& calendar, const QList<DayRecord>& records, const WorkRules& rules);

// The flags of a month. `monthly` holds the minutes beyond regular hours of the months up
// to this one, oldest first (at least six; a month without records is 0); `inSchoolYear`
// how many of the last of them belong to this school year (April = 1).
QStringList monthFlags(const QList<int>& monthly, int inSchoolYear);

// "H:MM" for minutes; hours run past 24.
QString hoursText(int minutes);

} // namespace velmora
