// The arrival and the leaving through a real terminal window.

#include "attendance.h"
#include "doubles.h"
#include "form1.h"
#include "fulldisk.h"
#include "timepanel.h"

#include <QCheckBox>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <gtest/gtest.h>

using namespace velmora;
using namespace velmora::test;

namespace {

const QString kUser = QStringLiteral("職員A");

QByteArray record(const QString& date, const QString& time, const QString& kind,
                  const QString& name = kUser) {
    return '"' + sjis(name) + "\",\"" + sjis(date) + "\",\"" + sjis(time) + "\",\"" + sjis(kind) +
           "\"\r\n";
}

// The panel's buttons to press to show h:mm from its fresh "00:00", then "OK".
std::vector<const char*> keys(int hour, int minute) {
    std::vector<const char*> clicks(size_t(hour), "Command1");
    clicks.insert(clicks.end(), size_t(minute / 5), "Command3");
    clicks.push_back("Command5");
    return clicks;
}

class OperationTest : public ::testing::Test {
protected:
    std::unique_ptr<TestWorld> w = std::make_unique<TestWorld>();
    std::unique_ptr<Form1> form;
    QStringList panelPrompts;

    // A new folder and new doubles, for the next case of a table.
    void fresh() {
        form.reset();
        w = std::make_unique<TestWorld>();
        panelPrompts.clear();
    }

    // A terminal at rest with 名前 showing the user, as after a card or the name prompt.
    Form1& start(const QByteArray& records, const QByteArray& userData = "\r\n") {
        w->write(kUserDataFile, userData);
        w->write(kRecordFile, records);
        form = std::make_unique<Form1>(w->services());
        EXPECT_TRUE(form->Form_Load());
        form->ResetToIdle();
        form->名前->setText(kUser);
        return *form;
    }
    void clockIn() { form->handle([this] { ClockIn(*form); }); }
    void clockOut() { form->handle([this] { ClockOut(*form); }); }

