#include "sequences/UProcAug.h"

#include "app/Elapsed.h"
#include "app/UMainBoard.h"
#include "runtime/Canvas.h"
#include "sequences/Countdown.h"

#include <array>

namespace {

enum class Kind {
    Intro,   // speaks on its first tick, waits
    Pause,   // speaks 3 s in, waits until 14 s
    Looping, // counted movements drawn on the face
    Rubbing, // speaks 3 s in, then a new picture every tick
    End,
};

// What a step does on the tick it ends, besides moving on.
enum class OnLeave { Nothing, Horizontal, Vertical, Focus, ReloadFace, HandsOnEyes, Mantra };

struct StepRow {
    std::uint16_t step;
    Kind kind;
    int seconds; // palming (-1) takes its length from the settings; looping steps count instead
    const char* narration;
    const char* text;
    OnLeave onLeave;
};
constexpr int kPalming = -1;
const std::array<StepRow, 12> kSteps{{
    {1, Kind::Intro, 23, "augen\\aug1.wav",
     "Wir visieren auf der gegenüberliegenden Wand in Augenhöhe eine tatsächliche oder gedachte "
     "waagrechte Linie an. Ohne den Kopf zu bewegen, wandern wir nun mit unserem Blick zum "
     "linken Ende dieser Linie, zur Mitte, zum rechten Ende, zur Mitte, und so weiter ...",
     OnLeave::Horizontal},
    {2, Kind::Looping, 0, nullptr, nullptr, OnLeave::ReloadFace},
    {3, Kind::Pause, 14, "augen\\close.wav",
     "... wir schließen die Augen für etwa zehn Sekunden ...", OnLeave::ReloadFace},
    {4, Kind::Intro, 24, "augen\\aug3.wav",
     "Wir visieren auf der gegenüberliegenden Wand in Verlängerung der Nase eine tatsächliche "
     "oder gedachte senkrechte Linie an. Ohne den Kopf zu bewegen, wandern wir nun mit unserem "
     "Blick zum oberen Ende dieser Linie, zur Mitte, zum unteren Ende, zur Mitte, und so weiter "
     "...",
     OnLeave::Vertical},
    {5, Kind::Looping, 0, nullptr, nullptr, OnLeave::ReloadFace},
    {6, Kind::Pause, 14, "augen\\close.wav",
     "... wir schließen die Augen für etwa zehn Sekunden ...", OnLeave::ReloadFace},
    {7, Kind::Intro, 20, "augen\\aug5.wav",
     "Wir visieren einen Punkt möglichst nahe der Nasenwurzel, entspannen die Augen, visieren "
     "einen Punkt in möglichst großer Entferung, entspannen die Augen, visieren einen Punkt "
     "möglichst nahe der Nasenwurzel, und so weiter ...",
     OnLeave::Focus},
    {8, Kind::Looping, 0, nullptr, nullptr, OnLeave::Nothing},
    {9, Kind::Rubbing, 11, "augen\\aug7.wav",
     "Wir reiben einige Male kräftig die Hände aneinander, bis sie gut warm sind ...",
     OnLeave::HandsOnEyes},
    {10, Kind::Intro, kPalming, "augen\\aug8.wav",
     "... und halten sie dann für einige Zeit auf die Augen ...", OnLeave::Mantra},
    {11, Kind::Intro, 8, "mantra.wav", "Ich sitze aufrecht, atme tief und bin ganz entspannt !",
     OnLeave::Nothing},
    {12, Kind::End, 3, "augen\\ende.wav", "Ende der Übung ... ", OnLeave::Nothing},
}};
constexpr int kPauseSpeaks = 3;
constexpr int kRubbingStarts = 3;

// Where a movement looks: the middle, or one of the two ends of the exercise.
enum class Aim { Middle, One, Other };
struct EyeMove {
    const char* narration;
    const char* text;
    Aim aim;
};
// One exercise: its settings and its movements by count mod 4 (index 0 is mod 4 = 0).
struct ExerciseRow {
    std::uint16_t step;
    std::uint16_t TSettings::*passes;
    std::uint16_t TSettings::*seconds;
    std::array<EyeMove, 4> moves;
};
const std::array<ExerciseRow, 3> kExercises{{
    {2,
     &TSettings::Aug1D,
     &TSettings::Aug1s,
     {{{"augen\\mitte.wav", "... mitte ...", Aim::Middle},
       {"augen\\rechts.wav", "... rechts ...", Aim::One},
       {"augen\\mitte.wav", "... mitte ...", Aim::Middle},
       {"augen\\links.wav", "... links ...", Aim::Other}}}},
    {5,
     &TSettings::Aug2D,
     &TSettings::Aug2s,
     {{{"augen\\mitte.wav", "... mitte ...", Aim::Middle},
       {"augen\\unten.wav", "... unten ...", Aim::One},
       {"augen\\mitte.wav", "... mitte ...", Aim::Middle},
       {"augen\\oben.wav", "... oben ...", Aim::Other}}}},
    {8,
     &TSettings::Aug3D,
     &TSettings::Aug3s,
     {{{"augen\\entsp.wav", "... entspannen ...", Aim::Middle},
       {"augen\\fern.wav", "... fern ...", Aim::One},
       {"augen\\entsp.wav", "... entspannen ...", Aim::Middle},
       {"augen\\nah.wav", "... nah ...", Aim::Other}}}},
}};

// The hands rubbing to and fro, by count mod 4 (index 0 is mod 4 = 0).
const std::array<const char*, 4> kRubbing{
    "Pictures\\Augen\\rechts.jpg",
    "Pictures\\Augen\\paral.jpg",
    "Pictures\\Augen\\links.jpg",
    "Pictures\\Augen\\paral.jpg",
};
constexpr const char* kHandsOnEyes = "Pictures\\Augen\\halten.jpg";
constexpr const char* kMantra = "Pictures\\Augen\\mantra.jpg";

const QColor kRed(255, 0, 0);
const QColor kBlack(0, 0, 0);
constexpr int kGuideWidth = 4;
constexpr int kSightWidth = 2;
constexpr int kCircleWidth = 5;
constexpr int kFocusNear = 10;

const StepRow& Row(std::uint16_t step) {
    return kSteps[size_t(step - 1)];
}

} // namespace

