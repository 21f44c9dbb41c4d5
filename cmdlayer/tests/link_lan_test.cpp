#include "link_test_support.h"

#include <array>

using oxbow::testing::Frame;
using oxbow::testing::LanLinkTest;
using oxbow::testing::SendAll;

TEST_F(LanLinkTest, CommandCarriesCarriageReturnAndNul) {
    Connect();
    EXPECT_EQ(WriteCommand(":RUN"), 6); // n + 2
    EXPECT_EQ(Wire(1).at(0), std::string(":RUN\r\0", 6));
}

TEST_F(LanLinkTest, WaitAfterASendDependsOnTheWholeCommand) {
    Connect();
    for (const char* command : {":AUTO", ":STOP", ":STOP:NOW", ":AUTOSCALE", ":RUN"})
        WriteCommand(command);
    EXPECT_EQ(clock.waits, (std::vector<int>{10000, 200, 100, 100, 100}));
    EXPECT_EQ(Commands(5).size(), 5u);
}

TEST_F(LanLinkTest, AnUnpausedSendLeavesTheWaitToTheCaller) {
    Connect();
    EXPECT_EQ(WriteCommandUnpaused(":WAVEFORM:DATA?"), 17);
    EXPECT_TRUE(clock.waits.empty());
    EXPECT_EQ(CommandPauseMs(":WAVEFORM:DATA?"), 100);
    EXPECT_EQ(CommandPauseMs(":STOP"), 200);
    EXPECT_EQ(Commands(1), std::vector<std::string>{":WAVEFORM:DATA?"});
    setup->bConnected = 0;
    EXPECT_EQ(WriteCommandUnpaused(":RUN"), -1);
}

TEST_F(LanLinkTest, NothingGoesOutWhileNotConnected) {
    Connect();
    setup->bConnected = 0;
    EXPECT_EQ(WriteCommand(":RUN"), -1);
    std::array<std::uint8_t, 780> block{};
    EXPECT_EQ(ReadSetup(":SETUP:DSO?", block.data(), block.size()), -1);
    EXPECT_TRUE(clock.waits.empty());
    setup->bConnected = 1;
    WriteCommand(":MARK");
    EXPECT_EQ(Commands(1), std::vector<std::string>{":MARK"});
}

TEST_F(LanLinkTest, StopIsSentTwiceInRoll) {
    Connect();
    setup->nTimeFormat = 2;
    SendCommand(":STOP", nullptr, false);
    EXPECT_EQ(Commands(2), (std::vector<std::string>{":STOP", ":STOP"}));
    EXPECT_EQ(clock.waits, (std::vector<int>{200, 200}));
}

TEST_F(LanLinkTest, QueryReadsLengthWordThenBody) {
    replies["*IDN?"] = Send(Frame("OXBOW,OXB-A2,SN7,1.0\n"));
    Connect();
    std::string serial;
    ASSERT_TRUE(ReadSerial(serial));
    EXPECT_EQ(serial, "OXBOW,OXB-A2,SN7,1.0");
    EXPECT_EQ(Wire(1).at(0), std::string("*IDN?\r\0", 7));
}

TEST_F(LanLinkTest, ZeroOrNegativeLengthReadsNoBodyAndFails) {
    replies["*IDN?"] = Send(Frame(0, "") + Frame("late"));
    replies[":INFO:FPGA?"] = Send(Frame(-5, ""));
    Connect();
    std::string serial = "before";
    EXPECT_FALSE(ReadSerial(serial));
    EXPECT_EQ(serial, "before");
    std::array<std::uint8_t, 256> reply{};
    EXPECT_EQ(ReadCommand(":INFO:FPGA?", reply.data(), reply.size()), 0);
    EXPECT_EQ(setup->bConnected, 1);
}

TEST_F(LanLinkTest, StaleBytesAreDrainedBeforeAQuery) {
    std::atomic<bool> staleSent{false};
    replies["*IDN?"] = Send(Frame("fresh"));
    Connect([&](int fd) {
        SendAll(fd, Frame("stale reply from before"));
        staleSent = true;
    });
    while (!staleSent)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    std::array<char, 256> reply{};
    EXPECT_EQ(ReadCommand("*IDN?", reply.data(), reply.size()), 5);
    EXPECT_EQ(std::string(reply.data()), "fresh");
}

TEST_F(LanLinkTest, BodyInPiecesIsReadToTheEnd) {
    replies[":INFO:EUQP?"] = [](int fd) {
        SendAll(fd, Frame(10, "").substr(0, 2));
        std::this_thread::sleep_for(std::chrono::milliseconds(30));
        SendAll(fd, Frame(10, "").substr(2) + "abc");
        std::this_thread::sleep_for(std::chrono::milliseconds(30));
        SendAll(fd, "defg");
        std::this_thread::sleep_for(std::chrono::milliseconds(30));
        SendAll(fd, "hij");
    };
    Connect();
    std::array<char, 64> reply{};
    EXPECT_EQ(ReadCommand(":INFO:EUQP?", reply.data(), reply.size()), 10);
    EXPECT_EQ(std::string(reply.data()), "abcdefghij");
}

TEST_F(LanLinkTest, ShortBodyReturnsWhatArrivedAfterTheTimeOut) {
    replies[":INFO:EUQP?"] = Send(Frame(10, "abc"));
    Connect();
    clock.accelerated = true;
    std::array<char, 64> reply{};
    EXPECT_EQ(ReadCommand(":INFO:EUQP?", reply.data(), reply.size()), 3);
    EXPECT_EQ(std::string(reply.data()), "abc");
    EXPECT_EQ(setup->bConnected, 1);
}

