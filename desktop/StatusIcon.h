#pragma once

#include "app/BoardStatus.h"
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
    // While a prompt on the screen may be put off ("Später"): by how many minutes; else 0.
    int postponeMinutes = 0;
};

// The board's status as the icon shows it: a prompt held counts as due, a sequence hides the
// countdowns' small window.
StatusView viewOf(const BoardStatus& status);

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
    std::function<void()> postpone;                // "Später": the prompt on the screen put off
    std::function<void()> show;                    // the board in front (also a left click)
    std::function<void()> settings;
    std::function<void()> history; // the window "Verlauf"
    std::function<void()> help;
    std::function<void()> quit;
};

// Which panel the icon goes to, as panels come and go: the StatusNotifierWatcher on the session
// bus (KDE, XFCE, Cinnamon, GNOME's AppIndicator extension) and the XEmbed tray of the X server
// (trayer, stalonetray, older panels). Qt chooses the way of all the program's icons once, when
// it makes the first (over D-Bus when a host is registered with the watcher then, else the
// XEmbed tray), and keeps that choice; so no icon is made before the bus has answered, the
// first panel decides, and after that only a panel of the chosen kind shows the icon.
class PanelTracker {
public:
    enum class Kind { None, StatusNotifier, XEmbed };
    // What the session bus says of the watcher: not asked yet, not there, there without a host
    // (the panel that shows the items), there with one.
    enum class Notifier { Unknown, Absent, NoHost, Ready };

    void setNotifier(Notifier notifier) { notifier_ = notifier; }
    Notifier notifier() const { return notifier_; }
    void setXEmbed(bool owned) { xembed_ = owned; }
    bool xembed() const { return xembed_; }

    // The way an icon would go now; None: no icon now (no panel yet, or the chosen kind's has
    // gone). A StatusNotifierItem stays while its watcher is away: Qt registers it again with
    // the next one.
    Kind wanted() const;
    // The icon was made the way `wanted()` said: that way is the program's from now on.
    void made(Kind kind);
    Kind kind() const { return kind_; }
    // A panel of the icon's kind is there (and the icon exists, `iconMade`).
    bool inPanel(bool iconMade) const;

private:
    Notifier notifier_ = Notifier::Unknown;
    bool xembed_ = false;
    Kind kind_ = Kind::None;
};

// The icon in the desktop's panel (a StatusNotifierItem over D-Bus, or the XEmbed tray where that
// is all there is): its picture shows the board's state, its tooltip both countdowns, its menu
// the board's commands. It changes only when the board changes and at the next whole minute of
// a countdown; waiting costs no timer of its own beyond that. A panel that starts after the
// program gets the icon then; one that ends takes it along, and it comes back with the panel.
class StatusIcon : public QObject {
    Q_OBJECT

public:
    StatusIcon(rt::Clock& clock, std::function<StatusView()> read, StatusActions actions,
               Pause& pause);
    ~StatusIcon() override;

    // Follows the board from now on, and puts the icon into a panel whenever there is one: the
    // StatusNotifierWatcher is watched here, asynchronously; the XEmbed tray is told through
    // setXEmbedTray().
    void show();
    // Whether the X server's XEmbed tray is there (its selection has an owner).
    void setXEmbedTray(bool owned);
    bool shown() const { return tray_ != nullptr; }
    // The icon is in a panel now.
    bool inPanel() const { return tracker_.inPanel(tray_ != nullptr); }
    // Which way the icon is in the panel: "StatusNotifierItem" or "XEmbed"; empty when not.
    QString panelName() const;
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

    // After every update, with the board as it was read (also when a panel came or went).
    std::function<void(const StatusView&)> onUpdate;

private Q_SLOTS:
    void hostRegistered();

private:
    void buildMenu(const StatusView& view);
    void watchNotifier();
    void askNotifier();
    // Makes or drops the icon as the panels stand.
    void sync();
    void make(PanelTracker::Kind kind);

    rt::Clock& clock_;
    std::function<StatusView()> read_;
    StatusActions actions_;
    Pause& pause_;
    std::unique_ptr<QMenu> menu_;
    std::unique_ptr<QSystemTrayIcon> tray_;
    std::unique_ptr<QDBusServiceWatcher> panelWatch_;
    PanelTracker tracker_;
    int asked_ = 0; // the latest question to the watcher; older answers are stale
    QTimer settle_; // a new XEmbed tray is given a moment before the icon docks
    QTimer minute_;
    bool watching_ = false;
    bool following_ = false;
    bool pending_ = false;
    bool built_ = false;
    bool builtTimeSwitch_ = false;
    int builtPostpone_ = 0;
    bool builtPaused_ = false;
    StatusPicture picture_ = StatusPicture::Off;
    bool pictureSet_ = false;
    bool toolTipSet_ = false;
    QString toolTip_;
};

// Whether the board, waiting in its small window, goes to the panel instead: on a change into
// that wait, or the icon coming into a panel during it, with the setting on. A board the user
// brought back stays until the next such change. Returns whether to hide it now.
class PanelWait {
public:
    bool hideNow(bool enabled, bool inPanel, bool waitsSmall);

private:
    bool waited_ = false;
    bool inPanel_ = false;
};

} // namespace desk
