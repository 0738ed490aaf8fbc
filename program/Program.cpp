#include "program/Program.h"
#include "app/UMainBoard.h"
#include "info/UHilfe.h"
#include "info/UImpressum.h"
#include "runtime/Application.h"
#include "runtime/Clock.h"
#include "runtime/DataFiles.h"
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

namespace {

// The real modal windows. Each comes up centred, and above the board even when the board stays
// on top of everything.
class ProgramWindows final : public BoardWindows {
public:
    ProgramWindows(TFMainBoard& board, TFHilfe& hilfe, TFImpressum& impressum, TFMenue& menue)
        : board_(board), hilfe_(hilfe), impressum_(impressum), menue_(menue) {}

    void ShowHilfe() override {
        prepare(hilfe_.Form);
        hilfe_.ShowModal();
    }
    void ShowImpressum() override {
        prepare(impressum_.Form);
        impressum_.ShowModal();
    }
    void ShowMenue() override {
        prepare(menue_.Form);
        menue_.ShowModal();
    }
    bool ResetDone() const override { return menue_.ResetDone == 1; }
    void Inform(const QString& text) override { rt::showMessage(board_.Form, text); }

private:
    void prepare(rt::Form* form) {
        form->setStayOnTop(board_.Form->stayOnTop());
        form->centreOn(board_.ScreenWidth, board_.ScreenHeight - 1);
    }

    TFMainBoard& board_;
    TFHilfe& hilfe_;
    TFImpressum& impressum_;
    TFMenue& menue_;
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

    // The board first: its creation runs before any other window exists.
    TFMainBoard board(
        BoardContext{clock, player, report, files, daten, screen.width(), screen.height()});
    report.setParent(board.Form);
    board.FormCreate();

    TFImpressum impressum;
    TFHilfe hilfe;
    TFMenue menue(daten, clock);
    ProgramWindows windows(board, hilfe, impressum, menue);
    board.AttachWindows(&windows);

    TFProcAtm atm(board);
    board.AttachSequencer(SeqAtm, &atm);
    TFProcYog yog(board);
    board.AttachSequencer(SeqYog, &yog);
    TFProcAug aug(board);
    board.AttachSequencer(SeqAug, &aug);
    TFProcEnt ent(board);
    board.AttachSequencer(SeqEnt, &ent);

    // The program ends with the board, also while a message box is still open.
    board.Form->onClose = [] { QCoreApplication::quit(); };
    board.Form->show();
    instance.onRaise = [&board] { board.Form->bringToFront(); };
    if (hooks.shown)
        hooks.shown(board);
    const int result = app.exec();
    // The sequencers go before the board they point into.
    for (int i = SeqAtm; i <= SeqEnt; ++i)
        board.AttachSequencer(SequencerIndex(i), nullptr);
    board.AttachWindows(nullptr);
    return result;
}
