#include "desktop/Screens.h"

#include <QGuiApplication>
#include <QScreen>
#include <QTimer>

namespace desk {

QRect monitorFor(const QList<QRect>& monitors, const QRect& primary, const QRect& window) {
    QRect best = primary;
    qint64 bestArea = 0;
    for (const QRect& m : monitors) {
        const QRect common = m.intersected(window);
        const qint64 area = qint64(common.width()) * common.height();
        if (area > bestArea) {
            best = m;
            bestArea = area;
        }
    }
    return best;
}

QtScreens::QtScreens() {
    for (QScreen* s : QGuiApplication::screens())
        watch(s);
    connect(qGuiApp, &QGuiApplication::screenAdded, this, [this](QScreen* s) {
        watch(s);
        tellChange();
    });
    connect(qGuiApp, &QGuiApplication::screenRemoved, this, [this] { tellChange(); });
    connect(qGuiApp, &QGuiApplication::primaryScreenChanged, this, [this] { tellChange(); });
}

void QtScreens::watch(QScreen* screen) {
    connect(screen, &QScreen::geometryChanged, this, [this] { tellChange(); });
}

void QtScreens::tellChange() {
    if (changePending_)
        return;
    changePending_ = true;
    QTimer::singleShot(0, this, [this] {
        changePending_ = false;
        if (Changed)
            Changed();
    });
}

QRect QtScreens::MonitorOf(const QRect& window) const {
    QList<QRect> monitors;
    for (const QScreen* s : QGuiApplication::screens())
        monitors << s->geometry();
    const QScreen* primary = QGuiApplication::primaryScreen();
    return monitorFor(monitors, primary ? primary->geometry() : QRect(), window);
}

} // namespace desk
