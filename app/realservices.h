#pragma once
// The real clock, prompts, beep and program end.

#include "seams.h"

namespace velmora {

class SystemClock : public Clock {
public:
    QString timeText() const override;
    QString dateText() const override;
    void sleep(std::chrono::milliseconds duration) override;
};

class DialogPrompts : public Prompts {
public:
    QString inputBox(const QString& prompt) override;
    void messageBox(const QString& text) override;
    void showModal(QDialog& window) override;
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
