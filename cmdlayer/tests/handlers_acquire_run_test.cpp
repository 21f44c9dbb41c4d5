// Acquire group 3141 and run-control group 3125 through the queue.
#include "handlers_vertical_fixture.h"

namespace {

using AcquireTest = VerticalHandlersTest;
using RunControlTest = VerticalHandlersTest;

TEST_F(AcquireTest, AveragesBecomeAPowerOfTwoSentAsAnInteger) {
    PostInt(3141, 1745, 0, 100);
    EXPECT_EQ(setup->nAcqAverages, 128);
    EXPECT_EQ(SentOnce(), ":ACQUIRE:AVERAGES 128");
    PostInt(3141, 1745, 0, 1000);
    EXPECT_EQ(setup->nAcqAverages, 256);
    EXPECT_EQ(Shown(), "Acquire average number at upper limit");
}

TEST_F(AcquireTest, MemoryDepthChoosesFullFromHalfAMegapoint) {
    PostInt(3141, 1755, 0, 524288);
    EXPECT_EQ(setup->bAcqLongMemory, 1);
    EXPECT_EQ(setup->nAcqMemory, 524288);
    EXPECT_EQ(SentOnce(), ":ACQUIRE:MEMORY FULL");
    PostInt(3141, 1755, 0, 524287);
    EXPECT_EQ(setup->bAcqLongMemory, 0);
    EXPECT_EQ(SentOnce(), ":ACQUIRE:MEMORY NORMAL");
}

TEST_F(AcquireTest, TypeAndModeTexts) {
    PostInt(3141, 1725, 0, 2);
    EXPECT_EQ(setup->nAcqType, 2);
    EXPECT_EQ(SentOnce(), ":ACQUIRE:TYPE PEAKDETECT");
    PostInt(3141, 1725, 0, 3);
    EXPECT_EQ(Shown(), "Function not available");
    EXPECT_EQ(setup->nAcqType, 2);
    EXPECT_TRUE(NothingSent());
    PostBool(3141, 1735, 0, true);
    EXPECT_EQ(SentOnce(), ":ACQUIRE:MODE RTIME");
    PostBool(3141, 1735, 0, false);
    EXPECT_EQ(setup->bAcqRealTime, 0);
    EXPECT_EQ(SentOnce(), ":ACQUIRE:MODE ETIME");
}

TEST_F(AcquireTest, RatesSendAnEmptyLineAndReadBack) {
    PostFloat(3141, 1765, 0, 1e9f);
    EXPECT_FLOAT_EQ(setup->fSampleRate, 1e9f);
    EXPECT_EQ(SentWithReadBack(), (SentCommand{"", true}));
    PostFloat(3141, 1775, 0, 2e8f);
    EXPECT_FLOAT_EQ(setup->fSampleRateMem, 2e8f);
}

TEST_F(AcquireTest, ReadBackStoresTheAcceptedAverages) {
    link.whole = true;
    link.dso.set(oxrec::dso::nAcqAveragesBits, oxmsg::AveragesToBlock(64));
    PostInt(3141, 1745, 0, 100);
    EXPECT_EQ(setup->nAcqAverages, 64);
}

TEST_F(RunControlTest, RunClearsTheStoppedCopiesAndTheHeldRecordAndReadsBack) {
    setup->bChanShownStop[0] = 1;
    setup->bWaveHold = 1;
    setup->nRunState = 1;
    Post(3125, 4126, 0);
    EXPECT_EQ(setup->bRun, 1);
    EXPECT_EQ(setup->nRunState, 0);
    EXPECT_EQ(setup->bChanShownStop[0], 0);
    EXPECT_EQ(setup->bWaveHold, 0);
    EXPECT_EQ(SentWithReadBack(), (SentCommand{":RUN", true}));
}

TEST_F(RunControlTest, StopWithoutReadBackClearsThePassFailStopWhileTheTestRuns) {
    setup->bRun = 1;
    setup->bPfStop = 1;
    Post(3125, 4127, 0);
    EXPECT_EQ(setup->bRun, 0);
    EXPECT_EQ(setup->nRunState, 1);
    EXPECT_EQ(setup->bPfStop, 1);
    EXPECT_EQ(SentWithReadBack(), (SentCommand{":STOP", false}));
    setup->bPfRun = 1;
    Post(3125, 4127, 0);
    EXPECT_EQ(setup->bPfStop, 0);
}

TEST_F(RunControlTest, AutoSetupAndDefaultSetupGoWithoutReadBack) {
    setup->nRecordState = 2;
    setup->bLaShownStop = 1;
    setup->bWaveHold = 1;
    Post(3125, 4125, 0);
    EXPECT_EQ(setup->bWaveHold, 0);
    EXPECT_EQ(setup->bRun, 1);
    EXPECT_EQ(setup->nRunState, 4);
    EXPECT_EQ(setup->nRecordState, 0);
    EXPECT_EQ(setup->bLaShownStop, 0);
    EXPECT_TRUE(region->bRedrawAll);
    EXPECT_EQ(SentWithReadBack(), (SentCommand{":AUTO", false}));
    Post(3125, 4134, 0);
    EXPECT_EQ(SentWithReadBack(), (SentCommand{":DEFAULT", false}));
}

TEST_F(RunControlTest, PanelRunStatesAndNotificationsSendNothing) {
    Post(3125, 4128, 0);
    EXPECT_EQ(setup->nRunState, 2);
    EXPECT_EQ(setup->bRun, 1);
    Post(3125, 4129, 0);
    EXPECT_EQ(setup->nRunState, 3);
    Post(3125, 4224, 0);
    Post(3125, 2278, 0);
    EXPECT_TRUE(NothingSent());
    EXPECT_EQ(mainWindow.Messages().back(), (CWndMessage{3125, 2278, 0}));
}

} // namespace
