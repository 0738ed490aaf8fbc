#pragma once

#include "desktop/Sources.h"

#include <xcb/sync.h>
#include <xcb/xcb.h>

#include <cstdint>
#include <memory>

namespace rt {
class Clock;
}

namespace desk {

namespace x11 {
class Connection;
}

// The user's input idle time as the X server counts it (the IDLETIME counter of the SYNC
// extension). The server itself tells when the idle time reaches the threshold and, once the
// user is away, when it drops again (any key or pointer input): two alarms, no polling.
class X11IdleSource final : public AwaySource {
public:
    // `clock` gives the readings reported as the start of an absence; it must outlive this.
    explicit X11IdleSource(const rt::Clock& clock);
    ~X11IdleSource() override;

    // Whether an X11 idle time means anything here: under Wayland XWayland only counts the
    // input to X11 programs.
    static bool usable();

    QString name() const override;
    bool available() const override;
    // Arms the alarm at `ms` of idle time; 0 or less disarms it. A user already idle that long
    // is reported away at once (from the event loop). Nothing is reported before it is called.
    void setIdleThresholdMs(std::int64_t ms) override;

    // The server's idle time now, or -1 when the source is unavailable.
    std::int64_t idleMs() const;
    bool away() const { return away_; }

private:
    void handle(const xcb_generic_event_t& event);
    void armAwayAlarm();
    void reportAwayIfIdle();
    void goAway(std::int64_t idle);
    void comeBack();

    const rt::Clock& clock_;
    std::unique_ptr<x11::Connection> x_;
    std::uint8_t firstEvent_ = 0;
    xcb_sync_counter_t idleCounter_ = XCB_NONE;
    // Fires when the idle time rises to the threshold.
    xcb_sync_alarm_t awayAlarm_ = XCB_NONE;
    // Exists while away; fires when the idle time falls back to (almost) nothing.
    xcb_sync_alarm_t backAlarm_ = XCB_NONE;
    std::int64_t thresholdMs_ = 0;
    bool away_ = false;
};

} // namespace desk
