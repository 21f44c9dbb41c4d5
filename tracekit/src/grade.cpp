// Colour grade: sample counts per cell, painted in seven levels relative to the busiest cell,
// either every cell or only the chunks that may have changed since the last copy.
#include "canvas.h"
#include "grade_shading.h"
#include "grade_shading_kernel.h"
#include "tracekit.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>

#if defined(__SSE4_1__)
#include <smmintrin.h>
#endif

namespace tracekit::detail {

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
        pixels[i] = kGradePalette[level];
    }
}

std::uint64_t ChunksAboveScalar(const std::uint32_t* highest, std::uint32_t floor) {
    std::uint64_t chunks = 0;
    for (int chunk = 0; chunk < kGradeRowChunks; ++chunk) {
        chunks |= std::uint64_t{highest[chunk] > floor} << chunk;
    }
    return chunks;
}

#if defined(__SSE4_1__)
void ShadeGradeRow(const std::uint32_t* cells, std::uint32_t* pixels, int count,
                   const GradeThresholds& thresholds) {
    static const auto best =
        __builtin_cpu_supports("avx2") ? ShadeGradeRowWide : ShadeGradeRowBaseline;
    best(cells, pixels, count, thresholds);
}

namespace {

struct Cells128 {
    using T = __m128i;
    static constexpr int kWidth = 4;
    static T Set1(std::uint32_t v) { return _mm_set1_epi32(static_cast<int>(v)); }
    static T Load(const std::uint32_t* p) { return _mm_loadu_si128(reinterpret_cast<const T*>(p)); }
    static void Store(std::uint32_t* p, T v) { _mm_storeu_si128(reinterpret_cast<T*>(p), v); }
    static bool AllZero(T v) { return _mm_testz_si128(v, v) != 0; }
    static T Xor(T a, T b) { return _mm_xor_si128(a, b); }
    static T Greater(T a, T b) { return _mm_cmpgt_epi32(a, b); }
    static T Zero(T v) { return _mm_cmpeq_epi32(v, _mm_setzero_si128()); }
    static T Select(T when, T yes, T no) { return _mm_blendv_epi8(no, yes, when); }
};

} // namespace

void ShadeGradeRowBaseline(const std::uint32_t* cells, std::uint32_t* pixels, int count,
                           const GradeThresholds& thresholds) {
    ShadeGradeRowWith<Cells128>(cells, pixels, count, thresholds, ShadeGradeRowScalar);
}

std::uint64_t ChunksAbove(const std::uint32_t* highest, std::uint32_t floor) {
    static_assert(kGradeRowChunks % 4 == 0);
    const __m128i bias = _mm_set1_epi32(static_cast<int>(0x80000000u));
    const __m128i biasedFloor = _mm_set1_epi32(static_cast<int>(floor ^ 0x80000000u));
    std::uint64_t chunks = 0;
    for (int chunk = 0; chunk < kGradeRowChunks; chunk += 4) {
        const __m128i cells = _mm_loadu_si128(reinterpret_cast<const __m128i*>(highest + chunk));
        const __m128i above = _mm_cmpgt_epi32(_mm_xor_si128(cells, bias), biasedFloor);
        chunks |= static_cast<std::uint64_t>(_mm_movemask_ps(_mm_castsi128_ps(above))) << chunk;
    }
    return chunks;
}
#else
void ShadeGradeRow(const std::uint32_t* cells, std::uint32_t* pixels, int count,
                   const GradeThresholds& thresholds) {
    ShadeGradeRowScalar(cells, pixels, count, thresholds);
}

std::uint64_t ChunksAbove(const std::uint32_t* highest, std::uint32_t floor) {
    return ChunksAboveScalar(highest, floor);
}
#endif

} // namespace tracekit::detail

namespace tracekit::detail {
namespace {

constexpr std::uint64_t kEveryChunk = ~std::uint64_t{0} >> (64 - kGradeRowChunks);

// Counts the window's samples into the grade, telling `counted` each cell (row, column, new
// count) it counts into; returns the busiest cell counted.
template <class Counted>
std::uint32_t CountSamples(const std::int16_t* rows, std::uint32_t* grade, int first, int last,
                           int firstCol, int lastCol, Counted counted) {
    const long long samples = static_cast<long long>(last) - first + 1;
    const long long columns = lastCol - firstCol + 1;
    std::uint32_t highest = 0;
    const auto count = [&](long long sample, long long col) {
        const int row = ClampRow(rows[first + sample]);
        std::uint32_t& cell = grade[row * kColumns + col];
        highest = std::max(highest, ++cell);
        counted(row, static_cast<int>(col), cell);
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
    return highest;
}

// A cell changes level when the maximum moves a threshold past it: only cells above the lower
// end of a moved threshold can. The lowest such end, or the largest value when none moved.
std::uint32_t LowestMovedThreshold(const GradeThresholds& before, const GradeThresholds& now) {
    std::uint32_t lowest = UINT32_MAX;
    for (int i = 0; i < kGradeLevels - 1; ++i) {
        if (before.value[i] != now.value[i]) {
            lowest = std::min({lowest, before.value[i], now.value[i]});
        }
    }
    return lowest;
}

} // namespace

struct GradeTracking {
    static void Count(GradeChanges& changes, int row, int col, std::uint32_t cell) {
        const int chunk = col / kGradeChunkCells;
        changes.counted_[row] |= std::uint64_t{1} << chunk;
        changes.highest_[row][chunk] = std::max(changes.highest_[row][chunk], cell);
        changes.rowHighest_[row] = std::max(changes.rowHighest_[row], cell);
    }

