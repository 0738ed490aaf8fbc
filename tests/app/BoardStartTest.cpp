#include "support/BoardFixture.h"

#include <QCoreApplication>

// ---- the start animation

class BoardStart : public BoardFixture {};

TEST_F(BoardStart, FirstStartShowsLoadingAndCreatesTheSettingsFile) {
    create();
    EXPECT_TRUE(QFileInfo::exists(settingsPath()));
    EXPECT_FALSE(board->LStart->isHidden());
    EXPECT_TRUE(board->PSButtons->isHidden());
    EXPECT_TRUE(board->TimerStart.enabled());
    EXPECT_EQ(board->Form->border(), rt::Form::Border::None);
    EXPECT_TRUE(board->Form->stayOnTop());
    EXPECT_EQ(board->Form->outerWidth(), 1024);
    EXPECT_EQ(board->Form->outerHeight(), 768);
    EXPECT_EQ(board->Form->caption(), QStringLiteral("Quillet   /   Version 01-03-2009"));
    EXPECT_TRUE(played().isEmpty()) << "the window shows before the start sound is decoded";
    EXPECT_TRUE(board->Ahead().requested().isEmpty()) << "nor is any picture decoded before it";
    QCoreApplication::processEvents();
    EXPECT_EQ(played(), QStringList{QStringLiteral("start/noise.wav")});
    EXPECT_TRUE(report.texts.isEmpty()) << report.texts.join('\n').toStdString();
    // The first frame needs no picture: only the first of the intro is asked for, to be decoded
    // while "Loading ..." shows.
    EXPECT_EQ(board->Ahead().requested(), QStringList{"Pictures\\Start\\start1.jpg"});
    for (int n = 1; n <= 12; ++n)
        EXPECT_TRUE(board->IStart[n]->isEmpty()) << n;
}

TEST_F(BoardStart, FourteenStepsOfTwoSecondsThenTheIdleBoard) {
    create();
    QCoreApplication::processEvents(); // the start sound
    const auto visibleFrames = [this] {
        QList<int> v;
        for (int n = 1; n <= 12; ++n)
            if (!board->IStart[n]->isHidden())
                v << n;
        return v;
    };
    startTick(1);
    EXPECT_EQ(board->StartStep, 0) << "a step lasts two seconds";
    EXPECT_TRUE(visibleFrames().isEmpty());
    startTick(1);
    EXPECT_EQ(board->StartStep, 1);
    EXPECT_EQ(visibleFrames(), QList<int>{1});
    EXPECT_TRUE(board->LStart->isHidden());

    const auto decodedFrames = [this] {
        QList<int> v;
        for (int n = 1; n <= 12; ++n)
            if (!board->IStart[n]->isEmpty())
                v << n;
        return v;
    };
    EXPECT_EQ(decodedFrames(), QList<int>{1});
    for (int step = 2; step <= 11; ++step) {
        startTick(1);
        EXPECT_EQ(board->StartStep, step - 1) << "no change after one second";
        startTick(1);
        EXPECT_EQ(board->StartStep, step);
        EXPECT_EQ(visibleFrames(), QList<int>{step}) << "step " << step;
        // Held: the frame on screen and the one decoded for the next step.
        EXPECT_EQ(decodedFrames(), QList<int>{step}) << "step " << step;
        EXPECT_EQ(board->Ahead().held(), 1) << "step " << step;
    }
    EXPECT_EQ(played(), (QStringList{"start/noise.wav", "start/wave.wav"}));

    startTick(2); // 12: frame 11 stays
    startTick(2); // 13
    EXPECT_EQ(visibleFrames(), QList<int>{11});
    EXPECT_TRUE(board->TimerStart.enabled());
    EXPECT_TRUE(board->PSButtons->isHidden());

    startTick(2); // 14: the end
    EXPECT_EQ(board->StartStep, 14);
    EXPECT_FALSE(board->TimerStart.enabled());
    EXPECT_FALSE(board->PSButtons->isHidden());
    EXPECT_EQ(visibleFrames(), QList<int>{11}) << "sunset, and no help banner by default";
    // The frames that can never be shown again are not kept.
    for (int n = 1; n <= 10; ++n)
        EXPECT_TRUE(board->IStart[n]->isEmpty()) << n;
    EXPECT_FALSE(board->IStart[11]->isEmpty());
    EXPECT_TRUE(report.texts.isEmpty());
}

