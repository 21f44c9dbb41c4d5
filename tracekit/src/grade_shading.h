// Painting one row of grade cells in the seven colour-grade levels, and picking the chunks of a
// row the incremental copy repaints. The vector paths serve x86-64 builds (SSE4.1 is part of
// the x86-64-v2 baseline, 256-bit vectors are chosen at run time where present); the scalar
// paths serve the others and are the references the vector paths are tested against.
#pragma once

#include "tracekit.h"

#include <cstdint>

namespace tracekit::detail {

inline constexpr int kGradeLevels = 7;

// Level thresholds for a maximum: maximum >> 6, >> 5, ... >> 1 (the last, >> 0, is implied:
// a cell above all six gets the top level).
struct GradeThresholds {
    std::uint32_t value[kGradeLevels - 1];
    explicit GradeThresholds(std::uint32_t maximum) {
        for (int i = 0; i < kGradeLevels - 1; ++i) {
            value[i] = maximum >> (kGradeLevels - 1 - i);
        }
    }
};

// The palette of the levels, lowest first.
inline constexpr std::uint32_t kGradePalette[kGradeLevels] = {
    0x00FF00, 0xFF0000, 0xFF00FF, 0x0000FF, 0x4080FF, 0x00FFFF, 0xFFFFFF};

// Paints the non-zero cells of `cells` (count of them) into `pixels`; zero cells are untouched.
// ShadeGradeRow is the widest of the others this processor runs.
void ShadeGradeRowScalar(const std::uint32_t* cells, std::uint32_t* pixels, int count,
                         const GradeThresholds& thresholds);
void ShadeGradeRowBaseline(const std::uint32_t* cells, std::uint32_t* pixels, int count,
                           const GradeThresholds& thresholds); // 128-bit vectors where built
void ShadeGradeRowWide(
    const std::uint32_t* cells, std::uint32_t* pixels, int count,
    const GradeThresholds& thresholds); // 256-bit; only where the processor has them
void ShadeGradeRow(const std::uint32_t* cells, std::uint32_t* pixels, int count,
                   const GradeThresholds& thresholds);

// A bit for each of a row's kGradeRowChunks chunks whose busiest cell (`highest`) lies above
// `floor`.
std::uint64_t ChunksAboveScalar(const std::uint32_t* highest, std::uint32_t floor);
std::uint64_t ChunksAbove(const std::uint32_t* highest, std::uint32_t floor);

} // namespace tracekit::detail
