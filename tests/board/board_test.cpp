// The board's month over three small schools computed by hand, and its exit statuses through
// the real program.

#include "board/schools.h"
#include "report/closing.h"
#include "storage/cp932.h"
#include "support/print.h"
#include "support/reportfiles.h"

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace velmora;
using namespace velmora::test;

namespace {

// No regular hours and no break: every minute in school is beyond regular hours.
const QDate kMonth(2026, 10, 1);
const QDate kModified(2026, 10, 31);

// A teacher's months as "name:2026-09=82:00,2026-10=79:00": days of at most 15 h from the
// 1st, 8:00 on.
QByteArray records(const QString& teacher) {
    QByteArray out;
    const QString name = teacher.section(u':', 0, 0);
    const auto line = [&](QDate d, int minutes, const char* kind) {
        out += "\"" + *toCp932(name) + "\",\"" + d.toString(u"MM/dd"_qs).toLatin1() + "\",\"" +
               hoursText(minutes).toLatin1() + "\",\"" + *toCp932(QString::fromUtf8(kind)) +
               "\"\r\n";
    };
    for (const QString& month : teacher.section(u':', 1).split(u',')) {
        QDate day = QDate::fromString(month.left(7) + u"-01"_qs, Qt::ISODate);
        for (int left =
                 month.section(u'=', 1).section(u':', 0, 0).toInt() * 60 + month.right(2).toInt();
             left > 0; left -= 15 * 60, day = day.addDays(1)) {
            line(day, 8 * 60, "出");
            line(day, 8 * 60 + std::min(left, 15 * 60), "退");
        }
    }
    return out;
}

// As a terminal writes them: by date.
QByteArray inDateOrder(const QByteArray& lines) {
    QByteArrayList sorted = lines.split('\n');
    std::stable_sort(sorted.begin(), sorted.end(), [](const QByteArray& a, const QByteArray& b) {
        return a.split(',').value(1) < b.split(',').value(1);
    });
    return sorted.join('\n');
}

// Folders east (named by a UTF-8 学校名.txt), west (by a CP932 one) and late, whose file was
// modified in a year after today's.
void makeSchools(const QDir& dir) {
    const QString m = u"2026-10="_qs;
    for (const char* folder : {"east", "west", "late"}) dir.mkdir(QString::fromLatin1(folder));
    QByteArray east;
    for (const QString& t :
         {u"a:"_qs + m + u"45:00"_qs, u"b:"_qs + m + u"80:00"_qs, u"c:"_qs + m + u"100:00"_qs,
          u"d:"_qs + m + u"79:59"_qs, u"s:"_qs + m + u"10:00"_qs})
        east += records(t);
    east += "\"a\",\"10/25\",\"8:00\",\"" + *toCp932(u"出"_qs) + "\"\r\n"; // a day to correct
    write(dir.filePath(u"east/職員室.dat"_qs), east, kModified);
    write(dir.filePath(u"east/学校名.txt"_qs), " 東小学校 \r\nx\r\n");
    QString g = u"g:"_qs, f = u"f:"_qs;
    for (int month = 4; month <= 10; ++month) {
        g += QStringLiteral("2026-%1=110:00,").arg(month, 2, 10, QChar(u'0'));
        f += QStringLiteral("2026-%1=52:00,").arg(month, 2, 10, QChar(u'0'));
    }
    write(dir.filePath(u"west/a.dat"_qs),
          inDateOrder(records(g.chopped(1)) + records(f.chopped(1)) +
                      records(u"e:2026-09=82:00,2026-10=79:00"_qs) +
                      records(u"s:"_qs + m + u"50:00"_qs)),
          kModified);
    write(dir.filePath(u"west/学校名.txt"_qs), *toCp932(u"西中学校"_qs));
    write(dir.filePath(u"late/a.dat"_qs), records(u"h:"_qs + m + u"8:00"_qs), QDate(2031, 1, 1));
}

QString rowText(const SchoolRow& r) {
    QStringList cells{r.name, QString::number(r.teachers), QString::number(r.toCorrect)};
    for (int m : {r.beyond.mean, r.beyond.median, r.beyond.largest}) cells << hoursText(m);
    cells << hoursText(int(r.beyond.total));
    for (int n : r.bands) cells << QString::number(n);
    cells << QString::number(r.over360) << QString::number(r.over720);
    if (r.closing) cells << closingStateText(*r.closing);
    return cells.join(u' ');
}

class Board : public ::testing::Test {
protected:
    void SetUp() override { makeSchools(QDir(dir.path())); }
    QString folder(const char* name) const { return dir.filePath(QString::fromLatin1(name)); }
    QTemporaryDir dir;
};

TEST_F(Board, ThreeSchoolsComputedByHand) {
    BoardRequest request;
    request.folders = {folder("east"), folder("west"), folder("late")};
    request.base.month = kMonth;
    request.base.rules.regularMinutes = 0;
    request.base.rules.breakMinutes = 0;
    request.base.today = QDate(2026, 11, 5);
    // East closed as the board reads it; west closed under another break, so changed since.
    for (const auto& [school, breakMinutes] : {std::pair{"east", 0}, std::pair{"west", 60}}) {
        ReportRequest closing = request.base;
        closing.files = folderRecordFiles(folder(school));
        closing.ledgerFolder = folder(school);
        closing.rules.breakMinutes = breakMinutes;
        closeMonth(buildReport(closing), u"x"_qs, u"y"_qs, QDateTime(kModified, QTime(9, 0)));
    }
    const BoardReport board = buildBoard(request);
    QStringList rows;
    for (const SchoolRow& r : board.rows) rows << rowText(r);
    rows << rowText(board.total);
    // Name, teachers, to correct, 時間外 mean, median, largest, total, the four bands, 360, 720,
    // 締め.
    // 45:00 is the lowest band, 80:00 and 100:00 open theirs; s counts in both schools; the
    // board's median is its ninth teachers' fifth, not a mean of the schools' medians.
    EXPECT_EQ(rows,
              QStringList({u"東小学校 5 1 62:59 79:59 100:00 314:59 2 1 1 1 0 0 締め済み"_qs,
                           u"西中学校 4 0 72:45 65:30 110:00 291:00 0 3 0 1 2 1 締め後に変更"_qs,
                           u"教育委員会計 9 1 67:19 79:00 110:00 605:59 2 4 1 2 2 1"_qs}));
    QStringList notices;
    for (const Notice& n : board.notices)
        notices << n.school + u' ' + n.teacher.name + u' ' + flagsText(n.limits);
    EXPECT_EQ(notices, QStringList({u"東小学校 b 月80時間以上"_qs, u"東小学校 c 月80時間以上"_qs,
                                    u"西中学校 e 2〜6か月平均80時間超"_qs,
                                    u"西中学校 f 45時間超が年7か月以上"_qs,
                                    u"西中学校 g 月80時間以上・2〜6か月平均80時間超・"
                                    u"45時間超が年7か月以上"_qs}));
    ASSERT_EQ(board.leftOut.size(), 1);
    EXPECT_EQ(board.leftOut[0].folder, folder("late"));
    EXPECT_TRUE(board.leftOut[0].reason.contains(u"a.dat"))
        << (board.leftOut[0].reason).toStdString();
}

// 0 with every school read, 1 with one left out (named on stderr and in the files), 2 with
// none read, when nothing is written.
TEST_F(Board, ExitStatusSaysWhetherSchoolsWereLeftOut) {
    struct Case {
        QStringList folders;
        int status;
        bool written;
    };
    const Case cases[] = {{{u"east"_qs, u"west"_qs}, 0, true},
                          {{u"east"_qs, u"late"_qs}, 1, true},
                          {{u"late"_qs, u"none"_qs}, 2, false}};
    for (const Case& c : cases) {
        QTemporaryDir out;
        QProcess program;
        program.setWorkingDirectory(dir.path());
        program.start(VELMORA_REPORT,
                      QStringList{u"--board"_qs, u"-m"_qs, u"2026-10"_qs, u"-o"_qs, out.path(),
                                  u"--hours"_qs, u"0:00"_qs, u"--break"_qs, u"0"_qs} +
                          c.folders);
        ASSERT_TRUE(program.waitForFinished(30000));
        const QString err = QString::fromUtf8(program.readAllStandardError());
        EXPECT_EQ(program.exitCode(), c.status) << (err).toStdString();
        const QByteArray csv = contents(out.filePath(u"在校等時間_教育委員会_2026年10月.csv"_qs));
        EXPECT_EQ(!csv.isEmpty(), c.written) << (err).toStdString();
        EXPECT_EQ(err.contains(u"late"), c.folders.contains(u"late")) << (err).toStdString();
        EXPECT_EQ(csv.contains("late"), c.status == 1);
    }
}

// With -f year, one workbook of a sheet per school read, under its name.
TEST_F(Board, YearOfEachSchoolInOneWorkbook) {
    QTemporaryDir out;
    QProcess program;
    program.setWorkingDirectory(dir.path());
    program.start(VELMORA_REPORT, {u"--board"_qs, u"-m"_qs, u"2026-10"_qs, u"-f"_qs, u"year"_qs,
                                   u"-o"_qs, out.path(), u"east"_qs, u"west"_qs, u"late"_qs});
    ASSERT_TRUE(program.waitForFinished(30000));
    EXPECT_EQ(program.exitCode(), 1) << program.readAllStandardError().toStdString();
    QProcess unzip;
    unzip.start(u"unzip"_qs, {u"-p"_qs, out.filePath(u"在校等時間_教育委員会_2026年度.xlsx"_qs),
                              u"xl/workbook.xml"_qs});
    ASSERT_TRUE(unzip.waitForFinished(30000));
    const QString workbook = QString::fromUtf8(unzip.readAllStandardOutput());
    EXPECT_EQ(workbook.count(u"<sheet "_qs), 2) << workbook.toStdString();
    EXPECT_TRUE(workbook.contains(u"name=\"東小学校\""_qs) && workbook.contains(u"西中学校"_qs));
}

} // namespace
