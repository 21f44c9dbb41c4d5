// The Acquire dialog: what each control posts and what the refresh shows.
#include "acquire.h"

#include "plugintest.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

namespace {

using namespace oxbow::plugintest;
namespace acq = oxcmd::acquire;
using oxcmd::group::kAcquire;

class AcquireTest : public PluginTest {
protected:
    void SetUp() override {
        PluginTest::SetUp();
        dialog = Open(ShowAcquireDlg);
    }
    // The one command a click posted.
    Posted Only(int id) {
        Click(id);
        return PluginTest::Only();
    }
    oxbow::ui::CPluginDlg* dialog = nullptr;
};

TEST(AveragesStep, PowersOfTwoWithinTwoTo256) {
    EXPECT_EQ(StepAverages(16, true), 32);
    EXPECT_EQ(StepAverages(16, false), 8);
    EXPECT_EQ(StepAverages(96, true), 128); // between powers: the neighbours, not 192
    EXPECT_EQ(StepAverages(96, false), 64);
    EXPECT_EQ(StepAverages(256, true), std::nullopt);
    EXPECT_EQ(StepAverages(300, false), 256);
    EXPECT_EQ(StepAverages(2, false), std::nullopt);
    EXPECT_EQ(StepAverages(0, true), 2);
}

TEST_F(AcquireTest, SamplingPostsOnlyAChange) {
    EXPECT_TRUE(Checked(6048));
    Click(6048);
    EXPECT_TRUE(Drain().empty());
    const Posted p = Only(6049);
    EXPECT_TRUE(p.Is(kAcquire, acq::kRealTime));
    EXPECT_FALSE(p.AsBool());
    EXPECT_TRUE(Checked(6049));
    EXPECT_FALSE(Checked(6048));
}

TEST_F(AcquireTest, ChoosingAverageShowsTheAveragesControls) {
    EXPECT_TRUE(Control(6004)->isHidden());
    auto* list = qobject_cast<QComboBox*>(Control(6052));
    ASSERT_EQ(list->count(), 3);
    EXPECT_EQ(list->itemText(2), "Peak Detect");
    QTest::keyClick(list, Qt::Key_Down);
    auto posts = Drain();
    ASSERT_EQ(posts.size(), 1u);
    EXPECT_TRUE(posts[0].Is(kAcquire, acq::kType));
    EXPECT_EQ(posts[0].AsInt(), oxcmd::code::kAcqAverage);
    EXPECT_FALSE(Control(6004)->isHidden());
    EXPECT_FALSE(Control(6007)->isHidden());
    EXPECT_EQ(Text(6004), "16");

    live.nRecordState = oxcmd::code::kPlaying; // refused: the list shows the stored type again
    QTest::keyClick(list, Qt::Key_Down);
    EXPECT_TRUE(PluginTest::Only().Is(oxcmd::group::kRunControl, oxcmd::run::kShowError));
    EXPECT_EQ(list->currentIndex(), oxcmd::code::kAcqAverage);
}

TEST_F(AcquireTest, AveragesStepAndEntryShowWhatTheCommandLayerKept) {
    live.nAcqType = oxcmd::code::kAcqAverage;
    live.nAcqAverages = 96;
    Publish();
    Posted p = Only(6007);
    EXPECT_TRUE(p.Is(kAcquire, acq::kAverages));
    EXPECT_EQ(p.AsInt(), 128);
    EXPECT_EQ(Text(6004), "128");
    EXPECT_EQ(Only(6010).AsInt(), 64);

    live.nAcqAverages = 256;
    Publish();
    Click(6007);
    EXPECT_TRUE(Drain().empty());

    AnswerEntry(100.7);
    Click(6004);
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].current, 256);
    EXPECT_EQ(entries[0].entry.digits, 3);
    EXPECT_EQ(entries[0].entry.decimals, 0);
    EXPECT_EQ(entries[0].entry.finest, 0);
    auto posts = Drain();
    ASSERT_EQ(posts.size(), 1u);
    EXPECT_EQ(posts[0].AsInt(), 100);
    EXPECT_EQ(Text(6004), "128"); // kept as a power of two
}

TEST_F(AcquireTest, MemoryChoicesPostTheirDepthOnlyWhenTheyChangeIt) {
    Click(6050);
    EXPECT_TRUE(Drain().empty());
    Posted p = Only(6051);
    EXPECT_TRUE(p.Is(kAcquire, acq::kMemory));
    EXPECT_EQ(p.AsInt(), 524288);
    EXPECT_TRUE(Checked(6051));
    Click(6051);
    EXPECT_TRUE(Drain().empty());
    EXPECT_EQ(Only(6050).AsInt(), 4096);
}

TEST_F(AcquireTest, TheDepthIsTheAcquisitionsWhileRunningAndTheStoredRecordsWhenStopped) {
    EXPECT_EQ(Text(6013), "16K");
    live.bRun = 0;
    live.nAcqMemoryRec = 524288;
    Publish();
    EXPECT_EQ(Text(6013), "512K");
    live.bRun = 1;
    live.nAcqMemory = 8192;
    Publish();
    EXPECT_EQ(Text(6013), "8K");
    Click(6013); // a read-out: no entry
    EXPECT_TRUE(entries.empty());
}

TEST_F(AcquireTest, CloseRequest) {
    ClickClose();
    auto posts = Drain();
    ASSERT_EQ(posts.size(), 1u);
    EXPECT_TRUE(posts[0].Is(oxcmd::group::kPanel, oxcmd::panel::kCloseAcquire));
}

TEST_F(AcquireTest, PaintsWhileAveraging) {
    live.nAcqType = oxcmd::code::kAcqAverage;
    live.nAcqAverages = 64;
    live.bAcqLongMemory = 1;
    live.nAcqMemory = 524288;
    Publish();
    Shot("acquire");
}

} // namespace
