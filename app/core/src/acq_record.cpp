// The full-memory read, made once when the instrument stops: the whole record of every shown
// source (USB request 5 and a bulk read, or ":WAVEFORM:ALL?" with a 4-byte length on LAN),
// distributed piece by piece into the channels' main buffers.
#include "oxacq.h"

#include "cwinsocket.h"
#include "ox_link.h"
#include "oxbow_ui.h"
#include "oxcommon.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <thread>

namespace oxacq {

namespace {

constexpr int kRecordRequest = 5;
constexpr std::int64_t kHalfLaScalePs = 50000; // 50 ns/div and faster
constexpr int kRollWindows = 3;

} // namespace

bool Acquisition::FullMemoryRead() {
    unsigned mask = ChannelMask();
    if (commands_.GetMathEnabled())
        mask |= kMaskCh1 | kMaskCh2;
    else if (Setup().llTimeScalePs <= kHalfLaScalePs)
        mask |= kMaskHalfLa;
    if ((mask & 0x7F) == 0) return false;
    const bool read = OnLan() ? ReadLanRecord() : ReadUsbRecord(mask);
    if (!read) {
        region_->bAcquiring = 0;
        return false;
    }
    commands_.GetTimeScalePara();
    std::int32_t rollPoints = 0;
    if (Setup().bSlowSweep || Setup().nTimeFormat == oxcmd::code::kRolling)
        rollPoints = ReplyNumber(":PAR:ROLL_POINT?");
    for (int w = 0; w < kRollWindows; ++w)
        records_.positions->stWindow[w].nRollPoints = rollPoints;
    if (!DistributeRecord(mask)) {
        region_->bAcquiring = 0;
        return false;
    }
    DescribeRecord();
    Setup().bDataValid = 1;
    region_->bAcquiring = 0;
    return true;
}

// The record just read was sampled at the rate and length the instrument reports now. The
// stored-record snapshot taken with a block still holds the rate from before a time-scale
// change (the rate is read from the instrument only when a run starts and here).
void Acquisition::DescribeRecord() {
    Setup().fSampleRateRec = Setup().fSampleRate;
    Setup().nAcqMemoryRec = Setup().nAcqMemory;
}

// The decimal reply to a query, truncated; 0 when there is none or it is out of range.
std::int32_t Acquisition::ReplyNumber(const std::string& query) {
    const int got = ReadCommand(query, reply_.data(), kReplyBytes - 1);
    reply_[static_cast<std::size_t>(std::clamp(got, 0, kReplyBytes - 1))] = 0;
    const double value = std::strtod(reply_.data(), nullptr);
    if (!std::isfinite(value) || value < -2147483648.0 || value > 2147483647.0) return 0;
    return static_cast<std::int32_t>(value);
}

bool Acquisition::ReadUsbRecord(unsigned mask) {
    ReadCmdOPC();
    std::uint8_t countBytes[4] = {};
    const int result = UsbControlRead(Setup().hUsbDevice, kRecordRequest,
                                      static_cast<int>(mask & 0x7F), 0, 4, countBytes);
    bool read = false;
    if (result != 1) {
        Setup().bConnected = static_cast<std::uint8_t>(result & 1);
        ConnectionLostDialog();
    } else {
        std::uint32_t count = 0;
        std::memcpy(&count, countBytes, sizeof count);
        // Room for the count and the byte after it, or the record is refused unread.
        read = count > 0 && count < static_cast<std::uint32_t>(kReceiveBytes) &&
               UsbBulkRead(Setup().hUsbDevice, static_cast<int>(count), receive_.data()) != 0;
        if (read) {
            counters_.recordBytes = static_cast<int>(count);
            receive_[count] = 0;
        }
    }
    counters_.stopScreenValue = static_cast<std::int16_t>(ReplyNumber(":INFO:EUQP?"));
    return read;
}

bool Acquisition::ReadLanRecord() {
    if (socket_ == nullptr) return false;
    // Whatever the socket still holds (live replies) is of no use any more.
    const auto drainEnd = Clock::now() + std::chrono::milliseconds(waits_.drainMs);
    for (;;) {
        const int got = socket_->Receive(receive_.data(), kReceiveBytes);
        if (got == 0) {
            LinkLost();
            return false;
        }
        if (got < 0 || Clock::now() > drainEnd) break;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    lanCarried_ = 0;
    counters_.outstanding = 0;
    if (!SendChecked(StrConnect(":WAVEFORM", ":ALL?", "", "", ""), WriteCommand)) return false;
    std::uint8_t lengthBytes[4];
    if (ReceiveLanBytes(lengthBytes, 4, waits_.recordLengthMs) < 4) return false;
    std::int32_t length;
    std::memcpy(&length, lengthBytes, sizeof length);
    if (length <= 0 || length >= kReceiveBytes) {
        if (length > 0) SkipLanBytes(length);
        return false;
    }
    if (ReceiveLanBytes(receive_.data(), length, waits_.recordIdleMs) < length) return false;
    receive_[static_cast<std::size_t>(length)] = 0;
    counters_.recordBytes = length;
    return true;
}

// The record holds, in this order and only for the sources of the mask, CH1 n bytes, CH2 n
// bytes, the analyzer 2n bytes (n bytes with bit 7 when exactly one channel goes with it).
// A record shorter than its pieces, or pieces beyond a buffer, is refused whole.
bool Acquisition::DistributeRecord(unsigned mask) {
    const std::int64_t n = Setup().nAcqMemory;
    const unsigned sources = mask & 7;
    if (n <= 0 || n > kAnalogMainBytes) return false;
    const bool halfLa = (mask & kMaskHalfLa) &&
                        (sources == (kMaskCh1 | kMaskLa) || sources == (kMaskCh2 | kMaskLa));
    const std::int64_t laBytes = (sources & kMaskLa) ? (halfLa ? n : 2 * n) : 0;
    const std::int64_t analogPieces =
        ((sources & kMaskCh1) ? 1 : 0) + ((sources & kMaskCh2) ? 1 : 0);
    if (analogPieces * n + laBytes > counters_.recordBytes) return false;
    const std::uint8_t* piece = receive_.data();
    for (int c = 0; c < 2; ++c) {
        if (sources & (1u << c)) {
            std::memcpy(analog_[c].data(), piece, static_cast<std::size_t>(n));
            piece += n;
        }
    }
    if (laBytes > 0) std::memcpy(la_.data(), piece, static_cast<std::size_t>(laBytes));
    return true;
}

} // namespace oxacq
