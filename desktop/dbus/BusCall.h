#pragma once

// Small helpers for talking to the desktop's services without waiting on them.

#include <QDBusConnection>
#include <QDBusMessage>
#include <QString>
#include <QVariant>

#include <functional>

class QObject;

namespace desk::bus {

// How long an answer may take before the call counts as failed. Nothing waits for it: the
// answer comes through the event loop.
inline constexpr int kCallTimeoutMs = 5'000;

// Whether `service` has an owner on `bus`. Asks the bus daemon and waits at most a quarter
// of a second; false on no answer.
bool hasOwner(const QDBusConnection& bus, const QString& service);

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
