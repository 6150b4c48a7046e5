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

TEST(AskName, Paths) {
    const QByteArray idm = "0123456789ABCDEF";
    const QString yamada = QStringLiteral("山田");
    struct Case {
        const char* what;
        QStringList answers; // typed in turn; none left: cancelled
        int cardAt;          // input boxes shown before the card is held; -1: never
        QByteArray card;
        QString name;
        int boxes, reads, beeps, refusals;
    } cases[] = {
        {"card already there", {}, 0, idm, kCardName, 0, 1, 1, 0},
        {"typed name", {QStringLiteral("佐藤")}, -1, {}, QStringLiteral("佐藤"), 1, 1, 0, 0},
        {"typed with a comma", {"山田, 太郎"}, -1, {}, QStringLiteral("山田, 太郎"), 1, 1, 0, 0},
        {"typed spaces", {"  "}, -1, {}, QStringLiteral("  "), 1, 1, 0, 0},
        {"cancel, then a card in the second wait", {""}, 1, idm, kCardName, 1, 2, 1, 0},
        {"card in the third wait", {}, 2, idm, kCardName, 2, 3, 1, 0},
        {"nobody", {}, -1, {}, {}, 2, 3, 0, 0},
        {"an unregistered card", {}, 0, "FEDCBA9876543210", {}, 2, 3, 0, 0},
        {"double quote", {QStringLiteral("山田\"太郎"), yamada}, -1, {}, yamada, 2, 2, 0, 1},
        {"line break", {QStringLiteral("山田\n太郎"), yamada}, -1, {}, yamada, 2, 2, 0, 1},
        {"not in CP932", {QStringLiteral("😀"), yamada}, -1, {}, yamada, 2, 2, 0, 1},
        {"unstorable twice", {"\"", "\""}, -1, {}, {}, 2, 3, 0, 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TestWorld world;
        world.write(kRegistryFile, "\"0123456789ABCDEF\",\"" + sjis(kCardName) + "\"\r\n");
        Form1 form(world.services());
        form.名前->setText(QStringLiteral("前の人"));
        Form1::setFontSize(form.名前, 24);
        world.prompts.answers.assign(c.answers.begin(), c.answers.end());
        QStringList seen; // status line, its size and the name during the waits
        world.clock.onSleep = [&] {
            seen << form.動作状態->text() + QString::number(Form1::fontSize(form.動作状態)) +
                        form.名前->text();
            if (world.prompts.inputPrompts.size() == c.cardAt) world.card.hold(c.card);
        };
        AskName(form);
        seen.removeDuplicates();
        EXPECT_EQ(seen, QStringList{kStatus + "14前の人"});
        EXPECT_EQ(form.名前->text(), c.name);
        EXPECT_EQ(Form1::fontSize(form.名前), 28);
        EXPECT_EQ(form.動作状態->text(), QString());
        EXPECT_EQ(world.prompts.inputPrompts, QStringList(c.boxes, kInputPrompt));
        EXPECT_EQ(world.prompts.messages, QStringList(c.refusals, kUnstorable));
        EXPECT_EQ(world.card.reads, c.reads);
        EXPECT_EQ(world.clock.slept, c.reads * 5s);
        EXPECT_EQ(world.beeper.beeps, c.beeps);
    }
}

} // namespace
