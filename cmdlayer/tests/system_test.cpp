// System start and whole-setup transfers over both links, change tracking, the
// stored-record snapshot, undo/redo slots and the LAN texts.
#include "link_test_support.h"

#include "cwnd_recorder.h"
#include "oxmsg.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace {

using oxbow::testing::Frame;
using oxbow::testing::LanLinkTest;
using oxbow::testing::UsbLinkTest;

class RecordingTimers : public oxmsg::UiTimerRequests {
public:
    void StartTimer(int id, int milliseconds) override { started.emplace_back(id, milliseconds); }
    std::vector<std::pair<int, int>> started;
};

// A link fixture with the region and position records and a main window handed
// to the command layer.
template <class Base> class WithRecords : public Base {
protected:
    void SetUp() override {
        Base::SetUp();
        OxMsgInit(&mainWindow, this->setup.get(), region.get(), positions.get(), nullptr);
        oxmsg::SetLinkContext(this->setup.get(), LinkSocket());
        oxmsg::SetUiTimerRequests(&timers);
        region->rcMain = {16, 13, 716, 413};
    }

    void TearDown() override {
        oxmsg::SetUiTimerRequests(nullptr);
        OxMsgInit(nullptr, nullptr, nullptr, nullptr, nullptr);
        Base::TearDown();
    }

    virtual CWinSocket* LinkSocket() { return nullptr; }

    std::unique_ptr<_OX_RGN_SETUP> region = std::make_unique<_OX_RGN_SETUP>();
    std::unique_ptr<_OX_POS_SETUP> positions = std::make_unique<_OX_POS_SETUP>();
    CRecordingWnd mainWindow;
    RecordingTimers timers;
};

using UsbSystemTest = WithRecords<UsbLinkTest>;

class LanSystemTest : public WithRecords<LanLinkTest> {
protected:
    CWinSocket* LinkSocket() override { return &socket; }

    template <class Block> void Serve(const std::string& query, const Block& block) {
        replies[query] =
            Send(Frame(std::string(reinterpret_cast<const char*>(block.bytes), Block::kSize)));
    }
};

DSO_SETUP LanBlock(uint32_t ip, uint32_t netmask, uint32_t gateway) {
    DSO_SETUP dso{};
    dso.set(oxrec::dso::dwLanIp, ip);
    dso.set(oxrec::dso::dwLanNetmask, netmask);
    dso.set(oxrec::dso::dwLanGateway, gateway);
    dso.set(oxrec::dso::byLanMac[0], uint8_t{0x0A});
    dso.set(oxrec::dso::byLanMac[1], uint8_t{0xBC});
    dso.set(oxrec::dso::byLanMac[2], uint8_t{0xFF});
    dso.set(oxrec::dso::nLanPort, uint16_t{5025});
    dso.set(oxrec::dso::bLanDhcp, uint8_t{1});
    return dso;
}

TEST(LanSettings, AddressesReadMostSignificantByteFirstAndUnsigned) {
    auto setup = std::make_unique<_OX_SETUP>();
    oxmsg::FormatLanSettings(LanBlock(0xC0A80102, 0xFFFFFF00, 0xC0A801FE), *setup);
    EXPECT_STREQ(setup->szLanIp, "192.168.1.2");
    EXPECT_STREQ(setup->szLanNetmask, "255.255.255.0");
    EXPECT_STREQ(setup->szLanGateway, "192.168.1.254");
    EXPECT_STREQ(setup->szLanMac, "02-4F-58-0A-BC-FF");
    EXPECT_EQ(setup->nLanPort, 5025);
    EXPECT_EQ(setup->bLanDhcp, 1);
}

