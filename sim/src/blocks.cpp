// The three setup blocks: built from the instrument's settings, and taken over when the
// front panel writes them (then coerced like any command).
#include "sim_core.h"

#include "ox_records.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <limits>

namespace oxbow::sim::detail {

namespace {

namespace d = oxrec::dso;
namespace l = oxrec::la;
namespace a = oxrec::alt;

template <class T> T Bounded(T value, T low, T high) {
    return std::clamp(value, low, high);
}

double Finite(double value, double fallback) {
    return std::isfinite(value) ? value : fallback;
}

// An integer copy of a float field, held at the integer's limits: a written block may carry
// any recorded scale or offset.
template <class Int> Int Held(double value) {
    constexpr double low = std::numeric_limits<Int>::min();
    constexpr double high = std::numeric_limits<Int>::max();
    return static_cast<Int>(Bounded(Finite(value, 0.0), low, high));
}

// ---- DSO

void PackChannel(const ChannelState& c, int i, DSO_SETUP& b) {
    b.set(d::bChanDisplay[i], static_cast<std::uint8_t>(c.display));
    b.set(d::fChanScale[i], c.scale);
    b.set(d::nChanScaleUv[i], Held<std::int32_t>(c.scale / c.probe * 1e6));
    b.set(d::fChanOffset[i], c.offset);
    b.set(d::nChanOffsetDiv25[i], Held<std::int16_t>(c.offset / c.scale * 25.0));
    b.set(d::nChanCoupling[i], c.coupling);
    b.set(d::nChanInput[i], c.input);
    b.set(d::fChanProbe[i], c.probe);
    b.set(d::bChanBwLimit[i], static_cast<std::uint8_t>(c.bwLimit));
    b.set(d::bChanInvert[i], static_cast<std::uint8_t>(c.invert));
    b.set(d::nChanZero[i], 0u);
    b.set(d::bChanShownStop[i], static_cast<std::uint8_t>(c.shownStop));
    b.set(d::fChanScaleRec[i], c.scaleRec);
    b.set(d::nChanScaleRecUv[i], Held<std::int32_t>(c.scaleRec / c.probe * 1e6));
    b.set(d::fChanOffsetRec[i], c.offsetRec);
    b.set(d::nChanOffsetRecDiv25[i], Held<std::int16_t>(c.offsetRec / c.scale * 25.0));
    b.set(d::bChanInvertRec[i], static_cast<std::uint8_t>(c.invertRec));
}

// The front panel writes its probe as 1.0 and keeps the ratio in the two scale copies
// (V/div at the tip and µV/div at the input); the instrument takes it from there.
float ProbeOf(const DSO_SETUP& b, int i) {
    const float written = b.get(d::fChanProbe[i]);
    const double tip = b.get(d::fChanScale[i]);
    const double input = b.get(d::nChanScaleUv[i]) * 1e-6;
    if (input > 0.0 && tip > 0.0 && std::abs(tip / input - written) > 0.01 * written) {
        return static_cast<float>(tip / input);
    }
    return written;
}

void UnpackChannel(ChannelState& c, int i, const DSO_SETUP& b) {
    c.display = b.get(d::bChanDisplay[i]) != 0;
    c.probe = static_cast<float>(Bounded(Finite(ProbeOf(b, i), 1.0), 0.001, 10000.0));
    const double input = Finite(b.get(d::fChanScale[i]) / c.probe, 1.0);
    c.scale =
        static_cast<float>(std::clamp(Snap125(input > 0.0 ? input : 1.0), 0.002, 10.0) * c.probe);
    const double limit = ((c.scale / c.probe) > 0.2 ? 40.0 : 2.0) * c.probe;
    c.offset = static_cast<float>(Bounded(Finite(b.get(d::fChanOffset[i]), 0.0), -limit, limit));
    c.coupling = b.get(d::nChanCoupling[i]) == 1 ? 1 : 0;
    c.input = b.get(d::nChanInput[i]) == 1 ? 1 : 0;
    c.bwLimit = b.get(d::bChanBwLimit[i]) != 0;
    c.invert = b.get(d::bChanInvert[i]) != 0;
    c.shownStop = b.get(d::bChanShownStop[i]) != 0;
    c.scaleRec = static_cast<float>(Finite(b.get(d::fChanScaleRec[i]), c.scale));
    c.offsetRec = static_cast<float>(Finite(b.get(d::fChanOffsetRec[i]), c.offset));
    c.invertRec = b.get(d::bChanInvertRec[i]) != 0;
}

void PackTrigger(const TriggerState& t, DSO_SETUP& b) {
    b.set(d::nTrigMode, t.mode);
    b.set(d::nTrigCoupling, t.coupling);
    b.set(d::fTrigSensitivity, t.sensitivity);
    b.set(d::fTrigHoldoff, t.holdoff);
    b.set(d::nTrigSweep, t.sweep);
    b.set(d::nEdgeSlope, t.edgeSlope);
    b.set(d::nEdgeSource, t.edgeSource);
    b.set(d::fEdgeLevel, t.edgeLevel);
    b.set(d::nPulseMode, t.pulseMode);
    b.set(d::fPulseWidth, t.pulseWidth);
    b.set(d::nPulseSource, t.pulseSource);
    b.set(d::fPulseLevel, t.pulseLevel);
    b.set(d::nVideoPolarity, t.videoPolarity);
    b.set(d::nVideoSource, t.videoSource);
    b.set(d::nVideoMode, t.videoMode);
    b.set(d::nVideoStandard, t.videoStandard);
    b.set(d::nVideoLine, static_cast<std::uint16_t>(t.videoLine));
    b.set(d::fVideoLevel, t.videoLevel);
    b.set(d::nSlopeMode, t.slopeMode);
    b.set(d::fSlopeLevelA, t.slopeLevelA);
    b.set(d::fSlopeLevelB, t.slopeLevelB);
    b.set(d::fSlopeTime, t.slopeTime);
    b.set(d::nSlopeSource, t.slopeSource);
}

float Level(const DSO_SETUP& b, oxrec::BlockField<float> field) {
    return static_cast<float>(Bounded(Finite(b.get(field), 0.0), -1e4, 1e4));
}

float Seconds(float value, double low, double high) {
    return static_cast<float>(Bounded(Finite(value, low), low, high));
}

std::int32_t Choice(std::int32_t value, std::int32_t last) {
    return Bounded(value, 0, last);
}

void UnpackTrigger(TriggerState& t, const DSO_SETUP& b) {
    t.mode = Choice(b.get(d::nTrigMode), 6);
    t.coupling = Choice(b.get(d::nTrigCoupling), 3);
    t.sensitivity = Seconds(b.get(d::fTrigSensitivity), 0.1, 1.0);
    t.holdoff = Seconds(b.get(d::fTrigHoldoff), 1e-7, 1.5);
    t.sweep = Choice(b.get(d::nTrigSweep), 2);
    t.edgeSlope = Choice(b.get(d::nEdgeSlope), 2);
    t.edgeSource = Choice(b.get(d::nEdgeSource), 21);
    t.edgeLevel = Level(b, d::fEdgeLevel);
    t.pulseMode = Choice(b.get(d::nPulseMode), 5);
    t.pulseWidth = Seconds(b.get(d::fPulseWidth), 2e-8, 10.0);
    t.pulseSource = Choice(b.get(d::nPulseSource), 21);
    t.pulseLevel = Level(b, d::fPulseLevel);
    t.videoPolarity = Choice(b.get(d::nVideoPolarity), 1);
    t.videoSource = Choice(b.get(d::nVideoSource), 21);
    t.videoMode = Choice(b.get(d::nVideoMode), 3);
    t.videoStandard = Choice(b.get(d::nVideoStandard), 1);
    t.videoLine = Bounded<std::int32_t>(b.get(d::nVideoLine), 1, t.videoStandard == 0 ? 525 : 625);
    t.videoLevel = Level(b, d::fVideoLevel);
    t.slopeMode = Choice(b.get(d::nSlopeMode), 5);
    t.slopeLevelA = Level(b, d::fSlopeLevelA);
    t.slopeLevelB = Level(b, d::fSlopeLevelB);
    t.slopeTime = Seconds(b.get(d::fSlopeTime), 2e-8, 10.0);
    t.slopeSource = Choice(b.get(d::nSlopeSource), 21);
}

void PackTimebase(const DsoState& s, DSO_SETUP& b) {
    b.set(d::bDelayed, static_cast<std::uint8_t>(s.delayed));
    b.set(d::bSlowSweep, static_cast<std::uint8_t>(s.slowSweep));
    b.set(d::nTimeFormat, s.timeFormat);
    b.set(d::dTimeOffset, s.timeOffset);
    b.set(d::llTimeOffsetPs, s.timeOffsetPs);
    b.set(d::fTimeScale, static_cast<float>(s.timeScale));
    b.set(d::llTimeScalePs, s.timeScalePs);
    b.set(d::dDelayedOffset, s.delayedOffset);
    b.set(d::llDelayedOffsetPs, s.delayedOffsetPs);
    b.set(d::fDelayedScale, static_cast<float>(s.delayedScale));
    b.set(d::llDelayedScalePs, s.delayedScalePs);
    b.set(d::fSampleRate, s.sampleRate);
    b.set(d::fSampleRateMem, s.sampleRateMem);
    b.set(d::dTimeOffsetRecS, s.timeOffsetRec);
    b.set(d::llTimeOffsetPsRec, s.timeOffsetPsRec);
    b.set(d::fTimeScaleRecS, s.timeScaleRec);
    b.set(d::llTimeScalePsRec, s.timeScalePsRec);
    b.set(d::fSampleRateRec, s.sampleRateRec[0]);
    b.set(d::fSampleRateRecEquiv, s.sampleRateRec[1]);
}

// A time in seconds from its picosecond copy when that is usable, else from the float.
double TimeOf(std::int64_t ps, double seconds, double fallback) {
    if (ps != 0 && std::abs(ps) < 1'000'000'000'000'000) {
        return static_cast<double>(ps) * 1e-12;
    }
    return Finite(seconds, fallback);
}

void UnpackTimebase(DsoState& s, const DSO_SETUP& b, double minScale) {
    s.delayed = b.get(d::bDelayed) != 0;
    s.timeFormat = Choice(b.get(d::nTimeFormat), 2);
    const double scale = TimeOf(b.get(d::llTimeScalePs), b.get(d::fTimeScale), 2e-4);
    SetTime(Bounded(Snap125(scale > 0.0 ? scale : 2e-4), minScale, 50.0), s.timeScale,
            s.timeScalePs);
    const double offset = TimeOf(b.get(d::llTimeOffsetPs), b.get(d::dTimeOffset), 0.0);
    SetTime(Bounded(offset, -500.0, 500.0), s.timeOffset, s.timeOffsetPs);
    const double delayed = TimeOf(b.get(d::llDelayedScalePs), b.get(d::fDelayedScale), s.timeScale);
    SetTime(Bounded(Snap125(delayed > 0.0 ? delayed : s.timeScale), minScale, s.timeScale),
            s.delayedScale, s.delayedScalePs);
    const double half = 7.0 * (s.timeScale - s.delayedScale);
    const double delayedOffset =
        TimeOf(b.get(d::llDelayedOffsetPs), b.get(d::dDelayedOffset), s.timeOffset);
    SetTime(Bounded(delayedOffset, s.timeOffset - half, s.timeOffset + half), s.delayedOffset,
            s.delayedOffsetPs);
    s.timeOffsetPsRec = b.get(d::llTimeOffsetPsRec);
    s.timeOffsetRec = Finite(b.get(d::dTimeOffsetRecS), 0.0);
    s.timeScalePsRec = b.get(d::llTimeScalePsRec);
    s.timeScaleRec = static_cast<float>(Finite(b.get(d::fTimeScaleRecS), s.timeScale));
}

void PackDso(const DsoState& s, DSO_SETUP& b) {
    b.set(d::bRun, static_cast<std::uint8_t>(s.run));
    b.set(d::nActiveChannel, s.activeChannel);
    PackChannel(s.chan[0], 0, b);
    PackChannel(s.chan[1], 1, b);
    PackTimebase(s, b);
    b.set(d::nAcqType, s.acqType);
    b.set(d::nAcqEquivalent, s.acqRealTime ? 0 : 1);
    b.set(d::nAcqAveragesBits,
          static_cast<std::uint16_t>(std::bit_width(static_cast<unsigned>(s.acqAverages))));
    b.set(d::nAcqMemory, s.acqMemory);
    b.set(d::nAcqMemoryRec, s.acqMemoryRec);
    b.set(d::nAcqLongMemory, static_cast<std::int32_t>(s.acqLongMemory));
    b.set(d::nRunState, s.runState);
    PackTrigger(s.trig, b);
    b.set(d::bPfEnable, static_cast<std::uint8_t>(s.pfEnable));
    b.set(d::bLanDhcp, static_cast<std::uint8_t>(s.lan.dhcp));
    b.set(d::dwLanIp, s.lan.ip);
    b.set(d::dwLanNetmask, s.lan.netmask);
    b.set(d::dwLanGateway, s.lan.gateway);
    b.set(d::nLanPort, s.lan.port);
    for (int i = 0; i < 3; ++i) {
        b.set(d::byLanMac[i], s.lan.mac[i]);
    }
}

// Read-only values (sampling rates, record length, LAN addresses, MAC) stay the
// instrument's own; everything else is taken over.
void UnpackDso(DsoState& s, const DSO_SETUP& b, double minScale) {
    s.run = b.get(d::bRun) != 0;
    s.activeChannel = b.get(d::nActiveChannel);
    UnpackChannel(s.chan[0], 0, b);
    UnpackChannel(s.chan[1], 1, b);
    UnpackTimebase(s, b, minScale);
    s.acqType = Choice(b.get(d::nAcqType), 2);
    s.acqRealTime = b.get(d::nAcqEquivalent) == 0;
    const int bits = Bounded<int>(b.get(d::nAcqAveragesBits), 2, 9);
    s.acqAverages = 1 << (bits - 1);
    s.acqMemoryRec = b.get(d::nAcqMemoryRec);
    s.acqLongMemory = b.get(d::nAcqLongMemory) != 0;
    UnpackTrigger(s.trig, b);
    s.lan.dhcp = b.get(d::bLanDhcp) != 0;
    s.lan.port = b.get(d::nLanPort);
}

// ---- LA

void PackLa(const LaState& s, _OX_LA_SETUP& b) {
    b.set(l::bLaEnable, static_cast<std::uint8_t>(s.enable));
    b.set(l::bLaShownStop, static_cast<std::uint8_t>(s.shownStop));
    for (int line = 0; line < 16; ++line) {
        b.set(l::bLaChannel(line), static_cast<std::uint8_t>(s.channel[line]));
        b.set(l::nPatternBit(line), s.patternBit[line]);
        b.set(l::nDurationBit(line), s.durationBit[line]);
    }
    b.set(l::nLaThresholdType, s.thresholdType);
    b.set(l::fLaThreshold, s.threshold);
    b.set(l::fLaThresholdUser, s.thresholdUser);
    b.set(l::bLaGroup1, static_cast<std::uint8_t>(s.group1));
    b.set(l::bLaGroup2, static_cast<std::uint8_t>(s.group2));
    b.set(l::dDurationTime, s.durationTime);
    b.set(l::nDurationQualifier, s.durationQualifier);
}

void UnpackLa(LaState& s, const _OX_LA_SETUP& b) {
    s.enable = b.get(l::bLaEnable) != 0;
    s.shownStop = b.get(l::bLaShownStop) != 0;
    for (int line = 0; line < 16; ++line) {
        s.patternBit[line] = Choice(b.get(l::nPatternBit(line)), 4);
        s.durationBit[line] = Choice(b.get(l::nDurationBit(line)), 4);
    }
    s.thresholdType = Choice(b.get(l::nLaThresholdType), 3);
    s.thresholdUser =
        static_cast<float>(Bounded(Finite(b.get(l::fLaThresholdUser), 0.0), -8.0, 8.0));
    constexpr float kLevels[] = {1.4f, 2.5f, -1.3f};
    s.threshold = s.thresholdType < 3 ? kLevels[s.thresholdType] : s.thresholdUser;
    s.durationTime = Bounded(Finite(b.get(l::dDurationTime), 2e-8), 2e-8, 10.0);
    s.durationQualifier = Choice(b.get(l::nDurationQualifier), 2);
}

// ---- ALT

void PackAlt(const AltChannelState& s, int i, DSO_ALT_SETUP& b) {
    b.set(a::nAltType[i], s.type);
    b.set(a::nAltWord8[i], s.word8);
    b.set(a::llAltTimeScalePs[i], s.timeScalePs);
    b.set(a::fAltTimeScale[i], static_cast<float>(s.timeScale));
    b.set(a::llAltTimeOffsetPs[i], s.timeOffsetPs);
    b.set(a::dAltTimeOffset[i], s.timeOffset);
    b.set(a::llAltTimeScalePsRec[i], s.timeScalePsRec);
    b.set(a::fAltTimeScaleRec[i], static_cast<float>(s.timeScaleRec));
    b.set(a::llAltTimeOffsetPsRec[i], s.timeOffsetPsRec);
    b.set(a::dAltTimeOffsetRec[i], s.timeOffsetRec);
    b.set(a::nAltWord68[i], static_cast<std::int32_t>(s.word68));
    b.set(a::nAltWord72[i], s.word72);
    for (const auto field : {a::nAltCoupling[i], a::nAltEdgeCoupling[i], a::nAltVideoCoupling[i]}) {
        b.set(field, s.coupling);
    }
    for (const auto field : {a::fAltEdgeHoldoff[i], a::fAltPulseHoldoff[i], a::fAltVideoHoldoff[i],
                             a::fAltSlopeHoldoff[i]}) {
        b.set(field, s.holdoff);
    }
    for (const auto field : {a::fAltEdgeSensitivity[i], a::fAltPulseSensitivity[i],
                             a::fAltVideoSensitivity[i], a::fAltSlopeSensitivity[i]}) {
        b.set(field, s.sensitivity);
    }
    b.set(a::fAltEdgeLevel[i], s.edgeLevel);
    b.set(a::nAltEdgeSlope[i], s.edgeSlope);
    b.set(a::fAltPulseLevel[i], s.pulseLevel);
    b.set(a::nAltPulseMode[i], s.pulseMode);
    b.set(a::fAltPulseWidth[i], s.pulseWidth);
    b.set(a::nAltVideoPolarity[i], s.videoPolarity);
    b.set(a::nAltVideoMode[i], s.videoMode);
    b.set(a::nAltVideoStandard[i], s.videoStandard);
    b.set(a::fAltVideoLevel[i], s.videoLevel);
    b.set(a::nAltVideoLine[i], static_cast<std::uint16_t>(s.videoLine));
    b.set(a::nAltSlopeMode[i], s.slopeMode);
    b.set(a::fAltSlopeLevelA[i], s.slopeLevelA);
    b.set(a::fAltSlopeLevelB[i], s.slopeLevelB);
    b.set(a::fAltSlopeTime[i], s.slopeTime);
}

// Holdoff and sensitivity are one value per channel; the copy of its current type counts.
oxrec::BlockField<float> HoldoffOf(int type, int i) {
    const oxrec::BlockField<float> copies[] = {a::fAltEdgeHoldoff[i], a::fAltPulseHoldoff[i],
                                               a::fAltSlopeHoldoff[i], a::fAltVideoHoldoff[i]};
    return copies[type];
}

oxrec::BlockField<float> SensitivityOf(int type, int i) {
    const oxrec::BlockField<float> copies[] = {
        a::fAltEdgeSensitivity[i], a::fAltPulseSensitivity[i], a::fAltSlopeSensitivity[i],
        a::fAltVideoSensitivity[i]};
    return copies[type];
}

float AltLevel(const DSO_ALT_SETUP& b, oxrec::BlockField<float> field) {
    return static_cast<float>(Bounded(Finite(b.get(field), 0.0), -1e4, 1e4));
}

void UnpackAlt(AltChannelState& s, int i, const DSO_ALT_SETUP& b, double minScale) {
    s.type = Choice(b.get(a::nAltType[i]), 3);
    s.word8 = b.get(a::nAltWord8[i]);
    const double scale = TimeOf(b.get(a::llAltTimeScalePs[i]), b.get(a::fAltTimeScale[i]), 2e-4);
    SetTime(Bounded(Snap125(scale > 0.0 ? scale : 2e-4), std::max(5e-9, minScale), 2e-2),
            s.timeScale, s.timeScalePs);
    const double offset = TimeOf(b.get(a::llAltTimeOffsetPs[i]), b.get(a::dAltTimeOffset[i]), 0.0);
    SetTime(Bounded(offset, -500.0, 500.0), s.timeOffset, s.timeOffsetPs);
    s.timeScalePsRec = b.get(a::llAltTimeScalePsRec[i]);
    s.timeScaleRec = Finite(b.get(a::fAltTimeScaleRec[i]), s.timeScale);
    s.timeOffsetPsRec = b.get(a::llAltTimeOffsetPsRec[i]);
    s.timeOffsetRec = Finite(b.get(a::dAltTimeOffsetRec[i]), 0.0);
    s.word68 = static_cast<float>(b.get(a::nAltWord68[i]));
    s.word72 = b.get(a::nAltWord72[i]);
    s.coupling = Choice(b.get(a::nAltCoupling[i]), 3);
    s.holdoff = Seconds(b.get(HoldoffOf(s.type, i)), 1e-7, 1.5);
    s.sensitivity = Seconds(b.get(SensitivityOf(s.type, i)), 0.1, 1.0);
    s.edgeLevel = AltLevel(b, a::fAltEdgeLevel[i]);
    s.edgeSlope = Choice(b.get(a::nAltEdgeSlope[i]), 2);
    s.pulseLevel = AltLevel(b, a::fAltPulseLevel[i]);
    s.pulseMode = Choice(b.get(a::nAltPulseMode[i]), 5);
    s.pulseWidth = Seconds(b.get(a::fAltPulseWidth[i]), 2e-8, 10.0);
    s.videoPolarity = Choice(b.get(a::nAltVideoPolarity[i]), 1);
    s.videoMode = Choice(b.get(a::nAltVideoMode[i]), 3);
    s.videoStandard = Choice(b.get(a::nAltVideoStandard[i]), 1);
    s.videoLevel = AltLevel(b, a::fAltVideoLevel[i]);
    s.videoLine =
        Bounded<std::int32_t>(b.get(a::nAltVideoLine[i]), 1, s.videoStandard == 0 ? 525 : 625);
    s.slopeMode = Choice(b.get(a::nAltSlopeMode[i]), 5);
    s.slopeLevelA = AltLevel(b, a::fAltSlopeLevelA[i]);
    s.slopeLevelB = AltLevel(b, a::fAltSlopeLevelB[i]);
    s.slopeTime = Seconds(b.get(a::fAltSlopeTime[i]), 2e-8, 10.0);
}

template <class B, std::size_t N> B FromRaw(const std::array<std::uint8_t, N>& raw) {
    static_assert(sizeof(B) == N);
    B block;
    std::memcpy(block.bytes, raw.data(), N);
    return block;
}

template <class B> std::vector<std::uint8_t> Bytes(const B& block) {
    return std::vector<std::uint8_t>(block.bytes, block.bytes + sizeof(block.bytes));
}

} // namespace

std::vector<std::uint8_t> PackBlock(const Core& core, Block block) {
    switch (block) {
    case Block::Dso: {
        auto b = FromRaw<DSO_SETUP>(core.dsoRaw);
        PackDso(core.st.dso, b);
        return Bytes(b);
    }
    case Block::La: {
        auto b = FromRaw<_OX_LA_SETUP>(core.laRaw);
        PackLa(core.st.la, b);
        return Bytes(b);
    }
    case Block::Alt: {
        auto b = FromRaw<DSO_ALT_SETUP>(core.altRaw);
        PackAlt(core.st.alt[0], 0, b);
        PackAlt(core.st.alt[1], 1, b);
        return Bytes(b);
    }
    }
    return {};
}

void UnpackBlock(Core& core, Block block, const std::uint8_t* data) {
    const double minScale = core.model.minTimeScale;
    switch (block) {
    case Block::Dso:
        std::memcpy(core.dsoRaw.data(), data, kDsoBlockSize);
        UnpackDso(core.st.dso, FromRaw<DSO_SETUP>(core.dsoRaw), minScale);
        break;
    case Block::La:
        std::memcpy(core.laRaw.data(), data, kLaBlockSize);
        UnpackLa(core.st.la, FromRaw<_OX_LA_SETUP>(core.laRaw));
        break;
    case Block::Alt:
        std::memcpy(core.altRaw.data(), data, kAltBlockSize);
        UnpackAlt(core.st.alt[0], 0, FromRaw<DSO_ALT_SETUP>(core.altRaw), minScale);
        UnpackAlt(core.st.alt[1], 1, FromRaw<DSO_ALT_SETUP>(core.altRaw), minScale);
        break;
    }
    if (!core.model.logicAnalyzer) {
        core.st.la.enable = false;
    }
}

} // namespace oxbow::sim::detail
