#include "runtime/Timer.h"

namespace rt {

Timer::Timer(int intervalMs) : interval_(intervalMs) {
    timer_.setTimerType(Qt::PreciseTimer);
    QObject::connect(&timer_, &QTimer::timeout, [this] {
        if (enabled_ && onTimer)
            onTimer();
    });
}

void Timer::setEnabled(bool enabled) {
    if (enabled == enabled_)
        return;
    enabled_ = enabled;
    if (enabled)
        timer_.start(interval_);
    else
        timer_.stop();
}

void Timer::setInterval(int ms) {
    if (ms == interval_)
        return;
    interval_ = ms;
    if (enabled_)
        timer_.start(interval_);
}

} // namespace rt
