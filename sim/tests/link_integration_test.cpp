// The command layer's link primitives against the simulated instrument, over the sim USB
// back end and over TCP on loopback.
#include "sim_test_util.h"

#include "cwinsocket.h"
#include "ox_link.h"
#include "oxbow_ui.h"
#include "oxmsg.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

namespace oxbow::sim {
namespace {

namespace d = oxrec::dso;

// Skips the link's waits after each send; the short receive polls sleep for real.
class FastClock : public oxmsg::LinkClock {
public:
    void Sleep(int milliseconds) override {
        if (milliseconds < oxmsg::kLanWaitMs) {
            std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
        }
    }
    std::int64_t NowMs() override {
        return std::chrono::duration_cast<std::chrono::milliseconds>(
                   std::chrono::steady_clock::now().time_since_epoch())
            .count();
    }
};

class SimLinkTest : public ::testing::Test {
protected:
    void SetUp() override {
        setup = std::make_unique<_OX_SETUP>();
        setup->bConnected = 1;
        oxmsg::SetLinkClock(&clock);
    }
    void TearDown() override {
        oxmsg::SetLinkContext(nullptr, nullptr);
        oxmsg::SetLinkClock(nullptr);
    }

    void ExpectIdentificationAndBlocks() {
        std::string serial;
        ASSERT_TRUE(ReadSerial(serial));
        EXPECT_EQ(serial, "TAMBER,OXB-A3M,OXS00001,00.02.05");
        std::string fpga;
        ASSERT_TRUE(ReadFPGAVersion(fpga));
        EXPECT_EQ(fpga, "1.07");
    }

    // A scale command with read-back, then the probe rules, as a handler sends them.
    void ExpectScaleAndProbeReachTheBlocks() {
        SendCommand(":CHANNEL1:SCALE 0.500000", nullptr, true);
        ASSERT_TRUE(oxmsg::FirmwareSetupWhole());
        EXPECT_FLOAT_EQ(oxmsg::FirmwareSetupCopy().dso.get(d::fChanScale[0]), 0.5f);
        SendCommand(":CHANNEL1:PROBE 10.000000", nullptr, true);
        SendCommand(":TRIGGER:EDGE:LEVEL 2.000000", nullptr, true);
        ASSERT_TRUE(oxmsg::FirmwareSetupWhole());
        const DSO_SETUP& dso = oxmsg::FirmwareSetupCopy().dso;
        EXPECT_FLOAT_EQ(dso.get(d::fChanProbe[0]), 10.0f);
        EXPECT_FLOAT_EQ(dso.get(d::fChanScale[0]), 5.0f);
        EXPECT_EQ(dso.get(d::nChanScaleUv[0]), 500'000);
        EXPECT_FLOAT_EQ(dso.get(d::fEdgeLevel), 0.2f); // stored at the input
        _OX_SETUP pushed{};
        oxmsg::PushSetup(pushed, &oxmsg::FirmwareSetupCopy().dso, nullptr, nullptr);
        EXPECT_FLOAT_EQ(pushed.fEdgeLevel, 2.0f); // back at the probe tip
        EXPECT_FLOAT_EQ(pushed.fChanScale[0], 5.0f);
    }

    std::unique_ptr<_OX_SETUP> setup;
    FastClock clock;
    Instrument instrument{InstrumentOptions{}, std::make_shared<ManualClock>()};
};

class UsbSimLinkTest : public SimLinkTest {
protected:
    void SetUp() override {
        SimLinkTest::SetUp();
        setup->nInterface = 0;
        oxbow::usb::SelectBackend(oxbow::usb::Backend::Sim);
        oxbow::usb::AttachEndpoint(&endpoint);
        oxmsg::SetLinkContext(setup.get(), nullptr);
    }
    void TearDown() override {
        oxbow::usb::DetachEndpoint();
        SimLinkTest::TearDown();
    }

