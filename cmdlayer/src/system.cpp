// System start, whole-setup transfers, change tracking, the stored-record
// snapshot and the undo/redo slots.
#include "link_internal.h"
#include "oxmsg_state.h"

#include "oxcommon.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstring>

namespace oxmsg {
namespace {

std::atomic<UiTimerRequests*> g_timerRequests{nullptr};

// Marks the region record busy for the life of the object.
class BusyScope {
public:
    explicit BusyScope(_OX_RGN_SETUP* region) : m_region(region) { SetBusy(true); }
    ~BusyScope() { SetBusy(false); }
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;

private:
    void SetBusy(bool busy) {
        if (m_region != nullptr) std::atomic_ref<uint8_t>(m_region->bBusy).store(busy ? 1 : 0);
    }
    _OX_RGN_SETUP* m_region;
};

bool OverUsb(const _OX_SETUP& setup) {
    return setup.nInterface == oxcmd::code::kUsb;
}

template <class Block> bool ReadLanBlock(const char* query, Block& target) {
    Block scratch = target;
    if (ReadSetup(query, scratch.bytes, static_cast<int>(Block::kSize)) !=
        static_cast<int>(Block::kSize))
        return false;
    target = scratch;
    return true;
}

// Refreshes the firmware setup copy from the instrument. Over USB all three
// blocks must arrive (false and the copy unchanged otherwise); over LAN each
// block that arrives whole replaces its part of the copy.
bool ReadFirmwareCopy(const _OX_SETUP& setup) {
    FirmwareSetup& copy = link::State().copy;
    if (OverUsb(setup)) {
        FirmwareSetup scratch = copy;
        if (!OxReadFirmwareSetup(&scratch.dso, &scratch.la, &scratch.alt)) return false;
        copy = scratch;
        link::NoteCopyCurrent();
        return true;
    }
    const bool dso = ReadLanBlock(":SETUP:DSO?", copy.dso);
    const bool la = ReadLanBlock(":SETUP:LA?", copy.la);
    const bool alt = ReadLanBlock(":SETUP:ALT?", copy.alt);
    if (dso && la && alt) link::NoteCopyCurrent();
    return true;
}

// Writes the firmware setup copy into the instrument and lets it start with
// it. Only USB can take the blocks; over LAN nothing is written and so nothing
// is started.
bool WriteFirmwareCopyAndStart(const _OX_SETUP& setup) {
    if (!OverUsb(setup)) return true;
    FirmwareSetup& copy = link::State().copy;
    if (!OxWriteFirmwareSetup(&copy.dso, &copy.la, &copy.alt)) return false;
    SendCommand(":STARTUP", nullptr, false);
    return true;
}

bool AnyMathShown(const _OX_SETUP& s) {
    return std::any_of(std::begin(s.bTraceShown), std::end(s.bTraceShown),
                       [](uint8_t shown) { return shown != 0; });
}

bool AnyFFTShown(const _OX_SETUP& s) {
    for (int k = 0; k < 4; ++k) {
        if (s.bTraceShown[k] && s.nMathOperator[k] == oxcmd::code::kFFT) return true;
    }
    return false;
}

void SendDirect(const std::string& subsystem, const std::string& leaf,
                const std::string& argument) {
    SendCommand(StrConnect(subsystem, "", leaf, " ", argument), nullptr, false);
}

// The spectrum zoom of the further traces: 7 base divisions of 100 / (20 T) Hz.
void ResetTraceZoom(_OX_SETUP& s) {
    for (int k = 0; k < 4; ++k) {
        const int channel = s.nFFTSource[k] == 1 ? 1 : 0;
        const double T = s.nTrigMode == oxcmd::code::kAlternate ? double(s.dAltTimeScale[channel])
                                                                : s.dTimeScale;
        const double base = T > 0 ? 100 / (20 * T) : 0;
        s.nTraceZoomIndex[k] = 4;
        s.fTraceZoomFactor[k] = 7.0f;
        s.fTraceBaseFreq[k] = static_cast<float>(base);
        s.fTraceSpan[k] = static_cast<float>(7.0 * base);
    }
}

void FormatAddress(char (&field)[16], uint32_t address) {
    std::snprintf(field, sizeof field, "%u.%u.%u.%u", (address >> 24) & 0xFFu,
                  (address >> 16) & 0xFFu, (address >> 8) & 0xFFu, address & 0xFFu);
}

void FillUndoSlot(const _OX_SETUP& s, OX_UNDO_SLOT& slot) {
    for (int c = 0; c < 2; ++c) {
        slot.fChanScale[c] = s.fChanScale[c];
        slot.fChanOffset[c] = s.fChanOffset[c];
        slot.dAltTimeOffset[c] = s.dAltTimeOffset[c];
        slot.dAltTimeScale[c] = s.dAltTimeScale[c];
    }
    slot.dTimeScale = s.dTimeScale;
    slot.dTimeOffset = s.dTimeOffset;
    slot.dDelayedScale = s.dDelayedScale;
    slot.dDelayedOffset = s.dDelayedOffset;
}

void FillMarkerSlot(const _OX_SETUP& s, OX_UNDO_MARKERS& slot) {
    slot.fEdgeLevel = s.fEdgeLevel;
    slot.fPulseLevel = s.fPulseLevel;
    slot.fVideoLevel = s.fVideoLevel;
    slot.fSlopeLevelA = s.fSlopeLevelA;
    slot.fSlopeLevelB = s.fSlopeLevelB;
    std::copy_n(s.fAltEdgeLevel, 2, slot.fAltEdgeLevel);
    std::copy_n(s.fAltPulseLevel, 2, slot.fAltPulseLevel);
    std::copy_n(s.fAltVideoLevel, 2, slot.fAltVideoLevel);
    std::copy_n(s.fAltSlopeLevelA, 2, slot.fAltSlopeLevelA);
    std::copy_n(s.fAltSlopeLevelB, 2, slot.fAltSlopeLevelB);
    std::copy_n(s.fMathOffset, 4, slot.fMathOffset);
    std::copy_n(s.fFFTVrmsOffset, 4, slot.fFFTVrmsOffset);
    std::copy_n(s.fFFTdBVrmsOffset, 4, slot.fFFTdBVrmsOffset);
    std::copy_n(s.fRefOffset, 4, slot.fRefOffset);
}

} // namespace

void SetUiTimerRequests(UiTimerRequests* requests) {
    g_timerRequests.store(requests);
}

void CopyLanText(char* field, std::size_t size, const std::string& reply) {
    if (field == nullptr || size == 0) return;
    const std::size_t end = std::min(reply.find_first_of(std::string("\r\n\0", 3)), reply.size());
    const std::size_t length = std::min(end, size - 1);
    std::memcpy(field, reply.data(), length);
    field[length] = '\0';
}

void FormatLanSettings(const DSO_SETUP& dso, _OX_SETUP& setup) {
    namespace block = oxrec::dso;
    FormatAddress(setup.szLanIp, dso.get(block::dwLanIp));
    FormatAddress(setup.szLanNetmask, dso.get(block::dwLanNetmask));
    FormatAddress(setup.szLanGateway, dso.get(block::dwLanGateway));
    std::snprintf(setup.szLanMac, sizeof setup.szLanMac, "%s-%02X-%02X-%02X", kLanMacPrefix,
                  unsigned{dso.get(block::byLanMac[0])}, unsigned{dso.get(block::byLanMac[1])},
                  unsigned{dso.get(block::byLanMac[2])});
    setup.nLanPort = dso.get(block::nLanPort);
    setup.bLanDhcp = dso.get(block::bLanDhcp) != 0 ? 1 : 0;
}

} // namespace oxmsg

