// Drawing on loaded bitmaps, and the cache of decoded pictures.
#include "runtime/Canvas.h"
#include "runtime/DataFiles.h"
#include "runtime/PictureCache.h"

#include <QDir>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

QImage noise(int w, int h, quint32 seed) {
    QImage img(w, h, QImage::Format_RGB32);
    QRandomGenerator random(seed);
    for (int y = 0; y < h; ++y) {
        auto* row = reinterpret_cast<QRgb*>(img.scanLine(y));
        for (int x = 0; x < w; ++x)
            row[x] = 0xff000000u | (random.generate() & 0xffffffu);
    }
    return img;
}

// Lines in every direction, some reaching far beyond the picture, and ellipses small, large
// and cut by the edges: the figures the eye exercises draw.
void figure(rt::Canvas& c, QColor colour, int width) {
    c.setPen(colour, width, rt::PenMode::NotXor);
    c.moveTo(20, 20);
    c.lineTo(180, 90);
    c.lineTo(30, 110);
    c.moveTo(100, 60);
    c.lineTo(-50, 300);
    c.moveTo(5, 5);
    c.lineTo(5, 6);
    c.ellipse(40, 30, 60, 50);
    c.ellipse(-410, 36, 190, 636);
    c.ellipse(150, 10, 260, 90);
}

} // namespace

TEST(Canvas, NotXorFigureDrawnTwiceRestoresTheBitmapBitForBit) {
    for (int width = 2; width <= 5; ++width) {
        for (QColor colour : {QColor(Qt::black), QColor(255, 0, 0)}) {
            SCOPED_TRACE(width);
            const QImage original = noise(200, 120, quint32(width));
            QImage img = original;
            {
                rt::Canvas c(img);
                figure(c, colour, width);
            }
            ASSERT_NE(img, original) << "the figure shows";
            {
                rt::Canvas c(img);
                figure(c, colour, width);
            }
            EXPECT_EQ(img, original);
        }
    }
}

TEST(Canvas, NotXorTurnsEachPixelIntoNotOfPixelXorPen) {
    QImage img(40, 40, QImage::Format_RGB32);
    img.fill(qRgb(0x12, 0x80, 0xf0));
    {
        rt::Canvas c(img);
        c.setPen(QColor(255, 0, 0), 4, rt::PenMode::NotXor);
        c.moveTo(0, 20);
        c.lineTo(39, 20);
    }
    EXPECT_EQ(img.pixel(20, 20), qRgb(0x12, 0x7f, 0x0f)); // NOT(12 80 f0 XOR ff 00 00)
    EXPECT_EQ(img.pixel(20, 5), qRgb(0x12, 0x80, 0xf0));
    {
        rt::Canvas c(img);
        c.setPen(Qt::black, 2, rt::PenMode::NotXor);
        c.moveTo(20, 0);
        c.lineTo(20, 10);
    }
    EXPECT_EQ(img.pixel(20, 5), qRgb(0xed, 0x7f, 0x0f)); // black inverts
}

TEST(Canvas, CopyModePaintsThePensColourAndLeavesTheInsideOfAnEllipse) {
    QImage img(100, 100, QImage::Format_RGB32);
    img.fill(Qt::white);
    {
        rt::Canvas c(img);
        c.setPen(QColor(255, 0, 0), 4, rt::PenMode::Copy);
        c.moveTo(10, 90);
        c.lineTo(90, 90);
        c.ellipse(20, 20, 80, 80);
    }
    EXPECT_EQ(img.pixel(50, 90), qRgb(255, 0, 0));
    EXPECT_EQ(img.pixel(50, 20), qRgb(255, 0, 0)); // top of the outline
    EXPECT_EQ(img.pixel(50, 50), qRgb(255, 255, 255));
}

