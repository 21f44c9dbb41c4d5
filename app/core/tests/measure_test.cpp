// The measurement hand-over through the display engine: what the read-outs get from a live
// frame, with the channel's offset, hidden channels, delays, tracking cursors and the
// logic analyzer.
#include "oxmeasure.h"
#include "pipeline_fixture.h"
#include "tracekit.h"

namespace oxdisplay::testing {
namespace {

using gauger::Measure;
using oxmeasure::MeasureView;

// A square between +level and -level divisions around `ground` divisions (where the
// channel's offset puts 0 V), `period` live samples long, high for `high` of them, starting
// `shift` samples late.
void FillSquare(std::vector<std::uint8_t>& buffer, double level, int period, int high,
                int shift = 0, double ground = 0) {
    for (std::size_t i = 0; i < buffer.size(); ++i) {
        const int phase = ((static_cast<int>(i) - shift) % period + period) % period;
        buffer[i] = RawAt(ground + (phase < high ? level : -level));
    }
}

class MeasureTest : public DisplayTest {
protected:
    MeasureTest() {
        setup->dTimeScale = 1e-3; // 10 us a code
        measurer.SetWanted(oxmeasure::Measurer::Reader::Panel, true);
        Engine().SetMeasureSink(measurer);
    }
    const MeasureView& Frame() {
        LiveFrame();
        EXPECT_TRUE(measurer.Refresh(view));
        return view;
    }
    double Value(Measure m, int ch = 0) const {
        const gauger::Reading& r = view.result.channel[ch][m];
        EXPECT_TRUE(r.valid) << static_cast<int>(m);
        return r.value;
    }
    oxmeasure::Measurer measurer;
    MeasureView view;
};

TEST_F(MeasureTest, SquareOfTheLiveFrameReadsItsLevelsAndTimingWithTheOffset) {
    setup->fChanOffset[0] = 0.4f; // ground 10 codes above the centre
    FillSquare(analog[0], 2.0, 200, 60, 0, 0.4);
    Frame();
    ASSERT_TRUE(view.measured[0]);
    EXPECT_NEAR(Value(Measure::Vmax), 2.0, 0.05);
    EXPECT_NEAR(Value(Measure::Vmin), -2.0, 0.05);
    EXPECT_NEAR(Value(Measure::Period), 2e-3, 2e-5);
    EXPECT_NEAR(Value(Measure::Frequency), 500, 5);
    EXPECT_NEAR(Value(Measure::PositiveDuty), 30, 1);
    EXPECT_EQ(oxmeasure::MeasureLine(*setup, view, 11, 0), "Prd=2.000ms");
}

TEST_F(MeasureTest, HiddenChannelAndUnwantedMeasurementsReadStars) {
    FillSquare(analog[0], 2.0, 200, 100);
    Frame();
    EXPECT_FALSE(view.measured[1]);
    EXPECT_EQ(oxmeasure::MeasureLine(*setup, view, 1, 1), "Max=*****");
    // Delays need both channels.
    EXPECT_EQ(oxmeasure::MeasureLine(*setup, view, 19, 0), "Dly_A=*****");
    measurer.SetWanted(oxmeasure::Measurer::Reader::Panel, false);
    Frame();
    EXPECT_FALSE(view.measured[0]);
    EXPECT_EQ(oxmeasure::MeasureLine(*setup, view, 1, 0), "Max=*****");
}

TEST_F(MeasureTest, DelayOfTwoShownChannelsIsMeasuredFromBothBuffers) {
    setup->bChanDisplay[1] = setup->bChanShownStop[1] = 1;
    FillSquare(analog[0], 2.0, 400, 200);
    FillSquare(analog[1], 1.0, 400, 200, 30); // 30 samples, 0.3 ms late
    Frame();
    EXPECT_NEAR(Value(Measure::RisingDelay), 3e-4, 1.5e-5);
    EXPECT_NEAR(Value(Measure::FallingDelay, 1), 3e-4, 1.5e-5);
    EXPECT_EQ(oxmeasure::MeasureLine(*setup, view, 19, 1).substr(0, 6), "Dly_A=");
}

TEST_F(MeasureTest, DelayedSweepMeasuresTheSecondRegionWithItsScale) {
    setup->bDelayed = 1;
    setup->dDelayedScale = 1e-5; // 0.1 us a code
    FillSquare(analog[0], 2.0, 400, 200);
    FillSquare(second[0], 2.0, 100, 50);
    Frame();
    EXPECT_NEAR(Value(Measure::Period), 1e-5, 1e-7);
}

TEST_F(MeasureTest, TrackingCursorReadsTheTraceUnderItOrNothing) {
    setup->nCursorMode = 2;
    setup->bTrackOnA = setup->bTrackOnB = 1;
    setup->nTrackSourceA = 0;
    setup->nTrackSourceB = 1; // hidden: no value
    setup->fTrackA = 0.5f;    // column 375
    measurer.SetWanted(oxmeasure::Measurer::Reader::Panel,
                       false); // tracking alone asks for the codes
    analog[0].assign(kLivePoints, RawAt(1.0));
    Frame();
    ASSERT_TRUE(view.track[0].has_value());
    EXPECT_NEAR(*view.track[0], 1.0, 0.05);
    EXPECT_FALSE(view.track[1].has_value());
    const auto lines = oxmeasure::TrackCursorLines(*setup, view);
    EXPECT_EQ(lines[3], "B->Y=XXXX");
    EXPECT_EQ(lines.back(), "\xE2\x96\xB3Y=XXXX");
}

TEST_F(MeasureTest, LogicAnalyzerStatesUnderTheCursorAreDrawnOverThePicture) {
    setup->bLaEnable = setup->bLaShownStop = 1;
    for (int line = 0; line < 16; ++line) {
        setup->bLaChannel[line] = 1;
    }
    setup->nCursorMode = 1;
    setup->bCurXOn = 1;
    setup->nCurXSource = 6;
    la.assign(kLivePoints, 0xA5C3);
    Frame();
    EXPECT_EQ(view.la.hex, "D15-D0=A5C3");
    EXPECT_EQ(view.la.bits, "D15 1010 0101 1100 0011 D0");
    std::vector<std::string> lines;
    measurer.OverlayLines(*setup, lines);
    ASSERT_GE(lines.size(), 2u);
    EXPECT_EQ(lines.back(), view.la.bits);
    // Drawn right-aligned at the top of the plot, away from the cursor in the middle.
    int lit = 0;
    for (int y = kPlotTopInCompose; y < kPlotTopInCompose + 60; ++y) {
        for (int x = kPlotLeft + kColumns - 200; x < kPlotLeft + kColumns; ++x) {
            lit += Engine().Composition().PixelAt(x, y) == 0x00C0FF ? 1 : 0;
        }
    }
    EXPECT_GT(lit, 100);
}

// Rows go back to codes as the display's conversion makes them, for rows beyond both ends of
// the byte range and for the two channels at different heights that change between frames.
TEST(MeasureHandOver, RowsReadBackAsTheDisplayConvertsThem) {
    _OX_SETUP setup{};
    setup.nCursorMode = 2;
    setup.bTrackOnA = setup.bTrackOnB = 1;
    setup.nTrackSourceA = 0;
    setup.nTrackSourceB = 1;
    setup.fChanScale[0] = setup.fChanScale[1] = 1.0f;
    oxmeasure::Measurer measurer;
    MeasureView view;
    std::array<std::vector<std::int16_t>, 2> rows;
    for (const int height : {400, 123, 400}) {
        for (const int row : {-32768, -1, 0, 1, 199, 200, 311, 510, 511, 32767}) {
            SCOPED_TRACE(::testing::Message() << height << " rows, row " << row);
            oxdisplay::MeasureInput in;
            in.setup = &setup;
            for (int ch = 0; ch < 2; ++ch) {
                rows[ch].assign(2 * kColumns, static_cast<std::int16_t>(row));
                in.traces[ch][0] = {rows[ch].data(), 2 * kColumns, 0, height + 77 * ch, 1e-3};
            }
            measurer.HandOver(in);
            ASSERT_TRUE(measurer.Refresh(view));
            for (int ch = 0; ch < 2; ++ch) {
                std::uint8_t code = 0;
                InvertWave(rows[ch].data(), &code, 0, 1, 0, 0, height + 77 * ch);
                ASSERT_TRUE(view.track[ch].has_value());
                EXPECT_EQ(*view.track[ch], (gauger::kCentreCode - code) / 25.0);
            }
        }
    }
}

} // namespace
} // namespace oxdisplay::testing
