#pragma once
// Japan's national holidays (国民の祝日 and the days off the holiday law adds to them),
// computed from the law's rules for 2000 to 2099.

#include <QDate>
#include <QList>

namespace velmora {

// The year's holidays in date order: the named days, citizens' holidays (a weekday between
// two holidays) and substitute holidays (振替休日). Empty outside 2000–2099.
QList<QDate> nationalHolidays(int year);

// 12/29 to 1/3, days off of the public servants' working-hours rules though no holidays.
bool isYearEndHoliday(QDate date);

// Whether the date is one of them; fast enough for a lookup per day of a report.
bool isNationalHoliday(QDate date);

} // namespace velmora
