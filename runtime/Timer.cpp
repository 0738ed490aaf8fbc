#include "runtime/Timer.h"

#include <QDeadlineTimer>

namespace rt {

namespace {
constexpr int kAlignFrom = 100; // shorter periods (the breathing blind) start at once
}

Timer::Timer(int intervalMs) : interval_(intervalMs) {
    timer_.setTimerType(Qt::PreciseTimer);
    QObject::connect(&timer_, &QTimer::timeout, [this] { fired(); });
}

int Timer::firstDelay(qint64 nowMs, int intervalMs) {
    if (intervalMs < kAlignFrom)
        return intervalMs;
    const int rest = int(nowMs % intervalMs);
    return intervalMs - rest;
}

void Timer::start() {
    const qint64 now = QDeadlineTimer::current(Qt::PreciseTimer).deadline();
    const int first = firstDelay(now, interval_);
    aligning_ = first != interval_;
    timer_.start(first);
}

void Timer::fired() {
    if (!enabled_)
        return;
    if (aligning_) {
        aligning_ = false;
        timer_.start(interval_);
    }
    if (onTimer)
        onTimer();
}

void Timer::setEnabled(bool enabled) {
    if (enabled == enabled_)
        return;
    enabled_ = enabled;
    if (enabled)
        start();
    else
        timer_.stop();
}

void Timer::setInterval(int ms) {
    if (ms == interval_)
        return;
    interval_ = ms;
    if (enabled_)
        start();
}

void Timer::setIntervalFromNow(int ms) {
    interval_ = ms;
    if (!enabled_)
        return;
    aligning_ = false;
    timer_.start(ms);
}

} // namespace rt
