// The D-Bus sources against mocks of the desktop's services on private buses; run by
// tests/desktop/dbus-sources.sh, which starts the buses and the mocks.
#include "desktop/dbus/DBusSources.h"
#include "desktop/dbus/GSettingsFlag.h"
#include "runtime/Clock.h"

#include <QCoreApplication>
#include <QDBusArgument>
#include <QDeadlineTimer>
#include <QProcess>
#include <gtest/gtest.h>

#include <functional>

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
    explicit Reports(AwaySource& source) {
        source.wentAway = [this](std::int64_t since) { away.push_back(since); };
        source.cameBack = [this] { ++back; };
    }
};

// ---- logind, on the stand-in for the system bus ----

const QString kLogin1 = QStringLiteral("org.freedesktop.login1");
const QString kLogin1Path = QStringLiteral("/org/freedesktop/login1");

QDBusMessage tellLogind(const QString& path, const QString& interface, const QString& method,
                        const QVariantList& args = {}) {
    return call(QDBusConnection::systemBus(), kLogin1, path, interface, method, args);
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
    tellLogind(
        kLogin1Path, kMock, QStringLiteral("AddSession"),
        {QStringLiteral("c7"), QStringLiteral("seat0"), 1000u, QStringLiteral("anna"), true});
    const QString session = QStringLiteral("/org/freedesktop/login1/session/c7");
    const QString sessionIface = QStringLiteral("org.freedesktop.login1.Session");
    qputenv("XDG_SESSION_ID", "c7");
    LogindLockSource lock(clock);
    qunsetenv("XDG_SESSION_ID");
    ASSERT_TRUE(lock.available());
    Reports reports(lock);
    ASSERT_TRUE(waitFor([&] { return lock.ready(); }));
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
    LogindSleepSource sleep(clock);
    ASSERT_TRUE(sleep.available());
    Reports reports(sleep);
    ASSERT_TRUE(waitFor([&] { return sleep.holdsDelayLock(); }));
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

// ---- the session bus ----

TEST(DBusScreenSaver, IdleTimeIsAskedOnceAMinuteWhilePresentAndEvery2sWhileAway) {
    NEED_MOCKS();
    const QString service = QStringLiteral("org.freedesktop.ScreenSaver");
    const QString path = QStringLiteral("/org/freedesktop/ScreenSaver");
    tell(service, path, QStringLiteral("Reset"));
    rt::ManualClock clock;
    ScreenSaverSource saver(clock);
    ASSERT_TRUE(saver.available());
    Reports reports(saver);
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

TEST(DBusMutter, IdleWatchIsAwayAndInputIsBackAndANewThresholdRearms) {
    NEED_MOCKS();
    const QString service = QStringLiteral("org.gnome.Mutter.IdleMonitor");
    const QString path = QStringLiteral("/org/gnome/Mutter/IdleMonitor/Core");
    tell(service, path, QStringLiteral("Reset"));
    const auto watches = [&] {
        QList<qulonglong> list;
        const auto reply = qvariant_cast<QDBusArgument>(
            tell(service, path, QStringLiteral("Watches")).arguments().value(0));
        reply >> list;
        return list;
    };
    const auto idleFor = [&](qulonglong ms) {
        tell(service, path, QStringLiteral("SetIdletime"), {ms});
    };
    rt::ManualClock clock;
    MutterIdleSource mutter(clock);
    ASSERT_TRUE(mutter.available());
    Reports reports(mutter);
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

TEST(DBusFactory, MakesWhatTheDesktopOffersAndNoScreenSaverBesideGnome) {
    NEED_MOCKS();
    rt::ManualClock clock;
    const DBusSources made = dbusSources(clock);
    QStringList away, holds;
    for (const auto& source : made.away)
        away << source->name();
    for (const auto& source : made.holds)
        holds << source->name();
    EXPECT_EQ(away, (QStringList{"logind", "logind", "GNOME"}));
    EXPECT_EQ(holds, (QStringList{"KDE", "GNOME"}))
        << "notifications of the server; GNOME's session";
}

} // namespace
