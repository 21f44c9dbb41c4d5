// The windowed 2048-point spectrum: window, radix-2 decimation-in-frequency transform with a
// twiddle table built by repeated single-precision multiplication, and Vrms or dBVrms bins.
#include "fft.h"

#include "counts.h"
#include "fft_windows.h"
#include "numerix.h"

#include <immintrin.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <limits>
#include <memory>
#include <mutex>
#include <numbers>
#include <optional>

namespace numerix::detail {
namespace {

constexpr int kLog2Size = std::countr_zero(static_cast<unsigned>(kTransformSize));

std::mutex tablesMutex;
std::shared_ptr<const FftTables> currentTables;

std::shared_ptr<const FftTables> CurrentTables() {
    const std::lock_guard lock(tablesMutex);
    return currentTables;
}

std::complex<float> Times(std::complex<float> a, std::complex<float> b) {
    return {a.real() * b.real() - a.imag() * b.imag(), a.real() * b.imag() + a.imag() * b.real()};
}

void BuildTwiddles(FftTables& t) {
    const double angle = 2.0 * std::numbers::pi / kTransformSize;
    const std::complex<float> step(static_cast<float>(std::cos(angle)),
                                   static_cast<float>(-std::sin(angle)));
    t.twiddle[0] = step;
    for (int k = 1; k < kTwiddles; ++k) {
        t.twiddle[k] = Times(t.twiddle[k - 1], step);
    }
}

// Pair j of the stage with half-span n uses twiddle entry j * d - 1, d = N / (2n); pair 0 uses 1.
void BuildStageTwiddles(FftTables& t) {
    for (int halfSpan = kTransformSize / 2; halfSpan >= 1; halfSpan /= 2) {
        const int stride = kTransformSize / (2 * halfSpan);
        float* re = t.stageRe.data() + StageOffset(halfSpan);
        float* im = t.stageIm.data() + StageOffset(halfSpan);
        re[0] = 1.0f;
        im[0] = 0.0f;
        for (int j = 1; j < halfSpan; ++j) {
            re[j] = t.twiddle[j * stride - 1].real();
            im[j] = t.twiddle[j * stride - 1].imag();
        }
    }
}

// The stages leave bin k at the bit-reversed position of k; FinalStages packs the even
// positions four blocks at a time (see there).
void BuildBinIndex(FftTables& t) {
    for (unsigned k = 0; k < kTransformBins; ++k) {
        unsigned position = 0;
        for (int bit = 0; bit < kLog2Size; ++bit) {
            position |= ((k >> bit) & 1u) << (kLog2Size - 1 - bit);
        }
        const unsigned chunk = position / 16;
        const unsigned block = (position % 16) / 4;
        const unsigned half = (position % 4) / 2;
        t.binIndex[k] = static_cast<std::uint16_t>(chunk * 8 + half * 4 + block);
    }
}

struct Window {
    const double* coefficients; // null: rectangle
    double correction;
};

Window WindowOf(int windowType) {
    switch (windowType) {
    case kHanning:
        return {kHanningWindow, 2.0};
    case kHamming:
        return {kHammingWindow, 1.852};
    case kBlackman:
        return {kBlackmanWindow, 2.381};
    default:
        return {nullptr, 1.0};
    }
}

// x[i] = 125 - sample[i] - offset counts, times the window coefficient.
template <class Sample>
void LoadSamples(std::span<const Sample> samples, int offsetCounts, const Window& window,
                 FftWork& work) {
    const int base = kRawCentre - offsetCounts;
    if (window.coefficients == nullptr) {
        for (int i = 0; i < kTransformSize; ++i) {
            work.re[i] = static_cast<float>(base - samples[i]);
        }
        return;
    }
    for (int i = 0; i < kTransformSize; ++i) {
        work.re[i] = static_cast<float>((base - samples[i]) * window.coefficients[i]);
    }
}

// trunc(c x sqrt(2 |X|^2)) >> 11: Vrms in counts. The shift is folded into an exact scaling.
void LinearBins(const FftWork& work, double correction, std::int32_t* result) {
    const __m128d factor = _mm_set1_pd(correction);
    const __m128d shift = _mm_set1_pd(1.0 / kTransformSize);
    const __m128d two = _mm_set1_pd(2.0);
    const __m128d top = _mm_set1_pd(std::numeric_limits<std::int16_t>::max());
    for (int i = 0; i < kTransformBins; i += 4) {
        const __m128 re = _mm_loadu_ps(work.re + i);
        const __m128 im = _mm_loadu_ps(work.im + i);
        for (int half = 0; half < 2; ++half) {
            const __m128d r = _mm_cvtps_pd(half == 0 ? re : _mm_movehl_ps(re, re));
            const __m128d m = _mm_cvtps_pd(half == 0 ? im : _mm_movehl_ps(im, im));
            const __m128d power = _mm_add_pd(_mm_mul_pd(r, r), _mm_mul_pd(m, m));
            const __m128d level = _mm_mul_pd(_mm_mul_pd(factor, _mm_sqrt_pd(_mm_mul_pd(two, power))), shift);
            const __m128i counts = _mm_cvttpd_epi32(_mm_min_pd(level, top));
            _mm_storel_epi64(reinterpret_cast<__m128i*>(result + i + 2 * half), counts);
        }
    }
}

// trunc(10 log10(2 c^2 (scale / 51200)^2 |X|^2)): dBVrms, 51200 counts per volt-division
// being 25 counts per division times the transform's 2048.
void DecibelBins(const FftWork& work, double correction, float scale, std::int32_t* result) {
    const double volts = static_cast<double>(scale) / (kCountsPerDivision * kTransformSize);
    const double factor = 2.0 * correction * correction * (volts * volts);
    for (int i = 0; i < kTransformBins; ++i) {
        const double re = work.re[i];
        const double im = work.im[i];
        const double level = 10.0 * std::log10(factor * (re * re + im * im));
        result[i] = static_cast<std::int32_t>(std::clamp<double>(
            level, std::numeric_limits<std::int16_t>::min(), std::numeric_limits<std::int16_t>::max()));
    }
}

template <class Sample>
int Spectrum(TransformKernel kernel, std::span<const Sample> samples, std::span<std::int16_t> out,
             int count, float offset, float scale, int windowType, bool dB) {
    if (count != kTransformSize || samples.size() < static_cast<std::size_t>(count) ||
        out.size() < static_cast<std::size_t>(count / 2)) {
        return -1;
    }
    const auto offsetCounts = OffsetCounts(offset, scale);
    const auto tableSet = CurrentTables();
    if (!offsetCounts || !tableSet) {
        return -1;
    }
    const Window window = WindowOf(windowType);
    FftWork work;
    LoadSamples(samples, *offsetCounts, window, work);
    kernel(*tableSet, work);
    std::int32_t packed[kTransformBins];
    if (dB) {
        DecibelBins(work, window.correction, scale, packed);
    } else {
        LinearBins(work, window.correction, packed);
    }
    out[0] = 0; // the DC bin is suppressed
    for (int k = 1; k < kTransformBins; ++k) {
        out[k] = static_cast<std::int16_t>(packed[tableSet->binIndex[k]]);
    }
    return kTransformBins;
}

} // namespace

int SpectrumWith(TransformKernel kernel, std::span<const std::uint8_t> samples,
                 std::span<std::int16_t> out, int count, float offset, float scale,
                 int windowType, bool dB) {
    return Spectrum(kernel, samples, out, count, offset, scale, windowType, dB);
}

} // namespace numerix::detail

void FFT_Init() {
    using namespace numerix::detail;
    auto built = std::make_shared<FftTables>();
    BuildTwiddles(*built);
    BuildStageTwiddles(*built);
    BuildBinIndex(*built);
    const std::lock_guard lock(tablesMutex);
    currentTables = std::move(built);
}

void FFT_Destory() {
    using namespace numerix::detail;
    const std::lock_guard lock(tablesMutex);
    currentTables.reset();
}

int Math_FFT(std::span<const std::uint8_t> samples, std::span<std::int16_t> out, int count,
             float offset, float scale, int windowType, bool dB) {
    using namespace numerix::detail;
    static const TransformKernel kernel = BestTransformKernel();
    return Spectrum(kernel, samples, out, count, offset, scale, windowType, dB);
}

int Math_FFT(std::span<const std::uint16_t> samples, std::span<std::int16_t> out, int count,
             float offset, float scale, int windowType, bool dB) {
    using namespace numerix::detail;
    static const TransformKernel kernel = BestTransformKernel();
    return Spectrum(kernel, samples, out, count, offset, scale, windowType, dB);
}
