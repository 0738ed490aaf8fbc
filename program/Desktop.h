#pragma once

#include <functional>
#include <memory>

class QWidget;
class TFMainBoard;
namespace desk {
class BoardMenu;
struct StatusActions;
} // namespace desk
namespace rt {
class Clock;
class ErrorReport;
} // namespace rt

// The desktop around the board: what the desktop tells of its user (away time, holds), the
// pause of the reminders, the board's context menu, the status icon in the desktop's panel and
// the window "Weitere Einstellungen", with their file quillet.conf, wired to the board.
class DesktopUnit {
public:
    DesktopUnit(TFMainBoard& board, rt::Clock& clock, rt::ErrorReport& report);
    ~DesktopUnit();
    DesktopUnit(const DesktopUnit&) = delete;
    DesktopUnit& operator=(const DesktopUnit&) = delete;

    // Opens the window "Weitere Einstellungen" (modal) over `parent`, the board when none.
    void ShowMoreSettings(QWidget* parent = nullptr);
    // The board's context menu, for entries of other parts of the program.
    desk::BoardMenu& Menu();

    // The program's ways to bring the board to the front (with a window open over it in front
    // of it) and to end, for the status icon's menu.
    std::function<void()> showBoard;
    std::function<void()> endProgram;
    // Opens the window "Verlauf", for the status icon's menu.
    std::function<void()> showHistory;

private:
    desk::StatusActions IconActions(TFMainBoard& board);
    void ShowIcon();

    struct Parts;
    std::unique_ptr<Parts> parts_;
};
