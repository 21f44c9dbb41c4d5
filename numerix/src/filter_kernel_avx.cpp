// The filter's inner loop with 256-bit vectors, used when the processor has them. Built
// without fused multiply-add, so it gives the baseline kernel's numbers exactly.
#include "filter_kernel.h"

#include <immintrin.h>

namespace numerix::detail {
namespace {

struct Doubles256 {
    using T = __m256d;
    static constexpr int kWidth = 4;
    static T Load(const double* p) { return _mm256_loadu_pd(p); }
    static T Set1(double v) { return _mm256_set1_pd(v); }
    static T Add(T a, T b) { return _mm256_add_pd(a, b); }
    static T Sub(T a, T b) { return _mm256_sub_pd(a, b); }
    static T Mul(T a, T b) { return _mm256_mul_pd(a, b); }
    static T Min(T a, T b) { return _mm256_min_pd(a, b); }
    static T Max(T a, T b) { return _mm256_max_pd(a, b); }
    static void StoreInt16(std::int16_t* p, T v) {
        const __m128i values = _mm256_cvttpd_epi32(v);
        _mm_storel_epi64(reinterpret_cast<__m128i*>(p), _mm_packs_epi32(values, values));
    }
};

#include "filter_kernel_impl.h"

} // namespace

void FilterWide(const float* taps, const double* trace, int outputs, const FilterLimits& limits,
                std::int16_t* out) {
    FilterBlocks<Doubles256>(taps, trace, outputs, limits, out);
    _mm256_zeroupper(); // the callers run 128-bit code next
}

} // namespace numerix::detail
