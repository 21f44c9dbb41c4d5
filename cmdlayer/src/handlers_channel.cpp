// Channel group 3135: vertical settings of CH1 and CH2, and the active and
// shown-when-stopped traces.
#include "ox_handlers_vertical.h"

#include "handlers_vertical.h"

#include <array>
#include <cmath>
#include <cstring>

using namespace oxmsg::handlerkit;
namespace screen = oxmsg::vertical;

namespace {

constexpr int kChannels = 2;
constexpr int kFurtherTraces = 4;

// Unit texts by selector; selector 6 has none.
constexpr std::array<const char*, 8> kUnits = {"V", "A", "W", "dBV", "dBA", "dBW", nullptr, "U"};
constexpr std::array<const char*, 4> kFilterTypes = {"LOWPASS", "HIGHPASS", "BANDPASS",
                                                     "BANDREJECT"};

// While a record is taken or played back, only showing or hiding a channel is allowed.
bool RecordBusy() {
    return oxcmd::code::RecordBusy(Setup().nRecordState);
}

const char* Subsystem(int c) {
    return c == 0 ? ":CHANNEL1" : ":CHANNEL2";
}

std::uint8_t Flag(const Arg& arg) {
    return arg.Byte() ? 1 : 0;
}

void ComposeOnOff(IOCmdContext& context, int c, const char* node, const char* leaf, bool on) {
    Compose(context, Subsystem(c), node, leaf, OnOff(on));
}

void ComposeValue(IOCmdContext& context, int c, const char* node, const char* leaf, float value) {
    Compose(context, Subsystem(c), node, leaf, Format("%f", value));
}

// Scale and offset moved the channel's markers and the stored traces with them.
void VerticalMoved() {
    screen::ChannelMarkersMoved();
    SetRefreshWave(true);
    SettingChanged();
}

// The level of the current trigger type follows the probe: edge, pulse, both slope
// levels, video, and with the alternate trigger the level of channel c's own type.
void ScaleTriggerLevels(int c, float r) {
    _OX_SETUP& s = Setup();
    switch (s.nTrigMode) {
    case oxcmd::code::kEdge:
        s.fEdgeLevel *= r;
        break;
    case oxcmd::code::kPulse:
        s.fPulseLevel *= r;
        break;
    case oxcmd::code::kSlope:
        s.fSlopeLevelA *= r;
        s.fSlopeLevelB *= r;
        break;
    case oxcmd::code::kVideo:
        s.fVideoLevel *= r;
        break;
    case oxcmd::code::kAlternate:
        switch (s.nAltType[c]) {
        case oxcmd::code::kEdge:
            s.fAltEdgeLevel[c] *= r;
            break;
        case oxcmd::code::kPulse:
            s.fAltPulseLevel[c] *= r;
            break;
        case oxcmd::code::kSlope:
            s.fAltSlopeLevelA[c] *= r;
            s.fAltSlopeLevelB[c] *= r;
            break;
        case oxcmd::code::kVideo:
            s.fAltVideoLevel[c] *= r;
            break;
        default:
            break;
        }
        break;
    default:
        break; // pattern and duration have no level
    }
}

// A new probe ratio rescales scale, offset and trigger level by new / old, so the
// picture stays while the numbers follow the probe. A ratio that is not a positive
// number is refused; an old ratio that is not one gives nothing to rescale from.
void ChangeProbe(IOCmdContext& context, int c, float ratio) {
    if (!(ratio > 0.0f) || !std::isfinite(ratio)) {
        Refuse(context, kNotAvailable);
        return;
    }
    _OX_SETUP& s = Setup();
    const float old = s.fChanProbe[c];
    const float r = old > 0.0f && std::isfinite(old) ? ratio / old : 1.0f;
    s.fChanProbe[c] = ratio;
    s.fChanScale[c] *= r;
    s.fChanOffset[c] *= r;
    ScaleTriggerLevels(c, r);
    ComposeValue(context, c, "", ":PROBE", ratio);
    VerticalMoved();
}

void ChangeUnit(IOCmdContext& context, int c, int unit) {
    if (unit < 0 || unit >= static_cast<int>(kUnits.size()) || kUnits[unit] == nullptr) {
        Refuse(context, kNotAvailable);
        return;
    }
    _OX_SETUP& s = Setup();
    s.nChanUnit[c] = unit;
    std::memset(s.szChanUnit[c], 0, sizeof s.szChanUnit[c]);
    std::strncpy(s.szChanUnit[c], kUnits[unit], sizeof s.szChanUnit[c] - 1);
    Region().bRedrawLabels = 1;
    context.send = false; // shown only
}

void ChangeShown(IOCmdContext& context, int c, bool shown) {
    _OX_SETUP& s = Setup();
    s.bChanDisplay[c] = shown ? 1 : 0;
    s.bTrigSourceShown = IsTrigSourceShown() ? 1 : 0;
    ComposeOnOff(context, c, "", ":DISPLAY", shown);
    ScreenLayoutChanged();
    SetRefreshWave(true);
}

void ChangeFilterType(IOCmdContext& context, int c, long type) {
    const std::optional<int> picked = Pick(context, type, kFilterTypes.size());
    if (!picked) return;
    Setup().nChanFilterType[c] = *picked;
    Compose(context, Subsystem(c), ":FILTER", ":TYPE", TextAt(kFilterTypes, *picked));
    screen::CursorDivisionsRebuilt();
    SetRefreshWave(true);
}

void HandleChannel(IOCmdContext& context, unsigned int subCmd, int c, const Arg& arg) {
    _OX_SETUP& s = Setup();
    switch (subCmd) {
    case oxcmd::channel::kScale:
        if (RefusedOutside(context, OxDomain::VoltsPerDiv, arg.Float())) break;
        s.fChanScale[c] = ValidateCHScale(arg.Float(), s.fChanProbe[c]);
        ComposeValue(context, c, "", ":SCALE", s.fChanScale[c]);
        VerticalMoved();
        break;
    case oxcmd::channel::kOffset:
        s.fChanOffset[c] = ValidateCHOffset(s.fChanScale[c], arg.Float(), s.fChanProbe[c]);
        ComposeValue(context, c, "", ":OFFSET", s.fChanOffset[c]);
        VerticalMoved();
        break;
    case oxcmd::channel::kCoupling:
        s.nChanCoupling[c] = arg.Int();
        Compose(context, Subsystem(c), "", ":COUPLING",
                s.nChanCoupling[c] == oxcmd::code::kChanAC ? "AC" : "DC");
        break;
    case oxcmd::channel::kBwLimit:
        s.bChanBwLimit[c] = Flag(arg);
        ComposeOnOff(context, c, "", ":BWLIMIT", s.bChanBwLimit[c]);
        break;
    case oxcmd::channel::kProbe:
        ChangeProbe(context, c, arg.Float());
        break;
    case oxcmd::channel::kDisplay:
        ChangeShown(context, c, arg.Byte());
        break;
    case oxcmd::channel::kInvert:
        s.bChanInvert[c] = Flag(arg);
        ComposeOnOff(context, c, "", ":INVERT", s.bChanInvert[c]);
        SetRefreshWave(true);
        break;
    case oxcmd::channel::kUnit:
        ChangeUnit(context, c, arg.Int());
        break;
    case oxcmd::channel::kInput:
        s.nChanInput[c] = arg.Int();
        Compose(context, Subsystem(c), "", ":INPUT", s.nChanInput[c] == 1 ? "50OHM" : "1MOHM");
        break;
    case oxcmd::channel::kFilterOn:
        s.bChanFilter[c] = Flag(arg);
        ComposeOnOff(context, c, ":FILTER", ":DISPLAY", s.bChanFilter[c]);
        SetRefreshWave(true);
        break;
    case oxcmd::channel::kFilterUpper:
        s.fChanFilterUpper[c] = ValidateFilterLimit(arg.Float());
        ComposeValue(context, c, ":FILTER", ":UPLIMIT", s.fChanFilterUpper[c]);
        break;
    case oxcmd::channel::kFilterLower:
        s.fChanFilterLower[c] = ValidateFilterLimit(arg.Float());
        ComposeValue(context, c, ":FILTER", ":DOWNLIMIT", s.fChanFilterLower[c]);
        break;
    case oxcmd::channel::kFilterType:
        ChangeFilterType(context, c, arg.Int());
        break;
    default:
        context.send = false;
        break;
    }
}

} // namespace

