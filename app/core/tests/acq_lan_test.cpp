// Live data over LAN against a scripted peer on a loopback port: requests, reply framing,
// pieces, refusals, carried bytes and the lost link.
#include "acq_fixture.h"

#include "cwinsocket.h"
#include "messageboxes.h"

#include "../../../platform/net/tests/loopback_peer.h"

#include <atomic>
#include <thread>

namespace oxacq::testing {
namespace {

using oxbow::testing::LoopbackPeer;
using oxbow::testing::ReadUpTo;
using oxbow::testing::SendAll;

const std::string kDataRequest(":WAVEFORM:DATA?\r\0", 17);

// A live reply: 20-byte header and `frameBytes` bytes of `fill`.
std::string LanReply(int frameBytes, std::uint8_t fill, std::uint8_t status = 3,
                     std::uint16_t scanSource = 350, std::uint8_t plotStyle = 0) {
    std::string reply(kLanHeaderBytes + frameBytes, static_cast<char>(fill));
    const std::int32_t length = static_cast<std::int32_t>(reply.size());
    std::memcpy(&reply[0], &length, 4);
    std::memset(&reply[4], 0, 16);
    std::memcpy(&reply[12], &scanSource, 2);
    reply[14] = static_cast<char>(status);
    reply[19] = static_cast<char>(plotStyle);
    return reply;
}

class LanLive : public AcqTest {
protected:
    void SetUp() override {
        AcqTest::SetUp();
        UseLan(socket);
        acq->Waits().receiveIdleMs = 300;
        oxbow::InstallMessageBoxes(&boxes);
    }
    void TearDown() override {
        peer.Join();
        socket.Close();
        oxbow::InstallMessageBoxes(nullptr);
        AcqTest::TearDown();
    }
    void Connect() { ASSERT_NE(socket.Connect("127.0.0.1", peer.Port()), 0); }

