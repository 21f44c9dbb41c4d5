// 51-tap windowed-sinc FIR filters: design into slots, and filtering of trace rows reflected
// about the trace's centre.
#include "numerix.h"

#include <emmintrin.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <limits>
#include <mutex>
#include <numbers>

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

// The reflected trace, `centre - x[i]`, for i from -H (wrapping to the end of the first
// `count` values) to count + taps - 2; zero beyond, where only unused outputs read.
class ReflectedTrace {
public:
    ReflectedTrace(std::span<const std::int32_t> input, int count, int centre)
        : input_(input), count_(count), centre_(centre) {}

    double At(int i) const {
        if (i < 0) {
            i += count_;
        } else if (i >= count_ + kFilterTaps - 1) {
            return 0.0;
        }
        return static_cast<double>(static_cast<std::int64_t>(centre_) - input_[i]);
    }

private:
    std::span<const std::int32_t> input_;
    int count_;
    int centre_;
};

constexpr int kBlock = 8;   // outputs per inner loop
constexpr int kChunk = 256; // outputs per pass over the reflected copy

// sum[m] = sum over k of h[k] x trace[m + 2H - k] for kBlock outputs, each in the order
// k = 0 .. 50 (two outputs per vector).
void BlockSums(const Taps& h, const double* trace, double* sum) {
    __m128d acc[kBlock / 2];
    for (auto& a : acc) {
        a = _mm_setzero_pd();
    }
    for (int k = 0; k < kFilterTaps; ++k) {
        const __m128d tap = _mm_set1_pd(h[k]);
        const double* at = trace + 2 * kFilterHalf - k;
        for (int v = 0; v < kBlock / 2; ++v) {
            acc[v] = _mm_add_pd(acc[v], _mm_mul_pd(tap, _mm_loadu_pd(at + 2 * v)));
        }
    }
    for (int v = 0; v < kBlock / 2; ++v) {
        _mm_storeu_pd(sum + 2 * v, acc[v]);
    }
}

struct Limits {
    double lower;
    double upper; // inclusive: the caller's upper limit - 1
};

std::int16_t Limited(double centre, double sum, const Limits& limits) {
    return static_cast<std::int16_t>(std::clamp(centre - sum, limits.lower, limits.upper));
}

void Apply(const Taps& h, const ReflectedTrace& trace, int centre, const Limits& limits,
           std::span<std::int16_t> output) {
    const int outputs = static_cast<int>(output.size());
    double reflected[kChunk + kFilterTaps - 1 + kBlock];
    for (int first = 0; first < outputs; first += kChunk) {
        const int n = std::min(kChunk, outputs - first);
        const int padded = (n + kBlock - 1) / kBlock * kBlock;
        for (int t = 0; t < padded + kFilterTaps - 1; ++t) {
            reflected[t] = trace.At(first - kFilterHalf + t);
        }
        for (int m = 0; m < padded; m += kBlock) {
            double sum[kBlock];
            BlockSums(h, reflected + m, sum);
            for (int v = 0; v < kBlock && m + v < n; ++v) {
                output[first + m + v] = Limited(centre, sum[v], limits);
            }
        }
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
        input.size() < static_cast<std::size_t>(count) + filter.taps - 1 ||
        output.size() < static_cast<std::size_t>(count) + kFilterHalf || lowerLimit >= upperLimit ||
        lowerLimit < kMin16 || upperLimit - 1 > kMax16) {
        return -1;
    }
    Apply(filter.h, ReflectedTrace(input, count, centre),
          centre, {static_cast<double>(lowerLimit), static_cast<double>(upperLimit) - 1},
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
