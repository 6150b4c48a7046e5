// CP932 byte for byte, the names the files can hold, the files' field rules, times and dates.

#include "logging/logfile.h"
#include "logging/noise.h"
#include "startup/qtjapanese.h"
#include "storage/cp932.h"
#include "storage/datafiles.h"
#include "storage/fields.h"
#include "storage/filecalls.h"
#include "storage/names.h"
#include "storage/outputfiles.h"
#include "storage/times.h"
#include "texts/texts.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>
#include <array>
#include <gtest/gtest.h>

#ifdef _WIN32
#include <windows.h>
#endif

using namespace velmora;

namespace {

using V = std::vector<std::string>;

V fieldsOf(std::string_view line) {
    V out;
    for (FieldReader r(line); !r.atEnd();) out.emplace_back(r.next());
    return out;
}

} // namespace

TEST(Cp932, ByteForByteAndRefusals) {
    // Each text and its bytes; none: refused.
    // clang-format off
    struct Case { QString text; std::optional<QByteArray> cp932; } cases[] = {
        {"職員A", "\x90\x45\x88\xF5" "A"}, {"出退", "\x8F\x6F\x91\xDE"}, {"･", "\xA5"},
        {"a,b", "a,b"}, {"", ""}, {QString(3, QChar(0)), QByteArray(3, '\0')},
        {"😀", {}}, {"职员", {}}, {"한", {}},
        // Look-alikes only: stored, they would read back as other characters.
        {"¥", {}}, {"〜", {}}, {"−", {}}, {"¢", {}}, {"—", {}}, {"\u0080", {}}, {"\uF8F0", {}},
    };
    // clang-format on
    for (const auto& c : cases) {
        EXPECT_EQ(toCp932(c.text), c.cp932) << c.text.toStdString();
        EXPECT_EQ(fromCp932(view(c.cp932.value_or(""))), c.cp932 ? c.text : "");
        // NULs convert, as a card read is padded with them, but are no part of a name.
        EXPECT_EQ(isStorableName(c.text), c.cp932 && !c.text.contains(QChar(0)));
    }
    for (const char* name : {"a\"b", "a\r", "a\n", "a\tb", "\x1b[2J", "a\x7f"})
        EXPECT_FALSE(isStorableName(name));
    // A lead byte at the end or before a byte that cannot follow it, bytes that are no
    // character: each becomes U+FFFD.
    EXPECT_EQ(fromCp932("A\x90"), QStringLiteral("A\uFFFD"));
    EXPECT_EQ(fromCp932("\x81 \x80\xA0\xFD"), QStringLiteral("\uFFFD \uFFFD\uFFFD\uFFFD"));
    EXPECT_EQ(fromCp932("\xFF\x41"), QStringLiteral("\uFFFDA")); // \x41: A
}

TEST(Fields, ReadByTheFilesRules) {
    // clang-format off
    struct Case { std::string line; V fields; } cases[] = {
        {R"("a","07/01","8:05","出")", {"a", "07/01", "8:05", "出"}},
        {R"("山田, 太郎","x")", {"山田, 太郎", "x"}}, {R"(   "a"  ,  b  )", {"a", "b"}},
        {R"(a b , c)", {"a b", "c"}}, {R"("a"junk,"b")", {"a", "b"}}, {R"(,x)", {"", "x"}},
        {R"("a",)", {"a", ""}}, {R"("abc)", {"abc"}}, {R"(a"b",c)", {"a\"b\"", "c"}},
        {"", {}}, {"   ", {""}}, {std::string("\"a\0b\",c", 7), {std::string("a\0b", 3), "c"}},
    };
    // clang-format on
    for (const auto& c : cases) {
        EXPECT_EQ(fieldsOf(c.line), c.fields) << c.line;
        for (const char* key : {"a", "", "山田, 太郎", "ab"})
            EXPECT_EQ(firstFieldIs(c.line, key), !c.fields.empty() && c.fields[0] == key)
                << c.line << key;
    }
    EXPECT_EQ(quotedLine({"x,y", "07/01", ""}), QByteArray("\"x,y\",\"07/01\",\"\"\r\n"));
}

