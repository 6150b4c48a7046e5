// A month closed, then its files changed: each change marked on its day, the closing read back
// from 締め.dat, and --verify's answers through the real program.

#include "report/closing.h"
#include "report/report.h"
#include "storage/datafiles.h"
#include "support/reportfiles.h"

#include <QDir>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <functional>
#include <gtest/gtest.h>

using namespace velmora;
using namespace velmora::test;

namespace {

const QByteArray kArrival = "\x8f\x6f", kLeaving = "\x91\xde"; // 出, 退 in CP932

QByteArray record(const char* name, QDate day, const char* time, bool arrival) {
    return "\"" + QByteArray(name) + "\",\"" + day.toString(u"MM/dd"_qs).toLatin1() + "\",\"" +
           time + "\",\"" + (arrival ? kArrival : kLeaving) + "\"\r\n";
}

// A and B at school 8:00–17:00 every weekday of July 2026; A's leaving on 7/6 corrected to
// 18:00.
struct School {
    QTemporaryDir dir;
    QString records = dir.filePath(u"Velmora.dat"_qs);
    School() {
        QByteArray bytes;
        for (QDate d(2026, 7, 1); d.month() == 7; d = d.addDays(1))
            if (d.dayOfWeek() <= 5)
                for (const char* name : {"A", "B"})
                    bytes += record(name, d, "8:00", true) + record(name, d, "17:00", false);
        write(records, bytes);
        write(dir.filePath(u"申告.dat"_qs), entry("退訂正", "", "18:00"));
    }
    static QByteArray entry(const char* kind, const char* start, const char* end) {
        return QStringLiteral(
                   "\"2026-07-01 09:00\",\"教頭\",\"A\",\"2026-07-06\",\"%1\",\"%2\",\"%3\","
                   "\"打刻忘れ\"\r\n")
            .arg(QString::fromUtf8(kind), QString::fromUtf8(start), QString::fromUtf8(end))
            .toUtf8();
    }
    void append(const QString& name, const QByteArray& bytes) {
        write(dir.filePath(name), contents(dir.filePath(name)) + bytes);
    }
    MonthReport report() const { return buildReport({{records}, 2026, QDate(2026, 7, 1), {}}); }
};

// Each change after closing and what the report says of A's days: "date: changes".
const std::pair<const char*, std::function<void(School&)>> kChanges[] = {
    {"", [](School&) {}},
    {"2026-07-02: 退 17:00 → 19:00、在校等時間 8:15 → 10:15、時間外 0:30 → 2:30",
     [](School& s) {
         s.append(u"Velmora.dat"_qs, record("A", {2026, 7, 2}, "19:00", false));
     }},
    {"2026-07-03: 在校等時間 8:15 → 9:15、時間外 0:30 → 1:30",
     [](School& s) {
         s.append(u"申告.dat"_qs,
                  School::entry("出張", "17:00", "18:00").replace("07-06", "07-03"));
     }},
    {"2026-07-06: 退 18:00 → 17:00、在校等時間 9:15 → 8:15、時間外 1:30 → 0:30",
     [](School& s) { s.append(u"申告.dat"_qs, School::entry("退訂正取消", "", "18:00")); }},
    {"2026-07-07: 時間外 0:30 → 1:15、所定 7:45 → 7:00",
     [](School& s) {
         write(s.dir.filePath(u"職員.csv"_qs),
               u"\"A\",\"\",\"7:00\",\"\",\"\",\"\",\"2026-07-07\",\"2026-07-07\"\r\n"_qs.toUtf8());
     }},
    {"2026-07-08: 退 17:00 → 17:30、在校等時間 8:15 → 8:45、時間外 0:30 → 1:00",
     [](School& s) {
         write(s.records, contents(s.records).replace(record("A", {2026, 7, 8}, "17:00", false),
                                                      record("A", {2026, 7, 8}, "17:30", false)));
     }},
    // The same arrival twice counts once: only the fingerprint tells.
    {"2026-07-09: 指紋 # → #",
     [](School& s) {
         s.append(u"Velmora.dat"_qs, record("A", {2026, 7, 9}, "8:00", true));
     }},
};

TEST(Closing, MarksEachChangeOnItsDayWithItsFiguresBeforeAndAfter) {
    for (const auto& [expected, change] : kChanges) {
        School school;
        closeMonth(school.report(), u"教頭"_qs, {}, QDateTime(QDate(2026, 8, 3), QTime(9, 0)));
        change(school);
        const MonthReport report = school.report();
        ASSERT_EQ(report.closings.size(), 1);
        QStringList changed;
        for (const Day& day : report.teachers[0].days)
            if (day.closedAs)
                changed << dateText(day.date) + u": "_qs +
                               changeTexts(day).join(u'、').replace(
                                   QRegularExpression(u"[0-9a-f]{12}"_qs), u"#"_qs);
        EXPECT_EQ(changed.join(u' '), QString::fromUtf8(expected));
        EXPECT_EQ(report.teachers[0].closing,
                  *expected ? ClosingState::Changed : ClosingState::Closed);
        EXPECT_EQ(report.teachers[1].closing, ClosingState::Closed) << expected;
        EXPECT_EQ(report.teachers[0].fingerprint ==
                      report.closings[0].teachers[u"A"_qs].fingerprint,
                  !*expected);
    }
}

// Written and read back alike; a line that cannot be read is a problem and leaves the others.
TEST(Closing, RoundTripsThroughItsFileWithAMalformedLineKeptAsAProblem) {
    School school;
    const MonthReport first = school.report();
    const QDateTime at(QDate(2026, 8, 3), QTime(9, 0));
    closeMonth(first, u"教頭"_qs, {}, at);
    school.append(u"締め.dat"_qs, "\"2026-07\",\"2026-08-03 09:05\",\"教頭\"\r\n");
    EXPECT_THROW(closeMonth(school.report(), u"教頭"_qs, {}, at.addDays(1)), Failure);
    closeMonth(school.report(), u"校長"_qs, u"出張の記入漏れ"_qs, at.addDays(1));
    const MonthReport again = school.report();
    ASSERT_EQ(again.closings.size(), 2);
    const Closing& closing = again.closings[0];
    EXPECT_EQ(closing.at, QDateTime(QDate(2026, 8, 3), QTime(9, 0), Qt::UTC));
    EXPECT_EQ(closing.teachers.size(), 2);
    for (const TeacherMonth& teacher : first.teachers) {
        EXPECT_EQ(closing.teachers[teacher.name], closedFigures(teacher));
        for (const Day& day : teacher.days)
            EXPECT_EQ(closing.days[teacher.name][day.date], closedFigures(day));
    }
    EXPECT_EQ(again.closings[1].by + again.closings[1].reason, u"校長出張の記入漏れ"_qs);
    const int lines = 2 * (31 + 1);
    ASSERT_EQ(again.ledger.problems.size(), 1);
    EXPECT_TRUE(again.ledger.problems[0].text().startsWith(u"締め.dat %1行目: "_qs.arg(lines + 1)));
    Entry late;
    late.date = QDate(2026, 7, 9);
    late.written = at;
    EXPECT_FALSE(writtenAfterClosing(late, again));
    late.written = at.addDays(2);
    EXPECT_TRUE(writtenAfterClosing(late, again));
}

int run(const QStringList& arguments, QString* out = nullptr) {
    QProcess p;
    p.start(QStringLiteral(VELMORA_REPORT), arguments);
    if (!p.waitForFinished(60000)) return -1;
    if (out) *out = QString::fromUtf8(p.readAllStandardOutput() + p.readAllStandardError());
    return p.exitCode();
}

TEST(Closing, VerifiesThroughTheProgramWithItsExitStatus) {
    School school;
    const QStringList month{u"--last-year"_qs, u"2026"_qs, u"-m"_qs, u"2026-07"_qs};
    const QStringList verify = month + QStringList{u"--verify"_qs, school.records};
    QString said;
    EXPECT_EQ(run(verify, &said), 1);
    EXPECT_TRUE(said.contains(u"2026-07 は締められていません"_qs)) << said.toStdString();
    EXPECT_EQ(run(month + QStringList{u"--close"_qs, school.records}, &said), 2);
    EXPECT_TRUE(said.contains(u"--by"_qs)) << said.toStdString();
    EXPECT_EQ(run(month + QStringList{u"--close"_qs, u"--by"_qs, u"教頭"_qs, school.records}), 0);
    EXPECT_EQ(run(verify, &said), 0);
    EXPECT_TRUE(said.contains(u" 一致"_qs)) << said.toStdString();
    school.append(u"Velmora.dat"_qs, record("B", {2026, 7, 31}, "19:00", false));
    EXPECT_EQ(run(verify, &said), 1);
    EXPECT_TRUE(said.contains(u"不一致 2026-07-31"_qs)) << said.toStdString();
    EXPECT_EQ(run(month + QStringList{u"-o"_qs, school.dir.path(), school.records}, &said), 0);
    EXPECT_TRUE(said.contains(u"B 2026-07-31 締め後に変更: 退 17:00 → 19:00"_qs))
        << said.toStdString();
    EXPECT_EQ(run(month + QStringList{u"--verify"_qs, school.dir.filePath(u"none.dat"_qs)}), 2);
}

} // namespace