TEST_F(LanLinkTest, ReplyLongerThanTheBufferIsCutAndTheRestDiscarded) {
    // The part that does not fit arrives late, after the caller's part: it must not be taken
    // for the next reply.
    replies[":SETUP:DSO?"] = [](int fd) {
        const std::string reply = Frame(std::string(300, 'x'));
        SendAll(fd, reply.substr(0, 100));
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        SendAll(fd, reply.substr(100));
    };
    replies["*IDN?"] = Send(Frame("next"));
    Connect();
    std::array<std::uint8_t, 24> memory;
    memory.fill(0xEE);
    EXPECT_EQ(ReadSetup(":SETUP:DSO?", memory.data(), 16), 16);
    EXPECT_EQ(std::count(memory.begin(), memory.begin() + 16, 'x'), 16);
    EXPECT_EQ(std::count(memory.begin() + 16, memory.end(), 0xEE), 8);
    std::string serial;
    ASSERT_TRUE(ReadSerial(serial));
    EXPECT_EQ(serial, "next");
}

TEST_F(LanLinkTest, PeerThatNeverAnswersTimesOutWithoutLosingTheLink) {
    Connect(); // the instrument reads the query and stays silent
    clock.accelerated = true;
    const std::int64_t start = clock.NowMs();
    std::array<char, 64> reply{};
    EXPECT_EQ(ReadCommand("*IDN?", reply.data(), reply.size()), 0);
    const std::int64_t waited = clock.NowMs() - start;
    EXPECT_GE(waited, oxmsg::kLanReplyTimeoutMs);
    EXPECT_GT(oxmsg::kLanReplyTimeoutMs, oxmsg::kLanAutoWaitMs);
    EXPECT_EQ(setup->bConnected, 1);
}

TEST_F(LanLinkTest, PeerThatClosesEndsTheWaitAndClearsConnected) {
    replies["*IDN?"] = [this](int fd) {
        stop = true;
        shutdown(fd, SHUT_RDWR);
    };
    Connect();
    const std::int64_t start = clock.NowMs();
    std::string serial;
    EXPECT_FALSE(ReadSerial(serial));
    EXPECT_EQ(setup->bConnected, 0);
    EXPECT_LT(clock.NowMs() - start, oxmsg::kLanReplyTimeoutMs);
    EXPECT_EQ(WriteCommand(":RUN"), -1); // callers now see the link as down
}

TEST_F(LanLinkTest, PeerThatClosedBeforeTheQueryEndsTheDrain) {
    Connect([this](int fd) {
        stop = true;
        SendAll(fd, "leftover");
        shutdown(fd, SHUT_RDWR);
    });
    peer.Join();
    std::array<char, 64> reply{};
    EXPECT_EQ(ReadCommand("*IDN?", reply.data(), reply.size()), 0);
    EXPECT_EQ(setup->bConnected, 0);
    EXPECT_TRUE(clock.waits.empty()); // the query was never sent
}

TEST_F(LanLinkTest, ReadBackOverLanReadsEveryBlockAndKeepsOnlyAWholeSet) {
    replies[":SETUP:DSO?"] = Send(Frame(std::string(780, '\x06')));
    replies[":SETUP:LA?"] = Send(Frame(std::string(260, '\x0C')));
    replies[":SETUP:ALT?"] = Send(Frame(std::string(396, '\x0D')));
    Connect();
    SendCommand(":TIMEBASE:SCALE 0.001000000", nullptr, true);
    EXPECT_EQ(Commands(4), (std::vector<std::string>{":TIMEBASE:SCALE 0.001000000", ":SETUP:DSO?",
                                                     ":SETUP:LA?", ":SETUP:ALT?"}));
    ASSERT_TRUE(oxmsg::FirmwareSetupWhole());
    EXPECT_EQ(oxmsg::FirmwareSetupCopy().dso.bytes[779], 6);
    EXPECT_EQ(oxmsg::FirmwareSetupCopy().alt.bytes[395], 13);
}

TEST_F(LanLinkTest, ReadBackWithAShortBlockLeavesTheCopyAlone) {
    replies[":SETUP:DSO?"] = Send(Frame(std::string(780, '\x06')));
    replies[":SETUP:LA?"] = Send(Frame(std::string(100, '\x0C'))); // shorter than the block
    replies[":SETUP:ALT?"] = Send(Frame(std::string(396, '\x0D')));
    Connect();
    SendCommand(":RUN", nullptr, true);
    EXPECT_EQ(Commands(4).size(), 4u); // every block asked for regardless of the others
    EXPECT_FALSE(oxmsg::FirmwareSetupWhole());
}

TEST_F(LanLinkTest, FirmwareSetupTransfersDoNothingOverLan) {
    Connect();
    DSO_SETUP dso{};
    _OX_LA_SETUP la{};
    DSO_ALT_SETUP alt{};
    dso.bytes[5] = 0x55;
    EXPECT_TRUE(OxReadFirmwareSetup(&dso, &la, &alt));
    EXPECT_TRUE(OxWriteFirmwareSetup(&dso, &la, &alt));
    EXPECT_EQ(dso.bytes[5], 0x55);
    EXPECT_EQ(la.bytes[5], 0);
    WriteCommand(":MARK");
    EXPECT_EQ(Commands(1), std::vector<std::string>{":MARK"}); // nothing went before it
}