TEST(LanSettings, RepliesAreCutAtTheLineEndAndNeverOverflowTheirField) {
    auto setup = std::make_unique<_OX_SETUP>();
    std::memset(setup->szLanGateway, 'G', sizeof setup->szLanGateway);
    oxmsg::CopyLanText(setup->szLanIp, "10.0.0.7\r\n");
    EXPECT_STREQ(setup->szLanIp, "10.0.0.7");
    oxmsg::CopyLanText(setup->szLanIp, std::string(40, '9'));
    EXPECT_EQ(std::string(setup->szLanIp), std::string(15, '9'));
    EXPECT_EQ(setup->szLanGateway[0], 'G');
    oxmsg::CopyLanText(setup->szLanMac, "00-11-22-33-44-55-66\n");
    EXPECT_STREQ(setup->szLanMac, "00-11-22-33-44-55");
    oxmsg::CopyLanText(setup->szLanIp, std::string("1.2\0junk", 8));
    EXPECT_STREQ(setup->szLanIp, "1.2");
}

TEST_F(UsbSystemTest, InitSystemReadsTheBlocksAndDerivesTheDisplayState) {
    setup->bTraceShown[2] = 1;
    setup->nMathOperator[2] = 3; // an FFT shown: main timebase only
    setup->nTimeFormat = 0;
    ASSERT_TRUE(OxInitSystem());
    // Each block is filled with its request number by the endpoint.
    EXPECT_EQ(oxmsg::FirmwareSetupCopy().dso.bytes[0], 6);
    EXPECT_EQ(oxmsg::FirmwareSetupCopy().la.bytes[0], 12);
    EXPECT_EQ(oxmsg::FirmwareSetupCopy().alt.bytes[0], 13);
    EXPECT_EQ(setup->nRunState, 1);
    EXPECT_EQ(Written(), ":CHANNEL1:DISPLAY ON\r:CHANNEL2:DISPLAY ON\r:TIMEBASE:MODE MAIN\r");
    EXPECT_EQ(setup->bDelayed, 0);
    EXPECT_STREQ(setup->szLanIp, "6.6.6.6");
    EXPECT_STREQ(setup->szLanMac, "02-4F-58-06-06-06");
    for (int k = 0; k < 4; ++k) {
        EXPECT_EQ(setup->nTraceZoomIndex[k], 4);
        EXPECT_EQ(setup->fTraceZoomFactor[k], 7.0f);
    }
    EXPECT_EQ(region->bBusy, 0);
    EXPECT_EQ(region->bRedrawAll, 1);
    EXPECT_EQ(region->ptTrigOrigin.y, 13); // the regions were rebuilt
}

TEST_F(UsbSystemTest, InitSystemTakesTheFurtherTracesZoomFromTheTimeScale) {
    ASSERT_TRUE(OxInitSystem());
    // The DSO block's time scale at offset 312 is the float of bytes 06 06 06 06.
    const double T = oxmsg::FirmwareSetupCopy().dso.get(oxrec::dso::fTimeScale);
    EXPECT_FLOAT_EQ(setup->fTraceBaseFreq[0], static_cast<float>(100 / (20 * T)));
    EXPECT_FLOAT_EQ(setup->fTraceSpan[0], static_cast<float>(7 * 100 / (20 * T)));
}

TEST_F(UsbSystemTest, FailedBlockReadLeavesEverythingAsItWas) {
    std::memset(setup.get(), 0, sizeof(_OX_SETUP));
    setup->bConnected = 1;
    setup->fChanScale[0] = 0.5f;
    const auto before = std::make_unique<_OX_SETUP>(*setup);
    const oxmsg::FirmwareSetup copyBefore = oxmsg::FirmwareSetupCopy();
    endpoint.bulkReadFailsAfterRequest = 12;
    EXPECT_FALSE(OxInitSystem());
    EXPECT_EQ(std::memcmp(before.get(), setup.get(), sizeof(_OX_SETUP)), 0);
    EXPECT_EQ(std::memcmp(&copyBefore, &oxmsg::FirmwareSetupCopy(), sizeof copyBefore), 0);
    EXPECT_EQ(region->bBusy, 0);
    EXPECT_TRUE(Written().empty());
}

