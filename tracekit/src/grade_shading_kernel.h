// The vector shading of a grade row, written once for any vector width: `V` names the vector
// type and its few operations (the 128-bit and 256-bit sets each live in the file compiled for
// them). Cells are compared unsigned through the signed comparison, the top bit of both sides
// flipped; zero cells keep their pixels. The cells after the last whole vector go to `rest`.
#pragma once

#include "grade_shading.h"

namespace tracekit::detail {

template <class V, class Rest>
void ShadeGradeRowWith(const std::uint32_t* cells, std::uint32_t* pixels, int count,
                       const GradeThresholds& thresholds, Rest rest) {
    using T = typename V::T;
    constexpr std::uint32_t kTopBit = 0x80000000u;
    const T bias = V::Set1(kTopBit);
    T threshold[kGradeLevels - 1];
    T color[kGradeLevels];
    for (int i = 0; i < kGradeLevels - 1; ++i) {
        threshold[i] = V::Set1(thresholds.value[i] ^ kTopBit);
    }
    for (int i = 0; i < kGradeLevels; ++i) {
        color[i] = V::Set1(kGradePalette[i]);
    }
    int i = 0;
    for (; i + V::kWidth <= count; i += V::kWidth) {
        const T cell = V::Load(cells + i);
        if (V::AllZero(cell)) {
            continue;
        }
        const T biased = V::Xor(cell, bias);
        T shade = color[0];
        for (int t = 0; t < kGradeLevels - 1; ++t) {
            shade = V::Select(V::Greater(biased, threshold[t]), color[t + 1], shade);
        }
        V::Store(pixels + i, V::Select(V::Zero(cell), V::Load(pixels + i), shade));
    }
    rest(cells + i, pixels + i, count - i, thresholds);
}

} // namespace tracekit::detail
