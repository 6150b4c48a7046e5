#include "report/month.h"

#include "report/holidays.h"
#include "texts/texts.h"

#include <algorithm>
#include <numeric>

namespace velmora {

namespace {

QString joined(unsigned bits, const QStringList& names) {
    QStringList shown;
    for (qsizetype i = 0; i < names.size(); ++i)
        if (bits & (1u << i)) shown << names[i];
    return shown.join(u'・');
}

} // namespace

QString notesText(Notes notes) { return joined(notes.toInt(), texts::kNotes); }
QString flagsText(Flags flags) { return joined(flags.toInt(), texts::kFlags); }

QString durationText(int minutes) { return minutes < 0 ? QString() : hoursText(minutes); }

QString hoursText(int minutes) {
    return QStringLiteral("%1:%2").arg(minutes / 60).arg(minutes % 60, 2, 10, QChar(u'0'));
}

Day calendarDay(QDate date, const WorkRules& rules) {
    Day day;
    day.date = date;
    day.notes.setFlag(Note::Holiday, isNationalHoliday(date));
    day.notes.setFlag(Note::DayOff, rules.daysOff.contains(date));
    day.offDay = day.notes.toInt() != 0 || date.dayOfWeek() >= Qt::Saturday;
    return day;
}

Day evaluateDay(const Day& calendar, const QList<DayRecord>& records, const WorkRules& rules) {
    Day day = calendar;

    int arrivals = 0, leavings = 0, distinctArrivals = 0;
    bool unreadable = false;
    for (qsizetype i = 0; i < records.size(); ++i) {
        const DayRecord& r = records[i];
        // 24:00 ends a day; no day starts there.
        const bool readable = r.minutes >= 0 && (!r.arrival || r.minutes < 24 * 60);
        unreadable |= !readable;
        if (r.arrival) {
            ++arrivals;
            // The same arrival read from two files (a terminal and a teacher's PC) is one;
            // an unreadable one is 時刻不正, not a second arrival.
            bool again = !readable;
            for (qsizetype j = 0; !again && j < i; ++j)
                again = records[j].arrival && records[j].minutes == r.minutes;
            distinctArrivals += again ? 0 : 1;
            if (readable && (day.arrival < 0 || r.minutes < day.arrival)) day.arrival = r.minutes;
        } else {
            ++leavings;
            if (readable && r.minutes > day.leaving) day.leaving = r.minutes;
        }
    }
    if (records.isEmpty()) return day;
    day.notes.setFlag(Note::BadTime, unreadable);
    day.notes.setFlag(Note::NoArrival, arrivals == 0);
    day.notes.setFlag(Note::NoLeaving, leavings == 0);
    day.notes.setFlag(Note::TwoArrivals, distinctArrivals > 1);
    const bool complete = !unreadable && distinctArrivals == 1 && leavings > 0;
    day.notes.setFlag(Note::LeavingFirst, complete && day.leaving < day.arrival);
    if (!complete || day.leaving < day.arrival) return day;

    // The break is taken out only as far as the stay exceeds 6 hours, so that a longer
    // day never counts less than a shorter one.
    const int stay = day.leaving - day.arrival;
    day.inSchool = stay - std::clamp(stay - 6 * 60, 0, rules.breakMinutes);
    day.beyond = day.offDay ? day.inSchool : std::max(0, day.inSchool - rules.regularMinutes);
    return day;
}

Flags monthFlags(const QList<int>& monthly, int inSchoolYear) {
    constexpr int h = 60;
    const int month = monthly.isEmpty() ? 0 : monthly.back();
    Flags flags;
    flags.setFlag(Flag::Over45, month > 45 * h);
    flags.setFlag(Flag::Over80, month >= 80 * h);
    flags.setFlag(Flag::Over100, month >= 100 * h);
    // Any average over the last 2 to 6 months above 80 h: sum > 80 h × months.
    int sum = month;
    bool averageOver = false;
    for (int k = 2; k <= 6 && k <= monthly.size(); ++k) {
        sum += monthly[monthly.size() - k];
        averageOver |= sum > 80 * h * k;
    }
    flags.setFlag(Flag::Average80, averageOver);
    const auto year = monthly.end() - std::min<qsizetype>(inSchoolYear, monthly.size());
    flags.setFlag(Flag::SevenOver45,
                  std::count_if(year, monthly.end(), [](int m) { return m > 45 * h; }) > 6);
    const int yearTotal = std::accumulate(year, monthly.end(), 0);
    flags.setFlag(Flag::Year360, yearTotal > 360 * h);
    flags.setFlag(Flag::Year720, yearTotal > 720 * h);
    return flags;
}

} // namespace velmora
