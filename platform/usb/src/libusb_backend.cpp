// The libusb back end: real instruments found by vendor and product id. One device is open at
// a time (the one the handle names), with interface 0 claimed; a device that disappears is
// closed and reopened on the next call. The wire mapping is written down in
// docs/usb-protocol.md.
#include "backend.h"

#include <libusb.h>

#include <mutex>

namespace oxbow::usb {
namespace {

// Vendor requests of the byte-wise command write and the phased reply read; the numbered
// requests of the setup blocks and waveforms pass through unchanged.
constexpr std::uint8_t kWriteByteRequest = 0x30;
constexpr std::uint8_t kReadBytesRequest = 0x31;
constexpr int kInterface = 0;
constexpr unsigned kControlTimeoutMs = 1000;

constexpr std::uint8_t kVendorRequest =
    unsigned{LIBUSB_REQUEST_TYPE_VENDOR} | unsigned{LIBUSB_RECIPIENT_DEVICE};
constexpr std::uint8_t kVendorOut = kVendorRequest | unsigned{LIBUSB_ENDPOINT_OUT};
constexpr std::uint8_t kVendorIn = kVendorRequest | unsigned{LIBUSB_ENDPOINT_IN};

// Time allowed for one bulk transfer: a second plus a second per 512 KiB.
unsigned BulkTimeoutMs(int length) {
    return 1000 + static_cast<unsigned>(length / (512 * 1024)) * 1000;
}

bool Fits16(int value) {
    return value >= 0 && value <= 0xFFFF;
}

bool IsInstrument(libusb_device* device, UsbDeviceId id) {
    libusb_device_descriptor descriptor{};
    return libusb_get_device_descriptor(device, &descriptor) == 0 &&
           descriptor.idVendor == id.vendor && descriptor.idProduct == id.product;
}

// The first bulk IN and bulk OUT endpoints of interface 0.
bool FindBulkEndpoints(libusb_device* device, std::uint8_t& in, std::uint8_t& out) {
    libusb_config_descriptor* config = nullptr;
    if (libusb_get_active_config_descriptor(device, &config) != 0) return false;
    in = out = 0;
    if (config->bNumInterfaces > kInterface && config->interface[kInterface].num_altsetting > 0) {
        const libusb_interface_descriptor& alt = config->interface[kInterface].altsetting[0];
        for (int i = 0; i < alt.bNumEndpoints; ++i) {
            const libusb_endpoint_descriptor& e = alt.endpoint[i];
            if ((e.bmAttributes & LIBUSB_TRANSFER_TYPE_MASK) != LIBUSB_TRANSFER_TYPE_BULK) continue;
            std::uint8_t& slot = (e.bEndpointAddress & LIBUSB_ENDPOINT_IN) != 0 ? in : out;
            if (slot == 0) slot = e.bEndpointAddress;
        }
    }
    libusb_free_config_descriptor(config);
    return in != 0 && out != 0;
}

class LibusbUsbBackend final : public UsbBackend {
public:
    ~LibusbUsbBackend() override {
        CloseDevice();
        if (m_context != nullptr) libusb_exit(m_context);
    }

    int ReadBytes(int device, int phase, int count, std::uint8_t* buffer) override {
        return ControlIn(device, kReadBytesRequest, phase, 0, count, buffer);
    }

    int WriteByte(int device, std::uint8_t byte) override {
        return ControlOut(device, kWriteByteRequest, byte, 0);
    }

    int ControlRequest(int device, int request, int value, int index) override {
        return ControlOut(device, request, value, index);
    }

    int ControlRead(int device, int request, int value, int index, int length,
                    std::uint8_t* buffer) override {
        return ControlIn(device, request, value, index, length, buffer);
    }

    int BulkRead(int device, int length, std::uint8_t* buffer) override {
        return Bulk(device, /*in=*/true, length, buffer);
    }

    int BulkWrite(int device, int length, const std::uint8_t* buffer) override {
        // libusb takes a mutable pointer for both directions; an OUT transfer only reads it.
        return Bulk(device, /*in=*/false, length, const_cast<std::uint8_t*>(buffer));
    }

    int DeviceCount() override {
        std::lock_guard lock(m_mutex);
        int count = 0;
        ForEachInstrument([&](libusb_device*) {
            ++count;
            return false;
        });
        return count;
    }

private:
    libusb_context* Context() {
        if (m_context == nullptr && !m_initTried) {
            m_initTried = true;
            if (libusb_init(&m_context) != 0) m_context = nullptr;
        }
        return m_context;
    }

