// The Horizontal dialog: what each control posts, what it shows, the spin repeat, the
// delayed section and alternation.
#include "horizontal.h"

#include "plugintest.h"

#include <QLineEdit>

namespace {

using namespace oxbow::plugintest;
namespace cmd = oxcmd::cmd;
using Id = HorizontalId;

class HorizontalTest : public PluginTest {
protected:
    void SetUp() override {
        PluginTest::SetUp();
        dialog = Open(ShowHorizontalDlg);
    }
    oxbow::ui::CPluginDlg* dialog = nullptr;
};

TEST_F(HorizontalTest, FormatAndDelayedPostTheirChoiceWithoutUndo) {
    EXPECT_TRUE(Checked(Id::YT));
    Click(Id::YT); // already Y-T
    EXPECT_TRUE(Drain().empty());
    Click(Id::XY);
    Posted p = Only();
    EXPECT_TRUE(p.Is(cmd::timebase::kFormat));
    EXPECT_EQ(p.Arg(cmd::timebase::kFormat), oxcmd::code::kXY);
    EXPECT_TRUE(Checked(Id::XY)); // the refresh shows the stored format
    EXPECT_FALSE(Checked(Id::YT));

    Click(Id::YT);
    Drain();
    Click(Id::Delayed);
    p = Only();
    EXPECT_TRUE(p.Is(cmd::timebase::kDelayed));
    EXPECT_TRUE(p.Arg(cmd::timebase::kDelayed));
    EXPECT_EQ(live.bDelayed, 1);
    EXPECT_TRUE(Checked(Id::Delayed));
}

TEST_F(HorizontalTest, MainScaleButtonsAndEntryPostTheScaleAfterTheUndoSlot) {
    EXPECT_EQ(Text(Id::MainScale), "1.000ms");
    Click(Id::MainScaleUp);
    auto posts = Drain();
    ASSERT_EQ(posts.size(), 2u);
    EXPECT_TRUE(posts[0].Is(cmd::run::kSaveUndo));
    EXPECT_TRUE(posts[1].Is(cmd::timebase::kMainScale));
    EXPECT_DOUBLE_EQ(posts[1].Arg(cmd::timebase::kMainScale), 2e-3);
    EXPECT_EQ(Text(Id::MainScale), "2.000ms");
    EXPECT_DOUBLE_EQ(live.stUndoSlot.dTimeScale, 1e-3);

    Click(Id::MainScaleDown);
    EXPECT_DOUBLE_EQ(Drain().back().Arg(cmd::timebase::kMainScale), 1e-3);

    AnswerEntry(5e-6);
    Click(Id::MainScale);
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_DOUBLE_EQ(entries[0].current, 1e-3);
    EXPECT_EQ(entries[0].entry.digits, 4);
    EXPECT_EQ(entries[0].entry.decimals, -1);
    EXPECT_EQ(entries[0].entry.finest, -9);
    EXPECT_DOUBLE_EQ(Drain().back().Arg(cmd::timebase::kMainScale), 5e-6);
    EXPECT_EQ(Text(Id::MainScale), "5.000us");

    CancelEntry();
    Click(Id::MainScale);
    EXPECT_TRUE(Drain().empty());
}

TEST_F(HorizontalTest, TheFieldShowsTheValueTheCommandLayerKept) {
    live.nTimeFormat = oxcmd::code::kXY;
    Publish();
    AnswerEntry(50e-3);
    Click(Id::MainScale);
    Drain();
    EXPECT_EQ(live.dTimeScale, 20e-3); // X-Y format keeps the scale at 20 ms/div at most
    EXPECT_EQ(Text(Id::MainScale), "20.00ms");
    EXPECT_TRUE(Checked(Id::XY));
}

TEST_F(HorizontalTest, OffsetButtonsStepByAtLeastAPixelAndZero) {
    AnswerEntry(1.5e-3);
    Click(Id::MainOffset);
    EXPECT_EQ(entries.at(0).entry.decimals, 4);
    EXPECT_DOUBLE_EQ(Drain().back().Arg(cmd::timebase::kMainOffset), 1.5e-3);
    Click(Id::MainOffsetZero);
    Posted last = Drain().back();
    EXPECT_TRUE(last.Is(cmd::timebase::kMainOffset));
    EXPECT_EQ(last.Arg(cmd::timebase::kMainOffset), 0.0);

    Press(Id::MainOffsetUp);
    Release(Id::MainOffsetUp);
    auto posts = Drain();
    ASSERT_EQ(posts.size(), 2u);
    EXPECT_GE(posts[1].Arg(cmd::timebase::kMainOffset), 20e-6 - 1e-15); // 1/50 of 1 ms/div
    Press(Id::MainOffsetDown);
    Release(Id::MainOffsetDown);
    EXPECT_LT(Drain().back().Arg(cmd::timebase::kMainOffset), live.dTimeOffset + 1e-15);
}

TEST_F(HorizontalTest, AHeldSpinButtonStepsOnEveryTickWithOneUndoAndStopsOnRelease) {
    const double before = live.dTimeOffset;
    Press(Id::MainOffsetUp);
    EXPECT_TRUE(dialog->SpinRepeating());
    std::vector<Posted> posts = Drain();
    for (int tick = 0; tick < 2; ++tick) { // (undrained, the queue would join them into one)
        RepeatTick();
        const auto more = Drain();
        posts.insert(posts.end(), more.begin(), more.end());
    }
    ASSERT_EQ(posts.size(), 4u); // the undo slot, the press, two ticks
    EXPECT_TRUE(posts[0].Is(cmd::run::kSaveUndo));
    for (std::size_t i = 1; i < posts.size(); ++i)
        EXPECT_TRUE(posts[i].Is(cmd::timebase::kMainOffset));
    EXPECT_DOUBLE_EQ(live.stUndoSlot.dTimeOffset, before); // one undo goes back before the hold
    EXPECT_GT(live.dTimeOffset, before + 3 * 20e-6 - 1e-12);
    Release(Id::MainOffsetUp);
    EXPECT_FALSE(dialog->SpinRepeating());
    RepeatTick();
    EXPECT_TRUE(Drain().empty());
}

TEST_F(HorizontalTest, TheRepeatStopsWhenTheDialogHides) {
    Press(Id::MainOffsetDown);
    EXPECT_TRUE(dialog->SpinRepeating());
    dialog->hide();
    EXPECT_FALSE(dialog->SpinRepeating());
    Drain();
    RepeatTick();
    EXPECT_TRUE(Drain().empty());
}

TEST_F(HorizontalTest, TheDelayedSectionAppearsWithTheDelayedTimebase) {
    const int shortHeight = dialog->height();
    EXPECT_TRUE(Control(Id::DelayedBox)->isHidden());
    Click(Id::Delayed);
    Drain();
    EXPECT_GT(dialog->height(), shortHeight);
    EXPECT_FALSE(Control(Id::DelayedBox)->isHidden());
    EXPECT_EQ(Text(Id::DelayedBox), "Delayed");
    EXPECT_EQ(Text(Id::DelayedScale), "100.0us");

    Click(Id::DelayedScaleUp); // the delayed scale: no undo slot outside alternation
    const Posted p = Only();
    EXPECT_TRUE(p.Is(cmd::timebase::kDelayedScale));
    EXPECT_DOUBLE_EQ(p.Arg(cmd::timebase::kDelayedScale), 200e-6);

    live.nTimeFormat = oxcmd::code::kRolling; // roll switches the delayed timebase off
    live.bDelayed = 0;
    Publish();
    EXPECT_EQ(dialog->height(), shortHeight);
    EXPECT_TRUE(Checked(Id::Roll));
}

TEST_F(HorizontalTest, AlternationShowsAndPostsEachChannelsOwnTimebase) {
    live.nTrigMode = oxcmd::code::kAlternate;
    Publish();
    EXPECT_EQ(Text(Id::MainBox), "Channel1");
    EXPECT_EQ(Text(Id::DelayedBox), "Channel2");
    EXPECT_TRUE(Control(Id::Delayed)->isHidden());
    EXPECT_FALSE(Control(Id::DelayedBox)->isHidden());
    EXPECT_EQ(Text(Id::DelayedScale), "20.00us");
    EXPECT_EQ(qobject_cast<QLineEdit*>(Control(Id::MainScale))->palette().color(QPalette::Text),
              oxbow::ui::PluginColours::Channel1);

    Click(Id::DelayedScaleUp);
    auto posts = Drain();
    ASSERT_EQ(posts.size(), 2u);
    EXPECT_TRUE(posts[0].Is(cmd::run::kSaveUndo));
    EXPECT_TRUE(posts[1].Is(cmd::timebase::kAltScale, 1));
    EXPECT_DOUBLE_EQ(posts[1].Arg(cmd::timebase::kAltScale), 50e-6);
    Click(Id::MainOffsetZero);
    EXPECT_TRUE(Drain().back().Is(cmd::timebase::kAltOffset, 0));
}

TEST_F(HorizontalTest, ACompletionForADestroyedDialogIsSkipped) {
    Click(Id::MainScaleUp);
    DestroyDialog();
    const auto posts = Drain(); // the completion names the dialog, which is gone
    ASSERT_EQ(posts.size(), 2u);
    EXPECT_EQ(live.dTimeScale, 2e-3);
}

TEST_F(HorizontalTest, PaintsBothLayouts) {
    live.dTimeOffset = 1.2e-3;
    Publish();
    Shot("horizontal-short"); // the lower section out of sight
    live.bDelayed = 1;
    Publish();
    Painted();
}

} // namespace
