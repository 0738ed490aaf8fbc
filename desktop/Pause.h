#pragma once

#include <QDateTime>
#include <QString>
#include <QTimer>

#include <functional>

class QMenu;
class QWidget;

namespace desk {

// "Erinnerungen pausieren": no reminder until a time of day the user chose, shown in the caption
// ("Pause bis 15:30"). The end is a time of day, so it is read on the wall clock, once a minute at
// most, and it survives a restart of the program through the stored end.
class Pause {
public:
    struct Hooks {
        std::function<void(const QString& caption)> pause; // the board stops its countdowns
        std::function<void()> resume;                      // and starts them afresh
        std::function<void(const QDateTime& end)> store;   // invalid: no pause
        std::function<QDateTime()> now = [] { return QDateTime::currentDateTime(); };
    };
    explicit Pause(Hooks hooks);

    // The choices of the menu, in its order: 30 minutes, 1 hour, 2 hours, tomorrow morning.
    static constexpr int kChoices = 4;
    static QString choiceText(int choice);
    static QDateTime choiceEnd(int choice, const QDateTime& now);
    static QString caption(const QDateTime& end, const QDateTime& now);

    // Pauses until `end`; an end already past resumes at once (a pause stored before a restart
    // that has run out meanwhile).
    void until(const QDateTime& end);
    void resume();
    bool active() const { return end_.isValid(); }
    QDateTime end() const { return end_; }

    // Adds the pause entries to a menu: the choices, or "Erinnerungen fortsetzen" while paused.
    void addTo(QMenu* menu);
    // Checks whether the end has come (also called by the minute's timer).
    void check();

private:
    void arm();

    Hooks hooks_;
    QDateTime end_;
    QTimer timer_;
};

// The board's context menu (right click, the menu key or Shift+F10): the pause and whatever the
// program adds to it.
class BoardMenu {
public:
    BoardMenu(QWidget* board, Pause& pause);
    // Entries after the pause, in order: text and what it does.
    void addEntry(const QString& text, std::function<void()> action);
    // Builds the menu as it stands now (for tests and the keyboard).
    QMenu* build(QWidget* parent);

private:
    void popup(const QPoint& global);

    QWidget* board_;
    Pause& pause_;
    QList<QPair<QString, std::function<void()>>> entries_;
};

} // namespace desk
