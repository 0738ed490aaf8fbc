#pragma once

// What the desktop tells over D-Bus (and GNOME's settings) about its user: a locked session, the
// machine going to sleep, idle time, do-not-disturb and programs that keep the screen awake.
// Every call to the desktop and to the bus daemon is asynchronous. Each source follows its
// service's name on the bus: it takes the service up when it comes (also after the program
// started), lets it go when it leaves, and takes a restarted service up afresh.

#include "desktop/Sources.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusUnixFileDescriptor>
#include <QObject>
#include <QTimer>

#include <functional>
#include <memory>
#include <vector>

namespace rt {
class Clock;
}

namespace desk {

class GSettingsFlag;
namespace bus {
class ServiceOwner;
}

// A source's service came (`now` true) or left: `available` follows, and whoever listens is told
// once per change.
inline void setAvailable(bool& available, bool now, const std::function<void()>& changed) {
    if (available == now)
        return;
    available = now;
    if (changed)
        changed();
}

// The user's login session locked (logind's LockedHint, and the session's Lock and Unlock
// requests): away from the moment it locks until it unlocks. Available once logind has named
// the session.
class LogindLockSource final : public QObject, public AwaySource {
    Q_OBJECT
public:
    explicit LogindLockSource(rt::Clock& clock,
                              const QDBusConnection& bus = QDBusConnection::systemBus());
    QString name() const override { return QStringLiteral("logind"); }
    bool available() const override { return available_; }
    bool tellsIdleTime() const override { return false; }
    // The session is found and its state read: from now on every change is told.
    bool ready() const { return ready_; }

private slots:
    void onSessionSignal(const QDBusMessage& message);
    void onPropertiesChanged(const QDBusMessage& message);

private:
    void takeUp();
    void letGo();
    void findSession(const QString& method, const QVariant& argument, bool lastTry);
    void watchSession(const QString& path);
    void readLockedHint();
    void setLocked(bool locked);

    rt::Clock& clock_;
    QDBusConnection bus_;
    bus::ServiceOwner* logind_;
    QString session_;
    int run_ = 0; // one per logind taken up; answers to an earlier one are dropped
    bool available_ = false;
    bool ready_ = false;
    bool locked_ = false;
};

// The machine going to sleep (logind's PrepareForSleep). A delay lock is held while awake, so
// that the moment is read before the machine sleeps; it is let go right after and taken again
// on waking.
class LogindSleepSource final : public QObject, public AwaySource {
    Q_OBJECT
public:
    explicit LogindSleepSource(rt::Clock& clock,
                               const QDBusConnection& bus = QDBusConnection::systemBus());
    QString name() const override { return QStringLiteral("logind"); }
    bool available() const override { return available_; }
    bool tellsIdleTime() const override { return false; }
    bool holdsDelayLock() const { return delayLock_.isValid(); }

private slots:
    void onPrepareForSleep(const QDBusMessage& message);

private:
    void letGo();
    void takeDelayLock();

    rt::Clock& clock_;
    QDBusConnection bus_;
    bus::ServiceOwner* logind_;
    QDBusUnixFileDescriptor delayLock_;
    int run_ = 0;
    bool available_ = false;
    bool asleep_ = false;
    bool lockPending_ = false;
};

// The desktop's screen saver (org.freedesktop.ScreenSaver, as KDE offers it): its lock, and
// the idle time KDE tells when asked. KDE has no signal for idle time, so it is asked: while
// the user is present at most once a minute, and no sooner than the threshold could be
// reached; while away (by idle time) every 2 s, so that a return is noticed within 2 s. A
// desktop that does not tell idle time leaves only the lock.
class ScreenSaverSource final : public QObject, public AwaySource {
    Q_OBJECT
public:
    static constexpr int kPresentAskMs = 60'000;
    static constexpr int kAwayAskMs = 2'000;

    explicit ScreenSaverSource(rt::Clock& clock,
                               const QDBusConnection& bus = QDBusConnection::sessionBus());
    QString name() const override { return QStringLiteral("KDE"); }
    bool available() const override { return available_; }
    // Until a question for the idle time fails, it is taken to be told.
    bool tellsIdleTime() const override { return available_ && tellsIdleTime_; }
    void setIdleThresholdMs(std::int64_t ms) override;

    // Asks for the idle time now (what the timer does when it runs out).
    void askIdleTime();
    // Milliseconds until the next question, or -1 when none is planned.
    int nextAskMs() const { return timer_.isActive() ? timer_.interval() : -1; }
    bool asking() const { return asking_; }

private slots:
    void onActiveChanged(const QDBusMessage& message);

private:
    void takeUp();
    void letGo();
    void setLocked(bool active);
    void onIdleTime(std::int64_t idleMs);
    void update();
    void planAsk(std::int64_t inMs);

