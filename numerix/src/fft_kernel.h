// The spectrum's transform: the tables built by FFT_Init and the vector kernels that run the
// decimation-in-frequency stages on a split (real, imaginary) work array.
#pragma once

#include <array>
#include <complex>
#include <cstdint>

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
    // Where bin k (0 .. N/2 - 1) sits in the work array after the last stage.
    std::array<std::uint16_t, kTransformBins> binIndex;
};

constexpr int StageOffset(int halfSpan) {
    return kTransformSize - 2 * halfSpan;
}

// The transform's input (real parts; imaginary parts are zero) and its working storage.
struct FftWork {
    alignas(32) float re[kTransformSize];
    alignas(32) float im[kTransformSize];
};

// Runs every stage on `work.re`; afterwards bin k is (work.re, work.im)[tables.binIndex[k]].
using TransformKernel = void (*)(const FftTables& tables, FftWork& work);

void TransformBaseline(const FftTables& tables, FftWork& work);
void TransformWide(const FftTables& tables, FftWork& work);

// The fastest kernel this processor runs; every kernel gives the same numbers.
TransformKernel BestTransformKernel();

// Stages of half-span 4, 2 and 1 (shared by every kernel), leaving the even positions
// (the only ones that hold bins 0 .. N/2 - 1) packed at the start of the arrays.
void FinalStages(const FftTables& tables, FftWork& work);

} // namespace numerix::detail
