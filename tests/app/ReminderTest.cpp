#include "support/BoardFixture.h"

#include "app/LaterStrip.h"

#include <QApplication>
#include <QKeyEvent>
#include <QPushButton>

#include <functional>

// Stands in for the modal windows: records which came up and can act like the user in them.
struct FakeWindows final : BoardWindows {
    void ShowHilfe() override { shown << QStringLiteral("Hilfe"); }
    void ShowImpressum() override { shown << QStringLiteral("Impressum"); }
    void ShowMenue() override {
        shown << QStringLiteral("Menue");
        reset = false;
        if (inMenue)
            inMenue();
    }
    bool ResetDone() const override { return reset; }
    void Inform(const QString& text) override { shown << text; }

    QStringList shown;
    std::function<void()> inMenue;
    bool reset = false;
};

// The board with the time switch on from the start (quick start), timers driven by hand.
class Reminder : public BoardFixture {
protected:
    void start(const std::function<void(TSettings&)>& change = {}) {
        TSettings s;
        s.DSTimer = 1;
        if (change)
            change(s);
        writeSettings(s);
        create();
        board->AttachWindows(&windows);
    }

    // One second passes; both countdowns tick in it.
    void second() {
        ++now;
        seconds(1);
    }

    // Runs until `seconds` have passed and records when each prompt came and went.
    void run(int seconds) {
        for (int i = 0; i < seconds; ++i) {
            const bool dog = dogShown(), train = trainShown();
            second();
            if (!dog && dogShown())
                dogFrom << now;
            if (dog && !dogShown())
                dogTo << now;
            if (!train && trainShown())
                trainFrom << now;
            if (train && !trainShown())
                trainTo << now;
        }
    }

    QRect bounds() const {
        return {board->Form->left(), board->Form->top(), board->Form->outerWidth(),
                board->Form->outerHeight()};
    }

    FakeWindows windows;
    int now = 0;
    QList<int> dogFrom, dogTo, trainFrom, trainTo;
};

TEST_F(Reminder, QuickStartWaitsAsTheSmallWindow) {
    start();
    EXPECT_EQ(board->SizeMode, Mini);
    EXPECT_EQ(bounds(), QRect(board->MiniLeft, board->MiniTop, 337, 63));
    EXPECT_TRUE(board->TimerTrain.enabled());
    EXPECT_TRUE(board->TimerDog.enabled());
    EXPECT_FALSE(board->SBSize->isEnabled());
    second();
    EXPECT_EQ(board->Form->caption(), QStringLiteral("Training: 0:44:59     Wachhund: 0:9:59"));
    run(54);
    EXPECT_EQ(board->Form->caption(), QStringLiteral("Training: 0:44:5     Wachhund: 0:9:5"));
}

TEST_F(Reminder, DefaultScheduleOfWatchdogAndTrainingPrompt) {
    start();
    run(45 * 60 + 20);
    // The watchdog every ten minutes for seven seconds, counted from the end of the last one.
    EXPECT_EQ(dogFrom, (QList<int>{600, 1207, 1814, 2421}));
    EXPECT_EQ(dogTo, (QList<int>{607, 1214, 1821, 2428}));
    // The training countdown runs on under the watchdog: the prompt comes at 45 minutes.
    EXPECT_EQ(trainFrom, QList<int>{2700});
    EXPECT_EQ(trainTo, QList<int>{2707});
    // Then both start again from zero.
    EXPECT_EQ(board->Status().train.startMs, (43200 + 2707) * 1000);
    EXPECT_EQ(board->Status().watchdog.startMs, (43200 + 2707) * 1000);
    EXPECT_TRUE(board->TimerTrain.enabled());
    EXPECT_TRUE(board->TimerDog.enabled());
    EXPECT_EQ(board->SizeMode, Mini);
    EXPECT_EQ(bounds().size(), QSize(337, 63));
}

