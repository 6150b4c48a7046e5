// The terminal's rules through a fake window: exact bytes on disk, what the screen shows,
// and the timers' states.

#include "support/world.h"
#include "terminal/tryfolder.h"

#include <gtest/gtest.h>

#ifndef _WIN32
#include <csignal>
#include <sys/resource.h>
#endif

using namespace velmora;
using namespace velmora::test;
using State = TerminalState;

namespace {

const QString kUser = QStringLiteral("職員A");
const QByteArray kCard = "0123456789ABCDEF", kSatosCard = "FEDCBA9876543210";

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
        w.write(kRegistryFile,
                "\"" + kCard + "\",\"" + sjis(kUser) + "\"\r\n\"" + kSatosCard + "\",\"Sato\"\r\n");
        EXPECT_TRUE(t.start());
        t.cancel();
    }
    void tick(const char* hms) { w.at(hms), t.clockTick(); }
};

} // namespace

TEST(Terminal, ArrivalAndLeavingRoads) {
    const QByteArray today = rec("07/01", "7:00", "出"), old = rec("06/30", "8:00", "出");
    const QByteArray sato = rec("07/01", "7:55", "出", "Sato");
    enum Via { ByClock, Arrive, InSatosFollowUp, AfterSettings }; // how the operation starts
    // The clock (before noon an arrival, after it a leaving), the file before, what is typed
    // before pressing the button (none: a card instead), the record the panel asked for, the
    // time of the operation's record (none: refused). Arrive: 出勤 at any hour. InSatosFollowUp:
    // 出勤 while Sato's card's result shows. AfterSettings: keyed chosen on the panel, 設定
    // opened and closed, then the card.
    // clang-format off
    struct Road { const char* clock; QByteArray before; QString keyed; QByteArray missing; const char* time; Via via = ByClock; } roads[] = {
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
        {"11:59:00", "", "", "", "11:55"}, {"11:59:59", "", "", "", "11:55"}, // until noon
        {"12:00:00", today, "", "", "12:05"}, {"12:00:59", today, "", "", "12:05"},
        {"17:07:30", "", "17:45", rec("07/01", "8:30", "出"), "17:45"},
        {"8:07:59", "", "０７：３０", "", "07:30"},
        {"8:07:59", sato, "", "", "8:05", InSatosFollowUp},
        {"8:07:59", "", "7:07", "", "8:05", AfterSettings},
        {"23:59:50", "", "", rec("07/01", "8:00", "出"), "24:00"}, // answered after midnight
        {"23:59:45", old, "", rec("06/30", "18:05", "退"), "23:55", Arrive},
    };
    // clang-format on
    for (const Road& c : roads) {
        SCOPED_TRACE(c.before.toStdString() + c.clock + c.keyed.toStdString());
        Fixture f(c.before);
        const bool arriving = c.via == Arrive || QByteArray(c.clock).split(':')[0].toInt() < 12;
        const bool card = c.via == AfterSettings || (c.via == ByClock && c.keyed.isEmpty());
        const bool asked = !c.missing.isEmpty();
        if (asked) f.w.panel = {fromCp932(view(c.missing)).section('"', 5, 5)};
        if (c.via == AfterSettings)
            f.w.panel.push_front(c.keyed), f.t.clockClicked(), f.t.openSettings();
        if (c.via == InSatosFollowUp) f.w.card = kSatosCard, f.tick(c.clock); // すでに出勤中
        if (card) {
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
        EXPECT_EQ(f.w.questions.size(), int(asked) + (c.via == AfterSettings));
        EXPECT_EQ(f.w.screen.keyedTime, card || c.keyed.isEmpty() ? "" : QString(c.time)) << "kept";
        EXPECT_EQ(f.t.state().followUp,
                  card ? State::FollowUp::AfterCard : State::FollowUp::AfterInput);
        EXPECT_EQ(f.w.beeps, (card || c.via == InSatosFollowUp) + (arriving ? 0 : 1));
        EXPECT_EQ(f.w.powerOffs + f.w.messages.size(), 0);
    }
}

TEST(Terminal, NamePromptTakesACardOrATypedNameAndGivesUpAfterThreeCardReads) {
    // The wait after which the card is held (0: never), who is recorded (none: nobody).
    // clang-format off
    struct Case { const char* name; std::deque<QString> answers; int cardAtWait; QString user; int prompts; } cases[] = {
        {"a typed name", {"Tanaka, Ichiro"}, 0, "Tanaka, Ichiro", 1},
        {"a card after no answer", {""}, 2, kUser, 1},
        {"a name CP932 lacks, then another", {"職員😀", "Sato"}, 0, "Sato", 2},
        {"three card reads and no answer", {}, 0, "", 2},
        {"control characters, then a name", {"Sato\x1b[2J", "Sato"}, 0, "Sato", 2},
    };
    // clang-format on
    for (auto& c : cases) {
        SCOPED_TRACE(c.name);
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
        EXPECT_EQ(f.t.state().clock, State::ClockTick::EverySecond);
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
        EXPECT_EQ(w.messages,
                  QStringList{missing ? texts::kUnstorableName
                                      : u"利用者名は64文字以内で入力してください。"_qs});
        EXPECT_EQ(w.read(kUserDataFile), missing ? "Sato\r\n" : "\r\n");
        EXPECT_EQ(w.read(kRecordFile) + w.read(kRegistryFile), "kept");
        EXPECT_EQ(w.screen.personalPc && w.screen.shutdownChosen, missing);
        EXPECT_EQ(t.state().clock, State::ClockTick::EverySecond);
    }
}

// A try folder records the first example card; made again it keeps what it holds, and a
// folder of other files, a school's data, is refused and left as it was.
TEST(Terminal, TryFolderHasTheExampleCardsAndNeverTakesAnotherFolder) {
    World w;
    const QString folder = w.dir.filePath(QStringLiteral("try"));
    const auto read = [&](const QString& name) { return w.read(QStringLiteral("try/") + name); };
    for (int time = 1; time <= 2; ++time) {
        ASSERT_EQ(prepareTryFolder(folder), std::nullopt);
        EXPECT_EQ(read(kRegistryFile), sjis(QStringLiteral("\"0123456789ABCDEF\",\"職員A\"\r\n"
                                                           "\"FEDCBA9876543210\",\"職員B\"\r\n")));
        EXPECT_EQ(read(kUserDataFile), "\r\n");
        EXPECT_EQ(read(kTryCardFile), "");
        Services services = w.services();
        services.files = DataFolder(QDir(folder));
        Terminal terminal(services, w);
        ASSERT_TRUE(terminal.start());
        w.card = kCard, w.at(time == 1 ? "08:07:00" : "17:30:00"), terminal.clockTick();
        w.card = "";
        EXPECT_EQ(read(kRecordFile).count('\n'), time);
    }
    w.write(kRecordFile, "x");
    EXPECT_EQ(prepareTryFolder(w.dir.path()),
              texts::kNotTryFolder.arg(QDir::toNativeSeparators(w.dir.path())));
    EXPECT_FALSE(QFile::exists(w.dir.filePath(kRegistryFile)));
}

TEST(Terminal, PersonalPcEndsAfterACardAndShutsDownWhenChosen) {
    // The last a shared PC whose user-data file is given a name meanwhile: from the next start.
    for (auto [personal, chosen] : {std::pair{true, false}, {true, true}, {false, true}}) {
        Fixture f(rec("07/01", "8:00", "出"), personal ? sjis(kUser) + "\r\n" : "\r\n");
        f.w.write(kUserDataFile, sjis(kUser) + "\r\n");
        f.t.shutdownChosen(chosen);
        f.w.onWait = [&] { EXPECT_EQ(f.w.powerOffs, 0) << "only once the result was shown"; };
        f.w.card = kCard;
        f.tick("17:07:00");
        EXPECT_EQ(f.w.powerOffs, personal && chosen ? 1 : 0);
        f.t.followUpTick();
        EXPECT_EQ(f.w.exitCode, personal ? 0 : -1);
    }
    Fixture f(rec("07/01", "8:00", "出"), sjis(kUser) + "\r\n");
    f.w.answers = {kUser};
    f.t.leave(); // a button: the program stays
    f.t.followUpTick();
    EXPECT_EQ(f.w.exitCode, -1);
    EXPECT_EQ(f.t.state().followUp, State::FollowUp::None);
}

TEST(Terminal, ChosenTimeStartsFromTheClockAndCancelReturnsToIdle) {
    Fixture f;
    f.tick("9:05:59");
    EXPECT_EQ(f.w.screen.message + f.w.screen.status, "09:05出勤 ：Felicaをかざしてください。");
    EXPECT_EQ(f.w.screen.seconds, 59);
    f.t.clockClicked();
    f.t.timeTyped("8.30"), f.t.arrive(); // refused before anything is asked, the text kept
    EXPECT_EQ(f.w.messages.value(0) + f.w.screen.keyedTime, texts::kBadTime + "8.30");
    EXPECT_EQ(f.w.asked.size() + f.w.read(kRecordFile).size(), 0);
    EXPECT_TRUE(f.w.screen.keyedTimeShown && f.w.screen.cancelShown);
    EXPECT_EQ(f.t.state().clock, State::ClockTick::Stopped);
    f.t.cancel();
    EXPECT_FALSE(f.w.screen.keyedTimeShown || f.w.screen.cancelShown);
    EXPECT_EQ(f.t.state().clock, State::ClockTick::EverySecond);
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

TEST(Terminal, ARestingCardIsLiftedOnlyByTwoNoCardAnswersInARow) {
    // One tick ten minutes after another: A or B a card, - no card, = no card again in the same
    // second (the fast tick), x an error answer, l a late one, n no reader, r A read in the
    // registration window instead. Then whose leaving each tick records; the empty IDm
    // registered by hand is nobody's card.
    // clang-format off
    const struct { const char *name, *reads, *records; } rows[] = {
        {"left lying, it records once", "AAAA", "A..."},
        {"one no-card answer keeps it", "A-A-A", "A...."},
        {"two in a row lift it", "A--A", "A..A"},
        {"two within one second keep it", "A-=A", "A..."},
        {"failed checks keep it", "AxlnlA", "A....."},
        {"a failed check breaks the row", "A-x-A", "A...."},
        {"lifted between failures", "Ax--xA", "A....A"},
        {"another card records at once, and so does the first again", "ABA", "ABA"},
        {"a card read for a registration rests as well", "--r-A", "....."},
    };
    // clang-format on
    const QString b = QStringLiteral("職員B");
    const QByteArray cardB(16, 'B');
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const QByteArray before = rec("07/01", "8:00", "出") + rec("07/01", "8:00", "出", b);
        Fixture f(before);
        f.w.write(kRegistryFile, f.w.read(kRegistryFile) + "\"" + cardB + "\",\"" + sjis(b) +
                                     "\"\r\n\"\",\"Nobody\"\r\n");
        QByteArray records = before;
        QTime at(16, 51);
        f.w.inRegistration = [&] { f.t.readCardToRegister(); };
        for (int i = 0; row.reads[i] != '\0'; ++i) {
            const char read = row.reads[i], by = row.records[i];
            if (read != '=') at = at.addSecs(600);
            f.w.card = read == 'A' || read == 'r' ? kCard : read == 'B' ? cardB : QByteArray();
            f.w.fault = read == 'x' ? -3 : read == 'l' ? -4 : read == 'n' ? -2 : 0;
            read == 'r' ? f.t.openSettings()
                        : f.tick(at.toString(u"H:mm:ss").toLatin1().constData());
            EXPECT_EQ(f.w.screen.status == texts::kNoReader, read == 'n') << i;
            f.t.followUpTick();
            if (by != '.')
                records += rec("07/01", at.addSecs(240).toString(u"H:mm").toLatin1().constData(),
                               kLeaving, by == 'A' ? kUser : b);
        }
        EXPECT_EQ(f.w.read(kRecordFile), records);
    }
    Fixture personal(rec("07/01", "8:00", "出"), sjis(kUser) + "\r\n");
    personal.w.fault = -2, personal.tick("17:07:00");
    EXPECT_NE(personal.w.screen.status, texts::kNoReader) << "a personal PC only logs it";
}

TEST(Terminal, NothingRunsWhileAnOperationAsksItsQuestions) {
    const QByteArray before = rec("07/01", "8:00", "出") + rec("07/01", "7:55", "出", "Sato");
    Fixture f(before);
    // Under the name prompt's wait: Sato's card on a tick, 出勤 and 取消, all dropped.
    bool first = true;
    f.w.onWait = [&] {
        if (!std::exchange(first, false)) return;
        f.w.card = kSatosCard, f.t.clockTick(), f.w.answers.push_front(kUser);
        f.t.arrive(), f.t.cancel(), f.w.card.clear();
    };
    f.w.at("17:07:30"), f.w.answers = {kUser}, f.t.leave();
    EXPECT_EQ(f.w.read(kRecordFile), before + rec("07/01", "17:10", "退"));
    EXPECT_EQ(f.w.screen.message, "07/01 17:10 退");
}
