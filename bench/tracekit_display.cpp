// Per-frame display work of the live traces against the frame floor: the vector path of one
// two-channel frame, the persistence view at steady state, and one colour-grade frame (copied
// where it changed, and in full as after an erase).
#include "frame_floor.h"
#include "tracekit.h"
#include "tracekit_ratios.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <memory>
#include <random>
#include <vector>

namespace {

constexpr int kPoints = 2048;
constexpr int kPitch = 727 * 4;
constexpr int kStride = 3072;
constexpr int kFrames = tracekit::kHistoryFrames;
const tracekit::TraceWindow kLiveWindow{324, 1723, 0, 699, 0, 699, 0, 0};

// A raw frame as the instrument sends it: a sine of `periods` periods, 3 divisions high, with
// a little noise, starting at `phase`.
std::vector<std::uint8_t> RawFrame(double periods, double phase, std::mt19937& random) {
    std::vector<std::uint8_t> raw(kPoints);
    std::normal_distribution<double> noise(0.0, 2.0);
    for (int i = 0; i < kPoints; ++i) {
        const double v = 125.0 - 75.0 * std::sin(phase + 2.0 * M_PI * periods * i / kPoints);
        raw[i] = static_cast<std::uint8_t>(
            std::lround(std::fmin(255.0, std::fmax(0.0, v + noise(random)))));
    }
    return raw;
}

// Live processing of one frame: rows, then two rows a column straight into the pairs.
void LivePairs(const std::vector<std::uint8_t>& raw, std::int16_t* rows, std::int16_t* pairs) {
    WaveZoomV(raw.data(), rows, 0, 400, kPoints, 1.0f, 0.0f, 1.0f, 0.0f);
    std::memcpy(pairs, rows + kLiveWindow.nFirstSample,
                2 * tracekit::kColumns * sizeof(std::int16_t));
}

struct Display {
    std::vector<std::uint32_t> surface =
        std::vector<std::uint32_t>(727 * tracekit::kSurfaceRows, 0);
    std::vector<std::uint32_t> table = std::vector<std::uint32_t>(tracekit::kColorTableSize);
    Display() { SetColorTable(table.data(), 0x00FFFF00, 0.5f); }
};

void BM_LiveFrame(benchmark::State& state) {
    std::mt19937 random(1);
    const auto ch1 = RawFrame(2.0, 0.0, random);
    const auto ch2 = RawFrame(5.0, 1.0, random);
    std::vector<std::int16_t> rows1(kPoints), rows2(kPoints);
    std::vector<std::int16_t> pairs1(2 * tracekit::kColumns), pairs2(2 * tracekit::kColumns);
    Display display;
    for (auto _ : state) {
        LivePairs(ch1, rows1.data(), pairs1.data());
        LivePairs(ch2, rows2.data(), pairs2.data());
        PlotVect(pairs1.data(), display.surface.data(), display.table[0], kPitch, 0, 699);
        PlotVect(pairs2.data(), display.surface.data(), display.table[0], kPitch, 0, 699);
        benchmark::DoNotOptimize(display.surface.data());
        benchmark::ClobberMemory();
    }
}

void BM_PlotDXOSteady(benchmark::State& state) {
    std::mt19937 random(2);
    std::vector<std::int16_t> history(kFrames * kStride);
    std::vector<std::int16_t> rows(kPoints);
    for (int slot = 0; slot < kFrames; ++slot) {
        LivePairs(RawFrame(2.0, 0.05 * slot, random), rows.data(), history.data() + slot * kStride);
    }
    std::vector<std::uint32_t> grade(tracekit::kGradeCells, 0);
    Display display;
    int frame = 0;
    const auto plot = [&](int fill) {
        PlotDXO(history.data(), display.surface.data(), display.table.data(), kPitch, grade.data(),
                0, frame, fill, kStride, &kLiveWindow, tracekit::kStyleVectors);
        frame = (frame + 1) % kFrames;
    };
    for (int fill = 1; fill <= kFrames; ++fill) {
        plot(fill); // fill the history: from here on every frame removes one and adds one
    }
    for (auto _ : state) {
        plot(kFrames);
        benchmark::DoNotOptimize(display.surface.data());
        benchmark::ClobberMemory();
    }
}

// A grade view that has been running for a while: 32 frames of a slowly moving sine, counted
// 200 times over.
struct RunningGrade {
    std::vector<std::vector<std::int16_t>> frames;
    std::vector<std::uint32_t> grade = std::vector<std::uint32_t>(tracekit::kGradeCells, 0);
    std::unique_ptr<tracekit::GradeChanges> changes = std::make_unique<tracekit::GradeChanges>();
    std::uint32_t maximum = 0;
    int next = 0;

    RunningGrade() {
        std::mt19937 random(3);
        std::vector<std::int16_t> rows(kPoints);
        for (int f = 0; f < 32; ++f) {
            std::vector<std::int16_t> pairs(2 * tracekit::kColumns);
            LivePairs(RawFrame(2.0, 0.02 * f, random), rows.data(), pairs.data());
            frames.push_back(pairs);
        }
        for (int n = 0; n < 200; ++n) {
            Count();
        }
    }
    void Count() {
        PlotGrade(frames[next].data(), grade.data(), 0, 1399, 0, 699, &maximum, *changes);
        next = (next + 1) % static_cast<int>(frames.size());
    }
};

// One waveform of the running grade view: counted, then copied where it changed.
void BM_GradeFrame(benchmark::State& state) {
    RunningGrade view;
    Display display;
    for (auto _ : state) {
        view.Count();
        CopyGrade(view.grade.data(), display.surface.data(), kPitch, view.maximum, *view.changes);
        benchmark::DoNotOptimize(display.surface.data());
        benchmark::ClobberMemory();
    }
}

// The same waveform when the surface was erased since the last copy: every cell repainted.
void BM_GradeFrameAfterErase(benchmark::State& state) {
    RunningGrade view;
    Display display;
    for (auto _ : state) {
        view.Count();
        view.changes->MarkAll();
        CopyGrade(view.grade.data(), display.surface.data(), kPitch, view.maximum, *view.changes);
        benchmark::DoNotOptimize(display.surface.data());
        benchmark::ClobberMemory();
    }
}

BENCHMARK(oxbow::bench::BM_FrameFloor);
BENCHMARK(BM_LiveFrame);
BENCHMARK(BM_PlotDXOSteady);
BENCHMARK(BM_GradeFrame);
BENCHMARK(BM_GradeFrameAfterErase);

} // namespace

int main(int argc, char** argv) {
    return oxbow::bench::RunWithRatios(
        argc, argv,
        {{"BM_LiveFrame", "oxbow::bench::BM_FrameFloor", 0.25},
         {"BM_PlotDXOSteady", "oxbow::bench::BM_FrameFloor", 0.5},
         {"BM_GradeFrame", "oxbow::bench::BM_FrameFloor", 0.5},
         {"BM_GradeFrameAfterErase", "oxbow::bench::BM_FrameFloor", 0.0}});
}