TEST_F(Reminder, PromptsTakeTheirShapeAndSound) {
    start();
    run(600);
    EXPECT_TRUE(dogShown());
    EXPECT_EQ(bounds().size(), QSize(335, 168 + LaterStrip::kHeight)); // "Später" below
    EXPECT_TRUE(board->Form->stayOnTop());
    EXPECT_TRUE(board->PSButtons->isHidden()) << "the watchdog cannot be dismissed";
    EXPECT_FALSE(board->TimerTrain.enabled());
    EXPECT_EQ(played().last(), QStringLiteral("mantra.wav"));
    run(2100);
    EXPECT_TRUE(trainShown());
    EXPECT_EQ(bounds().size(), QSize(333, 168 + LaterStrip::kHeight));
    EXPECT_FALSE(board->PSButtons->isHidden());
    EXPECT_FALSE(board->TimerDog.enabled());
    EXPECT_EQ(played().last(), QStringLiteral("gong.wav"));
    // The first suggestion is breathing, highlighted.
    EXPECT_EQ(board->LastSequence, 1);
    EXPECT_EQ(board->SBAtmen->glyphName(), QStringLiteral("Pictures\\Icons\\lunge2.bmp"));
    EXPECT_EQ(board->CloseQuits, 0);
}

TEST_F(Reminder, SuggestionRotatesThroughTheFourSequences) {
    start([](TSettings& s) {
        s.T2On = 0;
        s.m1 = 0;
        s.s1 = 30;
    });
    QList<int> suggested;
    for (int i = 0; i < 5; ++i) {
        run(30);
        ASSERT_TRUE(trainShown());
        suggested << board->LastSequence;
        run(7);
    }
    EXPECT_EQ(suggested, (QList<int>{1, 2, 3, 4, 1}));
}

TEST_F(Reminder, WatchdogNotShorterThanTrainingNeverComes) {
    start([](TSettings& s) { s.m2 = 45; });
    run(3 * (45 * 60 + 7));
    EXPECT_TRUE(dogFrom.isEmpty());
    EXPECT_EQ(trainFrom.size(), 3);
}

TEST_F(Reminder, CountdownKeepsItsLengthWithEitherHoursPerDay) {
    for (int hours : {24, 12}) {
        SCOPED_TRACE(hours);
        now = 0;
        trainFrom.clear();
        start([hours](TSettings& s) {
            s.HoursPerDay = std::uint8_t(hours);
            s.T2On = 0;
        });
        run(45 * 60);
        EXPECT_EQ(trainFrom, QList<int>{45 * 60});
        board.reset();
    }
}

// The countdowns are measured on a clock that counts on while the machine sleeps.
TEST_F(Reminder, IntervalLongerThanADayComesOnTime) {
    start([](TSettings& s) {
        s.T2On = 0;
        s.h1 = 24;
        s.m1 = 30;
    });
    clock.advance(24 * 3600 + 30 * 60 - 2);
    run(1);
    EXPECT_EQ(board->Form->caption(), QStringLiteral("Training: 0:0:1     Wachhund: Inaktiv"));
    run(1);
    EXPECT_TRUE(trainShown());
}

TEST_F(Reminder, AfterASleepOnePromptComesAndBothCountdownsStartAfresh) {
    // The watchdog ticks first after the wake-up, the order in which a pause would come and the
    // training prompt follow right after it.
    for (bool dogFirst : {true, false}) {
        SCOPED_TRACE(dogFirst);
        start();
        clock.advance(2 * 3600);
        if (dogFirst)
            board->TimerDogTimer();
        else
            board->TimerTrainTimer();
        EXPECT_TRUE(trainShown());
        EXPECT_FALSE(dogShown());
        EXPECT_FALSE(board->TimerDog.enabled());
        now = 0;
        dogFrom.clear();
        trainFrom.clear();
        trainTo.clear();
        run(7 + 45 * 60);
        EXPECT_EQ(trainTo, QList<int>{7}) << "the prompt's visible time";
        EXPECT_EQ(dogFrom, (QList<int>{607, 1214, 1821, 2428})) << "every 10 min and 7 s of pause";
        EXPECT_EQ(trainFrom, QList<int>{7 + 45 * 60});
        board.reset();
    }
}

// Stands in for the desktop: the user's presence and holds set by hand.
struct FakePresence final : Presence {
    bool OnBreak() override { return onBreak; }
    bool HoldsPrompts() override { return holds; }
    bool onBreak = false;
    bool holds = false;
};

