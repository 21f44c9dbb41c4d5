#include "link_test_support.h"

#include <array>
#include <cstring>

using oxbow::testing::UsbLinkTest;

TEST_F(UsbLinkTest, CommandGoesOutByteByByteWithOneCarriageReturn) {
    EXPECT_EQ(WriteCommand(":RUN"), 5); // n + 1
    EXPECT_EQ(Written(), ":RUN\r");
    EXPECT_EQ(endpoint.CallsOf("WriteByte").size(), 5u);
    EXPECT_TRUE(clock.waits.empty()); // no waits on USB
}

TEST_F(UsbLinkTest, CommandWriteStopsAtTheFirstFailingByte) {
    endpoint.bytesAccepted = 2;
    EXPECT_EQ(WriteCommand(":CHANNEL1:SCALE 1"), 2);
    EXPECT_EQ(endpoint.CallsOf("WriteByte").size(), 3u); // the failing byte ends it
    endpoint.bytesAccepted = 0;
    endpoint.written.clear();
    EXPECT_EQ(WriteCommand(":RUN"), 0);
}

TEST_F(UsbLinkTest, NothingGoesOutWhileNotConnected) {
    setup->bConnected = 0;
    EXPECT_EQ(WriteCommand(":RUN"), -1);
    EXPECT_TRUE(endpoint.calls.empty());
}

TEST_F(UsbLinkTest, QueryReadsLengthThenBody) {
    endpoint.replyLength = 5;
    endpoint.replyBody = {'1', '.', '2', '.', '3'};
    std::array<char, 256> reply{};
    EXPECT_EQ(ReadCommand(":INFO:FPGA?", reply.data(), reply.size()), 5);
    EXPECT_EQ(std::string(reply.data()), "1.2.3");
    EXPECT_EQ(Written(), ":INFO:FPGA?\r");
    using Call = oxbow::testing::ScriptedEndpoint::Call;
    EXPECT_EQ(
        endpoint.CallsOf("ReadBytes"),
        (std::vector<Call>{{"ReadBytes", 0, 0, 0, 1}, {"ReadBytes", 1, 0, 0, 5}})); // phase, count
}

TEST_F(UsbLinkTest, EmptyReplyReturnsZeroWithTheReplyAreaCleared) {
    endpoint.replyLength = 0;
    std::array<std::uint8_t, 300> reply;
    reply.fill(0xEE);
    EXPECT_EQ(ReadCommand("*IDN?", reply.data(), reply.size()), 0);
    EXPECT_EQ(std::count(reply.begin(), reply.begin() + 256, 0), 256);
    EXPECT_EQ(reply[256], 0xEE); // nothing past the 256-byte reply area
    std::string serial = "unchanged";
    EXPECT_FALSE(ReadSerial(serial));
}

TEST_F(UsbLinkTest, ReplyLongerThanTheBufferIsCutToIt) {
    endpoint.replyLength = 200;
    endpoint.replyBody.assign(200, 'x');
    std::array<std::uint8_t, 16> memory;
    memory.fill(0xEE);
    EXPECT_EQ(ReadCommand(":INFO:EUQP?", memory.data(), 8), 8);
    EXPECT_EQ(std::count(memory.begin(), memory.begin() + 8, 'x'), 8);
    EXPECT_EQ(std::count(memory.begin() + 8, memory.end(), 0xEE), 8); // neither cleared nor written
    EXPECT_EQ(endpoint.CallsOf("ReadBytes").at(1).length, 200);       // the body asked for whole
}

TEST_F(UsbLinkTest, QueryFailuresReturnZero) {
    std::array<std::uint8_t, 256> reply{};
    endpoint.bytesAccepted = 0;
    EXPECT_EQ(ReadCommand("*IDN?", reply.data(), reply.size()), 0);
    EXPECT_TRUE(endpoint.CallsOf("ReadBytes").empty()); // nothing sent, nothing read

    endpoint.bytesAccepted = INT_MAX;
    endpoint.replyLength = 4;
    endpoint.replyBody = {'a', 'b', 'c', 'd'};
    endpoint.failBody = true;
    reply.fill(0xEE);
    EXPECT_EQ(ReadCommand("*IDN?", reply.data(), reply.size()), 0);
    EXPECT_EQ(std::count(reply.begin(), reply.end(), 0), 256);
    EXPECT_EQ(ReadCommand("*IDN?", nullptr, 256), 0);
    EXPECT_EQ(ReadCommand("*IDN?", reply.data(), 0), 0);
}

