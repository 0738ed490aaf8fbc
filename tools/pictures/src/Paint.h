#pragma once

#include <QColor>
#include <QImage>
#include <QPainter>
#include <QPainterPath>

#include <cstdint>
#include <functional>

// Helpers for the painted (two-dimensional) parts: landscapes, rooms, icons and captions.
namespace pic {

// Deterministic random numbers, so every run draws the same pictures.
class Rng {
public:
    explicit Rng(std::uint64_t seed) : s_(seed * 0x9E3779B97F4A7C15ull + 1) {}
    double next() {
        s_ ^= s_ << 13;
        s_ ^= s_ >> 7;
        s_ ^= s_ << 17;
        return double(s_ >> 11) * (1.0 / 9007199254740992.0);
    }
    double range(double a, double b) { return a + (b - a) * next(); }

private:
    std::uint64_t s_;
};

// A smooth wavy function of x (a sum of a few sines), about -1..1.
double wave(double x, int seed);
// Smooth value noise in 0..1 with a few octaves.
double noise2(double x, double y, int seed);

// Blurs a premultiplied ARGB (or RGB32) image with a near-Gaussian of the given radius.
QImage blurred(const QImage& image, double radius);

// A closed area below a ridge line: y(x) for x from x0 to x1, closed along the bottom.
QPainterPath ridge(double x0, double x1, double bottom, const std::function<double(double)>& y,
                   int steps = 160);

QColor mixColour(const QColor& a, const QColor& b, double t);
QColor withAlpha(QColor c, double alpha);

// A round, softly shaded tree (crown of overlapping balls) standing at `foot`.
void paintRoundTree(QPainter& p, QPointF foot, double height, QColor leaf, int seed);
// A pointed conifer.
void paintConifer(QPainter& p, QPointF foot, double height, QColor leaf);
// A soft cloud made of blurred balls; drawn through an offscreen layer.
void paintCloud(QPainter& p, QPointF centre, double width, QColor colour, int seed);
// A soft glow.
void paintGlow(QPainter& p, QPointF centre, double radius, QColor colour);

// Fills a path with a soft two-colour noise texture (rock, moss, foliage).
void paintTextured(QPainter& p, const QPainterPath& path, QColor a, QColor b, double scale,
                   int seed, double contrast = 1.0);

// Text with a soft shadow, centred in a rectangle.
void paintCaption(QPainter& p, const QRectF& box, const QString& text, const QFont& font,
                  QColor colour, QColor shadow, int flags = Qt::AlignCenter);

QFont uiFont(double pixelSize, bool bold = false);

} // namespace pic
