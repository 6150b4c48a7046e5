// The name prompt: card reads between five-second waits, and at most two input boxes.

#include "cards.h"
#include "doubles.h"
#include "form1.h"

#include <gtest/gtest.h>

using namespace velmora;
using namespace velmora::test;
using namespace std::chrono_literals;

namespace {

const QString kStatus = QStringLiteral("氏名:Felicaをかざしてください");
const QString kInputPrompt =
    QStringLiteral("氏名の入力\r\r氏名を入力するか。登録されたFelicaカードを当ててOK");
const QString kUnstorable = QStringLiteral("利用者名に使用できない文字が含まれています。");
const QString kCardName = QStringLiteral("職員A");

class AskNameTest : public ::testing::Test {
  protected:
    TestWorld world;
    std::unique_ptr<Form1> form;

    void SetUp() override {
        world.write(kRegistryFile, "\"0123456789ABCDEF\",\"" + sjis(kCardName) + "\"\r\n");
        form = std::make_unique<Form1>(world.services());
        form->名前->setText(QString());
        Form1::setFontSize(form->名前, 24);
    }
    // The registered card is put on the reader once `inputBoxes` input boxes were shown.
    void cardAfterInputBoxes(int inputBoxes) {
        world.clock.onSleep = [this, inputBoxes] {
            if (world.prompts.inputPrompts.size() == inputBoxes)
                world.card.hold("0123456789ABCDEF");
        };
    }
    void expectEnd(const QString& name) {
        EXPECT_EQ(form->名前->text(), name);
        EXPECT_EQ(Form1::fontSize(form->名前), 28);
        EXPECT_EQ(form->動作状態->text(), QString());
        EXPECT_EQ(Form1::fontSize(form->動作状態), 14);
    }
};

TEST_F(AskNameTest, CardAlreadyOnTheReader) {
    world.card.hold("0123456789ABCDEF");
    AskName(*form);
    expectEnd(kCardName);
    EXPECT_EQ(world.beeper.beeps, 1);
    EXPECT_TRUE(world.prompts.inputPrompts.isEmpty());
    EXPECT_EQ(world.card.reads, 1);
    EXPECT_EQ(world.clock.slept, 5s);
}

TEST_F(AskNameTest, TypedNameOnTheFirstInputBox) {
    struct Case {
        QString typed;
    } cases[] = {{QStringLiteral("佐藤")}, {QStringLiteral("山田, 太郎")}, {QStringLiteral("  ")}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed.toStdString());
        world.prompts = {};
        world.card.reads = 0;
        world.clock.slept = 0ms;
        world.prompts.answers = {c.typed};
        AskName(*form);
        expectEnd(c.typed);
        EXPECT_EQ(world.prompts.inputPrompts, QStringList{kInputPrompt});
        EXPECT_EQ(world.card.reads, 1);
        EXPECT_EQ(world.clock.slept, 5s);
        EXPECT_TRUE(world.prompts.messages.isEmpty());
    }
    EXPECT_EQ(world.beeper.beeps, 0);
}

TEST_F(AskNameTest, CancelThenCardDuringTheSecondWait) {
    world.prompts.answers = {QString()};
    cardAfterInputBoxes(1);
    AskName(*form);
    expectEnd(kCardName);
    EXPECT_EQ(world.prompts.inputPrompts.size(), 1);
    EXPECT_EQ(world.card.reads, 2);
    EXPECT_EQ(world.beeper.beeps, 1);
    EXPECT_EQ(world.clock.slept, 10s);
}

TEST_F(AskNameTest, CardFirstHeldDuringTheThirdWait) {
    cardAfterInputBoxes(2); // both input boxes cancelled
    AskName(*form);
    expectEnd(kCardName);
    EXPECT_EQ(world.prompts.inputPrompts.size(), 2) << "no third input box";
    EXPECT_EQ(world.card.reads, 3);
}

TEST_F(AskNameTest, NobodyAfterThreeReads) {
    struct Case {
        const char* what;
        QByteArray card; // empty: no card
    } cases[] = {{"no card", {}}, {"an unregistered card", "FEDCBA9876543210"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        world.prompts = {};
        world.card.reads = 0;
        world.clock.slept = 0ms;
        if (c.card.isEmpty())
            world.card.takeAway();
        else
            world.card.hold(c.card);
        form->名前->setText(QStringLiteral("前の人"));
        AskName(*form);
        expectEnd(QString());
        EXPECT_EQ(world.prompts.inputPrompts, QStringList(2, kInputPrompt));
        EXPECT_EQ(world.card.reads, 3);
        EXPECT_EQ(world.clock.slept, 15s);
    }
    EXPECT_EQ(world.beeper.beeps, 0);
}

TEST_F(AskNameTest, PromptShownDuringTheWaitsAndNameLeftUntilTheEnd) {
    form->名前->setText(QStringLiteral("前の人"));
    QStringList statuses, names;
    world.clock.onSleep = [&] {
        statuses << form->動作状態->text() + "@" + QString::number(Form1::fontSize(form->動作状態));
        names << form->名前->text();
    };
    AskName(*form);
    statuses.removeDuplicates();
    names.removeDuplicates();
    EXPECT_EQ(statuses, QStringList{kStatus + "@14"});
    EXPECT_EQ(names, QStringList{QStringLiteral("前の人")});
    expectEnd(QString());
}

TEST_F(AskNameTest, UnstorableTypedNameIsRefusedAndCountsAsEmpty) {
    const QString names[] = {QStringLiteral("山田\"太郎"), QStringLiteral("山田\r"),
                             QStringLiteral("山田\n太郎"), QStringLiteral("😀")};
    for (const QString& typed : names) {
        SCOPED_TRACE(typed.toStdString());
        world.prompts = {};
        world.card.reads = 0;
        world.prompts.answers = {typed, QStringLiteral("山田")};
        AskName(*form);
        expectEnd(QStringLiteral("山田"));
        EXPECT_EQ(world.prompts.messages, QStringList{kUnstorable});
        EXPECT_EQ(world.prompts.inputPrompts.size(), 2);
        EXPECT_EQ(world.card.reads, 2) << "another card read after the refusal";
    }
}

TEST_F(AskNameTest, UnstorableOnBothInputBoxesEndsWithNobody) {
    world.prompts.answers = {QStringLiteral("\""), QStringLiteral("\"")};
    AskName(*form);
    expectEnd(QString());
    EXPECT_EQ(world.prompts.messages, QStringList(2, kUnstorable));
    EXPECT_EQ(world.card.reads, 3);
}

} // namespace
