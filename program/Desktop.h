#pragma once

#include <memory>

class TFMainBoard;
namespace rt {
class Clock;
}

// The desktop around the board: what the desktop tells of its user (away time, holds), the
// pause of the reminders and the board's context menu, wired to the board.
class DesktopUnit {
public:
    DesktopUnit(TFMainBoard& board, rt::Clock& clock);
    ~DesktopUnit();
    DesktopUnit(const DesktopUnit&) = delete;
    DesktopUnit& operator=(const DesktopUnit&) = delete;

private:
    struct Parts;
    std::unique_ptr<Parts> parts_;
};