TEST(Canvas, OtherFormatsAreDrawnOnAsRgbAndANullBitmapIsLeftAlone) {
    QImage rgb888(30, 30, QImage::Format_RGB888);
    rgb888.fill(Qt::white);
    {
        rt::Canvas c(rgb888);
        c.setPen(Qt::black, 2, rt::PenMode::NotXor);
        c.moveTo(0, 15);
        c.lineTo(29, 15);
    }
    EXPECT_EQ(rgb888.format(), QImage::Format_RGB32);
    EXPECT_EQ(rgb888.pixel(15, 15), qRgb(0, 0, 0));

    QImage none;
    rt::Canvas c(none);
    c.setPen(Qt::black, 2, rt::PenMode::NotXor);
    c.lineTo(10, 10);
    c.ellipse(0, 0, 5, 5);
    EXPECT_TRUE(none.isNull());
}

TEST(Canvas, DrawingOnAShownCopyLeavesTheCachedPictureAlone) {
    QTemporaryDir dir;
    QDir(dir.path()).mkpath("Pictures/Augen");
    QImage white(50, 50, QImage::Format_RGB32);
    white.fill(Qt::white);
    ASSERT_TRUE(white.save(dir.path() + "/Pictures/Augen/augen.bmp", "BMP"));
    const rt::DataFiles files(QStringList{dir.path()});
    rt::PictureCache cache;
    QImage shown = cache.get(files, "Pictures\\Augen\\augen.bmp").image;
    {
        rt::Canvas c(shown);
        c.setPen(Qt::black, 2, rt::PenMode::NotXor);
        c.moveTo(0, 25);
        c.lineTo(49, 25);
    }
    EXPECT_EQ(shown.pixel(25, 25), qRgb(0, 0, 0));
    EXPECT_EQ(cache.get(files, "Pictures\\Augen\\augen.bmp").image.pixel(25, 25),
              qRgb(255, 255, 255));
}

TEST(PictureCache, DecodesOnceKeepsTheRecentOnesAndRemembersFailures) {
    QTemporaryDir dir;
    QDir(dir.path()).mkpath("Pictures/Yoga");
    for (int n = 1; n <= 3; ++n) {
        QImage img(8, 8, QImage::Format_RGB32);
        img.fill(QColor(n * 40, 0, 0));
        ASSERT_TRUE(img.save(QStringLiteral("%1/Pictures/Yoga/p%2.bmp").arg(dir.path()).arg(n)));
    }
    const rt::DataFiles files(QStringList{dir.path()});
    rt::PictureCache cache(2);
    bool decoded = false;
    const qint64 key = cache.get(files, "Pictures\\Yoga\\p1.bmp", &decoded).image.cacheKey();
    EXPECT_TRUE(decoded);
    // Another spelling of the same file is the same picture.
    EXPECT_EQ(cache.get(files, "Pictures\\yoga\\P1.bmp", &decoded).image.cacheKey(), key);
    EXPECT_FALSE(decoded);
    EXPECT_EQ(cache.decodes(), 1);

    cache.get(files, "Pictures\\Yoga\\p2.bmp");
    cache.get(files, "Pictures\\Yoga\\p1.bmp"); // p1 is now the most recent
    cache.get(files, "Pictures\\Yoga\\p3.bmp"); // p2 goes
    EXPECT_EQ(cache.decodes(), 3);
    cache.get(files, "Pictures\\Yoga\\p1.bmp", &decoded);
    EXPECT_FALSE(decoded);
    cache.get(files, "Pictures\\Yoga\\p2.bmp", &decoded);
    EXPECT_TRUE(decoded);

    const rt::Picture& missing = cache.get(files, "Pictures\\Yoga\\p9.bmp", &decoded);
    EXPECT_TRUE(decoded);
    EXPECT_FALSE(missing.ok());
    EXPECT_TRUE(missing.error.contains("p9.bmp"));
    EXPECT_FALSE(cache.get(files, "Pictures\\Yoga\\p9.bmp", &decoded).ok());
    EXPECT_FALSE(decoded) << "a missing file is looked for once";
}
