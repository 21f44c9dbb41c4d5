// The live waveform block over USB: request 4 gives the byte count, a bulk read the block.
//
// Block layout (little-endian): a 2048-byte header (offset 2 scan-position source, 4 frame
// count, 6 ring write index, 512.. one run status per frame, 762 plot style, 763 single
// sweep pending), then frame slot r at 2048 + r × stride.
#include "oxacq.h"

#include "oxbow_ui.h"

#include <algorithm>
#include <cstring>

namespace oxacq {

namespace {

constexpr int kLiveRequest = 4;
constexpr int kStatusTable = 512;
constexpr int kPlotStyleByte = 762;
constexpr int kSinglePendingByte = 763;

std::uint16_t Le16(const std::uint8_t* bytes) {
    return static_cast<std::uint16_t>(bytes[0] | (bytes[1] << 8));
}

} // namespace

void Acquisition::UsbLiveRead() {
    const unsigned mask = ChannelMask();
    if (mask == 0) {
        counters_.frameCount = 0;
        Setup().bDataValid = 0;
        return;
    }
    if (!Acquiring()) {
        counters_.frameCount = 0;
        counters_.newData = 0;
        return;
    }
    std::uint8_t countBytes[4] = {};
    const int result =
        UsbControlRead(Setup().hUsbDevice, kLiveRequest, 0, static_cast<int>(mask), 4, countBytes);
    if (result != 1) {
        Setup().bConnected = static_cast<std::uint8_t>(result & 1);
        ConnectionLostDialog();
        NoBlock(false);
        return;
    }
    std::uint32_t count = 0;
    std::memcpy(&count, countBytes, sizeof count);
    // A count beyond the receive buffer is a bad reply: nothing is read into it.
    if (count <= static_cast<std::uint32_t>(kFrameArea) ||
        count > static_cast<std::uint32_t>(kReceiveBytes) ||
        !UsbBulkRead(Setup().hUsbDevice, static_cast<int>(count), receive_.data())) {
        NoBlock(false);
        return;
    }
    Setup().bDataValid = 1;
    AcceptUsbBlock(mask, static_cast<int>(count));
    if (Setup().nTrigSweep == oxcmd::code::kSweepSingle && header_[kSinglePendingByte] == 0)
        commands_.PostIOCmd(oxcmd::group::kRunControl, oxcmd::run::kStop, 0, 0, nullptr);
}

void Acquisition::AcceptUsbBlock(unsigned mask, int count) {
    std::memcpy(header_.data(), receive_.data(), kHeaderCopyBytes);
    frame_.nScanPos = ScanPositionFromSource(Le16(&header_[2]));
    const std::int32_t frames = std::min<std::int32_t>(Le16(&header_[4]), kRingFrames);
    counters_.frameCount = frames;
    counters_.ringIndex = FirstRingSlot(Le16(&header_[6]), frames);
    counters_.blockMask = mask;
    counters_.blockStride = FrameStride(counters_.blockMask, Setup().bDelayed != 0);
    counters_.blockEnd = count;
    ApplyPlotStyle(header_[kPlotStyleByte]);
    BlockAccepted();
}

} // namespace oxacq
