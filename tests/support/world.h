#pragma once
// Doubles for every seam and the view, in one temporary data folder: a clock the test sets
// (sleeping moves it on, so waits end at once), scripted prompts and time panel answers,
// a card the test holds, and records of beeps, power-offs and the program's end.

#include "records/recordfile.h"
#include "storage/cp932.h"
#include "storage/fields.h"
#include "support/print.h"
#include "terminal/terminal.h"

#include <QDateTime>
#include <QFile>
#include <QTemporaryDir>
#include <cstring>
#include <deque>
#include <functional>
#include <ostream>

namespace velmora::test {

inline QByteArray sjis(const QString& text) { return *toCp932(text); }

template <class T> T next(std::deque<T>& answers) {
    T answer{};
    if (!answers.empty()) answer.swap(answers.front()), answers.pop_front();
    return answer;
}

struct World : Clock, Prompts, Beeper, CardLibrary, Shutdown, ProgramEnd, TerminalView {
    QTemporaryDir dir;
    QDateTime now{QDate(2026, 7, 1), QTime(9, 5, 3)};
    std::deque<QString> answers; // input boxes; none left: cancelled
    std::deque<QString> panel;   // times chosen on the panel
    QStringList asked, messages, questions;
    QByteArray card;   // the IDm on the reader; "" none
    int32_t fault = 0; // below zero: what the reads answer instead
    int beeps = 0, powerOffs = 0, exitCode = -1;
    Screen screen;
    std::function<void()> onWait = [] {}, inRegistration = [] {};

    QString timeText() const override { return now.toString(u"H:mm:ss"); }
    QString dateText() const override { return now.toString(u"yyyy/MM/dd"); }
    void sleep(std::chrono::milliseconds ms) override { now = now.addMSecs(ms.count()); }
    QString inputBox(const QString& prompt) override { return asked << prompt, next(answers); }
    void messageBox(const QString& text) override { messages << text; }
    void beep() override { ++beeps; }
    int32_t getIdm(int32_t, char* buffer) override {
        if (fault < 0) return fault;
        std::memcpy(buffer, card.constData(), size_t(card.size()));
        return card.isEmpty() ? -1 : int32_t(card.size());
    }
    void requestPowerOff() override { ++powerOffs; }
    void endProgram(int code) override { exitCode = code; }
    void draw(const Screen& s) override { screen = s; }
    void repaintNow() override { onWait(); }
    void dropQueuedInput() override {}
    QString askTime(const QString& question, const QString&) override {
        now = now.addSecs(20); // an answer takes a while
        return questions << question, next(panel);
    }
    void showRegistration() override { inRegistration(); }

    Services services() {
        return {*this, *this, *this, *this, *this, *this, DataFolder(QDir(dir.path()))};
    }
    void at(const char* hms) {
        now.setTime(QTime::fromString(QString::fromLatin1(hms), u"H:mm:ss"));
    }
    QByteArray read(const QString& name) const {
        QFile f(dir.filePath(name));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : "(missing)";
    }
    void write(const QString& name, const QByteArray& bytes) const {
        QFile f(dir.filePath(name));
        (void)f.open(QIODevice::WriteOnly), f.write(bytes);
    }
};

} // namespace velmora::test
