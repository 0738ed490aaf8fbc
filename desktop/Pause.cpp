#include "desktop/Pause.h"

#include "desktop/Preferences.h"

#include <QAction>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QKeySequence>
#include <QMenu>
#include <QShortcut>
#include <QSocketNotifier>
#include <QWidget>

#include <algorithm>
#include <cstdint>

#include <sys/timerfd.h>
#include <time.h>
#include <unistd.h>

namespace desk {

namespace {
constexpr qint64 kCheckMs = 60'000; // the end is looked at once a minute, and on time
constexpr qint64 kLateMs = 50;      // a check comes this long after the moment it waits for
} // namespace

// Linux tells a timer on the wall clock that asks for it (TFD_TIMER_CANCEL_ON_SET) when the
// clock was set, and again when the machine woke; Qt's timers run on a clock that stands still
// during a sleep and never hear of a clock set by hand. The timer itself is armed years ahead:
// only the cancellation is listened to.
struct Pause::ClockWatch {
    explicit ClockWatch(std::function<void()> told) : told_(std::move(told)) {
        fd_ = ::timerfd_create(CLOCK_REALTIME, TFD_NONBLOCK | TFD_CLOEXEC);
        if (fd_ < 0 || !arm())
            return;
        notifier_ = std::make_unique<QSocketNotifier>(fd_, QSocketNotifier::Read);
        QObject::connect(notifier_.get(), &QSocketNotifier::activated, notifier_.get(), [this] {
            std::uint64_t expirations = 0;
            while (::read(fd_, &expirations, sizeof expirations) > 0) {
            }
            // Cancelled (or, years on, expired): armed again before the news is passed on.
            if (!arm())
                notifier_->setEnabled(false);
            told_();
        });
    }
    ~ClockWatch() {
        notifier_.reset();
        if (fd_ >= 0)
            ::close(fd_);
    }
    ClockWatch(const ClockWatch&) = delete;
    ClockWatch& operator=(const ClockWatch&) = delete;

    bool arm() {
        itimerspec at{};
        ::clock_gettime(CLOCK_REALTIME, &at.it_value);
        at.it_value.tv_sec += 10 * 365 * 24 * 3600;
        return ::timerfd_settime(fd_, TFD_TIMER_ABSTIME | TFD_TIMER_CANCEL_ON_SET, &at, nullptr) ==
               0;
    }

