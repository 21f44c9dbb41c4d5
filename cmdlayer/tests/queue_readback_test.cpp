#include "../src/readback.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

namespace dso = oxrec::dso;
namespace la = oxrec::la;
namespace alt = oxrec::alt;

class ReadBackTest : public ::testing::Test {
protected:
    DSO_SETUP dso{};
    _OX_LA_SETUP laBlock{};
    DSO_ALT_SETUP altBlock{};
    std::unique_ptr<_OX_SETUP> setup = std::make_unique<_OX_SETUP>();

    bool Reconcile(unsigned int sub, long channel = 0) {
        return ReconcileFromBlocks(dso, laBlock, altBlock, *setup, sub, channel);
    }
};

TEST_F(ReadBackTest, TriggerModeSweepAndSensitivity) {
    dso.set(dso::nTrigMode, 3);
    dso.set(dso::nTrigSweep, 2);
    dso.set(dso::fTrigSensitivity, 0.5f);
    EXPECT_TRUE(Reconcile(1825));
    EXPECT_TRUE(Reconcile(1827));
    EXPECT_TRUE(Reconcile(1829));
    EXPECT_EQ(setup->nTrigMode, 3);
    EXPECT_EQ(setup->nTrigSweep, 2);
    EXPECT_EQ(setup->fTrigSensitivity, 0.5f);
}

TEST_F(ReadBackTest, LevelsCarryTheProbeRatioOfTheirSourceChannel) {
    setup->fChanProbe[0] = 1.0f;
    setup->fChanProbe[1] = 10.0f;
    dso.set(dso::fEdgeLevel, 0.25f);
    dso.set(dso::fSlopeLevelB, -0.5f);
    dso.set(dso::fPulseLevel, 0.75f);
    setup->nEdgeSource = 1;
    setup->nSlopeSource = 1;
    setup->nPulseSource = 2; // EXT: no probe
    Reconcile(1865);
    Reconcile(1955);
    Reconcile(1885);
    EXPECT_FLOAT_EQ(setup->fEdgeLevel, 2.5f);
    EXPECT_FLOAT_EQ(setup->fSlopeLevelB, -5.0f);
    EXPECT_FLOAT_EQ(setup->fPulseLevel, 0.75f);
}

TEST_F(ReadBackTest, NarrowedTimesAreWidened) {
    dso.set(dso::fPulseWidth, 1.5e-6f);
    dso.set(dso::fSlopeTime, 2e-8f);
    laBlock.set(la::dDurationTime, 3.25e-3);
    Reconcile(1895);
    Reconcile(1965);
    Reconcile(1995);
    EXPECT_EQ(setup->dPulseWidth, static_cast<double>(1.5e-6f));
    EXPECT_EQ(setup->dSlopeTime, static_cast<double>(2e-8f));
    EXPECT_EQ(setup->dDurationTime, 3.25e-3);
}

TEST_F(ReadBackTest, TimebaseComesFromThePicosecondCopies) {
    dso.set(dso::fTimeScale, 2e-4f); // not exactly 200 µs as a float
    dso.set(dso::llTimeScalePs, std::int64_t{200'000'000});
    dso.set(dso::llDelayedOffsetPs, std::int64_t{-1'500'000});
    Reconcile(1645);
    Reconcile(1655);
    EXPECT_EQ(setup->llTimeScalePs, 200'000'000);
    EXPECT_EQ(setup->dTimeScale, 200'000'000 * 1e-12);
    EXPECT_EQ(setup->llDelayedOffsetPs, -1'500'000);
    EXPECT_DOUBLE_EQ(setup->dDelayedOffset, -1.5e-6);
}

TEST_F(ReadBackTest, AcquisitionSettings) {
    dso.set(dso::nAcqType, 1);
    dso.set(dso::nAcqEquivalent, 1);
    dso.set(dso::nAcqAveragesBits, std::uint16_t{8});
    dso.set(dso::nAcqMemory, 524288);
    dso.set(dso::nAcqLongMemory, 1);
    setup->bAcqRealTime = 1;
    for (unsigned int sub : {1725u, 1735u, 1745u, 1755u})
        EXPECT_TRUE(Reconcile(sub)) << sub;
    EXPECT_EQ(setup->nAcqType, 1);
    EXPECT_EQ(setup->bAcqRealTime, 0);
    EXPECT_EQ(setup->nAcqAverages, 128);
    EXPECT_EQ(setup->nAcqMemory, 524288);
    EXPECT_EQ(setup->bAcqLongMemory, 1);
}

TEST_F(ReadBackTest, ChannelSettingsOfTheNamedChannel) {
    dso.set(dso::fChanScale[1], 0.05f);
    dso.set(dso::fChanProbe[1], 10.0f);
    dso.set(dso::bChanBwLimit[1], std::uint8_t{1});
    Reconcile(1125, 1);
    Reconcile(1147, 1);
    Reconcile(1146, 1);
    EXPECT_EQ(setup->fChanScale[1], 0.05f);
    EXPECT_EQ(setup->fChanProbe[1], 10.0f);
    EXPECT_EQ(setup->bChanBwLimit[1], 1);
    EXPECT_EQ(setup->fChanScale[0], 0.0f);
}

TEST_F(ReadBackTest, AlternateTriggerTakesTheCopyOfTheChannelsType) {
    setup->nAltType[1] = 1; // PULSE
    altBlock.set(alt::fAltEdgeHoldoff[1], 1e-3f);
    altBlock.set(alt::fAltPulseHoldoff[1], 2e-3f);
    altBlock.set(alt::fAltPulseSensitivity[1], 0.3f);
    Reconcile(2010, 1);
    Reconcile(2009, 1);
    EXPECT_EQ(setup->dAltHoldoff[1], static_cast<double>(2e-3f));
    EXPECT_EQ(setup->fAltSensitivity[1], 0.3f);

    setup->fChanProbe[1] = 10.0f;
    altBlock.set(alt::fAltEdgeLevel[1], 0.1f);
    altBlock.set(alt::llAltTimeScalePs[1], std::int64_t{5'000'000});
    Reconcile(2045, 1);
    Reconcile(2015, 1);
    EXPECT_FLOAT_EQ(setup->fAltEdgeLevel[1], 1.0f);
    EXPECT_EQ(setup->llAltTimeScalePs[1], 5'000'000);
    EXPECT_DOUBLE_EQ(setup->dAltTimeScale[1], 5e-6);
}

TEST_F(ReadBackTest, ChannelOutsideCh1AndCh2IsRefused) {
    const auto before = std::make_unique<_OX_SETUP>(*setup);
    dso.set(dso::fChanScale[0], 5.0f);
    for (long channel : {-1L, 2L, 1L << 40}) {
        EXPECT_FALSE(Reconcile(1125, channel));
        EXPECT_FALSE(Reconcile(2045, channel));
    }
    EXPECT_EQ(std::memcmp(before.get(), setup.get(), sizeof(_OX_SETUP)), 0);
}

TEST_F(ReadBackTest, SubCommandsWithoutReadBackChangeNothing) {
    dso.set(dso::fTrigHoldoff, 1.0f);
    EXPECT_FALSE(Reconcile(1845));
    EXPECT_FALSE(Reconcile(1148));
    EXPECT_EQ(setup->fTrigHoldoff, 0.0f);
}

} // namespace
