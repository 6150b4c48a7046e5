// The terminal's rules through a fake window: exact bytes on disk, what the screen shows,
// and the timers' states.

#include "support/world.h"

#include <gtest/gtest.h>

#ifndef _WIN32
#include <csignal>
#include <sys/resource.h>
#endif

using namespace velmora;
using namespace velmora::test;

namespace {

const QString kUser = QStringLiteral("職員A");
const QByteArray kCard = "0123456789ABCDEF";

QByteArray rec(const char* date, const char* time, const QString& kind,
               const QString& name = kUser) {
    return sjis('"' + name + "\",\"" + date + "\",\"" + time + "\",\"" + kind + "\"\r\n");
}

// A shared PC (or the owner's, given a name) at rest, its registry holding kCard for kUser.
struct Fixture {
    World w;
    Terminal t{w.services(), w};
    explicit Fixture(const QByteArray& records = "", const QByteArray& owner = "\r\n") {
        w.write(kUserDataFile, owner);
        w.write(kRecordFile, records);
        w.write(kRegistryFile, "\"" + kCard + "\",\"" + sjis(kUser) + "\"\r\n");
        EXPECT_TRUE(t.start());
        t.cancel();
    }
    void tick(const char* hms) { w.at(hms), t.clockTick(); }
};

} // namespace

TEST(Terminal, ArrivalAndLeavingRoads) {
    const QByteArray today = rec("07/01", "7:00", "出"), old = rec("06/30", "8:00", "出");
    const QByteArray sato = rec("07/01", "7:55", "出", "Sato");
    struct Road {
        const char* clock; // before noon an arrival, after it a leaving
        QByteArray before;
        QString keyed;      // chosen before pressing the button; none: a card instead
        QByteArray missing; // the record the panel asked for
        const char* time;   // of the operation's record; none: refused
    } roads[] = {
        // clang-format off
        {"8:07:59", "", "", "", "8:05"},
        {"8:07:59", sato + rec("06/30", "9:10", "退"), "", "", "8:05"},
        {"8:07:59", today + rec("07/01", "7:30", "退"), "", "", "8:05"},
        {"8:07:59", rec("07/01", "7:00", "出", "職員Ａ"), "", "", "8:05"},
        {"8:07:59", rec("06/26", "8:00", "出") + sato, "", rec("06/26", "17:30", "退"), "8:05"},
        {"8:07:59", today + sato, "", "", nullptr},
        {"8:07:59", "", "07:52", "", "07:52"},
        {"8:07:59", old, "7:50", rec("06/30", "18:05", "退"), "7:50"},
        {"17:07:30", "", "", rec("07/01", "8:15", "出"), "17:10"},
        {"17:07:30", old, "", rec("07/01", "8:15", "出"), "17:10"},
        {"17:07:30", today, "", "", "17:10"},
        {"17:07:30", today + rec("07/01", "7:30", "退"), "", "", "17:10"},
        {"23:57:00", today, "", "", "24:00"},
        {"17:07:30", "", "17:45", rec("07/01", "8:30", "出"), "17:45"},
        // clang-format on
    };
    for (const Road& c : roads) {
        SCOPED_TRACE(c.before.toStdString() + c.clock + c.keyed.toStdString());
        Fixture f(c.before);
        const bool arriving = QByteArray(c.clock).split(':')[0].toInt() < 12;
        const bool asked = !c.missing.isEmpty();
        if (asked) f.w.panel = {fromCp932(view(c.missing)).section('"', 5, 5)};
        if (c.keyed.isEmpty()) {
            f.w.card = kCard;
            f.tick(c.clock);
        } else {
            f.w.at(c.clock), f.w.answers = {kUser}, f.t.timeTyped(c.keyed);
            arriving ? f.t.arrive() : f.t.leave();
        }
        const QString kind = arriving ? kArrival : kLeaving;
        EXPECT_EQ(f.w.read(kRecordFile),
                  c.before + (c.time ? c.missing + rec("07/01", c.time, kind) : ""));
        EXPECT_EQ(f.w.screen.message,
                  c.time ? "07/01 " + QString(c.time) + ' ' + kind : "すでに出勤中");
        EXPECT_EQ(f.w.questions.size(), asked ? 1 : 0);
        EXPECT_EQ(f.w.screen.keyedTime, c.keyed) << "kept aside while the panel was open";
        EXPECT_EQ(f.t.followUp(), c.keyed.isEmpty() ? FollowUp::AfterCard : FollowUp::Now);
        EXPECT_EQ(f.w.beeps, (c.keyed.isEmpty() ? 1 : 0) + (arriving ? 0 : 1));
        EXPECT_EQ(f.w.powerOffs + f.w.messages.size(), 0);
    }
}

