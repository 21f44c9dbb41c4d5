// Channel group 3135 through the queue: stored values, command texts, refusals, the
// probe rescaling and the record/playback gate; the active and shown-when-stopped traces.
#include "handlers_vertical_fixture.h"

#include <algorithm>

namespace {

using ChannelTest = VerticalHandlersTest;

TEST_F(ChannelTest, ScaleIsValidatedStoredAndSentWithSixDecimals) {
    PostFloat(3135, 1125, 0, 0.001f);
    EXPECT_FLOAT_EQ(setup->fChanScale[0], 0.002f);
    EXPECT_EQ(Shown(), "Volts/Div at lower limit");
    EXPECT_EQ(SentWithReadBack(), (SentCommand{":CHANNEL1:SCALE 0.002000", true}));
    EXPECT_TRUE(region->bRedrawChanMarker);
    EXPECT_TRUE(region->bRedrawTrigLevel);

    PostFloat(3135, 1125, 1, 0.5f);
    EXPECT_EQ(SentOnce(), ":CHANNEL2:SCALE 0.500000");
    EXPECT_FALSE(Shown());
}

// A scale of zero or below, or an average count below one, means nothing: refused whole
// with its message, nothing stored or sent; a value inside the domain is still clamped.
TEST_F(ChannelTest, ValuesOutsideTheirDomainAreRefusedNotClamped) {
    setup->fChanScale[0] = 0.5f;
    setup->dTimeScale = 1e-3;
    setup->llTimeScalePs = 1'000'000'000;
    setup->nAcqAverages = 16;
    setup->nTrigMode = oxcmd::code::kAlternate;
    setup->dAltTimeScale[1] = 1e-3;
    struct Case {
        unsigned long group;
        unsigned int sub;
        long value;
        double argument;
        const char* message;
    };
    const Case cases[] = {
        {3135, 1125, 0, -1, "Volts/Div must be greater than 0"},
        {3135, 1125, 0, 0, "Volts/Div must be greater than 0"},
        {3139, 1645, 0, -500e-6, "Time/Div must be greater than 0"},
        {3139, 1645, 0, 0, "Time/Div must be greater than 0"},
        {3139, 1665, 0, -1, "Time/Div must be greater than 0"},
        {3139, 2015, 1, -1e-3, "Time/Div must be greater than 0"},
        {3141, 1745, 0, -4, "Acquire average number must be greater than 0"},
        {3141, 1745, 0, 0, "Acquire average number must be greater than 0"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.sub) + " " + std::to_string(c.argument));
        if (c.group == 3141)
            PostInt(c.group, c.sub, c.value, static_cast<int>(c.argument));
        else if (c.group == 3135)
            PostFloat(c.group, c.sub, c.value, static_cast<float>(c.argument));
        else
            PostDouble(c.group, c.sub, c.value, c.argument);
        EXPECT_EQ(Shown(), c.message);
        EXPECT_TRUE(NothingSent());
    }
    EXPECT_FLOAT_EQ(setup->fChanScale[0], 0.5f);
    EXPECT_DOUBLE_EQ(setup->dTimeScale, 1e-3);
    EXPECT_DOUBLE_EQ(setup->dAltTimeScale[1], 1e-3);
    EXPECT_EQ(setup->nAcqAverages, 16);

    PostInt(3141, 1745, 0, 1);
    EXPECT_EQ(setup->nAcqAverages, 2);
    EXPECT_EQ(Shown(), "Acquire average number at lower limit");
}

TEST_F(ChannelTest, OffsetIsValidatedAgainstTheChannelsScale) {
    setup->fChanScale[1] = 0.1f;
    PostFloat(3135, 1135, 1, 3.0f);
    EXPECT_FLOAT_EQ(setup->fChanOffset[1], 2.0f);
    EXPECT_EQ(Shown(), "Volt offset at upper limit");
    EXPECT_EQ(SentOnce(), ":CHANNEL2:OFFSET 2.000000");
}

