#pragma once

#include "app/Sequencer.h"
#include "runtime/Timer.h"

#include <QStringList>

#include <cstdint>

class TFMainBoard;

// The breathing sequence: the counted journey to the waterfall, full breathing and alternate
// breathing paced by the blind over the colour strip, the mantra and the journey back. An
// invisible window whose timer drives the board.
class TFProcAtm final : public Sequencer {
public:
    explicit TFProcAtm(TFMainBoard& board);

    void TimerAtmenSetUp();
    void TimerAtmenTimer();
    void KinoAtmSetUp();
    void SetSizesAtm();

    // Every picture and narration the sequence loads, as program paths.
    static QStringList DataFilesUsed();

    void SetUp() override { TimerAtmenSetUp(); }
    void StopTimer() override { TimerAtmen.setEnabled(false); }
    void SetSizes() override { SetSizesAtm(); }

    rt::Timer TimerAtmen{500};

    std::uint16_t AtmStep = 0;
    bool AtmSaid = false;
    std::int64_t AtmStart = 0; // clock seconds; milliseconds in steps 4 and 6
    std::int32_t AtmElapsed = 0;
    std::uint8_t AtmKino = 0;
    std::uint16_t AtmKinoPeriod = 2;
    std::uint16_t AtmPhase = 0;
    std::uint16_t AtmPhaseLength = 0;
    // Height of the blind over the colour strip as the breath phases set it: where it stands a
    // pixel further, at most once per frame of the screen. The panel follows no faster either.
    int AtmBlind = 0;
    // The least time between two moves of the blind: a whole number of the screen's frames.
    int BlindPaceMs() const { return frameMs_; }

private:
    void TimedStep();
    void CountedStep();
    void BreathPhase();
    void Leave(std::uint16_t next);
    // `nowMs`: the clock reading of the tick, from which the screen's frames are counted.
    void SetBlind(int height, bool paced, std::int64_t nowMs);
    void StepPace();
    std::int32_t ElapsedSeconds() const;

    TFMainBoard& board_;
    int blindDue_ = 0; // where the blind belongs; it can wait for the screen's next frame
    std::int64_t blindMovedAt_ = 0; // clock ms when the blind last changed height
    int frameMs_ = 34;              // the least time between two moves of the blind
};
