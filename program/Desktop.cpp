#include "program/Desktop.h"

#include "app/UMainBoard.h"
#include "desktop/Awareness.h"
#include "desktop/MoreSettings.h"
#include "desktop/Pause.h"
#include "desktop/Preferences.h"
#include "desktop/StatusIcon.h"
#include "desktop/call/CameraHold.h"
#include "desktop/call/MicrophoneHold.h"
#include "desktop/dbus/DBusSources.h"
#include "desktop/x11/ActiveWindow.h"
#include "desktop/x11/Connection.h"
#include "desktop/x11/FullScreenHold.h"
#include "desktop/x11/X11IdleSource.h"
#include "desktop/x11/XEmbedTray.h"
#include "runtime/EndSignals.h"
#include "runtime/ErrorReport.h"

#include <QApplication>

namespace {

desk::Rules RulesOf(const desk::Preferences& p) {
    desk::Rules r;
    r.naturalBreak = p.naturalBreak;
    r.naturalBreakMs = std::int64_t(p.naturalBreakMinutes) * 60'000;
    r.holdFullScreen = p.holdFullScreen;
    r.holdDoNotDisturb = p.holdDoNotDisturb;
    r.holdInhibitors = p.holdInhibitors;
    r.holdCalls = p.holdCalls;
    r.heldPrograms = p.heldPrograms;
    return r;
}

// Returns the watch of the active window (none without an X server), which also tells the
// window "Weitere Einstellungen" the program the user came from.
std::shared_ptr<desk::ActiveWindow> AddSources(desk::Awareness& awareness, rt::Clock& clock) {
    // Under X11 the X server tells the idle time of every program's input and the active
    // window; under Wayland, XWayland's X server sees only X11 programs: their windows still
    // tell which program is active, but not the user's idle time nor full screen.
    std::shared_ptr<desk::ActiveWindow> active;
    if (!qEnvironmentVariableIsEmpty("DISPLAY")) {
        active = std::make_shared<desk::ActiveWindow>(clock);
        awareness.addHoldSource(std::make_unique<desk::ProgramHold>(active),
                                desk::HoldKind::Program);
    }
    if (desk::x11::x11Session()) {
        awareness.addAwaySource(std::make_unique<desk::X11IdleSource>(clock));
        awareness.addHoldSource(std::make_unique<desk::FullScreenHold>(active),
                                desk::HoldKind::FullScreen);
    }
    // A call: the sound server tells of every recording; a camera is looked for only while a
    // prompt is due.
    awareness.addHoldSource(std::make_unique<desk::MicrophoneHold>(), desk::HoldKind::Call);
    awareness.addHoldSource(std::make_unique<desk::CameraHold>(clock), desk::HoldKind::Call);
    // The session's and the system's services: a locked screen, sleep, GNOME's and KDE's idle
    // time, do-not-disturb and programs that keep the screen awake. Each is taken up when its
    // service comes, also long after the start, and let go when it leaves.
    desk::DBusSources bus = desk::dbusSources(clock);
    for (auto& source : bus.away)
        awareness.addAwaySource(std::move(source));
    for (auto& source : bus.holds) {
        const auto kind = dynamic_cast<desk::DoNotDisturbHold*>(source.get())
                              ? desk::HoldKind::DoNotDisturb
                              : desk::HoldKind::Inhibitor;
        awareness.addHoldSource(std::move(source), kind);
    }
    return active;
}

} // namespace

struct DesktopUnit::Parts {
    Parts(TFMainBoard& board, rt::Clock& clock, desk::StatusActions actions)
        : board(board), awareness(clock), pause(PauseHooks()), menu(board.Form, pause),
          icon(
              clock, [&board] { return desk::viewOf(board.Status()); }, std::move(actions), pause) {
    }

    // The pause stops and starts the board's countdowns, shows in the icon and is stored.
    desk::Pause::Hooks PauseHooks() {
        desk::Pause::Hooks hooks;
        hooks.pause = [this](const QString& caption) {
            board.PauseReminders(caption);
            icon.changed();
        };
        hooks.resume = [this] {
            board.ResumeReminders();
            icon.changed();
        };
        hooks.store = [this](const QDateTime& end) {
            if (end == prefs.pausedUntil)
                return;
            prefs.pausedUntil = end;
            file.save(prefs);
        };
        return hooks;
    }

    TFMainBoard& board;
    desk::PreferencesFile file;
    desk::Preferences prefs;
    desk::Awareness awareness;
    desk::Pause pause;
    desk::BoardMenu menu;
    desk::StatusIcon icon;
    desk::PanelWait panelWait;
    std::unique_ptr<desk::XEmbedTray> xembedTray;
    std::shared_ptr<desk::ActiveWindow> activeWindow;
};