    std::function<void()> told_;
    int fd_ = -1;
    std::unique_ptr<QSocketNotifier> notifier_;
};

Pause::Pause(Hooks hooks) : hooks_(std::move(hooks)) {
    timer_.setSingleShot(true);
    timer_.setTimerType(Qt::CoarseTimer);
    QObject::connect(&timer_, &QTimer::timeout, [this] { check(); });
}

Pause::~Pause() = default;

QString Pause::choiceText(int choice) {
    switch (choice) {
    case 0:
        return QStringLiteral("30 Minuten");
    case 1:
        return QStringLiteral("1 Stunde");
    case 2:
        return QStringLiteral("2 Stunden");
    default:
        return QStringLiteral("Bis morgen früh (6:00)");
    }
}

QDateTime Pause::choiceEnd(int choice, const QDateTime& now) {
    return pauseEnd(PauseChoice(std::clamp(choice, 0, kChoices - 1)), now);
}

QString Pause::caption(const QDateTime& end, const QDateTime& now) {
    const QString time = end.toString(QStringLiteral("H:mm"));
    if (end.date() == now.date())
        return QStringLiteral("Pause bis ") + time;
    if (end.date() == now.date().addDays(1))
        return QStringLiteral("Pause bis morgen, ") + time;
    return QStringLiteral("Pause bis ") + end.toString(QStringLiteral("d.M.yyyy H:mm"));
}

void Pause::until(const QDateTime& end) {
    end_ = end;
    if (hooks_.store)
        hooks_.store(end_);
    const QDateTime now = hooks_.now();
    if (!end_.isValid() || end_ <= now) {
        resume();
        return;
    }
    told_.clear();
    tell(now);
    if (!clockWatch_)
        // Checked from the event loop: the check may end the pause, and the watch with it.
        clockWatch_ = std::make_unique<ClockWatch>(
            [this] { QTimer::singleShot(0, &timer_, [this] { check(); }); });
    arm();
}

void Pause::resume() {
    timer_.stop();
    clockWatch_.reset();
    told_.clear();
    const bool was = end_.isValid();
    end_ = QDateTime();
    if (was && hooks_.store)
        hooks_.store(end_);
    if (hooks_.resume)
        hooks_.resume();
}

void Pause::check() {
    if (!active())
        return;
    const QDateTime now = hooks_.now();
    if (end_ <= now) {
        resume();
        return;
    }
    tell(now);
    arm();
}

// The caption as the time of day has it now ("morgen" only before midnight), handed to the board
// when its words changed.
void Pause::tell(const QDateTime& now) {
    const QString words = caption(end_, now);
    if (words == told_)
        return;
    told_ = words;
    if (hooks_.pause)
        hooks_.pause(words);
}

// Until the end or the next local midnight, a minute at most: a clock changed in a way the system
// does not tell is noticed within a minute.
void Pause::arm() {
    const QDateTime now = hooks_.now();
    // A midnight that a change of summer time skips is no moment to wait for.
    const QDateTime midnight(now.date().addDays(1), QTime(0, 0));
    const qint64 toMidnight =
        midnight.isValid() && midnight > now ? now.msecsTo(midnight) : kCheckMs;
    const qint64 wait = std::min({now.msecsTo(end_), toMidnight, kCheckMs});
    timer_.start(int(std::clamp<qint64>(wait + kLateMs, kLateMs, kCheckMs + kLateMs)));
}

int Pause::nextCheckMs() const {
    return timer_.isActive() ? timer_.interval() : -1;
}

void Pause::addTo(QMenu* menu) {
    if (active()) {
        menu->addAction(QStringLiteral("Erinnerungen &fortsetzen"), [this] { resume(); });
        return;
    }
    QMenu* sub = menu->addMenu(QStringLiteral("Erinnerungen &pausieren"));
    for (int i = 0; i < kChoices; ++i)
        sub->addAction(choiceText(i), [this, i] { until(choiceEnd(i, hooks_.now())); });
}

BoardMenu::BoardMenu(QWidget* board, Pause& pause) : board_(board), pause_(pause) {
    board_->setContextMenuPolicy(Qt::CustomContextMenu);
    // The menu key asks as a right click does; only the click holds a button down.
    QObject::connect(board_, &QWidget::customContextMenuRequested, [this](const QPoint& at) {
        popup(board_->mapToGlobal(at), QGuiApplication::mouseButtons() == Qt::NoButton);
    });
    auto* key = new QShortcut(QKeySequence(Qt::SHIFT | Qt::Key_F10), board_);
    key->setContext(Qt::WindowShortcut);
    QObject::connect(key, &QShortcut::activated,
                     [this] { popup(board_->mapToGlobal(board_->rect().center()), true); });
}

void BoardMenu::addEntry(const QString& text, std::function<void()> action) {
    entries_.append({text, std::move(action)});
}

QMenu* BoardMenu::build(QWidget* parent) {
    auto* menu = new QMenu(parent);
    pause_.addTo(menu);
    if (!entries_.isEmpty())
        menu->addSeparator();
    for (const auto& [text, action] : entries_)
        menu->addAction(text, action);
    return menu;
}

QMenu* BoardMenu::popup(const QPoint& global, bool byKeyboard) {
    QMenu* menu = build(board_);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(global);
    // As the first arrow key would: the entry is selected, a submenu stays closed.
    if (byKeyboard) {
        QKeyEvent down(QEvent::KeyPress, Qt::Key_Down, Qt::NoModifier);
        QCoreApplication::sendEvent(menu, &down);
    }
    return menu;
}

} // namespace desk
