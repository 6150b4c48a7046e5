// Data files broken by hand or by other programs: what the program reads from each, and
// that neither the readers nor a real start-up with a clock tick change a byte of them.

#include "attendance.h"
#include "cards.h"
#include "doubles.h"
#include "fields.h"
#include "form1.h"
#include "operations.h"
#include "userdata.h"

#include <QDialog>
#include <QLineEdit>
#include <QPushButton>
#include "records.h"

#include <gtest/gtest.h>
#include <optional>


using namespace velmora;
using namespace velmora::test;

namespace {

const QString kA = QStringLiteral("職員A");
const QString kIdm = QStringLiteral("0123456789ABCDEF");
const QString kOther = QStringLiteral("FEDCBA9876543210");

QByteArray q(const QString& field) { return '"' + sjis(field) + '"'; }
QByteArray rec(const QString& name, const QString& time = "8:05", const QString& kind = "出") {
    return q(name) + ",\"07/01\"," + q(time) + "," + q(kind) + "\r\n";
}
QByteArray reg(const QString& idm, const QString& name) { return q(idm) + "," + q(name) + "\r\n"; }
QByteArray ends(QByteArray b, const char* end) { return b.replace("\r\n", end); }

const QByteArray kGoodRecords = q(kA) + ",\"06/30\",\"17:10\"," + q("退") + "\r\n";
const QByteArray kGoodReg = reg(kIdm, kA);
const QByteArray kTwoRecords = kGoodRecords + rec(kA);
const QByteArray kTwoRegs = reg(kIdm, "職員B") + reg(kIdm, kA);
const QByteArray kMegabyte(1 << 20, 'x');
const QByteArray kBom = "\xEF\xBB\xBF";

struct Case {
    const char* what;
    std::optional<QByteArray> records{}; // and what FindLastRecord gives for `user`:
    AttendanceRecord last{};
    std::optional<QByteArray> registry{}; // and registeredName for `idm`:
    QString registered{};
    std::optional<QByteArray> userData{}; // and readOwnerName:
    std::optional<QString> owner{};
    QString user = kA;
    QString idm = kIdm;
};

// A user-data file of zero bytes is left out: start-up asks for the owner and writes it.
std::vector<Case> cases() {
    const AttendanceRecord in{kA, "07/01", "8:05", "出"};
    const AttendanceRecord out{kA, "06/30", "17:10", "退"};
    const QString yamada = QStringLiteral("山田");
    auto eol = [&](const char* what, const char* end) -> Case {
        return {what, ends(kTwoRecords, end), in, ends(kTwoRegs, end), kA, sjis(kA) + end, kA};
    };
    return {
        {"zero bytes", "", {}, "", {}},
        {"only line ends", "\r\n\r\n\r\n", {}, "\r\n\n\r", {}, "\r\n\r\n\r\n", QString()},
        {"no final line end", kTwoRecords.chopped(2), in, kTwoRegs.chopped(2), kA, sjis(kA), kA},
        {"blank lines, before the owner too", "\r\n\r\n" + rec(kA) + "\r\n  \r\n", in,
         "\r\n" + reg(kIdm, kA) + "\r\n\r\n", kA, "\r\n" + sjis(kA) + "\r\n", QString()},
        eol("CR without LF", "\r"), eol("LF without CR", "\n"), eol("CR CR LF", "\r\r\n"),
        // An unclosed quote runs to the end of its line, not beyond it.
        {"lone quotes", "\"\r\n" + kGoodRecords + '"' + sjis(kA) + ",07/01,8:05," + sjis("出") +
                            "\r\n\"",
         out, "\"\r\n" + reg(kIdm, kA) + "\"", kA, "\"" + sjis(kA) + "\r\n", kA},
        // A quote inside a quoted field ends it; the rest up to the comma is dropped.
        {"a quote inside a field", kGoodRecords + q("職") + sjis("員A") + "\"," + rec("").mid(3),
         {"職", "07/01", "8:05", "出"}, q(kIdm) + "," + q(yamada) + sjis("太郎") + "\"\r\n",
         yamada, q(yamada) + sjis("太郎") + "\"\r\n", yamada, "職"},
        {"a line break inside a quoted name", kGoodRecords + rec("職員\r\nA"), out,
         reg(kIdm, "職員\r\nA"), "職員", q("職員\r\nA") + "\r\n", "職員"},
        // Read from the end, the last line is longer than any block read at once.
        {"a line of 1 MB", rec(kA) + '"' + kMegabyte + "\"," + rec("", "9:00").mid(3), in,
         reg(kIdm, kA) + q(kOther) + ",\"" + kMegabyte + "\"\r\n", kA, kMegabyte + "\r\n",
         QString(1 << 20, u'x')},
        // A name no record could hold counts as no registration.
        {"invalid CP932 bytes", rec(kA).replace(sjis("出"), "\x82") + "\"\xff\xfe\"," +
                                    rec("").mid(3),
         {kA, "07/01", "8:05", "\uFFFD"}, q(kIdm) + ",\"\x90\x45\x88\"\r\n", {}, "\xff\xfe\r\n",
         "\uFFFD\uFFFD"},
        {"a UTF-8 file", ("\"職員A\",\"07/01\",\"8:05\",\"出\"\r\n" + QString()).toUtf8(), {},
         ("\"" + kIdm + "\",\"職員A\"\r\n").toUtf8(), "閨ｷ蜩｡A", kA.toUtf8() + "\r\n", "閨ｷ蜩｡A"},
        // The mark is part of the first field of the first line.
        {"a UTF-8 BOM", kBom + rec(kA), {}, kBom + reg(kIdm, kA), {}, kBom + sjis(kA) + "\r\n",
         "\uFFFDｻｿ職員A"},
        {"NUL bytes", QByteArray("\0\0\r\n", 4) + rec(kA) + QByteArray(1, 0), in,
         reg(kIdm, kA) + QByteArray(3, 0), kA, sjis(kA) + QByteArray("\0\r\n", 3), kA + QChar(0)},
        // The one-field line is no registration; the lines before it still count.
        {"a registry with one field on its last line", {}, {}, reg(kIdm, kA) + q(kIdm), kA},
        {"a record with two fields", kGoodRecords + q(kA) + ",\"07/01\"\r\n", out},
        // Quoted fields keep their commas; the owner's unquoted line is read up to its comma.
        {"a name with a comma", rec("Tanaka, Ichiro") + rec("Tanaka", "9:00", "退"),
         {"Tanaka, Ichiro", "07/01", "8:05", "出"}, reg(kIdm, "山田, 太郎"), "山田, 太郎",
         "Tanaka, Ichiro\r\n", "Tanaka", "Tanaka, Ichiro"},
    };
}

TEST(BrokenFiles, AreReadAsTheRulesSayAndLeftAsTheyAre) {
    for (const Case& c : cases()) {
        SCOPED_TRACE(c.what);
        TestWorld world;
        const QByteArray files[] = {c.records.value_or(kGoodRecords), c.registry.value_or(kGoodReg),
                                    c.userData.value_or("\r\n")};
        const QString names[] = {kRecordFile, kRegistryFile, kUserDataFile};
        for (int i = 0; i < 3; ++i) world.write(names[i], files[i]);
        const DataFolder folder(QDir(world.dir.path()));
        if (c.records) {
            EXPECT_EQ(FindLastRecord(folder, c.user), c.last);
            EXPECT_EQ(FindLastRecord(folder, c.user, 5), c.last) << "in small blocks";
            EXPECT_EQ(lastRecordIn(view(files[0]), c.user), c.last) << "all at hand";
        }
        if (c.registry) { EXPECT_EQ(registeredName(view(files[1]), c.idm), c.registered); }
        if (c.userData) { EXPECT_EQ(readOwnerName(folder), c.owner); }

        // Start-up, then one tick with a card on the reader that names nobody here.
        const QString card = c.registry && c.registered.isEmpty() ? c.idm : "FFFFFFFFFFFFFFFF";
        {
            Form1 form(world.services());
            TerminalOperations operations(form);
            form.setOperations(&operations);
            ASSERT_TRUE(form.Form_Load());
            world.card.hold(card.toLatin1());
            world.clock.set(QStringLiteral("9:05:03"));
            form.handle([&] { form.Timer2_Timer(); });
            EXPECT_EQ(world.card.reads, 1);
            EXPECT_EQ(form.名前->text(), QString());
        }
        EXPECT_FALSE(world.end.ended);
        EXPECT_EQ(world.prompts.messages + world.prompts.inputPrompts, QStringList());
        EXPECT_EQ(world.beeper.beeps, 0);
        for (int i = 0; i < 3; ++i) EXPECT_EQ(world.read(names[i]), files[i]) << "changed";
    }
}

// A registration after a last line without its line end starts a line of its own.
TEST(BrokenFiles, RegistrationAfterALastLineWithoutLineEnd) {
    for (const QByteArray& before :
         {reg(kOther, "職員B").chopped(2), q(kOther), reg(kOther, "職員B").chopped(1)}) {
        SCOPED_TRACE(before.toStdString());
        TestWorld world;
        world.write(kRegistryFile, before);
        world.card.hold(kIdm.toLatin1());
        Form1 form(world.services());
        world.prompts.modalScripts.push_back([](QDialog& w) {
            w.findChild<QLineEdit*>(QStringLiteral("名前"))->setText(kA);
            w.findChild<QPushButton*>(QStringLiteral("Felicaチェック"))->click();
            w.findChild<QPushButton*>(QStringLiteral("登録終了"))->click();
        });
        OpenSettings(form);
        EXPECT_EQ(world.prompts.messages, QStringList());
        const QByteArray after = world.read(kRegistryFile);
        EXPECT_EQ(after, before + (before.endsWith('\r') ? "" : "\r\n") + reg(kIdm, kA));
        EXPECT_EQ(registeredName(view(after), kOther), registeredName(view(before), kOther));
    }
}

} // namespace
