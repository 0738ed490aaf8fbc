#pragma once

#include <QObject>
#include <QTimer>

#include <functional>

namespace rt {

// A message timer on the user-interface thread with the two properties the program uses.
// Precise, because a coarse timer drifts by several milliseconds on every period. Periods of a
// tenth of a second or more keep in step with each other: the first tick comes at the next
// multiple of the period on the monotonic clock, so timers of equal (or dividing) periods
// expire in the same wake-up of the program instead of one wake-up each.
class Timer {
public:
    explicit Timer(int intervalMs = 1000);

    void setEnabled(bool enabled);
    bool enabled() const { return enabled_; }
    // A new period restarts a running timer with that period.
    void setInterval(int ms);
    // Sets the period and, when running, starts it afresh from now whatever it was, not in step
    // with other timers: for a timer that works out on each tick when it is next needed.
    void setIntervalFromNow(int ms);
    int interval() const { return interval_; }

    std::function<void()> onTimer;

    // Milliseconds from `nowMs` (monotonic) to the first tick of a timer started then.
    static int firstDelay(qint64 nowMs, int intervalMs);

private:
    void start();
    void fired();

    QTimer timer_;
    int interval_;
    bool enabled_ = false;
    bool aligning_ = false;
};

} // namespace rt
