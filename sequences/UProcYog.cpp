#include "sequences/UProcYog.h"

#include "app/UMainBoard.h"

TFProcYog::TFProcYog(TFMainBoard& board) : board_(board) {
    TimerYoga.onTimer = [this] { TimerYogaTimer(); };
}

void TFProcYog::TimerYogaSetUp() {}

void TFProcYog::TimerYogaTimer() {}

void TFProcYog::SetSizesYog() {}
