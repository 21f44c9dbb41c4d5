// The spectrum's transform: the tables built by FFT_Init and the vector kernels that run the
// decimation-in-frequency stages on a split (real, imaginary) work array.
#pragma once

#include <array>
#include <complex>

namespace numerix::detail {

inline constexpr int kTransformSize = 2048;
inline constexpr int kTransformBins = kTransformSize / 2;
inline constexpr int kTwiddles = kTransformSize / 2 - 1;

struct FftTables {
    // w[k] = exp(-j 2 pi (k + 1) / N), each the previous one times w[0] in single precision.
    std::array<std::complex<float>, kTwiddles> twiddle;
    // The twiddles of the stage with half-span n, pair j = 0 .. n - 1 (pair 0 is 1), at
    // StageOffset(n); split into real and imaginary parts so the stages read them in order.
    alignas(32) std::array<float, kTransformSize> stageRe;
    alignas(32) std::array<float, kTransformSize> stageIm;
    // The Hanning, Hamming and Blackman coefficients over N points (denominator N - 1).
    alignas(32) std::array<std::array<double, kTransformSize>, 3> windows;

    // The coefficients of a window type (kHanning .. kBlackman); null for the rectangle.
    const double* Window(int windowType) const {
        return windowType >= 1 && windowType <= 3 ? windows[windowType - 1].data() : nullptr;
    }
};

constexpr int StageOffset(int halfSpan) {
    return kTransformSize - 2 * halfSpan;
}

// The transform's input (real parts; imaginary parts are zero), its working storage, and
// bins 0 .. N/2 - 1 in natural order.
struct FftWork {
    alignas(32) float re[kTransformSize];
    alignas(32) float im[kTransformSize];
    alignas(32) float binRe[kTransformBins];
    alignas(32) float binIm[kTransformBins];
};

// Multiplies `work.re` (whole numbers, exact in single precision) by `window` (none when
// null) in double precision, runs every stage and leaves the bins in `work.binRe`, `work.binIm`.
using TransformKernel = void (*)(const FftTables& tables, const double* window, FftWork& work);

void TransformBaseline(const FftTables& tables, const double* window, FftWork& work);
void TransformWide(const FftTables& tables, const double* window, FftWork& work);

// The fastest kernel this processor runs; every kernel gives the same numbers.
TransformKernel BestTransformKernel();

} // namespace numerix::detail
