#include "programs/velmora/realservices.h"

#include <QApplication>
#include <QThread>
#include <cstdio>
#include <cstdlib>

namespace velmora {

SystemClock::SystemClock() {
    const QDateTime start =
        QDateTime::fromString(qEnvironmentVariable("VELMORA_TEST_CLOCK"), Qt::ISODate);
    if (start.isValid()) offsetMs_ = QDateTime::currentDateTime().msecsTo(start);
}

QDateTime SystemClock::now() const { return QDateTime::currentDateTime().addMSecs(offsetMs_); }

QString SystemClock::timeText() const { return now().toString(u"H:mm:ss"); }

QString SystemClock::dateText() const { return now().toString(u"yyyy/MM/dd"); }

void SystemClock::sleep(std::chrono::milliseconds duration) {
    QThread::msleep(static_cast<unsigned long>(duration.count()));
}

void SystemBeeper::beep() { QApplication::beep(); }

void ImmediateEnd::endProgram(int exitCode) {
    // Nothing is held open or buffered: every write is on the disk before it returns.
    std::fflush(nullptr);
    std::_Exit(exitCode);
}

} // namespace velmora
