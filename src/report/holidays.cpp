#include "report/holidays.h"

#include <algorithm>
#include <array>
#include <bitset>
#include <mutex>

namespace velmora {
namespace {

// The n-th Monday of the month (Happy Monday days).
QDate nthMonday(int year, int month, int n) {
    const QDate first(year, month, 1);
    const int toMonday = (Qt::Monday - first.dayOfWeek() + 7) % 7;
    return first.addDays(toMonday + 7 * (n - 1));
}

// The equinoxes by the usual approximation, good from 1980 to 2099.
int equinoxDay(int year, double base) {
    const int y = year - 1980;
    return int(base + 0.242194 * y - y / 4);
}

QList<QDate> namedDays(int year) {
    QList<QDate> days = {QDate(year, 1, 1),
                         nthMonday(year, 1, 2),
                         QDate(year, 2, 11),
                         QDate(year, 3, equinoxDay(year, 20.8431)),
                         QDate(year, 4, 29),
                         QDate(year, 5, 3),
                         QDate(year, 5, 4),
                         QDate(year, 5, 5),
                         QDate(year, 9, equinoxDay(year, 23.2488)),
                         QDate(year, 11, 3),
                         QDate(year, 11, 23)};
    if (year >= 2020) days << QDate(year, 2, 23);
    if (year <= 2018) days << QDate(year, 12, 23);
    // 5/4 became a named day in 2007; before, it was a day off only between two holidays,
    // which the citizens' rule below gives, so it is left out here.
    if (year < 2007) days.removeAll(QDate(year, 5, 4));
    // Marine Day, Respect for the Aged Day and Sports Day moved to Mondays in 2003 and
    // 2000; the Olympic years moved three of them once.
    if (year == 2020) {
        days << QDate(2020, 7, 23) << QDate(2020, 7, 24) << QDate(2020, 8, 10);
    } else if (year == 2021) {
        days << QDate(2021, 7, 22) << QDate(2021, 7, 23) << QDate(2021, 8, 8);
    } else {
        days << (year < 2003 ? QDate(year, 7, 20) : nthMonday(year, 7, 3))
             << nthMonday(year, 10, 2);
        if (year >= 2016) days << QDate(year, 8, 11);
    }
    days << (year < 2003 ? QDate(year, 9, 15) : nthMonday(year, 9, 3));
    // The enthronement: the day itself and the ceremony.
    if (year == 2019) days << QDate(2019, 5, 1) << QDate(2019, 10, 22);
    std::sort(days.begin(), days.end());
    return days;
}

} // namespace

QList<QDate> nationalHolidays(int year) {
    if (year < 2000 || year > 2099) return {};
    const QList<QDate> named = namedDays(year);
    QList<QDate> all = named;
    // Citizens' holidays: a day between two named days; before 2007 not on a Sunday.
    for (qsizetype i = 0; i + 1 < named.size(); ++i) {
        const QDate between = named[i].addDays(1);
        if (named[i + 1] == named[i].addDays(2) && !named.contains(between) &&
            (year >= 2007 || between.dayOfWeek() != Qt::Sunday))
            all << between;
    }
    // A named day on a Sunday moves the day off to the next day that is no holiday (before
    // 2007 only to the Monday, which never differed in those years).
    for (const QDate& day : named) {
        if (day.dayOfWeek() != Qt::Sunday) continue;
        QDate next = day.addDays(1);
        while (all.contains(next)) next = next.addDays(1);
        all << next;
    }
    std::sort(all.begin(), all.end());
    all.erase(std::unique(all.begin(), all.end()), all.end());
    return all;
}

bool isYearEndHoliday(QDate date) {
    return (date.month() == 12 && date.day() >= 29) || (date.month() == 1 && date.day() <= 3);
}

bool isNationalHoliday(QDate date) {
    // One bit per day of 2000–2099, made once.
    static std::bitset<100 * 366> table;
    static std::once_flag made;
    std::call_once(made, [] {
        for (int year = 2000; year <= 2099; ++year)
            for (const QDate& d : nationalHolidays(year))
                table.set(size_t((year - 2000) * 366 + d.dayOfYear() - 1));
    });
    if (!date.isValid() || date.year() < 2000 || date.year() > 2099) return false;
    return table.test(size_t((date.year() - 2000) * 366 + date.dayOfYear() - 1));
}

} // namespace velmora
