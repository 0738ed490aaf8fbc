#pragma once

#include "app/Sequencer.h"
#include "runtime/Timer.h"

class TFMainBoard;

// The breathing sequence: an invisible window whose timer drives the board.
class TFProcAtm final : public Sequencer {
public:
    explicit TFProcAtm(TFMainBoard& board);

    void TimerAtmenSetUp();
    void TimerAtmenTimer();
    void SetSizesAtm();

    void SetUp() override { TimerAtmenSetUp(); }
    void StopTimer() override { TimerAtmen.setEnabled(false); }
    void SetSizes() override { SetSizesAtm(); }

    rt::Timer TimerAtmen{500};

private:
    TFMainBoard& board_;
};
