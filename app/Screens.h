#pragma once

#include <QRect>

#include <functional>

// What the board asks of the desktop's monitors: the monitor a window lies on, as a rectangle in
// the coordinates the window is placed in. The board knows the monitors only through this.
class Screens {
public:
    virtual ~Screens() = default;
    // The monitor that holds the largest part of `window`; the primary monitor where none holds
    // any of it (an empty rectangle asks for the primary monitor).
    virtual QRect MonitorOf(const QRect& window) const = 0;

    // Set by the board: a monitor came or went, or one changed its size or place.
    std::function<void()> Changed;
};
