// Conversions between the shared _OX_SETUP record and the instrument's three
// setup blocks.  Each pairing of a field with a block offset is written once
// and run in either direction.
#include "oxmsg.h"

#include "block_values.h"

#include <bit>

namespace oxmsg {

using detail::Convert;
using detail::NarrowToFloat;
using detail::SaturatingTrunc;
using detail::TruncatedQuotient;
using oxrec::BlockField;

namespace {

constexpr int64_t kSlowSweepScalePs = 50'000'000'000; // 50 ms/div

// One direction of the field <-> block pairing: towards the block (building
// it from the record) or back into the record.
template <bool kToBlock, class BlockT> class Transfer {
public:
    using Setup = std::conditional_t<kToBlock, const _OX_SETUP, _OX_SETUP>;
    using Block = std::conditional_t<kToBlock, BlockT, const BlockT>;

    Transfer(Setup& setup, Block& block) : setup_(setup), block_(block) {}

    Setup& setup() { return setup_; }
    Block& block() { return block_; }

    // Copied both ways (with the narrowing or widening of the slot's type).
    template <class F, class B> void Copy(F& field, BlockField<B> at) {
        WriteOnly(field, at);
        ReadOnly(field, at);
    }

    template <class F, class B> void WriteOnly(F& field, BlockField<B> at) {
        if constexpr (kToBlock)
            block_.set(at, Convert<B>(static_cast<detail::FieldValueT<F>>(field)));
    }

    template <class F, class B> void ReadOnly(F& field, BlockField<B> at) {
        if constexpr (!kToBlock) field = Convert<detail::FieldValueT<F>>(block_.get(at));
    }

    // A derived value that exists only in the block; nothing means the slot
    // keeps its bytes.
    template <class B> void Put(BlockField<B> at, std::optional<B> value) {
        if constexpr (kToBlock) {
            if (value) block_.set(at, *value);
        }
    }

    // A one-byte flag kept in a wider slot: nonzero reads back as 1.
    template <class F, class B> void Flag(F& field, BlockField<B> at) {
        if constexpr (kToBlock)
            block_.set(at, static_cast<B>(field != 0));
        else
            field = block_.get(at) != 0 ? 1 : 0;
    }

    // A level: volts at the probe tip in the record, at the input in the
    // block.  The source channel's probe ratio divides it on the way out and
    // multiplies it on the way back; a ratio of 0 or less leaves both sides.
    template <class F> void Level(F& level, BlockField<float> at, int32_t source) {
        const std::optional<double> ratio = ProbeOfSource(source);
        if (!ratio) return;
        if constexpr (kToBlock)
            block_.set(at, NarrowToFloat(static_cast<double>(level) / *ratio));
        else
            level = NarrowToFloat(static_cast<double>(block_.get(at)) * *ratio);
    }

private:
    std::optional<double> ProbeOfSource(int32_t source) const {
        if (source != 0 && source != 1) return 1.0;
        const double ratio = setup_.fChanProbe[source];
        if (!(ratio > 0) || !std::isfinite(ratio)) return std::nullopt;
        return ratio;
    }

    Setup& setup_;
    Block& block_;
};

template <bool kToBlock> void MapChannel(Transfer<kToBlock, DSO_SETUP>& t, int c) {
    namespace dso = oxrec::dso;
    auto& s = t.setup();
    t.Copy(s.bChanDisplay[c], dso::bChanDisplay[c]);
    t.Copy(s.fChanProbe[c], dso::fChanProbe[c]);
    t.Copy(s.fChanScale[c], dso::fChanScale[c]);
    t.Put(dso::nChanScaleUv[c], TruncatedQuotient<int32_t>(s.fChanScale[c], s.fChanProbe[c], 1e6));
    t.Copy(s.fChanOffset[c], dso::fChanOffset[c]);
    t.Put(dso::nChanOffsetDiv25[c],
          TruncatedQuotient<int16_t>(s.fChanOffset[c], s.fChanScale[c], 25));
    t.Copy(s.nChanCoupling[c], dso::nChanCoupling[c]);
    t.Copy(s.nChanInput[c], dso::nChanInput[c]);
    t.Copy(s.bChanBwLimit[c], dso::bChanBwLimit[c]);
    t.Copy(s.bChanInvert[c], dso::bChanInvert[c]);
    t.Put(dso::nChanZero[c], std::optional<uint32_t>{0});
    t.Copy(s.bChanShownStop[c], dso::bChanShownStop[c]);
    t.Copy(s.fChanScaleRec[c], dso::fChanScaleRec[c]);
    t.Put(dso::nChanScaleRecUv[c],
          TruncatedQuotient<int32_t>(s.fChanScaleRec[c], s.fChanProbe[c], 1e6));
    t.Copy(s.fChanOffsetRec[c], dso::fChanOffsetRec[c]);
    t.Put(dso::nChanOffsetRecDiv25[c],
          TruncatedQuotient<int16_t>(s.fChanOffsetRec[c], s.fChanScale[c], 25));
    t.Copy(s.bChanInvertRec[c], dso::bChanInvertRec[c]);
}

template <bool kToBlock> void MapTimebase(Transfer<kToBlock, DSO_SETUP>& t) {
    namespace dso = oxrec::dso;
    auto& s = t.setup();
    t.Copy(s.bDelayed, dso::bDelayed);
    t.Copy(s.bSlowSweep, dso::bSlowSweep);
    t.Copy(s.nTimeFormat, dso::nTimeFormat);
    t.Copy(s.dTimeOffset, dso::dTimeOffset);
    t.Copy(s.llTimeOffsetPs, dso::llTimeOffsetPs);
    t.Copy(s.dTimeScale, dso::fTimeScale);
    t.Copy(s.llTimeScalePs, dso::llTimeScalePs);
    t.Copy(s.dDelayedOffset, dso::dDelayedOffset);
    t.Copy(s.llDelayedOffsetPs, dso::llDelayedOffsetPs);
    t.Copy(s.dDelayedScale, dso::fDelayedScale);
    t.Copy(s.llDelayedScalePs, dso::llDelayedScalePs);
    t.Copy(s.fSampleRate, dso::fSampleRate);
    t.Copy(s.fSampleRateMem, dso::fSampleRateMem);
    t.Put(dso::dTimeOffsetRecS,
          std::optional<double>{static_cast<double>(s.llTimeOffsetPsRec) * 1e-12});
    t.Copy(s.llTimeOffsetPsRec, dso::llTimeOffsetPsRec);
    t.Put(dso::fTimeScaleRecS,
          std::optional<float>{NarrowToFloat(static_cast<double>(s.llTimeScalePsRec) * 1e-12)});
    t.Copy(s.llTimeScalePsRec, dso::llTimeScalePsRec);
    t.Copy(s.fSampleRateRec, dso::fSampleRateRec);
    t.Copy(s.fSampleRateRecEquiv, dso::fSampleRateRecEquiv);
}

template <bool kToBlock> void MapAcquisition(Transfer<kToBlock, DSO_SETUP>& t) {
    namespace dso = oxrec::dso;
    auto& s = t.setup();
    t.Copy(s.nAcqType, dso::nAcqType);
    if constexpr (kToBlock) {
        t.block().set(dso::nAcqEquivalent, int32_t{s.bAcqRealTime == 0});
        t.block().set(dso::nAcqAveragesBits, AveragesToBlock(s.nAcqAverages));
    } else {
        s.bAcqRealTime = t.block().get(dso::nAcqEquivalent) == 0;
        s.nAcqAverages = AveragesFromBlock(t.block().get(dso::nAcqAveragesBits));
    }
    t.Copy(s.nAcqMemory, dso::nAcqMemory);
    t.Copy(s.nAcqMemoryRec, dso::nAcqMemoryRec);
    t.Flag(s.bAcqLongMemory, dso::nAcqLongMemory);
}

template <bool kToBlock> void MapTrigger(Transfer<kToBlock, DSO_SETUP>& t) {
    namespace dso = oxrec::dso;
    auto& s = t.setup();
    t.Copy(s.nTrigMode, dso::nTrigMode);
    t.Copy(s.nRunState, dso::nRunState);
    t.Copy(s.nTrigCoupling, dso::nTrigCoupling);
    t.Copy(s.fTrigSensitivity, dso::fTrigSensitivity);
    t.Copy(s.fTrigHoldoff, dso::fTrigHoldoff);
    t.Copy(s.nTrigSweep, dso::nTrigSweep);
    t.Copy(s.nEdgeSlope, dso::nEdgeSlope);
    t.Copy(s.nEdgeSource, dso::nEdgeSource);
    t.Level(s.fEdgeLevel, dso::fEdgeLevel, s.nEdgeSource);
    t.Copy(s.nPulseMode, dso::nPulseMode);
    t.Copy(s.dPulseWidth, dso::fPulseWidth);
    t.Copy(s.nPulseSource, dso::nPulseSource);
    t.Level(s.fPulseLevel, dso::fPulseLevel, s.nPulseSource);
    t.Copy(s.nVideoPolarity, dso::nVideoPolarity);
    t.Copy(s.nVideoSource, dso::nVideoSource);
    t.Copy(s.nVideoMode, dso::nVideoMode);
    t.Copy(s.nVideoStandard, dso::nVideoStandard);
    t.Copy(s.nVideoLine, dso::nVideoLine);
    t.Level(s.fVideoLevel, dso::fVideoLevel, s.nVideoSource);
    t.Copy(s.nSlopeMode, dso::nSlopeMode);
    t.Copy(s.nSlopeSource, dso::nSlopeSource);
    t.Level(s.fSlopeLevelA, dso::fSlopeLevelA, s.nSlopeSource);
    t.Level(s.fSlopeLevelB, dso::fSlopeLevelB, s.nSlopeSource);
    t.Copy(s.dSlopeTime, dso::fSlopeTime);
    t.ReadOnly(s.bPfEnable, dso::bPfEnable);
}

template <bool kToBlock> void MapLan(Transfer<kToBlock, DSO_SETUP>& t) {
    namespace dso = oxrec::dso;
    auto& s = t.setup();
    t.Copy(s.bLanDhcp, dso::bLanDhcp);
    t.ReadOnly(s.dwLanIp, dso::dwLanIp);
    t.ReadOnly(s.dwLanNetmask, dso::dwLanNetmask);
    t.ReadOnly(s.dwLanGateway, dso::dwLanGateway);
    t.Copy(s.nLanPort, dso::nLanPort);
    for (int i = 0; i < 3; ++i)
        t.ReadOnly(s.byLanMac[i], dso::byLanMac[i]);
}

template <bool kToBlock> void MapDso(Transfer<kToBlock, DSO_SETUP>& t) {
    auto& s = t.setup();
    t.Copy(s.bRun, oxrec::dso::bRun);
    t.Copy(s.nActiveChannel, oxrec::dso::nActiveChannel);
    MapChannel(t, 0);
    MapChannel(t, 1);
    MapTimebase(t);
    MapAcquisition(t);
    MapTrigger(t);
    MapLan(t);
}

template <bool kToBlock> void MapLa(Transfer<kToBlock, _OX_LA_SETUP>& t) {
    namespace la = oxrec::la;
    auto& s = t.setup();
    t.Copy(s.bLaEnable, la::bLaEnable);
    t.WriteOnly(s.bLaShownStop, la::bLaShownStop);
    t.WriteOnly(s.nLaThresholdType, la::nLaThresholdType);
    t.Copy(s.fLaThreshold, la::fLaThreshold);
    t.Copy(s.fLaThresholdUser, la::fLaThresholdUser);
    t.ReadOnly(s.bLaGroup1, la::bLaGroup1);
    t.ReadOnly(s.bLaGroup2, la::bLaGroup2);
    for (int line = 0; line < 16; ++line) {
        t.ReadOnly(s.bLaChannel[line], la::bLaChannel(line));
        t.Copy(s.nPatternBit[line], la::nPatternBit(line));
        t.Copy(s.nDurationBit[line], la::nDurationBit(line));
    }
    t.Copy(s.dDurationTime, la::dDurationTime);
    t.Copy(s.nDurationQualifier, la::nDurationQualifier);
}

// Holdoff, sensitivity and coupling of a channel's alternate trigger: one
// value, written into every trigger type's copy and read back from the copy
// of the channel's current type.  The block has no coupling copy for the
// PULSE and SLOPE types; theirs is the common one at offset 76.
template <bool kToBlock> void MapAltCommon(Transfer<kToBlock, DSO_ALT_SETUP>& t, int c) {
    namespace alt = oxrec::alt;
    auto& s = t.setup();
    const std::array holdoff{alt::fAltEdgeHoldoff[c], alt::fAltPulseHoldoff[c],
                             alt::fAltSlopeHoldoff[c], alt::fAltVideoHoldoff[c]};
    const std::array sensitivity{alt::fAltEdgeSensitivity[c], alt::fAltPulseSensitivity[c],
                                 alt::fAltSlopeSensitivity[c], alt::fAltVideoSensitivity[c]};
    const std::array coupling{alt::nAltEdgeCoupling[c], alt::nAltCoupling[c], alt::nAltCoupling[c],
                              alt::nAltVideoCoupling[c]};
    if constexpr (kToBlock) {
        for (int type = oxcmd::code::kEdge; type <= oxcmd::code::kVideo; ++type) {
            t.WriteOnly(s.dAltHoldoff[c], holdoff[type]);
            t.WriteOnly(s.fAltSensitivity[c], sensitivity[type]);
        }
        t.WriteOnly(s.nAltCoupling[c], alt::nAltCoupling[c]);
        t.WriteOnly(s.nAltCoupling[c], alt::nAltEdgeCoupling[c]);
        t.WriteOnly(s.nAltCoupling[c], alt::nAltVideoCoupling[c]);
    } else {
        const int32_t current = s.nAltType[c];
        const int type = current >= oxcmd::code::kEdge && current <= oxcmd::code::kVideo
                             ? current
                             : oxcmd::code::kEdge;
        t.ReadOnly(s.dAltHoldoff[c], holdoff[type]);
        t.ReadOnly(s.fAltSensitivity[c], sensitivity[type]);
        t.ReadOnly(s.nAltCoupling[c], coupling[type]);
    }
}

template <bool kToBlock> void MapAltWord68(Transfer<kToBlock, DSO_ALT_SETUP>& t, int c) {
    auto& s = t.setup();
    if constexpr (kToBlock)
        t.Put(oxrec::alt::nAltWord68[c], SaturatingTrunc<int32_t>(s.fAltWord68[c]));
    else
        s.fAltWord68[c] = static_cast<float>(t.block().get(oxrec::alt::nAltWord68[c]));
}

template <bool kToBlock> void MapAltChannel(Transfer<kToBlock, DSO_ALT_SETUP>& t, int c) {
    namespace alt = oxrec::alt;
    auto& s = t.setup();
    t.Copy(s.nAltType[c], alt::nAltType[c]);
    t.Copy(s.nAltWord8[c], alt::nAltWord8[c]);
    t.Copy(s.llAltTimeScalePs[c], alt::llAltTimeScalePs[c]);
    t.Copy(s.dAltTimeScale[c], alt::fAltTimeScale[c]);
    t.Copy(s.llAltTimeOffsetPs[c], alt::llAltTimeOffsetPs[c]);
    t.Copy(s.dAltTimeOffset[c], alt::dAltTimeOffset[c]);
    t.Copy(s.llAltTimeScalePsRec[c], alt::llAltTimeScalePsRec[c]);
    t.Copy(s.dAltTimeScaleRec[c], alt::fAltTimeScaleRec[c]);
    t.Copy(s.llAltTimeOffsetPsRec[c], alt::llAltTimeOffsetPsRec[c]);
    t.Copy(s.dAltTimeOffsetRec[c], alt::dAltTimeOffsetRec[c]);
    MapAltWord68(t, c);
    t.Copy(s.nAltWord72[c], alt::nAltWord72[c]);
    MapAltCommon(t, c);
    t.Level(s.fAltEdgeLevel[c], alt::fAltEdgeLevel[c], c);
    t.Copy(s.nAltEdgeSlope[c], alt::nAltEdgeSlope[c]);
    t.Level(s.fAltPulseLevel[c], alt::fAltPulseLevel[c], c);
    t.Copy(s.nAltPulseMode[c], alt::nAltPulseMode[c]);
    t.Copy(s.dAltPulseWidth[c], alt::fAltPulseWidth[c]);
    t.Copy(s.nAltVideoPolarity[c], alt::nAltVideoPolarity[c]);
    t.Copy(s.nAltVideoMode[c], alt::nAltVideoMode[c]);
    t.Copy(s.nAltVideoStandard[c], alt::nAltVideoStandard[c]);
    t.Level(s.fAltVideoLevel[c], alt::fAltVideoLevel[c], c);
    t.Copy(s.nAltVideoLine[c], alt::nAltVideoLine[c]);
    t.Copy(s.nAltSlopeMode[c], alt::nAltSlopeMode[c]);
    t.Level(s.fAltSlopeLevelA[c], alt::fAltSlopeLevelA[c], c);
    t.Level(s.fAltSlopeLevelB[c], alt::fAltSlopeLevelB[c], c);
    t.Copy(s.dAltSlopeTime[c], alt::fAltSlopeTime[c]);
}

template <bool kToBlock> void MapAlt(Transfer<kToBlock, DSO_ALT_SETUP>& t) {
    MapAltChannel(t, 0);
    MapAltChannel(t, 1);
}

// The fields that follow from a DSO_SETUP just read.
void DeriveAfterDsoRead(_OX_SETUP& s) {
    for (int c = 0; c < 2; ++c) {
        s.fChanScaleRec[c] = s.fChanScale[c];
        s.fChanOffsetRec[c] = s.fChanOffset[c];
    }
    s.nActiveChannel = 0;
    s.bSlowSweep = s.llTimeScalePs >= kSlowSweepScalePs && s.nTimeFormat == oxcmd::code::kYT;
    if (s.bDelayed && s.dTimeScale < s.dDelayedScale) {
        s.dDelayedScale = s.dTimeScale;
        s.llDelayedScalePs = s.llTimeScalePs;
    }
    s.nRunState = oxcmd::code::kStatusStop;
}

template <class BlockT, class Map> void BuildBlock(const _OX_SETUP& setup, BlockT* block, Map map) {
    if (!block) return;
    Transfer<true, BlockT> t(setup, *block);
    map(t);
}

template <class BlockT, class Map> void ReadBlock(_OX_SETUP& setup, const BlockT* block, Map map) {
    if (!block) return;
    Transfer<false, BlockT> t(setup, *block);
    map(t);
}

} // namespace

uint16_t AveragesToBlock(int32_t count) {
    if (count <= 0) return 0;
    return static_cast<uint16_t>(std::bit_width(static_cast<uint32_t>(count)));
}

int32_t AveragesFromBlock(uint16_t bits) {
    constexpr uint16_t kLargestShift = 30; // 2^30 is the largest power of two an int32 holds
    if (bits == 0) return 0;
    return int32_t{1} << std::min<uint16_t>(bits - 1, kLargestShift);
}

void PopSetup(const _OX_SETUP& setup, DSO_SETUP* dso, _OX_LA_SETUP* la, DSO_ALT_SETUP* alt) {
    BuildBlock(setup, dso, [](auto& t) { MapDso(t); });
    BuildBlock(setup, la, [](auto& t) { MapLa(t); });
    BuildBlock(setup, alt, [](auto& t) { MapAlt(t); });
}

void PushSetup(_OX_SETUP& setup, const DSO_SETUP* dso, const _OX_LA_SETUP* la,
               const DSO_ALT_SETUP* alt) {
    ReadBlock(setup, dso, [](auto& t) { MapDso(t); });
    ReadBlock(setup, la, [](auto& t) { MapLa(t); });
    ReadBlock(setup, alt, [](auto& t) { MapAlt(t); });
    if (dso) DeriveAfterDsoRead(setup);
}

SharedRecords& Records() {
    static SharedRecords records;
    return records;
}

} // namespace oxmsg

void OxPopSetup(DSO_SETUP* dso, _OX_LA_SETUP* la, DSO_ALT_SETUP* alt) {
    if (const _OX_SETUP* setup = oxmsg::Records().setup) oxmsg::PopSetup(*setup, dso, la, alt);
}

void OxPushSetup(DSO_SETUP* dso, _OX_LA_SETUP* la, DSO_ALT_SETUP* alt) {
    if (_OX_SETUP* setup = oxmsg::Records().setup) oxmsg::PushSetup(*setup, dso, la, alt);
}
