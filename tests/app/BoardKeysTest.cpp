// The board by keyboard and for screen readers: the names of the bar's buttons follow what they
// show, the prompts and a running sequence answer keys as they answer clicks.
#include "app/BoardAccess.h"
#include "runtime/Accessibility.h"
#include "support/BoardFixture.h"

#include <QAccessible>
#include <QApplication>
#include <QKeyEvent>

namespace {

struct HelpWindows final : BoardWindows {
    void ShowHilfe() override { ++help; }
    void ShowImpressum() override {}
    void ShowMenue() override {}
    bool ResetDone() const override { return false; }
    void Inform(const QString&) override {}
    int help = 0;
};

} // namespace

class BoardKeys : public BoardFixture {
protected:
    // The quick start with the training prompt after `trainSeconds` and, with `watchdog`, the
    // watchdog after 5 s.
    void start(int trainSeconds, bool watchdog) {
        TSettings s;
        s.DSTimer = 1;
        s.T2On = watchdog ? 1 : 0;
        s.m1 = 0;
        s.s1 = std::uint16_t(trainSeconds);
        s.m2 = 0;
        s.s2 = 5;
        writeSettings(s);
        create();
        board->AttachWindows(&windows);
    }
    // A key as the window gets it: at its focused control, or at the window itself.
    void key(int k) {
        QWidget* to = board->Form->focusWidget() ? board->Form->focusWidget() : board->Form;
        QKeyEvent down(QEvent::KeyPress, k, Qt::NoModifier);
        QApplication::sendEvent(to, &down);
        QKeyEvent up(QEvent::KeyRelease, k, Qt::NoModifier);
        QApplication::sendEvent(to, &up);
    }
    HelpWindows windows;
};

TEST_F(BoardKeys, EveryButtonHasAGermanNameThatFollowsItsGlyph) {
    start(10, true);
    const std::array<rt::SpeedButton*, 10> bar{
        board->SBAtmen,  board->SBYoga,  board->SBAugen, board->SBEntsp,  board->SBSize,
        board->SBWecker, board->SBHilfe, board->SBMenue, board->SBImpres, board->SBClose};
    for (rt::SpeedButton* b : bar) {
        EXPECT_FALSE(b->accessibleName().isEmpty()) << b->glyphName().toStdString();
        EXPECT_FALSE(b->accessibleDescription().isEmpty()) << b->glyphName().toStdString();
    }
    EXPECT_EQ(board->SBWecker->accessibleName(), QStringLiteral("Zeitschaltuhr: ein"));
    EXPECT_EQ(board->SBClose->accessibleName(), QStringLiteral("Beenden"));
    board->SBWeckerClick();
    EXPECT_EQ(board->SBWecker->accessibleName(), QStringLiteral("Zeitschaltuhr: aus"));
    board->SBYogaClick();
    EXPECT_EQ(board->SBClose->accessibleName(), QStringLiteral("Zurück"));
    EXPECT_EQ(board->MemoText->accessibleName(), QStringLiteral("Anleitung"));
    EXPECT_EQ(board->IStart[11]->accessibleName(), QStringLiteral("Sonnenuntergang"));
    // Every glyph a button can show names it.
    for (const QString& f : TFMainBoard::DataFilesUsed()) {
        if (f.contains(QLatin1String("Icons"))) {
            EXPECT_FALSE(GlyphAccessibleName(f).isEmpty()) << f.toStdString();
        }
    }
}

TEST_F(BoardKeys, TheTrainingPromptStartsItsSuggestionWithEnterAndClosesWithEscape) {
    start(10, false);
    seconds(10);
    ASSERT_TRUE(trainShown());
    ASSERT_EQ(board->LastSequence, 1);
    EXPECT_EQ(board->Form->focusWidget(), board->SBAtmen);
    EXPECT_TRUE(board->SBAtmen->accessibleName().contains(QLatin1String("vorgeschlagen")));
    key(Qt::Key_Return);
    EXPECT_FALSE(trainShown());
    EXPECT_EQ(sequencers[SeqAtm].setUps, 1);
    EXPECT_TRUE(board->Form->caption().startsWith(QStringLiteral("Atemübungen")));

    // Escape in a running sequence is the button "Zurück": back to waiting.
    key(Qt::Key_Escape);
    EXPECT_EQ(board->CloseQuits, 1);
    EXPECT_TRUE(board->TimerTrain.enabled());
    EXPECT_EQ(board->SizeMode, Mini);

    // The next prompt suggests the body exercises; Escape dismisses it as "Zurück" does.
    seconds(10);
    ASSERT_TRUE(trainShown());
    EXPECT_EQ(board->Form->focusWidget(), board->SBYoga);
    key(Qt::Key_Escape);
    EXPECT_FALSE(trainShown());
    EXPECT_EQ(sequencers[SeqYog].setUps, 0);
    EXPECT_TRUE(board->TimerTrain.enabled());
}

TEST_F(BoardKeys, EscapeNeverEndsTheProgramAndNoKeyEndsTheWatchdogsPause) {
    start(3600, true);
    board->Form->show();
    key(Qt::Key_Escape);
    EXPECT_TRUE(board->Form->isVisible());
    EXPECT_EQ(board->CloseQuits, 1);
    key(Qt::Key_F1);
    EXPECT_EQ(windows.help, 1);
    seconds(5);
    ASSERT_TRUE(dogShown());
    // A click on the watchdog's picture does nothing; neither does a key.
    for (int k : {Qt::Key_Escape, Qt::Key_Return, Qt::Key_Space, Qt::Key_F1})
        key(k);
    EXPECT_TRUE(dogShown());
    EXPECT_EQ(windows.help, 1);
}

// The focus survives the watchdog's picture, which hides the bar: no key acts on a button that
// is not there, and afterwards the same button has the focus again, with its frame.
TEST_F(BoardKeys, TheFocusComesBackToItsButtonAfterTheWatchdog) {
    start(3600, true);
    board->Form->show();
    rt::showFocus(board->SBWecker);
    seconds(5);
    ASSERT_TRUE(dogShown());
    EXPECT_EQ(board->Form->focusWidget(), nullptr);
    key(Qt::Key_Return);
    EXPECT_EQ(board->TimeSwitchOn, 1);
    seconds(7);
    ASSERT_FALSE(dogShown());
    EXPECT_EQ(board->Form->focusWidget(), board->SBWecker);
    EXPECT_TRUE(board->Form->testAttribute(Qt::WA_KeyboardFocusChange));
}

// A prompt is told to a screen reader as it comes, without the keyboard: by a notification of
// the board that names the suggestion.
TEST_F(BoardKeys, APromptIsToldAsANotification) {
    start(10, false);
    seconds(10);
    ASSERT_TRUE(trainShown());
    QWidget* told = rt::announcer(board->Form);
    ASSERT_NE(told, nullptr);
    EXPECT_EQ(told->accessibleName(),
              QStringLiteral("Zeit für eine Übung. Vorgeschlagen: Atemübungen."));
    EXPECT_EQ(QAccessible::queryAccessibleInterface(told)->role(), QAccessible::Notification);
    EXPECT_FALSE(told->isVisible());
    board->SBWeckerClick();
    EXPECT_EQ(told->accessibleName(), QStringLiteral("Zeitschaltuhr: aus"));
}
