#include "AppIcon.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QPainterPathStroker>

#include <vector>

namespace pic {

namespace {

constexpr double kSpace = 256; // every shape is laid out in 256 x 256 units
const char* const kName = "org.quillet.Quillet";

// One filled shape: a flat colour or a gradient from `from` (at y0) down to `to` (at y1).
struct Shape {
    QPainterPath path;
    QColor from;
    QColor to;
    double y0 = 0;
    double y1 = 0;
};

QPainterPath stroked(const QPainterPath& line, double width) {
    QPainterPathStroker s;
    s.setWidth(width);
    s.setCapStyle(Qt::RoundCap);
    s.setJoinStyle(Qt::RoundJoin);
    return s.createStroke(line).simplified();
}

std::vector<Shape> shapes() {
    std::vector<Shape> out;
    const QColor body(0xfd, 0xfa, 0xf1);

    // The tile: sea green, lighter at the top.
    QPainterPath tile;
    tile.addRoundedRect(QRectF(12, 12, 232, 232), 54, 54);
    out.push_back({tile, QColor(0x5c, 0xc0, 0xa6), QColor(0x25, 0x7a, 0x70), 12, 244});

    // The halo of a calm breath behind the person.
    QPainterPath halo;
    halo.addEllipse(QPointF(128, 118), 82, 82);
    out.push_back({halo, QColor(0xff, 0xf4, 0xc8, 0x90), QColor(0xff, 0xf4, 0xc8, 0x30), 36, 200});

    // Head.
    QPainterPath head;
    head.addEllipse(QPointF(128, 72), 24, 24);
    out.push_back({head, body, body, 0, 0});

    // Trunk: shoulders wider than the waist, the top rounded.
    QPainterPath trunk;
    trunk.moveTo(92, 122);
    trunk.cubicTo(92, 106, 104, 102, 128, 102);
    trunk.cubicTo(152, 102, 164, 106, 164, 122);
    trunk.lineTo(152, 170);
    trunk.lineTo(104, 170);
    trunk.closeSubpath();
    out.push_back({trunk, body, body, 0, 0});

    // Arms: from the shoulders down and out to the hands resting on the knees.
    QPainterPath arms;
    for (int side : {-1, 1}) {
        QPainterPath arm;
        arm.moveTo(128 + side * 30, 116);
        arm.cubicTo(128 + side * 46, 134, 128 + side * 52, 156, 128 + side * 64, 172);
        arms.addPath(stroked(arm, 19));
    }
    out.push_back({arms.simplified(), body, body, 0, 0});

    // Crossed legs: one flat, wide lens below the trunk.
    QPainterPath legs;
    legs.moveTo(46, 190);
    legs.cubicTo(60, 160, 196, 160, 210, 190);
    legs.cubicTo(196, 208, 60, 208, 46, 190);
    legs.closeSubpath();
    out.push_back({legs, body, body, 0, 0});

    return out;
}

void paint(QPainter& p, const std::vector<Shape>& all) {
    p.setPen(Qt::NoPen);
    for (const Shape& s : all) {
        if (s.from == s.to) {
            p.setBrush(s.from);
        } else {
            QLinearGradient g(0, s.y0, 0, s.y1);
            g.setColorAt(0, s.from);
            g.setColorAt(1, s.to);
            p.setBrush(g);
        }
        p.drawPath(s.path);
    }
}

// Draws the icon `over` times larger and reduces it by the mean of each block.
QImage render(int size, const std::vector<Shape>& all) {
    const int over = size <= 64 ? 16 : 4;
    const int big = size * over;
    QImage large(big, big, QImage::Format_ARGB32_Premultiplied);
    large.fill(Qt::transparent);
    {
        QPainter p(&large);
        p.setRenderHint(QPainter::Antialiasing);
        p.scale(big / kSpace, big / kSpace);
        paint(p, all);
    }
    QImage out(size, size, QImage::Format_ARGB32_Premultiplied);
    const int n = over * over;
    for (int y = 0; y < size; ++y) {
        QRgb* dst = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < size; ++x) {
            int r = 0, g = 0, b = 0, a = 0;
            for (int yy = 0; yy < over; ++yy) {
                const QRgb* row = reinterpret_cast<const QRgb*>(large.constScanLine(y * over + yy));
                for (int xx = 0; xx < over; ++xx) {
                    const QRgb c = row[x * over + xx];
                    r += qRed(c);
                    g += qGreen(c);
                    b += qBlue(c);
                    a += qAlpha(c);
                }
            }
            dst[x] = qRgba((r + n / 2) / n, (g + n / 2) / n, (b + n / 2) / n, (a + n / 2) / n);
        }
    }
    return out.convertToFormat(QImage::Format_ARGB32);
}

QString number(double v) {
    QString s = QString::number(v, 'f', 2);
    while (s.endsWith(QLatin1Char('0')))
        s.chop(1);
    if (s.endsWith(QLatin1Char('.')))
        s.chop(1);
    return s == QLatin1String("-0") ? QStringLiteral("0") : s;
}

QString pathData(const QPainterPath& path) {
    QString d;
    for (int i = 0; i < path.elementCount(); ++i) {
        const QPainterPath::Element e = path.elementAt(i);
        const QString xy = number(e.x) + QLatin1Char(' ') + number(e.y);
        switch (e.type) {
        case QPainterPath::MoveToElement:
            if (!d.isEmpty())
                d += QLatin1String("Z ");
            d += QLatin1String("M") + xy + QLatin1Char(' ');
            break;
        case QPainterPath::LineToElement:
            d += QLatin1String("L") + xy + QLatin1Char(' ');
            break;
        case QPainterPath::CurveToElement:
            d += QLatin1String("C") + xy + QLatin1Char(' ');
            break;
        case QPainterPath::CurveToDataElement:
            d += xy + QLatin1Char(' ');
            break;
        }
    }
    return d + QLatin1Char('Z');
}

QString colour(QColor c) {
    return c.name(QColor::HexRgb);
}

QString opacity(QColor c) {
    return c.alpha() == 255
               ? QString()
               : QLatin1String(" stop-opacity=\"") + number(c.alphaF()) + QLatin1Char('"');
}

QString svg(const std::vector<Shape>& all) {
    QString defs, body;
    int gradients = 0;
    for (const Shape& s : all) {
        QString fill;
        if (s.from == s.to) {
            fill = QLatin1String("fill=\"") + colour(s.from) + QLatin1Char('"');
            if (s.from.alpha() != 255)
                fill +=
                    QLatin1String(" fill-opacity=\"") + number(s.from.alphaF()) + QLatin1Char('"');
        } else {
            const QString id = QStringLiteral("g%1").arg(++gradients);
            defs += QStringLiteral("    <linearGradient id=\"%1\" gradientUnits=\"userSpaceOnUse\" "
                                   "x1=\"0\" y1=\"%2\" x2=\"0\" y2=\"%3\">\n"
                                   "      <stop offset=\"0\" stop-color=\"%4\"%5/>\n"
                                   "      <stop offset=\"1\" stop-color=\"%6\"%7/>\n"
                                   "    </linearGradient>\n")
                        .arg(id, number(s.y0), number(s.y1), colour(s.from), opacity(s.from),
                             colour(s.to), opacity(s.to));
            fill = QLatin1String("fill=\"url(#") + id + QLatin1String(")\"");
        }
        const char* rule = s.path.fillRule() == Qt::OddEvenFill ? "evenodd" : "nonzero";
        body += QStringLiteral("  <path %1 fill-rule=\"%2\" d=\"%3\"/>\n")
                    .arg(fill, QLatin1String(rule), pathData(s.path));
    }
    return QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                          "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"256\" height=\"256\" "
                          "viewBox=\"0 0 256 256\">\n"
                          "  <defs>\n%1  </defs>\n%2</svg>\n")
        .arg(defs, body);
}

bool save(const QString& file, const QByteArray& bytes, QString* error) {
    QDir().mkpath(QFileInfo(file).path());
    QFile f(file);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(bytes) != bytes.size()) {
        *error = file + QLatin1String(": ") + f.errorString();
        return false;
    }
    return true;
}

} // namespace

bool writeAppIcon(const QString& folder, QString* error) {
    const std::vector<Shape> all = shapes();
    const QDir root(folder);
    for (int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
        const QString file = root.filePath(
            QStringLiteral("hicolor/%1x%1/apps/%2.png").arg(size).arg(QLatin1String(kName)));
        QDir().mkpath(QFileInfo(file).path());
        if (!render(size, all).save(file, "PNG")) {
            *error = file + QLatin1String(": cannot be written");
            return false;
        }
    }
    return save(
        root.filePath(QStringLiteral("hicolor/scalable/apps/%1.svg").arg(QLatin1String(kName))),
        svg(all).toUtf8(), error);
}

} // namespace pic
