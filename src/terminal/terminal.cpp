// Start-up, the two timers, the wait and the way back to idle.

#include "terminal/terminal.h"

#include "logging/logging.h"
#include "storage/names.h"
#include "terminal/clocktext.h"
#include "terminal/userdata.h"

namespace velmora {

namespace {

// Restarts the countdown from now, also at the same interval; 0 stops it. The timers repeat,
// so that a tick dropped under a prompt comes again.
void restart(QTimer& timer, int ms) {
    if (ms > 0)
        timer.start(ms);
    else
        timer.stop();
}

} // namespace

Terminal::Terminal(Services services, TerminalView& view)
    : services_(std::move(services)), view_(view) {
    for (QTimer* timer : {&clockTimer_, &followUpTimer_}) timer->setTimerType(Qt::PreciseTimer);
    QObject::connect(&clockTimer_, &QTimer::timeout, [this] { clockTick(); });
    QObject::connect(&followUpTimer_, &QTimer::timeout, [this] { followUpTick(); });
}

void Terminal::setClock(ClockTick tick) {
    state_.clock = tick;
    restart(clockTimer_, tick == ClockTick::Fast ? 10 : tick == ClockTick::EverySecond ? 1000 : 0);
}

void Terminal::setFollowUp(FollowUp followUp) {
    state_.followUp = followUp;
    restart(followUpTimer_, followUp == FollowUp::AfterCard    ? 5000
                            : followUp == FollowUp::AfterInput ? 10
                                                               : 0);
}

void Terminal::present() {
    screen_.personalPc = state_.personalPc;
    screen_.keyedTimeShown = state_.chosenTime == ChosenTime::Shown;
    screen_.cancelShown = state_.chosenTime != ChosenTime::None;
    view_.draw(screen_);
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
    if (state_.busy) return;
    state_.busy = true;
    guarded(work);
    state_.busy = false;
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
        state_.personalPc = !owner->isEmpty();
        if (!state_.personalPc) screen_.shutdownChosen = false;
        screen_.keyedTime.clear();
        services_.files.createIfMissing(kRecordFile);
        services_.files.createIfMissing(kRegistryFile);
        loaded = true;
    });
    // The tick starts only now, so that it never runs under the first-use prompt.
    if (loaded) setClock(ClockTick::EverySecond);
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
    setFollowUp(FollowUp::None);
    setClock(ClockTick::EverySecond);
    screen_.message.clear();
    dropChosenTime();
    screen_.status = texts::kHoldCard;
    screen_.statusPoints = 16;
    screen_.userPoints = 24;
    screen_.user.clear();
}

void Terminal::dropChosenTime() {
    screen_.keyedTime.clear();
    state_.chosenTime = ChosenTime::None;
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
    if (state_.card.readerMissing() && !state_.personalPc) screen_.status = texts::kNoReader;
    if (screen_.user.isEmpty()) return;
    // The mode shown and the operation chosen agree: both come from this tick's reading.
    if (isMorning(currentTimeText(tick.time)))
        clockIn(tick);
    else
        clockOut(tick);
    setFollowUp(FollowUp::AfterCard);
}

void Terminal::followUpTick() {
    handle([this] {
        if (state_.personalPc && state_.followUp == FollowUp::AfterCard)
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
