#include "Paint.h"

#include "Math.h"

#include <QRadialGradient>

#include <cmath>
#include <vector>

namespace pic {

double wave(double x, int seed) {
    Rng r(std::uint64_t(seed) + 11);
    double v = 0, norm = 0;
    double f = 1.0, a = 1.0;
    for (int i = 0; i < 4; ++i) {
        const double phase = r.range(0, 6.283);
        const double freq = f * r.range(0.8, 1.25);
        v += a * std::sin(x * freq + phase);
        norm += a;
        f *= 2.1;
        a *= 0.45;
    }
    return v / norm;
}

namespace {

double hash2(int x, int y, int seed) {
    std::uint64_t h = std::uint64_t(std::int64_t(x)) * 0x8da6b343ull ^
                      std::uint64_t(std::int64_t(y)) * 0xd8163841ull ^
                      std::uint64_t(seed) * 0xcb1ab31full;
    h ^= h >> 13;
    h *= 0x5bd1e9955bd1e995ull;
    h ^= h >> 15;
    return double(h & 0xffffff) / double(0xffffff);
}

double valueNoise(double x, double y, int seed) {
    const int xi = int(std::floor(x)), yi = int(std::floor(y));
    const double fx = x - xi, fy = y - yi;
    const double sx = fx * fx * (3 - 2 * fx), sy = fy * fy * (3 - 2 * fy);
    const double a = hash2(xi, yi, seed), b = hash2(xi + 1, yi, seed);
    const double c = hash2(xi, yi + 1, seed), d = hash2(xi + 1, yi + 1, seed);
    return mix(mix(a, b, sx), mix(c, d, sx), sy);
}

// One pass of a box blur along rows of a premultiplied image.
void boxRows(std::vector<float>& src, std::vector<float>& dst, int w, int h, int r) {
    const float inv = 1.0f / float(2 * r + 1);
    for (int y = 0; y < h; ++y) {
        for (int c = 0; c < 4; ++c) {
            const float* s = &src[size_t(y) * size_t(w) * 4 + size_t(c)];
            float* d = &dst[size_t(y) * size_t(w) * 4 + size_t(c)];
            float acc = 0;
            for (int i = -r; i <= r; ++i)
                acc += s[size_t(std::clamp(i, 0, w - 1)) * 4];
            for (int x = 0; x < w; ++x) {
                d[size_t(x) * 4] = acc * inv;
                acc +=
                    s[size_t(std::min(x + r + 1, w - 1)) * 4] - s[size_t(std::max(x - r, 0)) * 4];
            }
        }
    }
}

void transpose(const std::vector<float>& src, std::vector<float>& dst, int w, int h) {
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            for (int c = 0; c < 4; ++c)
                dst[(size_t(x) * size_t(h) + size_t(y)) * 4 + size_t(c)] =
                    src[(size_t(y) * size_t(w) + size_t(x)) * 4 + size_t(c)];
}

} // namespace

double noise2(double x, double y, int seed) {
    double v = 0, norm = 0, a = 1, f = 1;
    for (int i = 0; i < 4; ++i) {
        v += a * valueNoise(x * f, y * f, seed + i * 31);
        norm += a;
        a *= 0.5;
        f *= 2.0;
    }
    return v / norm;
}

QImage blurred(const QImage& image, double radius) {
    QImage in = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    const int w = in.width(), h = in.height();
    if (radius < 0.5 || w == 0 || h == 0)
        return in;
    std::vector<float> a(size_t(w) * size_t(h) * 4), b(a.size());
    for (int y = 0; y < h; ++y) {
        const QRgb* row = reinterpret_cast<const QRgb*>(in.constScanLine(y));
        for (int x = 0; x < w; ++x) {
            float* px = &a[(size_t(y) * size_t(w) + size_t(x)) * 4];
            px[0] = float(qRed(row[x]));
            px[1] = float(qGreen(row[x]));
            px[2] = float(qBlue(row[x]));
            px[3] = float(qAlpha(row[x]));
        }
    }
    // Three box passes approximate a Gaussian of the given radius (sigma ~ radius / 2).
    const int r = std::max(1, int(std::lround(radius / 1.7)));
    for (int i = 0; i < 3; ++i) {
        boxRows(a, b, w, h, r);
        std::swap(a, b);
    }
    transpose(a, b, w, h);
    for (int i = 0; i < 3; ++i) {
        boxRows(b, a, h, w, r);
        std::swap(a, b);
    }
    transpose(b, a, h, w);
    QImage out(w, h, QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < h; ++y) {
        QRgb* row = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < w; ++x) {
            const float* px = &a[(size_t(y) * size_t(w) + size_t(x)) * 4];
            const int al = std::clamp(int(px[3] + 0.5f), 0, 255);
            auto ch = [&](float v) { return std::clamp(int(v + 0.5f), 0, al); };
            row[x] = qRgba(ch(px[0]), ch(px[1]), ch(px[2]), al);
        }
    }
    return out;
}

