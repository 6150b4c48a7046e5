// The record file and the computed times, without any window.

#include "attendance.h"
#include "cp932.h"
#include "doubles.h"
#include "fields.h"

#include <QFile>
#include "records.h"

#include <gtest/gtest.h>
#include <random>


using namespace velmora;
using namespace velmora::test;

namespace {

const QString kUser = QStringLiteral("職員A");

QByteArray rec(const QString& name, const QString& date, const QString& time, const QString& kind) {
    return '"' + sjis(name) + "\",\"" + sjis(date) + "\",\"" + sjis(time) + "\",\"" + sjis(kind) +
           "\"\r\n";
}

// The plain reading: every line from the first, the last match wins.
AttendanceRecord forwardLast(std::string_view bytes, const QString& name) {
    const auto wanted = toCp932(name);
    AttendanceRecord found;
    LineReader lines(bytes);
    std::string_view line, f[4];
    while (wanted && lines.next(line))
        if (readFields(line, f, 4) == 4 && f[0] == view(*wanted))
            found = {fromCp932(f[0]), fromCp932(f[1]), fromCp932(f[2]), fromCp932(f[3])};
    return found;
}

AttendanceRecord inFile(const TestWorld& world, const QString& name, qint64 block = 64 * 1024) {
    return FindLastRecord(DataFolder(QDir(world.dir.path())), name, block);
}

TEST(ComputedTimes, ArrivalRoundsDownAndLeavingGoesOnToTheNextFive) {
    const char* cases[][3] = {
        {"8:04", "8:00", "08:05"},      {"8:05", "8:05", "08:10"},
        {"8:09", "8:05", "08:10"},      {"12:59", "12:55", "13:00"},
        {"8:07:59", "8:05", "08:10"},   {"9:04:10", "9:00", "09:05"},
        {"13:00:00", "13:00", "13:05"}, {"23:59:59", "23:55", "24:00"},
        {"17:00", "17:00", "17:05"},    {"17:04", "17:00", "17:05"},
        {"17:05", "17:05", "17:10"},    {"8:59", "8:55", "09:00"},
        {"23:55", "23:55", "24:00"},    {"17:07:30", "17:05", "17:10"},
        {"9:00:00", "9:00", "09:05"},   {"12:00:00", "12:00", "12:05"},
        {"09:07:00", "09:05", "09:10"}, // a padded hour stays padded
    };
    for (const auto& c : cases) {
        EXPECT_EQ(arrivalTime(c[0]), QString(c[1])) << c[0];
        EXPECT_EQ(leavingTime(c[0]), QString(c[2])) << c[0];
    }
}

TEST(LastRecord, FindsTheLastCompleteRecordOfExactlyThatName) {
    const QByteArray good = rec(kUser, "06/30", "8:05", "出"), sato = rec("Sato", "1", "2", "3");
    const AttendanceRecord found{kUser, "06/30", "8:05", "出"};
    const QByteArray user = '"' + sjis(kUser) + '"';
    struct Case {
        const char* what;
        QByteArray bytes;
        AttendanceRecord expected;
        QString name = QStringLiteral("職員A");
    } cases[] = {
        {"empty file", "", {}},
        {"none of the user", sato, {}},
        {"several: the last", rec(kUser, "07/02", "9:00", "退") + good + sato, found},
        {"case differs", rec("sato", "07/01", "8:00", "出"), {}, "Sato"},
        {"width differs", rec(QStringLiteral("職員Ａ"), "07/01", "8:00", "出"), {}},
        {"trailing space differs", rec(kUser + ' ', "07/01", "8:00", "出"), {}},
        {"no year", rec(kUser, "07/01", "8:05", "出"), {kUser, "07/01", "8:05", "出"}},
        {"comma in a name", rec("A, B", "07/01", "8:05", "出") + rec("A", "1", "2", "3"),
         {"A, B", "07/01", "8:05", "出"}, "A, B"},
        {"unstorable name", rec("?", "07/01", "8:05", "出"), {}, QStringLiteral("😀")},
        {"blank lines", "\r\n\r\n" + good + "\r\n\n\r\r\n", found},
        {"three fields", good + user + ",\"07/01\",\"17:10\"\r\n", found},
        {"cut off mid-field", good + user + ",\"07/0", found},
        {"the name alone", good + user, found},
        {"no final line end", rec(kUser, "06/29", "8:00", "出") + good.chopped(2), found},
        {"lone LF and CR", good.chopped(2) + "\n" + rec(kUser, "1", "2", "3").chopped(2) + "\r",
         {kUser, "1", "2", "3"}},
        {"CR CR LF", good.chopped(2) + "\r\r\n", found},
        {"bad bytes, NULs", good + "\xff\x81\r\n\"\x81\",,,\r\n" + QByteArray(2, 0), found},
    };
    TestWorld world;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(lastRecordIn(view(c.bytes), c.name), c.expected);
        world.write(kRecordFile, c.bytes);
        for (qint64 block : {1, 2, 5, 65536}) EXPECT_EQ(inFile(world, c.name, block), c.expected);
    }
}

