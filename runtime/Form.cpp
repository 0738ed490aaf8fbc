#include "runtime/Form.h"

#include "runtime/Accessibility.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCloseEvent>
#include <QEventLoop>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QPalette>
#include <QPointer>
#include <QScreen>
#include <QTimer>
#include <QWindow>
#include <qguiapplication_platform.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <thread>

#include <xcb/xcb.h>

namespace rt {

namespace {

xcb_atom_t internAtom(xcb_connection_t* c, const char* name) {
    xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(
        c, xcb_intern_atom(c, 0, std::uint16_t(std::strlen(name)), name), nullptr);
    const xcb_atom_t atom = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
    std::free(reply);
    return atom;
}

xcb_connection_t* x11Connection() {
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return x11 ? x11->connection() : nullptr;
}

xcb_window_t rootWindow(xcb_connection_t* c) {
    return xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
}

// Up to `count` 32-bit values of a window's property of the given type; fewer when it has fewer.
std::vector<std::uint32_t> property32(xcb_connection_t* c, xcb_window_t window, xcb_atom_t name,
                                      xcb_atom_t type, std::uint32_t count) {
    std::vector<std::uint32_t> values;
    xcb_get_property_reply_t* reply =
        xcb_get_property_reply(c, xcb_get_property(c, 0, window, name, type, 0, count), nullptr);
    if (reply && reply->format == 32 && reply->type == type) {
        const auto* data = static_cast<const std::uint32_t*>(xcb_get_property_value(reply));
        values.assign(data, data + xcb_get_property_value_length(reply) / 4);
    }
    std::free(reply);
    return values;
}

enum class Manager { Unknown, None, Frames, Silent };

// Whether a window manager runs on the display, and whether it tells a window's frame before
// the window is shown: asked once per run. A manager runs when the root window names a check
// window that names itself (a manager that ended leaves a stale name behind). Without an X
// display there is nobody to ask.
Manager windowManager() {
    static Manager known = Manager::Unknown;
    if (known != Manager::Unknown)
        return known;
    xcb_connection_t* c = x11Connection();
    if (!c)
        return Manager::Unknown;
    const xcb_atom_t check = internAtom(c, "_NET_SUPPORTING_WM_CHECK");
    const xcb_window_t root = rootWindow(c);
    const auto named = property32(c, root, check, XCB_ATOM_WINDOW, 1);
    const bool running = !named.empty() && named[0] != XCB_NONE &&
                         property32(c, named[0], check, XCB_ATOM_WINDOW, 1) == named;
    if (!running) {
        known = Manager::None;
        return known;
    }
    const xcb_atom_t request = internAtom(c, "_NET_REQUEST_FRAME_EXTENTS");
    const auto supported =
        property32(c, root, internAtom(c, "_NET_SUPPORTED"), XCB_ATOM_ATOM, 1024);
    known = std::find(supported.begin(), supported.end(), request) != supported.end()
                ? Manager::Frames
                : Manager::Silent;
    return known;
}

// The window a modal window is opened from: the active one, else one that is shown; never a
// message box, which goes away on its own.
QWidget* openerOf(const QWidget* modal) {
    const auto fits = [modal](QWidget* w) {
        return w && w != modal && w->isVisible() && !w->inherits("QMessageBox");
    };
    if (QWidget* active = QApplication::activeWindow(); fits(active))
        return active;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (fits(w))
            return w;
    return nullptr;
}

} // namespace

// A caption that changes every second (the countdowns) goes straight to the window's two name
// properties in one flush: Qt's own path does more round trips, and each comes back to the
// program as events that wake it once more. Both names are set, since panels and tools read
// either. The native window is asked for anew each time: Qt replaces it when the frame changes.
bool Form::setX11Title(const QString& title) {
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    QWindow* window = windowHandle();
    if (!x11 || !window || !window->handle())
        return false;
    xcb_connection_t* c = x11->connection();
    if (!c)
        return false;
    if (netWmName_ == 0) {
        netWmName_ = internAtom(c, "_NET_WM_NAME");
        utf8String_ = internAtom(c, "UTF8_STRING");
    }
    if (netWmName_ == XCB_ATOM_NONE || utf8String_ == XCB_ATOM_NONE)
        return false;
    const auto id = xcb_window_t(window->winId());
    const QByteArray utf8 = title.toUtf8();
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, id, netWmName_, utf8String_, 8,
                        std::uint32_t(utf8.size()), utf8.constData());
    // WM_NAME of type STRING is Latin-1; every caption of the program is.
    const bool latin1 =
        std::all_of(title.begin(), title.end(), [](QChar ch) { return ch.unicode() <= 0xff; });
    const QByteArray legacy = latin1 ? title.toLatin1() : utf8;
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, id, XCB_ATOM_WM_NAME,
                        latin1 ? xcb_atom_t(XCB_ATOM_STRING) : xcb_atom_t(utf8String_), 8,
                        std::uint32_t(legacy.size()), legacy.constData());
    // By the third caption the window manager has framed the window and told its frame.
    if (++titleWrites_ >= 3 && !refitPending_)
        listenToProperties(false);
    xcb_flush(c);
    return true;
}

