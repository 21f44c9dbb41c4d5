// The USB side of the link: byte-wise command writes, one-length-byte replies and the
// numbered setup-block requests of Oxbow_UI.
#include "link_internal.h"

#include "oxbow_ui.h"

#include <algorithm>
#include <cstring>

namespace oxmsg::link {
namespace {

constexpr std::uint8_t kCarriageReturn = 0x0D;
constexpr int kAnnounceWriteRequest = 2;
constexpr int kLengthPhase = 0;
constexpr int kBodyPhase = 1;
// Bytes of the caller's buffer cleared before a reply body is read (the largest USB reply
// and its length byte).
constexpr int kUsbReplyArea = 256;

int Handle() {
    return State().setup->hUsbDevice;
}

} // namespace

int UsbWriteText(const std::string& command) {
    const int handle = Handle();
    int written = 0;
    for (const char c : command) {
        if (UsbWriteByte(handle, static_cast<std::uint8_t>(c)) == 0) return written;
        ++written;
    }
    return UsbWriteByte(handle, kCarriageReturn) != 0 ? written + 1 : written;
}

// The reply goes through a scratch area of the largest reply, so the instrument is always
// asked for the body it announced however small the caller's buffer is; the caller gets as
// much of it as fits.
int UsbQuery(const std::string& query, std::uint8_t* buffer, int size) {
    if (UsbWriteText(query) == 0) return 0;
    std::uint8_t reply[kUsbReplyArea];
    if (UsbReadBytes(Handle(), kLengthPhase, 1, reply) == 0) return 0;
    const int length = reply[0];
    std::memset(buffer, 0, static_cast<std::size_t>(std::min(size, kUsbReplyArea)));
    if (UsbReadBytes(Handle(), kBodyPhase, length, reply) == 0) return 0;
    const int kept = std::min(length, size);
    std::memcpy(buffer, reply, static_cast<std::size_t>(kept));
    return kept;
}

bool UsbReadBlock(int request, std::uint8_t* bytes, int size) {
    return UsbControlRequest(Handle(), request, 0, 0, 0) == 1 &&
           UsbBulkRead(Handle(), size, bytes) != 0;
}

bool UsbWriteBlock(int commit, const std::uint8_t* bytes, int size) {
    return UsbControlRequest(Handle(), kAnnounceWriteRequest, size & 0xFFFF, size >> 16, 0) == 1 &&
           UsbBulkWrite(Handle(), size, bytes) != 0 &&
           UsbControlRequest(Handle(), commit, 0, 0, 0) == 1;
}

} // namespace oxmsg::link
