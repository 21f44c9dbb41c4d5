// The action table: every row posts exactly its commands through the queue, in order,
// with its argument, or shows its refusal; rows are complete and their names unique.
#include "oxactions.h"

#include "oxmsg.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace {

using oxact::ActionId;
using oxact::ArgKind;
namespace group = oxcmd::group;

struct Posted {
    oxcmd::Group group;
    oxcmd::Sub sub;
    long value;
    std::uint32_t low;
    std::uint32_t high;
};

constexpr oxcmd::Group kGroups[] = {group::kRunControl, group::kChannel, group::kTimebase,
                                    group::kManualCursor, group::kTrackCursor};

// Records what reaches the dispatcher; nothing is sent anywhere.
class ActionTableTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::memset(setup_.get(), 0, sizeof(_OX_SETUP));
        setup_->fChanScale[0] = 1.0f;
        setup_->fChanScale[1] = 0.1f;
        setup_->dTimeScale = 1e-6;
        setup_->bChanDisplay[0] = 1;
        OxMsgInit(nullptr, setup_.get(), region_.get(), positions_.get(), nullptr);
        for (oxcmd::Group g : kGroups) {
            OxSetIOCmdHandler(g, [this, g](IOCmdContext& context, unsigned int sub, long value,
                                           std::uint32_t low, std::uint32_t high) {
                context.send = false;
                context.readBack = false;
                posted_.push_back({g, sub, value, low, high});
            });
        }
    }
    void TearDown() override {
        Drain();
        for (oxcmd::Group g : kGroups)
            OxSetIOCmdHandler(g, {});
        OxMsgInit(nullptr, nullptr, nullptr, nullptr, nullptr);
    }
    std::vector<Posted> Drain() {
        while (GetIOCmd() != 0)
            IOCmdProcess();
        return std::exchange(posted_, {});
    }
    std::vector<Posted> Press(ActionId id) {
        EXPECT_TRUE(oxact::Perform(oxact::Row(id).plan(*setup_), nullptr));
        return Drain();
    }
    static float AsFloat(const Posted& p) {
        float value;
        std::memcpy(&value, &p.low, sizeof value);
        return value;
    }
    static double AsDouble(const Posted& p) {
        const std::uint64_t bits = (std::uint64_t{p.high} << 32) | p.low;
        double value;
        std::memcpy(&value, &bits, sizeof value);
        return value;
    }
    static void ExpectCommand(const Posted& p, oxcmd::Group g, oxcmd::Sub sub, long value = 0) {
        EXPECT_EQ(p.group, g);
        EXPECT_EQ(p.sub, sub);
        EXPECT_EQ(p.value, value);
    }

    std::unique_ptr<_OX_SETUP> setup_ = std::make_unique<_OX_SETUP>();
    std::unique_ptr<_OX_RGN_SETUP> region_ = std::make_unique<_OX_RGN_SETUP>();
    std::unique_ptr<_OX_POS_SETUP> positions_ = std::make_unique<_OX_POS_SETUP>();
    std::vector<Posted> posted_;
};

// One row per action with a plan: the commands it posts from the fixture's state.
struct Expected {
    ActionId id;
    std::vector<std::pair<oxcmd::Group, oxcmd::Sub>> commands;
};

TEST_F(ActionTableTest, EveryRowPostsExactlyItsCommands) {
    using namespace oxcmd;
    const Expected expected[] = {
        {ActionId::Run,
         {{group::kRunControl, run::kCheckLink},
          {group::kRunControl, run::kRun},
          {group::kTimebase, run::kRun}}},
        {ActionId::Stop, {{group::kRunControl, run::kStop}}},
        {ActionId::Auto, {{group::kRunControl, run::kAuto}}},
        {ActionId::Exit, {{group::kRunControl, run::kExit}}},
        {ActionId::Ch1Display, {{group::kChannel, channel::kDisplay}}},
        {ActionId::Ch2Display, {{group::kChannel, channel::kDisplay}}},
        {ActionId::Ch1ScaleUp,
         {{group::kRunControl, run::kSaveUndo}, {group::kChannel, channel::kScale}}},
        {ActionId::Ch1ScaleDown,
         {{group::kRunControl, run::kSaveUndo}, {group::kChannel, channel::kScale}}},
        {ActionId::Ch2ScaleUp,
         {{group::kRunControl, run::kSaveUndo}, {group::kChannel, channel::kScale}}},
        {ActionId::Ch2ScaleDown,
         {{group::kRunControl, run::kSaveUndo}, {group::kChannel, channel::kScale}}},
        {ActionId::TimeScaleUp,
         {{group::kRunControl, run::kSaveUndo}, {group::kTimebase, timebase::kMainScale}}},
        {ActionId::TimeScaleDown,
         {{group::kRunControl, run::kSaveUndo}, {group::kTimebase, timebase::kMainScale}}},
    };
    std::set<ActionId> covered;
    for (const Expected& e : expected) {
        SCOPED_TRACE(oxact::Row(e.id).objectName);
        const auto posted = Press(e.id);
        ASSERT_EQ(posted.size(), e.commands.size());
        for (std::size_t i = 0; i < posted.size(); ++i) {
            EXPECT_EQ(posted[i].group, e.commands[i].first);
            EXPECT_EQ(posted[i].sub, e.commands[i].second);
        }
        covered.insert(e.id);
    }
    for (const oxact::ActionRow& row : oxact::ActionTable()) {
        if (row.plan != nullptr) {
            EXPECT_TRUE(covered.count(row.id)) << row.objectName << " has no expectation here";
        }
    }
}

