#include "oxcommon.h"

#include <gtest/gtest.h>

#include <limits>

namespace {

constexpr CRect kArea{0, 0, 700, 400};     // h = 400, centre 200
constexpr CRect kOddArea{0, 10, 700, 411}; // h = 401, centre 210
constexpr CRect kEmpty{0, 50, 700, 50};
constexpr CRect kScreen{16, 13, 716, 413};
constexpr CPoint kOrigin{366, 13};

TEST(VerticalConversions, VoltsAndMarkerRowsAgree) {
    EXPECT_FLOAT_EQ(GetVoltOffset(0.5f, kArea, {0, 100}), 1.0f);
    EXPECT_FLOAT_EQ(GetVoltOffset(0.5f, kArea, {0, 300}), -1.0f);
    EXPECT_EQ(GetVoltOffsetPt(0.5f, 1.0f, kArea), (CPoint{15, 100}));
    EXPECT_EQ(GetVoltOffsetPt(0.5f, -0.5f, kArea), (CPoint{15, 250}));
    EXPECT_EQ(GetVoltOffsetPt(2.0f, 0.0f, kOddArea), (CPoint{15, 210}));
}

TEST(VerticalConversions, HalfPixelsRoundAwayFromZero) {
    // 0.125 V at 0.5 V/div is 12.5 rows.
    EXPECT_EQ(GetVoltOffsetPt(0.5f, 0.125f, kArea), (CPoint{15, 187}));
    EXPECT_EQ(GetVoltOffsetPt(0.5f, -0.125f, kArea), (CPoint{15, 213}));
}

TEST(VerticalConversions, TriggerLevel) {
    EXPECT_FLOAT_EQ(GetTrigLevel(0.5f, kArea, {0, 100}, {0, 200}), -1.0f);
    EXPECT_EQ(GetTrigLevelPt(0.5f, 1.0f, 0.0f, kArea), (CPoint{15, 100}));
    EXPECT_EQ(GetTrigLevelPt(0.5f, 0.5f, 0.5f, kArea), (CPoint{15, 100}));
    // The level marker rounds the half height, the ground marker truncates it.
    EXPECT_EQ(GetTrigLevelPt(0.5f, 1.0f, 0.0f, kOddArea), (CPoint{15, 111}));
    EXPECT_EQ(GetVoltOffsetPt(0.5f, 1.0f, kOddArea), (CPoint{15, 110}));
}

TEST(VerticalConversions, EmptyAreaOrZeroScaleGivesZeroInsteadOfDividing) {
    EXPECT_EQ(GetVoltOffset(0.5f, kEmpty, {0, 10}), 0.0f);
    EXPECT_EQ(GetTrigLevel(0.5f, kEmpty, {0, 10}, {0, 20}), 0.0f);
    EXPECT_EQ(GetVoltOffsetPt(0.0f, 1.0f, kArea), (CPoint{15, 200}));
    EXPECT_EQ(GetTrigLevelPt(0.0f, 1.0f, 0.0f, kArea), (CPoint{15, 200}));
    EXPECT_EQ(GetLaDisplayPos({0, 10}, kEmpty), 0.0f);
}

TEST(VerticalConversions, HugeRatiosStayOnTheLimitedRange) {
    EXPECT_EQ(GetVoltOffsetPt(1e-30f, 1e30f, kArea).y, -1'000'000);
    EXPECT_EQ(GetTrigLevelPt(1e-30f, -1e30f, 0.0f, kArea).y, 1'000'000);
}

TEST(HorizontalConversions, TriggerPositionAndXYMarker) {
    EXPECT_DOUBLE_EQ(GetTrigOffset(1e-3, {400, 0}, {350, 0}), 1e-3);
    EXPECT_DOUBLE_EQ(GetTrigOffset(1e-3, {300, 0}, {350, 0}), -1e-3);
    EXPECT_EQ(GetTrigOffsetPt(1e-3, 2e-3, kOrigin), (CPoint{266, 28}));
    EXPECT_EQ(GetXYTimeOffsetPt(1e-3, 2e-3, kOrigin), (CPoint{466, 28}));
    EXPECT_EQ(GetTrigOffsetPt(1e-3, 0.01e-3, kOrigin), (CPoint{365, 28})); // 0.5 px away from zero
}

TEST(HorizontalConversions, FinalXIsLimitedToAMillionPixels) {
    EXPECT_EQ(GetTrigOffsetPt(1e-12, 1.0, kOrigin).x, -1'000'000);
    EXPECT_EQ(GetTrigOffsetPt(1e-12, -1.0, kOrigin).x, 1'000'000);
    EXPECT_EQ(GetXYTimeOffsetPt(1e-300, 1e300, kOrigin).x, 1'000'000);
    EXPECT_EQ(GetXYTimeOffsetPt(1e-9, -1e10, kOrigin).x, -1'000'000);
}

TEST(HorizontalConversions, ZeroScaleOrNaNOffsetLeavesTheMarkerAtTheReference) {
    EXPECT_EQ(GetTrigOffsetPt(0, 1.0, kOrigin), (CPoint{366, 28}));
    EXPECT_EQ(GetXYTimeOffsetPt(0, 1.0, kOrigin), (CPoint{366, 28}));
    EXPECT_EQ(GetTrigOffsetPt(1e-3, std::numeric_limits<double>::quiet_NaN(), kOrigin),
              (CPoint{366, 28}));
}

TEST(GetDelayedRect, CentresTheWindowOnTheDelayedOffset) {
    EXPECT_EQ(GetDelayedRect(1e-3, 1e-4, 0, 0, kScreen, kOrigin), (CRect{331, 13, 402, 413}));
    EXPECT_EQ(GetDelayedRect(1e-3, 1e-4, 1e-3, 3e-3, kScreen, kOrigin), (CRect{431, 13, 502, 413}));
}

TEST(GetDelayedRect, IsAtLeastThreePixelsWide) {
    EXPECT_EQ(GetDelayedRect(1e-3, 1e-9, 0, 0, kScreen, kOrigin), (CRect{365, 13, 369, 413}));
}

TEST(GetDelayedRect, AWindowWiderThanTheAreaFillsItExactly) {
    EXPECT_EQ(GetDelayedRect(1e-3, 2e-3, 0, 0, kScreen, kOrigin), (CRect{16, 13, 715, 413}));
    EXPECT_EQ(GetDelayedRect(1e-3, 1e300, 0, 0, kScreen, kOrigin), (CRect{16, 13, 715, 413}));
}

TEST(GetDelayedRect, IsMovedInsideAtEitherEdge) {
    EXPECT_EQ(GetDelayedRect(1e-3, 1e-4, 0, 7e-3, kScreen, kOrigin), (CRect{645, 13, 715, 413}));
    EXPECT_EQ(GetDelayedRect(1e-3, 1e-4, 0, -7e-3, kScreen, kOrigin), (CRect{16, 13, 86, 413}));
}

TEST(GetDelayedRect, ZeroMainScaleGivesAnEmptyRectangle) {
    EXPECT_EQ(GetDelayedRect(0, 1e-4, 0, 0, kScreen, kOrigin), (CRect{}));
}

TEST(GetLaDisplayPos, IsLimitedToThreePointSixFiveDivisions) {
    EXPECT_FLOAT_EQ(GetLaDisplayPos({0, 100}, kArea), 2.0f);
    EXPECT_FLOAT_EQ(GetLaDisplayPos({0, 225}, kArea), -0.5f);
    EXPECT_FLOAT_EQ(GetLaDisplayPos({0, -10000}, kArea), 3.65f);
    EXPECT_FLOAT_EQ(GetLaDisplayPos({0, 10000}, kArea), -3.65f);
}

class AdjustCursor : public ::testing::Test {
protected:
    CRect r1{0, 0, 700, 100};
    CRect r2{0, 100, 700, 250};
    CRect r3{0, 300, 700, 400};
    CPoint p1{100, 33};
    CPoint p2{7, 7};
    CPoint p3{9, 9};
};

TEST_F(AdjustCursor, OtherPointsTakeTheSameRelativeHeight) {
    AdjustCursorCoordinate(0, p1, p2, p3, r1, r2, r3);
    EXPECT_EQ(p1, (CPoint{100, 33}));
    // -150 x -67 / -100 = -100.5, truncated towards zero.
    EXPECT_EQ(p2, (CPoint{100, 150}));
    EXPECT_EQ(p3, (CPoint{100, 333}));
}

TEST_F(AdjustCursor, TheSelectorNamesTheSource) {
    p3 = {200, 350};
    AdjustCursorCoordinate(2, p1, p2, p3, r1, r2, r3);
    EXPECT_EQ(p1, (CPoint{200, 50}));
    EXPECT_EQ(p2, (CPoint{200, 175}));
    EXPECT_EQ(p3, (CPoint{200, 350}));
}

TEST_F(AdjustCursor, OtherSelectorsChangeNothing) {
    AdjustCursorCoordinate(3, p1, p2, p3, r1, r2, r3);
    AdjustCursorCoordinate(-1, p1, p2, p3, r1, r2, r3);
    EXPECT_EQ(p1, (CPoint{100, 33}));
    EXPECT_EQ(p2, (CPoint{7, 7}));
    EXPECT_EQ(p3, (CPoint{9, 9}));
}

TEST_F(AdjustCursor, AnEmptySourceAreaPutsTheOthersAtTheirBottom) {
    AdjustCursorCoordinate(0, p1, p2, p3, kEmpty, r2, r3);
    EXPECT_EQ(p2, (CPoint{100, 250}));
    EXPECT_EQ(p3, (CPoint{100, 400}));
}

TEST(MathScale, MultipliesByTheTableAndClampsTheIndex) {
    EXPECT_FLOAT_EQ(GetMathScale(9, 2.5f), 2.5f);
    EXPECT_FLOAT_EQ(GetMathScale(0, 1000.0f), 1.0f);
    EXPECT_FLOAT_EQ(GetMathScale(5, 2.0f), 0.1f);
    EXPECT_FLOAT_EQ(GetMathScale(12, 3.0f), 30.0f);
    EXPECT_FLOAT_EQ(GetMathScale(-1, 1000.0f), 1.0f);
    EXPECT_FLOAT_EQ(GetMathScale(13, 3.0f), 30.0f);
}

TEST(MathScale, ExtFindsTheSmallestCoveringIndex) {
    EXPECT_EQ(GetMathScaleExt(2, 1), 10);
    EXPECT_EQ(GetMathScaleExt(2.5f, 1), 11);
    EXPECT_EQ(GetMathScaleExt(20, 1), 13);
    EXPECT_EQ(GetMathScaleExt(1, 1), 9);
    EXPECT_EQ(GetMathScaleExt(5, 1), 11);
    EXPECT_EQ(GetMathScaleExt(10, 1), 12);
    EXPECT_EQ(GetMathScaleExt(0.15f, 1), 7);
    EXPECT_EQ(GetMathScaleExt(0.0011f, 1), 1);
    EXPECT_EQ(GetMathScaleExt(1, 0), 13);
}

TEST(MathScale, ExtGivesIndexZeroDownToFiveTenThousandths) {
    EXPECT_EQ(GetMathScaleExt(0.001f, 1), 0);
    EXPECT_EQ(GetMathScaleExt(0.0005f, 1), 0);
    EXPECT_EQ(GetMathScaleExt(0.0004f, 1), -1);
    EXPECT_EQ(GetMathScaleExt(-1, 1), -1);
    EXPECT_EQ(GetMathScaleExt(0, 0), -1);
}

TEST(GetFFTDivs, MapsTheIndexToDivisions) {
    const int expected[] = {10, 1, 2, 5, 10, 20, 50, 100, 10};
    for (int index = 0; index < 9; ++index) {
        EXPECT_EQ(GetFFTDivs(index), expected[index]) << index;
    }
    EXPECT_EQ(GetFFTDivs(-1), 10);
}

} // namespace