TFProcAug::TFProcAug(TFMainBoard& board) : board_(board) {
    TimerAugen.onTimer = [this] { TimerAugenTimer(); };
}

void TFProcAug::TimerAugenSetUp() {
    AugStep = 1;
    AugCount = 1;
    AugSaid = false;
    board_.PAugen->show();
    if (board_.Settings().Text == 1)
        board_.PText->show();
    Show(kFace);
    SetSizesAug();
    AugEyeLX = 490;
    AugEyeRX = 513;
    AugEyeY = 336;
    AugStart = board_.Clock().nowSeconds();
    TimerAugen.setInterval(500);
    TimerAugen.setEnabled(true);
}

void TFProcAug::StopTimer() {
    TimerAugen.setEnabled(false);
    // Between sequences the pictures are let go (the panel is hidden by now); the next run
    // decodes what it shows.
    pictures_.clear();
    board_.IAugen->clear();
}

// The sequencer has no window of its own to lay out: the board places the picture.
void TFProcAug::SetSizesAug() {}

void TFProcAug::Show(const char* picture) {
    board_.LoadPicture(board_.IAugen, QString::fromLatin1(picture), pictures_);
}

void TFProcAug::TimerAugenTimer() {
    AugElapsed = Elapsed(board_.Clock().nowSeconds(), AugStart);
    if (AugStep < 1 || AugStep > kSteps.size())
        return; // no sequence runs
    const StepRow& row = Row(AugStep);
    auto speak = [&] {
        AugSaid = true;
        board_.HandleSound(QString::fromLatin1(row.narration));
        SetInstruction(board_, QString::fromUtf8(row.text));
    };

    switch (row.kind) {
    case Kind::Intro: {
        if (!AugSaid)
            speak();
        const TSettings& s = board_.Settings();
        const int seconds = row.seconds == kPalming ? s.Aug4m * 60 + s.Aug4s : row.seconds;
        if (AugElapsed >= seconds)
            Leave();
        break;
    }
    case Kind::Pause:
        if (AugElapsed >= kPauseSpeaks && !AugSaid)
            speak();
        if (AugElapsed >= row.seconds)
            Leave();
        break;
    case Kind::Looping:
        LoopingStep();
        break;
    case Kind::Rubbing:
        if (AugElapsed >= kRubbingStarts) {
            if (!AugSaid)
                speak();
            ++AugCount;
            Show(kRubbing[AugCount % 4]);
        }
        if (AugElapsed >= row.seconds)
            Leave();
        break;
    case Kind::End:
        if (!AugSaid)
            speak();
        if (AugElapsed >= row.seconds)
            FinishSequence(board_);
        break;
    }
}

void TFProcAug::LoopingStep() {
    const ExerciseRow& ex = kExercises[size_t(AugStep / 3)];
    const TSettings& s = board_.Settings();
    if (AugCount > 4 * (s.*ex.passes) + 1) {
        Leave();
        return;
    }
    if (AugElapsed < s.*ex.seconds)
        return;
    ++AugCount;
    const EyeMove& move = ex.moves[AugCount % 4];
    QImage& face = board_.IAugen->bitmap();
    {
        rt::Canvas canvas(face);
        DrawFigure(canvas); // drawn again, the figure is gone
        board_.HandleSound(QString::fromLatin1(move.narration));
        SetInstruction(board_, QString::fromUtf8(move.text));
        switch (AugStep) {
        case 2:
            AugTargetX = move.aim == Aim::Middle ? AugEyeLX - AugShift
                         : move.aim == Aim::One  ? AugEyeLX - AugSpanH
                                                 : AugEyeLX + AugSpanH;
            break;
        case 5:
            AugTargetY = move.aim == Aim::Middle ? AugEyeY + AugShift
                         : move.aim == Aim::One  ? AugEyeY + AugSpanV
                                                 : AugEyeY - AugSpanV;
            break;
        default:
            AugRadius = move.aim == Aim::Middle ? AugRadius0
                        : move.aim == Aim::One  ? 3 * AugRadius0
                                                : kFocusNear;
            break;
        }
        DrawFigure(canvas);
    }
    if (!face.isNull())
        board_.IAugen->bitmapChanged();
    AugStart = board_.Clock().nowSeconds();
}