TEST_F(UsbSystemTest, InitHardwareWritesTheThreeBlocksThenStarts) {
    setup->fChanScale[0] = 0.5f;
    setup->fChanProbe[0] = 1.0f;
    ASSERT_TRUE(OxInitHardware());
    ASSERT_EQ(endpoint.bulkWrites.size(), 3u);
    EXPECT_EQ(endpoint.bulkWrites[0].size(), 780u);
    EXPECT_EQ(endpoint.bulkWrites[1].size(), 260u);
    EXPECT_EQ(endpoint.bulkWrites[2].size(), 396u);
    DSO_SETUP written;
    std::memcpy(written.bytes, endpoint.bulkWrites[0].data(), sizeof written.bytes);
    EXPECT_EQ(written.get(oxrec::dso::fChanScale[0]), 0.5f);
    EXPECT_EQ(Written(), ":STARTUP\r");
}

TEST_F(UsbSystemTest, InitHardwareFailedWriteDoesNotStart) {
    endpoint.bulkWriteOk = false;
    EXPECT_FALSE(OxInitHardware());
    EXPECT_TRUE(Written().empty());
}

TEST_F(UsbSystemTest, InitHardwareWithoutALinkOnlyBuildsTheBlocks) {
    setup->bConnected = 0;
    setup->fChanScale[1] = 2.0f;
    EXPECT_TRUE(OxInitHardware());
    EXPECT_TRUE(endpoint.calls.empty());
    EXPECT_EQ(oxmsg::FirmwareSetupCopy().dso.get(oxrec::dso::fChanScale[1]), 2.0f);
}

TEST_F(UsbSystemTest, SetFirmwareSetupOverlaysTheApplicationsValues) {
    setup->fChanScale[1] = 5.0f;
    setup->fChanProbe[1] = 1.0f;
    ASSERT_TRUE(OxSetFirmwareSetup());
    ASSERT_EQ(endpoint.bulkWrites.size(), 3u);
    DSO_SETUP written;
    std::memcpy(written.bytes, endpoint.bulkWrites[0].data(), sizeof written.bytes);
    EXPECT_EQ(written.get(oxrec::dso::fChanScale[1]), 5.0f);
    EXPECT_EQ(written.bytes[779], 6); // bytes the application does not own come from the read
    EXPECT_EQ(Written(), ":STARTUP\r");
    EXPECT_EQ(region->bBusy, 0);
}

TEST_F(UsbSystemTest, SetFirmwareSetupStopsOnAFailedRead) {
    endpoint.bulkReadFailsAfterRequest = 6;
    EXPECT_FALSE(OxSetFirmwareSetup());
    EXPECT_TRUE(endpoint.bulkWrites.empty());
    EXPECT_TRUE(Written().empty());
}

TEST_F(UsbSystemTest, ChangeWhileRunningNotifiesOnceAndAsksForTheTimerEachTime) {
    setup->bRun = 1;
    region->bClearRequest = 1;
    SetChangeSetting();
    SetChangeSetting();
    EXPECT_TRUE(GetChangeSetting());
    EXPECT_EQ(mainWindow.Messages(), (std::vector<CWndMessage>{{3125, 4444, 0}}));
    EXPECT_EQ(timers.started, (std::vector<std::pair<int, int>>{{8, 500}, {8, 500}}));
    EXPECT_EQ(Written(), ":CLEARUSB\r");
    EXPECT_EQ(region->bClearRequest, 0);
    setup->bSettingChanged = 0; // the program has handled the change
    SetChangeSetting();
    EXPECT_EQ(mainWindow.Messages().size(), 2u);
}

TEST_F(UsbSystemTest, ChangeWhileStoppedRedrawsTheStoredTraces) {
    setup->bRun = 0;
    setup->bWaveHold = 1;
    SetChangeSetting();
    EXPECT_EQ(region->bRedrawWave, 1);
    EXPECT_FALSE(GetChangeSetting());
    EXPECT_TRUE(mainWindow.Messages().empty());
    EXPECT_TRUE(timers.started.empty());
}

TEST_F(UsbSystemTest, ChangeDuringPlaybackOrSlowSweepIsIgnored) {
    setup->bRun = 1;
    setup->nRecordState = 2;
    SetChangeSetting();
    setup->nRecordState = 0;
    setup->bSlowSweep = 1;
    SetChangeSetting();
    EXPECT_FALSE(GetChangeSetting());
    EXPECT_TRUE(mainWindow.Messages().empty());
    EXPECT_TRUE(timers.started.empty());
}

