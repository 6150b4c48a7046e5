// The arrival and the leaving through a real terminal window.

#include "attendance.h"
#include "doubles.h"
#include "form1.h"
#include "timepanel.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <gtest/gtest.h>
#include <optional>

#ifndef _WIN32
#include <csignal>
#include <sys/resource.h>
#endif

using namespace velmora;
using namespace velmora::test;

namespace {

const QString kUser = QStringLiteral("職員A");
using Operation = void (*)(Form1&);
using Keys = std::vector<const char*>;

QByteArray rec(const QString& date, const QString& time, const QString& kind,
               const QString& name = kUser) {
    return '"' + sjis(name) + "\",\"" + sjis(date) + "\",\"" + sjis(time) + "\",\"" + sjis(kind) +
           "\"\r\n";
}

// The panel's buttons that show h:mm from its fresh "00:00", then "OK".
Keys keys(int hour, int minute) {
    Keys clicks(size_t(hour), "Command1");
    clicks.insert(clicks.end(), size_t(minute / 5), "Command3");
    clicks.push_back("Command5");
    return clicks;
}

class OperationTest : public ::testing::Test {
protected:
    std::unique_ptr<TestWorld> w;
    std::unique_ptr<Form1> form;
    QStringList panelPrompts;

    // A fresh terminal at rest with 名前 showing the user, as after a card.
    Form1& start(const char* clock, const QByteArray& records, const QByteArray& owner = "\r\n") {
        form.reset();
        w = std::make_unique<TestWorld>();
        panelPrompts.clear();
        w->clock.set(QString::fromLatin1(clock), "2026/07/01");
        w->write(kUserDataFile, owner);
        w->write(kRecordFile, records);
        form = std::make_unique<Form1>(w->services());
        EXPECT_TRUE(form->Form_Load());
        form->ResetToIdle();
        form->名前->setText(kUser);
        return *form;
    }
    void run(Operation operation) { form->handle([&] { operation(*form); }); }
    // The next time panel: its prompt is noted, then the buttons are pressed.
    void onPanel(const Keys& buttons) {
        w->prompts.modalScripts.push_back([this, buttons](QDialog& window) {
            auto* panel = dynamic_cast<時間の入力パネル*>(&window);
            ASSERT_NE(panel, nullptr);
            panelPrompts << panel->mes->text();
            for (const char* name : buttons) {
                auto* button = window.findChild<QPushButton*>(QString::fromLatin1(name));
                ASSERT_NE(button, nullptr) << name;
                button->click();
            }
        });
    }
    QByteArray records() const { return w->read(kRecordFile); }
};

TEST_F(OperationTest, Roads) {
    const Operation I = ClockIn, O = ClockOut;
    const QByteArray today = rec("07/01", "7:00", "出"), old = rec("06/30", "8:00", "出");
    const QByteArray todayOut = today + rec("07/01", "7:30", "退");
    const QByteArray oldOut = rec("06/30", "9:10", "退"), at815 = rec("07/01", "8:15", "出");
    const QByteArray sato = rec("07/01", "7:55", "出", "Sato");
    const Keys notOk{"Command1"}; // a change on the panel, then closed without "OK"
    struct Road {
        const char* what;
        Operation operation;
        QByteArray before;
        QString keyed;      // タイム before the operation
        Keys panel;         // pressed on the one panel; none: no panel may show
        QByteArray missing; // the record asked on the panel
        QString time;       // of the operation's record; none: refused
        const char* clock = nullptr;
    } roads[] = {
        {"in, no record", I, "", "", {}, "", "8:05"},
        {"in, only others'", I, sato, "", {}, "", "8:05"},
        {"in, after an old leaving", I, oldOut, "", {}, "", "8:05"},
        {"in, after a leaving of today", I, todayOut, "", {}, "", "8:05"},
        {"in, other width today", I, rec("07/01", "7:00", "出", "職員Ａ"), "", {}, "", "8:05"},
        {"in, stale arrival", I, rec("06/26", "8:00", "出") + sato, "", keys(17, 30),
         rec("06/26", "17:30", "退"), "8:05"},
        {"in, second arrival of the day", I, today + sato, "9:30", {}, "", ""},
        {"in, keyed", I, "", "7:50", {}, "", "7:50"},
        {"in, keyed off the grid", I, "", "07:52", {}, "", "07:52"},
        {"in, keyed, stale", I, old, "7:50", keys(18, 5), rec("06/30", "18:05", "退"), "7:50"},
        {"in, keyed, panel not OK", I, old, "7:50", notOk, rec("06/30", "7:50", "退"), "7:50"},
        {"in, panel not OK", I, old, "", notOk, rec("06/30", "", "退"), "8:05"},
        {"out, no record", O, "", "", keys(8, 15), at815, "17:10"},
        {"out, after an old leaving", O, oldOut, "", keys(8, 15), at815, "17:10"},
        {"out, after an old arrival", O, old, "", keys(8, 15), at815, "17:10"},
        {"out, only others'", O, sato, "", keys(8, 15), at815, "17:10"},
        {"out, after an arrival of today", O, today, "", {}, "", "17:10"},
        {"out, after a leaving of today", O, todayOut, "", {}, "", "17:10"},
        {"out, before midnight", O, today, "", {}, "", "24:00", "23:57:00"},
        {"out, keyed", O, "", "17:45", keys(8, 30), rec("07/01", "8:30", "出"), "17:45"},
        {"out, keyed, panel not OK", O, "", "17:45", notOk, rec("07/01", "17:45", "出"), "17:45"},
    };
    for (const Road& c : roads) {
        SCOPED_TRACE(c.what);
        const bool arriving = c.operation == I;
        Form1& f = start(c.clock ? c.clock : arriving ? "8:07:59" : "17:07:30", c.before);
        f.タイム->setText(c.keyed);
        f.タイム->setVisible(!c.keyed.isEmpty());
        if (!c.panel.empty()) onPanel(c.panel);
        run(c.operation);
        const QString kind = arriving ? kArrival : kLeaving;
        const bool refused = c.time.isEmpty();
        EXPECT_EQ(records(), c.before + (refused ? "" : c.missing + rec("07/01", c.time, kind)));
        EXPECT_EQ(f.mess->text(), refused ? "すでに出勤中" : "07/01 " + c.time + ' ' + kind);
        const QString prompt = arriving ? "昨日の退校時間" : "本日の出校時間";
        EXPECT_EQ(panelPrompts, c.panel.empty() ? QStringList() : QStringList{prompt});
        EXPECT_EQ(w->prompts.modalsShown, c.panel.empty() ? 0 : 1);
        EXPECT_EQ(Form1::fontSize(f.mess), 28);
        EXPECT_EQ(f.タイム->text(), c.keyed) << "restored after the panel";
        EXPECT_EQ(f.タイム->isVisibleTo(&f), refused);
        EXPECT_EQ(f.動作状態->text(),
                  arriving && !refused ? "出勤ボタンが押された。" : "");
        EXPECT_EQ(f.Timer2.interval(), arriving || !c.panel.empty() ? 0 : 1000);
        EXPECT_EQ(f.Timer1.interval(), 10);
        EXPECT_GE(w->clock.slept, std::chrono::seconds(4)) << "shown for five seconds";
        EXPECT_EQ(w->beeper.beeps, arriving ? 0 : 1);
        EXPECT_EQ(w->shutdown.requests, 0);
        EXPECT_FALSE(w->end.ended);
    }
}

TEST_F(OperationTest, EmptyNameIsAskedFor) {
    start("8:07:59", "").名前->clear();
    w->prompts.answers = {QStringLiteral("Tanaka, Ichiro")};
    run(ClockIn);
    EXPECT_EQ(w->prompts.inputPrompts.size(), 1);
    EXPECT_EQ(records(), rec("07/01", "8:05", "出", "Tanaka, Ichiro"));
}

TEST_F(OperationTest, NobodyAnswersTheNamePrompt) {
    for (Operation operation : {ClockIn, ClockOut}) {
        Form1& f = start("8:07:59", "");
        f.名前->clear();
        run(operation);
        EXPECT_EQ(records(), QByteArray());
        EXPECT_EQ(f.Timer2.interval(), 1000) << "back at rest with the clock running";
        EXPECT_EQ(f.Timer1.interval(), 0);
        EXPECT_EQ(w->prompts.modalsShown + w->beeper.beeps, 0);
        EXPECT_FALSE(w->end.ended);
    }
}

TEST_F(OperationTest, ShutdownOnlyOnAPersonalPcWithTheBoxTickedAfterTheWait) {
    struct {
        QByteArray userData;
        Qt::CheckState box;
        bool shuts;
    } cases[] = {{"\r\n", Qt::Checked, false}, {"Sato\r\n", Qt::Unchecked, false},
                 {"Sato\r\n", Qt::PartiallyChecked, false}, {"Sato\r\n", Qt::Checked, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.userData.toStdString() + std::to_string(c.box));
        Form1& f = start("17:07:30", rec("07/01", "8:00", "出"), c.userData);
        f.Check1->setTristate(c.box == Qt::PartiallyChecked);
        f.Check1->setCheckState(c.box);
        QString shown, at;
        w->shutdown.onRequest = [&] { shown = f.mess->text(), at = w->clock.timeText(); };
        run(ClockOut);
        EXPECT_EQ(w->shutdown.requests, c.shuts ? 1 : 0);
        EXPECT_EQ(shown, c.shuts ? "07/01 17:10 退" : "");
        EXPECT_TRUE(!c.shuts || at >= "17:07:35") << "after the five seconds";
        f.名前->setText(kUser);
        run(ClockIn); // an arrival never shuts down
        EXPECT_EQ(w->shutdown.requests, c.shuts ? 1 : 0);
    }
}

#ifndef _WIN32
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

TEST_F(OperationTest, FaultEndsTheProgramBeforeAnythingIsShownAsRecorded) {
    struct {
        const char* what;
        Operation operation;
        QByteArray before;
        QString name;
        int panels;
        QString message;
    } cases[] = {
        {"arrival", ClockIn, "", kUser, 0, kRecordFile},
        {"leaving", ClockOut, rec("07/01", "8:00", "出"), kUser, 0, kRecordFile},
        {"leaving's missing arrival", ClockOut, "", kUser, 1, kRecordFile},
        {"unstorable name", ClockOut, "", "職員😀", 0, "利用者名"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Form1& f = start("17:07:30", c.before);
        f.名前->setText(c.name);
        f.タイム->setText("8:00");
        {
            std::optional<FullDisk> full;
            if (c.name == kUser) full.emplace();
            run(c.operation);
        }
        ASSERT_EQ(w->prompts.messages.size(), 1);
        EXPECT_TRUE(w->prompts.messages[0].contains(c.message)) << c.message.toStdString();
        EXPECT_EQ(w->prompts.modalsShown, c.panels);
        EXPECT_TRUE(w->end.ended);
        EXPECT_EQ(w->end.exitCode, 1);
        EXPECT_EQ(f.mess->text(), QString()) << "nothing shown as recorded";
        EXPECT_EQ(w->beeper.beeps + w->shutdown.requests, 0);
        EXPECT_EQ(records(), c.before);
    }
}
#endif

} // namespace
