#include "cp932.h"
#include "names.h"

#include <gtest/gtest.h>

using namespace velmora;

namespace {

QByteArray bytes(std::initializer_list<unsigned char> list) {
    QByteArray out;
    for (unsigned char c : list) out += char(c);
    return out;
}

std::string_view sv(const QByteArray& b) { return {b.constData(), size_t(b.size())}; }

} // namespace

TEST(Cp932, EncodesAndDecodesByteForByte) {
    struct Case {
        QString text;
        QByteArray cp932;
    } cases[] = {
        {QStringLiteral("職員A"), bytes({0x90, 0x45, 0x88, 0xF5, 0x41})},
        {QStringLiteral("使用者データ"),
         bytes({0x8E, 0x67, 0x97, 0x70, 0x8E, 0xD2, 0x83, 0x66, 0x81, 0x5B, 0x83, 0x5E})},
        {QStringLiteral("･"), bytes({0xA5})},          // half-width katakana middle dot
        {QStringLiteral("出"), bytes({0x8F, 0x6F})},
        {QStringLiteral("退"), bytes({0x91, 0xDE})},
        {QStringLiteral("a,b"), QByteArray("a,b")},
        {QString(), QByteArray()},
        {QString(3, QChar(0)), QByteArray(3, '\0')},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(toCp932(c.text).value(), c.cp932) << c.text.toStdString();
        EXPECT_EQ(fromCp932(sv(c.cp932)), c.text) << c.text.toStdString();
    }
}

TEST(Cp932, RefusesWhatItCannotEncode) {
    EXPECT_FALSE(toCp932(QStringLiteral("😀")).has_value());
    EXPECT_FALSE(toCp932(QStringLiteral("Ω職员")).has_value()); // simplified 员
    EXPECT_FALSE(toCp932(QStringLiteral("한")).has_value());
}

TEST(Cp932, InvalidBytesBecomeReplacementCharacters) {
    // A lead byte at the end, a lone trail-range byte and an undefined lead byte.
    EXPECT_EQ(fromCp932(sv(bytes({0x41, 0x90}))), QStringLiteral("A\uFFFD"));
    EXPECT_EQ(fromCp932(sv(bytes({0xFF, 0x41}))), QStringLiteral("\uFFFDA"));
    EXPECT_EQ(fromCp932(sv(bytes({0x90, 0x45, 0x85, 0x40, 0x42}))).left(1), QStringLiteral("職"));
    EXPECT_TRUE(fromCp932(sv(bytes({0x85, 0x40, 0x42}))).endsWith(u'B'));
}

TEST(Names, StorableNamesAreThoseTheFilesCanHold) {
    EXPECT_TRUE(isStorableName(QStringLiteral("職員A")));
    EXPECT_TRUE(isStorableName(QStringLiteral("山田, 太郎")));
    EXPECT_TRUE(isStorableName(QStringLiteral("  ")));
    EXPECT_FALSE(isStorableName(QStringLiteral("山田\"太郎")));
    EXPECT_FALSE(isStorableName(QStringLiteral("山田\r\n")));
    EXPECT_FALSE(isStorableName(QStringLiteral("山田\n")));
    EXPECT_FALSE(isStorableName(QStringLiteral("😀")));
}
