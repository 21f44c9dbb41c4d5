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
    static T Set1(float v) { return _mm256_set1_ps(v); }
    static T Windowed(T x, const double* w) {
        const __m128 low = _mm256_cvtpd_ps(
            _mm256_mul_pd(_mm256_cvtps_pd(_mm256_castps256_ps128(x)), _mm256_loadu_pd(w)));
        const __m128 high = _mm256_cvtpd_ps(
            _mm256_mul_pd(_mm256_cvtps_pd(_mm256_extractf128_ps(x, 1)), _mm256_loadu_pd(w + 4)));
        return _mm256_set_m128(high, low);
    }
    // Two blocks of four values per vector, one per 128-bit half, `apart` floats apart.
    static T LoadBlocks(const float* p, int apart) { return _mm256_loadu2_m128(p + apart, p); }
    static void StoreBlocks(float* p, int apart, T v) { _mm256_storeu2_m128(p + apart, p, v); }
    static T Broadcast4(const float* p) {
        return _mm256_broadcast_ps(reinterpret_cast<const __m128*>(p));
    }
    // Transposes the 4 x 4 blocks of both halves.
    static void Transpose4(T& a, T& b, T& c, T& d) {
        const T ab0 = _mm256_unpacklo_ps(a, b);
        const T cd0 = _mm256_unpacklo_ps(c, d);
        const T ab2 = _mm256_unpackhi_ps(a, b);
        const T cd2 = _mm256_unpackhi_ps(c, d);
        a = _mm256_shuffle_ps(ab0, cd0, _MM_SHUFFLE(1, 0, 1, 0));
        b = _mm256_shuffle_ps(ab0, cd0, _MM_SHUFFLE(3, 2, 3, 2));
        c = _mm256_shuffle_ps(ab2, cd2, _MM_SHUFFLE(1, 0, 1, 0));
        d = _mm256_shuffle_ps(ab2, cd2, _MM_SHUFFLE(3, 2, 3, 2));
    }
};

#include "fft_kernel_impl.h"

} // namespace

void TransformWide(const FftTables& tables, const double* window, FftWork& work) {
    TransformStages<Vec256>(tables, window, work);
    _mm256_zeroupper(); // the callers run 128-bit code next
}

} // namespace numerix::detail
