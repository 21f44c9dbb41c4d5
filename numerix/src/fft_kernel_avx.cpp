// The transform with 256-bit vectors, used when the processor has them. Built without fused
// multiply-add, so it gives the baseline kernel's numbers exactly.
#include "fft_kernel.h"

#include <immintrin.h>

namespace numerix::detail {
namespace {

struct Vec256 {
    using T = __m256;
    static constexpr int kWidth = 8;
    static T Load(const float* p) { return _mm256_loadu_ps(p); }
    static void Store(float* p, T v) { _mm256_storeu_ps(p, v); }
    static T Add(T a, T b) { return _mm256_add_ps(a, b); }
    static T Sub(T a, T b) { return _mm256_sub_ps(a, b); }
    static T Mul(T a, T b) { return _mm256_mul_ps(a, b); }
    static T Zero() { return _mm256_setzero_ps(); }
    static T Windowed(T x, const double* w) {
        const __m128 low = _mm256_cvtpd_ps(_mm256_mul_pd(_mm256_cvtps_pd(_mm256_castps256_ps128(x)), _mm256_loadu_pd(w)));
        const __m128 high = _mm256_cvtpd_ps(_mm256_mul_pd(_mm256_cvtps_pd(_mm256_extractf128_ps(x, 1)), _mm256_loadu_pd(w + 4)));
        return _mm256_set_m128(high, low);
    }
};

#include "fft_kernel_impl.h"

} // namespace

void TransformWide(const FftTables& tables, const double* window, FftWork& work) {
    TransformStages<Vec256>(tables, window, work);
}

} // namespace numerix::detail
