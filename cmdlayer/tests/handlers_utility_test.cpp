// Cursor, measurement, pass/fail, record and playback handlers, and the link
// selection with its exchange of the LAN settings.
#include "handlers_fixture.h"

#include <cstring>

namespace {

using namespace oxbow::testing;

class UtilityTest : public HandlersTest {
protected:
    void SetUp() override {
        HandlersTest::SetUp();
        region->rcMain = {0, 0, 700, 400};
    }
};

TEST_F(UtilityTest, CursorModes) {
    PostInt(2185, 2188, 0);
    EXPECT_EQ(setup->nCursorMode, 1);
    setup->nTimeFormat = 1;
    PostInt(2185, 2189, 0);
    EXPECT_EQ(TakeMessage(), "Function not available at XY mode");
    PostInt(2185, 2187, 0);
    EXPECT_EQ(TakeMessage(), "Function not available at XY mode");
    EXPECT_EQ(setup->nCursorMode, 1);
    PostInt(3124, 3230, 0);
    EXPECT_EQ(TakeMessage(), "Function not available at XY mode");
    PostInt(2185, 2186, 0);
    EXPECT_EQ(setup->nCursorMode, 0);
    PostInt(3124, 3234, 0);
    EXPECT_EQ(TakeMessage(), "Function not available at XY mode");
    setup->nTimeFormat = 0;
    PostInt(3124, 3234, 0);
    EXPECT_EQ(setup->nCursorMode, 2);
    EXPECT_TRUE(Lines().empty());
}

TEST_F(UtilityTest, DialogRequestsRefusedByStateLeaveTheRecordAlone) {
    setup->nTimeFormat = 2; // roll
    PostInt(3124, 3230, 0);
    EXPECT_EQ(TakeMessage(), "Function not available at rolling mode");
    setup->nTimeFormat = 0;
    setup->nTrigMode = 4; // alternate
    PostInt(3124, 3235, 0);
    EXPECT_EQ(TakeMessage(), "Function not available at alternate trigger");
    PostInt(3124, 3230, 0);
    EXPECT_EQ(TakeMessage(), "");
    setup->nRecordState = 2; // playing back: only the record dialog and close requests pass
    PostInt(3124, 3233, 0);
    EXPECT_EQ(TakeMessage(), "Function not available");
    EXPECT_EQ(setup->nCursorMode, 0);
    PostInt(3124, 3236, 0);
    PostInt(3124, 3333, 0);
    EXPECT_EQ(TakeMessage(), "");
    setup->nRecordState = 3; // paused playback is not refused
    PostInt(3124, 3231, 0);
    EXPECT_EQ(TakeMessage(), "");
}

TEST_F(UtilityTest, ManualAndTrackCursorsSetTheirModeAndStayOnTheGraticule) {
    PostFloat(3143, 2205, 2.5f, 1);
    EXPECT_FLOAT_EQ(setup->fCurXB, 2.5f);
    EXPECT_EQ(setup->nCursorMode, 1);
    PostFloat(3143, 2225, 9.0f, 0);
    EXPECT_EQ(TakeMessage(), "Cursor position at upper limit");
    EXPECT_LT(setup->fCurYA, 9.0f);
    PostFloat(3144, 2255, -1.0f, 0);
    EXPECT_FLOAT_EQ(setup->fTrackA, -1.0f);
    EXPECT_EQ(setup->nCursorMode, 2);
    PostBool(3144, 2256, true, 1);
    EXPECT_EQ(setup->bTrackOnB, 1);
    EXPECT_EQ(region->bRedrawCursor, 1);
}

TEST_F(UtilityTest, OpeningACursorDialogTakesThePositionsFromTheScreen) {
    // 50 pixels a division across the 700-pixel graticule, from its centre (350, 200).
    region->ptCurXA = {450, 0};
    region->ptCurYB = {0, 125};
    region->ptTrackB = {325, 0};
    PostInt(3124, 3233, 0);
    EXPECT_FLOAT_EQ(setup->fCurXA, 2.0f);
    EXPECT_FLOAT_EQ(setup->fCurYB, 1.5f);
    EXPECT_EQ(setup->nCursorMode, 1);
    region->ptTrackB = {300, 0};
    PostInt(3124, 3234, 0);
    EXPECT_FLOAT_EQ(setup->fTrackB, -1.0f);
    EXPECT_EQ(setup->nCursorMode, 2);
}

TEST_F(UtilityTest, CursorSelectorsOutOfRangeAreRefused) {
    PostFloat(3143, 2205, 1.0f, 2);
    EXPECT_EQ(TakeMessage(), "Function not available");
    PostInt(3143, 2196, 6);
    EXPECT_EQ(TakeMessage(), "Function not available");
    PostInt(3144, 2245, 2);
    EXPECT_EQ(TakeMessage(), "Function not available");
    PostBool(3144, 2256, true, 5);
    EXPECT_EQ(TakeMessage(), "Function not available");
    PostInt(3143, 2195, 6);
    EXPECT_EQ(setup->nCurXSource, 6); // LA is a time-cursor source
    EXPECT_EQ(setup->fCurXA, 0.0f);
    EXPECT_EQ(setup->nCurYSource, 0);
    EXPECT_EQ(setup->bTrackOnA + setup->bTrackOnB, 0);
}

TEST_F(UtilityTest, MeasurementsAreChosenOnce) {
    PostInt(3147, 2276, 7, 1);
    PostInt(3147, 2276, 7, 0);
    PostInt(3147, 2276, 7, 1);
    EXPECT_EQ(TakeMessage(), "Measurement already selected");
    EXPECT_EQ(setup->nMeasureCount, 2);
    for (int code = 10; code < 17; ++code)
        PostInt(3147, 2276, code, 0);
    EXPECT_EQ(setup->nMeasureCount, 8);
    EXPECT_EQ(setup->nMeasureItem[0], 7); // the oldest went
    EXPECT_EQ(setup->nMeasureSource[0], 0);
    EXPECT_EQ(setup->nMeasureItem[7], 16);
    setup->nTimeFormat = 1;
    PostInt(3147, 2276, 3, 0);
    EXPECT_EQ(TakeMessage(), "Function not available at XY mode");
    PostInt(3147, 2279, 0);
    EXPECT_EQ(setup->nMeasureCount, 0);
}

// All keeps its source beside the flag; Remove takes one chosen measurement (a line of All
// takes All); Clear takes everything, All included.
TEST_F(UtilityTest, AllOfASourceRemoveAndClear) {
    PostInt(3147, 2275, 1);
    EXPECT_EQ(setup->bMeasureAll, 1);
    EXPECT_EQ(setup->byMeasureAllSource, 1);
    PostInt(3147, 2275, 0);
    EXPECT_EQ(setup->bMeasureAll, 1) << "All on CH1 is All, not off";
    EXPECT_EQ(setup->byMeasureAllSource, 0);
    PostInt(3147, 2275, 2);
    EXPECT_EQ(TakeMessage(), "Function not available");
    EXPECT_EQ(setup->byMeasureAllSource, 0);

    for (int code : {3, 11, 12})
        PostInt(3147, 2276, code, 1);
    PostInt(3147, 2277, 11, 1);
    ASSERT_EQ(setup->nMeasureCount, 2);
    EXPECT_EQ(setup->nMeasureItem[0], 3);
    EXPECT_EQ(setup->nMeasureItem[1], 12);
    PostInt(3147, 2277, 5, 1); // neither chosen nor of All's source: nothing goes
    EXPECT_EQ(setup->nMeasureCount, 2);
    EXPECT_EQ(setup->bMeasureAll, 1);
    PostInt(3147, 2277, 5, 0); // a line of All on CH1
    EXPECT_EQ(setup->bMeasureAll, 0);
    EXPECT_EQ(setup->nMeasureCount, 2);

    PostInt(3147, 2275, 1);
    PostInt(3147, 2279, 0);
    EXPECT_EQ(setup->nMeasureCount, 0);
    EXPECT_EQ(setup->bMeasureAll, 0);
}

TEST_F(UtilityTest, PassFailTestAndMask) {
    setup->nPfPass = 5;
    setup->bDelayed = 1;
    PostBool(3145, 2325, true);
    EXPECT_EQ(TakeMessage(), "Function not available");
    PostBool(3145, 2333, true);
    EXPECT_EQ(TakeMessage(), "Function not available");
    EXPECT_EQ(setup->bPfEnable, 0);
    EXPECT_EQ(setup->bPfMaskReady, 0);
    EXPECT_EQ(setup->nPfPass, 5u);
    setup->bDelayed = 0;
    PostBool(3145, 2325, true);
    EXPECT_EQ(setup->bPfEnable, 1);
    EXPECT_EQ(setup->nPfPass, 0u);
    setup->nPfFail = 3;
    PostInt(3145, 2327, 1);
    EXPECT_EQ(setup->bPfRun, 1);
    EXPECT_EQ(setup->nPfFail, 0u);
    PostFloat(3145, 2329, 0.01f);
    EXPECT_EQ(TakeMessage(), "P/F Horizontal adjust at lower limit");
    PostFloat(3145, 2330, 1.234f);
    PostInt(3145, 2328, 4);
    EXPECT_EQ(TakeMessage(), "Function not available");
    EXPECT_FLOAT_EQ(setup->fPfHorRange, 0.04f);
    EXPECT_FLOAT_EQ(setup->fPfVerRange, 1.23f);
    EXPECT_TRUE(Lines().empty());
}

TEST_F(UtilityTest, RecordingNeedsAShownSourceAndReportsItsEnd) {
    PostInt(3146, 2426, 1);
    PostInt(3146, 2427, 2);
    PostInt(3146, 2432, 0);
    EXPECT_EQ(TakeMessage(), "Channel selected not enabled");
    EXPECT_EQ(setup->nRecordState, 0);
    setup->bChanDisplay[1] = 1;
    PostInt(3146, 2432, 0);
    EXPECT_EQ(setup->nRecordState, 1);
    PostInt(3146, 2434, 0);
    EXPECT_EQ(TakeMessage(), "");
    PostInt(3146, 2434, 0);
    EXPECT_EQ(TakeMessage(), "Record waveforms completed");
    EXPECT_EQ(setup->nRecordState, 0);
    EXPECT_EQ(setup->nRecordFrames, 2);
    PostInt(3146, 2432, 0);
    PostInt(3146, 2433, 0);
    EXPECT_EQ(TakeMessage(), "Record waveforms break off");
    PostInt(3146, 2426, 3);
    EXPECT_EQ(TakeMessage(), "Function not available");
}

TEST_F(UtilityTest, PlaybackRestoresTheRecordedTimeBases) {
    PostInt(3146, 2474, 0);
    EXPECT_EQ(TakeMessage(), "Not available record data");
    setup->nRecordFrames = 10;
    setup->dTimeScaleRec = 0.002;
    setup->llTimeScalePsRec = 2'000'000'000;
    setup->dAltTimeScaleRec[1] = 0.005;
    PostInt(3146, 2467, 3);
    PostInt(3146, 2470, 40);
    PostInt(3146, 2473, 1);
    EXPECT_EQ(TakeMessage(), "Playback current frame at lower limit");
    PostDouble(3146, 2471, 0.25);
    PostDouble(3146, 2429, 5000.0);
    EXPECT_EQ(TakeMessage(), "Record interval at upper limit");
    PostInt(3146, 2474, 0);
    EXPECT_EQ(setup->nRecordState, 2);
    EXPECT_EQ(setup->nPlayStartFrame, 3);
    EXPECT_EQ(setup->nPlayEndFrame, 10);
    EXPECT_EQ(setup->nPlayCurrentFrame, 3);
    EXPECT_EQ(setup->nPlayInterval, 250);
    EXPECT_EQ(setup->nRecordInterval, 1'000'000);
    EXPECT_DOUBLE_EQ(setup->dTimeScale, 0.002);
    EXPECT_EQ(setup->llTimeScalePs, 2'000'000'000);
    EXPECT_DOUBLE_EQ(double(setup->dAltTimeScale[1]), 0.005);
    PostInt(3146, 2478, 0);
    EXPECT_EQ(setup->nRecordState, 3);
    PostInt(3146, 2479, 0);
    EXPECT_EQ(setup->nRecordState, 0);
}

TEST_F(UtilityTest, SelectingALinkReportsItAsAlreadySelected) {
    setup->bConnected = 0;
    PostInt(3149, 2828, 1);
    EXPECT_EQ(TakeMessage(), "LAN is already selected");
    EXPECT_EQ(setup->bConnected, 1);
    EXPECT_EQ(setup->nInterface, 1);
    setup->nInterface = 0;
    PostInt(3149, 2828, 0);
    EXPECT_EQ(TakeMessage(), "USB is already selected");
}

// The LAN settings exchange against a scripted instrument on the LAN link.
class LanSettingsTest : public LanLinkTest {
protected:
    std::unique_ptr<_OX_RGN_SETUP> region = std::make_unique<_OX_RGN_SETUP>();
    std::unique_ptr<_OX_POS_SETUP> positions = std::make_unique<_OX_POS_SETUP>();

    void SetUp() override {
        LanLinkTest::SetUp();
        OxMsgInit(nullptr, setup.get(), region.get(), positions.get(), &socket);
        std::strcpy(setup->szLanIp, "10.0.0.5");
        std::strcpy(setup->szLanNetmask, "255.255.255.0");
        std::strcpy(setup->szLanGateway, "10.0.0.1");
        std::strcpy(setup->szLanMac, "02-4F-58-00-00-01");
        setup->nLanPort = 3000;
        replies[":LAN:IP?"] = Send(Frame("192.168.100.200\r\n"));
        replies[":LAN:NETMASK?"] = Send(Frame("255.255.255.0123456789\n"));
        replies[":LAN:MACADDRESS?"] = Send(Frame("02-4F-58-0A-0B-0C-0D-0E"));
        replies[":LAN:GATEWAY?"] = Send(Frame("192.168.1.1"));
        replies[":LAN:PORT?"] = Send(Frame("5025\r\n"));
    }

    void TearDown() override {
        OxMsgInit(nullptr, nullptr, nullptr, nullptr, nullptr);
        LanLinkTest::TearDown();
    }

    void Exchange(unsigned int subCmd, bool dhcp) {
        SetMsgVarDouble(0);
        SetMsgVarbool(dhcp);
        EXPECT_TRUE(OxPostIOCmd(3149, subCmd, 0, nullptr, nullptr, nullptr));
        while (GetIOCmd())
            IOCmdProcess();
    }
};

TEST_F(LanSettingsTest, WithoutDhcpEverySettingIsWrittenAndReadBack) {
    Connect();
    replies[":LAN:DHCP?"] = Send(Frame("OFF\r\n"));
    Exchange(2830, false);
    EXPECT_EQ(Commands(12),
              (std::vector<std::string>{":LAN:DHCP OFF", ":LAN:DHCP?", ":LAN:IP 10.0.0.5",
                                        ":LAN:IP?", ":LAN:NETMASK 255.255.255.0", ":LAN:NETMASK?",
                                        ":LAN:MACADDRESS 02-4F-58-00-00-01", ":LAN:MACADDRESS?",
                                        ":LAN:GATEWAY 10.0.0.1", ":LAN:GATEWAY?", ":LAN:PORT 3000",
                                        ":LAN:PORT?"}));
    EXPECT_EQ(setup->bLanDhcp, 0);
    EXPECT_STREQ(setup->szLanIp, "192.168.100.200");
    EXPECT_STREQ(setup->szLanNetmask, "255.255.255.012"); // cut to 15 characters
    EXPECT_STREQ(setup->szLanMac, "02-4F-58-0A-0B-0C");   // cut to 17 characters
    EXPECT_STREQ(setup->szLanGateway, "192.168.1.1");
    EXPECT_EQ(setup->nLanPort, 5025);
}

TEST_F(LanSettingsTest, WithDhcpTheSettingsAreOnlyRead) {
    Connect();
    replies[":LAN:DHCP?"] = Send(Frame("ON\n"));
    replies[":LAN:PORT?"] = Send(Frame("99999"));
    Exchange(2830, true);
    EXPECT_EQ(Commands(7),
              (std::vector<std::string>{":LAN:DHCP ON", ":LAN:DHCP?", ":LAN:IP?", ":LAN:NETMASK?",
                                        ":LAN:MACADDRESS?", ":LAN:GATEWAY?", ":LAN:PORT?"}));
    EXPECT_EQ(setup->bLanDhcp, 1);
    EXPECT_EQ(setup->nLanPort, 3000); // no port in the reply: kept
}

TEST_F(LanSettingsTest, NothingIsExchangedWhileDisconnected) {
    Connect();
    setup->bConnected = 0;
    Exchange(2831, false);
    Exchange(2830, true);
    EXPECT_EQ(setup->bLanDhcp, 1);
    EXPECT_TRUE(Commands().empty());
}

} // namespace

namespace {

TEST(HandlersWithoutRecords, CommandsBeforeTheRecordsAreHandedOverDoNothing) {
    OxMsgInit(nullptr, nullptr, nullptr, nullptr, nullptr);
    SetMsgVarInt(1);
    for (unsigned long group : {3140ul, 3136ul, 3138ul, 3149ul})
        ASSERT_TRUE(
            OxPostIOCmd(group, group == 3140 ? 1825u : 1525u, 0, nullptr, nullptr, nullptr));
    int taken = 0;
    while (GetIOCmd()) {
        IOCmdProcess();
        ++taken;
    }
    EXPECT_EQ(taken, 4);
}

} // namespace
