// The status icon in the desktop's panel: one picture per state of the board, each drawn at the
// sizes panels use (16, 22, 24, 32 and 48 pixels). A disc of a middle tone with a dark rim and a
// white sign reads on light and on dark panels alike.
#include "Catalogue.h"

#include <QPainter>
#include <QPainterPath>

#include <cmath>
#include <functional>

namespace pic {

namespace {

constexpr int kOver = 8; // drawn at eight times the size, then reduced
const QColor kGreen(0x2f, 0x9e, 0x88);
const QColor kGreenRim(0x17, 0x55, 0x4a);
const QColor kGrey(0x86, 0x8d, 0x93);
const QColor kGreyRim(0x3d, 0x42, 0x47);
const QColor kSlate(0x5f, 0x78, 0x9c);
const QColor kSlateRim(0x2a, 0x38, 0x4f);
const QColor kRed(0xe2, 0x3b, 0x2e);
const QColor kSign(0xff, 0xfd, 0xf6);

// Everything is laid out on a 24 x 24 grid; `px` is one pixel of the picture in that grid, so
// that lines keep at least a pixel's width at 16 pixels.
using Draw = std::function<void(QPainter&, double px)>;

// Area average of `big` reduced by kOver.
QImage reduce(const QImage& big, int size) {
    QImage out(size, size, QImage::Format_ARGB32);
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            int r = 0, g = 0, b = 0, a = 0;
            for (int yy = 0; yy < kOver; ++yy) {
                const QRgb* row = reinterpret_cast<const QRgb*>(big.constScanLine(y * kOver + yy));
                for (int xx = 0; xx < kOver; ++xx) {
                    const QRgb c = row[x * kOver + xx];
                    r += qRed(c);
                    g += qGreen(c);
                    b += qBlue(c);
                    a += qAlpha(c);
                }
            }
            const int n = kOver * kOver;
            // Premultiplied sums: back to straight colour for the PNG.
            const int alpha = a / n;
            out.setPixel(x, y,
                         alpha == 0 ? qRgba(0, 0, 0, 0)
                                    : qRgba(std::min(255, r * 255 / a), std::min(255, g * 255 / a),
                                            std::min(255, b * 255 / a), alpha));
        }
    return out;
}

QImage picture(int size, const Draw& draw) {
    QImage big(size * kOver, size * kOver, QImage::Format_ARGB32_Premultiplied);
    big.fill(Qt::transparent);
    {
        QPainter p(&big);
        p.setRenderHint(QPainter::Antialiasing);
        p.scale(size * kOver / 24.0, size * kOver / 24.0);
        draw(p, 24.0 / size);
    }
    return reduce(big, size);
}

void disc(QPainter& p, double px, const QColor& fill, const QColor& rim) {
    const double w = std::max(1.0 * px, 1.1);
    QRadialGradient g(QPointF(9, 8), 16);
    g.setColorAt(0, fill.lighter(118));
    g.setColorAt(1, fill);
    p.setPen(QPen(rim, w));
    p.setBrush(g);
    p.drawEllipse(QPointF(12, 12), 11.5 - w / 2, 11.5 - w / 2);
}

QPen sign(double width) {
    return QPen(kSign, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

void clockHands(QPainter& p, double px) {
    const double w = std::max(2.6, 2.0 * px);
    // Four short marks where there is room for them.
    if (px < 1.2) {
        p.setPen(sign(1.4));
        for (int i = 0; i < 4; ++i) {
            const double a = i * 3.14159265 / 2;
            p.drawLine(QPointF(12 + std::sin(a) * 7.2, 12 - std::cos(a) * 7.2),
                       QPointF(12 + std::sin(a) * 8.6, 12 - std::cos(a) * 8.6));
        }
    }
    p.setPen(sign(w));
    p.drawLine(QPointF(12, 12), QPointF(12, 5.2));
    p.drawLine(QPointF(12, 12), QPointF(16.6, 14.4));
}

// The red light of the clock button, in the upper right corner.
void light(QPainter& p, double px) {
    const double ring = std::max(1.4, 1.1 * px);
    const QPointF c(18.6, 5.4);
    const double r = 5.0;
    p.setPen(QPen(kGreyRim, std::max(0.8, 0.8 * px)));
    p.setBrush(kSign);
    p.drawEllipse(c, r + ring, r + ring);
    QRadialGradient g(c - QPointF(1.4, 1.4), r * 1.4);
    g.setColorAt(0, kRed.lighter(145));
    g.setColorAt(1, kRed);
    p.setPen(Qt::NoPen);
    p.setBrush(g);
    p.drawEllipse(c, r, r);
}

void pauseBars(QPainter& p, double px) {
    const double w = std::max(3.4, 2.6 * px);
    p.setPen(Qt::NoPen);
    p.setBrush(kSign);
    p.drawRoundedRect(QRectF(12 - 1.6 - w, 6.5, w, 11), w / 3, w / 3);
    p.drawRoundedRect(QRectF(12 + 1.6, 6.5, w, 11), w / 3, w / 3);
}

// A person stretching, arms raised.
void figure(QPainter& p, double px) {
    const double w = std::max(2.4, 1.9 * px);
    QPainterPath body;
    body.moveTo(6.0, 6.2);
    body.lineTo(12, 11.5); // arms
    body.lineTo(18.0, 6.2);
    body.moveTo(12, 10.5);
    body.lineTo(12, 14.6); // trunk
    body.moveTo(7.8, 19.6);
    body.lineTo(12, 14.6); // legs
    body.lineTo(16.2, 19.6);
    p.setPen(sign(w));
    p.setBrush(Qt::NoBrush);
    p.drawPath(body);
    p.setPen(Qt::NoPen);
    p.setBrush(kSign);
    p.drawEllipse(QPointF(12, 6.6), 2.3, 2.3);
}

} // namespace

void addStatusJobs(std::vector<Job>& jobs, const Context&) {
    const struct {
        const char* name;
        Draw draw;
    } states[] = {
        {"off",
         [](QPainter& p, double px) {
             disc(p, px, kGrey, kGreyRim);
             clockHands(p, px);
         }},
        {"waiting",
         [](QPainter& p, double px) {
             disc(p, px, kGreen, kGreenRim);
             clockHands(p, px);
         }},
        {"due",
         [](QPainter& p, double px) {
             disc(p, px, kGreen, kGreenRim);
             clockHands(p, px);
             light(p, px);
         }},
        {"paused",
         [](QPainter& p, double px) {
             disc(p, px, kSlate, kSlateRim);
             pauseBars(p, px);
         }},
        {"running",
         [](QPainter& p, double px) {
             disc(p, px, kGreen, kGreenRim);
             figure(p, px);
         }},
    };
    for (const auto& state : states)
        for (int size : {16, 22, 24, 32, 48}) {
            const Draw draw = state.draw;
            jobs.push_back({QStringLiteral("desktop/status/%1-%2.png")
                                .arg(QLatin1String(state.name))
                                .arg(size),
                            Format::Png, [draw, size] { return picture(size, draw); }});
        }
}

} // namespace pic
