#pragma once
// The real clock, beep and program end.

#include "seams/seams.h"

#include <QDateTime>

namespace velmora {

class SystemClock : public Clock {
public:
    // For tests only: VELMORA_TEST_CLOCK="2026-07-01T08:07:00" starts the clock at that local
    // time, from where it runs on. The Linux tests fake the time with libfaketime, which does
    // not reach a program under Wine.
    SystemClock();
    QString timeText() const override;
    QString dateText() const override;
    void sleep(std::chrono::milliseconds duration) override;

private:
    QDateTime now() const;
    qint64 offsetMs_ = 0;
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
