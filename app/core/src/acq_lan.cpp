// Live waveform data over LAN: ":WAVEFORM:DATA?" and its reply, a 20-byte header (bytes 0-3
// total length with the header, 12-13 scan-position source, 14 run status, 19 plot style)
// followed by one frame. The reply is received at kLanReplyAt, so its frame starts exactly
// at the frame area. Bytes received beyond one reply are carried to the next.
#include "oxacq.h"

#include "cwinsocket.h"
#include "ox_link.h"
#include "oxcommon.h"

#include <algorithm>
#include <cstring>
#include <thread>

namespace oxacq {

namespace {

constexpr int kScanSourceAt = 12;
constexpr int kStatusAt = 14;
constexpr int kPlotStyleAt = 19;

std::int32_t Le32(const std::uint8_t* bytes) {
    std::int32_t value;
    std::memcpy(&value, bytes, sizeof value);
    return value;
}

} // namespace

std::chrono::milliseconds Acquisition::LanDataRequest() {
    // A reply that never came (or was taken by a command exchange) does not block requests.
    if (counters_.outstanding > 0 &&
        Clock::now() - lastRequest_ > std::chrono::milliseconds(waits_.replyMs)) {
        counters_.outstanding = 0;
        lanCarried_ = 0;
    }
    if (counters_.outstanding != 0 || counters_.requestHold != 0 || !Acquiring())
        return std::chrono::milliseconds(0);
    ++counters_.outstanding;
    lastRequest_ = Clock::now();
    const std::string request = StrConnect(":WAVEFORM", ":DATA?", "", "", "");
    SendChecked(request, WriteCommandUnpaused);
    return std::chrono::milliseconds(CommandPauseMs(request));
}

void Acquisition::LanReceive() {
    const unsigned mask = ChannelMask();
    if (mask == 0) {
        counters_.frameCount = 0;
        Setup().bDataValid = 0;
        return;
    }
    if (!Acquiring() || counters_.outstanding < 1 || socket_ == nullptr) {
        counters_.frameCount = 0;
        counters_.newData = 0;
        return;
    }
    std::uint8_t* at = &receive_[kLanReplyAt];
    lanPending_ = lanCarried_;
    std::memcpy(at, lanCarry_.data(), static_cast<std::size_t>(lanCarried_));
    lanCarried_ = 0;
    const int got = socket_->Receive(at + lanPending_, kLanReplyLimit - lanPending_);
    if (got == 0) {
        LinkLost();
        return;
    }
    if (got > 0) lanPending_ += got;
    if (lanPending_ == 0) return;
    if (!ParseLanReply()) return;
    counters_.blockMask = mask;
    counters_.blockStride = FrameStride(mask, Setup().bDelayed != 0);
    if (Setup().nTrigSweep == oxcmd::code::kSweepSingle)
        commands_.PostIOCmd(oxcmd::group::kRunControl, oxcmd::run::kStop, 0, 0, nullptr);
}

// Parses the reply at kLanReplyAt; true when a frame was accepted.
bool Acquisition::ParseLanReply() {
    std::uint8_t* at = &receive_[kLanReplyAt];
    if (!ReceiveMore(kLanHeaderBytes, waits_.receiveIdleMs)) {
        DropLanBytes();
        return false;
    }
    const std::int32_t length = Le32(at);
    if (length < kLanHeaderBytes) {
        DropLanBytes(); // not a reply header: nothing after it can be trusted
        return false;
    }
    if (length == kLanHeaderBytes) {
        // No new frame: the header alone is ignored.
        lanCarried_ = lanPending_ - length;
        std::memcpy(lanCarry_.data(), at + length, static_cast<std::size_t>(lanCarried_));
        --counters_.outstanding;
        return false;
    }
    if (length > kLanReplyLimit) {
        SkipLanBytes(length - lanPending_); // an over-long reply: read past it, keep nothing
        DropLanBytes();
        NoBlock(true);
        return false;
    }
    if (!ReceiveMore(length, waits_.receiveIdleMs)) {
        DropLanBytes();
        NoBlock(true);
        return false;
    }
    lanCarried_ = lanPending_ - length;
    std::memcpy(lanCarry_.data(), at + length, static_cast<std::size_t>(lanCarried_));
    at[length] = 0;
    --counters_.outstanding;

    ApplyPlotStyle(at[kPlotStyleAt]);
    BlockAccepted();
    std::uint16_t scanSource;
    std::memcpy(&scanSource, at + kScanSourceAt, sizeof scanSource);
    frame_.nScanPos = ScanPositionFromSource(scanSource);
    counters_.frameCount = 1;
    counters_.ringIndex = 0;
    counters_.blockEnd = kFrameArea + (length - kLanHeaderBytes);
    counters_.lanStatus = at[kStatusAt];
    Setup().bDataValid = 1;
    SetRunStatus(at[kStatusAt]);
    return true;
}

// Reads on until `want` bytes of the reply are in; never past `want`, so what follows the
// reply stays in the socket. False when the link closed or the reply stalled.
bool Acquisition::ReceiveMore(int want, int idleMs) {
    if (lanPending_ >= want) return true;
    const int got =
        ReceiveLanBytes(&receive_[kLanReplyAt] + lanPending_, want - lanPending_, idleMs);
    if (got < 0) return false;
    lanPending_ += got;
    return lanPending_ >= want;
}

// Reads and forgets `count` bytes of the socket (into the text reply buffer, which is free
// between commands), until they are gone, the link closes or the bytes stall.
void Acquisition::SkipLanBytes(int count) {
    while (count > 0) {
        const int chunk = std::min(count, kReplyBytes);
        const int got = ReceiveLanBytes(reinterpret_cast<std::uint8_t*>(reply_.data()), chunk,
                                        waits_.receiveIdleMs);
        if (got < chunk) return;
        count -= got;
    }
}

// Reads until `want` bytes are in `into`, no byte came for `idleMs`, or the link closed
// (-1, the link marked lost). The count read otherwise; never more than `want`.
int Acquisition::ReceiveLanBytes(std::uint8_t* into, int want, int idleMs) {
    int done = 0;
    auto deadline = Clock::now() + std::chrono::milliseconds(idleMs);
    while (done < want) {
        const int got = socket_->Receive(into + done, want - done);
        if (got == 0) {
            LinkLost();
            return -1;
        }
        if (got > 0) {
            done += got;
            deadline = Clock::now() + std::chrono::milliseconds(idleMs);
        } else if (Clock::now() > deadline) {
            break;
        } else {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    }
    return done;
}

// A reply that cannot be parsed: its bytes and whatever came with them are dropped, and it
// counts as answered.
void Acquisition::DropLanBytes() {
    lanPending_ = 0;
    lanCarried_ = 0;
    if (counters_.outstanding > 0) --counters_.outstanding;
}

} // namespace oxacq
