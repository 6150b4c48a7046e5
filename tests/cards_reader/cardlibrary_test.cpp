// The virtual card (VELMORA_CARD_FILE) through the program's own binding, and the binding's
// faults. Goes through SonyIdmLibrary so that the real dlopen path is what gets tested.

#include "cardlibrary.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <array>
#include <chrono>
#include <cstdlib>

namespace {

using velmora::Failure;
using velmora::SonyIdmLibrary;

constexpr int32_t kMode = 12960;
constexpr size_t kBufferSize = 1024;
constexpr size_t kGuard = 64; // bytes past the buffer and its terminator, which must stay as set
constexpr char kGuardByte = char(0x5A);

void setEnv(const char* name, const QByteArray& value) {
#if defined(_WIN32)
    _putenv_s(name, value.constData());
#else
    setenv(name, value.constData(), 1);
#endif
}

// One read into a zeroed buffer with guard bytes behind it; what the library wrote, with the
// zero bytes at the end cut off, must then equal `expected` and nothing else may have changed.
void expectRead(SonyIdmLibrary& library, const QByteArray& expected, const char* label) {
    SCOPED_TRACE(label);
    std::array<char, kBufferSize + 1 + kGuard> buffer{};
    std::fill(buffer.begin() + kBufferSize + 1, buffer.end(), kGuardByte);
    const int32_t result = library.get_idm(kMode, buffer.data());
    size_t end = kBufferSize;
    while (end > 0 && buffer[end - 1] == 0)
        --end;
    if (expected.isEmpty())
        EXPECT_LT(result, 0);
    else
        EXPECT_EQ(result, expected.size());
    EXPECT_EQ(QByteArray(buffer.data(), qsizetype(end)), expected);
    EXPECT_EQ(buffer[kBufferSize], 0);
    for (size_t i = kBufferSize + 1; i < buffer.size(); ++i)
        ASSERT_EQ(buffer[i], kGuardByte) << "written past the buffer at " << i;
}

class CardFile : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        setCardFile(dir_.filePath(QStringLiteral("card.txt")));
    }
    void TearDown() override { setEnv("VELMORA_CARD_FILE", ""); }

    void setCardFile(const QString& path) {
        card_ = path;
        setEnv("VELMORA_CARD_FILE", QFile::encodeName(path));
    }
    void write(const QByteArray& bytes) {
        QFile file(card_);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        ASSERT_EQ(file.write(bytes), bytes.size());
    }

    static SonyIdmLibrary& library() {
        static SonyIdmLibrary instance{QStringLiteral(SONY_IDM_PATH)};
        return instance;
    }

    QTemporaryDir dir_;
    QString card_;
};

TEST_F(CardFile, FirstLineIsTheIdm) {
    const QByteArray longLine(3000, 'X');
    const struct {
        const char* label;
        QByteArray file;
        QByteArray written; // empty: no card, negative result
    } cases[] = {
        {"16 characters, CR LF", "0123456789ABCDEF\r\n", "0123456789ABCDEF"},
        {"LF", "0123456789ABCDEF\n", "0123456789ABCDEF"},
        {"CR", "0123456789ABCDEF\r", "0123456789ABCDEF"},
        {"no line end", "0123456789ABCDEF", "0123456789ABCDEF"},
        {"more than 16, all written", "0123456789ABCDEF and more\r\n", "0123456789ABCDEF and more"},
        {"only the first line", "1111222233334444\r\n5555666677778888\r\n", "1111222233334444"},
        {"shorter than 16, as it is", "ABC\r\n", "ABC"},
        {"UTF-8 byte order mark skipped",
         "\xEF\xBB\xBF"
         "0123456789ABCDEF\r\n",
         "0123456789ABCDEF"},
        {"long line cut at the buffer end", longLine + "\r\n", longLine.left(kBufferSize)},
        {"long line after a byte order mark", "\xEF\xBB\xBF" + longLine,
         longLine.left(kBufferSize)},
        {"empty file", "", ""},
        {"empty first line", "\r\n0123456789ABCDEF\r\n", ""},
        {"only a line end", "\n", ""},
    };
    for (const auto& c : cases) {
        write(c.file);
        expectRead(library(), c.written, c.label);
    }
}

TEST_F(CardFile, HoldTakeAwayHoldAnother) {
    expectRead(library(), "", "file not made yet");
    write("0123456789ABCDEF\r\n");
    expectRead(library(), "0123456789ABCDEF", "held");
    expectRead(library(), "0123456789ABCDEF", "still held");
    ASSERT_TRUE(QFile::remove(card_));
    expectRead(library(), "", "file deleted");
    write("FEDCBA9876543210\r\n");
    expectRead(library(), "FEDCBA9876543210", "another card");
    setCardFile(dir_.filePath(QStringLiteral("no-such-folder/card.txt")));
    expectRead(library(), "", "folder missing");
}

TEST_F(CardFile, PathWithJapaneseNames) {
    ASSERT_TRUE(QDir(dir_.path()).mkdir(QStringLiteral("カード")));
    setCardFile(dir_.filePath(QStringLiteral("カード/利用者.txt")));
    write("0123456789ABCDEF\r\n");
    expectRead(library(), "0123456789ABCDEF", "Japanese path");
}

#if !defined(_WIN32)
// An empty VELMORA_CARD_FILE means the real reader. With no PC/SC service (a socket path where
// nobody listens) the read is a quick negative, never a wait.
TEST_F(CardFile, EmptyVariableMeansPcscAndNoServiceIsAQuickNegative) {
    write("0123456789ABCDEF\r\n");
    setEnv("VELMORA_CARD_FILE", "");
    setEnv("PCSCLITE_CSOCK_NAME", QFile::encodeName(dir_.filePath(QStringLiteral("no.comm"))));
    for (int i = 0; i < 5; ++i) {
        const auto start = std::chrono::steady_clock::now();
        expectRead(library(), "", "no service");
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(500));
    }
}
#endif

TEST(SonyIdmLibraryBinding, MissingLibraryFailsAtEachCallNotAtConstruction) {
    QTemporaryDir dir;
    SonyIdmLibrary library{dir.filePath(QStringLiteral("libmissing_idm.so"))};
    std::array<char, kBufferSize + 1> buffer{};
    for (int call = 0; call < 2; ++call) {
        try {
            library.get_idm(kMode, buffer.data());
            ADD_FAILURE() << "no Failure";
        } catch (const Failure& failure) {
            const QString message = failure.message();
            EXPECT_TRUE(
                message.startsWith(QStringLiteral("カードリーダーのライブラリを読み込めません: ")))
                << message.toStdString();
            EXPECT_TRUE(message.contains(QStringLiteral("libmissing_idm.so")))
                << message.toStdString();
        }
    }
}

TEST(SonyIdmLibraryBinding, MissingEntryPointFails) {
    SonyIdmLibrary library{QStringLiteral(NO_ENTRY_PATH)};
    std::array<char, kBufferSize + 1> buffer{};
    try {
        library.get_idm(kMode, buffer.data());
        ADD_FAILURE() << "no Failure";
    } catch (const Failure& failure) {
        const QString message = failure.message();
        EXPECT_TRUE(message.startsWith(
            QStringLiteral("カードリーダーのライブラリに get_idm がありません: ")))
            << message.toStdString();
        // The system's own words follow, naming the library.
        EXPECT_TRUE(message.contains(QStringLiteral("idm_without_entry"))) << message.toStdString();
    }
}

} // namespace
