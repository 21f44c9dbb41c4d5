// The loop against the simulated instrument over both links: a 1 kHz, 4 Vpp sine on CH1 at
// 1 V/div lands in the channel buffer at ±2 divisions (50 counts) around the centre code,
// live and in the full record read after STOP.
#include "acq_fixture.h"

#include "cwinsocket.h"
#include "oxshell.h"
#include "oxsim.h"

#include <algorithm>
#include <thread>

namespace oxacq::testing {
namespace {

using oxbow::sim::Instrument;

constexpr int kCentre = 125;
constexpr int kCountsPerDiv = 25;
constexpr int kFirstScreenSample = 324; // samples 324..1723 fill the 14 divisions
constexpr int kLastScreenSample = 1723;

class SimAcquisition : public AcqTest {
protected:
    void SetUp() override {
        AcqTest::SetUp();
        oxbow::sim::SignalSource sine;
        std::string error;
        ASSERT_TRUE(oxbow::sim::ParseSignalText("sine,1k,4Vpp", sine, error)) << error;
        instrument.SetSignal(0, sine);
        for (const char* command : {":CHANNEL1:SCALE 1", ":CHANNEL1:OFFSET 0",
                                    ":CHANNEL2:DISPLAY OFF", ":TIMEBASE:SCALE 0.0005", ":RUN"})
            instrument.Execute(command);
        setup->bRun = 1;
        setup->nAcqMemory = instrument.State().dso.acqMemory;
        oxbow::usb::AttachEndpoint(&simEndpoint);
    }

    // The lowest and highest code of the shown part of a live frame, or of the whole record.
    static std::pair<int, int> Extremes(std::span<const std::uint8_t> samples) {
        const auto [low, high] = std::minmax_element(samples.begin(), samples.end());
        return {*low, *high};
    }

    void ExpectSine(std::span<const std::uint8_t> samples) {
        const auto [low, high] = Extremes(samples);
        EXPECT_NEAR(low, kCentre - 2 * kCountsPerDiv, 2);
        EXPECT_NEAR(high, kCentre + 2 * kCountsPerDiv, 2);
    }

    // The instrument stops, and the next display tick reads the record.
    void StopAndReadTheRecord() {
        instrument.Execute(":STOP");
        setup->bRun = 0;
        acq->DisplayTick();
        EXPECT_EQ(region->bAcquiring, 0);
        EXPECT_EQ(setup->bDataValid, 1);
        EXPECT_EQ(acq->Counters().runStatus, kStatusStop);
        ExpectSine(acq->Analog(0).first(static_cast<std::size_t>(setup->nAcqMemory)));
        EXPECT_NE(std::find(display.steps.begin(), display.steps.end(),
                            "RunPipeline " + std::to_string(setup->nAcqMemory) + " stopped"),
                  display.steps.end());
    }

    Instrument instrument{oxbow::sim::InstrumentOptions{},
                          std::make_shared<oxbow::sim::ManualClock>()};
    oxbow::sim::UsbSimEndpoint simEndpoint{instrument};
};

TEST_F(SimAcquisition, UsbFramesCarryTheSineAndTheStopReadsTheRecord) {
    instrument.Advance(0.05);
    acq->UsbLiveRead();
    ASSERT_GT(acq->Counters().frameCount, 0);
    while (acq->Counters().framesConsumed < acq->Counters().frameCount) {
        acq->DisplayTick();
        ExpectSine(
            acq->Analog(0).subspan(kFirstScreenSample, kLastScreenSample - kFirstScreenSample + 1));
    }
    EXPECT_TRUE(acq->Counters().runStatus == kStatusTriggered ||
                acq->Counters().runStatus == kStatusAuto);
    StopAndReadTheRecord();
}

TEST_F(SimAcquisition, UnpluggedDeviceAsksAndIgnoreKeepsGoingWithoutTheLink) {
    oxbow::ScriptedMessageBoxes boxes;
    oxbow::ScopedMessageBoxes installed(boxes);
    boxes.QueueAnswer(oxbow::MessageAnswer::Ignore);
    instrument.SetPresent(false);
    acq->UsbLiveRead();
    ASSERT_EQ(boxes.Questions().size(), 1u);
    EXPECT_EQ(boxes.Questions()[0].text, kLinkLostQuestion);
    EXPECT_EQ(region->bAcquiring, 0);
    acq->DisplayTick();
    EXPECT_EQ(boxes.Questions().size(), 1u);
}

TEST_F(SimAcquisition, TheShellIdentifiesTheSimulatedModel) {
    setup->bConnected = 0;
    std::timed_mutex lock;
    CWinSocket socket;
    Workers workers(lock, *setup,
                    WorkerJobs{[] {}, [] { return std::chrono::milliseconds(0); }, [] {}});
    Shell shell(AcqRecords{setup.get(), region.get(), positions.get()}, socket, commands, *acq,
                workers);
    ASSERT_TRUE(shell.DetectModel());
    EXPECT_EQ(std::string(setup->szModelName, 7), "OXB-A3M");
    EXPECT_EQ(setup->nModelClass, 2);
    EXPECT_EQ(setup->bLaInstalled, 1);
    EXPECT_FALSE(instrument.State().dso.run) << "identification stops the instrument";
}

class SimLanAcquisition : public SimAcquisition {
protected:
    void SetUp() override {
        SimAcquisition::SetUp();
        std::string error;
        ASSERT_TRUE(server.Listen(error)) << error;
        serving = std::thread([this] { server.Serve(); });
        UseLan(socket);
        ASSERT_NE(socket.Connect("127.0.0.1", server.Port()), 0);
    }
    void TearDown() override {
        socket.Close();
        server.Stop();
        if (serving.joinable()) serving.join();
        SimAcquisition::TearDown();
    }
    oxbow::sim::LanServer server{instrument, {}};
    std::thread serving;
    CWinSocket socket;
};

TEST_F(SimLanAcquisition, LanFramesCarryTheSineAndTheStopReadsTheRecord) {
    for (int frame = 0; frame < 3; ++frame) {
        instrument.Advance(0.02);
        acq->LanDataRequest();
        ASSERT_TRUE(ReceiveFrame()) << "frame " << frame;
        acq->DisplayTick();
        ExpectSine(
            acq->Analog(0).subspan(kFirstScreenSample, kLastScreenSample - kFirstScreenSample + 1));
        acq->Counters().frameCount = 0;
    }
    StopAndReadTheRecord();
}

TEST_F(SimLanAcquisition, AClosedConnectionAsksTheQuestion) {
    oxbow::ScriptedMessageBoxes boxes;
    oxbow::ScopedMessageBoxes installed(boxes);
    boxes.QueueAnswer(oxbow::MessageAnswer::Ignore);
    instrument.InjectFault(oxbow::sim::Fault::CloseConnection);
    acq->LanDataRequest();
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    while (boxes.Questions().empty() && std::chrono::steady_clock::now() < end) {
        acq->LanReceive();
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    ASSERT_EQ(boxes.Questions().size(), 1u);
    EXPECT_EQ(setup->bConnected, 0);
    EXPECT_EQ(region->bAcquiring, 0);
}

} // namespace
} // namespace oxacq::testing
