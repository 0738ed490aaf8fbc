#pragma once

#include "app/Sequencer.h"
#include "runtime/PictureCache.h"
#include "runtime/Timer.h"

#include <QStringList>

#include <cstdint>

class TFMainBoard;
namespace rt {
class Canvas;
}

// The eye-exercise sequence: looking left and right, up and down, near and far, each drawn live
// on a picture of a face, two pauses with closed eyes, warming the hands, palming and the mantra.
// An invisible window whose timer drives the board: every step is timed by the clock alone.
class TFProcAug final : public Sequencer {
public:
    explicit TFProcAug(TFMainBoard& board);

    void TimerAugenSetUp();
    void TimerAugenTimer();
    void SetSizesAug();

    // Every picture and narration the sequence loads, as program paths.
    static QStringList DataFilesUsed();

    void SetUp() override { TimerAugenSetUp(); }
    void StopTimer() override;
    void SetSizes() override { SetSizesAug(); }

    rt::Timer TimerAugen{500};

    std::uint16_t AugStep = 0;
    std::uint16_t AugCount = 0;
    bool AugSaid = false;
    std::int64_t AugStart = 0;
    std::int32_t AugElapsed = 0;
    // Points on the face picture, in its pixels.
    std::int32_t AugEyeLX = 0, AugEyeRX = 0, AugEyeY = 0;
    std::int32_t AugTargetX = 0, AugTargetY = 0;
    std::int32_t AugSpanH = 300;
    std::int32_t AugSpanV = 230;
    std::int32_t AugShift = 0;
    std::int32_t AugRadius = 0;
    std::int32_t AugRadius0 = 100;

    // The pictures of the running sequence, each decoded once.
    const rt::PictureCache& Pictures() const { return pictures_; }

    static constexpr const char* kFace = "Pictures\\Augen\\augen.bmp";

private:
    void Leave();
    void LoopingStep();
    void Show(const char* picture);
    void StartHorizontal();
    void StartVertical();
    void StartFocus();
    // The moving figure of the exercise that runs now (lines of sight, or the focus figure).
    void DrawFigure(rt::Canvas& canvas);
    void DrawSight(rt::Canvas& canvas);
    void DrawFocus(rt::Canvas& canvas, int radius);

    TFMainBoard& board_;
    rt::PictureCache pictures_;
};
