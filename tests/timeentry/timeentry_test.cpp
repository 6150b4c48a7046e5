// The time input panel and the click on the big clock that opens it.

#include "doubles.h"
#include "form1.h"
#include "look.h"
#include "timepanel.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <gtest/gtest.h>

using namespace velmora;
using namespace velmora::test;

namespace {

TEST(StepRules, EveryWorkedExample) {
    using Step = QString (*)(const QString&);
    // A fresh panel shows "00:00"; hours and minutes wrap without carry or borrow; off the
    // grid, up lands on it first and down adds the remainder before stepping.
    const std::pair<Step, QStringList> table[] = {
        {hourUp, {"00:00>1:00", "23:40>0:40", "9:37>10:37"}},
        {hourDown, {"00:00>23:00", "0:15>23:15", "10:05>9:05"}},
        {minuteUp,
         {"00:00>00:05", "9:55>9:00", "9:37>9:40", "7:03>7:05", "7:35>7:40", "23:59>23:00"}},
        {minuteDown,
         {"00:00>00:55", "9:00>9:55", "9:40>9:35", "9:05>9:00", "9:37>9:34", "9:34>9:33",
          "9:33>9:31", "9:31>9:27", "9:03>9:01", "9:02>9:55"}},
    };
    for (const auto& [rule, examples] : table)
        for (const QString& e : examples)
            EXPECT_EQ(rule(e.section(u'>', 0, 0)), e.section(u'>', 1)) << e.toStdString();
}

const auto button = [](QDialog& w, const char* name) { return w.findChild<QPushButton*>(name); };

struct TimeEntryTest : ::testing::Test {
    TestWorld world;
    std::unique_ptr<Form1> form;

    void SetUp() override {
        world.write(kUserDataFile, "\r\n"); // a shared PC
        form = std::make_unique<Form1>(world.services());
        ASSERT_TRUE(form->Form_Load());
        form->show();
    }
    // Script for the next modal panel: click these buttons in turn.
    void clicks(std::vector<const char*> names) {
        world.prompts.modalScripts.push_back([names](QDialog& w) {
            for (const char* name : names)
                button(w, name)->click();
        });
    }
    void clickClock() {
        form->handle([this] { mess_Click(*form); });
    }
    bool visible(QWidget* w) const { return w->isVisibleTo(form.get()); }
};

TEST_F(TimeEntryTest, PanelAsDesigned) {
    時間の入力パネル panel(*form);
    EXPECT_EQ(form->Timer2.interval(), 0) << "stopped on creation";
    EXPECT_EQ(panel.windowTitle(), QStringLiteral("時間の入力"));
    EXPECT_EQ(panel.size(), QSize(319, 229));
    EXPECT_EQ(panel.minimumSize(), panel.maximumSize());
    EXPECT_EQ(panel.Label1->text(), QStringLiteral("00:00"));
    EXPECT_EQ(panel.Label1->geometry(), twips(240, 1680, 3255, 735));
    for (QPushButton* b :
         {panel.Command1, panel.Command2, panel.Command3, panel.Command4, panel.Command5})
        EXPECT_FALSE(b->autoDefault() || b->isDefault()) << "Enter must confirm nothing";
}

TEST_F(TimeEntryTest, OkCopiesTheDisplayExactly) {
    clicks({"Command5"});
    askTime(*form, QStringLiteral("本日の出校時間"));
    EXPECT_EQ(form->タイム->text(), QStringLiteral("00:00"));
    clicks({"Command1", "Command1", "Command3", "Command5"});
    askTime(*form, QStringLiteral("昨日の退校時間"));
    EXPECT_EQ(form->タイム->text(), QStringLiteral("2:05"));
    clicks({"Command4", "Command4", "Command4", "Command2", "Command5"});
    askTime(*form, QStringLiteral("時間入力"), QStringLiteral("9:37"));
    EXPECT_EQ(form->タイム->text(), QStringLiteral("8:31"));
    EXPECT_EQ(form->Timer2.interval(), 0) << "OK does not restart the clock";
}

TEST_F(TimeEntryTest, ClosingWithoutOkWritesNothing) {
    form->タイム->setText(QStringLiteral("8:30"));
    world.prompts.modalScripts = {
        [](QDialog& w) { button(w, "Command1")->click(), w.close(); },  // the close box
        [](QDialog& w) { button(w, "Command3")->click(), w.reject(); }, // Escape
    };
    for (int i = 0; i < 2; ++i) {
        askTime(*form, QStringLiteral("本日の出校時間"));
        EXPECT_EQ(form->タイム->text(), QStringLiteral("8:30"));
        EXPECT_EQ(form->Timer2.interval(), 0);
    }
}

TEST_F(TimeEntryTest, ClickOnTheClockThenCancel) {
    const QString waiting = QStringLiteral("時間を入力し、[出勤][退勤]");
    for (const auto& [now, shown] :
         {std::pair{"9:05:33", "9:05"}, {"13:40:07", "13:40"}, {"9:05:59", "9:05"}}) {
        SCOPED_TRACE(now);
        world.clock.set(QString::fromUtf8(now));
        form->出->setEnabled(false), form->退->setEnabled(false);
        QStringList during; // prompt, display, status line, cancel shown, clock tick
        world.prompts.modalScripts.push_back([&](QDialog& w) {
            auto& panel = static_cast<時間の入力パネル&>(w);
            during << panel.mes->text() << panel.Label1->text() << form->動作状態->text()
                   << QString::number(visible(form->中止))
                   << QString::number(form->Timer2.interval());
            button(w, "Command5")->click();
        });
        clickClock();
        EXPECT_EQ(during, (QStringList{QStringLiteral("時間入力"), QString::fromUtf8(shown),
                                       waiting, "1", "0"}));
        EXPECT_EQ(form->タイム->text(), QString::fromUtf8(shown));
        EXPECT_TRUE(visible(form->タイム) && visible(form->中止));
        EXPECT_EQ(form->focusWidget(), form->タイム);
        EXPECT_EQ(form->動作状態->text(), waiting);
        EXPECT_TRUE(form->出->isEnabled() && form->退->isEnabled());
        EXPECT_EQ(form->Timer2.interval(), 0);

        form->中止->click();
        EXPECT_FALSE(visible(form->タイム) || visible(form->中止));
        EXPECT_EQ(form->タイム->text(), QString());
        EXPECT_EQ(form->動作状態->text(), QStringLiteral("Felicaをかざしてください。"));
        EXPECT_EQ(form->Timer2.interval(), 1000);
    }
}

TEST_F(TimeEntryTest, PanelClosedWithoutOkLeavesTheTimeBoxEmptyButReady) {
    clickClock(); // no script: the panel is just closed
    EXPECT_EQ(world.prompts.modalsShown, 1);
    EXPECT_EQ(form->タイム->text(), QString());
    EXPECT_TRUE(visible(form->タイム));
    EXPECT_EQ(form->focusWidget(), form->タイム);
    EXPECT_EQ(form->Timer2.interval(), 0);
    form->中止->click();
    EXPECT_FALSE(visible(form->タイム));
    EXPECT_EQ(form->Timer2.interval(), 1000);
}

} // namespace
