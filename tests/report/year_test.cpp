// The year of each teacher: the months April to March, the averages reaching back across the
// school year's start, the months over 45 h; and the year's CSV through the real program.

#include "report/year.h"
#include "saving/yearoutput.h"
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

// 甲: Saturdays 2/7, 3/7 and 4/4 at 10:00 each, all beyond; 5/13 8:45, 1:00 beyond. February and
//   March feed April's averages: over 2 and 3 months 10:00; over 4 the highest ends in May,
//   31:00 / 4 = 7:45; over 5, 6:12; over 6, 5:10.
// 乙, from September: 9/5 (Sat) 5:00, all beyond; 9/7 7:45, none. The months before count 0:
//   5:00 / 2 = 2:30, / 3 = 1:40, / 4 = 1:15, / 5 = 1:00, / 6 = 0:50.
// October to March are still to come. Only the year's files are written, in each format asked.
TEST(Year, CommandLineWritesTheYearAlone) {
    QTemporaryDir out;
    QProcess p;
    p.start(QStringLiteral(VELMORA_REPORT),
            {u"--last-year"_qs, u"2026"_qs, u"-m"_qs, u"2026-09"_qs, u"-f"_qs, u"year"_qs, u"-f"_qs,
             u"csv"_qs, u"-f"_qs, u"xlsx"_qs, u"-o"_qs, out.path(), DATA u"/year.dat"_qs});
    ASSERT_TRUE(p.waitForFinished(60000));
    EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
    EXPECT_EQ(QString::fromUtf8(p.readAllStandardOutput()),
              u"2026年度（2026-09まで）: 教職員 2名\n"_qs);
    EXPECT_EQ(contents(out.filePath(u"在校等時間_2026年度.csv"_qs)),
              contents(DATA u"/expected_year.csv"_qs));
    EXPECT_EQ(QDir(out.path()).entryList(QDir::Files),
              QStringList({u"在校等時間_2026年度.csv"_qs, u"在校等時間_2026年度.xlsx"_qs}));
}

// The board's workbook: a sheet per school, named after it (a name Excel refuses made one it
// takes), the school year's title for a school without a name; a teacher's row on each.
TEST(Year, BoardWorkbookHasASheetPerSchool) {
    QTemporaryDir out;
    YearReport year{2026, QDate(2026, 9, 1), {teacherYear(u"甲"_qs, monthsOf("0 0 0 0 0 | 46"))}};
    const QString path = out.filePath(u"board.xlsx"_qs);
    writeYearsXlsx({{u"東小学校"_qs, year}, {u"西/中学校"_qs, year}, {{}, year}}, path, path);
    QProcess unzip;
    unzip.start(u"unzip"_qs, {u"-p"_qs, path, u"xl/workbook.xml"_qs, u"xl/sharedStrings.xml"_qs});
    ASSERT_TRUE(unzip.waitForFinished(60000));
    const QString xml = QString::fromUtf8(unzip.readAllStandardOutput());
    for (const char* name : {"name=\"東小学校\"", "name=\"西_中学校\"", "name=\"2026年度\"",
                             "在校等時間 2026年度　西/中学校", "6か月平均最高", "月45時間超"})
        EXPECT_TRUE(xml.contains(QString::fromUtf8(name))) << name;
}
