// The LAN server on loopback, seen through a bare socket: framing, the live reply's own
// header, several commands in one packet, reconnection and the reply faults.
#include "sim_test_util.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <thread>

namespace oxbow::sim {
namespace {

class RawClient {
public:
    explicit RawClient(int port) {
        fd_ = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(static_cast<std::uint16_t>(port));
        ::inet_pton(AF_INET, "127.0.0.1", &address.sin_addr);
        connected_ = ::connect(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    }
    ~RawClient() { ::close(fd_); }

    bool Connected() const { return connected_; }
    void Send(const std::string& bytes) {
        ASSERT_EQ(::send(fd_, bytes.data(), bytes.size(), 0), ssize_t(bytes.size()));
    }
    void Command(const std::string& text) { Send(text + std::string("\r\0", 2)); }

    // Up to `count` bytes, waiting at most `timeoutMs` for each piece; fewer when the peer
    // stops sending.
    std::string Read(std::size_t count, int timeoutMs = 2000) {
        std::string data;
        char buffer[65536];
        while (data.size() < count) {
            pollfd waiting{fd_, POLLIN, 0};
            if (::poll(&waiting, 1, timeoutMs) <= 0) break;
            const ssize_t got =
                ::recv(fd_, buffer, std::min(sizeof buffer, count - data.size()), 0);
            if (got <= 0) break;
            data.append(buffer, static_cast<std::size_t>(got));
        }
        return data;
    }
    std::int32_t Length() {
        const std::string word = Read(4);
        if (word.size() != 4) return -1;
        std::int32_t value = 0;
        std::memcpy(&value, word.data(), 4);
        return value;
    }
    std::string Query(const std::string& text) {
        Command(text);
        const std::int32_t length = Length();
        return length < 0 ? std::string("<none>") : Read(static_cast<std::size_t>(length));
    }

private:
    int fd_ = -1;
    bool connected_ = false;
};

class LanServerTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string error;
        ASSERT_TRUE(server.Listen(error)) << error;
        ASSERT_GT(server.Port(), 0);
        serving = std::thread([this] { server.Serve(); });
    }
    void TearDown() override {
        server.Stop();
        serving.join();
    }

    std::unique_ptr<Instrument> instrument = test::MakeInstrument();
    LanServer server{*instrument, LanServerOptions{}};
    std::thread serving;
};

TEST_F(LanServerTest, RepliesCarryTheirLengthAndCommandsMayShareAPacket) {
    RawClient client(server.Port());
    ASSERT_TRUE(client.Connected());
    client.Send(std::string(":CHANNEL1:SCALE 0.2\r\0:STOP\r\0*IDN?\r\0", 34));
    EXPECT_EQ(client.Length(), 32);
    EXPECT_EQ(client.Read(32), "TAMBER,OXB-A3M,OXS00001,00.02.05");
    EXPECT_EQ(client.Query(":SETUP:DSO?").size(), kDsoBlockSize);
    EXPECT_FLOAT_EQ(instrument->State().dso.chan[0].scale, 0.2f);
    EXPECT_FALSE(instrument->State().dso.run);
}

TEST_F(LanServerTest, LiveReplyStartsWithItsTotalLength) {
    RawClient client(server.Port());
    instrument->Advance(0.05);
    client.Command(":WAVEFORM:DATA?");
    const std::int32_t total = client.Length();
    ASSERT_EQ(total, static_cast<std::int32_t>(kLanLiveHeader + 4096));
    const std::string rest = client.Read(total - 4);
    ASSERT_EQ(rest.size(), static_cast<std::size_t>(total - 4));
    EXPECT_EQ(static_cast<std::uint8_t>(rest[10]), kStatusTriggered); // header byte 14
}

TEST_F(LanServerTest, NextClientIsServedAfterTheFirstLeaves) {
    {
        RawClient first(server.Port());
        EXPECT_EQ(first.Query(":INFO:FPGA?"), "1.07");
    }
    RawClient second(server.Port());
    EXPECT_EQ(second.Query(":INFO:FPGA?"), "1.07");
}

TEST_F(LanServerTest, FaultsShortLongGarbledStalledAndClosed) {
    RawClient client(server.Port());
    instrument->InjectFault(Fault::ShortReply);
    client.Command(":INFO:FPGA?");
    EXPECT_EQ(client.Length(), 4);
    EXPECT_EQ(client.Read(4, 300), "1.");

    instrument->InjectFault(Fault::LongReply);
    client.Command(":INFO:FPGA?");
    EXPECT_EQ(client.Length(), 4);
    EXPECT_EQ(client.Read(1000, 300).size(), 4u + 64u);

    instrument->InjectFault(Fault::GarbledReply);
    const std::string garbled = client.Query(":INFO:FPGA?");
    EXPECT_EQ(garbled.size(), 4u);
    EXPECT_NE(garbled, "1.07");

    instrument->InjectFault(Fault::Stall);
    client.Command(":INFO:FPGA?");
    EXPECT_TRUE(client.Read(1, 300).empty());
    EXPECT_EQ(client.Query(":INFO:FPGA?"), "1.07");

    instrument->InjectFault(Fault::CloseConnection);
    client.Command(":INFO:FPGA?");
    EXPECT_EQ(client.Length(), -1);
}

TEST(LanServerOptions, RefusesABadAddress) {
    auto instrument = test::MakeInstrument();
    LanServer server(*instrument, LanServerOptions{"not-an-address", 0});
    std::string error;
    EXPECT_FALSE(server.Listen(error));
    EXPECT_FALSE(error.empty());
}

} // namespace
} // namespace oxbow::sim
