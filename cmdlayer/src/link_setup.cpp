// SendCommand, the firmware setup copy, and the setup-block transfers.
#include "link_internal.h"

namespace oxmsg {
namespace link {
namespace {

// The USB request numbers of a block: the read request and the commit after a write.
struct BlockRequests {
    int read;
    int commit;
};
constexpr BlockRequests kDso{6, 14};
constexpr BlockRequests kLa{12, 15};
constexpr BlockRequests kAlt{13, 16};

template <class Block> bool UsbRead(BlockRequests requests, Block* block) {
    return block != nullptr &&
           UsbReadBlock(requests.read, block->bytes, static_cast<int>(Block::kSize));
}

template <class Block> bool UsbWrite(BlockRequests requests, const Block* block) {
    return block != nullptr &&
           UsbWriteBlock(requests.commit, block->bytes, static_cast<int>(Block::kSize));
}

// The block transfers exist on USB only; over LAN they do nothing and succeed.
template <class Transfer> bool OnUsbOnly(Transfer transfer) {
    if (State().setup == nullptr) return false;
    return OverLan() || transfer();
}

// A LAN block query; true when the whole block arrived. A failure of one block does not keep
// the others from being read.
template <class Block> bool LanRead(const std::string& query, Block& block) {
    return ReadSetup(query, block.bytes, static_cast<int>(Block::kSize)) ==
           static_cast<int>(Block::kSize);
}

bool ReadBlocks(FirmwareSetup& blocks) {
    if (OverLan()) {
        const bool dso = LanRead(":SETUP:DSO?", blocks.dso);
        const bool la = LanRead(":SETUP:LA?", blocks.la);
        const bool alt = LanRead(":SETUP:ALT?", blocks.alt);
        return dso && la && alt;
    }
    return UsbRead(kDso, &blocks.dso) && UsbRead(kLa, &blocks.la) && UsbRead(kAlt, &blocks.alt);
}

// The copy is replaced only by a read-back in which every block arrived whole.
void RefreshFirmwareSetup() {
    FirmwareSetup scratch = State().copy;
    State().copyWhole = ReadBlocks(scratch);
    if (!State().copyWhole) return;
    State().copy = scratch;
    NoteCopyCurrent();
}

// Roll and slow sweep need ":STOP" twice before the instrument stops.
bool NeedsSecondStop(const std::string& command) {
    const _OX_SETUP& setup = *State().setup;
    return command == ":STOP" &&
           (setup.bSlowSweep == 1 || setup.nTimeFormat == oxcmd::code::kRolling);
}

} // namespace
} // namespace link

const FirmwareSetup& FirmwareSetupCopy() {
    return link::State().copy;
}

bool FirmwareSetupWhole() {
    return link::State().copyWhole;
}

bool FirmwareSetupCurrent() {
    return link::State().copyReadAfter == link::State().commandsSent;
}

} // namespace oxmsg

using namespace oxmsg::link;

void SendCommand(const std::string& command, void* /*reply: reserved*/, bool readBack) {
    if (WriteCommand(command) == 0) return;
    if (State().setup == nullptr) return;
    if (NeedsSecondStop(command)) {
        ReadCmdOPC();
        WriteCommand(":STOP");
    }
    if (command != ":RUN") ReadCmdOPC();
    if (readBack) RefreshFirmwareSetup();
}

bool OxReadFirmwareSetup(DSO_SETUP* dso, _OX_LA_SETUP* la, DSO_ALT_SETUP* alt) {
    return OnUsbOnly([&] { return UsbRead(kDso, dso) && UsbRead(kLa, la) && UsbRead(kAlt, alt); });
}

bool OxWriteFirmwareSetup(DSO_SETUP* dso, _OX_LA_SETUP* la, DSO_ALT_SETUP* alt) {
    NoteCommandSent();
    return OnUsbOnly(
        [&] { return UsbWrite(kDso, dso) && UsbWrite(kLa, la) && UsbWrite(kAlt, alt); });
}
