// Start-up, the two timers, the wait and the way back to idle.

#include "terminal/terminal.h"

#include "logging/logging.h"
#include "storage/names.h"
#include "terminal/clocktext.h"
#include "terminal/userdata.h"

namespace velmora {

Terminal::Terminal(Services services, TerminalView& view)
    : services_(std::move(services)), view_(view) {
    clockTimer_.onTick([this] { clockTick(); });
    followUpTimer_.onTick([this] { followUpTick(); });
}

Terminal::Moment Terminal::now() const {
    Moment moment{services_.clock.dateText(), services_.clock.timeText()};
    // Read across midnight, the two could be of two days: then both are of the new one.
    if (const QString date = services_.clock.dateText(); date != moment.date)
        moment = {date, services_.clock.timeText()};
    return moment;
}

void Terminal::handle(const std::function<void()>& work) {
    // Modal prompts run an event loop: a tick or click arriving under one is dropped.
    if (busy_) return;
    busy_ = true;
    guarded(work);
    busy_ = false;
}

void Terminal::guarded(const std::function<void()>& work) {
    try {
        work();
        present();
    } catch (const Failure& failure) {
        present();
        // Every fault the user is shown is logged too: from the menu, the journal keeps it.
        const auto category = dynamic_cast<const CardFailure*>(&failure) ? lcCard : lcFiles;
        qCCritical(category).noquote() << failure.message();
        services_.prompts.messageBox(failure.message());
        services_.programEnd.endProgram(1);
    }
}

bool Terminal::start() {
    bool loaded = false;
    handle([&] {
        auto owner = readOwnerName(services_.files);
        if (!owner) {
            // A file of zero bytes holds no name either: ask as on the very first start.
            writeOwnerName(services_.files, firstUseName());
            owner = ownerName(services_.files);
        }
        screen_.user = *owner;
        screen_.personalPc = !owner->isEmpty();
        if (!screen_.personalPc) screen_.shutdownChosen = false;
        screen_.keyedTime.clear();
        services_.files.createIfMissing(kRecordFile);
        services_.files.createIfMissing(kRegistryFile);
        loaded = true;
    });
    // The tick starts only now, so that it never runs under the first-use prompt.
    if (loaded) clockTimer_.set(ClockTick::EverySecond);
    return loaded;
}

QString Terminal::firstUseName() {
    for (;;) {
        QString answer = services_.prompts.inputBox(texts::kFirstUsePrompt);
        const auto fault = typedNameFault(answer);
        if (!fault) return answer;
        services_.prompts.messageBox(*fault);
    }
}

void Terminal::quit() { services_.programEnd.endProgram(0); }

void Terminal::cancel() {
    handle([this] { resetToIdle(); });
}

void Terminal::resetToIdle() {
    followUpTimer_.set(FollowUp::Off);
    clockTimer_.set(ClockTick::EverySecond);
    screen_.message.clear();
    dropChosenTime();
    screen_.status = texts::kHoldCard;
    screen_.statusPoints = 16;
    screen_.userPoints = 24;
    screen_.user.clear();
}

void Terminal::dropChosenTime() {
    screen_.keyedTime.clear();
    screen_.keyedTimeShown = false;
    screen_.cancelShown = false;
}

void Terminal::clockTick() {
    handle([this] {
        screen_.messagePoints = 48;
        const Moment tick = now();
        const QString shown = currentTimeText(tick.time);
        screen_.message = shown;
        screen_.seconds = secondsValue(tick.time);
        screen_.status = (isMorning(shown) ? texts::kArrivalMode : texts::kLeavingMode) +
                         texts::kModeSeparator + texts::kHoldCard;
        dispatchCard(tick);
    });
}

void Terminal::dispatchCard(const Moment& tick) {
    screen_.user = userOfCard();
    // The log says so on any PC; a shared PC's status line too, until a reader answers.
    if (card_.readerMissing() && !screen_.personalPc) screen_.status = texts::kNoReader;
    if (screen_.user.isEmpty()) return;
    // The mode shown and the operation chosen agree: both come from this tick's reading.
    if (isMorning(currentTimeText(tick.time)))
        clockIn(tick);
    else
        clockOut(tick);
    followUpTimer_.set(FollowUp::AfterCard);
}

void Terminal::followUpTick() {
    handle([this] {
        const bool personalPc = !ownerName(services_.files).isEmpty();
        if (personalPc && followUp() == FollowUp::AfterCard)
            services_.programEnd.endProgram(0);
        else
            resetToIdle();
    });
}

void Terminal::waitSeconds(int n) {
    present();
    view_.repaintNow();
    const int start = secondsValue(services_.clock.timeText());
    int target = start + n;
    const bool nextMinute = target >= 60;
    if (nextMinute) target -= 60;
    bool turned = false;
    for (;;) {
        const int s = secondsValue(services_.clock.timeText());
        if (s < start) turned = true;
        if ((!nextMinute || turned) && s >= target) return view_.dropQueuedInput();
        // Pausing spares the processor; no window event is handled meanwhile.
        services_.clock.sleep(std::chrono::milliseconds(20));
    }
}

} // namespace velmora
