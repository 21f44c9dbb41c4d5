// The transform with 128-bit vectors (the baseline instruction set).
#include "fft_kernel.h"

#include <immintrin.h>

namespace numerix::detail {
namespace {

struct Vec128 {
    using T = __m128;
    static constexpr int kWidth = 4;
    static T Load(const float* p) { return _mm_loadu_ps(p); }
    static void Store(float* p, T v) { _mm_storeu_ps(p, v); }
    static T Add(T a, T b) { return _mm_add_ps(a, b); }
    static T Sub(T a, T b) { return _mm_sub_ps(a, b); }
    static T Mul(T a, T b) { return _mm_mul_ps(a, b); }
    static T Zero() { return _mm_setzero_ps(); }
    static T Set1(float v) { return _mm_set1_ps(v); }
    static T Windowed(T x, const double* w) {
        const __m128 low = _mm_cvtpd_ps(_mm_mul_pd(_mm_cvtps_pd(x), _mm_loadu_pd(w)));
        const __m128 high =
            _mm_cvtpd_ps(_mm_mul_pd(_mm_cvtps_pd(_mm_movehl_ps(x, x)), _mm_loadu_pd(w + 2)));
        return _mm_movelh_ps(low, high);
    }
    // One block of four values per vector.
    static T LoadBlocks(const float* p, int) { return _mm_loadu_ps(p); }
    static void StoreBlocks(float* p, int, T v) { _mm_storeu_ps(p, v); }
    static T Broadcast4(const float* p) { return _mm_loadu_ps(p); }
    static void Transpose4(T& a, T& b, T& c, T& d) { _MM_TRANSPOSE4_PS(a, b, c, d); }
};

#include "fft_kernel_impl.h"

} // namespace

void TransformBaseline(const FftTables& tables, const double* window, FftWork& work) {
    TransformStages<Vec128>(tables, window, work);
}

TransformKernel BestTransformKernel() {
    return __builtin_cpu_supports("avx") ? TransformWide : TransformBaseline;
}

} // namespace numerix::detail
