#pragma once

#include <cstdint>

namespace rt {

// Every duration of the program (countdowns, the intro, sequence steps, the stopwatch) is measured
// on a Clock. It only moves forward and keeps counting while the machine sleeps; its zero means
// nothing. Setting the system clock, a change of time zone or of summer time does not move it.
class Clock {
public:
    virtual ~Clock() = default;
    virtual std::int64_t nowMs() const = 0;
    // Whole seconds of the same clock (milliseconds dropped).
    std::int64_t nowSeconds() const { return nowMs() / 1000; }
};

// The system's boot clock (CLOCK_BOOTTIME): monotonic, and it counts the time suspended.
class SystemClock final : public Clock {
public:
    std::int64_t nowMs() const override;
};

// A clock that only moves when told to; for tests and tools. It starts at `h`:`m`:`s` worth of
// milliseconds, so that a reading looks like a time of day in a test's messages.
class ManualClock final : public Clock {
public:
    explicit ManualClock(int h = 12, int m = 0, int s = 0, int ms = 0)
        : ms_(((std::int64_t(h) * 60 + m) * 60 + s) * 1000 + ms) {}
    std::int64_t nowMs() const override { return ms_; }
    void advanceMs(std::int64_t ms) { ms_ += ms > 0 ? ms : 0; }
    void advance(std::int64_t seconds) { advanceMs(seconds * 1000); }

private:
    std::int64_t ms_;
};

} // namespace rt
