#include "Catalogue.h"
#include "Contracts.h"
#include "Journeys.h"
#include "Landscapes.h"
#include "Math.h"
#include "Paint.h"
#include "Shared.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <functional>
#include <vector>

namespace pic {

namespace {

// The body of the body scan: a person at rest, arms at the sides. The sequence finds the
// body pixel by pixel by its one flat colour and fills it region by region; it fills only its
// sample rectangles, so no pixel outside them has that colour. Outlines, creases, hair, ears
// and the face are drawn in other colours and stay when the body has been filled.
const QColor kBodyColour(246, 228, 200);
const QColor kOutline(140, 96, 72);
const QColor kCrease(170, 122, 94);
const QColor kFeature(150, 100, 80);
// Skin that lies outside the rectangles (only ever under the hair).
const QColor kSkinShade(232, 206, 172);
constexpr int kBodyW = 204, kBodyH = 492;
// The trunk, the head and the arms are symmetric about this line (the legs a little less).
constexpr double kAxis = 102;

// Sub-samples per pixel and side.
constexpr int kFine = 4;
constexpr int kFineW = kBodyW * kFine, kFineH = kBodyH * kFine;

// Widths of the outline around the figure and of the creases where one part lies on another.
constexpr double kOutlineWidth = 1.1, kCreaseWidth = 1.0;
// Sub-samples of a pixel that make it body although a line touches it, and how far the body
// share of the other pixels along a line is darkened towards the line.
constexpr int kSnap = 11;
constexpr double kSeam = 0.45;

bool inRectangles(int x, int y) {
    for (const SampleRect& s : bodySampleRects())
        if (s.rect.contains(x, y))
            return true;
    return false;
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

// Depth of every sub-sample inside a mask: the distance to the nearest sub-sample outside it,
// in pixels (0 outside).
std::vector<double> depthInside(const std::vector<char>& mask) {
    std::vector<char> outside(mask.size());
    for (size_t i = 0; i < mask.size(); ++i)
        outside[i] = !mask[i];
    std::vector<double> d = distanceTo(outside, kFineW, kFineH);
    for (double& v : d)
        v /= kFine;
    return d;
}

QPointF mirrored(QPointF p) {
    return {2 * kAxis - p.x(), p.y()};
}

// A smooth curve through the points: cubic pieces whose tangents follow the neighbouring
// points, scaled by the lengths of the pieces so that uneven spacing does not overshoot.
QPainterPath throughPoints(const std::vector<QPointF>& pts, bool closed) {
    const size_t n = pts.size();
    auto at = [&](long i) {
        if (closed)
            return pts[size_t((i % long(n) + long(n)) % long(n))];
        return pts[size_t(std::clamp(i, 0l, long(n) - 1))];
    };
    auto tangent = [&](long i) {
        const QPointF a = at(i - 1), b = at(i), c = at(i + 1);
        const double la = QLineF(a, b).length(), lc = QLineF(b, c).length();
        return la + lc > 0 ? (c - a) / (la + lc) : QPointF();
    };
    QPainterPath path(pts[0]);
    const long pieces = closed ? long(n) : long(n) - 1;
    for (long i = 0; i < pieces; ++i) {
        const QPointF a = at(i), b = at(i + 1);
        const double len = QLineF(a, b).length();
        path.cubicTo(a + tangent(i) * (len / 3), b - tangent(i + 1) * (len / 3), b);
    }
    if (closed)
        path.closeSubpath();
    return path;
}

// A closed outline symmetric about the axis, from the left half's points (top to bottom,
// both ends on or near the axis).
QPainterPath symmetric(const std::vector<QPointF>& leftHalf) {
    std::vector<QPointF> pts = leftHalf;
    for (auto it = leftHalf.rbegin() + 1; it + 1 != leftHalf.rend(); ++it)
        pts.push_back(mirrored(*it));
    return throughPoints(pts, true);
}

QPainterPath mirroredPath(const std::vector<QPointF>& pts) {
    std::vector<QPointF> m;
    for (auto it = pts.rbegin(); it != pts.rend(); ++it)
        m.push_back(mirrored(*it));
    return throughPoints(m, true);
}

// Neck, shoulders, chest, waist and hips; the legs and arms lie over its lower and outer parts.
QPainterPath trunk() {
    return symmetric({{102, 48},    {86.6, 50},   {86.0, 61},  {84.8, 67.6}, {81.8, 72.6},
                      {78.2, 76.2}, {75.4, 78.7}, {70, 80.5},  {60, 81.4},   {50, 82.3},
                      {42, 83.6},   {34, 85.4},   {28, 88},    {30, 100},    {40, 112},
                      {46.6, 120},  {47, 135},    {48.2, 150}, {51.6, 166},  {56, 180},
                      {58.6, 191},  {57.6, 202},  {53.6, 213}, {49, 224},    {46.8, 235},
                      {46.4, 246},  {47.2, 256},  {58, 263},   {80, 267},    {102, 268.5}});
}

// The left arm (on the picture's left), hanging at the side with the palm turned forward and
// the thumb outward; its top lies over the shoulder.
const std::vector<QPointF>& leftArmPoints() {
    static const std::vector<QPointF> pts = [] {
        // The shoulder's round and the outer side of the arm, down to the wrist.
        std::vector<QPointF> p = {{44, 83.1},  {36, 84.0},  {28, 85.8},  {20.6, 89.4}, {14.6, 95.6},
                                  {11.2, 104}, {10.4, 114}, {11.0, 128}, {12.4, 146},  {13.5, 162},
                                  {13.9, 176}, {13.2, 192}, {14.0, 210}, {16.6, 228},  {19.4, 240}};
        // The thumb, parted from the fingers by a small notch.
        const QPointF thumb[] = {{18.4, 246},   {15.4, 252.5}, {13.4, 259},   {12.9, 265},
                                 {14.6, 269.2}, {17.2, 269.6}, {19.2, 266.4}, {20.6, 262.6}};
        // The fingers, rounded at their tips.
        const QPointF fingers[] = {{20.4, 268},   {20.6, 275},   {22.4, 280.4},
                                   {26.4, 283.8}, {31, 284.7},   {36, 284.3},
                                   {40.6, 282},   {43.6, 277.4}, {45.8, 270}};
        // The inner side, against the hip and the chest, and up under the shoulder.
        const QPointF inner[] = {{47, 260},   {47.2, 250}, {46.9, 242}, {47.9, 230}, {49.2, 216},
                                 {49.6, 200}, {48.9, 182}, {49.3, 165}, {49.8, 145}, {49.8, 125},
                                 {49.6, 116}, {52.5, 108}, {54.5, 96},  {51, 86.5}};
        p.insert(p.end(), std::begin(thumb), std::end(thumb));
        p.insert(p.end(), std::begin(fingers), std::end(fingers));
        p.insert(p.end(), std::begin(inner), std::end(inner));
        return p;
    }();
    return pts;
}

// The legs, standing together: the thighs touch down to the knees, the calves and ankles are
// a little apart, the feet turn slightly outward. The lower legs are alike, mirrored about the
// line between their rectangles.
constexpr double kLegAxis = 97.5;

// The left lower leg: from the outer side of the knee round the foot to its inner side.
const std::vector<QPointF>& lowerLeftLeg() {
    static const std::vector<QPointF> pts = [] {
        // Knee, calf and ankle.
        std::vector<QPointF> p = {{61.0, 366}, {61.6, 374}, {60.8, 385}, {60.4, 396}, {61.4, 408},
                                  {63.6, 422}, {66.6, 438}, {69.2, 450}, {70.0, 457}, {69.4, 462}};
        // The foot, its toes at the bottom.
        const QPointF foot[] = {{66.8, 467},   {64.4, 473},   {63.0, 478.5}, {63.8, 482.6},
                                {67.4, 484.6}, {75, 484.8},   {84, 484.8},   {90.6, 484.7},
                                {93.9, 482.6}, {94.5, 478.5}, {93.6, 472},   {92.6, 466.5}};
        // Up the inner side.
        const QPointF inner[] = {{91.8, 461}, {91.2, 455}, {91.4, 452}, {92.6, 440},
                                 {94.2, 426}, {95.8, 412}, {96.5, 400}, {96.9, 388},
                                 {97.6, 377}, {97.9, 369}, {97.9, 360}};
        p.insert(p.end(), std::begin(foot), std::end(foot));
        p.insert(p.end(), std::begin(inner), std::end(inner));
        return p;
    }();
    return pts;
}

QPainterPath leg(bool left) {
    // The thighs: the outer side from the hip down to the knee; the inner side from the knee up
    // to the crotch, a little over the other thigh; both ends inside the trunk.
    std::vector<QPointF> pts =
        left ? std::vector<QPointF>{{56, 228},   {48, 238},   {46.0, 246}, {45.4, 256}, {45.8, 270},
                                    {47.6, 290}, {50.5, 310}, {54.5, 330}, {58.0, 346}, {60.4, 357}}
             : std::vector<QPointF>{{148, 228},   {156.2, 238}, {157.4, 248}, {157.3, 258},
                                    {156.8, 270}, {155.2, 288}, {151.6, 308}, {146.6, 328},
                                    {141.2, 344}, {136.8, 356}};
    for (QPointF p : lowerLeftLeg())
        pts.push_back(left ? p : QPointF(2 * kLegAxis - p.x(), p.y()));
    const std::vector<QPointF> inner =
        left ? std::vector<QPointF>{{98.6, 340}, {99.3, 310}, {99.4, 285},
                                    {99.4, 266}, {92, 240},   {70, 228}}
             : std::vector<QPointF>{{98.4, 340}, {98.6, 310}, {98.6, 285},
                                    {98.6, 266}, {106, 240},  {128, 228}};
    pts.insert(pts.end(), inner.begin(), inner.end());
    return throughPoints(pts, true);
}

// The face: an oval, widest at the cheekbones, with a soft chin.
QPainterPath face() {
    return symmetric({{102, 3.5},
                      {89, 5.4},
                      {79, 11},
                      {73, 21},
                      {71.4, 32},
                      {72.4, 43},
                      {75.6, 52},
                      {80.6, 59},
                      {87.6, 64.6},
                      {95, 67.6},
                      {102, 68.4}});
}

// The hair: short, a round cap that leaves the forehead free and comes down to the ears.
QPainterPath hair() {
    return symmetric({{102, 0.4},
                      {88, 1.6},
                      {76.5, 6.2},
                      {69.5, 14},
                      {67.4, 23},
                      {68.6, 31.5},
                      {72.6, 33},
                      {74.6, 24},
                      {79, 17.6},
                      {88, 13.6},
                      {102, 14.8}});
}

// A line of given width that tapers to nothing at both ends, filled as one polygon so that
// its overlapping parts do not darken.
void taperedLine(QPainter& p, const QPainterPath& path, double width, const QColor& colour,
                 double taper = 0.3) {
    constexpr int kSteps = 48;
    std::vector<QPointF> left, right;
    for (int i = 0; i <= kSteps; ++i) {
        const double t = double(i) / kSteps;
        const QPointF c = path.pointAtPercent(t);
        const double a = rad(path.angleAtPercent(t));
        const QPointF normal(-std::sin(a), -std::cos(a));
        const double w = width / 2 * smoothstep(0, taper, std::min(t, 1 - t)) + 0.05;
        left.push_back(c + normal * w);
        right.push_back(c - normal * w);
    }
    QPolygonF poly(left.begin(), left.end());
    for (auto it = right.rbegin(); it != right.rend(); ++it)
        poly << *it;
    QPainterPath shape;
    shape.addPolygon(poly);
    shape.closeSubpath();
    p.fillPath(shape, colour);
}

QPainterPath curve(std::initializer_list<QPointF> pts) {
    return throughPoints(std::vector<QPointF>(pts), false);
}

QPainterPath mirrorCurve(const QPainterPath& path) {
    return QTransform(-1, 0, 0, 1, 2 * kAxis, 0).map(path);
}

// One part of the figure: its shape and, where it lies over parts drawn before it, how wide
// its crease is at a point (0 there, or no function at all: it merges with them).
struct Piece {
    QPainterPath shape;
    std::function<double(QPointF)> crease;
};

std::vector<char> fineMask(const QPainterPath& shape) {
    QImage img(kFineW, kFineH, QImage::Format_Grayscale8);
    img.fill(0);
    {
        QPainter p(&img);
        p.scale(kFine, kFine);
        p.fillPath(shape, Qt::white);
    }
    std::vector<char> mask(size_t(kFineW) * kFineH);
    for (int y = 0; y < kFineH; ++y) {
        const uchar* row = img.constScanLine(y);
        for (int x = 0; x < kFineW; ++x)
            mask[size_t(y) * kFineW + x] = row[x] > 127;
    }
    return mask;
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

    // The parts, from the back to the front.
    auto fadeIn = [](double from, double to) {
        return [from, to](QPointF p) { return kCreaseWidth * smoothstep(from, to, p.y()); };
    };
    const std::vector<Piece> pieces = {
        {trunk(), {}},
        {leg(true), {}},
        {leg(false), {}},
        // The arms' creases begin under the shoulder, where the arm leaves the chest.
        {throughPoints(leftArmPoints(), true), fadeIn(100, 114)},
        {mirroredPath(leftArmPoints()), fadeIn(100, 114)},
        // The chin over the neck.
        {face(), [](QPointF) { return kCreaseWidth; }},
    };
    const size_t n = size_t(kFineW) * kFineH;
    std::vector<std::vector<char>> masks;
    std::vector<char> figure(n);
    for (const Piece& piece : pieces) {
        masks.push_back(fineMask(piece.shape));
        for (size_t i = 0; i < n; ++i)
            figure[i] |= masks.back()[i];
    }
    const std::vector<double> depth = depthInside(figure);
    std::vector<std::vector<double>> pieceDepth(pieces.size());
    for (size_t k = 0; k < pieces.size(); ++k)
        if (pieces[k].crease)
            pieceDepth[k] = depthInside(masks[k]);

    std::vector<char> inRect(size_t(kBodyW) * kBodyH);
    for (int y = 0; y < kBodyH; ++y)
        for (int x = 0; x < kBodyW; ++x)
            inRect[size_t(y) * kBodyW + x] = inRectangles(x, y);

    // A soft warm glow around the figure.
    QImage glow(img.size(), QImage::Format_ARGB32_Premultiplied);
    glow.fill(Qt::transparent);
    for (int y = 0; y < kBodyH; ++y)
        for (int x = 0; x < kBodyW; ++x) {
            int inside = 0;
            for (int j = 0; j < kFine; ++j)
                for (int i = 0; i < kFine; ++i)
                    inside += figure[size_t(y * kFine + j) * kFineW + (x * kFine + i)];
            if (inside)
                glow.setPixelColor(x, y, QColor(255, 226, 186, 150 * inside / (kFine * kFine)));
        }
    {
        QPainter p(&img);
        p.drawImage(0, 0, blurred(glow, 9));
    }

    // The ears, half hidden by the face.
    {
        QPainter p(&img);
        p.setRenderHint(QPainter::Antialiasing);
        for (int side = 0; side < 2; ++side) {
            p.save();
            if (side)
                p.setTransform(QTransform(-1, 0, 0, 1, 2 * kAxis, 0));
            QPainterPath ear;
            ear.addEllipse(QPointF(71.2, 39.5), 5.4, 9.6);
            p.setPen(QPen(kOutline, 1.0));
            p.setBrush(QColor(236, 204, 170));
            p.drawPath(ear);
            taperedLine(p, curve({{69.4, 33}, {67.8, 38}, {68.6, 44}, {71, 46.5}}), 1.0,
                        QColor(190, 140, 110));
            p.restore();
        }
    }

    // The figure, sub-sample by sub-sample: the outline along its edge, a crease where a part
    // lies over another, the body colour everywhere else in the rectangles.
    enum Kind { Background, Outline, Crease, Body, Shade };
    for (int y = 0; y < kBodyH; ++y) {
        QRgb* row = reinterpret_cast<QRgb*>(img.scanLine(y));
        for (int x = 0; x < kBodyW; ++x) {
            const QColor under = QColor::fromRgb(row[x]);
            std::array<int, 5> count{};
            for (int j = 0; j < kFine; ++j)
                for (int i = 0; i < kFine; ++i) {
                    const size_t s = size_t(y * kFine + j) * kFineW + (x * kFine + i);
                    if (!figure[s]) {
                        ++count[Background];
                        continue;
                    }
                    if (depth[s] <= kOutlineWidth) {
                        ++count[Outline];
                        continue;
                    }
                    const QPointF p((x * kFine + i + 0.5) / kFine, (y * kFine + j + 0.5) / kFine);
                    // A crease runs along the edge of the front part where that edge lies
                    // on another part, not on the outline.
                    size_t top = pieces.size() - 1;
                    while (!masks[top][s])
                        --top;
                    const double d = pieceDepth[top].empty() ? 1e9 : pieceDepth[top][s];
                    if (!pieceDepth[top].empty() && d <= pieces[top].crease(p) &&
                        depth[s] > d + 0.35)
                        ++count[Crease];
                    else if (inRect[size_t(y) * kBodyW + x])
                        ++count[Body];
                    else
                        ++count[Shade];
                }
            // A pixel mostly in the body, touched only by a line's soft edge, is body: the scan
            // fills it. Where a line or the background takes more of a pixel, its body share
            // takes on some of the line's colour, so that no pale seam is left beside the line
            // once the body around it has been filled.
            if (count[Body] == kFine * kFine ||
                (count[Body] >= kSnap && count[Background] == 0 && count[Shade] == 0)) {
                row[x] = kBodyColour.rgb();
                continue;
            }
            const QColor line = count[Outline] + count[Background] > 0 ? kOutline : kCrease;
            const QColor colours[5] = {under, kOutline, kCrease,
                                       mixColour(kBodyColour, line, kSeam), kSkinShade};
            double r = 0, g = 0, b = 0;
            for (int k = 0; k < 5; ++k) {
                r += colours[k].red() * count[k];
                g += colours[k].green() * count[k];
                b += colours[k].blue() * count[k];
            }
            constexpr double all = kFine * kFine;
            QRgb c = qRgb(int(std::lround(r / all)), int(std::lround(g / all)),
                          int(std::lround(b / all)));
            // Only the whole of a pixel in the body may have the body colour.
            if (c == kBodyColour.rgb())
                c = qRgb(qRed(c) - 1, qGreen(c), qBlue(c));
            row[x] = c;
        }
    }

    // The details on the body and the hair, drawn on a layer of their own and laid over the
    // figure like its lines (see below).
    QImage details(img.size(), QImage::Format_ARGB32_Premultiplied);
    details.fill(Qt::transparent);
    QPainter p(&details);
    p.setRenderHint(QPainter::Antialiasing);
    auto both = [&](const QPainterPath& path, double width, const QColor& colour) {
        taperedLine(p, path, width, colour);
        taperedLine(p, mirrorCurve(path), width, colour);
    };

    // The legs part from the crotch down to the knees, where the rectangles of the two sides
    // meet; below the knees they are apart.
    taperedLine(p, curve({{98.5, 262}, {98.5, 300}, {98.5, 338}, {97.5, 362}, {97.5, 379}}), 1.0,
                kCrease, 0.08);
    // Knees and toes, left and right.
    for (bool left : {true, false}) {
        const QTransform t = left ? QTransform() : QTransform(-1, 0, 0, 1, 2 * kLegAxis, 0);
        taperedLine(p, t.map(curve({{73.4, 367.5}, {79.2, 370}, {85.2, 367.6}})), 0.9, kCrease);
        for (double toe : {70.4, 75.2, 80.2})
            taperedLine(p, t.map(curve({{toe, 484.9}, {toe + 0.2, 482.8}, {toe + 0.1, 481.4}})),
                        0.8, kCrease);
        taperedLine(p, t.map(curve({{85.6, 484.9}, {85.8, 482}, {85.4, 479.2}})), 0.9, kCrease);
    }

    // The fingers.
    for (double fx : {26.5, 31.4, 36.4})
        both(curve({{fx, 284.8}, {fx + 0.2, 281.4}, {fx + 0.1, 278.2}}), 0.9, kCrease);

    // Collarbones and navel.
    both(curve({{90, 85.6}, {80, 84.8}, {66, 85.4}}), 0.9, withAlpha(kCrease, 0.6));
    taperedLine(p, curve({{101.2, 199.6}, {102, 202.8}, {102.8, 199.6}}), 1.1, kCrease, 0.5);

    // The hair over the top of the head, with a few strands and a sheen.
    {
        const QPainterPath cap = hair();
        QLinearGradient g(0, 0, 0, 34);
        g.setColorAt(0, QColor(118, 82, 56));
        g.setColorAt(1, QColor(88, 58, 40));
        p.fillPath(cap, g);
        p.save();
        p.setClipPath(cap);
        for (const QPainterPath& strand :
             {curve({{80, 6}, {74, 13}, {71.4, 24}}), curve({{92, 3}, {84, 8.6}, {78.6, 16}}),
              curve({{110, 2.4}, {120, 6.6}, {127, 13.6}}),
              curve({{121, 3.4}, {130, 9.6}, {133.4, 22}})})
            taperedLine(p, strand, 1.0, QColor(70, 44, 30, 170));
        p.setPen(QPen(QColor(168, 128, 92, 140), 1.2));
        p.setBrush(Qt::NoBrush);
        p.drawArc(QRectF(80, 2.2, 44, 9), 40 * 16, 100 * 16);
        p.restore();
        p.setPen(QPen(QColor(66, 42, 30), 1.0));
        p.setBrush(Qt::NoBrush);
        p.drawPath(cap);
    }

    // A calm face: eyes closed, a soft smile.
    both(curve({{82.4, 36.2}, {88, 38.6}, {93.8, 36.4}}), 1.2, kFeature);
    both(curve({{81, 29.6}, {87.6, 27.6}, {94.6, 29.4}}), 1.3, QColor(110, 74, 52));
    taperedLine(p, curve({{98.4, 47.6}, {102, 49.4}, {105.6, 47.6}}), 1.1, kFeature, 0.4);
    taperedLine(p, curve({{95.6, 55.4}, {102, 58}, {108.4, 55.4}}), 1.2, kFeature, 0.35);
    p.end();

    // A detail that only grazes a body pixel leaves it to the body; where it covers more, the
    // pixel's body share is darkened towards the detail's colour as along the outline.
    for (int y = 0; y < kBodyH; ++y) {
        QRgb* row = reinterpret_cast<QRgb*>(img.scanLine(y));
        const QRgb* over = reinterpret_cast<const QRgb*>(details.constScanLine(y));
        for (int x = 0; x < kBodyW; ++x) {
            const double a = qAlpha(over[x]) / 255.0;
            if (a == 0)
                continue;
            const QColor top = QColor::fromRgba(qUnpremultiply(over[x]));
            QColor under = QColor::fromRgb(row[x]);
            if (row[x] == kBodyColour.rgb()) {
                if (qAlpha(over[x]) * kFine * kFine < 255 * (kFine * kFine - kSnap))
                    continue;
                under = mixColour(kBodyColour, top, kSeam);
            }
            QRgb c = mixColour(under, top, a).rgb();
            if (c == kBodyColour.rgb())
                c = qRgb(qRed(c) - 1, qGreen(c), qBlue(c));
            row[x] = c;
        }
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
