#pragma once
// Test doubles for the seams: a clock the test sets, scripted prompts and modal windows,
// a card the test holds, and recorders for beeps, shutdowns and the program's end.

#include "seams.h"

#include <QDateTime>
#include <QStringList>
#include <QTemporaryDir>
#include <deque>
#include <functional>

#include <ostream>

// Readable QStrings in failure messages.
inline void PrintTo(const QString& text, std::ostream* os) { *os << '"' << text.toStdString() << '"'; }

namespace velmora::test {

// Starts at 2026/07/01 9:05:03. Sleeping moves it on, so waits end without real time.
class FakeClock : public Clock {
public:
    void set(const QString& hms, const QString& ymd = {});
    void advance(std::chrono::milliseconds ms) { now_ = now_.addMSecs(ms.count()); }
    void setLeadingZero(bool on) { leadingZero_ = on; }
    QString timeText() const override;
    QString dateText() const override;
    void sleep(std::chrono::milliseconds duration) override;

    std::chrono::milliseconds slept{0};
    std::function<void()> onSleep; // lets a test act in the middle of a wait

private:
    QDateTime now_{QDate(2026, 7, 1), QTime(9, 5, 3)};
    bool leadingZero_ = false;
};

class ScriptedPrompts : public Prompts {
public:
    // Answers given in order; with none left an input box is cancelled.
    std::deque<QString> answers;
    // Scripts run in order in place of a modal window's event loop; with none left the
    // window is closed at once.
    std::deque<std::function<void(QDialog&)>> modalScripts;

    QStringList inputPrompts;
    QStringList messages;
    int modalsShown = 0;

    QString inputBox(const QString& prompt) override;
    void messageBox(const QString& text) override { messages << text; }
    void showModal(QDialog& window) override;
};

class CountingBeeper : public Beeper {
public:
    int beeps = 0;
    void beep() override { ++beeps; }
};

// A card the test holds to the reader: result and the bytes the library writes.
class FakeCardLibrary : public CardLibrary {
public:
    int32_t result = -1;
    QByteArray written;
    int reads = 0;
    std::function<void()> onRead;
    void hold(const QByteArray& idm) { result = 0, written = idm; }
    void takeAway() { result = -1, written.clear(); }
    int32_t get_idm(int32_t mode, char* buffer) override;
};

class RecordingShutdown : public Shutdown {
public:
    int requests = 0;
    std::function<void()> onRequest;
    void ShutdownSystem() override;
};

class RecordingEnd : public ProgramEnd {
public:
    bool ended = false;
    int exitCode = -1;
    void endProgram(int code) override { ended = true, exitCode = code; }
};

// Everything a window needs, working in a fresh temporary folder.
struct TestWorld {
    QTemporaryDir dir;
    FakeClock clock;
    ScriptedPrompts prompts;
    CountingBeeper beeper;
    FakeCardLibrary card;
    RecordingShutdown shutdown;
    RecordingEnd end;

    Services services() {
        return Services{clock, prompts, beeper, card, shutdown, end, DataFolder(QDir(dir.path()))};
    }
    QString path(const QString& name) const { return dir.filePath(name); }
    QByteArray read(const QString& name) const;
    void write(const QString& name, const QByteArray& bytes) const;
    bool exists(const QString& name) const;
};

// "職員A" and friends as CP932 bytes, for exact comparisons with the files.
QByteArray sjis(const QString& text);

} // namespace velmora::test
