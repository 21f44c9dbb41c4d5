#include "frontpanel.h"

#include "oxmsg.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <vector>

namespace {

using namespace oxapp;

struct Posted {
    unsigned long group;
    unsigned int subCmd;
    long value;
    std::uint32_t low;
    std::uint32_t high;
};

constexpr unsigned long kGroups[] = {kGroupSystem, kGroupChannel, kGroupTimebase, kGroupManualCursor,
                                     kGroupTrackCursor};

// Records what reaches the dispatcher for the groups the front panel posts to; nothing
// is sent anywhere.
class FrontPanelTest : public ::testing::Test {
protected:
    void SetUp() override {
        setup_ = std::make_unique<_OX_SETUP>();
        region_ = std::make_unique<_OX_RGN_SETUP>();
        positions_ = std::make_unique<_OX_POS_SETUP>();
        std::memset(setup_.get(), 0, sizeof(_OX_SETUP));
        setup_->fChanScale[0] = 1.0f;
        setup_->fChanScale[1] = 0.1f;
        setup_->dTimeScale = 1e-6;
        setup_->bChanDisplay[0] = 1;
        OxMsgInit(nullptr, setup_.get(), region_.get(), positions_.get(), nullptr);
        for (unsigned long group : kGroups) {
            OxSetIOCmdHandler(group, [this, group](IOCmdContext& context, unsigned int subCmd, long value,
                                                   std::uint32_t low, std::uint32_t high) {
                context.send = false;
                context.readBack = false;
                posted_.push_back({group, subCmd, value, low, high});
            });
        }
    }
    void TearDown() override {
        Drain();
        for (unsigned long group : kGroups) OxSetIOCmdHandler(group, {});
        OxMsgInit(nullptr, nullptr, nullptr, nullptr, nullptr);
    }
    std::vector<Posted> Drain() {
        while (GetIOCmd() != 0) IOCmdProcess();
        return std::exchange(posted_, {});
    }
    static float AsFloat(std::uint32_t bits) {
        float value;
        std::memcpy(&value, &bits, sizeof value);
        return value;
    }
    static double AsDouble(const Posted& p) {
        const std::uint64_t bits = (std::uint64_t{p.high} << 32) | p.low;
        double value;
        std::memcpy(&value, &bits, sizeof value);
        return value;
    }