    // Calls `visit` for each instrument on the bus until it returns true.
    template <typename Visit> void ForEachInstrument(Visit visit) {
        libusb_context* context = Context();
        if (context == nullptr) return;
        libusb_device** list = nullptr;
        const ssize_t n = libusb_get_device_list(context, &list);
        const UsbDeviceId id = DeviceId();
        for (ssize_t i = 0; i < n; ++i)
            if (IsInstrument(list[i], id) && visit(list[i])) break;
        if (list != nullptr) libusb_free_device_list(list, 1);
    }

    libusb_device_handle* Open(int device) {
        if (m_handle != nullptr && m_openIndex == device) return m_handle;
        CloseDevice();
        if (device < 0) return nullptr;
        int index = 0;
        ForEachInstrument([&](libusb_device* candidate) {
            if (index++ != device) return false;
            OpenDevice(candidate, device);
            return true;
        });
        return m_handle;
    }

    void OpenDevice(libusb_device* device, int index) {
        libusb_device_handle* handle = nullptr;
        if (!FindBulkEndpoints(device, m_bulkIn, m_bulkOut) || libusb_open(device, &handle) != 0)
            return;
        libusb_set_auto_detach_kernel_driver(handle, 1);
        if (libusb_claim_interface(handle, kInterface) != 0) {
            libusb_close(handle);
            return;
        }
        m_handle = handle;
        m_openIndex = index;
    }

    void CloseDevice() {
        if (m_handle == nullptr) return;
        libusb_release_interface(m_handle, kInterface);
        libusb_close(m_handle);
        m_handle = nullptr;
        m_openIndex = -1;
    }

    // A device that has gone is closed, so the next call looks for it again.
    void NoteFailure(int error) {
        if (error == LIBUSB_ERROR_NO_DEVICE || error == LIBUSB_ERROR_IO) CloseDevice();
    }

    int ControlOut(int device, int request, int value, int index) {
        std::lock_guard lock(m_mutex);
        if (!Fits16(value) || !Fits16(index) || request < 0 || request > 0xFF) return 0;
        libusb_device_handle* handle = Open(device);
        if (handle == nullptr) return 0;
        const int result = libusb_control_transfer(
            handle, kVendorOut, static_cast<std::uint8_t>(request),
            static_cast<std::uint16_t>(value), static_cast<std::uint16_t>(index), nullptr, 0,
            kControlTimeoutMs);
        NoteFailure(result);
        return result == 0 ? 1 : 0;
    }

    int ControlIn(int device, int request, int value, int index, int length, std::uint8_t* buffer) {
        std::lock_guard lock(m_mutex);
        if (!Fits16(value) || !Fits16(index) || !Fits16(length) || request < 0 || request > 0xFF)
            return 0;
        libusb_device_handle* handle = Open(device);
        if (handle == nullptr) return 0;
        const int result = libusb_control_transfer(
            handle, kVendorIn, static_cast<std::uint8_t>(request),
            static_cast<std::uint16_t>(value), static_cast<std::uint16_t>(index), buffer,
            static_cast<std::uint16_t>(length), kControlTimeoutMs);
        NoteFailure(result);
        return result == length ? 1 : 0;
    }

    int Bulk(int device, bool in, int length, std::uint8_t* buffer) {
        std::lock_guard lock(m_mutex);
        libusb_device_handle* handle = Open(device);
        if (handle == nullptr) return 0;
        const std::uint8_t endpoint = in ? m_bulkIn : m_bulkOut;
        int moved = 0;
        while (moved < length) {
            int transferred = 0;
            const int result =
                libusb_bulk_transfer(handle, endpoint, buffer + moved, length - moved, &transferred,
                                     BulkTimeoutMs(length - moved));
            moved += transferred;
            if (result != 0 || transferred == 0) {
                NoteFailure(result);
                break;
            }
        }
        return moved == length ? 1 : 0;
    }

    std::mutex m_mutex;
    libusb_context* m_context = nullptr;
    bool m_initTried = false;
    libusb_device_handle* m_handle = nullptr;
    int m_openIndex = -1;
    std::uint8_t m_bulkIn = 0;
    std::uint8_t m_bulkOut = 0;
};

} // namespace

UsbBackend& LibusbBackend() {
    static LibusbUsbBackend backend;
    return backend;
}

} // namespace oxbow::usb
