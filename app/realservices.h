#pragma once
// The real clock, beep and program end.

#include "common/seams.h"

namespace velmora {

class SystemClock : public Clock {
public:
    QString timeText() const override;
    QString dateText() const override;
    void sleep(std::chrono::milliseconds duration) override;
};

class SystemBeeper : public Beeper {
public:
    void beep() override;
};

class ImmediateEnd : public ProgramEnd {
public:
    [[noreturn]] void endProgram(int exitCode) override;
};

} // namespace velmora
