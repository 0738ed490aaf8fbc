#include "Landscapes.h"

#include "Math.h"
#include "Paint.h"

#include <QLinearGradient>
#include <QRadialGradient>

namespace pic {

namespace {

QColor hex(int v, int alpha = 255) {
    return QColor((v >> 16) & 0xff, (v >> 8) & 0xff, v & 0xff, alpha);
}

void fillVertical(QPainter& p, const QRectF& r,
                  std::initializer_list<std::pair<double, QColor>> stops) {
    QLinearGradient g(0, r.top(), 0, r.bottom());
    for (const auto& s : stops)
        g.setColorAt(s.first, s.second);
    p.fillRect(r, g);
}

// A hill layer with a soft light along its crest.
void hill(QPainter& p, double top, double amp, double freq, int seed, QColor colour, QColor crest,
          double bottom = kBoardH + 2) {
    auto y = [&](double x) { return top + amp * wave(x * freq, seed); };
    const QPainterPath path = ridge(-10, kBoardW + 10, bottom, y);
    QLinearGradient g(0, top - amp, 0, top + amp + 140);
    g.setColorAt(0, crest);
    g.setColorAt(1, colour);
    p.fillPath(path, g);
}

void flowers(QPainter& p, Rng& r, QRectF area, int count, double size) {
    const QColor colours[4] = {hex(0xfff8ee), hex(0xf7d45c), hex(0xf1a5b8), hex(0xc9b8f0)};
    p.save();
    p.setPen(Qt::NoPen);
    for (int i = 0; i < count; ++i) {
        const double x = r.range(area.left(), area.right());
        const double t = r.next();
        const double y = area.top() + t * t * area.height();
        const double s = size * (0.4 + 0.8 * (y - area.top()) / area.height());
        p.setBrush(colours[i % 4]);
        p.drawEllipse(QPointF(x, y), s, s * 0.8);
        p.setBrush(hex(0xf4c542));
        p.drawEllipse(QPointF(x, y), s * 0.35, s * 0.3);
    }
    p.restore();
}

void grass(QPainter& p, Rng& r, QRectF area, int count, QColor colour, double len) {
    p.save();
    for (int i = 0; i < count; ++i) {
        const double x = r.range(area.left(), area.right());
        const double y = r.range(area.top(), area.bottom());
        const double l = len * (0.5 + (y - area.top()) / area.height());
        QPen pen(mixColour(colour, hex(0xeaf5c8), r.range(0, 0.35)), std::max(1.0, l * 0.12));
        pen.setCapStyle(Qt::RoundCap);
        p.setPen(pen);
        const double lean = r.range(-0.5, 0.5) * l;
        QPainterPath blade;
        blade.moveTo(x, y);
        blade.quadTo(x + lean * 0.2, y - l * 0.6, x + lean, y - l);
        p.drawPath(blade);
    }
    p.restore();
}

} // namespace

QImage paintMeadow() {
    QImage img(kBoardW, kBoardH, QImage::Format_RGB32);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    fillVertical(p, QRectF(0, 0, kBoardW, 460),
                 {{0, hex(0x78aee0)}, {0.55, hex(0xb4d8ee)}, {1, hex(0xf1ead0)}});
    paintGlow(p, QPointF(1010, 150), 330, hex(0xfff3cf, 200));
    paintGlow(p, QPointF(1010, 150), 70, hex(0xfffbe8, 255));
    p.setPen(Qt::NoPen);
    p.setBrush(hex(0xfffdf2));
    p.drawEllipse(QPointF(1010, 150), 38, 38);
    paintCloud(p, QPointF(260, 120), 300, hex(0xffffff, 235), 1);
    paintCloud(p, QPointF(620, 70), 220, hex(0xffffff, 220), 2);
    paintCloud(p, QPointF(820, 210), 180, hex(0xfffaf0, 200), 3);
    // Far mountains in the haze.
    hill(p, 350, 38, 0.006, 5, hex(0xa9bfd3), hex(0xc7d6e2));
    hill(p, 395, 26, 0.008, 6, hex(0xa4c3a6), hex(0xc2d8b8));
    hill(p, 440, 30, 0.005, 7, hex(0x97c47c), hex(0xb8d990));
    Rng r(42);
    for (int i = 0; i < 7; ++i) {
        const double x = 80 + i * 175 + r.range(-40, 40);
        const double y = 440 + 30 * wave(x * 0.005, 7) + 6;
        paintRoundTree(p, QPointF(x, y), r.range(55, 80), hex(0x6fa85c), i + 10);
    }
    hill(p, 520, 34, 0.004, 8, hex(0x7fb763), hex(0xa6d27d));
    paintRoundTree(p, QPointF(180, 520 + 34 * wave(180 * 0.004, 8) + 8), 190, hex(0x5f9c52), 31);
    paintConifer(p, QPointF(1120, 520 + 34 * wave(1120 * 0.004, 8) + 8), 170, hex(0x4f8a58));
    paintConifer(p, QPointF(1185, 520 + 34 * wave(1185 * 0.004, 8) + 10), 130, hex(0x4a8453));
    // A path winding into the meadow, wide near us and narrow far off.
    QPainterPath path;
    path.moveTo(500, 722);
    path.cubicTo(600, 650, 760, 610, 700, 565);
    path.cubicTo(680, 548, 712, 530, 738, 518);
    path.lineTo(750, 519);
    path.cubicTo(730, 532, 716, 548, 746, 566);
    path.cubicTo(830, 616, 760, 660, 860, 722);
    path.closeSubpath();
    hill(p, 640, 16, 0.007, 9, hex(0x6aa452), hex(0x8cc366));
    {
        const QPainterPath near =
            ridge(-10, kBoardW + 10, 722, [](double x) { return 640 + 16 * wave(x * 0.007, 9); });
        paintTextured(p, near, hex(0x86c05e, 0), hex(0x4f8f43, 90), 16, 44, 0.8);
    }
    paintTextured(p, path, hex(0xeddcb0), hex(0xd9c08e), 12, 45, 0.6);
    // Grass and flowers, but not on the path.
    QImage blades(kBoardW, kBoardH, QImage::Format_ARGB32_Premultiplied);
    blades.fill(Qt::transparent);
    {
        QPainter q(&blades);
        q.setRenderHint(QPainter::Antialiasing);
        grass(q, r, QRectF(0, 600, kBoardW, 120), 900, hex(0x4f8f43), 22);
        flowers(q, r, QRectF(0, 560, kBoardW, 160), 240, 4.2);
        q.setCompositionMode(QPainter::CompositionMode_DestinationOut);
        q.fillPath(path, QColor(0, 0, 0, 200));
    }
    p.drawImage(0, 0, blades);
    return img;
}

namespace {

// A boulder: a rounded shape, lit from the upper left, with moss on top.
void boulder(QPainter& p, QPointF c, double w, double h, int seed, bool moss = true) {
    QPainterPath shape;
    Rng r(std::uint64_t(seed) + 77);
    const int n = 14;
    for (int i = 0; i <= n; ++i) {
        const double a = i * 6.2831853 / n;
        const double k = 1.0 + 0.08 * std::sin(a * 3 + seed) + r.range(-0.04, 0.04);
        const QPointF q(c.x() + std::cos(a) * w * k, c.y() + std::min(0.35, std::sin(a)) * h * k);
        if (i == 0)
            shape.moveTo(q);
        else
            shape.lineTo(q);
    }
    shape.closeSubpath();
    paintTextured(p, shape, hex(0xb9b5a6), hex(0x8d8b80), 18, seed, 0.8);
    QRadialGradient shade(c + QPointF(-w * 0.35, -h * 0.55), w * 1.4);
    shade.setColorAt(0, hex(0xffffff, 70));
    shade.setColorAt(0.5, hex(0xffffff, 0));
    shade.setColorAt(1, hex(0x2f3a35, 90));
    p.fillPath(shape, shade);
    if (moss) {
        QPainterPath cap;
        cap.addEllipse(c + QPointF(-w * 0.1, -h * 0.85), w * 0.75, h * 0.35);
        paintTextured(p, cap.intersected(shape), hex(0x8fbf5f), hex(0x5f9248), 9, seed + 3);
    }
}

} // namespace

QImage paintWaterfall() {
    QImage img(kBoardW, kBoardH, QImage::Format_RGB32);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    Rng r(7);
    fillVertical(p, QRectF(0, 0, kBoardW, 420),
                 {{0, hex(0x86c0e6)}, {0.55, hex(0xc3e3ef)}, {1, hex(0xe4f2ec)}});
    paintCloud(p, QPointF(330, 70), 280, hex(0xffffff, 225), 21);
    paintCloud(p, QPointF(1110, 55), 220, hex(0xffffff, 205), 22);

    // Far forested hills in the haze.
    hill(p, 205, 26, 0.006, 23, hex(0x9dbfae), hex(0xb5d1c1));
    for (int i = 0; i < 34; ++i) {
        const double x = i * 39 + r.range(-10, 10);
        paintConifer(p, QPointF(x, 222 + 26 * wave(x * 0.006, 23)), r.range(42, 70), hex(0x84ad98));
    }
    hill(p, 245, 22, 0.008, 24, hex(0x86ab88), hex(0x9cc19a));

    // The cliff behind the fall, with a notch where the water comes over.
    auto cliffTop = [](double x) {
        const double notch = -30 * std::exp(-std::pow((x - 905) / 70.0, 2));
        return 175 + 22 * wave(x * 0.011, 25) - notch;
    };
    const QPainterPath cliff = ridge(-10, kBoardW + 10, 660, cliffTop);
    paintTextured(p, cliff, hex(0xa3ab9c), hex(0x7b8a7e), 70, 31, 0.55);
    paintTextured(p, cliff, hex(0x9aa596, 0), hex(0x6a786d, 110), 22, 32, 0.6);
    // Light from above, darker towards the pool.
    {
        QLinearGradient g(0, 170, 0, 620);
        g.setColorAt(0, hex(0xffffff, 40));
        g.setColorAt(0.6, hex(0x000000, 0));
        g.setColorAt(1, hex(0x1d2a26, 90));
        p.fillPath(cliff, g);
    }
    p.save();
    p.setClipPath(cliff);
    // Ledges with a light edge and a shadow below, and cracks.
    for (int i = 0; i < 26; ++i) {
        const double y = r.range(200, 520), x = r.range(-10, 1270), w = r.range(50, 160);
        QPainterPath ledge;
        ledge.moveTo(x, y);
        ledge.cubicTo(x + w * 0.3, y - 4, x + w * 0.7, y + 3, x + w, y - 1);
        p.setPen(QPen(hex(0x3e4a44, 90), 3.2, Qt::SolidLine, Qt::RoundCap));
        p.drawPath(ledge.translated(0, 3));
        p.setPen(QPen(hex(0xe8ece0, 90), 1.8, Qt::SolidLine, Qt::RoundCap));
        p.drawPath(ledge);
        if (i % 3 == 0) {
            QPainterPath moss;
            moss.addEllipse(QPointF(x + w * 0.5, y - 2), w * 0.35, 5);
            paintTextured(p, moss, hex(0x8cbc5c), hex(0x5c8f45), 6, i);
        }
    }
    for (int i = 0; i < 14; ++i) {
        const double x = r.range(0, 1270), y = r.range(200, 420);
        QPainterPath crack;
        crack.moveTo(x, y);
        crack.cubicTo(x + r.range(-10, 10), y + 40, x + r.range(-14, 14), y + 80,
                      x + r.range(-8, 8), y + r.range(90, 150));
        p.setPen(QPen(hex(0x3e4a44, 70), 2, Qt::SolidLine, Qt::RoundCap));
        p.setBrush(Qt::NoBrush);
        p.drawPath(crack);
    }
    p.restore();
    // Moss and grass along the top of the cliff, trees above it.
    {
        QPainterPath top;
        top.moveTo(-10, 600);
        for (int i = 0; i <= 140; ++i) {
            const double x = -10 + (kBoardW + 20) * i / 140.0;
            top.lineTo(x, cliffTop(x) - 3);
        }
        for (int i = 140; i >= 0; --i) {
            const double x = -10 + (kBoardW + 20) * i / 140.0;
            top.lineTo(x, cliffTop(x) + 12 + 6 * wave(x * 0.05, 26));
        }
        top.closeSubpath();
        paintTextured(p, top, hex(0x96c466), hex(0x5f9548), 8, 27);
    }
    for (int i = 0; i < 16; ++i) {
        const double x = 150 + i * 48 + r.range(-10, 10);
        if (x > 800)
            break;
        paintConifer(p, QPointF(x, cliffTop(x) + 6), r.range(90, 130), hex(0x4b875a));
    }
    paintRoundTree(p, QPointF(1040, cliffTop(1040) + 8), 150, hex(0x67a257), 26);
    paintConifer(p, QPointF(1130, cliffTop(1130) + 8), 150, hex(0x4a865a));
    paintRoundTree(p, QPointF(1230, cliffTop(1230) + 8), 130, hex(0x6fa85c), 28);

    // The waterfall: falling in sheets, brightest in the middle.
    {
        const double top = cliffTop(905) - 4, bottom = 540;
        QImage fallLayer(kBoardW, kBoardH, QImage::Format_ARGB32_Premultiplied);
        fallLayer.fill(Qt::transparent);
        QPainter q(&fallLayer);
        q.setRenderHint(QPainter::Antialiasing);
        QPainterPath fall;
        fall.moveTo(842, top + 6);
        fall.cubicTo(846, top + 90, 824, 380, 808, bottom);
        fall.lineTo(1004, bottom);
        fall.cubicTo(990, 380, 966, top + 90, 968, top + 6);
        fall.cubicTo(940, top - 6, 870, top - 6, 842, top + 6);
        QLinearGradient fg(0, top, 0, bottom);
        fg.setColorAt(0, hex(0xcfe9f2));
        fg.setColorAt(0.4, hex(0xe9f6f9));
        fg.setColorAt(1, hex(0xffffff));
        q.fillPath(fall, fg);
        q.setClipPath(fall);
        for (int i = 0; i < 70; ++i) {
            const double x0 = r.range(838, 972);
            const double spread = (x0 - 905) / 67.0;
            const double y0 = top + r.range(-10, 200);
            const double len = r.range(80, 320);
            QPen pen(i % 4 ? hex(0x9fcbdc, 120) : hex(0xffffff, 230), r.range(1.2, 3.5),
                     Qt::SolidLine, Qt::RoundCap);
            q.setPen(pen);
            q.drawLine(QPointF(x0 + spread * (y0 - top) * 0.12, y0),
                       QPointF(x0 + spread * (y0 + len - top) * 0.12, y0 + len));
        }
        q.end();
        p.drawImage(0, 0, blurred(fallLayer, 1.2));
        // The lip where the water comes over.
        p.setPen(QPen(hex(0xffffff, 220), 5, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(850, top + 6), QPointF(962, top + 6));
    }

    // The pool, with the fall mirrored in it and rings around the foot of the fall.
    const QPainterPath pool = [] {
        QPainterPath path;
        path.moveTo(470, 560);
        path.cubicTo(520, 520, 760, 512, 905, 514);
        path.cubicTo(1080, 516, 1250, 522, 1290, 540);
        path.lineTo(1290, 650);
        path.lineTo(470, 650);
        path.closeSubpath();
        return path;
    }();
    {
        QLinearGradient g(0, 512, 0, 650);
        g.setColorAt(0, hex(0x7fc0c8));
        g.setColorAt(1, hex(0x3f8f9c));
        p.fillPath(pool, g);
        p.save();
        p.setClipPath(pool);
        QImage refl(kBoardW, kBoardH, QImage::Format_ARGB32_Premultiplied);
        refl.fill(Qt::transparent);
        {
            QPainter q(&refl);
            QLinearGradient g(0, 520, 0, 640);
            g.setColorAt(0, hex(0xffffff, 130));
            g.setColorAt(1, hex(0xffffff, 0));
            q.fillRect(QRectF(830, 520, 150, 110), g);
        }
        p.drawImage(0, 0, blurred(refl, 10));
        p.setBrush(Qt::NoBrush);
        for (int i = 0; i < 6; ++i) {
            p.setPen(QPen(hex(0xe9f8f8, 150 - i * 18), 2));
            p.drawEllipse(QPointF(905, 548), 120 + i * 55, 12 + i * 7);
        }
        p.restore();
    }
    boulder(p, QPointF(612, 548), 70, 34, 1);
    boulder(p, QPointF(700, 568), 46, 24, 2);
    boulder(p, QPointF(1120, 556), 84, 38, 3);
    boulder(p, QPointF(1232, 584), 60, 30, 4);
    // Mist over the foot of the fall.
    {
        QImage mist(kBoardW, kBoardH, QImage::Format_ARGB32_Premultiplied);
        mist.fill(Qt::transparent);
        QPainter q(&mist);
        q.setRenderHint(QPainter::Antialiasing);
        q.setPen(Qt::NoPen);
        for (int i = 0; i < 26; ++i) {
            q.setBrush(hex(0xffffff, int(r.range(130, 230))));
            q.drawEllipse(QPointF(r.range(800, 1010), r.range(515, 555)), r.range(26, 60),
                          r.range(12, 26));
        }
        q.setBrush(hex(0xffffff, 60));
        q.drawEllipse(QPointF(905, 500), 230, 80);
        q.end();
        p.drawImage(0, 0, blurred(mist, 14));
    }

    // The near bank: grass, a flat stone to stand on, ferns and flowers; a big tree on the left.
    const QPainterPath bank = ridge(-10, kBoardW + 10, 722, [](double x) {
        return 612 + 16 * wave(x * 0.006, 28) + (x > 760 ? (x - 760) * 0.06 : 0) -
               (x < 470 ? (470 - x) * 0.12 : 0);
    });
    paintTextured(p, bank, hex(0xa2d07c), hex(0x6da356), 14, 29, 0.7);
    {
        QLinearGradient g(0, 560, 0, 720);
        g.setColorAt(0, hex(0xffffff, 30));
        g.setColorAt(1, hex(0x20402a, 60));
        p.fillPath(bank, g);
    }
    boulder(p, QPointF(555, 704), 175, 26, 5, false);
    boulder(p, QPointF(215, 640), 55, 20, 6);
    boulder(p, QPointF(1010, 672), 70, 22, 7);
    grass(p, r, QRectF(0, 600, 380, 120), 340, hex(0x4f8f43), 26);
    grass(p, r, QRectF(760, 640, 520, 80), 300, hex(0x4f8f43), 24);
    flowers(p, r, QRectF(0, 640, 360, 80), 40, 3.6);
    flowers(p, r, QRectF(800, 660, 480, 60), 40, 3.6);
    // Shrubs in the right corner.
    auto shrub = [&](QPointF c, double size, QColor leaf, int seed) {
        Rng sr{std::uint64_t(seed)};
        for (int i = 0; i < 9; ++i) {
            const QPointF q = c + QPointF(sr.range(-1, 1) * size, sr.range(-0.6, 0.2) * size);
            const double rr = size * sr.range(0.35, 0.55);
            QRadialGradient g(q - QPointF(rr * 0.3, rr * 0.4), rr * 1.3);
            g.setColorAt(0, mixColour(leaf, hex(0xfff4c8), 0.3));
            g.setColorAt(0.6, leaf);
            g.setColorAt(1, mixColour(leaf, hex(0x1d3528), 0.45));
            p.setPen(Qt::NoPen);
            p.setBrush(g);
            p.drawEllipse(q, rr, rr * 0.85);
        }
    };
    shrub(QPointF(1205, 690), 80, hex(0x5c9a4e), 51);
    shrub(QPointF(1080, 715), 55, hex(0x69a85a), 52);
    // The tree on the left: trunk and a crown leaving the picture at the top.
    {
        QPainterPath trunk;
        trunk.moveTo(70, 660);
        trunk.cubicTo(90, 500, 60, 300, 96, -10);
        trunk.lineTo(150, -10);
        trunk.cubicTo(128, 300, 150, 520, 140, 662);
        trunk.closeSubpath();
        paintTextured(p, trunk, hex(0x8a6a52), hex(0x5e4636), 10, 40);
        QLinearGradient tg(60, 0, 160, 0);
        tg.setColorAt(0, hex(0xffffff, 40));
        tg.setColorAt(1, hex(0x000000, 60));
        p.fillPath(trunk, tg);
        const QColor leaf = hex(0x5f9a4f);
        for (int i = 0; i < 16; ++i) {
            const QPointF c(r.range(-40, 330), r.range(-60, 120));
            const double rr = r.range(55, 95);
            QRadialGradient g(c - QPointF(rr * 0.3, rr * 0.35), rr * 1.3);
            g.setColorAt(0, mixColour(leaf, hex(0xfff4c8), 0.3));
            g.setColorAt(0.6, leaf);
            g.setColorAt(1, mixColour(leaf, hex(0x1d3528), 0.45));
            p.setPen(Qt::NoPen);
            p.setBrush(g);
            p.drawEllipse(c, rr, rr * 0.85);
        }
    }
    return img;
}

QColor twilightSky(double y) {
    struct Stop {
        double at;
        int colour;
    };
    static const Stop stops[] = {{0.00, 0x1d2752}, {0.30, 0x3c4784}, {0.55, 0x7a68a6},
                                 {0.74, 0xd38ea3}, {0.86, 0xf6c28d}, {0.861, 0xe7b08f},
                                 {0.92, 0x8e7aa0}, {1.00, 0x3a3d6c}};
    y = std::clamp(y, 0.0, 1.0);
    for (size_t i = 1; i < std::size(stops); ++i)
        if (y <= stops[i].at) {
            const double t = (y - stops[i - 1].at) / (stops[i].at - stops[i - 1].at);
            return mixColour(hex(stops[i - 1].colour), hex(stops[i].colour), t);
        }
    return hex(stops[std::size(stops) - 1].colour);
}

QImage paintTwilight() {
    QImage img(kBoardW, kBoardH, QImage::Format_RGB32);
    for (int y = 0; y < kBoardH; ++y) {
        const QRgb c = twilightSky((y + 0.5) / kBoardH).rgb();
        QRgb* row = reinterpret_cast<QRgb*>(img.scanLine(y));
        for (int x = 0; x < kBoardW; ++x)
            row[x] = c;
    }
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    // Everything else stays to the right of the plain part; a soft edge hides the seam.
    const double plain = kTwilightPlainRight * kBoardW;
    QImage scene(kBoardW, kBoardH, QImage::Format_ARGB32_Premultiplied);
    scene.fill(Qt::transparent);
    {
        QPainter q(&scene);
        q.setRenderHint(QPainter::Antialiasing);
        q.setPen(Qt::NoPen);
        const double horizon = 0.86 * kBoardH;
        // Stars.
        Rng r(99);
        for (int i = 0; i < 90; ++i) {
            const double x = r.range(plain, kBoardW), y = r.range(10, 330);
            const double s = r.range(0.6, 1.8);
            q.setBrush(hex(0xfff8e6, int(255 * std::clamp(1.2 - y / 330.0, 0.2, 1.0))));
            q.drawEllipse(QPointF(x, y), s, s);
        }
        // Moon.
        paintGlow(q, QPointF(1040, 150), 120, hex(0xfff1c8, 70));
        QPainterPath moon;
        moon.addEllipse(QPointF(1040, 150), 30, 30);
        QPainterPath bite;
        bite.addEllipse(QPointF(1054, 141), 27, 27);
        q.fillPath(moon.subtracted(bite), hex(0xfff3d2));
        // Hills on the right, one behind the other.
        auto hillR = [&](double amp, int seed, QColor c, double start) {
            q.fillPath(ridge(start, kBoardW + 10, horizon + 1,
                             [&](double x) {
                                 const double rise = smoothstep(start, start + 260, x);
                                 return horizon - rise * (amp + 30 * wave(x * 0.008, seed));
                             }),
                       c);
        };
        hillR(150, 3, hex(0x5d4f86), 560);
        hillR(95, 4, hex(0x3f3866), 700);
        // Trees on the near hill.
        for (int i = 0; i < 9; ++i) {
            const double x = 880 + i * 45 + r.range(-10, 10);
            const double base = horizon - smoothstep(700, 960, x) * (95 + 30 * wave(x * 0.008, 4));
            const double h = r.range(60, 110);
            QPainterPath t;
            t.moveTo(x, base - h);
            t.lineTo(x + h * 0.22, base + 2);
            t.lineTo(x - h * 0.22, base + 2);
            t.closeSubpath();
            q.fillPath(t, hex(0x2e2b52));
        }
        // The lake: reflection of the moon and a mist band.
        for (int i = 0; i < 16; ++i) {
            const double y = horizon + 8 + i * 5.5;
            const double w = 60 - i * 2.5 + r.range(-8, 8);
            q.setBrush(hex(0xfff0c8, 150 - i * 8));
            q.drawRoundedRect(QRectF(1040 - w / 2 + r.range(-6, 6), y, w, 2.2), 1, 1);
        }
        for (int i = 0; i < 40; ++i) {
            const double y = r.range(horizon + 6, kBoardH - 4);
            const double x = r.range(plain + 40, kBoardW);
            q.setBrush(hex(0xf6d5b0, 60));
            q.drawRoundedRect(QRectF(x, y, r.range(30, 120), 1.8), 1, 1);
        }
        // Reeds on the far right shore.
        q.setPen(QPen(hex(0x24223f), 2.2, Qt::SolidLine, Qt::RoundCap));
        for (int i = 0; i < 24; ++i) {
            const double x = 1120 + i * 7 + r.range(-3, 3);
            q.drawLine(QPointF(x, kBoardH + 2),
                       QPointF(x + r.range(-12, 12), kBoardH - r.range(60, 140)));
        }
    }
    // Fade the scene in from the plain part.
    {
        QPainter q(&scene);
        q.setCompositionMode(QPainter::CompositionMode_DestinationIn);
        QLinearGradient fade(plain, 0, plain + 140, 0);
        fade.setColorAt(0, QColor(0, 0, 0, 0));
        fade.setColorAt(1, QColor(0, 0, 0, 255));
        q.fillRect(scene.rect(), fade);
    }
    p.drawImage(0, 0, scene);
    return img;
}

QImage paintSunset() {
    QImage img(kBoardW, kBoardH, QImage::Format_RGB32);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    constexpr double horizon = 505;
    fillVertical(
        p, QRectF(0, 0, kBoardW, horizon),
        {{0, hex(0x2f3b6e)}, {0.35, hex(0x76598c)}, {0.65, hex(0xdf7a6b)}, {1, hex(0xf9b65f)}});
    paintGlow(p, QPointF(700, 470), 420, hex(0xffc77a, 150));
    paintGlow(p, QPointF(700, 470), 120, hex(0xffe2a6, 230));
    p.setPen(Qt::NoPen);
    p.setBrush(hex(0xffe6a8));
    p.drawEllipse(QPointF(700, 470), 52, 52);
    // Streaks of cloud.
    Rng r(5);
    for (int i = 0; i < 9; ++i) {
        const double y = r.range(120, 400);
        const double x = r.range(-100, 1200);
        const double w = r.range(200, 420);
        QLinearGradient g(x, 0, x + w, 0);
        const QColor c = y < 260 ? hex(0xc77f9a, 150) : hex(0xf5a27a, 170);
        g.setColorAt(0, withAlpha(c, 0));
        g.setColorAt(0.5, c);
        g.setColorAt(1, withAlpha(c, 0));
        p.setBrush(g);
        p.drawRoundedRect(QRectF(x, y, w, r.range(5, 11)), 5, 5);
    }
    // Sea.
    fillVertical(p, QRectF(0, horizon, kBoardW, kBoardH - horizon),
                 {{0, hex(0xe59a6e)}, {0.35, hex(0x9a6584)}, {1, hex(0x3b3863)}});
    for (int i = 0; i < 34; ++i) {
        const double y = horizon + 6 + i * 6.2;
        const double w = 120 - i * 2.2 + r.range(-20, 20);
        p.setBrush(hex(0xffdca0, std::max(30, 210 - i * 5)));
        p.drawRoundedRect(QRectF(700 - w / 2 + r.range(-15, 15), y, w, 2.4), 1.2, 1.2);
    }
    // Headlands.
    p.fillPath(ridge(-10, 520, horizon + 2,
                     [](double x) {
                         return horizon - 150 * smoothstep(520, 0, x) - 20 * wave(x * 0.01, 8) + 10;
                     }),
               hex(0x4a3a63));
    p.fillPath(ridge(900, kBoardW + 10, horizon + 2,
                     [](double x) {
                         return horizon - 90 * smoothstep(900, 1280, x) - 12 * wave(x * 0.012, 9) +
                                4;
                     }),
               hex(0x54426b));
    // A lone tree on the left headland.
    {
        const QPointF foot(230,
                           horizon - 150 * smoothstep(520, 0, 230) - 20 * wave(230 * 0.01, 8) + 12);
        p.setBrush(hex(0x35294a));
        p.drawRect(QRectF(foot.x() - 4, foot.y() - 60, 8, 62));
        for (int k = 0; k < 6; ++k)
            p.drawEllipse(QPointF(foot.x() + (k - 2.5) * 16, foot.y() - 70 - (k % 2) * 14), 26, 18);
    }
    // Birds.
    p.setPen(QPen(hex(0x3b2f4f), 2.2, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    for (auto b : {QPointF(420, 220), QPointF(452, 236), QPointF(480, 214)}) {
        QPainterPath w;
        w.moveTo(b + QPointF(-11, -3));
        w.quadTo(b + QPointF(-5, -7), b);
        w.quadTo(b + QPointF(5, -7), b + QPointF(11, -3));
        p.drawPath(w);
    }
    return img;
}

} // namespace pic