TEST(Times, EachRuleTakesWhatItNamesAndEachFormatReadsBack) {
    const TimeRule record, file = kFileTime, clock{TimeRule::AnySeconds}, sum{.latest = 5999};
    // clang-format off
    struct Case { const char* text; TimeRule rule; int minutes; } cases[] = {
        {"8:05", record, 485}, {"08:05", record, 485}, {"24:00", record, 1440}, {"24:01", record, -1},
        {"8:60", record, -1}, {"8:5", record, -1}, {"123:00", record, -1}, {"8.05", record, -1},
        {"", record, -1}, {"8:05\n", record, -1}, {" 8:05", record, -1}, {"8:05:00", record, -1},
        {"８:05", record, -1}, {"７：３０", file, 450}, {"０７:3０", file, 450}, {" 7:45:00 ", file, 465},
        {"　8:30", file, 510}, {"7：45：00", file, 465}, {"7:45:30", file, -1}, {"7:45:0", file, -1},
        {"7:45:00:00", file, -1}, {"9:05:59", clock, 545}, {"9:05:60", clock, -1}, {"9:05:5", clock, -1},
        {"25:00", sum, 1500}, {"99:59", sum, 5999}, {"100:00", sum, -1}, {"23:59", {.latest = 1439}, 1439},
        {"24:00", {.latest = 1439}, -1}};
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(parseTime(QString::fromUtf8(c.text), c.rule).value_or(-1), c.minutes);
        const auto bytes = parseTime(std::string_view(c.text), c.rule);
        EXPECT_EQ(c.rule.wide ? c.minutes : bytes.value_or(-1), c.minutes); // no width in bytes
    }
    for (int m = 0; m <= 1440; m += 7) EXPECT_EQ(parseTime(timeText(m)), m);
    EXPECT_EQ(timeText(-1) + timeText(2705) + ' ' + timeText(545, 2) + ' ' + spanText(-1, -1) +
                  spanText(510, -1) + ' ' + spanText(-1, 1020) + ' ' + spanText(510, 1020),
              "45:05 09:05 8:30〜 〜17:00 8:30〜17:00");
    // clang-format off
    for (auto [text, date] : {std::pair{"2026-04-01", "2026-04-01"}, {"2026/4/1", "2026-04-01"},
            {"２０２６／４／１", "2026-04-01"}, {" 2099-12-31 ", "2099-12-31"}, {"1999-04-01", ""},
            {"2100-01-01", ""}, {"2026-02-30", ""}, {"2026-04/01", ""}, {"26-04-01", ""}, {"2026-04-01x", ""}})
        EXPECT_EQ(dateText(parseDate(QString::fromUtf8(text)).value_or(QDate())), date) << text;
    for (auto [text, written] : {std::pair{"2026/7/9 10:12", "2026-07-09 10:12"}, {"2026-07-09　８:05:00", "2026-07-09 08:05"},
            {"2026-07-09 24:00", ""}, {"2026-07-09", ""}, {"2026-07-09 10:12:30", ""}})
        EXPECT_EQ(writtenText(parseWritten(QString::fromUtf8(text)).value_or(QDateTime())), written) << text;
    // clang-format on
}

// Qt's own buttons speak Japanese, on Windows from the copy inside the program (the command
// line's headings: CommandLine.HelpsInJapanese).
TEST(Startup, QtsOwnTextsAreJapanese) {
    loadQtJapanese();
    EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "Cancel").toStdString(), "キャンセル");
}