    std::unique_ptr<_OX_SETUP> setup_;
    std::unique_ptr<_OX_RGN_SETUP> region_;
    std::unique_ptr<_OX_POS_SETUP> positions_;
    std::vector<Posted> posted_;
};

TEST_F(FrontPanelTest, RunChecksTheLinkThenPostsBothRunCommands) {
    FrontPanel panel(*setup_);
    panel.Run();
    const auto posted = Drain();
    ASSERT_EQ(posted.size(), 3u);
    EXPECT_EQ(posted[0].group, kGroupSystem);
    EXPECT_EQ(posted[0].subCmd, kCmdCheckLink);
    EXPECT_EQ(posted[1].group, kGroupSystem);
    EXPECT_EQ(posted[1].subCmd, kCmdRun);
    EXPECT_EQ(posted[2].group, kGroupTimebase);
    EXPECT_EQ(posted[2].subCmd, kCmdRun);
}

TEST_F(FrontPanelTest, StopAutoAndExitPostOneSystemCommandEach) {
    FrontPanel panel(*setup_);
    panel.Stop();
    panel.Auto();
    panel.Exit();
    const auto posted = Drain();
    ASSERT_EQ(posted.size(), 3u);
    EXPECT_EQ(posted[0].subCmd, kCmdStop);
    EXPECT_EQ(posted[1].subCmd, kCmdAuto);
    EXPECT_EQ(posted[2].subCmd, kCmdExit);
    for (const auto& p : posted) EXPECT_EQ(p.group, kGroupSystem);
}

TEST_F(FrontPanelTest, RunAndStopRefusedWhileARecordPlaysBack) {
    setup_->nRecordState = 2;
    FrontPanel panel(*setup_);
    for (auto action : {&FrontPanel::Run, &FrontPanel::Stop}) {
        (panel.*action)();
        const auto posted = Drain();  // (the queue merges repeats of one command)
        ASSERT_EQ(posted.size(), 1u);
        EXPECT_EQ(posted[0].subCmd, kCmdShowError);
    }
    EXPECT_STREQ(setup_->szSystemError, "Function not available");
}

TEST_F(FrontPanelTest, ChannelScaleStepsOneOneTwoFiveStepFromTheChannelsOwnScale) {
    FrontPanel panel(*setup_);
    panel.ChannelScale(0, true);
    panel.ChannelScale(1, false);
    const auto posted = Drain();
    ASSERT_EQ(posted.size(), 2u);
    EXPECT_EQ(posted[0].group, kGroupChannel);
    EXPECT_EQ(posted[0].subCmd, kCmdChanScale);
    EXPECT_EQ(posted[0].value, 0);
    EXPECT_FLOAT_EQ(AsFloat(posted[0].low), 2.0f);
    EXPECT_EQ(posted[1].value, 1);
    EXPECT_FLOAT_EQ(AsFloat(posted[1].low), 0.05f);
}

TEST_F(FrontPanelTest, ChannelOnOffTogglesAndIsRefusedWhileRecording) {
    FrontPanel panel(*setup_);
    panel.ChannelOnOff(0);  // shown: switch off
    panel.ChannelOnOff(1);  // hidden: switch on
    auto posted = Drain();
    ASSERT_EQ(posted.size(), 2u);
    EXPECT_EQ(posted[0].subCmd, kCmdChanDisplay);
    EXPECT_EQ(posted[0].value, 0);
    EXPECT_EQ(posted[0].low & 0xFF, 0u);
    EXPECT_EQ(posted[1].value, 1);
    EXPECT_EQ(posted[1].low & 0xFF, 1u);

    for (int state : {1, 3}) {
        setup_->nRecordState = state;
        panel.ChannelOnOff(0);
        posted = Drain();
        ASSERT_EQ(posted.size(), 1u);
        EXPECT_EQ(posted[0].subCmd, kCmdShowError);
    }
}

TEST_F(FrontPanelTest, HidingAChannelSwitchesOffItsShownCursorReadouts) {
    setup_->bChanDisplay[1] = 1;
    setup_->nCurXSource = 0;
    setup_->bCurXOn = 1;
    setup_->nCurYSource = 1;  // the other channel's
    setup_->bCurYOn = 1;
    setup_->nTrackSourceA = 0;
    setup_->bTrackOnA = 0;    // not shown
    setup_->nTrackSourceB = 0;
    setup_->bTrackOnB = 1;
    FrontPanel panel(*setup_);
    panel.ChannelOnOff(0);
    auto posted = Drain();
    ASSERT_EQ(posted.size(), 3u);
    EXPECT_EQ(posted[0].subCmd, kCmdChanDisplay);
    EXPECT_EQ(posted[1].group, kGroupManualCursor);
    EXPECT_EQ(posted[1].subCmd, kCmdCurXOn);
    EXPECT_EQ(posted[1].low & 0xFF, 0u);
    EXPECT_EQ(posted[2].group, kGroupTrackCursor);
    EXPECT_EQ(posted[2].subCmd, kCmdTrackOn);
    EXPECT_EQ(posted[2].value, 1);

    setup_->bChanDisplay[0] = 0;
    panel.ChannelOnOff(0);  // showing it touches no read-out
    EXPECT_EQ(Drain().size(), 1u);
}

TEST_F(FrontPanelTest, TimeScaleStepsTheMainOrTheAlternateTimeBase) {
    FrontPanel panel(*setup_);
    panel.TimeScale(true);
    auto posted = Drain();
    ASSERT_EQ(posted.size(), 1u);
    EXPECT_EQ(posted[0].group, kGroupTimebase);
    EXPECT_EQ(posted[0].subCmd, kCmdTimeScale);
    EXPECT_DOUBLE_EQ(AsDouble(posted[0]), 2e-6);
    panel.TimeScale(false);
    posted = Drain();
    ASSERT_EQ(posted.size(), 1u);
    EXPECT_DOUBLE_EQ(AsDouble(posted[0]), 5e-7);

    setup_->nTrigMode = kTrigModeAlternate;
    setup_->dAltTimeScale[0] = 5e-4;
    panel.TimeScale(true);
    posted = Drain();
    ASSERT_EQ(posted.size(), 1u);
    EXPECT_EQ(posted[0].subCmd, kCmdAltTimeScale);
    EXPECT_DOUBLE_EQ(AsDouble(posted[0]), 1e-3);
}

} // namespace
