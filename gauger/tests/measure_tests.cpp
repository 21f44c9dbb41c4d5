#include "gauger.h"
#include "signals.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace gauger::test {
namespace {

constexpr double kCode = 0.04; // volts of one code at 1 V/div

[[nodiscard]] ChannelResult Measured(const Signal& signal) {
    ChannelResult result;
    MeasureChannel(signal.Trace(), result);
    return result;
}

void ExpectReading(const ChannelResult& result, Measure m, double expected, double tolerance) {
    SCOPED_TRACE(static_cast<int>(m));
    ASSERT_TRUE(result[m].valid);
    EXPECT_NEAR(result[m].value, expected, tolerance);
}

void ExpectInvalid(const ChannelResult& result, std::initializer_list<Measure> measures) {
    for (Measure m : measures) {
        EXPECT_FALSE(result[m].valid) << static_cast<int>(m);
    }
}

constexpr auto kTimings = {Measure::Period,       Measure::Frequency,     Measure::RiseTime,
                           Measure::FallTime,     Measure::PositiveWidth, Measure::NegativeWidth,
                           Measure::PositiveDuty, Measure::NegativeDuty};

// A 30 % square: 7 whole periods of 200 samples between -1 V and +1.5 V (tolerance: one code
// for levels, half a sample for times, since edges are steps between samples).
TEST(GaugerMeasure, SquareWithSetDuty) {
    Signal signal;
    const ChannelResult r = Measured(signal.Sample(Trapezoid(200, 60, 0, 0, -1.0, 1.5, 10)));
    ExpectReading(r, Measure::Vmax, 1.5, kCode);
    ExpectReading(r, Measure::Vmin, -1.0, kCode);
    ExpectReading(r, Measure::Vpp, 2.5, kCode);
    ExpectReading(r, Measure::Vtop, 1.5, kCode);
    ExpectReading(r, Measure::Vbase, -1.0, kCode);
    ExpectReading(r, Measure::Vamp, 2.5, kCode);
    ExpectReading(r, Measure::Vavg, 0.3 * 1.5 - 0.7, kCode);
    ExpectReading(r, Measure::Vrms, std::sqrt(0.3 * 1.5 * 1.5 + 0.7), kCode);
    ExpectReading(r, Measure::Overshoot, 0, 0.5);
    ExpectReading(r, Measure::Preshoot, 0, 0.5);
    ExpectReading(r, Measure::Period, 200 * kDt, 0.5 * kDt);
    ExpectReading(r, Measure::Frequency, 1 / (200 * kDt), 1);
    ExpectReading(r, Measure::PositiveWidth, 60 * kDt, 0.5 * kDt);
    ExpectReading(r, Measure::NegativeWidth, 140 * kDt, 0.5 * kDt);
    ExpectReading(r, Measure::PositiveDuty, 30, 0.3);
    ExpectReading(r, Measure::NegativeDuty, 70, 0.3);
    // A step between two samples: 10 %-90 % is 0.8 of a sample when interpolated.
    ExpectReading(r, Measure::RiseTime, 0.8 * kDt, 0.01 * kDt);
    ExpectReading(r, Measure::FallTime, 0.8 * kDt, 0.01 * kDt);
    ExpectInvalid(r, {Measure::RisingDelay, Measure::FallingDelay});
    EXPECT_FALSE(r.clipped);
}

// Ground offset and scale: the same codes read shifted by k codes and scaled by V/div.
TEST(GaugerMeasure, GroundOffsetAndScale) {
    Signal signal;
    signal.voltsPerDiv = 0.5;
    signal.groundCodes = 20;
    const ChannelResult r = Measured(signal.Sample(Trapezoid(200, 100, 0, 0, 0.2, 1.0)));
    const double code = 0.5 * kCode;
    ExpectReading(r, Measure::Vtop, 1.0, code);
    ExpectReading(r, Measure::Vbase, 0.2, code);
    ExpectReading(r, Measure::Vavg, 0.6, code);
    ExpectReading(r, Measure::Vrms, std::sqrt((1.0 + 0.04) / 2), code);
}

// Trapezoids with set ramps: rise 0.8 x 20 samples, fall 0.8 x 45 samples; clean within a
// tenth of a sample, with seeded noise of 1.5 codes within 2 samples.
TEST(GaugerMeasure, TrapezoidRiseAndFall) {
    for (const double noise : {0.0, 1.5}) {
        SCOPED_TRACE(noise);
        Signal signal;
        signal.noiseCodes = noise;
        signal.seed = 7;
        const ChannelResult r = Measured(signal.Sample(Trapezoid(350, 150, 20, 45, -2.0, 2.0, 30)));
        const double samples = noise > 0 ? 2.0 : 0.1;
        ExpectReading(r, Measure::RiseTime, 16 * kDt, samples * kDt);
        ExpectReading(r, Measure::FallTime, 36 * kDt, samples * kDt);
        ExpectReading(r, Measure::Period, 350 * kDt, (noise > 0 ? 1.0 : 0.1) * kDt);
        ExpectReading(r, Measure::PositiveWidth, 150 * kDt, samples * kDt);
        ExpectReading(r, Measure::PositiveDuty, 100 * 150.0 / 350, 100 * samples / 350);
        ExpectReading(r, Measure::Vtop, 2.0, (noise > 0 ? 2 : 1) * kCode);
        ExpectReading(r, Measure::Vbase, -2.0, (noise > 0 ? 2 : 1) * kCode);
    }
}

// Sines with noise of one code: period averaged over whole periods (1400 / 330 is not whole),
// Vrms = A / sqrt 2 over whole periods; the levels are the histogram's modes near the peaks
// (within three codes), which moves the mid level and so the duty by up to 1 %.
TEST(GaugerMeasure, Sines) {
    for (const double period : {280.0, 330.0}) {
        SCOPED_TRACE(period);
        Signal signal;
        signal.noiseCodes = 1.0;
        const ChannelResult r = Measured(signal.Sample(Sine(period, 3.0, 0.5)));
        ExpectReading(r, Measure::Period, period * kDt, 0.5 * kDt);
        ExpectReading(r, Measure::Frequency, 1 / (period * kDt), 0.005 / (period * kDt));
        ExpectReading(r, Measure::Vpp, 6.0, 6 * kCode);
        ExpectReading(r, Measure::Vtop, 3.5, 3 * kCode);
        ExpectReading(r, Measure::Vbase, -2.5, 3 * kCode);
        if (period == 280.0) {
            ExpectReading(r, Measure::Vavg, 0.5, kCode);
            ExpectReading(r, Measure::Vrms, std::sqrt(4.5 + 0.25), kCode);
        }
        ExpectReading(r, Measure::PositiveDuty, 50, 1.0);
        // 10 %-90 % of a sine's half period: (asin 0.8 - asin -0.8) / pi of it.
        ExpectReading(r, Measure::RiseTime, period * std::asin(0.8) / std::numbers::pi * kDt,
                      2 * kDt);
    }
}

TEST(GaugerMeasure, OvershootAndPreshoot) {
    Signal signal;
    const auto square = Trapezoid(280, 140, 0, 0, 0.0, 2.0);
    // A 0.4 V spike after each rise and a 0.2 V dip before it: 20 % and 10 % of 2 V.
    const ChannelResult r = Measured(signal.Sample([&](double i) {
        const int t = static_cast<int>(i) % 280;
        return square(i) + (t == 1 ? 0.4 : 0) - (t == 279 ? 0.2 : 0);
    }));
    ExpectReading(r, Measure::Overshoot, 20, 2);
    ExpectReading(r, Measure::Preshoot, 10, 2);
    ExpectReading(r, Measure::Vtop, 2.0, kCode);
    ExpectReading(r, Measure::Vmax, 2.4, kCode);
}

TEST(GaugerMeasure, TriangleLevelsFallBackToPeaks) {
    Signal signal;
    const ChannelResult r = Measured(signal.Sample([](double i) {
        const double t = std::fmod(i, 400) / 400;
        return 3.0 * (t < 0.5 ? 4 * t - 1 : 3 - 4 * t);
    }));
    ExpectReading(r, Measure::Vtop, 3.0, kCode);
    ExpectReading(r, Measure::Vbase, -3.0, kCode);
    ExpectReading(r, Measure::Overshoot, 0, 0.1);
    ExpectReading(r, Measure::Period, 400 * kDt, 0.5 * kDt);
}

// Hysteresis: noise of 3 codes around the mid level does not count as edges.
TEST(GaugerMeasure, NoisySquare) {
    Signal signal;
    signal.noiseCodes = 3;
    signal.seed = 42;
    const ChannelResult r = Measured(signal.Sample(Trapezoid(175, 70, 4, 4, -1.5, 1.5, 5)));
    ExpectReading(r, Measure::Period, 175 * kDt, 0.5 * kDt);
    ExpectReading(r, Measure::PositiveWidth, 70 * kDt, 1.0 * kDt);
    ExpectReading(r, Measure::NegativeDuty, 60, 1.0);
}

TEST(GaugerMeasure, FlatTraceHasLevelsButNoShapeOrTiming) {
    Signal signal;
    signal.noiseCodes = 0.4;
    const ChannelResult r = Measured(signal.Sample([](double) { return 1.0; }));
    ExpectReading(r, Measure::Vavg, 1.0, kCode);
    ExpectReading(r, Measure::Vmax, 1.0, 2 * kCode);
    ExpectInvalid(
        r, {Measure::Vtop, Measure::Vbase, Measure::Vamp, Measure::Overshoot, Measure::Preshoot});
    ExpectInvalid(r, kTimings);
}

// One step: its rise is measurable, periods, widths and duties are not.
TEST(GaugerMeasure, SingleEdge) {
    Signal signal;
    const ChannelResult r = Measured(signal.Sample([](double i) {
        return i < 600 ? -1.0 : i < 640 ? -1.0 + 2.0 * (i - 600) / 40 : 1.0;
    }));
    ExpectReading(r, Measure::RiseTime, 32 * kDt, 0.1 * kDt);
    ExpectReading(r, Measure::Vamp, 2.0, kCode);
    ExpectInvalid(r,
                  {Measure::Period, Measure::Frequency, Measure::FallTime, Measure::PositiveWidth,
                   Measure::NegativeWidth, Measure::PositiveDuty, Measure::NegativeDuty});
}

// Beyond the screen: clipped, voltages and shapes invalid, the period still right.
TEST(GaugerMeasure, ClippedTrace) {
    for (const double top : {4.2, 6.0}) {
        SCOPED_TRACE(top);
        Signal signal;
        const ChannelResult r = Measured(signal.Sample(Sine(200, top)));
        EXPECT_TRUE(r.clipped);
        ExpectInvalid(r, {Measure::Vmax, Measure::Vmin, Measure::Vpp, Measure::Vtop, Measure::Vbase,
                          Measure::Vamp, Measure::Vavg, Measure::Vrms, Measure::Overshoot,
                          Measure::Preshoot, Measure::RiseTime, Measure::PositiveDuty});
        ExpectReading(r, Measure::Period, 200 * kDt, 0.5 * kDt);
    }
    Signal inside;
    EXPECT_FALSE(Measured(inside.Sample(Sine(200, 3.9))).clipped);
}

TEST(GaugerMeasure, UnusableInputMeasuresNothing) {
    Signal signal;
    signal.Sample(Sine(200, 2.0));
    const double nan = std::numeric_limits<double>::quiet_NaN();
    std::vector<ChannelTrace> traces(6, signal.Trace());
    traces[0].codes = nullptr;
    traces[1].count = 1;
    traces[2].count = -5;
    traces[3].voltsPerDiv = 0;
    traces[4].secondsPerSample = nan;
    traces[5].voltsPerDiv = -1;
    for (const ChannelTrace& trace : traces) {
        ChannelResult r;
        r[Measure::Vmax] = {1.0, true};
        MeasureChannel(trace, r);
        for (const Reading& reading : r.readings) {
            EXPECT_FALSE(reading.valid);
        }
    }
}

// CH2 lags CH1 by 37 samples (and leads by 25): signed delays of the first edges.
TEST(GaugerMeasure, PairDelays) {
    for (const double delay : {37.0, -25.0}) {
        SCOPED_TRACE(delay);
        Signal ch1;
        Signal ch2;
        ch2.noiseCodes = 1.0;
        ch1.Sample(Trapezoid(300, 120, 6, 6, -1.0, 1.0, 40));
        ch2.Sample(Trapezoid(300, 120, 6, 6, -0.5, 2.0, 40 + delay));
        PairResult pair;
        MeasurePair(ch1.Trace(), ch2.Trace(), pair);
        for (const ChannelResult& r : pair.channel) {
            ExpectReading(r, Measure::RisingDelay, delay * kDt, 0.5 * kDt);
            ExpectReading(r, Measure::FallingDelay, delay * kDt, 0.5 * kDt);
        }
        ExpectReading(pair.channel[1], Measure::Vtop, 2.0, 2 * kCode);
        ExpectReading(pair.channel[0], Measure::Period, 300 * kDt, 0.1 * kDt);
    }
}

TEST(GaugerMeasure, PairDelaysNeedEdgesOnBothAndOneTimeBase) {
    Signal ch1;
    Signal flat;
    ch1.Sample(Trapezoid(300, 120, 6, 6, -1.0, 1.0));
    flat.Sample([](double) { return 0.0; });
    PairResult pair;
    MeasurePair(ch1.Trace(), flat.Trace(), pair);
    ExpectInvalid(pair.channel[0], {Measure::RisingDelay, Measure::FallingDelay});
    EXPECT_TRUE(pair.channel[0][Measure::Period].valid);
    Signal other = ch1;
    other.dt = 2 * kDt;
    MeasurePair(ch1.Trace(), other.Trace(), pair);
    ExpectInvalid(pair.channel[1], {Measure::RisingDelay, Measure::FallingDelay});
}

} // namespace
} // namespace gauger::test
