#include "Journeys.h"

#include "Landscapes.h"
#include "Math.h"
#include "Paint.h"

#include <QLinearGradient>
#include <QRadialGradient>

#include <vector>

namespace pic {

namespace {

const QRectF kWindow(560, 70, 640, 360);

QColor hex(int v, int alpha = 255) {
    return QColor((v >> 16) & 0xff, (v >> 8) & 0xff, v & 0xff, alpha);
}

// The screen of the monitor: a document and a chart, the look of a working day.
void paintScreen(QPainter& p, const QRectF& s) {
    QLinearGradient g(s.topLeft(), s.bottomRight());
    g.setColorAt(0, hex(0xe9f1f7));
    g.setColorAt(1, hex(0xcfdfeb));
    p.fillRect(s, g);
    const double u = s.width() / 100.0;
    // A window with a title bar and lines of text.
    const QRectF doc(s.left() + 6 * u, s.top() + 7 * u, 52 * u, s.height() - 12 * u);
    p.fillRect(doc, hex(0xffffff));
    p.fillRect(QRectF(doc.left(), doc.top(), doc.width(), 4 * u), hex(0x7ea6c8));
    Rng r(3);
    for (int i = 0; i < 10; ++i) {
        const double y = doc.top() + 8 * u + i * 3.6 * u;
        if (y > doc.bottom() - 3 * u)
            break;
        p.fillRect(QRectF(doc.left() + 3 * u, y, doc.width() * r.range(0.45, 0.85), 1.3 * u),
                   hex(0xa9b4bf));
    }
    // A small bar chart.
    const QRectF chart(s.left() + 63 * u, s.top() + 7 * u, 31 * u, 26 * u);
    p.fillRect(chart, hex(0xffffff));
    const QColor bars[3] = {hex(0xe8a36f), hex(0x7fb4a6), hex(0x9ab0d8)};
    for (int i = 0; i < 5; ++i) {
        const double h = chart.height() * (0.3 + 0.12 * ((i * 7) % 5));
        p.fillRect(QRectF(chart.left() + (3 + i * 5.5) * u, chart.bottom() - 2 * u - h * 0.8,
                          3.5 * u, h * 0.8),
                   bars[i % 3]);
    }
    p.fillRect(QRectF(s.left() + 63 * u, s.top() + 37 * u, 31 * u, s.height() - 42 * u),
               hex(0xf6f8fa));
}

// The workplace seen from the chair, in two layers: the wall with its window (which shows the
// landscape; `mullions` fades the window's bars), and the desk with everything on it.
void paintOfficeWall(QPainter& p, const QImage& landscape, double mullions, OfficeLight light) {
    const bool evening = light == OfficeLight::Evening;
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    p.setPen(Qt::NoPen);
    // Wall.
    QLinearGradient wall(0, 0, 0, 720);
    wall.setColorAt(0, evening ? hex(0xd9c9b6) : hex(0xeee6d8));
    wall.setColorAt(1, evening ? hex(0xc6b29b) : hex(0xddd1bd));
    p.fillRect(QRectF(-200, -200, 1700, 1200), wall);
    // Window: the landscape, a frame and a sill.
    p.drawImage(kWindow, landscape);
    const QColor frame = evening ? hex(0xefe6da) : hex(0xfbf8f2);
    QPen bar(withAlpha(frame, mullions), 12);
    p.setPen(bar);
    p.drawLine(QPointF(kWindow.center().x(), kWindow.top()),
               QPointF(kWindow.center().x(), kWindow.bottom()));
    p.drawLine(QPointF(kWindow.left(), kWindow.top() + 120),
               QPointF(kWindow.right(), kWindow.top() + 120));
    p.setPen(Qt::NoPen);
    QPainterPath border;
    border.addRect(kWindow.adjusted(-16, -16, 16, 16));
    border.addRect(kWindow);
    p.fillPath(border, frame);
    p.fillRect(QRectF(kWindow.left() - 30, kWindow.bottom() + 12, kWindow.width() + 60, 14),
               evening ? hex(0xe2d6c6) : hex(0xf3efe7));
    // Shelf with books and a clock on the left wall.
    p.fillRect(QRectF(60, 212, 380, 10), hex(0xb08b68));
    const QColor books[6] = {hex(0x7fa7c4), hex(0xd98c6a), hex(0xe5c66f),
                             hex(0x8fb48a), hex(0xb59ac9), hex(0xd7a0a8)};
    double x = 80;
    Rng r(11);
    for (int i = 0; i < 11; ++i) {
        const double w = r.range(14, 24), h = r.range(58, 84);
        if (i == 7) {
            p.save();
            p.translate(x + 4, 212);
            p.rotate(-14);
            p.fillRect(QRectF(0, -h, w, h), books[i % 6]);
            p.restore();
            x += w + 16;
            continue;
        }
        p.fillRect(QRectF(x, 212 - h, w, h), books[i % 6]);
        p.fillRect(QRectF(x + 3, 212 - h + 10, w - 6, 3), hex(0xffffff, 110));
        x += w + 2;
    }
    const QPointF clock(250, 105);
    p.setBrush(hex(0x6d5a4a));
    p.drawEllipse(clock, 40, 40);
    p.setBrush(hex(0xfbf7ef));
    p.drawEllipse(clock, 34, 34);
    p.setPen(QPen(hex(0x4a4038), 4, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(clock, clock + QPointF(0, -22));
    p.drawLine(clock, clock + QPointF(16, 6));
    p.setPen(Qt::NoPen);
}

void paintOfficeDesk(QPainter& p, OfficeLight light) {
    const bool evening = light == OfficeLight::Evening;
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    // Desk top, seen from the chair.
    QPainterPath desk;
    desk.moveTo(-200, 460);
    desk.lineTo(1480, 460);
    desk.lineTo(1480, 900);
    desk.lineTo(-200, 900);
    desk.closeSubpath();
    QLinearGradient dg(0, 460, 0, 720);
    dg.setColorAt(0, evening ? hex(0xc9a47c) : hex(0xe4c49d));
    dg.setColorAt(1, evening ? hex(0xb48c63) : hex(0xd1aa7e));
    p.fillPath(desk, dg);
    p.fillRect(QRectF(-200, 456, 1680, 6), evening ? hex(0xa98a6a) : hex(0xc4a27c));
    // Monitor.
    p.setBrush(hex(0x2f343d));
    p.drawEllipse(QPointF(360, 470), 80, 13);
    p.fillRect(QRectF(346, 400, 28, 66), hex(0x383e48));
    p.drawRoundedRect(QRectF(160, 168, 400, 246), 10, 10);
    paintScreen(p, QRectF(172, 180, 376, 222));
    // Keyboard and mouse.
    QPainterPath kb;
    kb.moveTo(300, 540);
    kb.lineTo(680, 540);
    kb.lineTo(720, 616);
    kb.lineTo(262, 616);
    kb.closeSubpath();
    p.fillPath(kb, hex(0xf2f1ed));
    p.setBrush(hex(0xd9d8d3));
    for (int row = 0; row < 4; ++row) {
        const double y0 = 548 + row * 17, y1 = y0 + 12;
        const double l0 = 300 - (y0 - 540) * 0.5 + 8, r0 = 680 + (y0 - 540) * 0.5 - 8;
        for (int k = 0; k < 14; ++k) {
            const double a = l0 + (r0 - l0) * k / 14.0 + 2;
            p.drawRect(QRectF(a, y0, (r0 - l0) / 14.0 - 4, y1 - y0));
        }
    }
    p.setBrush(hex(0xf2f1ed));
    p.drawEllipse(QPointF(800, 585), 24, 34);
    p.setBrush(hex(0xd9d8d3));
    p.drawRect(QRectF(799, 556, 2, 22));
    // Mug with steam.
    p.setBrush(hex(0xe58b6d));
    p.drawRoundedRect(QRectF(930, 470, 64, 78), 10, 10);
    p.setBrush(hex(0xf0a286));
    p.drawEllipse(QPointF(962, 472), 32, 8);
    p.setBrush(hex(0x6b4a35));
    p.drawEllipse(QPointF(962, 473), 27, 6);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(hex(0xe58b6d), 9, Qt::SolidLine, Qt::RoundCap));
    p.drawArc(QRectF(978, 488, 36, 40), -80 * 16, 160 * 16);
    p.setPen(QPen(hex(0xffffff, 150), 4, Qt::SolidLine, Qt::RoundCap));
    for (int i = 0; i < 2; ++i) {
        QPainterPath steam;
        steam.moveTo(950 + i * 22, 455);
        steam.cubicTo(940 + i * 22, 430, 965 + i * 22, 420, 952 + i * 22, 395);
        p.drawPath(steam);
    }
    p.setPen(Qt::NoPen);
    // Papers.
    p.save();
    p.translate(1120, 640);
    p.rotate(-8);
    p.setBrush(hex(0xe9e4da));
    p.drawRect(QRectF(-95, -50, 190, 120));
    p.rotate(5);
    p.setBrush(hex(0xfdfbf6));
    p.drawRect(QRectF(-95, -56, 190, 120));
    p.setBrush(hex(0xc9ccd2));
    for (int i = 0; i < 6; ++i)
        p.drawRect(QRectF(-75, -38 + i * 14, 120 + (i % 3) * 10, 4));
    p.restore();
    // A plant in a pot on the left.
    {
        const QPointF base(110, 520);
        const QColor greens[3] = {hex(0x5f9a62), hex(0x76af72), hex(0x4f8857)};
        for (int k = 0; k < 11; ++k) {
            p.save();
            p.translate(base + QPointF(0, -40));
            p.rotate(-150 + k * 12);
            p.setBrush(greens[k % 3]);
            const double len = 80 + (k * 29 % 40);
            QPainterPath leaf;
            leaf.moveTo(0, 0);
            leaf.cubicTo(len * 0.3, -len * 0.22, len * 0.75, -len * 0.18, len, 0);
            leaf.cubicTo(len * 0.75, len * 0.14, len * 0.3, len * 0.12, 0, 0);
            p.drawPath(leaf);
            p.restore();
        }
        QPainterPath pot;
        pot.moveTo(base.x() - 55, base.y() - 50);
        pot.lineTo(base.x() + 55, base.y() - 50);
        pot.lineTo(base.x() + 42, base.y() + 30);
        pot.lineTo(base.x() - 42, base.y() + 30);
        pot.closeSubpath();
        p.fillPath(pot, hex(0xd98b5f));
        p.fillRect(QRectF(base.x() - 58, base.y() - 56, 116, 14), hex(0xe39a70));
    }
    // Desk lamp on the right; lit in the evening.
    {
        const QPointF foot(1190, 470);
        p.setBrush(hex(0x4b5563));
        p.drawEllipse(foot, 46, 11);
        p.setPen(QPen(hex(0x4b5563), 9, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(foot, QPointF(1150, 330));
        p.drawLine(QPointF(1150, 330), QPointF(1070, 290));
        p.setPen(Qt::NoPen);
        QPainterPath shade;
        shade.moveTo(1030, 265);
        shade.lineTo(1090, 270);
        shade.lineTo(1110, 330);
        shade.lineTo(1000, 320);
        shade.closeSubpath();
        p.fillPath(shade, hex(0x4b5563));
        if (evening) {
            paintGlow(p, QPointF(1055, 335), 240, hex(0xffd9a0, 150));
            p.setBrush(hex(0xfff0c8));
            p.drawEllipse(QPointF(1055, 326), 48, 7);
        }
    }
}

QImage officeLayer(const QImage& landscape, double t, OfficeLight light) {
    QImage img(kBoardW, kBoardH, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    QPainter p(&img);
    // Walking towards the window: the zoom doubles over the journey, so that the window fills
    // the whole picture at its end.
    const double z = std::pow(2.0, t);
    const QPointF wc = kWindow.center();
    const QPointF fc(kBoardW / 2.0, kBoardH / 2.0);
    const QPointF c = wc + (fc - wc) * (z - 1.0);
    p.save();
    p.translate(c);
    p.scale(z, z);
    p.translate(-wc);
    paintOfficeWall(p, landscape, 1.0 - smoothstep(0.15, 0.55, t), light);
    p.restore();
    // The desk is near: it grows faster and sinks out of view, and fades as one walks on.
    const double fade = 1.0 - smoothstep(0.35, 0.6, t);
    if (fade > 0) {
        QImage desk(kBoardW, kBoardH, QImage::Format_ARGB32_Premultiplied);
        desk.fill(Qt::transparent);
        {
            QPainter q(&desk);
            const double zd = std::pow(z, 2.6);
            const QPointF anchor(kBoardW / 2.0, 420);
            q.translate(anchor + QPointF(0, 2200 * t * t + 200 * t));
            q.scale(zd, zd);
            q.translate(-anchor);
            paintOfficeDesk(q, light);
        }
        p.setOpacity(fade);
        p.drawImage(0, 0, desk);
        p.setOpacity(1);
    }
    return img;
}

} // namespace

QImage journeyFrame(int k, const QImage& destination, OfficeLight light) {
    if (k >= 11)
        return destination.convertToFormat(QImage::Format_RGB32);
    const double t = (k - 1) / 10.0;
    QImage out(kBoardW, kBoardH, QImage::Format_RGB32);
    out.fill(Qt::black);
    QPainter p(&out);
    p.drawImage(0, 0, officeLayer(destination, t, light));
    // Light from outside floods the room more and more.
    paintGlow(p, QPointF(kBoardW / 2.0, kBoardH / 2.0), 900,
              QColor(255, 252, 240, int(90 * smoothstep(0.3, 1.0, t))));
    return out;
}

QImage dissolveFrame(int k, const QImage& destination) {
    const QImage office = officeLayer(destination, 0, OfficeLight::Day);
    if (k <= 1)
        return office.convertToFormat(QImage::Format_RGB32);
    if (k >= 11)
        return destination.convertToFormat(QImage::Format_RGB32);
    const double t = (k - 1) / 10.0;
    // The workplace dissolves in soft patches, first around the window, last at the edges.
    QImage out = office.convertToFormat(QImage::Format_RGB32);
    const QImage dest = destination.convertToFormat(QImage::Format_RGB32);
    const QPointF wc = kWindow.center();
    std::vector<double> n(size_t(kBoardW) * kBoardH);
    double lo = 1e9, hi = -1e9;
    for (int y = 0; y < kBoardH; ++y)
        for (int x = 0; x < kBoardW; ++x) {
            const double dist = std::hypot((x - wc.x()) / 1100.0, (y - wc.y()) / 700.0);
            const double v = 0.55 * noise2(x / 90.0, y / 90.0, 5) + 0.45 * std::min(1.0, dist);
            n[size_t(y) * kBoardW + size_t(x)] = v;
            lo = std::min(lo, v);
            hi = std::max(hi, v);
        }
    const double soft = 0.05;
    const double threshold = mix(lo - soft, hi + soft, t);
    for (int y = 0; y < kBoardH; ++y) {
        QRgb* o = reinterpret_cast<QRgb*>(out.scanLine(y));
        const QRgb* d = reinterpret_cast<const QRgb*>(dest.constScanLine(y));
        for (int x = 0; x < kBoardW; ++x) {
            const double v = n[size_t(y) * kBoardW + size_t(x)];
            const double m = smoothstep(v + soft, v - soft, threshold);
            const double a = 1.0 - m;
            if (a <= 0)
                continue;
            o[x] = qRgb(int(mix(qRed(o[x]), qRed(d[x]), a) + 0.5),
                        int(mix(qGreen(o[x]), qGreen(d[x]), a) + 0.5),
                        int(mix(qBlue(o[x]), qBlue(d[x]), a) + 0.5));
        }
    }
    return out;
}

} // namespace pic
