#pragma once

#include <memory>

class QWidget;
class TFMainBoard;
namespace desk {
class BoardMenu;
} // namespace desk
namespace rt {
class Clock;
class ErrorReport;
} // namespace rt

// The record of breaks around the board: verlauf.sqlite, told of every sequence, prompt and
// break, and the window "Verlauf" (the context menu's "Verlauf …", Ctrl+H on the board).
class HistoryUnit {
public:
    HistoryUnit(TFMainBoard& board, rt::Clock& clock, rt::ErrorReport& report,
                desk::BoardMenu& menu);
    ~HistoryUnit();
    HistoryUnit(const HistoryUnit&) = delete;
    HistoryUnit& operator=(const HistoryUnit&) = delete;

    // Opens the window "Verlauf", or brings it to the front when it is open.
    void ShowHistory();

private:
    struct Parts;
    std::unique_ptr<Parts> parts_;
};