// Property changes on our window tell of the frame (_NET_FRAME_EXTENTS) and of what the window
// manager did to the window (minimised, maximised); while the window only counts down, none of
// that changes, and without them the program wakes once a second instead of three or four
// times. Everything that moves, reframes or raises the window listens again first.
void Form::listenToProperties(bool listen) {
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    xcb_connection_t* c = x11 ? x11->connection() : nullptr;
    if (!c)
        return;
    if (listen) {
        if (deafWindow_ == 0)
            return;
        xcb_change_window_attributes(c, deafWindow_, XCB_CW_EVENT_MASK, &listeningMask_);
        xcb_flush(c);
        deafWindow_ = 0;
        return;
    }
    QWindow* window = windowHandle();
    if (deafWindow_ != 0 || !window || !window->handle())
        return;
    const auto id = xcb_window_t(window->winId());
    xcb_get_window_attributes_reply_t* reply =
        xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, id), nullptr);
    if (!reply)
        return;
    listeningMask_ = reply->your_event_mask;
    std::free(reply);
    if (!(listeningMask_ & XCB_EVENT_MASK_PROPERTY_CHANGE))
        return;
    const std::uint32_t deaf = listeningMask_ & ~std::uint32_t(XCB_EVENT_MASK_PROPERTY_CHANGE);
    xcb_change_window_attributes(c, id, XCB_CW_EVENT_MASK, &deaf);
    deafWindow_ = id;
}

Form::Form(QWidget* parent) : QWidget(parent, Qt::Window) {
    registerAccessibleRoles();
    if (qApp)
        connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) {
            if (now && now != this && now->window() == this && !tabOnly(now))
                lastFocus_ = now;
        });
    applyFlags();
    applyGeometry();
    constructed_ = true;
}

void Form::setBorder(Border border) {
    if (border == border_)
        return;
    // Where the window is now, reckoned with the frame it has now.
    left_ = left();
    top_ = top();
    border_ = border;
    applyFlags();
    applyGeometry();
}

void Form::setFrame(Border border, bool onTop) {
    if (border == border_ && onTop == onTop_)
        return;
    left_ = left();
    top_ = top();
    border_ = border;
    onTop_ = onTop;
    applyFlags();
    applyGeometry();
}

void Form::setStayOnTop(bool onTop) {
    if (onTop == onTop_)
        return;
    left_ = left();
    top_ = top();
    onTop_ = onTop;
    applyFlags();
}