TEST_F(Reminder, AHeldPromptWaitsAndComesOnTheFirstTickAfterTheHold) {
    FakePresence desk;
    start([](TSettings& s) { s.T2On = 0; });
    board->AttachPresence(&desk);
    desk.holds = true;
    run(45 * 60 + 30);
    EXPECT_TRUE(trainFrom.isEmpty());
    EXPECT_EQ(board->Form->caption(), QStringLiteral("Training: wartet     Wachhund: Inaktiv"));
    desk.holds = false;
    run(1);
    EXPECT_EQ(trainFrom, QList<int>{45 * 60 + 31});
    board->AttachPresence(nullptr);
}

TEST_F(Reminder, ANaturalBreakDropsTheDuePromptsAndStartsBothCountdownsAfresh) {
    FakePresence desk;
    start();
    board->AttachPresence(&desk);
    run(9 * 60);
    desk.onBreak = true; // away from minute 4; the watchdog falls due at minute 10
    run(20 * 60);
    EXPECT_TRUE(dogFrom.isEmpty());
    EXPECT_EQ(board->Form->caption(), QStringLiteral("Training: 0:16:0     Wachhund: wartet"));
    desk.onBreak = false;
    desk.BreakEnded();
    now = 0;
    run(1);
    EXPECT_EQ(board->Form->caption(), QStringLiteral("Training: 0:44:59     Wachhund: 0:9:59"));
    run(10 * 60 - 1);
    EXPECT_EQ(dogFrom, QList<int>{10 * 60}) << "the watchdog's full interval from the return";
    board->AttachPresence(nullptr);
}

TEST_F(Reminder, APauseStopsBothCountdownsUntilResumed) {
    start();
    run(60);
    board->PauseReminders(QStringLiteral("Pause bis 15:30"));
    EXPECT_FALSE(board->TimerTrain.enabled());
    EXPECT_FALSE(board->TimerDog.enabled());
    EXPECT_EQ(board->SizeMode, Mini);
    EXPECT_EQ(board->Form->caption(), QStringLiteral("Pause bis 15:30"));
    // A sequence ended during the pause starts no countdown either.
    board->SBAtmenClick();
    board->SBCloseClick();
    EXPECT_FALSE(board->TimerTrain.enabled());
    EXPECT_EQ(board->Form->caption(), QStringLiteral("Pause bis 15:30"));
    board->ResumeReminders();
    run(1);
    EXPECT_EQ(board->Form->caption(), QStringLiteral("Training: 0:44:59     Wachhund: 0:9:59"));
}

TEST_F(Reminder, LateTickShowsANegativeLastField) {
    start([](TSettings& s) {
        s.T2On = 0;
        s.m1 = 0;
        s.s1 = 10;
    });
    run(10);
    ASSERT_TRUE(trainShown());
    // The prompt's last tick comes a second late.
    run(6);
    clock.advance(2);
    board->TimerTrainTimer();
    EXPECT_FALSE(trainShown());
    EXPECT_TRUE(board->Form->caption().startsWith(QStringLiteral("Training: 0:0:-1     ")))
        << board->Form->caption().toStdString();
}

TEST_F(Reminder, TrainingOffWatchdogOn) {
    start([](TSettings& s) { s.T1On = 0; });
    EXPECT_FALSE(board->TimerTrain.enabled());
    second();
    EXPECT_EQ(board->Form->caption(), QStringLiteral("Training: Inaktiv     Wachhund: 0:9:59"));
}

TEST_F(Reminder, BothRemindersOffKeepTheFullScreenBoard) {
    start([](TSettings& s) {
        s.T1On = 0;
        s.T2On = 0;
    });
    EXPECT_EQ(board->TimeSwitchOn, 1);
    EXPECT_EQ(board->SizeMode, Maxi);
    EXPECT_EQ(board->Form->border(), rt::Form::Border::Dialog);
    EXPECT_EQ(bounds().size(), QSize(1024, 768));
    EXPECT_FALSE(board->IStart[11]->isHidden());
}

TEST_F(Reminder, PromptsComeUpWhereTheSmallWindowWasMovedBackInsideTheScreen) {
    start([](TSettings& s) {
        s.m2 = 0;
        s.s2 = 5;
    });
    board->Form->setLeft(1024 - 337); // dragged to the right edge
    board->Form->setTop(768 - 63);
    run(5);
    ASSERT_TRUE(dogShown());
    // Its left edge stays (the wider prompt still fits); its bottom is pulled up.
    const int h = 168 + LaterStrip::kHeight;
    EXPECT_EQ(bounds(), QRect(1024 - 337, 768 - h, 335, h));
    run(7);
    EXPECT_FALSE(dogShown());
    EXPECT_EQ(bounds(), QRect(1024 - 337, 768 - h, 337, 63)) << "the small window follows";
}

