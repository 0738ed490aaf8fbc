#include "sequences/UProcEnt.h"

#include "app/UMainBoard.h"

TFProcEnt::TFProcEnt(TFMainBoard& board) : board_(board) {
    TimerEntsp.onTimer = [this] { TimerEntspTimer(); };
}

void TFProcEnt::TimerEntspSetUp() {}

void TFProcEnt::TimerEntspTimer() {}

void TFProcEnt::SetSizesEnt() {}