void Form::applyFlags() {
    listenToProperties(true);
    const bool wasVisible = isVisible();
    // The user working in the window keeps it, on the same control; anyone else keeps theirs.
    const bool wasActive = wasVisible && isActiveWindow();
    const QPointer<QWidget> focused = focusWidget();
    // A window shown modally is a dialog of the window it was opened from, with a close button
    // only: minimised, it would leave the program with no window the user can work in.
    Qt::WindowFlags flags = dialog_ ? Qt::Dialog : Qt::Window;
    if (border_ == Border::None)
        flags |= Qt::FramelessWindowHint;
    else
        flags |= Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint;
    if (border_ == Border::Dialog && !dialog_)
        flags |= Qt::WindowMinimizeButtonHint;
    if (onTop_)
        flags |= Qt::WindowStaysOnTopHint;
    if (flags == windowFlags())
        return;
    // Changing the flags of a shown window hides it and Qt makes a new native window when it
    // shows again; the window must come back where it was (left_, top_), with its caption.
    setWindowFlags(flags);
    sentCaption_ = caption_;
    setWindowTitle(caption_);
    applyGeometry();
    if (!wasVisible)
        return;
    activeWhenHidden_ = wasActive;
    const bool marked = testAttribute(Qt::WA_KeyboardFocusChange);
    show();
    if (wasActive) {
        activateWindow();
        if (focused && focused->window() == this)
            focused->setFocus(Qt::OtherFocusReason);
    }
    // A new native window forgets that the keyboard was in use.
    setAttribute(Qt::WA_KeyboardFocusChange, marked);
    keepFocus();
}

void Form::setTabOnly(QWidget* control) {
    control->setFocusPolicy(Qt::TabFocus);
    control->setProperty("quilletTabOnly", true);
}

bool Form::tabOnly(const QWidget* control) {
    return control->property("quilletTabOnly").toBool();
}

void Form::keepFocus(QWidget* preferred) {
    QWidget* focused = focusWidget();
    const auto usable = [this](const QWidget* w) {
        return w && w->window() == this && w->isVisible() && w->isEnabled() &&
               w->focusPolicy() != Qt::NoFocus;
    };
    if (usable(focused))
        return;
    if (focused) {
        lastFocus_ = focused; // had it until it was hidden
        focused->clearFocus();
    }
    QWidget* target = nullptr;
    if (usable(preferred))
        target = preferred;
    else if (usable(lastFocus_))
        target = lastFocus_;
    else
        for (QWidget* control : controlsByRows(this))
            if (!tabOnly(control)) {
                target = control;
                break;
            }
    if (target)
        showFocus(target);
}

void Form::setVisible(bool visible) {
    if (!visible || isVisible() || !shownOnce_ || activeWhenHidden_) {
        QWidget::setVisible(visible);
        shownOnce_ = shownOnce_ || visible;
        return;
    }
    // Shown without the window manager giving it the focus: X11 window managers read a user time
    // of 0 (_NET_WM_USER_TIME) as "not asked for by the user", which Qt sets for this property.
    create();
    QWindow* window = windowHandle();
    if (window)
        window->setProperty("_q_showWithoutActivating", true);
    QWidget::setVisible(true);
    if (window)
        window->setProperty("_q_showWithoutActivating", QVariant());
}

void Form::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() != QEvent::ActivationChange || !isActiveWindow())
        return;
    keepFocus();
    if (onActivated)
        onActivated();
}

void Form::setMinimumClientSize(const QSize& size) {
    minimumClient_ = size;
    applyGeometry();
}

bool Form::onScreen() const {
    const QWindow* window = windowHandle();
    return isVisible() && window && window->handle();
}

// The dialog frame is the one the window manager last told (_NET_FRAME_EXTENTS), so that a
// new native window is placed right at once. Until it has told one, it is asked (once the form
// is made, which the question needs a native window for); without a window manager there is no
// frame; the assumed frame only where nobody can be asked.
QMargins Form::frameMargins() const {
    if (border_ == Border::None)
        return {};
    if (!frameTold_) {
        const Manager manager = windowManager();
        if (manager == Manager::None)
            return {};
        if (manager == Manager::Frames && constructed_ && !frameAsked_) {
            frameAsked_ = true;
            learnFrame();
        }
    }
    return dialogFrame_;
}

