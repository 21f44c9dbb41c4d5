// The channel, acquire and timebase handlers against the simulated instrument over the
// sim USB back end: the record keeps what the instrument accepted, and a burst of posts
// of one setting costs one exchange.
#include "cwnd_recorder.h"
#include "oxbow_ui.h"
#include "oxmsg.h"
#include "oxsim.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

namespace {

// The instrument's USB side, counting the command lines and setup-block reads it serves.
class CountingEndpoint : public oxbow::sim::UsbSimEndpoint {
public:
    using UsbSimEndpoint::UsbSimEndpoint;

    int lines = 0;
    int dsoReads = 0;

    bool WriteByte(std::uint8_t byte) override {
        lines += byte == '\r' ? 1 : 0;
        return UsbSimEndpoint::WriteByte(byte);
    }
    int ControlRequest(int request, int value, int index) override {
        dsoReads += request == 6 ? 1 : 0;
        return UsbSimEndpoint::ControlRequest(request, value, index);
    }
};

class HandlersOnSim : public ::testing::Test {
protected:
    oxbow::sim::Instrument instrument{oxbow::sim::InstrumentOptions{},
                                      std::make_shared<oxbow::sim::ManualClock>()};
    CountingEndpoint endpoint{instrument};
    std::unique_ptr<_OX_SETUP> setup = std::make_unique<_OX_SETUP>();
    std::unique_ptr<_OX_RGN_SETUP> region = std::make_unique<_OX_RGN_SETUP>();
    std::unique_ptr<_OX_POS_SETUP> positions = std::make_unique<_OX_POS_SETUP>();
    CRecordingWnd mainWindow;

    void SetUp() override {
        oxbow::usb::SelectBackend(oxbow::usb::Backend::Sim);
        oxbow::usb::AttachEndpoint(&endpoint);
        setup->bConnected = 1;
        setup->fMinTimeScale = 2e-9f;
        OxMsgInit(&mainWindow, setup.get(), region.get(), positions.get(), nullptr);
        ASSERT_TRUE(OxInitSystem());
        endpoint.lines = endpoint.dsoReads = 0;
    }

    void TearDown() override {
        OxMsgInit(nullptr, nullptr, nullptr, nullptr, nullptr);
        oxbow::usb::DetachEndpoint();
    }

    static void Drain() {
        while (GetIOCmd())
            IOCmdProcess();
    }
};

TEST_F(HandlersOnSim, ReadBackStoresWhatTheInstrumentAccepted) {
    SetMsgVarfloat(0.3f); // valid here; the instrument keeps to 1-2-5 steps
    EXPECT_TRUE(OxPostIOCmd(3135, 1125, 0, nullptr, nullptr, nullptr));
    SetMsgVarInt(600000);
    EXPECT_TRUE(OxPostIOCmd(3141, 1755, 0, nullptr, nullptr, nullptr));
    SetMsgVarDouble(0.003);
    EXPECT_TRUE(OxPostIOCmd(3139, 1645, 0, nullptr, nullptr, nullptr));
    Drain();
    const oxbow::sim::DsoState accepted = instrument.State().dso;
    EXPECT_FLOAT_EQ(accepted.chan[0].scale, 0.5f);
    EXPECT_FLOAT_EQ(setup->fChanScale[0], 0.5f);
    EXPECT_EQ(setup->nAcqMemory, accepted.acqMemory);
    EXPECT_EQ(setup->bAcqLongMemory, 1);
    EXPECT_EQ(setup->llTimeScalePs, 5'000'000'000);
    EXPECT_EQ(accepted.timeScalePs, 5'000'000'000);
}

TEST_F(HandlersOnSim, ABurstOfOneSettingMakesOneExchange) {
    for (int i = 1; i <= 200; ++i) {
        SetMsgVarInt(i);
        ASSERT_TRUE(OxPostIOCmd(3141, 1745, 0, nullptr, nullptr, nullptr));
    }
    Drain();
    EXPECT_EQ(endpoint.lines, 1);
    EXPECT_EQ(endpoint.dsoReads, 1);
    EXPECT_EQ(instrument.State().dso.acqAverages, 256);
    EXPECT_EQ(setup->nAcqAverages, 256);
}

} // namespace
