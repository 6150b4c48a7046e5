// The virtual card (VELMORA_CARD_FILE) and the binding's faults, through the real dlopen path.

#include "cardlibrary.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <array>
#include <optional>

namespace {

using velmora::SonyIdmLibrary;
constexpr size_t kSize = 1024, kGuard = 64;
constexpr char kGuardByte = char(0x5A);

// One read into a zeroed buffer with guard bytes behind it; an empty `expected` means no card.
void expectRead(const QByteArray& expected) {
    static SonyIdmLibrary library{QStringLiteral(SONY_IDM_PATH)};
    std::array<char, kSize + 1 + kGuard> buffer{};
    std::fill(buffer.begin() + kSize + 1, buffer.end(), kGuardByte);
    const int32_t result = library.get_idm(12960, buffer.data());
    EXPECT_TRUE(expected.isEmpty() ? result < 0 : result == expected.size()) << result;
    size_t end = kSize;
    while (end > 0 && buffer[end - 1] == 0)
        --end;
    EXPECT_EQ(std::string(buffer.data(), end), expected.toStdString());
    for (size_t i = kSize; i < buffer.size(); ++i)
        ASSERT_EQ(buffer[i], i == kSize ? 0 : kGuardByte) << "written past the buffer at " << i;
}

TEST(CardFile, FirstLineIsTheIdmReadAfreshEachTime) {
    QTemporaryDir dir;
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("カード")));
    const QString card = dir.filePath(QStringLiteral("カード/利用者.txt"));
    qputenv("VELMORA_CARD_FILE", QFile::encodeName(card));
    const QByteArray idm = "0123456789ABCDEF", bom = "\xEF\xBB\xBF", longLine(3000, 'X');
    const struct {
        const char* label;
        std::optional<QByteArray> file; // nullopt: no file
        QByteArray read;
    } cases[] = {
        {"CR LF", idm + "\r\n", idm},
        {"LF", "FEDCBA9876543210\n", "FEDCBA9876543210"},
        {"file deleted", std::nullopt, ""},
        {"no line end", idm, idm},
        {"more than 16, all of it", idm + " and more\r\n", idm + " and more"},
        {"first line only", "1111222233334444\r\n" + idm + "\r\n", "1111222233334444"},
        {"byte order mark skipped", bom + idm + "\r\n", idm},
        {"long line cut at the buffer end", longLine + "\r\n", longLine.left(kSize)},
        {"long line after a byte order mark", bom + longLine, longLine.left(kSize)},
        {"empty file", "", ""},
        {"empty first line", "\r\n" + idm + "\r\n", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        QFile::remove(card);
        QFile file(card);
        ASSERT_TRUE(!c.file || (file.open(QIODevice::WriteOnly) && file.write(*c.file) >= 0));
        file.close();
        expectRead(c.read);
    }
    qunsetenv("VELMORA_CARD_FILE");
}

TEST(SonyIdmLibraryBinding, MissingLibraryOrEntryPointThrowsAtEachCall) {
    const struct {
        QString library, prefix, named;
    } cases[] = {
        {QStringLiteral("/nonexistent/libmissing_idm.so"),
         QStringLiteral("カードリーダーのライブラリを読み込めません: "),
         QStringLiteral("libmissing_idm.so")},
        {QStringLiteral(NO_ENTRY_PATH),
         QStringLiteral("カードリーダーのライブラリに get_idm がありません: "),
         QStringLiteral("idm_without_entry")},
    };
    for (const auto& c : cases) {
        SonyIdmLibrary library{c.library};
        std::array<char, kSize + 1> buffer{};
        for (int call = 0; call < 2; ++call) {
            try {
                library.get_idm(12960, buffer.data());
                ADD_FAILURE() << "no Failure for " << c.named.toStdString();
            } catch (const velmora::Failure& failure) {
                const QString message = failure.message();
                EXPECT_TRUE(message.startsWith(c.prefix) && message.contains(c.named))
                    << message.toStdString();
            }
        }
    }
}

} // namespace