// Asks the window manager which frame it will give this window (_NET_REQUEST_FRAME_EXTENTS)
// and waits a little for the answer in _NET_FRAME_EXTENTS; true when it came. Every form of
// the program asks once; a manager that is slower to answer than that is heard later, when it
// frames the window (refitFrame).
bool Form::learnFrame() const {
    xcb_connection_t* c = x11Connection();
    if (!c)
        return false;
    const auto id = xcb_window_t(const_cast<Form*>(this)->winId());
    const xcb_atom_t extents = internAtom(c, "_NET_FRAME_EXTENTS");
    xcb_client_message_event_t ask{};
    ask.response_type = XCB_CLIENT_MESSAGE;
    ask.format = 32;
    ask.window = id;
    ask.type = internAtom(c, "_NET_REQUEST_FRAME_EXTENTS");
    xcb_send_event(c, 0, rootWindow(c),
                   XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY | XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT,
                   reinterpret_cast<const char*>(&ask));
    xcb_flush(c);
    constexpr auto kLongestWait = std::chrono::milliseconds(250);
    const auto until = std::chrono::steady_clock::now() + kLongestWait;
    for (;;) {
        // left, right, top, bottom
        const auto told = property32(c, id, extents, XCB_ATOM_CARDINAL, 4);
        if (told.size() == 4) {
            // Told in the screen's pixels; the window is placed in logical ones (half as many on
            // a screen scaled to 200 %), rounded as Qt rounds the frame it reads itself.
            const qreal ratio = devicePixelRatioF();
            const auto logical = [ratio](std::uint32_t pixels) { return qRound(pixels / ratio); };
            dialogFrame_ =
                QMargins(logical(told[0]), logical(told[2]), logical(told[1]), logical(told[3]));
            frameTold_ = true;
            return true;
        }
        if (std::chrono::steady_clock::now() >= until)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
}

// Where the window is now: a window manager or the user may have moved it.
int Form::left() const {
    return onScreen() ? windowHandle()->geometry().x() - frameMargins().left() : left_;
}
int Form::top() const {
    return onScreen() ? windowHandle()->geometry().y() - frameMargins().top() : top_;
}

int Form::clientWidth() const {
    const QMargins m = frameMargins();
    return std::max(0, width_ - m.left() - m.right());
}
int Form::clientHeight() const {
    const QMargins m = frameMargins();
    return std::max(0, height_ - m.top() - m.bottom());
}

void Form::setBounds(int left, int top, int width, int height) {
    left_ = left;
    top_ = top;
    width_ = width;
    height_ = height;
    applyGeometry();
}

void Form::centreOn(int screenWidth, int screenHeight) {
    centreOn(QRect(0, 0, screenWidth, screenHeight));
}

void Form::centreOn(const QRect& area) {
    setBounds(area.x() + (area.width() - width_) / 2, area.y() + (area.height() - height_) / 2,
              width_, height_);
}

// The client area goes where the outer rectangle minus the frame says. Qt's own placement of a
// top-level window reckons with the frame it saw last, which is wrong right after the frame
// changed (a frameless window lands off by the old frame); so the client rectangle is given.
void Form::applyGeometry() {
    listenToProperties(true);
    const QMargins m = frameMargins();
    placedFrame_ = m;
    if (border_ == Border::Dialog && !minimumClient_.isEmpty()) {
        width_ = std::max(width_, minimumClient_.width() + m.left() + m.right());
        height_ = std::max(height_, minimumClient_.height() + m.top() + m.bottom());
    }
    const QSize client(std::max(1, width_ - m.left() - m.right()),
                       std::max(1, height_ - m.top() - m.bottom()));
    // The size cannot be dragged: it follows the board's size modes only.
    setFixedSize(client);
    setGeometry(QRect(QPoint(left_ + m.left(), top_ + m.top()), client));
    if (onGeometry)
        onGeometry();
}

// The window manager has framed a new native window (or changed its frame): when the frame is
// not the one the window was placed with, place it again.
void Form::refitFrame() {
    refitPending_ = false;
    if (!onScreen() || border_ == Border::None)
        return;
    const QMargins m = windowHandle()->frameMargins();
    if (m.isNull())
        return;
    dialogFrame_ = m;
    frameTold_ = true;
    if (m == placedFrame_)
        return;
    applyGeometry();
}

bool Form::nativeEvent(const QByteArray& eventType, void* message, qintptr* result) {
    if (eventType == "xcb_generic_event_t") {
        const auto* event = static_cast<const xcb_generic_event_t*>(message);
        // The window manager gave the keyboard to this window (a prompt that came up from the
        // active board, the board back from a prompt): looked at once Qt has taken the event.
        if ((event->response_type & 0x7f) == XCB_FOCUS_IN &&
            static_cast<const xcb_focus_in_event_t*>(message)->detail != XCB_NOTIFY_DETAIL_POINTER)
            QTimer::singleShot(0, this, [this] { becomeActive(); });
        if ((event->response_type & 0x7f) == XCB_PROPERTY_NOTIFY) {
            const auto* property = static_cast<const xcb_property_notify_event_t*>(message);
            if (netFrameExtents_ == 0) {
                auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
                netFrameExtents_ = x11 && x11->connection()
                                       ? internAtom(x11->connection(), "_NET_FRAME_EXTENTS")
                                       : std::uint32_t(XCB_ATOM_NONE);
            }
            // Qt reads the new frame after this event; look at it once it has.
            if (property->atom == netFrameExtents_ && !refitPending_) {
                refitPending_ = true;
                QTimer::singleShot(0, this, [this] { refitFrame(); });
            }
        }
    }
    return QWidget::nativeEvent(eventType, message, result);
}

void Form::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    // The native window is there, not yet on the screen: placed with the frame it will get.
    if (!event->spontaneous() && frameMargins() != placedFrame_)
        applyGeometry();
    // Watched on every showing: a change of frame may bring a new native window.
    if (windowHandle())
        windowHandle()->installEventFilter(this);
    titleWrites_ = 0;
    // The native window may still carry a caption written while it was hidden, or none yet.
    sentCaption_ = caption_;
    setX11Title(caption_);
}

