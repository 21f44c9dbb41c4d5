// The LAN side of the link: sends with their waits, the drain of stale reply bytes, and the
// length-word reply framing. Every wait is bounded, and a peer that closes the connection
// ends it at once: `bConnected` is cleared and the call fails.
#include "link_internal.h"

#include "cwinsocket.h"

#include <algorithm>

namespace oxmsg::link {
namespace {

constexpr int kDrainBytes = 2 * 1024 * 1024;

enum class Outcome { Arrived, TimedOut, Lost };

struct Received {
    int count = 0;
    Outcome outcome = Outcome::Arrived;
};

void LinkLost() {
    State().setup->bConnected = 0;
}

std::vector<std::uint8_t>& DrainBuffer() {
    auto& scratch = State().drain;
    if (scratch.empty()) scratch.resize(kDrainBytes);
    return scratch;
}

// Receives `count` bytes, polling while nothing is waiting; gives up once no byte has arrived
// for `idleMs`, or at once when the peer has closed.
Received ReceiveExactly(CWinSocket& socket, std::uint8_t* bytes, int count, int idleMs) {
    Received got;
    std::int64_t deadline = Clock().NowMs() + idleMs;
    while (got.count < count) {
        const int n = socket.Receive(bytes + got.count, count - got.count);
        if (n == 0) {
            got.outcome = Outcome::Lost;
            return got;
        }
        if (n > 0) {
            got.count += n;
            deadline = Clock().NowMs() + idleMs;
            continue;
        }
        Clock().Sleep(kLanPollMs);
        if (Clock().NowMs() >= deadline) {
            got.outcome = Outcome::TimedOut;
            return got;
        }
    }
    return got;
}

// Throws away `count` body bytes that did not fit the caller's buffer.
Outcome DiscardBody(CWinSocket& socket, int count) {
    auto& scratch = DrainBuffer();
    while (count > 0) {
        const int piece = std::min(count, static_cast<int>(scratch.size()));
        const Received got = ReceiveExactly(socket, scratch.data(), piece, kLanBodyIdleMs);
        if (got.outcome != Outcome::Arrived) return got.outcome;
        count -= piece;
    }
    return Outcome::Arrived;
}

// Throws away reply bytes still waiting from an earlier exchange. False when the peer has
// closed the connection.
bool Drain(CWinSocket& socket) {
    if (!Connected()) return true;
    auto& scratch = DrainBuffer();
    const std::int64_t deadline = Clock().NowMs() + kLanReplyTimeoutMs;
    for (;;) {
        const int n = socket.Receive(scratch.data(), static_cast<int>(scratch.size()));
        if (n < 0) return true;
        if (n == 0) {
            LinkLost();
            return false;
        }
        Clock().Sleep(kLanPollMs);
        if (Clock().NowMs() >= deadline) return true;
    }
}

std::int32_t LittleEndian32(const std::uint8_t* bytes) {
    const std::uint32_t value = std::uint32_t{bytes[0]} | std::uint32_t{bytes[1]} << 8 |
                                std::uint32_t{bytes[2]} << 16 | std::uint32_t{bytes[3]} << 24;
    return static_cast<std::int32_t>(value);
}

} // namespace

int LanPauseAfterMs(const std::string& command) {
    if (command == ":AUTO") return kLanAutoWaitMs;
    if (command == ":STOP") return kLanStopWaitMs;
    return kLanWaitMs;
}

int LanSend(const std::string& command, bool pause) {
    CWinSocket* socket = State().socket;
    if (socket == nullptr) return -1;
    std::string wire = command;
    wire += '\r';
    wire += '\0';
    const int sent = socket->Send(wire.data(), static_cast<int>(wire.size()));
    if (pause) Clock().Sleep(LanPauseAfterMs(command));
    return sent;
}

int LanQuery(const std::string& query, std::uint8_t* buffer, int size) {
    CWinSocket* socket = State().socket;
    if (socket == nullptr || !Drain(*socket) || LanSend(query) <= 0) return 0;

    std::uint8_t word[4] = {};
    const Received header = ReceiveExactly(*socket, word, sizeof word, kLanReplyTimeoutMs);
    if (header.outcome == Outcome::Lost) LinkLost();
    if (header.outcome != Outcome::Arrived) return 0;
    const std::int32_t length = LittleEndian32(word);
    if (length <= 0) return 0;

    const int kept = std::min(length, size);
    const Received body = ReceiveExactly(*socket, buffer, kept, kLanBodyIdleMs);
    const Outcome rest =
        body.outcome == Outcome::Arrived ? DiscardBody(*socket, length - kept) : body.outcome;
    if (rest == Outcome::Lost) LinkLost();
    return body.count;
}

} // namespace oxmsg::link
