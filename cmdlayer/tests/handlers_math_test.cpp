// Math and FFT, reference, display and logic-analyzer handlers: what is stored,
// what is refused, and the few commands that reach the instrument.
#include "handlers_fixture.h"

namespace {

using namespace oxbow::testing;

constexpr unsigned long kMath = 3136;
constexpr unsigned long kRef = 3137;
constexpr unsigned long kLa = 3138;
constexpr unsigned long kDisplay = 3142;

using MathTest = HandlersTest;

TEST_F(MathTest, ScaleChangeSendsNothingAndRedrawsTheMathTrace) {
    setup->fMathScale[1] = 1.0f;
    setup->fMathOffset[1] = 2.0f;
    PostInt(kMath, 1225, 10, 1); // 2 V/div
    EXPECT_EQ(setup->nMathScaleIndex[1], 10);
    EXPECT_FLOAT_EQ(setup->fMathScale[1], 2.0f);
    EXPECT_FLOAT_EQ(setup->fMathOffset[1], 4.0f); // the same divisions
    EXPECT_EQ(region->bRedrawMath, 1);
    EXPECT_TRUE(Lines().empty());
}

TEST_F(MathTest, ShowingMathShowsBothChannelsAndHidingItRestoresTheUsersChoice) {
    setup->bChanDisplay[0] = 1;
    setup->bChanDisplay[1] = 0;
    PostBool(kMath, 1258, true, 0);
    EXPECT_TRUE(GetMathEnabled());
    EXPECT_EQ(Lines(), (Wire{":CHANNEL1:DISPLAY ON", ":CHANNEL2:DISPLAY ON"}));
    PostBool(kMath, 1258, true, 2);
    Lines();
    PostBool(kMath, 1258, false, 0);
    EXPECT_TRUE(Lines().empty()); // trace 2 still needs both channels
    PostBool(kMath, 1258, false, 2);
    EXPECT_FALSE(GetMathEnabled());
    EXPECT_EQ(Lines(), (Wire{":CHANNEL2:DISPLAY OFF", ":CLEARUSB"}));
}

TEST_F(MathTest, LinkDownWritesNothingButStoresAndRedraws) {
    setup->bConnected = 0;
    setup->bDelayed = 1;
    setup->nMathOperator[0] = 3;
    PostBool(kMath, 1258, true, 0);
    PostBool(kMath, 1258, false, 0);
    EXPECT_EQ(setup->bDelayed, 0);
    EXPECT_EQ(setup->bTraceShown[0], 0);
    EXPECT_EQ(region->bRedrawMath, 1);
    EXPECT_TRUE(endpoint.written.empty());
}

TEST_F(MathTest, ShowingMathIsRefusedInXYAndRollingFormat) {
    setup->nTimeFormat = 1;
    PostBool(kMath, 1258, true, 0);
    EXPECT_EQ(TakeMessage(), "Function not available at XY mode");
    setup->nTimeFormat = 2;
    PostBool(kMath, 1258, true, 0);
    EXPECT_EQ(TakeMessage(), "Function not available at rolling mode");
    EXPECT_FALSE(GetMathEnabled());
    EXPECT_TRUE(Lines().empty());
}

TEST_F(MathTest, FFTLeavesTheDelayedTimeBase) {
    setup->bDelayed = 1;
    PostInt(kMath, 1255, 3, 1);
    EXPECT_EQ(setup->bDelayed, 0);
    EXPECT_STREQ(setup->szTraceUnit[1], "Vrms");
    EXPECT_EQ(Lines(), (Wire{":TIMEBASE:MODE MAIN"}));
    PostInt(kMath, 1274, 1, 1);
    EXPECT_STREQ(setup->szTraceUnit[1], "dBVrms");
    setup->bTraceShown[1] = 1;
    EXPECT_TRUE(GetFFTOperator());
    EXPECT_FALSE(GetFFTSplitScreen());
    setup->bFFTSplitScreen = 1;
    EXPECT_TRUE(GetFFTSplitScreen());
}

TEST_F(MathTest, AlternateTriggerSetsTheFFTDisplayFlagFromTheOperator) {
    setup->bTraceShown[0] = 1;
    setup->nMathOperator[0] = 3;
    PostInt(3140, 1825, 4);
    EXPECT_EQ(setup->bFFTSplitScreen, 0);
    setup->nMathOperator[0] = 0;
    PostInt(3140, 1825, 4);
    EXPECT_EQ(setup->bFFTSplitScreen, 1);
}

TEST_F(MathTest, TraceOrSelectorOutOfRangeIsRefused) {
    PostInt(kMath, 1255, 1, 4);
    EXPECT_EQ(TakeMessage(), "Function not available");
    PostInt(kMath, 1255, 5, 0);
    EXPECT_EQ(TakeMessage(), "Function not available");
    PostBool(kMath, 1258, true, -1);
    EXPECT_EQ(TakeMessage(), "Function not available");
    EXPECT_EQ(setup->nMathOperator[0], 0);
    EXPECT_FALSE(GetMathEnabled());
}

TEST_F(MathTest, OffsetsAndFilterLimitsAreValidated) {
    setup->fMathScale[0] = 0.5f;
    PostFloat(kMath, 1235, 30.0f);
    EXPECT_FLOAT_EQ(setup->fMathOffset[0], 20.0f);
    EXPECT_EQ(TakeMessage(), "Position at upper limit");
    PostFloat(kMath, 1165, 0.7f);
    EXPECT_FLOAT_EQ(setup->fMathFilterUpper[0], 0.495f);
    setup->fTraceSpan[0] = 100.0f;
    PostDouble(kMath, 1325, 5000.0);
    EXPECT_DOUBLE_EQ(setup->dFFTHorizOffset[0], 1000.0);
}

TEST_F(MathTest, FFTHorizontalScaleSnapsAndStoresTheZoomStep) {
    setup->dTimeScale = 0.001; // base 5 kHz/div
    PostDouble(kMath, 1315, 1500.0, 2);
    EXPECT_DOUBLE_EQ(setup->dFFTHorizScale[2], 2500.0);
    EXPECT_EQ(setup->nTraceZoomIndex[2], 5);
}

TEST_F(MathTest, ReferenceDisplayIsRefusedInXYFormat) {
    setup->nTimeFormat = 1;
    PostBool(kRef, 1427, true, 2);
    EXPECT_EQ(TakeMessage(), "Function not available at XY mode");
    EXPECT_EQ(setup->bRefDisplay[2], 0);
    PostBool(kRef, 1427, true, 4);
    EXPECT_EQ(TakeMessage(), "Function not available");
}

TEST_F(MathTest, ReferenceScaleFollowsTheKindOfTrace) {
    setup->nRefSource[0] = 0;
    PostFloat(kRef, 1435, 0.001f, 0);
    EXPECT_FLOAT_EQ(setup->fRefScale[0], 0.002f); // a channel
    setup->nRefSource[1] = 3;
    PostFloat(kRef, 1435, 0.001f, 1);
    EXPECT_FLOAT_EQ(setup->fRefScale[1], 0.001f); // a math trace
    setup->nRefKind[2] = 3;
    std::snprintf(setup->szRefUnit[2], sizeof setup->szRefUnit[2], "dBVrms");
    PostFloat(kRef, 1435, 0.5f, 2);
    EXPECT_FLOAT_EQ(setup->fRefScale[2], 1.0f);
    EXPECT_EQ(region->bRedrawRef, 1);
}

TEST_F(MathTest, LogicAnalyzerIsRefusedAtAlternateTriggerAndInXY) {
    setup->nTrigMode = 4;
    PostBool(kLa, 1525, true);
    EXPECT_EQ(TakeMessage(), "Function not available at alternate trigger");
    setup->nTrigMode = 0;
    setup->nTimeFormat = 1;
    PostBool(kLa, 1525, true);
    EXPECT_EQ(TakeMessage(), "Function not available at XY mode");
    EXPECT_EQ(setup->bLaEnable, 0);
    EXPECT_TRUE(Lines().empty());
}

TEST_F(MathTest, LogicAnalyzerCommands) {
    PostBool(kLa, 1525, true);
    PostBool(kLa, 1535, true, 3);
    PostBool(kLa, 1537, false);
    PostInt(kLa, 1545, 1);
    EXPECT_FLOAT_EQ(setup->fLaThreshold, 2.5f);
    PostFloat(kLa, 1546, 9.0f);
    EXPECT_FLOAT_EQ(setup->fLaThresholdUser, 8.0f);
    EXPECT_FLOAT_EQ(setup->fLaThreshold, 8.0f);
    PostFloat(kLa, 1550, 1.25f);
    EXPECT_FLOAT_EQ(setup->fLaThresholdUser, 1.25f);
    EXPECT_EQ(setup->bLaChannel[3], 1);
    EXPECT_EQ(Lines(), (Wire{":LA:DISPLAY ON", ":DIGITAL3:TURN ON", ":LA:GROUP2 OFF",
                             ":LA:THRESHOLD CMOS", ":LA:THRESHOLD 8.000000"}));
    PostBool(kLa, 1535, true, 16);
    EXPECT_EQ(TakeMessage(), "Function not available");
    PostInt(kLa, 1545, 4);
    EXPECT_EQ(TakeMessage(), "Function not available");
    EXPECT_TRUE(Lines().empty());
}

TEST_F(MathTest, DisplayModeIsRefusedAtAlternateTriggerAndInXY) {
    setup->nTrigMode = 4;
    PostInt(kDisplay, 2176, 1);
    EXPECT_EQ(TakeMessage(), "Function not available at alternate trigger");
    setup->nTrigMode = 0;
    setup->nTimeFormat = 1;
    PostInt(kDisplay, 2176, 1);
    EXPECT_EQ(TakeMessage(), "Function not available at XY mode");
    EXPECT_EQ(setup->nDisplayMode, 0);
}

TEST_F(MathTest, DisplaySettings) {
    PostInt(kDisplay, 2155, 1);
    PostFloat(kDisplay, 2165, 1.5f);
    EXPECT_EQ(TakeMessage(), "Wave intensity at upper limit");
    PostFloat(kDisplay, 2175, 0.456f);
    setup->bChanDisplay[1] = 1;
    setup->bLaEnable = 1;
    PostInt(kDisplay, 2158, 0);
    EXPECT_EQ(setup->nDisplayType, 1);
    EXPECT_EQ(setup->nWaveIntensity, 100);
    EXPECT_EQ(setup->nGridIntensity, 46);
    EXPECT_EQ(setup->bChanShownStop[1], 1);
    EXPECT_EQ(setup->bLaShownStop, 1);
    PostInt(kDisplay, 2156, 2);
    EXPECT_EQ(TakeMessage(), "Function not available");
    EXPECT_TRUE(Lines().empty());
}

// Clearing persistence and switching colour grade leave the clear to the display loop;
// the background grey takes 0..255 only. None of them reaches the instrument.
TEST_F(MathTest, PersistenceClearColourGradeAndBackgroundGrey) {
    Post(kDisplay, 2177);
    EXPECT_EQ(region->bClearPersist, 1);
    region->bClearPersist = 0;
    PostBool(kDisplay, 2178, true);
    EXPECT_EQ(setup->bDisplayColorGrade, 1);
    EXPECT_EQ(region->bClearPersist, 1) << "a new plot style starts from an empty history";
    PostBool(kDisplay, 2178, false);
    EXPECT_EQ(setup->bDisplayColorGrade, 0);

    PostInt(kDisplay, 2179, 0x30);
    EXPECT_EQ(setup->byBackgroundGrey, 0x30);
    for (int grey : {256, -1}) {
        PostInt(kDisplay, 2179, grey);
        EXPECT_EQ(TakeMessage(), "Function not available") << grey;
    }
    EXPECT_EQ(setup->byBackgroundGrey, 0x30);
    EXPECT_TRUE(Lines().empty());
}

TEST_F(MathTest, SelfCalibrationEnable) {
    PostBool(2528, 0, true);
    PostBool(2528, 0, false);
    EXPECT_EQ(Lines(), (Wire{":SELFCAL:ENABLE ON", ":SELFCAL:ENABLE OFF"}));
}

} // namespace
