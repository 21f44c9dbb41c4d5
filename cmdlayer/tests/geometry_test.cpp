// Cursor conversions, digital-line markers, the region record's marker points
// and the cursor limits.
#include "queue_fixture.h"

#include <gtest/gtest.h>

namespace {

constexpr OX_RECT kMain{16, 13, 716, 413};

TEST(CursorDiv, HundredPixelsOnSevenHundredAreTwoDivisions) {
    EXPECT_FLOAT_EQ(GetCursorDiv({366, 213}, {466, 0}, kMain, true), 2.0f);
    EXPECT_FLOAT_EQ(GetCursorDiv({366, 213}, {316, 0}, kMain, true), -1.0f);
}

TEST(CursorDiv, VerticalDivisionsGrowUpwards) {
    EXPECT_FLOAT_EQ(GetCursorDiv({366, 213}, {0, 113}, kMain, false), 2.0f);
    EXPECT_FLOAT_EQ(GetCursorDiv({366, 213}, {0, 238}, kMain, false), -0.5f);
}

TEST(CursorDiv, EmptyRectangleGivesZero) {
    EXPECT_EQ(GetCursorDiv({0, 0}, {50, 50}, OX_RECT{5, 5, 5, 5}, true), 0.0f);
    EXPECT_EQ(GetCursorDiv({0, 0}, {50, 50}, OX_RECT{5, 5, 5, 5}, false), 0.0f);
}

TEST(CursorPt, TwoAndAHalfDivisionsOnFourHundredRowsAre125PixelsUp) {
    const OX_POINT p = GetCursorPt({366, 213}, 2.5f, kMain, false);
    EXPECT_EQ(p.x, 0);
    EXPECT_EQ(p.y, 213 - 125);
}

TEST(CursorPt, HorizontalOffsetRoundsHalvesAwayFromZero) {
    // A quarter division of 28 pixels is half a pixel.
    constexpr OX_RECT narrow{0, 0, 28, 8};
    EXPECT_EQ(GetCursorPt({10, 4}, 0.25f, narrow, true).x, 11);
    EXPECT_EQ(GetCursorPt({10, 4}, -0.25f, narrow, true).x, 9);
    EXPECT_EQ(GetCursorPt({10, 4}, 0.5f, narrow, false).y, 4 - 1);
    EXPECT_EQ(GetCursorPt({366, 213}, 3.0f, kMain, true).y, 0);
}

TEST(CursorPt, HugeDivisionsAreLimited) {
    EXPECT_EQ(GetCursorPt({0, 0}, 1e12f, kMain, true).x, 2'147'483'646);
    EXPECT_EQ(GetCursorPt({0, 0}, -1e12f, kMain, true).x, -2'147'483'646);
    EXPECT_EQ(GetCursorPt({0, 0}, 1e12f, kMain, false).y, -2'147'483'646);
}

TEST(LaOffsetPoint, PositionZeroIsTheVerticalCentre) {
    const OX_POINT p = GetLaOffsetPoint(0, kMain);
    EXPECT_EQ(p.x, 15);
    EXPECT_EQ(p.y, 213);
}

TEST(LaOffsetPoint, OneDivisionIsAnEighthOfTheHeight) {
    EXPECT_EQ(GetLaOffsetPoint(1, kMain).y, 163);
    EXPECT_EQ(GetLaOffsetPoint(-1.5f, kMain).y, 288);
}

TEST(LaOffsetPoint, PositionsBeyondTheWindowAreClampedToItsEdges) {
    EXPECT_EQ(GetLaOffsetPoint(5, kMain).y, kMain.top);
    EXPECT_EQ(GetLaOffsetPoint(-5, kMain).y, kMain.bottom);
}

TEST(LaLinePosition, LinesStackFromD0UpwardsInsideTheMarkerRange) {
    EXPECT_LT(oxmsg::LaLinePosition(0), oxmsg::LaLinePosition(1));
    EXPECT_GE(oxmsg::LaLinePosition(0), -3.65f);
    EXPECT_LE(oxmsg::LaLinePosition(15), 3.65f);
}

class RegionTest : public CommandLayerTest {
protected:
    void SetUp() override {
        CommandLayerTest::SetUp();
        region->rcMain = kMain;
        region->rcUpper = {16, 13, 716, 163};
        region->rcLower = {16, 183, 716, 413};
        region->rcFFTTime = {16, 13, 716, 213};
        region->rcFFTFreq = {16, 213, 716, 413};
        for (int c = 0; c < 2; ++c) {
            setup->fChanScale[c] = 1.0f;
            setup->fChanProbe[c] = 1.0f;
        }
        setup->dTimeScale = 1e-3;
        setup->dDelayedScale = 1e-4;
    }
};

TEST_F(RegionTest, TriggerOriginIsMidScreenInYTAndAtTheRightEdgeWhileRolling) {
    RebuildRgnSetup();
    EXPECT_EQ(region->ptTrigOrigin.x, 16 + 350);
    EXPECT_EQ(region->ptTrigOrigin.y, 13);
    setup->nTimeFormat = 2;
    RebuildRgnSetup();
    EXPECT_EQ(region->ptTrigOrigin.x, 16 + 700);
}

TEST_F(RegionTest, GroundMarkersFollowOffsetAndScale) {
    setup->fChanOffset[0] = 2.0f; // two divisions up
    setup->fChanOffset[1] = -1.0f;
    RebuildRgnSetup();
    EXPECT_EQ(region->ptTrace[0][0].y, 213 - 100);
    EXPECT_EQ(region->ptTrace[0][1].y, 213 + 50);
}

TEST_F(RegionTest, TriggerMarkersOfTheMainWindow) {
    setup->nEdgeSource = 1;
    setup->fEdgeLevel = 1.0f;
    setup->dTimeOffset = 2e-3; // trigger two divisions left of centre
    RebuildRgnSetup();
    EXPECT_EQ(region->ptTrigLevel[0].y, 213 - 50);
    EXPECT_EQ(region->ptTrigPos[0].x, 366 - 100);
}

TEST_F(RegionTest, DelayedTimebaseMarksBothWindowsAndTheZoomedSpan) {
    setup->bDelayed = 1;
    setup->fChanOffset[0] = 1.0f;
    setup->dDelayedOffset = 1e-3; // one main division right of the trigger
    RebuildRgnSetup();
    EXPECT_EQ(region->ptTrace[0][0].y, 88 - 19);  // 150 rows: a division is 18.75
    EXPECT_EQ(region->ptTrace[1][0].y, 298 - 29); // 230 rows: 28.75
    // A tenth of the main scale: 70 columns centred one division right of centre.
    EXPECT_EQ(region->rcDelayed.left, 366 + 50 - 35);
    EXPECT_EQ(region->rcDelayed.right, 366 + 50 + 35 + 1);
    EXPECT_EQ(region->rcDelayed.top, region->rcUpper.top);
    EXPECT_EQ(region->ptTrigPos[1].x, 366 - 500); // delayed window: 1 ms at 0.1 ms/div
}

TEST_F(RegionTest, DigitalLinesAreStackedInsideTheWindow) {
    RebuildRgnSetup();
    for (int line = 0; line < 16; ++line) {
        EXPECT_EQ(region->ptLa[0][line].x, 15);
        EXPECT_GE(region->ptLa[0][line].y, kMain.top);
        EXPECT_LE(region->ptLa[0][line].y, kMain.bottom);
    }
    EXPECT_GT(region->ptLa[0][0].y, region->ptLa[0][15].y);
}

TEST_F(RegionTest, AlternateTriggerPutsEachChannelsTriggerInItsWindow) {
    setup->nTrigMode = 4;
    setup->dAltTimeScale[0] = 1e-3;
    setup->dAltTimeScale[1] = 1e-6;
    setup->dAltTimeOffset[1] = 1e-6;
    RebuildRgnSetup();
    EXPECT_EQ(region->ptTrigPos[0].x, 366);
    EXPECT_EQ(region->ptTrigPos[1].x, 366 - 50);
    EXPECT_EQ(region->rcDelayed.right, 0);
}

TEST_F(RegionTest, CursorBeyondTheScreenIsKeptAtItsEdgeWithAMessage) {
    EXPECT_FLOAT_EQ(ValidateCursorX(9.0f, OX_CURSOR_A), 7.0f);
    EXPECT_EQ(TakeMessage(), "Cursor position at upper limit");
    EXPECT_FLOAT_EQ(ValidateCursorY(-4.5f, OX_CURSOR_B), -4.0f);
    EXPECT_EQ(TakeMessage(), "Cursor position at lower limit");
    EXPECT_FLOAT_EQ(ValidateCursorX(-3.25f, OX_CURSOR_TRACK_B), -3.25f);
    EXPECT_EQ(TakeMessage(), std::nullopt);
}

TEST_F(RegionTest, SpectrumCursorsCountFromTheLeftEdgeOfTheFFTWindow) {
    setup->bFFTSplitScreen = 1;
    setup->nMathOperator[1] = 3;
    setup->nCurXSource = 3; // MATH2, an FFT
    EXPECT_FLOAT_EQ(ValidateCursorX(-1.0f, OX_CURSOR_A), 0.0f);
    EXPECT_FLOAT_EQ(ValidateCursorX(13.5f, OX_CURSOR_A), 13.5f);
    setup->fCurXA = 2.0f;
    RebuildCursorPt();
    EXPECT_EQ(region->ptCurXA.x, 16 + 100);
}

TEST_F(RegionTest, CursorPointsAndDivisionsConvertBothWays) {
    setup->nTrigMode = 4;
    setup->nTrackSourceB = 1; // CH2: the lower window in alternate trigger
    setup->fTrackB = 1.5f;
    setup->fCurYA = 2.0f;
    RebuildCursorPt();
    EXPECT_EQ(region->ptTrackB.x, 366 + 75);
    EXPECT_EQ(region->ptCurYA.y, 88 - 38); // CH1 upper window: 18.75 rows a division
    region->ptTrackB.x = 366 - 700;        // dragged far off the window
    region->ptCurYA.y = 88 + 30;
    RebuildCursorDiv();
    EXPECT_FLOAT_EQ(setup->fTrackB, -7.0f);
    EXPECT_FLOAT_EQ(setup->fCurYA, -1.6f);
    EXPECT_EQ(TakeMessage(), std::nullopt);
}

TEST_F(RegionTest, DelayedOffsetPutsTheWindowCentreUnderThePointer) {
    // 50 pixels left of the centre at 1 us/div: one division later.
    EXPECT_NEAR(GetDelayedOffset(1e-6, 2e-6, kMain, {316, 100}), 3e-6, 1e-15);
    EXPECT_NEAR(GetDelayedOffset(1e-6, 0, kMain, {366, 100}), 0, 1e-15);
}

} // namespace

namespace {

TEST_F(RegionTest, RectanglesFromALoadedFileCannotOverflowThePoints) {
    region->rcMain = {-2'000'000'000, -2'000'000'000, 2'000'000'000, 2'000'000'000};
    region->rcFFTFreq = region->rcMain;
    setup->nTimeFormat = 2;
    RebuildRgnSetup();
    EXPECT_EQ(region->ptTrigOrigin.x, 2'147'483'647);
    EXPECT_FLOAT_EQ(ValidateCursorX(100.0f, OX_CURSOR_A), 7.0f);
}

} // namespace
