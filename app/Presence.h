#pragma once

#include <cstdint>
#include <functional>

// What the board asks of the desktop before it shows a reminder: whether the user is away on a
// natural break, and whether a prompt must wait (a full-screen window, do-not-disturb, a video or
// a call). The board knows the desktop only through this.
class Presence {
public:
    virtual ~Presence() = default;
    // The user has been away (no input, screen locked, machine asleep) for at least the length of
    // a natural break and is not back yet.
    virtual bool OnBreak() = 0;
    // A prompt that falls due now waits.
    virtual bool HoldsPrompts() = 0;
    // How long the natural break just ended lasted (when BreakEnded is told).
    virtual std::int64_t LastBreakMs() const { return 0; }
    // A guided sequence ended now: the time in it was no absence, however still the user sat.
    virtual void GuidedUntilNow() {}

    // Set by the board: the user is back from a natural break.
    std::function<void()> BreakEnded;
};
