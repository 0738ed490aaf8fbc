#include "runtime/Application.h"
#include "runtime/Form.h"

#include <QApplication>
#include <QDialog>
#include <QPushButton>
#include <QStyleOptionButton>
#include <QWindow>
#include <gtest/gtest.h>

#include <vector>

namespace {

// Every native window shown, with whether it asked the window manager not to give it the focus.
class ShowWatch : public QObject {
public:
    ShowWatch() { qApp->installEventFilter(this); }
    ~ShowWatch() override { qApp->removeEventFilter(this); }
    std::vector<bool> quiet;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Show && watched->isWindowType())
            quiet.push_back(watched->property("_q_showWithoutActivating").toBool());
        return false;
    }
};

} // namespace

// A window that changes its frame or comes back from hidden while another program (here another
// window) has the keyboard must not take it; the window the user works in keeps it, on the same
// control.
TEST(FormFocus, AWindowShownAgainTakesTheKeyboardOnlyIfItHadIt) {
    rt::Form board;
    auto* button = new QPushButton(QStringLiteral("Knopf"), &board);
    board.setBounds(10, 10, 337, 63);
    rt::Form other;
    other.setBounds(400, 10, 200, 100);
    ShowWatch watch;

    board.show();
    other.show();
    other.activateWindow();
    QApplication::processEvents();
    ASSERT_EQ(watch.quiet, (std::vector<bool>{false, false})); // first showings are the user's
    ASSERT_TRUE(other.isActiveWindow());

    board.setBorder(rt::Form::Border::None); // a reminder comes up
    board.hide();                            // waits in the panel
    board.show();                            // and comes back
    EXPECT_EQ(watch.quiet, (std::vector<bool>{false, false, true, true}));

    board.bringToFront();
    button->setFocus();
    QApplication::processEvents();
    ASSERT_TRUE(board.isActiveWindow());
    board.setBorder(rt::Form::Border::Dialog); // the user's own change of size
    QApplication::processEvents();
    EXPECT_FALSE(watch.quiet.back());
    EXPECT_EQ(board.focusWidget(), button);
}

// The outer sizes are reckoned with a thin frame; a taller one grows the window around a client
// area that must hold its content, and only where the frame leaves too little.
TEST(FormFocus, AMinimumClientAreaGrowsTheFramedWindowOnly) {
    rt::Form form;
    form.setBounds(0, 0, 337, 63);
    form.setMinimumClientSize(QSize(335, 39));
    EXPECT_EQ(form.outerHeight(), 63); // the assumed thin frame leaves enough
    form.setMinimumClientSize(QSize(335, 50));
    EXPECT_EQ(form.clientHeight(), 50);
    EXPECT_EQ(form.outerHeight(),
              50 + rt::Form::kAssumedFrame.top() + rt::Form::kAssumedFrame.bottom());
    EXPECT_EQ(form.outerWidth(), 337);
    form.setBorder(rt::Form::Border::None);
    form.setOuterSize(333, 168);
    EXPECT_EQ(form.clientWidth(), 333); // a frameless prompt keeps its size
}

// A dialog shows its focus frame from the moment it opens.
TEST(FormFocus, DialogsShowTheFocusFrameFromTheStart) {
    rt::showFocusOnOpen(*qApp);
    QDialog dialog;
    auto* button = new QPushButton(QStringLiteral("Schließen"), &dialog);
    button->setFocus();
    dialog.show();
    QApplication::processEvents();
    QApplication::processEvents();
    QStyleOptionButton option;
    option.initFrom(button);
    EXPECT_TRUE(option.state & QStyle::State_HasFocus);
    EXPECT_TRUE(option.state & QStyle::State_KeyboardFocusChange);
}
