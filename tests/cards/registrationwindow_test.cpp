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
const QByteArray kIdm = "0123456789ABCDEF";

void click(QDialog& w, const char* name) {
    auto* button = w.findChild<QPushButton*>(QString::fromUtf8(name));
    ASSERT_NE(button, nullptr) << name;
    button->click();
}
void type(QDialog& w, const QString& text) {
    w.findChild<QLineEdit*>(QStringLiteral("名前"))->setText(text);
}
QString idCaption(QDialog& w) {
    return w.findChild<QLabel*>(QStringLiteral("ID"))->text();
}

class RegistrationTest : public ::testing::Test {
  protected:
    TestWorld world;
    std::unique_ptr<Form1> form;

    void SetUp() override {
        world.write(kRegistryFile, "");
        form = std::make_unique<Form1>(world.services());
    }
    void open(std::function<void(QDialog&)> script) {
        world.prompts.modalScripts.push_back(std::move(script));
        OpenSettings(*form);
    }
};

TEST_F(RegistrationTest, RegistersTheCardAndCloses) {
    struct Case {
        QString name;
        QByteArray nameBytes;
    } cases[] = {
        {QStringLiteral("職員A"), "\x90\x45\x88\xf5\x41"},
        {QStringLiteral("山田,太郎"), "\x8e\x52\x93\x63,\x91\xbe\x98\x59"},
        {QStringLiteral("  "), "  "},
    };
    QByteArray expected;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name.toStdString());
        world.card.hold(kIdm);
        bool closed = false;
        open([&](QDialog& w) {
            type(w, c.name);
            click(w, "Felicaチェック");
            EXPECT_EQ(idCaption(w), QString::fromLatin1(kIdm));
            click(w, "登録終了");
            closed = !w.isVisible();
        });
        EXPECT_TRUE(closed);
        EXPECT_TRUE(world.prompts.messages.isEmpty());
        expected += "\"" + kIdm + "\",\"" + c.nameBytes + "\"\r\n";
        EXPECT_EQ(world.read(kRegistryFile), expected);
        EXPECT_EQ(Felica(*form), c.name) << "the newest registration decides";
    }
}

TEST_F(RegistrationTest, ShortReadIsStoredWithItsNuls) {
    world.card.hold("01234");
    open([&](QDialog& w) {
        type(w, QStringLiteral("職員A"));
        click(w, "Felicaチェック");
        click(w, "登録終了");
    });
    EXPECT_EQ(world.read(kRegistryFile),
              QByteArray("\"01234\0\0\0\0\0\0\0\0\0\0\0\",\"\x90\x45\x88\xf5\x41\"\r\n", 28));
    EXPECT_EQ(Felica(*form), QStringLiteral("職員A"));
}

TEST_F(RegistrationTest, RefusalsKeepTheWindowOpenAndWriteNothing) {
    struct Case {
        const char* what;
        QString name;
        bool readCard;
        QString message;
    } cases[] = {
        {"nothing entered: the name is checked first", QString(), false, kNoName},
        {"card read, no name", QString(), true, kNoName},
        {"name, no card read", QStringLiteral("職員A"), false, kNoCard},
        {"double quote", QStringLiteral("山田\"太郎"), true, kUnstorable},
        {"line break", QStringLiteral("山田\n"), true, kUnstorable},
        {"not in CP932", QStringLiteral("😀"), true, kUnstorable},
        {"an unstorable name is named before the missing card", QStringLiteral("\""), false,
         kUnstorable},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        world.prompts.messages.clear();
        world.card.hold(kIdm);
        bool open = false;
        this->open([&](QDialog& w) {
            type(w, c.name);
            if (c.readCard) click(w, "Felicaチェック");
            click(w, "登録終了");
            open = w.isVisible();
        });
        EXPECT_TRUE(open);
        EXPECT_EQ(world.prompts.messages, QStringList{c.message});
        EXPECT_EQ(world.read(kRegistryFile), QByteArray());
    }
}