TEST_F(UsbSystemTest, UndoKeepsTheOldScaleAndRedoTheNewOne) {
    setup->bUndoUsed = 1;
    setup->fChanScale[0] = 0.5f;
    setup->dTimeScale = 1e-3;
    setup->dAltTimeOffset[1] = 2e-6;
    SaveUndoSetup();
    setup->fChanScale[0] = 1.0f;
    setup->dTimeScale = 2e-3;
    SaveRedoSetup();
    EXPECT_EQ(setup->bUndoUsed, 0);
    EXPECT_EQ(setup->stUndoSlot.fChanScale[0], 0.5f);
    EXPECT_EQ(setup->stUndoSlot.dTimeScale, 1e-3);
    EXPECT_EQ(setup->stUndoSlot.dAltTimeOffset[1], 2e-6);
    EXPECT_EQ(setup->stRedoSlot.fChanScale[0], 1.0f);
    EXPECT_EQ(setup->stRedoSlot.dTimeScale, 2e-3);
}

TEST_F(UsbSystemTest, SnapshotOfTheStoredRecord) {
    setup->fChanScale[1] = 0.2f;
    setup->fChanOffset[1] = -0.4f;
    setup->bChanInvert[1] = 1;
    setup->llAltTimeScalePs[0] = 1'000;
    setup->dAltTimeOffset[0] = 3e-6;
    setup->bTraceShown[3] = 1;
    setup->dTimeScale = 5e-6;
    setup->llTimeScalePs = 5'000'000;
    setup->llTimeOffsetPs = -7;
    setup->llDelayedScalePs = 9;
    setup->nAcqMemory = 16384;
    setup->fSampleRate = 2.5e8f;
    setup->bLaEnable = 1;
    SaveChangeSetting();
    EXPECT_EQ(setup->fChanScaleRec[1], 0.2f);
    EXPECT_EQ(setup->fChanOffsetRec[1], -0.4f);
    EXPECT_EQ(setup->bChanInvertRec[1], 1);
    EXPECT_EQ(int64_t(setup->llAltTimeScalePsRec[0]), 1'000);
    EXPECT_EQ(double(setup->dAltTimeOffsetRec[0]), 3e-6);
    EXPECT_EQ(setup->bTraceShownStop[3], 1);
    EXPECT_EQ(setup->dTimeScaleRec, 5e-6);
    EXPECT_EQ(setup->llTimeScalePsRec, 5'000'000);
    EXPECT_EQ(setup->llTimeOffsetPsRec, -7);
    EXPECT_EQ(setup->llDelayedScalePsRec, 9);
    EXPECT_EQ(setup->nAcqMemoryRec, 16384);
    EXPECT_EQ(setup->fSampleRateRec, 2.5e8f);
    EXPECT_EQ(setup->bLaShownStop, 1);
}

TEST_F(LanSystemTest, InitSystemOverLanFormatsTheInstrumentsAddress) {
    Serve(":SETUP:DSO?", LanBlock(0xC0A80102, 0xFFFF0000, 0xC0A80101));
    Serve(":SETUP:LA?", _OX_LA_SETUP{});
    Serve(":SETUP:ALT?", DSO_ALT_SETUP{});
    Connect();
    ASSERT_TRUE(OxInitSystem());
    EXPECT_STREQ(setup->szLanIp, "192.168.1.2");
    EXPECT_STREQ(setup->szLanNetmask, "255.255.0.0");
    EXPECT_EQ(setup->nLanPort, 5025);
    EXPECT_EQ(Commands(3), (std::vector<std::string>{":SETUP:DSO?", ":SETUP:LA?", ":SETUP:ALT?"}));
}

TEST_F(LanSystemTest, InitHardwareOverLanSendsNothingAndDoesNotPretendToStart) {
    Serve(":SETUP:DSO?", DSO_SETUP{});
    Connect();
    EXPECT_TRUE(OxInitHardware());
    std::uint8_t reply[800];
    ReadCommand(":SETUP:DSO?", reply, sizeof reply); // a marker: the next thing the instrument sees
    EXPECT_EQ(Commands(1), (std::vector<std::string>{":SETUP:DSO?"}));
}

} // namespace
