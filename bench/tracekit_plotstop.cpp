// The stopped-record plot over a full 1,048,576-sample record squeezed onto 700 columns, and the
// whole stopped redraw of such a channel (scaling and compressing the raw record, then the plot),
// against a per-column SSE2 min/max pass over the same rows (the least any column view must read),
// a plain per-column histogram pass and the frame floor.
#include "frame_floor.h"
#include "tracekit.h"
#include "tracekit_ratios.h"

#include <benchmark/benchmark.h>
#include <emmintrin.h>

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

constexpr int kPlotHeight = 400;

// A stopped record as acquired: ten periods of a sine 3 divisions high, with noise of `sigma`
// sample steps.
std::vector<std::uint8_t> SineRecord(double sigma) {
    std::mt19937 random(4);
    std::normal_distribution<double> noise(0.0, 1.0);
    std::vector<std::uint8_t> samples(kSamples);
    for (int i = 0; i < kSamples; ++i) {
        const double v =
            125.0 - 75.0 * std::sin(2.0 * M_PI * 10.0 * i / kSamples) + sigma * noise(random);
        samples[i] = static_cast<std::uint8_t>(std::lround(std::clamp(v, 0.0, 255.0)));
    }
    return samples;
}

// Rows of a record, scaled as the pipeline does.
std::vector<std::int16_t> Scaled(const std::vector<std::uint8_t>& raw) {
    std::vector<std::int16_t> rows(kSamples);
    WaveZoomV(raw.data(), rows.data(), 0, kPlotHeight, kSamples, 1.0f, 0.0f, 1.0f, 0.0f);
    return rows;
}

// The record of the baselines and the main plots: noise of 3 steps (rows spanning about 45 rows
// a column).
const std::vector<std::uint8_t>& RawRecord() {
    static const std::vector<std::uint8_t> raw = SineRecord(3.0);
    return raw;
}
const std::vector<std::int16_t>& Record() {
    static const std::vector<std::int16_t> rows = Scaled(RawRecord());
    return rows;
}

// Samples of column `col` of the record, spread as the plots spread them.
class ColumnSplit {
public:
    long long Next() {
        accumulator_ += kSamples % kColumns;
        if (accumulator_ >= kColumns) {
            accumulator_ -= kColumns;
            return kSamples / kColumns + 1;
        }
        return kSamples / kColumns;
    }

private:
    long long accumulator_ = 0;
};

// Baseline: the lowest and highest row of each column, eight rows at a time with SSE2.
void BM_ColumnMinMax(benchmark::State& state) {
    const auto& rows = Record();
    std::vector<std::int16_t> extremes(2 * kColumns);
    for (auto _ : state) {
        ColumnSplit split;
        const std::int16_t* sample = rows.data();
        for (int col = 0; col < kColumns; ++col) {
            const long long n = split.Next();
            __m128i lo = _mm_set1_epi16(sample[0]);
            __m128i hi = lo;
            long long i = 0;
            for (; i + 8 <= n; i += 8) {
                const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(sample + i));
                lo = _mm_min_epi16(lo, v);
                hi = _mm_max_epi16(hi, v);
            }
            alignas(16) std::int16_t lows[8];
            alignas(16) std::int16_t highs[8];
            _mm_store_si128(reinterpret_cast<__m128i*>(lows), lo);
            _mm_store_si128(reinterpret_cast<__m128i*>(highs), hi);
            std::int16_t low = *std::min_element(lows, lows + 8);
            std::int16_t high = *std::max_element(highs, highs + 8);
            for (; i < n; ++i) {
                low = std::min(low, sample[i]);
                high = std::max(high, sample[i]);
            }
            extremes[2 * col] = low;
            extremes[2 * col + 1] = high;
            sample += n;
        }
        benchmark::DoNotOptimize(extremes.data());
        benchmark::ClobberMemory();
    }
}

// Baseline: zero a 600-bin histogram per column and count each column's share of the samples.
void BM_ColumnHistogram(benchmark::State& state) {
    const auto& rows = Record();
    std::vector<std::uint32_t> counts(static_cast<std::size_t>(kColumns) * kBins);
    for (auto _ : state) {
        std::fill(counts.begin(), counts.end(), 0u);
        ColumnSplit split;
        const std::int16_t* sample = rows.data();
        for (int col = 0; col < kColumns; ++col) {
            long long n = split.Next();
            std::uint32_t* column = counts.data() + static_cast<std::size_t>(col) * kBins;
            for (; n > 0; --n) {
                ++column[*sample++];
            }
        }
        benchmark::DoNotOptimize(counts.data());
        benchmark::ClobberMemory();
    }
}

