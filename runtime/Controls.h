#pragma once

#include <QAbstractButton>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QImage>
#include <QLabel>
#include <QPalette>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <initializer_list>
#include <utility>

namespace rt {

// Every control can tell when the pointer moves over it; the board uses that to hide its hints.
using Handler = std::function<void()>;

void setBounds(QWidget* w, int left, int top, int width, int height);
QFont pixelFont(int pixelSize, bool bold = false);
// Gives the control (and what lies in it) these colours in place of the style's.
void setColors(QWidget* w, std::initializer_list<std::pair<QPalette::ColorRole, QColor>> colors);

// A rectangle with a background colour and an optional caption centred in it.
class Panel : public QWidget {
public:
    explicit Panel(QWidget* parent, const QColor& color = Qt::black);
    void setColor(const QColor& color);
    QColor color() const { return color_; }
    void setCaption(const QString& caption, const QColor& textColor = Qt::black,
                    const QFont& font = QFont());
    QString caption() const { return caption_; }

    // A new height at once.
    void setHeightNow(int height);
    // A new height for a panel that moves continuously: applied at most once per screen frame,
    // and only when it changed; the last height asked for is always applied in the end.
    void setHeightPaced(int height);

    Handler onMouseMove;

protected:
    void paintEvent(QPaintEvent*) override;
    void mouseMoveEvent(QMouseEvent*) override;

private:
    void applyPendingHeight();

    QColor color_;
    int pendingHeight_ = -1;
    QElapsedTimer lastFrame_;
    QTimer* frameTimer_ = nullptr;
    QString caption_;
    QColor textColor_;
    QFont captionFont_;
};

// Shows a bitmap stretched to its own size, drawn from the bitmap at the screen's resolution. The
// bitmap stays in memory as it was loaded, so the
// program can read and set its pixels and draw on it; call bitmapChanged() afterwards.
class Image : public QWidget {
public:
    explicit Image(QWidget* parent);

    // Shows `image`; a copy of the picture already shown (same pixels, shared) is no change.
    // `name` says where it came from.
    void setPicture(QImage image, const QString& name = {});
    void clear();
    // Keeps the picture only at the size the control shows it, to hold a large picture shown
    // small in less memory; the name stays, so the whole picture can be loaded again later.
    void keepAtShownSize();
    // The picture is held at the size it was shown, not as it was loaded.
    bool reduced() const { return reduced_; }
    // The size the control shows its picture at, in the screen's own pixels (twice the control's
    // size on a screen scaled to 200 %).
    QSize shownSize() const;
    const QString& pictureName() const { return name_; }
    bool isEmpty() const { return bitmap_.isNull(); }
    // Direct access to the loaded bitmap.
    QImage& bitmap() { return bitmap_; }
    const QImage& bitmap() const { return bitmap_; }
    void bitmapChanged();

    // With transparency on, the colour of the bitmap's bottom-left pixel shows what lies behind.
    void setTransparent(bool transparent);
    bool transparent() const { return transparent_; }

    // Repaints only the given rows of the control (after a change of the bitmap there).
    void updateRows(int top, int height) { update(0, top, width(), height); }

    Handler onMouseMove;
    Handler onMousePress;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent*) override;
    void mousePressEvent(QMouseEvent*) override;
    void hideEvent(QHideEvent*) override;
    void resizeEvent(QResizeEvent*) override;

private:
    QImage bitmap_;
    QString name_;
    QImage scaled_; // a transparent bitmap keyed out at the control's size, made when painted
    bool transparent_ = false;
    bool reduced_ = false;
};

// Read-only text of several lines that wraps within its width. The text editor that shows it
// (with its document, scroll area and style) is made only when the area is first shown: the
// board creates one at start-up that the intro never shows. The editor carries the area's
// accessible name and description, and tells screen readers every text put into it.
class TextArea : public QWidget {
public:
    explicit TextArea(QWidget* parent);
    void clearLines();
    void addLine(const QString& line);
    QStringList lines() const { return toPlainText().isEmpty() ? QStringList() : lines_; }
    QString toPlainText() const { return lines_.join(QLatin1Char('\n')); }
    // The editor, made now if it was not yet (for tests and the few callers that need it).
    QPlainTextEdit* editor();
    // Every new text, once complete, is told to a screen reader while the area shows, wherever
    // the keyboard is (an instruction read while the user follows it).
    void setAnnounced(bool on) { announced_ = on; }

protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    QStringList lines_;
    QPlainTextEdit* editor_ = nullptr;
    bool announced_ = false;
    bool announcing_ = false;
};

// A one-line text box that cannot be edited or focused.
class HintBox : public QLabel {
public:
    explicit HintBox(QWidget* parent);
    // The text in the box's font, made smaller where it would not fit the box's width.
    void setFittingText(const QString& text);
};

// A flat-or-raised button with a glyph, as in a tool bar. The keyboard reaches it with Tab and
// moves on to the next button of its bar with the arrow keys; a focus frame shows where the
// keyboard is until the mouse is used again. Enter or Space presses it.
class SpeedButton : public QAbstractButton {
public:
    explicit SpeedButton(QWidget* parent);

    // A glyph from a bitmap: the colour of its bottom-left pixel is transparent.
    void setGlyph(const QImage& bitmap);
    // A glyph that already carries transparency (design icons).
    void setGlyphPixmap(const QPixmap& pixmap);
    QPixmap glyph() const { return glyph_; }
    // Remembers which file the glyph came from (for the board's own bookkeeping and tests).
    void setGlyphName(const QString& name) { glyphName_ = name; }
    QString glyphName() const { return glyphName_; }

    void setFlat(bool flat);
    bool isFlat() const { return flat_; }

    Handler onClick;
    Handler onMouseMove;

    QSize sizeHint() const override { return {30, 30}; }

protected:
    void paintEvent(QPaintEvent*) override;
    void mouseMoveEvent(QMouseEvent*) override;
    void mousePressEvent(QMouseEvent*) override;
    void keyPressEvent(QKeyEvent*) override;
    void enterEvent(QEnterEvent*) override;
    void leaveEvent(QEvent*) override;

private:
    // The keyboard's focus frame is shown on this button.
    bool focusShown() const;
    void focusNeighbour(int step);

    QPixmap glyph_;
    QString glyphName_;
    bool flat_ = false;
    bool hover_ = false;
};

// Makes the colour of a bitmap's bottom-left pixel transparent.
QImage keyOutBottomLeft(const QImage& bitmap);

class CheckBox : public QCheckBox {
public:
    CheckBox(const QString& caption, QWidget* parent);
    Handler onClick;
};

} // namespace rt
