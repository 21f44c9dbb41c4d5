#include "oxcommon.h"

#include <gtest/gtest.h>

#include <limits>

namespace {

std::string TimeScale(double seconds) {
    std::string out;
    GetTimeScaleString(out, seconds);
    return out;
}

std::string TimeOffset(double seconds) {
    std::string out;
    GetTimeOffsetString(out, seconds);
    return out;
}

std::string VertScale(float value, const std::string& unit) {
    std::string out;
    GetVertScaleString(out, value, unit);
    return out;
}

std::string ValidDataStr(double value, int digits, int decimals, int finest) {
    std::string out;
    GetValidDataStr(out, value, digits, decimals, finest);
    return out;
}

std::string AfterDot(double value, int decimals) {
    std::string out;
    GetValidDataAfterDotStr(out, value, decimals);
    return out;
}

TEST(ScaleStrings, PrintTheDescribedLabels) {
    EXPECT_EQ(TimeScale(0.001), "1.000ms");
    EXPECT_EQ(TimeOffset(0.001), "1.0000ms");
    EXPECT_EQ(VertScale(0.5f, "V"), "500mV");
    EXPECT_EQ(VertScale(2.0f, "V"), "2.00V");
    EXPECT_EQ(TimeScale(12.5e-6), "12.50us");
    EXPECT_EQ(TimeScale(0), "0.00s");
    EXPECT_EQ(TimeOffset(0), "0.0000s");
    EXPECT_EQ(TimeOffset(-2.5e-6), "-2.5000us");
}

TEST(ScaleStrings, CoverEveryPrefix) {
    EXPECT_EQ(TimeScale(2e-9), "2.000ns");
    EXPECT_EQ(TimeScale(100e-12), "0.00s"); // below the 1 ns grid
    EXPECT_EQ(TimeScale(50), "50.00s");
    EXPECT_EQ(VertScale(0.2f, "V"), "200mV");
    EXPECT_EQ(VertScale(0.002f, "V"), "2.00mV");
    EXPECT_EQ(VertScale(0.01f, "V"), "10.0mV");
    EXPECT_EQ(VertScale(5000.0f, "V"), "5.00KV");
    EXPECT_EQ(VertScale(-0.5f, "A"), "-500mA");
    EXPECT_EQ(ValidDataStr(2e6, 3, -1, 0), "2.00M");
    EXPECT_EQ(ValidDataStr(3e9, 3, -1, 0), "3.00G");
    EXPECT_EQ(ValidDataStr(4e12, 3, -1, 0), "4.00T");
    EXPECT_EQ(ValidDataStr(5e-12, 3, -1, 0), "5.00p");
    EXPECT_EQ(ValidDataStr(6e-15, 3, -1, 0), "6.00f");
    EXPECT_EQ(ValidDataStr(7e-6, 3, -1, 0), "7.00u");
}

TEST(ScaleStrings, GridValuesComputedWithRoundingErrorsKeepTheirPrefix) {
    EXPECT_EQ(TimeScale(0.1 * 0.01), "1.000ms");
    EXPECT_EQ(TimeScale(3 * (1.0 / 3) * 1e-6), "1.000us");
    EXPECT_EQ(VertScale(0.1f * 10, "V"), "1.00V");
}

TEST(GetValidDataStr, RoundsOnceToTheGivenDigits) {
    EXPECT_EQ(ValidDataStr(123451, 3, -1, 0), "123K");
    EXPECT_EQ(ValidDataStr(123.451, 3, -1, 0), "123");
    EXPECT_EQ(ValidDataStr(1.5, 3, 1, 0), "1.5");
    EXPECT_EQ(ValidDataStr(0.0123, 3, 4, 0), "12.3000m");
}

TEST(GetValidDataStr, ValuesBeyondThePrefixesUseExponentNotation) {
    EXPECT_EQ(ValidDataStr(2e-18, 3, -1, 0), "2.00E-18");
    EXPECT_EQ(ValidDataStr(-3.5e15, 3, -1, 0), "-3.50E+15");
    EXPECT_EQ(ValidDataStr(1e20, 4, 1, 0), "1.0E+20");
    EXPECT_EQ(ValidDataStr(0.1 * 1e-16, 3, -1, 0), "1.00E-17");
}

TEST(GetValidDataStr, InfinityAndNaNPrintAsQuestionMark) {
    EXPECT_EQ(ValidDataStr(std::numeric_limits<double>::infinity(), 3, -1, 0), "?");
    EXPECT_EQ(ValidDataStr(std::numeric_limits<double>::quiet_NaN(), 3, -1, -3), "?");
    EXPECT_EQ(TimeScale(-std::numeric_limits<double>::infinity()), "?s");
    EXPECT_EQ(VertScale(std::numeric_limits<float>::quiet_NaN(), "V"), "?V");
}

TEST(GetValidDataAfterDotStr, RoundsToDecimalsThenPrintsWithAPrefix) {
    EXPECT_EQ(AfterDot(1.23456, 2), "1.23");
    EXPECT_EQ(AfterDot(-1.235, 2), "-1.24");
    EXPECT_EQ(AfterDot(1234.5, 1), "1.2K");
    EXPECT_EQ(AfterDot(0.5, 3), "500.0m");
    // Zero has no digits to count: two decimals, as for every automatic zero.
    EXPECT_EQ(AfterDot(0, 3), "0.00");
    EXPECT_EQ(AfterDot(0.0004, 3), "0.00");
    EXPECT_EQ(AfterDot(50, 0), "50");
    EXPECT_EQ(AfterDot(1234, -2), "1.20K"); // no digit to count: two decimals
    EXPECT_EQ(AfterDot(1234, -400), "0.00");
}

TEST(GetScienceData, PrintsExponentNotation) {
    EXPECT_EQ(GetScienceData(0.0015, 4, 3, -9), "1.500E-003");
    EXPECT_EQ(GetScienceData(2000, 4, 3, 0), "2.000E+003");
    EXPECT_EQ(GetScienceData(-2.5e-6, 3, 2, -9), "-2.50E-006");
    EXPECT_EQ(GetScienceData(12e-12, 3, 1, 0), "12.0E-0012");
    EXPECT_EQ(GetScienceData(4.5, 3, 2, 0), "4.50");
    EXPECT_EQ(GetScienceData(0, 3, 3, 0), "0.000");
    EXPECT_EQ(GetScienceData(0, 3, -1, 0), "0.00");
    EXPECT_EQ(GetScienceData(0.0015, 4, -1, -9), "1.500E-003");
}

TEST(GetScienceData, KeepsTheTrueExponentBeyondThePrefixes) {
    EXPECT_EQ(GetScienceData(2e-18, 3, 2, 0), "2.00E-0018");
    EXPECT_EQ(GetScienceData(std::numeric_limits<double>::infinity(), 3, 2, 0), "?");
}

TEST(StrConnect, JoinsTheFivePiecesInOrder) {
    EXPECT_EQ(StrConnect(":CHANNEL1", ":SCALE", " ", "0.500000000", ""),
              ":CHANNEL1:SCALE 0.500000000");
    EXPECT_EQ(StrConnect(":WAVEFORM", ":DATA?", "", "", ""), ":WAVEFORM:DATA?");
}

} // namespace
