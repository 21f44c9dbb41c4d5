// The transform with 128-bit vectors (the baseline instruction set), and the final stages
// that every width shares.
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
};

#include "fft_kernel_impl.h"

} // namespace

void TransformBaseline(const FftTables& tables, FftWork& work) {
    TransformStages<Vec128>(tables, work);
}

// Per 16 values (four blocks of four): the half-span 4 stage on the blocks as they lie, then a
// transpose so that each vector holds one position of the four blocks, then half-spans 2 and 1.
// Of the last stage only the sums are needed: the differences land on odd positions, which
// hold bins N/2 and above.
void FinalStages(const FftTables& tables, FftWork& work) {
    using V = Vec128;
    const auto w4Re = V::Load(tables.stageRe.data() + StageOffset(4));
    const auto w4Im = V::Load(tables.stageIm.data() + StageOffset(4));
    const auto w2Re = _mm_set1_ps(tables.stageRe[StageOffset(2) + 1]);
    const auto w2Im = _mm_set1_ps(tables.stageIm[StageOffset(2) + 1]);
    for (int at = 0, packed = 0; at < kTransformSize; at += 16, packed += 8) {
        auto b0 = LoadComplex<V>(work, at);
        auto b1 = LoadComplex<V>(work, at + 4);
        auto b2 = LoadComplex<V>(work, at + 8);
        auto b3 = LoadComplex<V>(work, at + 12);
        Butterfly<V>(b0, b1, w4Re, w4Im);
        Butterfly<V>(b2, b3, w4Re, w4Im);
        _MM_TRANSPOSE4_PS(b0.re, b1.re, b2.re, b3.re);
        _MM_TRANSPOSE4_PS(b0.im, b1.im, b2.im, b3.im);
        // Half-span 2: position 0 with 2 (twiddle 1), position 1 with 3.
        Complex<V> p0{V::Add(b0.re, b2.re), V::Add(b0.im, b2.im)};
        Complex<V> p2{V::Sub(b0.re, b2.re), V::Sub(b0.im, b2.im)};
        Butterfly<V>(b1, b3, w2Re, w2Im);
        // Half-span 1: the sums of positions 0 and 1, and of 2 and 3.
        StoreComplex<V>(work, packed, {V::Add(p0.re, b1.re), V::Add(p0.im, b1.im)});
        StoreComplex<V>(work, packed + 4, {V::Add(p2.re, b3.re), V::Add(p2.im, b3.im)});
    }
}

TransformKernel BestTransformKernel() {
    return __builtin_cpu_supports("avx") ? TransformWide : TransformBaseline;
}

} // namespace numerix::detail