// The log never grows past its limit and keeps the newest lines: the file, then .1, then .2.
TEST(LogFile, RotatesAtItsLimitKeepingTwoOldFiles) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("velmora.log"));
    const LogFile log(path, 40, 2);
    for (int i = 1; i <= 9; ++i) log.append(QStringLiteral("line %1 of the log").arg(i)); // 19 B
    const auto read = [&](const QString& name) {
        QFile f(name);
        return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
    };
    EXPECT_EQ(read(path), QStringLiteral("line 9 of the log\r\n"));
    EXPECT_EQ(read(path + QStringLiteral(".1")),
              QStringLiteral("line 7 of the log\r\nline 8 of the log\r\n"));
    EXPECT_EQ(read(path + QStringLiteral(".2")),
              QStringLiteral("line 5 of the log\r\nline 6 of the log\r\n"));
    EXPECT_FALSE(QFile::exists(path + QStringLiteral(".3")));
}

// Wine's platform messages leave the log; Velmora's own and Qt's other warnings stay.
TEST(LogFile, DropsThePlatformsNoiseOnly) {
    const struct {
        const char16_t *category, *message;
        bool noise;
    } rows[] = {
        {u"default", u"EnableNonClientDpiScaling() failed for HWND 0x1 (Invalid handle.)", true},
        {u"default", u"QPixmap::fromWinHICON(), failed to GetIconInfo() ()", true},
        {u"velmora.card", u"EnableNonClientDpiScaling() failed", false},
        {u"default", u"QFont: the font has no family", false},
        {u"velmora.files", u"ファイルに書き込めません: Velmora.dat", false},
    };
    for (const auto& row : rows)
        EXPECT_EQ(isPlatformNoise(row.category, row.message), row.noise)
            << QString::fromUtf16(row.message).toStdString();
}

// The seam's calls that a row makes fail, each at its nth use with the system's own error for it;
// the reads, writes, syncs and moves made, in their order.
enum Call { kNone, kRead, kWrite, kSync, kMove, kLock, kHeld };
Call failing = kNone;
int nth = 0;
std::array<int, kHeld + 1> uses;
QStringList made;
bool fails(Call call) {
    if (call <= kMove) made << QStringList{"", "read", "write", "sync", "move"}[call];
    return ++uses[call] == nth && call == failing;
}

#ifdef _WIN32
const int kErrors[] = {
    0, ERROR_CRC, ERROR_DISK_FULL, ERROR_WRITE_FAULT, ERROR_ACCESS_DENIED, ERROR_IO_PENDING};
template <Call call, auto real> constexpr auto orFail = [](auto... a) {
    return fails(call) ? (SetLastError(kErrors[call]), decltype(real(a...))(0)) : real(a...);
};
const QString kLast; // MoveFileEx's write-through puts the folder on the disk
FileCalls faulty() {
    FileCalls c;
    c.readFile = orFail<kRead, ReadFile>, c.writeFile = orFail<kWrite, WriteFile>;
    c.flushFileBuffers = orFail<kSync, FlushFileBuffers>,
    c.moveFileExW = orFail<kMove, MoveFileExW>;
    // Another run's commit holds the lock past the wait; a viewer holds a file, sharing no
    // deletion.
    c.lockFileEx = orFail<kLock, LockFileEx>;
    c.getOverlappedResult = [](HANDLE, LPOVERLAPPED, LPDWORD, BOOL) {
        return SetLastError(ERROR_OPERATION_ABORTED), FALSE;
    };
    c.createFileW = [](auto path, DWORD rights, auto... a) {
        return rights == DELETE && fails(kHeld)
                   ? (SetLastError(ERROR_SHARING_VIOLATION), INVALID_HANDLE_VALUE)
                   : CreateFileW(path, rights, a...);
    };
    return c;
}
#else
const int kErrors[] = {0, EIO, ENOSPC, EIO, EIO, EAGAIN};
template <Call call, auto real> constexpr auto orFail = [](auto... a) {
    return fails(call) ? (errno = kErrors[call], decltype(real(a...))(-1)) : real(a...);
};
const QString kLast = " sync"; // the folder's
FileCalls faulty() {
    FileCalls c;
    c.pread = orFail<kRead, ::pread>, c.write = orFail<kWrite, ::write>;
    c.fsync = orFail<kSync, ::fsync>, c.rename = orFail<kMove, ::rename>;
    c.lock = orFail<kLock, lockRange>; // another run's commit holds the lock past the wait
    return c;
}
#endif

