#include "doubles.h"

#include "cp932.h"

#include <QDialog>
#include <QFile>
#include <cstring>
#include <gtest/gtest.h>

namespace velmora::test {

void FakeClock::set(const QString& hms, const QString& ymd) {
    QTime time = QTime::fromString(hms, u"H:mm:ss");
    now_.setTime(time);
    if (!ymd.isEmpty()) now_.setDate(QDate::fromString(ymd, u"yyyy/MM/dd"));
}

QString FakeClock::timeText() const {
    return now_.time().toString(leadingZero_ ? u"HH:mm:ss" : u"H:mm:ss");
}

QString FakeClock::dateText() const { return now_.date().toString(u"yyyy/MM/dd"); }

void FakeClock::sleep(std::chrono::milliseconds duration) {
    slept += duration;
    advance(duration);
    if (onSleep) onSleep();
}

QString ScriptedPrompts::inputBox(const QString& prompt) {
    inputPrompts << prompt;
    if (answers.empty()) return {};
    QString answer = answers.front();
    answers.pop_front();
    return answer;
}

void ScriptedPrompts::showModal(QDialog& window) {
    ++modalsShown;
    window.show();
    if (!modalScripts.empty()) {
        auto script = std::move(modalScripts.front());
        modalScripts.pop_front();
        script(window);
    }
    if (window.isVisible()) window.close();
}

int32_t FakeCardLibrary::get_idm(int32_t mode, char* buffer) {
    ++reads;
    if (onRead) onRead();
    EXPECT_EQ(mode, 12960);
    std::memcpy(buffer, written.constData(), size_t(std::min<qsizetype>(written.size(), 1024)));
    return result;
}

void RecordingShutdown::ShutdownSystem() {
    ++requests;
    if (onRequest) onRequest();
}

QByteArray TestWorld::read(const QString& name) const {
    QFile file(path(name));
    if (!file.open(QIODevice::ReadOnly)) return {};
    return file.readAll();
}

void TestWorld::write(const QString& name, const QByteArray& bytes) const {
    QFile file(path(name));
    file.open(QIODevice::WriteOnly | QIODevice::Truncate);
    file.write(bytes);
}

bool TestWorld::exists(const QString& name) const { return QFile::exists(path(name)); }

QByteArray sjis(const QString& text) { return toCp932(text).value(); }

} // namespace velmora::test
