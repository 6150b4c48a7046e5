// The time input panel and the click on the big clock that opens it.

#include "doubles.h"
#include "form1.h"
#include "look.h"
#include "timepanel.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <gtest/gtest.h>

using namespace velmora;
using namespace velmora::test;

namespace {

// ---- The step rules -------------------------------------------------------------------

TEST(StepRules, EveryWorkedExample) {
    using Step = QString (*)(const QString&);
    struct Case {
        const char* step;
        Step rule;
        const char* from;
        const char* to;
    };
    const Case cases[] = {
        // a fresh panel: "00" is hour 0, and the minute steps keep the hour text
        {"hour up", hourUp, "00:00", "1:00"},
        {"hour down", hourDown, "00:00", "23:00"},
        {"minute up", minuteUp, "00:00", "00:05"},
        {"minute down", minuteDown, "00:00", "00:55"},
        // hours wrap, never touching the minute
        {"hour up", hourUp, "23:40", "0:40"},
        {"hour down", hourDown, "0:15", "23:15"},
        {"hour down", hourDown, "10:05", "9:05"},
        {"hour up", hourUp, "9:37", "10:37"},
        // minutes wrap without carry or borrow
        {"minute up", minuteUp, "9:55", "9:00"},
        {"minute down", minuteDown, "9:00", "9:55"},
        {"minute down", minuteDown, "9:40", "9:35"},
        {"minute down", minuteDown, "9:05", "9:00"},
        // off the grid, down adds the remainder before stepping
        {"minute down", minuteDown, "9:37", "9:34"},
        {"minute down", minuteDown, "9:34", "9:33"},
        {"minute down", minuteDown, "9:33", "9:31"},
        {"minute down", minuteDown, "9:31", "9:27"},
        {"minute down", minuteDown, "9:03", "9:01"},
        {"minute down", minuteDown, "9:02", "9:55"},
        // off the grid, up lands on the grid first
        {"minute up", minuteUp, "9:37", "9:40"},
        {"minute up", minuteUp, "7:03", "7:05"},
        {"minute up", minuteUp, "7:35", "7:40"},
        {"minute up", minuteUp, "23:59", "23:00"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.rule(QString::fromUtf8(c.from)), QString::fromUtf8(c.to))
            << c.step << " from " << c.from;
    }
}

TEST(StepRules, EveryDisplayStaysWellFormed) {
    static const QRegularExpression shape(QStringLiteral("^(00|1?[0-9]|2[0-3]):[0-5][0-9]$"));
    QStringList hours{QStringLiteral("00")};
    for (int h = 0; h < 24; ++h) hours << QString::number(h);
    for (const QString& hour : hours) {
        for (int m = 0; m < 60; ++m) {
            const QString minute = QString::number(m).rightJustified(2, u'0');
            const QString from = hour + u':' + minute;
            for (const QString& to : {hourUp(from), hourDown(from)})
                EXPECT_TRUE(shape.match(to).hasMatch() && to.endsWith(u':' + minute))
                    << (from + QStringLiteral(" -> ") + to).toStdString();
            for (const QString& to : {minuteUp(from), minuteDown(from)})
                EXPECT_TRUE(shape.match(to).hasMatch() && to.startsWith(hour + u':'))
                    << (from + QStringLiteral(" -> ") + to).toStdString();
        }
    }
}

// ---- The panel and the click on the clock ---------------------------------------------

QPushButton* button(QDialog& window, const char* name) {
    auto* b = window.findChild<QPushButton*>(QString::fromUtf8(name));
    EXPECT_NE(b, nullptr) << name;
    return b;
}
QString caption(QDialog& window, const char* name) {
    auto* l = window.findChild<QLabel*>(QString::fromUtf8(name));
    EXPECT_NE(l, nullptr) << name;
    return l ? l->text() : QString();
}

class TimeEntryTest : public ::testing::Test {
protected:
    TestWorld world;
    std::unique_ptr<Form1> form;