    // The time panel as the user works it: the prompt is noted, then the buttons pressed.
    void onPanel(std::vector<const char*> buttons) {
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

TEST_F(OperationTest, ArrivalWithoutQuestion) {
    const QByteArray otherToday = record("07/01", "8:00", "出", QStringLiteral("Sato"));
    struct Case {
        const char* what;
        QByteArray before;
    } cases[] = {
        {"no record at all", ""},
        {"only others' records", otherToday},
        {"last is a leaving of an earlier day", record("06/30", "17:10", "退") + otherToday},
        {"last is a leaving of today", record("07/01", "7:00", "出") + record("07/01", "7:30", "退")},
        {"an arrival today under a name differing in width",
         record("07/01", "7:00", "出", QStringLiteral("職員Ａ"))},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        fresh();
        w->clock.set("8:07:59", "2026/07/01");
        Form1& f = start(c.before);
        const auto slept = w->clock.slept;
        clockIn();
        EXPECT_EQ(records(), c.before + record("07/01", "8:05", "出"));
        EXPECT_EQ(f.mess->text(), QStringLiteral("07/01 8:05 出"));
        EXPECT_EQ(Form1::fontSize(f.mess), 28);
        EXPECT_EQ(f.動作状態->text(), QStringLiteral("出勤ボタンが押された。"));
        EXPECT_EQ(f.Timer2.interval(), 0);
        EXPECT_EQ(f.Timer1.interval(), 10);
        EXPECT_FALSE(f.タイム->isVisibleTo(&f));
        EXPECT_GE(w->clock.slept - slept, std::chrono::seconds(4)) << "shown for five seconds";
        EXPECT_EQ(w->prompts.modalsShown, 0);
        EXPECT_EQ(w->beeper.beeps, 0);
        EXPECT_FALSE(w->end.ended);
    }
}

TEST_F(OperationTest, ForgottenLeavingOfAnEarlierDayIsAskedForFirst) {
    const QByteArray before = record("06/26", "8:00", "出") +
                              record("07/01", "7:55", "出", QStringLiteral("Sato"));
    w->clock.set("8:07:59", "2026/07/01");
    start(before);
    onPanel(keys(17, 30));
    clockIn();
    EXPECT_EQ(panelPrompts, QStringList{QStringLiteral("昨日の退校時間")});
    // The leaving carries the date of that arrival, and comes first.
    EXPECT_EQ(records(), before + record("06/26", "17:30", "退") + record("07/01", "8:05", "出"));
    EXPECT_EQ(form->mess->text(), QStringLiteral("07/01 8:05 出"));
    EXPECT_EQ(form->Timer1.interval(), 10);
}

TEST_F(OperationTest, SecondArrivalOfTheDayIsRefused) {
    // The date has no year: an arrival of 07/01 counts as today's whatever its year.
    const QByteArray before = record("07/01", "8:00", "出") + record("07/01", "8:00", "退", "Sato");
    w->clock.set("10:00:00", "2026/07/01");
    Form1& f = start(before);
    f.タイム->setText("9:30");
    f.タイム->show();
    const auto slept = w->clock.slept;
    clockIn();
    EXPECT_EQ(records(), before);
    EXPECT_EQ(f.mess->text(), QStringLiteral("すでに出勤中"));
    EXPECT_EQ(f.動作状態->text(), QString());
    EXPECT_EQ(f.タイム->text(), QStringLiteral("9:30"));
    EXPECT_TRUE(f.タイム->isVisibleTo(&f));
    EXPECT_GE(w->clock.slept - slept, std::chrono::seconds(4));
    EXPECT_EQ(f.Timer1.interval(), 10);
    EXPECT_EQ(w->prompts.modalsShown, 0);
}

TEST_F(OperationTest, KeyedArrivalTimeIsRecordedAsKeyedAndKeptAcrossThePanel) {
    struct Case {
        const char* what;
        QByteArray before;
        QString keyed;
        std::optional<std::vector<const char*>> panel; // nullopt: closed without "OK"
        QByteArray added;
    } cases[] = {
        {"keyed, no question", "", "7:50", std::nullopt, record("07/01", "7:50", "出")},
        {"off the grid and padded, taken unchanged", "", "07:52", std::nullopt,
         record("07/01", "07:52", "出")},
        {"keyed, leaving confirmed on the panel", record("06/30", "8:00", "出"), "7:50",
         keys(18, 5), record("06/30", "18:05", "退") + record("07/01", "7:50", "出")},
        {"keyed, panel closed without OK: the keyed time serves both",
         record("06/30", "8:00", "出"), "7:50", std::vector<const char*>{"Command1"},
         record("06/30", "7:50", "退") + record("07/01", "7:50", "出")},
        {"nothing keyed, panel closed without OK: an empty leaving time",
         record("06/30", "8:00", "出"), "", std::vector<const char*>{},
         record("06/30", "", "退") + record("07/01", "8:05", "出")},
        {"panel confirmed unchanged", record("06/30", "8:00", "出"), "", keys(0, 0),
         record("06/30", "00:00", "退") + record("07/01", "8:05", "出")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        fresh();
        w->clock.set("8:07:59", "2026/07/01");
        Form1& f = start(c.before);
        f.タイム->setText(c.keyed);
        f.タイム->setVisible(!c.keyed.isEmpty());
        if (c.panel) onPanel(*c.panel);
        clockIn();
        EXPECT_EQ(records(), c.before + c.added);
        EXPECT_EQ(f.タイム->text(), c.keyed) << "restored after the panel";
        EXPECT_FALSE(f.タイム->isVisibleTo(&f));
        EXPECT_TRUE(w->prompts.modalScripts.empty());
    }
}

TEST_F(OperationTest, NameIsAskedForWhenNoneIsShown) {
    w->clock.set("8:07:59", "2026/07/01");
    Form1& f = start("");
    f.名前->setText(QString());
    w->prompts.answers = {QStringLiteral("Tanaka, Ichiro")};
    clockIn();
    EXPECT_EQ(w->prompts.inputPrompts.size(), 1);
    EXPECT_EQ(records(), record("07/01", "8:05", "出", QStringLiteral("Tanaka, Ichiro")));
    EXPECT_EQ(f.名前->text(), QStringLiteral("Tanaka, Ichiro"));
}

TEST_F(OperationTest, NobodyAnswersTheNamePrompt) {
    w->clock.set("8:07:59", "2026/07/01");
    {
        Form1& f = start("");
        f.名前->setText(QString());
        f.mess->setText("08:07");
        clockIn();
        EXPECT_EQ(records(), QByteArray());
        // Back at rest with the clock running, instead of a window that stands still.
        EXPECT_EQ(f.Timer2.interval(), 1000);
        EXPECT_EQ(f.Timer1.interval(), 0);
        EXPECT_EQ(f.動作状態->text(), QStringLiteral("Felicaをかざしてください。"));
    }
    {
        w->clock.set("17:07:30");
        Form1& f = start("");
        f.名前->setText(QString());
        clockOut();
        EXPECT_EQ(records(), QByteArray());
        EXPECT_EQ(f.Timer2.interval(), 1000) << "the clock tick went on all along";
        EXPECT_EQ(f.Timer1.interval(), 0);
        EXPECT_EQ(w->beeper.beeps, 0);
    }
    EXPECT_EQ(w->prompts.modalsShown, 0);
    EXPECT_FALSE(w->end.ended);
}

TEST_F(OperationTest, LeavingAsksForAMissingArrivalOfToday) {
    struct Case {
        const char* what;
        QByteArray before;
        bool asks;
    } cases[] = {
        {"no record at all", "", true},
        {"last is a leaving of an earlier day", record("06/30", "17:10", "退"), true},
        // The earlier arrival stays without its leaving.
        {"last is an arrival of an earlier day", record("06/30", "8:00", "出"), true},
        {"last is an arrival of today", record("07/01", "8:00", "出"), false},
        {"last is a leaving of today", record("07/01", "8:00", "出") + record("07/01", "12:05", "退"),
         false},
        {"only another user was here today", record("07/01", "8:00", "出", "Sato"), true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        fresh();
        w->clock.set("17:07:30", "2026/07/01");
        Form1& f = start(c.before);
        if (c.asks) onPanel(keys(8, 15));
        const auto slept = w->clock.slept;
        clockOut();
        const QByteArray arrival = c.asks ? record("07/01", "8:15", "出") : QByteArray();
        EXPECT_EQ(records(), c.before + arrival + record("07/01", "17:10", "退"));
        EXPECT_EQ(panelPrompts,
                  c.asks ? QStringList{QStringLiteral("本日の出校時間")} : QStringList{});
        EXPECT_EQ(f.mess->text(), QStringLiteral("07/01 17:10 退"));
        EXPECT_EQ(Form1::fontSize(f.mess), 28);
        EXPECT_EQ(f.動作状態->text(), QString());
        EXPECT_EQ(f.Timer1.interval(), 10);
        EXPECT_EQ(f.Timer2.interval(), c.asks ? 0 : 1000) << "only the panel stops the clock";
        EXPECT_FALSE(f.タイム->isVisibleTo(&f));
        EXPECT_EQ(w->beeper.beeps, 1) << "one beep, however many records";
        EXPECT_GE(w->clock.slept - slept, std::chrono::seconds(4));
        EXPECT_EQ(w->shutdown.requests, 0);
    }
}

TEST_F(OperationTest, ComputedLeavingTimes) {
    struct Case {
        const char* clock;
        const char* message;
    } cases[] = {
        {"17:07:30", "07/01 17:10 退"},
        {"17:10:00", "07/01 17:15 退"},
        {"12:00:00", "07/01 12:05 退"},
        {"9:00:00", "07/01 09:05 退"},
        {"23:57:00", "07/01 24:00 退"}, // no roll-over to the next day
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.clock);
        fresh();
        w->clock.set(QString::fromLatin1(c.clock), "2026/07/01");
        const QByteArray before = record("07/01", "8:00", "出");
        start(before);
        clockOut();
        const QString time = QString::fromUtf8(c.message).mid(6, 5);
        EXPECT_EQ(records(), before + record("07/01", time, "退"));
        EXPECT_EQ(form->mess->text(), QString::fromUtf8(c.message));
    }
}

TEST_F(OperationTest, KeyedLeavingTimeIsRecordedAsKeyedAndKeptAcrossThePanel) {
    struct Case {
        const char* what;
        std::optional<std::vector<const char*>> panel;
        QByteArray added;
    } cases[] = {
        {"arrival confirmed on the panel", keys(8, 30),
         record("07/01", "8:30", "出") + record("07/01", "17:45", "退")},
        {"panel closed without OK: the keyed time serves both", std::vector<const char*>{},
         record("07/01", "17:45", "出") + record("07/01", "17:45", "退")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        fresh();
        w->clock.set("17:07:30", "2026/07/01");
        Form1& f = start("");
        f.タイム->setText("17:45");
        f.タイム->show();
        onPanel(*c.panel);
        clockOut();
        EXPECT_EQ(records(), c.added);
        EXPECT_EQ(f.タイム->text(), QStringLiteral("17:45"));
        EXPECT_FALSE(f.タイム->isVisibleTo(&f));
        EXPECT_EQ(f.mess->text(), QStringLiteral("07/01 17:45 退"));
    }
}

TEST_F(OperationTest, ShutdownOnlyOnAPersonalPcWithTheBoxTickedAfterTheWait) {
    struct Case {
        QByteArray userData;
        Qt::CheckState box;
        bool shuts;
    } cases[] = {
        {"\r\n", Qt::Checked, false},
        {"\r\n", Qt::Unchecked, false},
        {"Sato\r\n", Qt::Unchecked, false},
        {"Sato\r\n", Qt::PartiallyChecked, false},
        {"Sato\r\n", Qt::Checked, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.userData.toStdString() << " box " << int(c.box));
        fresh();
        w->clock.set("17:07:30", "2026/07/01");
        Form1& f = start(record("07/01", "8:00", "出"), c.userData);
        f.Check1->setTristate(c.box == Qt::PartiallyChecked);
        f.Check1->setCheckState(c.box);
        QString shownAtRequest;
        QString clockAtRequest;
        w->shutdown.onRequest = [&] {
            shownAtRequest = f.mess->text();
            clockAtRequest = w->clock.timeText();
        };
        clockOut();
        EXPECT_EQ(w->shutdown.requests, c.shuts ? 1 : 0);
        if (c.shuts) {
            EXPECT_EQ(shownAtRequest, QStringLiteral("07/01 17:10 退"));
            EXPECT_GE(clockAtRequest, QStringLiteral("17:07:35")) << "after the five seconds";
        }
        // The arrival never shuts down.
        f.名前->setText(kUser);
        clockIn();
        EXPECT_EQ(w->shutdown.requests, c.shuts ? 1 : 0);
        w->shutdown.onRequest = nullptr;
    }
}

#ifndef _WIN32
TEST_F(OperationTest, WriteFaultEndsTheProgramBeforeAnythingIsShownAsRecorded) {
    using Operation = void (*)(Form1&);
    struct Case {
        const char* what;
        Operation operation;
        const char* clock;
        QByteArray before;
    } cases[] = {
        {"arrival", ClockIn, "8:07:59", ""},
        {"leaving", ClockOut, "17:07:30", record("07/01", "8:00", "出")},
        {"leaving's missing arrival", ClockOut, "17:07:30", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        fresh();
        w->clock.set(QString::fromLatin1(c.clock), "2026/07/01");
        Form1& f = start(c.before);
        f.タイム->setText("8:00"); // the panel of the missing arrival closes untouched
        {
            FullDisk full;
            f.handle([&] { c.operation(f); });
        }
        ASSERT_EQ(w->prompts.messages.size(), 1);
        EXPECT_TRUE(w->prompts.messages[0].contains(kRecordFile))
            << w->prompts.messages[0].toStdString();
        EXPECT_TRUE(w->end.ended);
        EXPECT_EQ(w->end.exitCode, 1);
        EXPECT_EQ(f.mess->text(), QString()) << "nothing shown as recorded";
        EXPECT_EQ(w->beeper.beeps, 0);
        EXPECT_EQ(w->shutdown.requests, 0);
        EXPECT_EQ(records(), c.before);
    }
}
#endif

TEST_F(OperationTest, NameTheFileCannotHoldIsRefusedBeforeAnyQuestion) {
    w->clock.set("17:07:30", "2026/07/01");
    Form1& f = start("");
    f.名前->setText(QStringLiteral("職員😀"));
    clockOut();
    EXPECT_EQ(w->prompts.modalsShown, 0);
    EXPECT_EQ(w->prompts.messages,
              QStringList{QStringLiteral("利用者名に使用できない文字が含まれています。")});
    EXPECT_TRUE(w->end.ended);
    EXPECT_EQ(records(), QByteArray());
}

} // namespace
