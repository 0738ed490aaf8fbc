#include "Catalogue.h"
#include "Contracts.h"
#include "Marks.h"
#include "Paint.h"
#include "Studio.h"

namespace pic {

namespace {

// Sitting behind the desk and facing us: the eye exercises look at "the opposite wall", which
// is where we are.
Shot atDesk(const char* pose) {
    Shot s;
    s.pose = pose;
    s.deskAt = {0, 0, 34};
    s.deskYaw = 180;
    s.deskOptions.monitor = false;
    s.deskOptions.keyboard = false;
    s.deskOptions.mug = false;
    s.cam.yaw = 0;
    s.cam.pitch = 5;
    s.room.wallDistance = 150;
    s.room.windowAt = 120;
    s.room.windowWidth = 110;
    s.room.picture = false;
    s.room.plantAt = 230;
    return s;
}

// The face picture the eye exercises draw on. It is shown stretched over the whole board, so
// it is drawn for a 16:9 board and then squeezed into 1024 x 768; the eyes land on the two
// pixels the drawing starts from.
QImage facePicture(const Context& ctx) {
    const int renderW = 1366, W = kFaceSize.width(), H = kFaceSize.height();
    const double f = double(W) / renderW;
    Shot s = atDesk("desk");
    s.supersample = ctx.supersample;
    const Landmarks lm = landmarksOf(s, ctx.poses.get(s.pose));
    const double left = (kEyeLeft.x() + 0.5) / f, right = (kEyeRight.x() + 0.5) / f;
    s.cam.scale = (right - left) / (lm.eye[1].x - lm.eye[0].x);
    s.cam.target = lm.eye[0];
    s.cam.sx = left;
    s.cam.sy = kEyeLeft.y() + 0.5;
    const QImage wide = shoot(s, ctx.poses, ctx.outfit, QSize(renderW, H));
    return wide.scaled(W, H, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

Shot closer(const char* pose) {
    Shot s = atDesk(pose);
    s.cam.yaw = -6;
    s.cam.scale = 7.2;
    s.cam.target = {0, 108, 0};
    s.cam.sx = 640;
    s.cam.sy = 350;
    s.room.windowAt = 70;
    s.room.windowWidth = 90;
    s.room.plantAt = 120;
    return s;
}

QImage rubbing(const Context& ctx, const char* pose) {
    Shot s = closer(pose);
    s.supersample = ctx.supersample;
    s.overlay = [](QPainter& p, const Camera& cam, const Landmarks& lm) {
        const QPointF hands = (cam.project(lm.palm[0]) + cam.project(lm.palm[1])) / 2;
        paintGlow(p, hands, cam.scale * 9, QColor(255, 170, 90, 120));
        const double d = cam.scale * 9;
        for (int side : {-1, 1})
            arrow(p, hands + QPointF(side * d, cam.scale * 5),
                  hands + QPointF(side * d, -cam.scale * 5), cam.scale * 0.6);
        for (int side : {-1, 1})
            arrow(p, hands + QPointF(side * d, -cam.scale * 5),
                  hands + QPointF(side * d, cam.scale * 5), cam.scale * 0.6);
    };
    return shoot(s, ctx.poses, ctx.outfit);
}

QImage palming(const Context& ctx) {
    Shot s = closer("palming");
    s.supersample = ctx.supersample;
    return shoot(s, ctx.poses, ctx.outfit);
}

QImage mantra(const Context& ctx) {
    Shot s = closer("eyesclosed");
    s.supersample = ctx.supersample;
    s.cam.scale = 5.6;
    s.cam.target = {0, 100, 0};
    s.cam.sy = 400;
    // The words of the text line under the picture, in two lines on the wall left of the
    // window, well clear of the picture's edge.
    s.overlay = [](QPainter& p, const Camera&, const Landmarks&) {
        paintCaption(p, QRectF(48, 22, 690, 96),
                     QStringLiteral("Ich sitze aufrecht, atme tief\nund bin ganz entspannt !"),
                     uiFont(34), kCaptionInk, QColor(255, 255, 255, 160));
    };
    return shoot(s, ctx.poses, ctx.outfit);
}

} // namespace

void addAugenJobs(std::vector<Job>& jobs, const Context& ctx) {
    const QString dir = QStringLiteral("data/Pictures/Augen/");
    jobs.push_back(
        {dir + QStringLiteral("augen.bmp"), Format::Bmp, [&ctx] { return facePicture(ctx); }});
    jobs.push_back({dir + QStringLiteral("paral.jpg"), Format::Jpeg,
                    [&ctx] { return rubbing(ctx, "rub_p"); }});
    jobs.push_back({dir + QStringLiteral("links.jpg"), Format::Jpeg,
                    [&ctx] { return rubbing(ctx, "rub_l"); }});
    jobs.push_back({dir + QStringLiteral("rechts.jpg"), Format::Jpeg,
                    [&ctx] { return rubbing(ctx, "rub_r"); }});
    jobs.push_back(
        {dir + QStringLiteral("halten.jpg"), Format::Jpeg, [&ctx] { return palming(ctx); }});
    jobs.push_back(
        {dir + QStringLiteral("mantra.jpg"), Format::Jpeg, [&ctx] { return mantra(ctx); }});
}

} // namespace pic
