#include "cwinsocket.h"
#include "loopback_peer.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <gtest/gtest.h>
#include <string>
#include <thread>

using oxbow::testing::LoopbackPeer;
using oxbow::testing::ReadUpTo;
using oxbow::testing::SendAll;

namespace {

const char* const kLoopback = "127.0.0.1";

// Polls Receive until it reports something other than "nothing waiting" (bounded).
int ReceiveWhenReady(CWinSocket& socket, char* buffer, int maximum) {
    for (int attempt = 0; attempt < 500; ++attempt) {
        const int n = socket.Receive(buffer, maximum);
        if (n >= 0) return n;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return -1;
}

// A port on 127.0.0.1 that nobody listens on.
int UnusedPort() {
    LoopbackPeer closedSoon;
    return closedSoon.Port();
}

} // namespace

TEST(CWinSocketConnect, ConnectsToLoopbackPeerAndSendsEveryByte) {
    LoopbackPeer peer;
    std::string received;
    peer.Serve([&](int fd) { received = ReadUpTo(fd, 7); });

    CWinSocket socket;
    ASSERT_NE(socket.Create(), 0);
    ASSERT_NE(socket.Connect(kLoopback, peer.Port()), 0);
    const char command[] = ":RUN\r";
    EXPECT_EQ(socket.Send(command, 6), 6); // text, CR and the terminating NUL
    EXPECT_EQ(socket.Send("x", 1), 1);
    peer.Join();
    EXPECT_EQ(received, std::string(":RUN\r\0x", 7));
}

TEST(CWinSocketConnect, ConnectCreatesTheSocketWhenCreateWasNotCalled) {
    LoopbackPeer peer;
    peer.Serve([](int) {});
    CWinSocket socket;
    EXPECT_NE(socket.Connect(kLoopback, peer.Port()), 0);
    EXPECT_TRUE(socket.IsOpen());
}

TEST(CWinSocketConnect, RefusedConnectionFailsWithErrorTextAndNumber) {
    CWinSocket socket;
    ASSERT_NE(socket.Create(), 0);
    EXPECT_EQ(socket.Connect(kLoopback, UnusedPort()), 0);
    std::string text;
    int number = 0;
    EXPECT_EQ(socket.GetLastError(text, number), ECONNREFUSED);
    EXPECT_EQ(number, ECONNREFUSED);
    EXPECT_FALSE(text.empty());
    EXPECT_EQ(socket.FailureReason(), "refused");
}

TEST(CWinSocketConnect, HostNamesResolveToTheirIpv4Address) {
    LoopbackPeer peer;
    CWinSocket socket;
    EXPECT_NE(socket.Connect("localhost", peer.Port()), 0);
    EXPECT_EQ(socket.FailureReason(), "");
    CWinSocket unknown;
    EXPECT_EQ(unknown.Connect("no-such-host.invalid", peer.Port()), 0);
    EXPECT_EQ(unknown.FailureReason(), "not found");
    EXPECT_EQ(unknown.Connect("192.168.1.300", peer.Port()), 0)
        << "digits and dots are never looked up";
    EXPECT_EQ(unknown.FailureReason(), "not found");
}

TEST(CWinSocketConnect, RejectsBadPortAndAddressWithoutNetworkTraffic) {
    CWinSocket socket;
    EXPECT_EQ(socket.Connect(kLoopback, 0), 0);
    EXPECT_EQ(socket.Connect(kLoopback, 70000), 0);
    EXPECT_EQ(socket.Connect("192.168.1.300", 3000), 0);
    EXPECT_EQ(socket.Connect("", 3000), 0);
    std::string text;
    int number = 0;
    EXPECT_NE(socket.GetLastError(text, number), 0);
}

TEST(CWinSocketConnect, ReconnectsAfterCloseAndCreate) {
    LoopbackPeer first;
    first.Serve([](int) {});
    LoopbackPeer second;
    std::string received;
    second.Serve([&](int fd) { received = ReadUpTo(fd, 2); });

    CWinSocket socket;
    ASSERT_NE(socket.Connect(kLoopback, first.Port()), 0);
    socket.Close();
    EXPECT_FALSE(socket.IsOpen());
    ASSERT_NE(socket.Create(), 0);
    ASSERT_NE(socket.Connect(kLoopback, second.Port()), 0);
    EXPECT_EQ(socket.Send("ok", 2), 2);
    second.Join();
    EXPECT_EQ(received, "ok");
}

TEST(CWinSocketReceive, ReturnsNegativeWithoutBlockingWhenNothingWaits) {
    LoopbackPeer peer;
    std::atomic<bool> done{false};
    peer.Serve([&](int) {
        while (!done)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
    });
    CWinSocket socket;
    ASSERT_NE(socket.Connect(kLoopback, peer.Port()), 0);
    socket.SetRecvTimeout(0); // no socket time-out: a blocking read would never return
    char buffer[16];
    EXPECT_LT(socket.Receive(buffer, sizeof buffer), 0);
    EXPECT_LT(socket.Receive(buffer, sizeof buffer), 0);
    done = true;
}

TEST(CWinSocketReceive, DeliversDataThenZeroOnceThePeerClosed) {
    LoopbackPeer peer;
    peer.Serve([](int fd) { SendAll(fd, "abcdef"); });
    CWinSocket socket;
    ASSERT_NE(socket.Connect(kLoopback, peer.Port()), 0);
    peer.Join();

    char buffer[4];
    ASSERT_EQ(ReceiveWhenReady(socket, buffer, 4), 4); // never more than the maximum
    EXPECT_EQ(std::string(buffer, 4), "abcd");
    ASSERT_EQ(ReceiveWhenReady(socket, buffer, 4), 2);
    EXPECT_EQ(std::string(buffer, 2), "ef");
    EXPECT_EQ(socket.Receive(buffer, 4), 0);
    EXPECT_EQ(socket.Receive(buffer, 4), 0);
}

TEST(CWinSocketReceive, UnusableArgumentsAreNotMistakenForAClosedPeer) {
    LoopbackPeer peer;
    peer.Serve([](int fd) {
        SendAll(fd, "z");
        ReadUpTo(fd, 1, 500);
    });
    CWinSocket socket;
    ASSERT_NE(socket.Connect(kLoopback, peer.Port()), 0);
    char buffer[1];
    EXPECT_LT(socket.Receive(buffer, 0), 0);
    EXPECT_LT(socket.Receive(nullptr, 1), 0);
    EXPECT_EQ(ReceiveWhenReady(socket, buffer, 1), 1);
}

TEST(CWinSocketUnconnected, SendFailsAndReceiveReportsNoConnection) {
    CWinSocket socket;
    char buffer[4];
    EXPECT_EQ(socket.Send("abc", 3), -1);
    EXPECT_EQ(socket.Receive(buffer, sizeof buffer), 0);
    ASSERT_NE(socket.Create(), 0);
    EXPECT_EQ(socket.Receive(buffer, sizeof buffer), 0); // created, never connected
    EXPECT_LE(socket.Send("abc", 3), 0);
}

TEST(CWinSocketReceive, ResetConnectionReadsAsClosedAndSendFailsWithoutASignal) {
    LoopbackPeer peer;
    // The peer resets only once the client has sent a byte, so the reset can never
    // overtake the connect.
    peer.Serve([](int fd) {
        char byte = 0;
        recv(fd, &byte, 1, 0);
        oxbow::testing::ResetConnection(fd);
    });
    CWinSocket socket;
    ASSERT_NE(socket.Connect(kLoopback, peer.Port()), 0);
    ASSERT_EQ(socket.Send("x", 1), 1);
    peer.Join();
    char buffer[8];
    ASSERT_EQ(ReceiveWhenReady(socket, buffer, sizeof buffer), 0);
    EXPECT_EQ(socket.Send("abc", 3), -1);
    std::string text;
    int number = 0;
    EXPECT_NE(socket.GetLastError(text, number), 0);
}

TEST(CWinSocketConnect, GivesUpAfterTheConnectTimeOut) {
    // A listener that never accepts, with its backlog filled: further connection attempts
    // get no answer, so only the time-out ends them.
    LoopbackPeer silent(0);
    CWinSocket fillers[4];
    for (auto& filler : fillers) {
        filler.SetConnectTimeout(100);
        filler.Connect(kLoopback, silent.Port());
    }
    CWinSocket socket;
    socket.SetConnectTimeout(150);
    EXPECT_EQ(socket.Connect(kLoopback, silent.Port()), 0);
    std::string text;
    int number = 0;
    EXPECT_EQ(socket.GetLastError(text, number), ETIMEDOUT);
    EXPECT_EQ(socket.FailureReason(), "timed out");
}
