#include "sequences/SequenceFixture.h"

#include "sequences/UProcAug.h"

#include <memory>

namespace {
constexpr QRgb kWhite = 0xffffffffu;
constexpr QRgb kRed = 0xffff0000u;

// The smallest rectangle around the pixels of one colour; null when there are none.
QRect boundsOf(const QImage& img, QRgb colour) {
    QRect r;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            if (img.pixel(x, y) == colour)
                r |= QRect(x, y, 1, 1);
    return r;
}
} // namespace

class Eyes : public SequenceFixture {
protected:
    void start(const std::function<void(TSettings&)>& change = {}, int screenWidth = 1024,
               int screenHeight = 768) {
        prepare(change, screenWidth, screenHeight);
        aug = std::make_unique<TFProcAug>(*board);
        board->AttachSequencer(SeqAug, aug.get());
        heard.clear();
        board->SBAugenClick();
    }
    void run(int ms) {
        SequenceFixture::run(
            aug->TimerAugen, [this] { aug->TimerAugenTimer(); }, ms);
    }
    void tick() { run(500); }
    void runTo(std::uint16_t step) {
        for (int guard = 0; aug->AugStep != step && guard < 100'000; ++guard)
            tick();
        ASSERT_EQ(aug->AugStep, step);
    }
    // A plain white face, so that every drawn pixel can be told apart.
    void whiteFace() {
        QImage face(1024, 768, QImage::Format_RGB32);
        face.fill(kWhite);
        const QString path = sounds.path() + QStringLiteral("/Pictures/Augen/augen.bmp");
        QDir().mkpath(QFileInfo(path).path());
        ASSERT_TRUE(face.save(path, "BMP"));
        files = rt::DataFiles(QStringList{sounds.path(), QStringLiteral(QUILLET_SOURCE_DATA_DIR)});
    }
    const QImage& face() const { return board->IAugen->bitmap(); }
    QString text() const { return board->MemoText->toPlainText(); }

    // The texts and the values `value` reads after each movement of a looping step.
    template <typename F>
    std::pair<QStringList, std::vector<int>> movementsOf(std::uint16_t step, F value) {
        runTo(step);
        QStringList texts;
        std::vector<int> values;
        for (int guard = 0; aug->AugStep == step && guard < 10'000; ++guard) {
            const size_t before = heard.size();
            tick();
            if (heard.size() > before && aug->AugStep == step) {
                texts << text();
                values.push_back(value());
            }
        }
        return {texts, values};
    }

    std::unique_ptr<TFProcAug> aug;
};

// The whole sequence at its default settings, narration by narration. Intros speak on their
// first tick; a looping step's movements come every movement length from its start, and the
// step is left half a second after its last one, which the next step's whole-second start
// takes back.
TEST_F(Eyes, FullRunAtDefaultSettings) {
    start();
    run(400'000);
    ASSERT_FALSE(aug->TimerAugen.enabled());

    std::vector<Heard> expected{{0, QStringLiteral("stop")}};
    auto at = [&](int ms, const char* name) {
        expected.push_back({ms, QString::fromLatin1(name)});
    };
    auto exercise = [&](int begin, const char* one, const char* other, const char* middle) {
        for (int k = 2; k <= 22; ++k) // 4 x 5 passes + 1 movements, counted from 2
            at(begin + (k - 1) * 2'000, k % 4 == 1 ? one : k % 4 == 3 ? other : middle);
    };
    at(500, "augen/aug1.wav");
    exercise(23'000, "augen/rechts.wav", "augen/links.wav", "augen/mitte.wav");
    at(68'000, "augen/close.wav"); // 3 s into the pause, which began at 65 s
    at(79'500, "augen/aug3.wav");
    exercise(103'000, "augen/unten.wav", "augen/oben.wav", "augen/mitte.wav");
    at(148'000, "augen/close.wav");
    at(159'500, "augen/aug5.wav");
    exercise(179'000, "augen/fern.wav", "augen/nah.wav", "augen/entsp.wav");
    at(224'000, "augen/aug7.wav");
    at(232'500, "augen/aug8.wav");
    at(292'500, "mantra.wav"); // a minute of palming
    at(300'500, "augen/ende.wav");
    at(303'000, "stop");

    for (size_t i = 0; i < std::min(heard.size(), expected.size()); ++i) {
        EXPECT_EQ(heard[i].name.toStdString(), expected[i].name.toStdString()) << i;
        EXPECT_EQ(heard[i].ms, expected[i].ms) << i << " " << expected[i].name.toStdString();
    }
    EXPECT_EQ(heard.size(), expected.size());
    EXPECT_TRUE(board->PAugen->isHidden());
    EXPECT_TRUE(report.texts.isEmpty()) << report.texts.join('\n').toStdString();
}

TEST_F(Eyes, OnePassIsMiddleSideMiddleOtherSideMiddle) {
    start([](TSettings& s) {
        s.Aug1D = s.Aug2D = s.Aug3D = 1;
        s.Aug1s = s.Aug2s = s.Aug3s = 1;
    });
    const auto [horizontal, targetsX] = movementsOf(2, [&] { return int(aug->AugTargetX); });
    EXPECT_EQ(horizontal, (QStringList{"... mitte ...", "... links ...", "... mitte ...",
                                       "... rechts ...", "... mitte ..."}));
    // "Right" moves the target to the picture's left: the face looks at the user.
    const int mid = 490 - 41; // 1024 / 25 = 40.96
    EXPECT_EQ(targetsX, (std::vector<int>{mid, 790, mid, 190, mid}));

    const auto [vertical, targetsY] = movementsOf(5, [&] { return int(aug->AugTargetY); });
    EXPECT_EQ(vertical, (QStringList{"... mitte ...", "... oben ...", "... mitte ...",
                                     "... unten ...", "... mitte ..."}));
    EXPECT_EQ(targetsY, (std::vector<int>{336 + 41, 106, 336 + 41, 566, 336 + 41}));

    const auto [focus, radii] = movementsOf(8, [&] { return int(aug->AugRadius); });
    EXPECT_EQ(focus, (QStringList{"... entspannen ...", "... nah ...", "... entspannen ...",
                                  "... fern ...", "... entspannen ..."}));
    EXPECT_EQ(radii, (std::vector<int>{100, 10, 100, 300, 100}));
}

TEST_F(Eyes, MiddleTargetsFollowTheBoardsWidth) {
    start({}, 1000, 750);
    runTo(2);
    EXPECT_EQ(aug->AugShift, 40);
    EXPECT_EQ(QPoint(aug->AugTargetX, aug->AugTargetY), QPoint(450, 410));
    runTo(5);
    EXPECT_EQ(QPoint(aug->AugTargetX, aug->AugTargetY), QPoint(400, 376));
}

TEST_F(Eyes, LoopingStepWaitsOneMovementAndLeavesWithoutAnotherMovement) {
    start([](TSettings& s) {
        s.Aug1D = 1;
        s.Aug1s = 3;
    });
    runTo(2);
    const size_t before = heard.size();
    run(2'500);
    EXPECT_EQ(heard.size(), before) << "nothing until one movement length has passed";
    tick();
    EXPECT_EQ(heard.size(), before + 1);
    EXPECT_EQ(aug->AugCount, 2);
    // The fifth movement (count 6) is the last; the next tick only moves on.
    while (aug->AugCount < 6)
        tick();
    const size_t afterLast = heard.size();
    const int lastAt = now();
    while (aug->AugStep == 2)
        tick();
    EXPECT_EQ(now() - lastAt, 500);
    EXPECT_EQ(heard.size(), afterLast);
}

TEST_F(Eyes, GuideAndSightLinesAreDrawnAndErasedOnTheFace) {
    whiteFace();
    start([](TSettings& s) {
        s.Aug1D = 1;
        s.Aug1s = 1;
    });
    runTo(2);
    // The red guide two pixels below the targets, from 490 - 300 - 41 to 513 + 300.
    const QRect guide = boundsOf(face(), kRed);
    EXPECT_NEAR(guide.left(), 149, 2);
    EXPECT_NEAR(guide.right(), 813, 2);
    EXPECT_NEAR(guide.center().y(), 412, 1);
    EXPECT_LE(guide.height(), 5);
    // The lines of sight run from the eyes down to the middle target (449, 410), inverting
    // the white face to black.
    constexpr QRgb kBlack = 0xff000000u;
    const QRect sight = boundsOf(face(), kBlack);
    EXPECT_NEAR(sight.left(), 449, 2);
    EXPECT_NEAR(sight.right(), 513, 2);
    EXPECT_NEAR(sight.top(), 336, 2);
    EXPECT_NEAR(sight.bottom(), 410, 2);
    // Halfway along the left eye's line, at x = 469.5.
    EXPECT_TRUE(face().pixel(469, 373) == kBlack || face().pixel(470, 373) == kBlack);

    const QImage middle = face().copy();
    runTo(3);
    // Leaving the exercise brings back the clean face.
    EXPECT_EQ(boundsOf(face(), kRed), QRect());
    EXPECT_EQ(boundsOf(face(), kBlack), QRect());
    EXPECT_NE(face(), middle);
}

TEST_F(Eyes, FocusCircleLiesInItsRectangleAndIsClippedAtTheEdges) {
    whiteFace();
    start([](TSettings& s) {
        s.Aug3D = 1;
        s.Aug3s = 1;
    });
    runTo(8);
    QRect circle = boundsOf(face(), kRed);
    // Radius 100: from (190, 436) to (390, 636), the pen five pixels wide on the line.
    EXPECT_NEAR(circle.left(), 190, 3);
    EXPECT_NEAR(circle.top(), 436, 3);
    EXPECT_NEAR(circle.right(), 390, 3);
    EXPECT_NEAR(circle.bottom(), 636, 3);
    while (aug->AugRadius != 10)
        tick();
    circle = boundsOf(face(), kRed);
    EXPECT_NEAR(circle.left(), 460, 3);
    EXPECT_NEAR(circle.top(), 346, 3);
    EXPECT_NEAR(circle.right(), 480, 3);
    EXPECT_NEAR(circle.bottom(), 366, 3);
    while (aug->AugRadius != 300)
        tick();
    // (-410, 636) to (190, 1236): only the arc on the picture is drawn. It leaves the left
    // edge at y = 936 - sqrt(300^2 - 110^2) = 657 and the bottom edge at
    // x = sqrt(300^2 - 169^2) - 110 = 138.
    circle = boundsOf(face(), kRed);
    EXPECT_EQ(circle.left(), 0);
    EXPECT_EQ(circle.bottom(), 767);
    EXPECT_NEAR(circle.right(), 138, 3);
    EXPECT_NEAR(circle.top(), 657, 3);
    // Back to the resting circle: the far one is gone without a trace.
    while (aug->AugRadius != 100)
        tick();
    EXPECT_NEAR(boundsOf(face(), kRed).left(), 190, 3);
}

TEST_F(Eyes, HandRubbingChangesThePictureOnEveryTickFromThreeToElevenSeconds) {
    start([](TSettings& s) { s.Aug3D = 1; });
    runTo(9);
    QStringList shown;
    int firstAt = -1;
    const int stepBegan = now() / 1000 * 1000;
    for (int guard = 0; aug->AugStep == 9 && guard < 100; ++guard) {
        const QString before = board->IAugen->pictureName();
        tick();
        if (aug->AugStep == 9 && board->IAugen->pictureName() != before) {
            if (firstAt < 0)
                firstAt = now() - stepBegan;
            shown << board->IAugen->pictureName().section('\\', -1);
        }
    }
    EXPECT_EQ(firstAt, 3'000);
    ASSERT_GE(shown.size(), 4);
    EXPECT_EQ(shown.mid(0, 4), (QStringList{"links.jpg", "paral.jpg", "rechts.jpg", "paral.jpg"}));
    EXPECT_EQ(shown.size(), 16); // 3.0 s .. 10.5 s
    EXPECT_EQ(board->IAugen->pictureName(), QStringLiteral("Pictures\\Augen\\halten.jpg"));
}

TEST_F(Eyes, PalmingOfNoLengthEndsOnItsFirstTick) {
    start([](TSettings& s) {
        s.Aug4m = 0;
        s.Aug4s = 0;
    });
    runTo(10);
    tick();
    EXPECT_EQ(heard.back().name, QStringLiteral("augen/aug8.wav"));
    EXPECT_EQ(aug->AugStep, 11);
    EXPECT_EQ(board->IAugen->pictureName(), QStringLiteral("Pictures\\Augen\\mantra.jpg"));
    tick();
    EXPECT_EQ(heard.back().name, QStringLiteral("mantra.wav"));
}

TEST_F(Eyes, MissingFaceLeavesNothingToDrawOnButTheTimingHolds) {
    QTemporaryDir empty;
    QDir(empty.path()).mkpath("Pictures");
    files = rt::DataFiles(QStringList{sounds.path(), empty.path()});
    start();
    run(400'000);
    EXPECT_FALSE(aug->TimerAugen.enabled());
    EXPECT_EQ(elapsedMs, 303'000);
    EXPECT_EQ(report.texts.filter(QStringLiteral("Augen/augen.bmp")).size(), 1)
        << report.texts.join('\n').toStdString();
}

TEST_F(Eyes, SoundOffAndTextOffKeepTheTiming) {
    start([](TSettings& s) {
        s.Sound = 0;
        s.Text = 0;
    });
    EXPECT_TRUE(board->PText->isHidden());
    runTo(2);
    EXPECT_TRUE(text().startsWith(QStringLiteral("Wir visieren auf der gegenüberliegenden Wand")));
    run(400'000);
    EXPECT_EQ(elapsedMs, 303'000);
    EXPECT_TRUE(heard.empty());
    EXPECT_TRUE(board->PText->isHidden());
}

TEST_F(Eyes, StartingAgainWhileRunningStartsWithAFreshFace) {
    whiteFace();
    start();
    runTo(8);
    ASSERT_NE(boundsOf(face(), kRed), QRect());
    board->SBAugenClick();
    EXPECT_EQ(aug->AugStep, 1);
    EXPECT_EQ(boundsOf(face(), kRed), QRect());
    EXPECT_EQ(boundsOf(face(), 0xff000000u), QRect());
}

TEST_F(Eyes, EndRestartsTheCountdownsWhenTheTimeSwitchIsOn) {
    start([](TSettings& s) {
        s.Aug1D = s.Aug2D = s.Aug3D = 1;
        s.Aug4m = 0;
    });
    board->TimeSwitchOn = 1;
    runTo(12);
    tick();
    EXPECT_EQ(text(), QStringLiteral("Ende der Übung ... "));
    run(5'000);
    EXPECT_FALSE(aug->TimerAugen.enabled());
    EXPECT_TRUE(board->PAugen->isHidden());
    EXPECT_TRUE(board->TimerTrain.enabled());
    EXPECT_TRUE(board->TimerDog.enabled());
}
