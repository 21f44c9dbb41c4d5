// A box dragged on the graticule becomes the new screen (group 4524).
#include "queue_fixture.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace {

class DragTest : public CommandLayerTest {
protected:
    void SetUp() override {
        CommandLayerTest::SetUp();
        setup->bConnected = 1;
        setup->fMinTimeScale = 2e-9f;
        region->rcMain = {16, 13, 716, 413};
        region->rcUpper = {16, 13, 716, 163};
        region->rcLower = {16, 183, 716, 413};
        for (int c = 0; c < 2; ++c) {
            setup->fChanScale[c] = 1.0f;
            setup->fChanProbe[c] = 1.0f;
            setup->dAltTimeScale[c] = 1e-6;
        }
        setup->dTimeScale = 1e-3;
        setup->llTimeScalePs = 1'000'000'000;
        setup->dDelayedScale = 1e-4;
        setup->llDelayedScalePs = 100'000'000;
        link.whole = false; // keep the values as set unless a test serves blocks
    }

    void Drag(unsigned int subCmd, long value, int window, int x1, int y1, int x2, int y2) {
        region->nDragWindow = window;
        const auto half = [](int a, int b) {
            return static_cast<std::uint32_t>(static_cast<std::uint16_t>(a)) |
                   static_cast<std::uint32_t>(static_cast<std::uint16_t>(b)) << 16;
        };
        SetMsgVarLONG64(static_cast<std::int64_t>(half(x1, y1)) |
                        static_cast<std::int64_t>(half(x2, y2)) << 32);
        EXPECT_TRUE(OxPostIOCmd(4524, subCmd, value, nullptr, nullptr, nullptr));
        Drain();
    }

    std::vector<std::string> Sent() const {
        std::vector<std::string> texts;
        for (const SentCommand& command : link.sent) {
            EXPECT_TRUE(command.readBack) << command.text;
            texts.push_back(command.text);
        }
        return texts;
    }
};

TEST_F(DragTest, BoxInTheMainWindowZoomsTheChannelAndTheTimebase) {
    // Half the width around the centre, a quarter of the height one division up.
    Drag(4525, 0, 0, 191, 113, 541, 213);
    EXPECT_EQ(setup->fChanScale[0], 0.25f);
    EXPECT_EQ(setup->fChanOffset[0], -1.0f);
    EXPECT_EQ(setup->fChanScale[1], 1.0f);
    EXPECT_DOUBLE_EQ(setup->dTimeScale, 5e-4);
    EXPECT_EQ(setup->llTimeScalePs, 500'000'000);
    EXPECT_EQ(Sent(), (std::vector<std::string>{
                          ":CHANNEL1:SCALE 0.250000", ":CHANNEL1:OFFSET -1.000000",
                          ":TIMEBASE:SCALE 0.000500000", ":TIMEBASE:OFFSET 0.000000000"}));
}

TEST_F(DragTest, CornersInAnyOrderGiveTheSameBox) {
    Drag(4525, 0, 0, 541, 213, 191, 113);
    EXPECT_EQ(setup->fChanScale[0], 0.25f);
    EXPECT_DOUBLE_EQ(setup->dTimeScale, 5e-4);
}

TEST_F(DragTest, BothChannelsFollowTheBoxWithTheSecondSubCommand) {
    Drag(4526, 0, 0, 366, 163, 367, 263);
    EXPECT_EQ(setup->fChanScale[0], 0.25f);
    EXPECT_EQ(setup->fChanScale[1], 0.25f);
    EXPECT_EQ(setup->fChanOffset[1], 0.0f);
    EXPECT_DOUBLE_EQ(setup->dTimeScale, 1e-3); // one column wide: the timebase stays
}

TEST_F(DragTest, TheInstrumentsAcceptedValueIsTaken) {
    link.whole = true;
    link.dso.set(oxrec::dso::fChanScale[0], 0.2f);
    Drag(4525, 0, 0, 366, 113, 366, 213);
    EXPECT_EQ(setup->fChanScale[0], 0.2f);
}

TEST_F(DragTest, LowerWindowOfTheDelayedTimebaseZoomsTheDelayedWindow) {
    setup->bDelayed = 1;
    Drag(4525, 9, 2, 191, 300, 541, 300);
    EXPECT_EQ(Sent(), (std::vector<std::string>{":TIMEBASE:DELAYED:SCALE 0.000050000",
                                                ":TIMEBASE:DELAYED:OFFSET 0.000000000"}));
    EXPECT_EQ(setup->llDelayedScalePs, 50'000'000);
    EXPECT_DOUBLE_EQ(setup->dTimeScale, 1e-3);
}

TEST_F(DragTest, AlternateWindowOfCH2MovesItsOwnTimebase) {
    setup->nTrigMode = 4;
    // A fifth of the width, centred 50 columns right of the trigger origin.
    Drag(4525, 5, 4, 346, 300, 486, 300);
    EXPECT_EQ(Sent(),
              (std::vector<std::string>{":TRIGGER:ALTERNATION:CHANNEL2:TIMESCALE 0.000000200",
                                        ":TRIGGER:ALTERNATION:CHANNEL2:TIMEOFFSET 0.000001000"}));
    EXPECT_EQ(int64_t(setup->llAltTimeScalePs[1]), 200'000);
    EXPECT_EQ(int64_t(setup->llAltTimeOffsetPs[1]), 1'000'000);
}

TEST_F(DragTest, UnknownWindowOrSubCommandDoesNothing) {
    Drag(4525, 0, 7, 191, 113, 541, 213);
    Drag(4525, 0, -1, 191, 113, 541, 213);
    Drag(4527, 0, 0, 191, 113, 541, 213);
    EXPECT_TRUE(link.sent.empty());
    EXPECT_EQ(setup->fChanScale[0], 1.0f);
}

TEST_F(DragTest, TheWindowIsSetAheadOfTheBoxAndAnIndexOutsideIsIgnored) {
    const auto setWindow = [this](long window) {
        EXPECT_TRUE(OxPost(4524, 4528, window));
        Drain();
    };
    setWindow(2);
    EXPECT_EQ(region->nDragWindow, 2);
    setWindow(5);
    setWindow(-1);
    EXPECT_EQ(region->nDragWindow, 2);
    EXPECT_TRUE(link.sent.empty());
}

TEST_F(DragTest, ADragMarksTheSettingChangedWhileRunning) {
    setup->bRun = 1;
    Drag(4525, 0, 0, 191, 113, 541, 213);
    EXPECT_EQ(setup->bSettingChanged, 1);
    EXPECT_EQ(region->ptTrigOrigin.x, 366); // regions rebuilt
}

} // namespace
