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
#include <gtest/gtest.h>
#include <optional>

namespace velmora {
void PrintTo(const AttendanceRecord& r, std::ostream* os) {
    *os << "{" << r.name.toStdString() << " | " << r.date.toStdString() << " | "
        << r.time.toStdString() << " | " << r.kind.toStdString() << "}";
}
} // namespace velmora

using namespace velmora;
using namespace velmora::test;

namespace {

const QString kA = QStringLiteral("職員A");
const QString kB = QStringLiteral("職員B");
const QString kIdm = QStringLiteral("0123456789ABCDEF");
const QString kOther = QStringLiteral("FEDCBA9876543210");
const QString kNobodysCard = QStringLiteral("FFFFFFFFFFFFFFFF");

QByteArray record(const QString& name, const QString& date, const QString& time,
                  const QString& kind) {
    return '"' + sjis(name) + "\",\"" + sjis(date) + "\",\"" + sjis(time) + "\",\"" + sjis(kind) +
           "\"\r\n";
}

QByteArray registration(const QString& idm, const QString& name) {
    return '"' + sjis(idm) + "\",\"" + sjis(name) + "\"\r\n";
}

QByteArray crOnly(QByteArray bytes) { return bytes.replace("\r\n", "\r"); }
QByteArray lfOnly(QByteArray bytes) { return bytes.replace("\r\n", "\n"); }
QByteArray crCrLf(QByteArray bytes) { return bytes.replace("\r\n", "\r\r\n"); }
QByteArray bytes(const char* data, qsizetype size) { return QByteArray(data, size); }

const QByteArray kBom = "\xEF\xBB\xBF";
const QByteArray kMegabyte(1 << 20, 'x');

// The files of a working folder that are not the broken one in a case.
const QByteArray kGoodRecords = record(kA, "06/30", "17:10", "退");
const QByteArray kGoodRegistry = registration(kIdm, kA);
const QByteArray kSharedPc = "\r\n";

struct Case {
    const char* what;
    // A file a case gives holds these bytes, and reading it must give what follows them:
    std::optional<QByteArray> records{};
    AttendanceRecord lastRecord{}; // FindLastRecord for `user`
    std::optional<QByteArray> registry{};
    QString registered{};          // registeredName for `idm`
    std::optional<QByteArray> userData{};
    std::optional<QString> owner{}; // readOwnerName
    QString user = kA;
    QString idm = kIdm;
};

// Every kind of damage is tried on each file where it can occur. A user-data file of zero
// bytes is left out: start-up asks for the owner again and writes it, by design.
std::vector<Case> cases() {
    const AttendanceRecord arrival{kA, "07/01", "8:05", "出"};
    const AttendanceRecord leaving{kA, "06/30", "17:10", "退"};
    return {
        {.what = "zero bytes",
         .records = "", .lastRecord = {},
         .registry = "", .registered = {}},
        {.what = "nothing but line ends",
         .records = "\r\n\r\n\r\n", .lastRecord = {},
         .registry = "\r\n\n\r", .registered = {},
         .userData = "\r\n\r\n\r\n", .owner = QString()},
        {.what = "no final line end",
         .records = kGoodRecords + record(kA, "07/01", "8:05", "出").chopped(2),
         .lastRecord = arrival,
         .registry = registration(kIdm, kB) + registration(kIdm, kA).chopped(2), .registered = kA,
         .userData = sjis(kA), .owner = kA},
        {.what = "blank lines, before the owner's name too",
         .records = "\r\n\r\n" + record(kA, "07/01", "8:05", "出") + "\r\n  \r\n",
         .lastRecord = arrival,
         .registry = "\r\n" + registration(kIdm, kA) + "\r\n\r\n", .registered = kA,
         .userData = "\r\n" + sjis(kA) + "\r\n", .owner = QString()},
        {.what = "CR without LF",
         .records = crOnly(kGoodRecords + record(kA, "07/01", "8:05", "出")),
         .lastRecord = arrival,
         .registry = crOnly(registration(kIdm, kB) + registration(kIdm, kA)), .registered = kA,
         .userData = sjis(kA) + "\r", .owner = kA},
        {.what = "LF without CR",
         .records = lfOnly(kGoodRecords + record(kA, "07/01", "8:05", "出")),
         .lastRecord = arrival,
         .registry = lfOnly(registration(kIdm, kB) + registration(kIdm, kA)), .registered = kA,
         .userData = sjis(kA) + "\n", .owner = kA},
        {.what = "CR CR LF",
         .records = crCrLf(kGoodRecords + record(kA, "07/01", "8:05", "出")),
         .lastRecord = arrival,
         .registry = crCrLf(registration(kIdm, kB) + registration(kIdm, kA)), .registered = kA,
         .userData = sjis(kA) + "\r\r\n", .owner = kA},
        // A quote never closed runs to the end of its line, not beyond it.
        {.what = "lone quotes",
         .records = "\"\r\n" + kGoodRecords + "\"" + sjis(kA) + ",07/01,8:05," + sjis("出") +
                    "\r\n\"",
         .lastRecord = leaving,
         .registry = "\"\r\n" + registration(kIdm, kA) + "\"", .registered = kA,
         .userData = "\"" + sjis(kA) + "\r\n", .owner = kA},
        // A quote inside a quoted field ends it; the rest up to the comma is dropped.
        {.what = "a quote inside a field",
         .records = kGoodRecords + "\"" + sjis("職") + "\"" + sjis("員A") +
                    "\",\"07/01\",\"8:05\",\"" + sjis("出") + "\"\r\n",
         .lastRecord = {QStringLiteral("職"), "07/01", "8:05", "出"},
         .registry = "\"0123456789ABCDEF\",\"" + sjis("山田") + "\"" + sjis("太郎") + "\"\r\n",
         .registered = QStringLiteral("山田"),
         .userData = "\"" + sjis("山田") + "\"" + sjis("太郎") + "\"\r\n",
         .owner = QStringLiteral("山田"),
         .user = QStringLiteral("職")},
        {.what = "a line break inside a quoted name",
         .records = kGoodRecords + "\"" + sjis("職員") + "\r\nA\",\"07/01\",\"8:05\",\"" +
                    sjis("出") + "\"\r\n",
         .lastRecord = leaving,
         .registry = "\"0123456789ABCDEF\",\"" + sjis("職員") + "\r\nA\"\r\n",
         .registered = QStringLiteral("職員"),
         .userData = "\"" + sjis("職員") + "\r\nA\"\r\n", .owner = QStringLiteral("職員")},
        // Read from the end, the file's last line is longer than any block read at once.
        {.what = "a line of 1 MB",
         .records = record(kA, "07/01", "8:05", "出") + "\"" + kMegabyte +
                    "\",\"07/01\",\"9:00\",\"" + sjis("出") + "\"\r\n",
         .lastRecord = arrival,
         .registry = registration(kIdm, kA) + "\"" + sjis(kOther) + "\",\"" + kMegabyte + "\"\r\n",
         .registered = kA,
         .userData = kMegabyte + "\r\n", .owner = QString(1 << 20, u'x')},
        {.what = "invalid CP932 bytes",
         .records = "\"" + sjis(kA) + "\",\"07/01\",\"8:05\",\"\x82\"\r\n\"\xff\xfe\",\"07/02\"," +
                    "\"8:00\",\"" + sjis("出") + "\"\r\n",
         .lastRecord = {kA, "07/01", "8:05", QStringLiteral("\uFFFD")},
         // A name no record could hold counts as no registration.
         .registry = "\"0123456789ABCDEF\",\"\x90\x45\x88\"\r\n", .registered = {},
         .userData = "\xff\xfe\r\n", .owner = QStringLiteral("\uFFFD\uFFFD")},
        {.what = "a UTF-8 file",
         .records = QStringLiteral("\"職員A\",\"07/01\",\"8:05\",\"出\"\r\n").toUtf8(),
         .lastRecord = {},
         .registry = QStringLiteral("\"0123456789ABCDEF\",\"職員A\"\r\n").toUtf8(),
         .registered = QStringLiteral("閨ｷ蜩｡A"),
         .userData = kA.toUtf8() + "\r\n", .owner = QStringLiteral("閨ｷ蜩｡A")},
        // The mark is part of the first field of the first line.
        {.what = "a UTF-8 byte order mark",
         .records = kBom + record(kA, "07/01", "8:05", "出"), .lastRecord = {},
         .registry = kBom + registration(kIdm, kA), .registered = {},
         .userData = kBom + sjis(kA) + "\r\n", .owner = QStringLiteral("\uFFFDｻｿ職員A")},
        {.what = "NUL bytes",
         .records = bytes("\0\0\r\n", 4) + record(kA, "07/01", "8:05", "出") + bytes("\0", 1),
         .lastRecord = arrival,
         .registry = registration(kIdm, kA) + bytes("\0\0\0", 3), .registered = kA,
         .userData = sjis(kA) + bytes("\0\r\n", 3), .owner = kA + QChar(0)},
        {.what = "a registry with one field on its last line: no registration",
         .registry = registration(kIdm, kA) + "\"FEDCBA9876543210\"", .registered = {},
         .idm = kOther},
        {.what = "a registry with one field on its last line: the lines before still count",
         .registry = registration(kIdm, kA) + "\"FEDCBA9876543210\"", .registered = kA},
        {.what = "a record with two fields",
         .records = kGoodRecords + "\"" + sjis(kA) + "\",\"07/01\"\r\n", .lastRecord = leaving},
        // Quoted fields keep their commas; the owner's line is written without quotes and
        // so read up to its comma.
        {.what = "a name with a comma",
         .records = record("Tanaka, Ichiro", "07/01", "8:05", "出") +
                    record("Tanaka", "07/01", "9:00", "退"),
         .lastRecord = {"Tanaka, Ichiro", "07/01", "8:05", "出"},
         .registry = registration(kIdm, QStringLiteral("山田, 太郎")),
         .registered = QStringLiteral("山田, 太郎"),
         .userData = "Tanaka, Ichiro\r\n", .owner = QStringLiteral("Tanaka"),
         .user = QStringLiteral("Tanaka, Ichiro")},
    };
}

TEST(BrokenFiles, AreReadAsTheRulesSayAndLeftAsTheyAre) {
    for (const Case& c : cases()) {
        SCOPED_TRACE(c.what);
        TestWorld world;
        const QByteArray records = c.records.value_or(kGoodRecords);
        const QByteArray registry = c.registry.value_or(kGoodRegistry);
        const QByteArray userData = c.userData.value_or(kSharedPc);
        world.write(kRecordFile, records);
        world.write(kRegistryFile, registry);
        world.write(kUserDataFile, userData);
        auto expectUnchanged = [&](const char* after) {
            EXPECT_EQ(world.read(kRecordFile), records) << after;
            EXPECT_EQ(world.read(kRegistryFile), registry) << after;
            EXPECT_EQ(world.read(kUserDataFile), userData) << after;
        };

        const DataFolder files(QDir(world.dir.path()));
        if (c.records) {
            EXPECT_EQ(FindLastRecord(files, c.user), c.lastRecord);
            EXPECT_EQ(FindLastRecord(files, c.user, 5), c.lastRecord) << "in small blocks";
            EXPECT_EQ(lastRecordIn(view(records), c.user), c.lastRecord) << "all at hand";
        }
        if (c.registry) {
            EXPECT_EQ(registeredName(view(files.read(kRegistryFile)), c.idm), c.registered);
        }
        if (c.userData) {
            EXPECT_EQ(readOwnerName(files), c.owner);
        }
        expectUnchanged("reading");

        // The program over the folder: start-up, then one tick with a card on the reader
        // that names nobody here, so that nothing is due to be recorded.
        const QString card = c.registry && c.registered.isEmpty() ? c.idm : kNobodysCard;
        ASSERT_EQ(registeredName(view(registry), card), QString());
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
        EXPECT_EQ(world.prompts.messages, QStringList());
        EXPECT_EQ(world.prompts.inputPrompts, QStringList());
        EXPECT_EQ(world.beeper.beeps, 0);
        expectUnchanged("start-up and a clock tick");
    }
}

// A registration made after a hand edit that left the registry without its final line end
// starts a line of its own, so that both registrations are read back.
TEST(BrokenFiles, RegistrationAfterALastLineWithoutLineEnd) {
    for (const QByteArray& before : {registration(kOther, kB).chopped(2),
                                     QByteArray("\"" + sjis(kOther) + "\""),
                                     registration(kOther, kB).chopped(1)}) {
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
        const QByteArray lineEnd = before.endsWith('\r') ? "" : "\r\n";
        EXPECT_EQ(after, before + lineEnd + registration(kIdm, kA));
        EXPECT_EQ(registeredName(view(after), kIdm), kA);
        EXPECT_EQ(registeredName(view(after), kOther), registeredName(view(before), kOther));
    }
}

} // namespace
