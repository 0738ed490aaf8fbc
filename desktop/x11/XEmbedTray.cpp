#include "desktop/x11/XEmbedTray.h"

#include "desktop/x11/Connection.h"

#include <xcb/xfixes.h>

#include <cstdlib>
#include <string>

namespace desk {

XEmbedTray::XEmbedTray() : x_(std::make_unique<x11::Connection>()) {
    if (!x_->ok())
        return;
    xcb_connection_t* c = x_->get();
    const xcb_query_extension_reply_t* xfixes = xcb_get_extension_data(c, &xcb_xfixes_id);
    if (!xfixes || !xfixes->present)
        return;
    // The extension answers nothing before its version is agreed.
    std::free(xcb_xfixes_query_version_reply(
        c, xcb_xfixes_query_version(c, XCB_XFIXES_MAJOR_VERSION, XCB_XFIXES_MINOR_VERSION),
        nullptr));
    selectionNotify_ = std::uint8_t(xfixes->first_event + XCB_XFIXES_SELECTION_NOTIFY);
    const std::string name = "_NET_SYSTEM_TRAY_S" + std::to_string(x_->screenNumber());
    selection_ = x_->atom(name.c_str());
    if (selection_ == XCB_ATOM_NONE)
        return;
    x_->setHandler([this](const xcb_generic_event_t& event) { handle(event); });
    // Listening first, then asking: a tray that comes in between is told, not missed.
    xcb_xfixes_select_selection_input(c, x_->root(), selection_,
                                      XCB_XFIXES_SELECTION_EVENT_MASK_SET_SELECTION_OWNER |
                                          XCB_XFIXES_SELECTION_EVENT_MASK_SELECTION_WINDOW_DESTROY |
                                          XCB_XFIXES_SELECTION_EVENT_MASK_SELECTION_CLIENT_CLOSE);
    xcb_get_selection_owner_reply_t* reply =
        xcb_get_selection_owner_reply(c, xcb_get_selection_owner(c, selection_), nullptr);
    if (!reply)
        return;
    owner_ = reply->owner;
    std::free(reply);
    watching_ = true;
    x_->flush();
}

XEmbedTray::~XEmbedTray() = default;

bool XEmbedTray::available() const {
    return watching_ && x_->ok();
}

void XEmbedTray::handle(const xcb_generic_event_t& event) {
    if (selectionNotify_ == 0 || (event.response_type & 0x7f) != selectionNotify_)
        return;
    const auto& notify = reinterpret_cast<const xcb_xfixes_selection_notify_event_t&>(event);
    if (notify.selection != selection_)
        return;
    // A window destroyed or a client gone leaves no owner; a new owner is named.
    ownerIs(notify.subtype == XCB_XFIXES_SELECTION_EVENT_SET_SELECTION_OWNER ? notify.owner
                                                                             : XCB_NONE);
}

void XEmbedTray::ownerIs(xcb_window_t owner) {
    if (owner == owner_)
        return;
    const xcb_window_t before = owner_;
    owner_ = owner;
    if (!changed)
        return;
    if (before != XCB_NONE && owner != XCB_NONE)
        changed(false);
    changed(owner != XCB_NONE);
}

} // namespace desk