TEST(Terminal, NamePromptTakesACardOrATypedNameAndGivesUpAfterThreeCardReads) {
    struct Case {
        std::deque<QString> answers;
        int cardAtWait; // the wait after which the card is held; 0: never
        QString user;   // who is recorded; none: nobody
        int prompts;
    } cases[] = {
        // clang-format off
        {{"Tanaka, Ichiro"}, 0, "Tanaka, Ichiro", 1}, {{""}, 2, kUser, 1}, {{"職員😀", "Sato"}, 0, "Sato", 2},
        {{}, 0, "", 2}, {{"Sato\x1b[2J", "Sato"}, 0, "Sato", 2},
        // clang-format on
    };
    for (auto& c : cases) {
        Fixture f(rec("07/01", "8:00", "出", c.user));
        f.w.answers = c.answers;
        int waits = 0;
        f.w.onWait = [&] { f.w.card = ++waits == c.cardAtWait ? kCard : ""; };
        f.w.at("17:07:30");
        f.t.leave();
        EXPECT_EQ(f.w.asked.size(), c.prompts);
        EXPECT_EQ(f.w.messages,
                  c.answers.size() > 1 ? QStringList{texts::kUnstorableName} : QStringList{});
        const QByteArray leaving = c.user.isEmpty() ? "" : rec("07/01", "17:10", "退", c.user);
        EXPECT_EQ(f.w.read(kRecordFile), rec("07/01", "8:00", "出", c.user) + leaving);
        EXPECT_EQ(f.t.clockState(), ClockTick::EverySecond);
    }
}

TEST(Terminal, FirstStartAsksForTheOwnerAndMakesOnlyMissingFiles) {
    for (bool missing : {true, false}) { // a file of zero bytes holds no name either
        World w;
        if (!missing) w.write(kUserDataFile, "");
        w.write(kRecordFile, "kept");
        w.answers = {missing ? "職員😀" : QString(65, u'x'), missing ? "Sato" : ""};
        Terminal t(w.services(), w);
        ASSERT_TRUE(t.start());
        EXPECT_EQ(w.messages, QStringList{missing ? texts::kUnstorableName : texts::kNameTooLong});
        EXPECT_EQ(w.read(kUserDataFile), missing ? "Sato\r\n" : "\r\n");
        EXPECT_EQ(w.read(kRecordFile) + w.read(kRegistryFile), "kept");
        EXPECT_EQ(w.screen.personalPc && w.screen.shutdownChosen, missing);
        EXPECT_EQ(t.clockState(), ClockTick::EverySecond);
    }
}

TEST(Terminal, PersonalPcEndsAfterACardAndShutsDownWhenChosen) {
    for (bool chosen : {false, true}) {
        Fixture f(rec("07/01", "8:00", "出"), sjis(kUser) + "\r\n");
        f.t.shutdownChosen(chosen);
        f.w.onWait = [&] { EXPECT_EQ(f.w.powerOffs, 0) << "only once the result was shown"; };
        f.w.card = kCard;
        f.tick("17:07:00");
        EXPECT_EQ(f.w.powerOffs, chosen ? 1 : 0);
        f.t.followUpTick();
        EXPECT_EQ(f.w.exitCode, 0);
    }
    Fixture f(rec("07/01", "8:00", "出"), sjis(kUser) + "\r\n");
    f.w.answers = {kUser};
    f.t.leave(); // a button: the program stays
    f.t.followUpTick();
    EXPECT_EQ(f.w.exitCode, -1);
    EXPECT_EQ(f.t.followUp(), FollowUp::Off);
}

