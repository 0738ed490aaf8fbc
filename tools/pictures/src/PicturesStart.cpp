#include "Catalogue.h"
#include "Journeys.h"
#include "Landscapes.h"
#include "Paint.h"
#include "Shared.h"

namespace pic {

namespace {

QImage helpBanner() {
    // Shown stretched across the board at about 18 % of its height: drawn in that shape.
    const int w = 1920, h = 208;
    QImage img(w, h, QImage::Format_RGB32);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient g(0, 0, 0, h);
    g.setColorAt(0, QColor(0x3b, 0x4a, 0x6b));
    g.setColorAt(1, QColor(0x2a, 0x35, 0x4f));
    p.fillRect(img.rect(), g);
    p.fillRect(QRectF(0, 0, w, 5), QColor(0xf2, 0xc0, 0x7d));
    p.fillRect(QRectF(0, h - 5, w, 5), QColor(0xf2, 0xc0, 0x7d));
    // A small "i" badge before the text.
    const QPointF badge(250, h / 2.0);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0xf2, 0xc0, 0x7d));
    p.drawEllipse(badge, 46, 46);
    p.setPen(QColor(0x2a, 0x35, 0x4f));
    p.setFont(uiFont(64, true));
    p.drawText(QRectF(badge.x() - 46, badge.y() - 46, 92, 92), Qt::AlignCenter,
               QStringLiteral("i"));
    paintCaption(p, QRectF(330, 0, w - 360, h),
                 QStringLiteral("Bitte lesen Sie zuerst die Hinweise unter HILFE"), uiFont(58),
                 QColor(0xfb, 0xf6, 0xec), QColor(0, 0, 0, 150), Qt::AlignVCenter | Qt::AlignLeft);
    return img;
}

} // namespace

void addStartJobs(std::vector<Job>& jobs, const Context&) {
    const Lazy meadow(paintMeadow);
    for (int k = 1; k <= 11; ++k)
        jobs.push_back({QStringLiteral("data/Pictures/Start/start%1.jpg").arg(k), Format::Jpeg,
                        [meadow, k] { return dissolveFrame(k, meadow()); }});
    jobs.push_back({QStringLiteral("data/Pictures/Start/start12.jpg"), Format::Jpeg, helpBanner});
    jobs.push_back({QStringLiteral("data/Pictures/Start/sunset.jpg"), Format::Jpeg, paintSunset});
}

} // namespace pic
