#include "program/History.h"

#include "app/UMainBoard.h"
#include "desktop/Pause.h"
#include "history/Database.h"
#include "history/HistoryWindow.h"
#include "history/Recorder.h"

#include <QDate>
#include <QPointer>
#include <QShortcut>

struct HistoryUnit::Parts {
    Parts(TFMainBoard& board, rt::Clock& clock, rt::ErrorReport& report)
        : board(board), recorder(clock, report) {}
    TFMainBoard& board;
    hist::Recorder recorder;
    std::unique_ptr<QShortcut> key;       // Ctrl+H on the board
    QPointer<hist::HistoryWindow> window; // while it is open
};

HistoryUnit::HistoryUnit(TFMainBoard& board, rt::Clock& clock, rt::ErrorReport& report,
                         desk::BoardMenu& menu)
    : parts_(std::make_unique<Parts>(board, clock, report)) {
    Parts& p = *parts_;
    // Opened (and checked) once the board is on the screen: the start does not wait for the disk.
    // A problem is told after this handler.
    board.Form->afterFirstFrame([&p] { p.recorder.open(hist::Database::standardPath()); });
    board.AttachRecord(&p.recorder);
    // An open window shows what happens while it is open.
    p.recorder.changed = [&p] {
        if (p.window)
            p.window->refresh();
    };
    menu.addEntry(QStringLiteral("Verlauf …"), [this] { ShowHistory(); });
    p.key = std::make_unique<QShortcut>(QKeySequence(Qt::CTRL | Qt::Key_H), board.Form);
    p.key->setContext(Qt::WindowShortcut);
    QObject::connect(p.key.get(), &QShortcut::activated, board.Form, [this] { ShowHistory(); });
}

HistoryUnit::~HistoryUnit() {
    parts_->recorder.changed = nullptr;
    delete parts_->window;
    parts_->board.AttachRecord(nullptr);
}

// One window, brought to the front when asked for again. It is not modal and no child of the
// board, so that the board's prompts and buttons work while it is open and a prompt comes above
// it; closed, it is gone with what it read.
void HistoryUnit::ShowHistory() {
    Parts& p = *parts_;
    if (!p.window) {
        // What happened a moment ago is in the chart too, written or still waiting to be.
        p.window = new hist::HistoryWindow(p.recorder);
        if (p.board.Form->stayOnTop())
            p.window->setWindowFlag(Qt::WindowStaysOnTopHint);
        QObject::connect(p.window, &QDialog::finished, p.window, &QObject::deleteLater);
    } else {
        p.window->refresh();
    }
    p.window->show();
    p.window->raise();
    p.window->activateWindow();
}
