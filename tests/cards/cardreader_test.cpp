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

TEST(CardReader, BufferRules) {
    struct Case {
        const char* what;
        int32_t result;
        QByteArray written;
        QString read; // ReadCardIdm
        QString idm;  // readIdm
    } cases[] = {
        {"a 16-character IDm", 0, "0123456789ABCDEF",
         QStringLiteral("0123456789ABCDEF") + nuls(1008), QStringLiteral("0123456789ABCDEF")},
        {"any non-negative result is success", 7, "0123456789ABCDEF",
         QStringLiteral("0123456789ABCDEF") + nuls(1008), QStringLiteral("0123456789ABCDEF")},
        {"result -1 whatever the buffer holds", -1, "0123456789ABCDEF", QString(), QString()},
        {"any negative result", -12960, "", QString(), QString()},
        {"more than 16 characters", 0, "0123456789ABCDEF-extra",
         QStringLiteral("0123456789ABCDEF-extra") + nuls(1002), QStringLiteral("0123456789ABCDEF")},
        {"fewer than 16: padded with NULs, not trimmed", 0, "01234",
         QStringLiteral("01234") + nuls(1019), QStringLiteral("01234") + nuls(11)},
        {"nothing written: 16 NULs, not the empty text", 0, "", nuls(1024), nuls(16)},
        {"CP932 bytes come back as characters", 0, sjis(QStringLiteral("職員")),
         QStringLiteral("職員") + nuls(1020), QStringLiteral("職員") + nuls(14)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        FakeCardLibrary card;
        card.result = c.result;
        card.written = c.written;
        const QString read = ReadCardIdm(card);
        EXPECT_EQ(read, c.read);
        EXPECT_EQ(readIdm(card), c.idm);
        EXPECT_EQ(card.reads, 2) << "one library call per read";
    }
}

// Checks the buffer on the way in, then fills every one of its 1024 bytes.
class FillingLibrary : public CardLibrary {
  public:
    bool zeroFilled = false;
    int32_t mode = 0;
    int32_t get_idm(int32_t m, char* buffer) override {
        mode = m;
        zeroFilled = true;
        for (int i = 0; i <= 1024; ++i)
            zeroFilled = zeroFilled && buffer[i] == 0;
        std::fill(buffer, buffer + 1024, 'A');
        return 0;
    }
};

TEST(CardReader, HandsOverZeroFilledBufferAndReadsBackExactly1024Bytes) {
    FillingLibrary library;
    const QString read = ReadCardIdm(library);
    EXPECT_EQ(library.mode, 12960);
    EXPECT_TRUE(library.zeroFilled) << "1024 zero bytes and a terminating zero";
    EXPECT_EQ(read, QString(1024, QLatin1Char('A'))) << "the terminator is not part of the text";
}

TEST(CardReader, MissingLibraryPassesThrough) {
    FakeCardLibrary card;
    card.onRead = [] { throw Failure(QStringLiteral("sony_idm.dll が見つかりません")); };
    EXPECT_THROW(ReadCardIdm(card), Failure);
    EXPECT_THROW(readIdm(card), Failure);
}

} // namespace
