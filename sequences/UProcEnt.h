#pragma once

#include "app/Sequencer.h"
#include "runtime/Timer.h"
#include "sequences/BodyScan.h"

#include <QRgb>
#include <QStringList>

#include <cstdint>
#include <optional>
#include <vector>

class TFMainBoard;

// The relaxation sequence: the counted journey into the evening twilight, the body scan that
// fills the figure with colour region by region, the mantra and the journey back. An invisible
// window whose timer drives the board.
class TFProcEnt final : public Sequencer {
public:
    explicit TFProcEnt(TFMainBoard& board);

    void TimerEntspSetUp();
    void TimerEntspTimer();
    void KinoEntSetUp();
    void SetSizesEnt();

    // Every picture and narration the sequence loads, as program paths.
    static QStringList DataFilesUsed();
    // Every rectangle the body scan draws samples from, in the body picture's pixels.
    static std::vector<SampleRect> SampleRects();

    void SetUp() override { TimerEntspSetUp(); }
    void StopTimer() override { TimerEntsp.setEnabled(false); }
    void SetSizes() override { SetSizesEnt(); }

    static constexpr QRgb EntFillColour = 0xff00c8ffu; // red 0, green 200, blue 255

    rt::Timer TimerEntsp{500};

    std::uint16_t EntStep = 0;
    bool EntSaid = false;
    std::int64_t EntStart = 0;
    std::int32_t EntElapsed = 0;
    std::uint8_t EntKino = 0;
    std::uint16_t EntKinoPeriod = 2;
    std::uint16_t EntSampleX = 104;
    std::uint16_t EntSampleY = 40;
    // The colour of the body picture at (104, 40); none when the picture has no such pixel.
    std::optional<QRgb> EntBodyColour;

private:
    void TimedStep();
    void CountedStep();
    void RegionStep();
    void Leave(std::uint16_t next);

    TFMainBoard& board_;
    SampleRandom random_;
};
