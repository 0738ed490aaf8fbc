#include "Contracts.h"

#include <QLineF>

#include <algorithm>
#include <cmath>
#include <set>

namespace pic {

const QStringList& programPictures() {
    static const QStringList list = [] {
        QStringList l;
        for (int i = 1; i <= 12; ++i)
            l << QStringLiteral("Pictures\\Start\\start%1.jpg").arg(i);
        l << QStringLiteral("Pictures\\Start\\sunset.jpg");
        for (const char* n : {"lunge", "yoga", "augen", "entsp", "lunge2", "yoga2", "augen2",
                              "entsp2", "close", "zuruck", "uhr", "uhr2"})
            l << QStringLiteral("Pictures\\Icons\\%1.bmp").arg(QLatin1String(n));
        for (int i = 1; i <= 11; ++i)
            l << QStringLiteral("Pictures\\Atmen\\atmen%1.jpg").arg(i);
        l << QStringLiteral("Pictures\\Atmen\\figur.bmp")
          << QStringLiteral("Pictures\\Atmen\\colors.jpg")
          << QStringLiteral("Pictures\\Atmen\\wl.bmp") << QStringLiteral("Pictures\\Atmen\\wr.bmp");
        for (int i = 1; i <= 11; ++i)
            l << QStringLiteral("Pictures\\Entsp\\entsp%1.jpg").arg(i);
        l << QStringLiteral("Pictures\\Entsp\\body.bmp");
        for (const char* n : {"yoga111", "yoga112", "yoga121", "yoga122", "yoga123", "yoga131",
                              "yoga132", "yoga133", "yoga1411", "yoga1412", "yoga1413", "yoga1421",
                              "yoga1422", "yoga1423", "yoga1431", "yoga1432", "yoga1433"})
            l << QStringLiteral("Pictures\\yoga\\p1\\%1.jpg").arg(QLatin1String(n));
        for (int i = 1; i <= 5; ++i)
            l << QStringLiteral("Pictures\\yoga\\p2\\yoga2%1.jpg").arg(i);
        for (int i = 1; i <= 5; ++i)
            l << QStringLiteral("Pictures\\yoga\\p3\\yoga3%1.jpg").arg(i);
        for (int i = 1; i <= 5; ++i)
            l << QStringLiteral("Pictures\\yoga\\p4\\yoga4%1.jpg").arg(i);
        for (const char* n : {"yoga511", "yoga512", "yoga521", "yoga522"})
            l << QStringLiteral("Pictures\\yoga\\p5\\%1.jpg").arg(QLatin1String(n));
        l << QStringLiteral("Pictures\\yoga\\p6\\yoga61.jpg")
          << QStringLiteral("Pictures\\Yoga\\p6\\yoga62.jpg");
        for (const char* n : {"yoga711", "yoga712", "yoga721", "yoga722", "yoga731", "yoga732"})
            l << QStringLiteral("Pictures\\yoga\\p7\\%1.jpg").arg(QLatin1String(n));
        l << QStringLiteral("Pictures\\Yoga\\p8\\mantra.jpg");
        for (const char* n :
             {"augen.bmp", "paral.jpg", "links.jpg", "rechts.jpg", "halten.jpg", "mantra.jpg"})
            l << QStringLiteral("Pictures\\Augen\\%1").arg(QLatin1String(n));
        return l;
    }();
    return list;
}

const std::vector<SampleRect>& bodySampleRects() {
    auto r = [](int x0, int x1, int y0, int y1) { return QRect(QPoint(x0, y0), QPoint(x1, y1)); };
    // A limb or the trunk fills most of its rectangle, leaving its outline, the creases where it
    // meets its neighbours and the rounding of its corners. The head is an oval under its hair
    // and the neck narrower than the throat's rectangle: they leave more.
    constexpr double limb = 0.7, head = 0.55;
    static const std::vector<SampleRect> rects = {
        {"left foot and lower leg", r(60, 97, 364, 484), limb},
        {"left thigh and seat", r(44, 98, 240, 363), limb},
        {"right foot and lower leg", r(97, 135, 364, 484), limb},
        {"right thigh and seat", r(99, 157, 240, 363), limb},
        {"lower back and belly", r(45, 158, 207, 239), limb},
        {"upper back and chest", r(50, 153, 95, 221), limb},
        {"shoulders (left arm's batch)", r(20, 183, 80, 94), limb},
        {"left arm", r(8, 49, 82, 284), limb},
        {"shoulders (right arm's batch)", r(50, 153, 80, 94), limb},
        {"right arm", r(154, 195, 82, 284), limb},
        {"throat and neck", r(75, 134, 59, 79), head},
        {"head", r(66, 134, 6, 58), head},
    };
    return rects;
}

QString canonical(const QString& path) {
    QString p = path;
    p.replace(QLatin1Char('\\'), QLatin1Char('/'));
    if (!p.startsWith(QLatin1String("data/"), Qt::CaseInsensitive))
        p.prepend(QLatin1String("data/"));
    return p.toLower();
}

namespace {

int luminance(QRgb c) {
    return (qRed(c) * 299 + qGreen(c) * 587 + qBlue(c) * 114) / 1000;
}

int channelDistance(QRgb a, QRgb b) {
    return std::max({std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)),
                     std::abs(qBlue(a) - qBlue(b))});
}

