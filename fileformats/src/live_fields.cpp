// The fields of the records that a loaded setup or waveform file never replaces.
#include "fileformats.h"
#include "ox_commands.h"

#include <array>
#include <cstring>

namespace oxfile {

namespace {

struct ByteRange {
    std::size_t offset;
    std::size_t size;
};

#define OX_FIELD(name)                                                                             \
    ByteRange {                                                                                    \
        offsetof(_OX_SETUP, name), sizeof(_OX_SETUP::name)                                         \
    }
#define OX_FIELDS_FROM_TO(first, last)                                                             \
    ByteRange {                                                                                    \
        offsetof(_OX_SETUP, first),                                                                \
            offsetof(_OX_SETUP, last) + sizeof(_OX_SETUP::last) - offsetof(_OX_SETUP, first)       \
    }

// Link, network settings of the instrument, model identity, run and record state, the
// pass/fail test and the reference slots (their masks and samples live outside the file),
// and the error text.
constexpr std::array kLiveFields{
    OX_FIELD(bRun),
    OX_FIELD(nInterface),
    OX_FIELD(bConnected),
    OX_FIELD(hUsbDevice),
    OX_FIELD(szConnectAddress),
    OX_FIELD(nConnectPort),
    OX_FIELD(szModelName),
    OX_FIELD(nModelClass),
    OX_FIELD(bLaInstalled),
    OX_FIELD(fMinTimeScale),
    OX_FIELD(nRunState),
    OX_FIELD(nRecordState),
    OX_FIELDS_FROM_TO(dwLanIp, byLanMac),
    OX_FIELDS_FROM_TO(nLanMode, szLanMac),
    OX_FIELDS_FROM_TO(bRefDisplay, nRefWord132),
    OX_FIELDS_FROM_TO(bPfEnable, bPfMaskReady),
    OX_FIELD(szSystemError),
};

#undef OX_FIELD
#undef OX_FIELDS_FROM_TO

// A model without the logic-analyzer module never shows it or triggers on its lines.
void WithoutAnalyzer(_OX_SETUP& setup) {
    setup.bLaEnable = 0;
    setup.bLaShownStop = 0;
    namespace code = oxcmd::code;
    if (setup.nTrigMode == code::kPattern || setup.nTrigMode == code::kDuration) {
        setup.nTrigMode = code::kEdge;
    }
    if (setup.nActiveChannel == code::kActiveLogic) {
        setup.nActiveChannel = 0; // CH1
    }
}

// The runtime flags at the start of the region record (surface lost, busy, error pending ...).
constexpr std::size_t kRegionFlagBytes = offsetof(_OX_RGN_SETUP, reserved_33);

} // namespace

void KeepLiveFields(const _OX_SETUP& live, _OX_SETUP& loaded) {
    const auto* from = reinterpret_cast<const unsigned char*>(&live);
    auto* to = reinterpret_cast<unsigned char*>(&loaded);
    for (const ByteRange& range : kLiveFields) {
        std::memcpy(to + range.offset, from + range.offset, range.size);
    }
    if (!live.bLaInstalled) {
        WithoutAnalyzer(loaded);
    }
}

void KeepLiveFlags(const _OX_RGN_SETUP& live, _OX_RGN_SETUP& loaded) {
    std::memcpy(&loaded, &live, kRegionFlagBytes);
    loaded.bRedrawAll = 1;
    loaded.bEraseRequest = 1;
    loaded.bRedrawSection = 1;
    loaded.bRedrawWave = 1;
}

} // namespace oxfile