TEST_F(BoardStart, HelpBannerComesAtTheEndOfTheIntroWhenHelpIsStillToBeRead) {
    TSettings s;
    s.HelpFirst = 1;
    writeSettings(s);
    create();
    for (int i = 0; i < 13; ++i)
        startTick(2);
    EXPECT_TRUE(board->IStart[12]->isHidden());
    startTick(2);
    EXPECT_FALSE(board->IStart[12]->isHidden());
    EXPECT_EQ(board->IStart[12]->y(), 366);
}

TEST_F(BoardStart, QuickStartSkipsTheIntro) {
    TSettings s;
    s.DSTimer = 1;
    s.HelpFirst = 1;
    writeSettings(s);
    create();
    EXPECT_FALSE(board->TimerStart.enabled());
    EXPECT_TRUE(board->LStart->isHidden());
    EXPECT_FALSE(board->IStart[11]->isHidden());
    EXPECT_TRUE(board->Ahead().requested().isEmpty()) << "nothing decoded before the first frame";
    QCoreApplication::processEvents();
    ASSERT_TRUE(board->Ahead().decodeNext()) << "the sunset, decoded after the window shows";
    EXPECT_FALSE(board->IStart[11]->isEmpty());
    EXPECT_TRUE(board->IStart[12]->isHidden()) << "the help banner only ends an intro";
    EXPECT_FALSE(board->PSButtons->isHidden());
    EXPECT_EQ(board->TimeSwitchOn, 1);
    EXPECT_EQ(board->SBWecker->glyphName(), QStringLiteral("Pictures\\Icons\\uhr2.bmp"));
    EXPECT_TRUE(board->SBWecker->isFlat());
    EXPECT_TRUE(played().isEmpty()) << "no start sounds";
    EXPECT_EQ(board->Ahead().requested(), QStringList{"Pictures\\Start\\sunset.jpg"})
        << "no picture of the intro is decoded";
    for (int n = 1; n <= 10; ++n)
        EXPECT_TRUE(board->IStart[n]->isEmpty()) << n;
}

TEST_F(BoardStart, ALatePictureIsShownWhenItIsReadyAndNeverHoldsUpTheClock) {
    create();
    decodeAhead = false;
    startTick(2);
    EXPECT_EQ(board->StartStep, 1);
    EXPECT_FALSE(board->IStart[1]->isHidden());
    EXPECT_TRUE(board->IStart[1]->isEmpty()) << "not decoded yet";
    ASSERT_TRUE(board->Ahead().decodeNext());
    EXPECT_FALSE(board->IStart[1]->isEmpty()) << "shown as soon as it is ready";

    // Frame 2 is not ready when its step comes: the steps go on without it, and a frame whose
    // step has passed is never put up late.
    startTick(2);
    EXPECT_EQ(board->StartStep, 2);
    EXPECT_TRUE(board->IStart[2]->isEmpty());
    startTick(2);
    EXPECT_EQ(board->StartStep, 3);
    while (board->Ahead().decodeNext()) {
    }
    EXPECT_TRUE(board->IStart[2]->isEmpty());
    EXPECT_FALSE(board->IStart[3]->isEmpty());
    EXPECT_FALSE(board->IStart[3]->isHidden());
    EXPECT_EQ(board->Ahead().held(), 1) << "frame 4, and nothing of frame 2";
}

TEST_F(BoardStart, TheEndOfTheIntroKeepsTheLastFrameUntilTheSunsetIsReady) {
    TSettings s;
    s.HelpFirst = 1;
    writeSettings(s);
    create();
    for (int i = 0; i < 11; ++i)
        startTick(2);
    EXPECT_EQ(board->StartStep, 11);
    EXPECT_EQ(board->Ahead().held(), 2) << "the sunset and the help banner, ahead of the end";
    decodeAhead = false;
    board->Ahead().clear(); // as if neither had been decoded in time
    startTick(2);
    startTick(2);
    startTick(2);
    EXPECT_EQ(board->StartStep, 14);
    EXPECT_EQ(board->IStart[11]->pictureName(), QStringLiteral("Pictures\\Start\\start11.jpg"));
    EXPECT_FALSE(board->IStart[12]->isHidden());
    while (board->Ahead().decodeNext()) {
    }
    EXPECT_EQ(board->IStart[11]->pictureName(), QStringLiteral("Pictures\\Start\\sunset.jpg"));
    EXPECT_FALSE(board->IStart[12]->isEmpty());
    EXPECT_EQ(board->Ahead().held(), 0);
}