QString name(const QString& path) {
    return path.section(QLatin1Char('/'), -3);
}

// A picture whose bottom-left pixel's colour is keyed out: that colour must be the whole
// background (all four corners) and no other pixel may come close to it, or soft edges would
// show a fringe of the key colour.
QStringList checkKeyed(const QString& path, const QImage& img) {
    QStringList out;
    const QRgb key = img.pixel(0, img.height() - 1) | 0xff000000u;
    const QPoint corners[4] = {
        {0, 0}, {img.width() - 1, 0}, {0, img.height() - 1}, {img.width() - 1, img.height() - 1}};
    for (QPoint c : corners)
        if ((img.pixel(c) | 0xff000000u) != key)
            out << QStringLiteral("%1: corner (%2, %3) is not the key colour")
                       .arg(name(path))
                       .arg(c.x())
                       .arg(c.y());
    int figure = 0, near = 0;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x) {
            const QRgb c = img.pixel(x, y) | 0xff000000u;
            if (c == key)
                continue;
            ++figure;
            if (channelDistance(c, key) < 64)
                ++near;
        }
    if (figure == 0)
        out << QStringLiteral("%1: nothing but the key colour").arg(name(path));
    if (near > 0)
        out << QStringLiteral("%1: %2 pixels come close to the key colour (a fringe)")
                   .arg(name(path))
                   .arg(near);
    if (img.depth() != 24 && img.format() != QImage::Format_RGB888 &&
        img.format() != QImage::Format_RGB32 && img.format() != QImage::Format_Indexed8)
        out << QStringLiteral("%1: neither an 8-bit palette nor a 24-bit picture").arg(name(path));
    return out;
}

