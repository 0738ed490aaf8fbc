#include "desktop/x11/FullScreenHold.h"

#include "desktop/x11/Connection.h"

#include <algorithm>

#include <unistd.h>

namespace desk {

FullScreenHold::FullScreenHold(OwnWindow ownWindow)
    : x_(std::make_unique<x11::Connection>()), ownWindow_(std::move(ownWindow)) {
    if (!x_->ok())
        return;
    netActiveWindow_ = x_->atom("_NET_ACTIVE_WINDOW");
    netWmState_ = x_->atom("_NET_WM_STATE");
    netWmStateFullscreen_ = x_->atom("_NET_WM_STATE_FULLSCREEN");
    netWmPid_ = x_->atom("_NET_WM_PID");
    x_->setHandler([this](const xcb_generic_event_t& event) { handle(event); });
    // Listening first, then reading: a change in between is then told, not lost.
    const std::uint32_t mask = XCB_EVENT_MASK_PROPERTY_CHANGE;
    xcb_change_window_attributes(x_->get(), x_->root(), XCB_CW_EVENT_MASK, &mask);
    followActiveWindow();
    update(false);
}

FullScreenHold::~FullScreenHold() = default;

QString FullScreenHold::name() const {
    return QStringLiteral("X11");
}

bool FullScreenHold::available() const {
    return x_->ok() && netActiveWindow_ != XCB_ATOM_NONE && netWmState_ != XCB_ATOM_NONE;
}

void FullScreenHold::handle(const xcb_generic_event_t& event) {
    // Errors (a window gone before it could be asked) leave the last answer standing until the
    // window manager names the next active window.
    if ((event.response_type & 0x7f) != XCB_PROPERTY_NOTIFY)
        return;
    const auto& notify = reinterpret_cast<const xcb_property_notify_event_t&>(event);
    if (notify.window == x_->root() && notify.atom == netActiveWindow_) {
        followActiveWindow();
        update(true);
    } else if (notify.window == active_ && active_ != XCB_NONE && notify.atom == netWmState_) {
        update(true);
    }
}

void FullScreenHold::followActiveWindow() {
    const std::vector<std::uint32_t> active =
        x_->property32(x_->root(), netActiveWindow_, XCB_ATOM_WINDOW);
    const xcb_window_t window = active.empty() ? xcb_window_t(XCB_NONE) : active.front();
    if (window == active_)
        return;
    xcb_connection_t* c = x_->get();
    // The previous window (if it still exists) need not tell of its changes any more.
    const std::uint32_t none = XCB_EVENT_MASK_NO_EVENT;
    if (active_ != XCB_NONE)
        xcb_change_window_attributes(c, active_, XCB_CW_EVENT_MASK, &none);
    active_ = window;
    activeIsOwn_ = active_ != XCB_NONE && isOwn(active_);
    // The program's own window never holds, and its caption changes every second while it
    // counts down: its changes are not listened to.
    if (active_ != XCB_NONE && !activeIsOwn_) {
        const std::uint32_t mask = XCB_EVENT_MASK_PROPERTY_CHANGE;
        xcb_change_window_attributes(c, active_, XCB_CW_EVENT_MASK, &mask);
    }
}

bool FullScreenHold::isOwn(xcb_window_t window) const {
    if (ownWindow_)
        return ownWindow_(window);
    const std::vector<std::uint32_t> pid = x_->property32(window, netWmPid_, XCB_ATOM_CARDINAL);
    return !pid.empty() && pid.front() == std::uint32_t(getpid());
}

void FullScreenHold::update(bool tell) {
    bool fullScreen = false;
    if (active_ != XCB_NONE && !activeIsOwn_) {
        const std::vector<std::uint32_t> state =
            x_->property32(active_, netWmState_, XCB_ATOM_ATOM);
        fullScreen = std::find(state.begin(), state.end(), netWmStateFullscreen_) != state.end();
    }
    x_->flush();
    if (fullScreen == holding_)
        return;
    holding_ = fullScreen;
    if (tell && changed)
        changed();
}

} // namespace desk
