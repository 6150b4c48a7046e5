// The card dispatch at the end of the clock tick.

#include "doubles.h"
#include "form1.h"

#include <QMap>
#include <gtest/gtest.h>

using namespace velmora;
using namespace velmora::test;

namespace {

struct FakeOperations : Form1::Operations {
    Form1* form = nullptr;
    QString card;                   // on the reader; "" for none
    QMap<QString, QString> names;   // the registry
    QStringList calls;

    QString ReadIdm() override { return card; }
    QString Felica(const QString& idm) override {
        calls << "Felica " + idm;
        return names.value(idm);
    }
    void ClockIn() override {
        calls << "ClockIn " + form->名前->text();
        form->Timer2.setInterval(0);
        form->Timer1.setInterval(10);
    }
    void ClockOut() override {
        calls << "ClockOut " + form->名前->text();
        form->Timer1.setInterval(10);
    }
    void OpenSettings() override {}
    void mess_Click() override {}
};

class DispatchTest : public ::testing::Test {
protected:
    TestWorld world;
    FakeOperations ops;
    std::unique_ptr<Form1> form;

    void SetUp() override {
        world.write(kUserDataFile, "\r\n");
        form = std::make_unique<Form1>(world.services());
        ops.form = form.get();
        ops.names = {{"0123456789ABCDEF", QStringLiteral("職員A")}};
        form->setOperations(&ops);
        ASSERT_TRUE(form->Form_Load());
    }
    void tick(const char* hms) {
        world.clock.set(QString::fromLatin1(hms));
        form->handle([this] { form->Timer2_Timer(); });
    }
};

TEST_F(DispatchTest, ARegisteredCardStartsTheOperationOfTheTimeOfDay) {
    struct Case {
        const char* clock;
        const char* call;
    } cases[] = {{"11:59:59", "ClockIn 職員A"}, {"12:00:00", "ClockOut 職員A"}};
    for (const auto& c : cases) {
        ops.calls.clear();
        ops.card = "0123456789ABCDEF";
        tick(c.clock);
        EXPECT_EQ(ops.calls.value(1), QString::fromUtf8(c.call)) << c.clock;
        EXPECT_EQ(form->Timer1.interval(), 5000) << "a card-started operation";
        form->ResetToIdle();
        ops.card.clear(); // taken away
        tick(c.clock);
    }
}

TEST_F(DispatchTest, NoCardOrAnUnknownCardClearsTheName) {
    form->名前->setText("Sato");
    for (const char* card : {"", "FFFFFFFFFFFFFFFF"}) {
        ops.card = card;
        tick("9:05:03");
        EXPECT_EQ(form->名前->text(), QString()) << card;
        EXPECT_EQ(form->Timer1.interval(), 0);
    }
    EXPECT_EQ(ops.calls, (QStringList{"Felica ", "Felica FFFFFFFFFFFFFFFF"}));
}

TEST_F(DispatchTest, ACardLeftOnTheReaderRecordsOnce) {
    ops.card = "0123456789ABCDEF";
    tick("17:07:00");
    tick("17:07:01");
    tick("17:07:02");
    EXPECT_EQ(ops.calls, (QStringList{"Felica 0123456789ABCDEF", "ClockOut 職員A"}))
        << "the resting card is neither looked up nor recorded again";
    EXPECT_EQ(form->名前->text(), QString());

    ops.card.clear(); // taken away and held again
    tick("17:07:03");
    ops.card = "0123456789ABCDEF";
    tick("17:07:04");
    EXPECT_EQ(ops.calls.count("ClockOut 職員A"), 2);
}

TEST_F(DispatchTest, AnotherCardIsNotHeldBackByARestingOne) {
    ops.names.insert("1111111111111111", QStringLiteral("職員B"));
    ops.card = "0123456789ABCDEF";
    tick("17:07:00");
    ops.card = "1111111111111111";
    tick("17:07:01");
    EXPECT_TRUE(ops.calls.contains("ClockOut 職員B"));
}

} // namespace
