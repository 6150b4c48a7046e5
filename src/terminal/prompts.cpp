// Asking the user: for a name (by card or typed), for a time on the panel, and the
// registration window.

#include "terminal/terminal.h"

#include "cards/cards.h"
#include "storage/names.h"

#include <algorithm>

namespace velmora {

namespace {
constexpr int kNamePromptCardReads = 3;
}

QString Terminal::freshCard() {
    return state_.card.fresh(checkCard(services_.cardLibrary), services_.clock.timeText());
}

QString Terminal::userOfCard() {
    const QString idm = freshCard();
    // A hand-made registration with an empty IDm would otherwise match the empty reader.
    if (idm.isEmpty()) return {};
    const QString name = registry_.registeredName(services_.files, idm);
    if (!name.isEmpty()) {
        services_.beeper.beep();
        screen_.status.clear();
        state_.card.served(idm);
    }
    return name;
}

void Terminal::askName() {
    screen_.status = texts::kNamePromptStatus;
    screen_.statusPoints = 14;
    QString name;
    for (int reads = 1;; ++reads) {
        waitSeconds(5);
        name = userOfCard();
        if (reads >= kNamePromptCardReads || !name.isEmpty()) break;
        name = services_.prompts.inputBox(texts::kNamePrompt);
        // Refused here, the user gets the next card read or input box as after no answer.
        if (const auto fault = typedNameFault(name); !name.isEmpty() && fault) {
            services_.prompts.messageBox(*fault);
            name.clear();
        }
        if (!name.isEmpty()) break;
    }
    screen_.status.clear();
    screen_.userPoints = 28;
    screen_.user = name;
}

void Terminal::askTime(const QString& question, const QString& start) {
    // The clock stops while a time is chosen and stays stopped until the terminal is idle.
    setClock(ClockTick::Stopped);
    present();
    screen_.keyedTime = view_.askTime(question, start);
}

void Terminal::clockClicked() {
    // A click while the follow-up is armed would be cut short by it: wait for idle.
    if (state_.followUp != FollowUp::None) return;
    handle([this] {
        screen_.status = texts::kChooseTimeStatus;
        if (state_.chosenTime == ChosenTime::None) state_.chosenTime = ChosenTime::Asking;
        // "H:MM:SS" without the seconds: cut, not rounded, so 9:05:59 starts at 9:05.
        const QString clock = services_.clock.timeText();
        askTime(texts::kAskChosenTime, clock.left(std::max<qsizetype>(0, clock.size() - 3)));
        state_.chosenTime = ChosenTime::Shown;
    });
}

void Terminal::openSettings() {
    handle([this] {
        // A time chosen before is not for whoever comes after the registration.
        dropChosenTime();
        setFollowUp(FollowUp::None);
        setClock(ClockTick::Stopped);
        present();
        view_.showRegistration();
        waitSeconds(5);
        setClock(ClockTick::Fast);
    });
}

QString Terminal::readCardToRegister() {
    QString idm;
    guarded([&] { idm = readIdm(services_.cardLibrary); });
    // Once the window closes, the card lying there was for the registration, not a record.
    if (!idm.isEmpty()) state_.card.served(idm);
    return idm;
}

bool Terminal::registerCard(const QString& name, const QString& idm) {
    bool registered = false;
    guarded([&] {
        const auto refusal = velmora::registerCard(services_.files, name, idm);
        if (refusal) services_.prompts.messageBox(*refusal);
        registered = !refusal;
    });
    return registered;
}

} // namespace velmora
