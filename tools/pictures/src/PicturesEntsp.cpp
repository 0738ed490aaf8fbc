#include "Catalogue.h"
#include "Contracts.h"
#include "Journeys.h"
#include "Landscapes.h"
#include "Math.h"
#include "Paint.h"
#include "Shared.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace pic {

namespace {

// The body of the body scan: one flat colour, so that the sequence can find it pixel by
// pixel and fill it region by region. The scan fills only its sample rectangles, so the
// body colour covers exactly their union; everything that rounds the figure off lies outside
// them in other colours.
const QColor kBodyColour(246, 228, 200);
constexpr int kBodyW = 204, kBodyH = 492;

// Sub-samples per pixel and side for the soft parts around the body.
constexpr int kFine = 4;

bool inBody(int x, int y) {
    for (const SampleRect& s : bodySampleRects())
        if (s.rect.contains(x, y))
            return true;
    return false;
}

// Signed distance from p to a rectangle of whole pixels, negative inside.
double boxDistance(QPointF p, const QRect& r) {
    const double hw = r.width() / 2.0, hh = r.height() / 2.0;
    const double qx = std::abs(p.x() - (r.left() + hw)) - hw;
    const double qy = std::abs(p.y() - (r.top() + hh)) - hh;
    return std::hypot(std::max(qx, 0.0), std::max(qy, 0.0)) + std::min(std::max(qx, qy), 0.0);
}

// Distance from p to the body, 0 inside.
double bodyDistance(QPointF p) {
    double d = 1e9;
    for (const SampleRect& s : bodySampleRects())
        d = std::min(d, boxDistance(p, s.rect));
    return std::max(d, 0.0);
}

// Squared Euclidean distance transform of one line (Felzenszwalb and Huttenlocher).
void distanceLine(std::vector<double>& f, int n, std::vector<double>& d, std::vector<int>& v,
                  std::vector<double>& z) {
    int k = 0;
    v[0] = 0;
    z[0] = -1e20;
    z[1] = 1e20;
    for (int q = 1; q < n; ++q) {
        double sq = ((f[q] + q * q) - (f[v[k]] + v[k] * v[k])) / (2.0 * q - 2.0 * v[k]);
        while (sq <= z[k]) {
            --k;
            sq = ((f[q] + q * q) - (f[v[k]] + v[k] * v[k])) / (2.0 * q - 2.0 * v[k]);
        }
        ++k;
        v[k] = q;
        z[k] = sq;
        z[k + 1] = 1e20;
    }
    k = 0;
    for (int q = 0; q < n; ++q) {
        while (z[k + 1] < q)
            ++k;
        d[q] = (q - v[k]) * (q - v[k]) + f[v[k]];
    }
}

// Euclidean distance (in grid steps) from every grid point to the nearest set point.
std::vector<double> distanceTo(const std::vector<char>& set, int w, int h) {
    const int n = std::max(w, h);
    std::vector<double> out(set.size()), f(n), d(n), z(n + 1);
    std::vector<int> v(n);
    for (size_t i = 0; i < set.size(); ++i)
        out[i] = set[i] ? 0.0 : 1e20;
    for (int x = 0; x < w; ++x) {
        for (int y = 0; y < h; ++y)
            f[y] = out[size_t(y) * w + x];
        distanceLine(f, h, d, v, z);
        for (int y = 0; y < h; ++y)
            out[size_t(y) * w + x] = d[y];
    }
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x)
            f[x] = out[size_t(y) * w + x];
        distanceLine(f, w, d, v, z);
        for (int x = 0; x < w; ++x)
            out[size_t(y) * w + x] = std::sqrt(d[x]);
    }
    return out;
}

// Whether p lies in the fillet in the inner corner at `corner` between an edge running up or
// down from it and one running left or right: the part of the a x b box in the free quarter
// (towards `open`) that lies outside the quarter ellipse around the box's far corner.
bool inFillet(QPointF p, QPointF corner, QPointF open, double a, double b) {
    const double dx = (p.x() - corner.x()) * open.x(), dy = (p.y() - corner.y()) * open.y();
    return dx >= 0 && dx <= a && dy >= 0 && dy <= b && std::hypot((a - dx) / a, (b - dy) / b) > 1;
}

// Whether p lies in the body's shape: the rectangles, the jaw, the slopes from the neck to the
// shoulders and from the thighs to the knees, and the shoulders' ends above the arms.
bool inShape(QPointF p) {
    if (bodyDistance(p) <= 0)
        return true;
    const bool shoulderEnd = (p.x() >= 8 && p.x() <= 20) || (p.x() >= 184 && p.x() <= 196);
    if (shoulderEnd && p.y() >= 80 && p.y() <= 82)
        return true;
    return inFillet(p, {75, 59}, {-1, 1}, 9, 8) || inFillet(p, {75, 80}, {-1, -1}, 28, 12) ||
           inFillet(p, {135, 80}, {1, -1}, 28, 12) || inFillet(p, {60, 364}, {-1, 1}, 10, 18) ||
           inFillet(p, {136, 364}, {1, 1}, 12, 18);
}

