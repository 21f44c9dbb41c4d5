// Counting a column's rows into per-row bins, the core of the stopped-record density views.
#pragma once

#include <cstdint>

namespace tracekit::detail {

// Rows lo..hi (both included).
struct RowSpan {
    int lo;
    int hi;
};

// The lowest and highest of `count` (at least 1) rows.
RowSpan SpanOf(const std::int16_t* rows, long long count);

// Adds `count` (at least 1) rows into kSurfaceRows bins, rows off the surface counting on its
// nearest row; returns the span of bins touched.
RowSpan CountRows(const std::int16_t* rows, long long count, std::uint32_t* bins);

} // namespace tracekit::detail
