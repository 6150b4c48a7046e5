#include "app/realservices.h"

#include <QApplication>
#include <QDate>
#include <QThread>
#include <QTime>
#include <cstdio>
#include <cstdlib>

namespace velmora {

QString SystemClock::timeText() const { return QTime::currentTime().toString(u"H:mm:ss"); }

QString SystemClock::dateText() const { return QDate::currentDate().toString(u"yyyy/MM/dd"); }

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