TEST_F(RegistrationTest, CardButtonWithoutACardClearsTheIdm) {
    open([&](QDialog& w) {
        type(w, QStringLiteral("職員A"));
        world.card.hold(kIdm);
        click(w, "Felicaチェック");
        EXPECT_EQ(idCaption(w), QString::fromLatin1(kIdm));
        world.card.takeAway();
        click(w, "Felicaチェック");
        EXPECT_EQ(idCaption(w), QString());
        click(w, "登録終了");
        EXPECT_TRUE(w.isVisible());
    });
    EXPECT_EQ(world.prompts.messages, QStringList{kNoCard});
    EXPECT_EQ(world.read(kRegistryFile), QByteArray());
    EXPECT_EQ(world.beeper.beeps, 0) << "the window's card read does not beep";
}

TEST_F(RegistrationTest, ReadTheFileCannotHoldIsNoCard) {
    const QByteArray reads[] = {"\xff"
                                "123456789ABCDEF",
                                "0123456\"89ABCDEF", "0123456\r89ABCDEF"};
    for (const QByteArray& read : reads) {
        SCOPED_TRACE(read.toStdString());
        world.prompts.messages.clear();
        world.card.hold(read);
        open([&](QDialog& w) {
            type(w, QStringLiteral("職員A"));
            click(w, "Felicaチェック");
            click(w, "登録終了");
            EXPECT_TRUE(w.isVisible());
        });
        EXPECT_EQ(world.prompts.messages, QStringList{kNoCard});
        EXPECT_EQ(world.read(kRegistryFile), QByteArray());
    }
}