TEST_F(ChannelTest, ProbeRescalesScaleOffsetAndTheEdgeLevel) {
    setup->fChanScale[0] = 0.5f;
    setup->fChanOffset[0] = 0.2f;
    setup->nTrigMode = 0;
    setup->nEdgeSource = 1; // whatever the source, the level follows
    setup->fEdgeLevel = 0.3f;
    PostFloat(3135, 1147, 0, 10.0f);
    EXPECT_FLOAT_EQ(setup->fChanProbe[0], 10.0f);
    EXPECT_FLOAT_EQ(setup->fChanScale[0], 5.0f);
    EXPECT_FLOAT_EQ(setup->fChanOffset[0], 2.0f);
    EXPECT_FLOAT_EQ(setup->fEdgeLevel, 3.0f);
    EXPECT_EQ(SentOnce(), ":CHANNEL1:PROBE 10.000000");
}

TEST_F(ChannelTest, ProbeScalesOnlyTheLevelOfTheCurrentTriggerType) {
    setup->fChanProbe[1] = 10.0f;
    setup->fEdgeLevel = 1.0f;
    setup->nTrigMode = 2;
    setup->fSlopeLevelA = 1.0f;
    setup->fSlopeLevelB = -2.0f;
    PostFloat(3135, 1147, 1, 1.0f);
    EXPECT_FLOAT_EQ(setup->fSlopeLevelA, 0.1f);
    EXPECT_FLOAT_EQ(setup->fSlopeLevelB, -0.2f);
    EXPECT_FLOAT_EQ(setup->fEdgeLevel, 1.0f);

    setup->nTrigMode = 5; // pattern: no level
    PostFloat(3135, 1147, 1, 100.0f);
    EXPECT_FLOAT_EQ(setup->fSlopeLevelA, 0.1f);
}

TEST_F(ChannelTest, ProbeWithTheAlternateTriggerScalesTheEditedChannelsOwnLevel) {
    setup->nTrigMode = 4;
    setup->nAltType[0] = 1;
    setup->nAltType[1] = 3;
    setup->fAltPulseLevel[0] = 0.5f;
    setup->fAltVideoLevel[1] = 0.5f;
    setup->fAltEdgeLevel[1] = 0.5f;
    PostFloat(3135, 1147, 1, 10.0f);
    EXPECT_FLOAT_EQ(setup->fAltVideoLevel[1], 5.0f);
    EXPECT_FLOAT_EQ(setup->fAltEdgeLevel[1], 0.5f);
    EXPECT_FLOAT_EQ(setup->fAltPulseLevel[0], 0.5f);
}

TEST_F(ChannelTest, ProbeThatIsNotAPositiveNumberIsRefused) {
    setup->fChanScale[0] = 0.5f;
    for (float ratio : {0.0f, -10.0f, std::nanf(""), INFINITY}) {
        PostFloat(3135, 1147, 0, ratio);
        EXPECT_EQ(Shown(), "Function not available");
    }
    EXPECT_FLOAT_EQ(setup->fChanProbe[0], 1.0f);
    EXPECT_FLOAT_EQ(setup->fChanScale[0], 0.5f);
    EXPECT_TRUE(NothingSent());
}

TEST_F(ChannelTest, ProbeFromAnUnsetRatioStoresItWithoutRescaling) {
    setup->fChanProbe[0] = 0.0f;
    setup->fChanScale[0] = 0.5f;
    PostFloat(3135, 1147, 0, 10.0f);
    EXPECT_FLOAT_EQ(setup->fChanProbe[0], 10.0f);
    EXPECT_FLOAT_EQ(setup->fChanScale[0], 0.5f);
}

TEST_F(ChannelTest, DuringPlaybackOnlyShowingAChannelWorks) {
    setup->nRecordState = 2;
    setup->fChanScale[1] = 1.0f;
    setup->bChanDisplay[1] = 1;
    PostFloat(3135, 1125, 1, 0.5f);
    EXPECT_FLOAT_EQ(setup->fChanScale[1], 1.0f);
    EXPECT_EQ(Shown(), "Function not available");
    EXPECT_TRUE(NothingSent());

    PostBool(3135, 1148, 1, false);
    EXPECT_EQ(setup->bChanDisplay[1], 0);
    EXPECT_EQ(SentOnce(), ":CHANNEL2:DISPLAY OFF");
    EXPECT_FALSE(Shown());
}

