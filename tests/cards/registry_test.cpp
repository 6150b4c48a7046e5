// The card registry lookup, and the terminal's Felica around it.

#include "cards.h"
#include "doubles.h"
#include "fields.h"
#include "form1.h"

#include <gtest/gtest.h>

using namespace velmora;
using namespace velmora::test;

namespace {

const QString kIdm = QStringLiteral("0123456789ABCDEF");
const QString kOther = QStringLiteral("FEDCBA9876543210");
const QString kA = QStringLiteral("職員A"), kB = QStringLiteral("職員B");

QByteArray line(const QByteArray& idm, const QString& name) {
    return "\"" + idm + "\",\"" + sjis(name) + "\"\r\n";
}

TEST(Registry, Lookup) {
    const QByteArray a = line("0123456789ABCDEF", kA), b = line("0123456789ABCDEF", kB);
    const QByteArray otherB = line("FEDCBA9876543210", kB);
    const QString nuls = QStringLiteral("01234") + QString(11, QChar(0));
    struct Case {
        const char* what;
        QByteArray file;
        QString idm, name;
    } cases[] = {
        {"empty file", "", kIdm, {}},
        {"registered", a, kIdm, kA},
        {"another card", a, kOther, {}},
        {"last registration wins", a + otherB + b, kIdm, kB},
        {"a later empty name unregisters", a + line("0123456789ABCDEF", ""), kIdm, {}},
        {"case differs", a, QStringLiteral("0123456789abcdef"), {}},
        {"prefix only", a, QStringLiteral("0123456789ABCDE"), {}},
        {"comma in a name", line("0123456789ABCDEF", QStringLiteral("山田,太郎")), kIdm,
         QStringLiteral("山田,太郎")},
        {"name kept as written", line("0123456789ABCDEF", QStringLiteral(" 職員 A ")), kIdm,
         QStringLiteral(" 職員 A ")},
        {"no card, no empty IDm written", a, {}, {}},
        {"no card, hand-made empty IDm", line("", kB) + a, {}, kB},
        {"NUL-padded short read", line(QByteArray("01234\0\0\0\0\0\0\0\0\0\0\0", 16), kA), nuls,
         kA},
        {"blank lines", "\r\n\r\n" + a + "\r\n  \r\n", kIdm, kA},
        {"last line with one field", a + "\"FEDCBA9876543210\"", kIdm, kA},
        {"a one-field line registers nothing", a + "\"FEDCBA9876543210\"\r\n", kOther, {}},
        {"a later IDm-only line keeps the name", a + "\"0123456789ABCDEF\"\r\n", kIdm, kA},
        {"an IDm-only line takes no name from the next", "\"FEDCBA9876543210\"\r\n" + a, kIdm, kA},
        {"invalid bytes elsewhere", "\xff\xfe\x80\r\n" + a + "\x81", kIdm, kA},
        {"a name no record could hold", "\"0123456789ABCDEF\",\"A\xff\"\r\n", kIdm, {}},
        {"no final line end", a.chopped(2), kIdm, kA},
        {"LF line ends", "\"0123456789ABCDEF\",\"x\"\n\"FEDCBA9876543210\",\"y\"\n", kOther,
         QStringLiteral("y")},
        {"unquoted, spaces", "  0123456789ABCDEF ,  Sato  \r\n", kIdm, QStringLiteral("Sato")},
        {"third field ignored", "\"0123456789ABCDEF\",\"x\",\"y\"\r\n", kIdm, QStringLiteral("x")},
        {"an IDm not in CP932", line("", kA), QStringLiteral("😀"), {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(registeredName(view(c.file), c.idm), c.name);
    }
}

struct FelicaTest : ::testing::Test {
    TestWorld world;
    std::unique_ptr<Form1> form = std::make_unique<Form1>(world.services());
    const QString status = QStringLiteral("出勤 ：Felicaをかざしてください。");
};

TEST_F(FelicaTest, RegisteredCardBeepsOnceAndClearsTheStatusLine) {
    world.write(kRegistryFile, line("0123456789ABCDEF", kA));
    form->動作状態->setText(status);
    EXPECT_EQ(Felica(*form, kIdm), kA);
    EXPECT_EQ(world.beeper.beeps, 1);
    EXPECT_EQ(form->動作状態->text(), QString());
}

TEST_F(FelicaTest, NoNameNoBeepAndStatusLineKept) {
    world.write(kRegistryFile, line("0123456789ABCDEF", QString()) + line("", QString()));
    form->動作状態->setText(status);
    for (const QString& idm : {kIdm, kOther, QString()})
        EXPECT_EQ(Felica(*form, idm), QString());
    EXPECT_EQ(world.beeper.beeps, 0);
    EXPECT_EQ(form->動作状態->text(), status);
}

TEST_F(FelicaTest, ReadsTheCardOnTheReaderAndTheFileAsItIsNow) {
    world.card.hold("0123456789ABCDEF+more");
    EXPECT_THROW(Felica(*form), Failure) << "missing registry";
    world.write(kRegistryFile, "");
    EXPECT_EQ(Felica(*form), QString());
    world.write(kRegistryFile, line("0123456789ABCDEF", kA));
    EXPECT_EQ(Felica(*form), kA) << "no cache";
    world.card.takeAway();
    EXPECT_EQ(Felica(*form), QString());
    EXPECT_EQ(world.card.reads, 4);
    EXPECT_EQ(world.beeper.beeps, 1);
}

} // namespace
