#include "report/month.h"

#include "report/holidays.h"

#include <algorithm>
#include <numeric>

namespace velmora {

QString hoursText(int minutes) {
    return QStringLiteral("%1:%2").arg(minutes / 60).arg(minutes % 60, 2, 10, QChar(u'0'));
}

Day calendarDay(QDate date, const WorkRules& rules) {
    Day day;
    day.date = date;
    if (isNationalHoliday(date)) day.notes << QStringLiteral("祝日");
    if (rules.daysOff.contains(date)) day.notes << QStringLiteral("休業日");
    day.offDay = !day.notes.isEmpty() || date.dayOfWeek() >= Qt::Saturday;
    return day;
}

Day evaluateDay(const Day& calendar, const QList<DayRecord>& records, const WorkRules& rules) {
    Day day = calendar;

    int arrivals = 0, leavings = 0;
    bool unreadable = false;
    for (qsizetype i = 0; i < records.size(); ++i) {
        const DayRecord& r = records[i];
        // 24:00 ends a day; no day starts there.
        const bool readable = r.minutes >= 0 && (!r.arrival || r.minutes < 24 * 60);
        unreadable |= !readable;
        if (r.arrival) {
            ++arrivals;
            // The same arrival read from two files (a terminal and a teacher's PC) is one.
            for (qsizetype j = 0; readable && j < i; ++j)
                if (records[j].arrival && records[j].minutes == r.minutes) {
                    --arrivals;
                    break;
                }
            if (readable && (day.arrival < 0 || r.minutes < day.arrival)) day.arrival = r.minutes;
        } else {
            ++leavings;
            if (readable && r.minutes > day.leaving) day.leaving = r.minutes;
        }
    }
    if (records.isEmpty()) return day;
    if (unreadable) day.notes << QStringLiteral("時刻不正");
    if (arrivals == 0) day.notes << QStringLiteral("退のみ");
    if (leavings == 0) day.notes << QStringLiteral("出のみ");
    if (arrivals > 1) day.notes << QStringLiteral("出が2回");
    const bool complete = !unreadable && arrivals == 1 && leavings > 0;
    if (complete && day.leaving < day.arrival) day.notes << QStringLiteral("退が出より前");
    if (!complete || day.leaving < day.arrival) return day;

    const int stay = day.leaving - day.arrival;
    day.inSchool = stay > 6 * 60 ? stay - rules.breakMinutes : stay;
    day.beyond = day.offDay ? day.inSchool : std::max(0, day.inSchool - rules.regularMinutes);
    return day;
}

QStringList monthFlags(const QList<int>& monthly, int inSchoolYear) {
    constexpr int h = 60;
    const int month = monthly.isEmpty() ? 0 : monthly.back();
    QStringList flags;
    if (month > 45 * h) flags << QStringLiteral("月45時間超");
    if (month >= 80 * h) flags << QStringLiteral("月80時間以上");
    if (month >= 100 * h) flags << QStringLiteral("月100時間以上");
    // Any average over the last 2 to 6 months above 80 h: sum > 80 h × months.
    int sum = month;
    bool averageOver = false;
    for (int k = 2; k <= 6 && k <= monthly.size(); ++k) {
        sum += monthly[monthly.size() - k];
        averageOver |= sum > 80 * h * k;
    }
    if (averageOver) flags << QStringLiteral("2〜6か月平均80時間超");
    const auto year = monthly.end() - std::min<qsizetype>(inSchoolYear, monthly.size());
    if (std::count_if(year, monthly.end(), [](int m) { return m > 45 * h; }) > 6)
        flags << QStringLiteral("45時間超が年7か月以上");
    const int yearTotal = std::accumulate(year, monthly.end(), 0);
    if (yearTotal > 360 * h) flags << QStringLiteral("年360時間超");
    if (yearTotal > 720 * h) flags << QStringLiteral("年720時間超");
    return flags;
}

} // namespace velmora