TEST_F(ChannelTest, RecordingAndPausedPlaybackRefuseToo) {
    for (int state : {1, 3}) {
        setup->nRecordState = state;
        PostInt(3135, 1145, 0, 1);
        EXPECT_EQ(Shown(), "Function not available");
    }
    EXPECT_EQ(setup->nChanCoupling[0], 0);
    EXPECT_TRUE(NothingSent());
}

TEST_F(ChannelTest, AChannelOutOfRangeIsRefusedAndNothingIsStored) {
    const _OX_SETUP before = *setup;
    for (long channel : {2L, -1L, 1000000L}) {
        PostFloat(3135, 1125, channel, 0.5f);
        EXPECT_EQ(Shown(), "Function not available");
        PostBool(3135, 1148, channel, true);
        EXPECT_EQ(Shown(), "Function not available");
    }
    std::memset(setup->szSystemError, 0, sizeof setup->szSystemError);
    EXPECT_EQ(std::memcmp(&before, setup.get(), sizeof before), 0);
    EXPECT_TRUE(NothingSent());
}

TEST_F(ChannelTest, SwitchesAndSelectorsSendTheirTexts) {
    PostInt(3135, 1145, 0, 1);
    EXPECT_EQ(SentOnce(), ":CHANNEL1:COUPLING AC");
    PostInt(3135, 1145, 0, 2);
    EXPECT_EQ(SentOnce(), ":CHANNEL1:COUPLING DC");
    EXPECT_EQ(setup->nChanCoupling[0], 2);
    PostBool(3135, 1146, 1, true);
    EXPECT_EQ(SentOnce(), ":CHANNEL2:BWLIMIT ON");
    EXPECT_EQ(setup->bChanBwLimit[1], 1);
    PostBool(3135, 1149, 0, true);
    EXPECT_EQ(SentOnce(), ":CHANNEL1:INVERT ON");
    PostInt(3135, 1151, 1, 1);
    EXPECT_EQ(SentOnce(), ":CHANNEL2:INPUT 50OHM");
    PostInt(3135, 1151, 1, 0);
    EXPECT_EQ(SentOnce(), ":CHANNEL2:INPUT 1MOHM");
    PostBool(3135, 1155, 0, false);
    EXPECT_EQ(SentOnce(), ":CHANNEL1:FILTER:DISPLAY OFF");
    PostInt(3135, 1185, 1, 3);
    EXPECT_EQ(SentOnce(), ":CHANNEL2:FILTER:TYPE BANDREJECT");
    EXPECT_EQ(setup->nChanFilterType[1], 3);
    EXPECT_TRUE(region->bRedrawCursor);
}

TEST_F(ChannelTest, FilterLimitsAreValidated) {
    PostFloat(3135, 1165, 0, 0.6f);
    EXPECT_FLOAT_EQ(setup->fChanFilterUpper[0], 0.495f);
    EXPECT_EQ(Shown(), "Filter frequency at upper limit");
    EXPECT_EQ(SentOnce(), ":CHANNEL1:FILTER:UPLIMIT 0.495000");
    PostFloat(3135, 1175, 1, 0.001f);
    EXPECT_FLOAT_EQ(setup->fChanFilterLower[1], 0.005f);
    EXPECT_EQ(SentOnce(), ":CHANNEL2:FILTER:DOWNLIMIT 0.005000");
}

TEST_F(ChannelTest, FilterTypeOutOfRangeIsRefused) {
    setup->nChanFilterType[0] = 2;
    PostInt(3135, 1185, 0, 4);
    EXPECT_EQ(Shown(), "Function not available");
    EXPECT_EQ(setup->nChanFilterType[0], 2);
    EXPECT_TRUE(NothingSent());
}

TEST_F(ChannelTest, UnitIsShownOnlyAndNeedsAKnownSelector) {
    PostInt(3135, 1150, 1, 3);
    EXPECT_STREQ(setup->szChanUnit[1], "dBV");
    EXPECT_EQ(setup->nChanUnit[1], 3);
    PostInt(3135, 1150, 1, 7);
    EXPECT_STREQ(setup->szChanUnit[1], "U");
    EXPECT_TRUE(NothingSent());
    for (int unit : {6, 8, -1}) {
        PostInt(3135, 1150, 1, unit);
        EXPECT_EQ(Shown(), "Function not available");
    }
    EXPECT_EQ(setup->nChanUnit[1], 7);
}

