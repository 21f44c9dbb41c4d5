// The panel's button rows: each posts exactly its commands through the queue, or shows
// its refusal.
#include "actions_fixture.h"

namespace actiontest {
namespace {

ActionId LaLine(int line) {
    return static_cast<ActionId>(static_cast<int>(ActionId::LaLine0) + line);
}

TEST_F(ActionTableTest, EveryPanelRowPostsExactlyItsCommands) {
    using namespace oxcmd;
    setup_->bLaInstalled = 1;
    std::vector<Expected> expected = {
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
        {ActionId::MainDelayed, {{group::kTimebase, timebase::kDelayed}}},
        {ActionId::HorizontalPanel, {{group::kPanel, panel::kHorizontalDialog}}},
        {ActionId::TriggerPanel, {{group::kPanel, panel::kTriggerDialog}}},
        {ActionId::LaEnable, {{group::kLogic, logic::kEnable}}},
    };
    for (int line = 0; line < code::kDigitalLines; ++line)
        expected.push_back({LaLine(line), {{group::kLogic, logic::kLine}}});
    ExpectEveryRowPosts(oxact::PanelRows(), expected);
}

TEST_F(ActionTableTest, AnalyzerButtonsAreRefusedWithoutTheModule) {
    std::vector<ActionId> ids = {ActionId::LaEnable};
    for (int line = 0; line < oxcmd::code::kDigitalLines; ++line)
        ids.push_back(LaLine(line));
    for (ActionId id : ids) {
        SCOPED_TRACE(oxact::Row(id).objectName);
        setup_->szSystemError[0] = '\0';
        const auto posted = Press(id);
        ASSERT_EQ(posted.size(), 1u);
        EXPECT_EQ(posted[0].sub, oxcmd::run::kShowError);
        EXPECT_STREQ(setup_->szSystemError, oxact::kNoAnalyzer);
    }
}

TEST_F(ActionTableTest, DigitalLinesToggleTheirOwnLine) {
    setup_->bLaInstalled = 1;
    setup_->bLaChannel[5] = 1;
    auto posted = Press(LaLine(5));
    ASSERT_EQ(posted.size(), 1u);
    ExpectCommand(posted[0], group::kLogic, oxcmd::logic::kLine, 5);
    EXPECT_EQ(posted[0].low & 0xFF, 0u);
    posted = Press(LaLine(15));
    ASSERT_EQ(posted.size(), 1u);
    ExpectCommand(posted[0], group::kLogic, oxcmd::logic::kLine, 15);
    EXPECT_EQ(posted[0].low & 0xFF, 1u);
}

TEST_F(ActionTableTest, SwitchingTheAnalyzerOffSwitchesOffAnXCursorOnIt) {
    setup_->bLaInstalled = 1;
    setup_->nCursorMode = oxcmd::code::kManualCursors;
    setup_->nCurXSource = oxcmd::code::kCursorSourceLogic;
    setup_->bCurXOn = 1;
    // Switching it on leaves the cursor alone.
    auto posted = Press(ActionId::LaEnable);
    ASSERT_EQ(posted.size(), 1u);
    EXPECT_EQ(posted[0].low & 0xFF, 1u);

    setup_->bLaEnable = 1;
    posted = Press(ActionId::LaEnable);
    ASSERT_EQ(posted.size(), 2u);
    ExpectCommand(posted[0], group::kLogic, oxcmd::logic::kEnable);
    EXPECT_EQ(posted[0].low & 0xFF, 0u);
    ExpectCommand(posted[1], group::kManualCursor, oxcmd::manualcursor::kXOn);
    EXPECT_EQ(posted[1].low & 0xFF, 0u);

    // A cursor on a channel, or one that is off, is not touched.
    setup_->nCurXSource = 0;
    EXPECT_EQ(Press(ActionId::LaEnable).size(), 1u);
    setup_->nCurXSource = oxcmd::code::kCursorSourceLogic;
    setup_->bCurXOn = 0;
    EXPECT_EQ(Press(ActionId::LaEnable).size(), 1u);
}

TEST_F(ActionTableTest, MainDelayedTogglesTheDelayedTimeBase) {
    auto posted = Press(ActionId::MainDelayed);
    ASSERT_EQ(posted.size(), 1u);
    EXPECT_EQ(posted[0].low & 0xFF, 1u);
    setup_->bDelayed = 1;
    posted = Press(ActionId::MainDelayed);
    ASSERT_EQ(posted.size(), 1u);
    EXPECT_EQ(posted[0].low & 0xFF, 0u);
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

} // namespace
} // namespace actiontest
