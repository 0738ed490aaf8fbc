#include "sequences/UProcAtm.h"

#include "app/UMainBoard.h"

TFProcAtm::TFProcAtm(TFMainBoard& board) : board_(board) {
    TimerAtmen.onTimer = [this] { TimerAtmenTimer(); };
}

void TFProcAtm::TimerAtmenSetUp() {}

void TFProcAtm::TimerAtmenTimer() {}

void TFProcAtm::SetSizesAtm() {}