using namespace oxmsg;

bool OxInitSystem() {
    const SharedRecords& shared = Records();
    if (shared.setup == nullptr) return false;
    _OX_SETUP& s = *shared.setup;
    {
        BusyScope busy(shared.region);
        ReadCmdOPC();
        if (!ReadFirmwareCopy(s)) return false;
        FirmwareSetup& copy = link::State().copy;
        OxPushSetup(&copy.dso, &copy.la, &copy.alt);
        s.bDataValid = 0;
        s.bWaveHold = 0;
        if (s.nTrigMode == oxcmd::code::kAlternate) s.bFFTSplitScreen = 0;
        if (AnyMathShown(s)) {
            SendDirect(":CHANNEL1", ":DISPLAY", "ON");
            SendDirect(":CHANNEL2", ":DISPLAY", "ON");
        }
        if (AnyFFTShown(s)) {
            SendDirect(":TIMEBASE", ":MODE", "MAIN");
            s.bDelayed = 0;
        }
        ResetTraceZoom(s);
        if (s.nTimeFormat != oxcmd::code::kYT) {
            s.bTrigSourceShown = 0;
            if (shared.region != nullptr) shared.region->bTrigMarker = 0;
        }
        FormatLanSettings(copy.dso, s);
        if (shared.region != nullptr) shared.region->bRedrawAll = 1;
    }
    RebuildRgnSetup();
    return true;
}

