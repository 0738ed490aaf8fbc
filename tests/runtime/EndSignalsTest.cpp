// The signals that end the program (logout, `kill`, Ctrl+C) come through the event loop, and the
// windows open then close as their close buttons would, innermost first.
#include "runtime/EndSignals.h"
#include "runtime/Form.h"
#include "runtime/MessageBox.h"

#include <QApplication>
#include <QCloseEvent>
#include <QElapsedTimer>
#include <QTimer>
#include <gtest/gtest.h>

#include <csignal>
#include <optional>
#include <vector>

namespace {

// Lets the event loop run until `done` or five seconds have passed.
template <typename F> void processUntil(F done) {
    QElapsedTimer t;
    t.start();
    while (!done() && t.elapsed() < 5000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
}

} // namespace

TEST(EndSignals, ASignalToEndWaitsForTheEventLoop) {
    std::vector<int> told;
    {
        rt::EndSignals endSignals;
        endSignals.onSignal = [&](int signal) { told.push_back(signal); };
        // Each of them would end the test program here if it were not caught.
        ASSERT_EQ(std::raise(SIGTERM), 0);
        ASSERT_EQ(std::raise(SIGINT), 0);
        ASSERT_EQ(std::raise(SIGHUP), 0);
        EXPECT_TRUE(told.empty()) << "not inside the signal handler";
        processUntil([&] { return told.size() == 3; });
        EXPECT_EQ(told, (std::vector<int>{SIGTERM, SIGINT, SIGHUP}));
    }
    struct sigaction now = {};
    ASSERT_EQ(sigaction(SIGTERM, nullptr, &now), 0);
    EXPECT_EQ(now.sa_handler, SIG_DFL) << "the earlier handling is back";
}

// A settings-like window that warns while it closes and saves afterwards, with a question box
// open over it when the signal comes: the question is answered as its close button would
// (Abort), the code that asked goes on, then the window closes, its warning is closed, it
// saves, and only then the end follows.
TEST(EndSignals, OpenWindowsCloseInnermostFirstAndTheWindowSaves) {
    rt::Form window;
    std::vector<QString> steps;
    window.onClose = [&] {
        steps.push_back(QStringLiteral("closing"));
        rt::showError(&window, QStringLiteral("Die Zeit ist zu groß"));
        steps.push_back(QStringLiteral("saved"));
    };
    rt::EndSignals endSignals;
    bool ended = false;
    endSignals.onSignal = [&](int) {
        rt::closeModalWindows([&] {
            steps.push_back(QStringLiteral("end"));
            ended = true;
        });
    };
    std::optional<bool> answer;
    QTimer::singleShot(0, &window, [&] {
        QTimer::singleShot(0, [] { std::raise(SIGTERM); });
        answer = rt::askOkAbort(&window, QStringLiteral("Zurücksetzen?"));
        steps.push_back(QStringLiteral("answered"));
    });
    window.showModal();
    processUntil([&] { return ended; });

    ASSERT_TRUE(answer.has_value());
    EXPECT_FALSE(*answer);
    EXPECT_EQ(steps, (std::vector<QString>{QStringLiteral("answered"), QStringLiteral("closing"),
                                           QStringLiteral("saved"), QStringLiteral("end")}));
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

// With nothing open over the board the end follows at once; a window that will not close does
// not hold it up.
TEST(EndSignals, AWindowThatWillNotCloseDoesNotHoldTheEndUp) {
    class Stubborn : public rt::Form {
    protected:
        void closeEvent(QCloseEvent* event) override { event->ignore(); }
    } window;
    bool ended = false;
    QTimer::singleShot(0, &window, [&] { rt::closeModalWindows([&] { ended = true; }); });
    window.showModal();
    processUntil([&] { return ended; });
    EXPECT_TRUE(ended);
    EXPECT_FALSE(window.isVisible());

    ended = false;
    rt::closeModalWindows([&] { ended = true; });
    EXPECT_TRUE(ended);
}
