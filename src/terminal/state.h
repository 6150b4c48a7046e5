#pragma once
// The terminal's state between two inputs, in one value: the timers run as it says and the
// window's chosen-time box and 中止 show as it says. Besides it, the terminal holds only what
// the screen shows and the registry's kept answer.

#include "terminal/cardonreader.h"

namespace velmora {

struct TerminalState {
    // The clock tick, which also checks the card: stopped under an arrival or a chosen time
    // until idle again, a hundred a second after the settings until then.
    enum class ClockTick { Stopped, EverySecond, Fast };
    // What started the result on show, and so what its follow-up does: after a button it
    // returns to idle at once (the result has had its wait), after a card it waits five
    // seconds more, and on a personal PC ends the program instead.
    enum class FollowUp { None, AfterInput, AfterCard };
    // A time asked for from the clock: on the panel (中止 shown), chosen (its box shown too),
    // or recorded (中止 stays until idle).
    enum class ChosenTime { None, Asking, Shown, Recorded };

    ClockTick clock = ClockTick::Stopped;
    FollowUp followUp = FollowUp::None;
    ChosenTime chosenTime = ChosenTime::None;
    // An operation runs: its modal prompts run an event loop, and input under one is dropped.
    bool busy = false;
    // Taken from the user-data file at start, as the window's buttons are: the file is read
    // once, and a name written into it meanwhile counts from the next start.
    bool personalPc = false;
    CardOnReader card;
};

} // namespace velmora
