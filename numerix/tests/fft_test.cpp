#include "fft.h"
#include "numerix.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <cstdint>
#include <numbers>
#include <random>
#include <utility>
#include <vector>

namespace {

using numerix::kFftBins;
using numerix::kFftSize;
using Bins = std::vector<std::int16_t>;
using Samples = std::vector<std::uint8_t>;

constexpr double kPi = std::numbers::pi;

double WindowCoefficient(int type, int i) {
    const double x = 2 * kPi * i / 2047;
    switch (type) {
    case numerix::kHanning:
        return 0.5 - 0.5 * std::cos(x);
    case numerix::kHamming:
        return 0.54 - 0.46 * std::cos(x);
    case numerix::kBlackman:
        return 0.42 - 0.5 * std::cos(x) + 0.08 * std::cos(4 * kPi * i / 2047);
    default:
        return 1.0;
    }
}

double Correction(int type) {
    constexpr double kCorrections[] = {1.0, 2.0, 1.852, 2.381};
    return type >= 0 && type <= 3 ? kCorrections[type] : 1.0;
}

std::int16_t Saturated(double value) {
    return static_cast<std::int16_t>(std::clamp(value, -32768.0, 32767.0));
}

std::int16_t LinearBin(double correction, double power) {
    const auto level = static_cast<std::int64_t>(correction * std::sqrt(2 * power));
    return Saturated(static_cast<double>(level >> 11));
}

std::int16_t DecibelBin(double correction, float scale, double power) {
    const double volts = scale / 51200.0;
    return Saturated(10 * std::log10(2 * correction * correction * (volts * volts) * power));
}

// The transform exactly as designed: one complex array, radix-2 decimation in frequency with
// twiddles from repeated single-precision multiplication, bit-reversal swaps at the end.
struct Cf {
    float re;
    float im;
};

Cf Times(Cf a, Cf b) {
    return {a.re * b.re - a.im * b.im, a.re * b.im + a.im * b.re};
}

Bins ReferenceSpectrum(const Samples& samples, float offset, float scale, int window, bool dB) {
    std::vector<Cf> w(1023);
    w[0] = {static_cast<float>(std::cos(2 * kPi / 2048)),
            static_cast<float>(-std::sin(2 * kPi / 2048))};
    for (int k = 1; k < 1023; ++k) {
        w[k] = Times(w[k - 1], w[0]);
    }
    const int offsetCounts = static_cast<int>(offset * 25 / scale);
    std::vector<Cf> x(kFftSize);
    for (int i = 0; i < kFftSize; ++i) {
        const int value = 125 - samples[i] - offsetCounts;
        x[i] = {window >= 1 && window <= 3
                    ? static_cast<float>(value * WindowCoefficient(window, i))
                    : static_cast<float>(value),
                0.0f};
    }
    for (int n = kFftSize / 2, d = 1; n >= 1; n /= 2, d *= 2) {
        for (int group = 0; group < kFftSize; group += 2 * n) {
            for (int j = 0; j < n; ++j) {
                const Cf s = x[group + j];
                const Cf r = x[group + j + n];
                x[group + j] = {s.re + r.re, s.im + r.im};
                const Cf difference{s.re - r.re, s.im - r.im};
                x[group + j + n] = j == 0 ? difference : Times(difference, w[j * d - 1]);
            }
        }
    }
    for (int i = 0, j = 0; i < kFftSize; ++i) {
        if (i < j) {
            std::swap(x[i], x[j]);
        }
        int bit = kFftSize / 2;
        for (; j & bit; bit >>= 1) {
            j ^= bit;
        }
        j |= bit;
    }
    Bins out(kFftBins);
    for (int k = 1; k < kFftBins; ++k) {
        const double power =
            static_cast<double>(x[k].re) * x[k].re + static_cast<double>(x[k].im) * x[k].im;
        out[k] = dB ? DecibelBin(Correction(window), scale, power)
                    : LinearBin(Correction(window), power);
    }
    return out;
}

// Bins from a double-precision DFT of the same windowed samples.
Bins ExactSpectrum(const Samples& samples, int window, bool dB, float scale) {
    Bins out(kFftBins);
    for (int k = 1; k < kFftBins; ++k) {
        std::complex<double> sum;
        for (int i = 0; i < kFftSize; ++i) {
            const double x = (125 - samples[i]) * WindowCoefficient(window, i);
            sum += x * std::polar(1.0, -2 * kPi * k * i / kFftSize);
        }
        const double power = std::norm(sum);
        out[k] = dB ? DecibelBin(Correction(window), scale, power)
                    : LinearBin(Correction(window), power);
    }
    return out;
}

Samples Sine(double amplitude, double cycles, double phase = 0.3) {
    Samples s(kFftSize);
    for (int i = 0; i < kFftSize; ++i) {
        s[i] = static_cast<std::uint8_t>(
            std::lround(125 - amplitude * std::sin(2 * kPi * cycles * i / kFftSize + phase)));
    }
    return s;
}

Samples Noise(unsigned seed) {
    std::mt19937 random(seed);
    std::uniform_int_distribution<int> code(0, 255);
    Samples s(kFftSize);
    for (auto& v : s) {
        v = static_cast<std::uint8_t>(code(random));
    }
    return s;
}

class Spectrum : public ::testing::Test {
protected:
    void SetUp() override { FFT_Init(); }
    void TearDown() override { FFT_Destory(); }

