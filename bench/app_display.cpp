// The display tick of a running instrument, frames fed as fast as possible: two channels,
// vectors, Y-T, ground markers, trigger marks, the memory-status bar, the counter read-outs
// and the measurements; no link and no presentation. Reported against the frame floor
// (target: at most 1.6 times it).
#include "display_bench.h"
#include "frame_floor.h"
#include "tracekit_ratios.h"

namespace {

using oxbow::bench::Bench;
using oxbow::bench::kFrames;

// The running setup with a time base: without one every timing reading is invalid and the
// measurements stop before their edge search.
constexpr double kSecondsPerDivision = 1e-3;

void SetTimeBase(Bench& bench) {
    bench.setup->dTimeScale = kSecondsPerDivision;
}

void BM_DisplayTick(benchmark::State& state) {
    Bench bench;
    SetTimeBase(bench);
    int f = 0;
    for (auto _ : state) {
        bench.Tick(f);
        f = (f + 1) % kFrames;
        benchmark::DoNotOptimize(bench.engine->Composition().Pixels());
        benchmark::ClobberMemory();
    }
}

// The measurement hand-over of one frame: both channels' drawn rows back to codes and all
// 20 measurements of each (target: at most 0.1 times the frame floor).
void BM_MeasureHandOver(benchmark::State& state) {
    Bench bench;
    SetTimeBase(bench);
    bench.Tick(0);
    for (auto _ : state) {
        bench.engine->HandOverMeasurement();
        benchmark::ClobberMemory();
    }
}

BENCHMARK(oxbow::bench::BM_FrameFloor)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_DisplayTick)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_MeasureHandOver)->Repetitions(5)->ReportAggregatesOnly(true);

} // namespace

int main(int argc, char** argv) {
    return oxbow::bench::RunWithRatios(
        argc, argv,
        {{"BM_DisplayTick", "oxbow::bench::BM_FrameFloor", 1.6},
         {"BM_MeasureHandOver", "oxbow::bench::BM_FrameFloor", 0.1}});
}
