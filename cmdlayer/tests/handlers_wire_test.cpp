// The vertical, timebase and run-control handlers on the command layer's own link:
// the exact bytes on the USB wire (scripted endpoint), the read-back over LAN from a
// loopback instrument, and the helpers that re-read rates and time bases.
#include "handlers_fixture.h"

#include <cstring>

namespace {

using oxbow::testing::Frame;

constexpr std::int32_t kFilledDso = 0x06060606; // the scripted USB instrument's DSO bytes
constexpr std::int32_t kFilledAlt = 0x0D0D0D0D; // and its ALT bytes

// On USB: the scripted instrument answers every block read-back unless a test refuses it.
class HandlersOnUsb : public oxbow::testing::HandlersTest {
protected:
    void SetUp() override {
        HandlersTest::SetUp();
        endpoint.controlResults.erase(6);
        setup->fMinTimeScale = 2e-9f;
    }

    void NoReadBack() { endpoint.bulkReadFailsAfterRequest = 6; }

    void Timebase(int format, double scale, bool running) {
        setup->nTimeFormat = format;
        setup->bRun = running ? 1 : 0;
        setup->dTimeScale = scale;
        setup->llTimeScalePs = ConvertToLONG(scale, 12);
    }
};

TEST_F(HandlersOnUsb, ScaleCommandTextOnTheWire) {
    NoReadBack(); // keep what the handler stored
    PostFloat(3135, 1125, 0.001f);
    EXPECT_EQ(Written(), ":CHANNEL1:SCALE 0.002000\r");
    EXPECT_FLOAT_EQ(setup->fChanScale[0], 0.002f);
}

TEST_F(HandlersOnUsb, StopReachesTheInstrumentTwiceWhileRolling) {
    Timebase(2, 0.5, true);
    Post(3125, 4127);
    EXPECT_EQ(Lines(), (std::vector<std::string>{":STOP", ":STOP"}));
}

TEST_F(HandlersOnUsb, RollingScaleIsRaisedAndPrecededByAClear) {
    NoReadBack();
    Timebase(2, 1.0, true);
    PostDouble(3139, 1645, 0.2);
    EXPECT_EQ(Lines(), (std::vector<std::string>{":CLEARUSB", ":TIMEBASE:SCALE 0.500000000"}));
    EXPECT_EQ(setup->llTimeScalePs, 500'000'000'000);
}

TEST_F(HandlersOnUsb, RunWhileRollingResendsOffsetAndRaisesTheScale) {
    NoReadBack();
    Timebase(2, 0.1, false);
    Post(3125, 4126);
    EXPECT_EQ(Lines(), (std::vector<std::string>{":CLEARUSB", ":TIMEBASE:OFFSET 0.000000000",
                                                 ":TIMEBASE:SCALE 0.500000000", ":RUN"}));
    EXPECT_EQ(setup->llTimeScalePs, 500'000'000'000);
    EXPECT_EQ(setup->nRunState, 0);
}

TEST_F(HandlersOnUsb, ABurstOfOneSettingIsOneExchange) {
    for (int i = 1; i <= 200; ++i) {
        SetMsgVarfloat(0.01f * static_cast<float>(i));
        ASSERT_TRUE(OxPostIOCmd(3135, 1125, 1, nullptr, nullptr, nullptr));
    }
    while (GetIOCmd())
        IOCmdProcess();
    EXPECT_EQ(Lines(), (std::vector<std::string>{":CHANNEL2:SCALE 2.000000"}));
    EXPECT_EQ(endpoint.CallsOf("BulkRead").size(), 3u); // one read-back of the three blocks
}

TEST_F(HandlersOnUsb, OverALinkThatIsDownNothingIsSentButTheRecordFollows) {
    setup->bConnected = 0;
    Timebase(2, 1.0, true);
    SetMsgVarDouble(0.2);
    EXPECT_TRUE(OxPostIOCmd(3139, 1645, 0, nullptr, nullptr, nullptr));
    SetMsgVarfloat(0.5f);
    EXPECT_TRUE(OxPostIOCmd(3135, 1125, 0, nullptr, nullptr, nullptr));
    EXPECT_TRUE(OxPostIOCmd(3125, 4126, 0, nullptr, nullptr, nullptr));
    while (GetIOCmd())
        IOCmdProcess();
    EXPECT_TRUE(endpoint.calls.empty());
    EXPECT_EQ(setup->llTimeScalePs, 500'000'000'000);
    EXPECT_FLOAT_EQ(setup->fChanScale[0], 0.5f);
    EXPECT_TRUE(region->bRedrawChanMarker);
    EXPECT_TRUE(region->bRedrawTrigPos);
    EXPECT_EQ(
        mainWindow.Messages(),
        (std::vector<CWndMessage>{
            {3125, 4444, 0}, {3125, 1645, 0}, {3125, 4424, 0}, {3125, 1125, 0}, {3125, 4126, 0}}));
}

TEST_F(HandlersOnUsb, GetAcqSaRateReadsTheDsoBlockAndTheAltBlockOnlyWhenAlternating) {
    ASSERT_TRUE(GetAcqSaRate());
    float filled;
    std::memcpy(&filled, &kFilledDso, sizeof filled);
    EXPECT_EQ(setup->nAcqMemory, kFilledDso);
    EXPECT_FLOAT_EQ(setup->fSampleRate, filled);
    EXPECT_EQ(int64_t(setup->llAltTimeScalePs[1]), 0);
    EXPECT_EQ(setup->llTimeScalePs, 0);
    EXPECT_EQ(endpoint.CallsOf("BulkRead").size(), 1u);

    setup->nTrigMode = 4;
    ASSERT_TRUE(GetAcqSaRate());
    EXPECT_EQ(int64_t(setup->llAltTimeScalePs[1]), (std::int64_t{kFilledAlt} << 32) | kFilledAlt);
}

TEST_F(HandlersOnUsb, AFailedBlockReadLeavesTheRecordAlone) {
    NoReadBack();
    setup->nAcqMemory = 4096;
    EXPECT_FALSE(GetTimeScalePara());
    EXPECT_EQ(setup->nAcqMemory, 4096);
    setup->bConnected = 0;
    EXPECT_FALSE(GetAcqSaRate());
}

class HandlersOnLan : public oxbow::testing::LanLinkTest {
protected:
    std::unique_ptr<_OX_RGN_SETUP> region = std::make_unique<_OX_RGN_SETUP>();
    std::unique_ptr<_OX_POS_SETUP> positions = std::make_unique<_OX_POS_SETUP>();
    CRecordingWnd mainWindow;

    void SetUp() override {
        LanLinkTest::SetUp();
        OxMsgInit(&mainWindow, setup.get(), region.get(), positions.get(), &socket);
        setup->fChanProbe[0] = setup->fChanProbe[1] = 1.0f;
        setup->fMinTimeScale = 2e-9f;
    }

    void TearDown() override {
        OxMsgInit(nullptr, nullptr, nullptr, nullptr, nullptr);
        LanLinkTest::TearDown();
    }

    // The instrument answers the block queries with blocks built from `accepted`.
    void Serve(const _OX_SETUP& accepted) {
        DSO_SETUP dso{};
        _OX_LA_SETUP la{};
        DSO_ALT_SETUP alt{};
        oxmsg::PopSetup(accepted, &dso, &la, &alt);
        const auto bytes = [](const auto& block) {
            return std::string(reinterpret_cast<const char*>(block.bytes), sizeof block.bytes);
        };
        replies[":SETUP:DSO?"] = Send(Frame(bytes(dso)));
        replies[":SETUP:LA?"] = Send(Frame(bytes(la)));
        replies[":SETUP:ALT?"] = Send(Frame(bytes(alt)));
    }
};

TEST_F(HandlersOnLan, ReadBackStoresWhatTheInstrumentAccepted) {
    _OX_SETUP accepted{};
    accepted.fChanProbe[1] = 1.0f;
    accepted.fChanScale[1] = 0.5f;
    accepted.llTimeScalePs = 2'000'000'000;
    Serve(accepted);
    Connect();

    SetMsgVarfloat(0.7f);
    EXPECT_TRUE(OxPostIOCmd(3135, 1125, 1, nullptr, nullptr, nullptr));
    SetMsgVarDouble(0.005);
    EXPECT_TRUE(OxPostIOCmd(3139, 1645, 0, nullptr, nullptr, nullptr));
    while (GetIOCmd())
        IOCmdProcess();
    EXPECT_EQ(Commands(8),
              (std::vector<std::string>{":CHANNEL2:SCALE 0.700000", ":SETUP:DSO?", ":SETUP:LA?",
                                        ":SETUP:ALT?", ":TIMEBASE:SCALE 0.005000000", ":SETUP:DSO?",
                                        ":SETUP:LA?", ":SETUP:ALT?"}));
    EXPECT_FLOAT_EQ(setup->fChanScale[1], 0.5f);
    EXPECT_EQ(setup->llTimeScalePs, 2'000'000'000);
    EXPECT_DOUBLE_EQ(setup->dTimeScale, 0.002);
}

TEST_F(HandlersOnLan, GetTimeScaleParaAsksForTheBlocksItNeeds) {
    _OX_SETUP accepted{};
    accepted.fSampleRate = 1e9f;
    accepted.llTimeScalePs = 1'000'000;
    accepted.llDelayedScalePs = 5'000'000; // larger than the main: kept to it
    accepted.llAltTimeScalePs[0] = 3'000;
    Serve(accepted);
    Connect();
    setup->nTrigMode = 4;
    ASSERT_TRUE(GetTimeScalePara());
    EXPECT_EQ(Commands(2), (std::vector<std::string>{":SETUP:DSO?", ":SETUP:ALT?"}));
    EXPECT_FLOAT_EQ(setup->fSampleRate, 1e9f);
    EXPECT_EQ(setup->llDelayedScalePs, 1'000'000);
    EXPECT_EQ(int64_t(setup->llAltTimeScalePs[0]), 3'000);
    EXPECT_DOUBLE_EQ(setup->dAltTimeScale[0], 3e-9);
}

// The blocks just read back after a command are what a new read would bring: the rates are
// taken from them, and asked for again only once another command has gone out.
TEST_F(HandlersOnLan, BlocksAreNotReadAgainUntilAnotherCommandWasSent) {
    _OX_SETUP accepted{};
    accepted.fSampleRate = 2e8f;
    accepted.llTimeScalePs = 1'000'000;
    Serve(accepted);
    Connect();
    SetMsgVarfloat(0.7f);
    EXPECT_TRUE(OxPostIOCmd(3135, 1125, 1, nullptr, nullptr, nullptr));
    while (GetIOCmd())
        IOCmdProcess();
    ASSERT_EQ(Commands(4).size(), 4u);

    ASSERT_TRUE(GetTimeScalePara());
    ASSERT_TRUE(GetTimeScalePara());
    EXPECT_EQ(Commands(4).size(), 4u) << "no block asked for twice in a row";
    EXPECT_FLOAT_EQ(setup->fSampleRate, 2e8f);

    SendCommand(":RUN", nullptr, false);
    ASSERT_TRUE(GetTimeScalePara());
    EXPECT_EQ(Commands(6),
              (std::vector<std::string>{":CHANNEL2:SCALE 0.700000", ":SETUP:DSO?", ":SETUP:LA?",
                                        ":SETUP:ALT?", ":RUN", ":SETUP:DSO?"}));
}

// A failed read-back leaves an older copy: it is not taken for the instrument's state.
TEST_F(HandlersOnLan, AnIncompleteReadBackIsNotTakenForTheInstrumentsState) {
    Serve(_OX_SETUP{});
    replies[":SETUP:ALT?"] = Send(Frame("short"));
    Connect();
    SendCommand(":RUN", nullptr, true);
    ASSERT_FALSE(oxmsg::FirmwareSetupCurrent());
    (void)GetTimeScalePara();
    EXPECT_EQ(Commands(5).back(), ":SETUP:DSO?");
}

} // namespace
