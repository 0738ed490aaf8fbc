#include "Marks.h"

#include "Paint.h"

#include <QPainterPath>

#include <cmath>

namespace pic {

namespace {

constexpr double kDeg = 3.14159265358979323846 / 180.0;

QPointF onEllipse(QPointF c, double rx, double ry, double deg) {
    return {c.x() + rx * std::cos(deg * kDeg), c.y() - ry * std::sin(deg * kDeg)};
}

void head(QPainter& p, QPointF tip, QPointF dir, double width, QColor colour) {
    const double len = std::hypot(dir.x(), dir.y());
    if (len < 1e-6)
        return;
    const QPointF d = dir / len, n(-d.y(), d.x());
    const double s = width * 3.2;
    QPainterPath h;
    h.moveTo(tip + d * s * 0.35);
    h.lineTo(tip - d * s + n * s * 0.75);
    h.quadTo(tip - d * s * 0.55, tip - d * s - n * s * 0.75);
    h.closeSubpath();
    p.fillPath(h, colour);
}

// Everything is drawn twice: a soft light halo first, so the mark reads on any background.
template <typename F> void withHalo(QPainter& p, double width, F draw) {
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    draw(QColor(255, 255, 255, 170), width * 2.2);
    draw(QColor(), width);
    p.restore();
}

} // namespace

void arcArrow(QPainter& p, QPointF c, double rx, double ry, double start, double span, double width,
              bool both, QColor colour) {
    withHalo(p, width, [&](QColor halo, double w) {
        const QColor col = halo.isValid() ? halo : colour;
        QPainterPath path;
        const int steps = 48;
        // Leave room for the heads.
        const double trim = std::min(std::abs(span) * 0.25, 6.0 * width / std::max(rx, 1.0) / kDeg);
        const double a0 = start + (both ? (span > 0 ? trim : -trim) : 0);
        const double a1 = start + span - (span > 0 ? trim : -trim);
        path.moveTo(onEllipse(c, rx, ry, a0));
        for (int i = 1; i <= steps; ++i)
            path.lineTo(onEllipse(c, rx, ry, a0 + (a1 - a0) * i / steps));
        QPen pen(col, w, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
        p.setPen(pen);
        p.setBrush(Qt::NoBrush);
        p.drawPath(path);
        auto tangent = [&](double a, double sign) {
            return QPointF(-rx * std::sin(a * kDeg), -ry * std::cos(a * kDeg)) * sign;
        };
        const double sgn = span > 0 ? 1 : -1;
        const double hw = halo.isValid() ? w / 2.2 * 1.25 : w;
        head(p, onEllipse(c, rx, ry, start + span), tangent(start + span, sgn), hw, col);
        if (both)
            head(p, onEllipse(c, rx, ry, start), tangent(start, -sgn), hw, col);
    });
}

void arrow(QPainter& p, QPointF from, QPointF to, double width, QColor colour) {
    withHalo(p, width, [&](QColor halo, double w) {
        const QColor col = halo.isValid() ? halo : colour;
        const QPointF d = to - from;
        const double len = std::hypot(d.x(), d.y());
        const QPointF u = d / std::max(len, 1e-6);
        p.setPen(QPen(col, w, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(from, to - u * width * 2.5);
        head(p, to, d, halo.isValid() ? w / 2.2 * 1.25 : w, col);
    });
}

void dottedPath(QPainter& p, QPointF c, double rx, double ry, double width, QColor colour) {
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    const double circumference = 3.14159 * (rx + ry);
    const int dots = std::max(8, int(circumference / (width * 3.2)));
    for (int i = 0; i < dots; ++i) {
        const QPointF q = onEllipse(c, rx, ry, 360.0 * i / dots);
        p.setBrush(QColor(255, 255, 255, 170));
        p.drawEllipse(q, width * 0.95, width * 0.95);
        p.setBrush(colour);
        p.drawEllipse(q, width * 0.6, width * 0.6);
    }
    p.restore();
}

void shakeLines(QPainter& p, QPointF c, double radius, double angle, double width, QColor colour) {
    withHalo(p, width, [&](QColor halo, double w) {
        p.setPen(QPen(halo.isValid() ? halo : colour, w, Qt::SolidLine, Qt::RoundCap));
        p.setBrush(Qt::NoBrush);
        for (int side : {-1, 1})
            for (int k = 0; k < 3; ++k) {
                const double a = (angle + side * 90 + (k - 1) * 28) * kDeg;
                const double r0 = radius * (1.0 + 0.05 * k), r1 = r0 + radius * 0.45;
                p.drawLine(c + QPointF(std::cos(a), -std::sin(a)) * r0,
                           c + QPointF(std::cos(a), -std::sin(a)) * r1);
            }
    });
}

void breath(QPainter& p, QPointF mouth, QPointF dir, double size, int flow, QColor colour) {
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    const double len = std::hypot(dir.x(), dir.y());
    const QPointF d = dir / std::max(len, 1e-6), n(-d.y(), d.x());
    for (int k = -1; k <= 1; ++k) {
        const QPointF a = mouth + d * size * 0.35 + n * (k * size * 0.22);
        const QPointF b = a + d * size * (1.0 - 0.15 * std::abs(k)) + n * (k * size * 0.25);
        QPainterPath wave;
        wave.moveTo(a);
        wave.cubicTo(a + (b - a) * 0.33 + n * size * 0.12, a + (b - a) * 0.66 - n * size * 0.12, b);
        p.setPen(QPen(QColor(255, 255, 255, 180), size * 0.14, Qt::SolidLine, Qt::RoundCap));
        p.drawPath(wave);
        p.setPen(QPen(colour, size * 0.07, Qt::SolidLine, Qt::RoundCap));
        p.drawPath(wave);
        if (k == 0 && flow != 0) {
            // A small head shows the direction of the air.
            const QPointF tip = flow > 0 ? b : a;
            const QPointF back = flow > 0 ? d : -d;
            QPainterPath h;
            h.moveTo(tip + back * size * 0.12);
            h.lineTo(tip - back * size * 0.16 + n * size * 0.12);
            h.lineTo(tip - back * size * 0.16 - n * size * 0.12);
            h.closeSubpath();
            p.fillPath(h, colour);
        }
    }
    p.restore();
}

void badge(QPainter& p, QPointF c, double r, const QString& text) {
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 0, 0, 40));
    p.drawEllipse(c + QPointF(0, r * 0.08), r * 1.04, r * 1.04);
    p.setBrush(QColor(0xfb, 0xf7, 0xef));
    p.drawEllipse(c, r, r);
    p.setPen(QPen(kMarkColour, r * 0.1));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(c, r * 0.86, r * 0.86);
    p.setPen(QColor(0x4a, 0x40, 0x3a));
    p.setFont(uiFont(r * (text.size() > 1 ? 0.62 : 1.05), true));
    p.drawText(QRectF(c.x() - r, c.y() - r, 2 * r, 2 * r), Qt::AlignCenter, text);
    p.restore();
}

} // namespace pic
