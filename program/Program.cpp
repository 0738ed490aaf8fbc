#include "program/Program.h"

#include "app/UMainBoard.h"
#include "desktop/Autostart.h"
#include "desktop/Screens.h"
#include "info/UHilfe.h"
#include "info/UImpressum.h"
#include "program/Desktop.h"
#include "program/History.h"
#include "runtime/Application.h"
#include "runtime/Clock.h"
#include "runtime/DataFiles.h"
#include "runtime/EndSignals.h"
#include "runtime/ErrorReport.h"
#include "runtime/MessageBox.h"
#include "runtime/SingleInstance.h"
#include "runtime/audio/PulsePlayer.h"
#include "sequences/UProcAtm.h"
#include "sequences/UProcAug.h"
#include "sequences/UProcEnt.h"
#include "sequences/UProcYog.h"
#include "settings/UDaten.h"
#include "settings/UMenue.h"

#include <QApplication>
#include <QScreen>

#include <memory>

namespace {

// The real modal windows, each made when it is first opened: a start needs none of them. Each
// comes up centred, and above the board even when the board stays on top of everything.
class ProgramWindows final : public BoardWindows {
public:
    ProgramWindows(TFMainBoard& board, UDaten& daten, rt::Clock& clock)
        : board_(board), daten_(daten), clock_(clock) {}

    void ShowHilfe() override {
        if (!hilfe_)
            hilfe_ = std::make_unique<TFHilfe>();
        prepare(hilfe_->Form);
        hilfe_->ShowModal();
    }
    void ShowImpressum() override {
        if (!impressum_)
            impressum_ = std::make_unique<TFImpressum>();
        prepare(impressum_->Form);
        impressum_->ShowModal();
    }
    void ShowMenue() override {
        if (!menue_)
            menue_ = std::make_unique<TFMenue>(daten_, clock_);
        menue_->OnMoreSettings = moreSettings;
        prepare(menue_->Form);
        menue_->ShowModal();
    }
    bool ResetDone() const override { return menue_ && menue_->ResetDone == 1; }
    // The settings window's way to "Weitere Einstellungen".
    std::function<void(QWidget*)> moreSettings;
    void Inform(const QString& text) override { rt::showMessage(board_.Form, text); }

private:
    void prepare(rt::Form* form) {
        form->setStayOnTop(board_.Form->stayOnTop());
        form->centreOn(board_.Monitor());
    }

    TFMainBoard& board_;
    UDaten& daten_;
    rt::Clock& clock_;
    std::unique_ptr<TFHilfe> hilfe_;
    std::unique_ptr<TFImpressum> impressum_;
    std::unique_ptr<TFMenue> menue_;
};

// Passes every call on to the sound server's player and tells the hook of it.
class ObservedPlayer final : public rt::NarrationPlayer {
public:
    ObservedPlayer(rt::NarrationPlayer& player, const ProgramHooks& hooks)
        : player_(player), hooks_(hooks) {}
    bool play(const QString& path) override {
        const bool started = player_.play(path);
        if (hooks_.played)
            hooks_.played(path, started);
        return started;
    }
    void stop() override {
        player_.stop();
        if (hooks_.played)
            hooks_.played(QStringLiteral("stop"), true);
    }

private:
    rt::NarrationPlayer& player_;
    const ProgramHooks& hooks_;
};

} // namespace

int RunQuillet(int argc, char** argv, const ProgramHooks& hooks) {
    rt::prepareDisplay();
    QApplication app(argc, argv);
    rt::setupApplication(app);

    // One copy per settings folder: a second start brings the first to the front and ends.
    rt::SingleInstance instance(UDaten::userConfigDir(), rt::SingleInstance::runtimeFolder());
    if (!instance.acquire())
        return 0;
    // From here on, a signal to end waits for the event loop (see below).
    rt::EndSignals endSignals;

    rt::SystemClock clock;
    rt::MessageBoxReport report;
    rt::PulsePlayer pulse(report);
    ObservedPlayer observed(pulse, hooks);
    rt::NarrationPlayer& player = hooks.played ? static_cast<rt::NarrationPlayer&>(observed)
                                               : static_cast<rt::NarrationPlayer&>(pulse);
    const rt::DataFiles files = rt::DataFiles::standard();
    UDaten daten;
    // Told after the board has shown and whatever handler found the problem has returned.
    daten.onProblem = [&report](const QString& text) { report.tell(text); };

    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    desk::QtScreens monitors;

    // The board first: its creation runs before any other window exists.
    // Started with the session (the autostart entry), the board waits for the first reminder.
    const bool withSession =
        QCoreApplication::arguments().contains(QLatin1String(desk::autostart::kArgument));
    TFMainBoard board(BoardContext{clock, player, report, files, daten, screen.width(),
                                   screen.height(), rt::PictureAhead::Worker::Thread, &monitors,
                                   withSession});
    report.setParent(board.Form);
    board.FormCreate();

    ProgramWindows windows(board, daten, clock);
    board.AttachWindows(&windows);

    TFProcAtm atm(board);
    board.AttachSequencer(SeqAtm, &atm);
    TFProcYog yog(board);
    board.AttachSequencer(SeqYog, &yog);
    TFProcAug aug(board);
    board.AttachSequencer(SeqAug, &aug);
    TFProcEnt ent(board);
    board.AttachSequencer(SeqEnt, &ent);

    DesktopUnit desktop(board, clock, report);
    windows.moreSettings = [&desktop](QWidget* parent) { desktop.ShowMoreSettings(parent); };
    HistoryUnit history(board, clock, report, desktop.Menu());
    desktop.showHistory = [&history] { history.ShowHistory(); };

    // The program ends with the board, also while a message box is still open.
    board.Form->onClose = [] { QCoreApplication::quit(); };
    board.Form->show();
    const auto raise = [&board] {
        board.Form->bringToFront();
        // A window open over the board (settings, help, a message) stays in front of it: the
        // board answers nothing until that one is closed.
        if (QWidget* modal = rt::modalWindowInFront()) {
            if (auto* form = dynamic_cast<rt::Form*>(modal)) {
                form->bringToFront();
            } else {
                modal->raise();
                modal->activateWindow();
            }
        }
    };
    instance.onRaise = raise;
    desktop.showBoard = raise;
    // Logout, shutdown, `kill` or Ctrl+C: the windows open over the board close as their close
    // buttons would (the settings window saves what was changed in it), then the board. The same
    // from "Beenden" in the status icon's menu.
    bool ending = false;
    const auto end = [&board, &ending] {
        if (ending)
            return;
        ending = true;
        rt::closeModalWindows([&board] { board.Form->close(); });
    };
    endSignals.onSignal = [end](int) { end(); };
    desktop.endProgram = end;
    if (hooks.shown)
        hooks.shown(board);
    const int result = app.exec();
    endSignals.onSignal = nullptr;
    // The sequencers go before the board they point into.
    for (int i = SeqAtm; i <= SeqEnt; ++i)
        board.AttachSequencer(SequencerIndex(i), nullptr);
    board.AttachWindows(nullptr);
    return result;
}
