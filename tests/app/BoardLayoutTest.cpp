#include "support/BoardFixture.h"

#include "app/LaterStrip.h"

#include "app/Elapsed.h"

// The board on a 1024 x 768 screen, after its intro.
class BoardLayout : public BoardFixture {
protected:
    void SetUp() override {
        BoardFixture::SetUp();
        create(1024, 768);
        for (int i = 0; i < 14; ++i)
            startTick(2);
        player.calls.clear();
    }
    QRect bounds() const {
        return {board->Form->left(), board->Form->top(), board->Form->outerWidth(),
                board->Form->outerHeight()};
    }
};

TEST_F(BoardLayout, FullScreenFiguresOfA1024x768Screen) {
    EXPECT_EQ(board->ScreenWidth, 1024);
    EXPECT_EQ(board->ScreenHeight, 769);
    // The window itself is exactly the screen: nothing hangs below its edge.
    EXPECT_EQ(bounds(), QRect(0, 0, 1024, 768));
    EXPECT_EQ(board->IStart[12]->geometry(), QRect(0, 366, 1024, 139));
    EXPECT_EQ(board->IStart[11]->geometry(), QRect(0, 0, 1024, 768));
    EXPECT_EQ(board->MiniTop, 364);  // round((768 - 39) / 2) = round(364.5), ties to even
    EXPECT_EQ(board->MiniLeft, 344); // round((1024 - 335) / 2) = round(344.5), ties to even
    // The bar lies at the bottom right, the text area right above it.
    EXPECT_EQ(board->PSButtons->geometry().bottom(), 767);
    EXPECT_EQ(board->PSButtons->geometry().right(), 1024 - 3);
    EXPECT_EQ(board->PText->x(), board->PSButtons->x());
    EXPECT_EQ(board->PText->geometry().bottom() + 1, board->PSButtons->y());
}

TEST_F(BoardLayout, SizeButtonCyclesMaxiMidiMini) {
    board->HandleSize();
    EXPECT_EQ(board->SizeMode, Midi);
    EXPECT_EQ(board->Form->outerWidth(), 870);
    EXPECT_EQ(board->Form->outerHeight(), 654); // round(769 * 0.85) = round(653.65)
    EXPECT_EQ(board->Form->border(), rt::Form::Border::Dialog);
    EXPECT_FALSE(board->Form->stayOnTop());
    EXPECT_EQ(board->Form->left(), (1024 - 870) / 2);
    EXPECT_EQ(board->Form->top(), (768 - 654) / 2);
    EXPECT_EQ(board->IStart[12]->geometry(), QRect(0, RoundEven(654 * 0.4765625), 870, 118));

    board->HandleSize();
    EXPECT_EQ(board->SizeMode, Mini);
    EXPECT_EQ(bounds(), QRect((1024 - 337) / 2, (768 - 63) / 2, 337, 63));
    // The small window's client area is exactly the button bar.
    EXPECT_EQ(board->Form->clientWidth(), 335);
    EXPECT_EQ(board->Form->clientHeight(), 39);
    EXPECT_EQ(board->PSButtons->pos(), QPoint(0, 0));

    board->HandleSize();
    EXPECT_EQ(board->SizeMode, Maxi);
    EXPECT_EQ(bounds(), QRect(0, 0, 1024, 768));
    EXPECT_EQ(board->Form->border(), rt::Form::Border::None);
    EXPECT_TRUE(board->Form->stayOnTop());
}

TEST_F(BoardLayout, SmallWindowGoesBackInsideTheScreen) {
    board->TimeSwitchOn = 1;
    board->SizeMode = Midi;
    board->MiniLeft = 900;
    board->MiniTop = 760;
    board->HandleSize();
    // Bottom and right edges first, then top and left.
    EXPECT_EQ(bounds(), QRect(1024 - 337, 768 - 63, 337, 63));

    board->MiniLeft = -50;
    board->MiniTop = -5;
    board->TopHeightMini();
    EXPECT_EQ(bounds().topLeft(), QPoint(0, 0));
}

