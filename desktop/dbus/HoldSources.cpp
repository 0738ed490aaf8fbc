#include "desktop/dbus/BusCall.h"
#include "desktop/dbus/DBusSources.h"
#include "desktop/dbus/GSettingsFlag.h"

#include <QDBusServiceWatcher>

namespace desk {

namespace {

const char* const kNotificationSchema = "org.gnome.desktop.notifications";
const char* const kShowBanners = "show-banners";

const QString kNotifications = QStringLiteral("org.freedesktop.Notifications");
const QString kNotificationsPath = QStringLiteral("/org/freedesktop/Notifications");
const QString kInhibited = QStringLiteral("Inhibited");

const QString kGnomeSession = QStringLiteral("org.gnome.SessionManager");
const QString kGnomeSessionPath = QStringLiteral("/org/gnome/SessionManager");
// gnome-session's flag of an inhibitor that keeps the session from going idle.
constexpr uint kInhibitIdle = 8;

const QString kPowerManagement = QStringLiteral("org.freedesktop.PowerManagement");
const QString kPowerInhibitPath = QStringLiteral("/org/freedesktop/PowerManagement/Inhibit");
const QString kPowerInhibit = QStringLiteral("org.freedesktop.PowerManagement.Inhibit");

// Calls `onOwner(hasOwner)` whenever `service` gets a new owner or loses it.
void watchOwner(QObject* owner, const QDBusConnection& bus, const QString& service,
                std::function<void(bool)> onOwner) {
    auto* watcher =
        new QDBusServiceWatcher(service, bus, QDBusServiceWatcher::WatchForOwnerChange, owner);
    QObject::connect(
        watcher, &QDBusServiceWatcher::serviceOwnerChanged, owner,
        [onOwner = std::move(onOwner)](const QString&, const QString&, const QString& now) {
            onOwner(!now.isEmpty());
        });
}

} // namespace

// ---- do not disturb ----

DoNotDisturbHold::Kind DoNotDisturbHold::kindForDesktop() {
    // XDG_CURRENT_DESKTOP is a list such as "ubuntu:GNOME".
    const QStringList desktops = qEnvironmentVariable("XDG_CURRENT_DESKTOP").split(u':');
    if (desktops.contains(QStringLiteral("GNOME"), Qt::CaseInsensitive) &&
        GSettingsFlag::open(kNotificationSchema, kShowBanners))
        return Kind::GnomeSettings;
    return Kind::Notifications;
}

DoNotDisturbHold::DoNotDisturbHold(Kind kind, const QDBusConnection& bus) : kind_(kind), bus_(bus) {
    if (kind_ == Kind::GnomeSettings) {
        showBanners_ = GSettingsFlag::open(kNotificationSchema, kShowBanners);
        available_ = ready_ = showBanners_ != nullptr;
        if (available_) {
            showBanners_->changed = [this] { set(!showBanners_->value()); };
            holding_ = !showBanners_->value();
        }
        return;
    }
    available_ = bus::hasOwner(bus_, kNotifications);
    if (!available_)
        return;
    bus_.connect(
        kNotifications, kNotificationsPath, QStringLiteral("org.freedesktop.DBus.Properties"),
        QStringLiteral("PropertiesChanged"), this, SLOT(onPropertiesChanged(QDBusMessage)));
    // A notification server that starts anew starts without do-not-disturb.
    watchOwner(this, bus_, kNotifications, [this](bool present) {
        if (present)
            readInhibited();
        else
            set(false);
    });
    readInhibited();
}

DoNotDisturbHold::~DoNotDisturbHold() = default;

QString DoNotDisturbHold::name() const {
    return kind_ == Kind::GnomeSettings ? QStringLiteral("GNOME") : QStringLiteral("KDE");
}

void DoNotDisturbHold::readInhibited() {
    bus::getProperty(bus_, kNotifications, kNotificationsPath, kNotifications, kInhibited, this,
                     [this](const QVariant& value) {
                         // A server without the property cannot be asked to be quiet.
                         if (value.isValid())
                             set(value.toBool());
                         else
                             available_ = false;
                         ready_ = true;
                     });
}

void DoNotDisturbHold::onPropertiesChanged(const QDBusMessage& message) {
    QVariant value;
    if (!bus::propertyChanged(message, kNotifications, kInhibited, &value))
        return;
    if (value.isValid())
        set(value.toBool());
    else
        readInhibited();
}

void DoNotDisturbHold::set(bool holding) {
    if (holding == holding_)
        return;
    holding_ = holding;
    if (changed)
        changed();
}

// ---- programs that keep the session awake ----

InhibitorHold::InhibitorHold(Kind kind, const QDBusConnection& bus) : kind_(kind), bus_(bus) {
    const QString& service = kind_ == Kind::GnomeSession ? kGnomeSession : kPowerManagement;
    available_ = bus::hasOwner(bus_, service);
    if (!available_)
        return;
    if (kind_ == Kind::GnomeSession) {
        // Told of every inhibitor that comes or goes; whether it keeps the session from idling
        // is asked then.
        for (const char* signal : {"InhibitorAdded", "InhibitorRemoved"})
            bus_.connect(kGnomeSession, kGnomeSessionPath, kGnomeSession,
                         QString::fromLatin1(signal), this, SLOT(onInhibitorsChanged()));
    } else {
        bus_.connect(kPowerManagement, kPowerInhibitPath, kPowerInhibit,
                     QStringLiteral("HasInhibitChanged"), this, SLOT(onHasInhibitChanged(bool)));
    }
    watchOwner(this, bus_, service, [this](bool present) {
        if (present) {
            ask();
        } else {
            ++asked_;
            set(false);
        }
    });
    ask();
}

QString InhibitorHold::name() const {
    return kind_ == Kind::GnomeSession ? QStringLiteral("GNOME") : QStringLiteral("KDE");
}

void InhibitorHold::ask() {
    const int question = ++asked_;
    QDBusMessage ask =
        kind_ == Kind::GnomeSession
            ? QDBusMessage::createMethodCall(kGnomeSession, kGnomeSessionPath, kGnomeSession,
                                             QStringLiteral("IsInhibited"))
                  << kInhibitIdle
            : QDBusMessage::createMethodCall(kPowerManagement, kPowerInhibitPath, kPowerInhibit,
                                             QStringLiteral("HasInhibit"));
    bus::call(bus_, ask, this, [this, question](const QDBusMessage& reply) {
        if (question != asked_)
            return; // a later question is under way
        if (const QVariant inhibited = bus::firstArgument(reply); inhibited.isValid())
            set(inhibited.toBool());
        ready_ = true;
    });
}

void InhibitorHold::onInhibitorsChanged() {
    ask();
}

void InhibitorHold::onHasInhibitChanged(bool has) {
    ++asked_;
    set(has);
}

void InhibitorHold::set(bool holding) {
    if (holding == holding_)
        return;
    holding_ = holding;
    if (changed)
        changed();
}

// ---- what this desktop offers ----

DBusSources dbusSources(rt::Clock& clock) {
    DBusSources made;
    const auto keep = [](auto& list, auto source) {
        if (source->available())
            list.push_back(std::move(source));
    };
    keep(made.away, std::make_unique<LogindLockSource>(clock));
    keep(made.away, std::make_unique<LogindSleepSource>(clock));
    auto mutter = std::make_unique<MutterIdleSource>(clock);
    // GNOME's stand-in for the screen saver tells neither idle time nor its lock.
    if (!mutter->available())
        keep(made.away, std::make_unique<ScreenSaverSource>(clock));
    keep(made.away, std::move(mutter));

    keep(made.holds, std::make_unique<DoNotDisturbHold>(DoNotDisturbHold::kindForDesktop()));
    auto gnome = std::make_unique<InhibitorHold>(InhibitorHold::Kind::GnomeSession);
    if (gnome->available())
        made.holds.push_back(std::move(gnome));
    else
        keep(made.holds, std::make_unique<InhibitorHold>(InhibitorHold::Kind::PowerManagement));
    return made;
}

} // namespace desk
