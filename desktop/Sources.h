#pragma once

#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>

namespace desk {

// Something the desktop can tell about whether its user is at the computer: input idle time,
// a locked screen, the machine asleep. A source reports by its callbacks, from the event loop,
// as the desktop tells it: it never polls more often than once a minute.
//
// A desktop's services come late and leave: a source is made for every service the desktop
// could have, and is available() while its service is there. A source whose service leaves
// reports the user back if it had reported the user away, and forgets what it knew.
class AwaySource {
public:
    virtual ~AwaySource() = default;
    // Short German name of what this source listens to, for the settings ("X11", "GNOME",
    // "KDE", "logind").
    virtual QString name() const = 0;
    // Whether the desktop offers it now; an unavailable source reports nothing more.
    virtual bool available() const = 0;
    // Whether it tells the time since the user's last input, as natural breaks of a set length
    // need (X11's, GNOME's and KDE's idle time), rather than only moments such as a locked
    // screen or the machine going to sleep.
    virtual bool tellsIdleTime() const { return true; }
    // For sources of idle time: report away once the user has given no input for this long.
    // Other sources report at once and ignore it.
    virtual void setIdleThresholdMs(std::int64_t) {}

    // The user went away: `sinceMs` is the reading of the program's clock (rt::Clock) when the
    // absence began (for idle time: the last input, so now minus the threshold or more).
    std::function<void(std::int64_t sinceMs)> wentAway;
    // The user is back (input again, screen unlocked, machine awake).
    std::function<void()> cameBack;
    // available() or tellsIdleTime() changed: the service came or left.
    std::function<void()> availabilityChanged;
};

// Something that asks reminders to wait: a full-screen window, do-not-disturb, a program that
// keeps the screen awake for a video or a call.
class HoldSource {
public:
    virtual ~HoldSource() = default;
    virtual QString name() const = 0;
    // Whether the desktop offers it now, as for an AwaySource; one that is not holds nothing.
    virtual bool available() const = 0;
    // The state as last told by the desktop; cheap, asked on every reminder tick while a prompt
    // is due. A source that learns of changes only by asking may ask here at most every 2 s.
    virtual bool holding() = 0;
    // For sources that hold for chosen programs: the programs (window classes) the user listed.
    // Others ignore it.
    virtual void setHeldPrograms(const QStringList&) {}
    // The state changed (where the desktop tells of changes).
    std::function<void()> changed;
    // available() changed: the service came or left.
    std::function<void()> availabilityChanged;
};

} // namespace desk