void TFProcAug::Leave() {
    switch (Row(AugStep).onLeave) {
    case OnLeave::Nothing:
        break;
    case OnLeave::Horizontal:
        StartHorizontal();
        break;
    case OnLeave::Vertical:
        StartVertical();
        break;
    case OnLeave::Focus:
        StartFocus();
        break;
    case OnLeave::ReloadFace:
        Show(kFace); // a fresh face: the drawing is gone
        break;
    case OnLeave::HandsOnEyes:
        Show(kHandsOnEyes);
        break;
    case OnLeave::Mantra:
        Show(kMantra);
        break;
    }
    ++AugStep;
    AugCount = 1;
    AugSaid = false;
    AugStart = board_.Clock().nowSeconds();
}

void TFProcAug::StartHorizontal() {
    AugShift = RoundEven(board_.WindowWidth() / 25.0);
    AugTargetX = AugEyeLX - AugShift;
    AugTargetY = 410;
    AugSpanH = 300;
    QImage& face = board_.IAugen->bitmap();
    {
        rt::Canvas canvas(face);
        canvas.setPen(kRed, kGuideWidth, rt::PenMode::Copy);
        canvas.moveTo(AugEyeLX - AugSpanH - AugShift, AugTargetY + 2);
        canvas.lineTo(AugEyeRX + AugSpanH, AugTargetY + 2);
        canvas.setPen(kBlack, kSightWidth, rt::PenMode::NotXor);
        DrawSight(canvas);
    }
    if (!face.isNull())
        board_.IAugen->bitmapChanged();
}

void TFProcAug::StartVertical() {
    AugShift = RoundEven(board_.WindowWidth() / 25.0);
    AugTargetX = 400;
    AugTargetY = AugEyeY + AugShift;
    AugSpanV = 230;
    QImage& face = board_.IAugen->bitmap();
    {
        rt::Canvas canvas(face);
        canvas.setPen(kRed, kGuideWidth, rt::PenMode::Copy);
        canvas.moveTo(AugTargetX - 2, AugEyeY - AugSpanV);
        canvas.lineTo(AugTargetX - 2, AugEyeY + AugSpanV);
        canvas.setPen(kBlack, kSightWidth, rt::PenMode::NotXor);
        DrawSight(canvas);
    }
    if (!face.isNull())
        board_.IAugen->bitmapChanged();
}

void TFProcAug::StartFocus() {
    AugRadius0 = 100;
    AugRadius = AugRadius0;
    QImage& face = board_.IAugen->bitmap();
    {
        rt::Canvas canvas(face);
        DrawFocus(canvas, AugRadius);
    }
    if (!face.isNull())
        board_.IAugen->bitmapChanged();
}

void TFProcAug::DrawFigure(rt::Canvas& canvas) {
    if (AugStep == 8) {
        DrawFocus(canvas, AugRadius);
    } else {
        canvas.setPen(kBlack, kSightWidth, rt::PenMode::NotXor);
        DrawSight(canvas);
    }
}

void TFProcAug::DrawSight(rt::Canvas& canvas) {
    canvas.moveTo(AugEyeLX, AugEyeY);
    canvas.lineTo(AugTargetX, AugTargetY);
    canvas.moveTo(AugEyeRX, AugEyeY);
    canvas.lineTo(AugTargetX, AugTargetY);
}

// A circle of radius r diagonally below the left eye, farther away the larger it is, and the
// two lines of sight that meet at it.
void TFProcAug::DrawFocus(rt::Canvas& canvas, int r) {
    canvas.setPen(kRed, kCircleWidth, rt::PenMode::NotXor);
    canvas.ellipse(AugEyeLX - 3 * r, AugEyeY + r, AugEyeLX - r, AugEyeY + 3 * r);
    canvas.setPen(kBlack, kSightWidth, rt::PenMode::NotXor);
    canvas.moveTo(AugEyeLX, AugEyeY);
    canvas.lineTo(AugEyeLX - 2 * r - 5, AugEyeY + r - 5);
    canvas.moveTo(AugEyeRX, AugEyeY);
    canvas.lineTo(AugEyeLX - r + 5, AugEyeY + 2 * r + 5);
}

QStringList TFProcAug::DataFilesUsed() {
    QStringList files{QString::fromLatin1(kFace), QString::fromLatin1(kHandsOnEyes),
                      QString::fromLatin1(kMantra)};
    for (const char* p : kRubbing)
        files << QString::fromLatin1(p);
    for (const StepRow& r : kSteps)
        if (r.narration)
            files << QStringLiteral("Sound\\") + QString::fromLatin1(r.narration);
    for (const ExerciseRow& ex : kExercises)
        for (const EyeMove& m : ex.moves)
            files << QStringLiteral("Sound\\") + QString::fromLatin1(m.narration);
    files.removeDuplicates();
    return files;
}
