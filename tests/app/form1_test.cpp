// The terminal window: start-up, the clock tick, the follow-up, the idle reset, the wait.

#include "doubles.h"
#include "form1.h"
#include "names.h"

#include <QApplication>
#include <QCheckBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <gtest/gtest.h>

using namespace velmora;
using namespace velmora::test;

namespace {

const QString kPrompt = QStringLiteral("Felicaをかざしてください。");

class Form1Test : public ::testing::Test {
protected:
    TestWorld world;
    std::unique_ptr<Form1> form;

    Form1& start() {
        form = std::make_unique<Form1>(world.services());
        EXPECT_TRUE(form->Form_Load());
        return *form;
    }
    Form1& startAs(const QByteArray& userData) {
        world.write(kUserDataFile, userData);
        return start();
    }
    void tick(const QString& hms) {
        world.clock.set(hms);
        form->handle([this] { form->Timer2_Timer(); });
    }
};

TEST_F(Form1Test, FirstUseAsksForTheOwnerUntilTheFilesCanHoldTheAnswer) {
    const QString prompt = QStringLiteral("初めての使用\r\r　名前を入力してください。");
    struct Case {
        std::optional<QByteArray> userData; // nullopt: no file yet
        QStringList answers;                // none left: cancelled
        int prompts;
        int refusals;
        QByteArray written;
    } cases[] = {
        {std::nullopt, {QStringLiteral("職員A")}, 1, 0, sjis(QStringLiteral("職員A")) + "\r\n"},
        {std::nullopt, {}, 1, 0, "\r\n"},
        {QByteArray(""), {"Sato"}, 1, 0, "Sato\r\n"}, // zero bytes: as if missing
        {std::nullopt, {"a\"b", QStringLiteral("😀"), "Sato"}, 3, 2, "Sato\r\n"},
        {QByteArray("\r\n"), {"Sato"}, 0, 0, "\r\n"}, // a shared PC for good
    };
    for (const auto& c : cases) {
        TestWorld w;
        if (c.userData) w.write(kUserDataFile, *c.userData);
        w.prompts.answers.assign(c.answers.begin(), c.answers.end());
        Form1 f(w.services());
        ASSERT_TRUE(f.Form_Load());
        SCOPED_TRACE(c.written.toStdString());
        EXPECT_EQ(w.prompts.inputPrompts, QStringList(c.prompts, prompt));
        EXPECT_EQ(w.prompts.messages, QStringList(c.refusals, kUnstorableNameMessage));
        EXPECT_EQ(w.read(kUserDataFile), c.written);
        EXPECT_TRUE(w.exists(kRecordFile) && w.read(kRecordFile).isEmpty());
        EXPECT_TRUE(w.exists(kRegistryFile) && w.read(kRegistryFile).isEmpty());
        EXPECT_EQ(f.Timer2.interval(), 1000);
        EXPECT_EQ(f.Timer1.interval(), 0);
    }
}

TEST_F(Form1Test, PersonalAndSharedPcForms) {
    struct Case {
        QByteArray userData;
        QString name;
        bool personal;
    } cases[] = {
        {sjis(QStringLiteral("職員A")) + "\r\n", QStringLiteral("職員A"), true},
        {"Tanaka, Ichiro\r\n", QStringLiteral("Tanaka"), true},
        {"\r\n", QString(), false},
    };
    for (const auto& c : cases) {
        TestWorld w;
        w.write(kUserDataFile, c.userData);
        Form1 f(w.services());
        ASSERT_TRUE(f.Form_Load());
        SCOPED_TRACE(c.userData.toStdString());
        EXPECT_EQ(f.名前->text(), c.name);
        EXPECT_EQ(f.設定->isVisibleTo(&f), !c.personal);
        EXPECT_EQ(f.動作状態->isVisibleTo(&f), !c.personal);
        EXPECT_EQ(f.Check1->isVisibleTo(&f), c.personal);
        EXPECT_EQ(f.Label_shutdown->isVisibleTo(&f), c.personal);
        EXPECT_EQ(f.Check1->isChecked(), c.personal);
        EXPECT_EQ(f.動作状態->text(), QStringLiteral("動作状態"));
        EXPECT_EQ(f.Sec->text(), QString(57, QChar(0xFF65)));
        EXPECT_EQ(f.タイム->text(), QString());
        EXPECT_EQ(f.タイム2->text(), QStringLiteral("Text1"));
        EXPECT_TRUE(w.prompts.inputPrompts.isEmpty());
    }
}

TEST_F(Form1Test, ExistingDataFilesKeepTheirBytesAcrossStarts) {
    const QByteArray records = "\"a\",\"07/01\",\"8:05\",\"\x8f\x6f\"\r\nno final line end";
    const QByteArray registry = "\"0123456789ABCDEF\",\"\x90\x45\x88\xf5\x41\"\r\n\r\n\xff";
    const QByteArray userData = "\r\n";
    world.write(kRecordFile, records);
    world.write(kRegistryFile, registry);
    world.write(kUserDataFile, userData);
    for (int i = 0; i < 3; ++i) {
        start();
        tick(QStringLiteral("9:05:03"));
        form->ResetToIdle();
    }
    EXPECT_EQ(world.read(kRecordFile), records);
    EXPECT_EQ(world.read(kRegistryFile), registry);
    EXPECT_EQ(world.read(kUserDataFile), userData);
}

TEST_F(Form1Test, StartUpFaultIsNamedAndEndsTheProgram) {
    world.write(kUserDataFile, "\r\n");
    // A link into a folder that does not exist: the file cannot be created.
    ASSERT_TRUE(QFile::link(world.path("missing/folder"), world.path(kRecordFile)));
    Form1 f(world.services());
    EXPECT_FALSE(f.Form_Load());
    EXPECT_TRUE(world.end.ended);
    ASSERT_EQ(world.prompts.messages.size(), 1);
    EXPECT_TRUE(world.prompts.messages[0].contains(kRecordFile));
    EXPECT_EQ(f.Timer2.interval(), 0) << "no tick after a failed start";
}

TEST_F(Form1Test, ClockTickShowsTimeSecondsAndMode) {
    struct Case {
        const char* clock;
        bool leadingZero;
        const char* mess;
        int dots;
        const char* mode;
    } cases[] = {
        {"9:05:03", false, "09:05", 3, "出勤 "},  {"9:05:03", true, "09:05", 3, "出勤 "},
        {"0:07:00", false, "00:07", 0, "出勤 "},  {"11:59:59", false, "11:59", 59, "出勤 "},
        {"12:00:00", false, "12:00", 0, "退勤 "}, {"23:59:30", false, "23:59", 30, "退勤 "},
    };
    startAs("\r\n");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.clock);
        Form1::setFontSize(form->mess, 28);
        world.clock.setLeadingZero(c.leadingZero);
        tick(QString::fromLatin1(c.clock));
        EXPECT_EQ(form->mess->text(), QString::fromLatin1(c.mess));
        EXPECT_EQ(Form1::fontSize(form->mess), 48);
        EXPECT_EQ(form->Sec->text(), QString(c.dots, QChar(0xFF65)));
        EXPECT_EQ(form->動作状態->text(), QString::fromUtf8(c.mode) + "：" + kPrompt);
    }
}

