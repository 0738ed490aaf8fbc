#pragma once

#include <QColor>
#include <QImage>
#include <QPainter>
#include <QPoint>
#include <QRect>

namespace rt {

// How the pen mixes with the picture: Copy paints the pen's colour; NotXor turns each pixel
// into NOT(pixel XOR pen colour), so the same figure drawn twice leaves the picture as it was.
enum class PenMode { Copy, NotXor };

// Draws on a loaded bitmap itself (not on the screen), with a solid pen of whole-pixel width and
// no smoothing. Whatever falls outside the bitmap is clipped. The bitmap is turned into 32-bit
// RGB first if it is in another format; a null bitmap is left alone and nothing is drawn.
class Canvas {
public:
    explicit Canvas(QImage& bitmap);
    ~Canvas();
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    void setPen(QColor colour, int width, PenMode mode);
    void moveTo(int x, int y) { position_ = QPoint(x, y); }
    // A line from the current position to (x, y), which becomes the current position.
    void lineTo(int x, int y);
    // The outline of the ellipse inside the rectangle from (left, top) to (right, bottom); the
    // inside is left as it is.
    void ellipse(int left, int top, int right, int bottom);

private:
    QPainter painter_;
    QPoint position_;
};

} // namespace rt
