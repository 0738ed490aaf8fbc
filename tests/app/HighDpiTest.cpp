#include "support/BoardFixture.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QWindow>

// On a screen scaled to 200 % (the test entry "drawing_at_200_percent" runs these with
// QT_SCALE_FACTOR=2; at any other scale they skip).
class AtTwiceTheResolution : public BoardFixture {
protected:
    void SetUp() override {
        if (qApp->devicePixelRatio() != 2.0)
            GTEST_SKIP() << "runs with QT_SCALE_FACTOR=2";
        BoardFixture::SetUp();
    }
};

namespace {

// Columns one pixel wide, red and blue in turn; the bottom left pixel green (the key colour of a
// transparent picture).
QImage Stripes(int width, int height) {
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, x % 2 ? qRgb(0, 0, 255) : qRgb(255, 0, 0));
    image.setPixel(0, height - 1, qRgb(0, 255, 0));
    return image;
}

} // namespace

TEST_F(AtTwiceTheResolution, PicturesAreDrawnFromTheirSourceInTheScreensPixels) {
    const QImage source = Stripes(200, 100);
    for (const bool transparent : {false, true}) {
        QWidget window;
        auto* image = new rt::Image(&window);
        rt::setBounds(image, 0, 0, 100, 50);
        image->setTransparent(transparent);
        image->setPicture(source);
        EXPECT_EQ(image->shownSize(), QSize(200, 100));
        const QImage drawn = image->grab().toImage();
        ASSERT_EQ(drawn.size(), QSize(200, 100));
        int differing = 0;
        for (int x = 0; x < 200; ++x)
            differing += drawn.pixel(x, 10) != source.pixel(x, 10);
        EXPECT_EQ(differing, 0) << "transparent " << transparent
                                << ": every column as in the picture, none smeared";
    }

    // A large picture held at the size it is shown keeps the screen's pixels of it.
    QWidget window;
    auto* image = new rt::Image(&window);
    rt::setBounds(image, 0, 0, 100, 50);
    image->setPicture(Stripes(400, 200));
    image->keepAtShownSize();
    EXPECT_EQ(image->bitmap().size(), QSize(200, 100));
}

TEST_F(AtTwiceTheResolution, TheBoardKeepsItsSizesInLogicalPixels) {
    TSettings s;
    s.DSTimer = 1;
    writeSettings(s);
    create(1920, 1080);
    ASSERT_EQ(board->SizeMode, Mini);
    EXPECT_EQ(board->Form->outerWidth(), 337);
    EXPECT_EQ(board->PSButtons->size(), QSize(335, 39));
    EXPECT_EQ(board->SBSize->geometry(), QRect(136, 5, 30, 30));
    EXPECT_EQ(board->Form->devicePixelRatioF(), 2.0);
    // Every glyph of the bar drawn at the screen's resolution, not its 26 pixels doubled.
    for (rt::SpeedButton* b :
         {board->SBAtmen, board->SBYoga, board->SBAugen, board->SBEntsp, board->SBSize,
          board->SBWecker, board->SBHilfe, board->SBMenue, board->SBImpres, board->SBClose}) {
        EXPECT_EQ(b->glyph().size(), QSize(52, 52)) << b->glyphName().toStdString();
        EXPECT_EQ(b->glyph().devicePixelRatio(), 2.0);
    }

    // The small window keeps the sunset at twice its size at least, not a copy of its size that
    // the screen would double.
    QCoreApplication::processEvents();
    while (board->Ahead().decodeNext()) {
    }
    rt::Image* sunset = board->IStart[11];
    ASSERT_FALSE(sunset->isEmpty());
    EXPECT_GE(sunset->bitmap().width(), 2 * sunset->width());
    EXPECT_GE(sunset->bitmap().height(), 2 * sunset->height());

    // The full-screen board is the screen, in logical pixels.
    board->SBSizeClick();
    ASSERT_EQ(board->SizeMode, Maxi);
    EXPECT_EQ(board->Form->size(), QSize(1920, 1080));
    EXPECT_EQ(board->PSButtons->geometry(), QRect(1920 - 335 - 2, 1080 - 39, 335, 39));
}

// Under a window manager at 200 % (run by tests/wm/settings-window.sh): the frame the window
// manager tells before a window is shown counts in logical pixels, as the frame Qt reads once
// the window is framed; else the window is first placed with a frame twice as large.
TEST(FrameOnAScaledDesktop, FrameToldAheadIsTheOneQtReads) {
    if (qEnvironmentVariableIsEmpty("QUILLET_WM_DESKTOP") || qApp->devicePixelRatio() != 2.0)
        GTEST_SKIP() << "needs a window manager and QT_SCALE_FACTOR=2";
    rt::Form form;
    form.setBounds(100, 100, 400, 300);
    const QMargins told = form.frameMargins();
    form.show();
    QElapsedTimer waited;
    waited.start();
    while (form.windowHandle()->frameMargins().isNull() && waited.elapsed() < 8000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    ASSERT_FALSE(form.windowHandle()->frameMargins().isNull()) << "never framed";
    EXPECT_EQ(told, form.windowHandle()->frameMargins());
}
