// The registration window, opened through the settings button's handler.

#include "cards.h"
#include "doubles.h"
#include "form1.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <gtest/gtest.h>

using namespace velmora;
using namespace velmora::test;
using namespace std::chrono_literals;

namespace {

const QString kNoName = QStringLiteral("利用者名の入力ができていません。");
const QString kNoCard = QStringLiteral("FeliCaカードの確認をしてください。");
const QString kUnstorable = QStringLiteral("利用者名に使用できない文字が含まれています。");
const QString kA = QStringLiteral("職員A");
const QByteArray kIdm = "0123456789ABCDEF";

const auto click = [](QDialog& w, const char* name) {
    w.findChild<QPushButton*>(QString::fromUtf8(name))->click();
};
const auto nameBox = [](QDialog& w) { return w.findChild<QLineEdit*>(QStringLiteral("名前")); };
const auto idCaption = [](QDialog& w) {
    return w.findChild<QLabel*>(QStringLiteral("ID"))->text();
};
// Types the name, presses Felica if asked, then the last button (none: nullptr).
std::function<void(QDialog&)> fill(const QString& name, bool readCard = true,
                                   const char* last = "登録終了") {
    return [=](QDialog& w) {
        nameBox(w)->setText(name);
        if (readCard) click(w, "Felicaチェック");
        if (last) click(w, last);
    };
}

struct RegistrationTest : ::testing::Test {
    TestWorld world;
    std::unique_ptr<Form1> form;

