// Oxbow_UI: the USB transport to the instrument.
//
// Seven operations with fixed argument orders and results. Every operation but the device count
// takes the device handle (`hUsbDevice` of the setup record: the device count minus one when two
// or more instruments are present, else 0) first. Behind them sits one of two back ends:
//   sim     forwards to the attached simulated instrument (an oxbow::usb::UsbEndpoint);
//   libusb  real instruments through libusb-1.0 (mapping in docs/usb-protocol.md).
// Bad arguments (negative counts, a missing buffer) fail without reaching either back end.
// Calls are serialised by the callers (the program's lock); the device count may come from
// another thread, and attaching or detaching the endpoint waits for a call in progress.
#pragma once

#include "usb_endpoint.h"

#include <cstdint>

// Phased reply read: phase 0 delivers the one-byte length, phase 1 the body.
// Nonzero when `count` bytes were delivered into `buffer`.
int UsbReadBytes(int hDevice, int nPhase, int nCount, std::uint8_t* pBuffer);
// One byte of a command text. Nonzero when the byte was written.
int UsbWriteByte(int hDevice, std::uint8_t byte);
// Vendor request without data (the last argument is reserved, always 0).
// Exactly 1 when the instrument accepted the request.
int UsbControlRequest(int hDevice, int nRequest, int nValue, int nIndex, int nReserved);
// Vendor request with a data stage of `nLength` bytes into `pBuffer`.
// Exactly 1 when `nLength` bytes were read.
int UsbControlRead(int hDevice, int nRequest, int nValue, int nIndex, int nLength,
                   std::uint8_t* pBuffer);
// Bulk transfers; nonzero when `nLength` bytes moved.
int UsbBulkRead(int hDevice, int nLength, std::uint8_t* pBuffer);
int UsbBulkWrite(int hDevice, int nLength, const std::uint8_t* pBuffer);
// Number of instruments on the bus; 0 when there is none.
int UsbDeviceCount();

namespace oxbow::usb {

enum class Backend { Sim, Libusb };

// Chooses the back end for every following call. Until this is called the environment
// decides (BackendFromEnvironment).
void SelectBackend(Backend backend);
Backend SelectedBackend();
// OXBOW_USB=sim chooses the simulator; anything else (or nothing) real instruments.
Backend BackendFromEnvironment();

// The simulated instrument behind the sim back end; nullptr detaches it. The endpoint is
// not owned and must stay alive until it is detached.
void AttachEndpoint(UsbEndpoint* endpoint);
void DetachEndpoint();

// The vendor and product id by which the libusb back end finds instruments. The default is
// Oxbow's development id; OXBOW_USB_ID="vvvv:pppp" (hexadecimal) overrides it at start.
struct UsbDeviceId {
    std::uint16_t vendor;
    std::uint16_t product;
};
constexpr UsbDeviceId kDefaultDeviceId{0x1209, 0x0DB0};
void SetDeviceId(UsbDeviceId id);
UsbDeviceId DeviceId();
// Parses "vvvv:pppp"; false (and `id` unchanged) for anything else.
bool ParseDeviceId(const char* text, UsbDeviceId& id);

} // namespace oxbow::usb