// Depth inside the small rounded parts that sit on the outline (ears, finger tips, feet), in
// pixels; 0 outside. They are finer than the outline's rounding and so are added after it.
double detailDepth(QPointF p, double rim) {
    double d = 0;
    auto ellipse = [&](QPointF c, double a, double b) {
        const double k = std::hypot((p.x() - c.x()) / a, (p.y() - c.y()) / b);
        d = std::max(d, (1 - k) * std::min(a, b));
    };
    for (double ear : {64.0, 137.0})
        ellipse({ear, 39}, 4.5 + rim, 7.0 + rim);
    // Four finger tips under each hand.
    for (double hand : {8.0, 160.0})
        for (int k = 0; k < 4; ++k)
            ellipse({hand + 4.5 + 9 * k, 283}, 4.6, 3.2 + rim);
    // The feet, a little wider than the ankles.
    ellipse({78.5, 481}, 21 + rim, 5.5 + rim);
    ellipse({117.5, 481}, 21 + rim, 5.5 + rim);
    return d;
}

// The outline around the body: its shape widened by `rim` pixels, with its outer corners rounded
// with radius `corner` (up to about 3.4 rim, so the rectangles' corners stay inside) and its inner
// corners with radius `fillet`. Returned on the fine grid as the depth of each point inside
// the outline, in pixels (0 outside).
std::vector<double> outlineDepth(double rim, double corner, double fillet) {
    // A margin around the picture, so that the picture's edge does not count as body.
    const int m = int(std::ceil(rim + corner + fillet + 2)) * kFine;
    const int w = kBodyW * kFine + 2 * m, h = kBodyH * kFine + 2 * m;
    const size_t n = size_t(w) * h;
    auto at = [m](int i) { return (i - m + 0.5) / kFine; };
    std::vector<char> set(n);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            set[size_t(y) * w + x] = inShape({at(x), at(y)});
    // Widening the shape by `rim` ...
    std::vector<double> d = distanceTo(set, w, h);
    for (size_t i = 0; i < n; ++i)
        set[i] = d[i] >= rim * kFine;
    // ... eroding that by `corner` keeps what lies at least that far inside it ...
    d = distanceTo(set, w, h);
    for (size_t i = 0; i < n; ++i)
        set[i] = d[i] >= corner * kFine;
    // ... and growing that back by `corner` gives the widened body with round outer corners.
    // Growing it further by `fillet` and eroding again fills the inner corners.
    d = distanceTo(set, w, h);
    for (size_t i = 0; i < n; ++i)
        set[i] = d[i] >= (corner + fillet) * kFine;
    d = distanceTo(set, w, h);
    const int fw = kBodyW * kFine, fh = kBodyH * kFine;
    std::vector<double> depth(size_t(fw) * fh);
    for (int y = 0; y < fh; ++y)
        for (int x = 0; x < fw; ++x)
            depth[size_t(y) * fw + x] =
                std::max({0.0, d[size_t(y + m) * w + (x + m)] / kFine - fillet,
                          detailDepth({(x + 0.5) / kFine, (y + 0.5) / kFine}, rim)});
    return depth;
}

double smoothstep(double a, double b, double x) {
    const double t = clamp01((x - a) / (b - a));
    return t * t * (3 - 2 * t);
}

QColor blend(QColor under, QColor over, double alpha) {
    return mixColour(under, over, clamp01(alpha));
}

// The hair: short, a round cap over the head that thins out above the ears. Its inner edge
// lies inside the head, which is painted over it.
QPainterPath hair() {
    QPainterPath path;
    path.moveTo(67, 36);
    path.cubicTo(62.5, 30, 59.5, 24, 59.5, 18);
    path.cubicTo(59.5, 6, 76, 0.8, 100.5, 0.8);
    path.cubicTo(125, 0.8, 141.5, 6, 141.5, 18);
    path.cubicTo(141.5, 24, 138.5, 30, 134, 36);
    path.lineTo(134, 8);
    path.lineTo(67, 8);
    path.closeSubpath();
    return path;
}