    rt::Clock& clock_;
    QDBusConnection bus_;
    bus::ServiceOwner* saver_;
    QTimer timer_;
    std::int64_t thresholdMs_ = 0;
    std::int64_t idleSinceMs_ = 0;
    int run_ = 0;
    bool available_ = false;
    bool tellsIdleTime_ = true;
    bool asking_ = false;
    bool locked_ = false;
    bool idle_ = false;
    bool away_ = false;
};

// GNOME's idle monitor (Mutter): a watch fires once the user has been idle for the threshold,
// a user-active watch when input comes again.
class MutterIdleSource final : public QObject, public AwaySource {
    Q_OBJECT
public:
    explicit MutterIdleSource(rt::Clock& clock,
                              const QDBusConnection& bus = QDBusConnection::sessionBus());
    ~MutterIdleSource() override;
    QString name() const override { return QStringLiteral("GNOME"); }
    bool available() const override { return available_; }
    // Nothing is watched until a threshold is set.
    void setIdleThresholdMs(std::int64_t ms) override;
    // The idle watch for the current threshold is in place and the idle time read.
    bool armed() const { return armed_; }

private slots:
    void onWatchFired(const QDBusMessage& message);

private:
    void letGo();
    void arm();
    void watchForInput();
    void goAway(std::int64_t sinceMs);

    rt::Clock& clock_;
    QDBusConnection bus_;
    bus::ServiceOwner* shell_;
    std::int64_t thresholdMs_ = 0;
    uint idleWatch_ = 0;
    uint activeWatch_ = 0;
    int generation_ = 0;   // bumped on every re-arm; answers to older requests are dropped
    int ownerChanges_ = 0; // the same for a shell that left or started anew
    bool available_ = false;
    bool armed_ = false;
    bool away_ = false;
    bool watchingForInput_ = false;
};

// Do not disturb: GNOME's "show-banners" turned off, or elsewhere the notification server's
// "Inhibited" property (available while a server that has it is there).
class DoNotDisturbHold final : public QObject, public HoldSource {
    Q_OBJECT
public:
    enum class Kind { GnomeSettings, Notifications };
    // GNOME's settings on a GNOME desktop that has them, else the notification server.
    static Kind kindForDesktop();

    explicit DoNotDisturbHold(Kind kind,
                              const QDBusConnection& bus = QDBusConnection::sessionBus());
    ~DoNotDisturbHold() override;
    QString name() const override;
    bool available() const override { return available_; }
    bool holding() override { return holding_; }
    bool ready() const { return ready_; }

private slots:
    void onPropertiesChanged(const QDBusMessage& message);

private:
    void letGo();
    void readInhibited();
    void set(bool holding);

    Kind kind_;
    QDBusConnection bus_;
    std::unique_ptr<GSettingsFlag> showBanners_;
    bus::ServiceOwner* server_ = nullptr;
    int run_ = 0;
    bool available_ = false;
    bool ready_ = false;
    bool holding_ = false;
};

// Another program keeps the session from going idle (a video, a call): GNOME's session
// manager, or KDE's power management. Both tell of changes, so nothing is asked on a tick.
class InhibitorHold final : public QObject, public HoldSource {
    Q_OBJECT
public:
    enum class Kind { GnomeSession, PowerManagement };
    explicit InhibitorHold(Kind kind, const QDBusConnection& bus = QDBusConnection::sessionBus());
    QString name() const override;
    bool available() const override { return available_; }
    bool holding() override { return holding_; }
    bool ready() const { return ready_; }

private slots:
    void onInhibitorsChanged(const QDBusMessage& message);
    void onHasInhibitChanged(const QDBusMessage& message);

private:
    void letGo();
    void ask();
    void set(bool holding);

    Kind kind_;
    QDBusConnection bus_;
    bus::ServiceOwner* service_;
    int asked_ = 0; // answers to older questions are dropped
    bool available_ = false;
    bool ready_ = false;
    bool holding_ = false;
};

// Every source this desktop could have, whether its service is there yet or not: logind's lock
// and sleep, GNOME's idle monitor, KDE's screen saver (not on GNOME, whose stand-in tells
// neither idle time nor its lock), do-not-disturb, and GNOME's and KDE's inhibitors.
struct DBusSources {
    std::vector<std::unique_ptr<AwaySource>> away;
    std::vector<std::unique_ptr<HoldSource>> holds;
};
DBusSources dbusSources(rt::Clock& clock);

} // namespace desk
