#include "Catalogue.h"
#include "Journeys.h"
#include "Landscapes.h"
#include "Marks.h"
#include "Paint.h"
#include "Studio.h"

#include <QLinearGradient>

namespace pic {

QImage designGlyph(const char* name, int scale = 1);
void paintSequenceGlyph(QPainter& p, int sequence);

namespace {

// The watchdog: a friendly dog sitting up, in the same rounded solids as the person.
void addDog(Scene& s, V3 at, double yaw) {
    const M3 r = rotY(yaw);
    auto P = [&](V3 v) { return at + r * v; };
    const int fur = s.addMaterial({rgb(0xcf9a62), 0.05, -1, 1.0});
    const int cream = s.addMaterial({rgb(0xf3e2c6), 0.05, -1, 1.0});
    const int dark = s.addMaterial({rgb(0x3a2c26), 0.4, -1, 1.0});
    const int ear = s.addMaterial({rgb(0x9a6a42), 0.05, -1, 1.0});
    const int collar = s.addMaterial({rgb(0xd9534a), 0.3, -1, 1.0});
    const int g = s.newGroup();
    // Body sitting: haunches low at the back, chest up in front.
    s.ellipsoid(P({0, 16, -8}), r * rotX(-10), {13, 13, 15}, fur, g, 5);
    s.ellipsoid(P({0, 30, 4}), r * rotX(-25), {10.5, 15, 10}, fur, g, 5);
    s.ellipsoid(P({0, 28, 11}), r * rotX(-25), {7, 11, 4}, cream, g, 4);
    // Front legs.
    for (double side : {-1.0, 1.0}) {
        s.cone(P({side * 5.5, 26, 9}), P({side * 5.5, 3, 12}), 3.3, 2.6, fur, g, 2);
        s.ellipsoid(P({side * 5.5, 2.2, 15}), r, {3.2, 2.2, 4.5}, cream, g, 1.5);
        // Hind legs folded under.
        s.ellipsoid(P({side * 10, 9, -6}), r * rotX(-20), {4.5, 8, 10}, fur, g, 3);
        s.ellipsoid(P({side * 9, 2.2, 4}), r, {3.4, 2.2, 5.5}, cream, g, 1.5);
    }
    // Tail.
    s.cone(P({0, 8, -20}), P({6, 16, -30}), 2.6, 1.4, fur, g, 2);
    // Collar.
    s.cylinder(P({0, 40, 6}), r * rotX(-30), 7.6, 1.3, 1.2, collar);
    s.sphere(P({0, 36.5, 13.2}), 1.6, s.addMaterial({rgb(0xf2c94c), 0.5, -1, 1.0}));
    // Head.
    const int h = s.newGroup();
    const V3 hc = P({0, 50, 8});
    s.ellipsoid(hc, r, {9, 8.5, 8.5}, fur, h, 3);
    s.ellipsoid(hc + r * V3{0, -2.5, 7.5}, r * rotX(8), {5.2, 4.2, 6}, cream, h, 3);
    s.ellipsoid(hc + r * V3{0, -0.6, 13.6}, r, {2.2, 1.6, 1.5}, dark, 0);
    for (double side : {-1.0, 1.0}) {
        s.ellipsoid(hc + r * V3{side * 3.5, 2.0, 8.1}, r, {1.25, 1.45, 0.9}, dark, 0);
        // Floppy ears.
        s.ellipsoid(hc + r * V3{side * 8.6, 0, -1}, r * rotZ(side * 20) * rotX(8), {2.0, 7.5, 4.6},
                    ear, 0);
    }
    // Tongue.
    s.ellipsoid(hc + r * V3{0, -6.2, 11}, r * rotX(25), {1.9, 0.6, 2.4},
                s.addMaterial({rgb(0xe98a8a), 0.2, -1, 1.0}), 0);
}

QImage card(int w, int h, QColor top, QColor bottom) {
    QImage img(w, h, QImage::Format_RGB32);
    QPainter p(&img);
    QLinearGradient g(0, 0, 0, h);
    g.setColorAt(0, top);
    g.setColorAt(1, bottom);
    p.fillRect(img.rect(), g);
    p.setPen(QPen(QColor(0, 0, 0, 60), 2));
    p.setBrush(Qt::NoBrush);
    p.drawRect(QRectF(1, 1, w - 2, h - 2));
    return img;
}

QImage watchdog(const Context& ctx) {
    const int w = 335, h = 168;
    QImage img = card(w, h, QColor(0xfb, 0xf0, 0xde), QColor(0xf1, 0xd8, 0xb8));
    Scene s;
    addDog(s, {0, 0, 0}, -28);
    Camera cam;
    cam.yaw = -10;
    cam.pitch = 8;
    cam.scale = 2.55;
    cam.target = {0, 30, 0};
    cam.sx = 78;
    cam.sy = 88;
    RenderOptions opt;
    opt.supersample = std::max(3, ctx.supersample);
    opt.outlinePx = 1.1;
    layDown(img, render(s, cam, w, h, opt));
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    // A speech bubble.
    QPainterPath bubble;
    bubble.addRoundedRect(QRectF(150, 18, 170, 62), 16, 16);
    QPainterPath tail;
    tail.moveTo(162, 62);
    tail.lineTo(132, 76);
    tail.lineTo(176, 72);
    tail.closeSubpath();
    bubble = bubble.united(tail);
    p.setPen(QPen(QColor(0x8a, 0x6a, 0x52), 1.6));
    p.setBrush(QColor(0xff, 0xfd, 0xf8));
    p.drawPath(bubble);
    p.setPen(QColor(0x5a, 0x40, 0x30));
    p.setFont(uiFont(21, true));
    p.drawText(QRectF(150, 18, 170, 62), Qt::AlignCenter, QStringLiteral("Kurze Pause!"));
    p.setPen(QColor(0x6a, 0x52, 0x42));
    p.setFont(uiFont(13.5));
    p.drawText(QRectF(140, 92, 188, 70), Qt::AlignCenter | Qt::TextWordWrap,
               QStringLiteral("Aufrecht sitzen,\ntief durchatmen,\nganz entspannen."));
    return img;
}

QImage trainingPrompt(const Context& ctx) {
    const int w = 333, h = 132;
    QImage img = card(w, h, QColor(0xe6, 0xf2, 0xf0), QColor(0xc9, 0xe3, 0xdc));
    // The person stretching, arms up.
    Scene s;
    Placement pl;
    pl.pelvis = {0, kStandingPelvis, 0};
    addFigure(s, ctx.poses.get("yoga35"), pl, ctx.outfit);
    Camera cam;
    cam.yaw = -25;
    cam.pitch = 4;
    cam.scale = 0.56;
    cam.target = {0, 108, 0};
    cam.sx = 48;
    cam.sy = 72;
    RenderOptions opt;
    opt.supersample = 4;
    opt.outlinePx = 0.9;
    opt.floorShadow = false;
    layDown(img, render(s, cam, w, h, opt));
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QColor(0x2f, 0x5e, 0x5a));
    p.setFont(uiFont(19, true));
    p.drawText(QRectF(92, 10, 236, 34), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("Zeit für eine Übung!"));
    p.setPen(QColor(0x3d, 0x55, 0x52));
    p.setFont(uiFont(12.5));
    p.drawText(QRectF(92, 44, 236, 50), Qt::AlignLeft | Qt::TextWordWrap,
               QStringLiteral("Bitte klicken Sie unten auf das Symbol mit dem grünen Licht."));
    // The arrow down to the suggested button, with its green light, is drawn by the program
    // over this picture: the button changes from prompt to prompt.
    return img;
}

// ---- the imprint's pictures

QImage figureLayer(const Context& ctx, const char* pose, const Camera& cam, QSize size,
                   const Outfit& outfit, bool shadow = false) {
    Scene s;
    Placement pl;
    const Pose& p = ctx.poses.get(pose);
    pl.pelvis = {0, p.standing ? kStandingPelvis : kSeatHeight + kSeatToPelvis, 0};
    addFigure(s, p, pl, outfit);
    RenderOptions opt;
    opt.supersample = std::max(3, ctx.supersample);
    opt.floorShadow = shadow;
    QImage img(size, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    layDown(img, render(s, cam, size.width(), size.height(), opt));
    return img;
}

// The brand: the name, the person stretching, and the four exercises' signs.
QImage imprintBrand(const Context& ctx) {
    const int w = 600, h = 400;
    QImage img = card(w, h, QColor(0xfb, 0xf3, 0xe4), QColor(0xe9, 0xd8, 0xbd));
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    paintGlow(p, QPointF(160, 190), 230, QColor(255, 226, 170, 150));
    Camera cam;
    cam.yaw = -20;
    cam.pitch = 4;
    cam.scale = 1.55;
    cam.target = {0, 110, 0};
    cam.sx = 160;
    cam.sy = 215;
    p.drawImage(0, 0, figureLayer(ctx, "yoga35", cam, {w, h}, ctx.outfit));
    p.setPen(QColor(0x3a, 0x5f, 0x5b));
    p.setFont(uiFont(66, true));
    p.drawText(QRectF(280, 90, 300, 90), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("Quillet"));
    p.setPen(QColor(0x6a, 0x5a, 0x4a));
    p.setFont(uiFont(17));
    p.drawText(QRectF(284, 180, 300, 60), Qt::AlignLeft | Qt::TextWordWrap,
               QStringLiteral("Kleine Pausen für Körper und Geist am Arbeitsplatz"));
    // The signs of the four sequences: breathing, body, eyes, relaxation.
    for (int i = 0; i < 4; ++i) {
        p.save();
        p.translate(286 + i * 70, 262);
        p.scale(2.1, 2.1);
        paintSequenceGlyph(p, i);
        p.restore();
    }
    return img;
}

// The place the pictures were made: the workplace, framed.
QImage imprintPlace() {
    const int w = 400, h = 260;
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(QColor(0xf6, 0xef, 0xe2));
    QPainter p(&img);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    const QImage office = dissolveFrame(1, paintMeadow());
    p.drawImage(QRectF(14, 14, w - 28, h - 28), office);
    p.setPen(QPen(QColor(0x9a, 0x7d, 0x62), 6));
    p.setBrush(Qt::NoBrush);
    p.drawRect(QRectF(11, 11, w - 22, h - 22));
    return img;
}

// A portrait of one of the authors, drawn like everyone in the program.
QImage imprintAuthor(const Context& ctx, const Outfit& outfit, QColor back, double look) {
    const int w = 200, h = 250;
    QImage img(w, h, QImage::Format_RGB32);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    QRadialGradient g(QPointF(w / 2.0, h * 0.42), h * 0.7);
    g.setColorAt(0, back.lighter(125));
    g.setColorAt(1, back);
    p.fillRect(img.rect(), g);
    Camera cam;
    cam.yaw = look;
    cam.pitch = 2;
    cam.scale = 5.6;
    cam.target = {0, 122, 0};
    cam.sx = w / 2.0;
    cam.sy = h * 0.5;
    p.drawImage(0, 0, figureLayer(ctx, "yoga1421", cam, {w, h}, outfit));
    return img;
}

// Contact: a letter in its envelope and a pencil.
QImage imprintContact() {
    const int w = 260, h = 180;
    QImage img = card(w, h, QColor(0xf4, 0xf0, 0xe8), QColor(0xe6, 0xdf, 0xd2));
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF env(40, 60, 180, 100);
    p.setPen(QPen(QColor(0x8a, 0x76, 0x62), 2));
    p.setBrush(QColor(0xe8, 0xcf, 0xa6));
    p.drawRect(env);
    p.setBrush(QColor(0xfd, 0xfb, 0xf6));
    p.save();
    p.translate(130, 50);
    p.rotate(-6);
    p.drawRect(QRectF(-70, -30, 140, 90));
    p.setPen(QPen(QColor(0xb5, 0xae, 0xa4), 3, Qt::SolidLine, Qt::RoundCap));
    for (int i = 0; i < 4; ++i)
        p.drawLine(QPointF(-55, -14 + i * 14), QPointF(40 - (i % 2) * 25, -14 + i * 14));
    p.restore();
    p.setPen(QPen(QColor(0x8a, 0x76, 0x62), 2));
    p.setBrush(QColor(0xf0, 0xda, 0xb4));
    QPainterPath flap;
    flap.moveTo(env.topLeft());
    flap.lineTo(env.center() + QPointF(0, 12));
    flap.lineTo(env.topRight());
    flap.lineTo(env.bottomRight());
    flap.lineTo(env.bottomLeft());
    flap.closeSubpath();
    p.drawPath(flap);
    // A pencil.
    p.save();
    p.translate(200, 150);
    p.rotate(-35);
    p.setBrush(QColor(0xf2, 0xc1, 0x4e));
    p.drawRect(QRectF(-60, -6, 90, 12));
    p.setBrush(QColor(0xe9, 0xd5, 0xb5));
    QPainterPath tip;
    tip.moveTo(30, -6);
    tip.lineTo(48, 0);
    tip.lineTo(30, 6);
    tip.closeSubpath();
    p.drawPath(tip);
    p.setBrush(QColor(0xe5, 0x8b, 0x8b));
    p.drawRect(QRectF(-72, -6, 12, 12));
    p.restore();
    return img;
}

// A break at the farm: the person resting on a bench in front of a barn.
QImage imprintFarm(const Context& ctx) {
    const int w = 600, h = 400;
    const QImage meadow = paintMeadow();
    QImage canvas(w, h, QImage::Format_RGB32);
    {
        QPainter q(&canvas);
        const QImage full = meadow.scaled(int(h * 1280.0 / 720), h, Qt::IgnoreAspectRatio,
                                          Qt::SmoothTransformation);
        q.drawImage(0, 0, full, (full.width() - w) / 2, 0, w, h);
    }
    QPainter p(&canvas);
    p.setRenderHint(QPainter::Antialiasing);
    // The barn.
    const QRectF barn(330, 150, 190, 140);
    QPainterPath roof;
    roof.moveTo(barn.left() - 14, barn.top() + 6);
    roof.lineTo(barn.center().x(), barn.top() - 70);
    roof.lineTo(barn.right() + 14, barn.top() + 6);
    roof.closeSubpath();
    p.fillRect(barn, QColor(0xc0, 0x5a, 0x48));
    p.fillPath(roof, QColor(0x6a, 0x4e, 0x44));
    p.setPen(QPen(QColor(0xa8, 0x4a, 0x3c), 2));
    for (int i = 1; i < 10; ++i)
        p.drawLine(QPointF(barn.left() + i * 19, barn.top()),
                   QPointF(barn.left() + i * 19, barn.bottom()));
    const QRectF door(barn.center().x() - 38, barn.bottom() - 84, 76, 84);
    p.fillRect(door, QColor(0xf4, 0xe9, 0xd8));
    p.setPen(QPen(QColor(0xc0, 0x5a, 0x48), 5));
    p.drawLine(door.topLeft(), door.bottomRight());
    p.drawLine(door.topRight(), door.bottomLeft());
    p.drawRect(door);
    // A fence.
    p.setPen(QPen(QColor(0xb0, 0x8a, 0x64), 5, Qt::SolidLine, Qt::RoundCap));
    for (int i = 0; i < 12; ++i)
        p.drawLine(QPointF(10 + i * 28, 300), QPointF(10 + i * 28, 340));
    p.drawLine(QPointF(0, 312), QPointF(330, 312));
    p.drawLine(QPointF(0, 328), QPointF(330, 328));
    // The bench and the person sitting on it, with the hands resting.
    Camera cam;
    cam.yaw = -18;
    cam.pitch = 6;
    cam.scale = 1.55;
    cam.target = {0, 60, 0};
    cam.sx = 190;
    cam.sy = 300;
    Scene s;
    const int wood = s.addMaterial({rgb(0x9a7352), 0.05, -1, 1.0});
    s.box({0, kSeatHeight - 3, -5}, rotY(0), {70, 3, 18}, 1.5, wood);
    s.box({0, 62, -24}, rotX(-10), {70, 8, 2}, 1.5, wood);
    for (double x : {-60.0, 60.0})
        s.box({x, (kSeatHeight - 6) / 2, -5}, rotY(0), {3, (kSeatHeight - 6) / 2, 15}, 1.0, wood);
    Placement pl;
    pl.pelvis = {0, kSeatHeight + kSeatToPelvis, 0};
    addFigure(s, ctx.poses.get("mantra"), pl, ctx.outfit);
    RenderOptions opt;
    opt.supersample = std::max(3, ctx.supersample);
    p.end();
    layDown(canvas, render(s, cam, w, h, opt));
    return canvas;
}

} // namespace

void addDesignJobs(std::vector<Job>& jobs, const Context& ctx) {
    const QString dir = QStringLiteral("app/design/");
    jobs.push_back(
        {dir + QStringLiteral("train.png"), Format::Png, [&ctx] { return trainingPrompt(ctx); }});
    jobs.push_back(
        {dir + QStringLiteral("dog.png"), Format::Png, [&ctx] { return watchdog(ctx); }});
    for (const char* n : {"size", "hilfe", "menue", "impres", "uhr_design"}) {
        jobs.push_back({dir + QLatin1String(n) + QStringLiteral(".png"), Format::Png,
                        [n] { return designGlyph(n); }});
        jobs.push_back(
            {dir + QStringLiteral("glyphs/") + QLatin1String(n) + QStringLiteral("@2x.png"),
             Format::Png, [n] { return designGlyph(n, 2); }});
    }
    // The imprint window's pictures.
    jobs.push_back({dir + QStringLiteral("impressum_marke.png"), Format::Png,
                    [&ctx] { return imprintBrand(ctx); }});
    jobs.push_back({dir + QStringLiteral("impressum_ort.png"), Format::Png, imprintPlace});
    jobs.push_back({dir + QStringLiteral("impressum_autor1.png"), Format::Png, [&ctx] {
                        return imprintAuthor(ctx, ctx.outfit, QColor(0xc9, 0xe3, 0xdc), -15);
                    }});
    jobs.push_back({dir + QStringLiteral("impressum_autor2.png"), Format::Png, [&ctx] {
                        Outfit o = ctx.outfit;
                        o.hair = rgb(0xb08a5a);
                        o.shirt = rgb(0xc4736a);
                        o.skin = rgb(0xe8b990);
                        return imprintAuthor(ctx, o, QColor(0xf1, 0xdc, 0xc0), 15);
                    }});
    jobs.push_back({dir + QStringLiteral("impressum_kontakt.png"), Format::Png, imprintContact});
    jobs.push_back({dir + QStringLiteral("impressum_bauernhof.png"), Format::Png,
                    [&ctx] { return imprintFarm(ctx); }});
}

} // namespace pic
