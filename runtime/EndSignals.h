#pragma once

#include <functional>
#include <memory>

#include <signal.h>

class QSocketNotifier;
class QWidget;

namespace rt {

// The signals that ask a program to end (SIGTERM from the session at logout or from `kill`,
// SIGHUP when the session or the terminal goes away, SIGINT from Ctrl+C) come through the
// event loop instead of ending the process where it stands: `onSignal` runs between two events
// like any other handler, so the program can close its windows as the user would. The handling
// the signals had before comes back when this goes. One at a time per process.
class EndSignals {
public:
    EndSignals();
    ~EndSignals();
    EndSignals(const EndSignals&) = delete;
    EndSignals& operator=(const EndSignals&) = delete;

    std::function<void(int signal)> onSignal;

private:
    void readSignals();

    int pipe_[2] = {-1, -1};
    std::unique_ptr<QSocketNotifier> notifier_;
    struct sigaction previous_[3] = {};
};

// The window open modally in front of all others (a settings window, a message box), or none.
QWidget* modalWindowInFront();

// Closes every window that is open modally, the innermost first, each as its close button
// would, and then runs `then`. Each closes while the event loop it runs in is still running,
// so whatever opened it goes on as after a close by the user; a box that a window opens while
// closing (a warning) is closed in its turn. A window still in front a round after it was
// asked to close is hidden outright, so nothing holds the end up.
void closeModalWindows(std::function<void()> then);

} // namespace rt
