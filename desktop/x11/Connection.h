#pragma once

#include <xcb/xcb.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class QObject;
class QSocketNotifier;

namespace desk::x11 {

// Whether the desktop session is an X11 one. Under Wayland the X server (XWayland) only sees
// the input and windows of X11 programs, so what it tells is not the whole truth.
bool x11Session();

// A connection of the program's own to the X server named by $DISPLAY, apart from Qt's (which
// may not be an X11 one at all, as in the tests). Its events are read when the socket has some,
// from the event loop; nothing here wakes the program otherwise.
class Connection {
public:
    using Handler = std::function<void(const xcb_generic_event_t&)>;

    Connection();
    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    // Connected, and the connection has not broken since.
    bool ok() const;
    xcb_connection_t* get() const { return c_; }
    xcb_window_t root() const { return root_; }
    // The screen $DISPLAY names (the 0 of ":1.0").
    int screenNumber() const { return screen_; }
    // The atom of `name` (asked of the server once per call; XCB_ATOM_NONE when that fails).
    xcb_atom_t atom(const char* name) const;
    // A 32-bit property of `window` as a list (empty when missing or not 32-bit).
    std::vector<std::uint32_t> property32(xcb_window_t window, xcb_atom_t property,
                                          xcb_atom_t type) const;
    // An 8-bit property of `window` as bytes, its first kilobyte (empty when missing).
    std::string property8(xcb_window_t window, xcb_atom_t property, xcb_atom_t type) const;

    // Gets every event (and error) of the connection, in order.
    void setHandler(Handler handler) { handler_ = std::move(handler); }
    // Sends what was asked. Events that arrived while waiting for a reply sit in the library's
    // queue, where the socket no longer shows them, so they are handled from the event loop
    // right after.
    void flush();
    // Runs `call` from the event loop, unless the connection has gone by then.
    void post(std::function<void()> call);

private:
    void dispatch();

    xcb_connection_t* c_ = nullptr;
    xcb_window_t root_ = XCB_NONE;
    int screen_ = 0;
    std::unique_ptr<QSocketNotifier> notifier_;
    Handler handler_;
    bool dispatchPosted_ = false;
    // Lets a dispatch notice that a handler destroyed the connection's owner.
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

// The value of a SYNC counter or alarm as one number.
inline std::int64_t syncValue(std::int32_t hi, std::uint32_t lo) {
    return std::int64_t(std::uint64_t(std::uint32_t(hi)) << 32 | lo);
}

} // namespace desk::x11
