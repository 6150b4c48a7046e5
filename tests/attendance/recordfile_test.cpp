// The record file and the computed times, without any window.

#include "attendance.h"
#include "cp932.h"
#include "doubles.h"
#include "fields.h"
#include "fulldisk.h"

#include <QFile>
#include <gtest/gtest.h>
#include <random>

namespace velmora {
void PrintTo(const AttendanceRecord& r, std::ostream* os) {
    *os << "{" << r.name.toStdString() << " | " << r.date.toStdString() << " | "
        << r.time.toStdString() << " | " << r.kind.toStdString() << "}";
}
} // namespace velmora

using namespace velmora;
using namespace velmora::test;

namespace {

// One line as the program writes it, spelt out byte by byte.
QByteArray record(const QString& name, const QString& date, const QString& time,
                  const QString& kind) {
    return '"' + sjis(name) + "\",\"" + sjis(date) + "\",\"" + sjis(time) + "\",\"" + sjis(kind) +
           "\"\r\n";
}

// The plain reading: every line from the first, the last match wins.
AttendanceRecord forwardLast(std::string_view bytes, const QString& name) {
    const auto wanted = toCp932(name);
    if (!wanted) return {};
    AttendanceRecord found;
    LineReader lines(bytes);
    std::string_view line;
    while (lines.next(line)) {
        std::string_view f[4];
        if (readFields(line, f, 4) == 4 && f[0] == view(*wanted))
            found = {fromCp932(f[0]), fromCp932(f[1]), fromCp932(f[2]), fromCp932(f[3])};
    }
    return found;
}

AttendanceRecord inFile(const TestWorld& world, const QByteArray& bytes, const QString& name,
                        qint64 blockSize) {
    world.write(kRecordFile, bytes);
    return FindLastRecord(DataFolder(QDir(world.dir.path())), name, blockSize);
}

TEST(ComputedTimes, ArrivalRoundsDownAndLeavingGoesOnToTheNextFive) {
    struct Case {
        const char* clock;
        const char* arrival;
        const char* leaving;
    } cases[] = {
        {"8:07:59", "8:05", "08:10"},   {"9:04:10", "9:00", "09:05"},
        {"13:00:00", "13:00", "13:05"}, {"23:59:59", "23:55", "24:00"},
        {"12:59", "12:55", "13:00"},    {"17:07:30", "17:05", "17:10"},
        {"17:10:00", "17:10", "17:15"}, {"17:58", "17:55", "18:00"},
        {"9:00:00", "9:00", "09:05"},   {"8:59", "8:55", "09:00"},
        {"23:55", "23:55", "24:00"},    {"12:00:00", "12:00", "12:05"},
        {"8:04:00", "8:00", "08:05"},   {"8:05:00", "8:05", "08:10"},
        {"8:09:00", "8:05", "08:10"},   {"17:00:00", "17:00", "17:05"},
        {"17:04:00", "17:00", "17:05"}, {"17:05:00", "17:05", "17:10"},
        {"0:00:00", "0:00", "00:05"},   {"0:58:00", "0:55", "01:00"},
        {"09:07:00", "09:05", "09:10"}, // a clock that pads the hour keeps it padded
    };
    for (const auto& c : cases) {
        const QString clock = QString::fromLatin1(c.clock);
        EXPECT_EQ(arrivalTime(clock), QString::fromLatin1(c.arrival)) << c.clock;
        EXPECT_EQ(leavingTime(clock), QString::fromLatin1(c.leaving)) << c.clock;
    }
}

TEST(LastRecord, FindsTheLastRecordOfExactlyThatName) {
    const QString a = QStringLiteral("職員A");
    const QByteArray several = record(a, "06/30", "17:10", "退") +
                               record("Sato", "07/01", "8:00", "出") +
                               record(a, "07/01", "8:05", "出") +
                               record("Sato", "07/01", "17:00", "退");
    struct Case {
        const char* what;
        QByteArray bytes;
        QString name;
        AttendanceRecord expected;
    } cases[] = {
        {"empty file", "", a, {}},
        {"none of the user", record("Sato", "07/01", "8:00", "出"), a, {}},
        {"several of the user: the last in the file", several, a,
         {a, "07/01", "8:05", "出"}},
        // An earlier line never wins, even with a later date.
        {"file order, not date order", record(a, "12/31", "8:00", "出") + record(a, "01/02", "9:00", "退"),
         a, {a, "01/02", "9:00", "退"}},
        {"case differs", record("sato", "07/01", "8:00", "出"), "Sato", {}},
        {"width differs", record(QStringLiteral("職員Ａ"), "07/01", "8:00", "出"), a, {}},
        {"trailing space differs", record(a + ' ', "07/01", "8:00", "出"), a, {}},
        {"leading space differs", record(' ' + a, "07/01", "8:00", "出"), a, {}},
        {"a name with a trailing space is its own", record(a, "07/01", "8:00", "出") +
                                                      record(a + ' ', "07/01", "17:00", "退"),
         a + ' ', {a + ' ', "07/01", "17:00", "退"}},
        {"comma in the name read back whole",
         record("Tanaka, Ichiro", "07/01", "8:05", "出") + record("Tanaka", "07/01", "9:00", "退"),
         "Tanaka, Ichiro", {"Tanaka, Ichiro", "07/01", "8:05", "出"}},
        {"the date has no year", record(a, "07/01", "8:05", "出"), a, {a, "07/01", "8:05", "出"}},
        {"a name the file cannot hold matches nothing", record("?", "07/01", "8:05", "出"),
         QStringLiteral("😀"), {}},
        {"a name of CP932's own extensions", record(QStringLiteral("髙橋"), "07/01", "8:05", "出"),
         QStringLiteral("髙橋"), {QStringLiteral("髙橋"), "07/01", "8:05", "出"}},
    };
    TestWorld world;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(lastRecordIn(view(c.bytes), c.name), c.expected);
        for (qint64 block : {1, 3, 65536}) EXPECT_EQ(inFile(world, c.bytes, c.name, block), c.expected);
    }
}

