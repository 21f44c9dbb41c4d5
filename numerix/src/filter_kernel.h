// The filter's inner loop, built for more than one vector width like the spectrum's transform.
#pragma once

#include <cstdint>

namespace numerix::detail {

inline constexpr int kKernelTaps = 51;
inline constexpr int kKernelBlock = 16; // outputs per step; the trace is read up to a block past

struct FilterLimits {
    double centre;
    double lower; // lowest output
    double upper; // highest output
};

// out[m] = centre - sum over k = 0 .. 50 of taps[k] x trace[m + 50 - k], summed in double in
// that order, limited to lower .. upper and truncated, for m = 0 .. outputs - 1. `trace` holds
// outputs + 50 values rounded up to a whole block (the padding is read, never written out).
using FilterKernel = void (*)(const float* taps, const double* trace, int outputs,
                              const FilterLimits& limits, std::int16_t* out);

void FilterBaseline(const float* taps, const double* trace, int outputs, const FilterLimits& limits,
                    std::int16_t* out);
void FilterWide(const float* taps, const double* trace, int outputs, const FilterLimits& limits,
                std::int16_t* out);

// The fastest kernel this processor runs; every kernel gives the same numbers.
FilterKernel BestFilterKernel();

} // namespace numerix::detail