    // Runs the receive step until no request is outstanding or `ms` passed.
    void ReceiveUntilAnswered(int ms = 2000) {
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
        while (acq->Counters().outstanding > 0 && std::chrono::steady_clock::now() < end) {
            acq->LanReceive();
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
    }

    LoopbackPeer peer;
    CWinSocket socket;
    oxbow::ScriptedMessageBoxes boxes;
};

TEST_F(LanLive, OneRequestUntilItIsAnswered) {
    std::string seen;
    peer.Serve([&](int fd) { seen = ReadUpTo(fd, 2 * kDataRequest.size(), 300); });
    Connect();
    acq->LanDataRequest();
    acq->LanDataRequest();
    peer.Join();
    EXPECT_EQ(seen, kDataRequest);
    EXPECT_EQ(acq->Counters().outstanding, 1);
    EXPECT_EQ(setup->bConnected, 1);
}

TEST_F(LanLive, NoRequestWhileHeldOrNotAcquiring) {
    std::string seen;
    peer.Serve([&](int fd) { seen = ReadUpTo(fd, kDataRequest.size(), 200); });
    Connect();
    acq->Counters().requestHold = 1;
    acq->LanDataRequest();
    acq->Counters().requestHold = 0;
    region->bAcquiring = 0;
    acq->LanDataRequest();
    peer.Join();
    EXPECT_TRUE(seen.empty());
    EXPECT_EQ(acq->Counters().outstanding, 0);
}

TEST_F(LanLive, AnUnansweredRequestTimesOut) {
    std::string seen;
    peer.Serve([&](int fd) { seen = ReadUpTo(fd, 2 * kDataRequest.size(), 1000); });
    Connect();
    acq->Waits().replyMs = 30;
    acq->LanDataRequest();
    std::this_thread::sleep_for(std::chrono::milliseconds(60));
    acq->LanDataRequest();
    peer.Join();
    EXPECT_EQ(seen, kDataRequest + kDataRequest);
}

TEST_F(LanLive, AReplyInPiecesIsReadToItsLength) {
    const std::string reply = LanReply(2048, 77, 3, 100);
    peer.Serve([reply](int fd) {
        ReadUpTo(fd, kDataRequest.size());
        SendAll(fd, reply.substr(0, 10));
        std::this_thread::sleep_for(std::chrono::milliseconds(30));
        SendAll(fd, reply.substr(10, 1000));
        std::this_thread::sleep_for(std::chrono::milliseconds(30));
        SendAll(fd, reply.substr(1010));
        ReadUpTo(fd, 1, 300);
    });
    Connect();
    acq->LanDataRequest();
    ASSERT_TRUE(ReceiveFrame());
    EXPECT_EQ(acq->Counters().frameCount, 1);
    EXPECT_EQ(acq->Counters().ringIndex, 0);
    EXPECT_EQ(acq->Counters().outstanding, 0);
    EXPECT_EQ(acq->Counters().newData, 1);
    EXPECT_EQ(acq->Counters().runStatus, 3);
    EXPECT_EQ(acq->FrameState().nScanPos, 199);
    EXPECT_EQ(acq->ReceiveBuffer()[kLanReplyAt + reply.size()], 0);
    acq->FrameStep();
    EXPECT_EQ(acq->Analog(0)[0], 77);
    EXPECT_EQ(acq->Analog(0)[2047], 77);
}

TEST_F(LanLive, AHeaderAloneIsIgnoredButAnswersTheRequest) {
    peer.Serve([&](int fd) {
        ReadUpTo(fd, kDataRequest.size());
        SendAll(fd, LanReply(0, 0, 2));
        ReadUpTo(fd, 1, 300);
    });
    Connect();
    acq->LanDataRequest();
    ReceiveUntilAnswered();
    EXPECT_EQ(acq->Counters().outstanding, 0);
    EXPECT_EQ(acq->Counters().frameCount, 0);
    EXPECT_EQ(acq->Counters().runStatus, kStatusAuto);
}

TEST_F(LanLive, AnOverlongReplyIsDroppedAndTheNextOneReadWhole) {
    setup->nTrigSweep = oxcmd::code::kSweepNormal;
    peer.Serve([&](int fd) {
        ReadUpTo(fd, kDataRequest.size());
        SendAll(fd, LanReply(kLargestStride + 100, 9));
        ReadUpTo(fd, kDataRequest.size());
        SendAll(fd, LanReply(2048, 5));
        ReadUpTo(fd, 1, 300);
    });
    Connect();
    acq->LanDataRequest();
    ReceiveUntilAnswered();
    EXPECT_EQ(acq->Counters().frameCount, 0);
    EXPECT_EQ(acq->Counters().runStatus, kStatusWait);
    EXPECT_EQ(acq->FrameState().nScanPos, 699);
    EXPECT_EQ(acq->LanCarried(), 0);

    acq->LanDataRequest();
    ASSERT_TRUE(ReceiveFrame());
    acq->FrameStep();
    EXPECT_EQ(acq->Analog(0)[100], 5);
}

TEST_F(LanLive, TheLargestDelayedFrameIsAccepted) {
    setup->bDelayed = 1;
    setup->bChanDisplay[1] = 1;
    setup->bLaEnable = 1;
    std::string reply = LanReply(kLargestStride, 1);
    std::memset(&reply[kLanHeaderBytes + 12288], 4, 4096); // the analyzer's second part
    peer.Serve([reply](int fd) {
        ReadUpTo(fd, kDataRequest.size());
        SendAll(fd, reply);
        ReadUpTo(fd, 1, 300);
    });
    Connect();
    acq->LanDataRequest();
    ASSERT_TRUE(ReceiveFrame());
    acq->FrameStep();
    EXPECT_EQ(acq->LaSecond()[2047], 0x0404);
}

TEST_F(LanLive, BytesBeyondOneReplyAreKeptForTheNext) {
    const std::string first = LanReply(2048, 1);
    const std::string second = LanReply(2048, 2, 4);
    peer.Serve([first, second](int fd) {
        ReadUpTo(fd, kDataRequest.size());
        SendAll(fd, first + second);
        ReadUpTo(fd, kDataRequest.size());
        ReadUpTo(fd, 1, 300);
    });
    Connect();
    acq->LanDataRequest();
    ASSERT_TRUE(ReceiveFrame());
    EXPECT_EQ(acq->LanCarried(), static_cast<int>(second.size()));
    acq->FrameStep();
    EXPECT_EQ(acq->Analog(0)[0], 1);

    acq->Counters().frameCount = 0;
    acq->LanDataRequest();
    ASSERT_TRUE(ReceiveFrame());
    acq->FrameStep();
    EXPECT_EQ(acq->Analog(0)[0], 2);
    EXPECT_EQ(acq->Counters().runStatus, 4);
}

TEST_F(LanLive, SingleSweepStopsAfterTheFirstReply) {
    setup->nTrigSweep = oxcmd::code::kSweepSingle;
    peer.Serve([&](int fd) {
        ReadUpTo(fd, kDataRequest.size());
        SendAll(fd, LanReply(2048, 1));
        ReadUpTo(fd, 1, 300);
    });
    Connect();
    acq->LanDataRequest();
    ASSERT_TRUE(ReceiveFrame());
    ASSERT_EQ(commands.posted.size(), 1u);
    EXPECT_EQ(commands.posted[0], (Posted{3125, 4127, 0, 0}));
}

TEST_F(LanLive, APeerThatClosesAsksTheQuestion) {
    peer.Serve([&](int fd) { ReadUpTo(fd, kDataRequest.size()); });
    Connect();
    acq->LanDataRequest();
    peer.Join();
    boxes.QueueAnswer(oxbow::MessageAnswer::Ignore);
    ReceiveFrame(500);
    ASSERT_EQ(boxes.Questions().size(), 1u);
    EXPECT_EQ(boxes.Questions()[0], LanLinkLostQuestion(*setup, socket));
    EXPECT_EQ(boxes.Questions()[0].text.rfind(std::string(kLinkLostQuestion) + "\n", 0), 0u);
    EXPECT_EQ(setup->bConnected, 0);
    EXPECT_EQ(region->bAcquiring, 0);
}

TEST_F(LanLive, RetryReconnectsTheSocket) {
    LoopbackPeer instrument;
    std::atomic<bool> accepted{false};
    instrument.Serve([&](int fd) {
        accepted = true;
        ReadUpTo(fd, 1, 300);
    });
    std::strcpy(setup->szConnectAddress, "127.0.0.1");
    setup->nConnectPort = instrument.Port();
    setup->bConnected = 0;
    boxes.QueueAnswer(oxbow::MessageAnswer::Retry);
    EXPECT_TRUE(acq->ConnectionLostDialog());
    instrument.Join();
    EXPECT_TRUE(accepted);
    EXPECT_EQ(setup->bConnected, 1);
    EXPECT_EQ(commands.posted.back(), (Posted{3125, 4135, 0, 0}));
}

// The status bar's name of the link: interface, address or device, and the model that
// answered (the record's 8 bytes need no terminating zero).
TEST(ConnectionText, NamesTheLinkAndTheInstrument) {
    auto setup = std::make_unique<_OX_SETUP>();
    EXPECT_EQ(ConnectionText(*setup), "USB device 0 \u00B7 no instrument");
    std::memcpy(setup->szModelName, "OXB-A3M", 7);
    setup->hUsbDevice = 2;
    EXPECT_EQ(ConnectionText(*setup), "USB device 2 \u00B7 OXB-A3M");
    setup->nInterface = 1;
    std::strcpy(setup->szConnectAddress, "192.168.0.9");
    setup->nConnectPort = 5025;
    std::memcpy(setup->szModelName, "OXB-A6M1", 8);
    EXPECT_EQ(ConnectionText(*setup), "LAN 192.168.0.9:5025 \u00B7 OXB-A6M1");
}

} // namespace
} // namespace oxacq::testing
