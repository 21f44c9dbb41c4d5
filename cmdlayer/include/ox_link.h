// The instrument link: command texts, replies and the three setup blocks over USB (Oxbow_UI)
// or LAN (CWinSocket), chosen per call by `nInterface` of the shared setup record.
//
// Wire format of a command: the text and a carriage return; over LAN the terminating NUL goes
// too (n + 1 bytes on USB, n + 2 on the socket). Replies: LAN = 4-byte little-endian signed
// length and that many body bytes; USB = one length byte (at most 255) and the body.
//
// Every primitive runs on the caller's thread, holds no lock and must be called by one thread
// at a time (the program's lock sees to it). Buffers are the caller's; a primitive never reads
// or writes past `size` bytes of them.
#pragma once

#include "ox_records.h"

#include <cstdint>
#include <string>

class CWinSocket;

// Sends `command` (without its carriage return). Bytes written over USB (stopping at the first
// byte that fails), the socket's send result over LAN; -1 when `bConnected` is false.
int WriteCommand(const std::string& command);
// WriteCommand without the pause after a LAN send. The pause, CommandPauseMs(command) (0 over
// USB), is the caller's to keep before its own next command, outside any lock it holds.
int WriteCommandUnpaused(const std::string& command);
int CommandPauseMs(const std::string& command);
// Sends `query` and reads its reply body into `reply` (cut to `size` bytes). The count of body
// bytes placed in `reply`; 0 on a failure (nothing sent, no reply, link lost, time-out).
int ReadCommand(const std::string& query, void* reply, int size);
// LAN only: a setup-block query (":SETUP:DSO?" ...). Body bytes received, -1 when
// `bConnected` is false.
int ReadSetup(const std::string& query, void* block, int size);
// The identification reply to "*IDN?" / the FPGA version reply to ":INFO:FPGA?"; true when
// the reply had a body (trailing CR/LF removed).
bool ReadSerial(std::string& serial);
bool ReadFPGAVersion(std::string& version);
// Always 0; exchanges nothing with the instrument.
int ReadCmdOPC();
// The end of every I/O command: sends `command` (a second ":STOP" in roll or slow sweep) and,
// when `readBack` is set, refreshes the firmware setup copy. `reply` is reserved and not read.
void SendCommand(const std::string& command, void* reply, bool readBack);
// USB: reads (writes) the three blocks in the order DSO, LA, ALT and stops at the first block
// that fails; false then. LAN: does nothing and returns true.
bool OxReadFirmwareSetup(DSO_SETUP* dso, _OX_LA_SETUP* la, DSO_ALT_SETUP* alt);
bool OxWriteFirmwareSetup(DSO_SETUP* dso, _OX_LA_SETUP* la, DSO_ALT_SETUP* alt);

namespace oxmsg {

// The pointers the link works with: the shared setup record and the program's socket, neither
// owned. OxMsgInit passes on the pointers it was given; until then every primitive behaves as
// if not connected.
void SetLinkContext(_OX_SETUP* setup, CWinSocket* socket);

// Time as the link sees it: the waits after LAN sends and between receive polls, and the
// time-outs. The default is the real clock; tests install one that need not sleep.
class LinkClock {
public:
    virtual ~LinkClock() = default;
    virtual void Sleep(int milliseconds) = 0;
    virtual std::int64_t NowMs() = 0;
};
// nullptr restores the real clock. The clock is not owned.
void SetLinkClock(LinkClock* clock);

// Waits after a LAN send, and the LAN time-outs: the reply-length word must arrive within
// kLanReplyTimeoutMs of the send's wait (long enough for an instrument still busy with
// ":AUTO"); a body may pause at most kLanBodyIdleMs between pieces. A peer that closes the
// connection ends any wait at once, clears `bConnected` and fails the call.
constexpr int kLanWaitMs = 100;
constexpr int kLanStopWaitMs = 200;
constexpr int kLanAutoWaitMs = 10000;
constexpr int kLanPollMs = 10;
constexpr int kLanReplyTimeoutMs = 12000;
constexpr int kLanBodyIdleMs = 2000;

// The three blocks as last read whole from the instrument by SendCommand.
struct FirmwareSetup {
    DSO_SETUP dso;
    _OX_LA_SETUP la;
    DSO_ALT_SETUP alt;
};
const FirmwareSetup& FirmwareSetupCopy();
// True when the last read-back of SendCommand brought every block whole (and so replaced the
// copy). A failed or partial read-back leaves the copy as it was and this false; the
// dispatcher reconciles the setup record only after a whole read-back.
bool FirmwareSetupWhole();
// True when the copy was read whole and no command has been sent to the instrument since
// (queries and data requests change no setting): a block read now would bring the same bytes,
// so readers take the copy instead of asking again.
bool FirmwareSetupCurrent();

} // namespace oxmsg
