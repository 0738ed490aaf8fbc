#pragma once

#include <QString>

#include <cstdint>

// What the board is doing, read in one piece by whoever shows or tells it (the status icon, the
// record, screen readers): built afresh from the board's own state on every call.
struct BoardStatus {
    // The board's three sizes: the whole screen, the middle window, the small window.
    enum class Size : std::uint8_t { Full = 1, Window = 2, Small = 3 };

    // Where a countdown stands.
    enum class Countdown : std::uint8_t {
        Off,      // switched off in the settings, or the time switch is off
        Counting, // running down to `dueMs`
        Stopped,  // not counting: a sequence runs, or the other one's prompt is on the screen
        Held,     // due, but waiting (the user away, a full-screen window, ...)
        Shown,    // its prompt is on the screen
    };
    struct Reminder {
        Countdown state = Countdown::Off;
        std::int64_t startMs = 0; // the moment it last started afresh, on the board's clock
        std::int64_t dueMs = 0;   // the moment it falls due
    };

    Size size = Size::Full;
    bool timeSwitchOn = false;
    int sequence = -1; // the sequence running: 0 breathing .. 3 relaxation; -1 none
    Reminder train;
    Reminder watchdog;
    QString pauseCaption; // empty unless the reminders are paused ("Pause bis 15:30")
    // The prompt on the screen may be put off ("Später") by this many minutes.
    bool canPostpone = false;
    int postponeMinutes = 5;

    bool paused() const { return !pauseCaption.isEmpty(); }
    bool promptShown() const {
        return train.state == Countdown::Shown || watchdog.state == Countdown::Shown;
    }
};
