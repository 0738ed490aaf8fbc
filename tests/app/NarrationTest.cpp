#include "support/BoardFixture.h"

#include <QApplication>
#include <QMouseEvent>

// HandleSound and the hint box, on an idle board.
class Narration : public BoardFixture {
protected:
    void SetUp() override {
        BoardFixture::SetUp();
        create();
        board->TimerStart.setEnabled(false);
        board->HandleSound(QStringLiteral("stop"));
        player.calls.clear();
        report.texts.clear();
    }
};

TEST_F(Narration, ANewNarrationReplacesTheOneStillPlaying) {
    board->HandleSound(QStringLiteral("gong.wav"));
    board->HandleSound(QStringLiteral("mantra.wav"));
    EXPECT_EQ(played(), (QStringList{"gong.wav", "mantra.wav"}));
    EXPECT_EQ(board->SoundPlaying, 1);
    board->HandleSound(QStringLiteral("stop"));
    EXPECT_EQ(played(), (QStringList{"gong.wav", "mantra.wav", "stop"}));
    EXPECT_EQ(board->SoundPlaying, 0);
}

TEST_F(Narration, StopWithNothingPlayingReachesNoDevice) {
    board->HandleSound(QStringLiteral("stop"));
    EXPECT_TRUE(player.calls.isEmpty());
    EXPECT_EQ(board->SoundPlaying, 0);
}

TEST_F(Narration, SoundOffMeansNothingAtAll) {
    board->HandleSound(QStringLiteral("gong.wav"));
    board->Settings().Sound = 0;
    board->HandleSound(QStringLiteral("stop"));
    board->HandleSound(QStringLiteral("mantra.wav"));
    board->HandleSound(QStringLiteral("no-such-file.wav"));
    EXPECT_EQ(played(), QStringList{"gong.wav"});
    EXPECT_EQ(board->SoundPlaying, 1) << "stop with sound off leaves the flag alone";
    EXPECT_TRUE(report.texts.isEmpty()) << "missing files go unnoticed with sound off";
}

TEST_F(Narration, StopIsExactAndCaseSensitive) {
    board->HandleSound(QStringLiteral("Stop"));
    EXPECT_TRUE(player.calls.isEmpty());
    ASSERT_EQ(report.texts.size(), 1);
    EXPECT_TRUE(report.texts[0].contains(QStringLiteral("Sound/Stop")))
        << report.texts[0].toStdString();
    EXPECT_EQ(board->SoundPlaying, 0);
}

TEST_F(Narration, NarrationNamesAreFoundWhateverTheirLetterCase) {
    board->HandleSound(QStringLiteral("START\\Noise.WAV"));
    EXPECT_EQ(played(), QStringList{"start/noise.wav"});
}

TEST_F(Narration, FailedNarrationCutsOffThePlayingOne) {
    board->HandleSound(QStringLiteral("mantra.wav"));
    player.failing << files.resolve(QStringLiteral("Sound\\gong.wav"));
    board->HandleSound(QStringLiteral("gong.wav"));
    EXPECT_EQ(board->SoundPlaying, 0);

    // A file that is not there at all: the player is not asked to play, but must stop.
    board->HandleSound(QStringLiteral("mantra.wav"));
    player.calls.clear();
    board->HandleSound(QStringLiteral("no-such-file.wav"));
    EXPECT_EQ(player.calls, QStringList{"stop"});
    EXPECT_EQ(board->SoundPlaying, 0);
    EXPECT_EQ(report.texts.size(), 1);

    // Nothing plays now, so a later stop does not reach the device.
    board->HandleSound(QStringLiteral("stop"));
    EXPECT_EQ(player.calls, QStringList{"stop"});
}

// ---- hover hints

TEST_F(Narration, HintForTheBreathingButtonKeepsInsideTheBoard) {
    board->PSButtons->move(70, 700);
    board->HandleMemo(1);
    EXPECT_EQ(board->Memo0->geometry(), QRect(5, 665, 106, 20));
    EXPECT_EQ(board->Memo0->text(), QStringLiteral(" Atemübungen "));

    board->Memo0->hide();
    board->PSButtons->move(74, 700);
    board->HandleMemo(1);
    EXPECT_EQ(board->Memo0->x(), 2);
}

TEST_F(Narration, HintTable) {
    board->PSButtons->move(500, 700);
    const std::tuple<int, const char*, int, int> rows[] = {
        {1, " Atemübungen ", 106, 428},
        {2, " Körperübungen ", 116, 450},
        {3, " Augenübungen ", 114, 484},
        {4, " Entspannungsübungen ", 168, 464},
        {5, " Größe: Maxi/Midi/Mini ", 162, 502},
        {6, " Zeitschaltuhr ", 100, 598},
        {7, " Hilfe ", 44, 688},
        {8, " Menü für Einstellungen ", 166, 596},
        {9, " Impressum ", 86, 710},
        {10, " Zurück/Beenden ", 125, 704},
    };
    for (auto [kind, text, width, left] : rows) {
        board->Memo0->hide();
        board->HandleMemo(std::uint8_t(kind));
        EXPECT_EQ(board->Memo0->text(), QString::fromUtf8(text));
        EXPECT_EQ(board->Memo0->geometry(), QRect(left, 665, width, 20)) << kind;
        EXPECT_FALSE(board->Memo0->isHidden());
    }
}

TEST_F(Narration, ShownHintKeepsItsTextWhenThePointerPassesToTheNextButton) {
    board->PSButtons->move(500, 700);
    board->HandleMemo(7);
    board->HandleMemo(8);
    EXPECT_EQ(board->Memo0->text(), QStringLiteral(" Hilfe "));
    board->PSButtons->move(500, 600);
    board->HandleMemo(99);
    EXPECT_EQ(board->Memo0->y(), 565) << "only the height follows the bar";
    EXPECT_EQ(board->Memo0->text(), QStringLiteral(" Hilfe "));
}

TEST_F(Narration, PointerOverAButtonShowsItsHintAndTheBarHidesIt) {
    board->PSButtons->show();
    const auto moveOver = [](QWidget* w) {
        QMouseEvent move(QEvent::MouseMove, QPointF(10, 10), w->mapToGlobal(QPointF(10, 10)),
                         Qt::NoButton, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(w, &move);
    };
    moveOver(board->SBYoga);
    EXPECT_FALSE(board->Memo0->isHidden());
    EXPECT_EQ(board->Memo0->text(), QStringLiteral(" Körperübungen "));
    moveOver(board->PSButtons);
    EXPECT_TRUE(board->Memo0->isHidden());
    moveOver(board->SBClose);
    EXPECT_EQ(board->Memo0->text(), QStringLiteral(" Zurück/Beenden "));
    moveOver(board->IStart[11]);
    EXPECT_TRUE(board->Memo0->isHidden());
}
