#include "runtime/Controls.h"
#include "runtime/ErrorReport.h"
#include "runtime/Form.h"
#include "runtime/Timer.h"

#include <QPainter>
#include <gtest/gtest.h>

TEST(Glyphs, TheBottomLeftColourIsTransparent) {
    QImage bmp(4, 3, QImage::Format_RGB32);
    bmp.fill(qRgb(128, 128, 0));
    bmp.setPixel(1, 1, qRgb(10, 20, 30));
    bmp.setPixel(3, 0, qRgb(128, 128, 1)); // close, but not the key
    const QImage out = rt::keyOutBottomLeft(bmp);
    EXPECT_EQ(qAlpha(out.pixel(0, 0)), 0);
    EXPECT_EQ(qAlpha(out.pixel(0, 2)), 0);
    EXPECT_EQ(out.pixel(1, 1), qRgb(10, 20, 30));
    EXPECT_EQ(qAlpha(out.pixel(3, 0)), 255);
}

TEST(SpeedButtons, PaintInEveryState) {
    QWidget bar;
    rt::SpeedButton button(&bar);
    button.setGeometry(0, 0, 30, 30);
    QImage glyph(26, 26, QImage::Format_RGB32);
    glyph.fill(qRgb(128, 128, 0));
    glyph.setPixel(13, 13, qRgb(0, 0, 255));
    button.setGlyph(glyph);
    for (bool flat : {false, true})
        for (bool enabled : {true, false}) {
            button.setFlat(flat);
            button.setEnabled(enabled);
            const QImage shown = button.grab().toImage();
            ASSERT_EQ(shown.size(), QSize(30, 30));
            // The key colour never shows; the glyph does (greyed when disabled).
            EXPECT_NE(shown.pixel(3, 3) & 0xffffff, 0x808000u);
            EXPECT_NE(shown.pixel(15, 15), shown.pixel(3, 3)) << flat << enabled;
        }
}

TEST(ImageControl, PaintsItsBitmapStretchedAndSeesChangesToIt) {
    QWidget host;
    host.resize(40, 20);
    rt::Image image(&host);
    image.setGeometry(0, 0, 40, 20);
    QImage bmp(4, 2, QImage::Format_RGB32);
    bmp.fill(Qt::blue);
    image.setPicture(bmp);
    EXPECT_EQ(image.grab().toImage().pixel(30, 15), QColor(Qt::blue).rgb());

    // Direct pixel access on the loaded bitmap, then a drawing on it.
    image.bitmap().setPixel(3, 1, qRgb(255, 0, 0));
    {
        QPainter p(&image.bitmap());
        p.fillRect(0, 0, 1, 1, Qt::green);
    }
    image.bitmapChanged();
    const QImage shown = image.grab().toImage();
    EXPECT_EQ(shown.pixel(35, 15), qRgb(255, 0, 0));
    EXPECT_EQ(shown.pixel(2, 2), QColor(Qt::green).rgb());
    EXPECT_EQ(image.bitmap().size(), QSize(4, 2)) << "the bitmap keeps its own size";
}

TEST(FormShapes, OuterSizeIncludesTheDialogFrame) {
    rt::Form form;
    form.setBounds(10, 20, 337, 63);
    EXPECT_EQ(form.clientWidth(), 335);
    EXPECT_EQ(form.clientHeight(), 39);
    form.setBorder(rt::Form::Border::None);
    EXPECT_EQ(form.clientWidth(), 337);
    EXPECT_EQ(form.clientHeight(), 63);
    EXPECT_TRUE(form.windowFlags() & Qt::FramelessWindowHint);
    form.setStayOnTop(true);
    EXPECT_TRUE(form.windowFlags() & Qt::WindowStaysOnTopHint);
    form.centreOn(1024, 768);
    EXPECT_EQ(form.left(), (1024 - 337) / 2);
    EXPECT_EQ(form.top(), (768 - 63) / 2);
}

TEST(FormShapes, ChangingTheFrameOfAShownWindowKeepsItShownAndInPlace) {
    rt::Form form;
    form.setBounds(50, 60, 300, 200);
    form.show();
    form.setBorder(rt::Form::Border::None);
    form.setStayOnTop(true);
    EXPECT_TRUE(form.isVisible());
    EXPECT_EQ(form.left(), 50);
    EXPECT_EQ(form.top(), 60);
}

TEST(Timers, EnabledAndIntervalBehaveLikeProperties) {
    rt::Timer t(500);
    EXPECT_FALSE(t.enabled());
    t.setEnabled(true);
    t.setInterval(2);
    EXPECT_TRUE(t.enabled());
    EXPECT_EQ(t.interval(), 2);
    t.setEnabled(false);
    EXPECT_FALSE(t.enabled());
}

TEST(Timers, PeriodsOfATenthOfASecondOrMoreStartInStep) {
    // The first tick comes at the next multiple of the period, so two one-second timers
    // started a few milliseconds apart expire together.
    EXPECT_EQ(rt::Timer::firstDelay(10'234, 1000), 766);
    EXPECT_EQ(rt::Timer::firstDelay(10'240, 1000), 760);
    EXPECT_EQ(rt::Timer::firstDelay(10'000, 1000), 1000);
    EXPECT_EQ(rt::Timer::firstDelay(10'234, 500), 266);
    // The blind's two-millisecond ticks start at once.
    EXPECT_EQ(rt::Timer::firstDelay(10'233, 2), 2);
}
