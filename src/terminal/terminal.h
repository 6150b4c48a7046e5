#pragma once
// The terminal's rules: start-up, the clock tick and its card dispatch, the follow-up,
// arrival and leaving with their questions for forgotten records, the name prompt, the
// chosen time and the settings. The window only shows the screen and forwards input here.

#include "cards/cards.h"
#include "seams/seams.h"
#include "terminal/cardonreader.h"
#include "terminal/screen.h"
#include "terminal/timer.h"

#include <functional>

namespace velmora {

enum class ClockTick { Stopped = 0, Fast = 10, EverySecond = 1000 };
// The follow-up's interval also tells its tick what started the last operation: a card
// (AfterCard, which on a personal PC ends the program) or anything else (Now).
enum class FollowUp { Off = 0, Now = 10, AfterCard = 5000 };

class Terminal {
public:
    Terminal(Services services, TerminalView& view);

    // The owner's name (asked for on the very first start), the PC's form, the missing data
    // files; then the clock starts. False when the program ended instead.
    bool start();

    // The terminal window's input. None runs inside another, and a fault ends the program
    // with a message box naming it.
    void quit();
    void cancel();
    void arrive();
    void leave();
    void openSettings();
    void clockClicked();
    void timeTyped(const QString& text) { screen_.keyedTime = text; }
    void shutdownChosen(bool chosen) { screen_.shutdownChosen = chosen; }
    // The registration window's input: the card on the reader, and registering it (false
    // when refused with a message).
    QString readCardToRegister();
    bool registerCard(const QString& name, const QString& idm);
    // The timers' ticks.
    void clockTick();
    void followUpTick();

    const Screen& screen() const { return screen_; }
    ClockTick clockState() const { return clockTimer_.state(); }
    FollowUp followUp() const { return followUpTimer_.state(); }

private:
    // When an operation starts, the card or the click: one date and time, whatever it asks
    // meanwhile.
    struct Moment {
        QString date; // YYYY/MM/DD
        QString time; // H:MM:SS
    };
    Moment now() const;
    void handle(const std::function<void()>& work);
    void guarded(const std::function<void()>& work);
    void present() { view_.draw(screen_); }
    void waitSeconds(int n);
    void resetToIdle();
    QString firstUseName();
    void dispatchCard(const Moment& tick);
    // The card on the reader that has not served yet, "" for none (cardonreader.h).
    QString freshCard();
    // The name registered for a fresh card (beeping once); the card then rests.
    QString userOfCard();
    void pressed(void (Terminal::*operation)(const Moment& start));
    void clockIn(const Moment& start);
    void clockOut(const Moment& start);
    bool haveUser();
    void askName();
    void askTime(const QString& question, const QString& start = {});
    void recordMissing(const QString& question, const QString& date, const QString& kind);
    QString operationTime(QString (*computed)(const QString& clockText), const Moment& start) const;
    void dropChosenTime();
    void showResult(const QString& text);

    Services services_;
    TerminalView& view_;
    Screen screen_;
    Timer<ClockTick> clockTimer_{ClockTick::Stopped};
    Timer<FollowUp> followUpTimer_{FollowUp::Off};
    bool busy_ = false;
    CardOnReader card_;
    RegistryLookup registry_;
};

} // namespace velmora