TEST_F(Form1Test, ResetToIdleSetsTheIdleState) {
    startAs("Sato\r\n");
    form->Timer1.setInterval(5000);
    form->Timer2.setInterval(0);
    form->mess->setText("07/01 8:05 出");
    form->タイム->setText("9:05");
    form->タイム->show();
    form->動作状態->setText("x");
    Form1::setFontSize(form->動作状態, 14);
    form->中止->show();
    Form1::setFontSize(form->名前, 28);
    form->出->setEnabled(false);
    form->退->setEnabled(false);
    form->Check1->setChecked(false);
    form->タイム2->setText("8:00");

    form->ResetToIdle();

    EXPECT_EQ(form->Timer1.interval(), 0);
    EXPECT_EQ(form->Timer2.interval(), 1000);
    EXPECT_EQ(form->mess->text(), QString());
    EXPECT_EQ(form->タイム->text(), QString());
    EXPECT_FALSE(form->タイム->isVisibleTo(form.get()));
    EXPECT_EQ(form->動作状態->text(), kPrompt);
    EXPECT_EQ(Form1::fontSize(form->動作状態), 16);
    EXPECT_FALSE(form->中止->isVisibleTo(form.get()));
    EXPECT_EQ(Form1::fontSize(form->名前), 24);
    EXPECT_EQ(form->名前->text(), QString());
    EXPECT_TRUE(form->出->isEnabled());
    EXPECT_TRUE(form->退->isEnabled());
    // and nothing else
    EXPECT_FALSE(form->動作状態->isVisibleTo(form.get())) << "personal PC keeps it hidden";
    EXPECT_FALSE(form->Check1->isChecked());
    EXPECT_EQ(form->タイム2->text(), QStringLiteral("8:00"));
    EXPECT_EQ(form->Sec->text(), QString(57, QChar(0xFF65)));
}

TEST_F(Form1Test, FollowUpEndsAPersonalPcOnlyAfterACard) {
    struct Case {
        QByteArray userData;
        int interval;
        bool ends;
    } cases[] = {
        {"Sato\r\n", 5000, true},
        {"Sato\r\n", 10, false},
        {"\r\n", 5000, false},
        {"\r\n", 10, false},
    };
    for (const auto& c : cases) {
        TestWorld w;
        w.write(kUserDataFile, c.userData);
        Form1 f(w.services());
        ASSERT_TRUE(f.Form_Load());
        f.Timer2.setInterval(0);
        f.Timer1.setInterval(c.interval);
        f.handle([&] { f.Timer1_Timer(); });
        EXPECT_EQ(w.end.ended, c.ends) << c.userData.toStdString() << c.interval;
        if (!c.ends) {
            EXPECT_EQ(f.Timer1.interval(), 0);
            EXPECT_EQ(f.Timer2.interval(), 1000);
        }
    }
}