TEST(Terminal, ChosenTimeStartsFromTheClockAndCancelReturnsToIdle) {
    Fixture f;
    f.tick("9:05:59");
    EXPECT_EQ(f.w.screen.message + f.w.screen.status, "09:05出勤 ：Felicaをかざしてください。");
    f.t.clockClicked();
    EXPECT_TRUE(f.w.screen.keyedTimeShown && f.w.screen.cancelShown);
    EXPECT_EQ(f.t.clockState(), ClockTick::Stopped);
    f.t.cancel();
    EXPECT_FALSE(f.w.screen.keyedTimeShown || f.w.screen.cancelShown);
    EXPECT_EQ(f.t.clockState(), ClockTick::EverySecond);
    f.w.answers = {kUser};
    f.t.arrive();
    f.t.clockClicked(); // while the result's follow-up is armed
    EXPECT_EQ(f.w.questions, QStringList{texts::kAskChosenTime});
}

TEST(Terminal, AFaultEndsTheProgramWithItsMessageAndNothingShownAsRecorded) {
#ifdef _WIN32
    for (const QString& fault : {texts::kMissingFile}) { // Windows has no file size limit to set
#else
    std::signal(SIGXFSZ, SIG_IGN); // a write past the size limit fails instead
    for (const QString& fault : {texts::kCannotWrite, texts::kMissingFile}) {
#endif
        Fixture f(rec("07/01", "8:00", "出"));
        f.w.card = kCard;
#ifndef _WIN32
        rlimit saved{}, full{};
        getrlimit(RLIMIT_FSIZE, &saved), full.rlim_max = saved.rlim_max;
        if (fault == texts::kCannotWrite) setrlimit(RLIMIT_FSIZE, &full); // no file can grow
#endif
        if (fault == texts::kMissingFile) QFile::remove(f.w.dir.filePath(kRegistryFile));
        f.tick("17:07:00");
#ifndef _WIN32
        setrlimit(RLIMIT_FSIZE, &saved);
#endif
        EXPECT_EQ(f.w.messages.value(0).section(' ', 0, 0), fault.section(' ', 0, 0));
        EXPECT_EQ(f.w.exitCode, 1);
        EXPECT_FALSE(f.w.screen.message.contains(kLeaving));
    }
}

TEST(Terminal, ACardThatHasServedRestsOnTheReaderUntilLiftedOrAnotherComes) {
    Fixture f(rec("07/01", "8:00", "出"));
    f.w.write(kRegistryFile,
              f.w.read(kRegistryFile) + "\"1111111111111111\",\"" + sjis(kUser) + "\"\r\n");
    f.w.inRegistration = [&] { f.t.registerCard(kUser, f.t.readCardToRegister()); };
    f.w.card = kCard;
    f.tick("17:07:00"), f.t.followUpTick(); // recorded
    for (const char* later : {"17:20:00", "17:20:30"}) f.tick(later), f.t.followUpTick();
    f.w.card.clear(); // lifted; a time chosen and given up; held again for a registration
    f.tick("17:25:07"), f.t.clockClicked(), f.t.cancel();
    EXPECT_EQ(f.w.screen.seconds, 7);
    f.w.card = kCard;
    f.t.openSettings(), f.tick("17:26:00"), f.t.followUpTick();
    f.w.card = "1111111111111111"; // another card, straight away
    f.tick("17:27:00");
    EXPECT_EQ(f.w.screen.message + f.w.screen.status, "07/01 17:30 退");
    f.w.card.clear(); // the empty reader is nobody's card, even to a hand-made registration
    f.w.write(kRegistryFile, "\"\",\"Nobody\"\r\n");
    f.t.followUpTick(), f.tick("17:40:00");
    EXPECT_EQ(f.w.read(kRecordFile), rec("07/01", "8:00", "出") + rec("07/01", "17:10", "退") +
                                         rec("07/01", "17:30", "退"));
}