    void SetUp() override {
        world.write(kUserDataFile, "\r\n"); // a shared PC
        form = std::make_unique<Form1>(world.services());
        ASSERT_TRUE(form->Form_Load());
        form->show();
    }
    // Script for the next modal panel: click these buttons in turn.
    void clicks(std::initializer_list<const char*> names) {
        std::vector<const char*> list(names);
        world.prompts.modalScripts.push_back([list](QDialog& w) {
            for (const char* name : list) button(w, name)->click();
        });
    }
    void clickClock() {
        form->handle([this] { mess_Click(*form); });
    }
    bool visible(QWidget* w) const { return w->isVisibleTo(form.get()); }
};

TEST_F(TimeEntryTest, PanelAsDesigned) {
    時間の入力パネル panel(*form);
    EXPECT_EQ(panel.objectName(), QStringLiteral("時間の入力パネル"));
    EXPECT_EQ(panel.windowTitle(), QStringLiteral("時間の入力"));
    EXPECT_EQ(panel.size(), QSize(319, 229));
    EXPECT_EQ(panel.minimumSize(), panel.maximumSize()) << "fixed size";
    EXPECT_TRUE(panel.windowFlags() & Qt::WindowTitleHint);
    EXPECT_FALSE(panel.windowFlags() & Qt::FramelessWindowHint);
    EXPECT_EQ(panel.palette().color(QPalette::Window),
              panel.palette().color(QPalette::HighlightedText));

    struct Control {
        QWidget* widget;
        const char* name;
        const char* caption;
        double points;
        QRect place;
    };
    const Control controls[] = {
        {panel.mes, "mes", "Label2", 24, twips(240, 240, 3375, 615)},
        {panel.Label1, "Label1", "00:00", 36, twips(240, 1680, 3255, 735)},
        {panel.Command1, "Command1", "+", 48, twips(600, 840, 1095, 855)},
        {panel.Command2, "Command2", "-", 48, twips(600, 2400, 1095, 855)},
        {panel.Command3, "Command3", "+", 48, twips(2040, 840, 1095, 855)},
        {panel.Command4, "Command4", "-", 48, twips(2040, 2400, 1095, 855)},
        {panel.Command5, "Command5", "OK", 36, twips(3480, 840, 1095, 2415)},
    };
    for (const Control& c : controls) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.widget->objectName(), QString::fromUtf8(c.name));
        EXPECT_EQ(c.widget->geometry(), c.place);
        EXPECT_DOUBLE_EQ(c.widget->font().pointSizeF(), c.points);
        if (auto* b = qobject_cast<QPushButton*>(c.widget)) {
            EXPECT_EQ(b->text(), QString::fromUtf8(c.caption));
            EXPECT_FALSE(b->autoDefault() || b->isDefault()) << "Enter must confirm nothing";
        } else {
            EXPECT_EQ(static_cast<QLabel*>(c.widget)->text(), QString::fromUtf8(c.caption));
            EXPECT_TRUE(static_cast<QLabel*>(c.widget)->alignment() & Qt::AlignHCenter);
        }
    }
    EXPECT_EQ(panel.mes->palette().color(QPalette::WindowText), QColor(0, 0, 255));
    EXPECT_EQ(panel.Label1->palette().color(QPalette::WindowText), QColor(128, 255, 128));
    EXPECT_EQ(panel.Label1->palette().color(QPalette::Window),
              panel.palette().color(QPalette::ButtonText));
    EXPECT_TRUE(panel.Label1->autoFillBackground());
}

TEST_F(TimeEntryTest, OkCopiesTheDisplayExactly) {
    clicks({"Command5"});
    askTime(*form, QStringLiteral("本日の出校時間"));
    EXPECT_EQ(form->タイム->text(), QStringLiteral("00:00")) << "unchanged design value";

    clicks({"Command1", "Command1", "Command3", "Command5"});
    askTime(*form, QStringLiteral("昨日の退校時間"));
    EXPECT_EQ(form->タイム->text(), QStringLiteral("2:05"));

    clicks({"Command4", "Command4", "Command4", "Command2", "Command5"});
    askTime(*form, QStringLiteral("時間入力"), QStringLiteral("9:37"));
    EXPECT_EQ(form->タイム->text(), QStringLiteral("8:31"));
    EXPECT_EQ(world.prompts.modalsShown, 3);
}

