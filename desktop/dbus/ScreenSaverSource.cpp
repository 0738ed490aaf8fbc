#include "desktop/dbus/BusCall.h"
#include "desktop/dbus/DBusSources.h"
#include "runtime/Clock.h"

#include <algorithm>
#include <climits>

namespace desk {

namespace {

const QString kService = QStringLiteral("org.freedesktop.ScreenSaver");
const QString kPath = QStringLiteral("/org/freedesktop/ScreenSaver");
const QString kInterface = QStringLiteral("org.freedesktop.ScreenSaver");

} // namespace

ScreenSaverSource::ScreenSaverSource(rt::Clock& clock, const QDBusConnection& bus)
    : clock_(clock), bus_(bus), saver_(new bus::ServiceOwner(bus_, kService, this)) {
    timer_.setSingleShot(true);
    QObject::connect(&timer_, &QTimer::timeout, this, &ScreenSaverSource::askIdleTime);
    bus_.connect(QString(), kPath, kInterface, QStringLiteral("ActiveChanged"), this,
                 SLOT(onActiveChanged(QDBusMessage)));
    saver_->changed = [this](const QString& now) {
        letGo();
        if (!now.isEmpty())
            takeUp();
    };
}

void ScreenSaverSource::takeUp() {
    available_ = true;
    tellsIdleTime_ = true;
    if (availabilityChanged)
        availabilityChanged();
    bus::call(
        bus_,
        QDBusMessage::createMethodCall(kService, kPath, kInterface, QStringLiteral("GetActive")),
        this, [this, run = run_](const QDBusMessage& reply) {
            if (run != run_)
                return;
            if (const QVariant active = bus::firstArgument(reply); active.isValid())
                setLocked(active.toBool());
        });
    // Asked at once, natural breaks or not: whether this screen saver tells idle time at all is
    // what the settings show.
    askIdleTime();
}

void ScreenSaverSource::letGo() {
    ++run_;
    timer_.stop();
    asking_ = false;
    locked_ = false;
    idle_ = false;
    update();
    setAvailable(available_, false, availabilityChanged);
}

void ScreenSaverSource::setIdleThresholdMs(std::int64_t ms) {
    if (ms == thresholdMs_)
        return;
    thresholdMs_ = ms;
    if (thresholdMs_ <= 0)
        timer_.stop();
    else if (!idle_)
        askIdleTime();
}

void ScreenSaverSource::askIdleTime() {
    // While the screen is locked its unlocking tells of the return; no need to ask.
    if (!available_ || !tellsIdleTime_ || asking_ || locked_)
        return;
    timer_.stop();
    asking_ = true;
    bus::call(bus_,
              QDBusMessage::createMethodCall(kService, kPath, kInterface,
                                             QStringLiteral("GetSessionIdleTime")),
              this, [this, run = run_](const QDBusMessage& reply) {
                  if (run != run_)
                      return; // asked of a screen saver that has left
                  asking_ = false;
                  const QVariant idle = bus::firstArgument(reply);
                  if (!idle.isValid()) {
                      // Not told here (GNOME's stand-in, KDE on Wayland): only the lock is left.
                      tellsIdleTime_ = false;
                      if (availabilityChanged)
                          availabilityChanged();
                      return;
                  }
                  // KDE tells milliseconds.
                  onIdleTime(idle.toLongLong());
              });
}

void ScreenSaverSource::onIdleTime(std::int64_t idleMs) {
    if (locked_ || thresholdMs_ <= 0)
        return;
    if (!idle_ && idleMs >= thresholdMs_) {
        idle_ = true;
        idleSinceMs_ = clock_.nowMs() - idleMs;
    } else if (idle_ && idleMs < thresholdMs_) {
        // Input since the last question: asked every 2 s, the idle time cannot have grown
        // back to the threshold.
        idle_ = false;
    }
    update();
    planAsk(idle_ ? kAwayAskMs : std::max<std::int64_t>(kPresentAskMs, thresholdMs_ - idleMs));
}

void ScreenSaverSource::onActiveChanged(const QDBusMessage& message) {
    if (saver_->sent(message) && !message.arguments().isEmpty())
        setLocked(message.arguments().constFirst().toBool());
}

void ScreenSaverSource::setLocked(bool active) {
    if (active == locked_)
        return;
    locked_ = active;
    if (locked_) {
        timer_.stop();
    } else {
        // Unlocking is input.
        idle_ = false;
        planAsk(std::max<std::int64_t>(kPresentAskMs, thresholdMs_));
    }
    update();
}

void ScreenSaverSource::update() {
    const bool away = locked_ || idle_;
    if (away == away_)
        return;
    away_ = away;
    if (away && wentAway)
        wentAway(idle_ ? idleSinceMs_ : clock_.nowMs());
    else if (!away && cameBack)
        cameBack();
}

void ScreenSaverSource::planAsk(std::int64_t inMs) {
    if (!tellsIdleTime_ || thresholdMs_ <= 0)
        return;
    timer_.start(int(std::min<std::int64_t>(inMs, INT_MAX)));
}

} // namespace desk
