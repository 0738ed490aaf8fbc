#include "sequences/SequenceFixture.h"

#include "app/Elapsed.h"
#include "sequences/BodyScan.h"
#include "sequences/UProcEnt.h"

#include <memory>

namespace {
constexpr QRgb kBody = 0xff8a6f5au;
constexpr QRgb kOther = 0xff202020u;
} // namespace

class Relaxation : public SequenceFixture {
protected:
    // A body picture of the given size in the body colour, with one stripe of another colour,
    // so that the scan has something to fill and something to leave alone.
    void bodyPicture(int w, int h) {
        QImage body(w, h, QImage::Format_RGB32);
        body.fill(kBody);
        for (int y = 0; y < h; ++y)
            body.setPixel(std::min(w - 1, 70), y, kOther);
        const QString path = sounds.path() + QStringLiteral("/Pictures/Entsp/body.bmp");
        QDir().mkpath(QFileInfo(path).path());
        ASSERT_TRUE(body.save(path, "BMP"));
        // Pictures come from this folder now; the others are missing and reported.
        files = rt::DataFiles(QStringList{sounds.path()});
    }
    void start(const std::function<void(TSettings&)>& change = {}) {
        prepare(change);
        ent = std::make_unique<TFProcEnt>(*board);
        board->AttachSequencer(SeqEnt, ent.get());
        heard.clear();
        board->SBEntspClick();
    }
    void run(int ms) {
        SequenceFixture::run(
            ent->TimerEntsp, [this] { ent->TimerEntspTimer(); }, ms);
    }
    void runTo(std::uint16_t step) {
        for (int guard = 0; ent->EntStep != step && guard < 100'000; ++guard)
            run(500);
    }
    int filled() const {
        const QImage& body = board->IEntsp1->bitmap();
        int n = 0;
        for (int y = 0; y < body.height(); ++y)
            for (int x = 0; x < body.width(); ++x)
                n += body.pixel(x, y) == TFProcEnt::EntFillColour;
        return n;
    }

    std::unique_ptr<TFProcEnt> ent;
};

TEST_F(Relaxation, FullRunAtDefaultSettings) {
    start();
    run(400'000);
    ASSERT_FALSE(ent->TimerEntsp.enabled());
    EXPECT_EQ(firstTime("entsp/indoc.wav"), 500);
    // Thirteen counts of two seconds from 13 s on.
    EXPECT_EQ(firstTime("entsp/eins.wav"), 17'000);
    EXPECT_EQ(firstTime("entsp/zehn.wav"), 35'000);
    EXPECT_EQ(firstTime("entsp/ents0.wav"), 39'500);
    // Ten regions: nine of 20 s and the head of 35 s, 215 s together.
    for (int k = 1; k <= 10; ++k)
        EXPECT_EQ(firstTime(QStringLiteral("entsp/ents%1.wav").arg(k)), 43'500 + 20'000 * (k - 1))
            << k;
    EXPECT_EQ(firstTime("mantra.wav"), 43'000 + 215'000 + 500);
    EXPECT_EQ(firstTime("entsp/outdoc.wav"), 266'500);
    // The journey back says "Ende der Übung" at its twelfth count, and ends at the thirteenth.
    EXPECT_EQ(firstTime("entsp/ende.wav"), 273'000 + 12 * 2'000);
    EXPECT_EQ(heard.back().name, QStringLiteral("stop"));
    EXPECT_EQ(heard.back().ms, 273'000 + 13 * 2'000);
    EXPECT_TRUE(board->PKino->isHidden());
    EXPECT_TRUE(board->PEntsp->isHidden());
}

TEST_F(Relaxation, BodyFillsRegionByRegionInTheBodyColourOnly) {
    bodyPicture(200, 500);
    start();
    runTo(4);
    EXPECT_FALSE(board->PEntsp1->isHidden());
    ASSERT_TRUE(ent->EntBodyColour.has_value());
    EXPECT_EQ(*ent->EntBodyColour, kBody);
    EXPECT_EQ(filled(), 0);
    run(500);
    // Region 1: round(3.5 x 20) = 70 samples a tick in x 60..97, y 364..484.
    const int afterOne = filled();
    EXPECT_GT(afterOne, 50);
    EXPECT_LE(afterOne, 70);
    runTo(14);
    const QImage& body = board->IEntsp1->bitmap();
    for (int y = 0; y < body.height(); ++y)
        ASSERT_EQ(body.pixel(70, y), kOther) << "only the body colour is filled";
    // Nothing outside the regions: the rows below the feet stay as they were.
    for (int y = 485; y < 500; ++y)
        for (int x = 0; x < 200; ++x)
            ASSERT_NE(body.pixel(x, y), TFProcEnt::EntFillColour);
    EXPECT_GT(filled(), 10'000);
}

TEST_F(Relaxation, SecondRunStartsWithAnUnpaintedFigure) {
    bodyPicture(200, 500);
    start();
    runTo(6);
    ASSERT_GT(filled(), 0);
    board->SBEntspClick();
    EXPECT_EQ(ent->EntStep, 1);
    EXPECT_EQ(filled(), 0);
}

TEST_F(Relaxation, RegionOfNoLengthIsLeftOnItsFirstTick) {
    bodyPicture(200, 500);
    start([](TSettings& s) {
        s.Ent2m = 0;
        s.Ent2s = 0;
    });
    runTo(5);
    const int before = filled();
    run(500);
    EXPECT_EQ(ent->EntStep, 6);
    EXPECT_EQ(filled(), before) << "no samples";
    EXPECT_EQ(count("entsp/ents2.wav"), 1);
    EXPECT_TRUE(board->MemoText->lines().first().contains("linken Oberschenkel"));
}

TEST_F(Relaxation, SmallBodyPictureSkipsTheSamplesOutsideIt) {
    bodyPicture(120, 120); // far smaller than the rectangles reach
    start();
    run(400'000);
    EXPECT_FALSE(ent->TimerEntsp.enabled());
    EXPECT_GT(filled(), 0);
}

TEST_F(Relaxation, MissingBodyPictureLeavesTheScanEmptyButOnTime) {
    QTemporaryDir empty;
    QDir(empty.path()).mkpath("Pictures");
    files = rt::DataFiles(QStringList{sounds.path(), empty.path()});
    start();
    run(400'000);
    EXPECT_FALSE(ent->TimerEntsp.enabled());
    EXPECT_FALSE(ent->EntBodyColour.has_value());
    EXPECT_EQ(heard.back().ms, 273'000 + 13 * 2'000);
    EXPECT_FALSE(report.texts.filter("body.bmp").isEmpty());
}

TEST_F(Relaxation, TextOffStillWritesEveryLine) {
    start([](TSettings& s) {
        s.Text = 0;
        s.Sound = 0;
    });
    runTo(4);
    run(500);
    EXPECT_TRUE(board->PText->isHidden());
    EXPECT_TRUE(board->MemoText->lines().first().startsWith("... atmen in den linken Fuß"));
    EXPECT_TRUE(heard.empty());
}

TEST_F(Relaxation, FigureIsPlacedAsOnA1024x768Board) {
    bodyPicture(200, 500);
    start();
    EXPECT_EQ(board->PEntsp1->geometry(),
              QRect(110, RoundEven(768 * 140 / 768.0), 200, RoundEven(500 / 768.0 * 768)));
}

// ---- the sampling itself

TEST(BodyScan, SampleCountsRoundHalvesToEven) {
    EXPECT_EQ(RoundedShare(7, 2, 20), 70); // 3.5 x 20
    EXPECT_EQ(RoundedShare(1, 2, 15), 8);  // 7.5
    EXPECT_EQ(RoundedShare(1, 2, 17), 8);  // 8.5
    EXPECT_EQ(RoundedShare(5, 1, 15), 75);
    EXPECT_EQ(RoundedShare(57, 100, 150), 86); // 85.5 exactly, not 85.4999...
    EXPECT_EQ(RoundedShare(57, 100, 50), 28);  // 28.5
    EXPECT_EQ(RoundedShare(29, 4, 3659), 26528);
    EXPECT_EQ(RoundedShare(7, 2, 0), 0);
}

TEST(BodyScan, DrawsEveryPointOfItsRectangleAndNothingElse) {
    QImage picture(30, 30, QImage::Format_RGB32);
    picture.fill(kBody);
    SampleRandom random(42);
    std::uint16_t x = 0, y = 0;
    const SampleRect rect{5, 9, 10, 12};
    int changed = 0;
    for (int i = 0; i < 100; ++i)
        changed += ColourSamples(picture, rect, 10, kBody, TFProcEnt::EntFillColour, random, x, y);
    EXPECT_EQ(changed, 5 * 3);
    for (int py = 0; py < 30; ++py)
        for (int px = 0; px < 30; ++px) {
            const bool inside = px >= 5 && px <= 9 && py >= 10 && py <= 12;
            EXPECT_EQ(picture.pixel(px, py) == TFProcEnt::EntFillColour, inside) << px << ',' << py;
        }
    EXPECT_GE(x, 5);
    EXPECT_LE(y, 12);
    EXPECT_EQ(ColourSamples(picture, rect, 0, kBody, 0, random, x, y), 0);
}

TEST(BodyScan, RandomNumbersStayInRangeAndAreEven) {
    SampleRandom random(7);
    std::array<int, 5> hits{};
    for (int i = 0; i < 50'000; ++i) {
        const int v = random.Between(3, 7);
        ASSERT_GE(v, 3);
        ASSERT_LE(v, 7);
        ++hits[size_t(v - 3)];
    }
    for (int h : hits)
        EXPECT_NEAR(h, 10'000, 600);
}
