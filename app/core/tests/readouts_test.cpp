// Read-out lines of the cursors, the logic analyzer, the pass/fail counters and the modes.
#include "oxmeasure.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>

namespace {

using namespace oxmeasure;

const std::string kDeltaX = "\xE2\x96\xB3X=";
const std::string kDeltaY = "\xE2\x96\xB3Y=";

class ReadoutTest : public ::testing::Test {
protected:
    ReadoutTest() {
        s.fChanScale[0] = 0.5f;
        s.fChanScale[1] = 2.0f;
        std::strcpy(s.szChanUnit[0], "V");
        std::strcpy(s.szChanUnit[1], "A");
        s.dTimeScale = 1e-3;
        s.nCursorMode = 1;
    }
    std::unique_ptr<_OX_SETUP> setup = std::make_unique<_OX_SETUP>();
    _OX_SETUP& s = *setup;
};

TEST_F(ReadoutTest, ManualTimeCursorsGiveDifferenceAndReciprocal) {
    s.bCurXOn = 1;
    s.fCurXA = -1.0f;
    s.fCurXB = 1.0f;
    const auto lines = ManualCursorLines(s);
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[0], "CurAx=-1.00ms");
    EXPECT_EQ(lines[1], "CurBx=1.00ms");
    EXPECT_EQ(lines[2], kDeltaX + "2.00ms");
    EXPECT_EQ(lines[3], "1/" + kDeltaX + "500Hz");
    s.fCurXB = s.fCurXA; // no difference: no reciprocal
    EXPECT_EQ(ManualCursorLines(s)[3], "1/" + kDeltaX + "??.???Hz");
    s.dTimeScale = 2e-6;
    EXPECT_EQ(ManualCursorLines(s)[0], "CurAx=-2.00\xC2\xB5s");
}

TEST_F(ReadoutTest, XYCursorsUseCH1ForXAndCH2ForYWithoutReciprocal) {
    s.nTimeFormat = 1;
    s.bCurXOn = s.bCurYOn = 1;
    s.fCurXA = 2.0f;
    s.fCurYB = -1.0f;
    const auto lines = ManualCursorLines(s);
    ASSERT_EQ(lines.size(), 6u);
    EXPECT_EQ(lines[0], "CurAx=1.00V");
    EXPECT_EQ(lines[2], kDeltaX + "1.00V");
    EXPECT_EQ(lines[4], "CurBy=-2.00A");
    EXPECT_EQ(lines[5], kDeltaY + "2.00A");
}

TEST_F(ReadoutTest, SpectrumCursorsOutsideTheSpectrumCannotBeComputed) {
    s.bCurXOn = 1;
    s.nCurXSource = 2; // MATH1 as FFT
    s.nMathOperator[0] = 3;
    s.nTraceZoomIndex[0] = 1;
    s.dFFTHorizScale[0] = 100.0;
    s.fCurXA = 0.5f;  // half way into the spectrum's one division, from its origin
    s.fCurXB = -7.0f; // before it (the screen's left edge)
    auto lines = ManualCursorLines(s);
    ASSERT_EQ(lines.size(), 2u); // no difference line
    EXPECT_EQ(lines[0], "CurAx=50.0Hz");
    EXPECT_EQ(lines[1], "CurBx=??.???Hz");
    s.fCurXB = 1.5f; // beyond it
    lines = ManualCursorLines(s);
    EXPECT_EQ(lines.at(1), "CurBx=??.???Hz");
}

TEST_F(ReadoutTest, TrackingCursorsCompareValuesOfTheSameUnitOnly) {
    s.nCursorMode = 2;
    s.bTrackOnA = s.bTrackOnB = 1;
    s.fTrackA = 1.0f;
    s.fTrackB = 3.0f;
    MeasureView view;
    view.track = {1.0, -0.5};
    auto lines = CursorLines(s, view);
    ASSERT_EQ(lines.size(), 7u);
    EXPECT_EQ(lines[0], "A->X=1.00ms");
    EXPECT_EQ(lines[1], "A->Y=500mV");
    EXPECT_EQ(lines[3], "B->Y=-250mV");
    EXPECT_EQ(lines[4], kDeltaX + "2.00ms");
    EXPECT_EQ(lines[5], "1/" + kDeltaX + "500Hz");
    EXPECT_EQ(lines[6], kDeltaY + "750mV");
    s.nTrackSourceB = 1; // amperes against volts
    EXPECT_EQ(CursorLines(s, view)[6], kDeltaY + "XXXX");
    s.nCursorMode = 0;
    EXPECT_TRUE(CursorLines(s, view).empty());
}

TEST(LaReadout, StatesChangesAndHiddenLines) {
    std::vector<std::uint16_t> pairs(1400, 0);
    pairs[2 * 10] = 0x12F0;     // AND of column 10
    pairs[2 * 10 + 1] = 0x13F0; // OR: D8 changed within the column
    LaLines lines = LaLineStates(pairs, 0, 699, 10, 0xFF0F);
    EXPECT_EQ(lines.hex, "D15-D0=1EX0");
    EXPECT_EQ(lines.bits, "D15 0001 001E XXXX 0000 D0");
    lines = LaLineStates(pairs, 100, 699, 10, 0xFFFF);
    EXPECT_EQ(lines.hex, "D15-D0=XXXX");
    EXPECT_EQ(lines.bits, "D15 XXXX XXXX XXXX XXXX D0");
    lines = LaLineStates({}, 0, 699, 10, 0xFFFF);
    EXPECT_EQ(lines.hex, "D15-D0=");
    EXPECT_EQ(lines.bits, "D15 ");
}

TEST_F(ReadoutTest, CountersCaptionsAndOffsets) {
    s.nPfFail = 3;
    s.nPfPass = 12;
    s.nPfTotal = 15;
    const auto counters = PassFailLines(s);
    EXPECT_EQ(counters[0], "Fail = 3 wfs");
    EXPECT_EQ(counters[2], "Total = 15 wfs");
    EXPECT_EQ(ModeCaption(s), nullptr);
    s.nTrigMode = 4;
    EXPECT_STREQ(ModeCaption(s), "Alternative Trigger");
    s.nTimeFormat = 2;
    EXPECT_STREQ(ModeCaption(s), "Roll  Mode");
    s.nTimeFormat = 1;
    EXPECT_STREQ(ModeCaption(s), "X - Y Mode");
    EXPECT_EQ(GroundCodes(0.5f, 0.3f), 15);
    EXPECT_EQ(GroundCodes(0.5f, -0.33f), -16); // truncated toward zero
    EXPECT_EQ(GroundCodes(0.0f, 1.0f), 0);
}

} // namespace
