// The alternate trigger: the edited channel and each channel's own trigger of type
// edge, pulse, slope or video.
#include "handlers_trigger_parts.h"

namespace oxmsg::trigger {
namespace {

using namespace oxmsg::handlerkit;

constexpr const char* kAlt = ":ALTERNATION";

std::string AltNode(const char* node) {
    return std::string(kAlt) + node;
}

void SendAlt(IOCmdContext& context, const char* node, const char* leaf,
             const std::string& argument) {
    Compose(context, kTrigger, AltNode(node), leaf, argument);
}

// The node of the channel's alternate type; refused when the record holds no known type.
std::optional<std::string> ChannelTypeNode(IOCmdContext& context, int channel) {
    const auto type = Pick(context, Setup().nAltType[channel], std::size(kAltTypeText));
    if (!type) return std::nullopt;
    return TextAt(kTypeNode, *type);
}

void SetAltSource(IOCmdContext& context, const Arg& arg) {
    const auto channel = Pick(context, arg.Int(), 2);
    if (!channel) return;
    Setup().nAltSource = *channel;
    TrigLevelMoved();
    Compose(context, kTrigger, kAlt, ":SOURCE", SourceText(*channel));
}

void SetAltChoice(IOCmdContext& context, const Arg& arg, std::int32_t& field,
                  std::span<const char* const> texts, const char* node, const char* leaf) {
    const auto choice = Pick(context, arg.Int(), texts.size());
    if (!choice) return;
    field = *choice;
    SendAlt(context, node, leaf, TextAt(texts, *choice));
}

// Sensitivity, holdoff and coupling are one value per channel, sent under the node of
// the channel's current type.
void SetAltShared(IOCmdContext& context, unsigned int subCmd, int c, const Arg& arg) {
    const auto node = ChannelTypeNode(context, c);
    if (!node) return;
    _OX_SETUP& s = Setup();
    const std::string typeNode = AltNode(node->c_str());
    if (subCmd == oxcmd::trigger::kAltSensitivity) {
        s.fAltSensitivity[c] = ValidateTrigSensitivity(arg.Float());
        Compose(context, kTrigger, typeNode, ":SENSITIVITY", Format("%f", s.fAltSensitivity[c]));
    } else if (subCmd == oxcmd::trigger::kAltHoldoff) {
        s.dAltHoldoff[c] = ValidateTrigHoldoff(arg.Float());
        Compose(context, kTrigger, typeNode, ":HOLDOFF", Format("%0.9f", double(s.dAltHoldoff[c])));
    } else {
        const auto coupling = Pick(context, arg.Int(), std::size(kCoupling));
        if (!coupling) return;
        s.nAltCoupling[c] = *coupling;
        Compose(context, kTrigger, typeNode, ":COUPLING", TextAt(kCoupling, *coupling));
    }
}

void SetAltLevel(IOCmdContext& context, float& field, int c, const Arg& arg, const char* node,
                 const char* leaf) {
    field = ValidLevel(arg.Float(), c);
    TrigLevelMoved();
    SettingChanged();
    SendAlt(context, node, leaf, Format("%f", field));
}

void SetAltTime(IOCmdContext& context, OxPacked<double>& field, double seconds, const char* format,
                const char* node, const char* leaf) {
    field = seconds;
    SendAlt(context, node, leaf, Format(format, seconds));
}

void SetAltVideoStandard(IOCmdContext& context, int c, const Arg& arg) {
    _OX_SETUP& s = Setup();
    SetAltChoice(context, arg, s.nAltVideoStandard[c], kStandard, ":VIDEO", ":STANDARD");
    if (context.send)
        s.nAltVideoLine[c] = static_cast<std::uint16_t>(
            ValidateTrigVideoLine(s.nAltVideoLine[c], s.nAltVideoStandard[c]));
}

void SetAltVideoLine(IOCmdContext& context, int c, const Arg& arg) {
    _OX_SETUP& s = Setup();
    s.nAltVideoLine[c] =
        static_cast<std::uint16_t>(ValidateTrigVideoLine(arg.Int(), s.nAltVideoStandard[c]));
    SendAlt(context, ":VIDEO", ":LINE", Format("%d", int{s.nAltVideoLine[c]}));
}

void HandleChannel(IOCmdContext& context, unsigned int subCmd, int c, const Arg& arg) {
    _OX_SETUP& s = Setup();
    switch (subCmd) {
    case oxcmd::trigger::kAltType:
        SetAltChoice(context, arg, s.nAltType[c], kAltTypeText, "", ":TYPE");
        break;
    case oxcmd::trigger::kAltSensitivity:
    case oxcmd::trigger::kAltHoldoff:
    case oxcmd::trigger::kAltCoupling:
        SetAltShared(context, subCmd, c, arg);
        break;
    case oxcmd::trigger::kAltEdgeSlope:
        SetAltChoice(context, arg, s.nAltEdgeSlope[c], kSlope, ":EDGE", ":SLOPE");
        break;
    case oxcmd::trigger::kAltEdgeLevel:
        SetAltLevel(context, s.fAltEdgeLevel[c], c, arg, ":EDGE", ":LEVEL");
        break;
    case oxcmd::trigger::kAltPulseCondition:
        SetAltChoice(context, arg, s.nAltPulseMode[c], kCondition, ":PULSE", ":MODE");
        break;
    case oxcmd::trigger::kAltPulseLevel:
        SetAltLevel(context, s.fAltPulseLevel[c], c, arg, ":PULSE", ":LEVEL");
        break;
    case oxcmd::trigger::kAltPulseWidth:
        SetAltTime(context, s.dAltPulseWidth[c], ValidateTrigPulseWidth(arg.Double()), "%0.9f",
                   ":PULSE", ":WIDTH");
        break;
    case oxcmd::trigger::kAltSlopeCondition:
        SetAltChoice(context, arg, s.nAltSlopeMode[c], kCondition, ":SLOPE", ":MODE");
        break;
    case oxcmd::trigger::kAltSlopeTime:
        SetAltTime(context, s.dAltSlopeTime[c], ValidateTrigSlopeTime(arg.Double()), "%0.8f",
                   ":SLOPE", ":TIME");
        break;
    case oxcmd::trigger::kAltSlopeLevelA:
        SetAltLevel(context, s.fAltSlopeLevelA[c], c, arg, ":SLOPE", ":LEVELA");
        break;
    case oxcmd::trigger::kAltSlopeLevelB:
        SetAltLevel(context, s.fAltSlopeLevelB[c], c, arg, ":SLOPE", ":LEVELB");
        break;
    case oxcmd::trigger::kAltVideoPolarity:
        SetAltChoice(context, arg, s.nAltVideoPolarity[c], kPolarity, ":VIDEO", ":POLARITY");
        break;
    case oxcmd::trigger::kAltVideoStandard:
        SetAltVideoStandard(context, c, arg);
        break;
    case oxcmd::trigger::kAltVideoMode:
        SetAltChoice(context, arg, s.nAltVideoMode[c], kVideoMode, ":VIDEO", ":MODE");
        break;
    case oxcmd::trigger::kAltVideoLine:
        SetAltVideoLine(context, c, arg);
        break;
    case oxcmd::trigger::kAltVideoLevel:
        SetAltLevel(context, s.fAltVideoLevel[c], c, arg, ":VIDEO", ":LEVEL");
        break;
    default:
        context.send = false;
        break;
    }
}

} // namespace

void HandleAlternate(IOCmdContext& context, unsigned int subCmd, long channel, const Arg& arg) {
    if (subCmd == oxcmd::trigger::kAltSource) {
        SetAltSource(context, arg);
        return;
    }
    const auto c = Pick(context, channel, 2);
    if (c) HandleChannel(context, subCmd, *c, arg);
}

} // namespace oxmsg::trigger
