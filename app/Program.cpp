#include "app/Program.h"
#include "app/UMainBoard.h"
#include "info/UHilfe.h"
#include "info/UImpressum.h"
#include "runtime/Application.h"
#include "runtime/Clock.h"
#include "runtime/DataFiles.h"
#include "runtime/ErrorReport.h"
#include "runtime/MessageBox.h"
#include "runtime/audio/PulsePlayer.h"
#include "sequences/UProcAtm.h"
#include "sequences/UProcAug.h"
#include "sequences/UProcEnt.h"
#include "sequences/UProcYog.h"
#include "settings/UDaten.h"
#include "settings/UMenue.h"

#include <QApplication>
#include <QScreen>

int RunQuillet(int argc, char** argv, const std::function<void(TFMainBoard&)>& shown) {
    rt::prepareDisplay();
    QApplication app(argc, argv);
    rt::setupApplication(app);

    rt::SystemClock clock;
    rt::MessageBoxReport report;
    rt::PulsePlayer player(report);
    const rt::DataFiles files = rt::DataFiles::standard();
    UDaten daten;
    daten.onProblem = [](const QString& text) { rt::showError(nullptr, text); };

    const QRect screen = QGuiApplication::primaryScreen()->geometry();

    // The board first: its creation runs before any other window exists.
    TFMainBoard board(
        BoardContext{clock, player, report, files, daten, screen.width(), screen.height()});
    report.setParent(board.Form);
    board.FormCreate();

    TFImpressum impressum;
    TFHilfe hilfe;
    TFMenue menue;

    TFProcAtm atm(board);
    board.AttachSequencer(SeqAtm, &atm);
    TFProcYog yog(board);
    board.AttachSequencer(SeqYog, &yog);
    TFProcAug aug(board);
    board.AttachSequencer(SeqAug, &aug);
    TFProcEnt ent(board);
    board.AttachSequencer(SeqEnt, &ent);

    board.Form->show();
    if (shown)
        shown(board);
    const int result = app.exec();
    // The sequencers go before the board they point into.
    for (int i = SeqAtm; i <= SeqEnt; ++i)
        board.AttachSequencer(SequencerIndex(i), nullptr);
    return result;
}