void Form::setColor(const QColor& color) {
    QPalette pal = palette();
    pal.setColor(QPalette::Window, color);
    setPalette(pal);
    setAutoFillBackground(true);
}

void Form::setCaption(const QString& caption) {
    caption_ = caption;
    if (!isVisible()) {
        // A hidden native window gets the caption when it is shown again (showEvent): a window
        // waiting hidden is not woken every second by its own caption's property changes.
        sentCaption_ = caption_;
        if (!windowHandle() || !windowHandle()->handle())
            setWindowTitle(caption_);
        return;
    }
    if (captionPending_)
        return;
    captionPending_ = true;
    QTimer::singleShot(0, this, [this] {
        captionPending_ = false;
        if (sentCaption_ == caption_)
            return;
        sentCaption_ = caption_;
        if (!setX11Title(caption_))
            setWindowTitle(caption_);
    });
}

void Form::showModal() {
    if (modalLoop_)
        return;
    listenToProperties(true);
    dialog_ = true;
    applyFlags();
    setWindowModality(Qt::ApplicationModal);
    // Transient for the window it was opened from: the window manager keeps it above that
    // window, and minimises and restores the two together.
    create();
    if (QWidget* opener = openerOf(this); opener && opener->windowHandle())
        windowHandle()->setTransientParent(opener->windowHandle());
    show();
    // The focus begins at the top, and shows.
    if (QWidget* focused = focusWidget())
        focused->clearFocus();
    focusNextChild();
    if (focusWidget())
        showFocus(focusWidget());
    raise();
    activateWindow();
    QEventLoop loop;
    modalLoop_ = &loop;
    loop.exec();
    modalLoop_ = nullptr;
    setWindowModality(Qt::NonModal);
}

int Form::frameMs() const {
    const QScreen* display = screen();
    const double hz = display ? display->refreshRate() : 0.0;
    return int(std::ceil(1000.0 / (hz >= 1.0 ? hz : 60.0)));
}

void Form::afterFirstFrame(std::function<void()> work) {
    constexpr int kLongestWaitMs = 500;
    afterFirstFrame_.push_back(std::move(work));
    QTimer::singleShot(0, this, [this] {
        if (isVisible() && !firstFramePainted_)
            QTimer::singleShot(kLongestWaitMs, this, [this] {
                firstFramePainted_ = true; // or as good as: nothing waits for it again
                runAfterFirstFrame();
            });
        else
            runAfterFirstFrame();
    });
}

