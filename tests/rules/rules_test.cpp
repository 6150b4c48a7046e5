// The rules that need no terminal: rounding, the registry and record lookups, card reads,
// the time panel's steps and appending whole lines.

#include "cards/cards.h"
#include "storage/backwardlines.h"
#include "storage/fields.h"
#include "support/world.h"
#include "timeentry/timesteps.h"

#include <gtest/gtest.h>

using namespace velmora;
using namespace velmora::test;

TEST(Rules, RoundingOfComputedTimes) {
    // clang-format off
    for (auto [clock, arrival, leaving] : {std::tuple{"8:07:59", "8:05", "08:10"},
            {"8:05:00", "8:05", "08:10"}, {"12:00:00", "12:00", "12:05"},
            {"9:59:59", "9:55", "10:00"}, {"23:55:00", "23:55", "24:00"}}) {
        // clang-format on
        EXPECT_EQ(arrivalTime(clock), arrival) << clock;
        EXPECT_EQ(leavingTime(clock), leaving) << clock;
    }
}

TEST(Rules, RegistryLookupTakesTheLastWholeRegistration) {
    const QByteArray a = "\"0123456789ABCDEF\",\"" + sjis("職員A") + "\"\r\n",
                     b = "\"0123456789ABCDEF\",\"B\"\r\n";
    const QString idm = "0123456789ABCDEF";
    // clang-format off
    struct Case { const char* name; QByteArray file; QString idm, registered; } cases[] = {
        {"an empty registry", "", idm, ""},
        {"a registered card", a, idm, "職員A"},
        {"another card", a, "FEDCBA9876543210", ""},
        {"the last registration", a + "\"FEDCBA9876543210\",\"C\"\n" + b, idm, "B"},
        {"the last one gives no name", b + "\"0123456789ABCDEF\",\"\"", idm, ""},
        {"lower case", a, idm.toLower(), ""},
        {"a shorter IDm", a, idm.left(15), ""},
        {"a quoted name kept whole", "\"0123456789ABCDEF\",\" Y,a \"", idm, " Y,a "},
        {"no IDm", a, "", ""},
        {"an empty IDm registered by hand", "\"\",\"B\"\r\n" + a, "", "B"},
        {"blank lines, one field", "\r\n" + b + "\r\n  \r\n\"0123456789ABCDEF\"\r\n", idm, "B"},
        {"one field only", "\"X\"\r\n\"Y\",\"B\"", "X", ""},
        {"broken bytes around", "\xff\x80\r\n" + b + "\x81", idm, "B"},
        {"a name that is no CP932", "\"0123456789ABCDEF\",\"A\xff\"\r\n", idm, ""},
        {"unquoted fields, lone CRs", " 0123456789ABCDEF , Sato \r\"x\",\"y\"\r", idm, "Sato"},
        {"an IDm that is no CP932", b, "😀", ""},
        {"an IDm with a line end", b, idm + "\r\n\"0", ""},
        {"control characters in the name", b + "\"0123456789ABCDEF\",\"\x1b[2J\x7f\"", idm, ""},
    };
    // clang-format on
    for (const auto& c : cases) {
        BackwardLineReader lines(view(c.file));
        EXPECT_EQ(registeredName(lines, c.idm), c.registered) << c.name;
    }
}

TEST(Rules, RegistryAnswerIsKeptWhileTheRegistrysSizeAndTimeStay) {
    World w;
    const DataFolder files(QDir(w.dir.path()));
    const auto registry = [&](const QByteArray& bytes) {
        w.write(kRegistryFile, bytes);
        QFile f(files.path(kRegistryFile));
        (void)(f.open(QIODevice::ReadWrite) &&
               f.setFileTime(QDateTime(QDate(2026, 7, 1), QTime(8, 0)),
                             QFile::FileModificationTime));
    };
    RegistryLookup lookup;
    registry("\"01\",\"A\"\r\n");
    EXPECT_EQ(lookup.registeredName(files, "01"), "A");
    registry("\"01\",\"B\"\r\n"); // not read again
    EXPECT_EQ(lookup.registeredName(files, "01"), "A");
    EXPECT_EQ(lookup.registeredName(files, "02"), "");
    registry("\"01\",\"BC\"\r\n");
    EXPECT_EQ(lookup.registeredName(files, "01"), "BC");
}

