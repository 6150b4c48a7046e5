#pragma once
// The terminal's rules: start-up, the clock tick and its card dispatch, the follow-up,
// arrival and leaving with their questions for forgotten records, the name prompt, the
// chosen time and the settings. The window only shows the screen and forwards input here.

#include "cards/cards.h"
#include "seams/seams.h"
#include "terminal/screen.h"
#include "terminal/state.h"

#include <QTimer>
#include <functional>

namespace velmora {

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

    const TerminalState& state() const { return state_; }

private:
    using ClockTick = TerminalState::ClockTick;
    using FollowUp = TerminalState::FollowUp;
    using ChosenTime = TerminalState::ChosenTime;

    // When an operation starts, the card or the click: one date and time, whatever it asks
    // meanwhile.
    struct Moment {
        QString date; // YYYY/MM/DD
        QString time; // H:MM:SS
    };
    Moment now() const;
    void handle(const std::function<void()>& work);
    void guarded(const std::function<void()>& work);
    void present();
    void setClock(ClockTick tick);
    void setFollowUp(FollowUp followUp);
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
    // After a record: the chosen time's box goes, 中止 stays until idle.
    void chosenTimeRecorded();
    void showResult(const QString& text);

    Services services_;
    TerminalView& view_;
    Screen screen_;
    TerminalState state_;
    QTimer clockTimer_;
    QTimer followUpTimer_;
    RegistryLookup registry_;
};

} // namespace velmora
