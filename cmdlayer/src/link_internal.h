// State and building blocks shared by the link sources.
#pragma once

#include "oxmsg.h"

#include <cstdint>
#include <string>
#include <vector>

namespace oxmsg::link {

struct LinkState {
    _OX_SETUP* setup = nullptr;
    CWinSocket* socket = nullptr;
    LinkClock* clock = nullptr; // nullptr: the real clock
    FirmwareSetup copy{};
    bool copyWhole = false;
    // Commands and block writes sent so far (queries and data requests change no setting and
    // do not count), and that count when the copy was last read whole: while the two are
    // equal the instrument has been told nothing since, and the copy is what a new block read
    // would bring.
    std::uint64_t commandsSent = 0;
    std::uint64_t copyReadAfter = ~std::uint64_t{0};
    std::vector<std::uint8_t> drain; // scratch of the LAN drain, allocated on first use
};

LinkState& State();
LinkClock& Clock();

bool Connected();
bool OverLan();
// Counts a command or block write about to go out (one that may change a setting).
void NoteCommandSent();
// The copy was just read whole from the instrument.
void NoteCopyCurrent();

// USB: the command bytes (text and CR) one by one; the count written before the first failure.
int UsbWriteText(const std::string& command);
// USB: query and one-length-byte reply into buffer[0..size).
int UsbQuery(const std::string& query, std::uint8_t* buffer, int size);
// USB setup blocks: numbered read request and bulk read / announce, bulk write and commit.
bool UsbReadBlock(int request, std::uint8_t* bytes, int size);
bool UsbWriteBlock(int commit, const std::uint8_t* bytes, int size);

// LAN: text, CR and NUL, then (with `pause`) the wait the command needs; the socket's send
// result.
int LanSend(const std::string& command, bool pause = true);
// LAN: how long the instrument needs after `command` before the next one.
int LanPauseAfterMs(const std::string& command);
// LAN: drain, send, length word and body into buffer[0..size).
int LanQuery(const std::string& query, std::uint8_t* buffer, int size);

} // namespace oxmsg::link
