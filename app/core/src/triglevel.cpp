// Which command sets the trigger level under each trigger type.
#include "oxtriglevel.h"

namespace oxact {
namespace {

namespace trigger = oxcmd::trigger;
using namespace oxcmd::code;

// A source selector names a channel only as 0 (CH1) or 1 (CH2).
int ChannelOf(std::int32_t source) {
    return source == 0 || source == 1 ? source : -1;
}

TrigLevelTarget Level(oxcmd::Sub sub, float level, std::int32_t source) {
    return {oxcmd::group::kTrigger, sub, 0, level, ChannelOf(source), false};
}

TrigLevelTarget AlternateLevel(const _OX_SETUP& s, int c) {
    TrigLevelTarget target;
    switch (s.nAltType[c]) {
    case kPulse:
        target = Level(trigger::kAltPulseLevel, s.fAltPulseLevel[c], c);
        break;
    case kSlope:
        target = Level(trigger::kAltSlopeLevelA, s.fAltSlopeLevelA[c], c);
        break;
    case kVideo:
        target = Level(trigger::kAltVideoLevel, s.fAltVideoLevel[c], c);
        break;
    default:
        target = Level(trigger::kAltEdgeLevel, s.fAltEdgeLevel[c], c);
        break;
    }
    target.value = c;
    return target;
}

} // namespace

TrigLevelTarget TrigLevelOf(const _OX_SETUP& s, int altChannel) {
    switch (s.nTrigMode) {
    case kPulse:
        return Level(trigger::kPulseLevel, s.fPulseLevel, s.nPulseSource);
    case kSlope:
        return Level(trigger::kSlopeLevelA, s.fSlopeLevelA, s.nSlopeSource);
    case kVideo:
        return Level(trigger::kVideoLevel, s.fVideoLevel, s.nVideoSource);
    case kAlternate:
        return AlternateLevel(s, altChannel == 1 ? 1 : 0);
    case kPattern:
    case kDuration:
        return {
            oxcmd::group::kLogic, oxcmd::logic::kUserThreshold, 0, s.fLaThresholdUser, -1, true};
    default:
        return Level(trigger::kEdgeLevel, s.fEdgeLevel, s.nEdgeSource);
    }
}

} // namespace oxact
