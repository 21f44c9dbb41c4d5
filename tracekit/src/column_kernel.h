// The per-sample work of the stopped-record paths: byte samples to rows on a straight line, the
// extremes of a column's rows and the order they were first reached in, and counting a column's
// rows into per-row bins. Built for more than one vector width like the spectrum's transform and
// chosen at run time; every kernel gives the same results as the scalar one, their reference.
#pragma once

#include "tracekit.h"

#include <algorithm>
#include <cstdint>

namespace tracekit::detail {

// Rows lo..hi (both included).
struct RowSpan {
    int lo;
    int hi;
};

// Byte samples to rows on a straight line: clamp(slope * sample + offset, lowest, highest), the
// unclamped rows of samples 0 and 255 both in 16 bits.
struct StraightRows {
    std::int16_t slope;
    std::int16_t offset;
    std::int16_t lowest;
    std::int16_t highest;
};

inline std::int16_t StraightRow(std::uint8_t sample, const StraightRows& line) {
    const int row = line.slope * sample + line.offset;
    return static_cast<std::int16_t>(std::clamp<int>(row, line.lowest, line.highest));
}

struct ColumnKernel {
    // rows[i] = StraightRow(samples[i]) for `count` samples.
    void (*scale)(const std::uint8_t* samples, std::int16_t* rows, long long count,
                  const StraightRows& line);
    // The lowest and highest of `count` (at least 1) rows.
    RowSpan (*span)(const std::int16_t* rows, long long count);
    // Whether the highest of the rows (span as `span` gives it) was first reached after the
    // lowest was: true when they are equal.
    bool (*highestLast)(const std::int16_t* rows, long long count, RowSpan span);
    // Adds the rows (span as `span` gives it) into kSurfaceRows bins, rows off the surface
    // counting on its nearest row; returns the span of bins touched.
    RowSpan (*count)(const std::int16_t* rows, long long count, RowSpan span, std::uint32_t* bins);
};

const ColumnKernel& ScalarColumnKernel();
const ColumnKernel& BaselineColumnKernel(); // 128-bit vectors
const ColumnKernel& WideColumnKernel();     // 256-bit vectors; only where the processor has them
// The fastest kernel this processor runs, chosen once.
const ColumnKernel& BestColumnKernel();

// Scalar pieces the vector kernels finish their odd ends with.
RowSpan ScalarSpan(const std::int16_t* rows, long long count, RowSpan span);
bool ScalarHighestLast(const std::int16_t* rows, long long count, RowSpan span);
void ScalarCount(const std::int16_t* rows, long long count, RowSpan span, std::uint32_t* bins);

// The rows a span covers on the surface, and whether any row lies off it.
inline RowSpan ClampedSpan(RowSpan span) {
    return {std::clamp(span.lo, 0, kSurfaceRows - 1), std::clamp(span.hi, 0, kSurfaceRows - 1)};
}
inline bool LeavesSurface(RowSpan span) {
    return span.lo < 0 || span.hi >= kSurfaceRows;
}

// PlotStop with a given kernel, so that every kernel's pictures can be compared.
void PlotStopWith(const ColumnKernel& kernel, const std::int16_t* rows, std::uint32_t* surface,
                  std::int16_t* scratch, const std::uint32_t* table, int pitch,
                  const TraceWindow* window, int style);

} // namespace tracekit::detail
