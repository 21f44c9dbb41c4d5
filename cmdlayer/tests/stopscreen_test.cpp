// The trace windows of stopped records, setting changes, the live frame and spectra.
#include "oxmsg.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

using oxmsg::PlaceRecord;
using oxmsg::RecordSpan;

struct Expected {
    int firstSample, lastSample, firstColumn, lastColumn, firstDrawn, lastDrawn;
};

void ExpectWindow(const OX_TRACE_WINDOW& w, Expected e) {
    EXPECT_EQ(w.nFirstSample, e.firstSample);
    EXPECT_EQ(w.nLastSample, e.lastSample);
    EXPECT_EQ(w.nFirstColumn, e.firstColumn);
    EXPECT_EQ(w.nLastColumn, e.lastColumn);
    EXPECT_EQ(w.nFirstDrawn, e.firstDrawn);
    EXPECT_EQ(w.nLastDrawn, e.lastDrawn);
}

// 10,000 samples at 1 GSa/s (1,000 ps each, T = 10 us) on 0.5 us/div (S = 7 us).
RecordSpan TenMicroseconds(int64_t shiftPs) {
    return {shiftPs, 0, 500'000, 1e9, 10'000, 0, false};
}

OX_TRACE_WINDOW Placed(const RecordSpan& span) {
    OX_TRACE_WINDOW w{};
    w.nScanPos = 123;
    w.nRollPoints = 45;
    PlaceRecord(span, w);
    EXPECT_EQ(w.nScanPos, 123);
    EXPECT_EQ(w.nRollPoints, 45);
    return w;
}

TEST(StopWindow, CentredRecordShowsItsMiddleTenSamplesPerColumn) {
    // a = 5 us - 3.5 us = 1.5 us; b = 0.5 us * 349 / 50 + 5 us = 8.49 us.
    ExpectWindow(Placed(TenMicroseconds(0)), {1500, 8490, 0, 699, 0, 699});
}

