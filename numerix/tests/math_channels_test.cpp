#include "numerix.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <vector>

namespace {

using Raw = std::vector<std::uint8_t>;

struct Channels {
    float scaleA = 1.0f;
    float offsetA = 0.0f;
    float scaleB = 1.0f;
    float offsetB = 0.0f;
    float scaleResult = 1.0f;
    float offsetResult = 0.0f;
};

using MathFunction = void (*)(std::span<const std::uint8_t>, std::span<const std::uint8_t>,
                              std::span<std::uint8_t>, int, bool, float, float, float, float, float,
                              float);

std::uint8_t One(MathFunction f, std::uint8_t a, std::uint8_t b, const Channels& c = {},
                 bool invert = false) {
    const Raw rawA{a};
    const Raw rawB{b};
    Raw result{77};
    f(rawA, rawB, result, 1, invert, c.scaleA, c.offsetA, c.scaleB, c.offsetB, c.scaleResult,
      c.offsetResult);
    return result[0];
}

TEST(MathChannels, CentredChannelsGiveTheCentre) {
    EXPECT_EQ(One(Math_A_Add_B, 125, 125), 125);
    EXPECT_EQ(One(Math_A_Sub_B, 125, 125), 125);
    EXPECT_EQ(One(Math_A_Mul_B, 125, 125), 125);
}

TEST(MathChannels, CombinesVoltsAtEachChannelsScale) {
    // A: one division up at 1 V/div = +1 V; B: one division down at 0.5 V/div = -0.5 V.
    Channels c;
    c.scaleB = 0.5f;
    EXPECT_EQ(One(Math_A_Add_B, 100, 150, c), 125 - 12); // +0.5 V = 12.5 counts, truncated
    EXPECT_EQ(One(Math_A_Sub_B, 100, 150, c), 125 - 37); // +1.5 V
    EXPECT_EQ(One(Math_A_Mul_B, 100, 150, c), 125 + 12); // -0.5 V^2
    c.scaleResult = 0.2f;
    EXPECT_EQ(One(Math_A_Sub_B, 100, 150, c), 0); // 187 counts up: clamped
    EXPECT_EQ(One(Math_A_Add_B, 250, 250, c), 255);
}

TEST(MathChannels, OffsetsShiftInputsAndResult) {
    Channels c;
    c.offsetA = 1.0f; // raw 125 on A is now -1 V
    EXPECT_EQ(One(Math_A_Add_B, 125, 125, c), 150);
    c.offsetResult = -0.4f; // the result's zero moves 10 counts down
    EXPECT_EQ(One(Math_A_Add_B, 125, 125, c), 160);
}

TEST(MathChannels, InvertNegatesTheResult) {
    Channels c;
    c.scaleB = 0.5f;
    const int plain = One(Math_A_Mul_B, 100, 150, c) - 125;
    const int inverted = One(Math_A_Mul_B, 100, 150, c, true) - 125;
    EXPECT_NE(plain, 0);
    EXPECT_EQ(inverted, -plain);
    EXPECT_EQ(One(Math_A_Add_B, 100, 100, {}, true) - 125, -(One(Math_A_Add_B, 100, 100) - 125));
}

TEST(MathChannels, ExtremeProductsClampInsteadOfOverflowing) {
    Channels c;
    c.scaleA = c.scaleB = 2.0e6f;
    EXPECT_EQ(One(Math_A_Mul_B, 0, 0, c), 0);
    EXPECT_EQ(One(Math_A_Mul_B, 0, 0, c, true), 255);
    EXPECT_EQ(One(Math_A_Mul_B, 0, 255, c), 255);
}

TEST(MathChannels, WholeRecordIsCombined) {
    const Raw a{100, 125, 150, 0};
    const Raw b{125, 100, 125, 0};
    Raw result(4, 9);
    Math_A_Add_B(a, b, result, 4, false, 1, 0, 1, 0, 1, 0);
    EXPECT_EQ(result, (Raw{100, 100, 150, 0}));
}

TEST(MathChannels, BadArgumentsWriteNothing) {
    const Raw a(8, 100);
    const Raw b(8, 100);
    Raw result(8, 9);
    const Raw untouched = result;
    Math_A_Add_B(a, b, result, 9, false, 1, 0, 1, 0, 1, 0); // longer than the spans
    Math_A_Add_B(a, b, std::span(result).first(4), 8, false, 1, 0, 1, 0, 1, 0);
    Math_A_Add_B(a, b, result, -1, false, 1, 0, 1, 0, 1, 0);
    Math_A_Sub_B(a, b, result, 8, false, 0, 0, 1, 0, 1, 0);             // zero scale
    Math_A_Sub_B(a, b, result, 8, false, 1, 0, -1, 0, 1, 0);            // negative scale
    Math_A_Mul_B(a, b, result, 8, false, 1, 0, 1, 0, 0.0004f, 0);       // result divisor 0
    Math_A_Mul_B(a, b, result, 8, false, 1, 1e30f, 1, 0, 1, 0);         // offset off any screen
    Math_A_Mul_B(a, b, result, 8, false, 1, 0, 1, 0, 1, std::nanf("")); // no offset at all
    EXPECT_EQ(result, untouched);
}

} // namespace