TEST_F(BoardStart, MissingStartPicturesAreReportedOnceAndTheBoardStillStarts) {
    QTemporaryDir data;
    QDir(data.path()).mkpath(QStringLiteral("Pictures/Start"));
    // Only frame 1 is there.
    QFile::copy(QStringLiteral(QUILLET_SOURCE_DATA_DIR "/Pictures/Start/start1.jpg"),
                data.path() + QStringLiteral("/Pictures/Start/start1.jpg"));
    files = rt::DataFiles(QStringList{data.path()});
    create();
    // Each missing picture is named when its step comes, the start goes on and the intro runs.
    startTick(2);
    EXPECT_FALSE(board->IStart[1]->isEmpty());
    startTick(2);
    EXPECT_TRUE(report.texts.filter(QStringLiteral("start2.jpg")).size() == 1);
    EXPECT_TRUE(board->IStart[2]->isEmpty());
    EXPECT_TRUE(board->TimerStart.enabled());
    for (int i = 0; i < 12; ++i)
        startTick(2);
    EXPECT_EQ(report.texts.filter(QStringLiteral("start2.jpg")).size(), 1);
    EXPECT_EQ(board->StartStep, 14);
    EXPECT_FALSE(board->PSButtons->isHidden());
}

TEST_F(BoardStart, MissingStartSoundNeitherStallsNorRepeatsASteps) {
    QTemporaryDir data;
    files = rt::DataFiles(QStringList{data.path(), QStringLiteral(QUILLET_SOURCE_DATA_DIR)});
    player.failing << files.resolve(QStringLiteral("Sound\\start\\wave.wav"));
    create();
    for (int i = 0; i < 9; ++i)
        startTick(2);
    EXPECT_EQ(board->StartStep, 9);
    startTick(2); // step 10 plays the failing wave sound
    EXPECT_EQ(board->StartStep, 10);
    EXPECT_EQ(board->SoundPlaying, 0) << "the failed narration has cut off the noise";
    startTick(1); // the step began anew: one second is not enough
    EXPECT_EQ(board->StartStep, 10);
    startTick(1);
    EXPECT_EQ(board->StartStep, 11);
}

TEST_F(BoardStart, TheSmallWindowHoldsTheSunsetOnlyAtTheSizeItShowsIt) {
    TSettings s;
    s.DSTimer = 1;
    writeSettings(s);
    create();
    ASSERT_EQ(board->SizeMode, Mini);
    QCoreApplication::processEvents(); // the first frame, then the sunset is asked for
    while (board->Ahead().decodeNext()) {
    }
    rt::Image* sunset = board->IStart[11];
    EXPECT_EQ(sunset->pictureName(), QStringLiteral("Pictures\\Start\\sunset.jpg"));
    EXPECT_TRUE(sunset->reduced());
    EXPECT_EQ(sunset->bitmap().size(), sunset->size()) << "three rows show above the bar";

    // Full screen: the whole picture is decoded again, ahead, and shown when it is there.
    board->SBSizeClick();
    ASSERT_EQ(board->SizeMode, Maxi);
    while (board->Ahead().decodeNext()) {
    }
    EXPECT_FALSE(sunset->reduced());
    EXPECT_EQ(sunset->bitmap().size(), QSize(1280, 720));
    // The middle size shows it large enough to keep it whole; the small window does not.
    board->SBSizeClick();
    ASSERT_EQ(board->SizeMode, Midi);
    EXPECT_FALSE(sunset->reduced());
    board->SBSizeClick();
    ASSERT_EQ(board->SizeMode, Mini);
    EXPECT_TRUE(sunset->reduced());
    EXPECT_EQ(board->Ahead().held(), 0);
}