TEST(Rules, LastRecordLookupSkipsIncompleteRecords) {
    const QByteArray a = "\"A\",\"06/30\",\"8:00\",\"出\"", a2 = "\"A\",\"07/01\",\"17:10\",\"退\"";
    // date: of A's last record; none: no record.
    // clang-format off
    struct Case { const char* name; QByteArray file; QString date; } cases[] = {
        {"no record", "", ""},
        {"the last line", a + "\r\n" + a2 + "\r\n", "07/01"},
        {"three fields", a + "\r\n\"A\",\"07/01\",\"9:00\"\r\n", "06/30"},
        {"no line end", a + "\n" + a2, "07/01"},
        {"a lone CR, blank lines", a + "\r" + a2 + "\r\n\r\n", "07/01"},
        {"a longer name", a2 + "\r\n\"AB\",\"07/02\",\"1:00\",\"出\"", "07/01"},
        {"lower case", a + "\r\n\"a\",\"07/02\",\"1:00\",\"出\"\r\n", "06/30"},
        {"unquoted with spaces", "  A , 07/03 ,9:00,出", "07/03"},
    };
    // clang-format on
    for (const auto& c : cases) {
        BackwardLineReader lines(view(c.file));
        EXPECT_EQ(lastRecordIn(lines, "A").date, c.date) << c.name;
    }
}

TEST(Rules, CardReadsGiveTheFirstSixteenCharactersOfTheBuffer) {
    const QString idm = "0123456789ABCDEF", nuls(16, QChar(0));
    // clang-format off
    struct Case { QByteArray written; QString idm; } cases[] = {
        {idm.toLatin1(), idm}, {"", ""}, {(idm + "-x").toLatin1(), idm},
        {"01234", "01234" + nuls.left(11)}, {sjis("職員"), "職員" + nuls.left(14)}};
    // clang-format on
    for (const auto& c : cases) {
        World w;
        w.card = c.written;
        EXPECT_EQ(readIdm(w), c.idm); // padded with NULs, never trimmed
    }
}

TEST(Rules, TimePanelSteps) {
    // clang-format off
    struct Case { const char *display, *hourUp, *hourDown, *minuteUp, *minuteDown; } cases[] = {
        {"00:00", "1:00", "23:00", "00:05", "00:55"}, {"23:55", "0:55", "22:55", "23:00", "23:50"},
        {"9:37", "10:37", "8:37", "9:40", "9:34"}, {"9:02", "10:02", "8:02", "9:05", "9:55"}};
    // clang-format on
    for (const auto& c : cases) {
        SCOPED_TRACE(c.display);
        EXPECT_EQ(hourUp(c.display), c.hourUp);
        EXPECT_EQ(hourDown(c.display), c.hourDown);
        EXPECT_EQ(minuteUp(c.display), c.minuteUp);
        EXPECT_EQ(minuteDown(c.display), c.minuteDown);
    }
}

TEST(Rules, AppendsWholeLinesAndRefusesFieldsTheFileCannotHold) {
    World w;
    const DataFolder files(QDir(w.dir.path()));
    w.write(kRecordFile, "\"B\",\"06/30\",\"8:00\",\"x\""); // left without its line end by an edit
    appendRecord(files, {"職員A", "07/01", "8:05", kArrival});
    EXPECT_EQ(w.read(kRecordFile), "\"B\",\"06/30\",\"8:00\",\"x\"\r\n" +
                                       sjis("\"職員A\",\"07/01\",\"8:05\",\"出\"\r\n"));
    EXPECT_THROW(appendRecord(files, {"A\"", "07/01", "8:05", kArrival}), Failure);
    EXPECT_THROW(appendRecord(files, {"A", "07/01", "8:0\"5", kArrival}), Failure);
    EXPECT_EQ(registerCard(files, "", "01"), texts::kNoName);
    EXPECT_EQ(registerCard(files, "A\"", "01"), texts::kUnstorableName);
    EXPECT_EQ(registerCard(files, QString(65, u'A'), "01"),
              u"利用者名は64文字以内で入力してください。"_qs);
    EXPECT_EQ(registerCard(files, "A", "01\n"), texts::kNoCard);
    EXPECT_EQ(registerCard(files, "A", ""), texts::kNoCard);
    EXPECT_EQ(w.read(kRecordFile).count('\n'), 2);
}
