#include "row_histogram.h"

#include "canvas.h"

#include <algorithm>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace tracekit::detail {

namespace {

RowSpan ScalarSpan(const std::int16_t* rows, long long count, RowSpan span) {
    for (long long i = 0; i < count; ++i) {
        span.lo = std::min<int>(span.lo, rows[i]);
        span.hi = std::max<int>(span.hi, rows[i]);
    }
    return span;
}

} // namespace

#if defined(__SSE2__)
RowSpan SpanOf(const std::int16_t* rows, long long count) {
    __m128i lo = _mm_set1_epi16(rows[0]);
    __m128i hi = lo;
    long long i = 0;
    for (; i + 8 <= count; i += 8) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(rows + i));
        lo = _mm_min_epi16(lo, v);
        hi = _mm_max_epi16(hi, v);
    }
    alignas(16) std::int16_t lows[8];
    alignas(16) std::int16_t highs[8];
    _mm_store_si128(reinterpret_cast<__m128i*>(lows), lo);
    _mm_store_si128(reinterpret_cast<__m128i*>(highs), hi);
    const RowSpan span{*std::min_element(lows, lows + 8), *std::max_element(highs, highs + 8)};
    return ScalarSpan(rows + i, count - i, span);
}
#else
RowSpan SpanOf(const std::int16_t* rows, long long count) {
    return ScalarSpan(rows, count, RowSpan{rows[0], rows[0]});
}
#endif

RowSpan CountRows(const std::int16_t* rows, long long count, std::uint32_t* bins) {
    const RowSpan span = SpanOf(rows, count);
    if (span.lo >= 0 && span.hi < kSurfaceRows) {
        // The usual case, known in bounds: no clamping per sample.
        for (long long i = 0; i < count; ++i) {
            ++bins[rows[i]];
        }
        return span;
    }
    for (long long i = 0; i < count; ++i) {
        ++bins[ClampRow(rows[i])];
    }
    return {ClampRow(span.lo), ClampRow(span.hi)};
}

} // namespace tracekit::detail