QStringList checkBody(const QString& path, const QImage& img) {
    QStringList out;
    if (img.width() <= 195 || img.height() <= 484) {
        out << QStringLiteral("%1: %2 x %3 is too small for the sample rectangles")
                   .arg(name(path))
                   .arg(img.width())
                   .arg(img.height());
        return out;
    }
    const QRgb body = img.pixel(kBodySample) | 0xff000000u;
    const QRgb fill = kBodyFill.rgb() | 0xff000000u;
    const double d =
        std::sqrt(std::pow(qRed(body) - qRed(fill), 2) + std::pow(qGreen(body) - qGreen(fill), 2) +
                  std::pow(qBlue(body) - qBlue(fill), 2));
    if (d < 150)
        out << QStringLiteral("%1: the body colour is too close to the fill colour")
                   .arg(name(path));
    // The scan samples its rectangles at random and colours what has the body colour: a
    // rectangle that is mostly something else has slipped off the body (or the sample pixel
    // off the body colour). Outlines and creases inside a rectangle are fine.
    for (const SampleRect& s : bodySampleRects()) {
        int inBody = 0;
        for (int y = s.rect.top(); y <= s.rect.bottom(); ++y)
            for (int x = s.rect.left(); x <= s.rect.right(); ++x)
                if ((img.pixel(x, y) | 0xff000000u) == body)
                    ++inBody;
        const int all = s.rect.width() * s.rect.height();
        if (inBody < s.minShare * all)
            out << QStringLiteral("%1: %2 of the %3 pixels of the %4 rectangle have the body "
                                  "colour, fewer than %5 %")
                       .arg(name(path))
                       .arg(inBody)
                       .arg(all)
                       .arg(QLatin1String(s.region))
                       .arg(std::lround(s.minShare * 100));
    }
    // The scan colours only what lies in its rectangles: a body-coloured pixel anywhere else
    // would stay uncoloured when the scan is over.
    int outside = 0;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x) {
            if ((img.pixel(x, y) | 0xff000000u) != body)
                continue;
            const QPoint p(x, y);
            const auto& rects = bodySampleRects();
            if (std::none_of(rects.begin(), rects.end(),
                             [p](const SampleRect& s) { return s.rect.contains(p); }))
                ++outside;
        }
    if (outside)
        out << QStringLiteral("%1: %2 body-coloured pixels lie outside the sample rectangles")
                   .arg(name(path))
                   .arg(outside);
    return out;
}

// Share of the pixels along a segment whose given channel (or luminance) lies far enough from
// the middle that inverting it shows.
double inversionVisible(const QImage& img, QPointF a, QPointF b, int channel) {
    const int steps = std::max(2, int(QLineF(a, b).length()));
    int seen = 0, visible = 0;
    for (int i = 0; i <= steps; ++i) {
        const QPointF p = a + (b - a) * (double(i) / steps);
        const int x = int(std::lround(p.x())), y = int(std::lround(p.y()));
        if (x < 0 || y < 0 || x >= img.width() || y >= img.height())
            continue;
        const QRgb c = img.pixel(x, y);
        // Inverting a channel moves it by |2v - 255|: the line shows where some channel
        // (or, for the red pen, the green or blue channel) lies far from the middle.
        const double v = channel == 0
                             ? std::max({std::abs(qRed(c) - 127.5), std::abs(qGreen(c) - 127.5),
                                         std::abs(qBlue(c) - 127.5)})
                             : std::max(std::abs(qGreen(c) - 127.5), std::abs(qBlue(c) - 127.5));
        ++seen;
        if (v >= 40)
            ++visible;
    }
    return seen ? double(visible) / seen : 1.0;
}

