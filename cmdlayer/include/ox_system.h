// System start, moving whole setups between the application and the
// instrument, the snapshot of the setup a stored record was taken with, change
// tracking, and the undo and redo slots.
#pragma once

#include "ox_records.h"

#include <cstddef>
#include <string>

// Reads the instrument's three setup blocks into the firmware setup copy and
// the shared setup record, then derives the display state. False (record
// unchanged) when a USB block read fails.
bool OxInitSystem();
// Writes the shared setup record into the instrument as its start setup. Over
// USB: the three blocks, then ":STARTUP"; false without ":STARTUP" when a block
// write fails. Over LAN no block can be written, so nothing is sent (true).
bool OxInitHardware();
// Reads the blocks, overlays the application's values and writes them back
// (USB), then ":STARTUP". False when a USB block read or write fails.
bool OxSetFirmwareSetup();

// Records that a setting changed (runs on the I/O thread).
void SetChangeSetting();
bool GetChangeSetting();
// Copies the current values into the snapshot of the stored record.
void SaveChangeSetting();
// Fill the undo / the redo slot from the current values.
void SaveUndoSetup();
void SaveRedoSetup();
// Whether undo (the undo slot was filled and not yet used) and redo (an undo was made and no
// new change since) have something to restore. Read on the I/O thread, published to the UI.
[[nodiscard]] bool UndoAvailable(const _OX_SETUP& setup);
[[nodiscard]] bool RedoAvailable(const _OX_SETUP& setup);

namespace oxmsg {

// The main-window timer that SetChangeSetting starts (500 ms).
inline constexpr int kChangeSettingTimer = 8;
inline constexpr int kChangeSettingTimerMs = 500;

// The I/O thread never starts a UI timer itself: it asks the main window to.
// The program installs a requester whose StartTimer only posts the request to
// the UI thread (a queued call) and returns at once; it is called on the I/O
// thread with no lock of the command layer held. With none installed the
// request is dropped.
class UiTimerRequests {
public:
    virtual ~UiTimerRequests() = default;
    virtual void StartTimer(int id, int milliseconds) = 0;
};
// Not owned; nullptr removes it. Install before the I/O thread starts.
void SetUiTimerRequests(UiTimerRequests* requests);

// The vendor prefix of the instrument's MAC address text; the instrument
// reports only the last three bytes.
inline constexpr const char* kLanMacPrefix = "02-4F-58";

// The LAN texts of the setup record from a DSO_SETUP block: addresses as
// "%u.%u.%u.%u" (most significant byte first), the MAC as six upper-case hex
// bytes joined by hyphens, the port and the DHCP flag.
void FormatLanSettings(const DSO_SETUP& dso, _OX_SETUP& setup);

// Copies an instrument reply into a fixed text field: cut at the first CR, LF
// or NUL, at most size - 1 characters, always terminated. A size of 0 writes
// nothing.
void CopyLanText(char* field, std::size_t size, const std::string& reply);

template <std::size_t N> void CopyLanText(char (&field)[N], const std::string& reply) {
    CopyLanText(field, N, reply);
}

} // namespace oxmsg