bool OxInitHardware() {
    const SharedRecords& shared = Records();
    if (shared.setup == nullptr) return false;
    FirmwareSetup& copy = link::State().copy;
    OxPopSetup(&copy.dso, &copy.la, &copy.alt);
    if (!shared.setup->bConnected) return true;
    return WriteFirmwareCopyAndStart(*shared.setup);
}

bool OxSetFirmwareSetup() {
    const SharedRecords& shared = Records();
    if (shared.setup == nullptr) return false;
    BusyScope busy(shared.region);
    if (!ReadFirmwareCopy(*shared.setup)) return false;
    FirmwareSetup& copy = link::State().copy;
    OxPopSetup(&copy.dso, &copy.la, &copy.alt);
    return WriteFirmwareCopyAndStart(*shared.setup);
}

void SetChangeSetting() {
    const SharedRecords& shared = Records();
    if (shared.setup == nullptr) return;
    _OX_SETUP& s = *shared.setup;
    if (s.nRecordState == oxcmd::code::kPlaying || s.bSlowSweep) return;
    if (!s.bRun) {
        SetRefreshWave(true);
        return;
    }
    if (!s.bSettingChanged) {
        s.bSettingChanged = 1;
        CWnd::SendMessageTo(OxMainWindow(), oxcmd::group::kRunControl, oxcmd::run::kSettingChanged,
                            0);
    }
    if (shared.region != nullptr && shared.region->bClearRequest) WriteCommand(":CLEARUSB");
    if (UiTimerRequests* timers = g_timerRequests.load())
        timers->StartTimer(kChangeSettingTimer, kChangeSettingTimerMs);
    if (shared.region != nullptr) shared.region->bClearRequest = 0;
}

bool GetChangeSetting() {
    const _OX_SETUP* setup = Records().setup;
    return setup != nullptr && setup->bSettingChanged != 0;
}

void SaveChangeSetting() {
    _OX_SETUP* setup = Records().setup;
    if (setup == nullptr) return;
    _OX_SETUP& s = *setup;
    for (int c = 0; c < 2; ++c) {
        s.fChanScaleRec[c] = s.fChanScale[c];
        s.fChanOffsetRec[c] = s.fChanOffset[c];
        s.bChanInvertRec[c] = s.bChanInvert[c];
        s.dAltTimeScaleRec[c] = double(s.dAltTimeScale[c]);
        s.dAltTimeOffsetRec[c] = double(s.dAltTimeOffset[c]);
        s.llAltTimeScalePsRec[c] = int64_t(s.llAltTimeScalePs[c]);
        s.llAltTimeOffsetPsRec[c] = int64_t(s.llAltTimeOffsetPs[c]);
    }
    std::copy(std::begin(s.bTraceShown), std::end(s.bTraceShown), std::begin(s.bTraceShownStop));
    s.dTimeScaleRec = s.dTimeScale;
    s.dTimeOffsetRec = s.dTimeOffset;
    s.dDelayedOffsetRec = s.dDelayedOffset;
    s.dDelayedScaleRec = s.dDelayedScale;
    s.llTimeScalePsRec = s.llTimeScalePs;
    s.llTimeOffsetPsRec = s.llTimeOffsetPs;
    s.llDelayedOffsetPsRec = s.llDelayedOffsetPs;
    s.llDelayedScalePsRec = s.llDelayedScalePs;
    s.nAcqMemoryRec = s.nAcqMemory;
    s.fSampleRateRec = s.fSampleRate;
    s.bLaShownStop = s.bLaEnable;
}

void SaveUndoSetup() {
    _OX_SETUP* setup = Records().setup;
    if (setup == nullptr) return;
    setup->bUndoUsed = 0;
    FillUndoSlot(*setup, setup->stUndoSlot);
    FillMarkerSlot(*setup, setup->stUndoMarkers);
}

void SaveRedoSetup() {
    _OX_SETUP* setup = Records().setup;
    if (setup == nullptr) return;
    FillUndoSlot(*setup, setup->stRedoSlot);
    FillMarkerSlot(*setup, setup->stRedoMarkers);
}
