// A scripted TCP peer on 127.0.0.1 for socket and LAN-link tests: it listens on a free port,
// accepts one connection on its own thread and runs a script on the accepted descriptor.
// Every wait is bounded, so a faulty client makes a test fail instead of hang.
#pragma once

#include <algorithm>
#include <arpa/inet.h>
#include <chrono>
#include <functional>
#include <netinet/in.h>
#include <poll.h>
#include <string>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace oxbow::testing {

class LoopbackPeer {
public:
    using Script = std::function<void(int fd)>;

    explicit LoopbackPeer(int backlog = 4) {
        m_listener = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        const int one = 1;
        setsockopt(m_listener, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        bind(m_listener, reinterpret_cast<sockaddr*>(&address), sizeof address);
        listen(m_listener, backlog);
        socklen_t length = sizeof address;
        getsockname(m_listener, reinterpret_cast<sockaddr*>(&address), &length);
        m_port = ntohs(address.sin_port);
    }

    ~LoopbackPeer() {
        Join();
        close(m_listener);
    }

    LoopbackPeer(const LoopbackPeer&) = delete;
    LoopbackPeer& operator=(const LoopbackPeer&) = delete;

    int Port() const { return m_port; }

    // Accepts one connection (within 5 s) and runs the script on it; the connection is
    // closed when the script returns. A peer joined only at the fixture's end outlives the
    // test body: its script keeps copies of the body's values it reads.
    void Serve(Script script) {
        m_thread = std::thread([this, script = std::move(script)] {
            pollfd p{m_listener, POLLIN, 0};
            if (poll(&p, 1, 5000) != 1) return;
            const int fd = accept(m_listener, nullptr, nullptr);
            if (fd < 0) return;
            script(fd);
            close(fd);
        });
    }

    void Join() {
        if (m_thread.joinable()) m_thread.join();
    }

private:
    int m_listener = -1;
    int m_port = 0;
    std::thread m_thread;
};

inline void SendAll(int fd, const std::string& bytes) {
    std::size_t sent = 0;
    while (sent < bytes.size()) {
        const ssize_t n = send(fd, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
        if (n <= 0) return;
        sent += static_cast<std::size_t>(n);
    }
}

// Reads until `count` bytes arrived, the peer closed, or `timeoutMs` passed.
inline std::string ReadUpTo(int fd, std::size_t count, int timeoutMs = 3000) {
    std::string bytes;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (bytes.size() < count) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                              deadline - std::chrono::steady_clock::now())
                              .count();
        pollfd p{fd, POLLIN, 0};
        if (left <= 0 || poll(&p, 1, static_cast<int>(left)) != 1) break;
        char chunk[4096];
        const ssize_t n = recv(fd, chunk, std::min(sizeof chunk, count - bytes.size()), 0);
        if (n <= 0) break;
        bytes.append(chunk, static_cast<std::size_t>(n));
    }
    return bytes;
}

// Closes with a reset instead of an orderly shutdown.
inline void ResetConnection(int fd) {
    linger abort{1, 0};
    setsockopt(fd, SOL_SOCKET, SO_LINGER, &abort, sizeof abort);
}

} // namespace oxbow::testing