TEST_F(TimeEntryTest, ClosingWithoutOkWritesNothing) {
    form->タイム->setText(QStringLiteral("8:30"));
    world.prompts.modalScripts = {
        [](QDialog& w) { button(w, "Command1")->click(), w.close(); }, // the close box
        [](QDialog& w) { button(w, "Command3")->click(), w.reject(); }, // Escape
    };
    for (int i = 0; i < 2; ++i) {
        askTime(*form, QStringLiteral("本日の出校時間"));
        EXPECT_EQ(form->タイム->text(), QStringLiteral("8:30"));
    }
}

TEST_F(TimeEntryTest, PanelStopsTheClockAndClosingDoesNotRestartIt) {
    ASSERT_EQ(form->Timer2.interval(), 1000);
    {
        時間の入力パネル panel(*form);
        EXPECT_EQ(form->Timer2.interval(), 0) << "stopped on creation, before it is shown";
    }
    form->Timer2.setInterval(1000);
    clicks({"Command5"});
    askTime(*form, QStringLiteral("時間入力"));
    EXPECT_EQ(form->Timer2.interval(), 0);
    askTime(*form, QStringLiteral("時間入力")); // closed without OK
    EXPECT_EQ(form->Timer2.interval(), 0);
}

TEST_F(TimeEntryTest, ClickOnTheClockStartsThePanelAtTheClockWithoutSeconds) {
    const struct {
        const char* now;
        const char* shown;
    } cases[] = {{"9:05:33", "9:05"}, {"13:40:07", "13:40"}, {"9:05:59", "9:05"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.now);
        form->ResetToIdle();
        world.clock.set(QString::fromUtf8(c.now));
        QString prompt, shown, status;
        bool cancelShown = false;
        int tick = -1;
        world.prompts.modalScripts.push_back([&](QDialog& w) {
            prompt = caption(w, "mes");
            shown = caption(w, "Label1");
            status = form->動作状態->text();
            cancelShown = visible(form->中止);
            tick = form->Timer2.interval();
            button(w, "Command5")->click();
        });
        clickClock();
        EXPECT_EQ(prompt, QStringLiteral("時間入力"));
        EXPECT_EQ(shown, QString::fromUtf8(c.shown));
        EXPECT_EQ(status, QStringLiteral("時間を入力し、[出勤][退勤]")) << "set before the panel";
        EXPECT_TRUE(cancelShown) << "shown before the panel";
        EXPECT_EQ(tick, 0);
        EXPECT_EQ(form->タイム->text(), QString::fromUtf8(c.shown));
    }
}

TEST_F(TimeEntryTest, AfterTheClickTheWindowWaitsForArrivalOrLeaving) {
    world.clock.set(QStringLiteral("9:05:33"));
    form->出->setEnabled(false);
    form->退->setEnabled(false);
    clicks({"Command3", "Command5"});
    clickClock();
    EXPECT_EQ(form->タイム->text(), QStringLiteral("9:10"));
    EXPECT_TRUE(visible(form->タイム));
    EXPECT_EQ(form->focusWidget(), form->タイム);
    EXPECT_EQ(form->動作状態->text(), QStringLiteral("時間を入力し、[出勤][退勤]"));
    EXPECT_TRUE(visible(form->中止));
    EXPECT_TRUE(form->出->isEnabled());
    EXPECT_TRUE(form->退->isEnabled());
    EXPECT_EQ(form->Timer2.interval(), 0) << "the clock stays stopped";

    form->中止->click();
    EXPECT_FALSE(visible(form->タイム));
    EXPECT_EQ(form->タイム->text(), QString());
    EXPECT_FALSE(visible(form->中止));
    EXPECT_EQ(form->動作状態->text(), QStringLiteral("Felicaをかざしてください。"));
    EXPECT_EQ(form->Timer2.interval(), 1000);
}

TEST_F(TimeEntryTest, PanelClosedWithoutOkLeavesTheTimeBoxEmptyButReady) {
    ASSERT_EQ(form->タイム->text(), QString());
    clickClock(); // no script: the panel is just closed
    EXPECT_EQ(world.prompts.modalsShown, 1);
    EXPECT_EQ(form->タイム->text(), QString());
    EXPECT_TRUE(visible(form->タイム));
    EXPECT_EQ(form->focusWidget(), form->タイム);
    EXPECT_EQ(form->Timer2.interval(), 0);

    form->handle([this] { form->中止_Click(); });
    EXPECT_FALSE(visible(form->タイム));
    EXPECT_EQ(form->Timer2.interval(), 1000);
}

} // namespace
