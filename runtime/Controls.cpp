#include "runtime/Controls.h"

#include "runtime/Accessibility.h"

#include <QApplication>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyle>
#include <QStyleOption>
#include <QTimer>

#include <algorithm>
#include <vector>

namespace rt {

void setBounds(QWidget* w, int left, int top, int width, int height) {
    w->setGeometry(left, top, std::max(0, width), std::max(0, height));
}

QFont pixelFont(int pixelSize, bool bold) {
    QFont f = QApplication::font();
    f.setPixelSize(pixelSize);
    f.setBold(bold);
    return f;
}

void setColors(QWidget* w, std::initializer_list<std::pair<QPalette::ColorRole, QColor>> colors) {
    QPalette pal = w->palette();
    for (const auto& [role, color] : colors)
        pal.setColor(role, color);
    w->setPalette(pal);
}

// ---- Panel

Panel::Panel(QWidget* parent, const QColor& color) : QWidget(parent), color_(color) {
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
    // One colour from the top left: a panel that grows paints only what it gained. The
    // breathing blind grows by a few rows at a time, and the window system is not made to wait
    // for rows it is still showing.
    setAttribute(Qt::WA_StaticContents);
}

void Panel::setColor(const QColor& color) {
    color_ = color;
    update();
}

void Panel::setCaption(const QString& caption, const QColor& textColor, const QFont& font) {
    caption_ = caption;
    textColor_ = textColor;
    captionFont_ = font;
    setAttribute(Qt::WA_StaticContents, caption_.isEmpty()); // a centred caption moves
    update();
}

namespace {
constexpr int kFrameMs = 16; // one frame of a 60 Hz screen
}

void Panel::setHeightNow(int height) {
    pendingHeight_ = -1;
    if (frameTimer_)
        frameTimer_->stop();
    if (height != this->height())
        resize(width(), height);
    lastFrame_.start();
}

void Panel::setHeightPaced(int height) {
    pendingHeight_ = height;
    if (frameTimer_ && frameTimer_->isActive())
        return; // the frame timer applies the latest height
    if (height == this->height()) {
        pendingHeight_ = -1;
        return;
    }
    const qint64 since = lastFrame_.isValid() ? lastFrame_.elapsed() : kFrameMs;
    if (since >= kFrameMs) {
        applyPendingHeight();
        return;
    }
    if (!frameTimer_) {
        frameTimer_ = new QTimer(this);
        frameTimer_->setSingleShot(true);
        frameTimer_->setTimerType(Qt::PreciseTimer);
        connect(frameTimer_, &QTimer::timeout, this, [this] { applyPendingHeight(); });
    }
    frameTimer_->start(int(kFrameMs - since));
}

void Panel::applyPendingHeight() {
    if (pendingHeight_ >= 0 && pendingHeight_ != height())
        resize(width(), pendingHeight_);
    pendingHeight_ = -1;
    lastFrame_.start();
}

void Panel::paintEvent(QPaintEvent* event) {
    QPainter p(this);
    p.fillRect(event->rect(), color_);
    if (!caption_.isEmpty()) {
        p.setPen(textColor_);
        p.setFont(captionFont_);
        p.drawText(rect(), Qt::AlignCenter, caption_);
    }
}

void Panel::mouseMoveEvent(QMouseEvent*) {
    if (onMouseMove)
        onMouseMove();
}

// ---- Image

Image::Image(QWidget* parent) : QWidget(parent) {
    registerAccessibleRoles();
    setMouseTracking(true);
}

void Image::setPicture(QImage image, const QString& name) {
    name_ = name;
    reduced_ = false;
    // The same picture again (a copy that shares its pixels) changes nothing on screen.
    if (!image.isNull() && image.cacheKey() == bitmap_.cacheKey())
        return;
    bitmap_ = std::move(image);
    bitmapChanged();
}

QSize Image::shownSize() const {
    return (QSizeF(size()) * devicePixelRatioF()).toSize();
}

void Image::keepAtShownSize() {
    const QSize shown = shownSize();
    if (bitmap_.isNull() || bitmap_.size() == shown || width() < 1 || height() < 1)
        return;
    bitmap_ = bitmap_.scaled(shown, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    reduced_ = true;
    bitmapChanged();
}

void Image::clear() {
    reduced_ = false;
    name_.clear();
    if (bitmap_.isNull())
        return;
    bitmap_ = QImage();
    bitmapChanged();
}

void Image::bitmapChanged() {
    scaled_ = QImage();
    setAttribute(Qt::WA_OpaquePaintEvent, !transparent_ && !bitmap_.isNull());
    update();
}

void Image::setTransparent(bool transparent) {
    transparent_ = transparent;
    bitmapChanged();
}

QImage keyOutBottomLeft(const QImage& bitmap) {
    if (bitmap.isNull())
        return bitmap;
    QImage out = bitmap.convertToFormat(QImage::Format_ARGB32);
    const QRgb key = out.pixel(0, out.height() - 1) | 0xff000000u;
    for (int y = 0; y < out.height(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < out.width(); ++x)
            if ((row[x] | 0xff000000u) == key)
                row[x] = 0;
    }
    return out;
}

void Image::paintEvent(QPaintEvent* event) {
    if (bitmap_.isNull() || width() <= 0 || height() <= 0)
        return;
    QPainter p(this);
    // On a scaled screen the picture is drawn into the screen's pixels from the bitmap itself,
    // smoothly wherever the two sizes differ.
    const QSize shown = shownSize();
    if (!transparent_) {
        // Scaled while painting, and only where the control is repainted: a copy at the
        // control's size would be made again after every change of the bitmap.
        p.setClipRect(event->rect());
        p.setRenderHint(QPainter::SmoothPixmapTransform, bitmap_.size() != shown);
        p.drawImage(rect(), bitmap_);
        return;
    }
    if (scaled_.isNull() || scaled_.size() != shown) {
        const QImage source = keyOutBottomLeft(bitmap_);
        scaled_ = source.size() == shown
                      ? source
                      : source.scaled(shown, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    }
    const qreal ratio = devicePixelRatioF();
    const QRect r = event->rect();
    p.drawImage(QRectF(r), scaled_, QRectF(QPointF(r.topLeft()) * ratio, QSizeF(r.size()) * ratio));
}

void Image::mouseMoveEvent(QMouseEvent*) {
    if (onMouseMove)
        onMouseMove();
}

void Image::mousePressEvent(QMouseEvent*) {
    if (onMousePress)
        onMousePress();
}

// A hidden picture needs no copy at screen size.
void Image::hideEvent(QHideEvent*) {
    scaled_ = QImage();
}

void Image::resizeEvent(QResizeEvent*) {
    scaled_ = QImage();
}

// ---- TextArea

TextArea::TextArea(QWidget* parent) : QWidget(parent) {
    setFocusPolicy(Qt::NoFocus);
}

void TextArea::clearLines() {
    lines_.clear();
    if (editor_)
        editor_->clear();
}

void TextArea::addLine(const QString& line) {
    // The editor keeps one line per paragraph; a line with breaks of its own is several.
    lines_ += line.split(QLatin1Char('\n'));
    // The lines of one text come one by one in the same handler: told once, whole.
    if (announced_ && !announcing_) {
        announcing_ = true;
        QTimer::singleShot(0, this, [this] {
            announcing_ = false;
            if (isVisible() && !toPlainText().isEmpty())
                announce(window(), toPlainText());
        });
    }
    if (editor_) {
        // Appending scrolls to the end; an instruction is read from its first line.
        QScrollBar* bar = editor_->verticalScrollBar();
        const int shown = bar->value();
        editor_->appendPlainText(line);
        bar->setValue(shown);
    }
}

QPlainTextEdit* TextArea::editor() {
    if (!editor_) {
        editor_ = new QPlainTextEdit(this);
        editor_->setReadOnly(true);
        editor_->setFocusPolicy(Qt::NoFocus);
        editor_->setLineWrapMode(QPlainTextEdit::WidgetWidth);
        // A text longer than the area can be scrolled through.
        editor_->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
        editor_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        editor_->setGeometry(rect());
        editor_->setPlainText(toPlainText());
        editor_->setAccessibleName(accessibleName());
        editor_->setAccessibleDescription(accessibleDescription());
        editor_->show();
    }
    return editor_;
}

void TextArea::showEvent(QShowEvent* event) {
    editor();
    QWidget::showEvent(event);
}

void TextArea::resizeEvent(QResizeEvent* event) {
    if (editor_)
        editor_->setGeometry(rect());
    QWidget::resizeEvent(event);
}

// ---- HintBox

HintBox::HintBox(QWidget* parent) : QLabel(parent) {
    setFocusPolicy(Qt::NoFocus);
    setTextInteractionFlags(Qt::NoTextInteraction);
    setAutoFillBackground(true);
    setFrameStyle(QFrame::Box | QFrame::Plain);
    setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
}

void HintBox::setFittingText(const QString& text) {
    QFont f = font();
    const int room = width() - 2 * frameWidth() - 2;
    int size = f.pixelSize() > 0 ? f.pixelSize() : 13;
    f.setPixelSize(size);
    while (size > 8 && QFontMetrics(f).horizontalAdvance(text) > room)
        f.setPixelSize(--size);
    setFont(f);
    setText(text);
}

// ---- SpeedButton

SpeedButton::SpeedButton(QWidget* parent) : QAbstractButton(parent) {
    // Reached by the keyboard only: a click leaves the focus where it was.
    setFocusPolicy(Qt::TabFocus);
    setMouseTracking(true);
    connect(this, &QAbstractButton::clicked, this, [this] {
        if (onClick)
            onClick();
    });
}

void SpeedButton::setGlyph(const QImage& bitmap) {
    glyph_ = QPixmap::fromImage(keyOutBottomLeft(bitmap));
    update();
}

void SpeedButton::setGlyphPixmap(const QPixmap& pixmap) {
    glyph_ = pixmap;
    update();
}

void SpeedButton::setFlat(bool flat) {
    flat_ = flat;
    update();
}

void SpeedButton::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const QRect r = rect();
    const QColor face = palette().color(QPalette::Button);
    p.fillRect(r, face);
    const bool sunken = isDown() || (flat_ && isChecked());
    const bool bevel = !flat_ || (hover_ && isEnabled()) || isDown();
    if (bevel) {
        const QColor light = sunken ? face.darker(160) : face.lighter(150);
        const QColor dark = sunken ? face.lighter(150) : face.darker(160);
        p.setPen(light);
        p.drawLine(r.topLeft(), r.topRight());
        p.drawLine(r.topLeft(), r.bottomLeft());
        p.setPen(dark);
        p.drawLine(r.bottomLeft(), r.bottomRight());
        p.drawLine(r.topRight(), r.bottomRight());
    }
    if (!glyph_.isNull()) {
        QPixmap g = glyph_;
        if (!isEnabled()) {
            QStyleOption option;
            option.initFrom(this);
            g = style()->generatedIconPixmap(QIcon::Disabled, glyph_, &option);
        }
        QSize s = g.size().boundedTo(r.size() - QSize(4, 4));
        QRect target(QPoint(0, 0), s);
        target.moveCenter(r.center() + (isDown() ? QPoint(1, 1) : QPoint(0, 0)));
        p.drawPixmap(target, g);
    }
    if (focusShown()) {
        // Over the glyph's edge, in the colour of a selection: seen on every glyph and face.
        p.setPen(QPen(palette().color(QPalette::Active, QPalette::Highlight), 2));
        p.setBrush(Qt::NoBrush);
        p.drawRect(QRectF(r).adjusted(2, 2, -2, -2));
    }
}

bool SpeedButton::focusShown() const {
    return hasFocus() && window()->testAttribute(Qt::WA_KeyboardFocusChange);
}

void SpeedButton::mousePressEvent(QMouseEvent* event) {
    // Whoever clicks sees the buttons as they are, without the keyboard's frame.
    if (window()->testAttribute(Qt::WA_KeyboardFocusChange)) {
        window()->setAttribute(Qt::WA_KeyboardFocusChange, false);
        if (QWidget* focused = window()->focusWidget())
            focused->update();
    }
    QAbstractButton::mousePressEvent(event);
}

void SpeedButton::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Left:
    case Qt::Key_Up:
        focusNeighbour(-1);
        break;
    case Qt::Key_Right:
    case Qt::Key_Down:
        focusNeighbour(1);
        break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (!event->isAutoRepeat())
            click();
        break;
    default:
        QAbstractButton::keyPressEvent(event);
        return;
    }
    event->accept();
}

