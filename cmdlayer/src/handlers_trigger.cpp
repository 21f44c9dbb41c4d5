// The trigger handler: types, sweep, coupling, sensitivity, holdoff, the edge,
// pulse, video, slope, pattern and duration settings.
#include "ox_handlers_trigger.h"

#include "handlers_kit.h"
#include "handlers_trigger_parts.h"
#include "oxmsg_state.h"

#include <cstdio>
#include <cstring>

namespace {

using namespace oxmsg::handlerkit;
using namespace oxmsg::trigger;

// Scale and offset a trigger level of this source is limited by.
struct LevelFrame {
    float scale;
    float offset;
};

LevelFrame LevelFrameOf(int source) {
    const _OX_SETUP& s = Setup();
    switch (source) {
    case 0:
    case 1:
        return {s.fChanScale[source], s.fChanOffset[source]};
    case 2:
        return {0.2f, 0.0f};
    case 3:
        return {1.0f, 0.0f};
    default:
        return {0.0f, 0.0f};
    }
}

// The node of the current type, or a refusal when the record holds no known type.
std::optional<std::string> CurrentNode(IOCmdContext& context) {
    const auto type = Pick(context, Setup().nTrigMode, std::size(kTypeNode));
    if (!type) return std::nullopt;
    return TextAt(kTypeNode, *type);
}

void SendOnNode(IOCmdContext& context, const std::string& node, const std::string& leaf,
                const std::string& argument) {
    Compose(context, kTrigger, node, leaf, argument);
}

void SetType(IOCmdContext& context, const Arg& arg) {
    const auto type = Pick(context, arg.Int(), std::size(kTypeText));
    if (!type) return;
    _OX_SETUP& s = Setup();
    const bool alternateChanges =
        (s.nTrigMode == oxcmd::code::kAlternate) != (*type == oxcmd::code::kAlternate);
    s.nTrigMode = *type;
    if (*type == oxcmd::code::kAlternate) {
        s.bChanDisplay[0] = 1;
        s.bChanDisplay[1] = 1;
        s.bLaEnable = 0;
        s.bDelayed = 0;
        s.bFFTSplitScreen = GetFFTOperator() ? 0 : 1;
    }
    s.bTrigSourceShown = IsTrigSourceShown() ? 1 : 0;
    SettingChanged();
    ScreenLayoutChanged();
    if (alternateChanges ||
        s.nCursorMode != oxcmd::code::kCursorsOff) // the alternate trigger has windows of its own
        CursorsMoved();
    SendOnNode(context, "", ":MODE", TextAt(kTypeText, *type));
}

// A selector stored in `field` and sent as its text under the current type's node.
void SetOnCurrentNode(IOCmdContext& context, const Arg& arg, std::int32_t& field,
                      std::span<const char* const> texts, const char* leaf) {
    const auto node = CurrentNode(context);
    if (!node) return;
    const auto choice = Pick(context, arg.Int(), texts.size());
    if (!choice) return;
    field = *choice;
    SendOnNode(context, *node, leaf, TextAt(texts, *choice));
}

bool CouplingApplies(int type) {
    return type <= 2 || type == oxcmd::code::kAlternate;
}

void SetCoupling(IOCmdContext& context, const Arg& arg) {
    SetOnCurrentNode(context, arg, Setup().nTrigCoupling, kCoupling, ":COUPLING");
    if (!CouplingApplies(Setup().nTrigMode)) context.send = false;
}

void SetSensitivity(IOCmdContext& context, const Arg& arg) {
    const auto node = CurrentNode(context);
    if (!node) return;
    Setup().fTrigSensitivity = ValidateTrigSensitivity(arg.Float());
    SendOnNode(context, *node, ":SENSITIVITY", Format("%4.2f", Setup().fTrigSensitivity));
}

void SetHoldoff(IOCmdContext& context, const Arg& arg) {
    Setup().fTrigHoldoff = static_cast<float>(ValidateTrigHoldoff(arg.Float()));
    SendOnNode(context, "", ":HOLDOFF", Format("%0.9f", Setup().fTrigHoldoff));
}

// A selector of one type's own setting (slope, condition, polarity ...).
bool SetChoice(IOCmdContext& context, const Arg& arg, std::int32_t& field,
               std::span<const char* const> texts, const char* node, const char* leaf) {
    const auto choice = Pick(context, arg.Int(), texts.size());
    if (!choice) return false;
    field = *choice;
    SendOnNode(context, node, leaf, TextAt(texts, *choice));
    return true;
}

void SetSource(IOCmdContext& context, const Arg& arg, std::int32_t& field, const char* node) {
    const auto source = Pick(context, arg.Int(), kSourceCount);
    if (!source) return;
    field = *source;
    Setup().bTrigSourceShown = IsTrigSourceShown() ? 1 : 0;
    TrigLevelMoved();
    SendOnNode(context, node, ":SOURCE", SourceText(*source));
}

void SetLevel(IOCmdContext& context, const Arg& arg, float& field, int source, const char* node,
              const char* leaf) {
    field = ValidLevel(arg.Float(), source);
    TrigLevelMoved();
    SettingChanged();
    SendOnNode(context, node, leaf, Format("%f", field));
}

void SetTime(IOCmdContext& context, double& field, double seconds, const char* node,
             const char* leaf) {
    field = seconds;
    SendOnNode(context, node, leaf, Format("%0.9f", seconds));
}

void SetVideoStandard(IOCmdContext& context, const Arg& arg) {
    _OX_SETUP& s = Setup();
    if (SetChoice(context, arg, s.nVideoStandard, kStandard, ":VIDEO", ":STANDARD"))
        s.nVideoLine = ValidateTrigVideoLine(s.nVideoLine, s.nVideoStandard);
}

void SetVideoLine(IOCmdContext& context, const Arg& arg) {
    _OX_SETUP& s = Setup();
    s.nVideoLine = ValidateTrigVideoLine(arg.Int(), s.nVideoStandard);
    SendOnNode(context, ":VIDEO", ":LINE", Format("%d", s.nVideoLine));
}

// Pattern and duration bits: one bit (1975) or a group of eight (1976).
void SetPattern(IOCmdContext& context, unsigned int subCmd, long value, const Arg& arg) {
    const bool group = subCmd == oxcmd::trigger::kPatternGroup;
    const auto where = Pick(context, value, group ? 2 : 16);
    if (!where) return;
    const auto condition = Pick(context, arg.Int(), kBitConditionCount);
    if (!condition) return;
    _OX_SETUP& s = Setup();
    std::int32_t(&bits)[16] = s.nTrigMode == oxcmd::code::kPattern ? s.nPatternBit : s.nDurationBit;
    if (group) {
        for (int bit = *where * 8; bit < *where * 8 + 8; ++bit)
            bits[bit] = *condition;
    } else {
        if (IsEdgeCondition(*condition))
            for (std::int32_t& other : bits)
                if (IsEdgeCondition(other)) other = kIgnored;
        bits[*where] = *condition;
    }
    if (s.nTrigMode != oxcmd::code::kPattern && s.nTrigMode != oxcmd::code::kDuration) {
        context.send = false;
        return;
    }
    context.command = PatternCommand(s.nTrigMode, bits);
}

void HandleCommon(IOCmdContext& context, unsigned int subCmd, const Arg& arg) {
    _OX_SETUP& s = Setup();
    switch (subCmd) {
    case oxcmd::trigger::kType:
        SetType(context, arg);
        break;
    case oxcmd::trigger::kSweep:
        SetOnCurrentNode(context, arg, s.nTrigSweep, kSweep, ":SWEEP");
        break;
    case oxcmd::trigger::kCoupling:
        SetCoupling(context, arg);
        break;
    case oxcmd::trigger::kSensitivity:
        SetSensitivity(context, arg);
        break;
    case oxcmd::trigger::kHoldoff:
        SetHoldoff(context, arg);
        break;
    case oxcmd::trigger::kEdgeSlope:
        SetChoice(context, arg, s.nEdgeSlope, kSlope, ":EDGE", ":SLOPE");
        break;
    case oxcmd::trigger::kEdgeSource:
        SetSource(context, arg, s.nEdgeSource, ":EDGE");
        break;
    case oxcmd::trigger::kEdgeLevel:
        SetLevel(context, arg, s.fEdgeLevel, s.nEdgeSource, ":EDGE", ":LEVEL");
        break;
    case oxcmd::trigger::kPulseSource:
        SetSource(context, arg, s.nPulseSource, ":PULSE");
        break;
    case oxcmd::trigger::kPulseCondition:
        SetChoice(context, arg, s.nPulseMode, kCondition, ":PULSE", ":MODE");
        break;
    case oxcmd::trigger::kPulseLevel:
        SetLevel(context, arg, s.fPulseLevel, s.nPulseSource, ":PULSE", ":LEVEL");
        break;
    case oxcmd::trigger::kPulseWidth:
        SetTime(context, s.dPulseWidth, ValidateTrigPulseWidth(arg.Double()), ":PULSE", ":WIDTH");
        break;
    case oxcmd::trigger::kVideoSource:
        SetSource(context, arg, s.nVideoSource, ":VIDEO");
        break;
    case oxcmd::trigger::kVideoPolarity:
        SetChoice(context, arg, s.nVideoPolarity, kPolarity, ":VIDEO", ":POLARITY");
        break;
    case oxcmd::trigger::kVideoMode:
        SetChoice(context, arg, s.nVideoMode, kVideoMode, ":VIDEO", ":MODE");
        break;
    case oxcmd::trigger::kVideoStandard:
        SetVideoStandard(context, arg);
        break;
    case oxcmd::trigger::kVideoLevel:
        SetLevel(context, arg, s.fVideoLevel, s.nVideoSource, ":VIDEO", ":LEVEL");
        break;
    case oxcmd::trigger::kVideoLine:
        SetVideoLine(context, arg);
        break;
    case oxcmd::trigger::kSlopeSource:
        SetSource(context, arg, s.nSlopeSource, ":SLOPE");
        break;
    case oxcmd::trigger::kSlopeCondition:
        SetChoice(context, arg, s.nSlopeMode, kCondition, ":SLOPE", ":MODE");
        break;
    case oxcmd::trigger::kSlopeLevelA:
        SetLevel(context, arg, s.fSlopeLevelA, s.nSlopeSource, ":SLOPE", ":LEVELA");
        break;
    case oxcmd::trigger::kSlopeLevelB:
        SetLevel(context, arg, s.fSlopeLevelB, s.nSlopeSource, ":SLOPE", ":LEVELB");
        break;
    case oxcmd::trigger::kSlopeTime:
        SetTime(context, s.dSlopeTime, ValidateTrigSlopeTime(arg.Double()), ":SLOPE", ":TIME");
        break;
    case oxcmd::trigger::kDurationQualifier:
        SetChoice(context, arg, s.nDurationQualifier, kQualifier, ":DURATION", ":QUALIFIER");
        break;
    case oxcmd::trigger::kDurationTime:
        SetTime(context, s.dDurationTime, ValidateTrigDurationTime(arg.Double()), ":DURATION",
                ":TIME");
        break;
    default:
        context.send = false;
        break;
    }
}

} // namespace

