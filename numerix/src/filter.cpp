// 51-tap windowed-sinc FIR filters: design into slots, and filtering of trace rows reflected
// about the trace's centre.
#include "filter_kernel.h"
#include "numerix.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <limits>
#include <mutex>
#include <numbers>
#include <span>

namespace {

using numerix::kFilterHalf;
using numerix::kFilterSlots;
using numerix::kFilterTaps;

using Taps = std::array<float, kFilterTaps>;

struct FilterSlot {
    int taps = 0; // kFilterTaps, or 0 when empty
    Taps h{};
};

std::mutex slotsMutex;
std::array<FilterSlot, kFilterSlots> slots;

bool IsSlot(int slot) {
    return slot >= 0 && slot < kFilterSlots;
}

bool IsFrequency(float frequency) {
    return frequency >= 0.0f && frequency <= 1.0f; // also refuses NaN
}

// Low- and high-pass cut-offs get a 0.01 margin, kept below Nyquist.
double CutOff(double frequency) {
    const double g = frequency + 0.01;
    return g > 0.5 ? 0.499 : g;
}

// The frequencies a filter type is designed from. Low-pass: cut-off b; high-pass: cut-off a;
// band-pass: a lower and b upper edge; band-stop: a upper and b lower edge.
struct Edges {
    double a;
    double b;
};

Edges EdgesOf(int type, float frequencyA, float frequencyB) {
    switch (type) {
    case numerix::kLowPass:
        return {frequencyA, CutOff(frequencyB)};
    case numerix::kHighPass:
        return {CutOff(frequencyA), frequencyB};
    default:
        return {frequencyA, frequencyB};
    }
}

double CentreTap(int type, Edges f) {
    switch (type) {
    case numerix::kLowPass:
        return 2 * f.b;
    case numerix::kHighPass:
        return 1 - 2 * f.a;
    case numerix::kBandPass:
        return 2 * (f.b - f.a);
    default:
        return 1 - 2 * (f.a - f.b);
    }
}

// The tap at distance i (1 .. 25) from the centre, before the window.
double TapAt(int type, Edges f, int i) {
    constexpr double pi = std::numbers::pi;
    const double pi_i = pi * i;
    switch (type) {
    case numerix::kLowPass:
        return std::sin(2 * pi * f.b * i) / pi_i;
    case numerix::kHighPass:
        return -std::sin(2 * pi * f.a * i) / pi_i;
    case numerix::kBandPass:
        return 2 * std::cos(pi * (f.a + f.b) * i) * std::sin(pi * (f.b - f.a) * i) / pi_i;
    default:
        return -2 * std::sin(pi * (f.a - f.b) * i) * std::cos(pi * (f.a + f.b) * i) / pi_i;
    }
}

Taps Design(int type, float frequencyA, float frequencyB) {
    const Edges edges = EdgesOf(type, frequencyA, frequencyB);
    Taps h{};
    h[kFilterHalf] = static_cast<float>(CentreTap(type, edges));
    for (int i = 1; i <= kFilterHalf; ++i) {
        const auto tap = static_cast<float>(TapAt(type, edges, i));
        h[kFilterHalf + i] = tap;
        h[kFilterHalf - i] = tap;
    }
    for (int j = 0; j < kFilterTaps; ++j) { // Hamming window, 2 pi j / 50
        h[j] = static_cast<float>(h[j] * (0.54 - 0.46 * std::cos(j * 0.12566371)));
    }
    return h;
}

constexpr int kChunk = 256; // outputs per pass over the reflected copy
static_assert(kChunk % numerix::detail::kKernelBlock == 0);
static_assert(numerix::detail::kKernelTaps == kFilterTaps);

// to[t] = centre - x[from + t] for t = 0 .. n - 1: the trace reflected about its centre.
// Positions below 0 wrap to the end of the first `count` values; positions past the
// count + 50 values the caller provides read as 0 (they only feed outputs never written).
void FillReflected(std::span<const std::int32_t> input, int count, double centre, int from, int n,
                   double* to) {
    const int provided = count + kFilterTaps - 1;
    int t = 0;
    for (; t < n && from + t < 0; ++t) {
        to[t] = centre - input[count + from + t];
    }
    for (const int end = std::min(n, provided - from); t < end; ++t) {
        to[t] = centre - input[from + t];
    }
    for (; t < n; ++t) {
        to[t] = 0.0;
    }
}

void Apply(const Taps& h, std::span<const std::int32_t> input, int count,
           const numerix::detail::FilterLimits& limits, std::span<std::int16_t> output) {
    using numerix::detail::kKernelBlock;
    static const numerix::detail::FilterKernel kernel = numerix::detail::BestFilterKernel();
    const int outputs = static_cast<int>(output.size());
    double reflected[kChunk + kFilterTaps - 1];
    for (int first = 0; first < outputs; first += kChunk) {
        const int n = std::min(kChunk, outputs - first);
        const int padded = (n + kKernelBlock - 1) / kKernelBlock * kKernelBlock;
        FillReflected(input, count, limits.centre, first - kFilterHalf, padded + kFilterTaps - 1,
                      reflected);
        kernel(h.data(), reflected, n, limits, output.data() + first);
    }
}

} // namespace

int Math_Filter_Init(int type, float frequencyA, float frequencyB, int slot) {
    if (!IsSlot(slot)) {
        return -1;
    }
    const bool valid = type >= numerix::kLowPass && type <= numerix::kBandStop &&
                       IsFrequency(frequencyA) && IsFrequency(frequencyB);
    const Taps h = valid ? Design(type, frequencyA, frequencyB) : Taps{};
    const std::lock_guard lock(slotsMutex);
    slots[slot] = {valid ? kFilterTaps : 0, h};
    return valid ? kFilterTaps : -1;
}

int Math_Filter(std::span<const std::int32_t> input, std::span<std::int16_t> output, int count,
                int centre, int lowerLimit, int upperLimit, int slot) {
    if (!IsSlot(slot)) {
        return -1;
    }
    FilterSlot filter;
    {
        const std::lock_guard lock(slotsMutex);
        filter = slots[slot];
    }
    constexpr int kMin16 = std::numeric_limits<std::int16_t>::min();
    constexpr int kMax16 = std::numeric_limits<std::int16_t>::max();
    if (filter.taps < 3 || count < filter.taps ||
        count > std::numeric_limits<int>::max() - kFilterTaps ||
        input.size() < static_cast<std::size_t>(count) + filter.taps - 1 ||
        output.size() < static_cast<std::size_t>(count) + kFilterHalf || lowerLimit >= upperLimit ||
        lowerLimit < kMin16 || upperLimit - 1 > kMax16) {
        return -1;
    }
    const numerix::detail::FilterLimits limits{static_cast<double>(centre),
                                               static_cast<double>(lowerLimit),
                                               static_cast<double>(upperLimit) - 1};
    Apply(filter.h, input, count, limits,
          output.first(static_cast<std::size_t>(count) + kFilterHalf));
    return count;
}

void Math_Filter_Destroy(int slot) {
    if (!IsSlot(slot)) {
        return;
    }
    const std::lock_guard lock(slotsMutex);
    slots[slot] = {};
}
