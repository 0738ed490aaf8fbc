#pragma once

#include "app/Sequencer.h"
#include "runtime/PictureCache.h"
#include "runtime/Timer.h"

#include <QStringList>

#include <cstdint>

class TFMainBoard;

// The yoga sequence: ten exercises at the desk, from opening and closing the hands to shaking
// out the legs, and the mantra. An invisible window whose timer drives the board: every step
// is timed by the clock alone.
class TFProcYog final : public Sequencer {
public:
    explicit TFProcYog(TFMainBoard& board);

    void TimerYogaSetUp();
    void TimerYogaTimer();
    void SetSizesYog();

    // Every picture and narration the sequence loads, as program paths.
    static QStringList DataFilesUsed();

    void SetUp() override { TimerYogaSetUp(); }
    void StopTimer() override;
    void SetSizes() override { SetSizesYog(); }

    rt::Timer TimerYoga{500};

    std::uint16_t YogStep = 0;
    std::uint16_t YogCount = 0;
    bool YogBack = false;
    bool YogSaid = false;
    std::int64_t YogStart = 0;
    std::int32_t YogElapsed = 0;

    // The pictures of the running sequence, each decoded once.
    const rt::PictureCache& Pictures() const { return pictures_; }

private:
    void Enter(std::uint16_t step);
    void Show(const char* picture);

    TFMainBoard& board_;
    rt::PictureCache pictures_;
};
