// The command-layer services on OxMsg: posted commands reach the dispatcher and the link.
#include "acq_fixture.h"

#include "oxmsg.h"
#include "oxshell.h"

namespace oxacq::testing {
namespace {

// The command layer works on the fixture's records for one test and forgets them after it:
// a later test must not write into records that are gone.
class OxbowCommandsTest : public AcqTest {
protected:
    void TearDown() override {
        OxMsgInit(nullptr, nullptr, nullptr, nullptr, nullptr);
        AcqTest::TearDown();
    }
};

TEST_F(OxbowCommandsTest, APostedStopIsSentByTheNextIoStep) {
    OxMsgInit(&window, setup.get(), region.get(), positions.get(), nullptr);
    setup->bRun = 1;
    OxbowCommands oxmsg;
    oxmsg.PostIOCmd(oxcmd::group::kRunControl, oxcmd::run::kStop, 0, 0, nullptr);
    EXPECT_TRUE(Written().empty()) << "posting never talks to the instrument";
    oxmsg.ProcessIOCmd();
    EXPECT_NE(Written().find(":STOP\r"), std::string::npos);
    EXPECT_EQ(setup->bRun, 0);
    const std::size_t sent = endpoint.written.size();
    oxmsg.ProcessIOCmd();
    EXPECT_EQ(endpoint.written.size(), sent) << "an empty queue sends nothing";
}

TEST_F(OxbowCommandsTest, MathFollowsTheSetupRecord) {
    OxMsgInit(&window, setup.get(), region.get(), positions.get(), nullptr);
    OxbowCommands oxmsg;
    EXPECT_FALSE(oxmsg.GetMathEnabled());
    setup->bTraceShown[0] = 1;
    EXPECT_TRUE(oxmsg.GetMathEnabled());
}

TEST_F(OxbowCommandsTest, RestoredSurfacesRestartTheLoopsPersistence) {
    OxbowCommands oxmsg;
    oxmsg.RestartPersistence(); // nothing attached yet: nothing happens
    EXPECT_TRUE(Written().empty());
    oxmsg.Attach(*acq);
    oxmsg.RestartPersistence();
    EXPECT_EQ(Written(), ":CLEARUSB\r");
    EXPECT_EQ(acq->FrameState().nPersistFrame, -1);
}

} // namespace
} // namespace oxacq::testing