TEST_F(ActionTableTest, RowsAreCompleteAndTheirNamesAndShortcutsUnique) {
    std::set<std::string> names, shortcuts;
    for (const oxact::ActionRow& row : oxact::ActionTable()) {
        EXPECT_EQ(&oxact::Row(row.id), &row);
        ASSERT_NE(row.objectName, nullptr);
        ASSERT_NE(row.tip, nullptr);
        EXPECT_TRUE(names.insert(row.objectName).second) << row.objectName;
        if (row.shortcut != nullptr) {
            EXPECT_TRUE(shortcuts.insert(row.shortcut).second) << row.shortcut;
        }
        EXPECT_TRUE(row.menu == nullptr || row.caption != nullptr) << row.objectName;
        EXPECT_TRUE(row.menu != nullptr || row.button != nullptr || row.shortcut != nullptr)
            << row.objectName << " cannot be reached";
    }
}

TEST_F(ActionTableTest, RunAndStopRefusedWhileARecordPlaysBack) {
    setup_->nRecordState = oxcmd::code::kPlaying;
    for (ActionId id : {ActionId::Run, ActionId::Stop}) {
        const auto posted = Press(id);
        ASSERT_EQ(posted.size(), 1u);
        ExpectCommand(posted[0], group::kRunControl, oxcmd::run::kShowError);
    }
    EXPECT_STREQ(setup_->szSystemError, "Function not available");
}

TEST_F(ActionTableTest, ChannelScaleStepsOneTwoFiveFromTheChannelsOwnScale) {
    auto posted = Press(ActionId::Ch1ScaleUp);
    ASSERT_EQ(posted.size(), 2u);
    ExpectCommand(posted[1], group::kChannel, oxcmd::channel::kScale, 0);
    EXPECT_FLOAT_EQ(AsFloat(posted[1]), 2.0f);
    posted = Press(ActionId::Ch2ScaleDown);
    ASSERT_EQ(posted.size(), 2u);
    ExpectCommand(posted[1], group::kChannel, oxcmd::channel::kScale, 1);
    EXPECT_FLOAT_EQ(AsFloat(posted[1]), 0.05f);
}

TEST_F(ActionTableTest, ChannelDisplayTogglesAndIsRefusedWhileRecording) {
    auto posted = Press(ActionId::Ch1Display); // shown: switch off
    ASSERT_EQ(posted.size(), 1u);
    EXPECT_EQ(posted[0].low & 0xFF, 0u);
    posted = Press(ActionId::Ch2Display); // hidden: switch on
    ASSERT_EQ(posted.size(), 1u);
    EXPECT_EQ(posted[0].value, 1);
    EXPECT_EQ(posted[0].low & 0xFF, 1u);
    for (int state : {oxcmd::code::kRecording, oxcmd::code::kPlayPaused}) {
        setup_->nRecordState = state;
        posted = Press(ActionId::Ch1Display);
        ASSERT_EQ(posted.size(), 1u);
        EXPECT_EQ(posted[0].sub, oxcmd::run::kShowError);
    }
}

TEST_F(ActionTableTest, HidingAChannelSwitchesOffItsShownCursorReadouts) {
    setup_->bChanDisplay[1] = 1;
    setup_->nCurXSource = 0;
    setup_->bCurXOn = 1;
    setup_->nCurYSource = 1; // the other channel's
    setup_->bCurYOn = 1;
    setup_->nTrackSourceA = 0;
    setup_->bTrackOnA = 0; // not shown
    setup_->nTrackSourceB = 0;
    setup_->bTrackOnB = 1;
    auto posted = Press(ActionId::Ch1Display);
    ASSERT_EQ(posted.size(), 3u);
    ExpectCommand(posted[1], group::kManualCursor, oxcmd::manualcursor::kXOn);
    EXPECT_EQ(posted[1].low & 0xFF, 0u);
    ExpectCommand(posted[2], group::kTrackCursor, oxcmd::trackcursor::kOn, oxcmd::code::kCursorB);

    setup_->bChanDisplay[0] = 0;
    EXPECT_EQ(Press(ActionId::Ch1Display).size(), 1u); // showing it touches no read-out
}

TEST_F(ActionTableTest, TimeScaleStepsTheMainOrTheAlternateTimeBase) {
    auto posted = Press(ActionId::TimeScaleUp);
    ASSERT_EQ(posted.size(), 2u);
    EXPECT_DOUBLE_EQ(AsDouble(posted[1]), 2e-6);
    posted = Press(ActionId::TimeScaleDown);
    EXPECT_DOUBLE_EQ(AsDouble(posted[1]), 5e-7);

    setup_->nTrigMode = oxcmd::code::kAlternate;
    setup_->dAltTimeScale[0] = 5e-4;
    posted = Press(ActionId::TimeScaleUp);
    ASSERT_EQ(posted.size(), 2u);
    ExpectCommand(posted[1], group::kTimebase, oxcmd::timebase::kAltScale, 0);
    EXPECT_DOUBLE_EQ(AsDouble(posted[1]), 1e-3);
}

TEST_F(ActionTableTest, AFullQueueIsReportedNotDropped) {
    for (int i = 0; i < kIOCmdQueueSize - 1; ++i)
        ASSERT_TRUE(OxPost(group::kRunControl, oxcmd::run::kAuto, i));
    EXPECT_FALSE(oxact::Perform(oxact::Row(ActionId::Stop).plan(*setup_), nullptr));
    EXPECT_STREQ(setup_->szSystemError, kQueueFullText);
}

} // namespace
