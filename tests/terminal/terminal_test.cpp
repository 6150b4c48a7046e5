// The terminal's rules through a fake window: exact bytes on disk, what the screen shows,
// and the timers' states.

#include "support/world.h"

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <csignal>

using namespace velmora;
using namespace velmora::test;

namespace {

const QString kUser = QStringLiteral("職員A");
const QByteArray kCard = "0123456789ABCDEF";

QByteArray rec(const char* date, const char* time, const QString& kind, const QString& name = kUser) {
    return '"' + sjis(name) + "\",\"" + date + "\",\"" + time + "\",\"" + sjis(kind) + "\"\r\n";
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

TEST(Terminal, ArrivalAndLeavingRoads) {
    const QByteArray today = rec("07/01", "7:00", kArrival), old = rec("06/30", "8:00", kArrival);
    const QByteArray todayOut = today + rec("07/01", "7:30", kLeaving);
    const QByteArray sato = rec("07/01", "7:55", kArrival, "Sato");
    const std::optional<QString> closed; // the panel left without "OK"
    struct Road {
        const char* what;
        const char* clock; // before noon an arrival, after it a leaving
        QByteArray before;
        QString keyed; // a time chosen before pressing the button; none: a card instead
        std::optional<QString> panel;
        QByteArray missing; // the record asked on the panel; none: no panel
        const char* time;   // of the operation's record; none: refused
    } roads[] = {
        {"in, no record", "8:07:59", "", "", {}, "", "8:05"},
        {"in, others' and an old leaving", "8:07:59", sato + rec("06/30", "9:10", kLeaving), "", {}, "", "8:05"},
        {"in, after a leaving of today", "8:07:59", todayOut, "", {}, "", "8:05"},
        {"in, another width's arrival", "8:07:59", rec("07/01", "7:00", kArrival, "職員Ａ"), "", {}, "", "8:05"},
        {"in, stale arrival", "8:07:59", rec("06/26", "8:00", kArrival) + sato, "", "17:30", rec("06/26", "17:30", kLeaving), "8:05"},
        {"in, second of the day", "8:07:59", today + sato, "", {}, "", nullptr},
        {"in, keyed off the grid", "8:07:59", "", "07:52", {}, "", "07:52"},
        {"in, keyed, stale", "8:07:59", old, "7:50", "18:05", rec("06/30", "18:05", kLeaving), "7:50"},
        {"in, keyed, panel closed", "8:07:59", old, "7:50", closed, rec("06/30", "7:50", kLeaving), "7:50"},
        {"in, panel closed", "8:07:59", old, "", closed, rec("06/30", "", kLeaving), "8:05"},
        {"out, no record", "17:07:30", "", "", "8:15", rec("07/01", "8:15", kArrival), "17:10"},
        {"out, old arrival", "17:07:30", old, "", "8:15", rec("07/01", "8:15", kArrival), "17:10"},
        {"out, arrival of today", "17:07:30", today, "", {}, "", "17:10"},
        {"out, leaving of today", "17:07:30", todayOut, "", {}, "", "17:10"},
        {"out, before midnight", "23:57:00", today, "", {}, "", "24:00"},
        {"out, keyed", "17:07:30", "", "17:45", "8:30", rec("07/01", "8:30", kArrival), "17:45"},
    };
    for (const Road& c : roads) {
        SCOPED_TRACE(c.what);
        Fixture f(c.before);
        const bool arriving = QByteArray(c.clock).split(':')[0].toInt() < 12;
        if (!c.missing.isEmpty()) f.w.panel = {c.panel};
        if (c.keyed.isEmpty()) {
            f.w.card = kCard;
            f.tick(c.clock);
        } else {
            f.w.at(c.clock);
            f.w.answers = {kUser};
            f.t.timeTyped(c.keyed);
            arriving ? f.t.arrive() : f.t.leave();
        }
        const QString kind = arriving ? kArrival : kLeaving;
        EXPECT_EQ(f.w.read(kRecordFile), c.before + (c.time ? c.missing + rec("07/01", c.time, kind) : ""));
        EXPECT_EQ(f.w.screen.message, c.time ? "07/01 " + QString(c.time) + ' ' + kind : "すでに出勤中");
        EXPECT_EQ(f.w.questions.size(), c.missing.isEmpty() ? 0 : 1);
        EXPECT_EQ(f.w.screen.keyedTime, c.keyed) << "kept aside while the panel was open";
        EXPECT_EQ(f.t.followUp(), c.keyed.isEmpty() ? FollowUp::AfterCard : FollowUp::Now);
        EXPECT_EQ(f.w.beeps, (c.keyed.isEmpty() ? 1 : 0) + (arriving ? 0 : 1));
        EXPECT_EQ(f.w.powerOffs + f.w.messages.size(), 0);
    }
}

TEST(Terminal, ClockTickShowsTheTimeAndTheModeOfTheDay) {
    Fixture f;
    for (auto [clock, shown, mode] : {std::tuple{"9:05:03", "09:05", "出勤 "}, {"11:59:59", "11:59", "出勤 "},
                                      {"12:00:00", "12:00", "退勤 "}}) {
        f.tick(clock);
        EXPECT_EQ(f.w.screen.message, clock == QString("9:05:03") ? "09:05" : shown);
        EXPECT_EQ(f.w.screen.status, QString(mode) + "：Felicaをかざしてください。");
        EXPECT_EQ(f.w.screen.seconds, QString(clock).right(2).toInt());
    }
}

TEST(Terminal, ACardLeftOnTheReaderRecordsOnceUntilLiftedOrAnotherComes) {
    const QByteArray arrivals = rec("07/01", "8:00", kArrival) + rec("07/01", "8:00", kArrival, "Sato");
    Fixture f(arrivals);
    f.w.write(kRegistryFile, f.w.read(kRegistryFile) + "\"1111111111111111\",\"Sato\"\r\n");
    f.w.card = kCard;
    for (const char* clock : {"17:07:00", "17:07:10", "17:07:20"}) f.tick(clock), f.t.cancel();
    f.w.card = "1111111111111111";
    f.tick("17:08:00"), f.t.cancel();
    f.w.card.clear(); // lifted, then held again
    f.tick("17:09:00");
    f.w.card = kCard;
    f.tick("17:10:00");
    EXPECT_EQ(f.w.read(kRecordFile), arrivals + rec("07/01", "17:10", kLeaving) +
                                          rec("07/01", "17:10", kLeaving, "Sato") + rec("07/01", "17:15", kLeaving));
}

TEST(Terminal, NamePrompt) {
    struct Case {
        const char* what;
        std::deque<QString> answers;
        int cardAtWait; // the wait after which the card is held; 0: never
        QString user;   // who is recorded; none: nobody
        int prompts;
    } cases[] = {
        {"typed", {"Tanaka, Ichiro"}, 0, "Tanaka, Ichiro", 1},
        {"card at the second read", {""}, 2, kUser, 1},
        {"unstorable, then typed", {"職員😀", "Sato"}, 0, "Sato", 2},
        {"nobody: three card reads, two prompts", {}, 0, "", 2},
    };
    for (auto& c : cases) {
        SCOPED_TRACE(c.what);
        Fixture f(rec("07/01", "8:00", kArrival, c.user));
        f.w.answers = c.answers;
        int waits = 0;
        f.w.onWait = [&] { f.w.card = ++waits == c.cardAtWait ? kCard : ""; };
        f.w.at("17:07:30");
        f.t.leave();
        EXPECT_EQ(f.w.asked.size(), c.prompts);
        EXPECT_EQ(f.w.messages, c.answers.size() > 1 ? QStringList{texts::kUnstorableName} : QStringList{});
        EXPECT_EQ(f.w.read(kRecordFile), rec("07/01", "8:00", kArrival, c.user) +
                                             (c.user.isEmpty() ? "" : rec("07/01", "17:10", kLeaving, c.user)));
        EXPECT_EQ(f.t.clockState(), ClockTick::EverySecond);
    }
}

TEST(Terminal, FirstStartAndPcForms) {
    struct Case {
        QByteArray userData; // "-": missing
        std::deque<QString> answers;
        QByteArray stored;
        bool personal;
    } cases[] = {
        {"-", {"職員😀", "Sato"}, "Sato\r\n", true},
        {"", {}, "\r\n", false}, // zero bytes hold no name either
        {"\"\x90\x45\x88\xf5" "A\"\r\n", {}, "\"\x90\x45\x88\xf5" "A\"\r\n", true},
    };
    for (auto& c : cases) {
        World w;
        if (c.userData != "-") w.write(kUserDataFile, c.userData);
        w.write(kRecordFile, "kept");
        w.answers = c.answers;
        Terminal t(w.services(), w);
        ASSERT_TRUE(t.start());
        EXPECT_EQ(w.read(kUserDataFile), c.stored);
        EXPECT_EQ(w.read(kRecordFile) + w.read(kRegistryFile), "kept");
        EXPECT_EQ(w.screen.personalPc, c.personal);
        EXPECT_EQ(w.screen.shutdownChosen, c.personal);
        EXPECT_EQ(t.clockState(), ClockTick::EverySecond);
    }
}

TEST(Terminal, PersonalPcEndsAfterACardAndShutsDownWhenChosen) {
    for (bool chosen : {false, true}) {
        Fixture f(rec("07/01", "8:00", kArrival), sjis(kUser) + "\r\n");
        f.t.shutdownChosen(chosen);
        int powerOffsDuringWait = -1;
        f.w.onWait = [&] { powerOffsDuringWait = f.w.powerOffs; };
        f.w.card = kCard;
        f.tick("17:07:00");
        EXPECT_EQ(f.w.powerOffs, chosen ? 1 : 0);
        EXPECT_EQ(powerOffsDuringWait, 0) << "only once the result was shown";
        f.t.followUpTick();
        EXPECT_EQ(f.w.exitCode, 0);
    }
    Fixture f(rec("07/01", "8:00", kArrival), sjis(kUser) + "\r\n");
    f.w.answers = {kUser};
    f.t.leave(); // a button: the program stays
    f.t.followUpTick();
    EXPECT_EQ(f.w.exitCode, -1);
    EXPECT_EQ(f.w.powerOffs, 1);
    EXPECT_EQ(f.t.followUp(), FollowUp::Off);
}

TEST(Terminal, ChosenTimeAndCancel) {
    Fixture f;
    f.w.at("9:05:59");
    f.w.panel = {"7:40"};
    f.t.clockClicked();
    EXPECT_EQ(f.w.questions, QStringList{texts::kAskChosenTime});
    EXPECT_TRUE(f.w.screen.keyedTimeShown && f.w.screen.cancelShown);
    EXPECT_EQ(f.t.clockState(), ClockTick::Stopped);
    f.t.cancel();
    EXPECT_EQ(f.w.screen.keyedTime, "");
    EXPECT_EQ(f.t.clockState(), ClockTick::EverySecond);
    f.w.answers = {kUser};
    f.t.arrive();
    f.t.clockClicked(); // while the result's follow-up is armed
    EXPECT_EQ(f.w.questions.size(), 1);
}

TEST(Terminal, Registration) {
    const QByteArray registry = "\"" + kCard + "\",\"" + sjis(kUser) + "\"\r\n";
    struct Case {
        QString name;
        QByteArray card;
        QString refusal;
    } cases[] = {{"", kCard, texts::kNoName}, {"職員\"B", kCard, texts::kUnstorableName},
                 {"Sato", "", texts::kNoCard}, {"Sato, Hanako", kCard, ""}};
    for (auto& c : cases) {
        Fixture f;
        f.w.card = c.card;
        bool closed = false;
        f.w.inRegistration = [&] { closed = f.t.registerCard(c.name, f.t.readCardToRegister()); };
        f.t.openSettings();
        EXPECT_EQ(f.w.messages, c.refusal.isEmpty() ? QStringList{} : QStringList{c.refusal});
        EXPECT_EQ(closed, c.refusal.isEmpty());
        EXPECT_EQ(f.w.read(kRegistryFile), registry + (closed ? "\"" + kCard + "\",\"Sato, Hanako\"\r\n" : ""));
        EXPECT_EQ(f.t.clockState(), ClockTick::Fast);
    }
}

// While one lives no regular file of this process can grow: each such write fails.
struct FullDisk {
    rlimit saved{};
    void (*previous)(int) = std::signal(SIGXFSZ, SIG_IGN); // EFBIG instead of the signal
    FullDisk() {
        getrlimit(RLIMIT_FSIZE, &saved);
        rlimit none = saved;
        none.rlim_cur = 0;
        setrlimit(RLIMIT_FSIZE, &none);
    }
    ~FullDisk() { setrlimit(RLIMIT_FSIZE, &saved), std::signal(SIGXFSZ, previous); }
};

TEST(Terminal, AFaultEndsTheProgramWithItsMessageAndNothingShownAsRecorded) {
    for (const QString& fault : {texts::kCannotWrite, texts::kCannotRead, texts::kMissingFile}) {
        Fixture f(rec("07/01", "8:00", kArrival));
        f.w.card = kCard;
        std::optional<FullDisk> full;
        if (fault == texts::kCannotRead) QFile::remove(f.w.dir.filePath(kRecordFile)), QDir(f.w.dir.path()).mkdir(kRecordFile);
        if (fault == texts::kMissingFile) QFile::remove(f.w.dir.filePath(kRegistryFile));
        if (fault == texts::kCannotWrite) full.emplace();
        f.tick("17:07:00");
        full.reset();
        ASSERT_EQ(f.w.messages.size(), 1);
        EXPECT_TRUE(f.w.messages[0].startsWith(fault.section(' ', 0, 0))) << f.w.messages[0].toStdString();
        EXPECT_EQ(f.w.exitCode, 1);
        EXPECT_FALSE(f.w.screen.message.contains(kLeaving));
    }
}

} // namespace
