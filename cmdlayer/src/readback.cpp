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

bool IsChannel(long c) { return c == 0 || c == 1; }

// Probe ratio of a trigger source: CH1 and CH2 carry theirs, other sources 1.
float SourceProbe(const _OX_SETUP& setup, int source)
{
    return IsChannel(source) ? setup.fChanProbe[source] : 1.0f;
}

double Seconds(std::int64_t ps) { return static_cast<double>(ps) * kSecondsPerPs; }

// Holdoff, sensitivity and coupling of a channel's alternate trigger exist once per
// trigger type in the block; the copy of the channel's current type is the one.
struct AltTypeCopies {
    oxrec::BlockField<float> holdoff;
    oxrec::BlockField<float> sensitivity;
    oxrec::BlockField<int32_t> coupling;
};

AltTypeCopies AltCopies(int type, int c)
{
    switch (type) {
    case 1: return {alt::fAltPulseHoldoff[c], alt::fAltPulseSensitivity[c], alt::nAltCoupling[c]};
    case 2: return {alt::fAltSlopeHoldoff[c], alt::fAltSlopeSensitivity[c], alt::nAltCoupling[c]};
    case 3: return {alt::fAltVideoHoldoff[c], alt::fAltVideoSensitivity[c], alt::nAltVideoCoupling[c]};
    default: return {alt::fAltEdgeHoldoff[c], alt::fAltEdgeSensitivity[c], alt::nAltEdgeCoupling[c]};
    }
}

bool ReconcileTrigger(const DSO_SETUP& b, const _OX_LA_SETUP& l, _OX_SETUP& s, unsigned int sub)
{
    switch (sub) {
    case 1825: s.nTrigMode = b.get(dso::nTrigMode); return true;
    case 1827: s.nTrigSweep = b.get(dso::nTrigSweep); return true;
    case 1829: s.fTrigSensitivity = b.get(dso::fTrigSensitivity); return true;
    case 1865: s.fEdgeLevel = b.get(dso::fEdgeLevel) * SourceProbe(s, s.nEdgeSource); return true;
    case 1885: s.fPulseLevel = b.get(dso::fPulseLevel) * SourceProbe(s, s.nPulseSource); return true;
    case 1895: s.dPulseWidth = b.get(dso::fPulseWidth); return true;
    case 1915: s.fVideoLevel = b.get(dso::fVideoLevel) * SourceProbe(s, s.nVideoSource); return true;
    case 1945: s.fSlopeLevelA = b.get(dso::fSlopeLevelA) * SourceProbe(s, s.nSlopeSource); return true;
    case 1955: s.fSlopeLevelB = b.get(dso::fSlopeLevelB) * SourceProbe(s, s.nSlopeSource); return true;
    case 1965: s.dSlopeTime = b.get(dso::fSlopeTime); return true;
    case 1995: s.dDurationTime = l.get(la::dDurationTime); return true;
    default: return false;
    }
}

bool ReconcileTimebase(const DSO_SETUP& b, _OX_SETUP& s, unsigned int sub)
{
    switch (sub) {
    case 1635:
        s.llTimeOffsetPs = b.get(dso::llTimeOffsetPs);
        s.dTimeOffset = Seconds(s.llTimeOffsetPs);
        return true;
    case 1645:
        s.llTimeScalePs = b.get(dso::llTimeScalePs);
        s.dTimeScale = Seconds(s.llTimeScalePs);
        return true;
    case 1655:
        s.llDelayedOffsetPs = b.get(dso::llDelayedOffsetPs);
        s.dDelayedOffset = Seconds(s.llDelayedOffsetPs);
        return true;
    case 1665:
        s.llDelayedScalePs = b.get(dso::llDelayedScalePs);
        s.dDelayedScale = Seconds(s.llDelayedScalePs);
        return true;
    default: return false;
    }
}

bool ReconcileAcquire(const DSO_SETUP& b, _OX_SETUP& s, unsigned int sub)
{
    switch (sub) {
    case 1725: s.nAcqType = b.get(dso::nAcqType); return true;
    case 1735: s.bAcqRealTime = b.get(dso::nAcqEquivalent) == 0 ? 1 : 0; return true;
    case 1745: s.nAcqAverages = oxmsg::AveragesFromBlock(b.get(dso::nAcqAveragesBits)); return true;
    case 1755:
        s.nAcqMemory = b.get(dso::nAcqMemory);
        s.bAcqLongMemory = b.get(dso::nAcqLongMemory) != 0 ? 1 : 0;
        return true;
    default: return false;
    }
}

bool IsChannelSub(unsigned int sub) { return sub >= 1125 && sub <= 1147; }
bool IsAltSub(unsigned int sub) { return sub >= 2006 && sub <= 2145; }

