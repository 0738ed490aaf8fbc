#include "Studio.h"

#include <QLinearGradient>
#include <QPainterPath>
#include <QRadialGradient>

namespace pic {

void addChair(Scene& scene, V3 floor, double yaw) {
    const M3 r = rotY(yaw);
    const int fabric = scene.addMaterial({rgb(0x4b4f58), 0.02, -1, 1.0});
    const int metal = scene.addMaterial({rgb(0xb9bec6), 0.35, -1, 1.0});
    const int dark = scene.addMaterial({rgb(0x3a3d44), 0.2, -1, 1.0});
    auto at = [&](V3 v) { return floor + r * v; };
    const int g = scene.newGroup();
    scene.box(at({0, kSeatHeight - 3.8, 0}), r, {23, 3.8, 22}, 3.4, fabric, g, 1.0);
    scene.box(at({0, 74, -25}), r * rotX(-10), {21, 16, 3.2}, 3.0, fabric, g, 1.0);
    scene.box(at({0, 52, -23.5}), r * rotX(-8), {2.6, 11, 1.3}, 1.0, metal);
    scene.cylinder(at({0, 25, 0}), r, 2.4, 14, 0.5, metal);
    scene.cylinder(at({0, 10.5, 0}), r, 4.5, 2.5, 1.0, dark);
    for (int k = 0; k < 5; ++k) {
        const double a = rad(k * 72.0 + 18.0);
        const V3 tip{30 * std::cos(a), 6.5, 30 * std::sin(a)};
        scene.cone(at({0, 9.5, 0}), at(tip), 2.4, 1.7, dark);
        scene.sphere(at({28.5 * std::cos(a), 3.1, 28.5 * std::sin(a)}), 3.1, dark);
    }
}

void addDesk(Scene& scene, V3 floor, double yaw, const DeskOptions& o) {
    const M3 r = rotY(yaw);
    auto at = [&](V3 v) { return floor + r * v; };
    const int wood = scene.addMaterial({rgb(0xdcb88e), 0.10, -1, 1.0});
    const int leg = scene.addMaterial({rgb(0xe9e7e2), 0.25, -1, 1.0});
    const double top = 74;
    // Front edge at z = 0, so the top spans z = -70 .. 0.
    scene.box(at({0, top - 1.8, -35}), r, {72, 1.8, 35}, 1.0, wood);
    for (double x : {-67.0, 67.0})
        for (double z : {-64.0, -6.0})
            scene.cylinder(at({x, (top - 3.6) / 2, z}), r, 2.2, (top - 3.6) / 2, 0.4, leg);
    scene.box(at({0, top - 9, -66}), r, {66, 5, 0.8}, 0.5, leg);
    if (o.monitor) {
        const int frame = scene.addMaterial({rgb(0x2f343d), 0.3, -1, 1.0});
        const int screen = scene.addMaterial({rgb(0x9fc6dd), 0.1, -1, 0.6});
        scene.box(at({0, top + 0.6, -48}), r, {11, 0.6, 8}, 0.5, frame);
        scene.box(at({0, top + 13, -52}), r, {2.2, 12, 1.0}, 0.8, frame);
        scene.box(at({0, top + 31, -50}), r, {31, 19, 1.3}, 0.9, frame);
        scene.box(at({0, top + 32, -48.6}), r, {29, 17, 0.15}, 0.1, screen);
    }
    if (o.keyboard) {
        const int keys = scene.addMaterial({rgb(0xf1f0ec), 0.2, -1, 1.0});
        scene.box(at({-4, top + 0.9, -20}), r * rotX(3), {22, 0.9, 7}, 0.7, keys);
        scene.box(at({28, top + 0.9, -20}), r, {3.2, 1.0, 5.2}, 1.0, keys);
    }
    if (o.mug) {
        const int cup = scene.addMaterial({rgb(0xe58b6d), 0.3, -1, 1.0});
        scene.cylinder(at({48, top + 5, -22}), r, 4.2, 5, 0.8, cup);
        // The handle: three short bars bent into a "C".
        const V3 h0 = at({51.5, top + 8, -22}), h1 = at({55.2, top + 7.2, -22});
        const V3 h2 = at({55.2, top + 3.4, -22}), h3 = at({51.5, top + 2.6, -22});
        scene.cone(h0, h1, 0.8, 0.8, cup);
        scene.cone(h1, h2, 0.8, 0.8, cup);
        scene.cone(h2, h3, 0.8, 0.8, cup);
    }
    if (o.plant) {
        const int pot = scene.addMaterial({rgb(0xd98b5f), 0.1, -1, 1.0});
        const int leaf = scene.addMaterial({rgb(0x6aa56b), 0.15, -1, 1.0});
        scene.cylinder(at({-55, top + 7, -50}), r, 7, 7, 1.2, pot);
        const int g = scene.newGroup();
        for (int k = 0; k < 7; ++k) {
            const double a = k * 51.0;
            const V3 base = at({-55, top + 13, -50});
            const M3 lr = r * rotY(a) * rotX(28 + (k % 3) * 12);
            scene.ellipsoid(base + lr * V3{0, 9, 0}, lr, {3.2, 9.5, 1.2}, leaf, g, 1.0);
        }
    }
}

namespace {

QColor lighter(const QColor& c, double f) {
    return QColor::fromRgbF(std::min(1.0, c.redF() * f), std::min(1.0, c.greenF() * f),
                            std::min(1.0, c.blueF() * f));
}

} // namespace

double paintRoom(QPainter& p, const Camera& cam, const QSize& size, const Room& room) {
    p.setRenderHint(QPainter::Antialiasing);
    const V3 c = cam.back();
    const V3 ch = normalize(V3{c.x, 0, c.z});
    const V3 base{cam.target.x, 0, cam.target.z};
    const double wallY = cam.project(base - ch * room.wallDistance).y();
    const double up = cam.scale * std::cos(rad(cam.pitch)); // pixels per cm of height
    const double W = size.width(), H = size.height();

    QLinearGradient wall(0, 0, 0, wallY);
    wall.setColorAt(0, room.wallTop);
    wall.setColorAt(1, room.wallBottom);
    p.fillRect(QRectF(0, 0, W, wallY), wall);
    QLinearGradient floor(0, wallY, 0, H);
    floor.setColorAt(0, room.floorFar);
    floor.setColorAt(1, room.floorNear);
    p.fillRect(QRectF(0, wallY, W, H - wallY), floor);
    // Skirting board.
    p.fillRect(QRectF(0, wallY - 8 * up, W, 8 * up), lighter(room.wallBottom, 1.04));
    p.fillRect(QRectF(0, wallY - 1.2, W, 2.4), lighter(room.wallBottom, 0.86));

    auto wallRect = [&](double x, double h0, double w, double h) {
        return QRectF(cam.sx + (x - w / 2) * cam.scale, wallY - (h0 + h) * up, w * cam.scale,
                      h * up);
    };
    if (room.window) {
        const QRectF r = wallRect(room.windowAt, 92, room.windowWidth, 118);
        // Light falling through the window onto the floor.
        QPainterPath patch;
        const double sy = wallY + 6 * up;
        patch.moveTo(r.left() + 20, sy);
        patch.lineTo(r.right() + 20, sy);
        patch.lineTo(r.right() + r.width() * 0.45, std::min(H, sy + r.height() * 0.6));
        patch.lineTo(r.left() + r.width() * 0.45, std::min(H, sy + r.height() * 0.6));
        patch.closeSubpath();
        QLinearGradient pg(0, sy, 0, sy + r.height() * 0.6);
        pg.setColorAt(0, QColor(255, 250, 235, 70));
        pg.setColorAt(1, QColor(255, 250, 235, 0));
        p.fillPath(patch, pg);

        const double f = std::max(3.0, 4.5 * cam.scale * 0.5);
        p.fillRect(r.adjusted(-f, -f, f, f), QColor(0xfa, 0xf7, 0xf1));
        QLinearGradient sky(0, r.top(), 0, r.bottom());
        sky.setColorAt(0, QColor(0x9c, 0xc9, 0xe8));
        sky.setColorAt(1, QColor(0xdc, 0xee, 0xf3));
        p.fillRect(r, sky);
        p.save();
        p.setClipRect(r);
        p.setPen(Qt::NoPen);
        // Far hills and a tree.
        QPainterPath hills;
        hills.moveTo(r.left(), r.bottom());
        for (int i = 0; i <= 40; ++i) {
            const double t = i / 40.0;
            hills.lineTo(r.left() + t * r.width(),
                         r.top() + r.height() * (0.62 - 0.08 * std::sin(t * 5.0 + 0.7)));
        }
        hills.lineTo(r.right(), r.bottom());
        p.fillPath(hills, QColor(0xa9, 0xcf, 0x9c));
        QPainterPath near;
        near.moveTo(r.left(), r.bottom());
        for (int i = 0; i <= 40; ++i) {
            const double t = i / 40.0;
            near.lineTo(r.left() + t * r.width(),
                        r.top() + r.height() * (0.78 - 0.06 * std::sin(t * 3.0 + 2.0)));
        }
        near.lineTo(r.right(), r.bottom());
        p.fillPath(near, QColor(0x86, 0xb8, 0x7a));
        const QPointF tree(r.left() + r.width() * 0.72, r.top() + r.height() * 0.62);
        p.fillRect(
            QRectF(tree.x() - r.width() * 0.012, tree.y(), r.width() * 0.024, r.height() * 0.2),
            QColor(0x8a, 0x6a, 0x4f));
        p.setBrush(QColor(0x6f, 0xa8, 0x68));
        p.drawEllipse(tree, r.width() * 0.09, r.height() * 0.16);
        p.restore();
        // Frame and mullions.
        QPen pen(QColor(0xfa, 0xf7, 0xf1), f * 0.8);
        p.setPen(pen);
        p.drawLine(QPointF(r.center().x(), r.top()), QPointF(r.center().x(), r.bottom()));
        p.drawLine(QPointF(r.left(), r.top() + r.height() * 0.38),
                   QPointF(r.right(), r.top() + r.height() * 0.38));
        p.setPen(QPen(lighter(room.wallBottom, 0.8), 1.2));
        p.setBrush(Qt::NoBrush);
        p.drawRect(r.adjusted(-f, -f, f, f));
        // Sill.
        p.fillRect(QRectF(r.left() - f * 2, r.bottom() + f, r.width() + f * 4, f * 1.3),
                   QColor(0xf4, 0xf0, 0xe8));
        p.setPen(Qt::NoPen);
    }
    if (room.picture) {
        const QRectF r = wallRect(room.pictureAt, 130, 46, 60);
        p.fillRect(r.adjusted(-3, -3, 3, 3), QColor(0x9a, 0x7d, 0x62));
        p.fillRect(r, QColor(0xf6, 0xf1, 0xe6));
        const QRectF in =
            r.adjusted(r.width() * 0.12, r.height() * 0.1, -r.width() * 0.12, -r.height() * 0.1);
        p.fillRect(in, QColor(0xf3, 0xd9, 0xb8));
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0xe9, 0xa8, 0x7c));
        p.drawEllipse(QPointF(in.center().x() + in.width() * 0.15, in.top() + in.height() * 0.35),
                      in.width() * 0.16, in.width() * 0.16);
        QPainterPath m;
        m.moveTo(in.left(), in.bottom());
        m.lineTo(in.left() + in.width() * 0.35, in.top() + in.height() * 0.55);
        m.lineTo(in.left() + in.width() * 0.6, in.top() + in.height() * 0.75);
        m.lineTo(in.left() + in.width() * 0.8, in.top() + in.height() * 0.6);
        m.lineTo(in.right(), in.top() + in.height() * 0.7);
        m.lineTo(in.right(), in.bottom());
        p.fillPath(m, QColor(0x9b, 0xb8, 0x9e));
    }
    if (room.plant) {
        const double x = cam.sx + room.plantAt * cam.scale;
        const double y = wallY + 4 * up;
        const double s = cam.scale;
        QPainterPath pot;
        pot.moveTo(x - 14 * s, y - 32 * up);
        pot.lineTo(x + 14 * s, y - 32 * up);
        pot.lineTo(x + 10.5 * s, y);
        pot.lineTo(x - 10.5 * s, y);
        pot.closeSubpath();
        QLinearGradient pg(x - 14 * s, 0, x + 14 * s, 0);
        pg.setColorAt(0, QColor(0xe8, 0xe2, 0xd8));
        pg.setColorAt(1, QColor(0xc9, 0xc1, 0xb4));
        p.fillPath(pot, pg);
        p.setPen(Qt::NoPen);
        const QColor greens[3] = {QColor(0x5f, 0x9a, 0x62), QColor(0x76, 0xaf, 0x72),
                                  QColor(0x4f, 0x88, 0x57)};
        for (int k = 0; k < 13; ++k) {
            const double a = -80 + k * 13.0 + (k % 2) * 5;
            const double len = (55 + (k * 37 % 30)) * s;
            p.save();
            p.translate(x, y - 30 * up);
            p.rotate(a);
            p.setBrush(greens[k % 3]);
            QPainterPath leaf;
            leaf.moveTo(0, 0);
            leaf.cubicTo(len * 0.25, -len * 0.28, len * 0.75, -len * 0.22, len, 0);
            leaf.cubicTo(len * 0.75, len * 0.16, len * 0.25, len * 0.12, 0, 0);
            p.rotate(-90);
            p.drawPath(leaf);
            p.restore();
        }
    }
    return wallY;
}

