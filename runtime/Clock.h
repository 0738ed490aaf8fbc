#pragma once

namespace rt {

// Every reading of the time of day goes through a Clock, so that tests can move time by hand.
class Clock {
public:
    virtual ~Clock() = default;
    // Milliseconds since local midnight, 0 .. 86 399 999.
    virtual int msOfDay() const = 0;
    // Seconds since local midnight, 0 .. 86 399 (milliseconds dropped).
    int secondsOfDay() const { return msOfDay() / 1000; }
};

// The local wall clock. Read it on one thread.
class SystemClock final : public Clock {
public:
    int msOfDay() const override;

private:
    mutable long long nextZoneCheck_ = 0; // when the time zone is read again (epoch seconds)
};

// A clock that only moves when told to; for tests and tools.
class ManualClock final : public Clock {
public:
    explicit ManualClock(int h = 12, int m = 0, int s = 0, int ms = 0) { set(h, m, s, ms); }
    int msOfDay() const override { return ms_; }
    void set(int h, int m, int s, int ms = 0) { ms_ = ((h * 60 + m) * 60 + s) * 1000 + ms; }
    // Moves forward, wrapping at midnight like the wall clock does.
    void advanceMs(int ms) { ms_ = (ms_ + ms) % kMsPerDay; }
    void advance(int seconds) { advanceMs(seconds * 1000); }

private:
    static constexpr int kMsPerDay = 86'400'000;
    int ms_ = 0;
};

} // namespace rt
