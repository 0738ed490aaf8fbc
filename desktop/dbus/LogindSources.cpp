#include "desktop/dbus/BusCall.h"
#include "desktop/dbus/DBusSources.h"
#include "runtime/Clock.h"

#include <QDBusObjectPath>

#include <unistd.h>

namespace desk {

namespace {

const QString kLogin1 = QStringLiteral("org.freedesktop.login1");
const QString kManagerPath = QStringLiteral("/org/freedesktop/login1");
const QString kManager = QStringLiteral("org.freedesktop.login1.Manager");
const QString kSession = QStringLiteral("org.freedesktop.login1.Session");
const QString kProperties = QStringLiteral("org.freedesktop.DBus.Properties");
const QString kLockedHint = QStringLiteral("LockedHint");

// Follows logind on `bus`: `letGo` when it leaves or starts anew, `takeUp` when it is there.
bus::ServiceOwner* followLogind(QObject* source, const QDBusConnection& bus,
                                std::function<void()> letGo, std::function<void()> takeUp) {
    auto* logind = new bus::ServiceOwner(bus, kLogin1, source);
    logind->changed = [letGo = std::move(letGo), takeUp = std::move(takeUp)](const QString& now) {
        letGo();
        if (!now.isEmpty())
            takeUp();
    };
    return logind;
}

} // namespace

// ---- the session's lock ----

LogindLockSource::LogindLockSource(rt::Clock& clock, const QDBusConnection& bus)
    : clock_(clock), bus_(bus), logind_(followLogind(
                                    this, bus_, [this] { letGo(); }, [this] { takeUp(); })) {}

void LogindLockSource::takeUp() {
    // The session this program was started in; without its id, the one logind picks for us
    // (our own, or the user's graphical session).
    const QString id = qEnvironmentVariable("XDG_SESSION_ID");
    findSession(QStringLiteral("GetSession"), id.isEmpty() ? QStringLiteral("auto") : id, false);
}

void LogindLockSource::letGo() {
    ++run_;
    if (!session_.isEmpty()) {
        const char* slot = SLOT(onSessionSignal(QDBusMessage));
        bus_.disconnect(QString(), session_, kSession, QStringLiteral("Lock"), this, slot);
        bus_.disconnect(QString(), session_, kSession, QStringLiteral("Unlock"), this, slot);
        bus_.disconnect(QString(), session_, kProperties, QStringLiteral("PropertiesChanged"), this,
                        SLOT(onPropertiesChanged(QDBusMessage)));
        session_.clear();
    }
    ready_ = false;
    setLocked(false);
    setAvailable(available_, false, availabilityChanged);
}

void LogindLockSource::findSession(const QString& method, const QVariant& argument, bool lastTry) {
    QDBusMessage find = QDBusMessage::createMethodCall(kLogin1, kManagerPath, kManager, method);
    find << argument;
    bus::call(bus_, find, this, [this, run = run_, lastTry](const QDBusMessage& reply) {
        if (run != run_)
            return; // asked of a logind that has left since
        const QString path = qvariant_cast<QDBusObjectPath>(bus::firstArgument(reply)).path();
        if (!path.isEmpty())
            watchSession(path);
        else if (!lastTry)
            findSession(QStringLiteral("GetSessionByPID"), QVariant::fromValue(uint(getpid())),
                        true);
    });
}

void LogindLockSource::watchSession(const QString& path) {
    session_ = path;
    const char* slot = SLOT(onSessionSignal(QDBusMessage));
    bus_.connect(QString(), path, kSession, QStringLiteral("Lock"), this, slot);
    bus_.connect(QString(), path, kSession, QStringLiteral("Unlock"), this, slot);
    bus_.connect(QString(), path, kProperties, QStringLiteral("PropertiesChanged"), this,
                 SLOT(onPropertiesChanged(QDBusMessage)));
    setAvailable(available_, true, availabilityChanged);
    readLockedHint();
}

void LogindLockSource::readLockedHint() {
    bus::getProperty(bus_, kLogin1, session_, kSession, kLockedHint, this,
                     [this, run = run_](const QVariant& value) {
                         if (run != run_)
                             return;
                         if (value.isValid())
                             setLocked(value.toBool());
                         ready_ = true;
                     });
}

void LogindLockSource::onSessionSignal(const QDBusMessage& message) {
    if (logind_->sent(message))
        setLocked(message.member() == QLatin1String("Lock"));
}

void LogindLockSource::onPropertiesChanged(const QDBusMessage& message) {
    QVariant value;
    if (!logind_->sent(message) || !bus::propertyChanged(message, kSession, kLockedHint, &value))
        return;
    if (value.isValid())
        setLocked(value.toBool());
    else
        readLockedHint();
}

void LogindLockSource::setLocked(bool locked) {
    if (locked == locked_)
        return;
    locked_ = locked;
    if (locked && wentAway)
        wentAway(clock_.nowMs());
    else if (!locked && cameBack)
        cameBack();
}

// ---- sleep ----

LogindSleepSource::LogindSleepSource(rt::Clock& clock, const QDBusConnection& bus)
    : clock_(clock), bus_(bus), logind_(followLogind(
                                    this, bus_, [this] { letGo(); },
                                    [this] {
                                        setAvailable(available_, true, availabilityChanged);
                                        takeDelayLock();
                                    })) {
    bus_.connect(QString(), kManagerPath, kManager, QStringLiteral("PrepareForSleep"), this,
                 SLOT(onPrepareForSleep(QDBusMessage)));
}

void LogindSleepSource::letGo() {
    ++run_;
    lockPending_ = false;
    delayLock_ = QDBusUnixFileDescriptor();
    if (asleep_) {
        asleep_ = false;
        if (cameBack)
            cameBack();
    }
    setAvailable(available_, false, availabilityChanged);
}

void LogindSleepSource::takeDelayLock() {
    if (!available_ || lockPending_ || delayLock_.isValid() ||
        !(bus_.connectionCapabilities() & QDBusConnection::UnixFileDescriptorPassing))
        return;
    lockPending_ = true;
    QDBusMessage inhibit =
        QDBusMessage::createMethodCall(kLogin1, kManagerPath, kManager, QStringLiteral("Inhibit"));
    inhibit << QStringLiteral("sleep") << QStringLiteral("Quillet")
            << QStringLiteral("Merkt sich, wann die Pause durch den Ruhezustand beginnt")
            << QStringLiteral("delay");
    bus::call(bus_, inhibit, this, [this, run = run_](const QDBusMessage& reply) {
        if (run != run_)
            return; // taken of a logind that has left: the lock went with it
        lockPending_ = false;
        // Taken too late for a sleep that has begun: logind did not wait for it, so let it go.
        if (!asleep_)
            delayLock_ = qvariant_cast<QDBusUnixFileDescriptor>(bus::firstArgument(reply));
    });
}

void LogindSleepSource::onPrepareForSleep(const QDBusMessage& message) {
    if (!logind_->sent(message) || message.arguments().isEmpty())
        return;
    const bool sleeping = message.arguments().constFirst().toBool();
    if (sleeping == asleep_)
        return;
    asleep_ = sleeping;
    if (sleeping) {
        if (wentAway)
            wentAway(clock_.nowMs());
        // The moment is read: the machine may sleep now.
        delayLock_ = QDBusUnixFileDescriptor();
    } else {
        if (cameBack)
            cameBack();
        takeDelayLock();
    }
}

} // namespace desk
