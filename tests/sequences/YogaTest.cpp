#include "sequences/SequenceFixture.h"

#include "sequences/UProcYog.h"

#include <QRegularExpression>
#include <QSet>

#include <memory>

class Yoga : public SequenceFixture {
protected:
    void start(const std::function<void(TSettings&)>& change = {}) {
        prepare(change);
        yog = std::make_unique<TFProcYog>(*board);
        board->AttachSequencer(SeqYog, yog.get());
        heard.clear();
        board->SBYogaClick();
    }
    void run(int ms) {
        SequenceFixture::run(
            yog->TimerYoga, [this] { yog->TimerYogaTimer(); }, ms);
    }
    // One tick; returns the picture shown and the instruction after it.
    void tick() { run(500); }
    void runTo(std::uint16_t step) {
        for (int guard = 0; yog->YogStep != step && guard < 100'000; ++guard)
            tick();
        ASSERT_EQ(yog->YogStep, step);
    }
    QString picture() const { return board->IYoga->pictureName(); }
    QString text() const { return board->MemoText->toPlainText(); }

    // Every passes and seconds field of the ten exercises.
    static void everyExercise(TSettings& s, std::uint16_t passes, std::uint16_t seconds) {
        for (auto [d, sec] : {std::pair{&TSettings::Yog1D, &TSettings::Yog1s},
                              {&TSettings::Yog2D, &TSettings::Yog2s},
                              {&TSettings::Yog3D, &TSettings::Yog3s},
                              {&TSettings::Yog4D, &TSettings::Yog4s},
                              {&TSettings::Yog5D, &TSettings::Yog5s},
                              {&TSettings::Yog6D, &TSettings::Yog6s},
                              {&TSettings::Yog7D, &TSettings::Yog7s},
                              {&TSettings::Yog8D, &TSettings::Yog8s},
                              {&TSettings::Yog9D, &TSettings::Yog9s},
                              {&TSettings::Yog10D, &TSettings::Yog10s}}) {
            s.*d = passes;
            s.*sec = seconds;
        }
    }

    // The texts said during one looping step, one per narration, in order.
    QStringList textsOfStep(std::uint16_t step) {
        runTo(step);
        QStringList texts;
        size_t seen = heard.size();
        for (int guard = 0; yog->YogStep == step && guard < 10'000; ++guard) {
            tick();
            if (heard.size() > seen && yog->YogStep == step)
                texts << text();
            seen = heard.size();
        }
        return texts;
    }

    std::unique_ptr<TFProcYog> yog;
};

// The whole sequence at its default settings, narration by narration, built from the lengths of
// its steps: an intro speaks half a second after it begins (the first tick); a looping step
// speaks at the first tick of each speaking movement; every step begins on a whole second.
TEST_F(Yoga, FullRunAtDefaultSettings) {
    start();
    run(500'000);
    ASSERT_FALSE(yog->TimerYoga.enabled());

    // Starting a sequence cuts off whatever was playing.
    std::vector<Heard> expected{{0, QStringLiteral("stop")}};
    int t = 0; // start of the current step, ms
    auto intro = [&](const char* name, int seconds) {
        expected.push_back({t + 500, QString::fromLatin1(name)});
        t += seconds * 1000;
    };
    // `say(k)` gives the narration of movement k (from 1), or none.
    auto loop = [&](int movements, int seconds, const std::function<const char*(int)>& say) {
        for (int k = 1; k <= movements; ++k) {
            if (const char* name = say(k))
                expected.push_back({t + (k - 1) * seconds * 1000 + 500, QString::fromLatin1(name)});
        }
        t += movements * seconds * 1000;
    };
    auto alternate = [](const char* odd, const char* even) {
        return [=](int k) { return k % 2 ? odd : even; };
    };
    auto turn = [](const char* out, const char* in, int passes) {
        return [=](int k) -> const char* {
            if (k % 3 != 1)
                return nullptr;
            return k > 3 * passes ? in : out;
        };
    };
    auto head = [](int passes) {
        return [=](int k) -> const char* {
            if (k == 4 * passes + 1)
                return "yoga/yoga14M.wav";
            return k % 4 == 1 ? "yoga/yoga14L.wav" : k % 4 == 3 ? "yoga/yoga14R.wav" : nullptr;
        };
    };
    auto stages = [](int k) {
        static const char* const names[8] = {
            "yoga/yoga22.wav", "yoga/yoga21.wav", "yoga/yoga22.wav", "yoga/yoga23.wav",
            "yoga/yoga24.wav", "yoga/yoga25.wav", "yoga/yoga24.wav", "yoga/yoga23.wav"};
        return names[k % 8];
    };
    auto twist = [](int k) {
        static const char* const names[6] = {"yoga/yoga4F.wav", "yoga/yoga4M.wav",
                                             "yoga/yoga4L.wav", "yoga/yoga4F.wav",
                                             "yoga/yoga4M.wav", "yoga/yoga4R.wav"};
        return names[k % 6];
    };

    intro("yoga/yoga11.wav", 6);
    loop(8, 1, alternate("yoga/yoga111.wav", "yoga/yoga112.wav"));
    intro("yoga/yoga120.wav", 10);
    loop(24, 1, turn("yoga/yoga121.wav", "yoga/yoga122.wav", 4));
    intro("yoga/yoga130.wav", 8);
    loop(24, 1, turn("yoga/yoga131.wav", "yoga/yoga132.wav", 4));
    intro("yoga/yoga140.wav", 18);
    intro("yoga/yoga14Ks.wav", 2);
    loop(9, 2, head(2));
    intro("yoga/yoga14Ka.wav", 3);
    loop(9, 2, head(2));
    intro("yoga/yoga14Kn.wav", 2);
    loop(9, 2, head(2));
    intro("yoga/yoga20.wav", 15);
    intro("yoga/yoga2_30.wav", 3);
    loop(9, 2, stages);
    intro("yoga/yoga30.wav", 21);
    intro("yoga/yoga2_30.wav", 3);
    loop(9, 2, stages);
    intro("yoga/yoga40.wav", 18);
    loop(13, 2, twist);
    intro("yoga/yoga50.wav", 16);
    loop(8, 2, alternate("yoga/yoga51.wav", "yoga/yoga53.wav"));
    intro("yoga/yoga502.wav", 3);
    loop(8, 2, alternate("yoga/yoga52.wav", "yoga/yoga53.wav"));
    intro("yoga/yoga60.wav", 15);
    loop(8, 4, alternate("yoga/yoga61.wav", "yoga/yoga62.wav"));
    intro("yoga/yoga70.wav", 13);
    loop(8, 2, alternate("yoga/yoga7La.wav", "yoga/yoga7ab.wav"));
    loop(8, 2, alternate("yoga/yoga7Ra.wav", "yoga/yoga7ab.wav"));
    // The shaking is announced on the tick the right foot ends, and lasts eight ticks.
    expected.push_back({t, QStringLiteral("yoga/yoga7Sch.wav")});
    t += 4'000;
    intro("mantra.wav", 10);
    intro("yoga/ende.wav", 3);
    expected.push_back({t, QStringLiteral("stop")});
    EXPECT_EQ(t, 441'000);

    for (size_t i = 0; i < std::min(heard.size(), expected.size()); ++i) {
        EXPECT_EQ(heard[i].name.toStdString(), expected[i].name.toStdString()) << i;
        EXPECT_EQ(heard[i].ms, expected[i].ms) << i << " " << expected[i].name.toStdString();
    }
    EXPECT_EQ(heard.size(), expected.size());
    EXPECT_TRUE(board->PYoga->isHidden());
    EXPECT_TRUE(report.texts.isEmpty()) << report.texts.join('\n').toStdString();
}

TEST_F(Yoga, OnePassEverywhereKeepsEachExercisesOrder) {
    start([](TSettings& s) { everyExercise(s, 1, 1); });
    EXPECT_EQ(textsOfStep(11), (QStringList{"... öffnen ...", "... schließen ..."}));

    // Hand turning: a turn of three poses outward, announced once, then the same poses back.
    runTo(12);
    QStringList pictures, texts;
    for (int guard = 0; yog->YogStep == 12 && guard < 100; ++guard) {
        const size_t before = heard.size();
        const std::uint16_t count = yog->YogCount;
        tick();
        if (pictures.size() < count)
            pictures << picture().section('\\', -1);
        if (heard.size() > before)
            texts << text();
    }
    EXPECT_EQ(pictures, (QStringList{"yoga121.jpg", "yoga123.jpg", "yoga122.jpg", "yoga121.jpg",
                                     "yoga122.jpg", "yoga123.jpg"}));
    EXPECT_EQ(texts, (QStringList{"... nach außen drehen ...", "... nach innen drehen ..."}));

    EXPECT_EQ(textsOfStep(13),
              (QStringList{"... nach vorne rollen ...", "... nach hinten rollen ..."}));
    const QStringList head{"... nach links ...", "... nach rechts ...", "... zur Mitte ..."};
    EXPECT_EQ(textsOfStep(141), head);
    EXPECT_EQ(textsOfStep(142), head);
    EXPECT_EQ(textsOfStep(143), head);
    const QStringList stages{"... eins ...", "... zwei ...", "... drei ...",
                             "... vier ...", "... fünf ...", "... vier ...",
                             "... drei ...", "... zwei ...", "... eins ..."};
    EXPECT_EQ(textsOfStep(2), stages);
    EXPECT_EQ(textsOfStep(3), stages);
    EXPECT_EQ(textsOfStep(4),
              (QStringList{"... zur Mitte  ...", "... nach links ...", "... federn ...",
                           "... zur Mitte ...", "... nach rechts ...", "... federn ...",
                           "... zur Mitte  ..."}));
    EXPECT_EQ(textsOfStep(51), (QStringList{"... links an ...", "... lösen ..."}));
    EXPECT_EQ(textsOfStep(52), (QStringList{"... rechts an ...", "... lösen ..."}));
    EXPECT_EQ(textsOfStep(6),
              (QStringList{"... ausatmen und anspannen  ...", "... einatmen und lösen ..."}));
    EXPECT_EQ(textsOfStep(71), (QStringList{"... links an  ...", "... ab ..."}));
    EXPECT_EQ(textsOfStep(72), (QStringList{"... rechts an  ...", "... ab ..."}));

    // The shaking: two ticks, a picture each, the line written again each time.
    ASSERT_EQ(yog->YogStep, 73);
    EXPECT_EQ(heard.back().name, QStringLiteral("yoga/yoga7Sch.wav"));
    tick();
    EXPECT_EQ(picture(), QStringLiteral("Pictures\\yoga\\p7\\yoga731.jpg"));
    EXPECT_EQ(text(), QStringLiteral("... Beine ausschütteln  ..."));
    tick();
    EXPECT_EQ(picture(), QStringLiteral("Pictures\\Yoga\\p7\\yoga732.jpg"));
    EXPECT_EQ(yog->YogStep, 8);
}

TEST_F(Yoga, TurnsAreAnnouncedOnceAndChangeDirectionAfterHalfTheMovements) {
    start([](TSettings& s) {
        s.Yog2D = 3;
        s.Yog2s = 1;
    });
    runTo(12);
    std::vector<int> spokenAt;
    int directionChange = 0;
    for (int guard = 0; yog->YogStep == 12 && guard < 200; ++guard) {
        const size_t before = heard.size();
        const std::uint16_t count = yog->YogCount;
        tick();
        if (heard.size() > before)
            spokenAt.push_back(count);
        if (yog->YogStep == 12 && yog->YogBack && !directionChange)
            directionChange = yog->YogCount;
    }
    EXPECT_EQ(spokenAt, (std::vector<int>{1, 4, 7, 10, 13, 16}));
    EXPECT_EQ(directionChange, 10); // 3 x passes + 1
    EXPECT_EQ(count("yoga/yoga121.wav"), 3);
    EXPECT_EQ(count("yoga/yoga122.wav"), 3);
}

TEST_F(Yoga, FarPoseOfTheSpringingMovementShowsForExactlyOneTick) {
    start([](TSettings& s) {
        s.Yog7D = 1;
        s.Yog7s = 3;
    });
    runTo(4);
    QStringList shown;
    for (int guard = 0; yog->YogStep == 4 && guard < 200; ++guard) {
        tick();
        if (yog->YogStep == 4)
            shown << picture().section('\\', -1);
    }
    EXPECT_EQ(shown.count("yoga43.jpg"), 1);
    EXPECT_EQ(shown.count("yoga45.jpg"), 1);
    const qsizetype far = shown.indexOf("yoga43.jpg");
    ASSERT_GT(far, 0);
    EXPECT_EQ(shown[far - 1], "yoga42.jpg"); // to the left ...
    EXPECT_EQ(shown[far + 1], "yoga42.jpg"); // ... springing, then held
}

TEST_F(Yoga, EachPictureIsDecodedOncePerRun) {
    start();
    run(500'000);
    ASSERT_FALSE(yog->TimerYoga.enabled());
    QSet<QString> distinct;
    for (const QString& f : TFProcYog::DataFilesUsed())
        if (f.startsWith(QLatin1String("Pictures")))
            distinct << f.toLower();
    // The cache was let go at the end; what it decoded during the run is counted.
    EXPECT_EQ(yog->Pictures().decodes(), distinct.size());
    EXPECT_EQ(yog->Pictures().size(), 0);
    EXPECT_TRUE(board->IYoga->isEmpty()) << "the pictures are let go between runs";
}

TEST_F(Yoga, FirstStepEndsOnItsSixthWholeSecond) {
    // The first step (6 s) begins half a second into a second of the clock: whole seconds are
    // compared, so it ends 5.5 s later.
    clock.advanceMs(500);
    start();
    int ticks = 0;
    while (yog->YogStep == 110 && ticks < 100) {
        tick();
        ++ticks;
    }
    EXPECT_EQ(ticks, 11);
    EXPECT_EQ(yog->YogStep, 11);
}

TEST_F(Yoga, SoundOffAndTextOffKeepTheTiming) {
    start([](TSettings& s) {
        s.Sound = 0;
        s.Text = 0;
    });
    EXPECT_TRUE(board->PText->isHidden());
    run(500'000);
    EXPECT_FALSE(yog->TimerYoga.enabled());
    EXPECT_EQ(elapsedMs, 441'000);
    EXPECT_TRUE(heard.empty());
    EXPECT_TRUE(board->PText->isHidden());
}

TEST_F(Yoga, TextPanelShowsEveryLineOnlyWithTheSwitchOn) {
    start([](TSettings& s) { s.Text = 0; });
    runTo(11);
    EXPECT_TRUE(board->PText->isHidden());
    EXPECT_EQ(text(), QStringLiteral("Wir öffnen und schließen abwechselnd unsere Hände ..."));
}

TEST_F(Yoga, StartingAgainWhileRunningStartsAfresh) {
    start();
    runTo(4);
    heard.clear();
    board->SBYogaClick();
    EXPECT_EQ(yog->YogStep, 110);
    EXPECT_EQ(yog->YogCount, 1);
    EXPECT_EQ(picture(), QStringLiteral("Pictures\\yoga\\p1\\yoga112.jpg"));
    tick();
    EXPECT_EQ(heard.back().name, QStringLiteral("yoga/yoga11.wav"));
}

TEST_F(Yoga, EndLeavesTheMantraAndRestartsTheCountdowns) {
    start([](TSettings& s) { everyExercise(s, 1, 1); });
    board->TimeSwitchOn = 1;
    runTo(9);
    EXPECT_EQ(picture(), QStringLiteral("Pictures\\Yoga\\p8\\mantra.jpg"));
    EXPECT_EQ(text(), QStringLiteral("Ich sitze aufrecht, atme tief und bin ganz entspannt !"));
    run(10'000);
    EXPECT_FALSE(yog->TimerYoga.enabled());
    EXPECT_EQ(text(), QStringLiteral("Ich sitze aufrecht, atme tief und bin ganz entspannt !"));
    EXPECT_TRUE(board->PYoga->isHidden());
    EXPECT_TRUE(board->TimerTrain.enabled());
    EXPECT_TRUE(board->TimerDog.enabled());
}

TEST_F(Yoga, MissingPicturesAreToldOnceAndTheStepsKeepTheirTime) {
    QTemporaryDir empty;
    QDir(empty.path()).mkpath("Pictures");
    files = rt::DataFiles(QStringList{sounds.path(), empty.path()});
    start();
    run(500'000);
    EXPECT_FALSE(yog->TimerYoga.enabled());
    EXPECT_EQ(elapsedMs, 441'000);
    // Each missing picture once, however often its step shows it.
    const QStringList reported =
        report.texts.filter(QRegularExpression(QStringLiteral("[Yy]oga/p\\d/")));
    QSet<QString> distinct(reported.begin(), reported.end());
    EXPECT_EQ(reported.size(), distinct.size()) << reported.join('\n').toStdString();
    EXPECT_TRUE(reported.join('\n').contains("yoga1411.jpg"));
}
