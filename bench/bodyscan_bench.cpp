// One tick of the body scan: the samples of the largest region at its longest length
// (60 min 59 s: 26 528 samples) and at the default (20 s: 145 samples), on a body picture the
// size the program draws it.
#include "sequences/BodyScan.h"

#include <benchmark/benchmark.h>

#include <QImage>

namespace {

void BM_BodyScanTick(benchmark::State& state) {
    const int count = int(state.range(0));
    QImage body(220, 500, QImage::Format_RGB32);
    const QRgb bodyColour = 0xff8a6f5au;
    SampleRandom random(1);
    std::uint16_t x = 0, y = 0;
    const SampleRect chest{50, 153, 95, 221};
    for (auto _ : state) {
        state.PauseTiming();
        body.fill(bodyColour); // every tick finds pixels still to fill
        state.ResumeTiming();
        benchmark::DoNotOptimize(
            ColourSamples(body, chest, count, bodyColour, 0xff00c8ffu, random, x, y));
    }
    state.SetItemsProcessed(state.iterations() * count);
}
BENCHMARK(BM_BodyScanTick)
    ->Arg(RoundedShare(29, 4, 20))
    ->Arg(RoundedShare(29, 4, 3659))
    ->Unit(benchmark::kMicrosecond);

} // namespace