    static void Copy(GradeChanges& changes, const std::uint32_t* grade, const Canvas& canvas,
                     std::uint32_t maximum) {
        if (changes.unknown_) {
            FindHighest(changes, grade);
        }
        const GradeThresholds thresholds(maximum);
        const std::uint32_t floor =
            LowestMovedThreshold(GradeThresholds(changes.maximum_), thresholds);
        for (int row = 0; row < kSurfaceRows; ++row) {
            std::uint64_t& chunks = changes.painted_[row];
            chunks = changes.all_ ? kEveryChunk : changes.counted_[row];
            if (changes.rowHighest_[row] > floor) {
                chunks |= ChunksAbove(changes.highest_[row], floor);
            }
            changes.counted_[row] = 0;
            Repaint(chunks, grade + row * kColumns, canvas.Row(row), thresholds);
        }
        changes.maximum_ = maximum;
        changes.all_ = false;
    }

private:
    static void FindHighest(GradeChanges& changes, const std::uint32_t* grade) {
        for (int row = 0; row < kSurfaceRows; ++row) {
            const std::uint32_t* cells = grade + row * kColumns;
            for (int chunk = 0; chunk < kGradeRowChunks; ++chunk) {
                const int first = chunk * kGradeChunkCells;
                changes.highest_[row][chunk] = *std::max_element(
                    cells + first, cells + std::min(first + kGradeChunkCells, kColumns));
            }
            changes.rowHighest_[row] =
                *std::max_element(changes.highest_[row], changes.highest_[row] + kGradeRowChunks);
        }
        changes.unknown_ = false;
    }

    // Shades the chunks of one row, a run of neighbouring chunks at a time.
    static void Repaint(std::uint64_t chunks, const std::uint32_t* cells, std::uint32_t* pixels,
                        const GradeThresholds& thresholds) {
        while (chunks != 0) {
            const int begin = std::countr_zero(chunks);
            const int end = begin + std::countr_one(chunks >> begin);
            chunks &= ~(((std::uint64_t{1} << (end - begin)) - 1) << begin);
            const int from = begin * kGradeChunkCells;
            const int to = std::min(end * kGradeChunkCells, kColumns);
            ShadeGradeRow(cells + from, pixels + from, to - from, thresholds);
        }
    }
};

} // namespace tracekit::detail

using tracekit::kColumns;
using tracekit::kGradeCells;
using tracekit::detail::Canvas;
using tracekit::detail::CountSamples;
using tracekit::detail::GradeTracking;
using tracekit::detail::ValidColumns;

namespace {

bool ValidWindow(const std::int16_t* rows, const std::uint32_t* grade, int first, int last,
                 int firstCol, int lastCol) {
    return rows != nullptr && grade != nullptr && first >= 0 && last >= first &&
           ValidColumns(firstCol, lastCol);
}

} // namespace

void PlotGrade(const std::int16_t* rows, std::uint32_t* grade, int first, int last, int firstCol,
               int lastCol, std::uint32_t* maximum) {
    if (maximum == nullptr) {
        return;
    }
    *maximum = ValidWindow(rows, grade, first, last, firstCol, lastCol)
                   ? CountSamples(rows, grade, first, last, firstCol, lastCol,
                                  [](int, int, std::uint32_t) {})
                   : 0;
}

void PlotGrade(const std::int16_t* rows, std::uint32_t* grade, int first, int last, int firstCol,
               int lastCol, std::uint32_t* maximum, tracekit::GradeChanges& changes) {
    if (maximum == nullptr) {
        return;
    }
    *maximum = ValidWindow(rows, grade, first, last, firstCol, lastCol)
                   ? CountSamples(rows, grade, first, last, firstCol, lastCol,
                                  [&changes](int row, int col, std::uint32_t cell) {
                                      GradeTracking::Count(changes, row, col, cell);
                                  })
                   : 0;
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

void CopyGrade(const std::uint32_t* grade, std::uint32_t* surface, int pitch, std::uint32_t maximum,
               tracekit::GradeChanges& changes) {
    if (grade == nullptr || !Canvas::Accepts(surface, pitch)) {
        return;
    }
    GradeTracking::Copy(changes, grade, Canvas(surface, pitch), maximum);
}

int ClrGrade(std::uint32_t* grade) {
    if (grade == nullptr) {
        return -1;
    }
    std::memset(grade, 0, sizeof(std::uint32_t) * kGradeCells);
    return 0;
}
