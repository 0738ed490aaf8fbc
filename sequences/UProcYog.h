#pragma once

#include "app/Sequencer.h"
#include "runtime/Timer.h"

class TFMainBoard;

// The yoga sequence: an invisible window whose timer drives the board.
class TFProcYog final : public Sequencer {
public:
    explicit TFProcYog(TFMainBoard& board);

    void TimerYogaSetUp();
    void TimerYogaTimer();
    void SetSizesYog();

    void SetUp() override { TimerYogaSetUp(); }
    void StopTimer() override { TimerYoga.setEnabled(false); }
    void SetSizes() override { SetSizesYog(); }

    rt::Timer TimerYoga{500};

private:
    TFMainBoard& board_;
};
