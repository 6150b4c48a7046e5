// The year of each teacher: the months April to March, the averages reaching back across the
// school year's start, the months over 45 h; and the year's CSV through the real program.

#include "report/year.h"
#include "storage/times.h"
#include "support/reportfiles.h"

#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace velmora;
using namespace velmora::test;

namespace {

QString shown(int minutes) { return minutes < 0 ? u"-"_qs : timeText(minutes); }

int minutes(const QString& m) {
    const QStringList parts = m.split(u':');
    return m == u"-" ? -1 : parts[0].toInt() * 60 + parts.value(1).toInt();
}

// "0 90 | 75 -": the months before April, then April on, in H or H:MM; "-" for none.
QList<MonthFigures> monthsOf(const char* text) {
    QList<MonthFigures> months;
    for (const QString& m : QString::fromUtf8(text).remove(u'|').split(u' ', Qt::SkipEmptyParts))
        months << MonthFigures{-1, minutes(m)};
    return months;
}

// The months' 時間外, the highest averages over 2 to 6 months, the months over 45 h, the
// year's 時間外 and the flags.
QString yearLine(const TeacherYear& year) {
    QStringList months, averages;
    for (const MonthFigures& m : year.months) months << shown(m.beyond);
    for (int a : year.highestAverage) averages << shown(a);
    return QStringList{months.join(u' '), averages.join(u' '), QString::number(year.over45),
                       shown(year.beyond), flagsText(year.flags)}
        .join(u" | ");
}

} // namespace

TEST(Year, MonthsAveragesAndCounts) {
    // clang-format off
    const char* const cases[][2] = {
        // February's and March's hours feed April's averages and May's, not the year's count.
        {"0 0 0 90 90 | 75 30", "75:00 30:00 - - - - - - - - - - | 82:30 85:00 71:15 57:00 47:30 | 1 | 105:00 | 月45時間超・2〜6か月平均80時間超"},
        {"0 0 0 0 0 | 75 30", "75:00 30:00 - - - - - - - - - - | 52:30 35:00 26:15 21:00 17:30 | 1 | 105:00 | 月45時間超"},
        // 45:00 is not over 45 h; the seventh month over it is flagged.
        {"0 0 0 0 0 | 45 46 46 46 46 46 46 46", "45:00 46:00 46:00 46:00 46:00 46:00 46:00 46:00 - - - - | 46:00 46:00 46:00 46:00 46:00 | 7 | 367:00 | 月45時間超・45時間超が年7か月以上・年360時間超"},
        // Arriving in September: the months before count 0 in the averages; 80:00 is not above.
        {"- - - - - | - - - - - 60 100", "- - - - - 60:00 100:00 - - - - - | 80:00 53:20 40:00 32:00 26:40 | 2 | 160:00 | 月45時間超・月80時間以上・月100時間以上"},
        // Half a minute above 80:00 on average shows as 80:01.
        {"0 0 0 0 80:01 | 80", "80:00 - - - - - - - - - - - | 80:01 53:21 40:01 32:01 26:41 | 1 | 80:00 | 月45時間超・月80時間以上・2〜6か月平均80時間超"},
    };
    // clang-format on
    for (const auto& [months, expected] : cases)
        EXPECT_EQ(yearLine(teacherYear(u"甲"_qs, monthsOf(months))), QString::fromUtf8(expected))
            << months;
}
