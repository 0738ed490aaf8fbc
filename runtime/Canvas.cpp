#include "runtime/Canvas.h"

#include <QPen>

namespace rt {

Canvas::Canvas(QImage& bitmap) {
    if (bitmap.isNull())
        return;
    // Raster operations work on 32-bit pixels only.
    if (bitmap.format() != QImage::Format_RGB32)
        bitmap.convertTo(QImage::Format_RGB32);
    painter_.begin(&bitmap);
    painter_.setRenderHint(QPainter::Antialiasing, false);
    painter_.setBrush(Qt::NoBrush);
    setPen(Qt::black, 1, PenMode::Copy);
}

Canvas::~Canvas() {
    if (painter_.isActive())
        painter_.end();
}

void Canvas::setPen(QColor colour, int width, PenMode mode) {
    if (!painter_.isActive())
        return;
    painter_.setPen(QPen(colour, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter_.setCompositionMode(mode == PenMode::NotXor ? QPainter::RasterOp_NotSourceXorDestination
                                                        : QPainter::CompositionMode_SourceOver);
}

void Canvas::lineTo(int x, int y) {
    const QPoint to(x, y);
    if (painter_.isActive())
        painter_.drawLine(position_, to);
    position_ = to;
}

void Canvas::ellipse(int left, int top, int right, int bottom) {
    if (painter_.isActive())
        painter_.drawEllipse(QRect(QPoint(left, top), QPoint(right - 1, bottom - 1)));
}

} // namespace rt
