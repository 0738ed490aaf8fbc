#include "desktop/StatusIcon.h"

#include "desktop/Pause.h"
#include "runtime/ProgramTexts.h"

#include <QAction>
#include <QDBusConnection>
#include <QDBusError>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusServiceWatcher>
#include <QDBusVariant>
#include <QMenu>
#include <QSystemTrayIcon>

static void initStatusPictures() {
    Q_INIT_RESOURCE(status); // the icon's pictures, linked in from a static library
}

namespace desk {

namespace {

constexpr std::int64_t kMinuteMs = 60'000;
// The desktop's panel that shows StatusNotifierItems (KDE, XFCE, Cinnamon, GNOME's AppIndicator
// extension) owns this name on the session bus; Qt's icon goes there when it is.
const QString kWatcher = QStringLiteral("org.kde.StatusNotifierWatcher");
const QString kWatcherPath = QStringLiteral("/StatusNotifierWatcher");
// The first answer of the bus about the watcher: no icon is made before it.
constexpr int kAskTimeoutMs = 5000;
// A new XEmbed tray's moment before the icon docks in it.
constexpr int kSettleMs = 250;
// The update comes this long after the minute has turned, never a moment before it.
constexpr int kLateMs = 20;

// The bus's answer for a name that no one owns: "NameHasNoOwner" when nothing may be started
// for it, "ServiceUnknown" otherwise.
bool nobodyThere(const QDBusError& error) {
    return error.type() == QDBusError::ServiceUnknown ||
           error.name() == QLatin1String("org.freedesktop.DBus.Error.NameHasNoOwner");
}

bool due(const CountdownView& c, std::int64_t nowMs) {
    return c.state == CountdownView::State::Counting && c.dueMs <= nowMs;
}

// "44 min", "1 h", "2 h 5 min": whole minutes, rounded up.
QString minutes(std::int64_t ms) {
    const std::int64_t m = (ms + kMinuteMs - 1) / kMinuteMs;
    if (m < 60)
        return QStringLiteral("%1 min").arg(m);
    if (m % 60 == 0)
        return QStringLiteral("%1 h").arg(m / 60);
    return QStringLiteral("%1 h %2 min").arg(m / 60).arg(m % 60);
}

QString part(const char* name, const CountdownView& c, std::int64_t nowMs) {
    const QString n = QString::fromUtf8(name);
    switch (c.state) {
    case CountdownView::State::Off:
        return n + QStringLiteral(": aus");
    case CountdownView::State::Stopped:
        return n + QStringLiteral(": angehalten");
    case CountdownView::State::Prompt:
        return n + QStringLiteral(": jetzt");
    case CountdownView::State::Counting:
        break;
    }
    if (c.dueMs <= nowMs)
        return n + QStringLiteral(": wartet");
    return n + QStringLiteral(" in ") + minutes(c.dueMs - nowMs);
}

const char* pictureName(StatusPicture picture) {
    switch (picture) {
    case StatusPicture::Off:
        return "off";
    case StatusPicture::Waiting:
        return "waiting";
    case StatusPicture::Due:
        return "due";
    case StatusPicture::Paused:
        return "paused";
    case StatusPicture::Running:
        break;
    }
    return "running";
}

} // namespace

StatusView viewOf(const BoardStatus& b) {
    using C = BoardStatus::Countdown;
    using S = CountdownView::State;
    // Held still only beside the other one's prompt; stopped for any other reason (a sequence,
    // the pause, an open window), it shows as off.
    const auto countdown = [&b](const BoardStatus::Reminder& r) {
        static constexpr S kStates[] = {S::Off, S::Counting, S::Stopped, S::Counting, S::Prompt};
        const S state = r.state == C::Stopped && !b.promptShown() ? S::Off : kStates[int(r.state)];
        return CountdownView{state, r.dueMs};
    };
    StatusView v;
    v.timeSwitchOn = b.timeSwitchOn;
    v.pauseCaption = b.pauseCaption;
    v.sequence = b.sequence;
    v.train = countdown(b.train);
    v.dog = countdown(b.watchdog);
    v.waitsSmall =
        b.timeSwitchOn && b.size == BoardStatus::Size::Small && !b.promptShown() && b.sequence < 0;
    v.postponeMinutes = b.canPostpone ? b.postponeMinutes : 0;
    static_assert(int(C::Shown) == 4, "one state of the icon for each of the board's");
    return v;
}

StatusPicture pictureOf(const StatusView& v, std::int64_t nowMs) {
    using S = CountdownView::State;
    if (v.sequence >= 0)
        return StatusPicture::Running;
    if (v.train.state == S::Prompt || v.dog.state == S::Prompt || due(v.train, nowMs) ||
        due(v.dog, nowMs))
        return StatusPicture::Due;
    if (!v.pauseCaption.isEmpty())
        return StatusPicture::Paused;
    if (v.timeSwitchOn && (v.train.state == S::Counting || v.dog.state == S::Counting))
        return StatusPicture::Waiting;
    return StatusPicture::Off;
}

QString toolTipOf(const StatusView& v, std::int64_t nowMs) {
    if (v.sequence >= 0 && v.sequence < int(rt::kSequenceNames.size()))
        return QString::fromUtf8(rt::kSequenceNames[size_t(v.sequence)]) +
               QStringLiteral(" laufen");
    if (!v.pauseCaption.isEmpty())
        return QStringLiteral("Erinnerungen: ") + v.pauseCaption;
    const CountdownView off;
    const CountdownView& train = v.timeSwitchOn ? v.train : off;
    const CountdownView& dog = v.timeSwitchOn ? v.dog : off;
    return part("Training", train, nowMs) + QStringLiteral(" · ") + part("Wachhund", dog, nowMs);
}

std::int64_t nextChangeMs(const StatusView& v, std::int64_t nowMs) {
    if (v.sequence >= 0 || !v.pauseCaption.isEmpty() || !v.timeSwitchOn)
        return -1;
    std::int64_t next = -1;
    for (const CountdownView* c : {&v.train, &v.dog}) {
        if (c->state != CountdownView::State::Counting || c->dueMs <= nowMs)
            continue;
        // Until the shown minutes drop by one (or the countdown ends).
        const std::int64_t wait = (c->dueMs - nowMs - 1) % kMinuteMs + 1;
        if (next < 0 || wait < next)
            next = wait;
    }
    return next;
}

// ---------------------------------------------------------------- the panels

PanelTracker::Kind PanelTracker::wanted() const {
    switch (kind_) {
    case Kind::StatusNotifier:
        return Kind::StatusNotifier;
    case Kind::XEmbed:
        return xembed_ ? Kind::XEmbed : Kind::None;
    case Kind::None:
        break;
    }
    // Qt asks the watcher the same question once, when the first icon is made.
    if (notifier_ == Notifier::Unknown)
        return Kind::None;
    if (notifier_ == Notifier::Ready)
        return Kind::StatusNotifier;
    return xembed_ ? Kind::XEmbed : Kind::None;
}

void PanelTracker::made(Kind kind) {
    if (kind_ == Kind::None)
        kind_ = kind;
}

bool PanelTracker::inPanel(bool iconMade) const {
    if (!iconMade)
        return false;
    switch (kind_) {
    case Kind::StatusNotifier:
        return notifier_ == Notifier::NoHost || notifier_ == Notifier::Ready;
    case Kind::XEmbed:
        return xembed_;
    case Kind::None:
        break;
    }
    return false;
}

// ---------------------------------------------------------------- the icon

StatusIcon::StatusIcon(rt::Clock& clock, std::function<StatusView()> read, StatusActions actions,
                       Pause& pause)
    : clock_(clock), read_(std::move(read)), actions_(std::move(actions)), pause_(pause),
      menu_(std::make_unique<QMenu>()) {
    minute_.setSingleShot(true);
    minute_.setTimerType(Qt::PreciseTimer);
    connect(&minute_, &QTimer::timeout, this, [this] { update(); });
    settle_.setSingleShot(true);
    settle_.setInterval(kSettleMs);
    connect(&settle_, &QTimer::timeout, this, [this] {
        if (!tray_ && tracker_.wanted() == PanelTracker::Kind::XEmbed)
            make(PanelTracker::Kind::XEmbed);
        changed();
    });
}

StatusIcon::~StatusIcon() {
    // The panel's icon goes before the menu it shows.
    panelWatch_.reset();
    tray_.reset();
}

void StatusIcon::show() {
    if (watching_)
        return;
    watching_ = true;
    follow();
    watchNotifier();
    update();
}

// The watcher's name on the session bus, told by the bus as it comes and goes; whether a host
// is registered is asked without waiting for the answer, and heard when one registers later.
void StatusIcon::watchNotifier() {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        tracker_.setNotifier(PanelTracker::Notifier::Absent);
        sync();
        return;
    }
    panelWatch_ = std::make_unique<QDBusServiceWatcher>(
        kWatcher, bus,
        QDBusServiceWatcher::WatchForRegistration | QDBusServiceWatcher::WatchForUnregistration);
    connect(panelWatch_.get(), &QDBusServiceWatcher::serviceRegistered, this, [this] {
        // There; with a host or not is asked anew.
        tracker_.setNotifier(PanelTracker::Notifier::NoHost);
        askNotifier();
        sync();
    });
    connect(panelWatch_.get(), &QDBusServiceWatcher::serviceUnregistered, this, [this] {
        ++asked_;
        tracker_.setNotifier(PanelTracker::Notifier::Absent);
        sync();
    });
    // From whichever connection owns the watcher's name: naming the sender would make Qt ask the
    // bus for the name's owner, and wait for the answer.
    bus.connect(QString(), kWatcherPath, kWatcher, QStringLiteral("StatusNotifierHostRegistered"),
                this, SLOT(hostRegistered()));
    askNotifier();
}

