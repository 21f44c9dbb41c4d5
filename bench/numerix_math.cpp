// Math_Filter over 1,450 values (a screen of 1,400 plus margins) and the channel arithmetic
// over a 2048-sample frame, against the frame floor.
#include "frame_floor.h"
#include "numerix.h"
#include "tracekit_ratios.h"

#include <cmath>
#include <cstdint>
#include <vector>

namespace {

constexpr int kFilterCount = 1450;
constexpr int kFrame = 2048;

void BM_MathFilter(benchmark::State& state) {
    Math_Filter_Init(numerix::kLowPass, 0.0f, 0.1f, 0);
    std::vector<std::int32_t> rows(kFilterCount + numerix::kFilterTaps - 1);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        rows[i] = static_cast<std::int32_t>(250 + 120 * std::sin(0.05 * static_cast<double>(i)) +
                                            (i * 31 % 9));
    }
    std::vector<std::int16_t> out(kFilterCount + numerix::kFilterHalf);
    for (auto _ : state) {
        benchmark::DoNotOptimize(Math_Filter(rows, out, kFilterCount, 250, 0, 510, 0));
        benchmark::ClobberMemory();
    }
    Math_Filter_Destroy(0);
}

void BM_MathAMulB(benchmark::State& state) {
    std::vector<std::uint8_t> a(kFrame);
    std::vector<std::uint8_t> b(kFrame);
    for (int i = 0; i < kFrame; ++i) {
        a[i] = static_cast<std::uint8_t>(i * 13);
        b[i] = static_cast<std::uint8_t>(i * 7 + 3);
    }
    std::vector<std::uint8_t> result(kFrame);
    for (auto _ : state) {
        Math_A_Mul_B(a, b, result, kFrame, false, 0.5f, 0.1f, 2.0f, -0.3f, 1.0f, 0.0f);
        benchmark::DoNotOptimize(result.data());
        benchmark::ClobberMemory();
    }
}

BENCHMARK(oxbow::bench::BM_FrameFloor)->Repetitions(9)->ReportAggregatesOnly(true);
BENCHMARK(BM_MathFilter)->Repetitions(9)->ReportAggregatesOnly(true);
BENCHMARK(BM_MathAMulB)->Repetitions(9)->ReportAggregatesOnly(true);

} // namespace

int main(int argc, char** argv) {
    return oxbow::bench::RunWithRatios(argc, argv,
                                       {{"BM_MathFilter", "oxbow::bench::BM_FrameFloor", 0.15},
                                        {"BM_MathAMulB", "oxbow::bench::BM_FrameFloor", 0}});
}