// Files as the program writes them, then broken by hand: the backward reading, across
// block boundaries, must agree with the forward one on every name.
TEST(LastRecord, BackwardReadingAgreesWithForwardReading) {
    const QStringList users = {kUser, QStringLiteral("職員Ａ"), "Tanaka, Ichiro", "Tanaka",
                               "Sato Hanako", "Sato Hanako ", "A,B,C", "a", "", "nobody"};
    std::mt19937 random(20260701);
    auto pick = [&](int n) { return int(random() % unsigned(n)); };
    auto two = [&](int n) { return QStringLiteral("%1").arg(pick(n) + 1, 2, 10, QChar(u'0')); };
    const char junk[] = {'\r', '\n', '"', ',', ' ', 'a', '\xff', '\x81', '\x82', '\0'};
    TestWorld world;
    for (int round = 0; round < 400; ++round) {
        QByteArray bytes;
        for (int i = pick(30); i > 0; --i) {
            const QString clock = QStringLiteral("%1:%2:00").arg(pick(24)).arg(two(59));
            const QString times[] = {arrivalTime(clock), leavingTime(clock), "", "00:00"};
            const QString kind = pick(2) ? kArrival : kLeaving;
            bytes += rec(users[pick(8)], two(12) + '/' + two(28), times[pick(4)], kind);
        }
        for (int faults = round % 3 ? 1 + pick(4) : 0; faults > 0; --faults) {
            const int at = pick(int(bytes.size()) + 1);
            switch (pick(4)) {
            case 0: bytes.insert(at, pick(2) ? "\r\n" : pick(2) ? "\n" : "\r"); break;
            case 1: bytes.insert(at, junk[pick(sizeof junk)]); break;
            case 2: bytes.remove(at, 1 + pick(3)); break;
            case 3: bytes.replace("\r\n", pick(2) ? "\n" : "\r"); break;
            }
        }
        SCOPED_TRACE(bytes.toPercentEncoding().toStdString());
        world.write(kRecordFile, bytes);
        const qint64 block = 1 + pick(24);
        for (const QString& name : users) {
            const AttendanceRecord expected = forwardLast(view(bytes), name);
            ASSERT_EQ(lastRecordIn(view(bytes), name), expected) << name.toStdString();
            ASSERT_EQ(inFile(world, name, block), expected) << name.toStdString() << block;
        }
    }
}

#ifndef _WIN32
TEST(LastRecord, DeviceInPlaceOfTheFileIsAFaultNotAnEndlessRead) {
    TestWorld world;
    ASSERT_TRUE(QFile::link(QStringLiteral("/dev/zero"), world.path(kRecordFile)));
    try {
        inFile(world, kUser);
        ADD_FAILURE() << "read a device";
    } catch (const Failure& failure) {
        EXPECT_TRUE(failure.message().contains(kRecordFile));
    }
}
#endif

TEST(AppendRecord, WritesOneLineInCp932) {
    TestWorld world;
    const DataFolder files(QDir(world.dir.path()));
    EXPECT_EQ(inFile(world, kUser), AttendanceRecord{});
    EXPECT_FALSE(world.exists(kRecordFile)) << "a lookup makes no file";
    AppendRecord(files, {kUser, "07/01", "8:05", kArrival});
    EXPECT_EQ(world.read(kRecordFile),
              "\"\x90\x45\x88\xf5" "A\",\"07/01\",\"8:05\",\"\x8f\x6f\"\r\n");

    // A last line left without its end by hand: the record starts a line of its own.
    world.write(kRecordFile, "no final line end");
    AppendRecord(files, {"Tanaka, Ichiro", "07/01", "17:10", kLeaving});
    AppendRecord(files, {"Sato ", "07/01", "", kLeaving});
    EXPECT_EQ(world.read(kRecordFile),
              "no final line end\r\n\"Tanaka, Ichiro\",\"07/01\",\"17:10\",\"\x91\xde\"\r\n"
              "\"Sato \",\"07/01\",\"\",\"\x91\xde\"\r\n");
}

TEST(AppendRecord, RefusesWhatWouldReadBackAltered) {
    const std::pair<QString, QString> cases[] = {
        {QStringLiteral("職員😀"), "8:05"}, {"a\"b", "8:05"}, {"a\nb", "8:05"},
        {kUser, "8:\"05"}, {kUser, "8:05\r"}, {kUser, "8:05\n"}, {kUser, "8:05€"}};
    for (const auto& [name, time] : cases) {
        SCOPED_TRACE(name.toStdString() + " " + time.toStdString());
        TestWorld world;
        world.write(kRecordFile, "x\r\n");
        try {
            AppendRecord(DataFolder(QDir(world.dir.path())), {name, "07/01", time, kArrival});
            ADD_FAILURE() << "accepted";
        } catch (const Failure& failure) {
            EXPECT_EQ(failure.message().contains(time), name == kUser);
            EXPECT_EQ(failure.message().contains(QStringLiteral("利用者名")), name != kUser);
        }
        EXPECT_EQ(world.read(kRecordFile), "x\r\n");
    }
}

} // namespace
