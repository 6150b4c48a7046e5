// The report's rules, files and command line through tables, on hand-made record files.

#include "programs/velmora-report/commandline.h"
#include "report/holidays.h"
#include "report/month.h"
#include "report/records.h"
#include "report/report.h"
#include "saving/output.h"
#include "storage/backwardlines.h"
#include "storage/datafiles.h"
#include "storage/fields.h"
#include "support/print.h"
#include "support/reportfiles.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace velmora;
using namespace velmora::test;

namespace {

// The published lists; one year a line.
// clang-format off
const char* const kHolidays[] = {
    "2000: 0101 0110 0211 0320 0429 0503 0504 0505 0720 0915 0923 1009 1103 1123 1223",
    "2003: 0101 0113 0211 0321 0429 0503 0505 0721 0915 0923 1013 1103 1123 1124 1223",
    "2006: 0101 0102 0109 0211 0321 0429 0503 0504 0505 0717 0918 0923 1009 1103 1123 1223",
    "2009: 0101 0112 0211 0320 0429 0503 0504 0505 0506 0720 0921 0922 0923 1012 1103 1123 1223",
    "2015: 0101 0112 0211 0321 0429 0503 0504 0505 0506 0720 0921 0922 0923 1012 1103 1123 1223",
    "2016: 0101 0111 0211 0320 0321 0429 0503 0504 0505 0718 0811 0919 0922 1010 1103 1123 1223",
    "2017: 0101 0102 0109 0211 0320 0429 0503 0504 0505 0717 0811 0918 0923 1009 1103 1123 1223",
    "2018: 0101 0108 0211 0212 0321 0429 0430 0503 0504 0505 0716 0811 0917 0923 0924 1008 1103 1123 1223 1224",
    "2019: 0101 0114 0211 0321 0429 0430 0501 0502 0503 0504 0505 0506 0715 0811 0812 0916 0923 1014 1022 1103 1104 1123",
    "2020: 0101 0113 0211 0223 0224 0320 0429 0503 0504 0505 0506 0723 0724 0810 0921 0922 1103 1123",
    "2021: 0101 0111 0211 0223 0320 0429 0503 0504 0505 0722 0723 0808 0809 0920 0923 1103 1123",
    "2022: 0101 0110 0211 0223 0321 0429 0503 0504 0505 0718 0811 0919 0923 1010 1103 1123",
    "2023: 0101 0102 0109 0211 0223 0321 0429 0503 0504 0505 0717 0811 0918 0923 1009 1103 1123",
    "2024: 0101 0108 0211 0212 0223 0320 0429 0503 0504 0505 0506 0715 0811 0812 0916 0922 0923 1014 1103 1104 1123",
    "2025: 0101 0113 0211 0223 0224 0320 0429 0503 0504 0505 0506 0721 0811 0915 0923 1013 1103 1123 1124",
    "2026: 0101 0112 0211 0223 0320 0429 0503 0504 0505 0506 0720 0811 0921 0922 0923 1012 1103 1123",
    "2027: 0101 0111 0211 0223 0321 0322 0429 0503 0504 0505 0719 0811 0920 0923 1011 1103 1123",
};
// clang-format on

TEST(Holidays, MatchThePublishedLists) {
    for (const char* line : kHolidays) {
        const int year = QByteArray(line).left(4).toInt();
        QStringList got;
        for (const QDate& d : nationalHolidays(year)) got << d.toString(QStringLiteral("MMdd"));
        EXPECT_EQ(QString::number(year) + QStringLiteral(": ") + got.join(u' '), QString(line));
        EXPECT_TRUE(isNationalHoliday(nationalHolidays(year).back()));
    }
}

QString shown(int minutes) { return minutes < 0 ? QStringLiteral("-") : hoursText(minutes); }

int clock(const QString& text) { return parseTime(text).value_or(-1); }

// A person's day: records as "出8:00 退17:00", entries as "出張8:30-17:00", "退訂正-18:00",
// "休暇" (a whole day), an "x" before one that a later line cancelled.
Day figures(const char* name, const char* date, const char* records, const char* entries,
            const WorkRules& rules) {
    static const QStringList kinds = {u"出張"_qs,   u"在宅"_qs,   u"研鑽"_qs,
                                      u"出訂正"_qs, u"退訂正"_qs, u"休暇"_qs};
    QList<DayRecord> dayRecords;
    for (const QString& r : QString::fromUtf8(records).split(u' ', Qt::SkipEmptyParts))
        dayRecords << DayRecord{r[0] == u'出', clock(r.mid(1))};
    const Day calendar = calendarDay(QDate::fromString(date, Qt::ISODate), rules);
    QList<EntryState> states;
    for (QString e : QString::fromUtf8(entries).split(u' ', Qt::SkipEmptyParts)) {
        EntryState state;
        if (e.startsWith(u'x')) state.cancelledBy = std::make_shared<const Entry>(), e.remove(0, 1);
        const qsizetype kind = e.indexOf(QRegularExpression(u"[-0-9]|$"_qs));
        state.entry.kind = EntryKind(kinds.indexOf(e.left(kind)));
        state.entry.date = calendar.date;
        state.entry.start = clock(e.mid(kind).section(u'-', 0, 0));
        state.entry.end = clock(e.mid(kind).section(u'-', 1));
        states << state;
    }
    return evaluateDay(calendar, dayRecords, states,
                       regularMinutes(QString::fromUtf8(name), calendar, rules), rules);
}

// Records and entries as figures() reads them, "?" an unreadable time.
// The name P a part-timer, 月火水木金 4:00 4:00 0:00 (school's) 4:00 from 4/1 until 7/15; Q
// 4:00 each day, from 7/1 5:00 but Thursday (school's); expected
// 出 退 在校等時間 時間外 所定 校外 控除 | 備考. July 2026: the 6th a Monday, the 11th a
// Saturday, the 24th the school closed, the 31st a day off.
// clang-format off
struct FigureCase { const char* what; const char* name; const char* date; const char* records; const char* entries; const char* expected; };
const FigureCase kFigures[] = {
    {"in and out", "A", "2026-07-01", "出8:00 退17:00", "", "8:00 17:00 8:15 0:30 7:45 0:00 0:45 |"},
    {"out before in", "A", "2026-07-01", "退17:00 出8:00", "", "8:00 17:00 8:15 0:30 7:45 0:00 0:45 |"},
    {"six hours", "A", "2026-07-01", "出8:00 退14:00", "", "8:00 14:00 6:00 0:00 7:45 0:00 0:00 |"},
    {"6:05 less its break", "A", "2026-07-01", "出8:00 退14:05", "", "8:00 14:05 6:00 0:00 7:45 0:00 0:05 |"},
    {"6:45 less its break", "A", "2026-07-01", "出8:00 退14:45", "", "8:00 14:45 6:00 0:00 7:45 0:00 0:45 |"},
    {"6:50", "A", "2026-07-01", "出8:00 退14:50", "", "8:00 14:50 6:05 0:00 7:45 0:00 0:45 |"},
    {"seven hours", "A", "2026-07-01", "出8:00 退15:00", "", "8:00 15:00 6:15 0:00 7:45 0:00 0:45 |"},
    {"until 24:00", "A", "2026-07-01", "出8:00 退24:00", "", "8:00 24:00 15:15 7:30 7:45 0:00 0:45 |"},
    {"the last 退", "A", "2026-07-01", "出8:00 退12:00 退17:30", "", "8:00 17:30 8:45 1:00 7:45 0:00 0:45 |"},
    {"出 twice at once", "A", "2026-07-01", "出8:00 出8:00 退17:00", "", "8:00 17:00 8:15 0:30 7:45 0:00 0:45 |"},
    {"Saturday", "A", "2026-07-04", "出9:00 退12:00", "", "9:00 12:00 3:00 3:00 0:00 0:00 0:00 |"},
    {"Sunday", "A", "2026-07-05", "出9:00 退17:00", "", "9:00 17:00 7:15 7:15 0:00 0:00 0:45 |"},
    {"holiday", "A", "2026-07-20", "出9:00 退12:00", "", "9:00 12:00 3:00 3:00 0:00 0:00 0:00 | 祝日"},
    {"day off", "A", "2026-07-31", "出9:00 退12:00", "", "9:00 12:00 3:00 3:00 0:00 0:00 0:00 | 休業日"},
    {"出のみ", "A", "2026-07-01", "出8:00", "", "8:00 - - - 7:45 - - | 出のみ"},
    {"退のみ", "A", "2026-07-01", "退17:00", "", "- 17:00 - - 7:45 - - | 退のみ"},
    {"退 before 出", "A", "2026-07-01", "出8:00 退7:55", "", "8:00 7:55 - - 7:45 - - | 退が出より前"},
    {"退 unreadable", "A", "2026-07-01", "出8:00 退?", "", "8:00 - - - 7:45 - - | 時刻不正"},
    {"出 at 24:00", "A", "2026-07-01", "出24:00 退24:00", "", "- 24:00 - - 7:45 - - | 時刻不正"},
    {"two 出", "A", "2026-07-01", "出8:00 出9:00 退17:00", "", "8:00 17:00 - - 7:45 - - | 出が2回"},
    {"an unreadable 出", "A", "2026-07-01", "出8:00 出? 退17:00", "", "8:00 17:00 - - 7:45 - - | 時刻不正"},
    {"Saturday without records", "A", "2026-07-04", "", "", "- - - - 0:00 - - |"},
    {"part-timer's hours",      "P", "2026-07-06", "出8:00 退13:00", "",  "8:00 13:00 5:00 1:00 4:00 0:00 0:00 |"},
    {"part-timer's 0:00",       "P", "2026-07-08", "出8:00 退12:00", "",  "8:00 12:00 4:00 4:00 0:00 0:00 0:00 |"},
    {"part-timer's empty cell", "P", "2026-07-09", "出8:00 退17:00", "",  "8:00 17:00 8:15 0:30 7:45 0:00 0:45 |"},
    {"line's first day",        "P", "2026-04-01", "出8:00 退12:00", "",  "8:00 12:00 4:00 4:00 0:00 0:00 0:00 |"},
    {"the later line holds",    "Q", "2026-07-06", "出8:00 退13:00", "",  "8:00 13:00 5:00 0:00 5:00 0:00 0:00 |"},
    {"the earlier line before it", "Q", "2026-06-30", "出8:00 退13:00", "", "8:00 13:00 5:00 1:00 4:00 0:00 0:00 |"},
    {"its empty cell holds",    "Q", "2026-07-09", "出8:00 退13:00", "",  "8:00 13:00 5:00 0:00 7:45 0:00 0:00 |"},
    {"line's last day",         "P", "2026-07-15", "出8:00 退12:00", "",  "8:00 12:00 4:00 4:00 0:00 0:00 0:00 |"},
    {"line ended",              "P", "2026-07-22", "出8:00 退12:00", "",  "8:00 12:00 4:00 0:00 7:45 0:00 0:00 |"},
    {"closure",                 "A", "2026-07-24", "出9:00 退12:00", "",  "9:00 12:00 3:00 3:00 0:00 0:00 0:00 | 休業日・学校閉庁日"},
    {"year-end",                "A", "2026-12-29", "出9:00 退12:00", "",  "9:00 12:00 3:00 3:00 0:00 0:00 0:00 | 年末年始"},
    {"New Year's Day",          "A", "2027-01-01", "", "",                "- - - - 0:00 - - | 祝日・年末年始"},
    {"before the year-end",     "A", "2026-12-28", "出9:00 退12:00", "",  "9:00 12:00 3:00 0:00 7:45 0:00 0:00 |"},
    {"year-end with hours",     "A", "2026-12-30", "出9:00 退12:00", "",  "9:00 12:00 3:00 0:00 7:45 0:00 0:00 | 特別勤務"},
    {"after the year-end",      "A", "2027-01-04", "出9:00 退12:00", "",  "9:00 12:00 3:00 0:00 7:45 0:00 0:00 |"},
    {"Saturday class",          "A", "2026-07-11", "出8:00 退17:00", "",  "8:00 17:00 8:15 0:30 7:45 0:00 0:45 | 土曜授業"},
    {"part-timer's Saturday",   "P", "2026-07-11", "出8:00 退17:00", "",  "8:00 17:00 8:15 0:30 7:45 0:00 0:45 | 土曜授業"},
    {"trip without a card",     "A", "2026-07-07", "", "出張8:30-17:00",   "- - 7:45 0:00 7:45 8:30 0:45 | 出張"},
    {"trip into the afternoon", "A", "2026-07-07", "出13:00 退18:00", "出張8:30-13:30", "13:00 18:00 8:45 1:00 7:45 4:30 0:45 | 出張"},
    {"telework after leaving",  "A", "2026-07-07", "出8:00 退13:30", "在宅19:00-21:00", "8:00 13:30 6:45 0:00 7:45 2:00 0:45 | 在宅"},
    {"self-study partly in",    "A", "2026-07-07", "出8:00 退19:00", "研鑽17:30-20:00", "8:00 19:00 8:45 1:00 7:45 0:00 2:15 | 研鑽"},
    {"leaving corrected",       "A", "2026-07-07", "出8:10 退17:10", "退訂正-18:40",    "8:10 18:40 9:45 2:00 7:45 0:00 0:45 | 退訂正(カード17:10)"},
    {"arrival corrected",       "A", "2026-07-07", "退17:00", "出訂正8:00-",             "8:00 17:00 8:15 0:30 7:45 0:00 0:45 | 出訂正(カードなし)"},
    {"two arrivals corrected",  "A", "2026-07-07", "出8:00 出9:00 退17:00", "出訂正8:30-", "8:30 17:00 7:45 0:00 7:45 0:00 0:45 | 出訂正(カード8:00)"},
    {"whole-day leave",         "A", "2026-07-07", "", "休暇",                          "- - - - 0:00 - - | 休暇"},
    {"hourly leave",            "A", "2026-07-07", "出8:00 退15:00", "休暇15:00-17:00", "8:00 15:00 6:15 0:30 5:45 0:00 0:45 | 休暇2:00"},
    {"cancelled trip",          "A", "2026-07-07", "", "x出張8:30-17:00",               "- - - - 7:45 - - |"},
    {"cancelled correction",    "A", "2026-07-07", "出8:00", "x退訂正-17:00",           "8:00 - - - 7:45 - - | 出のみ"},
    {"出のみ with a trip",       "A", "2026-07-07", "出8:00", "出張13:00-17:00",         "8:00 - - - 7:45 - - | 出のみ・出張"},
    {"出のみ corrected",         "A", "2026-07-07", "出8:00", "退訂正-17:00",            "8:00 17:00 8:15 0:30 7:45 0:00 0:45 | 退訂正(カードなし)"},
    {"leaving corrected earlier", "A", "2026-07-07", "出8:10 退18:30", "退訂正-17:10",  "8:10 17:10 8:15 0:30 7:45 0:00 0:45 | 退訂正(カード18:30)"},
    {"latest correction holds", "A", "2026-07-07", "出8:00 退17:00", "退訂正-18:00 退訂正-17:30", "8:00 17:30 8:45 1:00 7:45 0:00 0:45 | 退訂正(カード17:00)"},
    {"時刻不正 corrected",       "A", "2026-07-07", "出8:00 退?", "退訂正-17:00",         "8:00 17:00 8:15 0:30 7:45 0:00 0:45 | 退訂正(カードなし)"},
    {"leave beyond the day",    "A", "2026-07-07", "出8:00 退12:00", "休暇8:00-17:00",  "8:00 12:00 4:00 4:00 0:00 0:00 0:00 | 休暇9:00"},
    {"overlapping leave",       "A", "2026-07-07", "出8:00 退15:00", "休暇15:00-17:00 休暇15:30-16:30", "8:00 15:00 6:15 0:30 5:45 0:00 0:45 | 休暇2:00・休暇1:00"},
    {"overlapping self-study",  "A", "2026-07-07", "出8:00 退19:00", "研鑽17:00-18:30 研鑽18:00-19:00", "8:00 19:00 8:15 0:30 7:45 0:00 2:45 | 研鑽"},
    {"self-study beyond the day", "A", "2026-07-07", "出8:00 退15:00", "研鑽7:00-16:00", "8:00 15:00 0:00 0:00 7:45 0:00 7:00 | 研鑽"},
};
// clang-format on

TEST(Days, CountTheRecordsTheSchoolsFactsAndEntries) {
    WorkRules rules;
    rules.daysOff.insert(QDate(2026, 7, 31));
    rules.calendar[{2026, 7, 24}] = {{2026, 7, 24}, 0, u"学校閉庁日"_qs};
    rules.calendar[{2026, 7, 11}] = {{2026, 7, 11}, 7 * 60 + 45, u"土曜授業"_qs};
    rules.calendar[{2026, 12, 30}] = {{2026, 12, 30}, 7 * 60 + 45, u"特別勤務"_qs};
    rules.staff[u"P"_qs] = {{u"P"_qs, {240, 240, 0, -1, 240}, {2026, 4, 1}, {2026, 7, 15}}};
    rules.staff[u"Q"_qs] = {{u"Q"_qs, {240, 240, 240, 240, 240}, {}, {}},
                            {u"Q"_qs, {300, 300, 300, -1, 300}, {2026, 7, 1}, {}}};
    for (const FigureCase& c : kFigures) {
        const Day d = figures(c.name, c.date, c.records, c.entries, rules);
        const QString got = QStringList{shown(d.arrival),  shown(d.leaving), shown(d.inSchool),
                                        shown(d.beyond),   shown(d.regular), shown(d.outside),
                                        shown(d.takenOut), u"|"_qs,          dayNotesText(d)}
                                .join(u' ');
        EXPECT_EQ(got.trimmed(), QString::fromUtf8(c.expected)) << c.what;
    }
}

// The hours (H:MM) beyond regular ones, oldest month first.
// clang-format off
struct FlagCase { const char* months; int inSchoolYear; const char* expected; };
const FlagCase kFlags[] = {
    {"0:00 0:00 0:00 0:00 0:00 45:00", 1, ""},
    {"0:00 0:00 0:00 0:00 0:00 45:05", 1, "月45時間超"},
    {"0:00 0:00 0:00 0:00 0:00 80:00", 1, "月45時間超 月80時間以上"},
    {"0:00 0:00 0:00 0:00 0:00 100:00", 1, "月45時間超 月80時間以上 月100時間以上"},
    {"0:00 0:00 0:00 0:00 80:00 80:00", 2, "月45時間超 月80時間以上"},
    {"0:00 0:00 0:00 0:00 80:05 80:00", 2, "月45時間超 月80時間以上 2〜6か月平均80時間超"},
    {"80:05 80:00 80:00 80:00 80:00 80:00", 6, "月45時間超 月80時間以上 2〜6か月平均80時間超 年360時間超"},
    {"0:00 0:00 0:00 0:00 0:00 90:00 71:00", 2, "月45時間超 2〜6か月平均80時間超"},
    {"45:05 45:05 45:05 45:05 45:05 45:05 45:05", 7, "月45時間超 45時間超が年7か月以上"},
    {"45:05 45:05 45:05 45:05 45:05 45:05 45:05", 6, "月45時間超"},
    {"0:00 0:00 0:00 0:00 0:00 40:00 40:00 40:00 40:00 40:00 40:00 40:00 40:00 40:00", 9, ""},
    {"0:00 0:00 0:00 0:00 0:00 40:00 40:00 40:00 40:00 40:00 40:00 40:00 40:00 40:05", 9, "年360時間超"},
    {"60:00 60:00 60:00 60:00 60:00 60:00 60:00 60:00 60:00 60:00 60:00 60:00", 12, "月45時間超 45時間超が年7か月以上 年360時間超"},
    {"60:00 60:00 60:00 60:00 60:00 60:00 60:00 60:00 60:00 60:00 60:00 60:05", 12, "月45時間超 45時間超が年7か月以上 年360時間超 年720時間超"},
};
// clang-format on

TEST(Flags, StartAtTheirExactThresholds) {
    for (const FlagCase& c : kFlags) {
        QList<int> months;
        for (const QString& m : QString::fromUtf8(c.months).split(u' '))
            months << m.section(u':', 0, 0).toInt() * 60 + m.section(u':', 1).toInt();
        EXPECT_EQ(flagsText(monthFlags(months, c.inSchoolYear)).replace(u'・', u' '),
                  QString::fromUtf8(c.expected))
            << c.months;
    }
}

// Two school years of seven teachers working every day, 270 KB: the file is read from its end
// in blocks, lines cross their borders, and the reading stops in the first year.
TEST(Report, ReadsAFileOfManyBlocks) {
    QTemporaryDir dir;
    QFile file(dir.filePath(u"Velmora.dat"_qs));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    int beyond = 0;
    for (QDate d(2024, 4, 1); d.year() < 2026 || d.month() < 4; d = d.addDays(1)) {
        for (const char* record : {"\",\"8:00\",\"\x8f\x6f\"\r\n", "\",\"17:00\",\"\x91\xde\"\r\n"})
            for (int t = 0; t < 7; ++t)
                file.write("\"T" + QByteArray::number(t) + "\",\"" +
                           d.toString(u"MM/dd"_qs).toLatin1() + record);
        if (d < QDate(2025, 4, 1)) continue; // not in the school year reported
        const bool off = d.dayOfWeek() > 5 || isNationalHoliday(d) || isYearEndHoliday(d);
        beyond += off ? 8 * 60 + 15 : 30;
    }
    file.close();
    // The progress at each block, none for work shorter than its delay; a stop is a fault.
    std::vector<int> shown;
    ProgressMeter meter([&](int percent) { return shown.push_back(percent), true; }, 0),
        late([&](int percent) { return shown.push_back(-percent), true; }, 3600000),
        stop([](int) { return false; }, 0);
    EXPECT_THROW(buildReport({{file.fileName()}, 2026, QDate(2026, 3, 1), {}, &stop}), Failure);
    buildReport({{file.fileName()}, 2026, QDate(2026, 3, 1), {}, &late});
    const MonthReport report =
        buildReport({{file.fileName()}, 2026, QDate(2026, 3, 1), {}, &meter});
    EXPECT_EQ(shown, (std::vector<int>{24, 48, 72, 100}));
    ASSERT_EQ(report.teachers.size(), 7);
    EXPECT_EQ(report.skipped, 0);
    for (const TeacherMonth& t : report.teachers) EXPECT_EQ(t.yearBeyond, beyond) << t.workedDays;
}

// A file's shapes that the terminal's reading copes with, for the report too: the teachers
// read and the lines skipped.
// clang-format off
const char* const kShapes[][2] = {
    {"\xEF\xBB\xBF" "A8 A17",                     "A 1 | 0"},
    {"A8 \"B\",\"07/01\",\"8:00\",\"\x8f\x6f\"LONG A17 \"C\",\"07/01\",\"8:00\",\"\x91\xde\"LONG", "A 1 | 0"},
    {"A8 \"\",\"07/01\",\"8:00\",\"\x8f\x6f\" \"B\x01\",\"07/01\",\"8:00\",\"\x8f\x6f\" A17", "A 1 | 2"},
};
// clang-format on

TEST(Report, ReadsTheFileAsTheTerminalDoes) {
    QTemporaryDir dir;
    for (const auto& [content, expected] : kShapes) {
        QByteArray bytes = QByteArray(content).replace("LONG", QByteArray(2 << 20, 'x'));
        bytes.replace("A8", "\"A\",\"07/01\",\"8:00\",\"\x8f\x6f\"")
            .replace("A17", "\"A\",\"07/01\",\"17:00\",\"\x91\xde\"");
        write(dir.filePath(u"shape.dat"_qs), bytes.replace(' ', "\r\n"));
        const MonthReport report = buildReport({{dir.filePath(u"shape.dat"_qs)}, 2026, {}, {}});
        QStringList names;
        for (const TeacherMonth& t : report.teachers)
            names << t.name + u' ' + QString::number(t.workedDays);
        EXPECT_EQ(names.join(u',') + u" | "_qs + QString::number(report.skipped),
                  QString::fromUtf8(expected))
            << content;
    }
}

// Without a month asked for, the newest record of all the files names it, in any file.
TEST(Report, TakesTheNewestMonthOfAllItsFiles) {
    QTemporaryDir dir;
    QStringList files;
    for (const char* date : {"07/01", "06/01"}) {
        files << dir.filePath(QString::fromLatin1(date).remove(u'/'));
        write(files.last(), quotedLine({"A", date, "8:00", "\x8f\x6f"}));
    }
    for (const QStringList& order : {files, QStringList{files[1], files[0]}})
        EXPECT_EQ(buildReport({order, 2026, {}, {}}).month, QDate(2026, 7, 1))
            << order.join(u' ').toStdString();
}

// The year of the last record from the file's modification day, which must be a possible one.
TEST(Report, DatesTheLastRecordByTheFilesModificationDay) {
    QTemporaryDir dir;
    // A name arg() would substitute into.
    const QString file = dir.filePath(u"Velmora%2.dat"_qs);
    const std::pair<QDate, const char*> cases[] = {
        {{2027, 1, 5}, "2026-12-01"}, {{1999, 6, 1}, "(1999)"}, {{2028, 1, 5}, "(2028)"}};
    for (const auto& [modified, expected] : cases) {
        write(file, "\"A\",\"12/25\",\"8:00\",\"\x8f\x6f\"\r\n", modified);
        ReportRequest request{{file}, {}, {}, {}};
        request.today = QDate(2027, 6, 1);
        try {
            EXPECT_EQ(buildReport(request).month.toString(Qt::ISODate), QString(expected));
        } catch (const Failure& failure) {
            EXPECT_TRUE(failure.message().contains(expected) &&
                        failure.message().contains(u"--last-year"_qs) &&
                        failure.message().contains(file));
        }
    }
}

QString unzip(const QString& file, const char* member) {
    QProcess p;
    p.start(u"unzip"_qs, {u"-p"_qs, file, QString::fromLatin1(member)});
    p.waitForFinished(60000);
    return QString::fromUtf8(p.readAllStandardOutput());
}

// The two terminals' teachers, then names Excel would refuse for a sheet or take for a
// formula: each gets a sheet Excel opens (no apostrophe or control character, at most 31
// characters, unique without regard to case, not History) that says the whole name, and CSV
// cells of text. Durations are numbers shown [h]:mm.
TEST(Names, GiveSheetsExcelOpensAndCsvCellsOfText) {
    const QString thirty(30, u'職');
    // clang-format off
    const char* const cases[][3] = {
        {"職員A'", "職員A_", "職員A'"}, {"'B", "_B", "'B"}, {"History", "History(2)", "History"},
        {"a[b]", "a_b_", "a[b]"}, {"A", "A", "A"}, {"a", "a(2)", "a"}, {"%1'", "%1_", "%1'"},
        {"%1'x", "%2(2)", "%1'x"}, {"=1+1", "=1+1", "'=1+1"}, {"+1", "+1", "'+1"},
        {"-1", "-1", "'-1"}, {"@A1", "@A1", "'@A1"}, {"\tx", "_x", "'\tx"},
        {"\rx", "_x(2)", "\"'\rx\""}};
    // clang-format on
    MonthReport report = buildReport({kTerminals, 2026, QDate(2026, 1, 1), {}});
    QStringList expected = {u"集計"_qs, u"Tanaka, Ichiro"_qs, u"佐藤　花子"_qs};
    const auto expand = [&](const char* text) {
        return QString::fromUtf8(text).replace(u"%1"_qs, thirty).replace(u"%2"_qs, thirty.left(28));
    };
    for (const auto& [name, sheet, cell] : cases) {
        report.teachers << TeacherMonth{.name = expand(name),
                                        .days = {calendarDay({2026, 1, 1}, {})}};
        expected << expand(sheet);
        for (const QByteArray& csv : {dailyCsv(report), summaryCsv(report)})
            EXPECT_TRUE(csv.contains("\n" + expand(cell).toUtf8() + ",")) << name;
    }
    QTemporaryDir dir;
    const QString file = dir.filePath(u"a.xlsx"_qs);
    writeXlsx(report, file, file);
    QStringList sheets;
    for (const auto& m : QRegularExpression(u"<sheet name=\"([^\"]*)\""_qs)
                             .globalMatch(unzip(file, "xl/workbook.xml")))
        sheets << m.captured(1);
    EXPECT_EQ(sheets, expected);
    EXPECT_TRUE(unzip(file, "xl/sharedStrings.xml").contains(u"2026年1月　a[b]<"_qs));
    // The summary's 要確認 beside 出勤日数: Tanaka's three days, a number.
    EXPECT_TRUE(unzip(file, "xl/sharedStrings.xml").contains(u">要確認<"_qs));
    EXPECT_TRUE(QRegularExpression(uR"re(<c r="C2"( s="\d+")?><v>3</v>)re"_qs)
                    .match(unzip(file, "xl/worksheets/sheet1.xml"))
                    .hasMatch());
    EXPECT_TRUE(
        unzip(file, "xl/worksheets/sheet7.xml").contains(u"&amp;L在校等時間 2026年1月　a[b]<"_qs));
    // Tanaka's sheet, 2026-01-05 under the title and the headings: 8:10 to 16:00 is 7:05.
    const auto cell = QRegularExpression(uR"re(<c r="E7" s="(\d+)"><v>([0-9.]+)</v>)re"_qs)
                          .match(unzip(file, "xl/worksheets/sheet2.xml"));
    ASSERT_TRUE(cell.hasMatch());
    EXPECT_NEAR(cell.captured(2).toDouble(), 425.0 / 1440, 1e-9);
    // Its style's number format: the xf's first attribute is numFmtId.
    const QString styles = unzip(file, "xl/styles.xml");
    const QString xf =
        styles.section(u"<cellXfs"_qs, 1).split(u"<xf "_qs).value(cell.captured(1).toInt() + 1);
    EXPECT_TRUE(styles.contains(
        u"<numFmt numFmtId=\"%1\" formatCode=\"[h]:mm\""_qs.arg(xf.section(u'"', 1, 1))))
        << qPrintable(xf);
}

// The real program over July 2026 with the school's files beside the records (data/ledger),
// which it finds there by itself. Each person's month by hand (break 0:45 past 6:00; July has
// 22 working days: 23 weekdays less 7/20 海の日 and 7/24 閉庁, plus 7/11 土曜授業):
// 職員A (school's hours): 7/1 8:00-17:00 8:15 (+0:30); 7/2 出張 8:30-17:00 7:45; 7/3 退訂正 to
//   18:40 9:45 (+2:00); 7/6 出張 cancelled, nothing; 7/7 5:30 + 在宅 2:00 - 0:45 = 6:45;
//   7/8 8:00-15:00 6:15, 休暇 2:00 so 所定 5:45 (+0:30); 7/10 10:00 - 0:45 - 研鑽 1:30 = 7:45;
//   7/13 出のみ, nothing; 7/14 出のみ with 退訂正 17:30 8:45 (+1:00). 7 days 55:15, beyond 4:00,
//   所定 22 × 7:45 - 2:00 = 168:30.
// 職員B (月火金 4:00, 水 the school's, 木 0:00, until 7/15): 7/6 5:00 (+1:00); 7/8 4:00;
//   7/9 4:00 (+4:00); 7/11 8:15 (+0:30); 7/16, the line ended, 4:00. 5 days 25:15, beyond
//   5:30; 所定 6 × 4:00 + 14 × 7:45 = 132:30.
// 職員C (only listed): nothing, 所定 170:30.
// 職員D (only entries): 7/9 出張 9:00-16:00 6:15; June's Saturday 出張 8:00-18:00 9:15 all
//   beyond, in the year's. 1 day 6:15, beyond 0:00, year 9:15, 所定 170:30.
TEST(CommandLine, CountsTheSchoolsFiles) {
    QTemporaryDir out;
    QProcess p;
    p.start(QStringLiteral(VELMORA_REPORT),
            {u"--last-year"_qs, u"2026"_qs, u"-o"_qs, out.path(), DATA u"/ledger/Velmora.dat"_qs});
    ASSERT_TRUE(p.waitForFinished(60000) && p.exitCode() == 0);
    EXPECT_TRUE(QString::fromUtf8(p.readAllStandardError()).contains(u"申告.dat 11行目"_qs));
    for (const char* name : {"", "_集計"})
        EXPECT_EQ(contents(out.filePath(u"在校等時間_2026-07%1.csv"_qs.arg(name))),
                  contents(DATA u"/expected_ledger%1.csv"_qs.arg(name)))
            << name;
}

// Every line of the real program's help speaks Japanese, Qt's own lines included.
TEST(CommandLine, HelpsInJapanese) {
    QProcess p;
    p.start(QStringLiteral(VELMORA_REPORT), {u"--help"_qs});
    ASSERT_TRUE(p.waitForFinished(60000) && p.exitCode() == 0);
    const QString help = QString::fromUtf8(p.readAllStandardOutput());
    EXPECT_FALSE(help.contains(QRegularExpression(u"(^|\\n)[ -~]+\\n"_qs))) << help.toStdString();
}

// The command line: what it is given, its exit status and what it says.
// clang-format off
const char* const kCommands[][3] = {
    {"missing.dat",                              "2", "ファイルが見つかりません \"missing.dat\""},
    {"--month 2026-13 DATA/terminal1.dat",       "2", "--month 2026-13: 年月 (YYYY-MM) ではありません"},
    {"--month 2025-08 DATA/terminal1.dat",       "2", "2025年8月の記録がありません"},
    {"--days-off DATA/daysoff.txt DATA/terminal1.dat", "2", "\"DATA/daysoff.txt\" 3行目: 日付 (YYYY-MM-DD) ではありません"},
    {"--format ods DATA/terminal1.dat",          "2", "--format ods: csv、xlsx、pdf のどれか"},
    {"--hours 7 DATA/terminal1.dat",             "2", "--hours 7: 時間 (H:MM)"},
    {"--hours 24:01 DATA/terminal1.dat",         "2", "--hours 24:01: 0:00〜24:00"},
    {"--hours 24:00 --month 2025-12 DATA/terminal1.dat", "0", ""},
    {"--break 361 DATA/terminal1.dat",           "2", "--break 361: 0〜360 の分数"},
    {"--last-year 1999 DATA/terminal1.dat",      "2", "--last-year 1999: 2000〜2099 の年"},
    {"-o none DATA/terminal1.dat",               "2", "フォルダが見つかりません \"none\""},
    {"--ledger none DATA/terminal1.dat",         "2", "フォルダが見つかりません \"none\""},
    {"--bogus DATA/terminal1.dat",               "2", "'bogus'"},
    {"FIFO DATA/terminal1.dat",                  "2", "\"FIFO\": 通常のファイルではありません"},
    {"DATA/terminal1.dat DATA",                  "2", "\"DATA\": 通常のファイルではありません"},
    {"/dev/null",                                "2", "\"/dev/null\": 通常のファイルではありません"},
    {"--days-off FIFO DATA/terminal1.dat",       "2", "\"FIFO\": 通常のファイルではありません"},
    {"--days-off LONG DATA/terminal1.dat",       "2", "\"LONG\" 2行目: 行が長すぎます"},
    {"--help",                                   "0", ""},
    {"--month 2025-12 DATA/terminal1.dat",       "0", ""},
    {"--month 2025-12 DATA/terminal1.dat DATA/ledger/申告.dat DATA/利用者Felica.dat", "0",
     "velmora-report: 打刻の記録ファイルではないため読みません: DATA/ledger/申告.dat, DATA/利用者Felica.dat\n"},
};
// clang-format on

TEST(CommandLine, AnswersEachInputWithItsStatusAndMessage) {
    QTemporaryDir dir;
    const QString fifo = dir.filePath(u"fifo.dat"_qs); // an open that waits would hang
    mkfifo(QFile::encodeName(fifo), 0600);
    // A line over 1 MiB counts among the lines, in a file whose name arg() would substitute into.
    const QString tooLong = dir.filePath(u"休業日%2.txt"_qs);
    write(tooLong, "2026-08-13\n" + QByteArray(kLongestLine + 1, '2') + "\nx\n");
    const auto data = [&](const char* t) {
        const QString files = QString(t).replace("DATA", DATA).replace(u"FIFO"_qs, fifo);
        return QString(files).replace(u"LONG"_qs, tooLong);
    };
    for (const auto& [args, status, message] : kCommands) {
        QTemporaryDir out;
        QString err;
        const QStringList line =
            QStringList{"velmora-report", "--last-year", "2026", "-o", out.path()} +
            data(args).split(u' ');
        EXPECT_EQ(runReport(line, {[](const QString&) {}, [&](const QString& t) { err += t; }}),
                  QByteArray(status).toInt())
            << args;
        EXPECT_TRUE(err.contains(data(message))) << err.toStdString();
        EXPECT_TRUE(err.isEmpty() || err.startsWith(u"velmora-report: "_qs)) << args;
        const bool written = *status == '0' && !QByteArray(args).startsWith("--help");
        EXPECT_EQ(QDir(out.path()).entryList(QDir::Files).size(), written ? 2 : 0) << args;
    }
}

} // namespace
