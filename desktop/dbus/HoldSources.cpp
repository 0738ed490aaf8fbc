#include "desktop/dbus/BusCall.h"
#include "desktop/dbus/DBusSources.h"
#include "desktop/dbus/GSettingsFlag.h"

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

// XDG_CURRENT_DESKTOP is a list such as "ubuntu:GNOME".
bool onGnome() {
    return qEnvironmentVariable("XDG_CURRENT_DESKTOP")
        .split(u':')
        .contains(QStringLiteral("GNOME"), Qt::CaseInsensitive);
}

} // namespace

// ---- do not disturb ----

DoNotDisturbHold::Kind DoNotDisturbHold::kindForDesktop() {
    if (onGnome() && GSettingsFlag::open(kNotificationSchema, kShowBanners))
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
    bus_.connect(QString(), kNotificationsPath, QStringLiteral("org.freedesktop.DBus.Properties"),
                 QStringLiteral("PropertiesChanged"), this,
                 SLOT(onPropertiesChanged(QDBusMessage)));
    // A notification server that starts anew starts without do-not-disturb.
    server_ = new bus::ServiceOwner(bus_, kNotifications, this);
    server_->changed = [this](const QString& now) {
        letGo();
        if (!now.isEmpty())
            readInhibited();
    };
}

DoNotDisturbHold::~DoNotDisturbHold() = default;

QString DoNotDisturbHold::name() const {
    return kind_ == Kind::GnomeSettings ? QStringLiteral("GNOME") : QStringLiteral("KDE");
}

void DoNotDisturbHold::letGo() {
    ++run_;
    ready_ = false;
    set(false);
    setAvailable(available_, false, availabilityChanged);
}

void DoNotDisturbHold::readInhibited() {
    bus::getProperty(bus_, kNotifications, kNotificationsPath, kNotifications, kInhibited, this,
                     [this, run = run_](const QVariant& value) {
                         if (run != run_)
                             return;
                         // A server without the property cannot be asked to be quiet.
                         if (value.isValid())
                             set(value.toBool());
                         setAvailable(available_, value.isValid(), availabilityChanged);
                         ready_ = true;
                     });
}

void DoNotDisturbHold::onPropertiesChanged(const QDBusMessage& message) {
    QVariant value;
    if (!server_->sent(message) ||
        !bus::propertyChanged(message, kNotifications, kInhibited, &value))
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
    const bool gnome = kind_ == Kind::GnomeSession;
    if (gnome) {
        // Told of every inhibitor that comes or goes; whether it keeps the session from idling
        // is asked then.
        for (const char* signal : {"InhibitorAdded", "InhibitorRemoved"})
            bus_.connect(QString(), kGnomeSessionPath, kGnomeSession, QString::fromLatin1(signal),
                         this, SLOT(onInhibitorsChanged(QDBusMessage)));
    } else {
        bus_.connect(QString(), kPowerInhibitPath, kPowerInhibit,
                     QStringLiteral("HasInhibitChanged"), this,
                     SLOT(onHasInhibitChanged(QDBusMessage)));
    }
    service_ = new bus::ServiceOwner(bus_, gnome ? kGnomeSession : kPowerManagement, this);
    service_->changed = [this](const QString& now) {
        letGo();
        if (now.isEmpty())
            return;
        setAvailable(available_, true, availabilityChanged);
        ask();
    };
}

void InhibitorHold::letGo() {
    ++asked_;
    ready_ = false;
    set(false);
    setAvailable(available_, false, availabilityChanged);
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

void InhibitorHold::onInhibitorsChanged(const QDBusMessage& message) {
    if (service_->sent(message))
        ask();
}

void InhibitorHold::onHasInhibitChanged(const QDBusMessage& message) {
    if (!service_->sent(message) || message.arguments().isEmpty())
        return;
    ++asked_;
    set(message.arguments().constFirst().toBool());
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
    made.away.push_back(std::make_unique<LogindLockSource>(clock));
    made.away.push_back(std::make_unique<LogindSleepSource>(clock));
    made.away.push_back(std::make_unique<MutterIdleSource>(clock));
    // GNOME's stand-in for the screen saver tells neither idle time nor its lock.
    if (!onGnome())
        made.away.push_back(std::make_unique<ScreenSaverSource>(clock));

    made.holds.push_back(std::make_unique<DoNotDisturbHold>(DoNotDisturbHold::kindForDesktop()));
    made.holds.push_back(std::make_unique<InhibitorHold>(InhibitorHold::Kind::GnomeSession));
    made.holds.push_back(std::make_unique<InhibitorHold>(InhibitorHold::Kind::PowerManagement));
    return made;
}

} // namespace desk