TEST(LastRecord, FilesTheProgramDidNotWriteAreReadWithoutEndingIt) {
    const QString a = QStringLiteral("職員A");
    const QByteArray good = record(a, "06/30", "8:05", "出");
    const AttendanceRecord goodRecord{a, "06/30", "8:05", "出"};
    struct Case {
        const char* what;
        QByteArray bytes;
        AttendanceRecord expected;
    } cases[] = {
        {"blank lines everywhere", "\r\n\r\n" + good + "\r\n\n\r\r\n", goodRecord},
        {"last record has three fields", good + "\"" + sjis(a) + "\",\"07/01\",\"17:10\"\r\n",
         goodRecord},
        {"last record cut off mid-field", good + "\"" + sjis(a) + "\",\"07/0", goodRecord},
        {"last record is the name alone", good + "\"" + sjis(a) + "\"", goodRecord},
        {"no final line end", record(a, "06/29", "8:00", "出") + good.chopped(2), goodRecord},
        {"lone LF and lone CR end lines", good.chopped(2) + "\n" + record("x", "1", "2", "3").chopped(2) +
                                              "\r" + record(a, "07/01", "9:00", "退").chopped(2) + "\r",
         {a, "07/01", "9:00", "退"}},
        {"CR CR LF is a line end and a blank line", good.chopped(2) + "\r\r\n", goodRecord},
        {"invalid bytes in other lines", good + "\xff\xfe\x81\r\n\"\x81\",\"\xff\",\"\",\"\"\r\n",
         goodRecord},
        {"invalid bytes in the user's own record", "\"" + sjis(a) + "\",\"\xff\",\"8:05\",\"\x81\"\r\n",
         {a, QString(QChar(0xFFFD)), "8:05", QString(QChar(0xFFFD))}},
        {"unquoted fields with spaces", " " + sjis(a) + " , 07/01 ,  8:05,\"" + sjis("退") + "\"\r\n",
         {a, "07/01", "8:05", "退"}},
        {"a fifth field is ignored", "\"" + sjis(a) + "\",\"07/01\",\"8:05\",\"" + sjis("出") + "\",\"x\"\r\n",
         {a, "07/01", "8:05", "出"}},
        {"NUL bytes", QByteArray("\0\0\r\n", 4) + good + QByteArray("\0", 1), goodRecord},
    };
    TestWorld world;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(lastRecordIn(view(c.bytes), a), c.expected);
        EXPECT_EQ(forwardLast(view(c.bytes), a), c.expected);
        for (qint64 block : {1, 2, 5, 65536}) EXPECT_EQ(inFile(world, c.bytes, a, block), c.expected);
    }
}

