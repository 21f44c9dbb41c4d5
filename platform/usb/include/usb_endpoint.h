// The instrument side of the simulated USB link. The `sim` back end of Oxbow_UI
// forwards every operation to the endpoint attached to it; the simulated instrument
// implements this interface, so the transport never links the simulator.
#pragma once

#include <cstdint>

namespace oxbow::usb {

class UsbEndpoint {
public:
    virtual ~UsbEndpoint() = default;

    // One byte of a command text written byte-wise (CR ends the command).
    virtual bool WriteByte(std::uint8_t byte) = 0;
    // Phased reply read: phase 0 delivers the one-byte length, phase 1 the body.
    virtual bool ReadBytes(int phase, int count, std::uint8_t* buffer) = 0;
    // Vendor request without data; 1 when the instrument accepted it.
    virtual int ControlRequest(int request, int value, int index) = 0;
    // Vendor request with a data stage of `length` bytes; 1 when all arrived.
    virtual int ControlRead(int request, int value, int index, int length,
                            std::uint8_t* buffer) = 0;
    // Bulk transfers; true when exactly `length` bytes moved.
    virtual bool BulkRead(int length, std::uint8_t* buffer) = 0;
    virtual bool BulkWrite(int length, const std::uint8_t* buffer) = 0;
    // False once the device is gone (unplugged, powered off).
    virtual bool IsPresent() const = 0;
};

} // namespace oxbow::usb
