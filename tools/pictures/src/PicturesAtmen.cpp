#include "Catalogue.h"
#include "Journeys.h"
#include "Landscapes.h"
#include "Marks.h"
#include "Paint.h"
#include "Shared.h"
#include "Studio.h"

namespace pic {

namespace {

// Soft edges of the keyed figures are blended against this colour, a middle tone of the
// waterfall picture they stand on, instead of against the key colour.
const QColor kFigureEdge(0x8a, 0xa0, 0x8c);

QImage figureAlone(const Context& ctx, const char* pose, const Camera& cam, QSize size,
                   const std::function<void(QPainter&, const Landmarks&)>& marks) {
    Landmarks lm;
    QImage img = shootAlone(ctx.poses.get(pose), !ctx.poses.get(pose).standing, cam, ctx.outfit,
                            size, ctx.supersample, &lm);
    if (marks) {
        QPainter p(&img);
        p.setRenderHint(QPainter::Antialiasing);
        marks(p, lm);
    }
    return toKeyed(img, keyColour(), kFigureEdge);
}

// The standing figure of full breathing: hands on chest and belly, eyes closed.
QImage breathingFigure(const Context& ctx) {
    Camera cam;
    cam.yaw = -12;
    cam.pitch = 4;
    cam.scale = 2.86;
    cam.target = {0, 88, 0};
    cam.sx = 115;
    cam.sy = 286;
    return figureAlone(ctx, "breathe", cam, {230, 540}, [&](QPainter& p, const Landmarks& lm) {
        const QPointF nose = cam.project(lm.nose);
        breath(p, nose + QPointF(6, 4), QPointF(1, 0.35), 26, 0);
    });
}

// Alternate breathing: one nostril closed, the air flows through the other.
QImage nostrilFigure(const Context& ctx, bool rightClosed) {
    Camera cam;
    cam.yaw = -10;
    cam.pitch = 3;
    cam.scale = 8.4;
    cam.target = {0, 110, 0};
    cam.sx = 236;
    cam.sy = 250;
    const char* pose = rightClosed ? "nostril_r" : "nostril_l";
    return figureAlone(ctx, pose, cam, {480, 540}, [&](QPainter& p, const Landmarks& lm) {
        // The open nostril is on the person's other side; seen from the front, the person's
        // left is on our right.
        const QPointF nose = cam.project(lm.nose);
        const double s = cam.scale;
        const QPointF open = nose + QPointF(rightClosed ? 2.0 * s : -2.0 * s, 1.2 * s);
        const QPointF dir(rightClosed ? 1.0 : -1.0, 0.55);
        breath(p, open, dir, 9 * s, 0);
        // The closing finger.
        const QPointF closed = nose + QPointF(rightClosed ? -1.9 * s : 1.9 * s, 0.6 * s);
        p.setPen(QPen(QColor(255, 255, 255, 200), 0.9 * s));
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(closed, 1.9 * s, 1.9 * s);
        p.setPen(QPen(kMarkColour, 0.45 * s));
        p.drawEllipse(closed, 1.9 * s, 1.9 * s);
    });
}

// The colour strip beside the blind: cool at the top, warm at the bottom.
QImage colourStrip() {
    QImage img(16, 720, QImage::Format_RGB32);
    QPainter p(&img);
    QLinearGradient g(0, 0, 0, 720);
    const int stops[] = {0x6b5fb5, 0x4f8fd6, 0x47b9c9, 0x6cc58a, 0xc9d35f, 0xf2b256, 0xe9725a};
    for (int i = 0; i < 7; ++i)
        g.setColorAt(i / 6.0, QColor::fromRgb(QRgb(stops[i])));
    p.fillRect(img.rect(), g);
    return img;
}

} // namespace

void addAtmenJobs(std::vector<Job>& jobs, const Context& ctx) {
    const Lazy waterfall(paintWaterfall);
    for (int k = 1; k <= 11; ++k)
        jobs.push_back({QStringLiteral("data/Pictures/Atmen/atmen%1.jpg").arg(k), Format::Jpeg,
                        [waterfall, k] { return journeyFrame(k, waterfall(), OfficeLight::Day); }});
    jobs.push_back({QStringLiteral("data/Pictures/Atmen/figur.bmp"), Format::KeyedBmp,
                    [&ctx] { return breathingFigure(ctx); }});
    jobs.push_back({QStringLiteral("data/Pictures/Atmen/wr.bmp"), Format::KeyedBmp,
                    [&ctx] { return nostrilFigure(ctx, true); }});
    jobs.push_back({QStringLiteral("data/Pictures/Atmen/wl.bmp"), Format::KeyedBmp,
                    [&ctx] { return nostrilFigure(ctx, false); }});
    jobs.push_back({QStringLiteral("data/Pictures/Atmen/colors.jpg"), Format::Jpeg, colourStrip});
}

} // namespace pic
