// The filter's inner loop with 128-bit vectors (the baseline instruction set).
#include "filter_kernel.h"

#include <immintrin.h>

namespace numerix::detail {
namespace {

struct Doubles128 {
    using T = __m128d;
    static constexpr int kWidth = 2;
    static T Load(const double* p) { return _mm_loadu_pd(p); }
    static T Set1(double v) { return _mm_set1_pd(v); }
    static T Add(T a, T b) { return _mm_add_pd(a, b); }
    static T Sub(T a, T b) { return _mm_sub_pd(a, b); }
    static T Mul(T a, T b) { return _mm_mul_pd(a, b); }
    static T Min(T a, T b) { return _mm_min_pd(a, b); }
    static T Max(T a, T b) { return _mm_max_pd(a, b); }
    static void StoreInt16(std::int16_t* p, T v) {
        const __m128i values = _mm_cvttpd_epi32(v);
        _mm_storeu_si32(p, _mm_packs_epi32(values, values));
    }
};

#include "filter_kernel_impl.h"

} // namespace

void FilterBaseline(const float* taps, const double* trace, int outputs, const FilterLimits& limits,
                    std::int16_t* out) {
    FilterBlocks<Doubles128>(taps, trace, outputs, limits, out);
}

FilterKernel BestFilterKernel() {
    return __builtin_cpu_supports("avx") ? FilterWide : FilterBaseline;
}

} // namespace numerix::detail
