// The back-end interface behind the seven Oxbow_UI operations. Arguments have been checked
// by the caller (non-negative counts, a buffer wherever a count is positive).
#pragma once

#include "oxbow_ui.h"

#include <cstdint>

namespace oxbow::usb {

class UsbBackend {
public:
    virtual ~UsbBackend() = default;
    virtual int ReadBytes(int device, int phase, int count, std::uint8_t* buffer) = 0;
    virtual int WriteByte(int device, std::uint8_t byte) = 0;
    virtual int ControlRequest(int device, int request, int value, int index) = 0;
    virtual int ControlRead(int device, int request, int value, int index, int length,
                            std::uint8_t* buffer) = 0;
    virtual int BulkRead(int device, int length, std::uint8_t* buffer) = 0;
    virtual int BulkWrite(int device, int length, const std::uint8_t* buffer) = 0;
    virtual int DeviceCount() = 0;
};

UsbBackend& SimBackend();
UsbBackend& LibusbBackend();

// The sim back end's hook for attaching the simulated instrument.
void AttachSimEndpoint(UsbEndpoint* endpoint);

} // namespace oxbow::usb
