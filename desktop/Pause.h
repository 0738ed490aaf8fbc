#pragma once

#include <QDateTime>
#include <QString>
#include <QTimer>

#include <functional>
#include <memory>

class QMenu;
class QWidget;

namespace desk {

// "Erinnerungen pausieren": no reminder until a time of day the user chose, shown in the caption
// ("Pause bis 15:30", "Pause bis morgen, 6:00"). The end is a time of day, so it is read on the
// wall clock: at the end, at each local midnight (where "morgen" becomes today), right after the
// clock was set or the machine woke, and once a minute besides. The words are made afresh from
// the time of day each time, and handed to the board again when they change. The pause survives
// a restart of the program through the stored end.
class Pause {
public:
    struct Hooks {
        std::function<void(const QString& caption)> pause; // the board stops its countdowns
        std::function<void()> resume;                      // and starts them afresh
        std::function<void(const QDateTime& end)> store;   // invalid: no pause
        std::function<QDateTime()> now = [] { return QDateTime::currentDateTime(); };
    };
    explicit Pause(Hooks hooks);
    ~Pause();
    Pause(const Pause&) = delete;
    Pause& operator=(const Pause&) = delete;

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

    // Adds the pause entries to a menu: the choices, or "Erinnerungen &fortsetzen" while paused.
    void addTo(QMenu* menu);
    // Checks whether the end has come and whether the caption's words still hold (called by the
    // timer, and when the wall clock was set or the machine woke).
    void check();
    // Milliseconds until the next check by the timer; -1 when not paused.
    int nextCheckMs() const;

private:
    void arm();
    void tell(const QDateTime& now);

    Hooks hooks_;
    QDateTime end_;
    QString told_; // the caption the board shows
    QTimer timer_;
    struct ClockWatch;
    std::unique_ptr<ClockWatch> clockWatch_;
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

    // Opens the menu at `global`. Opened by a key, its first entry is selected, so that the
    // keyboard and a screen reader start there; opened by the mouse, none is.
    QMenu* popup(const QPoint& global, bool byKeyboard);

private:
    QWidget* board_;
    Pause& pause_;
    QList<QPair<QString, std::function<void()>>> entries_;
};

} // namespace desk
