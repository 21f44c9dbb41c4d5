#include "ox_validate.h"
#include "queue_fixture.h"

#include <climits>
#include <cmath>
#include <limits>

namespace {

class ValidateTest : public CommandLayerTest {
protected:
    void SetUp() override {
        CommandLayerTest::SetUp();
        setup->fMinTimeScale = 2e-9f;
    }

    void ExpectMessage(const char* text) {
        EXPECT_EQ(TakeMessage(), std::optional<std::string>(text));
    }
    void ExpectNoMessage() { EXPECT_EQ(TakeMessage(), std::nullopt); }
};

TEST_F(ValidateTest, ChannelScaleLimitsScaleWithTheProbe) {
    EXPECT_FLOAT_EQ(ValidateCHScale(0.001f, 1), 0.002f);
    ExpectMessage("Volts/Div at lower limit");
    EXPECT_FLOAT_EQ(ValidateCHScale(20, 1), 10);
    ExpectMessage("Volts/Div at upper limit");
    EXPECT_FLOAT_EQ(ValidateCHScale(0.002f, 1), 0.002f);
    ExpectNoMessage();
    EXPECT_FLOAT_EQ(ValidateCHScale(0.01f, 10), 0.02f);
    ExpectMessage("Volts/Div at lower limit");
    EXPECT_FLOAT_EQ(ValidateRefVertScale(0.1234f, 1), 0.123f);
    ExpectNoMessage();
}

TEST_F(ValidateTest, ChannelOffsetRangeFollowsTheInputScaleAndTheProbeOnce) {
    EXPECT_FLOAT_EQ(ValidateCHOffset(0.1f, 3, 1), 2);
    ExpectMessage("Volt offset at upper limit");
    EXPECT_FLOAT_EQ(ValidateCHOffset(0.2f, -2, 1), -2); // 0.2 V/div is not above 0.2
    ExpectNoMessage();
    EXPECT_FLOAT_EQ(ValidateCHOffset(0.5f, 3, 1), 3);
    EXPECT_FLOAT_EQ(ValidateCHOffset(0.5f, -50, 1), -40);
    ExpectMessage("Volt offset at lower limit");
    // Probe 10: 5 V/div at the tip is 0.5 V/div at the input, range ±400 V.
    EXPECT_FLOAT_EQ(ValidateCHOffset(5, 300, 10), 300);
    EXPECT_FLOAT_EQ(ValidateCHOffset(5, 500, 10), 400);
    EXPECT_FLOAT_EQ(ValidateCHOffset(2, 30, 10), 20);
}

TEST_F(ValidateTest, RangesAreInclusiveForLimitsGivenAsFloats) {
    EXPECT_FLOAT_EQ(ValidateFilterLimit(0.005f), 0.005f);
    EXPECT_FLOAT_EQ(ValidateFilterLimit(0.495f), 0.495f);
    EXPECT_FLOAT_EQ(ValidateTrigSensitivity(0.1f), 0.1f);
    EXPECT_FLOAT_EQ(ValidatePFHorizRange(0.04f), 0.04f);
    ExpectNoMessage();
    EXPECT_FLOAT_EQ(ValidateFilterLimit(0.6f), 0.495f);
    ExpectMessage("Filter frequency at upper limit");
    EXPECT_FLOAT_EQ(ValidatePFVertRange(0.01f), 0.04f);
    ExpectMessage("P/F Vertical adjust at lower limit");
    EXPECT_FLOAT_EQ(ValidateGridIntensity(1.5f), 1);
    ExpectMessage("Grid intensity at upper limit");
}

TEST_F(ValidateTest, NotANumberIsTakenAsBelowTheRange) {
    EXPECT_FLOAT_EQ(ValidateCHScale(std::numeric_limits<float>::quiet_NaN(), 1), 0.002f);
    ExpectMessage("Volts/Div at lower limit");
    EXPECT_DOUBLE_EQ(ValidateTrigHoldoff(std::nan("")), 100e-9);
    ExpectMessage("Trigger holdoff at lower limit");
}

TEST_F(ValidateTest, MathAndReferenceScalesAndOffsets) {
    EXPECT_EQ(ValidateMathScalen(13), 12);
    ExpectMessage("Volts/Div at upper limit");
    EXPECT_EQ(ValidateFFTVrmsScalen(-1), 0);
    ExpectMessage("Volts/Div at lower limit");
    EXPECT_FLOAT_EQ(ValidateMathScalef(0.0005f), 0.001f);
    EXPECT_FLOAT_EQ(ValidateFFTVrmsScalef(0.001f), 0.002f);
    EXPECT_FLOAT_EQ(ValidateFFTdBVrmsScale(200), 100);
    ExpectMessage("Volts/Div at upper limit");
    EXPECT_FLOAT_EQ(ValidateMathOffset(50, 1), 40);
    ExpectMessage("Position at upper limit");
    EXPECT_FLOAT_EQ(ValidateFFTdBVrmsOffset(-500, 10), -400);
    EXPECT_FLOAT_EQ(ValidateRefVertOffset(5, 0.1f), 4);
    ExpectMessage("Position at upper limit");
    EXPECT_FLOAT_EQ(ValidateRefVertOffset(5, 0.5f), 5);
    EXPECT_DOUBLE_EQ(ValidateRefHorizOffset(-2), -1);
    ExpectMessage("Trigger position at lower limit");
    EXPECT_DOUBLE_EQ(ValidateRefHorizScale(0.003), 0.005);
    EXPECT_DOUBLE_EQ(ValidateFFTHorizOffset(120, 10), 100);
    ExpectMessage("Trigger position at upper limit");
    EXPECT_FLOAT_EQ(ValidateLaUserThresholdLevel(-9), -8);
    ExpectMessage("Threshold level at lower limit");
}

TEST_F(ValidateTest, FFTHorizontalScaleSnapsUpToTheZoomSteps) {
    setup->dTimeScale = 1e-3; // base 5 kHz per division
    const double base = 5000;
    int zoom[kFFTZoomSlots] = {0, 0, 0, 0};
    EXPECT_DOUBLE_EQ(ValidateFFTHorizScale(0.3 * base, 0, zoom), 0.5 * base);
    EXPECT_EQ(zoom[0], 5);
    EXPECT_DOUBLE_EQ(ValidateFFTHorizScale(1.5 * base, 1, zoom), 2 * base);
    EXPECT_EQ(zoom[1], 3);
    EXPECT_DOUBLE_EQ(ValidateFFTHorizScale(0.1 * base, 0, zoom), 0.1 * base);
    EXPECT_EQ(zoom[0], 7);
    ExpectNoMessage();
    EXPECT_DOUBLE_EQ(ValidateFFTHorizScale(20 * base, 0, zoom), 10 * base);
    EXPECT_EQ(zoom[0], 1);
    ExpectMessage("Time/Div at upper limit");
    EXPECT_DOUBLE_EQ(ValidateFFTHorizScale(0.05 * base, 0, nullptr), 0.1 * base);
    ExpectMessage("Time/Div at lower limit");
    EXPECT_DOUBLE_EQ(ValidateFFTHorizScale(base, 99, zoom), base); // no slot 99
}

TEST_F(ValidateTest, FFTHorizontalScaleUsesTheAlternateTimeBaseOfTheChannel) {
    setup->dTimeScale = 1e-3;
    setup->nTrigMode = 4;
    setup->dAltTimeScale[1] = 1e-6; // base 5 MHz per division
    EXPECT_DOUBLE_EQ(ValidateFFTHorizScale(4e6, 1, nullptr), 5e6);
    EXPECT_DOUBLE_EQ(ValidateRefFFTHorizScale(4e3, 1e-3, 0, nullptr), 5e3);
}

TEST_F(ValidateTest, TimeScaleSnapsAndLimits) {
    EXPECT_DOUBLE_EQ(ValidateTimeScale(0.003), 0.005);
    ExpectNoMessage();
    EXPECT_DOUBLE_EQ(ValidateTimeScale(100), 50);
    ExpectMessage("Time/Div at upper limit");
    EXPECT_DOUBLE_EQ(ValidateTimeScale(2e-9), 2e-9); // the model's minimum, held as a float
    ExpectNoMessage();
    EXPECT_DOUBLE_EQ(ValidateTimeScale(1e-9), 2e-9);
    ExpectMessage("Time/Div at lower limit");
    setup->nTimeFormat = 1;
    EXPECT_DOUBLE_EQ(ValidateTimeScale(0.0001), 0.0002);
    ExpectMessage("Time/Div at lower limit");
    EXPECT_DOUBLE_EQ(ValidateAltTrigHorizScale(1), 0.02);
    EXPECT_DOUBLE_EQ(ValidateAltTrigHorizScale(1e-9), 5e-9);
    ExpectNoMessage();
}

TEST_F(ValidateTest, PicosecondTimeScale) {
    EXPECT_EQ(ValidateTimeScale64(1000), 2000);
    ExpectMessage("Time/Div at lower limit");
    EXPECT_EQ(ValidateTimeScale64(2000), 2000);
    EXPECT_EQ(ValidateTimeScale64(60'000'000'000'000), 50'000'000'000'000);
    ExpectMessage("Time/Div at upper limit");
    EXPECT_EQ(ValidateTimeDelayedOffset64(-123456789), -123456789);
}

TEST_F(ValidateTest, TimeOffsetRangeDependsOnTheState) {
    // Stopped: ±500 s.
    EXPECT_DOUBLE_EQ(ValidateTimeOffset(-600), -500);
    ExpectMessage("Trigger position at lower limit");
    // Running: half the record before the trigger, one second after.
    setup->bRun = 1;
    setup->nAcqMemory = 16384;
    setup->fSampleRateMem = 1e6f;
    EXPECT_DOUBLE_EQ(ValidateTimeOffset(-1), -0.008192);
    ExpectMessage("Trigger position at lower limit");
    EXPECT_DOUBLE_EQ(ValidateTimeOffset(2), 1);
    ExpectMessage("Trigger position at upper limit");
    EXPECT_DOUBLE_EQ(ValidateTimeOffset(1.23456e-6), 1.235e-6);
    // Running without a known rate: the stopped range.
    setup->fSampleRateMem = 0;
    EXPECT_DOUBLE_EQ(ValidateTimeOffset(-600), -500);
    // Slow sweep while running: six divisions either way.
    setup->bSlowSweep = 1;
    setup->dTimeScale = 0.1;
    EXPECT_DOUBLE_EQ(ValidateAltTrigHorizOffset(1), 0.6);
    ExpectMessage("Trigger position at upper limit");
    // Rolling: zero while running; [-14 divisions of the record, 0] when stopped.
    setup->bSlowSweep = 0;
    setup->nTimeFormat = 2;
    EXPECT_DOUBLE_EQ(ValidateTimeOffset(-3), 0);
    setup->bRun = 0;
    setup->dTimeScaleRec = 0.5;
    EXPECT_DOUBLE_EQ(ValidateTimeOffset(-10), -7);
    ExpectMessage("Trigger position at lower limit");
    EXPECT_DOUBLE_EQ(ValidateTimeOffset(1), 0);
    ExpectMessage("Trigger position at upper limit");
}

TEST_F(ValidateTest, AveragesSnapToAPowerOfTwo) {
    EXPECT_EQ(ValidateAcqAvgNumber(100), 128);
    ExpectNoMessage();
    EXPECT_EQ(ValidateAcqAvgNumber(1), 2);
    ExpectMessage("Acquire average number at lower limit");
    EXPECT_EQ(ValidateAcqAvgNumber(1000), 256);
    ExpectMessage("Acquire average number at upper limit");
    EXPECT_EQ(ValidateAcqAvgNumber(0), 2);
    ExpectMessage("Acquire average number at lower limit");
    EXPECT_EQ(ValidateAcqAvgNumber(INT_MAX), 256);
    ExpectMessage("Acquire average number at upper limit");
    EXPECT_EQ(ValidateAcqAvgNumber(256), 256);
    ExpectNoMessage();
}

TEST_F(ValidateTest, TriggerTimesKeepThreeDigitsDownToNanoseconds) {
    EXPECT_DOUBLE_EQ(ValidateTrigHoldoff(100e-9), 100e-9);
    EXPECT_DOUBLE_EQ(ValidateTrigHoldoff(123.456e-9), 123e-9);
    EXPECT_DOUBLE_EQ(ValidateTrigPulseWidth(20e-9), 20e-9);
    EXPECT_DOUBLE_EQ(ValidateTrigSlopeTime(1.234e-6), 1.23e-6);
    EXPECT_DOUBLE_EQ(ValidateTrigDurationTime(45.67e-9), 46e-9); // the grid is 1 ns
    ExpectNoMessage();
    EXPECT_DOUBLE_EQ(ValidateTrigHoldoff(50e-9), 100e-9);
    ExpectMessage("Trigger holdoff at lower limit");
    EXPECT_DOUBLE_EQ(ValidateTrigHoldoff(2), 1.5);
    ExpectMessage("Trigger holdoff at upper limit");
    EXPECT_DOUBLE_EQ(ValidateTrigPulseWidth(1e-9), 20e-9);
    ExpectMessage("Pulse width at lower limit");
    EXPECT_DOUBLE_EQ(ValidateTrigDurationTime(11), 10);
    ExpectMessage("Slope time at upper limit");
}

TEST_F(ValidateTest, TriggerLevelAndVideoLine) {
    EXPECT_FLOAT_EQ(ValidateTrigLevel(1.0f, 0.1f, 0, 0), 0.6f);
    ExpectMessage("Trigger level at upper limit");
    EXPECT_FLOAT_EQ(ValidateTrigLevel(-1.0f, 0.1f, 0.2f, 1), -0.8f);
    ExpectMessage("Trigger level at lower limit");
    EXPECT_FLOAT_EQ(ValidateTrigLevel(7, 1, 0, 3), 6);
    ExpectMessage("Trigger level at upper limit");
    EXPECT_EQ(ValidateTrigVideoLine(600, 0), 525);
    EXPECT_EQ(ValidateTrigVideoLine(600, 1), 600);
    EXPECT_EQ(ValidateTrigVideoLine(0, 1), 1);
    ExpectNoMessage();
}

TEST_F(ValidateTest, RecordAndPlaybackFrames) {
    EXPECT_EQ(ValidRecordEndFrame(1001), 1000);
    ExpectMessage("Record frames at upper limit");
    setup->nRecordFrames = 10;
    EXPECT_EQ(ValidRecordCurFrame(20), 10);
    EXPECT_EQ(ValidRecordCurFrame(0), 1);
    ExpectNoMessage();
    setup->nPlayStartFrame = 3;
    setup->nPlayEndFrame = 8;
    EXPECT_EQ(ValidPlaybackCurFrm(1), 3);
    ExpectMessage("Playback current frame at lower limit");
    EXPECT_DOUBLE_EQ(ValidRecordInterval(0.0001), 0.001);
    ExpectMessage("Record interval at lower limit");
    EXPECT_DOUBLE_EQ(ValidPlaybackInterval(30), 20);
    ExpectMessage("Playback interval at upper limit");
}

TEST_F(ValidateTest, ConvertToLONGRoundsHalvesAwayFromZeroAndSaturates) {
    EXPECT_EQ(ConvertToLONG(1.5e-9, 12), 1500);
    EXPECT_EQ(ConvertToLONG(-2.5, 0), -3);
    EXPECT_EQ(ConvertToLONG(0.0000005, 12), 500000);
    EXPECT_EQ(ConvertToLONG(std::nan(""), 12), 0);
    EXPECT_EQ(ConvertToLONG(1e300, 12), std::numeric_limits<std::int64_t>::max());
    EXPECT_EQ(ConvertToLONG(-1e300, 12), std::numeric_limits<std::int64_t>::min());
}

TEST_F(ValidateTest, DelayedWindowStaysInsideTheMainTimebase) {
    std::int64_t scale = 1'000'000, minimum = 2'000'000, offset = 0, delayed = 0;
    SetTimeBase(scale, minimum, offset, delayed, true);
    EXPECT_EQ(scale, 2'000'000);
    ExpectMessage("Time/Div at lower limit");

    scale = 1'000'000, minimum = 2'000'000;
    SetTimeBase(scale, minimum, offset, delayed, false);
    EXPECT_EQ(minimum, 1'000'000);
    ExpectMessage("Time/Div at upper limit");

    scale = 1000, minimum = 100, offset = 500, delayed = 10'000;
    SetTimeBase(scale, minimum, offset, delayed, false);
    EXPECT_EQ(delayed, 500 + 6300);
    delayed = -10'000;
    SetTimeBase(scale, minimum, offset, delayed, false);
    EXPECT_EQ(delayed, 500 - 6300);
    ExpectNoMessage();
}

TEST_F(ValidateTest, TriggerLevelThatApplies) {
    setup->fEdgeLevel = 0.5f;
    setup->nEdgeSource = 1;
    EXPECT_FLOAT_EQ(GetTrigLevelValue(0, 0, 0), 0.5f);
    setup->nEdgeSource = 5; // AC line
    EXPECT_FLOAT_EQ(GetTrigLevelValue(0, 0, 0), 0);
    setup->nPulseSource = 9; // D3
    setup->nLaThresholdType = 1;
    EXPECT_FLOAT_EQ(GetTrigLevelValue(1, 0, 0), 2.5f);
    setup->nLaThresholdType = 3;
    setup->fLaThresholdUser = -0.7f;
    EXPECT_FLOAT_EQ(GetTrigLevelValue(1, 0, 0), -0.7f);
    setup->fSlopeLevelA = 0.1f;
    setup->fSlopeLevelB = 0.2f;
    EXPECT_FLOAT_EQ(GetTrigLevelValue(2, 0, 1), 0.2f);
    setup->nAltType[1] = 2;
    setup->fAltSlopeLevelA[1] = 1.25f;
    EXPECT_FLOAT_EQ(GetTrigLevelValue(4, 1, 0), 1.25f);
    EXPECT_FLOAT_EQ(GetTrigLevelValue(4, 7, 0), 0); // no such channel
}

} // namespace