QPainterPath ridge(double x0, double x1, double bottom, const std::function<double(double)>& y,
                   int steps) {
    QPainterPath path;
    path.moveTo(x0, bottom);
    for (int i = 0; i <= steps; ++i) {
        const double x = x0 + (x1 - x0) * i / steps;
        path.lineTo(x, y(x));
    }
    path.lineTo(x1, bottom);
    path.closeSubpath();
    return path;
}

QColor mixColour(const QColor& a, const QColor& b, double t) {
    return QColor::fromRgbF(
        float(mix(a.redF(), b.redF(), t)), float(mix(a.greenF(), b.greenF(), t)),
        float(mix(a.blueF(), b.blueF(), t)), float(mix(a.alphaF(), b.alphaF(), t)));
}

QColor withAlpha(QColor c, double alpha) {
    c.setAlphaF(float(std::clamp(alpha, 0.0, 1.0)));
    return c;
}

void paintRoundTree(QPainter& p, QPointF foot, double height, QColor leaf, int seed) {
    Rng r(std::uint64_t(seed) * 7 + 3);
    p.save();
    p.setPen(Qt::NoPen);
    const double trunkW = height * 0.07;
    QLinearGradient tg(foot.x() - trunkW, 0, foot.x() + trunkW, 0);
    tg.setColorAt(0, QColor(0x8d, 0x6e, 0x55));
    tg.setColorAt(1, QColor(0x6b, 0x51, 0x3f));
    QPainterPath trunk;
    trunk.moveTo(foot.x() - trunkW, foot.y());
    trunk.lineTo(foot.x() - trunkW * 0.55, foot.y() - height * 0.55);
    trunk.lineTo(foot.x() + trunkW * 0.55, foot.y() - height * 0.55);
    trunk.lineTo(foot.x() + trunkW, foot.y());
    trunk.closeSubpath();
    p.fillPath(trunk, tg);
    const QColor dark = mixColour(leaf, QColor(0x20, 0x35, 0x30), 0.35);
    const QColor light = mixColour(leaf, QColor(0xff, 0xf4, 0xc8), 0.3);
    const QPointF c(foot.x(), foot.y() - height * 0.62);
    const double rad = height * 0.34;
    struct Ball {
        QPointF c;
        double r;
    };
    std::vector<Ball> balls;
    for (int i = 0; i < 9; ++i) {
        const double a = r.range(0, 6.283);
        const double d = r.range(0.1, 0.62) * rad;
        balls.push_back(
            {c + QPointF(std::cos(a) * d, std::sin(a) * d * 0.8), rad * r.range(0.42, 0.62)});
    }
    for (const Ball& b : balls) {
        p.setBrush(dark);
        p.drawEllipse(b.c + QPointF(b.r * 0.08, b.r * 0.1), b.r, b.r);
    }
    for (const Ball& b : balls) {
        QRadialGradient g(b.c - QPointF(b.r * 0.35, b.r * 0.4), b.r * 1.3);
        g.setColorAt(0, light);
        g.setColorAt(0.55, leaf);
        g.setColorAt(1, mixColour(leaf, dark, 0.6));
        p.setBrush(g);
        p.drawEllipse(b.c, b.r * 0.94, b.r * 0.94);
    }
    p.restore();
}

void paintConifer(QPainter& p, QPointF foot, double height, QColor leaf) {
    p.save();
    p.setPen(Qt::NoPen);
    p.fillRect(
        QRectF(foot.x() - height * 0.025, foot.y() - height * 0.15, height * 0.05, height * 0.15),
        QColor(0x6b, 0x51, 0x3f));
    const QColor dark = mixColour(leaf, QColor(0x10, 0x25, 0x25), 0.3);
    for (int i = 0; i < 4; ++i) {
        const double t = i / 4.0;
        const double base = foot.y() - height * (0.1 + t * 0.22);
        const double w = height * (0.3 - t * 0.06);
        const double top = base - height * (0.42 - t * 0.04);
        QPainterPath tri;
        tri.moveTo(foot.x(), top);
        tri.quadTo(foot.x() + w * 0.45, base - height * 0.12, foot.x() + w, base);
        tri.quadTo(foot.x(), base + height * 0.04, foot.x() - w, base);
        tri.quadTo(foot.x() - w * 0.45, base - height * 0.12, foot.x(), top);
        QLinearGradient g(foot.x() - w, 0, foot.x() + w, 0);
        g.setColorAt(0, mixColour(leaf, QColor(0xff, 0xf4, 0xc8), 0.15));
        g.setColorAt(0.5, leaf);
        g.setColorAt(1, dark);
        p.fillPath(tri, g);
    }
    p.restore();
}

