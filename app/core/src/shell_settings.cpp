// The default setup and the settings file: the record's whole image, written at shutdown
// and read at start, of which only the restore table's ranges are taken over.
#include "oxshell.h"

#include "atomicfile.h"
#include "numerix.h"
#include "settingsstore.h"

#include <array>
#include <cstddef>
#include <cstring>

namespace oxacq {

namespace {

template <std::size_t N> void CopyText(char (&field)[N], const char* text) {
    std::memset(field, 0, N);
    std::strncpy(field, text, N - 1);
}

#define OX_FIELD(name)                                                                             \
    RecordRange {                                                                                  \
        offsetof(_OX_SETUP, name), sizeof(_OX_SETUP::name)                                         \
    }
#define OX_SPAN(from, to)                                                                          \
    RecordRange {                                                                                  \
        offsetof(_OX_SETUP, from), offsetof(_OX_SETUP, to) - offsetof(_OX_SETUP, from)             \
    }

const std::array<RecordRange, 13> kRestoreTable{{
    OX_FIELD(nActiveChannel),
    OX_FIELD(bTraceShown),
    OX_SPAN(nMathOperator, bTraceShownStop), // math traces: operator .. filter limits
    OX_SPAN(nFFTSource, szTraceUnit),        // FFT settings and zoom of the further traces
    OX_FIELD(bFFTSplitScreen),
    OX_SPAN(bChanFilter, bRefDisplay), // channel filters
    RecordRange{1192, 80},             // display state bytes before bLaShownStop
    RecordRange{1460, 8},
    RecordRange{6884, 20},
    OX_FIELD(bTrigSourceShown),
    RecordRange{7024, 1},
    OX_FIELD(nPatternBit),
    OX_FIELD(nDurationBit),
}};

#undef OX_FIELD
#undef OX_SPAN

struct LinkFields {
    std::int32_t nInterface;
    std::uint8_t bConnected;
    std::int32_t hUsbDevice;
    char szConnectAddress[18];
    std::int32_t nConnectPort;
};

LinkFields TakeLink(const _OX_SETUP& setup) {
    LinkFields link{setup.nInterface, setup.bConnected, setup.hUsbDevice, {}, setup.nConnectPort};
    std::memcpy(link.szConnectAddress, setup.szConnectAddress, sizeof link.szConnectAddress);
    return link;
}

void PutLink(const LinkFields& link, _OX_SETUP& setup) {
    setup.nInterface = link.nInterface;
    setup.bConnected = link.bConnected;
    setup.hUsbDevice = link.hUsbDevice;
    std::memcpy(setup.szConnectAddress, link.szConnectAddress, sizeof setup.szConnectAddress);
    setup.nConnectPort = link.nConnectPort;
}

void DefaultChannels(_OX_SETUP& s) {
    s.bChanDisplay[0] = 1;
    s.bChanDisplay[1] = 0;
    for (int c = 0; c < 2; ++c) {
        s.fChanScale[c] = s.fChanScaleRec[c] = 0.1f;
        s.fChanOffset[c] = s.fChanOffsetRec[c] = 0.0f;
        s.fChanProbe[c] = 1.0f;
        CopyText(s.szChanUnit[c], "V");
        s.fChanFilterUpper[c] = 0.495f;
        s.fChanFilterLower[c] = 0.005f;
    }
}

void DefaultTimebase(_OX_SETUP& s) {
    s.fMinTimeScale = 2e-9f;
    s.dTimeScale = s.dTimeScaleRec = 1e-6;
    s.dTimeOffset = s.dTimeOffsetRec = 0.0;
    s.dDelayedOffset = s.dDelayedOffsetRec = 0.0;
    s.dDelayedScale = s.dDelayedScaleRec = 5e-7;
    s.llTimeScalePs = s.llTimeScalePsRec = 1'000'000;
    s.llDelayedScalePs = s.llDelayedScalePsRec = 500'000;
}

void DefaultTrigger(_OX_SETUP& s) {
    s.nRunState = oxcmd::code::kStatusAuto;
    s.fTrigHoldoff = 1e-7f;
    s.fTrigSensitivity = 0.3f;
    s.dPulseWidth = 2e-8;
    s.dSlopeTime = 2e-8;
    s.dDurationTime = 2e-8;
    s.nVideoLine = 525;
}

void DefaultAcquisition(_OX_SETUP& s) {
    s.bAcqRealTime = 1;
    s.nAcqAverages = 256;
    s.nAcqMemory = s.nAcqMemoryRec = 2048;
    s.fSampleRate = s.fSampleRateMem = s.fSampleRateRec = 1e8f;
    s.fLaThreshold = 1.4f;
}

void DefaultDisplayAndTraces(_OX_SETUP& s) {
    s.nWaveIntensity = 100;
    s.nGridIntensity = 50;
    for (int i = 0; i < 4; ++i) {
        s.fMathScale[i] = 1.0f;
        s.nTraceZoomIndex[i] = 4;
        s.fTraceZoomFactor[i] = 7.0f;
        CopyText(s.szTraceUnit[i], "V");
    }
}

void DefaultLan(_OX_SETUP& s) {
    CopyText(s.szLanIp, "168.254.0.100");
    CopyText(s.szLanGateway, "168.254.0.1");
    CopyText(s.szLanNetmask, "255.255.0.0");
    CopyText(s.szLanMac, "");
    s.nLanMode = 0;
    s.bLanDhcp = 0;
    s.nLanPort = 19;
    CopyText(s.szConnectAddress, "168.254.0.100");
    s.nConnectPort = 19;
}

void InitTraceFilter(int slot, std::int32_t type, float upper, float lower) {
    switch (type) {
    case 0:
        Math_Filter_Init(0, 0.0f, upper, slot);
        break;
    case 1:
        Math_Filter_Init(1, lower, 1.0f, slot);
        break;
    case 2:
        Math_Filter_Init(2, lower, upper, slot);
        break;
    case 3:
        Math_Filter_Init(3, upper, lower, slot);
        break;
    default:
        break;
    }
}

} // namespace

void DefaultSetup(_OX_SETUP& setup, bool keepLink) {
    const LinkFields link = TakeLink(setup);
    std::memset(&setup, 0, sizeof setup);
    DefaultChannels(setup);
    DefaultTimebase(setup);
    DefaultTrigger(setup);
    DefaultAcquisition(setup);
    DefaultDisplayAndTraces(setup);
    DefaultLan(setup);
    if (keepLink) PutLink(link, setup);
}

std::filesystem::path SettingsPath() {
    return oxbow::UserConfigDirectory() / "Oxbow.ini";
}

bool WriteSettingsFile(const _OX_SETUP& setup, const std::filesystem::path& path) {
    std::error_code error;
    std::filesystem::create_directories(path.parent_path(), error);
    return oxbow::WriteFileAtomically(path, &setup, kSettingsBytes);
}

std::filesystem::path RefusedSettingsPath(const std::filesystem::path& settings) {
    std::filesystem::path kept = settings;
    kept += ".bad";
    return kept;
}

std::span<const RecordRange> RestoreTable() {
    return kRestoreTable;
}

void RestoreSettings(const _OX_SETUP& image, _OX_SETUP& setup) {
    const auto* from = reinterpret_cast<const unsigned char*>(&image);
    auto* to = reinterpret_cast<unsigned char*>(&setup);
    for (const RecordRange& range : kRestoreTable)
        std::memcpy(to + range.offset, from + range.offset, range.size);
}

void SetTraceUnits(_OX_SETUP& setup) {
    for (int i = 0; i < 4; ++i) {
        const char* unit = "V";
        if (setup.nMathOperator[i] == oxcmd::code::kFFT)
            unit = setup.nFFTUnit[i] == oxcmd::code::kdBVrms ? "dBVrms" : "Vrms";
        CopyText(setup.szTraceUnit[i], unit);
    }
}

void InitTraceFilters(const _OX_SETUP& setup) {
    for (int i = 0; i < 4; ++i) {
        if (setup.nMathOperator[i] == oxcmd::code::kFilter)
            InitTraceFilter(i, setup.nMathFilterType[i], setup.fMathFilterUpper[i],
                            setup.fMathFilterLower[i]);
    }
}

void DestroyTraceFilters(const _OX_SETUP& setup) {
    for (int i = 0; i < 4; ++i) {
        if (setup.nMathOperator[i] == oxcmd::code::kFilter) Math_Filter_Destroy(i);
    }
}

} // namespace oxacq