const tracekit::TraceWindow kWholeRecord{0, kSamples - 1, 0, kColumns - 1, 0, kColumns - 1, 0, 0};

// What a stopped plot draws with: a trace surface, a colour table and PlotStop's scratch.
struct StopPlot {
    std::vector<std::uint32_t> surface = std::vector<std::uint32_t>(727 * tracekit::kSurfaceRows);
    std::vector<std::uint32_t> table = std::vector<std::uint32_t>(tracekit::kColorTableSize);
    std::vector<std::int16_t> scratch = std::vector<std::int16_t>(tracekit::kStopScratchValues);

    StopPlot() { SetColorTable(table.data(), 0x00FFFF00, 0.5f); }
    void Draw(const std::vector<std::int16_t>& rows, int style) {
        PlotStop(rows.data(), surface.data(), scratch.data(), table.data(), kPitch, &kWholeRecord,
                 style);
        benchmark::DoNotOptimize(surface.data());
        benchmark::ClobberMemory();
    }
};

void PlotWholeRecord(benchmark::State& state, int style,
                     const std::vector<std::int16_t>& rows = Record()) {
    StopPlot plot;
    for (auto _ : state) {
        plot.Draw(rows, style);
    }
}

// The program's stopped redraw of a deep channel: the raw record scaled to rows and the window's
// column pairs (for the measurements), then the plot.
void BM_StoppedRedraw(benchmark::State& state) {
    const auto& raw = RawRecord();
    std::vector<std::int16_t> rows(kSamples + 1);
    std::vector<std::int16_t> pairs(2 * kColumns);
    StopPlot plot;
    for (auto _ : state) {
        const bool fitted = tracekit::ScaleAndCompress(
            raw.data(), rows.data(), kPlotHeight, kSamples, 1.0f, 0.0f, 1.0f, 0.0f, pairs.data(), 0,
            kSamples - 1, 0, kColumns - 1, kColumns);
        rows[kSamples] = rows[kSamples - 1];
        benchmark::DoNotOptimize(fitted);
        benchmark::DoNotOptimize(pairs.data());
        plot.Draw(rows, tracekit::kStyleVectors);
    }
}

void BM_PlotStopDenseVector(benchmark::State& state) {
    PlotWholeRecord(state, tracekit::kStyleVectors);
}
void BM_PlotStopDenseDot(benchmark::State& state) {
    PlotWholeRecord(state, 1);
}
// A clean record (a few rows a column) and a noisy one (about 130).
void BM_PlotStopCleanVector(benchmark::State& state) {
    static const std::vector<std::int16_t> rows = Scaled(SineRecord(0.0));
    PlotWholeRecord(state, tracekit::kStyleVectors, rows);
}
void BM_PlotStopNoisyVector(benchmark::State& state) {
    static const std::vector<std::int16_t> rows = Scaled(SineRecord(10.0));
    PlotWholeRecord(state, tracekit::kStyleVectors, rows);
}

BENCHMARK(oxbow::bench::BM_FrameFloor);
BENCHMARK(BM_ColumnMinMax);
BENCHMARK(BM_ColumnHistogram);
BENCHMARK(BM_PlotStopDenseVector);
BENCHMARK(BM_PlotStopDenseDot);
BENCHMARK(BM_PlotStopCleanVector);
BENCHMARK(BM_PlotStopNoisyVector);
BENCHMARK(BM_StoppedRedraw);

} // namespace

int main(int argc, char** argv) {
    return oxbow::bench::RunWithRatios(
        argc, argv,
        {{"BM_PlotStopDenseVector", "BM_ColumnMinMax", 2.0},
         {"BM_PlotStopDenseDot", "BM_ColumnMinMax", 2.0},
         {"BM_StoppedRedraw", "BM_ColumnMinMax", 3.0},
         {"BM_PlotStopCleanVector", "BM_ColumnMinMax", 0.0},
         {"BM_PlotStopNoisyVector", "BM_ColumnMinMax", 0.0},
         {"BM_PlotStopDenseVector", "BM_ColumnHistogram", 1.5},
         {"BM_PlotStopDenseDot", "BM_ColumnHistogram", 0.0},
         {"BM_ColumnHistogram", "oxbow::bench::BM_FrameFloor", 0.0},
         {"BM_PlotStopDenseVector", "oxbow::bench::BM_FrameFloor", 0.0},
         {"BM_PlotStopDenseDot", "oxbow::bench::BM_FrameFloor", 0.0}});
}