void layDown(QImage& background, const Layers& layers, QColor shadowColour) {
    QPainter p(&background);
    if (!layers.shadow.isNull()) {
        QImage sh(layers.shadow.size(), QImage::Format_ARGB32_Premultiplied);
        sh.fill(shadowColour);
        QPainter q(&sh);
        q.setCompositionMode(QPainter::CompositionMode_DestinationIn);
        q.drawImage(0, 0, layers.shadow);
        q.end();
        p.drawImage(0, 0, sh);
    }
    p.drawImage(0, 0, layers.colour);
}

QImage composeRoom(const Scene& scene, const Camera& cam, const QSize& size, const Room& room,
                   const std::function<void(QPainter&)>& overlay, int supersample) {
    QImage img(size, QImage::Format_RGB32);
    double wallY;
    {
        QPainter p(&img);
        wallY = paintRoom(p, cam, size, room);
    }
    (void)wallY;
    RenderOptions opt;
    opt.supersample = supersample;
    const V3 c = cam.back();
    const V3 ch = normalize(V3{c.x, 0, c.z});
    opt.wallDepth = dot(V3{cam.target.x, 0, cam.target.z} - ch * room.wallDistance, c);
    const Layers layers = render(scene, cam, size.width(), size.height(), opt);
    layDown(img, layers);
    if (overlay) {
        QPainter p(&img);
        p.setRenderHint(QPainter::Antialiasing);
        overlay(p);
    }
    return img;
}

} // namespace pic