TEST_F(UsbLinkTest, IdentificationAndFpgaVersionAreTexts) {
    const std::string idn = "OXBOW,OXB-A3M,SN0042,1.07\n";
    endpoint.replyLength = static_cast<int>(idn.size());
    endpoint.replyBody.assign(idn.begin(), idn.end());
    std::string serial;
    ASSERT_TRUE(ReadSerial(serial));
    EXPECT_EQ(serial, "OXBOW,OXB-A3M,SN0042,1.07");
    std::string version;
    ASSERT_TRUE(ReadFPGAVersion(version));
    EXPECT_EQ(Written(), "*IDN?\r:INFO:FPGA?\r");
}

TEST_F(UsbLinkTest, ReadCmdOpcExchangesNothing) {
    EXPECT_EQ(ReadCmdOPC(), 0);
    EXPECT_TRUE(endpoint.calls.empty());
}

TEST_F(UsbLinkTest, StopIsSentTwiceInRollAndSlowSweepOnly) {
    setup->nTimeFormat = 2;
    SendCommand(":STOP", nullptr, false);
    EXPECT_EQ(Written(), ":STOP\r:STOP\r");

    endpoint.written.clear();
    setup->nTimeFormat = 0;
    setup->bSlowSweep = 1;
    SendCommand(":STOP", nullptr, false);
    EXPECT_EQ(Written(), ":STOP\r:STOP\r");

    endpoint.written.clear();
    setup->bSlowSweep = 0;
    SendCommand(":STOP", nullptr, false);
    EXPECT_EQ(Written(), ":STOP\r");

    endpoint.written.clear();
    setup->nTimeFormat = 2;
    SendCommand(":STOP:NOW", nullptr, false); // the rule compares the whole command
    EXPECT_EQ(Written(), ":STOP:NOW\r");
}

TEST_F(UsbLinkTest, UnsentCommandStopsSendCommand) {
    setup->nTimeFormat = 2;
    endpoint.bytesAccepted = 0;
    SendCommand(":STOP", nullptr, true);
    EXPECT_EQ(endpoint.CallsOf("WriteByte").size(), 1u);     // no second ":STOP"
    EXPECT_TRUE(endpoint.CallsOf("ControlRequest").empty()); // no read-back
}

namespace {

struct ExpectedBlock {
    int request;
    int size;
};
constexpr ExpectedBlock kReadOrder[] = {{6, 780}, {12, 260}, {13, 396}};

void ExpectBlockReads(const oxbow::testing::ScriptedEndpoint& endpoint, std::size_t count) {
    const auto requests = endpoint.CallsOf("ControlRequest");
    const auto reads = endpoint.CallsOf("BulkRead");
    ASSERT_EQ(requests.size(), count);
    for (std::size_t i = 0; i < count; ++i) {
        EXPECT_EQ(requests[i].request, kReadOrder[i].request);
        EXPECT_EQ(requests[i].value, 0);
        EXPECT_EQ(requests[i].index, 0);
        if (i < reads.size()) {
            EXPECT_EQ(reads[i].length, kReadOrder[i].size);
        }
    }
}

} // namespace

TEST_F(UsbLinkTest, ReadBackRefreshesTheFirmwareCopyFromWholeBlocks) {
    SendCommand(":CHANNEL1:SCALE 1.000000000", nullptr, true);
    ExpectBlockReads(endpoint, 3);
    EXPECT_TRUE(oxmsg::FirmwareSetupWhole());
    const auto& copy = oxmsg::FirmwareSetupCopy();
    EXPECT_EQ(copy.dso.bytes[0], 6);
    EXPECT_EQ(copy.dso.bytes[779], 6);
    EXPECT_EQ(copy.la.bytes[259], 12);
    EXPECT_EQ(copy.alt.bytes[395], 13);
}

TEST_F(UsbLinkTest, FailedReadBackKeepsTheCopyAndSaysSo) {
    SendCommand(":RUN", nullptr, true);
    ASSERT_TRUE(oxmsg::FirmwareSetupWhole());
    endpoint.calls.clear();

    // A DSO block that arrives and a LA block that does not: nothing of the read-back is kept.
    endpoint.bulkFillBias = 100;
    endpoint.controlResults[12] = 0;
    SendCommand(":CHANNEL1:OFFSET 0.5", nullptr, true);
    ExpectBlockReads(endpoint, 2); // the first failing block ends the refresh
    EXPECT_FALSE(oxmsg::FirmwareSetupWhole());
    EXPECT_EQ(oxmsg::FirmwareSetupCopy().dso.bytes[0], 6);
    EXPECT_EQ(oxmsg::FirmwareSetupCopy().la.bytes[0], 12);
}

