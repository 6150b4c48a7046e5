// Arrival and leaving: the present user, the questions for forgotten records, the record
// and its result.

#include "terminal/terminal.h"

#include "records/recordfile.h"
#include "storage/names.h"
#include "terminal/clocktext.h"
#include "timeentry/typedtime.h"

namespace velmora {

void Terminal::arrive() {
    handle([this] { pressed(&Terminal::clockIn); });
}

void Terminal::leave() {
    handle([this] { pressed(&Terminal::clockOut); });
}

void Terminal::pressed(void (Terminal::*operation)(const Moment& start)) {
    const Moment start = now();
    // A result still showing is its card's user's: whoever pressed starts as from idle.
    if (state_.followUp != FollowUp::None) resetToIdle();
    if (!screen_.keyedTime.isEmpty()) {
        // Refused before anything is asked; the box keeps the text to be mended.
        const auto time = typedTime(screen_.keyedTime);
        if (!time) return services_.prompts.messageBox(texts::kBadTime);
        screen_.keyedTime = *time;
    }
    (this->*operation)(start);
}

void Terminal::clockIn(const Moment& start) {
    screen_.status = texts::kArrivalPressed;
    setClock(ClockTick::Stopped);
    if (!haveUser()) {
        // The clock tick is stopped and nothing would restart it.
        resetToIdle();
        return;
    }
    screen_.messagePoints = 28;
    const QString today = recordDate(start.date);
    const QString name = screen_.user;
    const AttendanceRecord last = findLastRecord(services_.files, name);

    if (last.date != today && last.kind == kArrival)
        recordMissing(texts::kAskEarlierLeaving, last.date, kLeaving);

    if (last.date == today && last.kind == kArrival) {
        screen_.status.clear();
        showResult(texts::kAlreadyArrived);
        return;
    }

    const QString time = operationTime(arrivalTime, start);
    appendRecord(services_.files, {name, today, time, kArrival});
    chosenTimeRecorded();
    showResult(today + u' ' + time + u' ' + kArrival);
}

void Terminal::clockOut(const Moment& start) {
    screen_.status = texts::kLeavingPressed;
    // The clock tick still runs, so the window returns to idle by itself.
    if (!haveUser()) return;
    screen_.status.clear();
    screen_.messagePoints = 28;
    const QString today = recordDate(start.date);
    const QString name = screen_.user;
    const AttendanceRecord last = findLastRecord(services_.files, name);

    if (last.date != today) recordMissing(texts::kAskTodaysArrival, today, kArrival);

    const QString time = operationTime(leavingTime, start);
    appendRecord(services_.files, {name, today, time, kLeaving});
    services_.beeper.beep();
    chosenTimeRecorded();
    showResult(today + u' ' + time + u' ' + kLeaving);

    if (state_.personalPc && screen_.shutdownChosen) services_.shutdown.requestPowerOff();
}

bool Terminal::haveUser() {
    if (screen_.user.isEmpty()) askName();
    if (screen_.user.isEmpty()) return false;
    // Refused before anything is asked or written: the record file could not hold it.
    if (!isStorableName(screen_.user)) throw Failure(texts::kUnstorableName);
    return true;
}

void Terminal::recordMissing(const QString& question, const QString& date, const QString& kind) {
    // A time already keyed for the present operation is kept aside meanwhile.
    const QString keptTime = screen_.keyedTime;
    askTime(question);
    appendRecord(services_.files, {screen_.user, date, screen_.keyedTime, kind});
    screen_.keyedTime = keptTime;
}

void Terminal::chosenTimeRecorded() {
    if (state_.chosenTime == ChosenTime::Shown) state_.chosenTime = ChosenTime::Recorded;
}

QString Terminal::operationTime(QString (*computed)(const QString& clockText),
                                const Moment& start) const {
    return screen_.keyedTime.isEmpty() ? computed(start.time) : screen_.keyedTime;
}

void Terminal::showResult(const QString& text) {
    screen_.message = text;
    waitSeconds(5);
    setFollowUp(FollowUp::AfterInput);
}

} // namespace velmora
