// The LAN side of the simulated instrument: a TCP server, one client at a time.
#include "oxsim.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>

namespace oxbow::sim {

namespace {

constexpr int kPollMs = 100;
constexpr std::size_t kMaxLine = 65536;

// A client that stops reading is dropped after this long rather than holding the server.
constexpr int kSendTimeoutSeconds = 5;

bool SendAll(int socket, const char* data, std::size_t size, const std::atomic<bool>& stop) {
    while (size > 0) {
        const ssize_t sent = ::send(socket, data, size, MSG_NOSIGNAL);
        if (sent < 0 && errno == EINTR && !stop) {
            continue;
        }
        if (sent <= 0) {
            return false;
        }
        data += sent;
        size -= static_cast<std::size_t>(sent);
    }
    return true;
}

// The live waveform query answers with its own header, whose first word is the length.
bool IsLiveDataQuery(const std::string& line) {
    std::string header;
    for (char ch : line) {
        if (ch != ' ' && ch != '\t')
            header.push_back(static_cast<char>(std::toupper(static_cast<unsigned char>(ch))));
    }
    return header == ":WAVEFORM:DATA?";
}

} // namespace

LanServer::LanServer(Instrument& instrument, LanServerOptions options)
    : instrument_(instrument), options_(std::move(options)) {}

LanServer::~LanServer() {
    if (listener_ >= 0) {
        ::close(listener_);
    }
}

bool LanServer::Listen(std::string& error) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(options_.port));
    if (options_.port < 0 || options_.port > 65535 ||
        ::inet_pton(AF_INET, options_.bind.c_str(), &address.sin_addr) != 1) {
        error = "bad address " + options_.bind + ":" + std::to_string(options_.port);
        return false;
    }
    listener_ = ::socket(AF_INET, SOCK_STREAM, 0);
    const int yes = 1;
    ::setsockopt(listener_, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    if (listener_ < 0 ||
        ::bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(listener_, 1) != 0) {
        error = std::string("cannot listen: ") + std::strerror(errno);
        return false;
    }
    socklen_t length = sizeof address;
    ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length);
    port_ = ntohs(address.sin_port);
    return true;
}

void LanServer::Serve() {
    while (!stop_) {
        pollfd waiting{listener_, POLLIN, 0};
        if (::poll(&waiting, 1, kPollMs) <= 0) {
            continue;
        }
        const int client = ::accept(listener_, nullptr, nullptr);
        if (client >= 0) {
            ServeClient(client);
            ::close(client);
        }
    }
}

void LanServer::ServeClient(int client) {
    timeval timeout{kSendTimeoutSeconds, 0};
    ::setsockopt(client, SOL_SOCKET, SO_SNDTIMEO, &timeout, sizeof timeout);
    std::string line;
    char buffer[4096];
    while (!stop_) {
        pollfd waiting{client, POLLIN, 0};
        if (::poll(&waiting, 1, kPollMs) <= 0) {
            continue;
        }
        const ssize_t received = ::recv(client, buffer, sizeof buffer, 0);
        if (received < 0 && errno == EINTR) {
            continue;
        }
        if (received <= 0) {
            return;
        }
        for (ssize_t i = 0; i < received; ++i) {
            const char ch = buffer[i];
            if (ch == '\r' || ch == '\n') {
                if (!HandleLine(client,
                                line.size() > kMaxLine ? std::string("<overlong>") : line)) {
                    return;
                }
                line.clear();
            } else if (ch != '\0' && line.size() <= kMaxLine) {
                line.push_back(ch);
            }
        }
    }
}

bool LanServer::HandleLine(int client, const std::string& line) {
    if (instrument_.TakeFault(Fault::CloseConnection)) {
        return false;
    }
    auto reply = instrument_.Execute(line);
    if (!reply || instrument_.TakeFault(Fault::Stall)) {
        return true;
    }
    return SendReply(client, std::move(*reply), !IsLiveDataQuery(line));
}

bool LanServer::SendReply(int client, std::string body, bool framed) {
    std::size_t announced = body.size();
    if (instrument_.TakeFault(Fault::GarbledReply)) {
        for (std::size_t i = framed ? 0 : 20; i < body.size(); ++i) {
            body[i] = static_cast<char>(body[i] ^ (0x5A + i));
        }
    }
    if (instrument_.TakeFault(Fault::ShortReply)) {
        body.resize(body.size() / 2);
    }
    if (instrument_.TakeFault(Fault::LongReply)) {
        body.append(64, '\xFF');
    }
    if (!framed) {
        return SendAll(client, body.data(), body.size(), stop_);
    }
    char length[4];
    for (int i = 0; i < 4; ++i) {
        length[i] = static_cast<char>((announced >> (8 * i)) & 0xFF);
    }
    return SendAll(client, length, sizeof length, stop_) &&
           SendAll(client, body.data(), body.size(), stop_);
}

} // namespace oxbow::sim
