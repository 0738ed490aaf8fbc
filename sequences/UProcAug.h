#pragma once

#include "app/Sequencer.h"
#include "runtime/Timer.h"

class TFMainBoard;

// The eye-exercise sequence: an invisible window whose timer drives the board.
class TFProcAug final : public Sequencer {
public:
    explicit TFProcAug(TFMainBoard& board);

    void TimerAugenSetUp();
    void TimerAugenTimer();
    void SetSizesAug();

    void SetUp() override { TimerAugenSetUp(); }
    void StopTimer() override { TimerAugen.setEnabled(false); }
    void SetSizes() override { SetSizesAug(); }

    rt::Timer TimerAugen{500};

private:
    TFMainBoard& board_;
};
