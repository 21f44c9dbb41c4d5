// The stopped-record plot over a full 1,048,576-sample record squeezed onto 700 columns, against
// a plain per-column histogram pass over the same samples (the least any density view must do)
// and against the frame floor.
#include "frame_floor.h"
#include "tracekit.h"
#include "tracekit_ratios.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

namespace {

constexpr int kSamples = 1 << 20;
constexpr int kColumns = tracekit::kColumns;
constexpr int kBins = 600;
constexpr int kPitch = 727 * 4;

// Rows of a stopped record: ten periods of a noisy sine, 3 divisions high, scaled as the
// pipeline does.
const std::vector<std::int16_t>& Record() {
    static const std::vector<std::int16_t> rows = [] {
        std::mt19937 random(4);
        std::normal_distribution<double> noise(0.0, 3.0);
        std::vector<std::uint8_t> raw(kSamples);
        for (int i = 0; i < kSamples; ++i) {
            const double v =
                125.0 - 75.0 * std::sin(2.0 * M_PI * 10.0 * i / kSamples) + noise(random);
            raw[i] = static_cast<std::uint8_t>(std::lround(std::clamp(v, 0.0, 255.0)));
        }
        std::vector<std::int16_t> scaled(kSamples);
        WaveZoomV(raw.data(), scaled.data(), 0, 400, kSamples, 1.0f, 0.0f, 1.0f, 0.0f);
        return scaled;
    }();
    return rows;
}

// Baseline: zero a 600-bin histogram per column and count each column's share of the samples.
void BM_ColumnHistogram(benchmark::State& state) {
    const auto& rows = Record();
    std::vector<std::uint32_t> counts(static_cast<std::size_t>(kColumns) * kBins);
    for (auto _ : state) {
        std::fill(counts.begin(), counts.end(), 0u);
        long long accumulator = 0;
        const std::int16_t* sample = rows.data();
        for (int col = 0; col < kColumns; ++col) {
            accumulator += kSamples % kColumns;
            long long n = kSamples / kColumns;
            if (accumulator >= kColumns) {
                accumulator -= kColumns;
                ++n;
            }
            std::uint32_t* column = counts.data() + static_cast<std::size_t>(col) * kBins;
            for (; n > 0; --n) {
                ++column[*sample++];
            }
        }
        benchmark::DoNotOptimize(counts.data());
        benchmark::ClobberMemory();
    }
}

void PlotWholeRecord(benchmark::State& state, int style) {
    const auto& rows = Record();
    std::vector<std::uint32_t> surface(727 * tracekit::kSurfaceRows, 0);
    std::vector<std::uint32_t> table(tracekit::kColorTableSize);
    SetColorTable(table.data(), 0x00FFFF00, 0.5f);
    std::vector<std::int16_t> scratch(tracekit::kStopScratchValues);
    const tracekit::TraceWindow window{0, kSamples - 1, 0, kColumns - 1, 0, kColumns - 1, 0, 0};
    for (auto _ : state) {
        PlotStop(rows.data(), surface.data(), scratch.data(), table.data(), kPitch, &window, style);
        benchmark::DoNotOptimize(surface.data());
        benchmark::ClobberMemory();
    }
}

void BM_PlotStopDenseVector(benchmark::State& state) {
    PlotWholeRecord(state, tracekit::kStyleVectors);
}
void BM_PlotStopDenseDot(benchmark::State& state) {
    PlotWholeRecord(state, 1);
}

BENCHMARK(oxbow::bench::BM_FrameFloor);
BENCHMARK(BM_ColumnHistogram);
BENCHMARK(BM_PlotStopDenseVector);
BENCHMARK(BM_PlotStopDenseDot);

} // namespace

int main(int argc, char** argv) {
    return oxbow::bench::RunWithRatios(
        argc, argv,
        {{"BM_PlotStopDenseVector", "BM_ColumnHistogram", 1.5},
         {"BM_PlotStopDenseDot", "BM_ColumnHistogram", 0.0},
         {"BM_ColumnHistogram", "oxbow::bench::BM_FrameFloor", 0.0},
         {"BM_PlotStopDenseVector", "oxbow::bench::BM_FrameFloor", 0.0},
         {"BM_PlotStopDenseDot", "oxbow::bench::BM_FrameFloor", 0.0}});
}
