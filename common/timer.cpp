#include "timer.h"

namespace velmora {

Timer::Timer(int interval, QObject* parent) : QObject(parent) {
    timer_.setTimerType(Qt::PreciseTimer);
    connect(&timer_, &QTimer::timeout, this, [this] {
        if (handler_) handler_();
    });
    setInterval(interval);
}

void Timer::setInterval(int milliseconds) {
    interval_ = milliseconds;
    if (milliseconds == 0)
        timer_.stop();
    else
        timer_.start(milliseconds);
}

} // namespace velmora
