// The settings window on a desktop with a window manager (run by tests/wm/settings-window.sh):
// the frame the window manager draws must not change the client area or uncover the window
// below the notebook, on the first opening as on every later one.
#include "runtime/Clock.h"
#include "settings/UDaten.h"
#include "settings/UMenue.h"

#include <QElapsedTimer>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QWindow>
#include <gtest/gtest.h>

TEST(SettingsWindowOnADesktop, ClientAreaAndNotebookAreTheSameEveryOpening) {
    if (qEnvironmentVariableIsEmpty("QUILLET_WM_DESKTOP"))
        GTEST_SKIP() << "needs a window manager (tests/wm/settings-window.sh)";
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    UDaten daten;
    daten.WindowsDir = dir.path();
    daten.LocateSettingsFile();
    rt::ManualClock clock{12, 0, 0};
    TFMenue menue(daten, clock);
    menue.Warn = [](const QString&) {};
    for (int opening = 1; opening <= 3; ++opening) {
        SCOPED_TRACE(opening);
        QRect client, notebook;
        bool framed = false;
        QElapsedTimer waited;
        waited.start();
        QTimer poll;
        // Once the window manager has framed the window, give the window a moment to settle.
        QObject::connect(&poll, &QTimer::timeout, [&] {
            QWindow* w = menue.Form->windowHandle();
            if (!framed && w && !w->frameMargins().isNull()) {
                framed = true;
                waited.restart();
            }
            if ((framed && waited.elapsed() >= 400) || waited.elapsed() >= 8000) {
                client = menue.Form->rect();
                notebook = menue.TNB1->geometry();
                menue.Form->close();
            }
        });
        poll.start(50);
        menue.TNB1->setCurrentIndex(opening % 2 ? 0 : 2);
        menue.ShowModal();
        ASSERT_TRUE(framed) << "the window manager never framed the window";
        EXPECT_EQ(client.size(), QSize(586, 377));
        EXPECT_EQ(menue.Form->clientWidth(), 586);
        EXPECT_EQ(menue.Form->clientHeight(), 377);
        EXPECT_EQ(notebook, QRect(-1, 0, client.width() + 1, client.height()))
            << "the notebook must fill the client area";
    }
}
