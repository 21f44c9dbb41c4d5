// Colour grade: sample counts per cell, painted in seven levels relative to the busiest cell.
#include "canvas.h"
#include "grade_shading.h"
#include "tracekit.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#if defined(__SSE4_1__)
#include <smmintrin.h>
#endif

namespace tracekit::detail {
namespace {

// Lowest level first.
constexpr std::uint32_t kPalette[kGradeLevels] = {0x00FF00, 0xFF0000, 0xFF00FF, 0x0000FF,
                                                  0x4080FF, 0x00FFFF, 0xFFFFFF};

} // namespace

void ShadeGradeRowScalar(const std::uint32_t* cells, std::uint32_t* pixels, int count,
                         const GradeThresholds& thresholds) {
    for (int i = 0; i < count; ++i) {
        if (cells[i] == 0) {
            continue;
        }
        int level = 0;
        for (const std::uint32_t threshold : thresholds.value) {
            level += cells[i] > threshold ? 1 : 0;
        }
        pixels[i] = kPalette[level];
    }
}

#if defined(__SSE4_1__)
void ShadeGradeRow(const std::uint32_t* cells, std::uint32_t* pixels, int count,
                   const GradeThresholds& thresholds) {
    // Unsigned comparison through the signed one: flip the top bit of both sides.
    const __m128i bias = _mm_set1_epi32(static_cast<int>(0x80000000u));
    __m128i threshold[kGradeLevels - 1];
    __m128i color[kGradeLevels];
    for (int i = 0; i < kGradeLevels - 1; ++i) {
        threshold[i] = _mm_set1_epi32(static_cast<int>(thresholds.value[i] ^ 0x80000000u));
    }
    for (int i = 0; i < kGradeLevels; ++i) {
        color[i] = _mm_set1_epi32(static_cast<int>(kPalette[i]));
    }
    int i = 0;
    for (; i + 4 <= count; i += 4) {
        const __m128i cell = _mm_loadu_si128(reinterpret_cast<const __m128i*>(cells + i));
        if (_mm_testz_si128(cell, cell)) {
            continue;
        }
        const __m128i biased = _mm_xor_si128(cell, bias);
        __m128i shade = color[0];
        for (int t = 0; t < kGradeLevels - 1; ++t) {
            shade = _mm_blendv_epi8(shade, color[t + 1], _mm_cmpgt_epi32(biased, threshold[t]));
        }
        __m128i* out = reinterpret_cast<__m128i*>(pixels + i);
        const __m128i empty = _mm_cmpeq_epi32(cell, _mm_setzero_si128());
        _mm_storeu_si128(out, _mm_blendv_epi8(shade, _mm_loadu_si128(out), empty));
    }
    ShadeGradeRowScalar(cells + i, pixels + i, count - i, thresholds);
}
#else
void ShadeGradeRow(const std::uint32_t* cells, std::uint32_t* pixels, int count,
                   const GradeThresholds& thresholds) {
    ShadeGradeRowScalar(cells, pixels, count, thresholds);
}
#endif

} // namespace tracekit::detail

using tracekit::kColumns;
using tracekit::kGradeCells;
using tracekit::detail::Canvas;
using tracekit::detail::ClampRow;
using tracekit::detail::EvenSplit;
using tracekit::detail::ValidColumns;

void PlotGrade(const std::int16_t* rows, std::uint32_t* grade, int first, int last, int firstCol,
               int lastCol, std::uint32_t* maximum) {
    if (maximum != nullptr) {
        *maximum = 0;
    }
    if (rows == nullptr || grade == nullptr || maximum == nullptr || first < 0 || last < first ||
        !ValidColumns(firstCol, lastCol)) {
        return;
    }
    const long long samples = static_cast<long long>(last) - first + 1;
    const long long columns = lastCol - firstCol + 1;
    std::uint32_t highest = 0;
    const auto count = [&](long long sample, long long col) {
        std::uint32_t& cell = grade[ClampRow(rows[first + sample]) * kColumns + col];
        highest = std::max(highest, ++cell);
    };
    if (samples > columns) {
        // Every column takes its share of the samples.
        EvenSplit split(samples, columns);
        long long sample = 0;
        for (long long col = firstCol; col <= lastCol; ++col) {
            for (const long long end = sample + split.Next(); sample < end; ++sample) {
                count(sample, col);
            }
        }
    } else {
        // One sample every few columns; the columns between get nothing.
        EvenSplit advance(columns, samples);
        long long col = firstCol;
        for (long long sample = 0; sample < samples; ++sample, col += advance.Next()) {
            count(sample, col);
        }
    }
    *maximum = highest;
}

void CopyGrade(const std::uint32_t* grade, std::uint32_t* surface, int pitch,
               std::uint32_t maximum) {
    if (grade == nullptr || !Canvas::Accepts(surface, pitch)) {
        return;
    }
    const Canvas canvas(surface, pitch);
    const tracekit::detail::GradeThresholds thresholds(maximum);
    for (int row = 0; row < tracekit::kSurfaceRows; ++row) {
        tracekit::detail::ShadeGradeRow(grade + row * kColumns, canvas.Row(row), kColumns,
                                        thresholds);
    }
}

int ClrGrade(std::uint32_t* grade) {
    if (grade == nullptr) {
        return -1;
    }
    std::memset(grade, 0, sizeof(std::uint32_t) * kGradeCells);
    return 0;
}
