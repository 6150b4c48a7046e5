// CP932 byte for byte, the names the files can hold, the files' field rules, times and dates.

#include "logging/logfile.h"
#include "startup/qtjapanese.h"
#include "storage/cp932.h"
#include "storage/datafiles.h"
#include "storage/fields.h"
#include "storage/names.h"
#include "storage/outputfiles.h"
#include "storage/times.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>
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

// Qt's own buttons and the command line's headings speak Japanese, on Windows from the copy
// inside the program.
TEST(Startup, QtsOwnTextsAreJapanese) {
    loadQtJapanese();
    EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "Cancel").toStdString(), "キャンセル");
    EXPECT_EQ(QCoreApplication::translate("QCommandLineParser", "Options:").toStdString(),
              "オプション:");
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

#ifdef _WIN32
// The month's PDF open in a viewer, which shares no deletion: Windows would refuse to replace it,
// so the set stops before anything moves, naming it.
TEST(OutputFiles, AFileHeldOpenStopsTheSetBeforeAnythingMoves) {
    QTemporaryDir dir;
    const QStringList names = {u"a.csv"_qs, u"在校等時間_2026-07.pdf"_qs};
    OutputFiles files{QDir(dir.path())};
    for (const QString& name : names) {
        QFile f(dir.filePath(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly) && f.write("old") == 3);
        files.write(name, "new");
    }
    const QString held = QDir::toNativeSeparators(dir.filePath(names[1]));
    const HANDLE viewer = CreateFileW(reinterpret_cast<const wchar_t*>(held.utf16()), GENERIC_READ,
                                      FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    QString message;
    try {
        files.commit();
    } catch (const Failure& failure) {
        message = failure.message();
    }
    CloseHandle(viewer);
    EXPECT_EQ(message, names[1] + u" は他のプログラムで開かれています"_qs);
    for (const QString& name : names) {
        QFile f(dir.filePath(name));
        EXPECT_TRUE(f.open(QIODevice::ReadOnly) && f.readAll() == "old") << name.toStdString();
    }
}
#endif
