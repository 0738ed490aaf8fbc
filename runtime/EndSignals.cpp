#include "runtime/EndSignals.h"

#include <QApplication>
#include <QPointer>
#include <QSocketNotifier>
#include <QThread>
#include <QTimer>
#include <QWidget>

#include <atomic>
#include <cerrno>

#include <fcntl.h>
#include <unistd.h>

namespace rt {

namespace {

constexpr int kSignals[] = {SIGTERM, SIGINT, SIGHUP};

// The writing end of the pipe, for the signal handler: it may only write one byte there.
std::atomic<int> signalPipe{-1};
static_assert(std::atomic<int>::is_always_lock_free);

void forwardSignal(int signal) {
    const int saved = errno;
    const auto byte = static_cast<unsigned char>(signal);
    const int fd = signalPipe.load();
    if (fd >= 0)
        (void)!::write(fd, &byte, 1);
    errno = saved;
}

// Where the closing stands: the window asked to close last, and the depth of event loops it
// was asked at (its own loop, the innermost one then).
struct Closing {
    std::function<void()> then;
    QPointer<QWidget> asked;
    int askedAt = 0;
    int waited = 0;
};

// A closed window's loop ends once the code that waits on it runs again; that takes a round or
// two. Enough for that, without waiting for ever on a loop that is not the window's.
constexpr int kMostWaits = 100;

int loopDepth() {
    return QThread::currentThread()->loopLevel();
}

// One round: the window in front is asked to close. The next round is on its way first, since
// a window may wait in a box of its own while it closes, and that box is closed in the next.
void closeRound(const std::shared_ptr<Closing>& closing) {
    auto next = [closing] { QTimer::singleShot(0, qApp, [closing] { closeRound(closing); }); };
    // The window closed last still runs its loop: what opened it goes on first, as after a
    // close by the user, before the window under it closes.
    if (closing->asked && closing->asked->isHidden() && loopDepth() >= closing->askedAt &&
        ++closing->waited < kMostWaits) {
        next();
        return;
    }
    closing->waited = 0;
    QWidget* front = modalWindowInFront();
    if (!front) {
        closing->then();
        return;
    }
    const bool stuck = front == closing->asked;
    closing->asked = front;
    closing->askedAt = loopDepth();
    next();
    if (stuck)
        front->hide();
    else
        front->close();
}

} // namespace

EndSignals::EndSignals() {
    if (::pipe2(pipe_, O_CLOEXEC | O_NONBLOCK) != 0) {
        pipe_[0] = pipe_[1] = -1;
        return;
    }
    signalPipe.store(pipe_[1]);
    notifier_ = std::make_unique<QSocketNotifier>(pipe_[0], QSocketNotifier::Read);
    QObject::connect(notifier_.get(), &QSocketNotifier::activated, notifier_.get(),
                     [this] { readSignals(); });
    struct sigaction action = {};
    action.sa_handler = &forwardSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int i = 0; i < 3; ++i)
        ::sigaction(kSignals[i], &action, &previous_[i]);
}

EndSignals::~EndSignals() {
    if (pipe_[0] < 0)
        return;
    for (int i = 0; i < 3; ++i)
        ::sigaction(kSignals[i], &previous_[i], nullptr);
    signalPipe.store(-1);
    notifier_.reset();
    ::close(pipe_[0]);
    ::close(pipe_[1]);
}

void EndSignals::readSignals() {
    unsigned char got[16];
    ssize_t n;
    while ((n = ::read(pipe_[0], got, sizeof got)) > 0)
        for (ssize_t i = 0; i < n; ++i)
            if (onSignal)
                onSignal(got[i]);
}

QWidget* modalWindowInFront() {
    // Qt may still name a window that has been closed (hidden) as the modal one.
    QWidget* front = QApplication::activeModalWidget();
    if (front && front->isVisible())
        return front;
    for (QWidget* window : QApplication::topLevelWidgets())
        if (window->isVisible() && window->isModal())
            return window;
    return nullptr;
}

void closeModalWindows(std::function<void()> then) {
    auto closing = std::make_shared<Closing>();
    closing->then = std::move(then);
    closeRound(closing);
}

} // namespace rt
