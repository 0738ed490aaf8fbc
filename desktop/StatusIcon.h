#pragma once

#include "runtime/Clock.h"

#include <QIcon>
#include <QObject>
#include <QString>
#include <QTimer>

#include <array>
#include <cstdint>
#include <functional>
#include <memory>

class QDBusServiceWatcher;
class QMenu;
class QSystemTrayIcon;

namespace desk {

class Pause;

// One of the board's two countdowns, as the panel tells of it.
struct CountdownView {
    enum class State {
        Off,      // switched off in the settings, or the time switch is off
        Counting, // running down to `dueMs`
        Stopped,  // held still while the other one's prompt is on the screen
        Prompt,   // its prompt is on the screen
    };
    State state = State::Off;
    std::int64_t dueMs = 0; // when Counting: the moment it falls due, on the board's clock
};

// The board as the status icon shows it, read afresh after every change of the board.
struct StatusView {
    bool timeSwitchOn = false;
    QString pauseCaption; // empty unless the reminders are paused ("Pause bis 15:30")
    int sequence = -1;    // the sequence on the board: 0 breathing .. 3 relaxation; -1 none
    CountdownView train;
    CountdownView dog;
    // The board waits in its small window for the next reminder (counting, held or paused).
    bool waitsSmall = false;
};

// The pictures of the icon: the time switch off, waiting, a reminder due or held (the red
// light of the clock button), the reminders paused, a sequence running.
enum class StatusPicture { Off, Waiting, Due, Paused, Running };

StatusPicture pictureOf(const StatusView& view, std::int64_t nowMs);
// "Training in 44 min · Wachhund in 9 min", in whole minutes rounded up.
QString toolTipOf(const StatusView& view, std::int64_t nowMs);
// Milliseconds until the picture or the tooltip change by the passing of time alone (the next
// whole minute of a countdown, or its end); -1 when only a change of the board changes them.
std::int64_t nextChangeMs(const StatusView& view, std::int64_t nowMs);

// What the icon's menu does.
struct StatusActions {
    std::array<std::function<void()>, 4> sequence; // breathing, yoga, eyes, relaxation
    std::function<void()> timeSwitch;              // on when off, off when on
    std::function<void()> show;                    // the board in front (also a left click)
    std::function<void()> settings;
    std::function<void()> history; // the window "Verlauf"
    std::function<void()> help;
    std::function<void()> quit;
};

// The icon in the desktop's panel (a StatusNotifierItem over D-Bus, or the XEmbed tray where that
// is all there is): its picture shows the board's state, its tooltip both countdowns, its menu
// the board's commands. It changes only when the board changes and at the next whole minute of
// a countdown; waiting costs no timer of its own beyond that.
class StatusIcon : public QObject {
public:
    StatusIcon(rt::Clock& clock, std::function<StatusView()> read, StatusActions actions,
               Pause& pause);
    ~StatusIcon() override;

    // Whether this desktop has a panel that shows icons (asks the session bus or the X server).
    static bool panelAvailable();
    // Puts the icon into the panel and follows the board from now on.
    void show();
    bool shown() const { return tray_ != nullptr; }
    // The icon is in a panel now: shown, and the panel's service has not gone away since.
    bool inPanel() const { return tray_ != nullptr && !panelGone_; }
    // Which way the icon went to the panel: "StatusNotifierItem" or "XEmbed"; empty when not.
    QString panelName() const { return panelName_; }
    // Follows the board without an icon in a panel (for tests).
    void follow();

    // The board changed: picture, tooltip and menu follow once the handler that changed it has
    // returned, however often it was told.
    void changed();
    // Brings picture, tooltip and menu up to date now.
    void update();

    StatusPicture picture() const { return picture_; }
    QString toolTip() const { return toolTip_; }
    QMenu* menu() const { return menu_.get(); }
    // Milliseconds until the next update by the clock; -1 when none is waited for.
    int nextUpdateMs() const;
    // The picture in the sizes a panel asks for (16, 22, 24, 32 and 48 pixels).
    static QIcon icon(StatusPicture picture);

    // After every update, with the board as it was read (also when the panel went away or came
    // back).
    std::function<void(const StatusView&)> onUpdate;

private:
    void buildMenu(const StatusView& view);

    rt::Clock& clock_;
    std::function<StatusView()> read_;
    StatusActions actions_;
    Pause& pause_;
    std::unique_ptr<QMenu> menu_;
    std::unique_ptr<QSystemTrayIcon> tray_;
    std::unique_ptr<QDBusServiceWatcher> panelWatch_;
    bool panelGone_ = false;
    QString panelName_;
    QTimer minute_;
    bool following_ = false;
    bool pending_ = false;
    bool built_ = false;
    bool builtTimeSwitch_ = false;
    bool builtPaused_ = false;
    StatusPicture picture_ = StatusPicture::Off;
    bool pictureSet_ = false;
    QString toolTip_;
};

// Whether the board, waiting in its small window, goes to the panel instead: on a change into
// that wait with the setting on and the icon in the panel. A board the user brought back stays
// until the next change into the wait. Returns whether to hide it now, and remembers the wait.
class PanelWait {
public:
    bool hideNow(bool enabled, bool iconShown, bool waitsSmall);

private:
    bool waited_ = false;
};

} // namespace desk