DesktopUnit::DesktopUnit(TFMainBoard& board, rt::Clock& clock, rt::ErrorReport& report)
    : parts_(std::make_unique<Parts>(board, clock, IconActions(board))) {
    Parts& p = *parts_;
    p.file.onProblem = [&report](const QString& text) { report.tell(text); };
    p.prefs = p.file.load();
    board.SetPostpone(p.prefs.postponeMinutes, p.prefs.postponeLimit);
    p.awareness.setRules(RulesOf(p.prefs));
    // The desktop is asked once the board's first frame is on the screen: a start waits for
    // no X server or D-Bus service.
    board.Form->afterFirstFrame([this, &clock] {
        parts_->activeWindow = AddSources(parts_->awareness, clock);
        ShowIcon();
    });
    board.AttachPresence(&p.awareness);
    p.menu.addEntry(QStringLiteral("Weitere Einstellungen …"), [this] { ShowMoreSettings(); });
    // A pause chosen before the last end of the program goes on until its end.
    if (p.prefs.pausedUntil.isValid())
        p.pause.until(p.prefs.pausedUntil);
}

DesktopUnit::~DesktopUnit() {
    parts_->board.StateChanged = nullptr;
    parts_->board.AttachPresence(nullptr);
}

desk::BoardMenu& DesktopUnit::Menu() {
    return parts_->menu;
}

desk::StatusActions DesktopUnit::IconActions(TFMainBoard& board) {
    const auto show = [this, &board] {
        if (showBoard)
            showBoard();
        else
            board.Form->bringToFront();
    };
    // While a window is open over the board (the settings, help, a message), the board waits
    // for it: a command only brings that window to the front.
    const auto command = [show](std::function<void()> what, bool thenShow) {
        return [show, what, thenShow] {
            if (rt::modalWindowInFront()) {
                show();
                return;
            }
            what();
            if (thenShow)
                show();
        };
    };
    desk::StatusActions a;
    a.sequence = {command([&board] { board.SBAtmenClick(); }, true),
                  command([&board] { board.SBYogaClick(); }, true),
                  command([&board] { board.SBAugenClick(); }, true),
                  command([&board] { board.SBEntspClick(); }, true)};
    a.timeSwitch = command([&board] { board.SBWeckerClick(); }, false);
    a.postpone = command([&board] { board.SBLaterClick(); }, false);
    a.show = show;
    a.settings = command([&board] { board.SBMenueClick(); }, false);
    a.help = command([&board] { board.SBHilfeClick(); }, false);
    a.history = command(
        [this] {
            if (showHistory)
                showHistory();
        },
        false);
    a.quit = [this, &board] {
        if (endProgram)
            endProgram();
        else
            board.Form->close();
    };
    return a;
}

// The icon follows the board from the start and goes into a panel whenever there is one, also
// one that starts later; when the user chose so, the waiting board goes there instead of into
// its small window, and comes back when the panel goes.
void DesktopUnit::ShowIcon() {
    Parts& p = *parts_;
    p.board.StateChanged = [&p] { p.icon.changed(); };
    p.icon.onUpdate = [&p](const desk::StatusView& view) {
        // The board may be hidden in the panel while a window of its own opens and closes.
        if (p.icon.shown())
            QApplication::setQuitOnLastWindowClosed(false);
        rt::Form* form = p.board.Form;
        const bool inPanel = p.icon.inPanel();
        if (p.panelWait.hideNow(p.prefs.waitInPanel, inPanel, view.waitsSmall))
            form->hide();
        else if (form->isHidden() && (!view.waitsSmall || !p.prefs.waitInPanel || !inPanel))
            form->show(); // a prompt, a sequence, or the panel has gone
    };
    p.icon.show();
    // Qt docks an icon in the X server's XEmbed tray only on its own X11 platform.
    if (QGuiApplication::platformName() == QLatin1String("xcb")) {
        p.xembedTray = std::make_unique<desk::XEmbedTray>();
        if (!p.xembedTray->available()) {
            p.xembedTray.reset();
            return;
        }
        p.xembedTray->changed = [&p](bool owned) { p.icon.setXEmbedTray(owned); };
        p.icon.setXEmbedTray(p.xembedTray->owned());
    }
}

void DesktopUnit::ShowMoreSettings(QWidget* parent) {
    Parts& p = *parts_;
    const auto found = [&p] {
        return desk::findings(p.awareness, p.icon.inPanel() ? p.icon.panelName() : QString());
    };
    const desk::DesktopFindings now = found();
    desk::MoreSettings window(p.prefs, now.offers, now.detected, parent ? parent : p.board.Form);
    window.file = &p.file;
    window.lastProgram = [&p] {
        if (!p.activeWindow)
            return QString();
        const desk::WindowClass& last = p.activeWindow->lastOther();
        return last.name.isEmpty() ? last.instance : last.name;
    };
    window.changed = [&p](const desk::Preferences& changed) {
        const QDateTime pausedUntil = p.prefs.pausedUntil;
        p.prefs = changed;
        p.board.SetPostpone(changed.postponeMinutes, changed.postponeLimit);
        p.prefs.pausedUntil = pausedUntil;
        p.awareness.setRules(RulesOf(p.prefs));
        p.icon.changed();
    };
    // A service that comes or leaves while the window is open shows in it at once.
    p.awareness.availabilityChanged = [&window, found] {
        const desk::DesktopFindings later = found();
        window.setDesktop(later.offers, later.detected);
    };
    window.exec();
    p.awareness.availabilityChanged = nullptr;
    // The program is ending (a logout): the window closes as its close button would, saving.
    if (window.isVisible())
        window.done(QDialog::Rejected);
}
