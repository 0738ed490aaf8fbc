#include "sequences/SequenceFixture.h"

#include "app/Elapsed.h"

#include "sequences/UProcAtm.h"

#include <memory>

class Breathing : public SequenceFixture {
protected:
    void start(const std::function<void(TSettings&)>& change = {}) {
        prepare(change);
        atm = std::make_unique<TFProcAtm>(*board);
        board->AttachSequencer(SeqAtm, atm.get());
        heard.clear();
        board->SBAtmenClick();
    }
    void run(int ms) {
        SequenceFixture::run(
            atm->TimerAtmen, [this] { atm->TimerAtmenTimer(); }, ms);
    }
    // Runs until the sequence has reached `step`.
    void runTo(std::uint16_t step) {
        for (int guard = 0; atm->AtmStep != step && guard < 1'000'000; ++guard)
            run(atm->TimerAtmen.interval());
    }

    std::unique_ptr<TFProcAtm> atm;
};

TEST_F(Breathing, FullRunAtDefaultSettings) {
    start();
    run(400'000);
    ASSERT_FALSE(atm->TimerAtmen.enabled()) << "the sequence ended";
    // The journey in: introduction, then a word every two seconds.
    EXPECT_EQ(firstTime("atmen/indoc.wav"), 500);
    EXPECT_EQ(firstTime("atmen/eins.wav"), 16'000);
    EXPECT_EQ(firstTime("atmen/zehn.wav"), 34'000);
    EXPECT_EQ(firstTime("atmen/atmen0.wav"), 40'500);
    // Full breathing: 8 cycles of 5 + 1 + 4 + 1 s and a last exhalation, 93 s.
    EXPECT_EQ(firstTime("atmen/atmen1.wav"), 50'002);
    EXPECT_EQ(count("atmen/atmen1.wav"), 9);
    EXPECT_EQ(count("atmen/atmen24.wav"), 16);
    EXPECT_EQ(firstTime("atmen/wechs0.wav"), 50'000 + 93'000 + 2'000);
    // Alternate breathing: right, in, left, in ... ending with an exhalation, 111 s.
    EXPECT_EQ(firstTime("atmen/wechs2.wav"), 157'002);
    EXPECT_EQ(count("atmen/wechs2.wav"), 5);
    EXPECT_EQ(count("atmen/wechs1.wav"), 4);
    EXPECT_EQ(count("atmen/atmen3.wav"), 8 + 8);
    EXPECT_EQ(firstTime("mantra.wav"), 157'000 + 111'000 + 2'000);
    EXPECT_EQ(firstTime("atmen/outdoc.wav"), 278'500);
    EXPECT_EQ(firstTime("atmen/ende.wav"), 313'000);
    // The last count returns the board to idle: a stop, nothing after it.
    EXPECT_EQ(heard.back().name, QStringLiteral("stop"));
    EXPECT_EQ(heard.back().ms, 315'000);
    EXPECT_EQ(board->Form->caption(), QStringLiteral("Quillet   /   Version 01-03-2009"));
    EXPECT_TRUE(board->PKino->isHidden());
    EXPECT_TRUE(board->PAtmen->isHidden());
}

TEST_F(Breathing, WordsCountOneToTenForwardThenBackward) {
    start();
    QStringList lines;
    QList<int> shownKino;
    auto kinoShown = [this] {
        for (int n = 1; n <= 11; ++n)
            if (!board->IKino[n]->isHidden())
                return n;
        return 0;
    };
    for (int guard = 0; atm->TimerAtmen.enabled() && guard < 400'000; ++guard) {
        const QStringList before = board->MemoText->lines();
        const int kino = kinoShown();
        run(atm->TimerAtmen.interval());
        if (board->MemoText->lines() != before && atm->TimerAtmen.interval() == 500)
            lines << board->MemoText->lines().join('|');
        if (kinoShown() != kino && (atm->AtmStep == 2 || atm->AtmStep == 9))
            shownKino << kinoShown();
    }
    const QStringList words{"eins",  "zwei",   "drei", "vier", "fünf",
                            "sechs", "sieben", "acht", "neun", "zehn"};
    const int in = int(lines.indexOf("eins"));
    ASSERT_GE(in, 0);
    EXPECT_EQ(lines.mid(in, 10), words);
    const int back = int(lines.lastIndexOf("eins"));
    EXPECT_EQ(lines.mid(back, 11), words + QStringList{"Ende der Übung"});
    // Picture 1 is up from the introduction, picture 11 stays from the journey in.
    EXPECT_EQ(shownKino,
              (QList<int>{2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 10, 9, 8, 7, 6, 5, 4, 3, 2, 1}));
}

TEST_F(Breathing, OnePassOfFullBreathingIsFivePhases) {
    start([](TSettings& s) {
        s.AtmZ1 = 1;
        s.AtmZ2 = 1;
    });
    runTo(7);
    EXPECT_EQ(count("atmen/atmen1.wav") + count("atmen/atmen24.wav"), 2 + 2);
    QStringList phases;
    for (const Heard& h : heard)
        if (h.ms >= 50'000 && h.name != "stop")
            phases << h.name;
    EXPECT_EQ(phases.mid(0, 5),
              (QStringList{"atmen/atmen1.wav", "atmen/atmen24.wav", "atmen/atmen3.wav",
                           "atmen/atmen24.wav", "atmen/atmen1.wav"}));
    // Alternate breathing with one pair: right, in, left.
    EXPECT_EQ(phases.mid(6, 3),
              (QStringList{"atmen/wechs2.wav", "atmen/atmen3.wav", "atmen/wechs1.wav"}));
}

TEST_F(Breathing, BlindStartsAtTheTopAndFollowsTheBreath) {
    start();
    runTo(4);
    EXPECT_EQ(atm->AtmBlind, 0);
    EXPECT_EQ(board->PBlende->height(), 0);
    const int h = board->WindowHeight();
    run(2'500); // half of the 5 s exhalation
    EXPECT_NEAR(atm->AtmBlind, h / 2, 2);
    run(2'500);
    EXPECT_EQ(atm->AtmBlind, h) << "clamped to the strip";
    run(1'000 + 2'000); // hold, then half the inhalation
    EXPECT_NEAR(atm->AtmBlind, h / 2, 2);
    runTo(5);
    EXPECT_EQ(atm->AtmBlind, h) << "the last exhalation leaves the strip covered";
    runTo(6);
    EXPECT_EQ(atm->AtmBlind, 0) << "alternate breathing begins with the strip open";
}

TEST_F(Breathing, StepsAcrossMidnightKeepTheirLength) {
    for (int hours : {24, 12}) {
        SCOPED_TRACE(hours);
        clock.set(23, 59, 0);
        heard.clear();
        start([hours](TSettings& s) { s.HoursPerDay = std::uint8_t(hours); });
        run(400'000);
        EXPECT_EQ(firstTime("atmen/wechs0.wav"), 145'000);
        EXPECT_EQ(heard.back().ms, 315'000);
        board.reset();
    }
}

TEST_F(Breathing, SoundOffKeepsEveryStepAndText) {
    start([](TSettings& s) { s.Sound = 0; });
    QStringList lines;
    for (int guard = 0; atm->TimerAtmen.enabled() && guard < 400'000; ++guard) {
        run(atm->TimerAtmen.interval());
        if (atm->AtmStep == 6 && lines.isEmpty())
            lines << QString::number(now());
    }
    EXPECT_TRUE(heard.empty());
    EXPECT_EQ(now(), 315'000);
    EXPECT_EQ(lines, QStringList{"157000"});
    EXPECT_EQ(board->MemoText->lines(), QStringList{"Ende der Übung"});
}

TEST_F(Breathing, TextOffKeepsThePanelHiddenButWritesEveryLine) {
    start([](TSettings& s) { s.Text = 0; });
    EXPECT_TRUE(board->PText->isHidden());
    runTo(3);
    run(500);
    EXPECT_TRUE(board->PText->isHidden());
    EXPECT_TRUE(board->MemoText->lines().first().startsWith("Bei der Vollatmung"));
}

TEST_F(Breathing, StartingAgainWhileRunningStartsAfresh) {
    start();
    runTo(4);
    run(3'000);
    board->SBAtmenClick();
    EXPECT_EQ(atm->AtmStep, 1);
    EXPECT_EQ(atm->TimerAtmen.interval(), 500);
    EXPECT_FALSE(board->PKino->isHidden());
    for (int n = 1; n <= 11; ++n)
        EXPECT_TRUE(board->IKino[n]->isHidden());
    heard.clear();
    elapsedMs = 0;
    run(13'000);
    EXPECT_EQ(firstTime("atmen/indoc.wav"), 500);
    EXPECT_EQ(atm->AtmStep, 2);
}

TEST_F(Breathing, PhaseOfNoLengthEndsAtOnce) {
    start([](TSettings& s) {
        s.Atm2m = 0;
        s.Atm2s = 0;
        s.Atm4s = 0;
    });
    runTo(6);
    // Each cycle is now 5 + 0 + 4 + 0 s; a phase of no length takes one tick of 2 ms.
    EXPECT_EQ(firstTime("atmen/wechs0.wav"), 50'000 + 8 * 9'000 + 5'000 + 16 * 2 + 2'000);
}

TEST_F(Breathing, MissingFilesNeitherStallNorShortenTheSequence) {
    QTemporaryDir empty;
    QDir(empty.path()).mkpath("Sound");
    QDir(empty.path()).mkpath("Pictures");
    files = rt::DataFiles(QStringList{empty.path()});
    start();
    run(400'000);
    EXPECT_FALSE(atm->TimerAtmen.enabled());
    EXPECT_EQ(now(), 315'000);
    EXPECT_FALSE(report.texts.filter("atmen11.jpg").isEmpty());
    EXPECT_FALSE(report.texts.filter("indoc.wav").isEmpty());
    EXPECT_TRUE(heard.empty()) << "nothing could be played";
}

TEST_F(Breathing, EndRestartsTheCountdownsWhenTheTimeSwitchIsOn) {
    start();
    board->TimeSwitchOn = 1;
    run(400'000);
    EXPECT_TRUE(board->TimerTrain.enabled());
    EXPECT_TRUE(board->TimerDog.enabled());
    EXPECT_EQ(board->SizeMode, Mini);
}

TEST_F(Breathing, FigureLayoutFollowsTheStep) {
    start();
    const int w = board->WindowWidth(), h = board->WindowHeight();
    EXPECT_EQ(board->IAtmen1->geometry(), QRect(RoundEven(0.37 * w), RoundEven(0.48 * h),
                                                RoundEven(0.12 * w), RoundEven(h / 2.0)));
    runTo(5);
    EXPECT_EQ(board->IAtmen1->geometry(), QRect(RoundEven(0.28 * w), h - RoundEven(h / 2.0),
                                                RoundEven(0.25 * w), RoundEven(h / 2.0)));
    EXPECT_EQ(board->PColors->geometry(), QRect(0, 0, 3, h));
}