TEST_F(Form1Test, QuitEndsAtOnceAndCancelReturnsToIdle) {
    startAs("\r\n");
    form->中止->show();
    form->タイム->setText("9:05");
    form->中止->click();
    EXPECT_FALSE(form->中止->isVisibleTo(form.get()));
    EXPECT_EQ(form->タイム->text(), QString());
    EXPECT_FALSE(world.end.ended);
    form->Command1->click();
    EXPECT_TRUE(world.end.ended);
    EXPECT_EQ(world.end.exitCode, 0);
    EXPECT_TRUE(world.prompts.messages.isEmpty());
}

TEST_F(Form1Test, NoHandlerRunsInsideAnother) {
    startAs("\r\n");
    int ticks = 0;
    world.clock.set("9:05:03");
    form->handle([&] {
        form->handle([&] { ++ticks; }); // a tick arriving under a prompt
    });
    EXPECT_EQ(ticks, 0);
    form->handle([&] { ++ticks; });
    EXPECT_EQ(ticks, 1);
}

TEST_F(Form1Test, WaitEndsAtTheRightSecondPausingBetweenReadings) {
    struct Case {
        const char* start;
        int n;
        const char* end;
    } cases[] = {
        {"9:00:10", 5, "9:00:15"}, {"9:00:54", 5, "9:00:59"}, {"9:00:55", 5, "9:01:00"},
        {"9:00:57", 5, "9:01:02"}, {"9:00:57", 0, "9:00:57"},
    };
    startAs("\r\n");
    for (const auto& c : cases) {
        world.clock.set(QString::fromLatin1(c.start));
        world.clock.advance(std::chrono::milliseconds(500)); // partway into the second
        int readings = 0;
        world.clock.onSleep = [&] { ++readings; };
        form->WaitSeconds(c.n);
        EXPECT_EQ(world.clock.timeText(), QString::fromLatin1(c.end)) << c.start;
        // About 20 ms a pause: a few hundred readings for 5 seconds, not millions.
        EXPECT_LE(readings, 300) << c.start;
    }
}

TEST_F(Form1Test, ControlsHaveTheirDesignNamesPlacesAndFonts) {
    startAs("\r\n");
    struct Case {
        const char* name;
        QRect pixels;
        double points;
    } cases[] = {
        {"Command2", {80, 280, 25, 17}, 9},       {"タイム2", {120, 184, 105, 18}, 9},
        {"中止", {136, 210, 41, 57}, 18},          {"設定", {32, 284, 33, 17}, 9},
        {"Command1", {40, 2, 241, 23}, 8.25},     {"Check1", {208, 280, 12, 12}, 9},
        {"退", {184, 210, 105, 57}, 24},           {"出", {32, 210, 97, 57}, 24},
        {"タイム", {72, 72, 177, 60}, 48},          {"Sec", {48, 128, 241, 9}, 6.75},
        {"動作状態", {24, 152, 273, 25}, 15.75},    {"mess", {32, 72, 257, 57}, 48},
        {"Label3", {96, 40, 153, 17}, 9},         {"Label2", {32, 304, 257, 17}, 9},
        {"名前", {56, 144, 209, 41}, 24},
    };
    EXPECT_EQ(form->size(), QSize(317, 320));
    // The check box's caption may widen to its text, never move.
    EXPECT_EQ(form->Label_shutdown->geometry().topLeft(), QPoint(224, 280));
    EXPECT_GE(form->Label_shutdown->width(), 51);
    EXPECT_TRUE(form->windowFlags() & Qt::FramelessWindowHint);
    for (const auto& c : cases) {
        auto* w = form->findChild<QWidget*>(QString::fromUtf8(c.name));
        ASSERT_NE(w, nullptr) << c.name;
        EXPECT_EQ(w->geometry(), c.pixels) << c.name;
        EXPECT_EQ(w->font().pointSizeF(), c.points) << c.name;
    }
    // Keyboard order among what can take the focus on a shared PC: the quit button first.
    form->show();
    QList<QWidget*> chain;
    QWidget* w = form->Command1;
    do {
        if (w->isVisible() && w->isEnabled() && (w->focusPolicy() & Qt::TabFocus)) chain << w;
        w = w->nextInFocusChain();
    } while (w != form->Command1);
    EXPECT_EQ(chain, (QList<QWidget*>{form->Command1, form->出, form->退, form->設定}));
}

} // namespace

namespace {

TEST_F(Form1Test, TimeBoxRefusesWhatARecordCannotHold) {
    startAs("\r\n");
    form->タイム->show();
    form->タイム->setFocus();
    for (const char* typed : {"8:30", "8:3\"0", "8:30😀"}) {
        form->タイム->clear();
        for (QChar c : QString::fromUtf8(typed)) {
            QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
            QApplication::sendEvent(form->タイム, &press);
        }
        EXPECT_EQ(form->タイム->text(), QStringLiteral("8:30")) << typed;
    }
}

} // namespace
