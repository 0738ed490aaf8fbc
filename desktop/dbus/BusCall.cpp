#include "desktop/dbus/BusCall.h"

#include <QDBusArgument>
#include <QDBusPendingCallWatcher>
#include <QDBusServiceWatcher>
#include <QDBusVariant>
#include <QObject>
#include <QPointer>

namespace desk::bus {

namespace {

QVariant unwrap(QVariant value) {
    while (value.metaType() == QMetaType::fromType<QDBusVariant>())
        value = qvariant_cast<QDBusVariant>(value).variant();
    return value;
}

} // namespace

ServiceOwner::ServiceOwner(const QDBusConnection& bus, const QString& service, QObject* parent)
    : QObject(parent) {
    auto* watcher =
        new QDBusServiceWatcher(service, bus, QDBusServiceWatcher::WatchForOwnerChange, this);
    QObject::connect(watcher, &QDBusServiceWatcher::serviceOwnerChanged, this,
                     [this](const QString&, const QString&, const QString& now) {
                         told_ = true;
                         set(now);
                     });
    QDBusMessage ask = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
        QStringLiteral("org.freedesktop.DBus"), QStringLiteral("GetNameOwner"));
    ask << service;
    // Without a bus the answer is an error, told from the event loop as well.
    call(bus, ask, this, [this](const QDBusMessage& reply) {
        if (!told_)
            set(firstArgument(reply).toString());
    });
}

void ServiceOwner::set(const QString& owner) {
    if (owner == owner_)
        return;
    owner_ = owner;
    if (changed)
        changed(owner_);
}

void call(const QDBusConnection& bus, const QDBusMessage& call, QObject* owner,
          std::function<void(const QDBusMessage&)> onAnswer) {
    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(call, kCallTimeoutMs), owner);
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, owner,
                     [watcher, onAnswer = std::move(onAnswer)] {
                         watcher->deleteLater();
                         onAnswer(watcher->reply());
                     });
}

void send(const QDBusConnection& bus, const QDBusMessage& call) {
    bus.asyncCall(call, kCallTimeoutMs);
}

void getProperty(const QDBusConnection& bus, const QString& service, const QString& path,
                 const QString& interface, const QString& property, QObject* owner,
                 std::function<void(const QVariant&)> onValue) {
    QDBusMessage get = QDBusMessage::createMethodCall(
        service, path, QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
    get << interface << property;
    call(bus, get, owner, [onValue = std::move(onValue)](const QDBusMessage& reply) {
        onValue(firstArgument(reply));
    });
}

QVariant firstArgument(const QDBusMessage& reply) {
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
        return {};
    return unwrap(reply.arguments().constFirst());
}

bool propertyChanged(const QDBusMessage& signal, const QString& interface, const QString& property,
                     QVariant* value) {
    const QList<QVariant> args = signal.arguments();
    if (args.size() < 3 || args[0].toString() != interface)
        return false;
    const QVariantMap changed = qdbus_cast<QVariantMap>(args[1]);
    if (const auto it = changed.find(property); it != changed.end()) {
        *value = unwrap(*it);
        return true;
    }
    if (qdbus_cast<QStringList>(args[2]).contains(property)) {
        *value = QVariant();
        return true;
    }
    return false;
}

} // namespace desk::bus