float oxmsg::trigger::ValidLevel(float level, int source) {
    const LevelFrame frame = LevelFrameOf(source);
    return ValidateTrigLevel(level, frame.scale, frame.offset, source);
}

void OxTriggerHandler(IOCmdContext& context, unsigned int subCmd, long value, std::uint32_t argLow,
                      std::uint32_t argHigh) {
    const Arg arg{argLow, argHigh};
    if (subCmd == oxcmd::trigger::kPatternBit || subCmd == oxcmd::trigger::kPatternGroup)
        SetPattern(context, subCmd, value, arg);
    else if (subCmd >= oxcmd::trigger::kAltSource && subCmd <= oxcmd::trigger::kAltVideoLevel)
        oxmsg::trigger::HandleAlternate(context, subCmd, value, arg);
    else
        HandleCommon(context, subCmd, arg);
}

void OxInstallTriggerHandler() {
    OxSetIOCmdHandler(oxcmd::group::kTrigger, WhenRecordsSet(OxTriggerHandler));
}

int GetTrigSource() {
    const _OX_SETUP& s = SetupForRules();
    switch (s.nTrigMode) {
    case oxcmd::code::kPulse:
        return s.nPulseSource;
    case oxcmd::code::kSlope:
        return s.nSlopeSource;
    case oxcmd::code::kVideo:
        return s.nVideoSource;
    case oxcmd::code::kAlternate:
        return s.nAltSource;
    default:
        return s.nEdgeSource;
    }
}

