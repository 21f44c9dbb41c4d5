#include "oxcommon.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

TEST(SetPreDefinedScale, WalksTheOneTwoFiveSequence) {
    EXPECT_DOUBLE_EQ(SetPreDefinedScale(0.005, true), 0.01);
    EXPECT_DOUBLE_EQ(SetPreDefinedScale(0.01, false), 0.005);
    EXPECT_DOUBLE_EQ(SetPreDefinedScale(-2, true), -5);
    EXPECT_DOUBLE_EQ(SetPreDefinedScale(1, true), 2);
    EXPECT_DOUBLE_EQ(SetPreDefinedScale(2, true), 5);
    EXPECT_DOUBLE_EQ(SetPreDefinedScale(5, true), 10);
    EXPECT_DOUBLE_EQ(SetPreDefinedScale(2, false), 1);
    EXPECT_DOUBLE_EQ(SetPreDefinedScale(5, false), 2);
    EXPECT_DOUBLE_EQ(SetPreDefinedScale(1e-9, false), 5e-10);
    EXPECT_DOUBLE_EQ(SetPreDefinedScale(50, true), 100);
}

TEST(SetPreDefinedScale, OffGridValuesMoveToTheNearestGridValueInTheDirection) {
    EXPECT_DOUBLE_EQ(SetPreDefinedScale(3, true), 5);
    EXPECT_DOUBLE_EQ(SetPreDefinedScale(4, false), 2);
    EXPECT_DOUBLE_EQ(SetPreDefinedScale(7, true), 10);
    EXPECT_DOUBLE_EQ(SetPreDefinedScale(7, false), 5);
    EXPECT_DOUBLE_EQ(SetPreDefinedScale(0.3, true), 0.5);
}

TEST(SetPreDefinedScale, FloatRoundedGridValuesStepLikeExactOnes) {
    // 0.01f is 0.0099999998; it must step like 10 mV, not like 9.99 mV.
    EXPECT_DOUBLE_EQ(SetPreDefinedScale(0.01f, true), 0.02);
    EXPECT_DOUBLE_EQ(SetPreDefinedScale(0.01f, false), 0.005);
    EXPECT_DOUBLE_EQ(SetPreDefinedScale(1e-6f, true), 2e-6);
    EXPECT_DOUBLE_EQ(SetPreDefinedScale(0.001f, false), 0.0005);
    EXPECT_DOUBLE_EQ(SetPreDefinedScale(0.1f, true), 0.2);
}

TEST(SetPreDefinedScale, ZeroInfinityAndNaNPassThrough) {
    EXPECT_EQ(SetPreDefinedScale(0, true), 0);
    EXPECT_EQ(SetPreDefinedScale(kInf, true), kInf);
    EXPECT_EQ(SetPreDefinedScale(-kInf, false), -kInf);
    EXPECT_TRUE(std::isnan(SetPreDefinedScale(kNaN, true)));
}

TEST(ValidateScale, SnapsToTheSequence) {
    EXPECT_DOUBLE_EQ(ValidateScale(3), 5);
    EXPECT_DOUBLE_EQ(ValidateScale(6), 10);
    EXPECT_EQ(ValidateScale(0), 0);
    EXPECT_DOUBLE_EQ(ValidateScale(1.7), 1);
    EXPECT_DOUBLE_EQ(ValidateScale(2.9), 2);
    EXPECT_DOUBLE_EQ(ValidateScale(5.99), 5);
    EXPECT_DOUBLE_EQ(ValidateScale(-0.04), -0.05);
    EXPECT_DOUBLE_EQ(ValidateScale(0.01f), 0.01);
    EXPECT_DOUBLE_EQ(ValidateScale(9.9999999), 10);
    EXPECT_TRUE(std::isnan(ValidateScale(kNaN)));
}

TEST(StepIndouble, StepsByThreeSignificantDigits) {
    EXPECT_NEAR(StepIndouble(1.23, -9, true, 1, -2), 1.24, 1e-12);
    EXPECT_NEAR(StepIndouble(0.5, -3, false, 1, -2), 0.499, 1e-12);
    EXPECT_NEAR(StepIndouble(0.0012, -3, true, 1, -2), 0.0022, 1e-12);
    EXPECT_NEAR(StepIndouble(250, -3, true, 1, -2), 251, 1e-9);
    EXPECT_NEAR(StepIndouble(-1.23, -3, true, 1, -2), -1.22, 1e-12);
    EXPECT_NEAR(StepIndouble(1.23, -9, true, 3, -2), 1.26, 1e-12);
}

TEST(StepIndouble, NonNegativeDigitsCountFromTheExponentsMagnitude) {
    // k = |e| - digits: for 0.05 (e = -2) and digits 0 the step is 10^2.
    EXPECT_NEAR(StepIndouble(0.05, -9, true, 1, 0), 100.05, 1e-9);
    EXPECT_NEAR(StepIndouble(5000, -9, false, 1, 1), 4900, 1e-9);
}

TEST(StepIndouble, ZeroStepsByTheFinestExponent) {
    EXPECT_DOUBLE_EQ(StepIndouble(0, -9, true, 1, -2), 1e-9);
    EXPECT_DOUBLE_EQ(StepIndouble(0, -3, false, 1, -2), -0.001);
}