QStringList checkFace(const QString& path, const QImage& img) {
    QStringList out;
    if (img.size() != kFaceSize) {
        out << QStringLiteral("%1: expected %2 x %3")
                   .arg(name(path))
                   .arg(kFaceSize.width())
                   .arg(kFaceSize.height());
        return out;
    }
    for (QPoint e : {kEyeLeft, kEyeRight})
        if (luminance(img.pixel(e)) > 90)
            out << QStringLiteral("%1: no dark eye at (%2, %3)")
                       .arg(name(path))
                       .arg(e.x())
                       .arg(e.y());
    const QPoint between((kEyeLeft.x() + kEyeRight.x()) / 2, kEyeLeft.y());
    if (luminance(img.pixel(between)) < 140)
        out << QStringLiteral("%1: the point between the eyes is not light skin").arg(name(path));
    // The lines of sight are drawn by inverting the picture: they must show wherever they run,
    // for the usual board widths.
    const QPointF eyes[2] = {kEyeLeft, kEyeRight};
    std::set<std::pair<int, int>> reported;
    for (int width : {1024, 1280, 1366, 1600, 1920}) {
        const double shift = std::round(width / 25.0);
        const double ex = kEyeLeft.x(), ey = kEyeLeft.y();
        const std::vector<QPointF> targets = {{ex - 300, 410}, {ex + 300, 410}, {ex - shift, 410},
                                              {400, ey - 230}, {400, ey + 230}, {400, ey + shift}};
        for (QPointF t : targets)
            for (QPointF e : eyes) {
                const double v = inversionVisible(img, e, t, 0);
                if (v < 0.8 && reported.insert({int(t.x()), int(t.y())}).second)
                    out << QStringLiteral("%1: a line of sight to (%2, %3) would show on only "
                                          "%4 % of its length")
                               .arg(name(path))
                               .arg(t.x())
                               .arg(t.y())
                               .arg(int(v * 100));
            }
    }
    // The focus circles and their lines (red pen, inverting green and blue).
    for (double r : {10.0, 100.0, 300.0}) {
        const double ex = kEyeLeft.x(), ey = kEyeLeft.y();
        const QPointF c(ex - 2 * r, ey + 2 * r);
        int seen = 0, visible = 0;
        for (int i = 0; i < 360; ++i) {
            const double a = i * 3.14159265 / 180;
            const int x = int(std::lround(c.x() + r * std::cos(a)));
            const int y = int(std::lround(c.y() + r * std::sin(a)));
            if (x < 0 || y < 0 || x >= img.width() || y >= img.height())
                continue;
            ++seen;
            const QRgb px = img.pixel(x, y);
            if (std::max(std::abs(qGreen(px) - 127.5), std::abs(qBlue(px) - 127.5)) >= 40)
                ++visible;
        }
        if (seen && double(visible) / seen < 0.8)
            out << QStringLiteral("%1: the focus circle of radius %2 would hardly show")
                       .arg(name(path))
                       .arg(r);
    }
    // The red guide lines must not vanish in red parts of the picture.
    auto reddish = [&](QPointF a, QPointF b) {
        const int steps = int(QLineF(a, b).length());
        int red = 0;
        for (int i = 0; i <= steps; ++i) {
            const QPointF p = a + (b - a) * (double(i) / steps);
            const QRgb c = img.pixel(int(p.x()), int(p.y()));
            if (channelDistance(c, qRgb(255, 0, 0)) < 90)
                ++red;
        }
        return red;
    };
    if (reddish({113, 412}, {813, 412}) + reddish({398, 106}, {398, 566}) > 0)
        out << QStringLiteral("%1: the red guide lines would vanish in red parts").arg(name(path));
    return out;
}

// A caption's letters keep their margin: no pixel near the ink lies in the strips along the
// left and right edges of the caption's band.
QStringList checkCaption(const QString& path, const QImage& img) {
    const int w = img.width(), rows = std::min(kCaptionBand, img.height());
    int inked = 0;
    for (int y = 0; y < rows; ++y)
        for (int x = 0; x < kCaptionMargin && x < w; ++x)
            for (int column : {x, w - 1 - x})
                if (channelDistance(img.pixel(column, y), kCaptionInk.rgb()) < 48)
                    ++inked;
    if (inked > 0)
        return {QStringLiteral("%1: the caption comes within %2 pixels of the edge (%3 pixels)")
                    .arg(name(path))
                    .arg(kCaptionMargin)
                    .arg(inked)};
    return {};
}

} // namespace

