#include "program/Desktop.h"

#include "app/UMainBoard.h"
#include "desktop/Awareness.h"
#include "desktop/MoreSettings.h"
#include "desktop/Pause.h"
#include "desktop/Preferences.h"
#include "desktop/dbus/DBusSources.h"
#include "desktop/x11/Connection.h"
#include "desktop/x11/FullScreenHold.h"
#include "desktop/x11/X11IdleSource.h"
#include "runtime/ErrorReport.h"

namespace {

desk::Rules RulesOf(const desk::Preferences& p) {
    desk::Rules r;
    r.naturalBreak = p.naturalBreak;
    r.naturalBreakMs = std::int64_t(p.naturalBreakMinutes) * 60'000;
    r.holdFullScreen = p.holdFullScreen;
    r.holdDoNotDisturb = p.holdDoNotDisturb;
    r.holdInhibitors = p.holdInhibitors;
    return r;
}

void AddSources(desk::Awareness& awareness, rt::Clock& clock) {
    // Under X11 the X server tells the idle time of every program's input and the active
    // window; under Wayland, XWayland's X server sees only X11 programs.
    if (desk::x11::x11Session()) {
        awareness.addAwaySource(std::make_unique<desk::X11IdleSource>(clock));
        awareness.addHoldSource(std::make_unique<desk::FullScreenHold>(),
                                desk::HoldKind::FullScreen);
    }
    // The session's and the system's services: a locked screen, sleep, GNOME's and KDE's idle
    // time, do-not-disturb and programs that keep the screen awake.
    desk::DBusSources bus = desk::dbusSources(clock);
    for (auto& source : bus.away)
        awareness.addAwaySource(std::move(source));
    for (auto& source : bus.holds) {
        const auto kind = dynamic_cast<desk::DoNotDisturbHold*>(source.get())
                              ? desk::HoldKind::DoNotDisturb
                              : desk::HoldKind::Inhibitor;
        awareness.addHoldSource(std::move(source), kind);
    }
}

} // namespace

struct DesktopUnit::Parts {
    Parts(TFMainBoard& board, rt::Clock& clock)
        : board(board), awareness(clock),
          pause({[&board](const QString& caption) { board.PauseReminders(caption); },
                 [&board] { board.ResumeReminders(); },
                 [this](const QDateTime& end) {
                     if (end == prefs.pausedUntil)
                         return;
                     prefs.pausedUntil = end;
                     file.save(prefs);
                 }}),
          menu(board.Form, pause) {}

    TFMainBoard& board;
    desk::PreferencesFile file;
    desk::Preferences prefs;
    desk::Awareness awareness;
    desk::Pause pause;
    desk::BoardMenu menu;
};

DesktopUnit::DesktopUnit(TFMainBoard& board, rt::Clock& clock, rt::ErrorReport& report)
    : parts_(std::make_unique<Parts>(board, clock)) {
    Parts& p = *parts_;
    p.file.onProblem = [&report](const QString& text) { report.tell(text); };
    p.prefs = p.file.load();
    p.awareness.setRules(RulesOf(p.prefs));
    // The desktop is asked once the board's first frame is on the screen: a start waits for
    // no X server or D-Bus service.
    board.Form->afterFirstFrame([&p, &clock] { AddSources(p.awareness, clock); });
    board.AttachPresence(&p.awareness);
    p.menu.addEntry(QStringLiteral("Weitere Einstellungen …"), [this] { ShowMoreSettings(); });
    // A pause chosen before the last end of the program goes on until its end.
    if (p.prefs.pausedUntil.isValid())
        p.pause.until(p.prefs.pausedUntil);
}

DesktopUnit::~DesktopUnit() {
    parts_->board.AttachPresence(nullptr);
}

desk::BoardMenu& DesktopUnit::Menu() {
    return parts_->menu;
}

void DesktopUnit::ShowMoreSettings(QWidget* parent) {
    Parts& p = *parts_;
    const desk::Awareness& a = p.awareness;
    desk::DesktopOffers offers;
    offers.idleTime = !a.awayName().isEmpty();
    offers.fullScreen = !a.holdName(desk::HoldKind::FullScreen).isEmpty();
    offers.doNotDisturb = !a.holdName(desk::HoldKind::DoNotDisturb).isEmpty();
    offers.inhibitors = !a.holdName(desk::HoldKind::Inhibitor).isEmpty();
    const QList<QPair<QString, QString>> detected{
        {QStringLiteral("Abwesenheit"), a.awayName()},
        {QStringLiteral("Vollbild"), a.holdName(desk::HoldKind::FullScreen)},
        {QStringLiteral("Bitte nicht stören"), a.holdName(desk::HoldKind::DoNotDisturb)},
        {QStringLiteral("Bildschirm wach gehalten"), a.holdName(desk::HoldKind::Inhibitor)},
    };
    desk::MoreSettings window(p.prefs, offers, detected, parent ? parent : p.board.Form);
    window.file = &p.file;
    window.changed = [&p](const desk::Preferences& changed) {
        const QDateTime pausedUntil = p.prefs.pausedUntil;
        p.prefs = changed;
        p.prefs.pausedUntil = pausedUntil;
        p.awareness.setRules(RulesOf(p.prefs));
    };
    window.exec();
    // The program is ending (a logout): the window closes as its close button would, saving.
    if (window.isVisible())
        window.done(QDialog::Rejected);
}
