// Fixtures for the link tests: a clock that need not sleep, a shared setup record, the sim USB
// back end with a scripted endpoint, and a scripted instrument on a loopback TCP connection.
#pragma once

#include "cwinsocket.h"
#include "oxbow_ui.h"
#include "oxmsg.h"

#include "../../platform/net/tests/loopback_peer.h"
#include "../../platform/usb/tests/scripted_endpoint.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace oxbow::testing {

// Records the waits after sends (every sleep of 100 ms or more) and skips them. Receive polls
// sleep for real, or in accelerated mode a tenth of the time while the clock still advances by
// the whole amount, so a time-out passes quickly.
class TestClock : public oxmsg::LinkClock {
public:
    void Sleep(int milliseconds) override {
        std::lock_guard lock(m_mutex);
        if (milliseconds >= oxmsg::kLanWaitMs) {
            waits.push_back(milliseconds);
            m_skipped += milliseconds;
            return;
        }
        if (accelerated) {
            m_skipped += milliseconds - std::max(1, milliseconds / 10);
            milliseconds = std::max(1, milliseconds / 10);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
    }

    std::int64_t NowMs() override {
        std::lock_guard lock(m_mutex);
        return std::chrono::duration_cast<std::chrono::milliseconds>(
                   std::chrono::steady_clock::now().time_since_epoch())
                   .count() +
               m_skipped;
    }

    std::vector<int> waits;
    bool accelerated = false;

private:
    std::mutex m_mutex;
    std::int64_t m_skipped = 0;
};

// The shared setup record, zeroed, connected, on the link the test chooses.
class LinkTest : public ::testing::Test {
protected:
    LinkTest() : setup(std::make_unique<_OX_SETUP>()) { setup->bConnected = 1; }

    void TearDown() override {
        oxmsg::SetLinkContext(nullptr, nullptr);
        oxmsg::SetLinkClock(nullptr);
    }

    std::unique_ptr<_OX_SETUP> setup;
    TestClock clock;
};

class UsbLinkTest : public LinkTest {
protected:
    void SetUp() override {
        setup->nInterface = 0;
        oxbow::usb::SelectBackend(oxbow::usb::Backend::Sim);
        oxbow::usb::AttachEndpoint(&endpoint);
        oxmsg::SetLinkContext(setup.get(), nullptr);
        oxmsg::SetLinkClock(&clock);
    }

    void TearDown() override {
        oxbow::usb::DetachEndpoint();
        LinkTest::TearDown();
    }

    std::string Written() const {
        return std::string(endpoint.written.begin(), endpoint.written.end());
    }

    ScriptedEndpoint endpoint;
};

// Four-byte little-endian length word and the body.
inline std::string Frame(std::int32_t length, const std::string& body) {
    std::string framed(4, '\0');
    for (int i = 0; i < 4; ++i)
        framed[i] = static_cast<char>((static_cast<std::uint32_t>(length) >> (8 * i)) & 0xFF);
    return framed + body;
}

inline std::string Frame(const std::string& body) {
    return Frame(static_cast<std::int32_t>(body.size()), body);
}

// Reads one command as it arrives on the socket: up to and including its NUL.
inline std::string ReadOneCommand(int fd, int timeoutMs = 3000) {
    std::string command;
    for (;;) {
        const std::string byte = ReadUpTo(fd, 1, timeoutMs);
        if (byte.empty()) return command;
        command += byte;
        if (byte[0] == '\0') return command;
    }
}

// An instrument on the far end of a loopback connection. For each command it receives (CR and
// NUL stripped in the log) it runs the reply script for that command, if any; it stops when the
// client closes or `Stop` is called. Replies may be sent in pieces.
class LanLinkTest : public LinkTest {
protected:
    using Reply = std::function<void(int fd)>;

    void SetUp() override {
        setup->nInterface = 1;
        oxmsg::SetLinkContext(setup.get(), &socket);
        oxmsg::SetLinkClock(&clock);
    }

    void TearDown() override {
        stop = true;
        socket.Close();
        peer.Join();
        LinkTest::TearDown();
    }

    // Starts the scripted instrument and connects to it.
    void Connect(std::function<void(int fd)> onAccept = {}) {
        peer.Serve([this, onAccept](int fd) {
            if (onAccept) onAccept(fd);
            while (!stop) {
                const std::string raw = ReadOneCommand(fd, 200);
                if (raw.empty()) continue;
                if (raw.back() != '\0') return; // the client closed mid-command
                const std::string command = raw.substr(0, raw.size() >= 2 ? raw.size() - 2 : 0);
                {
                    std::lock_guard lock(logMutex);
                    wire.push_back(raw);
                    commands.push_back(command);
                }
                const auto reply = replies.find(command);
                if (reply != replies.end()) reply->second(fd);
            }
        });
        ASSERT_NE(socket.Connect("127.0.0.1", peer.Port()), 0);
    }

    static Reply Send(const std::string& bytes) {
        return [bytes](int fd) { SendAll(fd, bytes); };
    }

    // The commands the instrument has received once it has `count` of them (or after 3 s).
    std::vector<std::string> Commands(std::size_t count = 0) {
        WaitFor(count);
        std::lock_guard lock(logMutex);
        return commands;
    }

    std::vector<std::string> Wire(std::size_t count) {
        WaitFor(count);
        std::lock_guard lock(logMutex);
        return wire;
    }

    void WaitFor(std::size_t count) {
        for (int i = 0; i < 300; ++i) {
            {
                std::lock_guard lock(logMutex);
                if (commands.size() >= count) return;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    }

    LoopbackPeer peer;
    CWinSocket socket;
    std::map<std::string, Reply> replies;
    std::atomic<bool> stop{false};
    std::mutex logMutex;
    std::vector<std::string> wire;     // raw bytes of each command as received
    std::vector<std::string> commands; // the same without CR and NUL
};

} // namespace oxbow::testing
