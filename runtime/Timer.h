#pragma once

#include <QObject>
#include <QTimer>

#include <functional>

namespace rt {

// A message timer on the user-interface thread with the two properties the program uses.
// Precise, because a coarse timer drifts by several milliseconds on every period.
class Timer {
public:
    explicit Timer(int intervalMs = 1000);

    void setEnabled(bool enabled);
    bool enabled() const { return enabled_; }
    // A new period restarts a running timer with that period.
    void setInterval(int ms);
    int interval() const { return interval_; }

    std::function<void()> onTimer;

private:
    QTimer timer_;
    int interval_;
    bool enabled_ = false;
};

} // namespace rt
