#include "sequences/Countdown.h"

#include "app/UMainBoard.h"

const std::array<CountedWord, 10> kCountedWords{{
    {"eins", "eins.wav"},
    {"zwei", "zwei.wav"},
    {"drei", "drei.wav"},
    {"vier", "vier.wav"},
    {"fünf", "funf.wav"},
    {"sechs", "sechs.wav"},
    {"sieben", "sieben.wav"},
    {"acht", "acht.wav"},
    {"neun", "neun.wav"},
    {"zehn", "zehn.wav"},
}};

QStringList CountedNarrations(const char* soundFolder) {
    const QString folder = QStringLiteral("Sound\\") + QString::fromLatin1(soundFolder) + '\\';
    QStringList files;
    for (const CountedWord& w : kCountedWords)
        files << folder + QLatin1String(w.file);
    files << folder + QStringLiteral("ende.wav");
    return files;
}

void SetInstruction(TFMainBoard& board, const QString& line) {
    // The same line again would only repaint the text.
    if (board.MemoText->toPlainText() == line)
        return;
    board.MemoText->clearLines();
    board.MemoText->addLine(line);
}

bool CountStep(TFMainBoard& board, const Journey& journey, std::uint8_t kino,
               const char* soundFolder) {
    const QString folder = QString::fromLatin1(soundFolder) + QLatin1Char('\\');
    if (kino == 1) {
        board.IKino[journey.forward ? 1 : 11]->show();
    } else if (kino >= 2 && kino <= 11) {
        const int shown = journey.forward ? kino : 12 - kino;
        const int hidden = journey.forward ? kino - 1 : 13 - kino;
        board.IKino[size_t(shown)]->show();
        board.IKino[size_t(hidden)]->hide();
        const CountedWord& w = kCountedWords[size_t(kino - 2)];
        board.HandleSound(folder + QLatin1String(w.file));
        SetInstruction(board, QString::fromUtf8(w.word));
    } else if (kino == journey.endeCount) {
        board.HandleSound(folder + QStringLiteral("ende.wav"));
        SetInstruction(board, QStringLiteral("Ende der Übung"));
    }
    return kino >= journey.lastCount;
}

bool CountTick(TFMainBoard& board, const Journey& journey, CountState state, std::int32_t elapsed,
               int period, const char* soundFolder) {
    if (!state.said) {
        state.said = true;
        state.kino = 0;
    }
    if (elapsed < period)
        return false;
    ++state.kino;
    const bool over = CountStep(board, journey, state.kino, soundFolder);
    state.start = board.Clock().nowSeconds();
    return over;
}

void FinishSequence(TFMainBoard& board) {
    board.SequenceCompleted();
    board.PKino->hide();
    board.HandlePanels(Panel::Idle);
    if (board.Status().timeSwitchOn) {
        board.T1SetUp();
        board.T2SetUp();
    }
}
