#include "program/History.h"

#include "app/UMainBoard.h"
#include "desktop/Pause.h"
#include "history/Database.h"
#include "history/HistoryWindow.h"
#include "history/Recorder.h"

#include <QDate>
#include <QShortcut>

struct HistoryUnit::Parts {
    Parts(TFMainBoard& board, rt::Clock& clock, rt::ErrorReport& report)
        : board(board), recorder(clock, report) {}
    TFMainBoard& board;
    hist::Recorder recorder;
    std::unique_ptr<QShortcut> key; // Ctrl+H on the board
};

HistoryUnit::HistoryUnit(TFMainBoard& board, rt::Clock& clock, rt::ErrorReport& report,
                         desk::BoardMenu& menu)
    : parts_(std::make_unique<Parts>(board, clock, report)) {
    Parts& p = *parts_;
    // Opened (and checked) once the board is on the screen: the start does not wait for the disk.
    // A problem is told after this handler.
    board.Form->afterFirstFrame([&p] { p.recorder.open(hist::Database::standardPath()); });
    board.AttachRecord(&p.recorder);
    menu.addEntry(QStringLiteral("Verlauf …"), [this] { ShowHistory(); });
    p.key = std::make_unique<QShortcut>(QKeySequence(Qt::CTRL | Qt::Key_H), board.Form);
    p.key->setContext(Qt::WindowShortcut);
    QObject::connect(p.key.get(), &QShortcut::activated, board.Form, [this] { ShowHistory(); });
}

HistoryUnit::~HistoryUnit() {
    parts_->board.AttachRecord(nullptr);
}

void HistoryUnit::ShowHistory() {
    Parts& p = *parts_;
    // What happened a moment ago is in the chart too, written or still waiting to be.
    hist::HistoryWindow window(p.recorder.entries(), QDate::currentDate(), p.board.Form);
    if (p.board.Form->stayOnTop())
        window.setWindowFlag(Qt::WindowStaysOnTopHint);
    window.exec();
    // The program is ending (a logout): the window closes as its close button would.
    if (window.isVisible())
        window.done(QDialog::Rejected);
}