TEST(StepIndouble, InfinityAndNaNPassThrough) {
    EXPECT_EQ(StepIndouble(kInf, -3, true, 1, -2), kInf);

    EXPECT_TRUE(std::isnan(StepIndouble(kNaN, -3, true, 1, -2)));
}

TEST(StepIndouble, ExtremeArgumentsDoNotOverflow) {
    EXPECT_DOUBLE_EQ(StepIndouble(1.0, -3, true, 1, std::numeric_limits<int>::min()), 1.001);
    EXPECT_DOUBLE_EQ(StepIndouble(1e-5, -3, true, 1, std::numeric_limits<int>::max()), 1e-5 + 1e-3);
    EXPECT_EQ(StepIndouble(1.0, std::numeric_limits<int>::max(), true, 1, -2), kInf);
}

TEST(StepInfloat, StepsFloatValues) {
    EXPECT_FLOAT_EQ(StepInfloat(0, -3, true, 1, -2), 0.001f);
    EXPECT_FLOAT_EQ(StepInfloat(1.23f, -3, true, 1, -2), 1.24f);
    // A float-rounded 0.01 steps by 0.0001 like 0.01 itself.
    EXPECT_FLOAT_EQ(StepInfloat(0.01f, -9, true, 1, -2), 0.0101f);
    EXPECT_EQ(StepInfloat(std::numeric_limits<float>::infinity(), -3, true, 1, -2),
              std::numeric_limits<float>::infinity());
}

TEST(GetValidData, RoundsToSignificantDigits) {
    EXPECT_EQ(GetValidData(0, 3, -3), 0);
    EXPECT_DOUBLE_EQ(GetValidData(1.2345, 3, 0), 1.23);
    EXPECT_DOUBLE_EQ(GetValidData(1.235001, 3, 0), 1.24);
    EXPECT_DOUBLE_EQ(GetValidData(-0.0012345, 3, 0), -0.00123);
    EXPECT_DOUBLE_EQ(GetValidData(0.01f, 3, 0), 0.01);
    EXPECT_DOUBLE_EQ(GetValidData(12.3456e-6, 4, 0), 12.35e-6);
}

TEST(GetValidData, LargeValuesKeepTheGivenNumberOfDigits) {
    EXPECT_DOUBLE_EQ(GetValidData(123451, 3, 0), 123000);
    EXPECT_DOUBLE_EQ(GetValidData(98765, 3, 0), 98800);
    EXPECT_DOUBLE_EQ(GetValidData(1234.6, 4, -9), 1235);
}

TEST(GetValidData, RoundsToTheFinestGrid) {
    EXPECT_DOUBLE_EQ(GetValidData(0.0012345, 3, -3), 0.001);
    EXPECT_DOUBLE_EQ(GetValidData(0.0015, 3, -3), 0.002);
    EXPECT_DOUBLE_EQ(GetValidData(-0.0015, 3, -3), -0.002);
    EXPECT_DOUBLE_EQ(GetValidData(0.0004, 3, -3), 0);
    EXPECT_DOUBLE_EQ(GetValidData(1.23456e-9, 4, -9), 1e-9);
    EXPECT_DOUBLE_EQ(GetValidData(12.5e-6, 4, -9), 12.5e-6);
}

TEST(GetValidData, KeepsManyDigitsNearAPowerOfTen) {
    EXPECT_DOUBLE_EQ(GetValidData(9.999995, 7, 0), 9.999995);
    EXPECT_DOUBLE_EQ(GetValidData(9.9999999, 3, 0), 10);
}

TEST(GetValidData, PositiveFinestKeepsTheIntegerPart) {
    EXPECT_DOUBLE_EQ(GetValidData(12.7, 3, 1), 12);
    EXPECT_DOUBLE_EQ(GetValidData(-12.7, 3, 1), -12);
}

TEST(GetValidData, PositiveFinestKeepsEveryFourDigitInteger) {
    int wrong = 0;
    for (int n = 1; n <= 9999; ++n) {
        wrong += GetValidData(n, 4, 1) != n;
        wrong += GetValidData(-n, 4, 1) != -n;
    }
    EXPECT_EQ(wrong, 0);
    EXPECT_EQ(GetValidData(113, 3, 1), 113);
    EXPECT_EQ(GetValidData(1135, 3, 1), 1140);
}

TEST(GetValidData, TinyValuesAreNotBiasedWithoutAGrid) {
    EXPECT_DOUBLE_EQ(GetValidData(1e-25, 3, 0), 1e-25);
    EXPECT_DOUBLE_EQ(GetValidData(-1e-25, 3, 0), -1e-25);
}

TEST(GetValidData, ExtremeValuesStayFiniteAndUnchangedWhereTheGridCannotHoldThem) {
    EXPECT_DOUBLE_EQ(GetValidData(1e300, 3, -9), 1e300);
    EXPECT_DOUBLE_EQ(GetValidData(1.2345e300, 3, -9), 1.23e300);
    EXPECT_DOUBLE_EQ(GetValidData(1.2345, 400, 0), 1.2345);
    EXPECT_EQ(GetValidData(kInf, 3, -3), kInf);
    EXPECT_TRUE(std::isnan(GetValidData(kNaN, 3, -3)));
}

} // namespace
