#include "report/year.h"

#include <algorithm>

namespace velmora {
namespace {

constexpr int kHour = 60;

// Months since year 0.
int monthIndex(QDate date) { return date.year() * 12 + date.month() - 1; }

int ceilDiv(int sum, int k) { return (sum + k - 1) / k; }

// The month's figures from its days; none when no day had records or entries.
void addDay(const Day& day, MonthFigures& month) {
    if (day.inSchool < 0 && !hasMark(day.notes)) return;
    month.inSchool = std::max(month.inSchool, 0) + std::max(day.inSchool, 0);
    month.beyond = std::max(month.beyond, 0) + std::max(day.beyond, 0);
}

} // namespace

int schoolYearOf(QDate month) { return month.month() >= 4 ? month.year() : month.year() - 1; }

TeacherYear teacherYear(const QString& name, const QList<MonthFigures>& months) {
    TeacherYear year;
    year.name = name;
    QList<int> beyond;
    for (const MonthFigures& m : months) beyond << std::max(m.beyond, 0);
    const int counted = int(months.size()) - kMonthsBeforeYear;
    for (int i = 0; i < counted && i < 12; ++i) {
        const MonthFigures& month = months[kMonthsBeforeYear + i];
        year.months[size_t(i)] = month;
        year.inSchool += std::max(month.inSchool, 0);
        year.beyond += std::max(month.beyond, 0);
        if (month.beyond > kOver45Hours * kHour) ++year.over45;
        // The months up to this one, as the month's own report would see them.
        const QList<int> upTo = beyond.first(kMonthsBeforeYear + i + 1);
        year.flags |= monthFlags(upTo, i + 1);
        int sum = upTo.back();
        for (int k = 2; k <= 6; ++k) {
            sum += upTo[upTo.size() - k];
            int& highest = year.highestAverage[size_t(k - 2)];
            highest = std::max(highest, ceilDiv(sum, k));
        }
    }
    return year;
}

YearReport yearReport(const MonthReport& report) {
    YearReport year;
    year.year = schoolYearOf(report.month);
    year.lastMonth = report.month;
    const QDate first = QDate(year.year, 4, 1).addMonths(-kMonthsBeforeYear);
    const int count = monthIndex(report.month) - monthIndex(first) + 1;
    for (const TeacherMonth& t : report.teachers) {
        QList<MonthFigures> months(count);
        for (const Day& day : t.days) {
            const int index = monthIndex(day.date) - monthIndex(first);
            if (index >= 0 && index < count) addDay(day, months[index]);
        }
        year.teachers << teacherYear(t.name, months);
    }
    return year;
}

} // namespace velmora
