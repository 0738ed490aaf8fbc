#pragma once

#include "desktop/Sources.h"

#include <QString>
#include <QStringList>

#include <xcb/xcb.h>

#include <cstdint>
#include <functional>
#include <memory>

namespace rt {
class Clock;
}

namespace desk {

namespace x11 {
class Connection;
}

// A window's program as X11 names it (WM_CLASS): its instance ("libreoffice") and its class
// ("libreoffice-impress").
struct WindowClass {
    QString instance;
    QString name;
    bool operator==(const WindowClass&) const = default;
};

// WM_CLASS's value: the instance and the class, each ended by a NUL byte.
WindowClass windowClassOf(const char* data, int length);
// Whether the window's program is one of `programs`: its class or its instance, in any letter
// case.
bool isListed(const WindowClass& window, const QStringList& programs);

// The active window as the window manager names it (_NET_ACTIVE_WINDOW): whether it is full
// screen and which program it belongs to, and the last active window that was not one of the
// program's own. The root window and the active window are watched for changes on an X
// connection of its own, so every answer is at hand without asking the server. The program's own
// windows (its full-screen board, its settings) are neither full screen nor any program here.
class ActiveWindow {
public:
    // Whether an X11 window is one of the program's own.
    using OwnWindow = std::function<bool(std::uint32_t window)>;

    // A window manager names no window for a moment while the focus passes from one to the
    // next; only a longer time without one means that the user left every window.
    static constexpr std::int64_t kNoWindowMs = 1000;

    // Without `ownWindow`, a window is the program's own when its _NET_WM_PID is this process.
    explicit ActiveWindow(rt::Clock& clock, OwnWindow ownWindow = {});
    ~ActiveWindow();
    ActiveWindow(const ActiveWindow&) = delete;
    ActiveWindow& operator=(const ActiveWindow&) = delete;

    bool available() const;
    // The active window (XCB_NONE when none).
    std::uint32_t window() const { return active_; }
    bool fullScreen() const { return fullScreen_; }
    // The active window's program; empty for none and for the program's own.
    const WindowClass& program() const { return program_; }
    // The program of the window that was active before the program's own: the last active
    // window that was neither the program's own nor a panel or the desktop. Empty once no
    // window was active for kNoWindowMs (the desktop clicked; under Wayland, a Wayland
    // program's window in front, which XWayland does not know).
    const WindowClass& lastOther() const { return lastOther_; }

    // fullScreen() or program() changed.
    std::function<void()> fullScreenChanged;
    std::function<void()> programChanged;

private:
    void handle(const xcb_generic_event_t& event);
    void followActiveWindow();
    void update(bool tell);
    bool isOwn(xcb_window_t window) const;
    bool isPanelOrDesktop(xcb_window_t window) const;
    WindowClass classOf(xcb_window_t window) const;

    rt::Clock& clock_;
    std::unique_ptr<x11::Connection> x_;
    OwnWindow ownWindow_;
    std::int64_t noWindowSince_ = 0; // when the window manager last named none
    xcb_atom_t netActiveWindow_ = XCB_ATOM_NONE;
    xcb_atom_t netWmState_ = XCB_ATOM_NONE;
    xcb_atom_t netWmStateFullscreen_ = XCB_ATOM_NONE;
    xcb_atom_t netWmPid_ = XCB_ATOM_NONE;
    xcb_atom_t netWmWindowType_ = XCB_ATOM_NONE;
    xcb_atom_t typeDock_ = XCB_ATOM_NONE;
    xcb_atom_t typeDesktop_ = XCB_ATOM_NONE;
    xcb_window_t active_ = XCB_NONE;
    bool activeIsOwn_ = false;
    bool fullScreen_ = false;
    WindowClass program_;
    WindowClass lastOther_;
};

// A program whose window is active and that the user listed (a presentation, a recording) asks
// reminders to wait.
class ProgramHold final : public HoldSource {
public:
    explicit ProgramHold(std::shared_ptr<ActiveWindow> window);
    ~ProgramHold() override;

    QString name() const override;
    bool available() const override { return window_->available(); }
    bool holding() override { return holding_; }
    void setHeldPrograms(const QStringList& programs) override;

private:
    void update();

    std::shared_ptr<ActiveWindow> window_;
    QStringList programs_;
    bool holding_ = false;
};

} // namespace desk
