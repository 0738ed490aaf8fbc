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
const QString kLockedHint = QStringLiteral("LockedHint");

} // namespace

// ---- the session's lock ----

LogindLockSource::LogindLockSource(rt::Clock& clock, const QDBusConnection& bus)
    : clock_(clock), bus_(bus) {
    available_ = bus::hasOwner(bus_, kLogin1);
    if (!available_)
        return;
    // The session this program was started in; without its id, the one logind picks for us
    // (our own, or the user's graphical session).
    const QString id = qEnvironmentVariable("XDG_SESSION_ID");
    findSession(QStringLiteral("GetSession"), id.isEmpty() ? QStringLiteral("auto") : id, false);
}

void LogindLockSource::findSession(const QString& method, const QVariant& argument, bool lastTry) {
    QDBusMessage find = QDBusMessage::createMethodCall(kLogin1, kManagerPath, kManager, method);
    find << argument;
    bus::call(bus_, find, this, [this, lastTry](const QDBusMessage& reply) {
        const QString path = qvariant_cast<QDBusObjectPath>(bus::firstArgument(reply)).path();
        if (!path.isEmpty())
            watchSession(path);
        else if (!lastTry)
            findSession(QStringLiteral("GetSessionByPID"), QVariant::fromValue(uint(getpid())),
                        true);
        else
            available_ = false;
    });
}

void LogindLockSource::watchSession(const QString& path) {
    session_ = path;
    const char* slot = SLOT(onSessionSignal(QDBusMessage));
    bus_.connect(kLogin1, path, kSession, QStringLiteral("Lock"), this, slot);
    bus_.connect(kLogin1, path, kSession, QStringLiteral("Unlock"), this, slot);
    bus_.connect(kLogin1, path, QStringLiteral("org.freedesktop.DBus.Properties"),
                 QStringLiteral("PropertiesChanged"), this,
                 SLOT(onPropertiesChanged(QDBusMessage)));
    readLockedHint();
}

void LogindLockSource::readLockedHint() {
    bus::getProperty(bus_, kLogin1, session_, kSession, kLockedHint, this,
                     [this](const QVariant& value) {
                         if (value.isValid())
                             setLocked(value.toBool());
                         ready_ = true;
                     });
}

void LogindLockSource::onSessionSignal(const QDBusMessage& message) {
    setLocked(message.member() == QLatin1String("Lock"));
}

void LogindLockSource::onPropertiesChanged(const QDBusMessage& message) {
    QVariant value;
    if (!bus::propertyChanged(message, kSession, kLockedHint, &value))
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
    : clock_(clock), bus_(bus) {
    available_ = bus::hasOwner(bus_, kLogin1);
    if (!available_)
        return;
    bus_.connect(kLogin1, kManagerPath, kManager, QStringLiteral("PrepareForSleep"), this,
                 SLOT(onPrepareForSleep(bool)));
    takeDelayLock();
}

void LogindSleepSource::takeDelayLock() {
    if (lockPending_ || delayLock_.isValid() ||
        !(bus_.connectionCapabilities() & QDBusConnection::UnixFileDescriptorPassing))
        return;
    lockPending_ = true;
    QDBusMessage inhibit =
        QDBusMessage::createMethodCall(kLogin1, kManagerPath, kManager, QStringLiteral("Inhibit"));
    inhibit << QStringLiteral("sleep") << QStringLiteral("Quillet")
            << QStringLiteral("Merkt sich, wann die Pause durch den Ruhezustand beginnt")
            << QStringLiteral("delay");
    bus::call(bus_, inhibit, this, [this](const QDBusMessage& reply) {
        lockPending_ = false;
        // Taken too late for a sleep that has begun: logind did not wait for it, so let it go.
        if (!asleep_)
            delayLock_ = qvariant_cast<QDBusUnixFileDescriptor>(bus::firstArgument(reply));
    });
}

void LogindSleepSource::onPrepareForSleep(bool sleeping) {
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