TEST(StopWindow, SamplesBetweenColumnsMoveTheFirstAndLastColumn) {
    // One sample per division (1 us samples on 1 us/div): 50 columns per sample.
    // a = 500 us - 7 us + 0.25 us; b = 6.98 us + 500 us + 0.25 us.
    const RecordSpan span{250'000, 0, 1'000'000, 1e6, 1000, 0, false};
    ExpectWindow(Placed(span), {494, 507, 37, 688, 0, 699});
}

TEST(StopWindow, ShiftedLeftPastTheStartTheRecordBeginsOnScreen) {
    // a = -4.5 us: the record starts 450 columns in (1 - (-450)).
    ExpectWindow(Placed(TenMicroseconds(-6'000'000)), {0, 2490, 451, 699, 451, 699});
}

TEST(StopWindow, ShiftedRightPastTheEndTheRecordEndsOnScreen) {
    // b = 12.49 us, 2.49 us past the end: 699 - 249.
    ExpectWindow(Placed(TenMicroseconds(4'000'000)), {5500, 9999, 0, 450, 0, 450});
}

TEST(StopWindow, ColumnSixNineNineAtTheRecordEndShowsTheLastSampleNotOnePast) {
    // b = T exactly.
    const OX_TRACE_WINDOW w = Placed(TenMicroseconds(1'510'000));
    EXPECT_EQ(w.nLastSample, 9999);
    EXPECT_EQ(w.nLastColumn, 699);
    EXPECT_EQ(w.nLastDrawn, 699);
}

TEST(StopWindow, ScreenWhollyRightOfTheRecordDrawsNothingInsideTheBuffer) {
    const OX_TRACE_WINDOW w = Placed(TenMicroseconds(20'000'000));
    ExpectWindow(w, {9999, 9999, 700, 700, 700, 699});
    EXPECT_GT(w.nFirstDrawn, w.nLastDrawn);
}

TEST(StopWindow, ScreenWhollyLeftOfTheRecordDrawsNothing) {
    ExpectWindow(Placed(TenMicroseconds(-20'000'000)), {0, 0, 0, 0, 0, -1});
}

TEST(StopWindow, RollingRecordEndsAtTheRightEdge) {
    // 3,000 roll points (R = 3 us): a = -7 us + 3 us, b = R.
    RecordSpan span = TenMicroseconds(0);
    span.rolling = true;
    span.rollPoints = 3000;
    ExpectWindow(Placed(span), {0, 2999, 401, 699, 401, 699});
}

TEST(StopWindow, RollingRecordMovedLeftShowsItsFirstSamples) {
    RecordSpan span = TenMicroseconds(-1'000'000);
    span.rolling = true;
    span.rollPoints = 3000;
    ExpectWindow(Placed(span), {0, 2000, 501, 699, 501, 699});
}

TEST(StopWindow, RollingRecordFarLeftIsNotDrawn) {
    RecordSpan span = TenMicroseconds(-20'000'000);
    span.rolling = true;
    span.rollPoints = 3000;
    const OX_TRACE_WINDOW w = Placed(span);
    EXPECT_EQ(w.nLastDrawn, w.nFirstColumn - 1);
    EXPECT_LT(w.nLastDrawn, w.nFirstDrawn);
    EXPECT_EQ(w.nLastSample, 9999);
}

TEST(StopWindow, RollPointsBeyondTheRecordAreLimitedToIt) {
    RecordSpan span = TenMicroseconds(0);
    span.rolling = true;
    span.rollPoints = 1'000'000;
    const OX_TRACE_WINDOW w = Placed(span);
    EXPECT_GE(w.nFirstSample, 0);
    EXPECT_LE(w.nLastSample, 9999);
}

TEST(StopWindow, RecordsThatCannotBePlacedAreEmpty) {
    const Expected empty{0, 0, 0, -1, 0, -1};
    RecordSpan span = TenMicroseconds(0);
    span.sampleRate = 0.5;
    ExpectWindow(Placed(span), empty);
    span.sampleRate = 2e12;
    ExpectWindow(Placed(span), empty);
    span = TenMicroseconds(0);
    span.scalePs = 0;
    ExpectWindow(Placed(span), empty);
    span = TenMicroseconds(0);
    span.points = 0;
    ExpectWindow(Placed(span), empty);
}

TEST(StopWindow, HugeRecordsStayInsideTheRecord) {
    // 2e9 samples at 1 Sa/s span 2e21 ps, past 64 bits.
    const RecordSpan span{0, 0, 1'000'000'000'000, 1, 2'000'000'000, 0, false};
    const OX_TRACE_WINDOW w = Placed(span);
    EXPECT_EQ(w.nFirstSample, 999'999'993);
    EXPECT_EQ(w.nLastSample, 1'000'000'006);
    EXPECT_EQ(w.nLastDrawn, 699);
}

class ScreenParaTest : public ::testing::Test {
protected:
    std::unique_ptr<_OX_SETUP> setup = std::make_unique<_OX_SETUP>();
    std::unique_ptr<_OX_POS_SETUP> positions = std::make_unique<_OX_POS_SETUP>();

    void SetUp() override {
        oxmsg::Records() = {setup.get(), nullptr, positions.get()};
        setup->llTimeScalePs = 500'000;
        setup->llTimeScalePsRec = 500'000;
        setup->fSampleRateRec = 1e9f;
        setup->nAcqMemoryRec = 10'000;
        setup->dTimeScale = 500e-9;
    }
    void TearDown() override { oxmsg::Records() = {}; }

    OX_TRACE_WINDOW& W(int i) { return positions->stWindow[i]; }
};

TEST_F(ScreenParaTest, StopScreenAddsTheReplyInTwentyPicosecondSteps) {
    setup->llTimeOffsetPs = 1'000;
    GetStopScreenPara(100); // +2,000 ps: three samples later
    ExpectWindow(W(OX_WIN_MAIN), {1503, 8493, 0, 699, 0, 699});
}

TEST_F(ScreenParaTest, StopScreenHoldsAnOffsetAtTheLimitThere) {
    setup->llTimeOffsetPs = INT64_MAX;
    GetStopScreenPara(100);
    const OX_TRACE_WINDOW atMax = W(OX_WIN_MAIN);
    GetStopScreenPara(0);
    const OX_TRACE_WINDOW& w = W(OX_WIN_MAIN);
    ExpectWindow(atMax, {w.nFirstSample, w.nLastSample, w.nFirstColumn, w.nLastColumn,
                         w.nFirstDrawn, w.nLastDrawn});
    setup->llTimeOffsetPs = INT64_MIN;
    GetStopScreenPara(-100);
    const OX_TRACE_WINDOW atMin = w;
    GetStopScreenPara(0);
    ExpectWindow(atMin, {w.nFirstSample, w.nLastSample, w.nFirstColumn, w.nLastColumn,
                         w.nFirstDrawn, w.nLastDrawn});
}

TEST_F(ScreenParaTest, StopScreenPlacesTheDelayedWindowAndTheAnalyzerAtHalfRate) {
    setup->fSampleRateRec = 4e8f; // 2,500 ps per sample
    setup->bDelayed = 1;
    setup->bLaShownStop = 1;
    setup->llDelayedScalePs = 50'000;
    setup->llDelayedOffsetPs = 0;
    GetStopScreenPara(0);
    // Main: T = 25 us, a = 12.5 us - 3.5 us = 9 us.
    ExpectWindow(W(OX_WIN_MAIN), {3600, 6396, 0, 699, 0, 699});
    // Delayed: a = 12.5 us - 0.35 us; b = 0.349 us + 12.5 us.
    ExpectWindow(W(OX_WIN_SECOND), {4860, 5139, 0, 698, 0, 699});
    // Analyzer: 200 MSa/s and 5,000 points; T = 25 us again.
    ExpectWindow(W(OX_WIN_LA_MAIN), {1800, 3198, 0, 699, 0, 699});
}

TEST_F(ScreenParaTest, StopScreenInAlternateTriggerUsesEachChannelsRecord) {
    setup->nTrigMode = 4;
    setup->llAltTimeScalePs[0] = 500'000;
    setup->fAltSampleRateRec[0] = 1e9f;
    setup->nAltMemoryRec[0] = 10'000;
    setup->llAltTimeScalePs[1] = 500'000;
    setup->fAltSampleRateRec[1] = 1e9f;
    setup->nAltMemoryRec[1] = 10'000;
    setup->llAltTimeOffsetPs[1] = -6'000'000;
    GetStopScreenPara(0);
    ExpectWindow(W(0), {1500, 8490, 0, 699, 0, 699});
    ExpectWindow(W(1), {0, 2490, 451, 699, 451, 699});
}

TEST_F(ScreenParaTest, ChangedSettingShowsTheLiveFrameAtOneHundredSamplesPerDivision) {
    setup->llTimeScalePs = 1'000'000;
    setup->llTimeScalePsRec = 1'000'000;
    GetChangeSettingScreenPara();
    ExpectWindow(W(OX_WIN_MAIN), {324, 1722, 0, 699, 0, 699});
    // Twice the scale: the 2048 points span 10.24 divisions around the centre.
    setup->llTimeScalePs = 2'000'000;
    GetChangeSettingScreenPara();
    ExpectWindow(W(OX_WIN_MAIN), {0, 2047, 95, 606, 95, 606});
}

TEST_F(ScreenParaTest, ChangedSettingWithoutARecordedScaleDrawsNothing) {
    setup->llTimeScalePsRec = 0;
    GetChangeSettingScreenPara();
    EXPECT_LT(W(OX_WIN_MAIN).nLastDrawn, W(OX_WIN_MAIN).nFirstDrawn);
}

TEST_F(ScreenParaTest, LiveFrameShowsTheMiddleSamplesExceptOnSpectra) {
    W(OX_WIN_SPECTRUM) = {1, 2, 3, 4, 5, 6, 7, 8};
    GetRunScreenPara();
    ExpectWindow(W(OX_WIN_MAIN), {324, 1723, 0, 699, 0, 699});
    ExpectWindow(W(OX_WIN_MATH), {324, 1723, 0, 699, 0, 699});
    ExpectWindow(W(OX_WIN_SPECTRUM), {1, 2, 3, 4, 5, 6});
}

TEST_F(ScreenParaTest, RollingFrameGrowsFromTheScanPositionAndIsCopiedToTheAnalyzer) {
    setup->nTimeFormat = 2;
    W(OX_WIN_MAIN).nScanPos = 10;
    GetRunScreenPara();
    ExpectWindow(W(OX_WIN_MAIN), {668, 2047, 10, 699, 10, 699});
    ExpectWindow(W(OX_WIN_LA_MAIN), {668, 2047, 10, 699, 10, 699});
    W(OX_WIN_MAIN).nScanPos = 5000; // a stray scan position stays on the screen
    GetRunScreenPara();
    EXPECT_EQ(W(OX_WIN_MAIN).nFirstSample, 2 * 699 + 648);
}

TEST_F(ScreenParaTest, SlowSweepDrawsUpToTheScanPositionThenTheWholeScreen) {
    setup->bSlowSweep = 1;
    setup->bDelayed = 1;
    W(OX_WIN_MAIN).nScanPos = 300;
    W(OX_WIN_MAIN).nLastDrawn = 0;
    GetRunScreenPara();
    ExpectWindow(W(OX_WIN_MAIN), {0, 2047, 0, 699, 0, 300});
    EXPECT_EQ(W(OX_WIN_SECOND).nFirstDrawn, 700);
    W(OX_WIN_MAIN).nLastDrawn = 698;
    GetRunScreenPara();
    EXPECT_EQ(W(OX_WIN_MAIN).nLastDrawn, 699);
    EXPECT_EQ(W(OX_WIN_SECOND).nFirstDrawn, 0);
}

TEST_F(ScreenParaTest, SpectrumAtUnitZoomFillsTenDivisions) {
    // 1 ms/div: base 5 kHz/div, the 1,024 bins span 0 to 50 kHz.
    setup->dTimeScale = 1e-3;
    setup->dFFTHorizScale[1] = 5000;
    setup->dFFTHorizOffset[1] = 0;
    GetFFTHorizZoomScale(1);
    ExpectWindow(W(OX_WIN_SPECTRUM + 1), {0, 1023, 0, 500, 0, 500});
    setup->dFFTHorizOffset[1] = 25000; // half the band off the left edge
    GetFFTHorizZoomScale(1);
    ExpectWindow(W(OX_WIN_SPECTRUM + 1), {512, 1023, 0, 250, 0, 250});
    GetFFTHorizZoomScale(4); // no such trace: nothing changes
    GetFFTHorizZoomScale(-1);
}

TEST_F(ScreenParaTest, ReferenceMovedByItsOffset) {
    setup->dRefTimeScale[2] = 0.5e-6;
    setup->dRefTimeOffset[2] = -6e-6;
    setup->fRefSampleRate[2] = 1e9f;
    setup->nRefLength[2] = 10'000;
    GetRefScreenPara(2);
    ExpectWindow(W(OX_WIN_REF + 2), {0, 2490, 451, 699, 451, 699});
    setup->nRefLength[3] = 0;
    GetRefScreenPara(3);
    EXPECT_LT(W(OX_WIN_REF + 3).nLastDrawn, W(OX_WIN_REF + 3).nFirstDrawn);
}

} // namespace
