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
};

#include "fft_kernel_impl.h"

} // namespace

void TransformWide(const FftTables& tables, FftWork& work) {
    TransformStages<Vec256>(tables, work);
}

} // namespace numerix::detail
