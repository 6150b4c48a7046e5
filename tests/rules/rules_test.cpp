// The rules that need no terminal: rounding, the registry and record lookups, card reads,
// the time panel's steps and appending whole lines.

#include "attendance/recordfile.h"
#include "cards/cards.h"
#include "common/fields.h"
#include "support/world.h"
#include "timeentry/timesteps.h"

#include <gtest/gtest.h>

using namespace velmora;
using namespace velmora::test;

namespace {

QByteArray line(const QByteArray& idm, const QString& name) { return "\"" + idm + "\",\"" + sjis(name) + "\"\r\n"; }

} // namespace

TEST(Rules, RoundingOfComputedTimes) {
    for (auto [clock, arrival, leaving] : {std::tuple{"8:07:59", "8:05", "08:10"}, {"8:05:00", "8:05", "08:10"},
                                           {"12:00:00", "12:00", "12:05"}, {"9:59:59", "9:55", "10:00"},
                                           {"23:55:00", "23:55", "24:00"}, {"0:04:00", "0:00", "00:05"}}) {
        EXPECT_EQ(arrivalTime(clock), arrival) << clock;
        EXPECT_EQ(leavingTime(clock), leaving) << clock;
    }
}

TEST(Rules, RegistryLookup) {
    const QString a = "職員A", b = "職員B", idm = "0123456789ABCDEF", other = "FEDCBA9876543210";
    const QByteArray la = line(idm.toLatin1(), a), lb = line(idm.toLatin1(), b);
    struct Case {
        QByteArray file;
        QString idm, name;
    } cases[] = {
        {"", idm, ""}, {la, idm, a}, {la, other, ""}, {la + line(other.toLatin1(), b) + lb, idm, b},
        {la + line(idm.toLatin1(), ""), idm, ""}, {la, idm.toLower(), ""}, {la, idm.left(15), ""},
        {line(idm.toLatin1(), " 山田,太郎 "), idm, " 山田,太郎 "}, {la, "", ""}, {line("", b) + la, "", b},
        {"\r\n" + la + "\r\n  \r\n", idm, a}, {la + "\"" + idm.toLatin1() + "\"\r\n", idm, a},
        {"\"" + other.toLatin1() + "\"\r\n" + la, other, ""}, {"\xff\xfe\x80\r\n" + la + "\x81", idm, a},
        {"\"" + idm.toLatin1() + "\",\"A\xff\"\r\n", idm, ""}, {la.chopped(2), idm, a},
        {"  " + idm.toLatin1() + " ,  Sato  \n\"x\",\"y\"\r", idm, "Sato"}, {line("", a), "😀", ""},
        {la, "0123456789ABCDEF\r\n\"0", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(registeredName(view(c.file), c.idm), c.name) << c.file.toStdString();
}

TEST(Rules, LastRecordLookup) {
    const QByteArray a = "\"A\",\"06/30\",\"8:00\",\"出\"", a2 = "\"A\",\"07/01\",\"17:10\",\"退\"";
    struct Case {
        QByteArray file;
        QString date; // of A's last record; none: no record
    } cases[] = {
        {"", ""}, {a + "\r\n" + a2 + "\r\n", "07/01"}, {a + "\r\n\"A\",\"07/01\",\"9:00\"\r\n", "06/30"},
        {a + "\n" + a2, "07/01"}, {a + "\r" + a2 + "\r\n\r\n", "07/01"}, {a2 + "\r\n\"AB\",\"07/02\",\"1:00\",\"出\"", "07/01"},
        {a + "\r\n\"a\",\"07/02\",\"1:00\",\"出\"\r\n", "06/30"}, {"  A , 07/03 ,9:00,出", "07/03"},
        {a + "\r\n\"A\r\n\",\"07/04\",\"1:00\",\"出\"", "06/30"},
    };
    for (const auto& c : cases) EXPECT_EQ(lastRecordIn(view(c.file), "A").date, c.date) << c.file.toStdString();
}

TEST(Rules, CardReadsGiveTheBufferAndItsFirstSixteenCharacters) {
    const QString idm = "0123456789ABCDEF";
    const auto nuls = [](int n) { return QString(n, QChar(0)); };
    struct Case {
        QByteArray written;
        QString text, idm;
    } cases[] = {
        {idm.toLatin1(), idm + nuls(1008), idm}, {"", "", ""}, // no card
        {(idm + "-x").toLatin1(), idm + "-x" + nuls(1006), idm},
        {"01234", "01234" + nuls(1019), "01234" + nuls(11)}, // padded, never trimmed
        {sjis("職員"), "職員" + nuls(1020), "職員" + nuls(14)},
    };
    for (const auto& c : cases) {
        World w;
        w.card = c.written;
        EXPECT_EQ(readCardText(w), c.text);
        EXPECT_EQ(readIdm(w), c.idm);
    }
}

TEST(Rules, TimePanelSteps) {
    struct Case {
        const char* display;
        const char *hourUp, *hourDown, *minuteUp, *minuteDown;
    } cases[] = {
        {"00:00", "1:00", "23:00", "00:05", "00:55"}, {"23:55", "0:55", "22:55", "23:00", "23:50"},
        {"9:37", "10:37", "8:37", "9:40", "9:34"},    {"9:02", "10:02", "8:02", "9:05", "9:55"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(hourUp(c.display), c.hourUp);
        EXPECT_EQ(hourDown(c.display), c.hourDown);
        EXPECT_EQ(minuteUp(c.display), c.minuteUp);
        EXPECT_EQ(minuteDown(c.display), c.minuteDown);
    }
}

TEST(Rules, AppendsWholeLinesAndRefusesFieldsTheFileCannotHold) {
    World w;
    DataFolder files(QDir(w.dir.path()));
    w.write(kRecordFile, "\"B\",\"06/30\",\"8:00\",\"出\""); // left without its line end by an edit
    appendRecord(files, {"職員A", "07/01", "8:05", kArrival});
    EXPECT_EQ(w.read(kRecordFile), "\"B\",\"06/30\",\"8:00\",\"出\"\r\n\"" + sjis("職員A") + "\",\"07/01\",\"8:05\",\"" + sjis(kArrival) + "\"\r\n");
    for (const AttendanceRecord& bad : {AttendanceRecord{"A\"", "07/01", "8:05", kArrival}, {"A", "07/01", "8:0\"5", kArrival}})
        EXPECT_THROW(appendRecord(files, bad), Failure);
    EXPECT_EQ(registerCard(files, "A", QString("01\n")), texts::kNoCard);
    EXPECT_EQ(w.read(kRecordFile).count('\n'), 2);
}
