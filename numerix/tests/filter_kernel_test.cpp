#include "filter_kernel.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

namespace {

using numerix::detail::FilterKernel;
using numerix::detail::FilterLimits;
using numerix::detail::kKernelTaps;

std::vector<std::int16_t> Reference(const std::vector<float>& taps,
                                    const std::vector<double>& trace, int outputs,
                                    const FilterLimits& limits) {
    std::vector<std::int16_t> out(outputs);
    for (int m = 0; m < outputs; ++m) {
        double sum = 0;
        for (int k = 0; k < kKernelTaps; ++k) {
            sum += taps[k] * trace[m + kKernelTaps - 1 - k];
        }
        out[m] =
            static_cast<std::int16_t>(std::clamp(limits.centre - sum, limits.lower, limits.upper));
    }
    return out;
}

TEST(FilterKernels, EveryWidthSumsLikeTheDefinition) {
    std::vector<FilterKernel> kernels{numerix::detail::FilterBaseline};
    if (__builtin_cpu_supports("avx")) {
        kernels.push_back(numerix::detail::FilterWide);
    }
    std::mt19937 random(11);
    std::uniform_real_distribution<float> tap(-0.3f, 0.6f);
    std::uniform_int_distribution<int> row(-300, 300);
    std::vector<float> taps(kKernelTaps);
    for (auto& t : taps) {
        t = tap(random);
    }
    const FilterLimits limits{250, 0, 509};
    for (int outputs : {1, 7, 16, 33, 250}) {
        std::vector<double> trace(outputs + kKernelTaps - 1 + numerix::detail::kKernelBlock);
        for (auto& v : trace) {
            v = row(random);
        }
        const auto expected = Reference(taps, trace, outputs, limits);
        for (auto kernel : kernels) {
            std::vector<std::int16_t> out(outputs + 8, -7);
            kernel(taps.data(), trace.data(), outputs, limits, out.data());
            EXPECT_TRUE(std::equal(expected.begin(), expected.end(), out.begin())) << outputs;
            EXPECT_TRUE(std::all_of(out.begin() + outputs, out.end(),
                                    [](std::int16_t v) { return v == -7; }))
                << "wrote past " << outputs;
        }
    }
}

} // namespace
