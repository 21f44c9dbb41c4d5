// The scalar column kernel: the reference the vector kernels are tested against, and the odd
// ends they finish with.
#include "canvas.h"
#include "column_kernel.h"

#include <algorithm>
#include <cstdint>

namespace tracekit::detail {

RowSpan ScalarSpan(const std::int16_t* rows, long long count, RowSpan span) {
    for (long long i = 0; i < count; ++i) {
        span.lo = std::min<int>(span.lo, rows[i]);
        span.hi = std::max<int>(span.hi, rows[i]);
    }
    return span;
}

// The first row on either extreme decides: the other one is reached later.
bool ScalarHighestLast(const std::int16_t* rows, long long count, RowSpan span) {
    if (span.lo == span.hi) {
        return true;
    }
    for (long long i = 0; i < count; ++i) {
        if (rows[i] == span.lo) {
            return true;
        }
        if (rows[i] == span.hi) {
            return false;
        }
    }
    return true;
}

void ScalarCount(const std::int16_t* rows, long long count, RowSpan span, std::uint32_t* bins) {
    if (!LeavesSurface(span)) {
        // The usual case, known in bounds: no clamping per sample.
        for (long long i = 0; i < count; ++i) {
            ++bins[rows[i]];
        }
        return;
    }
    for (long long i = 0; i < count; ++i) {
        ++bins[ClampRow(rows[i])];
    }
}

namespace {

void Scale(const std::uint8_t* samples, std::int16_t* rows, long long count,
           const StraightRows& line) {
    for (long long i = 0; i < count; ++i) {
        rows[i] = StraightRow(samples[i], line);
    }
}

RowSpan Span(const std::int16_t* rows, long long count) {
    return ScalarSpan(rows, count, {rows[0], rows[0]});
}

RowSpan Count(const std::int16_t* rows, long long count, RowSpan span, std::uint32_t* bins) {
    ScalarCount(rows, count, span, bins);
    return ClampedSpan(span);
}

} // namespace

const ColumnKernel& ScalarColumnKernel() {
    static constexpr ColumnKernel kernel{Scale, Span, ScalarHighestLast, Count};
    return kernel;
}

const ColumnKernel& BestColumnKernel() {
    static const ColumnKernel& best =
        __builtin_cpu_supports("avx2") ? WideColumnKernel() : BaselineColumnKernel();
    return best;
}

} // namespace tracekit::detail
