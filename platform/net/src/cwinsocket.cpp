#include "cwinsocket.h"

#include <arpa/inet.h>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

timeval ToTimeval(int milliseconds) {
    timeval tv{};
    if (milliseconds > 0) {
        tv.tv_sec = milliseconds / 1000;
        tv.tv_usec = (milliseconds % 1000) * 1000;
    }
    return tv;
}

bool SetBlocking(int fd, bool blocking) {
    const int flags = fcntl(fd, F_GETFL, 0);
    if (flags < 0) return false;
    const int wanted = blocking ? (flags & ~O_NONBLOCK) : (flags | O_NONBLOCK);
    return fcntl(fd, F_SETFL, wanted) == 0;
}

// The errors after which no more data can arrive on the connection.
bool ConnectionGone(int error) {
    return error == ECONNRESET || error == ENOTCONN || error == EPIPE || error == ETIMEDOUT ||
           error == ECONNABORTED;
}

// A text of digits and dots is an address, never a name to look up.
bool LooksNumeric(const std::string& address) {
    return address.find_first_not_of("0123456789.") == std::string::npos;
}

// The first IPv4 address of a dotted address or a host name.
bool ResolveIpv4(const std::string& address, int port, sockaddr_in& out) {
    if (address.empty()) return false;
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_flags = LooksNumeric(address) ? AI_NUMERICHOST : 0;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    if (getaddrinfo(address.c_str(), nullptr, &hints, &found) != 0 || found == nullptr)
        return false;
    std::memcpy(&out, found->ai_addr, sizeof out);
    freeaddrinfo(found);
    out.sin_port = htons(static_cast<std::uint16_t>(port));
    return true;
}

} // namespace

CWinSocket::~CWinSocket() {
    Close();
}

int CWinSocket::Fail(int error, int result) {
    m_lastError = error;
    return result;
}

int CWinSocket::Create() {
    Close();
    m_fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (m_fd < 0) return Fail(errno, 0);
    // Commands are small and answered at once; do not hold them back.
    const int one = 1;
    setsockopt(m_fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    ApplyTimeout(SO_RCVTIMEO, m_recvTimeoutMs);
    ApplyTimeout(SO_SNDTIMEO, m_sendTimeoutMs);
    m_lastError = 0;
    return 1;
}

bool CWinSocket::ApplyTimeout(int option, int milliseconds) {
    if (m_fd < 0) return true;
    const timeval tv = ToTimeval(milliseconds);
    return setsockopt(m_fd, SOL_SOCKET, option, &tv, sizeof tv) == 0;
}

void CWinSocket::SetRecvTimeout(int milliseconds) {
    m_recvTimeoutMs = milliseconds > 0 ? milliseconds : 0;
    if (!ApplyTimeout(SO_RCVTIMEO, m_recvTimeoutMs)) m_lastError = errno;
}

void CWinSocket::SetSendTimeout(int milliseconds) {
    m_sendTimeoutMs = milliseconds > 0 ? milliseconds : 0;
    if (!ApplyTimeout(SO_SNDTIMEO, m_sendTimeoutMs)) m_lastError = errno;
}

void CWinSocket::SetConnectTimeout(int milliseconds) {
    m_connectTimeoutMs = milliseconds > 0 ? milliseconds : kDefaultConnectTimeoutMs;
}

bool CWinSocket::WaitConnected(int milliseconds) {
    pollfd p{m_fd, POLLOUT, 0};
    int ready = 0;
    do {
        ready = poll(&p, 1, milliseconds);
    } while (ready < 0 && errno == EINTR);
    if (ready == 0) {
        m_lastError = ETIMEDOUT;
        return false;
    }
    if (ready < 0) {
        m_lastError = errno;
        return false;
    }
    int error = 0;
    socklen_t length = sizeof error;
    if (getsockopt(m_fd, SOL_SOCKET, SO_ERROR, &error, &length) != 0) error = errno;
    m_lastError = error;
    return error == 0;
}

int CWinSocket::Connect(const std::string& address, int port) {
    if (port <= 0 || port > 65535) return Fail(EINVAL, 0);
    sockaddr_in peer{};
    if (!ResolveIpv4(address, port, peer)) return Fail(kNameNotFound, 0);
    if (m_fd < 0 && !Create()) return 0;
    if (!SetBlocking(m_fd, false)) return Fail(errno, 0);
    bool connected = connect(m_fd, reinterpret_cast<const sockaddr*>(&peer), sizeof peer) == 0;
    if (!connected) {
        if (errno != EINPROGRESS) return Fail(errno, 0);
        connected = WaitConnected(m_connectTimeoutMs);
    }
    if (!connected || !SetBlocking(m_fd, true))
        return Fail(m_lastError != 0 ? m_lastError : errno, 0);
    m_lastError = 0;
    return 1;
}

int CWinSocket::Send(const void* buffer, int length) {
    if (m_fd < 0) return Fail(ENOTCONN, -1);
    if (buffer == nullptr || length <= 0) return 0;
    const auto* bytes = static_cast<const char*>(buffer);
    int sent = 0;
    while (sent < length) {
        const ssize_t n =
            send(m_fd, bytes + sent, static_cast<size_t>(length - sent), MSG_NOSIGNAL);
        if (n > 0) {
            sent += static_cast<int>(n);
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        m_lastError = errno;
        return sent > 0 ? sent : -1;
    }
    return sent;
}

int CWinSocket::Receive(void* buffer, int maximum) {
    if (m_fd < 0) return 0;
    if (buffer == nullptr || maximum <= 0) return Fail(EINVAL, -1);
    for (;;) {
        const ssize_t n = recv(m_fd, buffer, static_cast<size_t>(maximum), MSG_DONTWAIT);
        if (n >= 0) return static_cast<int>(n);
        const int error = errno;
        if (error == EINTR) continue;
        if (error == EAGAIN || error == EWOULDBLOCK) return -1;
        m_lastError = error;
        return ConnectionGone(error) ? 0 : -1;
    }
}

void CWinSocket::Close() {
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
}

std::string CWinSocket::FailureReason() const {
    switch (m_lastError) {
    case 0:
        return "";
    case ECONNREFUSED:
        return "refused";
    case ETIMEDOUT:
        return "timed out";
    case kNameNotFound:
        return "not found";
    default:
        return std::strerror(m_lastError);
    }
}

int CWinSocket::GetLastError(std::string& text, int& number) const {
    number = m_lastError;
    text = m_lastError != 0 ? std::strerror(m_lastError) : "";
    return number;
}
