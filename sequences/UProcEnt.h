#pragma once

#include "app/Sequencer.h"
#include "runtime/Timer.h"

class TFMainBoard;

// The relaxation sequence: an invisible window whose timer drives the board.
class TFProcEnt final : public Sequencer {
public:
    explicit TFProcEnt(TFMainBoard& board);

    void TimerEntspSetUp();
    void TimerEntspTimer();
    void SetSizesEnt();

    void SetUp() override { TimerEntspSetUp(); }
    void StopTimer() override { TimerEntsp.setEnabled(false); }
    void SetSizes() override { SetSizesEnt(); }

    rt::Timer TimerEntsp{500};

private:
    TFMainBoard& board_;
};