void StatusIcon::askNotifier() {
    QDBusMessage get = QDBusMessage::createMethodCall(
        kWatcher, kWatcherPath, QStringLiteral("org.freedesktop.DBus.Properties"),
        QStringLiteral("Get"));
    get << kWatcher << QStringLiteral("IsStatusNotifierHostRegistered");
    get.setAutoStartService(false); // a panel is not started by asking for it
    const int question = ++asked_;
    auto* answer = new QDBusPendingCallWatcher(
        QDBusConnection::sessionBus().asyncCall(get, kAskTimeoutMs), this);
    connect(answer, &QDBusPendingCallWatcher::finished, this,
            [this, question](QDBusPendingCallWatcher* call) {
                call->deleteLater();
                if (question != asked_)
                    return;
                const QDBusPendingReply<QDBusVariant> reply = *call;
                using N = PanelTracker::Notifier;
                // No one owns the name (the reply from the bus itself), or a watcher that does
                // not answer the question: Qt would take that for no host as well.
                if (reply.isError())
                    tracker_.setNotifier(nobodyThere(reply.error()) ? N::Absent : N::NoHost);
                else
                    tracker_.setNotifier(reply.value().variant().toBool() ? N::Ready : N::NoHost);
                sync();
            });
}

void StatusIcon::hostRegistered() {
    if (tracker_.notifier() == PanelTracker::Notifier::Absent)
        return; // a signal from a watcher already gone
    ++asked_;
    tracker_.setNotifier(PanelTracker::Notifier::Ready);
    sync();
}

