// Read-back reconciliation. Levels come back in volts at the input (divided by
// the probe ratio) and are multiplied by the probe ratio of their source channel;
// narrowed times come back as floats and are widened. Time scales and offsets are
// taken from their exact picosecond copies, so a scale that was on a limit stays on
// it instead of drifting by the float's rounding.
#include "readback.h"

#include "iocmd_link.h"
#include "ox_queue.h"
#include "oxmsg.h"

#include <cmath>

namespace {

namespace dso = oxrec::dso;
namespace la = oxrec::la;
namespace alt = oxrec::alt;

constexpr double kSecondsPerPs = 1e-12;

bool IsChannel(long c) {
    return c == 0 || c == 1;
}

// Probe ratio of a trigger source: CH1 and CH2 carry theirs, other sources 1.
float SourceProbe(const _OX_SETUP& setup, int source) {
    return IsChannel(source) ? setup.fChanProbe[source] : 1.0f;
}

double Seconds(std::int64_t ps) {
    return static_cast<double>(ps) * kSecondsPerPs;
}

// Holdoff, sensitivity and coupling of a channel's alternate trigger exist once per
// trigger type in the block; the copy of the channel's current type is the one.
struct AltTypeCopies {
    oxrec::BlockField<float> holdoff;
    oxrec::BlockField<float> sensitivity;
    oxrec::BlockField<int32_t> coupling;
};

AltTypeCopies AltCopies(int type, int c) {
    switch (type) {
    case 1:
        return {alt::fAltPulseHoldoff[c], alt::fAltPulseSensitivity[c], alt::nAltCoupling[c]};
    case 2:
        return {alt::fAltSlopeHoldoff[c], alt::fAltSlopeSensitivity[c], alt::nAltCoupling[c]};
    case 3:
        return {alt::fAltVideoHoldoff[c], alt::fAltVideoSensitivity[c], alt::nAltVideoCoupling[c]};
    default:
        return {alt::fAltEdgeHoldoff[c], alt::fAltEdgeSensitivity[c], alt::nAltEdgeCoupling[c]};
    }
}

bool ReconcileTrigger(const DSO_SETUP& b, const _OX_LA_SETUP& l, _OX_SETUP& s, unsigned int sub) {
    switch (sub) {
    case oxcmd::trigger::kType:
        s.nTrigMode = b.get(dso::nTrigMode);
        return true;
    case oxcmd::trigger::kSweep:
        s.nTrigSweep = b.get(dso::nTrigSweep);
        return true;
    case oxcmd::trigger::kSensitivity:
        s.fTrigSensitivity = b.get(dso::fTrigSensitivity);
        return true;
    case oxcmd::trigger::kEdgeLevel:
        s.fEdgeLevel = b.get(dso::fEdgeLevel) * SourceProbe(s, s.nEdgeSource);
        return true;
    case oxcmd::trigger::kPulseLevel:
        s.fPulseLevel = b.get(dso::fPulseLevel) * SourceProbe(s, s.nPulseSource);
        return true;
    case oxcmd::trigger::kPulseWidth:
        s.dPulseWidth = b.get(dso::fPulseWidth);
        return true;
    case oxcmd::trigger::kVideoLevel:
        s.fVideoLevel = b.get(dso::fVideoLevel) * SourceProbe(s, s.nVideoSource);
        return true;
    case oxcmd::trigger::kSlopeLevelA:
        s.fSlopeLevelA = b.get(dso::fSlopeLevelA) * SourceProbe(s, s.nSlopeSource);
        return true;
    case oxcmd::trigger::kSlopeLevelB:
        s.fSlopeLevelB = b.get(dso::fSlopeLevelB) * SourceProbe(s, s.nSlopeSource);
        return true;
    case oxcmd::trigger::kSlopeTime:
        s.dSlopeTime = b.get(dso::fSlopeTime);
        return true;
    case oxcmd::trigger::kDurationTime:
        s.dDurationTime = l.get(la::dDurationTime);
        return true;
    default:
        return false;
    }
}

bool ReconcileTimebase(const DSO_SETUP& b, _OX_SETUP& s, unsigned int sub) {
    switch (sub) {
    case oxcmd::timebase::kMainOffset:
        s.llTimeOffsetPs = b.get(dso::llTimeOffsetPs);
        s.dTimeOffset = Seconds(s.llTimeOffsetPs);
        return true;
    case oxcmd::timebase::kMainScale:
        s.llTimeScalePs = b.get(dso::llTimeScalePs);
        s.dTimeScale = Seconds(s.llTimeScalePs);
        return true;
    case oxcmd::timebase::kDelayedOffset:
        s.llDelayedOffsetPs = b.get(dso::llDelayedOffsetPs);
        s.dDelayedOffset = Seconds(s.llDelayedOffsetPs);
        return true;
    case oxcmd::timebase::kDelayedScale:
        s.llDelayedScalePs = b.get(dso::llDelayedScalePs);
        s.dDelayedScale = Seconds(s.llDelayedScalePs);
        return true;
    default:
        return false;
    }
}

bool ReconcileAcquire(const DSO_SETUP& b, _OX_SETUP& s, unsigned int sub) {
    switch (sub) {
    case oxcmd::acquire::kType:
        s.nAcqType = b.get(dso::nAcqType);
        return true;
    case oxcmd::acquire::kRealTime:
        s.bAcqRealTime = b.get(dso::nAcqEquivalent) == 0 ? 1 : 0;
        return true;
    case oxcmd::acquire::kAverages:
        s.nAcqAverages = oxmsg::AveragesFromBlock(b.get(dso::nAcqAveragesBits));
        return true;
    case oxcmd::acquire::kMemory:
        s.nAcqMemory = b.get(dso::nAcqMemory);
        s.bAcqLongMemory = b.get(dso::nAcqLongMemory) != 0 ? 1 : 0;
        return true;
    default:
        return false;
    }
}

bool IsChannelSub(unsigned int sub) {
    return sub >= oxcmd::channel::kScale && sub <= oxcmd::channel::kProbe;
}
bool IsAltSub(unsigned int sub) {
    return sub >= oxcmd::trigger::kAltType && sub <= oxcmd::trigger::kAltVideoLevel;
}

bool ReconcileChannel(const DSO_SETUP& b, _OX_SETUP& s, unsigned int sub, int c) {
    switch (sub) {
    case oxcmd::channel::kScale:
        s.fChanScale[c] = b.get(dso::fChanScale[c]);
        return true;
    case oxcmd::channel::kOffset:
        s.fChanOffset[c] = b.get(dso::fChanOffset[c]);
        return true;
    case oxcmd::channel::kCoupling:
        s.nChanCoupling[c] = b.get(dso::nChanCoupling[c]);
        return true;
    case oxcmd::channel::kBwLimit:
        s.bChanBwLimit[c] = b.get(dso::bChanBwLimit[c]);
        return true;
    case oxcmd::channel::kProbe:
        s.fChanProbe[c] = b.get(dso::fChanProbe[c]);
        return true;
    default:
        return false;
    }
}

bool ReconcileAltCommon(const DSO_ALT_SETUP& a, _OX_SETUP& s, unsigned int sub, int c) {
    const AltTypeCopies copies = AltCopies(s.nAltType[c], c);
    switch (sub) {
    case oxcmd::trigger::kAltType:
        s.nAltType[c] = a.get(alt::nAltType[c]);
        return true;
    case oxcmd::trigger::kAltSensitivity:
        s.fAltSensitivity[c] = a.get(copies.sensitivity);
        return true;
    case oxcmd::trigger::kAltHoldoff:
        s.dAltHoldoff[c] = a.get(copies.holdoff);
        return true;
    case oxcmd::trigger::kAltCoupling:
        s.nAltCoupling[c] = a.get(copies.coupling);
        return true;
    case oxcmd::timebase::kAltScale:
        s.llAltTimeScalePs[c] = a.get(alt::llAltTimeScalePs[c]);
        s.dAltTimeScale[c] = Seconds(s.llAltTimeScalePs[c]);
        return true;
    case oxcmd::timebase::kAltOffset:
        s.llAltTimeOffsetPs[c] = a.get(alt::llAltTimeOffsetPs[c]);
        s.dAltTimeOffset[c] = Seconds(s.llAltTimeOffsetPs[c]);
        return true;
    default:
        return false;
    }
}

bool ReconcileAltTypes(const DSO_ALT_SETUP& a, _OX_SETUP& s, unsigned int sub, int c) {
    const float probe = s.fChanProbe[c];
    switch (sub) {
    case oxcmd::trigger::kAltEdgeSlope:
        s.nAltEdgeSlope[c] = a.get(alt::nAltEdgeSlope[c]);
        return true;
    case oxcmd::trigger::kAltEdgeLevel:
        s.fAltEdgeLevel[c] = a.get(alt::fAltEdgeLevel[c]) * probe;
        return true;
    case oxcmd::trigger::kAltPulseCondition:
        s.nAltPulseMode[c] = a.get(alt::nAltPulseMode[c]);
        return true;
    case oxcmd::trigger::kAltPulseLevel:
        s.fAltPulseLevel[c] = a.get(alt::fAltPulseLevel[c]) * probe;
        return true;
    case oxcmd::trigger::kAltPulseWidth:
        s.dAltPulseWidth[c] = a.get(alt::fAltPulseWidth[c]);
        return true;
    case oxcmd::trigger::kAltSlopeCondition:
        s.nAltSlopeMode[c] = a.get(alt::nAltSlopeMode[c]);
        return true;
    case oxcmd::trigger::kAltSlopeTime:
        s.dAltSlopeTime[c] = a.get(alt::fAltSlopeTime[c]);
        return true;
    case oxcmd::trigger::kAltSlopeLevelA:
        s.fAltSlopeLevelA[c] = a.get(alt::fAltSlopeLevelA[c]) * probe;
        return true;
    case oxcmd::trigger::kAltSlopeLevelB:
        s.fAltSlopeLevelB[c] = a.get(alt::fAltSlopeLevelB[c]) * probe;
        return true;
    case oxcmd::trigger::kAltVideoPolarity:
        s.nAltVideoPolarity[c] = a.get(alt::nAltVideoPolarity[c]);
        return true;
    case oxcmd::trigger::kAltVideoStandard:
        s.nAltVideoStandard[c] = a.get(alt::nAltVideoStandard[c]);
        return true;
    case oxcmd::trigger::kAltVideoMode:
        s.nAltVideoMode[c] = a.get(alt::nAltVideoMode[c]);
        return true;
    case oxcmd::trigger::kAltVideoLine:
        s.nAltVideoLine[c] = a.get(alt::nAltVideoLine[c]);
        return true;
    case oxcmd::trigger::kAltVideoLevel:
        s.fAltVideoLevel[c] = a.get(alt::fAltVideoLevel[c]) * probe;
        return true;
    default:
        return false;
    }
}

} // namespace

bool ReconcileFromBlocks(const DSO_SETUP& dso, const _OX_LA_SETUP& la, const DSO_ALT_SETUP& alt,
                         _OX_SETUP& setup, unsigned int subCmd, long channel) {
    if (IsChannelSub(subCmd) || IsAltSub(subCmd)) {
        if (!IsChannel(channel)) return false;
        const int c = static_cast<int>(channel);
        if (IsChannelSub(subCmd)) return ReconcileChannel(dso, setup, subCmd, c);
        return ReconcileAltCommon(alt, setup, subCmd, c) ||
               ReconcileAltTypes(alt, setup, subCmd, c);
    }
    return ReconcileTrigger(dso, la, setup, subCmd) || ReconcileTimebase(dso, setup, subCmd) ||
           ReconcileAcquire(dso, setup, subCmd);
}

void OxReconcileReadBack(unsigned int subCmd, long value) {
    _OX_SETUP* setup = oxmsg::Records().setup;
    const IOCmdLink* link = CurrentIOCmdLink();
    if (setup == nullptr) return;
    ReconcileFromBlocks(link->FirmwareDso(), link->FirmwareLa(), link->FirmwareAlt(), *setup,
                        subCmd, value);
}
