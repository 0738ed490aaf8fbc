#include "desktop/Pause.h"

#include "desktop/Preferences.h"

#include <QAction>
#include <QKeySequence>
#include <QMenu>
#include <QShortcut>
#include <QWidget>

#include <algorithm>

namespace desk {

namespace {
constexpr qint64 kCheckMs = 60'000; // the end is looked at once a minute, and on time
}

Pause::Pause(Hooks hooks) : hooks_(std::move(hooks)) {
    timer_.setSingleShot(true);
    timer_.setTimerType(Qt::CoarseTimer);
    QObject::connect(&timer_, &QTimer::timeout, [this] { check(); });
}

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
    if (!end_.isValid() || end_ <= hooks_.now()) {
        resume();
        return;
    }
    if (hooks_.pause)
        hooks_.pause(caption(end_, hooks_.now()));
    arm();
}

void Pause::resume() {
    timer_.stop();
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
    // The caption may have to say "morgen" no longer.
    if (hooks_.pause && now.time() < QTime(0, 1))
        hooks_.pause(caption(end_, now));
    arm();
}

// A minute at most: a sleep or a change of the clock is noticed within a minute of it.
void Pause::arm() {
    timer_.start(int(std::clamp<qint64>(hooks_.now().msecsTo(end_) + 50, 50, kCheckMs)));
}

void Pause::addTo(QMenu* menu) {
    if (active()) {
        menu->addAction(QStringLiteral("Erinnerungen fortsetzen"), [this] { resume(); });
        return;
    }
    QMenu* sub = menu->addMenu(QStringLiteral("Erinnerungen &pausieren"));
    for (int i = 0; i < kChoices; ++i)
        sub->addAction(choiceText(i), [this, i] { until(choiceEnd(i, hooks_.now())); });
}

BoardMenu::BoardMenu(QWidget* board, Pause& pause) : board_(board), pause_(pause) {
    board_->setContextMenuPolicy(Qt::CustomContextMenu);
    QObject::connect(board_, &QWidget::customContextMenuRequested,
                     [this](const QPoint& at) { popup(board_->mapToGlobal(at)); });
    auto* key = new QShortcut(QKeySequence(Qt::SHIFT | Qt::Key_F10), board_);
    key->setContext(Qt::WindowShortcut);
    QObject::connect(key, &QShortcut::activated,
                     [this] { popup(board_->mapToGlobal(board_->rect().center())); });
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

void BoardMenu::popup(const QPoint& global) {
    QMenu* menu = build(board_);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(global);
}

} // namespace desk
