// The trigger handler through the queue: stored fields, command texts on the wire,
// refusals and the pattern masks.
#include "handlers_fixture.h"

namespace {

using namespace oxbow::testing;

constexpr unsigned long kTrigger = 3140;
constexpr int kHigh = 0, kLow = 1, kIgnored = 2, kRising = 3, kFalling = 4;

class TriggerTest : public HandlersTest {
protected:
    void SetUp() override {
        HandlersTest::SetUp();
        for (int bit = 0; bit < 16; ++bit)
            setup->nPatternBit[bit] = setup->nDurationBit[bit] = kIgnored;
    }
    void SetBit(int bit, int condition) { PostInt(kTrigger, 1975, condition, bit); }
};

TEST_F(TriggerTest, PatternSendsValueMaskAndTheEdgeBit) {
    setup->nTrigMode = 5;
    SetBit(0, kHigh);
    SetBit(1, kLow);
    Lines();
    SetBit(2, kRising);
    EXPECT_EQ(Lines(), (Wire{":TRIGGER:PATTERN:PATTERN 1,7,2,1"}));
}

TEST_F(TriggerTest, OnlyOneEdgeBitAtATime) {
    setup->nTrigMode = 5;
    SetBit(2, kRising);
    Lines();
    SetBit(5, kFalling);
    EXPECT_EQ(setup->nPatternBit[2], kIgnored);
    EXPECT_EQ(Lines(), (Wire{":TRIGGER:PATTERN:PATTERN 0,32,5,0"}));
}

TEST_F(TriggerTest, GroupIsSetWholeAndTheHighestEdgeBitIsSent) {
    setup->nTrigMode = 6;
    SetBit(0, kRising);
    Lines();
    PostInt(kTrigger, 1976, kRising, 1); // D8..D15
    EXPECT_EQ(setup->nDurationBit[0], kRising);
    EXPECT_EQ(setup->nDurationBit[15], kRising);
    EXPECT_EQ(setup->nPatternBit[15], kIgnored);
    EXPECT_EQ(Lines(), (Wire{":TRIGGER:DURATION:PATTERN 0,65281,15,1"}));
}

TEST_F(TriggerTest, PatternBitsOutsideThePatternTypesAreStoredButNotSent) {
    setup->nTrigMode = 0;
    SetBit(3, kHigh);
    EXPECT_EQ(setup->nDurationBit[3], kHigh);
    EXPECT_TRUE(Lines().empty());
}

TEST_F(TriggerTest, BitGroupOrConditionOutOfRangeIsRefused) {
    setup->nTrigMode = 5;
    SetBit(16, kHigh);
    EXPECT_EQ(TakeMessage(), "Function not available");
    SetBit(-1, kHigh);
    EXPECT_EQ(TakeMessage(), "Function not available");
    PostInt(kTrigger, 1976, kHigh, 2);
    EXPECT_EQ(TakeMessage(), "Function not available");
    SetBit(4, 5);
    EXPECT_EQ(TakeMessage(), "Function not available");
    for (int bit = 0; bit < 16; ++bit)
        EXPECT_EQ(setup->nPatternBit[bit], kIgnored);
    EXPECT_TRUE(Lines().empty());
}

TEST_F(TriggerTest, VideoLineFollowsTheStandard) {
    setup->nVideoStandard = 1;
    PostInt(kTrigger, 1925, 600);
    EXPECT_EQ(setup->nVideoLine, 600);
    PostInt(kTrigger, 1908, 0);
    EXPECT_EQ(setup->nVideoLine, 525);
    PostInt(kTrigger, 1925, 600);
    EXPECT_EQ(setup->nVideoLine, 525);
    EXPECT_EQ(Lines(), (Wire{":TRIGGER:VIDEO:LINE 600", ":TRIGGER:VIDEO:STANDARD NTSC",
                             ":TRIGGER:VIDEO:LINE 525"}));
}

TEST_F(TriggerTest, EdgeLevelIsLimitedBySourceScaleAndOffset) {
    setup->fChanScale[0] = 0.1f;
    PostFloat(kTrigger, 1865, 1.0f);
    EXPECT_FLOAT_EQ(setup->fEdgeLevel, 0.6f);
    EXPECT_EQ(TakeMessage(), "Trigger level at upper limit");
    EXPECT_EQ(Lines(), (Wire{":TRIGGER:EDGE:LEVEL 0.600000"}));
    setup->nEdgeSource = 3; // EXT5: fixed ±6 V
    PostFloat(kTrigger, 1865, -7.0f);
    EXPECT_FLOAT_EQ(setup->fEdgeLevel, -6.0f);
}

TEST_F(TriggerTest, AlternateTypeShowsBothChannelsAndLeavesDelayed) {
    setup->bDelayed = 1;
    setup->bLaEnable = 1;
    setup->bChanDisplay[1] = 0;
    PostInt(kTrigger, 1825, 4);
    EXPECT_EQ(setup->nTrigMode, 4);
    EXPECT_EQ(setup->bChanDisplay[0], 1);
    EXPECT_EQ(setup->bChanDisplay[1], 1);
    EXPECT_EQ(setup->bDelayed, 0);
    EXPECT_EQ(setup->bLaEnable, 0);
    EXPECT_EQ(setup->bTrigSourceShown, 1);
    PostInt(kTrigger, 1825, 0);
    EXPECT_EQ(setup->bChanDisplay[1], 1);
    EXPECT_EQ(setup->bDelayed, 0);
    EXPECT_EQ(Lines(), (Wire{":TRIGGER:MODE ALTERNATION", ":TRIGGER:MODE EDGE"}));
}

TEST_F(TriggerTest, TriggerMarkerIsShownForAShownChannelSource) {
    setup->bChanDisplay[0] = 1;
    PostInt(kTrigger, 1856, 1);
    EXPECT_EQ(setup->bTrigSourceShown, 0);
    PostInt(kTrigger, 1856, 0);
    EXPECT_EQ(setup->bTrigSourceShown, 1);
    PostInt(kTrigger, 1825, 5);
    EXPECT_EQ(setup->bTrigSourceShown, 0);
}

TEST_F(TriggerTest, CommonSettingsUseTheNodeOfTheCurrentType) {
    setup->nTrigMode = 1;
    PostInt(kTrigger, 1827, 1);
    PostFloat(kTrigger, 1829, 0.5f);
    PostInt(kTrigger, 1828, 3);
    setup->nTrigMode = 3;
    PostInt(kTrigger, 1828, 1); // video has no coupling command
    EXPECT_EQ(setup->nTrigCoupling, 1);
    EXPECT_EQ(Lines(), (Wire{":TRIGGER:PULSE:SWEEP NORMAL", ":TRIGGER:PULSE:SENSITIVITY 0.50",
                             ":TRIGGER:PULSE:COUPLING LF"}));
}

TEST_F(TriggerTest, TimesKeepThreeDigitsDownToNanoseconds) {
    PostFloat(kTrigger, 1845, 1.2345e-6f);
    PostDouble(kTrigger, 1895, 2.044e-7);
    PostDouble(kTrigger, 1965, 20.0);
    PostDouble(kTrigger, 1995, 1.5e-7);
    EXPECT_DOUBLE_EQ(setup->dPulseWidth, 2.04e-7);
    EXPECT_DOUBLE_EQ(setup->dSlopeTime, 10.0);
    EXPECT_EQ(Lines(),
              (Wire{":TRIGGER:HOLDOFF 0.000001230", ":TRIGGER:PULSE:WIDTH 0.000000204",
                    ":TRIGGER:SLOPE:TIME 10.000000000", ":TRIGGER:DURATION:TIME 0.000000150"}));
}

TEST_F(TriggerTest, SourceTexts) {
    PostInt(kTrigger, 1875, 8);
    PostInt(kTrigger, 1905, 5);
    PostInt(kTrigger, 1935, 4);
    EXPECT_EQ(setup->nSlopeSource, 4);
    EXPECT_EQ(Lines(), (Wire{":TRIGGER:PULSE:SOURCE DIGITAL2", ":TRIGGER:VIDEO:SOURCE ACLINE",
                             ":TRIGGER:SLOPE:SOURCE"}));
}

TEST_F(TriggerTest, SelectorsOutOfRangeAreRefusedAndNotStored) {
    setup->nTrigSweep = 1;
    PostInt(kTrigger, 1827, 3);
    EXPECT_EQ(TakeMessage(), "Function not available");
    PostInt(kTrigger, 1856, 22);
    EXPECT_EQ(TakeMessage(), "Function not available");
    PostInt(kTrigger, 1825, 7);
    EXPECT_EQ(TakeMessage(), "Function not available");
    setup->nTrigMode = 9; // a record from elsewhere
    PostInt(kTrigger, 1827, 0);
    EXPECT_EQ(TakeMessage(), "Function not available");
    EXPECT_EQ(setup->nTrigSweep, 1);
    EXPECT_EQ(setup->nEdgeSource, 0);
    EXPECT_TRUE(Lines().empty());
}

TEST_F(TriggerTest, AlternateTriggerPerChannel) {
    setup->nAltType[1] = 1;
    PostFloat(kTrigger, 2009, 0.3f, 1);
    PostFloat(kTrigger, 2010, 2e-7f, 1);
    PostDouble(kTrigger, 2095, 3.456e-5, 0);
    PostInt(kTrigger, 2006, 3, 0);
    setup->fChanScale[1] = 0.5f;
    PostFloat(kTrigger, 2065, 5.0f, 1);
    EXPECT_FLOAT_EQ(setup->fAltSensitivity[1], 0.3f);
    EXPECT_DOUBLE_EQ(double(setup->dAltSlopeTime[0]), 3.46e-5);
    EXPECT_FLOAT_EQ(setup->fAltPulseLevel[1], 3.0f);
    EXPECT_EQ(setup->nAltType[0], 3);
    EXPECT_EQ(Lines(),
              (Wire{":TRIGGER:ALTERNATION:PULSE:SENSITIVITY 0.300000",
                    ":TRIGGER:ALTERNATION:PULSE:HOLDOFF 0.000000200",
                    ":TRIGGER:ALTERNATION:SLOPE:TIME 0.00003460", ":TRIGGER:ALTERNATION:TYPE VIDEO",
                    ":TRIGGER:ALTERNATION:PULSE:LEVEL 3.000000"}));
}

TEST_F(TriggerTest, AlternateChannelOutOfRangeIsRefused) {
    PostInt(kTrigger, 2006, 1, 2);
    EXPECT_EQ(TakeMessage(), "Function not available");
    PostInt(kTrigger, 2005, 2);
    EXPECT_EQ(TakeMessage(), "Function not available");
    PostInt(kTrigger, 2135, 700, -1);
    EXPECT_EQ(TakeMessage(), "Function not available");
    EXPECT_EQ(setup->nAltType[0], 0);
    EXPECT_EQ(setup->nAltType[1], 0);
    EXPECT_TRUE(Lines().empty());
}

TEST_F(TriggerTest, AlternateVideoLineFollowsItsStandard) {
    setup->nAltVideoStandard[1] = 1;
    PostInt(kTrigger, 2135, 620, 1);
    PostInt(kTrigger, 2126, 0, 1);
    EXPECT_EQ(setup->nAltVideoLine[1], 525);
    PostInt(kTrigger, 2005, 1);
    EXPECT_EQ(setup->nAltSource, 1);
    EXPECT_EQ(Lines(), (Wire{":TRIGGER:ALTERNATION:VIDEO:LINE 620",
                             ":TRIGGER:ALTERNATION:VIDEO:STANDARD NTSC",
                             ":TRIGGER:ALTERNATION:SOURCE CHANNEL2"}));
}

TEST_F(TriggerTest, LinkDownSendsNothingButStoresAndMarksTheScreen) {
    setup->bConnected = 0;
    PostFloat(kTrigger, 1865, 0.5f);
    PostInt(kTrigger, 1825, 4);
    EXPECT_TRUE(endpoint.written.empty());
    EXPECT_FLOAT_EQ(setup->fEdgeLevel, 0.5f);
    EXPECT_EQ(setup->nTrigMode, 4);
    EXPECT_EQ(region->bRedrawTrigLevel, 1);
    EXPECT_EQ(region->bRedrawAll, 1);
}

TEST_F(TriggerTest, SourceAndUnitOfTheCurrentType) {
    std::snprintf(setup->szChanUnit[1], sizeof setup->szChanUnit[1], "A");
    setup->nTrigMode = 2;
    setup->nSlopeSource = 1;
    std::string unit;
    GetTrigChanUnit(unit);
    EXPECT_EQ(GetTrigSource(), 1);
    EXPECT_EQ(unit, "A");
    setup->nTrigMode = 4;
    setup->nAltSource = 0;
    EXPECT_EQ(GetTrigSource(), 0);
    setup->nTrigMode = 3;
    setup->nVideoSource = 2;
    GetTrigChanUnit(unit);
    EXPECT_EQ(unit, "V");
}

} // namespace