// A set of two files (a.csv replacing an old one, b.csv new), a file replaced whole and a file
// read, each with one call failing: the message names the file and the cause, the old files stay
// byte for byte and nothing is left beside them. On Linux, the folder's sync is the last step.
TEST(FileCalls, AFaultAtAnyStepLeavesTheOldFilesWhole) {
    const QString held = texts::kFileInUse.arg("a.csv"), folder = texts::kIsFolder;
    const QString busy = texts::kOutputBusy, none;
    // clang-format off
    const struct { const char* what; Call call; int nth; const char* file; QString reason; } rows[] = {
        {"set", kNone, 0, "", none}, {"set", kWrite, 1, "a.csv", none}, {"set", kSync, 2, "b.csv", none},
        {"set", kMove, 1, "a.csv", none}, {"set", kMove, 3, "a.csv", none}, {"set", kMove, 4, "b.csv", none},
        {"set", kLock, 1, ".velmora-report.lock", busy}, {"set", kNone, 1, "b.csv", folder},
#ifdef _WIN32
        {"set", kHeld, 1, "a.csv", held},
#else
        {"set", kSync, 3, "", none},
#endif
        {"replace", kNone, 0, "", none}, {"replace", kWrite, 1, "c.dat", none},
        {"replace", kSync, 1, "c.dat", none}, {"replace", kMove, 1, "c.dat", none},
        {"read", kRead, 1, "c.dat", none}};
    // clang-format on
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string(row.what) + " " + std::to_string(row.call) + " " + row.file);
        QTemporaryDir dir;
        const auto read = [&](const char* name) {
            QFile f(dir.filePath(name));
            return f.open(QIODevice::ReadOnly) ? f.readAll() : "(missing)";
        };
        for (const char* name : {"a.csv", "c.dat"}) {
            QFile f(dir.filePath(name));
            ASSERT_TRUE(f.open(QIODevice::WriteOnly) && f.write("old") == 3);
        }
        if (row.reason == folder) QDir(dir.path()).mkdir("b.csv");
        failing = row.call, nth = row.nth, made.clear(), uses = {};
        const auto calls = std::make_shared<const FileCalls>(faulty());
        const bool good = row.nth == 0, set = row.what == std::string("set");
        QString message;
        try {
            if (row.what == std::string("read"))
                DataFolder(QDir(dir.path()), calls).firstLine("c.dat");
            if (row.what == std::string("replace"))
                DataFolder(QDir(dir.path()), calls).replace("c.dat", "new");
            if (set) {
                OutputFiles files(QDir(dir.path()), calls, std::chrono::milliseconds(0));
                files.write("a.csv", "new");
                QFile b(files.writingPath("b.csv")); // as the PDF is written
                (void)(b.open(QIODevice::WriteOnly) && b.write("new")), b.close(),
                    files.add("b.csv");
                files.commit();
            }
        } catch (const Failure& failure) {
            message = failure.message();
        }
        const QString reason =
            row.reason.isEmpty() ? qt_error_string(kErrors[row.call]) : row.reason;
        EXPECT_TRUE(good ? message.isEmpty()
                         : message.contains(row.file) && message.contains(reason))
            << message.toStdString();
        EXPECT_EQ(read("a.csv"), set && good ? "new" : "old");
        EXPECT_EQ(read("b.csv"), set && good ? "new" : "(missing)");
        EXPECT_EQ(read("c.dat"), row.what == std::string("replace") && good ? "new" : "old");
        QStringList left =
            QDir(dir.path())
                .entryList(QDir::Files | QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot);
        left.removeAll(".velmora-report.lock"), left.removeAll("b.csv");
        EXPECT_EQ(left, QStringList({"a.csv", "c.dat"}));
        // Each file on the disk before any move, the folder after the last.
        if (set && good) {
            EXPECT_EQ(made.join(' '), "write sync sync move move move move" + kLast);
        }
    }
}