    UsbSimEndpoint endpoint{instrument};
};

TEST_F(UsbSimLinkTest, IdentifiesAndReadsTheBlocks) {
    ExpectIdentificationAndBlocks();
    oxmsg::FirmwareSetup blocks{};
    ASSERT_TRUE(OxReadFirmwareSetup(&blocks.dso, &blocks.la, &blocks.alt));
    EXPECT_EQ(blocks.dso.get(d::llTimeScalePs), 200'000'000);
    EXPECT_FLOAT_EQ(blocks.dso.get(d::fChanScale[0]), 1.0f);
    EXPECT_EQ(blocks.la.get(oxrec::la::nPatternBit(0)), 2);
}

TEST_F(UsbSimLinkTest, ScaleCommandAndProbeRulesShowInTheReadBack) {
    EXPECT_EQ(WriteCommand(":RUN"), 5);
    ExpectScaleAndProbeReachTheBlocks();
}

TEST_F(UsbSimLinkTest, BlocksWrittenByTheFrontPanelComeBack) {
    oxmsg::FirmwareSetup blocks{};
    ASSERT_TRUE(OxReadFirmwareSetup(&blocks.dso, &blocks.la, &blocks.alt));
    blocks.dso.set(d::nEdgeSlope, 1);
    blocks.dso.set(d::fChanScale[1], 0.2f);
    blocks.dso.set(d::nChanScaleUv[1], 200'000);
    blocks.la.set(oxrec::la::nDurationQualifier, 2);
    blocks.alt.set(oxrec::alt::fAltEdgeLevel[1], 0.25f);
    ASSERT_TRUE(OxWriteFirmwareSetup(&blocks.dso, &blocks.la, &blocks.alt));
    oxmsg::FirmwareSetup back{};
    ASSERT_TRUE(OxReadFirmwareSetup(&back.dso, &back.la, &back.alt));
    EXPECT_EQ(back.dso.get(d::nEdgeSlope), 1);
    EXPECT_FLOAT_EQ(back.dso.get(d::fChanScale[1]), 0.2f);
    EXPECT_EQ(back.la.get(oxrec::la::nDurationQualifier), 2);
    EXPECT_FLOAT_EQ(back.alt.get(oxrec::alt::fAltEdgeLevel[1]), 0.25f);
    EXPECT_EQ(std::memcmp(back.la.bytes, blocks.la.bytes, sizeof back.la.bytes), 0);
}

TEST_F(UsbSimLinkTest, LiveBlockAndFullRecordArriveThroughTheTransport) {
    instrument.Advance(0.05);
    std::uint8_t word[4] = {};
    ASSERT_EQ(UsbControlRead(0, 4, 0, 3, 4, word), 1);
    const int count = word[0] | (word[1] << 8) | (word[2] << 16) | (word[3] << 24);
    ASSERT_GT(count, 2048);
    std::vector<std::uint8_t> block(count);
    ASSERT_NE(UsbBulkRead(0, count, block.data()), 0);
    EXPECT_EQ(test::FramesOf(block, 4096).size(), test::U16(block, 4));

    WriteCommand(":STOP");
    ASSERT_EQ(UsbControlRead(0, 5, 3, 0, 4, word), 1);
    const int size = word[0] | (word[1] << 8) | (word[2] << 16) | (word[3] << 24);
    EXPECT_EQ(size, 2 * instrument.State().dso.acqMemory);
    std::vector<std::uint8_t> record(size);
    EXPECT_NE(UsbBulkRead(0, size, record.data()), 0);
    char reply[256];
    EXPECT_EQ(ReadCommand(":INFO:EUQP?", reply, sizeof reply), 1);
}

TEST_F(UsbSimLinkTest, RefusedRequestsAndALostDeviceFailTheTransfers) {
    instrument.InjectFault(Fault::RefuseUsbRequest);
    oxmsg::FirmwareSetup blocks{};
    EXPECT_FALSE(OxReadFirmwareSetup(&blocks.dso, &blocks.la, &blocks.alt));
    EXPECT_TRUE(OxReadFirmwareSetup(&blocks.dso, &blocks.la, &blocks.alt));
    instrument.InjectFault(Fault::ShortReply);
    std::string serial;
    EXPECT_FALSE(ReadSerial(serial));
    instrument.SetPresent(false);
    EXPECT_EQ(WriteCommand(":RUN"), 0);
    EXPECT_FALSE(OxReadFirmwareSetup(&blocks.dso, &blocks.la, &blocks.alt));
    instrument.SetPresent(true);
    EXPECT_TRUE(ReadSerial(serial));
}

class LanSimLinkTest : public SimLinkTest {
protected:
    void SetUp() override {
        SimLinkTest::SetUp();
        std::string error;
        ASSERT_TRUE(server.Listen(error)) << error;
        serving = std::thread([this] { server.Serve(); });
        ASSERT_NE(socket.Connect("127.0.0.1", server.Port()), 0);
        setup->nInterface = 1;
        oxmsg::SetLinkContext(setup.get(), &socket);
    }
    void TearDown() override {
        socket.Close();
        server.Stop();
        serving.join();
        SimLinkTest::TearDown();
    }

    LanServer server{instrument, LanServerOptions{}};
    std::thread serving;
    CWinSocket socket;
};

TEST_F(LanSimLinkTest, IdentifiesAndReadsTheBlocks) {
    ExpectIdentificationAndBlocks();
    DSO_SETUP dso;
    ASSERT_EQ(ReadSetup(":SETUP:DSO?", dso.bytes, sizeof dso.bytes), 780);
    EXPECT_EQ(dso.get(d::llTimeScalePs), 200'000'000);
    _OX_LA_SETUP la;
    EXPECT_EQ(ReadSetup(":SETUP:LA?", la.bytes, sizeof la.bytes), 260);
    DSO_ALT_SETUP alt;
    EXPECT_EQ(ReadSetup(":SETUP:ALT?", alt.bytes, sizeof alt.bytes), 396);
}

TEST_F(LanSimLinkTest, ScaleCommandAndProbeRulesShowInTheReadBack) {
    EXPECT_EQ(WriteCommand(":RUN"), 6); // text, CR and NUL
    ExpectScaleAndProbeReachTheBlocks();
}

TEST_F(LanSimLinkTest, FullRecordComesWithItsLengthWord) {
    WriteCommand(":STOP");
    const int n = instrument.State().dso.acqMemory;
    std::vector<char> buffer(kReceiveBufferBytes);
    EXPECT_EQ(ReadCommand(":WAVEFORM:ALL?", buffer.data(), static_cast<int>(buffer.size())), 2 * n);
}

TEST_F(LanSimLinkTest, ClosedConnectionIsSeenByTheLink) {
    instrument.InjectFault(Fault::CloseConnection);
    std::string serial;
    EXPECT_FALSE(ReadSerial(serial));
    EXPECT_EQ(setup->bConnected, 0);
}

} // namespace
} // namespace oxbow::sim