// Files the program writes, then broken by hand in ways the program never would: the
// backward reading must agree with the plain forward one on every name.
TEST(LastRecord, BackwardReadingAgreesWithForwardReading) {
    const QStringList users = {
        QStringLiteral("職員A"), QStringLiteral("職員Ａ"), QStringLiteral("Tanaka, Ichiro"),
        QStringLiteral("Tanaka"), QStringLiteral("Sato Hanako"), QStringLiteral("Sato Hanako "),
        QStringLiteral(" Sato Hanako"), QStringLiteral("髙橋"), QStringLiteral("ｻﾄｳ"),
        QStringLiteral("A,B,C"), QStringLiteral("a")};
    const QStringList asked = users + QStringList{QStringLiteral("nobody"), QString()};
    std::mt19937 random(20260701);
    auto pick = [&](int n) { return int(random() % unsigned(n)); };
    auto two = [](int v) { return QStringLiteral("%1").arg(v, 2, 10, QChar(u'0')); };

    auto generated = [&] {
        QByteArray bytes;
        const int count = pick(40);
        for (int i = 0; i < count; ++i) {
            const bool arrival = pick(2);
            const QString clock = QStringLiteral("%1:%2:%3").arg(pick(24)).arg(two(pick(60)), two(pick(60)));
            const QString times[] = {arrival ? arrivalTime(clock) : leavingTime(clock),
                                     QStringLiteral("00:00"), QString(), QStringLiteral("9:35")};
            bytes += record(users[pick(int(users.size()))], two(1 + pick(12)) + '/' + two(1 + pick(28)),
                            times[pick(4)], arrival ? kArrival : kLeaving);
        }
        return bytes;
    };
    auto broken = [&](QByteArray bytes) {
        static const char junk[] = {'\r', '\n', '"', ',', ' ', 'a', '\xff', '\x81', '\x80', '\0'};
        const int faults = 1 + pick(4);
        for (int i = 0; i < faults; ++i) {
            const int at = pick(int(bytes.size()) + 1);
            switch (pick(5)) {
            case 0: bytes.insert(at, pick(2) ? "\r\n" : pick(2) ? "\n" : "\r"); break;
            case 1: bytes.insert(at, junk[pick(sizeof junk)]); break;
            case 2: if (at < bytes.size()) bytes.remove(at, 1 + pick(3)); break;
            case 3: bytes.truncate(at); break;
            case 4: bytes.replace("\r\n", pick(2) ? "\n" : "\r"); break;
            }
        }
        return bytes;
    };
    auto garbage = [&] {
        static const char alphabet[] = {'\r', '\n', '"', ',', ' ', 'a', 'a', '\x82', '\xa0'};
        QByteArray bytes;
        const int size = pick(30);
        for (int i = 0; i < size; ++i) bytes += alphabet[pick(sizeof alphabet)];
        return bytes;
    };

    TestWorld world;
    for (int round = 0; round < 1500; ++round) {
        const QByteArray bytes = round < 500 ? generated() : round < 1000 ? broken(generated()) : garbage();
        SCOPED_TRACE(testing::Message() << "round " << round << ": " << bytes.toPercentEncoding().toStdString());
        const qint64 block = 1 + pick(24);
        for (const QString& name : asked) {
            const AttendanceRecord expected = forwardLast(view(bytes), name);
            ASSERT_EQ(lastRecordIn(view(bytes), name), expected) << name.toStdString();
            if (round % 5 == 0) {
                ASSERT_EQ(inFile(world, bytes, name, block), expected)
                    << name.toStdString() << " block " << block;
            }
        }
    }
}

TEST(LastRecord, MissingFileHoldsNoRecord) {
    TestWorld world;
    EXPECT_EQ(FindLastRecord(DataFolder(QDir(world.dir.path())), QStringLiteral("職員A")),
              AttendanceRecord{});
    EXPECT_FALSE(world.exists(kRecordFile));
}

#ifdef __linux__
// Bytes this process has read so far, from the kernel's own count.
qint64 bytesRead() {
    QFile io(QStringLiteral("/proc/self/io"));
    if (!io.open(QIODevice::ReadOnly)) return -1;
    for (const QByteArray& line : io.readAll().split('\n'))
        if (line.startsWith("rchar:")) return line.mid(6).trimmed().toLongLong();
    return -1;
}

TEST(LastRecord, RecentRecordIsFoundWithoutReadingTheWholeFile) {
    TestWorld world;
    const qint64 years = 256 * 1024 * 1024; // left sparse: costs no disk
    {
        QFile file(world.path(kRecordFile));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(record("Sato", "04/01", "8:00", "出"));
        ASSERT_TRUE(file.resize(years));
        ASSERT_TRUE(file.seek(years));
        file.write("\r\n" + record(QStringLiteral("職員A"), "07/01", "8:05", "出") +
                   record("Sato", "07/01", "8:10", "出"));
    }
    const qint64 before = bytesRead();
    ASSERT_GE(before, 0);
    const auto found = FindLastRecord(DataFolder(QDir(world.dir.path())), QStringLiteral("職員A"));
    EXPECT_LT(bytesRead() - before, 1024 * 1024);
    EXPECT_EQ(found, (AttendanceRecord{QStringLiteral("職員A"), "07/01", "8:05", "出"}));
}
#endif

