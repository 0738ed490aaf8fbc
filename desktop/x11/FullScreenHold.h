#pragma once

#include "desktop/Sources.h"

#include <cstdint>
#include <memory>

namespace desk {

class ActiveWindow;

// A full-screen window in front (a film, a presentation, a game) asks reminders to wait. The
// window manager names the active window on the root window and each window's state on the
// window itself; both are watched for changes (ActiveWindow), so the answer is always at hand.
// The program's own full-screen board holds nothing.
class FullScreenHold final : public HoldSource {
public:
    // Follows a watch of the active window that others may share.
    explicit FullScreenHold(std::shared_ptr<ActiveWindow> window);
    ~FullScreenHold() override;

    QString name() const override;
    bool available() const override;
    bool holding() override;

    // The active window as last told (XCB_NONE when none); for tests.
    std::uint32_t activeWindow() const;

private:
    std::shared_ptr<ActiveWindow> window_;
};

} // namespace desk
