#pragma once

#include <QString>
#include <QStringList>

#include <array>
#include <cstdint>

class TFMainBoard;

// What the sequences share: the instruction line, the end of a sequence, and the counted
// journey ("Kino"), a slideshow of eleven pictures with the words one to ten.

// Clears the instruction text and writes `line` as its only line.
void SetInstruction(TFMainBoard& board, const QString& line);

struct CountedWord {
    const char* word;
    const char* file; // below the sequence's sound folder
};
extern const std::array<CountedWord, 10> kCountedWords;

// The narrations of the counted words and of the end, as program paths below "Sound".
QStringList CountedNarrations(const char* soundFolder);

// One journey: which way the pictures run, at which count "Ende der Übung" comes (0: never) and
// at which count the journey ends.
struct Journey {
    bool forward;
    std::uint8_t endeCount;
    std::uint8_t lastCount;
};

// Carries out count `kino` of a journey (1 .. lastCount) on the board's slideshow, with the
// narration from `soundFolder` ("atmen", "entsp"). Returns true when the journey is over.
bool CountStep(TFMainBoard& board, const Journey& journey, std::uint8_t kino,
               const char* soundFolder);

// One tick of a counted step: the count starts at its first tick; a count comes whenever
// `period` seconds have passed since `start`, which is then renewed. Returns true on the tick
// at which the journey is over.
struct CountState {
    bool& said;
    std::uint8_t& kino;
    std::int64_t& start;
};
bool CountTick(TFMainBoard& board, const Journey& journey, CountState state, std::int32_t elapsed,
               int period, const char* soundFolder);

// The last count of a sequence: the board returns to idle and, with the time switch on, the
// countdowns start again.
void FinishSequence(TFMainBoard& board);
