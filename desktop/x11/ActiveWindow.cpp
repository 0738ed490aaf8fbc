#include "desktop/x11/ActiveWindow.h"

#include "desktop/x11/Connection.h"
#include "runtime/Clock.h"

#include <algorithm>

#include <unistd.h>

namespace desk {

WindowClass windowClassOf(const char* data, int length) {
    WindowClass c;
    if (!data || length <= 0)
        return c;
    const QByteArray bytes(data, length);
    const QByteArrayList parts = bytes.split('\0');
    c.instance = QString::fromUtf8(parts.value(0)).trimmed();
    c.name = QString::fromUtf8(parts.value(1)).trimmed();
    return c;
}

bool isListed(const WindowClass& window, const QStringList& programs) {
    return std::any_of(programs.begin(), programs.end(), [&window](const QString& p) {
        return (!window.name.isEmpty() && p.compare(window.name, Qt::CaseInsensitive) == 0) ||
               (!window.instance.isEmpty() && p.compare(window.instance, Qt::CaseInsensitive) == 0);
    });
}

ActiveWindow::ActiveWindow(rt::Clock& clock, OwnWindow ownWindow)
    : clock_(clock), x_(std::make_unique<x11::Connection>()), ownWindow_(std::move(ownWindow)) {
    if (!x_->ok())
        return;
    netActiveWindow_ = x_->atom("_NET_ACTIVE_WINDOW");
    netWmState_ = x_->atom("_NET_WM_STATE");
    netWmStateFullscreen_ = x_->atom("_NET_WM_STATE_FULLSCREEN");
    netWmPid_ = x_->atom("_NET_WM_PID");
    netWmWindowType_ = x_->atom("_NET_WM_WINDOW_TYPE");
    typeDock_ = x_->atom("_NET_WM_WINDOW_TYPE_DOCK");
    typeDesktop_ = x_->atom("_NET_WM_WINDOW_TYPE_DESKTOP");
    x_->setHandler([this](const xcb_generic_event_t& event) { handle(event); });
    // Listening first, then reading: a change in between is then told, not lost.
    const std::uint32_t mask = XCB_EVENT_MASK_PROPERTY_CHANGE;
    xcb_change_window_attributes(x_->get(), x_->root(), XCB_CW_EVENT_MASK, &mask);
    followActiveWindow();
    update(false);
}

ActiveWindow::~ActiveWindow() = default;

bool ActiveWindow::available() const {
    return x_->ok() && netActiveWindow_ != XCB_ATOM_NONE && netWmState_ != XCB_ATOM_NONE;
}

void ActiveWindow::handle(const xcb_generic_event_t& event) {
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

void ActiveWindow::followActiveWindow() {
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
    // A program names its window's class before it maps the window, once.
    const WindowClass before = program_;
    program_ = active_ != XCB_NONE && !activeIsOwn_ ? classOf(active_) : WindowClass{};
    const std::int64_t now = clock_.nowMs();
    if (active_ == XCB_NONE)
        noWindowSince_ = now;
    else if (!activeIsOwn_ && !isPanelOrDesktop(active_))
        lastOther_ = program_;
    else if (noWindowSince_ && now - noWindowSince_ >= kNoWindowMs)
        lastOther_ = {};
    if (active_ != XCB_NONE)
        noWindowSince_ = 0;
    if (program_ != before && programChanged)
        programChanged();
}

bool ActiveWindow::isOwn(xcb_window_t window) const {
    if (ownWindow_)
        return ownWindow_(window);
    const std::vector<std::uint32_t> pid = x_->property32(window, netWmPid_, XCB_ATOM_CARDINAL);
    return !pid.empty() && pid.front() == std::uint32_t(getpid());
}

// A panel (its menu opened by a click) or the desktop's icons are no program the user works in.
bool ActiveWindow::isPanelOrDesktop(xcb_window_t window) const {
    const std::vector<std::uint32_t> types =
        x_->property32(window, netWmWindowType_, XCB_ATOM_ATOM);
    return std::any_of(types.begin(), types.end(),
                       [this](std::uint32_t t) { return t == typeDock_ || t == typeDesktop_; });
}

WindowClass ActiveWindow::classOf(xcb_window_t window) const {
    const std::string value = x_->property8(window, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING);
    return windowClassOf(value.data(), int(value.size()));
}

void ActiveWindow::update(bool tell) {
    bool fullScreen = false;
    if (active_ != XCB_NONE && !activeIsOwn_) {
        const std::vector<std::uint32_t> state =
            x_->property32(active_, netWmState_, XCB_ATOM_ATOM);
        fullScreen = std::find(state.begin(), state.end(), netWmStateFullscreen_) != state.end();
    }
    x_->flush();
    if (fullScreen == fullScreen_)
        return;
    fullScreen_ = fullScreen;
    if (tell && fullScreenChanged)
        fullScreenChanged();
}

ProgramHold::ProgramHold(std::shared_ptr<ActiveWindow> window) : window_(std::move(window)) {
    window_->programChanged = [this] { update(); };
}

ProgramHold::~ProgramHold() {
    window_->programChanged = nullptr;
}

QString ProgramHold::name() const {
    return x11::x11Session() ? QStringLiteral("X11") : QStringLiteral("XWayland");
}

void ProgramHold::setHeldPrograms(const QStringList& programs) {
    programs_ = programs;
    update();
}

void ProgramHold::update() {
    const bool now = isListed(window_->program(), programs_);
    if (now == holding_)
        return;
    holding_ = now;
    if (changed)
        changed();
}

} // namespace desk
