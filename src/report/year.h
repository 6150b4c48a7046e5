#pragma once
// The school year of each teacher, April to March: each month's figures, the year's totals,
// the averages over 2 to 6 months at their highest, the months over 45 h and the limits
// reached in any month. Made from one report read with `ReportRequest::wholeYear`, so each
// file is read once for the whole year.

#include "report/report.h"

#include <QDate>
#include <QList>
#include <QString>
#include <array>

namespace velmora {

// The months before April that April's averages over up to 6 months reach back to.
constexpr int kMonthsBeforeYear = 5;

// A month's figures; -1 where the teacher had no day with records or entries that month (a
// month still to come, or before the teacher came), which the averages count as 0.
struct MonthFigures {
    int inSchool = -1;
    int beyond = -1;
};

struct TeacherYear {
    QString name;
    std::array<MonthFigures, 12> months{}; // April first
    int inSchool = 0;
    int beyond = 0;
    // Over 2, 3, 4, 5 and 6 months ending in a month of the year, in minutes rounded up, so
    // that an average above 80:00 never shows as 80:00.
    std::array<int, 5> highestAverage{};
    int over45 = 0; // months over 45 h
    Flags flags{};  // of any month up to the last counted
};

struct YearReport {
    int year = 0;                // 2026 for 2026年度, from April 2026
    QDate lastMonth;             // the last month counted; those after it are empty
    QList<TeacherYear> teachers; // by name
};

// A teacher's year from `months`: the kMonthsBeforeYear months before April, then April up
// to the last month counted (at most March).
TeacherYear teacherYear(const QString& name, const QList<MonthFigures>& months);

// The year up to `report`'s month, from a report built with `wholeYear`.
YearReport yearReport(const MonthReport& report);

// The school year a month belongs to: 2026 for 2026-04 to 2027-03.
int schoolYearOf(QDate month);

} // namespace velmora
