// The display tick of a running instrument, frames fed as fast as possible: two channels,
// vectors, Y-T, ground markers, trigger marks, the memory-status bar and the counter
// read-outs; no link and no presentation. Reported against the frame floor (target: at most 1.6
// times it).
#include "display_bench.h"
#include "frame_floor.h"
#include "tracekit_ratios.h"

namespace {

using oxbow::bench::Bench;
using oxbow::bench::kFrames;

void BM_DisplayTick(benchmark::State& state) {
    Bench bench;
    int f = 0;
    for (auto _ : state) {
        bench.Tick(f);
        f = (f + 1) % kFrames;
        benchmark::DoNotOptimize(bench.engine->Composition().Pixels());
        benchmark::ClobberMemory();
    }
}

BENCHMARK(oxbow::bench::BM_FrameFloor);
BENCHMARK(BM_DisplayTick);

} // namespace

int main(int argc, char** argv) {
    return oxbow::bench::RunWithRatios(argc, argv,
                                       {{"BM_DisplayTick", "oxbow::bench::BM_FrameFloor", 1.6}});
}
