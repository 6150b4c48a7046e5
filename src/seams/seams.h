#pragma once
// What the terminal reaches the outside world through. The program wires in the real ones;
// tests hand in doubles that set the time, hold a card and answer prompts.

#include "storage/datafiles.h"

#include <QString>
#include <chrono>
#include <cstdint>

namespace velmora {

class Clock {
public:
    virtual ~Clock() = default;
    virtual QString timeText() const = 0; // H:MM:SS, 24-hour, hour without leading zero
    virtual QString dateText() const = 0; // YYYY/MM/DD
    virtual void sleep(std::chrono::milliseconds duration) = 0;
};

// Input prompts and message boxes, all titled "Velmora".
class Prompts {
public:
    virtual ~Prompts() = default;
    // A CR in the prompt breaks the line. Cancel gives "".
    virtual QString inputBox(const QString& prompt) = 0;
    virtual void messageBox(const QString& text) = 0;
};

class Beeper {
public:
    virtual ~Beeper() = default;
    virtual void beep() = 0;
};

// A fault of the card reader library itself (missing, or without get_idm): logged as a card
// fault rather than a file fault.
class CardFailure : public Failure {
public:
    using Failure::Failure;
};

// The card reader library's one entry point, get_idm. Binding faults throw CardFailure.
class CardLibrary {
public:
    // get_idm's results below zero: kNoCard alone says that no card lies on the reader, and
    // kNoReader that there is no reader or PC/SC service; any other is a failed check.
    static constexpr int32_t kNoCard = -1, kNoReader = -2;
    virtual ~CardLibrary() = default;
    // buffer: 1024 zero bytes plus a terminating zero; below zero means no IDm was read.
    virtual int32_t getIdm(int32_t mode, char* buffer) = 0;
};

// Asks the operating system for an orderly power-off; faults are logged, never shown.
class Shutdown {
public:
    virtual ~Shutdown() = default;
    virtual void requestPowerOff() = 0;
};

// Ends the program at once.
class ProgramEnd {
public:
    virtual ~ProgramEnd() = default;
    virtual void endProgram(int exitCode) = 0;
};

struct Services {
    Clock& clock;
    Prompts& prompts;
    Beeper& beeper;
    CardLibrary& cardLibrary;
    Shutdown& shutdown;
    ProgramEnd& programEnd;
    DataFolder files;
};

} // namespace velmora
