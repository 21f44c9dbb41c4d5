// Undo and redo through the queue: the slot is restored with the ordinary commands, only for
// shown channels, never from an empty slot, and without the time position in rolling format.
#include "handlers_vertical_fixture.h"

#include <algorithm>
#include <array>

namespace {

class UndoTest : public VerticalHandlersTest {
protected:
    void SetUp() override {
        VerticalHandlersTest::SetUp();
        setup->bChanDisplay[0] = setup->bChanDisplay[1] = 1;
        setup->fChanScale[0] = setup->fChanScale[1] = 1.0f;
        Timebase(0, 1e-3, true);
        setup->dDelayedScale = 1e-3;
    }
    void RunCommand(unsigned int sub) { Post(3125, sub, 0); }
    void Ch1Scale(float scale) { PostFloat(3135, 1125, 0, scale); }
    bool Sent(const std::string& prefix) const {
        return std::any_of(link.sent.begin() + static_cast<long>(seen), link.sent.end(),
                           [&](const SentCommand& c) { return c.text.rfind(prefix, 0) == 0; });
    }
};

// A held button fills the slot once, at the press; its repeat ticks do not.
TEST_F(UndoTest, UndoAfterAHeldScaleButtonRestoresTheValueBeforeTheHoldAndRedoTakesItBack) {
    EXPECT_FALSE(UndoAvailable(*setup));
    RunCommand(4137);
    for (float scale : {2.0f, 5.0f, 10.0f})
        Ch1Scale(scale);
    EXPECT_TRUE(UndoAvailable(*setup));
    EXPECT_FALSE(RedoAvailable(*setup));

    seen = link.sent.size();
    RunCommand(4138);
    EXPECT_FLOAT_EQ(setup->fChanScale[0], 1.0f);
    EXPECT_EQ(SentOnce(), ":CHANNEL1:SCALE 1.000000") << "only what changed is posted";
    EXPECT_FALSE(UndoAvailable(*setup));
    EXPECT_TRUE(RedoAvailable(*setup));

    RunCommand(4139);
    EXPECT_FLOAT_EQ(setup->fChanScale[0], 10.0f);
    EXPECT_TRUE(UndoAvailable(*setup)) << "undo takes the redo back again";
    EXPECT_FALSE(RedoAvailable(*setup));

    RunCommand(4137); // a new gesture: the redo is gone
    RunCommand(4139);
    EXPECT_FLOAT_EQ(setup->fChanScale[0], 10.0f);
}

TEST_F(UndoTest, AnEmptySlotRestoresNothing) {
    setup->fChanScale[0] = 0.5f;
    seen = link.sent.size();
    RunCommand(4138);
    RunCommand(4139);
    EXPECT_TRUE(NothingSent());
    EXPECT_FLOAT_EQ(setup->fChanScale[0], 0.5f);
    EXPECT_DOUBLE_EQ(setup->dTimeScale, 1e-3);
}

// The time base comes back whatever is shown; a hidden channel keeps its value and the user
// is told.
TEST_F(UndoTest, AHiddenChannelIsNotRestoredAndTheTimeBaseIs) {
    RunCommand(4137);
    PostFloat(3135, 1125, 1, 2.0f);
    PostDouble(3139, 1645, 0, 2e-3);
    Ch1Scale(5.0f);
    setup->bChanDisplay[1] = 0;
    Shown();
    RunCommand(4138);
    EXPECT_FLOAT_EQ(setup->fChanScale[0], 1.0f);
    EXPECT_FLOAT_EQ(setup->fChanScale[1], 2.0f);
    EXPECT_DOUBLE_EQ(setup->dTimeScale, 1e-3);
    EXPECT_EQ(Shown(), "Channel not available");
}

TEST_F(UndoTest, RollingFormatRestoresTheScaleButNotTheTimePosition) {
    setup->bRun = 0;
    RunCommand(4137);
    setup->nTimeFormat = 2;
    PostDouble(3139, 1645, 0, 1.0);
    setup->dTimeOffset = 0.25; // moved before the format changed
    setup->llTimeOffsetPs = 250'000'000'000;
    seen = link.sent.size();
    Shown();
    RunCommand(4138);
    EXPECT_TRUE(Sent(":TIMEBASE:SCALE"));
    EXPECT_FALSE(Sent(":TIMEBASE:OFFSET"));
    EXPECT_DOUBLE_EQ(setup->dTimeOffset, 0.25);
    EXPECT_EQ(Shown(), std::nullopt) << "no refusal on the screen";
}

TEST_F(UndoTest, AlternateTimeBasesComeBackUnderTheAlternateTrigger) {
    setup->nTrigMode = 4;
    setup->dAltTimeScale[1] = 1e-3;
    RunCommand(4137);
    PostDouble(3139, 2015, 1, 2e-3);
    ASSERT_DOUBLE_EQ(double(setup->dAltTimeScale[1]), 2e-3);
    RunCommand(4138);
    EXPECT_DOUBLE_EQ(double(setup->dAltTimeScale[1]), 1e-3);
}

// What the other markers move comes back too: the trigger level of each type (of each
// channel under the alternate trigger) and the grounds of the math, FFT and reference traces;
// redo takes each back again.
TEST_F(UndoTest, TriggerLevelsAndTraceGroundsComeBackAndRedoTakesThemBack) {
    setup->nTrigMode = 0;
    setup->nEdgeSource = 0;
    setup->fEdgeLevel = 0.2f;
    setup->fMathScale[1] = 1.0f;
    setup->fFFTdBVrmsScale[2] = 10.0f;
    setup->fRefScale[3] = 1.0f;
    setup->fAltPulseLevel[1] = 0.1f;
    RunCommand(4137);
    PostFloat(3140, 1865, 0, 1.0f);  // edge level
    PostFloat(3140, 2065, 1, 0.5f);  // CH2's alternate pulse level
    PostFloat(3136, 1235, 1, 2.0f);  // MATH2 offset
    PostFloat(3136, 1305, 2, 20.0f); // MATH3's FFT offset in dBVrms
    PostFloat(3137, 1445, 3, 1.5f);  // Ref4 offset
    const auto moved = [&] {
        return std::array<float, 5>{setup->fEdgeLevel, setup->fAltPulseLevel[1],
                                    setup->fMathOffset[1], setup->fFFTdBVrmsOffset[2],
                                    setup->fRefOffset[3]};
    };
    const std::array<float, 5> after = moved();
    ASSERT_NE(after, (std::array<float, 5>{0.2f, 0.1f, 0.0f, 0.0f, 0.0f}));
    RunCommand(4138);
    EXPECT_EQ(moved(), (std::array<float, 5>{0.2f, 0.1f, 0.0f, 0.0f, 0.0f}));
    EXPECT_TRUE(RedoAvailable(*setup));
    RunCommand(4139);
    EXPECT_EQ(moved(), after);
}

} // namespace
