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
    static T Windowed(T x, const double* w) {
        const __m128 low = _mm_cvtpd_ps(_mm_mul_pd(_mm_cvtps_pd(x), _mm_loadu_pd(w)));
        const __m128 high = _mm_cvtpd_ps(_mm_mul_pd(_mm_cvtps_pd(_mm_movehl_ps(x, x)), _mm_loadu_pd(w + 2)));
        return _mm_movelh_ps(low, high);
    }
};

#include "fft_kernel_impl.h"

constexpr int kQuarter = kTransformSize / 4;

// Bit reversal of the 11-bit position `at`: the bin it holds after the last stage.
constexpr int BinAt(int at) {
    int bin = 0;
    for (int bit = 0; bit < 11; ++bit) {
        bin |= ((at >> bit) & 1) << (10 - bit);
    }
    return bin;
}
static_assert(1 << 11 == kTransformSize);

// Half-spans 2 and 1 on four blocks of four transposed so that vector e holds position e of
// every block; writes the blocks' positions 0 and 2 (their odd positions hold bins N/2 and
// up, which nobody reads, so of the last stage only the sums are formed).
[[gnu::always_inline]] inline void LastTwoStages(Complex<Vec128> p[4], __m128 w2Re, __m128 w2Im, FftWork& work, int bin0, int bin2) {
    using V = Vec128;
    _MM_TRANSPOSE4_PS(p[0].re, p[1].re, p[2].re, p[3].re);
    _MM_TRANSPOSE4_PS(p[0].im, p[1].im, p[2].im, p[3].im);
    const Complex<V> sum02{V::Add(p[0].re, p[2].re), V::Add(p[0].im, p[2].im)}; // twiddle 1
    const Complex<V> dif02{V::Sub(p[0].re, p[2].re), V::Sub(p[0].im, p[2].im)};
    Butterfly<V>(p[1], p[3], w2Re, w2Im);
    V::Store(work.binRe + bin0, V::Add(sum02.re, p[1].re));
    V::Store(work.binIm + bin0, V::Add(sum02.im, p[1].im));
    V::Store(work.binRe + bin2, V::Add(dif02.re, p[3].re));
    V::Store(work.binIm + bin2, V::Add(dif02.im, p[3].im));
}

} // namespace

void TransformBaseline(const FftTables& tables, const double* window, FftWork& work) {
    TransformStages<Vec128>(tables, window, work);
}

// Position q + c + e (q a quarter's start, c a multiple of 4 below N/4, e = 0 or 2) holds bin
// BinAt(c) + BinAt(q) + BinAt(e), and BinAt(q) is 0, 2, 1, 3 for the quarters. So the blocks
// at offset c of the quarters taken in the order 0, 2, 1, 3 give, once transposed, four
// consecutive bins per vector.
void FinalStages(const FftTables& tables, FftWork& work) {
    using V = Vec128;
    constexpr int kQuarterOrder[4] = {0, 2 * kQuarter, kQuarter, 3 * kQuarter};
    const auto w4Re = V::Load(tables.stageRe.data() + StageOffset(4));
    const auto w4Im = V::Load(tables.stageIm.data() + StageOffset(4));
    const auto w2Re = _mm_set1_ps(tables.stageRe[StageOffset(2) + 1]);
    const auto w2Im = _mm_set1_ps(tables.stageIm[StageOffset(2) + 1]);
    for (int c = 0; c < kQuarter; c += 8) {
        Complex<V> low[4];
        Complex<V> high[4];
        for (int lane = 0; lane < 4; ++lane) {
            const int at = kQuarterOrder[lane] + c;
            low[lane] = LoadComplex<V>(work, at);
            high[lane] = LoadComplex<V>(work, at + 4);
            Butterfly<V>(low[lane], high[lane], w4Re, w4Im);
        }
        const int bin = BinAt(c);
        LastTwoStages(low, w2Re, w2Im, work, bin, bin + BinAt(2));
        LastTwoStages(high, w2Re, w2Im, work, bin + BinAt(4), bin + BinAt(4) + BinAt(2));
    }
}

TransformKernel BestTransformKernel() {
    return __builtin_cpu_supports("avx") ? TransformWide : TransformBaseline;
}

} // namespace numerix::detail
