#include "backend.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace oxbow::usb {
namespace {

std::atomic<Backend>& ChosenBackend() {
    static std::atomic<Backend> chosen{BackendFromEnvironment()};
    return chosen;
}

std::atomic<std::uint32_t>& PackedDeviceId() {
    static std::atomic<std::uint32_t> packed{[] {
        UsbDeviceId id = kDefaultDeviceId;
        if (const char* text = std::getenv("OXBOW_USB_ID")) ParseDeviceId(text, id);
        return (std::uint32_t{id.vendor} << 16) | id.product;
    }()};
    return packed;
}

UsbBackend& Current() {
    return ChosenBackend().load() == Backend::Sim ? SimBackend() : LibusbBackend();
}

bool UsableBuffer(int count, const void* buffer) {
    return count >= 0 && (count == 0 || buffer != nullptr);
}

} // namespace

void SelectBackend(Backend backend) {
    ChosenBackend().store(backend);
}

Backend SelectedBackend() {
    return ChosenBackend().load();
}

Backend BackendFromEnvironment() {
    const char* choice = std::getenv("OXBOW_USB");
    return choice != nullptr && std::strcmp(choice, "sim") == 0 ? Backend::Sim : Backend::Libusb;
}

void AttachEndpoint(UsbEndpoint* endpoint) {
    AttachSimEndpoint(endpoint);
}

void DetachEndpoint() {
    AttachSimEndpoint(nullptr);
}

void SetDeviceId(UsbDeviceId id) {
    PackedDeviceId().store((std::uint32_t{id.vendor} << 16) | id.product);
}

UsbDeviceId DeviceId() {
    const std::uint32_t packed = PackedDeviceId().load();
    return {static_cast<std::uint16_t>(packed >> 16), static_cast<std::uint16_t>(packed & 0xFFFF)};
}

bool ParseDeviceId(const char* text, UsbDeviceId& id) {
    if (text == nullptr) return false;
    unsigned vendor = 0;
    unsigned product = 0;
    int consumed = 0;
    if (std::sscanf(text, "%4x:%4x%n", &vendor, &product, &consumed) != 2 || text[consumed] != '\0')
        return false;
    id = {static_cast<std::uint16_t>(vendor), static_cast<std::uint16_t>(product)};
    return true;
}

} // namespace oxbow::usb

using oxbow::usb::Current;
using oxbow::usb::UsableBuffer;

int UsbReadBytes(int hDevice, int nPhase, int nCount, std::uint8_t* pBuffer) {
    if (!UsableBuffer(nCount, pBuffer)) return 0;
    return Current().ReadBytes(hDevice, nPhase, nCount, pBuffer);
}

int UsbWriteByte(int hDevice, std::uint8_t byte) {
    return Current().WriteByte(hDevice, byte);
}

int UsbControlRequest(int hDevice, int nRequest, int nValue, int nIndex, int /*nReserved*/) {
    return Current().ControlRequest(hDevice, nRequest, nValue, nIndex);
}

int UsbControlRead(int hDevice, int nRequest, int nValue, int nIndex, int nLength,
                   std::uint8_t* pBuffer) {
    if (!UsableBuffer(nLength, pBuffer)) return 0;
    return Current().ControlRead(hDevice, nRequest, nValue, nIndex, nLength, pBuffer);
}

int UsbBulkRead(int hDevice, int nLength, std::uint8_t* pBuffer) {
    if (!UsableBuffer(nLength, pBuffer)) return 0;
    return Current().BulkRead(hDevice, nLength, pBuffer);
}

int UsbBulkWrite(int hDevice, int nLength, const std::uint8_t* pBuffer) {
    if (!UsableBuffer(nLength, pBuffer)) return 0;
    return Current().BulkWrite(hDevice, nLength, pBuffer);
}

int UsbDeviceCount() {
    return Current().DeviceCount();
}
