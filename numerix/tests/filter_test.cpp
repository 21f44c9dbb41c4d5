#include "numerix.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numbers>
#include <vector>

namespace {

using numerix::kFilterHalf;
using numerix::kFilterTaps;
using Values = std::vector<std::int32_t>;
using Rows = std::vector<std::int16_t>;

constexpr double kPi = std::numbers::pi;
constexpr int kSlot = 2;
constexpr int kCentre = 250;
constexpr int kCount = 600;

class Filter : public ::testing::Test {
protected:
    void TearDown() override { Math_Filter_Destroy(kSlot); }

    // count values plus the 50 that continue the trace, as the caller supplies them.
    static Values Trace(double amplitude, double cyclesPerSample, double level = 0) {
        Values v(kCount + kFilterTaps - 1);
        for (std::size_t i = 0; i < v.size(); ++i) {
            v[i] = static_cast<std::int32_t>(
                std::lround(kCentre + level + amplitude * std::sin(2 * kPi * cyclesPerSample * i)));
        }
        return v;
    }

    static Rows Run(const Values& input, int lower = -10000, int upper = 10000) {
        Rows out(kCount + kFilterHalf, 0);
        EXPECT_EQ(Math_Filter(input, out, kCount, kCentre, lower, upper, kSlot), kCount);
        return out;
    }

    // Peak deviation from the centre over the middle of the output.
    static double Amplitude(double cyclesPerSample) {
        const Rows out = Run(Trace(100, cyclesPerSample));
        int peak = 0;
        for (int j = 100; j < kCount - 100; ++j) {
            peak = std::max(peak, std::abs(out[j] - kCentre));
        }
        return peak / 100.0;
    }

