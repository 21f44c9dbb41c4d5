// All 20 measurements of both channels (MeasurePair) on one displayed frame of 700 columns
// (1,400 codes a channel) and on a 2048-sample frame, against the frame floor. The traces are
// noisy squares and sines, so every edge path runs.
#include "frame_floor.h"
#include "gauger.h"
#include "tracekit_ratios.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numbers>
#include <random>
#include <vector>

namespace {

constexpr int kColumns = 700;
constexpr int kFrame = 2048;
constexpr double kDt = 1e-5;

[[nodiscard]] std::vector<std::uint8_t> Codes(int count, bool square) {
    std::mt19937 random(3);
    std::normal_distribution<double> noise(0.0, 1.5);
    std::vector<std::uint8_t> codes(count);
    for (int i = 0; i < count; ++i) {
        const double phase = 2 * std::numbers::pi * i / 170.0;
        const double up = square ? (std::sin(phase) > 0 ? 60 : -60) : 70 * std::sin(phase);
        codes[i] = static_cast<std::uint8_t>(
            std::clamp(std::lround(gauger::kCentreCode - up + noise(random)), 30L, 220L));
    }
    return codes;
}

void MeasurePairs(benchmark::State& state, int count) {
    const std::vector<std::uint8_t> ch1 = Codes(count, true);
    const std::vector<std::uint8_t> ch2 = Codes(count, false);
    const gauger::ChannelTrace trace1{ch1.data(), count, 4, 0.5, kDt};
    const gauger::ChannelTrace trace2{ch2.data(), count, -8, 2.0, kDt};
    gauger::PairResult result;
    for (auto _ : state) {
        gauger::MeasurePair(trace1, trace2, result);
        benchmark::DoNotOptimize(result);
        benchmark::ClobberMemory();
    }
}

void BM_MeasurePairFrame(benchmark::State& state) {
    MeasurePairs(state, 2 * kColumns);
}
void BM_MeasurePair2048(benchmark::State& state) {
    MeasurePairs(state, kFrame);
}

BENCHMARK(oxbow::bench::BM_FrameFloor)->Repetitions(9)->ReportAggregatesOnly(true);
BENCHMARK(BM_MeasurePairFrame)->Repetitions(9)->ReportAggregatesOnly(true);
BENCHMARK(BM_MeasurePair2048)->Repetitions(9)->ReportAggregatesOnly(true);

} // namespace

int main(int argc, char** argv) {
    return oxbow::bench::RunWithRatios(
        argc, argv,
        {{"BM_MeasurePairFrame", "oxbow::bench::BM_FrameFloor", 0.1},
         {"BM_MeasurePair2048", "oxbow::bench::BM_FrameFloor", 0.1}});
}
