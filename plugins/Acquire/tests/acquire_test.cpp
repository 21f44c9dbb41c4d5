// The Acquire dialog: what each control posts and what it shows.
#include "acquire.h"

#include "plugintest.h"

#include <QComboBox>
#include <QTest>

namespace {

using namespace oxbow::plugintest;
namespace cmd = oxcmd::cmd;
using Id = AcquireId;

class AcquireTest : public PluginTest {
protected:
    void SetUp() override {
        PluginTest::SetUp();
        dialog = Open(ShowAcquireDlg);
    }
    // The one command a click posted.
    Posted OnlyOf(Id id) {
        Click(id);
        return Only();
    }
    oxbow::ui::CPluginDlg* dialog = nullptr;
};

TEST(AveragesStep, PowersOfTwoAndPastTheLimitsForTheCommandLayerToRefuse) {
    EXPECT_EQ(StepAverages(16, true), 32);
    EXPECT_EQ(StepAverages(16, false), 8);
    EXPECT_EQ(StepAverages(96, true), 128); // between powers: the neighbours, not 192
    EXPECT_EQ(StepAverages(96, false), 64);
    EXPECT_EQ(StepAverages(256, true), 512);
    EXPECT_EQ(StepAverages(2, false), 1);
    EXPECT_EQ(StepAverages(300, false), 256);
    EXPECT_EQ(StepAverages(0, true), 2);
}

TEST_F(AcquireTest, SamplingPostsOnlyAChange) {
    EXPECT_TRUE(Checked(Id::RealTime));
    Click(Id::RealTime);
    EXPECT_TRUE(Drain().empty());
    const Posted p = OnlyOf(Id::EqualTime);
    EXPECT_TRUE(p.Is(cmd::acquire::kRealTime));
    EXPECT_FALSE(p.Arg(cmd::acquire::kRealTime));
    EXPECT_TRUE(Checked(Id::EqualTime));
    EXPECT_FALSE(Checked(Id::RealTime));
}

TEST_F(AcquireTest, ChoosingAverageShowsTheAveragesControls) {
    EXPECT_TRUE(Control(Id::Averages)->isHidden());
    auto* list = qobject_cast<QComboBox*>(Control(Id::Type));
    ASSERT_EQ(list->count(), 3);
    EXPECT_EQ(list->itemText(2), "Peak Detect");
    QTest::keyClick(list, Qt::Key_Down);
    const Posted p = Only();
    EXPECT_TRUE(p.Is(cmd::acquire::kType));
    EXPECT_EQ(p.Arg(cmd::acquire::kType), oxcmd::code::kAcqAverage);
    EXPECT_FALSE(Control(Id::Averages)->isHidden());
    EXPECT_FALSE(Control(Id::AveragesUp)->isHidden());
    EXPECT_EQ(Text(Id::Averages), "16");

    live.nRecordState = oxcmd::code::kPlaying; // refused: the list shows the stored type again
    QTest::keyClick(list, Qt::Key_Down);
    EXPECT_TRUE(Only().Is(cmd::run::kShowError));
    EXPECT_EQ(list->currentIndex(), oxcmd::code::kAcqAverage);
}

TEST_F(AcquireTest, AveragesStepAndEntryShowWhatTheCommandLayerKept) {
    live.nAcqType = oxcmd::code::kAcqAverage;
    live.nAcqAverages = 96;
    Publish();
    Posted p = OnlyOf(Id::AveragesUp);
    EXPECT_TRUE(p.Is(cmd::acquire::kAverages));
    EXPECT_EQ(p.Arg(cmd::acquire::kAverages), 128);
    EXPECT_EQ(Text(Id::Averages), "128");
    EXPECT_EQ(OnlyOf(Id::AveragesDown).Arg(cmd::acquire::kAverages), 64);

    AnswerEntry(100.7);
    Click(Id::Averages);
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].current, 64);
    EXPECT_EQ(entries[0].entry.digits, 3);
    EXPECT_EQ(entries[0].entry.decimals, 0);
    EXPECT_EQ(entries[0].entry.finest, 0);
    EXPECT_EQ(Only().Arg(cmd::acquire::kAverages), 100);
    EXPECT_EQ(Text(Id::Averages), "128"); // kept as a power of two
}

// The command layer keeps the count within 2..256 and says so; the buttons leave the limit
// to it.
TEST_F(AcquireTest, AveragesPastTheLimitsShowTheCommandLayersMessage) {
    live.nAcqType = oxcmd::code::kAcqAverage;
    live.nAcqAverages = 256;
    Publish();
    EXPECT_EQ(OnlyOf(Id::AveragesUp).Arg(cmd::acquire::kAverages), 512);
    EXPECT_EQ(live.nAcqAverages, 256);
    EXPECT_STREQ(live.szSystemError, "Acquire average number at upper limit");
    live.nAcqAverages = 2;
    Publish();
    EXPECT_EQ(OnlyOf(Id::AveragesDown).Arg(cmd::acquire::kAverages), 1);
    EXPECT_EQ(live.nAcqAverages, 2);
    EXPECT_STREQ(live.szSystemError, "Acquire average number at lower limit");
    EXPECT_EQ(Text(Id::Averages), "2");
}

TEST_F(AcquireTest, MemoryChoicesPostTheirDepthOnlyWhenTheyChangeIt) {
    Click(Id::NormalMemory);
    EXPECT_TRUE(Drain().empty());
    const Posted p = OnlyOf(Id::LongMemory);
    EXPECT_TRUE(p.Is(cmd::acquire::kMemory));
    EXPECT_EQ(p.Arg(cmd::acquire::kMemory), 524288);
    EXPECT_TRUE(Checked(Id::LongMemory));
    Click(Id::LongMemory);
    EXPECT_TRUE(Drain().empty());
    EXPECT_EQ(OnlyOf(Id::NormalMemory).Arg(cmd::acquire::kMemory), 4096);
}

TEST_F(AcquireTest, TheDepthIsTheAcquisitionsWhileRunningAndTheStoredRecordsWhenStopped) {
    EXPECT_EQ(Text(Id::Depth), "16K");
    live.bRun = 0;
    live.nAcqMemoryRec = 524288;
    Publish();
    EXPECT_EQ(Text(Id::Depth), "512K");
    live.bRun = 1;
    live.nAcqMemory = 8192;
    Publish();
    EXPECT_EQ(Text(Id::Depth), "8K");
    Click(Id::Depth); // a read-out: no entry
    EXPECT_TRUE(entries.empty());
}

TEST_F(AcquireTest, PaintsWhileAveraging) {
    live.nAcqType = oxcmd::code::kAcqAverage;
    live.nAcqAverages = 64;
    live.bAcqLongMemory = 1;
    live.nAcqMemory = 524288;
    Publish();
    Painted();
}

} // namespace