QImage bodyPicture() {
    // Background: the twilight sky exactly where the picture lies on the board (at (110, 140)
    // of a 1024 x 768 board, scaled with it).
    QImage img(kBodyW, kBodyH, QImage::Format_RGB32);
    for (int y = 0; y < kBodyH; ++y) {
        const QRgb c = twilightSky((140.0 + y + 0.5) / 768.0).rgb();
        QRgb* row = reinterpret_cast<QRgb*>(img.scanLine(y));
        for (int x = 0; x < kBodyW; ++x)
            row[x] = c;
    }
    constexpr double kRim = 2.6, kCorner = 6.5, kFillet = 4.0;
    std::vector<double> depth = outlineDepth(kRim, kCorner, kFillet);
    const int fw = kBodyW * kFine;
    // A notch in the outline between the feet.
    for (int y = 0; y < kBodyH * kFine; ++y)
        for (int x = 0; x < fw; ++x) {
            const double px = (x + 0.5) / kFine, py = (y + 0.5) / kFine;
            const double dx = std::abs(px - 98), dy = py - 485;
            const double away =
                dx * 0.9 > -dy ? (dx - 0.9 * dy) / std::hypot(1.0, 0.9) : std::hypot(dx, dy);
            double& v = depth[size_t(y) * fw + x];
            v = std::min(v, std::max(0.0, away));
        }
    auto coverage = [&](int x, int y) {
        int inside = 0;
        for (int j = 0; j < kFine; ++j)
            for (int i = 0; i < kFine; ++i)
                inside += depth[size_t(y * kFine + j) * fw + (x * kFine + i)] > 0;
        return double(inside) / (kFine * kFine);
    };

    // A soft warm glow around the figure.
    QImage shape(img.size(), QImage::Format_ARGB32_Premultiplied);
    shape.fill(Qt::transparent);
    for (int y = 0; y < kBodyH; ++y)
        for (int x = 0; x < kBodyW; ++x)
            if (const double c = coverage(x, y); c > 0)
                shape.setPixelColor(x, y, QColor(255, 226, 186, int(std::lround(150 * c))));
    {
        QPainter p(&img);
        p.drawImage(0, 0, blurred(shape, 9));
    }

    // The rim: a warm shade that darkens towards the outline, like the turning edge of a
    // rounded body, so the figure looks whole both before and after the scan has filled it.
    const QColor shade(222, 190, 150), edge(160, 118, 88);
    for (int y = 0; y < kBodyH; ++y)
        for (int x = 0; x < kBodyW; ++x) {
            if (inBody(x, y))
                continue;
            double r = 0, g = 0, b = 0;
            int inside = 0;
            for (int j = 0; j < kFine; ++j)
                for (int i = 0; i < kFine; ++i) {
                    const double d = depth[size_t(y * kFine + j) * fw + (x * kFine + i)];
                    if (d <= 0)
                        continue;
                    const QColor c = mixColour(edge, shade, smoothstep(0.5, 1.8, d));
                    r += c.redF();
                    g += c.greenF();
                    b += c.blueF();
                    ++inside;
                }
            if (!inside)
                continue;
            const QColor rim =
                QColor::fromRgbF(float(r / inside), float(g / inside), float(b / inside));
            img.setPixelColor(x, y,
                              blend(img.pixelColor(x, y), rim, double(inside) / (kFine * kFine)));
        }

    // The hair.
    {
        QPainter p(&img);
        p.setRenderHint(QPainter::Antialiasing);
        const QPainterPath cap = hair();
        QLinearGradient g(0, 0, 0, 36);
        g.setColorAt(0, QColor(122, 86, 60));
        g.setColorAt(1, QColor(92, 62, 44));
        p.fillPath(cap, g);
        // A lock line following the outline, and a sheen on the crown.
        p.save();
        p.setClipPath(cap);
        p.setBrush(Qt::NoBrush);
        QPainterPath lock;
        lock.moveTo(63.5, 34);
        lock.cubicTo(62, 26, 62, 18, 63, 14);
        lock.cubicTo(66, 7, 80, 3.6, 100.5, 3.6);
        lock.cubicTo(121, 3.6, 135, 7, 138, 14);
        lock.cubicTo(139, 18, 139, 26, 137.5, 34);
        p.setPen(QPen(QColor(74, 48, 34, 190), 0.9));
        p.drawPath(lock);
        p.setPen(QPen(QColor(170, 130, 94, 150), 1.1));
        p.drawArc(QRectF(74, 1.8, 53, 12), 55 * 16, 70 * 16);
        p.restore();
        p.setPen(QPen(QColor(70, 46, 34), 1.2));
        p.setBrush(Qt::NoBrush);
        p.drawPath(cap);
    }

    // The body itself: exactly the union of the sample rectangles.
    for (const SampleRect& s : bodySampleRects())
        for (int y = s.rect.top(); y <= s.rect.bottom(); ++y) {
            QRgb* row = reinterpret_cast<QRgb*>(img.scanLine(y));
            for (int x = s.rect.left(); x <= s.rect.right(); ++x)
                row[x] = kBodyColour.rgb();
        }
    return img;
}

} // namespace

void addEntspJobs(std::vector<Job>& jobs, const Context&) {
    const Lazy twilight(paintTwilight);
    for (int k = 1; k <= 11; ++k)
        jobs.push_back(
            {QStringLiteral("data/Pictures/Entsp/entsp%1.jpg").arg(k), Format::Jpeg,
             [twilight, k] { return journeyFrame(k, twilight(), OfficeLight::Evening); }});
    jobs.push_back({QStringLiteral("data/Pictures/Entsp/body.bmp"), Format::Bmp, bodyPicture});
}

} // namespace pic
