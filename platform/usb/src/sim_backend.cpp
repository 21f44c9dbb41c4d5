// The sim back end: one simulated instrument at handle 0, present while an endpoint is
// attached and reports itself present. Every call holds the back end's lock, so detaching
// waits for a call in progress and the endpoint is never used after it was detached.
#include "backend.h"

#include <mutex>

namespace oxbow::usb {
namespace {

class SimUsbBackend final : public UsbBackend {
public:
    void Attach(UsbEndpoint* endpoint) {
        std::lock_guard lock(m_mutex);
        m_endpoint = endpoint;
    }

    int ReadBytes(int device, int phase, int count, std::uint8_t* buffer) override {
        return Call(device,
                    [&](UsbEndpoint& e) { return e.ReadBytes(phase, count, buffer) ? 1 : 0; });
    }

    int WriteByte(int device, std::uint8_t byte) override {
        return Call(device, [&](UsbEndpoint& e) { return e.WriteByte(byte) ? 1 : 0; });
    }

    int ControlRequest(int device, int request, int value, int index) override {
        return Call(device,
                    [&](UsbEndpoint& e) { return e.ControlRequest(request, value, index); });
    }

    int ControlRead(int device, int request, int value, int index, int length,
                    std::uint8_t* buffer) override {
        return Call(device, [&](UsbEndpoint& e) {
            return e.ControlRead(request, value, index, length, buffer);
        });
    }

    int BulkRead(int device, int length, std::uint8_t* buffer) override {
        return Call(device, [&](UsbEndpoint& e) { return e.BulkRead(length, buffer) ? 1 : 0; });
    }

    int BulkWrite(int device, int length, const std::uint8_t* buffer) override {
        return Call(device, [&](UsbEndpoint& e) { return e.BulkWrite(length, buffer) ? 1 : 0; });
    }

    int DeviceCount() override {
        std::lock_guard lock(m_mutex);
        return m_endpoint != nullptr && m_endpoint->IsPresent() ? 1 : 0;
    }

private:
    template <typename Operation> int Call(int device, Operation operation) {
        std::lock_guard lock(m_mutex);
        if (device != 0 || m_endpoint == nullptr || !m_endpoint->IsPresent()) return 0;
        return operation(*m_endpoint);
    }

    std::mutex m_mutex;
    UsbEndpoint* m_endpoint = nullptr;
};

SimUsbBackend& Instance() {
    static SimUsbBackend backend;
    return backend;
}

} // namespace

UsbBackend& SimBackend() {
    return Instance();
}

void AttachSimEndpoint(UsbEndpoint* endpoint) {
    Instance().Attach(endpoint);
}

} // namespace oxbow::usb
