#pragma once

// Small helpers for talking to the desktop's services without waiting on them.

#include <QDBusConnection>
#include <QDBusMessage>
#include <QString>
#include <QVariant>

#include <QObject>

#include <functional>

namespace desk::bus {

// How long an answer may take before the call counts as failed. Nothing waits for it: the
// answer comes through the event loop.
inline constexpr int kCallTimeoutMs = 5'000;

// Who owns a service's name on a bus, now and from now on: the bus daemon is asked once,
// without waiting, and then tells every change. A service may come late, leave, or start anew.
class ServiceOwner final : public QObject {
public:
    ServiceOwner(const QDBusConnection& bus, const QString& service, QObject* parent);

    // The owner's unique name (":1.42"), empty while nobody owns the name or before the answer.
    const QString& owner() const { return owner_; }
    // Whether `signal` comes from the owner. Signals are listened to from any sender, since a
    // match on a service's name makes Qt ask the bus daemon for its owner and wait.
    bool sent(const QDBusMessage& signal) const {
        return !owner_.isEmpty() && signal.service() == owner_;
    }

    // The owner changed: the service came (a new owner), left (empty) or started anew (another
    // owner, with or without an empty one before). Told from the event loop, never at once.
    std::function<void(const QString& owner)> changed;

private:
    void set(const QString& owner);

    QString owner_;
    bool told_ = false; // a change came before the answer to the first question: that is newer
};

// Sends `call` and hands its answer (a reply or an error) to `onAnswer` from the event loop.
// Nothing is handed on once `owner` is gone.
void call(const QDBusConnection& bus, const QDBusMessage& call, QObject* owner,
          std::function<void(const QDBusMessage&)> onAnswer);
// Sends `call` and forgets it.
void send(const QDBusConnection& bus, const QDBusMessage& call);

// A property's value: `onValue` gets it, or an invalid QVariant when there is none.
void getProperty(const QDBusConnection& bus, const QString& service, const QString& path,
                 const QString& interface, const QString& property, QObject* owner,
                 std::function<void(const QVariant&)> onValue);

// The first argument of a reply, or an invalid QVariant for an error.
QVariant firstArgument(const QDBusMessage& reply);

// From a PropertiesChanged signal of `interface`: whether `property` changed, and its new value
// (invalid when only its invalidation was told: ask again).
bool propertyChanged(const QDBusMessage& signal, const QString& interface, const QString& property,
                     QVariant* value);

} // namespace desk::bus
