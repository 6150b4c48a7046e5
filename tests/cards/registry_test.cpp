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

QByteArray line(const QByteArray& idm, const QString& name) {
    return "\"" + idm + "\",\"" + sjis(name) + "\"\r\n";
}

TEST(Registry, Lookup) {
    const QString a = QStringLiteral("職員A");
    const QString b = QStringLiteral("職員B");
    struct Case {
        const char* what;
        QByteArray file;
        QString idm;
        QString name;
    } cases[] = {
        {"empty file", "", kIdm, QString()},
        {"registered", line("0123456789ABCDEF", a), kIdm, a},
        {"another card", line("0123456789ABCDEF", a), kOther, QString()},
        {"last registration wins",
         line("0123456789ABCDEF", a) + line("FEDCBA9876543210", b) + line("0123456789ABCDEF", b),
         kIdm, b},
        {"earlier lines of another card do not stop the scan",
         line("0123456789ABCDEF", a) + line("FEDCBA9876543210", b), kIdm, a},
        {"a later empty name unregisters",
         line("0123456789ABCDEF", a) + line("0123456789ABCDEF", ""), kIdm, QString()},
        {"case differs", line("0123456789ABCDEF", a), QStringLiteral("0123456789abcdef"),
         QString()},
        {"prefix only", line("0123456789ABCDEF", a), QStringLiteral("0123456789ABCDE"), QString()},
        {"comma in a name", line("0123456789ABCDEF", QStringLiteral("山田,太郎")), kIdm,
         QStringLiteral("山田,太郎")},
        {"name kept as written", line("0123456789ABCDEF", QStringLiteral(" 職員 A ")), kIdm,
         QStringLiteral(" 職員 A ")},
        {"no card: a file the program wrote has no empty IDm", line("0123456789ABCDEF", a),
         QString(), QString()},
        {"no card: a hand-made empty IDm matches", line("", b) + line("0123456789ABCDEF", a),
         QString(), b},
        {"short read padded with NULs, stored the same way",
         line(QByteArray("01234\0\0\0\0\0\0\0\0\0\0\0", 16), a),
         QStringLiteral("01234") + QString(11, QChar(0)), a},
        {"blank lines", "\r\n\r\n" + line("0123456789ABCDEF", a) + "\r\n  \r\n", kIdm, a},
        {"last line with one field", line("0123456789ABCDEF", a) + "\"FEDCBA9876543210\"", kIdm, a},
        {"the one-field line itself is no registration",
         line("0123456789ABCDEF", a) + "\"FEDCBA9876543210\"\r\n", kOther, QString()},
        {"a later line with only the IDm leaves the registration",
         line("0123456789ABCDEF", a) + "\"0123456789ABCDEF\"\r\n", kIdm, a},
        {"a line with only an IDm does not swallow the next one",
         "\"FEDCBA9876543210\"\r\n" + line("0123456789ABCDEF", a), kIdm, a},
        {"invalid bytes elsewhere", "\xff\xfe\x80\r\n" + line("0123456789ABCDEF", a) + "\x81", kIdm,
         a},
        {"a name no record could hold counts as unregistered",
         "\"0123456789ABCDEF\",\"A\xff\"\r\n", kIdm, QString()},
        {"no final line end", "\"0123456789ABCDEF\",\"" + sjis(a) + "\"", kIdm, a},
        {"LF line ends", "\"0123456789ABCDEF\",\"x\"\n\"FEDCBA9876543210\",\"y\"\n", kOther,
         QStringLiteral("y")},
        {"unquoted fields after spaces", "  0123456789ABCDEF ,  Sato  \r\n", kIdm,
         QStringLiteral("Sato")},
        {"a third field is ignored", "\"0123456789ABCDEF\",\"x\",\"y\"\r\n", kIdm,
         QStringLiteral("x")},
        {"an IDm CP932 cannot hold matches nothing", line("", a), QStringLiteral("😀"), QString()},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(registeredName(view(c.file), c.idm), c.name);
    }
}

class FelicaTest : public ::testing::Test {
  protected:
    TestWorld world;
    std::unique_ptr<Form1> form = std::make_unique<Form1>(world.services());
};

TEST_F(FelicaTest, RegisteredCardBeepsAndClearsTheStatusLine) {
    world.write(kRegistryFile, line("0123456789ABCDEF", QStringLiteral("職員A")));
    form->動作状態->setText(QStringLiteral("出勤 ：Felicaをかざしてください。"));
    EXPECT_EQ(Felica(*form, kIdm), QStringLiteral("職員A"));
    EXPECT_EQ(world.beeper.beeps, 1);
    EXPECT_EQ(form->動作状態->text(), QString());
}

TEST_F(FelicaTest, NoNameNoBeepAndStatusLineKept) {
    world.write(kRegistryFile, line("0123456789ABCDEF", QString()) + line("", QString()));
    const QString status = QStringLiteral("出勤 ：Felicaをかざしてください。");
    form->動作状態->setText(status);
    for (const QString& idm : {kIdm, kOther, QString()}) {
        EXPECT_EQ(Felica(*form, idm), QString());
        EXPECT_EQ(world.beeper.beeps, 0);
        EXPECT_EQ(form->動作状態->text(), status);
    }
}

TEST_F(FelicaTest, ReadsTheCardOnTheReaderAndTheFileAsItIsNow) {
    world.write(kRegistryFile, "");
    world.card.hold("0123456789ABCDEF+more");
    EXPECT_EQ(Felica(*form), QString());
    world.write(kRegistryFile, line("0123456789ABCDEF", QStringLiteral("職員A")));
    EXPECT_EQ(Felica(*form), QStringLiteral("職員A")) << "no cache between calls";
    world.card.takeAway();
    EXPECT_EQ(Felica(*form), QString());
    EXPECT_EQ(world.card.reads, 3);
    EXPECT_EQ(world.beeper.beeps, 1);
}

TEST_F(FelicaTest, MissingRegistryIsAFailure) {
    world.card.hold("0123456789ABCDEF");
    EXPECT_THROW(Felica(*form), Failure);
}

} // namespace
