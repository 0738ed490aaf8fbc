#include "desktop/x11/Connection.h"

#include <QMetaObject>
#include <QSocketNotifier>

#include <cstdlib>
#include <cstring>

namespace desk::x11 {

bool x11Session() {
    const char* display = std::getenv("DISPLAY");
    if (!display || !*display)
        return false;
    const char* type = std::getenv("XDG_SESSION_TYPE");
    if (type && *type)
        return std::strcmp(type, "wayland") != 0;
    // No session type told: a Wayland display beside the X one means XWayland.
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    return !wayland || !*wayland;
}

Connection::Connection() {
    const char* display = std::getenv("DISPLAY");
    if (!display || !*display)
        return;
    int screenNumber = 0;
    c_ = xcb_connect(display, &screenNumber);
    if (xcb_connection_has_error(c_))
        return;
    screen_ = screenNumber;
    xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(c_));
    for (int i = 0; it.rem && i < screenNumber; ++i)
        xcb_screen_next(&it);
    if (it.rem)
        root_ = it.data->root;
    notifier_ =
        std::make_unique<QSocketNotifier>(xcb_get_file_descriptor(c_), QSocketNotifier::Read);
    QObject::connect(notifier_.get(), &QSocketNotifier::activated, notifier_.get(),
                     [this] { dispatch(); });
}

Connection::~Connection() {
    *alive_ = false;
    notifier_.reset();
    if (c_)
        xcb_disconnect(c_);
}

bool Connection::ok() const {
    return c_ && root_ != XCB_NONE && !xcb_connection_has_error(c_);
}

xcb_atom_t Connection::atom(const char* name) const {
    if (!ok())
        return XCB_ATOM_NONE;
    xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(
        c_, xcb_intern_atom(c_, 0, std::uint16_t(std::strlen(name)), name), nullptr);
    const xcb_atom_t atom = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
    std::free(reply);
    return atom;
}

std::vector<std::uint32_t> Connection::property32(xcb_window_t window, xcb_atom_t property,
                                                  xcb_atom_t type) const {
    std::vector<std::uint32_t> values;
    if (!ok() || window == XCB_NONE || property == XCB_ATOM_NONE)
        return values;
    // A window's state lists a handful of atoms; 64 of them is far more than any carries.
    xcb_get_property_reply_t* reply =
        xcb_get_property_reply(c_, xcb_get_property(c_, 0, window, property, type, 0, 64), nullptr);
    if (reply && reply->format == 32 && reply->type == type) {
        const auto* data = static_cast<const std::uint32_t*>(xcb_get_property_value(reply));
        values.assign(data, data + xcb_get_property_value_length(reply) / 4);
    }
    std::free(reply);
    return values;
}

std::string Connection::property8(xcb_window_t window, xcb_atom_t property, xcb_atom_t type) const {
    std::string value;
    if (!ok() || window == XCB_NONE || property == XCB_ATOM_NONE)
        return value;
    xcb_get_property_reply_t* reply = xcb_get_property_reply(
        c_, xcb_get_property(c_, 0, window, property, type, 0, 256), nullptr);
    if (reply && reply->format == 8 && reply->type == type)
        value.assign(static_cast<const char*>(xcb_get_property_value(reply)),
                     std::size_t(xcb_get_property_value_length(reply)));
    std::free(reply);
    return value;
}

void Connection::flush() {
    if (!c_)
        return;
    xcb_flush(c_);
    if (dispatchPosted_ || !notifier_)
        return;
    dispatchPosted_ = true;
    QMetaObject::invokeMethod(
        notifier_.get(),
        [this] {
            dispatchPosted_ = false;
            dispatch();
        },
        Qt::QueuedConnection);
}

void Connection::post(std::function<void()> call) {
    if (notifier_)
        QMetaObject::invokeMethod(notifier_.get(), std::move(call), Qt::QueuedConnection);
}

void Connection::dispatch() {
    const std::shared_ptr<bool> alive = alive_;
    while (xcb_generic_event_t* event = xcb_poll_for_event(c_)) {
        if (handler_)
            handler_(*event);
        std::free(event);
        if (!*alive)
            return;
    }
    // A broken connection keeps its socket readable for ever; stop listening to it.
    if (xcb_connection_has_error(c_) && notifier_)
        notifier_->setEnabled(false);
    else
        xcb_flush(c_);
}

} // namespace desk::x11