namespace pic {

Placement placementFor(const Shot& shot, const Pose& pose) {
    Placement place;
    place.yaw = shot.facing;
    place.pelvis =
        shot.at + V3{0, pose.standing ? kStandingPelvis : kSeatHeight + kSeatToPelvis, 0};
    return place;
}

Landmarks landmarksOf(const Shot& shot, const Pose& pose) {
    Scene scratch;
    return addFigure(scratch, pose, placementFor(shot, pose));
}

QImage shoot(const Shot& shot, const PoseTable& poses, const Outfit& outfit, QSize size) {
    Scene scene;
    const Pose& pose = poses.get(shot.pose);
    const bool seated = !pose.standing;
    const Placement place = placementFor(shot, pose);
    if (seated) {
        // The seat's centre lies a little behind the pelvis.
        if (shot.chair)
            addChair(scene, shot.at + rotY(shot.facing) * V3{0, 0, -3}, shot.facing);
    } else if (shot.chair) {
        addChair(scene, shot.chairAt, shot.chairYaw);
    }
    if (shot.desk)
        addDesk(scene, shot.deskAt, shot.deskYaw, shot.deskOptions);
    const Landmarks lm = addFigure(scene, pose, place, outfit);
    return composeRoom(
        scene, shot.cam, size, shot.room,
        [&](QPainter& p) {
            if (shot.overlay)
                shot.overlay(p, shot.cam, lm);
        },
        shot.supersample);
}

QImage shootAlone(const Pose& pose, bool seated, const Camera& cam, const Outfit& outfit,
                  QSize size, int supersample, Landmarks* landmarks) {
    Scene scene;
    Placement place;
    place.pelvis = {0, seated ? kSeatHeight + kSeatToPelvis : kStandingPelvis, 0};
    const Landmarks lm = addFigure(scene, pose, place, outfit);
    if (landmarks)
        *landmarks = lm;
    RenderOptions opt;
    opt.supersample = supersample;
    opt.floorShadow = false;
    return render(scene, cam, size.width(), size.height(), opt).colour;
}

} // namespace pic
