#include "program/Desktop.h"

#include "app/UMainBoard.h"
#include "desktop/Awareness.h"
#include "desktop/Pause.h"

struct DesktopUnit::Parts {
    Parts(TFMainBoard& board, rt::Clock& clock)
        : board(board), awareness(clock),
          pause({[&board](const QString& caption) { board.PauseReminders(caption); },
                 [&board] { board.ResumeReminders(); },
                 {}}),
          menu(board.Form, pause) {}

    TFMainBoard& board;
    desk::Awareness awareness;
    desk::Pause pause;
    desk::BoardMenu menu;
};

DesktopUnit::DesktopUnit(TFMainBoard& board, rt::Clock& clock)
    : parts_(std::make_unique<Parts>(board, clock)) {
    board.AttachPresence(&parts_->awareness);
}

DesktopUnit::~DesktopUnit() {
    parts_->board.AttachPresence(nullptr);
}