TEST_F(BoardLayout, WindowLargerThanTheScreenEndsAtTheTopLeftCorner) {
    board->TimeSwitchOn = 1;
    board->MiniLeft = 500;
    board->MiniTop = 500;
    board->Form->setOuterSize(2000, 1000);
    board->TopHeightMini();
    EXPECT_EQ(bounds().topLeft(), QPoint(0, 0));
}

TEST_F(BoardLayout, SuggestionIconsOnlyWhileASuggestionIsShown) {
    board->SuggestionShown = 0;
    for (std::uint8_t code = 1; code <= 4; ++code)
        board->HandleButtons(code);
    EXPECT_EQ(board->SBAtmen->glyphName(), QStringLiteral("Pictures\\Icons\\lunge.bmp"));
    EXPECT_EQ(board->SBEntsp->glyphName(), QStringLiteral("Pictures\\Icons\\entsp.bmp"));

    board->SuggestionShown = 1;
    board->HandleButtons(3);
    EXPECT_EQ(board->SBAugen->glyphName(), QStringLiteral("Pictures\\Icons\\augen2.bmp"));
    EXPECT_EQ(board->SBYoga->glyphName(), QStringLiteral("Pictures\\Icons\\yoga.bmp"));
    board->HandleButtons(0);
    EXPECT_EQ(board->SBAugen->glyphName(), QStringLiteral("Pictures\\Icons\\augen.bmp"));
}

TEST_F(BoardLayout, ButtonCodesSetIconsAndStates) {
    board->HandleButtons(5);
    EXPECT_FALSE(board->SBSize->isEnabled());
    EXPECT_TRUE(board->SBSize->isFlat());
    board->HandleButtons(6);
    EXPECT_EQ(board->CloseQuits, 0);
    EXPECT_EQ(board->SBClose->glyphName(), QStringLiteral("Pictures\\Icons\\zuruck.bmp"));
    board->HandleButtons(7);
    EXPECT_EQ(board->CloseQuits, 1);
    EXPECT_EQ(board->SBClose->glyphName(), QStringLiteral("Pictures\\Icons\\close.bmp"));
    board->HandleButtons(8);
    EXPECT_TRUE(board->SBWecker->isFlat());
    board->HandleButtons(9);
    EXPECT_FALSE(board->SBWecker->isFlat());
    EXPECT_EQ(board->SBWecker->glyphName(), QStringLiteral("Pictures\\Icons\\uhr.bmp"));
    board->HandleButtons(0);
    EXPECT_TRUE(board->SBSize->isEnabled());
    EXPECT_FALSE(board->SBSize->glyph().isNull());
    EXPECT_TRUE(report.texts.isEmpty());
}

// ---- display states

class BoardPanels : public BoardLayout {
protected:
    // Puts the board into a busy state: everything HandlePanels must undo, with one prompt
    // (6 training, 7 watchdog) on the screen.
    void makeBusy(std::uint8_t prompt) {
        board->HandlePanels(prompt);
        for (QWidget* w : std::initializer_list<QWidget*>{
                 board->PAtmen, board->PYoga, board->PAugen, board->PEntsp, board->PKino,
                 board->PText, board->Memo0, board->ImageDog, board->ImageTrain})
            w->show();
        board->PSButtons->hide();
        board->TimerTrain.setEnabled(true);
        board->TimerDog.setEnabled(true);
        board->SoundPlaying = 1;
        board->HandleButtons(6);
        for (auto& s : sequencers)
            s.stops = 0;
        player.calls.clear();
    }
};

