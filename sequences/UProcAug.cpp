#include "sequences/UProcAug.h"

#include "app/UMainBoard.h"

TFProcAug::TFProcAug(TFMainBoard& board) : board_(board) {
    TimerAugen.onTimer = [this] { TimerAugenTimer(); };
}

void TFProcAug::TimerAugenSetUp() {}

void TFProcAug::TimerAugenTimer() {}

void TFProcAug::SetSizesAug() {}