TEST_F(Reminder, MissingGongIsReportedOnceAndThePromptStillEndsOnTime) {
    QTemporaryDir work;
    QDir(work.path()).mkpath(QStringLiteral("Sound"));
    files = rt::DataFiles(QStringList{work.path(), QStringLiteral(QUILLET_SOURCE_DATA_DIR)});
    start([](TSettings& s) {
        s.T2On = 0;
        s.m1 = 1;
    });
    for (int cycle = 0; cycle < 2; ++cycle)
        run(67);
    EXPECT_EQ(trainFrom, (QList<int>{60, 127}));
    EXPECT_EQ(trainTo, (QList<int>{67, 134}));
    EXPECT_EQ(report.texts.filter(QStringLiteral("gong.wav")).size(), 2)
        << "reported each time here; the message box shows each text once per run";
    EXPECT_EQ(board->SizeMode, Mini);
}

// ---- the commands of the button bar

TEST_F(Reminder, TimeSwitchWithBothRemindersOffOnlyShowsThePlainClock) {
    start();
    board->Settings().T1On = 0;
    board->Settings().T2On = 0;
    board->SBWeckerClick();
    EXPECT_EQ(board->TimeSwitchOn, 0);
    EXPECT_EQ(board->SBWecker->glyphName(), QStringLiteral("Pictures\\Icons\\uhr.bmp"));
    EXPECT_TRUE(board->TimerTrain.enabled()) << "nothing else happens";
}

TEST_F(Reminder, SwitchingOffFromTheSmallWindowGivesTheFullScreen) {
    start();
    ASSERT_EQ(board->SizeMode, Mini);
    board->SBWeckerClick();
    EXPECT_EQ(board->TimeSwitchOn, 0);
    EXPECT_EQ(board->SizeMode, Maxi);
    EXPECT_EQ(bounds(), QRect(0, 0, 1024, 768));
    EXPECT_FALSE(board->TimerTrain.enabled());
    EXPECT_FALSE(board->TimerDog.enabled());
    // And on again: the small window at its remembered place.
    board->SBWeckerClick();
    EXPECT_EQ(board->TimeSwitchOn, 1);
    EXPECT_EQ(board->SizeMode, Mini);
    EXPECT_TRUE(board->SBWecker->isFlat());
}

TEST_F(Reminder, TimeSwitchDuringASequenceEndsIt) {
    start();
    board->SBYogaClick();
    ASSERT_EQ(sequencers[SeqYog].setUps, 1);
    sequencers[SeqYog].stops = 0;
    board->SBWeckerClick();
    EXPECT_GE(sequencers[SeqYog].stops, 1);
    EXPECT_EQ(board->TimeSwitchOn, 0);
    EXPECT_EQ(board->LastSequence, 0);
}

TEST_F(Reminder, CloseInTheSmallWindowEndsTheProgram) {
    start();
    bool closed = false;
    board->Form->onClose = [&closed] { closed = true; };
    board->SBCloseClick();
    EXPECT_TRUE(closed);
}

TEST_F(Reminder, CloseOnTheTrainingPromptRestartsBothCountdowns) {
    start([](TSettings& s) { s.m1 = 5; });
    run(300);
    ASSERT_TRUE(trainShown());
    bool closed = false;
    board->Form->onClose = [&closed] { closed = true; };
    board->SBCloseClick();
    EXPECT_FALSE(closed);
    EXPECT_FALSE(trainShown());
    EXPECT_EQ(board->SizeMode, Mini);
    EXPECT_EQ(board->Status().train.startMs, (43200 + 300) * 1000);
    EXPECT_EQ(board->Status().watchdog.startMs, (43200 + 300) * 1000);
    EXPECT_TRUE(board->TimerTrain.enabled());
    EXPECT_TRUE(board->TimerDog.enabled());
}

TEST_F(Reminder, SequenceButtonFromTheSmallWindowFillsTheScreen) {
    start();
    board->SBAugenClick();
    EXPECT_EQ(board->SizeMode, Maxi);
    EXPECT_EQ(sequencers[SeqAug].setUps, 1);
    EXPECT_FALSE(board->TimerTrain.enabled()) << "no countdown interrupts a sequence";
    EXPECT_EQ(board->CloseQuits, 0);
    // Back: the small window and both countdowns from zero.
    board->SBCloseClick();
    EXPECT_EQ(board->SizeMode, Mini);
    EXPECT_TRUE(board->TimerTrain.enabled());
}

