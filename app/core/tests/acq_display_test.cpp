// The display side of the loop: which steps run on a tick while running, after a stop and
// while stopped, the persistence counters, and the recorder hand-over.
#include "acq_fixture.h"

#include "messageboxes.h"

#include <chrono>
#include <stdexcept>

namespace oxacq::testing {
namespace {

using Steps = std::vector<std::string>;

class DisplayTick : public AcqTest {
protected:
    void SetUp() override {
        AcqTest::SetUp();
        setup->bRun = 1;
    }
    // A USB block of `frames` new frames read into the loop.
    void ReadBlock(int frames) {
        endpoint.block =
            LiveBlock::Frames(frames).Build(std::vector<std::uint8_t>(frames, kStatusTriggered));
        acq->UsbLiveRead();
        display.steps.clear();
    }
    Steps Tick() {
        display.steps.clear();
        acq->DisplayTick();
        return display.steps;
    }
};

const Steps kLiveFrame{"ResetTraceWindows", "RunPipeline 2048 live", "HandOverMeasurement",
                       "DrawTraces live"};

TEST_F(DisplayTick, OneFramePerTickUntilTheBlockIsDrawn) {
    ReadBlock(2);
    EXPECT_EQ(Tick(), kLiveFrame);
    EXPECT_EQ(Tick(), kLiveFrame);
    EXPECT_EQ(Tick(), Steps{});
    EXPECT_EQ(acq->Counters().framesConsumed, 2);
}

TEST_F(DisplayTick, EraseBeforeTheFrameWhenAskedOrSweeping) {
    ReadBlock(3);
    region->bErasePending = 1;
    EXPECT_EQ(Tick().front(), "Erase");
    region->bErasePending = 0;
    region->bEraseBeforeFrame = 1;
    EXPECT_EQ(Tick().front(), "Erase");
    EXPECT_EQ(region->bEraseBeforeFrame, 0);
    setup->nTimeFormat = 2;
    EXPECT_EQ(Tick().front(), "Erase");
}

// Clear Persistence: the instrument drops what it holds and the history starts afresh, once.
// A new background grey is drawn once; the same grey again draws nothing.
TEST_F(DisplayTick, PersistenceClearAndBackgroundGreyAreAppliedOnce) {
    ReadBlock(3);
    endpoint.written.clear();
    region->bClearPersist = 1;
    EXPECT_EQ(Tick(), Steps{"ClearPersistence"});
    EXPECT_EQ(Written(), ":CLEARUSB\r");
    EXPECT_EQ(acq->Counters().frameCount, 0) << "the block's frames are dropped";
    EXPECT_EQ(acq->FrameState().nPersistFrame, -1);
    EXPECT_EQ(region->bClearPersist, 0);
    EXPECT_EQ(Tick(), Steps{});

    setup->byBackgroundGrey = 0x40;
    EXPECT_EQ(Tick(), Steps{"ChangeBackground 64"});
    EXPECT_EQ(Tick(), Steps{});
    EXPECT_EQ(Written(), ":CLEARUSB\r") << "nothing more was sent";
}

TEST_F(DisplayTick, AChangedSettingWithoutFramesRedrawsTheStoredRecord) {
    setup->bSettingChanged = 1;
    EXPECT_EQ(Tick(), (Steps{"Erase", "RunPipeline 4096 stopped", "DrawTraces stopped"}));
    EXPECT_EQ(commands.Count("GetChangeSettingScreenPara"), 1);
    setup->bDelayed = 1;
    EXPECT_EQ(Tick()[1], "RunPipeline 2048 stopped");
}

TEST_F(DisplayTick, RedrawAllComesFirstAndPresentOncePerTick) {
    ReadBlock(1);
    region->bRedrawAll = 1;
    region->bDisplayActive = 1;
    Steps expected{"FullRedraw"};
    expected.insert(expected.end(), kLiveFrame.begin(), kLiveFrame.end());
    expected.insert(expected.end(), {"Compose", "DrawOverlays", "Present"});
    EXPECT_EQ(Tick(), expected);
}

// Live pictures are limited to one per interval; the frames between are still drawn. Rolling
// and stopped pictures are composed whenever a tick asks, and without an interval every tick
// composes.
class LivePictures : public DisplayTick {
protected:
    const Steps picture{"Compose", "DrawOverlays", "Present"};
    Steps FramePresented() const {
        Steps steps = kLiveFrame;
        steps.insert(steps.end(), picture.begin(), picture.end());
        return steps;
    }
    Steps LastSteps(const Steps& steps) const {
        return steps.size() < picture.size()
                   ? steps
                   : Steps(steps.end() - static_cast<std::ptrdiff_t>(picture.size()), steps.end());
    }
};

TEST_F(LivePictures, OnePerIntervalWhileRunningInYT) {
    region->bDisplayActive = 1;
    acq->SetLivePictureInterval(std::chrono::hours(1));
    ReadBlock(2);
    EXPECT_EQ(Tick(), FramePresented()) << "the first picture is due at once";
    EXPECT_EQ(Tick(), kLiveFrame) << "the second frame is drawn, not presented";
    setup->nTimeFormat = 2;
    EXPECT_EQ(LastSteps(Tick()), picture) << "rolling: on every tick";
    setup->nTimeFormat = 0;
    setup->bRun = 0;
    region->bEraseRequest = 1;
    EXPECT_EQ(LastSteps(Tick()), picture) << "stopped: on every tick";
}

TEST_F(LivePictures, EveryTickWithoutAnInterval) {
    region->bDisplayActive = 1;
    ReadBlock(2);
    EXPECT_EQ(Tick(), FramePresented());
    EXPECT_EQ(Tick(), FramePresented());
}

TEST_F(DisplayTick, TheStopRunsLastFrameFullReadAndStopScreenOnce) {
    ReadBlock(1);
    setup->bRun = 0;
    endpoint.block.assign(4096, 7); // the full record, also served to the last live read
    endpoint.block[762] = 0;        // ... with the vectors plot style
    endpoint.replyLength = 1;
    endpoint.replyBody = {'9'};
    EXPECT_EQ(Tick(),
              (Steps{"Erase", "ResetTraceWindows", "RunPipeline 2048 live", "HandOverMeasurement",
                     "RunPipeline 4096 stopped", "HandOverMeasurement", "DrawTraces live"}));
    EXPECT_EQ(acq->Counters().runStatus, kStatusStop);
    EXPECT_EQ(commands.stopScreenValues, (std::vector<short>{0}));
    EXPECT_EQ(acq->Analog(0)[4094], 7);
    EXPECT_EQ(region->bAcquiring, 0);
    EXPECT_EQ(Tick(), Steps{}) << "stopped: nothing until an erase is asked";

    region->bEraseRequest = 1;
    EXPECT_EQ(Tick(), (Steps{"Erase", "RunPipeline 4096 stopped", "HandOverMeasurement",
                             "DrawTraces stopped"}));
    EXPECT_EQ(commands.stopScreenValues.back(), 9) << "the reply of the record's stop-screen query";
}

// With the record on the screen, changes while stopped ask for its redraw (SetRefreshWave reads
// the hold flag); the redraw covers the record, not a memory depth chosen since.
TEST_F(DisplayTick, TheReadRecordIsHeldAndRedrawnAtItsOwnLength) {
    ReadBlock(1);
    setup->bRun = 0;
    endpoint.block.assign(4096, 7);
    Tick();
    EXPECT_EQ(setup->bWaveHold, 1);

    setup->nAcqMemory = 8192;
    region->bRedrawWave = 1;
    EXPECT_EQ(Tick(), (Steps{"Erase", "RunPipeline 4096 stopped", "HandOverMeasurement",
                             "DrawTraces stopped"}));
    EXPECT_EQ(region->bRedrawWave, 0);
}

// The stored-record settings are taken with the first block of every run (settings changed
// while stopped go into it), and not again while nothing changes.
TEST_F(DisplayTick, TheRecordSettingsAreTakenWithTheFirstBlockOfARun) {
    Tick();
    ReadBlock(1);
    EXPECT_EQ(commands.Count("SaveChangeSetting"), 1);
    ReadBlock(1);
    EXPECT_EQ(commands.Count("SaveChangeSetting"), 1);

    setup->bRun = 0;
    region->bAcquiring = 0;
    Tick();
    setup->bRun = 1;
    region->bAcquiring = 1;
    Tick();
    EXPECT_EQ(commands.Count("SaveChangeSetting"), 1) << "no data yet";
    ReadBlock(1);
    EXPECT_EQ(commands.Count("SaveChangeSetting"), 2);
}

// A change still waiting for its block when the instrument stops is taken with the record,
// which the instrument acquired after the change: the stopped redraw scales it right.
TEST_F(DisplayTick, AChangeNotYetMatchedByABlockIsTakenWithTheRecord) {
    Tick();
    ReadBlock(1);
    setup->bSettingChanged = 1;
    setup->bRun = 0;
    endpoint.block.assign(4096, 7);
    Tick();
    EXPECT_EQ(commands.Count("SaveChangeSetting"), 2);
    EXPECT_EQ(setup->bSettingChanged, 0);
    const auto saved = std::find(commands.calls.begin(), commands.calls.end(), "SaveChangeSetting");
    const auto stopScreen =
        std::find(commands.calls.begin(), commands.calls.end(), "GetStopScreenPara");
    EXPECT_LT(std::find(saved + 1, commands.calls.end(), "SaveChangeSetting"), stopScreen);
}

TEST_F(DisplayTick, SlowSweepStopsWithTheRecordOnly) {
    setup->bRun = 0;
    setup->bSlowSweep = 1;
    endpoint.block.assign(4096, 7);
    EXPECT_EQ(Tick(), (Steps{"Erase", "RunPipeline 4096 stopped", "HandOverMeasurement",
                             "DrawTraces stopped"}));
}

TEST_F(DisplayTick, StoppingWithNothingShownStopsAcquiring) {
    setup->bRun = 0;
    setup->bChanDisplay[0] = 0;
    Tick();
    EXPECT_EQ(region->bAcquiring, 0);
    EXPECT_EQ(commands.Count("GetStopScreenPara"), 0);
    EXPECT_EQ(Tick(), Steps{}) << "no full read repeated every tick";
}

TEST_F(DisplayTick, AFailedRecordKeepsTheLastLiveFrame) {
    ReadBlock(1);
    setup->bRun = 0;
    endpoint.controlResult = 3; // refused, link still up
    EXPECT_EQ(Tick().back(), "DrawTraces live");
    EXPECT_EQ(commands.Count("GetStopScreenPara"), 0);
    EXPECT_EQ(region->bAcquiring, 0);
    EXPECT_EQ(setup->bWaveHold, 0) << "no record to redraw";
}

// Once the main window has written a run-state text of its own ("AUTO"), the instrument's
// status is told again even when it has not changed.
TEST_F(DisplayTick, TheSameStatusIsToldAgainAfterTheWindowWroteItsOwnText) {
    ReadBlock(2);
    Tick();
    const std::size_t told = window.messages.size();
    Tick();
    EXPECT_EQ(window.messages.size(), told) << "unchanged: not told";
    ReadBlock(1);
    acq->Requests().runStateWritten = true;
    Tick();
    ASSERT_EQ(window.messages.size(), told + 1);
    // The status travels in the message: the window never reads the acquisition's counters.
    EXPECT_EQ(window.messages.back(), (RecordingWindow::Message{3125, 1826, kStatusTriggered}));
    EXPECT_EQ(acq->Counters().runStatus, kStatusTriggered);
}

TEST_F(DisplayTick, AFailingStepIsReportedAndTheTickEnds) {
    struct Throwing : RecordingDisplay {
        void FullRedraw() override { throw std::runtime_error("surface gone"); }
    } throwing;
    oxbow::ScriptedMessageBoxes boxes;
    oxbow::ScopedMessageBoxes installed(boxes);
    acq->SetDisplay(throwing);
    region->bRedrawAll = 1;
    region->bDisplayActive = 1;
    acq->DisplayTick();
    ASSERT_EQ(boxes.Questions().size(), 1u);
    EXPECT_EQ(boxes.Questions()[0].text, "surface gone");
    EXPECT_TRUE(throwing.steps.empty());
}

TEST_F(DisplayTick, TimerFlagsAreAppliedUnderTheLock) {
    region->bAcquiring = 0;
    acq->Requests().acquire = true;
    Tick();
    EXPECT_EQ(region->bAcquiring, 1);
    acq->Requests().stopAcquiring = true;
    Tick();
    EXPECT_EQ(region->bAcquiring, 0);
    setup->bRun = 0;
    acq->Requests().acquire = true;
    Tick();
    EXPECT_EQ(region->bAcquiring, 0) << "stopped: the record is not read again";
    EXPECT_TRUE(endpoint.calls.empty());

    std::strcpy(setup->szSystemError, "Function not available");
    region->bErrorShown = 1;
    acq->Requests().clearError = true;
    Tick();
    EXPECT_STREQ(setup->szSystemError, "");
    EXPECT_EQ(region->bErrorShown, 0);

    // The window's surfaces: pictures from now on, the next one drawn whole.
    region->bDisplayActive = 0;
    region->bRedrawAll = 0;
    acq->Requests().redrawAll = true;
    acq->ApplyRequests();
    EXPECT_EQ(region->bDisplayActive, 1);
    EXPECT_EQ(region->bRedrawAll, 1);
}

TEST_F(DisplayTick, TheMouseHighlightIsAppliedAndALaterOffWins) {
    acq->Requests().markerHighlight = 17;
    Tick();
    EXPECT_EQ(region->nDragMarker, 17);
    EXPECT_EQ(region->bMarkerHighlight, 1);
    // Highlighted and left again before the tick: the left one is off.
    acq->Requests().markerHighlight = 3;
    acq->Requests().markerHighlight = oxacq::kNoHighlightRequest;
    acq->Requests().markerHighlightOff = true;
    Tick();
    EXPECT_EQ(region->bMarkerHighlight, 0);
    EXPECT_EQ(region->nDragMarker, 17);
}

TEST_F(DisplayTick, PersistenceCountersWrapAndSaturate) {
    ReadBlock(40);
    for (int i = 0; i < 17; ++i)
        acq->FrameStep();
    EXPECT_EQ(acq->FrameState().nPersistFrame, 0) << "0..16, then back to 0";
    EXPECT_EQ(acq->FrameState().nPersistFill, 17);
    acq->FrameStep();
    EXPECT_EQ(acq->FrameState().nPersistFrame, 1);
    EXPECT_EQ(acq->FrameState().nPersistFill, 17);
    setup->bSlowSweep = 1;
    acq->FrameStep();
    EXPECT_EQ(acq->FrameState().nPersistFrame, 0);
}

class Recorder : public DisplayTick {
protected:
    void SetUp() override {
        DisplayTick::SetUp();
        frames.assign(4 * 2048, 0);
        for (int f = 0; f < 4; ++f)
            std::memset(&frames[f * 2048], 100 + f, 2048);
        acq->Recorder().frames = frames;
        acq->Recorder().dialog = CWndRef::Of(&dialog);
    }
    std::vector<std::uint8_t> frames;
    RecordingWindow dialog;
};

TEST_F(Recorder, PlaybackLoadsTheAskedFrameIntoTheChosenChannel) {
    ReadBlock(2);
    setup->nRecordState = oxcmd::code::kPlaying;
    setup->nRecordSource = 2;
    setup->nRecordSourceChannel = 1;
    setup->nPlayCurrentFrame = 3;
    setup->nPlayEndFrame = 4;
    acq->Requests().playbackStep = true;
    acq->FrameStep();
    EXPECT_EQ(acq->Analog(1)[0], 102);
    EXPECT_EQ(acq->Counters().runStatus, kStatusPlay);
    EXPECT_EQ(dialog.messages, (std::vector<RecordingWindow::Message>{{3146, 2466, 0}}));
    acq->FrameStep();
    EXPECT_EQ(dialog.messages.size(), 1u) << "one frame per request";
}

TEST_F(Recorder, PlaybackPastTheEndHoldsOrPauses) {
    ReadBlock(2);
    setup->nRecordState = oxcmd::code::kPlaying;
    setup->nPlayCurrentFrame = 5; // the dialog moved past the end
    setup->nPlayEndFrame = 4;
    acq->Requests().playbackStep = true;
    acq->FrameStep();
    EXPECT_TRUE(dialog.messages.empty()) << "nothing played past the end";

    AdvancingWindow advancing(setup->nPlayCurrentFrame);
    acq->Recorder().dialog = CWndRef::Of(&advancing);
    acq->Recorder().holdAtEnd = true;
    setup->nPlayCurrentFrame = 4;
    acq->Requests().playbackStep = true;
    acq->FrameStep();
    EXPECT_EQ(setup->nPlayCurrentFrame, 4);
    EXPECT_EQ(commands.posted.back(), (Posted{3146, 2473, 0, 4}));

    acq->Recorder().holdAtEnd = false;
    acq->Requests().playbackStep = true;
    acq->FrameStep();
    EXPECT_EQ(commands.posted.back(), (Posted{3146, 2478, 0, 0}));
}

TEST_F(Recorder, RecordingAppendsUntilTheMaximum) {
    ReadBlock(2);
    setup->nRecordState = oxcmd::code::kRecording;
    setup->nRecordFrames = 3;
    setup->nRecordFramesMax = 4;
    AdvancingWindow counting(setup->nRecordFrames);
    acq->Recorder().dialog = CWndRef::Of(&counting);
    acq->Requests().recordNext = true;
    acq->FrameStep();
    EXPECT_EQ(frames[3 * 2048], 1) << "frame slot 0 of the block went to recorded frame 3";
    EXPECT_EQ(counting.messages, (std::vector<RecordingWindow::Message>{{3146, 2430, 0}}));
    EXPECT_EQ(commands.posted.back(), (Posted{3146, 2433, 0, 0}));
    EXPECT_EQ(setup->nRecordFrames, 4);

    acq->Requests().recordNext = true;
    acq->FrameStep();
    EXPECT_EQ(counting.messages.size(), 1u) << "nothing past the maximum";
}

// The playback timer lets one more frame of the block be drawn, and that frame is the next
// recorded one.
TEST_F(Recorder, ThePlaybackTimerDrawsTheNextRecordedFrameWithoutANewBlock) {
    ReadBlock(2);
    setup->nRecordState = oxcmd::code::kPlaying;
    setup->nPlayCurrentFrame = 1;
    setup->nPlayEndFrame = 4;
    Tick();
    Tick();
    ASSERT_EQ(Tick(), Steps{}) << "the block is drawn";
    acq->Requests().playbackTick = true;
    EXPECT_EQ(Tick(), kLiveFrame);
    EXPECT_EQ(acq->Analog(0)[0], 100);
    EXPECT_EQ(acq->Counters().framesConsumed, 2);
    EXPECT_EQ(Tick(), Steps{});

    acq->Counters().frameCount = 0;
    acq->Counters().framesConsumed = 0;
    acq->Requests().playbackTick = true;
    Tick();
    EXPECT_EQ(acq->Counters().framesConsumed, 0) << "no block, nothing to step";
}

} // namespace
} // namespace oxacq::testing