void paintCloud(QPainter& p, QPointF centre, double width, QColor colour, int seed) {
    Rng r(std::uint64_t(seed) * 13 + 5);
    const int pad = int(width * 0.3);
    QImage layer(int(width) + 2 * pad, int(width * 0.5) + 2 * pad,
                 QImage::Format_ARGB32_Premultiplied);
    layer.fill(Qt::transparent);
    {
        QPainter q(&layer);
        q.setRenderHint(QPainter::Antialiasing);
        q.setPen(Qt::NoPen);
        q.setBrush(colour);
        const double base = pad + width * 0.38;
        for (int i = 0; i < 7; ++i) {
            const double x = pad + width * (0.12 + 0.76 * i / 6.0) + r.range(-8, 8);
            const double rr = width * r.range(0.09, 0.17) * (1.0 - std::abs(i - 3) * 0.12);
            q.drawEllipse(QPointF(x, base - rr * 0.6), rr * 1.2, rr);
        }
        q.drawRoundedRect(
            QRectF(pad + width * 0.05, base - width * 0.06, width * 0.9, width * 0.08),
            width * 0.04, width * 0.04);
    }
    const QImage soft = blurred(layer, width * 0.025);
    p.drawImage(QPointF(centre.x() - layer.width() / 2.0, centre.y() - layer.height() / 2.0), soft);
}

void paintGlow(QPainter& p, QPointF centre, double radius, QColor colour) {
    QRadialGradient g(centre, radius);
    g.setColorAt(0, colour);
    g.setColorAt(0.4, withAlpha(colour, colour.alphaF() * 0.45));
    g.setColorAt(1, withAlpha(colour, 0));
    p.save();
    p.setPen(Qt::NoPen);
    p.setBrush(g);
    p.drawEllipse(centre, radius, radius);
    p.restore();
}

void paintTextured(QPainter& p, const QPainterPath& path, QColor a, QColor b, double scale,
                   int seed, double contrast) {
    const QRect box = path.boundingRect().toAlignedRect().adjusted(-1, -1, 1, 1);
    if (box.isEmpty())
        return;
    QImage tex(box.size(), QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < tex.height(); ++y) {
        QRgb* row = reinterpret_cast<QRgb*>(tex.scanLine(y));
        for (int x = 0; x < tex.width(); ++x) {
            const double wx = (box.left() + x) / scale, wy = (box.top() + y) / scale;
            double n = noise2(wx, wy, seed);
            n = std::clamp(0.5 + (n - 0.5) * 2.2 * contrast, 0.0, 1.0);
            row[x] = qPremultiply(mixColour(a, b, n).rgba());
        }
    }
    p.save();
    p.setClipPath(path, Qt::IntersectClip);
    p.drawImage(box.topLeft(), tex);
    p.restore();
}

void paintCaption(QPainter& p, const QRectF& box, const QString& text, const QFont& font,
                  QColor colour, QColor shadow, int flags) {
    const int pad = int(font.pixelSize());
    QImage layer(int(box.width()) + 2 * pad, int(box.height()) + 2 * pad,
                 QImage::Format_ARGB32_Premultiplied);
    layer.fill(Qt::transparent);
    {
        QPainter q(&layer);
        q.setRenderHint(QPainter::TextAntialiasing);
        q.setFont(font);
        q.setPen(shadow);
        q.drawText(QRectF(pad + 1.5, pad + 2.5, box.width(), box.height()), flags, text);
    }
    p.drawImage(box.topLeft() - QPointF(pad, pad), blurred(layer, font.pixelSize() * 0.12));
    p.save();
    p.setFont(font);
    p.setPen(colour);
    p.drawText(box, flags, text);
    p.restore();
}

QFont uiFont(double pixelSize, bool bold) {
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setPixelSize(int(std::lround(pixelSize)));
    f.setBold(bold);
    f.setHintingPreference(QFont::PreferNoHinting);
    return f;
}

} // namespace pic
