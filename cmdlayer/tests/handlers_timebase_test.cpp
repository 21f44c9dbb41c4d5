// Timebase group 3139 through the queue: picosecond storage, the format limits, the
// delayed window kept inside the main one, refusals and the alternate time bases.
#include "handlers_vertical_fixture.h"

namespace {

using TimebaseTest = VerticalHandlersTest;

TEST_F(TimebaseTest, MainScaleIsSnappedStoredInPicosecondsAndSentWithNineDecimals) {
    Timebase(0, 0.001, false);
    PostDouble(3139, 1645, 0, 0.003);
    EXPECT_EQ(setup->llTimeScalePs, 5'000'000'000);
    EXPECT_DOUBLE_EQ(setup->dTimeScale, 0.005);
    EXPECT_FALSE(Shown());
    EXPECT_EQ(SentWithReadBack(), (SentCommand{":TIMEBASE:SCALE 0.005000000", true}));
    EXPECT_TRUE(region->bRedrawTrigPos);
}

TEST_F(TimebaseTest, RollingWhileRunningKeepsHalfASecondPerDivision) {
    Timebase(2, 1.0, true);
    PostDouble(3139, 1645, 0, 0.2);
    EXPECT_EQ(setup->llTimeScalePs, 500'000'000'000);
    EXPECT_DOUBLE_EQ(setup->dTimeScale, 0.5);
    EXPECT_EQ(Shown(), "Time/Div at lower limit");
    EXPECT_EQ(SentOnce(), ":TIMEBASE:SCALE 0.500000000");
}

TEST_F(TimebaseTest, SlowSweepFollowsTheScaleInYTAndXYClearsIt) {
    Timebase(0, 0.001, true);
    PostDouble(3139, 1645, 0, 0.05);
    EXPECT_EQ(setup->bSlowSweep, 1);
    PostDouble(3139, 1645, 0, 0.02);
    EXPECT_EQ(setup->bSlowSweep, 0);
    PostDouble(3139, 1645, 0, 0.05);
    PostInt(3139, 1626, 0, 1);
    EXPECT_EQ(setup->bSlowSweep, 0);
    EXPECT_EQ(setup->nTimeFormat, 1);
    PostInt(3139, 1626, 0, 0);
    EXPECT_EQ(setup->bSlowSweep, 1);
}

TEST_F(TimebaseTest, XYKeepsTheScaleWithinItsRange) {
    Timebase(1, 0.001, false);
    PostDouble(3139, 1645, 0, 0.05);
    EXPECT_EQ(setup->llTimeScalePs, 20'000'000'000);
    EXPECT_EQ(Shown(), "Time/Div at upper limit");
    EXPECT_EQ(SentOnce(), ":TIMEBASE:SCALE 0.020000000");
}

TEST_F(TimebaseTest, XYShowsBothChannelsAndDropsTheAnalyzerAndDelayedWindow) {
    Timebase(0, 0.001, false);
    setup->bLaEnable = 1;
    setup->bDelayed = 1;
    setup->nTrigMode = 0;
    setup->nEdgeSource = 0;
    PostInt(3139, 1626, 0, 1);
    EXPECT_EQ(setup->bChanDisplay[0] + setup->bChanDisplay[1], 2);
    EXPECT_EQ(setup->bLaEnable, 0);
    EXPECT_EQ(setup->bDelayed, 0);
    EXPECT_EQ(setup->bTrigSourceShown, 0);
    EXPECT_EQ(region->bTrigMarker, 0);
    EXPECT_TRUE(region->bRedrawAll);
    EXPECT_EQ(SentOnce(), ":TIMEBASE:FORMAT XY");
    PostInt(3139, 1626, 0, 0);
    EXPECT_EQ(setup->bTrigSourceShown, 1);
    EXPECT_EQ(region->bTrigMarker, 1);
    EXPECT_EQ(SentOnce(), ":TIMEBASE:FORMAT YT");
}

TEST_F(TimebaseTest, RollingRaisesTheScaleAndHidesFilterTraces) {
    Timebase(0, 0.1, false);
    setup->bDelayed = 1;
    setup->bTraceShown[0] = setup->bTraceShown[1] = 1;
    setup->nMathOperator[0] = 4;
    setup->nMathOperator[1] = 0;
    PostInt(3139, 1626, 0, 2);
    EXPECT_EQ(setup->llTimeScalePs, 500'000'000'000);
    EXPECT_DOUBLE_EQ(setup->dTimeScale, 0.5);
    EXPECT_EQ(setup->bTraceShown[0], 0);
    EXPECT_EQ(setup->bTraceShown[1], 1);
    EXPECT_EQ(setup->bDelayed, 0);
    EXPECT_EQ(setup->bSlowSweep, 0);
    EXPECT_EQ(SentOnce(), ":TIMEBASE:FORMAT ROLLING");

    PostInt(3139, 1626, 0, 3);
    EXPECT_EQ(Shown(), "Function not available");
    EXPECT_EQ(setup->nTimeFormat, 2);
}

TEST_F(TimebaseTest, MainOffsetIsRefusedWhileRolling) {
    Timebase(2, 0.5, false);
    setup->llTimeOffsetPs = -1;
    PostDouble(3139, 1635, 0, -1.0);
    EXPECT_EQ(Shown(), "Function not available at rolling mode");
    EXPECT_EQ(setup->llTimeOffsetPs, -1);
    EXPECT_TRUE(NothingSent());
}

TEST_F(TimebaseTest, MainOffsetRoundsToWholePicoseconds) {
    Timebase(0, 0.001, false);
    PostDouble(3139, 1635, 0, 0.00123456);
    EXPECT_EQ(setup->llTimeOffsetPs, 1'235'000'000);
    EXPECT_DOUBLE_EQ(setup->dTimeOffset, 0.001235);
    EXPECT_EQ(SentOnce(), ":TIMEBASE:OFFSET 0.001235000");
}

TEST_F(TimebaseTest, TheDelayedWindowStaysInsideTheMainWindow) {
    Timebase(0, 0.001, false);
    setup->bDelayed = 1;
    setup->llDelayedScalePs = 100'000'000; // 100 us/div
    PostDouble(3139, 1665, 0, 0.005);
    EXPECT_EQ(setup->llDelayedScalePs, 1'000'000'000);
    EXPECT_EQ(Shown(), "Time/Div at upper limit");
    EXPECT_EQ(SentOnce(), ":TIMEBASE:DELAYED:SCALE 0.001000000");

    PostDouble(3139, 1665, 0, 0.0001);
    PostDouble(3139, 1655, 0, 0.5); // (1 ms - 100 us) x 7 at most from the main offset
    EXPECT_EQ(setup->llDelayedOffsetPs, 6'300'000'000);
    EXPECT_DOUBLE_EQ(setup->dDelayedOffset, 0.0063);
    EXPECT_EQ(link.sent.back().text, ":TIMEBASE:DELAYED:OFFSET 0.006300000");

    PostDouble(3139, 1645, 0, 0.00005); // the main scale may not go below the delayed one
    EXPECT_EQ(setup->llTimeScalePs, 100'000'000);
    EXPECT_EQ(Shown(), "Time/Div at lower limit");
    EXPECT_EQ(setup->llDelayedOffsetPs, 0);
}

TEST_F(TimebaseTest, WithTheDelayedTimebaseOffItsScaleFollowsTheMainOneSilently) {
    Timebase(0, 0.001, false);
    PostDouble(3139, 1645, 0, 0.00001);
    EXPECT_EQ(setup->llTimeScalePs, 10'000'000);
    EXPECT_EQ(setup->llDelayedScalePs, 10'000'000);
    EXPECT_FALSE(Shown());
}

TEST_F(TimebaseTest, DelayedModeNamesWhyItCannotBeSwitchedOn) {
    Timebase(0, 0.001, false);
    setup->nTrigMode = 4;
    PostBool(3139, 1625, 0, true);
    EXPECT_EQ(Shown(), "Function not available at alternate trigger");
    setup->nTrigMode = 0;
    setup->bTraceShown[2] = 1;
    setup->nMathOperator[2] = 3;
    PostBool(3139, 1625, 0, true);
    EXPECT_EQ(Shown(), "Function not available at FFT");
    setup->bTraceShown[2] = 0;
    setup->nTimeFormat = 1;
    PostBool(3139, 1625, 0, true);
    EXPECT_EQ(Shown(), "Function not available");
    EXPECT_EQ(setup->bDelayed, 0);
    EXPECT_TRUE(NothingSent());

    setup->nTimeFormat = 0;
    PostBool(3139, 1625, 0, true);
    EXPECT_EQ(setup->bDelayed, 1);
    EXPECT_EQ(SentOnce(), ":TIMEBASE:MODE DELAYED");
    setup->nTrigMode = 4; // switching off is always allowed
    PostBool(3139, 1625, 0, false);
    EXPECT_EQ(SentOnce(), ":TIMEBASE:MODE MAIN");
    EXPECT_TRUE(region->bRedrawAll);
}

TEST_F(TimebaseTest, AlternateTimeBasesPerChannel) {
    PostDouble(3139, 2015, 1, 0.003);
    EXPECT_EQ(int64_t(setup->llAltTimeScalePs[1]), 5'000'000'000);
    EXPECT_DOUBLE_EQ(setup->dAltTimeScale[1], 0.005);
    EXPECT_EQ(SentOnce(), ":TRIGGER:ALTERNATION:CHANNEL2:TIMESCALE 0.005000000");
    PostDouble(3139, 2025, 0, -0.0001);
    EXPECT_EQ(int64_t(setup->llAltTimeOffsetPs[0]), -100'000'000);
    EXPECT_EQ(SentOnce(), ":TRIGGER:ALTERNATION:CHANNEL1:TIMEOFFSET -0.000100000");

    PostDouble(3139, 2015, 2, 0.001);
    EXPECT_EQ(Shown(), "Function not available");
    PostDouble(3139, 2025, -1, 0.001);
    EXPECT_EQ(Shown(), "Function not available");
    EXPECT_TRUE(NothingSent());
}

TEST_F(TimebaseTest, PlaybackRefusesEveryTimebaseCommand) {
    Timebase(0, 0.001, false);
    setup->nRecordState = 2;
    PostDouble(3139, 1645, 0, 0.01);
    EXPECT_EQ(Shown(), "Function not available");
    PostInt(3139, 1626, 0, 1);
    EXPECT_EQ(Shown(), "Function not available");
    EXPECT_EQ(setup->llTimeScalePs, 1'000'000'000);
    EXPECT_EQ(setup->nTimeFormat, 0);
    EXPECT_TRUE(NothingSent());

    setup->nRecordState = 1; // recording does not stop the timebase
    PostDouble(3139, 1645, 0, 0.01);
    EXPECT_EQ(setup->llTimeScalePs, 10'000'000'000);
}

TEST_F(TimebaseTest, ReadBackTakesTheAcceptedScaleFromItsPicosecondCopy) {
    Timebase(0, 0.001, false);
    link.whole = true;
    link.dso.set(oxrec::dso::llTimeScalePs, std::int64_t{2'000'000'000});
    PostDouble(3139, 1645, 0, 0.005);
    EXPECT_EQ(setup->llTimeScalePs, 2'000'000'000);
    EXPECT_DOUBLE_EQ(setup->dTimeScale, 0.002);
}

} // namespace
