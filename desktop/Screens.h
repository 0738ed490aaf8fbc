#pragma once

#include "app/Screens.h"

#include <QList>
#include <QObject>
#include <QRect>

class QScreen;

namespace desk {

// The monitor among `monitors` that holds the largest part of `window`; `primary` where none
// holds any of it.
QRect monitorFor(const QList<QRect>& monitors, const QRect& primary, const QRect& window);

// The monitors as Qt knows them (under X11 the RandR monitors, under Wayland the outputs). A
// change is told once the events of that change have passed: Qt updates its list of monitors
// over several of them.
class QtScreens final : public QObject, public Screens {
public:
    QtScreens();
    QRect MonitorOf(const QRect& window) const override;

private:
    void watch(QScreen* screen);
    void tellChange();

    bool changePending_ = false;
};

} // namespace desk
