#pragma once

#include "desktop/Sources.h"

#include <xcb/xcb.h>

#include <cstdint>
#include <functional>
#include <memory>

namespace desk {

namespace x11 {
class Connection;
}

// A full-screen window in front (a film, a presentation, a game) asks reminders to wait. The
// window manager names the active window on the root window and each window's state on the
// window itself; both are watched for changes, so the answer is always at hand. The program's
// own full-screen board holds nothing.
class FullScreenHold final : public HoldSource {
public:
    // Whether an X11 window is one of the program's own.
    using OwnWindow = std::function<bool(std::uint32_t window)>;

    // Without `ownWindow`, a window is the program's own when its _NET_WM_PID is this process.
    explicit FullScreenHold(OwnWindow ownWindow = {});
    ~FullScreenHold() override;

    QString name() const override;
    bool available() const override;
    bool holding() override { return holding_; }

    // The active window as last told (XCB_NONE when none); for tests.
    std::uint32_t activeWindow() const { return active_; }

private:
    void handle(const xcb_generic_event_t& event);
    void followActiveWindow();
    void update(bool tell);
    bool isOwn(xcb_window_t window) const;

    std::unique_ptr<x11::Connection> x_;
    OwnWindow ownWindow_;
    xcb_atom_t netActiveWindow_ = XCB_ATOM_NONE;
    xcb_atom_t netWmState_ = XCB_ATOM_NONE;
    xcb_atom_t netWmStateFullscreen_ = XCB_ATOM_NONE;
    xcb_atom_t netWmPid_ = XCB_ATOM_NONE;
    xcb_window_t active_ = XCB_NONE;
    bool activeIsOwn_ = false;
    bool holding_ = false;
};

} // namespace desk
