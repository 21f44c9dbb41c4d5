// The USB live block: header fields, the ring, frame cutting, refusals and the follow-ups.
#include "acq_fixture.h"

#include "messageboxes.h"

namespace oxacq::testing {
namespace {

using Call = oxbow::testing::ScriptedEndpoint::Call;

TEST(AcqGeometry, ScanPositionIsTwiceTheSourceLessOne) {
    EXPECT_EQ(ScanPositionFromSource(0), 0);
    EXPECT_EQ(ScanPositionFromSource(1), 1);
    EXPECT_EQ(ScanPositionFromSource(100), 199);
    EXPECT_EQ(ScanPositionFromSource(350), 699);
    for (int v = 1; v <= 65535; v += 37)
        ASSERT_EQ(ScanPositionFromSource(static_cast<std::uint16_t>(v)), 2 * v - 1) << v;
}

TEST(AcqGeometry, StrideOfEveryMaskAndTheDelayedSweep) {
    EXPECT_EQ(FrameStride(kMaskCh1, false), 2048);
    EXPECT_EQ(FrameStride(kMaskCh2, false), 2048);
    EXPECT_EQ(FrameStride(kMaskCh1 | kMaskCh2, false), 4096);
    EXPECT_EQ(FrameStride(kMaskLa, false), 4096);
    EXPECT_EQ(FrameStride(kMaskCh1 | kMaskLa, false), 6144);
    EXPECT_EQ(FrameStride(7, false), 8192);
    EXPECT_EQ(FrameStride(kMaskCh1, true), 4096);
    EXPECT_EQ(FrameStride(kMaskCh1 | kMaskLa, true), 12288);
    EXPECT_EQ(FrameStride(7, true), kLargestStride);
}

TEST(AcqGeometry, RingSlotWrapsBackwardsNeverNegative) {
    EXPECT_EQ(FirstRingSlot(3, 5), 248);
    EXPECT_EQ(FirstRingSlot(5, 5), 0);
    EXPECT_EQ(FirstRingSlot(0, 250), 0);
    EXPECT_EQ(FirstRingSlot(60000, 250), 60000 % 250);
    EXPECT_EQ(FirstRingSlot(0, 1), 249);
}

using UsbLiveRead = AcqTest;

TEST_F(UsbLiveRead, AsksForTheMaskAndTakesTheHeader) {
    LiveBlock live;
    live.scanSource = 100;
    live.frames = 5;
    live.writeIndex = 3;
    live.slots = 250;
    endpoint.block = live.Build({3, 4, 3, 3, 4});
    setup->bChanDisplay[1] = 1;
    live.stride = 4096;
    endpoint.block = live.Build({3, 4, 3, 3, 4});

    acq->UsbLiveRead();

    ASSERT_FALSE(endpoint.CallsOf("ControlRead").empty());
    EXPECT_EQ(endpoint.CallsOf("ControlRead")[0], (Call{"ControlRead", 4, 0, 3, 4}));
    EXPECT_EQ(endpoint.CallsOf("BulkRead")[0].length, static_cast<int>(endpoint.block.size()));
    EXPECT_EQ(acq->Counters().frameCount, 5);
    EXPECT_EQ(acq->Counters().ringIndex, 248);
    EXPECT_EQ(acq->Counters().framesConsumed, 0);
    EXPECT_EQ(acq->Counters().newData, 1);
    EXPECT_EQ(acq->FrameState().nScanPos, 199);
    EXPECT_EQ(setup->bDataValid, 1);
    EXPECT_EQ(acq->HeaderCopy()[512], 3);
    EXPECT_EQ(commands.Count("SetChanEnabledStop"), 1);
}

TEST_F(UsbLiveRead, FramesComeFromTheRingInOrderWithTheirStatus) {
    LiveBlock live;
    live.frames = 5;
    live.writeIndex = 3;
    live.slots = 250;
    endpoint.block = live.Build({3, 4, 3, 3, 4});
    acq->UsbLiveRead();

    std::vector<int> slots;
    std::vector<int> statuses;
    while (acq->Counters().framesConsumed < acq->Counters().frameCount) {
        acq->FrameStep();
        slots.push_back(acq->Analog(0)[0] - 1);
        EXPECT_EQ(acq->Analog(0)[2047], acq->Analog(0)[0]);
        statuses.push_back(acq->Counters().runStatus);
    }
    EXPECT_EQ(slots, (std::vector<int>{248, 249, 0, 1, 2}));
    EXPECT_EQ(statuses, (std::vector<int>{3, 4, 3, 3, 4}));
    // The window hears of each change only: AUTO (initial) -> T'D -> AUTO -> T'D -> AUTO.
    EXPECT_EQ(window.messages.size(), 4u);
    EXPECT_EQ(window.messages[0], (RecordingWindow::Message{3125, 1826, 3})); // T'D
}

TEST_F(UsbLiveRead, NothingShownAsksNothing) {
    setup->bChanDisplay[0] = 0;
    setup->bDataValid = 1;
    acq->UsbLiveRead();
    EXPECT_TRUE(endpoint.calls.empty());
    EXPECT_EQ(acq->Counters().frameCount, 0);
    EXPECT_EQ(setup->bDataValid, 0);
}

TEST_F(UsbLiveRead, MathFetchesBothChannelsWhateverTheSwitches) {
    setup->bChanDisplay[0] = 0;
    commands.mathEnabled = true;
    endpoint.block = LiveBlock{}.Build();
    acq->UsbLiveRead();
    EXPECT_EQ(endpoint.CallsOf("ControlRead").at(0).index, 3);
}

TEST_F(UsbLiveRead, ABareHeaderIsNoFrameAndTheTriggerWaits) {
    setup->nTrigSweep = oxcmd::code::kSweepNormal;
    endpoint.block.assign(kFrameArea, 0);
    acq->UsbLiveRead();
    EXPECT_TRUE(endpoint.CallsOf("BulkRead").empty());
    EXPECT_EQ(acq->Counters().runStatus, kStatusWait);
    EXPECT_EQ(acq->FrameState().nScanPos, 699);
    EXPECT_EQ(acq->Counters().newData, 0);
}

TEST_F(UsbLiveRead, ACountBeyondTheReceiveBufferIsNotRead) {
    endpoint.block = LiveBlock{}.Build();
    endpoint.announced = kReceiveBytes + 1;
    acq->UsbLiveRead();
    EXPECT_TRUE(endpoint.CallsOf("BulkRead").empty());
    EXPECT_EQ(setup->bDataValid, 0);
    EXPECT_EQ(acq->Counters().newData, 0);
}

TEST_F(UsbLiveRead, FrameCountIsLimitedToTheRing) {
    LiveBlock live;
    live.frames = 400;
    live.writeIndex = 0;
    endpoint.block = live.Build();
    acq->UsbLiveRead();
    EXPECT_EQ(acq->Counters().frameCount, 250);
    EXPECT_EQ(acq->Counters().ringIndex, 0);
}

TEST_F(UsbLiveRead, AFrameIsCutOnlyWhenItsWholeStrideArrived) {
    endpoint.block = LiveBlock::Frames(2).Build();
    ASSERT_FALSE(endpoint.block.empty());
    endpoint.block.pop_back(); // the second frame is one byte short
    acq->UsbLiveRead();
    acq->FrameStep();
    EXPECT_EQ(acq->Analog(0)[0], 1);
    acq->FrameStep();
    EXPECT_EQ(acq->Analog(0)[0], 1) << "a partial frame must not be cut";
}

TEST_F(UsbLiveRead, DelayedLayoutFillsMainAndSecondBuffers) {
    setup->bDelayed = 1;
    setup->bLaEnable = 1;
    LiveBlock live;
    live.stride = FrameStride(kMaskCh1 | kMaskLa, true);
    endpoint.block = live.Build();
    // Mark each part of the frame: CH1 main, CH1 second, LA main, LA second.
    const std::size_t frame = kFrameArea;
    std::memset(&endpoint.block[frame], 11, 2048);
    std::memset(&endpoint.block[frame + 2048], 12, 2048);
    std::memset(&endpoint.block[frame + 4096], 13, 4096);
    std::memset(&endpoint.block[frame + 8192], 14, 4096);
    acq->UsbLiveRead();
    acq->FrameStep();
    EXPECT_EQ(acq->Analog(0)[2047], 11);
    EXPECT_EQ(acq->AnalogSecond(0)[0], 12);
    EXPECT_EQ(acq->La()[2047], 0x0D0D);
    EXPECT_EQ(acq->LaSecond()[0], 0x0E0E);
    EXPECT_EQ(acq->Analog(1)[0], 125) << "CH2 is not in the mask";
}

TEST_F(UsbLiveRead, PlotStyleChangeClearsTheInstrumentOnce) {
    LiveBlock live;
    live.plotStyle = 1;
    endpoint.block = live.Build();
    acq->UsbLiveRead();
    EXPECT_EQ(Written(), ":CLEARUSB\r");
    EXPECT_EQ(acq->FrameState().bPlotDots, 1);
    EXPECT_EQ(acq->FrameState().nPersistFrame, -1);
    EXPECT_EQ(acq->Counters().frameCount, 0);
    EXPECT_EQ(std::count(display.steps.begin(), display.steps.end(), "ClearPersistence"), 1);

    acq->UsbLiveRead();
    EXPECT_EQ(Written(), ":CLEARUSB\r") << "an unchanged style sends nothing";
}

TEST_F(UsbLiveRead, PersistenceOverridesThePlotStyle) {
    setup->bDisplayPersist = 1;
    setup->bDisplayColorGrade = 1;
    endpoint.block = LiveBlock{}.Build();
    acq->UsbLiveRead();
    EXPECT_TRUE(Written().empty());
    EXPECT_EQ(acq->FrameState().bPlotDots, 1);
}

TEST_F(UsbLiveRead, SingleSweepStopsItselfWhenTheBlockSaysDone) {
    setup->nTrigSweep = oxcmd::code::kSweepSingle;
    LiveBlock live;
    endpoint.block = live.Build();
    acq->UsbLiveRead();
    EXPECT_TRUE(commands.posted.empty()) << "still pending";
    live.singlePending = 0;
    endpoint.block = live.Build();
    acq->UsbLiveRead();
    ASSERT_EQ(commands.posted.size(), 1u);
    EXPECT_EQ(commands.posted[0], (Posted{3125, 4127, 0, 0}));
}

TEST_F(UsbLiveRead, ChangedSettingsAreSnapshotWithTheNextBlock) {
    setup->bSettingChanged = 1;
    endpoint.block = LiveBlock{}.Build();
    acq->UsbLiveRead();
    EXPECT_EQ(commands.Count("SaveChangeSetting"), 1);
    EXPECT_EQ(setup->bSettingChanged, 0);
}

TEST_F(UsbLiveRead, NotAcquiringReadsNothing) {
    region->bAcquiring = 0;
    acq->UsbLiveRead();
    EXPECT_TRUE(endpoint.calls.empty());
    EXPECT_EQ(acq->Counters().newData, 0);
}

class UsbLinkLost : public AcqTest {
protected:
    void SetUp() override {
        AcqTest::SetUp();
        endpoint.controlResult = 0;
        oxbow::InstallMessageBoxes(&boxes);
    }
    void TearDown() override {
        oxbow::InstallMessageBoxes(nullptr);
        AcqTest::TearDown();
    }
    oxbow::ScriptedMessageBoxes boxes;
};

TEST_F(UsbLinkLost, IgnoreStopsAcquiring) {
    boxes.QueueAnswer(oxbow::MessageAnswer::Ignore);
    acq->UsbLiveRead();
    ASSERT_EQ(boxes.Questions().size(), 1u);
    EXPECT_EQ(boxes.Questions()[0], LinkLostQuestion());
    EXPECT_EQ(boxes.Questions()[0].text, "Please confirm connecting system is right!");
    EXPECT_EQ(setup->bConnected, 0);
    EXPECT_EQ(region->bAcquiring, 0);
    EXPECT_TRUE(commands.posted.empty());
    acq->UsbLiveRead();
    EXPECT_EQ(boxes.Questions().size(), 1u) << "nobody is asked again after Ignore";
}

TEST_F(UsbLinkLost, AbortEndsTheProgramAndAsksNoMore) {
    boxes.QueueAnswer(oxbow::MessageAnswer::Abort);
    acq->UsbLiveRead();
    ASSERT_EQ(commands.posted.size(), 1u);
    EXPECT_EQ(commands.posted[0], (Posted{3125, 4224, 0, 0}));
    acq->UsbLiveRead();
    EXPECT_EQ(boxes.Questions().size(), 1u);
}

TEST_F(UsbLinkLost, RetryFindsTheDeviceAgain) {
    endpoint.present = false;
    boxes.QueueAnswer(oxbow::MessageAnswer::Retry); // none on the bus: asked again
    boxes.QueueAnswer(oxbow::MessageAnswer::Retry);
    setup->hUsbDevice = 5;
    acq->UsbLiveRead();
    // Both retries found nothing (still unplugged); the third question gets the safe answer.
    EXPECT_EQ(boxes.Questions().size(), 3u);
    EXPECT_EQ(setup->hUsbDevice, 5);
    EXPECT_EQ(commands.posted.back(), (Posted{3125, 4224, 0, 0}));

    endpoint.present = true;
    boxes.QueueAnswer(oxbow::MessageAnswer::Retry);
    setup->bConnected = 0;
    EXPECT_TRUE(acq->ConnectionLostDialog());
    EXPECT_EQ(setup->bConnected, 1);
    EXPECT_EQ(setup->hUsbDevice, 0);
    EXPECT_EQ(commands.posted.back(), (Posted{3125, 4135, 0, 0}));
}

TEST_F(UsbLinkLost, NothingIsAskedWhileConnected) {
    EXPECT_FALSE(acq->ConnectionLostDialog());
    EXPECT_TRUE(boxes.Questions().empty());
}

TEST_F(UsbLiveRead, RestartedPersistenceDropsTheBlockAndClearsTheInstrument) {
    endpoint.block = LiveBlock::Frames(3).Build();
    acq->UsbLiveRead();
    acq->FrameStep();
    acq->RestartPersistence();
    EXPECT_EQ(Written(), ":CLEARUSB\r");
    EXPECT_EQ(acq->Counters().frameCount, 0);
    EXPECT_EQ(acq->FrameState().nPersistFrame, -1);
    EXPECT_EQ(acq->FrameState().nPersistFill, 0);
}

} // namespace
} // namespace oxacq::testing