void StatusIcon::setXEmbedTray(bool owned) {
    if (owned == tracker_.xembed())
        return;
    tracker_.setXEmbed(owned);
    sync();
}

QString StatusIcon::panelName() const {
    if (!inPanel())
        return {};
    return tracker_.kind() == PanelTracker::Kind::StatusNotifier
               ? QStringLiteral("StatusNotifierItem")
               : QStringLiteral("XEmbed");
}

void StatusIcon::sync() {
    using K = PanelTracker::Kind;
    const K want = tracker_.wanted();
    if (want == K::None) {
        settle_.stop();
        // Qt's XEmbed icon keeps a window of its own for the tray that has gone: dropped, and
        // made anew for the next tray, which it then docks in.
        tray_.reset();
    } else if (!tray_ && want == K::XEmbed) {
        // A tray that has just taken the selection is given a moment: Qt's own connection has
        // to hear of the end of the one before.
        if (!settle_.isActive())
            settle_.start();
    } else if (!tray_) {
        make(want);
    }
    changed();
}

void StatusIcon::make(PanelTracker::Kind kind) {
    settle_.stop();
    tray_ = std::make_unique<QSystemTrayIcon>();
    tracker_.made(kind);
    tray_->setContextMenu(menu_.get());
    connect(
        tray_.get(), &QSystemTrayIcon::activated, this,
        [this](QSystemTrayIcon::ActivationReason reason) {
            if ((reason == QSystemTrayIcon::Trigger || reason == QSystemTrayIcon::DoubleClick) &&
                actions_.show)
                actions_.show();
        });
    pictureSet_ = false;
    toolTipSet_ = false;
    update();
    tray_->show();
}