void Form::runAfterFirstFrame() {
    std::vector<std::function<void()>> work;
    work.swap(afterFirstFrame_);
    for (auto& w : work)
        w();
}

// The first exposure of the native window paints the whole window before the event returns:
// what waits for the first frame follows right after.
bool Form::eventFilter(QObject* watched, QEvent* event) {
    if (watched != windowHandle())
        return QWidget::eventFilter(watched, event);
    const QEvent::Type type = event->type();
    if (type == QEvent::Expose && windowHandle()->isExposed() && !firstFramePainted_) {
        firstFramePainted_ = true;
        QTimer::singleShot(0, this, [this] { runAfterFirstFrame(); });
    }
    // Where the window manager's focus did not reach us as such, the window would take keys
    // without being active (no focus frame, no screen reader told): the user's first click or key
    // into it makes it active.
    if (type == QEvent::MouseButtonPress || type == QEvent::KeyPress)
        becomeActive();
    return QWidget::eventFilter(watched, event);
}

// Qt still counts the window as the focused one after its native window was made anew, so the
// window manager's focus on the new one tells Qt nothing: the window is made active by hand.
void Form::becomeActive() {
    if (isVisible() && QGuiApplication::focusWindow() == windowHandle() &&
        QApplication::activeWindow() != this && !QApplication::activePopupWidget() &&
        !QApplication::activeModalWidget())
        QApplication::setActiveWindow(this);
}

void Form::bringToFront() {
    // Minimised while not listening, the window is unmapped without Qt knowing why: ask for it
    // to be mapped again, which is how a client takes its window back from an icon.
    if (deafWindow_ != 0) {
        auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
        if (xcb_connection_t* c = x11 ? x11->connection() : nullptr)
            xcb_map_window(c, deafWindow_);
    }
    listenToProperties(true);
    if (isMinimized())
        setWindowState(windowState() & ~Qt::WindowMinimized);
    show();
    raise();
    activateWindow();
}

void Form::hideEvent(QHideEvent* event) {
    listenToProperties(true);
    if (!event->spontaneous())
        activeWhenHidden_ = isActiveWindow();
    QWidget::hideEvent(event);
    // Only closing ends a modal session. A window manager that minimises the window or takes it
    // off the screen sends a hide of its own; ending the session then would leave a window that
    // Escape no longer closes and a program whose other windows stay locked.
    if (modalLoop_ && !event->spontaneous())
        modalLoop_->quit();
}

// A window shown modally closes with Escape, as dialogs do. Enter presses the button that has
// the focus (a check box keeps to Space).
void Form::keyPressEvent(QKeyEvent* event) {
    if (onKey && onKey(event->key()))
        return;
    if (modalLoop_ && event->key() == Qt::Key_Escape) {
        close();
        return;
    }
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        auto* button = qobject_cast<QAbstractButton*>(focusWidget());
        if (button && !button->isCheckable() && button->isEnabled() && button->isVisible() &&
            !event->isAutoRepeat()) {
            button->click();
            return;
        }
    }
    QWidget::keyPressEvent(event);
}

// Tab goes through the controls row by row as they lie on the screen, whatever order they were
// made in, and round from the last to the first.
bool Form::focusNextPrevChild(bool next) {
    const std::vector<QWidget*> controls = controlsByRows(this);
    if (controls.empty())
        return false;
    const auto n = std::ptrdiff_t(controls.size());
    const QWidget* focused = focusWidget();
    const auto at = std::find_if(controls.begin(), controls.end(),
                                 [focused](const QWidget* c) {
                                     return focused && (c == focused || c->isAncestorOf(focused));
                                 }) -
                    controls.begin();
    std::ptrdiff_t to = next ? at + 1 : at - 1;
    if (at == n) // no control of the window has the focus: the first or the last
        to = next ? 0 : n - 1;
    controls[size_t((to + n) % n)]->setFocus(next ? Qt::TabFocusReason : Qt::BacktabFocusReason);
    return true;
}

void Form::closeEvent(QCloseEvent* event) {
    if (onClose)
        onClose();
    event->accept();
}

} // namespace rt
