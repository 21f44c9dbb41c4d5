// Which command sets the trigger level under each trigger type.
#include "oxtriglevel.h"

namespace oxact {
namespace {

namespace trigger = oxcmd::cmd::trigger;
using namespace oxcmd::code;

// A source selector names a channel only as 0 (CH1) or 1 (CH2).
int ChannelOf(std::int32_t source) {
    return source == 0 || source == 1 ? source : -1;
}

TrigLevelTarget Threshold(const _OX_SETUP& s) {
    return {oxcmd::cmd::logic::kUserThreshold, 0, s.fLaThreshold, -1, true};
}

TrigLevelTarget Level(const _OX_SETUP& s, const oxcmd::Command<float>& command, float level,
                      std::int32_t source) {
    if (source >= kSourceFirstDigital) return Threshold(s);
    return {command, 0, level, ChannelOf(source), false};
}

TrigLevelTarget AlternateLevel(const _OX_SETUP& s, int c, bool low) {
    TrigLevelTarget target;
    switch (s.nAltType[c]) {
    case kPulse:
        target = Level(s, trigger::kAltPulseLevel, s.fAltPulseLevel[c], c);
        break;
    case kSlope:
        target = low ? Level(s, trigger::kAltSlopeLevelB, s.fAltSlopeLevelB[c], c)
                     : Level(s, trigger::kAltSlopeLevelA, s.fAltSlopeLevelA[c], c);
        break;
    case kVideo:
        target = Level(s, trigger::kAltVideoLevel, s.fAltVideoLevel[c], c);
        break;
    default:
        target = Level(s, trigger::kAltEdgeLevel, s.fAltEdgeLevel[c], c);
        break;
    }
    target.value = c;
    return target;
}

} // namespace

TrigLevelTarget TrigLevelOf(const _OX_SETUP& s, int altChannel, bool low) {
    switch (s.nTrigMode) {
    case kPulse:
        return Level(s, trigger::kPulseLevel, s.fPulseLevel, s.nPulseSource);
    case kSlope:
        return low ? Level(s, trigger::kSlopeLevelB, s.fSlopeLevelB, s.nSlopeSource)
                   : Level(s, trigger::kSlopeLevelA, s.fSlopeLevelA, s.nSlopeSource);
    case kVideo:
        return Level(s, trigger::kVideoLevel, s.fVideoLevel, s.nVideoSource);
    case kAlternate:
        return AlternateLevel(s, altChannel == 1 ? 1 : 0, low);
    case kPattern:
    case kDuration:
        return Threshold(s);
    default:
        return Level(s, trigger::kEdgeLevel, s.fEdgeLevel, s.nEdgeSource);
    }
}

} // namespace oxact