TEST_F(Reminder, SequenceButtonInMidiRunsInMidi) {
    create();
    board->AttachWindows(&windows);
    for (int i = 0; i < 14; ++i)
        startTick(2);
    board->SBSizeClick();
    ASSERT_EQ(board->SizeMode, Midi);
    board->SBAtmenClick();
    EXPECT_EQ(board->SizeMode, Midi);
    EXPECT_EQ(bounds().size(), QSize(870, 654));
}

TEST_F(Reminder, SettingsChangeRestartsTheCountdownsAndTheRotation) {
    start();
    board->LastSequence = 2;
    run(100);
    windows.inMenue = [this] {
        daten.Settings.m1 = 1;
        daten.SaveSettings();
    };
    board->SBMenueClick();
    EXPECT_EQ(windows.shown, QStringList{"Menue"});
    EXPECT_EQ(board->LastSequence, 0);
    EXPECT_EQ(board->Settings().m1, 1);
    EXPECT_EQ(board->Status().train.startMs, (43200 + 100) * 1000);
    run(60);
    EXPECT_EQ(board->LastSequence, 1) << "the next suggestion is breathing";
}

TEST_F(Reminder, SettingsThatSwitchBothRemindersOffStopTheTimeSwitch) {
    start();
    windows.inMenue = [this] {
        daten.Settings.T1On = 0;
        daten.Settings.T2On = 0;
        daten.SaveSettings();
    };
    board->SBMenueClick();
    EXPECT_EQ(board->TimeSwitchOn, 0);
    EXPECT_FALSE(board->TimerTrain.enabled());
    EXPECT_FALSE(board->SBWecker->isFlat());
}

TEST_F(Reminder, SettingsWaitUntilTheHelpWasRead) {
    start([](TSettings& s) { s.HelpFirst = 1; });
    board->SBMenueClick();
    EXPECT_EQ(windows.shown,
              QStringList{QStringLiteral("Bitte lesen Sie zuerst die Hinweise unter HILFE")});
    EXPECT_TRUE(board->TimerTrain.enabled()) << "nothing was stopped";

    board->SBHilfeClick();
    EXPECT_EQ(windows.shown.last(), QStringLiteral("Hilfe"));
    EXPECT_EQ(board->Settings().HelpFirst, 0);
    UDaten reread;
    reread.SettingsPath = settingsPath();
    reread.LoadSettings();
    EXPECT_EQ(reread.Settings.HelpFirst, 0) << "saved at once";

    board->SBMenueClick();
    EXPECT_EQ(windows.shown.last(), QStringLiteral("Menue"));
}

TEST_F(Reminder, ResetInTheSettingsShowsThemOnceMore) {
    start();
    windows.inMenue = [this] {
        if (windows.shown.size() == 1)
            windows.reset = true;
    };
    board->SBMenueClick();
    EXPECT_EQ(windows.shown, (QStringList{"Menue", "Menue"}));
}

TEST_F(Reminder, ImprintAndHelpLeaveTheCountdownsRunning) {
    start();
    board->HandleMemo(9);
    board->SBImpresClick();
    EXPECT_TRUE(board->Memo0->isHidden());
    EXPECT_EQ(windows.shown, QStringList{"Impressum"});
    EXPECT_TRUE(board->TimerTrain.enabled());
    EXPECT_TRUE(board->TimerDog.enabled());
}

// Where the training prompt's green arrow ends, read from what is drawn at a device-pixel ratio:
// the lowest pixel of the arrow's green, in the window's logical coordinates.
static QPointF arrowTip(QWidget* window, qreal ratio) {
    QImage img(window->size() * ratio, QImage::Format_ARGB32);
    img.setDevicePixelRatio(ratio);
    img.fill(Qt::black);
    window->render(&img);
    for (int y = img.height() - 1; y >= 0; --y)
        for (int x = 0; x < img.width(); ++x) {
            const QColor c = img.pixelColor(x, y);
            if (qAbs(c.red() - 0x3c) < 12 && qAbs(c.green() - 0xa8) < 12 &&
                qAbs(c.blue() - 0x4a) < 12)
                return {x / ratio, y / ratio};
        }
    return {-1, -1};
}

