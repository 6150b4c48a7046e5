#pragma once
// What the terminal window shows, and what the terminal asks of the window. The terminal
// changes the screen; the window draws it and forwards its clicks.

#include "texts/texts.h"

#include <QString>

namespace velmora {

struct Screen {
    QString message; // mess: the clock, or an operation's result
    double messagePoints = 48;
    int seconds = 57;                      // Sec: one dot a second
    QString status = texts::kStatusDesign; // 動作状態
    double statusPoints = 15.75;
    QString user = texts::kNameDesign; // 名前: the present user
    double userPoints = 24;
    QString keyedTime; // タイム: a time chosen on the panel, or typed
    // These three as the terminal's state has them (state.h).
    bool keyedTimeShown = false;
    bool cancelShown = false; // 中止
    // A personal PC hides the settings button and the status line; a shared one hides the
    // shutdown box and its caption.
    bool personalPc = false;
    bool shutdownChosen = true; // Check1
};

class TerminalView {
public:
    virtual ~TerminalView() = default;
    virtual void draw(const Screen& screen) = 0;
    // Draws the window as it stands at once: nothing repaints during a wait.
    virtual void repaintNow() = 0;
    // Drops the clicks and keys that came while a wait kept the window from listening: run
    // late, one after another, they would record what nobody meant any more.
    virtual void dropQueuedInput() = 0;
    // The time panel, modal, starting at `start` when given: the time confirmed with OK,
    // its only way out.
    virtual QString askTime(const QString& question, const QString& start) = 0;
    // The registration window, modal; its clicks come back to the terminal.
    virtual void showRegistration() = 0;
};

} // namespace velmora
