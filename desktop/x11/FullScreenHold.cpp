#include "desktop/x11/FullScreenHold.h"

#include "desktop/x11/ActiveWindow.h"

namespace desk {

FullScreenHold::FullScreenHold(std::shared_ptr<ActiveWindow> window) : window_(std::move(window)) {
    window_->fullScreenChanged = [this] {
        if (changed)
            changed();
    };
}

FullScreenHold::~FullScreenHold() {
    window_->fullScreenChanged = nullptr;
}

QString FullScreenHold::name() const {
    return QStringLiteral("X11");
}

bool FullScreenHold::available() const {
    return window_->available();
}

bool FullScreenHold::holding() {
    return window_->fullScreen();
}

std::uint32_t FullScreenHold::activeWindow() const {
    return window_->window();
}

} // namespace desk
