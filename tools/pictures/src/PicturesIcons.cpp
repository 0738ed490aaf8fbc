#include "Catalogue.h"
#include "Paint.h"

#include <QPainterPath>

#include <cmath>
#include <functional>

namespace pic {

namespace {

constexpr int kIcon = 26;
constexpr int kOver = 8; // drawn at eight times the size, then reduced
const QColor kInk(0x3b, 0x35, 0x3a);
// The edges of the button glyphs are blended against the button face instead of the key.
const QColor kButtonFace(0xd4, 0xd4, 0xd0);

using Glyph = std::function<void(QPainter&)>;

// Draws a glyph in a 26 x 26 coordinate space and returns it reduced, with soft alpha: 26 pixels
// wide, or 52 at `scale` 2 (for screens of twice the resolution).
QImage glyph(const Glyph& draw, int scale = 1) {
    QImage big(kIcon * kOver, kIcon * kOver, QImage::Format_ARGB32_Premultiplied);
    big.fill(Qt::transparent);
    {
        QPainter p(&big);
        p.setRenderHint(QPainter::Antialiasing);
        p.scale(kOver, kOver);
        draw(p);
    }
    // Area average: every output pixel is the mean of a block of 8 x 8 (4 x 4 at scale 2).
    const int block = kOver / scale, size = kIcon * scale;
    QImage out(size, size, QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            int r = 0, g = 0, b = 0, a = 0;
            for (int yy = 0; yy < block; ++yy) {
                const QRgb* row = reinterpret_cast<const QRgb*>(big.constScanLine(y * block + yy));
                for (int xx = 0; xx < block; ++xx) {
                    const QRgb c = row[x * block + xx];
                    r += qRed(c);
                    g += qGreen(c);
                    b += qBlue(c);
                    a += qAlpha(c);
                }
            }
            const int n = block * block;
            out.setPixel(x, y, qRgba(r / n, g / n, b / n, a / n));
        }
    return out;
}

QPen ink(double width) {
    return QPen(kInk, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

// The small light in the corner of a highlighted button.
void light(QPainter& p, QColor colour) {
    p.setPen(QPen(QColor(0xfb, 0xfb, 0xf6), 1.3));
    QRadialGradient g(QPointF(20.2, 5.2), 4.2);
    g.setColorAt(0, colour.lighter(150));
    g.setColorAt(1, colour);
    p.setBrush(g);
    p.drawEllipse(QPointF(20.8, 5.2), 4.2, 4.2);
}

void lungs(QPainter& p) {
    // Windpipe and bronchi.
    p.setPen(ink(1.9));
    p.drawLine(QPointF(13, 2.5), QPointF(13, 10.5));
    p.drawLine(QPointF(13, 10.5), QPointF(10, 13.5));
    p.drawLine(QPointF(13, 10.5), QPointF(16, 13.5));
    for (int side : {-1, 1}) {
        QPainterPath lobe;
        const double cx = 13 + side * 6.3;
        lobe.moveTo(13 + side * 2.2, 8.5);
        lobe.cubicTo(13 + side * 9.5, 4.5, 13 + side * 11.8, 14, 13 + side * 11, 21);
        lobe.cubicTo(13 + side * 10.5, 24.5, 13 + side * 4, 24.2, 13 + side * 2.2, 21.5);
        lobe.closeSubpath();
        QLinearGradient g(cx - 5, 6, cx + 5, 24);
        g.setColorAt(0, QColor(0xf2, 0x9b, 0x8c));
        g.setColorAt(1, QColor(0xd5, 0x66, 0x5a));
        p.setPen(ink(1.2));
        p.setBrush(g);
        p.drawPath(lobe);
    }
    p.setPen(ink(1.3));
    p.drawLine(QPointF(13, 10.5), QPointF(9.2, 14.5));
    p.drawLine(QPointF(13, 10.5), QPointF(16.8, 14.5));
}

void yogaFigure(QPainter& p) {
    // A person stretching: arms raised in a V, legs apart.
    const QColor body(0x3f, 0x86, 0x80);
    QPen outline(kInk, 4.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    QPen limb(body, 2.8, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    QPainterPath figure;
    figure.moveTo(4.5, 3.5);
    figure.lineTo(13, 12); // arms
    figure.lineTo(21.5, 3.5);
    figure.moveTo(13, 10);
    figure.lineTo(13, 16.5); // trunk
    figure.moveTo(6.5, 24);
    figure.lineTo(13, 16.5); // legs
    figure.lineTo(19.5, 24);
    p.setPen(outline);
    p.drawPath(figure);
    p.setPen(limb);
    p.drawPath(figure);
    p.setPen(ink(1.1));
    p.setBrush(QColor(0xe9, 0xb8, 0x92));
    p.drawEllipse(QPointF(13, 6.0), 2.9, 2.9);
}

void eye(QPainter& p) {
    QPainterPath lid;
    lid.moveTo(2, 13);
    lid.quadTo(13, 2.5, 24, 13);
    lid.quadTo(13, 23.5, 2, 13);
    p.setPen(ink(1.5));
    p.setBrush(QColor(0xfd, 0xfc, 0xf8));
    p.drawPath(lid);
    QRadialGradient g(QPointF(12, 12), 5.5);
    g.setColorAt(0, QColor(0x7f, 0xb8, 0xe0));
    g.setColorAt(1, QColor(0x35, 0x7a, 0xb0));
    p.setPen(Qt::NoPen);
    p.setBrush(g);
    p.drawEllipse(QPointF(13, 13), 5.2, 5.2);
    p.setBrush(kInk);
    p.drawEllipse(QPointF(13, 13), 2.3, 2.3);
    p.setBrush(QColor(0xff, 0xff, 0xff));
    p.drawEllipse(QPointF(11.6, 11.6), 1.1, 1.1);
    p.setPen(ink(1.5));
    p.setBrush(Qt::NoBrush);
    p.drawPath(lid);
}

void moon(QPainter& p) {
    QPainterPath m;
    m.addEllipse(QPointF(12, 14), 10, 10);
    QPainterPath bite;
    bite.addEllipse(QPointF(17, 10.5), 8.5, 8.5);
    QLinearGradient g(4, 6, 18, 24);
    g.setColorAt(0, QColor(0xfb, 0xdf, 0x7e));
    g.setColorAt(1, QColor(0xe9, 0xa9, 0x3e));
    p.setPen(ink(1.3));
    p.setBrush(g);
    p.drawPath(m.subtracted(bite));
    // A small star.
    QPainterPath star;
    const QPointF c(20.5, 19.5);
    for (int i = 0; i < 10; ++i) {
        const double a = -3.14159265 / 2 + i * 3.14159265 / 5;
        const double r = i % 2 ? 1.4 : 3.4;
        const QPointF q = c + QPointF(std::cos(a) * r, std::sin(a) * r);
        if (i == 0)
            star.moveTo(q);
        else
            star.lineTo(q);
    }
    star.closeSubpath();
    p.setPen(ink(0.9));
    p.setBrush(QColor(0xfb, 0xe7, 0x98));
    p.drawPath(star);
}

void clockFace(QPainter& p) {
    QRadialGradient g(QPointF(11, 10), 13);
    g.setColorAt(0, QColor(0xff, 0xff, 0xfb));
    g.setColorAt(1, QColor(0xe6, 0xe2, 0xd8));
    p.setPen(QPen(QColor(0x4a, 0x6f, 0x9a), 2.3));
    p.setBrush(g);
    p.drawEllipse(QPointF(13, 13.5), 10.5, 10.5);
    p.setPen(ink(0.9));
    for (int i = 0; i < 12; i += 3) {
        const double a = i * 3.14159265 / 6;
        p.drawLine(QPointF(13 + std::sin(a) * 7.4, 13.5 - std::cos(a) * 7.4),
                   QPointF(13 + std::sin(a) * 8.8, 13.5 - std::cos(a) * 8.8));
    }
    p.setPen(ink(1.8));
    p.drawLine(QPointF(13, 13.5), QPointF(13, 7));
    p.drawLine(QPointF(13, 13.5), QPointF(17.5, 15.5));
    p.setPen(Qt::NoPen);
    p.setBrush(kInk);
    p.drawEllipse(QPointF(13, 13.5), 1.3, 1.3);
}

void closeButton(QPainter& p) {
    QRadialGradient g(QPointF(11, 10), 13);
    g.setColorAt(0, QColor(0xf0, 0x82, 0x72));
    g.setColorAt(1, QColor(0xc2, 0x46, 0x3c));
    p.setPen(ink(1.2));
    p.setBrush(g);
    p.drawEllipse(QPointF(13, 13), 10.5, 10.5);
    p.setPen(QPen(QColor(0xff, 0xfb, 0xf6), 2.6, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(9, 9), QPointF(17, 17));
    p.drawLine(QPointF(17, 9), QPointF(9, 17));
}

void backArrow(QPainter& p) {
    QRadialGradient g(QPointF(11, 10), 13);
    g.setColorAt(0, QColor(0x8f, 0xc9, 0xc0));
    g.setColorAt(1, QColor(0x3f, 0x86, 0x80));
    p.setPen(ink(1.2));
    p.setBrush(g);
    p.drawEllipse(QPointF(13, 13), 10.5, 10.5);
    QPen pen(QColor(0xff, 0xfb, 0xf6), 2.4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    p.setPen(pen);
    p.setBrush(Qt::NoBrush);
    QPainterPath path;
    path.moveTo(17.5, 18);
    path.cubicTo(19.5, 12, 16, 8.5, 11, 9.2);
    path.lineTo(8, 9.2);
    p.drawPath(path);
    QPainterPath head;
    head.moveTo(6.5, 9.2);
    head.lineTo(10.8, 5.6);
    head.lineTo(10.8, 12.8);
    head.closeSubpath();
    p.setPen(QPen(QColor(0xff, 0xfb, 0xf6), 1.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(QColor(0xff, 0xfb, 0xf6));
    p.drawPath(head);
}

QImage keyed(const Glyph& draw) {
    return toKeyed(glyph(draw), keyColour(), kButtonFace);
}

} // namespace

// The design's own icons (transparent PNG) share the drawings, and so may other pictures
// (in a 26 x 26 coordinate space).
QImage designGlyph(const char* name, int scale = 1);
void paintSequenceGlyph(QPainter& p, int sequence);

void paintSequenceGlyph(QPainter& p, int sequence) {
    switch (sequence) {
    case 0:
        lungs(p);
        break;
    case 1:
        yogaFigure(p);
        break;
    case 2:
        eye(p);
        break;
    default:
        moon(p);
        break;
    }
}

QImage designGlyph(const char* name, int scale) {
    const std::string n = name;
    if (n == "uhr_design")
        return glyph(clockFace, scale);
    if (n == "size")
        return glyph(
            [](QPainter& p) {
                // Three frames, small to large.
                const QColor c[3] = {QColor(0x3f, 0x86, 0x80), QColor(0x5d, 0x9f, 0xc8),
                                     QColor(0xe0, 0x8a, 0x5e)};
                for (int i = 2; i >= 0; --i) {
                    const double s = 7 + i * 6.5;
                    p.setPen(ink(1.2));
                    p.setBrush(c[i]);
                    p.drawRoundedRect(QRectF(2.5, 23.5 - s, s, s), 1.8, 1.8);
                }
            },
            scale);
    if (n == "hilfe")
        return glyph(
            [](QPainter& p) {
                QRadialGradient g(QPointF(11, 10), 13);
                g.setColorAt(0, QColor(0x8c, 0xbf, 0xe6));
                g.setColorAt(1, QColor(0x3f, 0x7f, 0xb8));
                p.setPen(ink(1.2));
                p.setBrush(g);
                p.drawEllipse(QPointF(13, 13), 10.5, 10.5);
                p.setPen(QColor(0xff, 0xfb, 0xf6));
                p.setFont(uiFont(17, true));
                p.drawText(QRectF(0, 0.5, 26, 26), Qt::AlignCenter, QStringLiteral("?"));
            },
            scale);
    if (n == "menue")
        return glyph(
            [](QPainter& p) {
                // Three sliders.
                const double knob[3] = {16.5, 8.5, 13.5};
                for (int i = 0; i < 3; ++i) {
                    const double y = 6 + i * 7;
                    p.setPen(QPen(kInk, 2.0, Qt::SolidLine, Qt::RoundCap));
                    p.drawLine(QPointF(3.5, y), QPointF(22.5, y));
                    p.setPen(ink(1.1));
                    p.setBrush(i == 1 ? QColor(0xe0, 0x8a, 0x5e) : QColor(0x5d, 0x9f, 0xc8));
                    p.drawEllipse(QPointF(knob[i], y), 3.2, 3.2);
                }
            },
            scale);
    // impres
    return glyph(
        [](QPainter& p) {
            QRadialGradient g(QPointF(11, 10), 13);
            g.setColorAt(0, QColor(0xa9, 0xd3, 0xa0));
            g.setColorAt(1, QColor(0x58, 0x9a, 0x5a));
            p.setPen(ink(1.2));
            p.setBrush(g);
            p.drawEllipse(QPointF(13, 13), 10.5, 10.5);
            p.setPen(Qt::NoPen);
            p.setBrush(QColor(0xff, 0xfb, 0xf6));
            p.drawEllipse(QPointF(13, 7.6), 1.9, 1.9);
            p.drawRoundedRect(QRectF(11.3, 11, 3.4, 9.5), 1.4, 1.4);
        },
        scale);
}

void addIconJobs(std::vector<Job>& jobs, const Context&) {
    const QString dir = QStringLiteral("data/Pictures/Icons/");
    const struct {
        const char* name;
        Glyph draw;
        QColor light; // invalid: none
    } icons[] = {
        {"lunge", lungs, QColor()},       {"lunge2", lungs, QColor(0x3c, 0xc2, 0x4a)},
        {"yoga", yogaFigure, QColor()},   {"yoga2", yogaFigure, QColor(0x3c, 0xc2, 0x4a)},
        {"augen", eye, QColor()},         {"augen2", eye, QColor(0x3c, 0xc2, 0x4a)},
        {"entsp", moon, QColor()},        {"entsp2", moon, QColor(0x3c, 0xc2, 0x4a)},
        {"uhr", clockFace, QColor()},     {"uhr2", clockFace, QColor(0xe2, 0x3b, 0x2e)},
        {"close", closeButton, QColor()}, {"zuruck", backArrow, QColor()},
    };
    for (const auto& icon : icons) {
        const Glyph draw = icon.draw;
        const QColor lamp = icon.light;
        const Glyph withLight = [draw, lamp](QPainter& p) {
            draw(p);
            if (lamp.isValid())
                light(p, lamp);
        };
        jobs.push_back({dir + QLatin1String(icon.name) + QStringLiteral(".bmp"), Format::KeyedBmp,
                        [withLight] { return keyed(withLight); }});
        // The same glyph at twice the resolution, for scaled screens, built into the program.
        jobs.push_back({QStringLiteral("app/design/glyphs/") + QLatin1String(icon.name) +
                            QStringLiteral("@2x.png"),
                        Format::Png, [withLight] { return glyph(withLight, 2); }});
    }
}

} // namespace pic
