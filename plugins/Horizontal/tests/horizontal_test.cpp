// The Horizontal dialog, and through it the dialog pattern every plug-in shares: what each
// control posts, what the refresh shows, the spin repeat, the close request and the refusal
// during playback.
#include "horizontal.h"

#include "ox_queue.h"
#include "oxcommon.h"
#include "plugintest.h"

#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <string>

namespace {

using namespace oxbow::plugintest;
namespace tb = oxcmd::timebase;
using oxcmd::group::kRunControl;
using oxcmd::group::kTimebase;

class HorizontalTest : public PluginTest {
protected:
    void SetUp() override {
        PluginTest::SetUp();
        dialog = Open(ShowHorizontalDlg);
    }
    static QString ScaleText(double seconds) {
        std::string out;
        GetTimeScaleString(out, seconds);
        return QString::fromStdString(out);
    }
    oxbow::ui::CPluginDlg* dialog = nullptr;
};

TEST_F(HorizontalTest, FormatAndDelayedPostTheirChoiceWithoutUndo) {
    EXPECT_TRUE(Checked(5053));
    Click(5053); // already Y-T
    EXPECT_TRUE(Drain().empty());
    Click(5075);
    auto posts = Drain();
    ASSERT_EQ(posts.size(), 1u);
    EXPECT_TRUE(posts[0].Is(kTimebase, tb::kFormat));
    EXPECT_EQ(posts[0].AsInt(), 1);
    EXPECT_TRUE(Checked(5075)); // the refresh shows the stored format
    EXPECT_FALSE(Checked(5053));

    Click(5053);
    Drain();
    Click(5072);
    posts = Drain();
    ASSERT_EQ(posts.size(), 1u);
    EXPECT_TRUE(posts[0].Is(kTimebase, tb::kDelayed));
    EXPECT_TRUE(posts[0].AsBool());
    EXPECT_EQ(live.bDelayed, 1);
    EXPECT_TRUE(Checked(5072));
}

TEST_F(HorizontalTest, MainScaleButtonsAndEntryPostTheScaleAfterTheUndoSlot) {
    EXPECT_EQ(Text(5004), ScaleText(1e-3));
    Click(5010);
    auto posts = Drain();
    ASSERT_EQ(posts.size(), 2u);
    EXPECT_TRUE(posts[0].Is(kRunControl, oxcmd::run::kSaveUndo));
    EXPECT_TRUE(posts[1].Is(kTimebase, tb::kMainScale));
    EXPECT_DOUBLE_EQ(posts[1].AsDouble(), 2e-3);
    EXPECT_EQ(Text(5004), ScaleText(2e-3));
    EXPECT_DOUBLE_EQ(live.stUndoSlot.dTimeScale, 1e-3);

    Click(5050);
    EXPECT_DOUBLE_EQ(Drain().back().AsDouble(), 1e-3);

    AnswerEntry(5e-6);
    Click(5004);
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_DOUBLE_EQ(entries[0].current, 1e-3);
    EXPECT_EQ(entries[0].entry.digits, 4);
    EXPECT_EQ(entries[0].entry.decimals, -1);
    EXPECT_EQ(entries[0].entry.finest, -9);
    EXPECT_DOUBLE_EQ(Drain().back().AsDouble(), 5e-6);
    EXPECT_EQ(Text(5004), ScaleText(5e-6));

    CancelEntry();
    Click(5004);
    EXPECT_TRUE(Drain().empty());
}

TEST_F(HorizontalTest, TheFieldShowsTheValueTheCommandLayerKept) {
    live.nTimeFormat = oxcmd::code::kXY;
    Publish();
    AnswerEntry(50e-3);
    Click(5004);
    Drain();
    EXPECT_EQ(live.dTimeScale, 20e-3); // X-Y format keeps the scale at 20 ms/div at most
    EXPECT_EQ(Text(5004), ScaleText(20e-3));
    EXPECT_TRUE(Checked(5075));
}

TEST_F(HorizontalTest, OffsetButtonsStepByAtLeastAPixelAndZero) {
    AnswerEntry(1.5e-3);
    Click(5006);
    EXPECT_EQ(entries.at(0).entry.decimals, 4);
    EXPECT_DOUBLE_EQ(Drain().back().AsDouble(), 1.5e-3);
    Click(5041);
    auto posts = Drain();
    EXPECT_TRUE(posts.back().Is(kTimebase, tb::kMainOffset));
    EXPECT_EQ(posts.back().AsDouble(), 0.0);

    Press(5016);
    Release(5016);
    posts = Drain();
    ASSERT_EQ(posts.size(), 2u);
    EXPECT_GE(posts[1].AsDouble(), 20e-6 - 1e-15); // a fiftieth of 1 ms/div
    Press(5019);
    Release(5019);
    EXPECT_LT(Drain().back().AsDouble(), live.dTimeOffset + 1e-15);
}

TEST_F(HorizontalTest, HoldingASpinButtonRepeatsEvery200MsWithOneUndoAndStopsOnRelease) {
    const double before = live.dTimeOffset;
    QElapsedTimer clock;
    clock.start();
    Press(5016);
    std::vector<Posted> posts = Drain();
    int steps = static_cast<int>(Of(posts, kTimebase).size());
    while (steps < 3 && clock.elapsed() < 10'000) {
        QTest::qWait(10);
        const auto more = Drain();
        posts.insert(posts.end(), more.begin(), more.end());
        steps += static_cast<int>(Of(more, kTimebase).size());
    }
    ASSERT_EQ(steps, 3);
    EXPECT_GE(clock.elapsed(), 2 * 200); // the press, then two ticks
    Release(5016);
    EXPECT_FALSE(dialog->SpinRepeating());
    QTest::qWait(450);
    EXPECT_TRUE(Drain().empty());

    EXPECT_EQ(Of(posts, kRunControl).size(), 1u);
    EXPECT_TRUE(posts.front().Is(kRunControl, oxcmd::run::kSaveUndo));
    EXPECT_DOUBLE_EQ(live.stUndoSlot.dTimeOffset, before); // one undo goes back before the hold
    EXPECT_GT(live.dTimeOffset, before + 3 * 20e-6 - 1e-12);
}

TEST_F(HorizontalTest, TheRepeatStopsWhenTheDialogHides) {
    Press(5019);
    EXPECT_TRUE(dialog->SpinRepeating());
    dialog->hide();
    EXPECT_FALSE(dialog->SpinRepeating());
    Drain();
    QTest::qWait(250);
    EXPECT_TRUE(Drain().empty());
}

TEST_F(HorizontalTest, TheDelayedSectionAppearsWithTheDelayedTimebase) {
    EXPECT_EQ(dialog->height(), 253);
    EXPECT_TRUE(Control(5023)->isHidden());
    Click(5072);
    Drain();
    EXPECT_EQ(dialog->height(), 349);
    EXPECT_FALSE(Control(5023)->isHidden());
    EXPECT_EQ(Text(5029), "Delayed");
    EXPECT_EQ(Text(5023), ScaleText(100e-6));

    Click(5062); // the delayed scale: no undo slot outside alternation
    auto posts = Drain();
    ASSERT_EQ(posts.size(), 1u);
    EXPECT_TRUE(posts[0].Is(kTimebase, tb::kDelayedScale));
    EXPECT_DOUBLE_EQ(posts[0].AsDouble(), 200e-6);

    live.nTimeFormat = oxcmd::code::kRolling; // roll switches the delayed timebase off
    live.bDelayed = 0;
    Publish();
    EXPECT_EQ(dialog->height(), 253);
    EXPECT_TRUE(Checked(5077));
}

TEST_F(HorizontalTest, AlternationShowsAndPostsEachChannelsOwnTimebase) {
    live.nTrigMode = oxcmd::code::kAlternate;
    Publish();
    EXPECT_EQ(Text(5022), "Channel1");
    EXPECT_EQ(Text(5029), "Channel2");
    EXPECT_TRUE(Control(5072)->isHidden());
    EXPECT_EQ(dialog->height(), 349);
    EXPECT_EQ(Text(5023), ScaleText(20e-6));
    EXPECT_EQ(qobject_cast<QLineEdit*>(Control(5004))->palette().color(QPalette::Text),
              oxbow::ui::PluginColours::Channel1);

    Click(5062);
    auto posts = Drain();
    ASSERT_EQ(posts.size(), 2u);
    EXPECT_TRUE(posts[0].Is(kRunControl, oxcmd::run::kSaveUndo));
    EXPECT_TRUE(posts[1].Is(kTimebase, tb::kAltScale, 1));
    EXPECT_DOUBLE_EQ(posts[1].AsDouble(), 50e-6);
    Click(5041);
    EXPECT_TRUE(Drain().back().Is(kTimebase, tb::kAltOffset, 0));
}

TEST_F(HorizontalTest, CloseBoxAndEscapePostTheCloseRequestOnce) {
    ClickClose();
    auto posts = Drain();
    ASSERT_EQ(posts.size(), 1u);
    EXPECT_TRUE(posts[0].Is(oxcmd::group::kPanel, oxcmd::panel::kCloseHorizontal));
    QTest::keyClick(dialog, Qt::Key_Escape);
    EXPECT_TRUE(Drain().empty()); // already asked to close
    EXPECT_TRUE(dialog->isVisible());
}

TEST_F(HorizontalTest, EscapeAsksToClose) {
    QTest::keyClick(dialog, Qt::Key_Escape);
    auto posts = Drain();
    ASSERT_EQ(posts.size(), 1u);
    EXPECT_TRUE(posts[0].Is(oxcmd::group::kPanel, oxcmd::panel::kCloseHorizontal));
}

TEST_F(HorizontalTest, DuringPlaybackEveryControlRefuses) {
    live.nRecordState = oxcmd::code::kPlaying;
    Publish();
    Click(5010);
    Press(5016);
    Release(5016);
    auto posts = Drain(); // the two refusals, told once
    ASSERT_EQ(posts.size(), 1u);
    for (const Posted& p : posts)
        EXPECT_TRUE(p.Is(kRunControl, oxcmd::run::kShowError));
    EXPECT_STREQ(live.szSystemError, "Function not available");
    EXPECT_EQ(live.dTimeScale, 1e-3);
}

TEST_F(HorizontalTest, ACompletionForADestroyedDialogIsSkipped) {
    Click(5010);
    DestroyDialog();
    const auto posts = Drain(); // the completion names the dialog, which is gone
    ASSERT_EQ(posts.size(), 2u);
    EXPECT_EQ(live.dTimeScale, 2e-3);
}

TEST_F(HorizontalTest, PaintsBothLayouts) {
    live.dTimeOffset = 1.2e-3;
    Publish();
    Shot("horizontal");
    live.bDelayed = 1;
    Publish();
    Shot("horizontal-delayed");
}

} // namespace
