#include "desktop/dbus/BusCall.h"
#include "desktop/dbus/DBusSources.h"
#include "runtime/Clock.h"

namespace desk {

namespace {

const QString kService = QStringLiteral("org.gnome.Mutter.IdleMonitor");
const QString kPath = QStringLiteral("/org/gnome/Mutter/IdleMonitor/Core");
const QString kInterface = QStringLiteral("org.gnome.Mutter.IdleMonitor");

QDBusMessage monitorCall(const QString& method) {
    return QDBusMessage::createMethodCall(kService, kPath, kInterface, method);
}

void removeWatch(const QDBusConnection& bus, uint id) {
    if (id != 0)
        bus::send(bus, monitorCall(QStringLiteral("RemoveWatch")) << id);
}

} // namespace

MutterIdleSource::MutterIdleSource(rt::Clock& clock, const QDBusConnection& bus)
    : clock_(clock), bus_(bus), shell_(new bus::ServiceOwner(bus_, kService, this)) {
    bus_.connect(QString(), kPath, kInterface, QStringLiteral("WatchFired"), this,
                 SLOT(onWatchFired(QDBusMessage)));
    // A shell that comes is asked for a watch; one that starts anew has forgotten ours.
    shell_->changed = [this](const QString& now) {
        letGo();
        if (now.isEmpty())
            return;
        setAvailable(available_, true, availabilityChanged);
        arm();
    };
}

MutterIdleSource::~MutterIdleSource() {
    if (!available_)
        return;
    removeWatch(bus_, idleWatch_);
    removeWatch(bus_, activeWatch_);
}

void MutterIdleSource::letGo() {
    ++ownerChanges_;
    ++generation_;
    idleWatch_ = 0;
    activeWatch_ = 0;
    watchingForInput_ = false;
    armed_ = false;
    if (away_) {
        away_ = false;
        if (cameBack)
            cameBack();
    }
    setAvailable(available_, false, availabilityChanged);
}

void MutterIdleSource::setIdleThresholdMs(std::int64_t ms) {
    if (ms == thresholdMs_)
        return;
    thresholdMs_ = ms;
    arm();
}

void MutterIdleSource::arm() {
    const int generation = ++generation_;
    armed_ = false;
    removeWatch(bus_, idleWatch_);
    idleWatch_ = 0;
    if (!available_ || thresholdMs_ <= 0)
        return;
    bus::call(bus_, monitorCall(QStringLiteral("AddIdleWatch")) << quint64(thresholdMs_), this,
              [this, generation](const QDBusMessage& reply) {
                  const uint id = bus::firstArgument(reply).toUInt();
                  if (generation != generation_) {
                      removeWatch(bus_, id); // for a threshold no longer wanted
                      return;
                  }
                  if (id == 0)
                      return;
                  idleWatch_ = id;
                  // The watch fires when the idle time reaches the threshold; a user who is idle
                  // longer already is away now.
                  bus::call(bus_, monitorCall(QStringLiteral("GetIdletime")), this,
                            [this, generation](const QDBusMessage& reply) {
                                if (generation != generation_)
                                    return;
                                armed_ = true;
                                const QVariant idle = bus::firstArgument(reply);
                                if (!away_ && idle.isValid() && idle.toLongLong() >= thresholdMs_)
                                    goAway(clock_.nowMs() - idle.toLongLong());
                                else if (away_)
                                    watchForInput();
                            });
              });
}

void MutterIdleSource::onWatchFired(const QDBusMessage& message) {
    if (!shell_->sent(message) || message.arguments().isEmpty())
        return;
    const uint id = message.arguments().constFirst().toUInt();
    if (id == 0)
        return;
    if (id == idleWatch_) {
        if (!away_)
            goAway(clock_.nowMs() - thresholdMs_);
    } else if (id == activeWatch_) {
        // A user-active watch fires once and is gone.
        activeWatch_ = 0;
        watchingForInput_ = false;
        if (away_) {
            away_ = false;
            if (cameBack)
                cameBack();
        }
    }
}

void MutterIdleSource::goAway(std::int64_t sinceMs) {
    away_ = true;
    if (wentAway)
        wentAway(sinceMs);
    watchForInput();
}

void MutterIdleSource::watchForInput() {
    if (watchingForInput_)
        return;
    watchingForInput_ = true;
    const int owner = ownerChanges_;
    bus::call(bus_, monitorCall(QStringLiteral("AddUserActiveWatch")), this,
              [this, owner](const QDBusMessage& reply) {
                  if (owner != ownerChanges_)
                      return; // the shell that set the watch is gone
                  const uint id = bus::firstArgument(reply).toUInt();
                  if (id == 0) {
                      watchingForInput_ = false;
                      return;
                  }
                  activeWatch_ = id;
              });
}

} // namespace desk
