#include "runtime/Form.h"
#include "runtime/MessageBox.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QTimer>
#include <QWindow>
#include <gtest/gtest.h>

namespace {

QMessageBox* openBox() {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* box = qobject_cast<QMessageBox*>(w); box && box->isVisible())
            return box;
    return nullptr;
}

} // namespace

// A window shown modally is a dialog of the window it was opened from, with a close button but
// no minimise button (minimised, it would leave nothing of the program to work with); the board
// keeps its own. A report that comes while it is open belongs to it, so that it lies above it
// and can be used, and it stays until the user closes it, also when the modal window went first.
TEST(ModalWindows, AreDialogsOfTheirOpenerAndOwnTheReportsRaisedMeanwhile) {
    rt::Form board;
    board.setBounds(0, 0, 400, 300);
    board.show();
    board.activateWindow();
    QCoreApplication::processEvents();
    EXPECT_TRUE(board.windowFlags() & Qt::WindowMinimizeButtonHint);

    rt::Form help;
    help.setBounds(50, 50, 300, 200);
    bool closed = false;
    QMessageBox* box = nullptr;
    QTimer::singleShot(0, &help, [&] {
        EXPECT_TRUE(help.isShownModal());
        EXPECT_EQ(help.windowType(), Qt::Dialog);
        EXPECT_TRUE(help.windowFlags() & Qt::WindowCloseButtonHint);
        EXPECT_FALSE(help.windowFlags() & Qt::WindowMinimizeButtonHint);
        EXPECT_EQ(help.windowHandle() ? help.windowHandle()->transientParent() : nullptr,
                  board.windowHandle());

        rt::openError(&board, QStringLiteral("Die Einstellungen können nicht gespeichert werden."),
                      [&] { closed = true; });
        // It shows once the modal window is on the screen.
        QElapsedTimer waited;
        waited.start();
        while (!(box = openBox()) && waited.elapsed() < 5000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        if (box)
            EXPECT_EQ(box->parentWidget(), &help);
        else
            ADD_FAILURE() << "no report box";
        help.close();
    });
    help.showModal();
    EXPECT_FALSE(help.isShownModal());
    ASSERT_NE(box, nullptr);
    EXPECT_FALSE(help.isVisible());

    QCoreApplication::processEvents();
    ASSERT_EQ(openBox(), box) << "the report outlives the window it belonged to";
    box->button(QMessageBox::Ok)->click();
    QCoreApplication::processEvents();
    EXPECT_TRUE(closed);
    EXPECT_EQ(openBox(), nullptr);
}
