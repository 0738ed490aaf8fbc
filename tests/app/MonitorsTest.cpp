#include "support/BoardFixture.h"

#include "desktop/Screens.h"

namespace {

const QRect kLeft(0, 0, 1024, 768);
const QRect kRight(1024, 0, 1280, 1024);

// Two monitors side by side, the one on the left primary unless a test says otherwise; a monitor
// can be unplugged.
struct TwoMonitors final : Screens {
    QList<QRect> monitors{kLeft, kRight};
    QRect primary = kLeft;
    QRect MonitorOf(const QRect& window) const override {
        return desk::monitorFor(monitors, primary, window);
    }
    void unplug(const QRect& monitor) {
        monitors.removeAll(monitor);
        if (Changed)
            Changed();
    }
};

} // namespace

// The board with the time switch on from the start (quick start): the training prompt every
// 26 seconds, no watchdog.
class BoardOnTwoMonitors : public BoardFixture {
protected:
    void start() {
        screens = &monitors;
        TSettings s;
        s.DSTimer = 1;
        s.T2On = 0;
        s.m1 = 0;
        s.s1 = 26;
        writeSettings(s);
        create(kLeft.width(), kLeft.height());
    }
    // The user drags the small window.
    void drag(int left, int top) { board->Form->setBounds(left, top, 337, 63); }
    QRect bounds() const {
        return {board->Form->left(), board->Form->top(), board->Form->outerWidth(),
                board->Form->outerHeight()};
    }

    TwoMonitors monitors;
};

TEST_F(BoardOnTwoMonitors, PromptAndSequenceComeOnTheMonitorOfTheSmallWindow) {
    start();
    EXPECT_TRUE(kLeft.contains(bounds())) << "a start waits on the primary monitor";
    // Near the bottom right corner of the right monitor: the larger prompt sticks out there.
    drag(2000, 900);
    seconds(26);
    ASSERT_TRUE(trainShown());
    EXPECT_TRUE(kRight.contains(bounds()));
    EXPECT_EQ(bounds().right(), kRight.right());
    EXPECT_EQ(bounds().bottom(), kRight.bottom());

    // A sequence from the prompt covers exactly that monitor, and so do its pictures.
    board->SBAtmenClick();
    EXPECT_EQ(bounds(), kRight);
    EXPECT_EQ(board->PAtmen->size(), kRight.size());

    // The smaller framed board is centred on it: round(1280 * 0.85) x round(1025 * 0.85).
    board->HandleSize();
    EXPECT_EQ(bounds(), QRect(1024 + (1280 - 1088) / 2, (1024 - 871) / 2, 1088, 871));
    board->HandleSize();
    board->HandleSize();
    EXPECT_EQ(bounds(), kRight);

    // Back: the small window where the prompt was, still on the right monitor.
    board->SBCloseClick();
    EXPECT_EQ(board->SizeMode, Mini);
    EXPECT_TRUE(kRight.contains(bounds()));
}

TEST_F(BoardOnTwoMonitors, UnpluggedMonitorSendsTheBoardToThePrimaryOne) {
    start();
    drag(1500, 500);
    seconds(1);
    monitors.unplug(kRight);
    // Within the primary monitor's bounds, right and bottom edges first.
    EXPECT_EQ(bounds(), QRect(1024 - 337, 500, 337, 63));
    // The next prompt comes there too.
    seconds(25);
    ASSERT_TRUE(trainShown());
    EXPECT_TRUE(kLeft.contains(bounds()));

    // The full-screen board on a monitor that goes covers the primary one instead.
    monitors.monitors << kRight;
    drag(1500, 500);
    board->SBAtmenClick();
    ASSERT_EQ(bounds(), kRight);
    monitors.unplug(kRight);
    EXPECT_EQ(bounds(), kLeft);
    EXPECT_EQ(board->PAtmen->size(), kLeft.size());
}

TEST_F(BoardOnTwoMonitors, PrimaryMonitorOnTheRight) {
    monitors.primary = kRight;
    start();
    // The quick start centres the small window on the primary monitor, wherever it lies.
    EXPECT_EQ(board->MiniLeft, 1024 + 472); // round((1280 - 335) / 2) = round(472.5)
    EXPECT_EQ(bounds().topLeft(), QPoint(board->MiniLeft, board->MiniTop));
    // The windows opened over the board are centred on its monitor.
    EXPECT_EQ(board->Monitor(), QRect(1024, 0, 1280, 1024));
    drag(100, 100);
    EXPECT_EQ(board->Monitor(), QRect(0, 0, 1024, 768));
}

TEST(MonitorFor, LargestShareWinsAndNoneMeansThePrimary) {
    const QList<QRect> both{kLeft, kRight};
    EXPECT_EQ(desk::monitorFor(both, kLeft, QRect(1000, 10, 337, 63)), kRight);
    EXPECT_EQ(desk::monitorFor(both, kLeft, QRect(800, 10, 337, 63)), kLeft);
    EXPECT_EQ(desk::monitorFor(both, kRight, QRect(3000, 10, 337, 63)), kRight);
    EXPECT_EQ(desk::monitorFor(both, kLeft, QRect()), kLeft);
    EXPECT_EQ(desk::monitorFor({}, kLeft, QRect(1000, 10, 337, 63)), kLeft);
}