namespace oxmsg::vertical {

void ChannelHandler(IOCmdContext& context, unsigned int subCmd, long value, std::uint32_t argLow,
                    std::uint32_t argHigh) {
    const std::optional<int> c = Pick(context, value, kChannels);
    if (!c) return;
    if (RecordBusy() && subCmd != oxcmd::channel::kDisplay) {
        Refuse(context, kNotAvailable);
        return;
    }
    HandleChannel(context, subCmd, *c, Arg{argLow, argHigh});
}

} // namespace oxmsg::vertical

bool SetActiveChannel(int channel) {
    _OX_SETUP& s = Setup();
    const auto shown = [&s](int trace) {
        if (trace >= 0 && trace < kChannels) return s.bChanDisplay[trace] != 0;
        if (trace == oxcmd::code::kActiveLogic) return s.bLaEnable != 0;
        if (trace >= oxcmd::code::kFirstFurtherTrace &&
            trace < oxcmd::code::kFirstFurtherTrace + kFurtherTraces)
            return s.bTraceShown[trace - oxcmd::code::kFirstFurtherTrace] != 0;
        return false;
    };
    if (shown(channel)) {
        s.nActiveChannel = channel;
        return true;
    }
    for (int trace : {0, 1, 5, 6, 7, 8, oxcmd::code::kActiveLogic}) {
        if (shown(trace)) {
            s.nActiveChannel = trace;
            return true;
        }
    }
    s.nActiveChannel = oxcmd::code::kActiveNone;
    return false;
}

void SetChanEnabledStop(bool enabled) {
    _OX_SETUP& s = Setup();
    for (int c = 0; c < kChannels; ++c)
        s.bChanShownStop[c] = enabled ? s.bChanDisplay[c] : 0;
    for (int k = 0; k < kFurtherTraces; ++k)
        s.bTraceShownStop[k] = enabled ? s.bTraceShown[k] : 0;
    s.bLaShownStop = enabled ? s.bLaEnable : 0;
}
