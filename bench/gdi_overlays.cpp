// Per-frame drawing of OxGDI against the frame floor: the logic-analyzer lines (16 lines
// over 700 columns, resampled from a long record) and the overlays drawn on every frame.
#include "frame_floor.h"
#include "oxgdi.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

namespace {

constexpr int kColumns = 700;
constexpr int kSlots = 2 * kColumns;
constexpr int kLineHeight = 16;

struct Trace {
    std::vector<std::uint32_t> pixels = std::vector<std::uint32_t>(727 * 510, 0);
    DDSURFACEDESC2 desc;

    Trace() {
        desc.dwWidth = 727;
        desc.dwHeight = 510;
        desc.lPitch = 727 * 4;
        desc.lpSurface = pixels.data();
        desc.ddpfPixelFormat.dwRGBBitCount = 32;
    }
};

std::vector<std::uint16_t> Counter(int samples) {
    std::vector<std::uint16_t> record(static_cast<std::size_t>(samples));
    for (int i = 0; i < samples; ++i) {
        record[static_cast<std::size_t>(i)] = static_cast<std::uint16_t>(i * 37);
    }
    return record;
}

// A 1 MiB-point record squeezed into 700 columns, then all 16 lines drawn.
void BM_LogicAnalyzerFrame(benchmark::State& state) {
    const auto record = Counter(static_cast<int>(state.range(0)));
    std::vector<std::uint16_t> pairs(kSlots);
    Trace trace;
    for (auto _ : state) {
        LaWaveZoomOut(record, pairs, static_cast<int>(record.size()), kSlots);
        for (int line = 0; line < 16; ++line) {
            DrawSingleWave(trace.desc, pairs, line, 60 + line * 24, 0x00FF00, kLineHeight, 0,
                           kColumns - 1);
        }
        benchmark::DoNotOptimize(trace.pixels.data());
    }
}

// The overlays of one frame on the composition surface: level line, offset mark, cursors.
void BM_OverlaysFrame(benchmark::State& state) {
    Trace composition;
    const CRect plot{16, 9, 716, 409};
    CRect drawn;
    for (auto _ : state) {
        DrawTrigLevelLine(composition.desc, plot, {0, 200}, 0xFFFF00);
        DrawTrigOffsetMark(composition.desc, plot, {366, 9}, drawn, 0xFF8000);
        DrawHorizManualCursor(composition.desc, plot, {0, 120}, 0x00FFFF, drawn);
        DrawHorizManualCursor(composition.desc, plot, {0, 300}, 0x00FFFF, drawn);
        DrawVerticalManualCursor(composition.desc, plot, {200, 0}, 0x00FFFF, drawn);
        DrawVerticalManualCursor(composition.desc, plot, {500, 0}, 0x00FFFF, drawn);
        benchmark::DoNotOptimize(composition.pixels.data());
    }
}

} // namespace

BENCHMARK(oxbow::bench::BM_FrameFloor);
BENCHMARK(BM_LogicAnalyzerFrame)->Arg(16384)->Arg(1 << 20);
BENCHMARK(BM_OverlaysFrame);
BENCHMARK_MAIN();