// The next button of the same bar that can be pressed, round from the last to the first.
void SpeedButton::focusNeighbour(int step) {
    std::vector<SpeedButton*> bar;
    for (QObject* o : parentWidget()->children())
        if (auto* b = dynamic_cast<SpeedButton*>(o);
            b && (b == this || (b->isVisible() && b->isEnabled())))
            bar.push_back(b);
    std::stable_sort(bar.begin(), bar.end(),
                     [](const SpeedButton* a, const SpeedButton* b) { return a->x() < b->x(); });
    const auto at = std::find(bar.begin(), bar.end(), this) - bar.begin();
    const auto n = std::ptrdiff_t(bar.size());
    showFocus(bar[size_t(((at + step) % n + n) % n)]);
}

void SpeedButton::mouseMoveEvent(QMouseEvent* event) {
    QAbstractButton::mouseMoveEvent(event);
    if (onMouseMove)
        onMouseMove();
    // Handled here: the bar beneath must not see this move (it would hide the hint again).
    event->accept();
}

void SpeedButton::enterEvent(QEnterEvent* event) {
    hover_ = true;
    update();
    QAbstractButton::enterEvent(event);
}

void SpeedButton::leaveEvent(QEvent* event) {
    hover_ = false;
    update();
    QAbstractButton::leaveEvent(event);
}

// ---- CheckBox

CheckBox::CheckBox(const QString& caption, QWidget* parent) : QCheckBox(caption, parent) {
    connect(this, &QCheckBox::clicked, this, [this](bool) {
        if (onClick)
            onClick();
    });
}

} // namespace rt