TEST(AppendRecord, WritesOneLineInCp932) {
    TestWorld world;
    const DataFolder files(QDir(world.dir.path()));
    AppendRecord(files, {QStringLiteral("職員A"), "07/01", "8:05", kArrival});
    // The missing file is made with the one new line.
    EXPECT_EQ(world.read(kRecordFile), "\"\x90\x45\x88\xf5" "A\",\"07/01\",\"8:05\",\"\x8f\x6f\"\r\n");

    // A last line left without its end by a hand edit: the record starts a line of its own.
    world.write(kRecordFile, "no final line end");
    AppendRecord(files, {QStringLiteral("Tanaka, Ichiro"), "07/01", "17:10", kLeaving});
    AppendRecord(files, {QStringLiteral("Sato "), "07/01", "", kLeaving});
    EXPECT_EQ(world.read(kRecordFile),
              "no final line end\r\n\"Tanaka, Ichiro\",\"07/01\",\"17:10\",\"\x91\xde\"\r\n"
              "\"Sato \",\"07/01\",\"\",\"\x91\xde\"\r\n");
    EXPECT_EQ(FindLastRecord(files, QStringLiteral("Tanaka, Ichiro")),
              (AttendanceRecord{QStringLiteral("Tanaka, Ichiro"), "07/01", "17:10", kLeaving}));
}

TEST(AppendRecord, RefusesWhatWouldReadBackAltered) {
    const AttendanceRecord fine{QStringLiteral("職員A"), "07/01", "8:05", kArrival};
    struct Case {
        const char* what;
        AttendanceRecord record;
        bool aboutTheName;
    } cases[] = {
        {"name outside CP932", {QStringLiteral("職員😀"), "07/01", "8:05", kArrival}, true},
        {"quote in the name", {QStringLiteral("a\"b"), "07/01", "8:05", kArrival}, true},
        {"line break in the name", {QStringLiteral("a\nb"), "07/01", "8:05", kArrival}, true},
        {"quote in the time", {fine.name, "07/01", "8:\"05", kArrival}, false},
        {"CR in the time", {fine.name, "07/01", "8:05\r", kArrival}, false},
        {"time outside CP932", {fine.name, "07/01", QStringLiteral("8:05€"), kArrival}, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TestWorld world;
        const DataFolder files(QDir(world.dir.path()));
        AppendRecord(files, fine);
        const QByteArray before = world.read(kRecordFile);
        try {
            AppendRecord(files, c.record);
            ADD_FAILURE() << "accepted";
        } catch (const Failure& failure) {
            if (c.aboutTheName)
                EXPECT_EQ(failure.message(), QStringLiteral("利用者名に使用できない文字が含まれています。"));
            else
                EXPECT_TRUE(failure.message().contains(c.record.time));
        }
        EXPECT_EQ(world.read(kRecordFile), before);
    }
}

#ifndef _WIN32
TEST(AppendRecord, WriteFaultIsAFailureNamingTheFile) {
    TestWorld world;
    const DataFolder files(QDir(world.dir.path()));
    const QByteArray before = record("Sato", "07/01", "8:00", "出");
    world.write(kRecordFile, before);
    auto append = [&] { AppendRecord(files, {QStringLiteral("職員A"), "07/01", "8:05", kArrival}); };
    {
        FullDisk full;
        try {
            append();
            ADD_FAILURE() << "a full disk went unnoticed";
        } catch (const Failure& failure) {
            EXPECT_TRUE(failure.message().contains(kRecordFile)) << failure.message().toStdString();
        }
    }
    EXPECT_EQ(world.read(kRecordFile), before);
}

TEST(LastRecord, DeviceInPlaceOfTheFileIsAFaultNotAnEndlessRead) {
    TestWorld world;
    ASSERT_TRUE(QFile::link(QStringLiteral("/dev/zero"), world.path(kRecordFile)));
    const DataFolder files(QDir(world.dir.path()));
    try {
        FindLastRecord(files, QStringLiteral("職員A"));
        ADD_FAILURE() << "read a device as a record file";
    } catch (const Failure& failure) {
        EXPECT_TRUE(failure.message().contains(kRecordFile)) << failure.message().toStdString();
    }
}
#endif

} // namespace
