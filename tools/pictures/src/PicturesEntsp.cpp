#include "Catalogue.h"
#include "Contracts.h"
#include "Journeys.h"
#include "Landscapes.h"
#include "Paint.h"
#include "Shared.h"

#include <cmath>

namespace pic {

namespace {

// The body of the body scan: one flat colour, so that the sequence can find it pixel by
// pixel and fill it region by region.
const QColor kBodyColour(246, 228, 200);
constexpr int kBodyW = 204, kBodyH = 492;

QPainterPath squircle(QPointF c, double a, double b, double n) {
    QPainterPath path;
    for (int i = 0; i <= 160; ++i) {
        const double t = i * 2 * 3.14159265358979 / 160;
        const double ct = std::cos(t), st = std::sin(t);
        const double x = a * std::copysign(std::pow(std::abs(ct), 2.0 / n), ct);
        const double y = b * std::copysign(std::pow(std::abs(st), 2.0 / n), st);
        if (i == 0)
            path.moveTo(c + QPointF(x, y));
        else
            path.lineTo(c + QPointF(x, y));
    }
    path.closeSubpath();
    return path;
}

// The silhouette: a person standing with the arms hanging beside the body. It keeps a margin
// of a few pixels around every sample rectangle of the body scan, so that the rectangles lie
// wholly inside it.
QPainterPath bodySilhouette() {
    QPainterPath body;
    body.moveTo(73, 50);
    // Left side (on our left), from the neck down.
    body.lineTo(73, 63);
    body.cubicTo(62, 73, 42, 75, 16, 77);
    body.arcTo(QRectF(1, 77, 30, 30), 90, 90); // the shoulder, round
    body.cubicTo(1, 120, 3, 150, 4, 190);      // upper arm
    body.cubicTo(5, 220, 2, 250, 3, 284);      // forearm
    body.cubicTo(2, 300, 12, 314, 24, 314);    // hand
    body.cubicTo(34, 314, 41, 308, 41, 300);
    body.lineTo(41, 360);                    // thigh
    body.cubicTo(41, 380, 57, 386, 57, 402); // knee
    body.cubicTo(52, 420, 53, 440, 57, 466); // calf
    body.cubicTo(52, 476, 44, 482, 47, 488); // foot
    body.cubicTo(50, 492, 80, 492, 92, 491);
    body.lineTo(97, 487); // between the feet
    body.lineTo(102, 491);
    body.cubicTo(114, 492, 142, 492, 147, 488); // right foot
    body.cubicTo(150, 482, 143, 476, 138, 466);
    body.cubicTo(142, 440, 143, 420, 138, 402); // calf, knee
    body.cubicTo(138, 386, 160, 380, 160, 360);
    body.lineTo(160, 300);                      // thigh
    body.cubicTo(160, 308, 168, 314, 178, 314); // hand
    body.cubicTo(190, 314, 201, 300, 199, 284);
    body.cubicTo(201, 250, 198, 220, 199, 190); // forearm, upper arm
    body.cubicTo(200, 150, 203, 120, 203, 92);
    body.arcTo(QRectF(173, 77, 30, 30), 0, 90); // the shoulder
    body.cubicTo(161, 75, 147, 73, 136, 63);
    body.lineTo(136, 50);
    body.closeSubpath();
    return body.united(squircle({100, 31}, 44, 34, 3));
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
    const QPainterPath body = bodySilhouette();
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    // A soft warm glow around the body.
    {
        QImage glow(img.size(), QImage::Format_ARGB32_Premultiplied);
        glow.fill(Qt::transparent);
        QPainter q(&glow);
        q.setRenderHint(QPainter::Antialiasing);
        q.fillPath(body, QColor(255, 226, 186, 150));
        q.end();
        p.drawImage(0, 0, blurred(glow, 9));
    }
    p.fillPath(body, kBodyColour);
    // A soft rim just inside the outline gives the figure its shape.
    p.setPen(QPen(QColor(226, 196, 160), 2.2));
    p.setBrush(Qt::NoBrush);
    p.drawPath(body);
    p.end();
    // The sample rectangles get the exact body colour, whatever the edge smoothing did.
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