    // The taps, read back as the response to a single step away from the centre.
    static std::vector<double> ImpulseResponse() {
        constexpr int kHeight = 10000;
        Values input(kCount + kFilterTaps - 1, kCentre);
        input[300] = kCentre + kHeight;
        const Rows out = Run(input, -32768, 32767);
        std::vector<double> taps;
        for (int k = 0; k < kFilterTaps; ++k) {
            taps.push_back(static_cast<double>(out[300 - kFilterHalf + k] - kCentre) / kHeight);
        }
        return taps;
    }
};

double Hamming(int j) {
    return 0.54 - 0.46 * std::cos(2 * kPi * j / 50);
}

TEST_F(Filter, LowPassPassesLowAndStopsHighFrequencies) {
    ASSERT_EQ(Math_Filter_Init(numerix::kLowPass, 0.0f, 0.1f, kSlot), kFilterTaps);
    EXPECT_NEAR(Amplitude(0.02), 1.0, 0.05);
    EXPECT_LT(Amplitude(0.4), 0.1); // more than 20 dB down
}

TEST_F(Filter, HighPassPassesHighAndStopsLowFrequencies) {
    ASSERT_EQ(Math_Filter_Init(numerix::kHighPass, 0.1f, 1.0f, kSlot), kFilterTaps);
    EXPECT_NEAR(Amplitude(0.4), 1.0, 0.05);
    EXPECT_LT(Amplitude(0.02), 0.1);
}

TEST_F(Filter, BandPassAndBandStopSelectTheBand) {
    ASSERT_EQ(Math_Filter_Init(numerix::kBandPass, 0.15f, 0.3f, kSlot), kFilterTaps);
    EXPECT_NEAR(Amplitude(0.225), 1.0, 0.05);
    EXPECT_LT(Amplitude(0.02), 0.1);
    EXPECT_LT(Amplitude(0.45), 0.1);
    ASSERT_EQ(Math_Filter_Init(numerix::kBandStop, 0.3f, 0.15f, kSlot), kFilterTaps);
    EXPECT_LT(Amplitude(0.225), 0.1);
    EXPECT_NEAR(Amplitude(0.02), 1.0, 0.05);
}

TEST_F(Filter, LowPassAboveNyquistIsHeldJustBelowIt) {
    ASSERT_EQ(Math_Filter_Init(numerix::kLowPass, 0.0f, 0.7f, kSlot), kFilterTaps);
    const std::vector<double> taps = ImpulseResponse();
    constexpr double g = 0.499;
    EXPECT_NEAR(taps[kFilterHalf], 2 * g, 0.0002);
    for (int i = 1; i <= kFilterHalf; ++i) {
        const double expected = std::sin(2 * kPi * g * i) / (kPi * i) * Hamming(kFilterHalf + i);
        EXPECT_NEAR(taps[kFilterHalf + i], expected, 0.0002) << i;
        EXPECT_NEAR(taps[kFilterHalf - i], expected, 0.0002) << i;
    }
}

TEST_F(Filter, HighPassTapsFollowTheWindowedSinc) {
    ASSERT_EQ(Math_Filter_Init(numerix::kHighPass, 0.2f, 1.0f, kSlot), kFilterTaps);
    const std::vector<double> taps = ImpulseResponse();
    constexpr double g = 0.21;
    EXPECT_NEAR(taps[kFilterHalf], 1 - 2 * g, 0.0002);
    for (int i = 1; i <= kFilterHalf; ++i) {
        EXPECT_NEAR(taps[kFilterHalf + i],
                    -std::sin(2 * kPi * g * i) / (kPi * i) * Hamming(kFilterHalf + i), 0.0002)
            << i;
    }
}

TEST_F(Filter, RefusedDesignEmptiesTheSlot) {
    ASSERT_EQ(Math_Filter_Init(numerix::kLowPass, 0.0f, 0.1f, kSlot), kFilterTaps);
    EXPECT_EQ(Math_Filter_Init(numerix::kBandPass, 0.1f, 1.2f, kSlot), -1);
    Rows out(kCount + kFilterHalf, 7);
    EXPECT_EQ(Math_Filter(Trace(10, 0.01), out, kCount, kCentre, 0, 510, kSlot), -1);
    EXPECT_EQ(Math_Filter_Init(numerix::kLowPass, 1.5f, 0.1f, kSlot), -1);
    EXPECT_EQ(Math_Filter_Init(numerix::kLowPass, 0.0f, -0.1f, kSlot), -1);
    EXPECT_EQ(Math_Filter_Init(numerix::kLowPass, 0.0f, std::nanf(""), kSlot), -1);
    EXPECT_EQ(Math_Filter_Init(4, 0.0f, 0.1f, kSlot), -1);
    EXPECT_EQ(Math_Filter_Init(numerix::kLowPass, 0.0f, 0.1f, -1), -1);
    EXPECT_EQ(Math_Filter_Init(numerix::kLowPass, 0.0f, 0.1f, numerix::kFilterSlots), -1);
}

TEST_F(Filter, DestroyEmptiesTheSlotAndInitReplacesIt) {
    ASSERT_EQ(Math_Filter_Init(numerix::kHighPass, 0.1f, 1.0f, kSlot), kFilterTaps);
    ASSERT_EQ(Math_Filter_Init(numerix::kLowPass, 0.0f, 0.1f, kSlot), kFilterTaps);
    EXPECT_NEAR(Amplitude(0.02), 1.0, 0.05);
    Math_Filter_Destroy(kSlot);
    Rows out(kCount + kFilterHalf, 7);
    EXPECT_EQ(Math_Filter(Trace(10, 0.01), out, kCount, kCentre, 0, 510, kSlot), -1);
    Math_Filter_Destroy(-3); // harmless
}

TEST_F(Filter, ValuesPastTheCountAreReflectedLikeTheRest) {
    // A level 40 rows off the centre stays there to the last output, including the 25 that
    // read the values past the count.
    ASSERT_EQ(Math_Filter_Init(numerix::kLowPass, 0.0f, 0.1f, kSlot), kFilterTaps);
    const Rows out = Run(Trace(0, 0, 40));
    for (int j = 0; j < kCount + kFilterHalf; ++j) {
        ASSERT_NEAR(out[j], kCentre + 40, 1) << j;
    }
}

TEST_F(Filter, StartWrapsToTheEndOfTheCount) {
    // A trace that is high only in its last 25 values shows up in the first outputs too.
    ASSERT_EQ(Math_Filter_Init(numerix::kLowPass, 0.0f, 0.1f, kSlot), kFilterTaps);
    Values input(kCount + kFilterTaps - 1, kCentre);
    std::fill(input.begin() + kCount - kFilterHalf, input.begin() + kCount, kCentre + 100);
    const Rows out = Run(input);
    EXPECT_GT(out[0], kCentre + 30);
    EXPECT_NEAR(out[kCount / 2], kCentre, 1);
}

TEST_F(Filter, OutputIsLimited) {
    ASSERT_EQ(Math_Filter_Init(numerix::kLowPass, 0.0f, 0.1f, kSlot), kFilterTaps);
    const Rows out = Run(Trace(200, 0.01), 100, 400);
    EXPECT_EQ(*std::min_element(out.begin(), out.end()), 100);
    EXPECT_EQ(*std::max_element(out.begin(), out.end()), 399);
}

TEST_F(Filter, RefusesBadArgumentsWithoutWriting) {
    ASSERT_EQ(Math_Filter_Init(numerix::kLowPass, 0.0f, 0.1f, kSlot), kFilterTaps);
    const Values input = Trace(50, 0.01);
    Rows out(kCount + kFilterHalf, 7);
    const Rows untouched = out;
    EXPECT_EQ(Math_Filter(input, out, 50, kCentre, 0, 510, kSlot), -1); // fewer than the taps
    EXPECT_EQ(Math_Filter(std::span(input).first(kCount + 49), out, kCount, kCentre, 0, 510, kSlot),
              -1);
    EXPECT_EQ(Math_Filter(input, std::span(out).first(kCount + 24), kCount, kCentre, 0, 510, kSlot),
              -1);
    EXPECT_EQ(Math_Filter(input, out, kCount, kCentre, 510, 510, kSlot), -1);
    EXPECT_EQ(Math_Filter(input, out, kCount, kCentre, -40000, 510, kSlot), -1);
    EXPECT_EQ(Math_Filter(input, out, kCount, kCentre, 0, 40000, kSlot), -1);
    EXPECT_EQ(Math_Filter(input, out, kCount, kCentre, 0, 510, kSlot + 1), -1); // empty slot
    EXPECT_EQ(Math_Filter(input, out, kCount, kCentre, 0, 510, 99), -1);
    EXPECT_EQ(out, untouched);
    EXPECT_EQ(Math_Filter(input, out, 51, kCentre, 0, 510, kSlot), 51); // exactly the taps
}

} // namespace
