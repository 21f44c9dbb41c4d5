// The frame floor: the copies every live frame must pay whatever it draws, the baseline
// that display benchmarks report their ratios against. One 700 x 400 copy of 32-bit
// pixels into a surface of 727-pixel pitch (the erase) plus one 1.12 MB copy (the compose).
#pragma once

#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstring>
#include <vector>

namespace oxbow::bench {

struct FrameFloor {
    static constexpr int kWidth = 700;
    static constexpr int kHeight = 400;
    static constexpr int kPitch = 727;
    static constexpr std::size_t kComposeBytes = 1'120'000;

    std::vector<std::uint32_t> grid = std::vector<std::uint32_t>(kPitch * 434, 0x00101010);
    std::vector<std::uint32_t> trace = std::vector<std::uint32_t>(kPitch * 434, 0);
    std::vector<std::uint8_t> composeFrom = std::vector<std::uint8_t>(kComposeBytes, 1);
    std::vector<std::uint8_t> composeTo = std::vector<std::uint8_t>(kComposeBytes, 0);

    void Run() {
        for (int row = 0; row < kHeight; ++row) {
            std::memcpy(&trace[row * kPitch], &grid[row * kPitch], kWidth * sizeof(std::uint32_t));
        }
        std::memcpy(composeTo.data(), composeFrom.data(), kComposeBytes);
        benchmark::DoNotOptimize(trace.data());
        benchmark::DoNotOptimize(composeTo.data());
        benchmark::ClobberMemory();
    }
};

// Registers the baseline in a benchmark program; targets are read as ratios to it.
inline void BM_FrameFloor(benchmark::State& state) {
    FrameFloor floor;
    for (auto _ : state) {
        floor.Run();
    }
}

} // namespace oxbow::bench
