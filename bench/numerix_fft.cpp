// The 2048-point spectrum against FFTW's single-precision 2048-point complex transform
// (planned with FFTW_MEASURE), the reference the spectrum must stay within 3x of.
#include "numerix.h"
#include "tracekit_ratios.h"

#include <cmath>
#include <cstdint>
#include <numbers>
#include <vector>

#ifdef OXBOW_HAVE_FFTW
#include <fftw3.h>
#endif

namespace {

std::vector<std::uint8_t> TestSignal() {
    std::vector<std::uint8_t> samples(numerix::kFftSize);
    for (int i = 0; i < numerix::kFftSize; ++i) {
        const double phase = 2 * std::numbers::pi * 37.3 * i / numerix::kFftSize;
        samples[i] = static_cast<std::uint8_t>(125 + 90 * std::sin(phase) + (i * 7919 % 11) - 5);
    }
    return samples;
}

void RunSpectrum(benchmark::State& state, bool dB) {
    FFT_Init();
    const auto samples = TestSignal();
    std::vector<std::int16_t> bins(numerix::kFftBins);
    for (auto _ : state) {
        benchmark::DoNotOptimize(
            Math_FFT(samples, bins, numerix::kFftSize, 0.0f, 1.0f, numerix::kHanning, dB));
        benchmark::ClobberMemory();
    }
    FFT_Destory();
}

void BM_MathFftVrms(benchmark::State& state) {
    RunSpectrum(state, false);
}

void BM_MathFftDBVrms(benchmark::State& state) {
    RunSpectrum(state, true);
}

BENCHMARK(BM_MathFftVrms)->Repetitions(9)->ReportAggregatesOnly(true);
BENCHMARK(BM_MathFftDBVrms)->Repetitions(9)->ReportAggregatesOnly(true);

#ifdef OXBOW_HAVE_FFTW
void BM_Fftw2048(benchmark::State& state) {
    const int n = numerix::kFftSize;
    fftwf_complex* in = fftwf_alloc_complex(n);
    fftwf_complex* out = fftwf_alloc_complex(n);
    const fftwf_plan plan = fftwf_plan_dft_1d(n, in, out, FFTW_FORWARD, FFTW_MEASURE);
    const auto samples = TestSignal();
    for (int i = 0; i < n; ++i) {
        in[i][0] = static_cast<float>(125 - samples[i]);
        in[i][1] = 0.0f;
    }
    for (auto _ : state) {
        fftwf_execute(plan);
        benchmark::DoNotOptimize(out);
        benchmark::ClobberMemory();
    }
    fftwf_destroy_plan(plan);
    fftwf_free(out);
    fftwf_free(in);
}
BENCHMARK(BM_Fftw2048)->Repetitions(9)->ReportAggregatesOnly(true);
#endif

} // namespace

int main(int argc, char** argv) {
    return oxbow::bench::RunWithRatios(
        argc, argv,
        {{"BM_MathFftVrms", "BM_Fftw2048", 3.0}, {"BM_MathFftDBVrms", "BM_Fftw2048", 3.0}});
}