void StatusIcon::follow() {
    following_ = true;
}

void StatusIcon::changed() {
    if (!following_ || pending_)
        return;
    pending_ = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            if (pending_)
                update();
        },
        Qt::QueuedConnection);
}

void StatusIcon::update() {
    pending_ = false;
    const StatusView view = read_();
    const std::int64_t now = clock_.nowMs();
    const StatusPicture picture = pictureOf(view, now);
    const QString tip = toolTipOf(view, now);
    if (tray_ && (!pictureSet_ || picture != picture_))
        tray_->setIcon(icon(picture));
    pictureSet_ = tray_ != nullptr;
    if (tray_ && (!toolTipSet_ || tip != toolTip_))
        tray_->setToolTip(tip);
    toolTipSet_ = tray_ != nullptr;
    picture_ = picture;
    toolTip_ = tip;
    buildMenu(view);
    const std::int64_t next = nextChangeMs(view, now);
    // Without an icon in a panel no one reads the minutes: waiting for a panel costs no timer.
    if (next < 0 || (watching_ && !tray_))
        minute_.stop();
    else
        minute_.start(int(std::min<std::int64_t>(next, kMinuteMs)) + kLateMs);
    if (onUpdate)
        onUpdate(view);
}

int StatusIcon::nextUpdateMs() const {
    return minute_.isActive() ? minute_.interval() : -1;
}

// Built anew only when the time switch or the pause changed: a panel reads the menu again after
// every change.
void StatusIcon::buildMenu(const StatusView& view) {
    const bool paused = pause_.active();
    if (built_ && view.timeSwitchOn == builtTimeSwitch_ && paused == builtPaused_ &&
        view.postponeMinutes == builtPostpone_)
        return;
    built_ = true;
    builtTimeSwitch_ = view.timeSwitchOn;
    builtPaused_ = paused;
    builtPostpone_ = view.postponeMinutes;
    QMenu* m = menu_.get();
    m->clear();
    for (QMenu* sub : m->findChildren<QMenu*>(Qt::FindDirectChildrenOnly))
        delete sub;
    if (view.postponeMinutes > 0) {
        m->addAction(QStringLiteral("&Später (%1 Min.)").arg(view.postponeMinutes), [this] {
            if (actions_.postpone)
                actions_.postpone();
        });
        m->addSeparator();
    }
    for (size_t i = 0; i < rt::kSequenceNames.size(); ++i)
        m->addAction(QString::fromUtf8(rt::kSequenceNames[i]), [this, i] {
            if (actions_.sequence[i])
                actions_.sequence[i]();
        });
    m->addSeparator();
    QAction* clock = m->addAction(QStringLiteral("&Zeitschaltuhr"), [this] {
        if (actions_.timeSwitch)
            actions_.timeSwitch();
    });
    clock->setCheckable(true);
    clock->setChecked(view.timeSwitchOn);
    pause_.addTo(m);
    m->addSeparator();
    const std::pair<const char*, std::function<void()>*> entries[] = {
        {"&Quillet zeigen", &actions_.show},
        {"&Einstellungen …", &actions_.settings},
        {"&Verlauf …", &actions_.history},
        {"&Hilfe", &actions_.help},
    };
    for (const auto& [text, action] : entries)
        m->addAction(QString::fromUtf8(text), [action] {
            if (*action)
                (*action)();
        });
    m->addSeparator();
    m->addAction(QStringLiteral("&Beenden"), [this] {
        if (actions_.quit)
            actions_.quit();
    });
}

QIcon StatusIcon::icon(StatusPicture picture) {
    initStatusPictures();
    QIcon icon;
    for (int size : {16, 22, 24, 32, 48})
        icon.addFile(
            QStringLiteral(":/status/%1-%2.png").arg(QLatin1String(pictureName(picture))).arg(size),
            QSize(size, size));
    return icon;
}

// ---------------------------------------------------------------- the wait in the panel

bool PanelWait::hideNow(bool enabled, bool inPanel, bool waitsSmall) {
    const bool began = waitsSmall && (!waited_ || (inPanel && !inPanel_));
    waited_ = waitsSmall;
    inPanel_ = inPanel;
    return began && enabled && inPanel;
}

} // namespace desk
