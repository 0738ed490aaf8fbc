// The D-Bus sources against mocks of the desktop's services on private buses; run by
// tests/desktop/dbus-sources.sh, which starts the buses and the mocks.
#include "desktop/dbus/DBusSources.h"
#include "desktop/dbus/GSettingsFlag.h"
#include "runtime/Clock.h"

#include <QCoreApplication>
#include <QDBusArgument>
#include <QDBusConnectionInterface>
#include <QDeadlineTimer>
#include <QProcess>
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>

using namespace desk;

namespace {

#define NEED_MOCKS()                                                                               \
    if (!qEnvironmentVariableIsSet("QUILLET_DBUS_MOCKS"))                                          \
    GTEST_SKIP() << "needs the private buses of tests/desktop/dbus-sources.sh"

// Runs the event loop until `done`, at most 10 s.
bool waitFor(const std::function<bool()>& done) {
    const QDeadlineTimer deadline(10'000);
    while (!done()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 20);
    }
    return true;
}

const QString kMock = QStringLiteral("org.freedesktop.DBus.Mock");

QDBusMessage call(const QDBusConnection& bus, const QString& service, const QString& path,
                  const QString& interface, const QString& method, const QVariantList& args = {}) {
    QDBusMessage message = QDBusMessage::createMethodCall(service, path, interface, method);
    message.setArguments(args);
    const QDBusMessage reply = bus.call(message, QDBus::Block, 5'000);
    EXPECT_EQ(reply.type(), QDBusMessage::ReplyMessage)
        << method.toStdString() << ": " << reply.errorMessage().toStdString();
    return reply;
}

// Tells a mock on the session bus.
QDBusMessage tell(const QString& service, const QString& path, const QString& method,
                  const QVariantList& args = {}) {
    return call(QDBusConnection::sessionBus(), service, path, kMock, method, args);
}

// What an away source reported.
struct Reports {
    std::vector<std::int64_t> away;
    int back = 0;
    int availability = 0;
    explicit Reports(AwaySource& source) {
        source.wentAway = [this](std::int64_t since) { away.push_back(since); };
        source.cameBack = [this] { ++back; };
        source.availabilityChanged = [this] { ++availability; };
    }
};

// A service of the desktop that the test starts and stops itself: a mock (python3-dbusmock) of
// its own, with the script's python and templates, on the system or the session bus.
class Service {
public:
    Service(const QString& name, const QString& templateName, bool system)
        : name_(name), bus_(system ? QDBusConnection::systemBus() : QDBusConnection::sessionBus()) {
        QString path = templateName;
        if (!templateName.contains(u'/') && templateName.endsWith(QLatin1String(".py")))
            path = qEnvironmentVariable("QUILLET_DBUS_MOCK_DIR") + u'/' + templateName;
        QStringList args{QStringLiteral("-m"), QStringLiteral("dbusmock"),
                         QStringLiteral("--template"), path};
        if (system)
            args.append(QStringLiteral("--system"));
        mock_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        mock_.setStandardOutputFile(QProcess::nullDevice());
        const QString python = qEnvironmentVariable("QUILLET_DBUS_PYTHON");
        mock_.start(python.isEmpty() ? QStringLiteral("python3") : python, args);
        EXPECT_TRUE(waitFor([this] { return registered(); })) << name.toStdString();
    }
    ~Service() { stop(); }
    // The service leaves the bus, as when its process ends.
    void stop() {
        if (mock_.state() == QProcess::NotRunning)
            return;
        mock_.terminate();
        mock_.waitForFinished(5'000);
        EXPECT_TRUE(waitFor([this] { return !registered(); }));
    }

private:
    bool registered() const { return bus_.interface()->isServiceRegistered(name_).value(); }

    QString name_;
    QDBusConnection bus_;
    QProcess mock_;
};

const QString kMutter = QStringLiteral("org.gnome.Mutter.IdleMonitor");
const QString kMutterPath = QStringLiteral("/org/gnome/Mutter/IdleMonitor/Core");

std::unique_ptr<Service> startMutter() {
    return std::make_unique<Service>(kMutter, QStringLiteral("mutter_idle_monitor.py"), false);
}

// ---- logind, on the stand-in for the system bus ----

const QString kLogin1 = QStringLiteral("org.freedesktop.login1");
const QString kLogin1Path = QStringLiteral("/org/freedesktop/login1");

QDBusMessage tellLogind(const QString& path, const QString& interface, const QString& method,
                        const QVariantList& args = {}) {
    return call(QDBusConnection::systemBus(), kLogin1, path, interface, method, args);
}

std::unique_ptr<Service> startLogind() {
    return std::make_unique<Service>(kLogin1, QStringLiteral("logind"), true);
}

const QString kSessionC7 = QStringLiteral("/org/freedesktop/login1/session/c7");
const QString kSessionIface = QStringLiteral("org.freedesktop.login1.Session");

// logind with the session "c7", the one named by XDG_SESSION_ID while the test runs.
std::unique_ptr<Service> startLogindWithSession() {
    auto logind = startLogind();
    tellLogind(
        kLogin1Path, kMock, QStringLiteral("AddSession"),
        {QStringLiteral("c7"), QStringLiteral("seat0"), 1000u, QStringLiteral("anna"), true});
    return logind;
}

struct SessionId {
    SessionId() { qputenv("XDG_SESSION_ID", "c7"); }
    ~SessionId() { qunsetenv("XDG_SESSION_ID"); }
};

void setLocked(bool locked) {
    tellLogind(kSessionC7, kSessionIface, QStringLiteral("SetLockedHint"), {locked});
}

void emitPrepareForSleep(bool sleeping) {
    tellLogind(kLogin1Path, kMock, QStringLiteral("EmitSignal"),
               {QStringLiteral("org.freedesktop.login1.Manager"), QStringLiteral("PrepareForSleep"),
                QStringLiteral("b"), QVariantList{sleeping}});
}

// The inhibitors logind holds, as "what/who/mode".
QStringList inhibitors() {
    const QDBusMessage reply =
        tellLogind(kLogin1Path, QStringLiteral("org.freedesktop.login1.Manager"),
                   QStringLiteral("ListInhibitors"));
    QStringList held;
    const auto list = qvariant_cast<QDBusArgument>(reply.arguments().value(0));
    list.beginArray();
    while (!list.atEnd()) {
        QString what, who, why, mode;
        uint uid = 0, pid = 0;
        list.beginStructure();
        list >> what >> who >> why >> mode >> uid >> pid;
        list.endStructure();
        held << what + u'/' + who + u'/' + mode;
    }
    list.endArray();
    return held;
}

TEST(DBusLogind, ALockedSessionIsAwayUntilItUnlocks) {
    NEED_MOCKS();
    rt::ManualClock clock;
    const auto logind = startLogindWithSession();
    const QString& session = kSessionC7;
    const QString& sessionIface = kSessionIface;
    const SessionId id;
    LogindLockSource lock(clock);
    Reports reports(lock);
    ASSERT_TRUE(waitFor([&] { return lock.ready(); }));
    EXPECT_TRUE(lock.available());
    EXPECT_FALSE(lock.tellsIdleTime());
    EXPECT_TRUE(reports.away.empty());

    // The screen locker sets the hint; logind's request to lock comes too, and counts once.
    clock.advance(5);
    tellLogind(session, sessionIface, QStringLiteral("SetLockedHint"), {true});
    tellLogind(session, sessionIface, QStringLiteral("Lock"));
    ASSERT_TRUE(waitFor([&] { return reports.away.size() == 1; }));
    EXPECT_EQ(reports.away[0], clock.nowMs());
    tellLogind(session, sessionIface, QStringLiteral("SetLockedHint"), {false});
    ASSERT_TRUE(waitFor([&] { return reports.back == 1; }));
    EXPECT_EQ(reports.away.size(), 1u);

    // A locker that sets no hint: the requests alone.
    tellLogind(session, sessionIface, QStringLiteral("Lock"));
    ASSERT_TRUE(waitFor([&] { return reports.away.size() == 2; }));
    tellLogind(session, sessionIface, QStringLiteral("Unlock"));
    ASSERT_TRUE(waitFor([&] { return reports.back == 2; }));
}

TEST(DBusLogind, SleepIsReadBeforeTheMachineSleepsWhichThenNeedNotWait) {
    NEED_MOCKS();
    rt::ManualClock clock;
    const auto logind = startLogind();
    LogindSleepSource sleep(clock);
    Reports reports(sleep);
    ASSERT_TRUE(waitFor([&] { return sleep.holdsDelayLock(); }));
    EXPECT_TRUE(sleep.available());
    EXPECT_EQ(inhibitors(), QStringList{"sleep/Quillet/delay"});

    clock.advance(7);
    emitPrepareForSleep(true);
    ASSERT_TRUE(waitFor([&] { return reports.away.size() == 1; }));
    EXPECT_EQ(reports.away[0], clock.nowMs());
    EXPECT_TRUE(waitFor([&] { return inhibitors().isEmpty(); })) << "the delay lock is let go";

    emitPrepareForSleep(false);
    ASSERT_TRUE(waitFor([&] { return reports.back == 1; }));
    EXPECT_TRUE(waitFor([&] { return inhibitors().size() == 1; })) << "and taken again";
}

TEST(DBusLogind, ALogindThatComesLateIsTakenUpAndOneThatLeavesIsLetGo) {
    NEED_MOCKS();
    rt::ManualClock clock;
    const SessionId id;
    LogindLockSource lock(clock);
    LogindSleepSource sleep(clock);
    Reports locks(lock), sleeps(sleep);
    EXPECT_FALSE(lock.available());
    EXPECT_FALSE(sleep.available());

    // logind comes after the sources were made: both take it up.
    auto logind = startLogindWithSession();
    ASSERT_TRUE(waitFor([&] { return lock.ready() && sleep.holdsDelayLock(); }));
    EXPECT_TRUE(lock.available());
    EXPECT_TRUE(sleep.available());
    EXPECT_EQ(locks.availability, 1);
    EXPECT_EQ(sleeps.availability, 1);
    clock.advance(3);
    setLocked(true);
    ASSERT_TRUE(waitFor([&] { return locks.away.size() == 1; }));
    EXPECT_EQ(locks.away[0], clock.nowMs());
    setLocked(false);
    ASSERT_TRUE(waitFor([&] { return locks.back == 1; }));

    // It leaves while the session is locked and the machine asleep: the user counts as back,
    // and neither source is available any more.
    setLocked(true);
    emitPrepareForSleep(true);
    ASSERT_TRUE(waitFor([&] { return locks.away.size() == 2 && sleeps.away.size() == 1; }));
    logind->stop();
    ASSERT_TRUE(waitFor([&] { return !lock.available() && !sleep.available(); }));
    EXPECT_EQ(locks.back, 2);
    EXPECT_EQ(sleeps.back, 1);
    EXPECT_FALSE(lock.ready());
    EXPECT_FALSE(sleep.holdsDelayLock());

    // Started anew, it is taken up afresh: the session's state is read again.
    logind = startLogindWithSession();
    setLocked(true);
    ASSERT_TRUE(waitFor([&] { return lock.ready() && sleep.holdsDelayLock(); }));
    ASSERT_TRUE(waitFor([&] { return locks.away.size() == 3; }));
    setLocked(false);
    ASSERT_TRUE(waitFor([&] { return locks.back == 3; }));
    EXPECT_EQ(locks.availability, 3);
    EXPECT_EQ(inhibitors(), QStringList{"sleep/Quillet/delay"});
}

// ---- the session bus ----

TEST(DBusScreenSaver, IdleTimeIsAskedOnceAMinuteWhilePresentAndEvery2sWhileAway) {
    NEED_MOCKS();
    const QString service = QStringLiteral("org.freedesktop.ScreenSaver");
    const QString path = QStringLiteral("/org/freedesktop/ScreenSaver");
    tell(service, path, QStringLiteral("Reset"));
    rt::ManualClock clock;
    ScreenSaverSource saver(clock);
    Reports reports(saver);
    ASSERT_TRUE(waitFor([&] { return saver.available() && !saver.asking(); }));
    EXPECT_TRUE(saver.tellsIdleTime());
    EXPECT_EQ(saver.nextAskMs(), -1) << "nothing more is asked without natural breaks";
    const auto idleFor = [&](uint ms, bool ask = true) {
        tell(service, path, QStringLiteral("SetIdleTime"), {ms});
        if (ask)
            saver.askIdleTime(); // what the timer does
        ASSERT_TRUE(waitFor([&] { return !saver.asking(); }));
    };

    idleFor(10'000, false);
    saver.setIdleThresholdMs(300'000);
    ASSERT_TRUE(waitFor([&] { return !saver.asking(); }));
    EXPECT_EQ(saver.nextAskMs(), 290'000) << "not before the threshold can be reached";
    idleFor(250'000);
    EXPECT_EQ(saver.nextAskMs(), 60'000) << "and never sooner than a minute";
    EXPECT_TRUE(reports.away.empty());

    clock.advance(600);
    idleFor(400'000);
    EXPECT_EQ(reports.away, std::vector<std::int64_t>{clock.nowMs() - 400'000});
    EXPECT_EQ(saver.nextAskMs(), 2'000);
    idleFor(402'000);
    EXPECT_EQ(reports.back, 0);
    idleFor(1'000);
    EXPECT_EQ(reports.back, 1);
    EXPECT_EQ(saver.nextAskMs(), 299'000);

    // The lock: away at once, nothing asked while locked; unlocking is a return.
    const auto lockActive = [&](bool active) {
        tell(service, path, QStringLiteral("EmitSignal"),
             {service, QStringLiteral("ActiveChanged"), QStringLiteral("b"), QVariantList{active}});
    };
    lockActive(true);
    ASSERT_TRUE(waitFor([&] { return reports.away.size() == 2; }));
    EXPECT_EQ(reports.away[1], clock.nowMs());
    EXPECT_EQ(saver.nextAskMs(), -1);
    lockActive(false);
    ASSERT_TRUE(waitFor([&] { return reports.back == 2; }));
    EXPECT_EQ(saver.nextAskMs(), 300'000);
}

// The watches of the idle monitor in place, and the idle time set by hand.
QList<qulonglong> mutterWatches() {
    QList<qulonglong> list;
    const auto reply = qvariant_cast<QDBusArgument>(
        tell(kMutter, kMutterPath, QStringLiteral("Watches")).arguments().value(0));
    reply >> list;
    return list;
}

void idleFor(qulonglong ms) {
    tell(kMutter, kMutterPath, QStringLiteral("SetIdletime"), {ms});
}

TEST(DBusScreenSaver, OneThatDoesNotTellIdleTimeSaysSoAndLeavesItsLock) {
    NEED_MOCKS();
    const QString service = QStringLiteral("org.freedesktop.ScreenSaver");
    const QString path = QStringLiteral("/org/freedesktop/ScreenSaver");
    tell(service, path, QStringLiteral("Reset"));
    tell(service, path, QStringLiteral("SetTellsIdleTime"), {false});
    rt::ManualClock clock;
    ScreenSaverSource saver(clock);
    Reports reports(saver);
    ASSERT_TRUE(waitFor([&] { return saver.available() && !saver.asking(); }));
    EXPECT_FALSE(saver.tellsIdleTime()) << "known before natural breaks are switched on";
    EXPECT_EQ(reports.availability, 2);
    saver.setIdleThresholdMs(300'000);
    EXPECT_FALSE(saver.asking());
    tell(service, path, QStringLiteral("EmitSignal"),
         {service, QStringLiteral("ActiveChanged"), QStringLiteral("b"), QVariantList{true}});
    ASSERT_TRUE(waitFor([&] { return reports.away.size() == 1; }));
    tell(service, path, QStringLiteral("Reset"));
}

TEST(DBusMutter, IdleWatchIsAwayAndInputIsBackAndANewThresholdRearms) {
    NEED_MOCKS();
    const auto shell = startMutter();
    const auto watches = mutterWatches;
    rt::ManualClock clock;
    MutterIdleSource mutter(clock);
    Reports reports(mutter);
    ASSERT_TRUE(waitFor([&] { return mutter.available(); }));
    mutter.setIdleThresholdMs(300'000);
    ASSERT_TRUE(waitFor([&] { return mutter.armed(); }));
    EXPECT_EQ(watches(), (QList<qulonglong>{300'000}));

    clock.advance(900);
    idleFor(300'000);
    ASSERT_TRUE(waitFor([&] { return reports.away.size() == 1; }));
    EXPECT_EQ(reports.away[0], clock.nowMs() - 300'000);
    ASSERT_TRUE(waitFor([&] { return watches() == QList<qulonglong>{0, 300'000}; }));
    idleFor(0);
    ASSERT_TRUE(waitFor([&] { return reports.back == 1; }));

    // A new threshold replaces the watch; one the user is already idle beyond is away at once.
    mutter.setIdleThresholdMs(600'000);
    ASSERT_TRUE(waitFor([&] { return mutter.armed(); }));
    EXPECT_EQ(watches(), (QList<qulonglong>{600'000}));
    idleFor(400'000);
    mutter.setIdleThresholdMs(300'000);
    ASSERT_TRUE(waitFor([&] { return reports.away.size() == 2; }));
    EXPECT_EQ(reports.away[1], clock.nowMs() - 400'000);
    EXPECT_TRUE(waitFor([&] { return watches() == QList<qulonglong>{0, 300'000}; }));
}

TEST(DBusMutter, AShellThatComesLateIsWatchedAndOneThatLeavesIsLetGo) {
    NEED_MOCKS();
    rt::ManualClock clock;
    MutterIdleSource mutter(clock);
    Reports reports(mutter);
    mutter.setIdleThresholdMs(300'000);
    EXPECT_FALSE(mutter.available());

    auto shell = startMutter();
    ASSERT_TRUE(waitFor([&] { return mutter.armed(); }));
    EXPECT_TRUE(mutter.available());
    EXPECT_TRUE(mutter.tellsIdleTime());
    EXPECT_EQ(mutterWatches(), (QList<qulonglong>{300'000}));
    idleFor(300'000);
    ASSERT_TRUE(waitFor([&] { return reports.away.size() == 1; }));

    // The shell leaves while the user is away: back, and unavailable.
    shell->stop();
    ASSERT_TRUE(waitFor([&] { return !mutter.available(); }));
    EXPECT_EQ(reports.back, 1);
    EXPECT_FALSE(mutter.armed());
    EXPECT_EQ(reports.availability, 2);

    // A new shell gets a watch of its own.
    shell = startMutter();
    ASSERT_TRUE(waitFor([&] { return mutter.armed(); }));
    EXPECT_EQ(mutterWatches(), (QList<qulonglong>{300'000}));
    idleFor(400'000);
    ASSERT_TRUE(waitFor([&] { return reports.away.size() == 2; }));
}

TEST(DBusHolds, GnomeDoNotDisturbFollowsShowBanners) {
    NEED_MOCKS();
    EXPECT_EQ(GSettingsFlag::open("org.quillet.NotInstalled", "show-banners"), nullptr);
    const auto showBanners = [](const char* value) {
        ASSERT_EQ(QProcess::execute(QStringLiteral("gsettings"),
                                    {QStringLiteral("set"),
                                     QStringLiteral("org.gnome.desktop.notifications"),
                                     QStringLiteral("show-banners"), QString::fromLatin1(value)}),
                  0);
    };
    showBanners("true");
    DoNotDisturbHold dnd(DoNotDisturbHold::Kind::GnomeSettings);
    ASSERT_TRUE(dnd.available());
    int changes = 0;
    dnd.changed = [&] { ++changes; };
    EXPECT_FALSE(dnd.holding());
    showBanners("false"); // as another program (GNOME's settings) does
    ASSERT_TRUE(waitFor([&] { return dnd.holding(); }));
    showBanners("true");
    ASSERT_TRUE(waitFor([&] { return !dnd.holding(); }));
    EXPECT_EQ(changes, 2);
}

TEST(DBusHolds, NotificationServerInhibited) {
    NEED_MOCKS();
    const QString service = QStringLiteral("org.freedesktop.Notifications");
    const QString path = QStringLiteral("/org/freedesktop/Notifications");
    tell(service, path, QStringLiteral("Reset"));
    DoNotDisturbHold dnd(DoNotDisturbHold::Kind::Notifications);
    ASSERT_TRUE(waitFor([&] { return dnd.ready(); }));
    ASSERT_TRUE(dnd.available());
    EXPECT_FALSE(dnd.holding());
    int changes = 0;
    dnd.changed = [&] { ++changes; };
    for (const bool inhibited : {true, false}) {
        tell(service, path, QStringLiteral("UpdateProperties"),
             {service, QVariantMap{{QStringLiteral("Inhibited"), inhibited}}});
        ASSERT_TRUE(waitFor([&] { return dnd.holding() == inhibited; }));
    }
    EXPECT_EQ(changes, 2);
}

TEST(DBusHolds, OnlyAnIdleInhibitorOfGnomesSessionHolds) {
    NEED_MOCKS();
    const QString service = QStringLiteral("org.gnome.SessionManager");
    const QString path = QStringLiteral("/org/gnome/SessionManager");
    tell(service, path, QStringLiteral("Reset"));
    InhibitorHold hold(InhibitorHold::Kind::GnomeSession);
    ASSERT_TRUE(waitFor([&] { return hold.ready(); }));
    EXPECT_FALSE(hold.holding());
    tell(service, path, QStringLiteral("AddInhibitor"), {4u}); // keeps the machine from sleeping
    const QVariant idle = tell(service, path, QStringLiteral("AddInhibitor"), {8u}).arguments()[0];
    ASSERT_TRUE(waitFor([&] { return hold.holding(); }));
    tell(service, path, QStringLiteral("RemoveInhibitor"), {idle});
    EXPECT_TRUE(waitFor([&] { return !hold.holding(); }));
}

TEST(DBusHolds, KdePowerManagementInhibit) {
    NEED_MOCKS();
    const QString service = QStringLiteral("org.freedesktop.PowerManagement");
    const QString path = QStringLiteral("/org/freedesktop/PowerManagement/Inhibit");
    tell(service, path, QStringLiteral("Reset"));
    InhibitorHold hold(InhibitorHold::Kind::PowerManagement);
    ASSERT_TRUE(waitFor([&] { return hold.ready(); }));
    for (const bool has : {true, false}) {
        tell(service, path, QStringLiteral("SetHasInhibit"), {has});
        ASSERT_TRUE(waitFor([&] { return hold.holding() == has; }));
    }
}

TEST(DBusFactory, MakesEverySourceTheDesktopCouldHaveAndNoScreenSaverBesideGnome) {
    NEED_MOCKS();
    const auto logind = startLogind();
    const auto shell = startMutter();
    rt::ManualClock clock;
    const auto names = [](const auto& sources) {
        QStringList list;
        for (const auto& source : sources)
            list << source->name();
        return list;
    };
    // Every mock runs here; the session's lock needs a session, which this logind lacks.
    const auto allAvailable = [](const DBusSources& made) {
        for (size_t i = 1; i < made.away.size(); ++i)
            if (!made.away[i]->available())
                return false;
        return std::all_of(made.holds.begin(), made.holds.end(),
                           [](const auto& source) { return source->available(); });
    };
    for (const char* desktop : {"KDE", "ubuntu:GNOME"}) {
        SCOPED_TRACE(desktop);
        qputenv("XDG_CURRENT_DESKTOP", desktop);
        const DBusSources made = dbusSources(clock);
        qunsetenv("XDG_CURRENT_DESKTOP");
        const bool gnome = QByteArray(desktop).contains("GNOME");
        EXPECT_EQ(names(made.away), gnome ? QStringList({"logind", "logind", "GNOME"})
                                          : QStringList({"logind", "logind", "GNOME", "KDE"}));
        EXPECT_EQ(names(made.holds), (QStringList{gnome ? "GNOME" : "KDE", "GNOME", "KDE"}))
            << "GNOME's settings or the notification server; GNOME's session; KDE's power "
               "management";
        EXPECT_TRUE(waitFor([&] { return allAvailable(made); }));
    }
}

} // namespace