TEST_F(BoardPanels, EveryKindFirstEndsWhateverRan) {
    for (std::uint8_t kind : {0, 1, 2, 3, 4, 5, 6, 7, 8, 200}) {
        SCOPED_TRACE(kind);
        makeBusy(kind % 2 == 0 ? 6 : 7);
        board->HandlePanels(kind);
        EXPECT_TRUE(board->PKino->isHidden());
        EXPECT_TRUE(board->PText->isHidden());
        EXPECT_TRUE(board->Memo0->isHidden());
        EXPECT_FALSE(board->TimerTrain.enabled());
        EXPECT_FALSE(board->TimerDog.enabled());
        for (auto& s : sequencers)
            EXPECT_EQ(s.stops, 1);
        ASSERT_FALSE(player.calls.isEmpty());
        EXPECT_EQ(player.calls.first(), QStringLiteral("stop"));
        EXPECT_EQ(trainShown(), kind == 6);
        EXPECT_EQ(dogShown(), kind == 7);
        EXPECT_EQ(board->ImageTrain->isHidden(), kind != 6);
        EXPECT_EQ(board->ImageDog->isHidden(), kind != 7);
        EXPECT_EQ(board->PSButtons->isHidden(), kind == 7);
        if (kind < 2 || kind > 7) {
            EXPECT_EQ(board->Form->caption(), QStringLiteral("Quillet   /   Version 01-03-2009"));
            EXPECT_EQ(board->CloseQuits, 1);
            for (QWidget* w : {board->PAtmen, board->PYoga, board->PAugen, board->PEntsp})
                EXPECT_TRUE(w->isHidden());
        }
    }
}

TEST_F(BoardPanels, SequenceKindsStartTheirSequencer) {
    struct Row {
        std::uint8_t kind;
        QString caption;
        QWidget* panel;
        int sequencer;
    };
    const Row rows[] = {
        {2, QStringLiteral("Atemübungen   /   Version 01-03-2009"), board->PAtmen, SeqAtm},
        {3, QStringLiteral("Körperübungen   /   Version 01-03-2009"), board->PYoga, SeqYog},
        {4, QStringLiteral("Augenübungen   /   Version 01-03-2009"), board->PAugen, SeqAug},
        {5, QStringLiteral("Entspannungsübungen   /   Version 01-03-2009"), nullptr, SeqEnt},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.kind);
        board->HandlePanels(r.kind);
        EXPECT_EQ(board->Form->caption(), r.caption);
        EXPECT_EQ(board->LastSequence, r.kind - 1);
        EXPECT_EQ(board->CloseQuits, 0);
        if (r.panel) {
            EXPECT_FALSE(r.panel->isHidden());
        }
        EXPECT_EQ(sequencers[size_t(r.sequencer)].setUps, 1);
    }
    EXPECT_TRUE(board->PEntsp->isHidden()) << "relaxation shows its own panels";
    EXPECT_EQ(board->SizeMode, Maxi);
}

TEST_F(BoardPanels, PromptShapes) {
    board->HandlePanels(6);
    // The picture and the bar as designed, and the strip with "Später" below them.
    EXPECT_EQ(board->Form->outerWidth(), 333);
    EXPECT_EQ(board->Form->outerHeight(), 168 + LaterStrip::kHeight);
    EXPECT_EQ(board->Form->border(), rt::Form::Border::None);
    EXPECT_TRUE(board->Form->stayOnTop());
    EXPECT_EQ(board->ImageTrain->geometry(), QRect(0, 0, 333, 132));
    EXPECT_EQ(board->PSButtons->geometry().bottom(), 167) << "the bar along the bottom";
    EXPECT_EQ(board->CloseQuits, 0);
    EXPECT_EQ(played(), (QStringList{"stop", "gong.wav"}));
    EXPECT_EQ(board->SizeMode, Maxi) << "a prompt is not a size mode";

    player.calls.clear();
    board->HandlePanels(7);
    EXPECT_EQ(board->Form->outerWidth(), 335);
    EXPECT_EQ(board->Form->outerHeight(), 168 + LaterStrip::kHeight);
    EXPECT_EQ(board->ImageDog->geometry(), QRect(0, 0, 335, 168));
    EXPECT_EQ(played(), (QStringList{"stop", "mantra.wav"}));
}

TEST_F(BoardPanels, IdleResetWithNothingPlayingSendsNothingToThePlayer) {
    board->SoundPlaying = 0;
    board->HandlePanels(0);
    EXPECT_TRUE(player.calls.isEmpty());
}

TEST_F(BoardPanels, SequencersAreSkippedUntilTheyExist) {
    board->AttachSequencer(SeqYog, nullptr);
    sequencers[SeqYog].setUps = 0;
    board->HandlePanels(3);
    board->SetSizes();
    EXPECT_EQ(sequencers[SeqYog].setUps, 0);
    EXPECT_EQ(board->LastSequence, 2);
}
