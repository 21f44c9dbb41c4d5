// Planning one persistence frame: for each column, the rows its stroke changes and by how much.
// The vector path serves x86-64 builds (SSE4.1 is part of the x86-64-v2 baseline); the scalar
// path serves the others, plans the columns left over by the vector path and is the reference
// the vector path is tested against.
#pragma once

#include "tracekit.h"

#include <cstdint>

namespace tracekit::detail {

// Column c changes rows from[c]..to[c], row r by base[c] - ((slope[c] * |r - mid[c]|) >> 8).
struct ColumnRuns {
    std::int32_t from[kColumns];
    std::int32_t to[kColumns];
    std::int32_t mid[kColumns];
    std::int32_t slope[kColumns];
    std::int32_t base[kColumns];
};

// Plans columns first..last of a frame's pairs, each stroke against the one before it (the
// first against itself); `gapWeight` is what a stroke clear of the one before spreads over its
// rows.
void PlanColumnsScalar(const std::int16_t* pairs, int first, int last, std::int32_t gapWeight,
                       ColumnRuns& runs);
void PlanColumns(const std::int16_t* pairs, int first, int last, std::int32_t gapWeight,
                 ColumnRuns& runs);

} // namespace tracekit::detail
