// The windowed 2048-point spectrum: window, radix-2 decimation-in-frequency transform with a
// twiddle table built by repeated single-precision multiplication, and Vrms or dBVrms bins.
#include "fft.h"

#include "counts.h"
#include "numerix.h"

#include <immintrin.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>
#include <mutex>
#include <new>
#include <numbers>
#include <optional>

namespace numerix::detail {
namespace {

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

// The window formulas at point i of N, and the factor that restores a sine's level after it.
double WindowCoefficient(int windowType, int i) {
    const double x = 2.0 * std::numbers::pi * i / (kTransformSize - 1);
    switch (windowType) {
    case kHanning:
        return 0.5 - 0.5 * std::cos(x);
    case kHamming:
        return 0.54 - 0.46 * std::cos(x);
    default:
        return 0.42 - 0.5 * std::cos(x) + 0.08 * std::cos(2.0 * x);
    }
}

double WindowCorrection(int windowType) {
    switch (windowType) {
    case kHanning:
        return 2.0;
    case kHamming:
        return 1.852;
    case kBlackman:
        return 2.381;
    default:
        return 1.0;
    }
}

void BuildWindows(FftTables& t) {
    for (int type = kHanning; type <= kBlackman; ++type) {
        auto& window = t.windows[type - 1];
        for (int i = 0; i < kTransformSize; ++i) {
            window[i] = WindowCoefficient(type, i);
        }
    }
}

// x[i] = 125 - sample[i] - offset counts (the window is applied by the transform kernel).
template <class Sample>
void LoadSamples(std::span<const Sample> samples, int offsetCounts, FftWork& work) {
    const int base = kRawCentre - offsetCounts;
    for (int i = 0; i < kTransformSize; ++i) {
        work.re[i] = static_cast<float>(base - samples[i]);
    }
}

// The bin levels as defined, in double precision:
//   Vrms in counts: trunc(c x sqrt(2 |X|^2)) >> 11
//   dBVrms: trunc(10 log10(2 c^2 (scale / 51200)^2 |X|^2)), 51200 being 25 counts per
//   division times the transform's 2048, so that a sine reads the same level in both units.
// Each is limited to the 16-bit range (silence in dB is the lowest value).
struct LevelScale {
    bool dB;
    double correction;   // the window's amplitude correction c
    double factor;       // 2 c^2 (scale / 51200)^2
    float linearGain;    // c / 2048, for the estimate
    float decibelOffset; // 10 log10(factor), for the estimate
};

LevelScale LevelScaleOf(bool dB, double correction, float scale) {
    const double volts = static_cast<double>(scale) / (kCountsPerDivision * kTransformSize);
    const double factor = 2.0 * correction * correction * (volts * volts);
    return {dB, correction, factor, static_cast<float>(correction / kTransformSize),
            static_cast<float>(10.0 * std::log10(factor))};
}

std::int16_t Saturated(double level) {
    return static_cast<std::int16_t>(std::clamp<double>(
        level, std::numeric_limits<std::int16_t>::min(), std::numeric_limits<std::int16_t>::max()));
}

std::int16_t ExactLevel(const LevelScale& scale, float re, float im) {
    const double power = static_cast<double>(re) * re + static_cast<double>(im) * im;
    if (scale.dB) {
        return Saturated(10.0 * std::log10(scale.factor * power));
    }
    // trunc(y) >> 11 is trunc(y / 2048) for y >= 0, and dividing by 2048 is exact.
    return Saturated(scale.correction * std::sqrt(2.0 * power) / kTransformSize);
}

// The levels are first estimated in single precision, four at a time, to within a few
// parts in 10^7 (linear) or 10^-4 dB; an estimate that close to a non-zero integer, where
// truncation could go either way, is replaced by the exact level. So the result is always
// the exact level.
__m128 Log2Estimate(__m128 x) {
    const __m128i bits = _mm_castps_si128(x);
    const __m128 exponent =
        _mm_cvtepi32_ps(_mm_sub_epi32(_mm_srli_epi32(bits, 23), _mm_set1_epi32(127)));
    const __m128 mantissa = _mm_castsi128_ps(
        _mm_or_si128(_mm_and_si128(bits, _mm_set1_epi32(0x007FFFFF)), _mm_set1_epi32(0x3F800000)));
    // log2(m) on 1 <= m < 2 by the polynomial in u = m - 1.5 that interpolates it at six
    // Chebyshev nodes: off by less than 1.7e-5, that is 5e-5 dB.
    const __m128 u = _mm_sub_ps(mantissa, _mm_set1_ps(1.5f));
    const auto step = [u](__m128 sum, float coefficient) {
        return _mm_add_ps(_mm_mul_ps(sum, u), _mm_set1_ps(coefficient));
    };
    const __m128 highest = _mm_set1_ps(0.043004958f);
    const __m128 log2m =
        step(step(step(step(step(highest, -0.07997621f), 0.14200548f), -0.31975771f), 0.96180343f),
             0.58495076f);
    return _mm_add_ps(exponent, log2m);
}

// Estimates four levels at a time and tells which of them may truncate differently from the
// exact level: those within the estimate's error of a non-zero integer (truncation is
// continuous across zero), and in dB those whose single-precision power is too small to trust.
template <bool kDecibels> class LevelEstimator {
public:
    explicit LevelEstimator(const LevelScale& scale)
        : gain_(_mm_set1_ps(kDecibels ? scale.decibelOffset : scale.linearGain)) {}

    __m128 Level(__m128 power) const {
        if constexpr (kDecibels) {
            constexpr float kDecibelsPerOctave =
                10.0f * std::numbers::log10e_v<float> * std::numbers::ln2_v<float>;
            return _mm_add_ps(gain_,
                              _mm_mul_ps(_mm_set1_ps(kDecibelsPerOctave), Log2Estimate(power)));
        } else {
            return _mm_mul_ps(_mm_sqrt_ps(_mm_add_ps(power, power)), gain_);
        }
    }

    int Doubtful(__m128 power, __m128 level) const {
        const __m128 absMask = _mm_castsi128_ps(_mm_set1_epi32(0x7FFFFFFF));
        const __m128 nearest = _mm_round_ps(level, _MM_FROUND_TO_NEAREST_INT | _MM_FROUND_NO_EXC);
        const __m128 distance = _mm_and_ps(_mm_sub_ps(level, nearest), absMask);
        __m128 margin = _mm_set1_ps(kDecibels ? 0x1p-9f : 0x1p-19f);
        if constexpr (!kDecibels) { // the linear estimate's error grows with the level
            margin = _mm_add_ps(margin, _mm_mul_ps(level, _mm_set1_ps(0x1p-19f)));
        }
        __m128 doubtful =
            _mm_andnot_ps(_mm_cmpeq_ps(nearest, _mm_setzero_ps()), _mm_cmplt_ps(distance, margin));
        if constexpr (kDecibels) {
            doubtful = _mm_or_ps(doubtful, _mm_cmplt_ps(power, _mm_set1_ps(0x1p-100f)));
        }
        return _mm_movemask_ps(doubtful);
    }

private:
    __m128 gain_;
};

// Truncated and limited levels of bins k .. k + 3 into out[k ..]; the lanes that may
// truncate differently from the exact level come back as a bit mask.
template <bool kDecibels>
[[gnu::always_inline]] inline int WriteEstimates(const FftWork& work,
                                                 const LevelEstimator<kDecibels>& estimator, int k,
                                                 std::int16_t* out) {
    const __m128 lowest = _mm_set1_ps(std::numeric_limits<std::int16_t>::min());
    const __m128 highest = _mm_set1_ps(std::numeric_limits<std::int16_t>::max());
    const __m128 re = _mm_load_ps(work.binRe + k);
    const __m128 im = _mm_load_ps(work.binIm + k);
    const __m128 power = _mm_add_ps(_mm_mul_ps(re, re), _mm_mul_ps(im, im));
    const __m128 level = estimator.Level(power);
    const __m128i levels = _mm_cvttps_epi32(_mm_min_ps(_mm_max_ps(level, lowest), highest));
    _mm_storel_epi64(reinterpret_cast<__m128i*>(out + k), _mm_packs_epi32(levels, levels));
    return estimator.Doubtful(power, level);
}

template <bool kDecibels>
void WriteLevels(const FftWork& work, const LevelScale& scale, std::int16_t* out) {
    const LevelEstimator<kDecibels> estimator(scale);
    for (int k = 0; k < kTransformBins; k += 8) { // two independent groups per step
        const int doubtful = WriteEstimates(work, estimator, k, out) |
                             WriteEstimates(work, estimator, k + 4, out) << 4;
        if (doubtful != 0) {
            for (int lane = 0; lane < 8; ++lane) {
                if (doubtful & (1 << lane)) {
                    out[k + lane] = ExactLevel(scale, work.binRe[k + lane], work.binIm[k + lane]);
                }
            }
        }
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
    FftWork work;
    LoadSamples(samples, *offsetCounts, work);
    kernel(*tableSet, tableSet->Window(windowType), work);
    const LevelScale levels = LevelScaleOf(dB, WindowCorrection(windowType), scale);
    if (dB) {
        WriteLevels<true>(work, levels, out.data());
    } else {
        WriteLevels<false>(work, levels, out.data());
    }
    out[0] = 0; // the DC bin is suppressed
    return kTransformBins;
}

TransformKernel ChosenKernel() {
    static const TransformKernel kernel = BestTransformKernel();
    return kernel;
}

} // namespace

int SpectrumWith(TransformKernel kernel, std::span<const std::uint8_t> samples,
                 std::span<std::int16_t> out, int count, float offset, float scale, int windowType,
                 bool dB) {
    return Spectrum(kernel, samples, out, count, offset, scale, windowType, dB);
}

std::shared_ptr<const FftTables> BuildTables() {
    std::shared_ptr<FftTables> built;
    try {
        built = std::make_shared<FftTables>();
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
    BuildTwiddles(*built);
    BuildStageTwiddles(*built);
    BuildWindows(*built);
    return built;
}

} // namespace numerix::detail

void FFT_Init() {
    using namespace numerix::detail;
    // Without tables Math_FFT refuses until an FFT_Init succeeds.
    std::shared_ptr<const FftTables> built = BuildTables();
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
    return Spectrum(ChosenKernel(), samples, out, count, offset, scale, windowType, dB);
}

int Math_FFT(std::span<const std::uint16_t> samples, std::span<std::int16_t> out, int count,
             float offset, float scale, int windowType, bool dB) {
    using namespace numerix::detail;
    return Spectrum(ChosenKernel(), samples, out, count, offset, scale, windowType, dB);
}