TEST_F(ChannelTest, ShowingAChannelDecidesWhetherTheTriggerLevelIsDrawn) {
    setup->nTrigMode = 0;
    setup->nEdgeSource = 1;
    setup->bChanDisplay[1] = 1;
    PostBool(3135, 1148, 1, false);
    EXPECT_EQ(setup->bTrigSourceShown, 0);
    PostBool(3135, 1148, 1, true);
    EXPECT_EQ(setup->bTrigSourceShown, 1);
    EXPECT_TRUE(region->bRedrawAll);
}

TEST_F(ChannelTest, WhileDisconnectedTheRecordAndScreenStillFollow) {
    setup->bConnected = 0;
    PostFloat(3135, 1125, 0, 0.2f);
    EXPECT_FLOAT_EQ(setup->fChanScale[0], 0.2f);
    EXPECT_TRUE(region->bRedrawChanMarker);
    EXPECT_TRUE(NothingSent());
}

TEST_F(ChannelTest, OffsetMovesTheGroundMarkerAndMarksTheChangeOnce) {
    region->rcMain = {0, 0, 700, 400};
    setup->fChanScale[1] = 1.0f;
    setup->bRun = 1;
    PostFloat(3135, 1135, 1, 2.0f); // two divisions up from the centre row
    EXPECT_EQ(region->ptTrace[0][1].y, 100);
    PostFloat(3135, 1135, 1, -1.0f);
    EXPECT_EQ(region->ptTrace[0][1].y, 250);
    EXPECT_EQ(setup->bSettingChanged, 1);
    const std::vector<CWndMessage> messages = mainWindow.Messages();
    EXPECT_EQ(std::count(messages.begin(), messages.end(), CWndMessage{3125, 4444, 0}), 1);
}

TEST_F(ChannelTest, ReadBackStoresWhatTheInstrumentAccepted) {
    link.whole = true;
    link.dso.set(oxrec::dso::fChanScale[1], 0.5f);
    PostFloat(3135, 1125, 1, 0.7f);
    EXPECT_FLOAT_EQ(setup->fChanScale[1], 0.5f);
}

TEST(ActiveChannel, PicksTheRequestedShownTraceOrTheFirstShown) {
    _OX_SETUP setup{};
    oxmsg::Records().setup = &setup;
    setup.bChanDisplay[1] = 1;
    setup.bTraceShown[2] = 1;
    setup.bLaEnable = 1;
    EXPECT_TRUE(SetActiveChannel(7));
    EXPECT_EQ(setup.nActiveChannel, 7);
    EXPECT_TRUE(SetActiveChannel(4));
    EXPECT_EQ(setup.nActiveChannel, 4);
    EXPECT_TRUE(SetActiveChannel(0)); // hidden: the first shown instead
    EXPECT_EQ(setup.nActiveChannel, 1);
    setup.bChanDisplay[1] = 0;
    EXPECT_TRUE(SetActiveChannel(-3));
    EXPECT_EQ(setup.nActiveChannel, 7);
    setup.bTraceShown[2] = 0;
    EXPECT_TRUE(SetActiveChannel(9));
    EXPECT_EQ(setup.nActiveChannel, 4);
    setup.bLaEnable = 0;
    EXPECT_FALSE(SetActiveChannel(0));
    EXPECT_EQ(setup.nActiveChannel, 9);
    oxmsg::Records() = {};
}

TEST(ChanEnabledStop, CopiesOrClearsTheShownWhenStoppedFlags) {
    _OX_SETUP setup{};
    oxmsg::Records().setup = &setup;
    setup.bChanDisplay[0] = 1;
    setup.bTraceShown[3] = 1;
    setup.bLaEnable = 1;
    setup.bChanShownStop[1] = 1;
    SetChanEnabledStop(true);
    EXPECT_EQ(setup.bChanShownStop[0], 1);
    EXPECT_EQ(setup.bChanShownStop[1], 0);
    EXPECT_EQ(setup.bTraceShownStop[3], 1);
    EXPECT_EQ(setup.bLaShownStop, 1);
    SetChanEnabledStop(false);
    EXPECT_EQ(setup.bChanShownStop[0] + setup.bTraceShownStop[3] + setup.bLaShownStop, 0);
    oxmsg::Records() = {};
}

} // namespace
