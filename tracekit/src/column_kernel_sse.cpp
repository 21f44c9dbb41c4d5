// The column kernel with 128-bit vectors (the baseline instruction set: SSE2 only).
#include "canvas.h"
#include "column_kernel.h"

#include <immintrin.h>

#include <algorithm>
#include <array>
#include <bit>

namespace tracekit::detail {
namespace {

struct Rows128 {
    using T = __m128i;
    static constexpr int kWidth = 8;
    static T Load(const std::int16_t* p) { return _mm_loadu_si128(reinterpret_cast<const T*>(p)); }
    static T Widen(const std::uint8_t* p) {
        return _mm_unpacklo_epi8(_mm_loadl_epi64(reinterpret_cast<const T*>(p)),
                                 _mm_setzero_si128());
    }
    static void Store(std::int16_t* p, T v) { _mm_storeu_si128(reinterpret_cast<T*>(p), v); }
    static T Set1(std::int16_t v) { return _mm_set1_epi16(v); }
    static T Min(T a, T b) { return _mm_min_epi16(a, b); }
    static T Max(T a, T b) { return _mm_max_epi16(a, b); }
    static T Add(T a, T b) { return _mm_add_epi16(a, b); }
    static T Sub(T a, T b) { return _mm_sub_epi16(a, b); }
    static T MulLo(T a, T b) { return _mm_mullo_epi16(a, b); }
    static T Equal(T a, T b) { return _mm_cmpeq_epi16(a, b); }
    static T Or(T a, T b) { return _mm_or_si128(a, b); }
    static int Mask(T v) { return _mm_movemask_epi8(v); }

    static T PackBytes(T a, T b) { return _mm_packus_epi16(a, b); }
    static void StoreBytes(std::uint8_t* p, T v) { _mm_store_si128(reinterpret_cast<T*>(p), v); }
    static T LoadBytes(const std::uint8_t* p) {
        return _mm_load_si128(reinterpret_cast<const T*>(p));
    }
    static T Set1Bytes(std::uint8_t v) { return _mm_set1_epi8(static_cast<char>(v)); }
    static T EqualBytes(T a, T b) { return _mm_cmpeq_epi8(a, b); }
    static T SubBytes(T a, T b) { return _mm_sub_epi8(a, b); }
    static long long SumBytes(T v) {
        const T sums = _mm_sad_epu8(v, _mm_setzero_si128());
        return _mm_cvtsi128_si64(sums) + _mm_cvtsi128_si64(_mm_unpackhi_epi64(sums, sums));
    }
};

#include "column_kernel_impl.h"

} // namespace

const ColumnKernel& BaselineColumnKernel() {
    return kKernel<Rows128>;
}

} // namespace tracekit::detail
