#include "runtime/Form.h"

#include <QCloseEvent>
#include <QEventLoop>
#include <QPalette>

namespace rt {

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

void Form::closeEvent(QCloseEvent* event) {
    if (onClose)
        onClose();
    event->accept();
}

} // namespace rt
