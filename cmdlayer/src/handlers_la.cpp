// The logic analyzer (sent to the instrument) and the self-calibration enable.
#include "ox_handlers_math.h"

#include "handlers_kit.h"

namespace {

using namespace oxmsg::handlerkit;

constexpr const char* kThresholdText[] = {"TTL", "CMOS", "ECL", "USER"};
constexpr float kThresholdLevel[] = {1.4f, 2.5f, -1.3f};
constexpr int kDigitalLines = 16;

void SetDigitalLine(IOCmdContext& context, long line, const Arg& arg) {
    const auto d = Pick(context, line, kDigitalLines);
    if (!d) return;
    Setup().bLaChannel[*d] = arg.Byte() ? 1 : 0;
    Compose(context, Format("%s%d", ":DIGITAL", *d), "", ":TURN", OnOff(arg.Byte()));
}

void SetThresholdType(IOCmdContext& context, const Arg& arg) {
    const auto type = Pick(context, arg.Int(), std::size(kThresholdText));
    if (!type) return;
    _OX_SETUP& s = Setup();
    s.nLaThresholdType = *type;
    s.fLaThreshold = *type == oxcmd::code::kUserLevel ? s.fLaThresholdUser : kThresholdLevel[*type];
    Compose(context, ":LA", "", ":THRESHOLD", TextAt(kThresholdText, *type));
}

void SetUserThreshold(IOCmdContext& context, const Arg& arg, bool send) {
    _OX_SETUP& s = Setup();
    s.fLaThresholdUser = ValidateLaUserThresholdLevel(arg.Float());
    s.fLaThreshold = s.fLaThresholdUser;
    Compose(context, ":LA", "", ":THRESHOLD", Format("%f", s.fLaThresholdUser));
    context.send = send;
}

void SetGroup(IOCmdContext& context, std::uint8_t& field, const char* leaf, const Arg& arg) {
    field = arg.Byte() ? 1 : 0;
    Compose(context, ":LA", "", leaf, OnOff(arg.Byte()));
}

} // namespace

void oxmsg::handlerkit::LaHandler(IOCmdContext& context, unsigned int subCmd, long value,
                                  std::uint32_t argLow, std::uint32_t argHigh) {
    _OX_SETUP& s = Setup();
    if (s.nTrigMode == oxcmd::code::kAlternate) return Refuse(context, kNotAtAlternate);
    if (s.nTimeFormat == oxcmd::code::kXY) return Refuse(context, kNotAtXY);
    const Arg arg{argLow, argHigh};
    switch (subCmd) {
    case oxcmd::logic::kEnable:
        s.bLaEnable = arg.Byte() ? 1 : 0;
        Compose(context, ":LA", "", ":DISPLAY", OnOff(arg.Byte()));
        ScreenLayoutChanged();
        break;
    case oxcmd::logic::kLine:
        SetDigitalLine(context, value, arg);
        break;
    case oxcmd::logic::kGroup1:
        SetGroup(context, s.bLaGroup1, ":GROUP1", arg);
        break;
    case oxcmd::logic::kGroup2:
        SetGroup(context, s.bLaGroup2, ":GROUP2", arg);
        break;
    case oxcmd::logic::kThresholdType:
        SetThresholdType(context, arg);
        break;
    case oxcmd::logic::kUserThreshold:
        SetUserThreshold(context, arg, true);
        break;
    case oxcmd::logic::kUserThresholdStored:
        SetUserThreshold(context, arg, false);
        break;
    default:
        context.send = false;
        return;
    }
    Region().bRedrawLa = 1;
}

void oxmsg::handlerkit::SelfCalHandler(IOCmdContext& context, unsigned int, long,
                                       std::uint32_t argLow, std::uint32_t) {
    const std::uint8_t enable = argLow & 0xFF;
    Setup().bSelfCalEnable = enable;
    Compose(context, ":SELFCAL", "", ":ENABLE", OnOff(enable == 1));
}