TEST_F(UsbLinkTest, ReadFirmwareSetupFillsTheCallersBlocksInOrder) {
    DSO_SETUP dso{};
    _OX_LA_SETUP la{};
    DSO_ALT_SETUP alt{};
    EXPECT_TRUE(OxReadFirmwareSetup(&dso, &la, &alt));
    ExpectBlockReads(endpoint, 3);
    EXPECT_EQ(dso.bytes[100], 6);
    EXPECT_EQ(la.bytes[100], 12);
    EXPECT_EQ(alt.bytes[100], 13);
}

TEST_F(UsbLinkTest, ReadFirmwareSetupStopsAtTheFirstFailingBlock) {
    DSO_SETUP dso{};
    _OX_LA_SETUP la{};
    DSO_ALT_SETUP alt{};
    endpoint.bulkReadFailsAfterRequest = 6;
    EXPECT_FALSE(OxReadFirmwareSetup(&dso, &la, &alt));
    ExpectBlockReads(endpoint, 1);
    EXPECT_EQ(la.bytes[0], 0);

    endpoint.calls.clear();
    endpoint.bulkReadFailsAfterRequest = -1;
    endpoint.controlResults[13] = 2; // only exactly 1 is acceptance
    EXPECT_FALSE(OxReadFirmwareSetup(&dso, &la, &alt));
    ExpectBlockReads(endpoint, 3);
    EXPECT_EQ(endpoint.CallsOf("BulkRead").size(), 2u);
}

TEST_F(UsbLinkTest, WriteFirmwareSetupAnnouncesWritesAndCommitsEachBlock) {
    DSO_SETUP dso;
    std::memset(dso.bytes, 0xA1, sizeof dso.bytes);
    _OX_LA_SETUP la{};
    DSO_ALT_SETUP alt{};
    EXPECT_TRUE(OxWriteFirmwareSetup(&dso, &la, &alt));
    const auto requests = endpoint.CallsOf("ControlRequest");
    const int expected[][3] = {{2, 780, 0}, {14, 0, 0},  {2, 260, 0},
                               {15, 0, 0},  {2, 396, 0}, {16, 0, 0}};
    ASSERT_EQ(requests.size(), 6u);
    for (std::size_t i = 0; i < 6; ++i) {
        EXPECT_EQ(requests[i].request, expected[i][0]) << i;
        EXPECT_EQ(requests[i].value, expected[i][1]) << i;
        EXPECT_EQ(requests[i].index, expected[i][2]) << i;
    }
    ASSERT_EQ(endpoint.bulkWrites.size(), 3u);
    EXPECT_EQ(endpoint.bulkWrites[0], std::vector<std::uint8_t>(780, 0xA1));
    EXPECT_EQ(endpoint.bulkWrites[1].size(), 260u);
    EXPECT_EQ(endpoint.bulkWrites[2].size(), 396u);
    // announce, write, commit: the bulk write sits between its two requests
    EXPECT_EQ(endpoint.calls[1].op, "BulkWrite");
}

TEST_F(UsbLinkTest, WriteFirmwareSetupStopsAtTheFirstFailingBlock) {
    DSO_SETUP dso{};
    _OX_LA_SETUP la{};
    DSO_ALT_SETUP alt{};
    endpoint.controlResults[15] = 0; // the LA commit is refused
    EXPECT_FALSE(OxWriteFirmwareSetup(&dso, &la, &alt));
    EXPECT_EQ(endpoint.bulkWrites.size(), 2u);
    EXPECT_EQ(endpoint.CallsOf("ControlRequest").back().request, 15);

    endpoint.calls.clear();
    endpoint.bulkWrites.clear();
    endpoint.controlResults.clear();
    endpoint.controlResults[2] = 3; // an announce answered with anything but 1
    EXPECT_FALSE(OxWriteFirmwareSetup(&dso, &la, &alt));
    EXPECT_TRUE(endpoint.bulkWrites.empty());

    endpoint.calls.clear();
    endpoint.controlResults.clear();
    endpoint.bulkWriteOk = false;
    EXPECT_FALSE(OxWriteFirmwareSetup(&dso, &la, &alt));
    EXPECT_EQ(endpoint.CallsOf("ControlRequest").size(), 1u); // no commit after a failed write
}

TEST(LinkWithoutContext, BehavesAsNotConnected) {
    oxmsg::SetLinkContext(nullptr, nullptr);
    std::array<std::uint8_t, 256> reply{};
    EXPECT_EQ(WriteCommand(":RUN"), -1);
    EXPECT_EQ(ReadCommand("*IDN?", reply.data(), reply.size()), 0);
    EXPECT_EQ(ReadSetup(":SETUP:DSO?", reply.data(), reply.size()), -1);
    EXPECT_FALSE(OxReadFirmwareSetup(nullptr, nullptr, nullptr));
    SendCommand(":RUN", nullptr, true); // must not touch anything
}