void GetTrigChanUnit(std::string& unit) {
    const _OX_SETUP& s = SetupForRules();
    const int source = GetTrigSource();
    if (source == 0 || source == 1)
        unit.assign(s.szChanUnit[source],
                    strnlen(s.szChanUnit[source], sizeof s.szChanUnit[source]));
    else
        unit = "V";
}

bool IsTrigSourceShown() {
    const _OX_SETUP& s = SetupForRules();
    if (s.nTrigMode == oxcmd::code::kAlternate) return true;
    if (s.nTrigMode < oxcmd::code::kEdge || s.nTrigMode > oxcmd::code::kVideo) return false;
    const int source = GetTrigSource();
    return (source == 0 || source == 1) && s.bChanDisplay[source] != 0;
}

std::string PatternCommand(int type, const std::int32_t (&bits)[16]) {
    unsigned value = 0;
    unsigned mask = 0;
    int edgeBit = -1;
    for (int bit = 0; bit < 16; ++bit) {
        if (bits[bit] == kHigh) value |= 1u << bit;
        if (bits[bit] != kIgnored) mask |= 1u << bit;
        if (IsEdgeCondition(bits[bit])) edgeBit = bit;
    }
    const char* node = type == oxcmd::code::kPattern ? ":PATTERN" : ":DURATION";
    char text[96];
    std::snprintf(text, sizeof text, "%s%s%s%s%u,%u", kTrigger, node, ":PATTERN", " ", value, mask);
    std::string command = text;
    if (edgeBit >= 0) {
        std::snprintf(text, sizeof text, ",%d,%d", edgeBit, bits[edgeBit] == kRising ? 1 : 0);
        command += text;
    }
    return command;
}