    void SetUp() override {
        world.write(kRegistryFile, "");
        form = std::make_unique<Form1>(world.services());
    }
    // Runs the script in a window opened by OpenSettings; true if the window is still open.
    bool open(std::function<void(QDialog&)> script) {
        bool visible = false;
        world.prompts.modalScripts.push_back([&visible, script](QDialog& w) {
            script(w);
            visible = w.isVisible();
        });
        OpenSettings(*form);
        return visible;
    }
};

TEST_F(RegistrationTest, RegistersTheCardAndCloses) {
    QByteArray expected;
    auto registers = [&](const QByteArray& card, const QString& name, const QByteArray& line) {
        world.card.hold(card);
        EXPECT_FALSE(open(fill(name)));
        EXPECT_TRUE(world.prompts.messages.isEmpty());
        EXPECT_EQ(world.read(kRegistryFile), expected += line);
        EXPECT_EQ(Felica(*form), name) << "the newest registration decides";
    };
    registers(kIdm, kA, "\"0123456789ABCDEF\",\"\x90\x45\x88\xf5\x41\"\r\n");
    registers(kIdm, QStringLiteral("山田,太郎"),
              "\"0123456789ABCDEF\",\"\x8e\x52\x93\x63,\x91\xbe\x98\x59\"\r\n");
    registers(kIdm, QStringLiteral("  "), "\"0123456789ABCDEF\",\"  \"\r\n");
    registers("01234", kA,
              QByteArray("\"01234\0\0\0\0\0\0\0\0\0\0\0\",\"\x90\x45\x88\xf5\x41\"\r\n", 28));
}

TEST_F(RegistrationTest, RefusalsKeepTheWindowOpenAndWriteNothing) {
    auto refused = [&](const QString& name, bool readCard, const QString& message,
                       const QByteArray& card = kIdm) {
        SCOPED_TRACE(name.toStdString() + card.toStdString());
        world.prompts.messages.clear();
        world.card.hold(card);
        EXPECT_TRUE(open(fill(name, readCard)));
        EXPECT_EQ(world.prompts.messages, QStringList{message});
        EXPECT_EQ(world.read(kRegistryFile), QByteArray());
    };
    refused(QString(), false, kNoName);
    refused(QString(), true, kNoName);
    refused(kA, false, kNoCard);
    refused(QStringLiteral("山田\"太郎"), true, kUnstorable);
    refused(QStringLiteral("山田\n"), true, kUnstorable);
    refused(QStringLiteral("😀"), true, kUnstorable);
    refused(QStringLiteral("\""), false, kUnstorable); // named before the missing card
    refused(kA, true, kNoCard, "\xffZ23456789ABCDEF"); // reads the file cannot hold
    refused(kA, true, kNoCard, "0123456\"89ABCDEF");
    refused(kA, true, kNoCard, "0123456\r89ABCDEF");
}

TEST_F(RegistrationTest, CardButtonWithoutACardClearsTheIdm) {
    world.card.hold(kIdm);
    EXPECT_TRUE(open([&](QDialog& w) {
        fill(kA, true, nullptr)(w);
        world.card.takeAway();
        fill(kA)(w);
        EXPECT_EQ(idCaption(w), QString());
    }));
    EXPECT_EQ(world.prompts.messages, QStringList{kNoCard});
    EXPECT_EQ(world.read(kRegistryFile), QByteArray());
    EXPECT_EQ(world.beeper.beeps, 0);
}

TEST_F(RegistrationTest, EachWindowStartsInItsDesignStateWithTheTimersStopped) {
    form->Timer1.setInterval(5000);
    form->Timer2.setInterval(1000);
    int opened = 0;
    auto check = [&](QDialog& w) {
        EXPECT_EQ(w.windowTitle(), QStringLiteral("Felica利用者カード設定"));
        EXPECT_EQ(w.size(), QSize(400, 182));
        EXPECT_EQ(w.minimumSize(), w.maximumSize());
        EXPECT_EQ(nameBox(w)->geometry(), QRect(96, 8, 193, 33));
        EXPECT_EQ(w.findChild<QWidget*>(QStringLiteral("登録終了"))->geometry(),
                  QRect(200, 136, 169, 33));
        EXPECT_EQ(w.focusWidget(), nameBox(w));
        EXPECT_EQ(nameBox(w)->text(), QString());
        EXPECT_EQ(idCaption(w), QString());
        EXPECT_EQ(form->Timer1.interval(), 0);
        EXPECT_EQ(form->Timer2.interval(), 0);
        EXPECT_EQ(world.clock.slept, opened++ * 5s) << "the wait follows the window";
    };
    world.card.hold(kIdm);
    EXPECT_FALSE(open([&](QDialog& w) { check(w), fill(kA)(w); }));
    EXPECT_TRUE(open([&](QDialog& w) { // Enter in the name box presses no button
        check(w), fill(kA, false, nullptr)(w);
        QKeyEvent press(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
        QApplication::sendEvent(nameBox(w), &press);
    }));
    EXPECT_FALSE(open([&](QDialog& w) { check(w), fill(kA, true, "中止")(w); }));
    EXPECT_FALSE(open([&](QDialog& w) { check(w), fill(kA, true, nullptr)(w), w.close(); }));
    open(check);
    EXPECT_EQ(world.card.reads, 3);
    EXPECT_EQ(world.read(kRegistryFile).count('\n'), 1) << "only the first window wrote";
    EXPECT_TRUE(world.prompts.messages.isEmpty());
    EXPECT_EQ(world.clock.slept, 25s);
    EXPECT_EQ(form->Timer1.interval(), 0);
    EXPECT_EQ(form->Timer2.interval(), 10);
}

TEST_F(RegistrationTest, FaultsEndTheProgramWithTheirMessage) {
    world.card.hold(kIdm);
    world.card.onRead = [] { throw Failure(QStringLiteral("sony_idm.dll を読み込めません")); };
    open(fill(kA));
    ASSERT_TRUE(world.end.ended && world.end.exitCode == 1);
    EXPECT_TRUE(world.prompts.messages.value(0).contains(QStringLiteral("sony_idm.dll")));

    world.end = {}, world.prompts.messages.clear(), world.card.onRead = nullptr;
    QFile::remove(world.path(kRegistryFile));
    QDir(world.dir.path()).mkdir(kRegistryFile); // cannot be written
    open(fill(kA));
    ASSERT_TRUE(world.end.ended && world.end.exitCode == 1);
    EXPECT_TRUE(world.prompts.messages.value(0).contains(kRegistryFile));
}

} // namespace
