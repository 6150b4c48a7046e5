// Card reads: the buffer handed to the library and what comes back as the IDm text.

#include "cards.h"
#include "doubles.h"

#include <algorithm>
#include <gtest/gtest.h>

using namespace velmora;
using namespace velmora::test;

namespace {

QString nuls(int n) {
    return QString(n, QChar(0));
}

void expectRead(int32_t result, const QByteArray& written, const QString& read,
                const QString& idm) {
    SCOPED_TRACE(written.toStdString() + " result " + std::to_string(result));
    FakeCardLibrary card;
    card.result = result, card.written = written;
    EXPECT_EQ(ReadCardIdm(card), read);
    EXPECT_EQ(readIdm(card), idm);
    EXPECT_EQ(card.reads, 2);
}

TEST(CardReader, BufferRules) {
    const QString idm = QStringLiteral("0123456789ABCDEF"), staff = QStringLiteral("職員");
    expectRead(0, "0123456789ABCDEF", idm + nuls(1008), idm);
    expectRead(7, "0123456789ABCDEF", idm + nuls(1008), idm); // any result >= 0 is success
    expectRead(-1, "0123456789ABCDEF", {}, {});
    expectRead(0, "0123456789ABCDEF-extra", idm + "-extra" + nuls(1002), idm);
    expectRead(0, "01234", "01234" + nuls(1019), "01234" + nuls(11)); // padded, not trimmed
    expectRead(0, "", nuls(1024), nuls(16));                          // 16 NULs, not ""
    expectRead(0, sjis(staff), staff + nuls(1020), staff + nuls(14));
}

// Checks the buffer is zero-filled (1024 bytes and a terminator), then fills all 1024.
struct FillingLibrary : CardLibrary {
    bool zeroFilled = true;
    int32_t mode = 0;
    int32_t get_idm(int32_t m, char* buffer) override {
        mode = m;
        zeroFilled = std::all_of(buffer, buffer + 1025, [](char b) { return b == 0; });
        std::fill(buffer, buffer + 1024, 'A');
        return 0;
    }
};

TEST(CardReader, ZeroFilledBufferAndExactly1024BytesBack) {
    FillingLibrary library;
    EXPECT_EQ(ReadCardIdm(library), QString(1024, QLatin1Char('A')));
    EXPECT_EQ(library.mode, 12960);
    EXPECT_TRUE(library.zeroFilled);
}

TEST(CardReader, MissingLibraryPassesThrough) {
    FakeCardLibrary card;
    card.onRead = [] { throw Failure(QStringLiteral("sony_idm.dll が見つかりません")); };
    EXPECT_THROW(readIdm(card), Failure);
}

} // namespace