QStringList checkPicture(const QString& path, const QImage& image) {
    QStringList out;
    if (image.isNull())
        return {QStringLiteral("%1: cannot be read").arg(path)};
    const QString lower = path.toLower();
    if (lower.startsWith(QLatin1String("app/design/"))) {
        // The prompt pictures fill their image controls exactly; the button glyphs are 26 x 26
        // (52 x 52 drawn for scaled screens) with a transparent background.
        const QString file = lower.section(QLatin1Char('/'), -1);
        const int glyph = file.endsWith(QLatin1String("@2x.png")) ? 52 : 26;
        const QSize want = file == QLatin1String("train.png")            ? QSize(333, 132)
                           : file == QLatin1String("dog.png")            ? QSize(335, 168)
                           : file.startsWith(QLatin1String("impressum")) ? image.size()
                                                                         : QSize(glyph, glyph);
        if (image.size() != want)
            out << QStringLiteral("%1: expected %2 x %3")
                       .arg(path)
                       .arg(want.width())
                       .arg(want.height());
        if (want == QSize(glyph, glyph) && image.size() == want &&
            (!image.hasAlphaChannel() || qAlpha(image.pixel(0, 0)) != 0 ||
             qAlpha(image.pixel(glyph - 1, glyph - 1)) != 0))
            out << QStringLiteral("%1: a button glyph needs a transparent background").arg(path);
        return out;
    }
    if (lower.contains(QLatin1String("/icons/"))) {
        if (image.size() != QSize(26, 26))
            out << QStringLiteral("%1: icons are 26 x 26").arg(name(path));
        out += checkKeyed(path, image);
    } else if (lower.endsWith(QLatin1String("atmen/figur.bmp")) ||
               lower.endsWith(QLatin1String("atmen/wl.bmp")) ||
               lower.endsWith(QLatin1String("atmen/wr.bmp"))) {
        out += checkKeyed(path, image);
    } else if (lower.endsWith(QLatin1String("entsp/body.bmp"))) {
        out += checkBody(path, image);
    } else if (lower.endsWith(QLatin1String("augen/augen.bmp"))) {
        out += checkFace(path, image);
    } else if (lower.endsWith(QLatin1String(".jpg")) &&
               !lower.endsWith(QLatin1String("start12.jpg")) &&
               !lower.endsWith(QLatin1String("colors.jpg")) &&
               lower.startsWith(QLatin1String("data/"))) {
        if (image.size() != kBoardPicture)
            out << QStringLiteral("%1: full-board pictures are %2 x %3")
                       .arg(name(path))
                       .arg(kBoardPicture.width())
                       .arg(kBoardPicture.height());
        if (lower.endsWith(QLatin1String("/mantra.jpg")))
            out += checkCaption(path, image);
    }
    return out;
}

QStringList checkPair(const QImage& body, const QImage& background) {
    // The body picture stands at (110, 140) of a 1024 x 768 board, both stretched with the
    // board: its background must continue the background picture's colours.
    QStringList out;
    if (body.isNull() || background.isNull())
        return out;
    // Only the background well away from the body: beside the head and beside the legs.
    int bad = 0, seen = 0;
    for (int y = 0; y < body.height(); y += 3) {
        if (y > 60 && y < 320)
            continue;
        for (int x : {1, 3, body.width() - 4, body.width() - 2}) {
            const double bx = (110.0 + x + 0.5) / 1024.0 * background.width();
            const double by = (140.0 + y + 0.5) / 768.0 * background.height();
            const QRgb a = body.pixel(x, y);
            const QRgb b = background.pixel(int(bx), int(by));
            ++seen;
            if (channelDistance(a, b) > 14)
                ++bad;
        }
    }
    if (bad > seen / 20)
        out << QStringLiteral("body.bmp: its background does not continue entsp11.jpg (%1 of %2 "
                              "samples differ)")
                   .arg(bad)
                   .arg(seen);
    return out;
}

QStringList checkComplete(const std::vector<Written>& files) {
    QStringList out;
    std::set<QString> have;
    const Written* body = nullptr;
    const Written* background = nullptr;
    for (const Written& w : files) {
        have.insert(canonical(w.path));
        if (w.path.endsWith(QLatin1String("Entsp/body.bmp")))
            body = &w;
        if (w.path.endsWith(QLatin1String("Entsp/entsp11.jpg")))
            background = &w;
    }
    for (const QString& p : programPictures())
        if (!have.count(canonical(p)))
            out << QStringLiteral("missing: %1").arg(p);
    if (body && background)
        out += checkPair(body->image, background->image);
    return out;
}

} // namespace pic