TEST_F(RegistrationTest, EnterInTheNameBoxPressesNoButton) {
    world.card.hold(kIdm);
    open([&](QDialog& w) {
        auto* name = w.findChild<QLineEdit*>(QStringLiteral("名前"));
        name->setText(QStringLiteral("職員A"));
        QKeyEvent press(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
        QApplication::sendEvent(name, &press);
        EXPECT_TRUE(w.isVisible());
        EXPECT_EQ(idCaption(w), QString());
    });
    EXPECT_EQ(world.card.reads, 0);
    EXPECT_TRUE(world.prompts.messages.isEmpty());
}

TEST_F(RegistrationTest, CancelClosesWithoutWriting) {
    world.card.hold(kIdm);
    bool closed = false;
    open([&](QDialog& w) {
        type(w, QStringLiteral("職員A"));
        click(w, "Felicaチェック");
        click(w, "中止");
        closed = !w.isVisible();
    });
    EXPECT_TRUE(closed);
    EXPECT_TRUE(world.prompts.messages.isEmpty());
    EXPECT_EQ(world.read(kRegistryFile), QByteArray());
}

TEST_F(RegistrationTest, TimersStopWhileOpenAndTheClockTickRestartsAt10ms) {
    form->Timer1.setInterval(5000);
    form->Timer2.setInterval(1000);
    std::chrono::milliseconds sleptWhileOpen{-1};
    open([&](QDialog&) {
        EXPECT_EQ(form->Timer1.interval(), 0);
        EXPECT_EQ(form->Timer2.interval(), 0);
        sleptWhileOpen = world.clock.slept;
    });
    EXPECT_EQ(sleptWhileOpen, 0ms);
    EXPECT_EQ(world.clock.slept, 5s) << "five seconds after the window closed";
    EXPECT_EQ(form->Timer1.interval(), 0);
    EXPECT_EQ(form->Timer2.interval(), 10);
    EXPECT_EQ(world.prompts.modalsShown, 1);
}

TEST_F(RegistrationTest, DesignState) {
    struct Control {
        const char* name;
        const char* kind;
        QString caption;
        QRect rect;
    } controls[] = {
        {"Label1", "QLabel", QStringLiteral("利用者名"), QRect(16, 16, 73, 17)},
        {"名前", "QLineEdit", QString(), QRect(96, 8, 193, 33)},
        {"Felicaチェック", "QPushButton", QStringLiteral("Felica"), QRect(304, 8, 57, 33)},
        {"Label2", "QLabel",
         QStringLiteral("登録するカードを、Felicaポートにかざし、FeliCaボタンを押す。 "),
         QRect(24, 56, 345, 25)},
        {"ID", "QLabel", QString(), QRect(40, 88, 329, 25)},
        {"中止", "QPushButton", QStringLiteral("中止"), QRect(112, 136, 73, 33)},
        {"登録終了", "QPushButton", QStringLiteral("登録して終了"), QRect(200, 136, 169, 33)},
    };
    auto check = [&](QDialog& w) {
        EXPECT_EQ(w.objectName(), QStringLiteral("登録フォーム"));
        EXPECT_EQ(w.windowTitle(), QStringLiteral("Felica利用者カード設定"));
        EXPECT_EQ(w.size(), QSize(400, 182));
        EXPECT_EQ(w.minimumSize(), w.maximumSize()) << "fixed size";
        for (const auto& c : controls) {
            SCOPED_TRACE(c.name);
            QWidget* widget = w.findChild<QWidget*>(QString::fromUtf8(c.name));
            ASSERT_NE(widget, nullptr);
            EXPECT_TRUE(widget->inherits(c.kind));
            EXPECT_EQ(widget->geometry(), c.rect);
            QString caption;
            if (auto* l = qobject_cast<QLabel*>(widget)) caption = l->text();
            if (auto* e = qobject_cast<QLineEdit*>(widget)) caption = e->text();
            if (auto* b = qobject_cast<QPushButton*>(widget)) caption = b->text();
            EXPECT_EQ(caption, c.caption);
        }
        QFont name = w.findChild<QWidget*>(QStringLiteral("名前"))->font();
        QFont id = w.findChild<QWidget*>(QStringLiteral("ID"))->font();
        EXPECT_EQ(name.family(), QStringLiteral("ＭＳ Ｐゴシック"));
        EXPECT_EQ(name.pointSizeF(), 15.75);
        EXPECT_EQ(id.family(), QStringLiteral("ＭＳ ゴシック"));
        EXPECT_EQ(id.pointSizeF(), 15.75);

        EXPECT_EQ(w.focusWidget(), w.findChild<QWidget*>(QStringLiteral("名前")));
        QStringList order;
        QWidget* start = w.findChild<QWidget*>(QStringLiteral("名前"));
        QWidget* next = start;
        do {
            if (next->focusPolicy() & Qt::TabFocus) order << next->objectName();
            next = next->nextInFocusChain();
        } while (next != start);
        EXPECT_EQ(order, (QStringList{QStringLiteral("名前"), QStringLiteral("Felicaチェック"),
                                      QStringLiteral("中止"), QStringLiteral("登録終了")}));
    };
    world.card.hold(kIdm);
    open([&](QDialog& w) {
        check(w);
        type(w, QStringLiteral("職員A"));
        click(w, "Felicaチェック");
        click(w, "登録終了");
    });
    open(check); // a new window in its design state after a registration
    open([&](QDialog& w) {
        type(w, QStringLiteral("職員B"));
        click(w, "Felicaチェック");
        w.close(); // the close box
    });
    open(check);
    EXPECT_EQ(world.prompts.modalsShown, 4);
}

TEST(RegistrationFaults, EndTheProgramWithTheirMessage) {
    struct Case {
        const char* what;
        std::function<void(TestWorld&)> arrange;
        QString named;
    } cases[] = {
        {"registry cannot be written",
         [](TestWorld& w) { QDir(w.dir.path()).mkdir(kRegistryFile); }, kRegistryFile},
        {"card reader library missing",
         [](TestWorld& w) {
             w.write(kRegistryFile, "");
             w.card.onRead = [] { throw Failure(QStringLiteral("sony_idm.dll を読み込めません")); };
         },
         QStringLiteral("sony_idm.dll")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TestWorld world;
        world.card.hold(kIdm);
        c.arrange(world);
        Form1 form(world.services());
        world.prompts.modalScripts.push_back([](QDialog& w) {
            type(w, QStringLiteral("職員A"));
            click(w, "Felicaチェック");
            click(w, "登録終了");
        });
        OpenSettings(form);
        EXPECT_TRUE(world.end.ended);
        EXPECT_EQ(world.end.exitCode, 1);
        ASSERT_FALSE(world.prompts.messages.isEmpty());
        EXPECT_TRUE(world.prompts.messages[0].contains(c.named))
            << world.prompts.messages[0].toStdString();
    }
}

} // namespace
