// The column kernel with 256-bit vectors, used when the processor has them.
#include "canvas.h"
#include "column_kernel.h"

#include <immintrin.h>

#include <algorithm>
#include <array>
#include <bit>

namespace tracekit::detail {
namespace {

struct Rows256 {
    using T = __m256i;
    static constexpr int kWidth = 16;
    static T Load(const std::int16_t* p) {
        return _mm256_loadu_si256(reinterpret_cast<const T*>(p));
    }
    static T Widen(const std::uint8_t* p) {
        return _mm256_cvtepu8_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p)));
    }
    static void Store(std::int16_t* p, T v) { _mm256_storeu_si256(reinterpret_cast<T*>(p), v); }
    static T Set1(std::int16_t v) { return _mm256_set1_epi16(v); }
    static T Min(T a, T b) { return _mm256_min_epi16(a, b); }
    static T Max(T a, T b) { return _mm256_max_epi16(a, b); }
    static T Add(T a, T b) { return _mm256_add_epi16(a, b); }
    static T Sub(T a, T b) { return _mm256_sub_epi16(a, b); }
    static T MulLo(T a, T b) { return _mm256_mullo_epi16(a, b); }
    static T Equal(T a, T b) { return _mm256_cmpeq_epi16(a, b); }
    static T Or(T a, T b) { return _mm256_or_si256(a, b); }
    static int Mask(T v) { return _mm256_movemask_epi8(v); }

    static T PackBytes(T a, T b) { return _mm256_packus_epi16(a, b); }
    static void StoreBytes(std::uint8_t* p, T v) { _mm256_store_si256(reinterpret_cast<T*>(p), v); }
    static T LoadBytes(const std::uint8_t* p) {
        return _mm256_load_si256(reinterpret_cast<const T*>(p));
    }
    static T Set1Bytes(std::uint8_t v) { return _mm256_set1_epi8(static_cast<char>(v)); }
    static T EqualBytes(T a, T b) { return _mm256_cmpeq_epi8(a, b); }
    static T SubBytes(T a, T b) { return _mm256_sub_epi8(a, b); }
    static long long SumBytes(T v) {
        const T sums = _mm256_sad_epu8(v, _mm256_setzero_si256());
        return _mm256_extract_epi64(sums, 0) + _mm256_extract_epi64(sums, 1) +
               _mm256_extract_epi64(sums, 2) + _mm256_extract_epi64(sums, 3);
    }
};

#include "column_kernel_impl.h"

} // namespace

const ColumnKernel& WideColumnKernel() {
    return kKernel<Rows256>;
}

} // namespace tracekit::detail
