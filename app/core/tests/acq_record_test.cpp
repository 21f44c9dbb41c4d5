// The full-memory read: the mask with its bit 7, the piece table, refusals, and the LAN
// transfer with its length word.
#include "acq_fixture.h"

#include "cwinsocket.h"

#include "../../../platform/net/tests/loopback_peer.h"

namespace oxacq::testing {
namespace {

using oxbow::testing::LoopbackPeer;
using oxbow::testing::ReadUpTo;
using oxbow::testing::SendAll;

// A record of the given pieces, each filled with its own byte.
std::vector<std::uint8_t> Record(std::initializer_list<std::pair<int, std::uint8_t>> pieces) {
    std::vector<std::uint8_t> record;
    for (const auto& [bytes, fill] : pieces)
        record.insert(record.end(), static_cast<std::size_t>(bytes), fill);
    return record;
}

class FullRead : public AcqTest {
protected:
    void SetUp() override {
        AcqTest::SetUp();
        setup->nAcqMemory = n;
        endpoint.replyLength = 2;
        endpoint.replyBody = {'4', '2'};
    }
    const std::uint8_t* LaBytes() const {
        return reinterpret_cast<const std::uint8_t*>(acq->La().data());
    }
    const int n = 4096;
};

TEST_F(FullRead, ChannelAndAnalyzerAtFastTimeBaseHalveTheAnalyzerPiece) {
    setup->bLaEnable = 1;
    setup->llTimeScalePs = 50000;
    endpoint.block = Record({{n, 1}, {n, 2}});
    ASSERT_TRUE(acq->FullMemoryRead());
    const auto reads = endpoint.CallsOf("ControlRead");
    ASSERT_EQ(reads.size(), 1u);
    EXPECT_EQ(reads[0].request, 5);
    EXPECT_EQ(reads[0].value, 5) << "bit 7 is not sent";
    EXPECT_EQ(reads[0].index, 0);
    EXPECT_EQ(acq->Analog(0)[n - 1], 1);
    EXPECT_EQ(LaBytes()[0], 2);
    EXPECT_EQ(LaBytes()[n - 1], 2);
    EXPECT_EQ(setup->bDataValid, 1);
    EXPECT_EQ(region->bAcquiring, 0);
    EXPECT_EQ(acq->Counters().stopScreenValue, 42);
}

// The rate and length read with the record describe it, whatever the snapshot taken with an
// earlier block held (the rate from before a time-scale change).
TEST_F(FullRead, TheRecordTakesTheRateAndLengthReadWithIt) {
    setup->fSampleRateRec = 1e6f;
    setup->nAcqMemoryRec = 2048;
    setup->fSampleRate = 5e5f; // as the read of the rates after the record gave it
    endpoint.block = Record({{n, 1}});
    ASSERT_TRUE(acq->FullMemoryRead());
    EXPECT_EQ(setup->fSampleRateRec, 5e5f);
    EXPECT_EQ(setup->nAcqMemoryRec, n);

    setup->fSampleRate = 2e6f;
    endpoint.block = Record({{n - 1, 1}});
    EXPECT_FALSE(acq->FullMemoryRead());
    EXPECT_EQ(setup->fSampleRateRec, 5e5f) << "a refused record describes nothing";
}

TEST_F(FullRead, SlowerTimeBaseTakesTheWholeAnalyzerPiece) {
    setup->bLaEnable = 1;
    setup->llTimeScalePs = 50001;
    endpoint.block = Record({{n, 1}, {2 * n, 2}});
    ASSERT_TRUE(acq->FullMemoryRead());
    EXPECT_EQ(LaBytes()[2 * n - 1], 2);
}

TEST_F(FullRead, AllThreeSourcesInOrder) {
    setup->bChanDisplay[1] = 1;
    setup->bLaEnable = 1;
    setup->llTimeScalePs = 1000; // bit 7 set, but not with two channels
    endpoint.block = Record({{n, 1}, {n, 2}, {2 * n, 3}});
    ASSERT_TRUE(acq->FullMemoryRead());
    EXPECT_EQ(acq->Analog(0)[0], 1);
    EXPECT_EQ(acq->Analog(1)[0], 2);
    EXPECT_EQ(acq->Analog(1)[n - 1], 2);
    EXPECT_EQ(LaBytes()[2 * n - 1], 3);
}

TEST_F(FullRead, MathReadsBothChannels) {
    setup->bChanDisplay[0] = 0;
    commands.mathEnabled = true;
    endpoint.block = Record({{n, 1}, {n, 2}});
    ASSERT_TRUE(acq->FullMemoryRead());
    EXPECT_EQ(endpoint.CallsOf("ControlRead").at(0).value, 3);
    EXPECT_EQ(acq->Analog(1)[0], 2);
}

TEST_F(FullRead, ARecordShorterThanItsPiecesIsRefusedWhole) {
    setup->bChanDisplay[1] = 1;
    endpoint.block = Record({{n, 1}, {n - 1, 2}});
    EXPECT_FALSE(acq->FullMemoryRead());
    EXPECT_EQ(acq->Analog(0)[0], 125) << "nothing distributed";
    EXPECT_EQ(region->bAcquiring, 0);
    EXPECT_EQ(setup->bDataValid, 0);
}

TEST_F(FullRead, ARecordLengthBeyondTheBuffersIsRefused) {
    setup->nAcqMemory = kAnalogMainBytes + 1;
    endpoint.block = Record({{kReceiveBytes - 1, 1}});
    EXPECT_FALSE(acq->FullMemoryRead());
}

TEST_F(FullRead, ACountBeyondTheReceiveBufferIsNotRead) {
    endpoint.block = Record({{n, 1}});
    endpoint.announced = kReceiveBytes;
    EXPECT_FALSE(acq->FullMemoryRead());
    EXPECT_TRUE(endpoint.CallsOf("BulkRead").empty());
}

TEST_F(FullRead, NothingShownReadsNothingAndKeepsAcquiring) {
    setup->bChanDisplay[0] = 0;
    EXPECT_FALSE(acq->FullMemoryRead());
    EXPECT_TRUE(endpoint.calls.empty());
    EXPECT_EQ(region->bAcquiring, 1);
}

TEST_F(FullRead, RollFormatAsksForTheValidPoints) {
    setup->nTimeFormat = 2;
    endpoint.block = Record({{n, 1}});
    ASSERT_TRUE(acq->FullMemoryRead());
    for (int w = 0; w < 3; ++w)
        EXPECT_EQ(positions->stWindow[w].nRollPoints, 42);
    EXPECT_EQ(positions->stWindow[3].nRollPoints, 0);
    EXPECT_EQ(commands.Count("GetTimeScalePara"), 1);
}

class LanFullRead : public FullRead {
protected:
    void SetUp() override {
        FullRead::SetUp();
        UseLan(socket);
        acq->Waits().recordIdleMs = 500;
        acq->Waits().recordLengthMs = 500;
    }
    void TearDown() override {
        peer.Join();
        socket.Close();
        FullRead::TearDown();
    }
    LoopbackPeer peer;
    CWinSocket socket;
};

TEST_F(LanFullRead, StaleBytesAreDrainedAndTheRecordReadToItsLength) {
    const std::vector<std::uint8_t> record = Record({{n, 6}});
    peer.Serve([this, record](int fd) {
        SendAll(fd, "stale live reply");
        const std::string request = ReadUpTo(fd, 16);
        if (request != std::string(":WAVEFORM:ALL?\r\0", 16)) return;
        const std::int32_t length = n;
        SendAll(fd, std::string(reinterpret_cast<const char*>(&length), 4));
        SendAll(fd, std::string(record.begin(), record.begin() + 1000));
        std::this_thread::sleep_for(std::chrono::milliseconds(30));
        SendAll(fd, std::string(record.begin() + 1000, record.end()) + "after");
        ReadUpTo(fd, 1, 300);
    });
    ASSERT_NE(socket.Connect("127.0.0.1", peer.Port()), 0);
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    ASSERT_TRUE(acq->FullMemoryRead());
    EXPECT_EQ(acq->Analog(0)[0], 6);
    EXPECT_EQ(acq->Analog(0)[n - 1], 6);
    EXPECT_EQ(acq->ReceiveBuffer()[n], 0);
    EXPECT_EQ(acq->Counters().recordBytes, n);
}

TEST_F(LanFullRead, ALengthBeyondTheBufferIsRefused) {
    peer.Serve([&](int fd) {
        ReadUpTo(fd, 16);
        const std::int32_t length = kReceiveBytes;
        SendAll(fd, std::string(reinterpret_cast<const char*>(&length), 4));
        ReadUpTo(fd, 1, 300);
    });
    ASSERT_NE(socket.Connect("127.0.0.1", peer.Port()), 0);
    EXPECT_FALSE(acq->FullMemoryRead());
    EXPECT_EQ(region->bAcquiring, 0);
}

TEST_F(LanFullRead, ARecordThatStopsShortFails) {
    peer.Serve([&](int fd) {
        ReadUpTo(fd, 16);
        const std::int32_t length = n;
        SendAll(fd, std::string(reinterpret_cast<const char*>(&length), 4) + std::string(100, 'x'));
        ReadUpTo(fd, 1, 1500);
    });
    ASSERT_NE(socket.Connect("127.0.0.1", peer.Port()), 0);
    EXPECT_FALSE(acq->FullMemoryRead());
    EXPECT_EQ(acq->Analog(0)[0], 125);
}

} // namespace
} // namespace oxacq::testing
