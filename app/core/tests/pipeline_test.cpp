// Trace pipeline: live windows per format, the channel step, stopped records, math slots,
// the logic analyzer and the measurement hand-over.
#include "../src/pipeline_state.h"
#include "numerix.h"
#include "pipeline_fixture.h"

#include <algorithm>

namespace oxdisplay::testing {
namespace {

using PipelineTest = DisplayTest;

const OX_TRACE_WINDOW& Window(const _OX_POS_SETUP& p, int i) {
    return p.stWindow[i];
}

TEST_F(PipelineTest, LiveYTWindowsShowTheMiddle1400SamplesAndSpareTheSpectra) {
    positions->stWindow[OX_WIN_SPECTRUM + 1].nFirstSample = 77;
    Engine().ResetTraceWindows();
    for (int i : {OX_WIN_MAIN, OX_WIN_SECOND, OX_WIN_LA_MAIN, OX_WIN_MATH + 3, OX_WIN_REF}) {
        const auto& w = Window(*positions, i);
        EXPECT_EQ(w.nFirstSample, 324) << i;
        EXPECT_EQ(w.nLastSample, 1723) << i;
        EXPECT_EQ(w.nFirstColumn, 0);
        EXPECT_EQ(w.nLastDrawn, 699);
    }
    EXPECT_EQ(Window(*positions, OX_WIN_SPECTRUM + 1).nFirstSample, 77);
}

TEST_F(PipelineTest, RollWindowGrowsLeftwardsFromTheScanPosition) {
    setup->nTimeFormat = 2;
    counters.nScanPos = 0;
    Engine().ResetTraceWindows();
    EXPECT_EQ(Window(*positions, OX_WIN_MAIN).nFirstSample, 648);
    EXPECT_EQ(Window(*positions, OX_WIN_MAIN).nLastSample, 2047);
    counters.nScanPos = 600;
    Engine().ResetTraceWindows();
    const auto& w = Window(*positions, OX_WIN_MAIN);
    EXPECT_EQ(w.nFirstSample, 1848);
    EXPECT_EQ(w.nFirstColumn, 600);
    EXPECT_EQ(w.nFirstDrawn, 600);
    EXPECT_EQ(Window(*positions, OX_WIN_LA_MAIN).nFirstSample, 1848); // copied for the analyzer
}

TEST_F(PipelineTest, SlowSweepDrawsToTheScanPositionThenTheWholeWidth) {
    setup->bSlowSweep = 1;
    setup->bDelayed = 1;
    counters.nScanPos = 300;
    Engine().ResetTraceWindows();
    EXPECT_EQ(Window(*positions, OX_WIN_MAIN).nLastDrawn, 300);
    EXPECT_EQ(Window(*positions, OX_WIN_MAIN).nFirstSample, 0);
    EXPECT_GE(Window(*positions, OX_WIN_SECOND).nFirstDrawn, kColumns); // second region not yet
    counters.nScanPos = 698;
    Engine().ResetTraceWindows();
    EXPECT_EQ(Window(*positions, OX_WIN_MAIN).nLastDrawn, 699);
    EXPECT_EQ(Window(*positions, OX_WIN_SECOND).nFirstDrawn, 0);
    EXPECT_EQ(Window(*positions, OX_WIN_LA_SECOND).nFirstDrawn, 0);
}

TEST_F(PipelineTest, XYWindowTakesTheWholeFrame) {
    setup->nTimeFormat = 1;
    Engine().ResetTraceWindows();
    EXPECT_EQ(Window(*positions, OX_WIN_MAIN).nFirstSample, 0);
    EXPECT_EQ(Window(*positions, OX_WIN_MAIN).nLastSample, 2047);
}

TEST_F(PipelineTest, LiveFrameCopiesTheWindowRowsStraightIntoThePairs) {
    // A ramp makes every sample distinguishable; the buffer is exactly 2048 long, so scaling
    // past the window's last sample would be caught by the sanitizer.
    for (int i = 0; i < kLivePoints; ++i) {
        analog[0][static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(25 + (i % 200));
    }
    Engine().ResetTraceWindows();
    Engine().RunPipeline(kLivePoints, false);
    const auto pairs = Engine().ChannelPairs(0, 0);
    const auto rows = Engine().ChannelRows(0, 0);
    for (int i = 0; i < 1400; ++i) {
        ASSERT_EQ(pairs[static_cast<std::size_t>(i)], rows[static_cast<std::size_t>(324 + i)]) << i;
        const int sample = 25 + ((324 + i) % 200);
        ASSERT_EQ(pairs[static_cast<std::size_t>(i)], 250 + (sample - 125) * 2) << i;
    }
}

class StoppedRecordTest : public DisplayTest {
protected:
    static constexpr int kRecord = 10000;
    static constexpr int kStep = 5007;
    StoppedRecordTest() : DisplayTest(kRecord) {
        for (int i = 0; i < kRecord; ++i) {
            analog[0][static_cast<std::size_t>(i)] =
                static_cast<std::uint8_t>(i < kStep ? RawAt(1) : RawAt(-1));
        }
        setup->bRun = 0;
    }
    void SetMain(int first, int last, int firstCol, int lastCol) {
        positions->stWindow[OX_WIN_MAIN] = {first,    last,    firstCol, lastCol,
                                            firstCol, lastCol, 0,        0};
    }
};

TEST_F(StoppedRecordTest, CompressedWindowKeepsBothLevelsInTheStepColumn) {
    SetMain(0, kRecord - 1, 0, 699);
    Engine().RunPipeline(kRecord, true);
    const auto pairs = Engine().ChannelPairs(0, 0);
    EXPECT_EQ(pairs[0], 200);
    EXPECT_EQ(pairs[1], 200);
    EXPECT_EQ(pairs[1398], 300);
    // 10000 samples on 700 columns: column 350 holds samples 5000..5014, the step among them.
    const int lo = std::min(pairs[700], pairs[701]);
    const int hi = std::max(pairs[700], pairs[701]);
    EXPECT_EQ(lo, 200);
    EXPECT_EQ(hi, 300);
}

TEST_F(StoppedRecordTest, CompressedPartOfTheRecordStillScalesEveryRow) {
    SetMain(100, 9000, 0, 699);
    Engine().RunPipeline(kRecord, true);
    const auto rows = Engine().ChannelRows(0, 0);
    for (const int i : {0, 99, 100, kStep - 1, kStep, 9000, 9001, kRecord - 1}) {
        EXPECT_EQ(rows[i], i < kStep ? 200 : 300) << "row " << i;
    }
    EXPECT_EQ(rows[kRecord], 300); // the spare after the last row
    EXPECT_EQ(Engine().ChannelPairs(0, 0)[1399], 300);
}

TEST_F(StoppedRecordTest, StoppedScaleUsesTheKeptAcquisitionValues) {
    SetMain(0, 1399, 0, 699);
    setup->fChanScaleRec[0] = 2.0f; // acquired at 2 V/div, shown at 1 V/div: twice as tall
    Engine().RunPipeline(kRecord, true);
    EXPECT_EQ(Engine().ChannelPairs(0, 0)[0], 150);
}

TEST_F(StoppedRecordTest, ExpandedWindowEndingAtTheLastSampleStaysInsideTheRecord) {
    // Ten samples on 700 columns ending at the record's last sample, but short of the last
    // column: the right ramp reads one row past the window.
    SetMain(kRecord - 10, kRecord - 1, 0, 600);
    Engine().RunPipeline(kRecord, true);
    const auto pairs = Engine().ChannelPairs(0, 0);
    EXPECT_EQ(pairs[0], 300);
    EXPECT_EQ(pairs[1399], 300);
}

TEST_F(StoppedRecordTest, WindowOfOneSampleOrOutsideTheRecordDrawsNothing) {
    for (const auto& w : {OX_TRACE_WINDOW{5, 5, 0, 699, 0, 699, 0, 0},
                          OX_TRACE_WINDOW{9990, kRecord + 5, 0, 699, 0, 699, 0, 0},
                          OX_TRACE_WINDOW{-3, 100, 0, 699, 0, 699, 0, 0},
                          OX_TRACE_WINDOW{0, 100, 0, 700, 0, 700, 0, 0}}) {
        positions->stWindow[OX_WIN_MAIN] = w;
        Engine().FullRedraw();
        Engine().Erase();
        Engine().RunPipeline(kRecord, true);
        Engine().DrawTraces(true);
        EXPECT_EQ(CountPixels(Engine().TraceA(), Engine().ChannelPixel(0)), 0) << w.nFirstSample;
    }
}

TEST_F(StoppedRecordTest, PointCountBeyondTheBufferIsLimitedToIt) {
    SetMain(0, kRecord - 1, 0, 699);
    Engine().RunPipeline(kRecord * 4, true);
    EXPECT_EQ(Engine().ChannelPairs(0, 0)[1398], 300);
}

class MathTest : public DisplayTest {
protected:
    MathTest() {
        commands.mathEnabled = true;
        analog[0].assign(kLivePoints, RawAt(1));
        analog[1].assign(kLivePoints, RawAt(1));
        setup->bTraceShown[0] = 1;
        setup->bTraceShownStop[0] = 1;
        setup->fMathScale[0] = 1.0f;
        setup->nMathSourceA[0] = 0;
        setup->nMathSourceB[0] = 1;
    }
    int MathRowAt(int column) {
        Engine().ResetTraceWindows();
        Engine().RunPipeline(kLivePoints, false);
        return Engine().MathPairs(0)[static_cast<std::size_t>(2 * column)];
    }
};

TEST_F(MathTest, ArithmeticSlotsCombineTheSourcesInVolts) {
    setup->nMathOperator[0] = 0; // 1 V + 1 V = 2 div
    EXPECT_EQ(MathRowAt(10), 150);
    setup->nMathOperator[0] = 1; // 1 V - 1 V = 0
    EXPECT_EQ(MathRowAt(10), 250);
    setup->nMathOperator[0] = 2; // 1 V x 1 V = 1 div
    EXPECT_EQ(MathRowAt(10), 200);
}

TEST_F(MathTest, SourceSwitchedOffStillFeedsTheSlot) {
    setup->bChanDisplay[1] = 0;
    setup->nMathOperator[0] = 0;
    EXPECT_EQ(MathRowAt(350), 150);
}

TEST_F(MathTest, NothingIsComputedUnlessMathIsEnabled) {
    setup->nMathOperator[0] = 0;
    commands.mathEnabled = false;
    EXPECT_EQ(MathRowAt(10), 0);
}

TEST_F(MathTest, SpectrumOfASinePeaksAtItsBin) {
    FFT_Init();
    FillSine(analog[0], 2.0, 64); // 2048 / 64: bin 32
    setup->nMathOperator[0] = 3;
    setup->nFFTSource[0] = 0;
    setup->nFFTWindow[0] = numerix::kRectangle;
    setup->fMathScale[0] = 1.0f;
    positions->stWindow[OX_WIN_SPECTRUM] = {0, 127, 0, 699, 0, 699, 0, 0}; // bins 0..127
    Engine().ResetTraceWindows();
    Engine().RunPipeline(kLivePoints, false);
    ASSERT_EQ(commands.spectrumWindows, std::vector<int>{0});
    const auto pairs = Engine().MathPairs(0);
    // Bin 32 of 128 on 700 columns lies near column 175; it is the highest point (lowest row).
    const auto top = std::min_element(pairs.begin(), pairs.end()) - pairs.begin();
    EXPECT_NEAR(static_cast<double>(top / 2), 32.0 * 700 / 127, 8.0);
    EXPECT_LT(pairs[static_cast<std::size_t>(top)], pairs[2 * 600]);
    FFT_Destory();
}

TEST_F(MathTest, LowPassFilterOfALevelKeepsTheLevel) {
    setup->nMathOperator[0] = 4;
    setup->nMathFilterType[0] = numerix::kLowPass;
    setup->fMathFilterUpper[0] = 2.0e7f; // 0.2 of the sample rate: unity gain for a level
    setup->fSampleRate = 1.0e8f;
    for (int col : {10, 350, 690}) {
        EXPECT_NEAR(MathRowAt(col), 200, 2) << col;
    }
}

TEST_F(MathTest, FilterNeedsASampleRate) {
    setup->nMathOperator[0] = 4;
    setup->fMathFilterUpper[0] = 1.0e6f;
    setup->fSampleRate = 0.0f;
    EXPECT_EQ(MathRowAt(350), 0);
}

TEST_F(PipelineTest, LogicAnalyzerCopiesTwoSamplesAColumnStraight) {
    setup->bLaEnable = 1;
    for (std::size_t i = 0; i < la.size(); ++i) {
        la[i] = static_cast<std::uint16_t>(i);
    }
    Engine().ResetTraceWindows();
    Engine().RunPipeline(kLivePoints, false);
    const auto pairs = Engine().LaPairs(0);
    EXPECT_EQ(pairs[0], 324);
    EXPECT_EQ(pairs[1399], 1723);
}

TEST_F(PipelineTest, LogicAnalyzerCompressesALongWindowIntoAndOrPairs) {
    setup->bLaEnable = 1;
    setup->bLaShownStop = 1;
    setup->bRun = 0;
    la.assign(kLivePoints, 0);
    la[100] = 0x0001; // one pulse on D0 inside column 0's share
    positions->stWindow[OX_WIN_LA_MAIN] = {0, 2047, 0, 699, 0, 699, 0, 0};
    Engine().RunPipeline(kLivePoints, true);
    const auto pairs = Engine().LaPairs(0);
    // 2048 samples over 1400 slots; sample 100 lies in column 34.
    bool seen = false;
    for (int c = 0; c < 700; ++c) {
        const bool changes = (pairs[2 * c] & 1) == 0 && (pairs[2 * c + 1] & 1) == 1;
        seen = seen || changes;
    }
    EXPECT_TRUE(seen);
}

TEST_F(PipelineTest, MeasurementReceivesTheDrawnColumnsOfTheShownChannels) {
    setup->bChanDisplay[1] = 0;
    setup->dTimeScale = 1e-3;
    Engine().ResetTraceWindows();
    Engine().RunPipeline(kLivePoints, false);
    Engine().HandOverMeasurement();
    ASSERT_EQ(measure.calls, 1);
    const MeasureTrace& ch1 = measure.last.traces[0][0];
    ASSERT_NE(ch1.rows, nullptr);
    EXPECT_EQ(ch1.count, 1400);
    EXPECT_EQ(ch1.firstColumn, 0);
    EXPECT_EQ(ch1.rows[0], 250);
    EXPECT_EQ(ch1.height, kPlotRows);
    EXPECT_DOUBLE_EQ(ch1.secondsPerDiv, 1e-3);
    EXPECT_EQ(measure.last.traces[0][1].rows, nullptr);
    EXPECT_EQ(measure.last.traces[1][0].rows, nullptr);
    EXPECT_FALSE(measure.last.stopped);
}

// Roll and slow sweep draw part of the row only: just those columns are handed over.
TEST_F(PipelineTest, MeasurementSkipsTheUndrawnColumns) {
    setup->nTimeFormat = 2;
    counters.nScanPos = 500;
    Engine().ResetTraceWindows();
    Engine().RunPipeline(kLivePoints, false);
    Engine().HandOverMeasurement();
    const MeasureTrace& roll = measure.last.traces[0][0];
    EXPECT_EQ(roll.firstColumn, 500);
    EXPECT_EQ(roll.count, 2 * 200);
    EXPECT_EQ(roll.rows, Engine().ChannelPairs(0, 0).data() + 1000);

    setup->nTimeFormat = 0;
    setup->bSlowSweep = 1;
    counters.nScanPos = 100;
    Engine().ResetTraceWindows();
    Engine().RunPipeline(kLivePoints, false);
    Engine().HandOverMeasurement();
    EXPECT_EQ(measure.last.traces[0][0].firstColumn, 0);
    EXPECT_EQ(measure.last.traces[0][0].count, 2 * 101);
}

TEST_F(PipelineTest, MeasurementGetsEveryRegionWithItsOwnTimeScale) {
    setup->nTrigMode = 4;
    setup->bChanDisplay[1] = 1;
    setup->dAltTimeScale[0] = 2e-3;
    setup->dAltTimeScale[1] = 5e-6;
    analog[1].assign(kLivePoints, RawAt(0));
    Engine().ResetTraceWindows();
    Engine().RunPipeline(kLivePoints, false);
    Engine().HandOverMeasurement();
    const MeasureTrace& ch2 = measure.last.traces[1][1];
    ASSERT_NE(ch2.rows, nullptr);
    EXPECT_EQ(ch2.height, 192);
    EXPECT_EQ(ch2.rows[700], 24 + 96); // the centre of a 192-row region
    EXPECT_DOUBLE_EQ(ch2.secondsPerDiv, 5e-6);
    EXPECT_DOUBLE_EQ(measure.last.traces[0][0].secondsPerDiv, 2e-3);
    EXPECT_EQ(measure.last.traces[1][0].rows, nullptr);

    setup->nTrigMode = 0;
    setup->bDelayed = 1;
    setup->dTimeScale = 1e-3;
    setup->dDelayedScale = 1e-5;
    Engine().ResetTraceWindows();
    Engine().RunPipeline(kLivePoints, false);
    Engine().HandOverMeasurement();
    EXPECT_DOUBLE_EQ(measure.last.traces[0][0].secondsPerDiv, 1e-3);
    EXPECT_DOUBLE_EQ(measure.last.traces[0][1].secondsPerDiv, 1e-5);
    EXPECT_NE(measure.last.traces[0][1].rows, nullptr);
}

} // namespace
} // namespace oxdisplay::testing

namespace oxdisplay::testing {
namespace {

class FilterAlignmentTest : public DisplayTest {
protected:
    static constexpr int kRecord = 10000;
    FilterAlignmentTest() : DisplayTest(kRecord) {
        setup->bRun = 0;
        commands.mathEnabled = true;
        setup->bTraceShown[0] = setup->bTraceShownStop[0] = 1;
        setup->nMathOperator[0] = 4;
        setup->nMathFilterType[0] = numerix::kLowPass;
        setup->fMathScale[0] = 1.0f;
        setup->fMathFilterUpper[0] = 1.0e7f;
        setup->fSampleRateRec = 1.0e8f; // cut-off at 0.1 of the sample rate
        for (int i = 0; i < kRecord; ++i) {
            analog[0][static_cast<std::size_t>(i)] = i < kStep ? RawAt(1) : RawAt(-1);
        }
    }
    static constexpr int kStep = 2700;
};

TEST_F(FilterAlignmentTest, FilteredStepStaysUnderItsColumn) {
    // Samples 2000..3399 on the 700 columns, the step at sample 2700: column 350.
    positions->stWindow[OX_WIN_MAIN] = {2000, 3399, 0, 699, 0, 699, 0, 0};
    Engine().RunPipeline(kRecord, true);
    const auto pairs = Engine().MathPairs(0);
    EXPECT_NEAR(pairs[2 * 300], 200, 2);
    EXPECT_NEAR(pairs[2 * 400], 300, 2);
    int crossing = -1;
    for (int c = 0; c < kColumns && crossing < 0; ++c) {
        crossing = pairs[static_cast<std::size_t>(2 * c)] >= 250 ? c : -1;
    }
    EXPECT_NEAR(crossing, 350, 2);
}

TEST_F(FilterAlignmentTest, WindowNearTheRecordStartTakesItsMarginOnTheRight) {
    positions->stWindow[OX_WIN_MAIN] = {10, 1409, 0, 699, 0, 699, 0, 0};
    Engine().RunPipeline(kRecord, true);
    const auto pairs = Engine().MathPairs(0);
    EXPECT_NEAR(pairs[0], 200, 2);
    EXPECT_NEAR(pairs[1399], 200, 2);
}

// The deep buffers are zero however they were used before: a new allocation replaces them.
TEST(TraceBuffersTest, EveryAllocationIsZeroAndSizedAsAsked) {
    TraceBuffers buffers;
    for (const std::size_t capacity : {std::size_t{4096}, std::size_t{1} << 20, std::size_t{100}}) {
        buffers.Allocate(capacity, true);
        ASSERT_EQ(buffers.rows.size(), capacity + 1);
        ASSERT_EQ(buffers.grade.size(), static_cast<std::size_t>(tracekit::kGradeCells));
        const auto zero = [](const auto& values) {
            return std::all_of(values.begin(), values.end(), [](auto v) { return v == 0; });
        };
        EXPECT_TRUE(zero(buffers.rows) && zero(buffers.history) && zero(buffers.grade)) << capacity;
        std::fill(buffers.rows.begin(), buffers.rows.end(), std::int16_t{7});
        std::fill(buffers.history.begin(), buffers.history.end(), std::int16_t{7});
        std::fill(buffers.grade.begin(), buffers.grade.end(), 7u);
    }
}

} // namespace
} // namespace oxdisplay::testing
