// The keyboard and the screen reader in the runtime's controls: a bar of speed buttons walked
// with the arrow keys, its focus frame, Enter in a window and the order of Tab.
#include "runtime/Accessibility.h"
#include "runtime/Controls.h"
#include "runtime/Form.h"

#include <QApplication>
#include <QCheckBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QTimer>
#include <gtest/gtest.h>

#include <array>

namespace {

void press(QWidget* w, int key) {
    QKeyEvent down(QEvent::KeyPress, key, Qt::NoModifier);
    QApplication::sendEvent(w, &down);
    QKeyEvent up(QEvent::KeyRelease, key, Qt::NoModifier);
    QApplication::sendEvent(w, &up);
}

// Five buttons in a row, created out of their order on screen.
struct Bar {
    Bar() {
        form.setBorder(rt::Form::Border::None);
        form.setBounds(0, 0, 200, 40);
        for (int i : {2, 0, 4, 1, 3}) {
            buttons[size_t(i)] = new rt::SpeedButton(&form);
            buttons[size_t(i)]->setGeometry(4 + 33 * i, 5, 30, 30);
            buttons[size_t(i)]->onClick = [this, i] { clicked << i; };
        }
        form.show();
    }
    rt::SpeedButton* focused() const { return static_cast<rt::SpeedButton*>(form.focusWidget()); }
    rt::Form form;
    std::array<rt::SpeedButton*, 5> buttons{};
    QList<int> clicked;
};

} // namespace

TEST(KeyboardBar, ArrowsGoAlongTheBarRoundItsEndsPastHiddenAndDisabledButtons) {
    Bar bar;
    bar.buttons[1]->hide();
    bar.buttons[3]->setEnabled(false);
    rt::showFocus(bar.buttons[0]);
    QList<rt::SpeedButton*> seen;
    for (int i = 0; i < 4; ++i) {
        press(bar.focused(), Qt::Key_Right);
        seen << bar.focused();
    }
    EXPECT_EQ(seen, (QList<rt::SpeedButton*>{bar.buttons[2], bar.buttons[4], bar.buttons[0],
                                             bar.buttons[2]}));
    press(bar.focused(), Qt::Key_Left);
    press(bar.focused(), Qt::Key_Up);
    EXPECT_EQ(bar.focused(), bar.buttons[4]);
    EXPECT_TRUE(bar.clicked.isEmpty());
}

TEST(KeyboardBar, EnterAndSpacePressTheFocusedButtonOnce) {
    Bar bar;
    rt::showFocus(bar.buttons[2]);
    press(bar.focused(), Qt::Key_Return);
    press(bar.focused(), Qt::Key_Enter);
    press(bar.focused(), Qt::Key_Space);
    EXPECT_EQ(bar.clicked, (QList<int>{2, 2, 2}));
    // A click does not take the focus from where the keyboard left it.
    EXPECT_EQ(bar.buttons[0]->focusPolicy(), Qt::TabFocus);
}

TEST(KeyboardBar, TheFocusFrameShowsForTheKeyboardAndGoesWithTheMouse) {
    Bar bar;
    rt::SpeedButton* b = bar.buttons[1];
    QApplication::setActiveWindow(&bar.form);
    const QImage plain = b->grab().toImage();
    rt::showFocus(b);
    ASSERT_TRUE(b->hasFocus());
    const QImage framed = b->grab().toImage();
    const QRgb highlight = b->palette().color(QPalette::Active, QPalette::Highlight).rgb();
    // The frame runs round the button, two pixels in, on every side.
    for (QPoint p : {QPoint(15, 2), QPoint(2, 15), QPoint(27, 15), QPoint(15, 27)})
        EXPECT_EQ(framed.pixel(p), highlight) << p.x() << "," << p.y();
    EXPECT_NE(plain.pixel(15, 2), highlight);
    QMouseEvent click(QEvent::MouseButtonPress, QPointF(5, 5), QPointF(5, 5), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(bar.buttons[3], &click);
    EXPECT_EQ(b->grab().toImage(), plain);
}

TEST(KeyboardWindow, EnterPressesTheFocusedButtonButNotACheckBox) {
    rt::Form form;
    auto* button = new QPushButton(QStringLiteral("Reset"), &form);
    auto* box = new QCheckBox(QStringLiteral("Ton"), &form);
    int pressed = 0;
    QObject::connect(button, &QPushButton::clicked, [&] { ++pressed; });
    QList<int> keys;
    form.show();
    button->setFocus();
    press(button, Qt::Key_Return);
    EXPECT_EQ(pressed, 1);
    box->setFocus();
    press(box, Qt::Key_Return);
    EXPECT_FALSE(box->isChecked());
    // Keys nobody took reach the window's handler, which may take them itself.
    form.onKey = [&](int key) {
        keys << key;
        return key == Qt::Key_F1;
    };
    press(box, Qt::Key_F1);
    button->setFocus();
    press(button, Qt::Key_Return);
    EXPECT_EQ(keys, (QList<int>{Qt::Key_F1, Qt::Key_Return}));
    EXPECT_EQ(pressed, 2);
}

TEST(KeyboardWindow, TabGoesRowByRowAndIntoGroupsWhereTheyLieAndRound) {
    rt::Form window;
    window.setBounds(0, 0, 400, 300);
    auto edit = [](QWidget* parent, const char* name, int x, int y) {
        auto* e = new QLineEdit(parent);
        e->setObjectName(QLatin1String(name));
        e->setGeometry(x, y, 40, 20);
        return e;
    };
    // Made in a muddle: the second row first, the group before the row above it.
    edit(&window, "c", 10, 60);
    auto* group = new QWidget(&window);
    group->setGeometry(100, 55, 200, 60);
    edit(group, "e", 60, 30);
    edit(group, "d", 100, 5);
    edit(&window, "b", 200, 14);
    edit(&window, "a", 10, 10 + rt::kRowSlack - 1); // a few pixels lower: still the first row
    edit(&window, "f", 10, 200);
    edit(&window, "hidden", 10, 250)->hide();
    edit(&window, "disabled", 10, 280)->setEnabled(false);
    window.show();
    QString order;
    for (int i = 0; i < 7; ++i) {
        QKeyEvent tab(QEvent::KeyPress, Qt::Key_Tab, Qt::NoModifier);
        QApplication::sendEvent(window.focusWidget() ? window.focusWidget() : &window, &tab);
        order += window.focusWidget()->objectName();
    }
    EXPECT_EQ(order, QStringLiteral("abcdefa"));
    QKeyEvent back(QEvent::KeyPress, Qt::Key_Backtab, Qt::ShiftModifier);
    QApplication::sendEvent(window.focusWidget(), &back);
    EXPECT_EQ(window.focusWidget()->objectName(), QStringLiteral("f"));
}

TEST(KeyboardWindow, AModalWindowOpensWithItsFirstControlFocusedAndTheFocusShown) {
    rt::Form form;
    form.setBounds(100, 100, 300, 200);
    auto* lower = new QPushButton(QStringLiteral("unten"), &form);
    lower->setGeometry(10, 100, 80, 24);
    auto* upper = new QPushButton(QStringLiteral("oben"), &form);
    upper->setGeometry(150, 20, 80, 24);
    QWidget* focused = nullptr;
    bool shown = false;
    QTimer::singleShot(0, &form, [&] {
        focused = form.focusWidget();
        shown = form.testAttribute(Qt::WA_KeyboardFocusChange);
        form.close();
    });
    form.showModal();
    EXPECT_EQ(focused, upper); // the row on top, though made last
    EXPECT_TRUE(shown);
}
