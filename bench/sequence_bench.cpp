// Ticks of the yoga and eye sequences on a real board (widgets drawn off screen), with the
// program's own pictures:
//  - an eye movement: erase and draw the lines of sight (or the focus figure) on the 1024 x 768
//    face, with and without the repaint of the picture at board size;
//  - a yoga tick that only waits (the picture shown again), and one that changes the picture,
//    with its repaint;
//  - as references in the same run: decoding one yoga picture, and copying the face.
#include "app/UMainBoard.h"
#include "runtime/Clock.h"
#include "runtime/DataFiles.h"
#include "runtime/ErrorReport.h"
#include "runtime/Pictures.h"
#include "runtime/audio/NarrationPlayer.h"
#include "sequences/UProcAug.h"
#include "sequences/UProcYog.h"
#include "settings/UDaten.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QTemporaryDir>

#include <memory>

namespace {

const QString kData = QStringLiteral(QUILLET_SOURCE_DATA_DIR);

// A board at full screen size with a clock moved by hand and a silent player.
struct Bench {
    explicit Bench(int width, int height) {
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(config.path()));
        daten.WindowsDir = UDaten::userConfigDir();
        daten.LocateSettingsFile();
        daten.Settings.Passwort[0] = 1;
        daten.Settings.DSTimer = 1;
        daten.Settings.Sound = 0;
        daten.Settings.Aug1D = daten.Settings.Aug3D = 999;
        daten.Settings.Yog7D = 999;
        daten.SaveSettings();
        board = std::make_unique<TFMainBoard>(
            BoardContext{clock, player, report, files, daten, width, height});
        board->FormCreate();
        board->HandleSize(); // the full-screen board
        board->Form->show();
        QApplication::processEvents();
        yog = std::make_unique<TFProcYog>(*board);
        aug = std::make_unique<TFProcAug>(*board);
        board->AttachSequencer(SeqYog, yog.get());
        board->AttachSequencer(SeqAug, aug.get());
    }
    ~Bench() {
        board->AttachSequencer(SeqYog, nullptr);
        board->AttachSequencer(SeqAug, nullptr);
    }
    void runAugTo(std::uint16_t step) {
        while (aug->AugStep != step) {
            clock.advanceMs(500);
            aug->TimerAugenTimer();
        }
    }
    void runYogTo(std::uint16_t step) {
        while (yog->YogStep != step) {
            clock.advanceMs(500);
            yog->TimerYogaTimer();
        }
    }

    QTemporaryDir config;
    rt::ManualClock clock{10, 0, 0};
    rt::RecordingPlayer player;
    rt::RecordingReport report;
    rt::DataFiles files{QStringList{kData}};
    UDaten daten;
    std::unique_ptr<TFMainBoard> board;
    std::unique_ptr<TFProcYog> yog;
    std::unique_ptr<TFProcAug> aug;
};

// One movement of an eye exercise per iteration: the clock moves on by the movement's length.
void EyeMovement(benchmark::State& state, std::uint16_t step, bool paint) {
    Bench b(1920, 1080);
    b.board->SBAugenClick();
    b.runAugTo(step);
    for (auto _ : state) {
        b.clock.advance(2);
        b.aug->TimerAugenTimer();
        if (paint)
            b.board->IAugen->repaint();
        if (b.aug->AugCount > 3000) {
            state.PauseTiming();
            b.aug->AugCount = 2;
            state.ResumeTiming();
        }
    }
}
void BM_EyeMovementLines(benchmark::State& state) {
    EyeMovement(state, 2, false);
}
void BM_EyeMovementFocus(benchmark::State& state) {
    EyeMovement(state, 8, false);
}
void BM_EyeMovementFocusPainted(benchmark::State& state) {
    EyeMovement(state, 8, true);
}
BENCHMARK(BM_EyeMovementLines)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_EyeMovementFocus)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_EyeMovementFocusPainted)->Unit(benchmark::kMicrosecond);

// Yoga's trunk turns: a tick within a movement (the same pose shown again), and the two ticks
// that end a movement and show the next pose, with whatever they ask to repaint.
void YogaTick(benchmark::State& state, bool newPose) {
    Bench b(1920, 1080);
    b.board->SBYogaClick();
    b.runYogTo(4);
    b.clock.advanceMs(500);
    b.yog->TimerYogaTimer();
    QApplication::processEvents();
    for (auto _ : state) {
        if (newPose) {
            b.clock.advance(2);
            b.yog->TimerYogaTimer(); // the movement ends
            b.clock.advanceMs(500);
        }
        b.yog->TimerYogaTimer();
        QApplication::processEvents();
        if (b.yog->YogCount > 5000) {
            state.PauseTiming();
            b.yog->YogCount = 2;
            state.ResumeTiming();
        }
    }
}
void BM_YogaTickWaiting(benchmark::State& state) {
    YogaTick(state, false);
}
void BM_YogaTickNewPose(benchmark::State& state) {
    YogaTick(state, true);
}
BENCHMARK(BM_YogaTickWaiting)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_YogaTickNewPose)->Unit(benchmark::kMicrosecond);

// References: what the cache saves on every tick, and the cost of a fresh face.
void BM_DecodeYogaPicture(benchmark::State& state) {
    const rt::DataFiles files{QStringList{kData}};
    for (auto _ : state)
        benchmark::DoNotOptimize(
            rt::loadPicture(files, QStringLiteral("Pictures\\Yoga\\p4\\yoga42.jpg")));
}
void BM_CopyFace(benchmark::State& state) {
    const rt::Picture face =
        rt::loadPicture(rt::DataFiles{QStringList{kData}}, QString::fromLatin1(TFProcAug::kFace));
    for (auto _ : state)
        benchmark::DoNotOptimize(face.image.copy());
}
BENCHMARK(BM_DecodeYogaPicture)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_CopyFace)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