TEST_F(Reminder, TheArrowPointsAtTheButtonWithTheGreenLight) {
    start([](TSettings& s) {
        s.T2On = 0;
        s.m1 = 0;
        s.s1 = 30;
    });
    rt::SpeedButton* buttons[] = {board->SBAtmen, board->SBYoga, board->SBAugen, board->SBEntsp};
    for (int i = 0; i < 4; ++i) {
        run(30);
        ASSERT_TRUE(trainShown());
        rt::SpeedButton* suggested = buttons[board->LastSequence - 1];
        const QRect button(suggested->mapTo(board->Form, QPoint(0, 0)), suggested->size());
        for (const qreal ratio : {1.0, 2.0}) {
            const QPointF tip = arrowTip(board->Form, ratio);
            EXPECT_GE(tip.x(), button.left() + 6) << "sequence " << i << " at " << ratio;
            EXPECT_LE(tip.x(), button.right() - 6) << "sequence " << i << " at " << ratio;
            EXPECT_GE(tip.y(), button.top() - 12) << "sequence " << i << " at " << ratio;
            EXPECT_LT(tip.y(), button.top()) << "sequence " << i << " at " << ratio;
        }
        run(7);
        EXPECT_EQ(arrowTip(board->Form, 1.0), QPointF(-1, -1)) << "no arrow on the small window";
    }
}

// "Später": the prompt goes, its countdown falls due after the postponement, the other runs on;
// the same sequence is suggested again; three times in a row, then the strip says why not.
TEST_F(Reminder, LaterPutsThePromptOffAFewTimesInARow) {
    start([](TSettings& s) {
        s.m1 = 20; // training every 20 min, the watchdog every 15 min
        s.m2 = 15;
    });
    board->SetPostpone(2, 3);
    run(20 * 60); // the watchdog at 900, the training prompt at 1200
    ASSERT_TRUE(trainShown());
    const std::uint8_t suggestion = board->LastSequence;
    const std::int64_t dogStart = board->Status().watchdog.startMs;
    for (int i = 1; i <= 3; ++i) {
        SCOPED_TRACE(i);
        ASSERT_TRUE(board->Status().canPostpone);
        board->PLater->button()->click();
        EXPECT_FALSE(trainShown());
        EXPECT_EQ(board->SizeMode, Mini);
        EXPECT_EQ(board->Status().train.dueMs - clock.nowMs(), 2 * 60'000);
        EXPECT_EQ(board->Status().watchdog.startMs, dogStart) << "the watchdog runs on";
        trainFrom.clear();
        run(2 * 60);
        EXPECT_EQ(trainFrom.size(), 1);
        EXPECT_EQ(board->LastSequence, suggestion);
    }
    EXPECT_FALSE(board->Status().canPostpone);
    EXPECT_FALSE(board->PLater->offered());
    EXPECT_EQ(board->PLater->line(),
              QStringLiteral("Schon 3-mal nacheinander verschoben: jetzt nicht mehr."));
    board->PLater->button()->click(); // hidden, and would do nothing
    EXPECT_TRUE(trainShown());
    run(8); // ignored: the next prompt may be put off again
    run(20 * 60);
    ASSERT_TRUE(trainShown());
    EXPECT_TRUE(board->Status().canPostpone);
}

// The watchdog's pause is put off by keys alone once the user tabs to "Später".
TEST_F(Reminder, TheWatchdogIsPutOffByTabAndEnter) {
    start();
    board->Form->show();
    run(600);
    ASSERT_TRUE(dogShown());
    EXPECT_EQ(board->Form->focusWidget(), nullptr) << "no key acts before the user turns to it";
    QKeyEvent tab(QEvent::KeyPress, Qt::Key_Tab, Qt::NoModifier);
    QApplication::sendEvent(board->Form, &tab);
    ASSERT_EQ(board->Form->focusWidget(), board->PLater->button());
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QApplication::sendEvent(board->PLater->button(), &enter);
    EXPECT_FALSE(dogShown());
    EXPECT_EQ(board->Status().watchdog.dueMs - clock.nowMs(), 5 * 60'000);
    EXPECT_EQ(board->Status().train.state, BoardStatus::Countdown::Counting);
}