    static Bins Run(const Samples& s, int window, bool dB, float scale = 1.0f,
                    float offset = 0.0f) {
        Bins out(kFftBins, 999);
        EXPECT_EQ(Math_FFT(s, out, kFftSize, offset, scale, window, dB), kFftBins);
        return out;
    }
};

TEST_F(Spectrum, SineAtAnExactBinReadsItsRmsValue) {
    const double amplitude = 100; // full scale: four divisions
    const Bins linear = Run(Sine(amplitude, 64), numerix::kHanning, false);
    EXPECT_NEAR(linear[64], amplitude / std::sqrt(2.0), 1.0);
    EXPECT_LE(linear[60], 1);
    EXPECT_LE(linear[200], 1);
    // The same sine in dBVrms at 2 V/div: 2.83 Vrms, 9.0 dBV; the level agrees with the linear one.
    const Bins dB = Run(Sine(amplitude, 64), numerix::kHanning, true, 2.0f);
    const double vrms = amplitude / std::sqrt(2.0) / 25 * 2.0;
    EXPECT_NEAR(dB[64], 20 * std::log10(vrms), 1.0);
    EXPECT_NEAR(dB[64], 20 * std::log10(linear[64] / 25.0 * 2.0), 1.0);
}

TEST_F(Spectrum, EveryWindowReadsTheSameLevel) {
    for (int window : {0, 1, 2, 3, 7}) {
        SCOPED_TRACE(window);
        EXPECT_NEAR(Run(Sine(80, 300), window, false)[300], 80 / std::sqrt(2.0), 1.0);
    }
}

TEST_F(Spectrum, MatchesADoublePrecisionTransformWithinOneCount) {
    const Samples sine = Sine(100, 101); // a prime number of cycles spreads the rounding noise
    for (bool dB : {false, true}) {
        const Bins fast = Run(sine, numerix::kHanning, dB, 0.5f);
        const Bins exact = ExactSpectrum(sine, numerix::kHanning, dB, 0.5f);
        int compared = 0;
        for (int k = 1; k < kFftBins; ++k) {
            // Decibels far below the quantisation of the samples only show single-precision noise.
            if (!dB || exact[k] > -100) {
                ASSERT_NEAR(fast[k], exact[k], 1) << "bin " << k << (dB ? " dB" : " linear");
                ++compared;
            }
        }
        EXPECT_GT(compared, dB ? 500 : 1000);
    }
}

TEST_F(Spectrum, GivesTheDesignedNumbersExactly) {
    using numerix::detail::SpectrumWith;
    std::vector<numerix::detail::TransformKernel> kernels{numerix::detail::TransformBaseline};
    if (__builtin_cpu_supports("avx")) {
        kernels.push_back(numerix::detail::TransformWide);
    }
    // Levels are estimated in single precision and settled exactly where truncation is in
    // doubt; many records at several scales make sure no estimate slips through.
    std::vector<Samples> inputs{Sine(90, 17.5), Sine(120, 1000), Samples(kFftSize, 125)};
    for (unsigned seed = 1; seed <= 12; ++seed) {
        inputs.push_back(Noise(seed));
    }
    const float scales[] = {0.002f, 0.05f, 2.0f, 500.0f};
    int run = 0;
    for (const auto& samples : inputs) {
        for (int window = 0; window <= 3; ++window) {
            for (bool dB : {false, true}) {
                const float scale = scales[run++ % 4];
                const float offset = window * 0.013f;
                const Bins expected = ReferenceSpectrum(samples, offset, scale, window, dB);
                for (auto kernel : kernels) {
                    Bins out(kFftBins);
                    ASSERT_EQ(
                        SpectrumWith(kernel, samples, out, kFftSize, offset, scale, window, dB),
                        kFftBins);
                    out[0] = 0;
                    ASSERT_EQ(out, expected) << "window " << window << (dB ? " dB" : " linear");
                }
            }
        }
    }
}

TEST_F(Spectrum, SixteenBitSamplesGiveTheSameBins) {
    const Samples bytes = Noise(3);
    const std::vector<std::uint16_t> words(bytes.begin(), bytes.end());
    Bins out(kFftBins);
    ASSERT_EQ(Math_FFT(std::span<const std::uint16_t>(words), out, kFftSize, 0.1f, 1.0f, 2, false),
              kFftBins);
    Bins fromBytes(kFftBins);
    Math_FFT(bytes, fromBytes, kFftSize, 0.1f, 1.0f, 2, false);
    EXPECT_EQ(out, fromBytes);
}

TEST_F(Spectrum, DcBinIsAlwaysZero) {
    const Samples high(kFftSize, 10);
    for (bool dB : {false, true}) {
        for (float offset : {0.0f, 3.0f}) {
            const Bins out = Run(high, numerix::kRectangle, dB, 1.0f, offset);
            EXPECT_EQ(out[0], 0);
            EXPECT_LT(out[1], dB ? -100 : 1) << "a constant has no other component";
        }
    }
}

TEST_F(Spectrum, SilenceInDecibelsIsTheLowestLevel) {
    const Bins out = Run(Samples(kFftSize, 125), numerix::kHanning, true);
    EXPECT_EQ(out[0], 0);
    EXPECT_TRUE(
        std::all_of(out.begin() + 1, out.end(), [](std::int16_t v) { return v == -32768; }));
}

TEST_F(Spectrum, RefusesBadArgumentsWithoutTouchingTheOutput) {
    const Samples samples(2 * kFftSize, 100);
    Bins out(kFftSize, 7);
    const Bins untouched = out;
    EXPECT_EQ(Math_FFT(samples, out, 4096, 0, 1, 1, false), -1);
    EXPECT_EQ(Math_FFT(samples, out, 2047, 0, 1, 1, false), -1);
    EXPECT_EQ(Math_FFT(samples, out, 1024, 0, 1, 1, false), -1); // only the full size
    EXPECT_EQ(Math_FFT(samples, out, 0, 0, 1, 1, false), -1);
    EXPECT_EQ(Math_FFT(samples, out, -2048, 0, 1, 1, false), -1);
    EXPECT_EQ(Math_FFT(std::span(samples).first(2047), out, 2048, 0, 1, 1, false), -1);
    EXPECT_EQ(Math_FFT(samples, std::span(out).first(1023), 2048, 0, 1, 1, false), -1);
    EXPECT_EQ(Math_FFT(samples, {}, 2048, 0, 1, 1, false), -1);
    EXPECT_EQ(Math_FFT(samples, out, 2048, 0, 0, 1, true), -1);
    EXPECT_EQ(Math_FFT(samples, out, 2048, 1e30f, 1, 1, true), -1);
    EXPECT_EQ(out, untouched);
}

TEST_F(Spectrum, NeedsTheTwiddleTable) {
    FFT_Destory();
    Bins out(kFftBins, 7);
    EXPECT_EQ(Math_FFT(Noise(4), out, kFftSize, 0, 1, 1, false), -1);
    EXPECT_EQ(out, Bins(kFftBins, 7));
    FFT_Init();
    EXPECT_EQ(Math_FFT(Noise(4), out, kFftSize, 0, 1, 1, false), kFftBins);
}

TEST(SpectrumWindows, TablesHoldTheWindowFormulas) {
    using namespace numerix::detail;
    const auto tables = BuildTables();
    ASSERT_NE(tables, nullptr);
    EXPECT_EQ(tables->Window(numerix::kRectangle), nullptr);
    for (int type : {numerix::kHanning, numerix::kHamming, numerix::kBlackman}) {
        const double* table = tables->Window(type);
        ASSERT_NE(table, nullptr);
        for (int i = 0; i < kFftSize; ++i) {
            ASSERT_NEAR(table[i], WindowCoefficient(type, i), 1e-15) << type << " at " << i;
        }
    }
}

} // namespace
