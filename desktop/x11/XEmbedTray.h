#pragma once

#include <xcb/xcb.h>

#include <cstdint>
#include <functional>
#include <memory>

namespace desk {

namespace x11 {
class Connection;
}

// The XEmbed system tray of the X server's screen (trayer, stalonetray, the notification area of
// an older panel): whichever window owns the selection _NET_SYSTEM_TRAY_S<screen>. The XFixes
// extension tells of every change of its owner, a tray that ends included, on a connection of
// its own; waiting for a tray costs nothing.
class XEmbedTray {
public:
    XEmbedTray();
    ~XEmbedTray();
    XEmbedTray(const XEmbedTray&) = delete;
    XEmbedTray& operator=(const XEmbedTray&) = delete;

    // Connected, with the XFixes extension.
    bool available() const;
    // A tray is there.
    bool owned() const { return owner_ != XCB_NONE; }
    // The tray's window; XCB_NONE when there is none.
    xcb_window_t owner() const { return owner_; }

    // A tray came or went. A tray that takes the place of another is told as the end of the old
    // one and the coming of the new, since an icon has to dock anew.
    std::function<void(bool owned)> changed;

private:
    void handle(const xcb_generic_event_t& event);
    void ownerIs(xcb_window_t owner);

    std::unique_ptr<x11::Connection> x_;
    xcb_atom_t selection_ = XCB_ATOM_NONE;
    std::uint8_t selectionNotify_ = 0; // the event code of XFixes' selection notify
    bool watching_ = false;
    xcb_window_t owner_ = XCB_NONE;
};

} // namespace desk
