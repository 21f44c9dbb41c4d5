// Conversions between _OX_SETUP and the three instrument setup blocks.
#include "oxmsg.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cstring>
#include <limits>

namespace {

namespace dso = oxrec::dso;
namespace la = oxrec::la;
namespace alt = oxrec::alt;

class SetupBlocks : public ::testing::Test {
protected:
    SetupBlocks() {
        std::memset(&setup, 0, sizeof setup);
        for (int c = 0; c < 2; ++c) {
            setup.fChanScale[c] = 0.1f;
            setup.fChanProbe[c] = 1.0f;
        }
        std::memset(&dsoBlock, 0, sizeof dsoBlock);
        std::memset(&laBlock, 0, sizeof laBlock);
        std::memset(&altBlock, 0, sizeof altBlock);
    }

    void Pop() { oxmsg::PopSetup(setup, &dsoBlock, &laBlock, &altBlock); }
    void Push() { oxmsg::PushSetup(setup, &dsoBlock, &laBlock, &altBlock); }

    template <class Block> static void FillPattern(Block& block) {
        for (std::size_t i = 0; i < sizeof block.bytes; ++i)
            block.bytes[i] = static_cast<unsigned char>(0xA0 + i % 31);
    }

    _OX_SETUP setup;
    DSO_SETUP dsoBlock;
    _OX_LA_SETUP laBlock;
    DSO_ALT_SETUP altBlock;
};

TEST_F(SetupBlocks, ChannelScaleGoesOutAtTheTipAndInMicrovoltsAtTheInput) {
    setup.fChanScale[0] = 0.5f;
    setup.fChanProbe[0] = 10.0f;
    setup.fChanScale[1] = 0.02f;
    Pop();
    EXPECT_FLOAT_EQ(dsoBlock.get(dso::fChanScale[0]), 0.5f);
    EXPECT_EQ(dsoBlock.get(dso::nChanScaleUv[0]), 50'000);
    EXPECT_FLOAT_EQ(dsoBlock.get(dso::fChanProbe[0]), 10.0f);
    EXPECT_EQ(dsoBlock.get(dso::nChanScaleUv[1]), 20'000); // not 19,999 from float rounding
    EXPECT_FLOAT_EQ(dsoBlock.get(dso::fChanProbe[1]), 1.0f);
}

TEST_F(SetupBlocks, ChannelOffsetGoesOutInTwentyFifthsOfADivision) {
    setup.fChanScale[0] = 0.5f;
    setup.fChanOffset[0] = -1.0f;
    setup.fChanScale[1] = 0.1f;
    setup.fChanOffset[1] = 0.3f;
    setup.fChanOffsetRec[1] = -0.2f;
    Pop();
    EXPECT_EQ(dsoBlock.get(dso::nChanOffsetDiv25[0]), -50);
    EXPECT_EQ(dsoBlock.get(dso::nChanOffsetDiv25[1]), 75);
    EXPECT_EQ(dsoBlock.get(dso::nChanOffsetRecDiv25[1]), -50); // divided by the live scale
}

TEST_F(SetupBlocks, ProbeOrScaleOfZeroOrLessKeepsTheDerivedBytes) {
    FillPattern(dsoBlock);
    const DSO_SETUP before = dsoBlock;
    setup.fChanProbe[0] = 0.0f;
    setup.fChanProbe[1] = -10.0f;
    setup.fChanScale[0] = 0.0f;
    setup.fChanScale[1] = -1.0f;
    setup.fChanOffset[0] = 1.0f;
    Pop();
    for (int c = 0; c < 2; ++c) {
        EXPECT_EQ(dsoBlock.get(dso::nChanScaleUv[c]), before.get(dso::nChanScaleUv[c]));
        EXPECT_EQ(dsoBlock.get(dso::nChanScaleRecUv[c]), before.get(dso::nChanScaleRecUv[c]));
        EXPECT_EQ(dsoBlock.get(dso::nChanOffsetDiv25[c]), before.get(dso::nChanOffsetDiv25[c]));
        EXPECT_EQ(dsoBlock.get(dso::nChanOffsetRecDiv25[c]),
                  before.get(dso::nChanOffsetRecDiv25[c]));
    }
    EXPECT_FLOAT_EQ(dsoBlock.get(dso::fChanProbe[1]), -10.0f); // the ratio itself is still copied
}

TEST_F(SetupBlocks, QuotientsOutsideTheirFieldSaturate) {
    setup.fChanScale[0] = 1e6f;
    setup.fChanProbe[0] = 1e-3f;
    setup.fChanScale[1] = 0.002f;
    setup.fChanOffset[1] = -1000.0f;
    Pop();
    EXPECT_EQ(dsoBlock.get(dso::nChanScaleUv[0]), std::numeric_limits<int32_t>::max());
    EXPECT_EQ(dsoBlock.get(dso::nChanOffsetDiv25[1]), std::numeric_limits<int16_t>::min());
    setup.fChanOffset[1] = 1000.0f;
    Pop();
    EXPECT_EQ(dsoBlock.get(dso::nChanOffsetDiv25[1]), std::numeric_limits<int16_t>::max());
}

TEST_F(SetupBlocks, TimesGoOutNarrowedAndRecordTimesInSeconds) {
    setup.dTimeScale = 1e300;
    setup.dDelayedScale = 5e-7;
    setup.llTimeOffsetPsRec = 2'000'000;
    setup.llTimeScalePsRec = 1'000'000;
    setup.dPulseWidth = 2e-8;
    Pop();
    EXPECT_EQ(dsoBlock.get(dso::fTimeScale), FLT_MAX);
    EXPECT_FLOAT_EQ(dsoBlock.get(dso::fDelayedScale), 5e-7f);
    EXPECT_DOUBLE_EQ(dsoBlock.get(dso::dTimeOffsetRecS), 2e-6);
    EXPECT_FLOAT_EQ(dsoBlock.get(dso::fTimeScaleRecS), 1e-6f);
    EXPECT_EQ(dsoBlock.get(dso::llTimeOffsetPsRec), 2'000'000);
    EXPECT_FLOAT_EQ(dsoBlock.get(dso::fPulseWidth), 2e-8f);
}

TEST_F(SetupBlocks, AveragesRoundTripUnchanged) {
    setup.nAcqAverages = 256;
    Pop();
    EXPECT_EQ(dsoBlock.get(dso::nAcqAveragesBits), 9);
    EXPECT_EQ(oxmsg::AveragesToBlock(2), 2);
    EXPECT_EQ(oxmsg::AveragesToBlock(4), 3);
    for (int32_t count = 1; count <= (1 << 20); count *= 2) {
        setup.nAcqAverages = count;
        Pop();
        setup.nAcqAverages = -1;
        Push();
        EXPECT_EQ(setup.nAcqAverages, count);
    }
}

TEST_F(SetupBlocks, AveragesOutOfRangeStayDefined) {
    EXPECT_EQ(oxmsg::AveragesToBlock(0), 0);
    EXPECT_EQ(oxmsg::AveragesToBlock(-8), 0);
    EXPECT_EQ(oxmsg::AveragesFromBlock(0), 0);
    EXPECT_EQ(oxmsg::AveragesFromBlock(65535), 1 << 30);
}

TEST_F(SetupBlocks, AcquisitionFlagsAreConvertedBothWays) {
    setup.bAcqRealTime = 0;
    setup.bAcqLongMemory = 1;
    Pop();
    EXPECT_EQ(dsoBlock.get(dso::nAcqEquivalent), 1);
    EXPECT_EQ(dsoBlock.get(dso::nAcqLongMemory), 1);

    dsoBlock.set(dso::nAcqEquivalent, int32_t{0});
    dsoBlock.set(dso::nAcqLongMemory, int32_t{7});
    Push();
    EXPECT_EQ(setup.bAcqRealTime, 1);
    EXPECT_EQ(setup.bAcqLongMemory, 1);
}

TEST_F(SetupBlocks, SlowSweepFollowsTheReadTimeScaleAndFormat) {
    dsoBlock.set(dso::llTimeScalePs, int64_t{50'000'000'000});
    Push();
    EXPECT_EQ(setup.bSlowSweep, 1);

    dsoBlock.set(dso::llTimeScalePs, int64_t{20'000'000'000});
    dsoBlock.set(dso::bSlowSweep, uint8_t{1});
    Push();
    EXPECT_EQ(setup.bSlowSweep, 0);

    dsoBlock.set(dso::llTimeScalePs, int64_t{50'000'000'000});
    dsoBlock.set(dso::nTimeFormat, int32_t{1});
    Push();
    EXPECT_EQ(setup.bSlowSweep, 0);
}

TEST_F(SetupBlocks, ReadBackSetsTheRecordedScaleAndOffsetAndResetsState) {
    dsoBlock.set(dso::fChanScale[0], 0.2f);
    dsoBlock.set(dso::fChanOffset[0], -0.4f);
    dsoBlock.set(dso::fChanScale[1], 5.0f);
    dsoBlock.set(dso::fChanOffset[1], 3.0f);
    dsoBlock.set(dso::fChanScaleRec[1], 9.0f);
    dsoBlock.set(dso::nActiveChannel, uint32_t{1});
    dsoBlock.set(dso::nRunState, int32_t{4});
    Push();
    EXPECT_FLOAT_EQ(setup.fChanScaleRec[0], 0.2f);
    EXPECT_FLOAT_EQ(setup.fChanOffsetRec[0], -0.4f);
    EXPECT_FLOAT_EQ(setup.fChanScaleRec[1], 5.0f);
    EXPECT_FLOAT_EQ(setup.fChanOffsetRec[1], 3.0f);
    EXPECT_EQ(setup.nActiveChannel, 0);
    EXPECT_EQ(setup.nRunState, 1);
}

TEST_F(SetupBlocks, DelayedScaleIsLimitedToTheMainScaleInBothUnits) {
    dsoBlock.set(dso::bDelayed, uint8_t{1});
    dsoBlock.set(dso::fTimeScale, 1e-3f);
    dsoBlock.set(dso::llTimeScalePs, int64_t{1'000'000'000});
    dsoBlock.set(dso::fDelayedScale, 2e-3f);
    dsoBlock.set(dso::llDelayedScalePs, int64_t{2'000'000'000});
    Push();
    EXPECT_DOUBLE_EQ(setup.dDelayedScale, setup.dTimeScale);
    EXPECT_DOUBLE_EQ(setup.dTimeScale, static_cast<double>(1e-3f));
    EXPECT_EQ(setup.llDelayedScalePs, 1'000'000'000);

    dsoBlock.set(dso::bDelayed, uint8_t{0});
    Push();
    EXPECT_DOUBLE_EQ(setup.dDelayedScale, static_cast<double>(2e-3f));
    EXPECT_EQ(setup.llDelayedScalePs, 2'000'000'000);
}

TEST_F(SetupBlocks, TriggerLevelsCrossAtTheInput) {
    setup.fChanProbe[0] = 10.0f;
    setup.fChanProbe[1] = 100.0f;
    setup.nEdgeSource = 0;
    setup.fEdgeLevel = 5.0f;
    setup.nSlopeSource = 1;
    setup.fSlopeLevelA = 20.0f;
    setup.nPulseSource = 2; // not a channel: no probe factor
    setup.fPulseLevel = 0.7f;
    setup.fAltEdgeLevel[1] = 50.0f;
    Pop();
    EXPECT_FLOAT_EQ(dsoBlock.get(dso::fEdgeLevel), 0.5f);
    EXPECT_FLOAT_EQ(dsoBlock.get(dso::fSlopeLevelA), 0.2f);
    EXPECT_FLOAT_EQ(dsoBlock.get(dso::fPulseLevel), 0.7f);
    EXPECT_FLOAT_EQ(altBlock.get(alt::fAltEdgeLevel[1]), 0.5f);

    dsoBlock.set(dso::fEdgeLevel, 0.25f);
    altBlock.set(alt::fAltEdgeLevel[1], 0.03f);
    Push();
    EXPECT_FLOAT_EQ(setup.fChanProbe[0], 10.0f); // the real ratio came back
    EXPECT_FLOAT_EQ(setup.fEdgeLevel, 2.5f);
    EXPECT_FLOAT_EQ(setup.fSlopeLevelA, 20.0f);
    EXPECT_FLOAT_EQ(setup.fPulseLevel, 0.7f);
    EXPECT_FLOAT_EQ(setup.fAltEdgeLevel[1], 3.0f);
}

TEST_F(SetupBlocks, LevelOfAChannelWithoutAValidProbeKeepsBothSides) {
    FillPattern(dsoBlock);
    const float before = dsoBlock.get(dso::fEdgeLevel);
    setup.fChanProbe[0] = 0.0f;
    setup.nEdgeSource = 0;
    setup.fEdgeLevel = 1.0f;
    Pop();
    EXPECT_EQ(dsoBlock.get(dso::fEdgeLevel), before);
    dsoBlock.set(dso::fChanProbe[0], 0.0f);
    dsoBlock.set(dso::nEdgeSource, int32_t{0});
    Push();
    EXPECT_FLOAT_EQ(setup.fEdgeLevel, 1.0f);
}

TEST_F(SetupBlocks, AlternateCommonSettingsGoIntoEveryTypeCopy) {
    setup.dAltHoldoff[1] = 3e-6;
    setup.fAltSensitivity[1] = 0.5f;
    setup.nAltCoupling[1] = 2;
    Pop();
    for (auto at : {alt::fAltEdgeHoldoff[1], alt::fAltPulseHoldoff[1], alt::fAltSlopeHoldoff[1],
                    alt::fAltVideoHoldoff[1]})
        EXPECT_FLOAT_EQ(altBlock.get(at), 3e-6f);
    for (auto at : {alt::fAltEdgeSensitivity[1], alt::fAltPulseSensitivity[1],
                    alt::fAltSlopeSensitivity[1], alt::fAltVideoSensitivity[1]})
        EXPECT_FLOAT_EQ(altBlock.get(at), 0.5f);
    for (auto at : {alt::nAltCoupling[1], alt::nAltEdgeCoupling[1], alt::nAltVideoCoupling[1]})
        EXPECT_EQ(altBlock.get(at), 2);
}

TEST_F(SetupBlocks, AlternateCommonSettingsComeBackFromTheCurrentTypeCopy) {
    for (int c = 0; c < 2; ++c) {
        altBlock.set(alt::nAltCoupling[c], int32_t{1});
        altBlock.set(alt::nAltEdgeCoupling[c], int32_t{2});
        altBlock.set(alt::nAltVideoCoupling[c], int32_t{3});
        altBlock.set(alt::fAltEdgeHoldoff[c], 1.0f);
        altBlock.set(alt::fAltPulseHoldoff[c], 2.0f);
        altBlock.set(alt::fAltSlopeHoldoff[c], 3.0f);
        altBlock.set(alt::fAltVideoHoldoff[c], 4.0f);
        altBlock.set(alt::fAltSlopeSensitivity[c], 0.75f);
    }
    struct Case {
        int32_t type;
        int32_t coupling;
        double holdoff;
    };
    for (const Case& k :
         {Case{0, 2, 1.0}, Case{1, 1, 2.0}, Case{2, 1, 3.0}, Case{3, 3, 4.0}, Case{9, 2, 1.0}}) {
        altBlock.set(alt::nAltType[1], k.type);
        Push();
        EXPECT_EQ(setup.nAltCoupling[1], k.coupling) << "type " << k.type;
        EXPECT_DOUBLE_EQ(setup.dAltHoldoff[1], k.holdoff) << "type " << k.type;
    }
    altBlock.set(alt::nAltType[0], int32_t{2});
    Push();
    EXPECT_FLOAT_EQ(setup.fAltSensitivity[0], 0.75f);
}

TEST_F(SetupBlocks, AlternateWord68IsTruncatedAndSaturated) {
    setup.fAltWord68[0] = 12.9f;
    setup.fAltWord68[1] = -1e20f;
    Pop();
    EXPECT_EQ(altBlock.get(alt::nAltWord68[0]), 12);
    EXPECT_EQ(altBlock.get(alt::nAltWord68[1]), std::numeric_limits<int32_t>::min());
}

TEST_F(SetupBlocks, OneDirectionFieldsMoveOnlyThatWay) {
    FillPattern(laBlock);
    FillPattern(dsoBlock);
    const _OX_LA_SETUP laBefore = laBlock;
    const DSO_SETUP dsoBefore = dsoBlock;
    setup.bLaChannel[3] = 1;
    setup.bLaGroup1 = 1;
    setup.bPfEnable = 1;
    setup.dwLanIp = 0xC0A80102;
    Pop();
    EXPECT_EQ(laBlock.get(la::bLaChannel(3)), laBefore.get(la::bLaChannel(3)));
    EXPECT_EQ(laBlock.get(la::bLaGroup1), laBefore.get(la::bLaGroup1));
    EXPECT_EQ(dsoBlock.get(dso::bPfEnable), dsoBefore.get(dso::bPfEnable));
    EXPECT_EQ(dsoBlock.get(dso::dwLanIp), dsoBefore.get(dso::dwLanIp));

    setup.bLaShownStop = 1;
    setup.nLaThresholdType = 3;
    laBlock.set(la::bLaShownStop, uint8_t{0});
    laBlock.set(la::nLaThresholdType, int32_t{0});
    dsoBlock.set(dso::dwLanIp, uint32_t{0xC0A80102});
    dsoBlock.set(dso::byLanMac[2], uint8_t{0x5E});
    Push();
    EXPECT_EQ(setup.bLaShownStop, 1);
    EXPECT_EQ(setup.nLaThresholdType, 3);
    EXPECT_EQ(setup.dwLanIp, 0xC0A80102u);
    EXPECT_EQ(setup.byLanMac[2], 0x5E);
}

TEST_F(SetupBlocks, BytesWithoutAFieldAreKept) {
    FillPattern(dsoBlock);
    FillPattern(laBlock);
    FillPattern(altBlock);
    const DSO_SETUP dsoBefore = dsoBlock;
    const _OX_LA_SETUP laBefore = laBlock;
    const DSO_ALT_SETUP altBefore = altBlock;
    Pop();
    for (std::size_t i : {1,   2,   7,   13,  47,  53,  71,  89,  147, 200, 287, 290,
                          400, 447, 472, 519, 556, 604, 644, 700, 756, 778, 779})
        EXPECT_EQ(dsoBlock.bytes[i], dsoBefore.bytes[i]) << "DSO byte " << i;
    for (std::size_t i : {18, 55, 70, 85, 90, 103, 252, 259})
        EXPECT_EQ(laBlock.bytes[i], laBefore.bytes[i]) << "LA byte " << i;
    for (std::size_t i : {0, 3, 80, 83, 104, 140, 143, 168, 175, 180, 183, 276, 279, 300, 364})
        EXPECT_EQ(altBlock.bytes[i], altBefore.bytes[i]) << "ALT byte " << i;
}

TEST_F(SetupBlocks, EveryCopiedFieldComesBackUnchanged) {
    setup.bRun = 1;
    setup.bChanDisplay[1] = 1;
    setup.fChanScale[1] = 2.0f;
    setup.fChanOffset[1] = -0.625f;
    setup.nChanCoupling[1] = 1;
    setup.nChanInput[1] = 1;
    setup.fChanProbe[1] = 100.0f;
    setup.bChanBwLimit[1] = 1;
    setup.bChanInvert[0] = 1;
    setup.bChanShownStop[1] = 1;
    setup.bChanInvertRec[1] = 1;
    setup.bDelayed = 1;
    setup.nTimeFormat = 2;
    setup.dTimeOffset = -3.25e-4;
    setup.llTimeOffsetPs = -325'000'000;
    setup.dTimeScale = 0.5;
    setup.llTimeScalePs = 500'000'000'000;
    setup.dDelayedOffset = 1.5e-9;
    setup.llDelayedOffsetPs = 1500;
    setup.dDelayedScale = 0.25;
    setup.llDelayedScalePs = 250'000'000'000;
    setup.fSampleRate = 1e9f;
    setup.fSampleRateMem = 5e8f;
    setup.llTimeOffsetPsRec = 7;
    setup.llTimeScalePsRec = 11;
    setup.fSampleRateRec = 2.5e8f;
    setup.fSampleRateRecEquiv = 5e10f;
    setup.nAcqType = 2;
    setup.bAcqRealTime = 1;
    setup.nAcqMemory = 524'288;
    setup.nAcqMemoryRec = 1'048'576;
    setup.nTrigMode = 4;
    setup.nTrigCoupling = 2;
    setup.fTrigSensitivity = 0.375f;
    setup.fTrigHoldoff = 1e-7f;
    setup.nTrigSweep = 2;
    setup.nEdgeSlope = 1;
    setup.nEdgeSource = 1;
    setup.fEdgeLevel = 12.0f;
    setup.nPulseMode = 3;
    setup.dPulseWidth = 0x1p-25;
    setup.nPulseSource = 0;
    setup.fPulseLevel = -0.5f;
    setup.nVideoPolarity = 1;
    setup.nVideoSource = 1;
    setup.nVideoMode = 2;
    setup.nVideoStandard = 1;
    setup.nVideoLine = 625;
    setup.fVideoLevel = 3.0f;
    setup.nSlopeMode = 4;
    setup.nSlopeSource = 1;
    setup.fSlopeLevelA = 1.0f;
    setup.fSlopeLevelB = -1.0f;
    setup.dSlopeTime = 0x1p-20;
    setup.bLanDhcp = 1;
    setup.nLanPort = 5025;
    setup.bLaEnable = 1;
    setup.fLaThreshold = 1.5f;
    setup.fLaThresholdUser = -1.25f;
    for (int line = 0; line < 16; ++line) {
        setup.nPatternBit[line] = line % 3;
        setup.nDurationBit[line] = 2 - line % 3;
    }
    setup.dDurationTime = 2e-8;
    setup.nDurationQualifier = 2;
    for (int c = 0; c < 2; ++c) {
        setup.nAltType[c] = 3 - c;
        setup.nAltWord8[c] = 80 + c;
        setup.llAltTimeScalePs[c] = 1'000'000 * (c + 1);
        setup.dAltTimeScale[c] = 0x1p-20 * (c + 1);
        setup.llAltTimeOffsetPs[c] = -5 - c;
        setup.dAltTimeOffset[c] = -5e-12 - c;
        setup.llAltTimeScalePsRec[c] = 31 + c;
        setup.dAltTimeScaleRec[c] = 0.125 * (c + 1);
        setup.llAltTimeOffsetPsRec[c] = 41 + c;
        setup.dAltTimeOffsetRec[c] = 0.375 + c;
        setup.fAltWord68[c] = 68.0f + c;
        setup.nAltWord72[c] = 72 + c;
        setup.nAltCoupling[c] = 1 + c;
        setup.dAltHoldoff[c] = 0.5 + c;
        setup.fAltSensitivity[c] = 0.25f + c;
        setup.fAltEdgeLevel[c] = 1.5f + c;
        setup.nAltEdgeSlope[c] = c;
        setup.fAltPulseLevel[c] = -1.5f - c;
        setup.nAltPulseMode[c] = 2 + c;
        setup.dAltPulseWidth[c] = 0.0625 * (c + 1);
        setup.nAltVideoPolarity[c] = c;
        setup.nAltVideoMode[c] = 3 - c;
        setup.nAltVideoStandard[c] = 1 - c;
        setup.fAltVideoLevel[c] = 0.75f * (c + 1);
        setup.nAltVideoLine[c] = static_cast<uint16_t>(100 + c);
        setup.nAltSlopeMode[c] = 4 - c;
        setup.fAltSlopeLevelA[c] = 2.0f + c;
        setup.fAltSlopeLevelB[c] = -2.0f - c;
        setup.dAltSlopeTime[c] = 0.5 * (c + 1);
    }
    setup.nAcqAverages = 64;
    const _OX_SETUP written = setup;
    Pop();

    std::memset(&setup, 0, sizeof setup);
    Push();

    // All values above are exact in single precision, so the narrowed times
    // come back whole; only the derived fields differ.
    _OX_SETUP expected = written;
    for (int c = 0; c < 2; ++c) {
        expected.fChanScaleRec[c] = written.fChanScale[c];
        expected.fChanOffsetRec[c] = written.fChanOffset[c];
    }
    expected.nRunState = 1;
    const auto* got = reinterpret_cast<const unsigned char*>(&setup);
    const auto* want = reinterpret_cast<const unsigned char*>(&expected);
    for (std::size_t i = 0; i < sizeof setup; ++i) {
        if (got[i] != want[i]) ADD_FAILURE() << "record byte " << i << " differs";
    }
}

TEST_F(SetupBlocks, MissingBlocksAndMissingRecordAreSkipped) {
    FillPattern(laBlock);
    const _OX_LA_SETUP before = laBlock;
    oxmsg::PopSetup(setup, &dsoBlock, nullptr, nullptr);
    oxmsg::PushSetup(setup, nullptr, nullptr, nullptr);

    oxmsg::Records().setup = nullptr;
    OxPopSetup(nullptr, &laBlock, nullptr);
    EXPECT_EQ(std::memcmp(&laBlock, &before, sizeof laBlock), 0);

    oxmsg::Records().setup = &setup;
    setup.bLaEnable = 1;
    OxPopSetup(nullptr, &laBlock, nullptr);
    EXPECT_EQ(laBlock.get(la::bLaEnable), 1);
    oxmsg::Records().setup = nullptr;
}

} // namespace