bool ReconcileChannel(const DSO_SETUP& b, _OX_SETUP& s, unsigned int sub, int c)
{
    switch (sub) {
    case 1125: s.fChanScale[c] = b.get(dso::fChanScale[c]); return true;
    case 1135: s.fChanOffset[c] = b.get(dso::fChanOffset[c]); return true;
    case 1145: s.nChanCoupling[c] = b.get(dso::nChanCoupling[c]); return true;
    case 1146: s.bChanBwLimit[c] = b.get(dso::bChanBwLimit[c]); return true;
    case 1147: s.fChanProbe[c] = b.get(dso::fChanProbe[c]); return true;
    default: return false;
    }
}

bool ReconcileAltCommon(const DSO_ALT_SETUP& a, _OX_SETUP& s, unsigned int sub, int c)
{
    const AltTypeCopies copies = AltCopies(s.nAltType[c], c);
    switch (sub) {
    case 2006: s.nAltType[c] = a.get(alt::nAltType[c]); return true;
    case 2009: s.fAltSensitivity[c] = a.get(copies.sensitivity); return true;
    case 2010: s.dAltHoldoff[c] = a.get(copies.holdoff); return true;
    case 2011: s.nAltCoupling[c] = a.get(copies.coupling); return true;
    case 2015:
        s.llAltTimeScalePs[c] = a.get(alt::llAltTimeScalePs[c]);
        s.dAltTimeScale[c] = Seconds(s.llAltTimeScalePs[c]);
        return true;
    case 2025:
        s.llAltTimeOffsetPs[c] = a.get(alt::llAltTimeOffsetPs[c]);
        s.dAltTimeOffset[c] = Seconds(s.llAltTimeOffsetPs[c]);
        return true;
    default: return false;
    }
}

bool ReconcileAltTypes(const DSO_ALT_SETUP& a, _OX_SETUP& s, unsigned int sub, int c)
{
    const float probe = s.fChanProbe[c];
    switch (sub) {
    case 2035: s.nAltEdgeSlope[c] = a.get(alt::nAltEdgeSlope[c]); return true;
    case 2045: s.fAltEdgeLevel[c] = a.get(alt::fAltEdgeLevel[c]) * probe; return true;
    case 2055: s.nAltPulseMode[c] = a.get(alt::nAltPulseMode[c]); return true;
    case 2065: s.fAltPulseLevel[c] = a.get(alt::fAltPulseLevel[c]) * probe; return true;
    case 2075: s.dAltPulseWidth[c] = a.get(alt::fAltPulseWidth[c]); return true;
    case 2085: s.nAltSlopeMode[c] = a.get(alt::nAltSlopeMode[c]); return true;
    case 2095: s.dAltSlopeTime[c] = a.get(alt::fAltSlopeTime[c]); return true;
    case 2105: s.fAltSlopeLevelA[c] = a.get(alt::fAltSlopeLevelA[c]) * probe; return true;
    case 2115: s.fAltSlopeLevelB[c] = a.get(alt::fAltSlopeLevelB[c]) * probe; return true;
    case 2125: s.nAltVideoPolarity[c] = a.get(alt::nAltVideoPolarity[c]); return true;
    case 2126: s.nAltVideoStandard[c] = a.get(alt::nAltVideoStandard[c]); return true;
    case 2127: s.nAltVideoMode[c] = a.get(alt::nAltVideoMode[c]); return true;
    case 2135: s.nAltVideoLine[c] = a.get(alt::nAltVideoLine[c]); return true;
    case 2145: s.fAltVideoLevel[c] = a.get(alt::fAltVideoLevel[c]) * probe; return true;
    default: return false;
    }
}

} // namespace

bool ReconcileFromBlocks(const DSO_SETUP& dso, const _OX_LA_SETUP& la, const DSO_ALT_SETUP& alt,
                         _OX_SETUP& setup, unsigned int subCmd, long channel)
{
    if (IsChannelSub(subCmd) || IsAltSub(subCmd)) {
        if (!IsChannel(channel))
            return false;
        const int c = static_cast<int>(channel);
        if (IsChannelSub(subCmd))
            return ReconcileChannel(dso, setup, subCmd, c);
        return ReconcileAltCommon(alt, setup, subCmd, c) || ReconcileAltTypes(alt, setup, subCmd, c);
    }
    return ReconcileTrigger(dso, la, setup, subCmd) || ReconcileTimebase(dso, setup, subCmd) ||
           ReconcileAcquire(dso, setup, subCmd);
}

void OxReconcileReadBack(unsigned int subCmd, long value)
{
    _OX_SETUP* setup = oxmsg::Records().setup;
    const IOCmdLink* link = CurrentIOCmdLink();
    if (setup == nullptr)
        return;
    ReconcileFromBlocks(link->FirmwareDso(), link->FirmwareLa(), link->FirmwareAlt(), *setup,
                        subCmd, value);
}
