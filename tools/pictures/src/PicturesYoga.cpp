#include "Catalogue.h"
#include "Marks.h"
#include "Paint.h"
#include "Studio.h"

#include <cmath>

namespace pic {

namespace {

QPointF screen(const Camera& cam, V3 p) {
    return cam.project(p);
}

// Sitting at the workplace, turned towards us, the desk behind to the left.
Shot frontSeated(double scale, V3 target, QPointF at) {
    Shot s;
    s.deskAt = {-88, 0, -62};
    s.deskYaw = 0;
    s.cam.yaw = -14;
    s.cam.pitch = 6;
    s.cam.scale = scale;
    s.cam.target = target;
    s.cam.sx = at.x();
    s.cam.sy = at.y();
    s.room.wallDistance = 150;
    s.room.windowAt = 135;
    s.room.windowWidth = 150;
    s.room.pictureAt = -230;
    s.room.plantAt = 240;
    return s;
}

// Sitting at the desk, seen from the right side; the desk in front, on the right.
Shot sideSeated(double scale, V3 target, QPointF at) {
    Shot s;
    s.deskAt = {-8, 0, 80};
    s.deskYaw = 200;
    s.deskOptions.plant = false;
    s.cam.yaw = -90;
    s.cam.pitch = 6;
    s.cam.scale = scale;
    s.cam.target = target;
    s.cam.sx = at.x();
    s.cam.sy = at.y();
    s.room.wallDistance = 120;
    s.room.windowAt = -110;
    s.room.windowWidth = 120;
    s.room.picture = false;
    s.room.plantAt = -260;
    return s;
}

// Sitting, seen from the front right, so that both legs show.
Shot threeQuarterSeated(double scale, V3 target, QPointF at) {
    Shot s = frontSeated(scale, target, at);
    s.cam.yaw = -34;
    s.deskAt = {-120, 0, -70};
    s.deskYaw = 20;
    s.room.windowAt = 150;
    return s;
}

QImage make(const Context& ctx, const Shot& shot) {
    Shot s = shot;
    s.supersample = ctx.supersample;
    return shoot(s, ctx.poses, ctx.outfit);
}

double px(const Camera& cam, double cm) {
    return cam.scale * cm;
}

} // namespace

void addYogaJobs(std::vector<Job>& jobs, const Context& ctx) {
    auto add = [&jobs, &ctx](const QString& path, Shot shot) {
        jobs.push_back({QStringLiteral("data/Pictures/Yoga/") + path, Format::Jpeg,
                        [&ctx, shot] { return make(ctx, shot); }});
    };

    // Exercise 1: hands open and closed.
    for (const char* pose : {"yoga111", "yoga112"}) {
        Shot s = frontSeated(6.4, {0, 100, 0}, {640, 390});
        s.pose = pose;
        add(QStringLiteral("p1/%1.jpg").arg(QLatin1String(pose)), s);
    }

    // Exercise 2: circling the hands; the dotted circle shows the path of the finger tips.
    for (const char* pose : {"yoga121", "yoga122", "yoga123"}) {
        Shot s = frontSeated(6.4, {0, 100, 0}, {640, 390});
        s.pose = pose;
        const Pose& ref = ctx.poses.get("yoga121");
        const Shot refShot = s;
        s.overlay = [ref, refShot](QPainter& p, const Camera& cam, const Landmarks&) {
            const Landmarks r = landmarksOf(refShot, ref);
            for (int side = 0; side < 2; ++side) {
                // The hand turns about the wrist: the circle runs through the middle of the
                // hand.
                const QPointF w = screen(cam, r.wrist[side]);
                dottedPath(p, w, px(cam, 9), px(cam, 9), px(cam, 0.45));
            }
        };
        add(QStringLiteral("p1/%1.jpg").arg(QLatin1String(pose)), s);
    }

    // Exercise 3: rolling the shoulders, seen from the side; the dotted circle around the
    // shoulder shows the roll.
    for (const char* pose : {"yoga131", "yoga132", "yoga133"}) {
        Shot s = sideSeated(6.2, {0, 100, 0}, {600, 380});
        s.pose = pose;
        // The circle runs through the three places the shoulder takes.
        V3 centre;
        for (const char* ref : {"yoga131", "yoga132", "yoga133"})
            centre = centre + landmarksOf(s, ctx.poses.get(ref)).shoulder[0] * (1.0 / 3);
        double radius = 0;
        for (const char* ref : {"yoga131", "yoga132", "yoga133"})
            radius =
                std::max(radius, length(landmarksOf(s, ctx.poses.get(ref)).shoulder[0] - centre));
        s.overlay = [centre, radius](QPainter& p, const Camera& cam, const Landmarks&) {
            dottedPath(p, screen(cam, centre), px(cam, radius * 0.9 + 1), px(cam, radius * 0.9 + 1),
                       px(cam, 0.55));
        };
        add(QStringLiteral("p1/%1.jpg").arg(QLatin1String(pose)), s);
    }

    // Exercise 4: turning the head, with the head lowered, upright and tilted back. The arrow
    // shows which way the head has just turned.
    const struct {
        const char* pose;
        int turn; // 0 middle, 1 to the person's left, -1 to the right
        int tilt; // 1 lowered, 0 upright, -1 back
    } heads[] = {{"yoga1411", 0, 1},  {"yoga1412", 1, 1},  {"yoga1413", -1, 1},
                 {"yoga1421", 0, 0},  {"yoga1422", 1, 0},  {"yoga1423", -1, 0},
                 {"yoga1431", 0, -1}, {"yoga1432", 1, -1}, {"yoga1433", -1, -1}};
    for (const auto& h : heads) {
        Shot s = frontSeated(10.5, {0, 122, 0}, {640, 372});
        s.cam.yaw = -8;
        s.room.windowAt = 80;
        s.room.windowWidth = 90;
        s.pose = h.pose;
        const int turn = h.turn;
        s.overlay = [turn](QPainter& p, const Camera& cam, const Landmarks& lm) {
            // An arc over the head; seen from the front, the person's left is on our right.
            const QPointF c = screen(cam, lm.head);
            const double r = px(cam, 19);
            if (turn != 0)
                arcArrow(p, c, r, r * 0.9, 90 + turn * 28, -turn * 56, px(cam, 0.8));
            else
                arcArrow(p, c, r, r * 0.9, 125, -70, px(cam, 0.8), true);
        };
        add(QStringLiteral("p1/%1.jpg").arg(QLatin1String(h.pose)), s);
    }

    // Exercise 5: from the bow up to the stretch in five stages, sitting; seen from the side.
    for (int stage = 1; stage <= 5; ++stage) {
        Shot s = sideSeated(3.6, {0, 100, 0}, {560, 362});
        s.pose = "yoga2" + std::to_string(stage);
        s.overlay = [stage](QPainter& p, const Camera&, const Landmarks&) {
            badge(p, QPointF(1180, 100), 50, QString::number(stage));
        };
        add(QStringLiteral("p2/yoga2%1.jpg").arg(stage), s);
    }

    // Exercise 6: from bending down to the floor up to the stretch in five stages, standing
    // beside the desk; seen from the side.
    for (int stage = 1; stage <= 5; ++stage) {
        Shot s = sideSeated(3.05, {0, 106, 0}, {590, 372});
        s.pose = "yoga3" + std::to_string(stage);
        s.room.plant = false;
        s.chairAt = {0, 0, -75};
        s.chairYaw = 160;
        s.deskAt = {-8, 0, 95};
        s.cam.pitch = 11;
        s.overlay = [stage](QPainter& p, const Camera&, const Landmarks&) {
            badge(p, QPointF(1180, 100), 50, QString::number(stage));
        };
        add(QStringLiteral("p3/yoga3%1.jpg").arg(stage), s);
    }

    // Exercise 7: turning the trunk, standing, hands on the hips. The arrow shows the turn; in
    // the springing poses short strokes show the small extra swing.
    const struct {
        const char* pose;
        int turn;
        bool spring;
    } twists[] = {{"yoga41", 0, false},
                  {"yoga42", 1, false},
                  {"yoga43", 1, true},
                  {"yoga44", -1, false},
                  {"yoga45", -1, true}};
    for (const auto& t : twists) {
        Shot s = frontSeated(3.45, {0, 96, 0}, {640, 360});
        s.cam.yaw = -6;
        s.cam.pitch = 12;
        s.pose = t.pose;
        s.chairAt = {62, 0, -45};
        s.chairYaw = -35;
        s.deskAt = {-95, 0, -70};
        const int turn = t.turn;
        const bool spring = t.spring;
        s.overlay = [turn, spring](QPainter& p, const Camera& cam, const Landmarks& lm) {
            const QPointF c = screen(cam, lm.chest + V3{0, 12, 0});
            const double rx = px(cam, 36), ry = px(cam, 11);
            if (turn == 0) {
                arcArrow(p, c, rx, ry, 215, 110, px(cam, 1.2), true);
                return;
            }
            // Turning to the person's left moves the chest towards our right.
            const double start = turn > 0 ? 220 : 320, span = turn > 0 ? 95 : -95;
            arcArrow(p, c, rx, ry, start, span, px(cam, 1.2));
            if (spring) {
                const double a = (start + span) * 3.14159265 / 180;
                const QPointF end(c.x() + rx * std::cos(a), c.y() - ry * std::sin(a));
                shakeLines(p, end, px(cam, 5), 0, px(cam, 0.8));
            }
        };
        add(QStringLiteral("p4/%1.jpg").arg(QLatin1String(t.pose)), s);
    }

    // Exercise 8: drawing up the knees. An arrow shows the knee's way up.
    const struct {
        const char* pose;
        int side; // 1 left knee, 0 right knee
        bool up;
    } knees[] = {
        {"yoga511", 1, false}, {"yoga512", 1, true}, {"yoga521", 0, false}, {"yoga522", 0, true}};
    for (const auto& k : knees) {
        Shot s = threeQuarterSeated(4.1, {0, 70, 0}, {660, 392});
        s.pose = k.pose;
        const int side = k.side;
        const bool up = k.up;
        s.overlay = [side, up](QPainter& p, const Camera& cam, const Landmarks& lm) {
            const QPointF knee = screen(cam, lm.knee[side]);
            const QPointF chest = screen(cam, lm.chest);
            const QPointF dir = chest - knee;
            const QPointF out(dir.y() * 0.0 + px(cam, 16), 0);
            if (up)
                arrow(p, knee + out + QPointF(0, px(cam, 22)), knee + out + QPointF(0, -px(cam, 4)),
                      px(cam, 1.1));
            else
                arrow(p, knee + out + QPointF(0, -px(cam, 22)), knee + out + QPointF(0, px(cam, 2)),
                      px(cam, 1.1));
        };
        add(QStringLiteral("p5/%1.jpg").arg(QLatin1String(k.pose)), s);
    }

    // Exercise 9: belly tensed while breathing out, released while breathing in.
    for (int k = 1; k <= 2; ++k) {
        Shot s = sideSeated(5.3, {0, 92, 0}, {600, 400});
        s.pose = "yoga6" + std::to_string(k);
        const bool out = k == 1;
        s.overlay = [out](QPainter& p, const Camera& cam, const Landmarks& lm) {
            const QPointF mouth = screen(cam, lm.mouth);
            const QPointF nose = screen(cam, lm.nose);
            if (out) {
                breath(p, mouth + QPointF(px(cam, 1), 0), QPointF(1, 0.25), px(cam, 16), 1);
                // The tensed belly.
                const QPointF belly = screen(cam, lm.pelvis + lm.pelvisFrame * V3{0, 16, 14});
                shakeLines(p, belly + QPointF(px(cam, 7), 0), px(cam, 5), 0, px(cam, 0.6));
            } else {
                breath(p, nose + QPointF(px(cam, 2), px(cam, -1)), QPointF(1, -0.15), px(cam, 16),
                       -1);
            }
        };
        add(QStringLiteral("p6/yoga6%1.jpg").arg(k), s);
    }

    // Exercise 10: feet bent up and down, then both legs shaken.
    const struct {
        const char* pose;
        int side;
        int dir; // 1 toes up, -1 toes down, 0 shaking
    } feet[] = {{"yoga711", 1, -1}, {"yoga712", 1, 1}, {"yoga721", 0, -1},
                {"yoga722", 0, 1},  {"yoga731", 1, 0}, {"yoga732", 0, 0}};
    for (const auto& f : feet) {
        Shot s = threeQuarterSeated(4.2, {0, 70, 12}, {600, 380});
        s.pose = f.pose;
        const int side = f.side, dir = f.dir;
        s.overlay = [side, dir](QPainter& p, const Camera& cam, const Landmarks& lm) {
            if (dir == 0) {
                for (int k = 0; k < 2; ++k)
                    shakeLines(p, screen(cam, lm.ankle[k] + V3{0, 2, 6}), px(cam, 11), 90,
                               px(cam, 0.9));
                return;
            }
            const QPointF ankle = screen(cam, lm.ankle[side]);
            const QPointF toe = screen(cam, lm.toe[side]);
            const QPointF c = ankle;
            const double r = std::hypot(toe.x() - ankle.x(), toe.y() - ankle.y()) + px(cam, 8);
            const double a =
                std::atan2(-(toe.y() - ankle.y()), toe.x() - ankle.x()) * 180 / 3.14159265358979;
            arcArrow(p, c, r, r, a - dir * 10, dir * 45, px(cam, 1.0));
        };
        add(QStringLiteral("p7/%1.jpg").arg(QLatin1String(f.pose)), s);
    }

    // The mantra.
    {
        Shot s = frontSeated(3.9, {0, 75, 0}, {640, 450});
        s.cam.yaw = -8;
        s.room.windowAt = 175;
        s.pose = "mantra";
        s.overlay = [](QPainter& p, const Camera& cam, const Landmarks& lm) {
            (void)cam;
            (void)lm;
            paintCaption(p, QRectF(0, 22, 960, 70),
                         QStringLiteral("Ich sitze aufrecht, atme tief und bin ganz entspannt !"),
                         uiFont(34), QColor(0x5a, 0x4a, 0x3e), QColor(255, 255, 255, 160));
        };
        add(QStringLiteral("p8/mantra.jpg"), s);
    }
}

} // namespace pic
