#include "gauger.h"
#include "signals.h"

#include <gtest/gtest.h>

#include <cstring>

namespace gauger::test {
namespace {

[[nodiscard]] std::string Text(Measure m, const ChannelResult& result, bool shown = true) {
    std::string out = "stale";
    GetMeasureText(out, m, result, shown, "V");
    return out;
}

[[nodiscard]] ChannelResult With(Measure m, double value, double dt = kDt) {
    ChannelResult result;
    result.secondsPerSample = dt;
    result[m] = {value, true};
    return result;
}

TEST(GaugerReadout, TableOfCodes) {
    ASSERT_NE(GetMeasureInfo(1), nullptr);
    EXPECT_STREQ(GetMeasureInfo(1)->label, "Max");
    EXPECT_STREQ(GetMeasureInfo(3)->label, "Pk-Pk");
    EXPECT_STREQ(GetMeasureInfo(19)->name, "Rising Delay 1->2");
    EXPECT_EQ(MeasureCodeOfKey("FREQ"), 12);
    EXPECT_EQ(MeasureCodeOfKey("fdelay"), 20);
    EXPECT_EQ(MeasureCodeOfKey("frequency"), 0);
    EXPECT_STREQ(GetMeasureInfo(20)->label, "Dly_B");
    EXPECT_EQ(GetMeasureInfo(12)->quantity, Quantity::Frequency);
    EXPECT_EQ(GetMeasureInfo(0), nullptr);
    EXPECT_EQ(GetMeasureInfo(21), nullptr);
}

TEST(GaugerReadout, Values) {
    EXPECT_EQ(Text(Measure::Vmax, With(Measure::Vmax, 1.5)), "Max=1.50V");
    EXPECT_EQ(Text(Measure::Vamp, With(Measure::Vamp, 0.0123)), "Amp=12.3mV");
    EXPECT_EQ(Text(Measure::Overshoot, With(Measure::Overshoot, 5.04)), "Ovr=5.0%");
    EXPECT_EQ(Text(Measure::NegativeDuty, With(Measure::NegativeDuty, 70)), "-Duty=70.0%");
    EXPECT_EQ(Text(Measure::Period, With(Measure::Period, 1e-3)), "Prd=1.000ms");
    EXPECT_EQ(Text(Measure::Frequency, With(Measure::Frequency, 1000)), "Freq=1.000KHz");
    EXPECT_EQ(Text(Measure::RisingDelay, With(Measure::RisingDelay, -2.5e-4)), "Dly_A=-250.0us");
}

// Fewer than ten samples read as "<" ten samples (a frequency as ">" its inverse); a delay
// is a signed edge difference and keeps its value however short.
TEST(GaugerReadout, SampleClamp) {
    EXPECT_EQ(Text(Measure::RiseTime, With(Measure::RiseTime, 8e-6, 1e-6)), "Rise<10.00us");
    EXPECT_EQ(Text(Measure::RiseTime, With(Measure::RiseTime, 1e-5, 1e-6)), "Rise=10.00us");
    EXPECT_EQ(Text(Measure::Frequency, With(Measure::Frequency, 2e5, 1e-6)), "Freq>100.0KHz");
    EXPECT_EQ(Text(Measure::FallingDelay, With(Measure::FallingDelay, -3e-6, 1e-6)),
              "Dly_B=-3.000us");
}

TEST(GaugerReadout, HiddenInvalidAndClipped) {
    EXPECT_EQ(Text(Measure::Vmax, With(Measure::Vmax, 1.5), false), "Max=*****");
    EXPECT_EQ(Text(Measure::Period, ChannelResult{}), "Prd=*****");
    ChannelResult clipped = With(Measure::Vrms, 1.0);
    clipped[Measure::Period] = {1e-3, true};
    clipped.clipped = true;
    EXPECT_EQ(Text(Measure::Vrms, clipped), "RMS=*****");
    EXPECT_EQ(Text(Measure::Period, clipped), "Prd=1.000ms");
}

// The panel's value and the table's plain number are the screen read-out's value: the same
// digits, the same clamp.
TEST(GaugerReadout, ValueTextAndPlainValueShowTheReadoutsNumber) {
    struct Case {
        Measure m;
        double value;
        const char* text;
        const char* plain;
    };
    const Case cases[] = {
        {Measure::Vpp, 4.0, "4.00V", "4.00"},
        {Measure::Vamp, 0.0123, "12.3mV", "0.0123"},
        {Measure::Vmin, -1.996, "-2.00V", "-2.00"},
        {Measure::Period, 1e-3, "1.000ms", "0.001000"},
        {Measure::Frequency, 12345, "12.35KHz", "12350"},
        {Measure::RiseTime, 8e-6, "<10.00us", "<0.00001000"},
        {Measure::Frequency, 2e5, ">100.0KHz", ">100000"},
        {Measure::PositiveDuty, 25, "25.0%", "25.0"},
        {Measure::RisingDelay, -2.5e-10, "-250.0ps", "-2.500e-10"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(MeasureValueText(c.m, c.value, 1e-6, "V"), c.text) << c.text;
        EXPECT_EQ(MeasurePlainValue(c.m, c.value, 1e-6), c.plain) << c.text;
    }
}

// A measured square end to end, as the panel would show it.
TEST(GaugerReadout, MeasuredSquare) {
    Signal signal;
    signal.Sample(Trapezoid(200, 50, 0, 0, 0.0, 2.0));
    ChannelResult result;
    MeasureChannel(signal.Trace(), result);
    EXPECT_EQ(Text(Measure::Period, result), "Prd=2.000ms");
    EXPECT_EQ(Text(Measure::PositiveDuty, result), "+Duty=25.0%");
    EXPECT_EQ(Text(Measure::Vtop, result), "Top=2.00V");
    EXPECT_EQ(Text(Measure::RisingDelay, result), "Dly_A=*****");
}

} // namespace
} // namespace gauger::test
