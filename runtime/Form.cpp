#include "runtime/Form.h"

#include <QCloseEvent>
#include <QEventLoop>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QPalette>
#include <QTimer>
#include <qguiapplication_platform.h>

#include <cstdlib>
#include <cstring>

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

} // namespace

// A caption that changes every second (the countdowns) is set as the one property window
// managers read, in one request: Qt's own path sets two properties in two writes, and each
// comes back to the program as events that wake it once more.
bool Form::setX11Title(const QString& title) {
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    if (!x11 || !testAttribute(Qt::WA_WState_Created))
        return false;
    xcb_connection_t* c = x11->connection();
    if (netWmName_ == 0) {
        netWmName_ = internAtom(c, "_NET_WM_NAME");
        utf8String_ = internAtom(c, "UTF8_STRING");
    }
    if (netWmName_ == XCB_ATOM_NONE || utf8String_ == XCB_ATOM_NONE)
        return false;
    const QByteArray utf8 = title.toUtf8();
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, xcb_window_t(winId()), netWmName_, utf8String_, 8,
                        std::uint32_t(utf8.size()), utf8.constData());
    xcb_flush(c);
    return true;
}

Form::Form(QWidget* parent) : QWidget(parent, Qt::Window) {
    applyFlags();
    applyGeometry();
}

void Form::setBorder(Border border) {
    if (border == border_)
        return;
    border_ = border;
    applyFlags();
    applyGeometry();
}

void Form::setStayOnTop(bool onTop) {
    if (onTop == onTop_)
        return;
    onTop_ = onTop;
    applyFlags();
}

void Form::applyFlags() {
    const bool wasVisible = isVisible();
    Qt::WindowFlags flags = Qt::Window;
    if (border_ == Border::None)
        flags |= Qt::FramelessWindowHint;
    else
        flags |= Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                 Qt::WindowMinimizeButtonHint;
    if (onTop_)
        flags |= Qt::WindowStaysOnTopHint;
    if (flags == windowFlags())
        return;
    // Changing the flags of a shown window hides it; the window must come back where it was.
    const int l = left(), t = top();
    setWindowFlags(flags);
    // The window is made anew when it shows again, with Qt's idea of the caption.
    sentCaption_ = caption_;
    setWindowTitle(caption_);
    left_ = l;
    top_ = t;
    applyGeometry();
    if (wasVisible) {
        show();
        // The frame changed: place the window again now that the new frame is known.
        move(left_, top_);
    }
}

int Form::left() const {
    return isVisible() ? x() : left_;
}
int Form::top() const {
    return isVisible() ? y() : top_;
}

int Form::clientWidth() const {
    return std::max(0, width_ - (border_ == Border::Dialog ? kFrameWidth : 0));
}
int Form::clientHeight() const {
    return std::max(0, height_ - (border_ == Border::Dialog ? kFrameHeight : 0));
}

void Form::setBounds(int left, int top, int width, int height) {
    left_ = left;
    top_ = top;
    width_ = width;
    height_ = height;
    applyGeometry();
}

void Form::centreOn(int screenWidth, int screenHeight) {
    setBounds((screenWidth - width_) / 2, (screenHeight - height_) / 2, width_, height_);
}

void Form::applyGeometry() {
    // The size cannot be dragged: it follows the board's size modes only.
    setFixedSize(clientWidth(), clientHeight());
    move(left_, top_);
    if (onGeometry)
        onGeometry();
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
        sentCaption_ = caption_;
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
    setWindowModality(Qt::ApplicationModal);
    show();
    raise();
    activateWindow();
    QEventLoop loop;
    modalLoop_ = &loop;
    loop.exec();
    modalLoop_ = nullptr;
    setWindowModality(Qt::NonModal);
}

void Form::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    if (modalLoop_)
        modalLoop_->quit();
}

// A window shown modally closes with Escape, as dialogs do.
void Form::keyPressEvent(QKeyEvent* event) {
    if (modalLoop_ && event->key() == Qt::Key_Escape) {
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}

void Form::closeEvent(QCloseEvent* event) {
    if (onClose)
        onClose();
    event->accept();
}

} // namespace rt
