// The dispatcher on the command layer's own instrument link, over the sim USB back
// end with a scripted instrument: what goes on the wire and what is reconciled.
#include "cwnd_recorder.h"
#include "link_test_support.h"

namespace {

class QueueOnUsbLinkTest : public oxbow::testing::UsbLinkTest {
protected:
    std::unique_ptr<_OX_RGN_SETUP> region = std::make_unique<_OX_RGN_SETUP>();
    std::unique_ptr<_OX_POS_SETUP> positions = std::make_unique<_OX_POS_SETUP>();
    CRecordingWnd mainWindow;

    void SetUp() override {
        UsbLinkTest::SetUp();
        OxMsgInit(&mainWindow, setup.get(), region.get(), positions.get(), nullptr);
        OxSetIOCmdHandler(3140, [](IOCmdContext& ctx, unsigned int, long, std::uint32_t,
                                   std::uint32_t) { ctx.command = ":TRIGGER:EDGE:SWEEP NORMAL"; });
    }

    void TearDown() override {
        OxSetIOCmdHandler(3140, {});
        OxMsgInit(nullptr, nullptr, nullptr, nullptr, nullptr);
        UsbLinkTest::TearDown();
    }

    void PostAndProcess() {
        EXPECT_TRUE(OxPostIOCmd(3140, 1827, 0, nullptr, nullptr, nullptr));
        while (GetIOCmd())
            IOCmdProcess();
    }
};

// The scripted instrument fills every block byte with the block's request number.
constexpr std::int32_t kFilledDso = 0x06060606;

TEST_F(QueueOnUsbLinkTest, SendsThePreparedCommandAndReconcilesTheWholeReadBack) {
    PostAndProcess();
    EXPECT_EQ(Written(), ":TRIGGER:EDGE:SWEEP NORMAL\r");
    EXPECT_EQ(setup->nTrigSweep, kFilledDso);
    EXPECT_EQ(mainWindow.Messages(), (std::vector<CWndMessage>{{3125, 1827, 0}}));
}

TEST_F(QueueOnUsbLinkTest, PartialReadBackIsNotReconciled) {
    endpoint.controlResults[13] = 0; // the ALT block never arrives
    PostAndProcess();
    EXPECT_EQ(setup->nTrigSweep, 0);
}

TEST_F(QueueOnUsbLinkTest, NothingGoesOutWhileDisconnected) {
    setup->bConnected = 0;
    PostAndProcess();
    EXPECT_TRUE(endpoint.written.empty());
    EXPECT_EQ(setup->nTrigSweep, 0);
    EXPECT_EQ(mainWindow.Messages().size(), 1u);
}

} // namespace
