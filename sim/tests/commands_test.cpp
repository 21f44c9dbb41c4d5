#include "sim_test_util.h"

#include <gtest/gtest.h>

#include <cmath>

namespace oxbow::sim {
namespace {

namespace d = oxrec::dso;
using test::DsoBlock;
using test::MakeInstrument;

TEST(Identification, NamesMakerModelSerialAndFirmware) {
    InstrumentOptions options;
    options.model = "OXB-A5";
    options.serial = "SN123";
    options.firmware = "01.00";
    options.fpga = "2.0";
    Instrument instrument(options);
    EXPECT_EQ(instrument.Execute("*IDN?").value_or(""), "TAMBER,OXB-A5,SN123,01.00");
    EXPECT_EQ(instrument.Execute(":INFO:FPGA?").value_or(""), "2.0");
    EXPECT_FALSE(instrument.Execute(":RUN").has_value());
}

TEST(PowerUp, ShowsTheDefaultSignalsWell) {
    auto instrument = MakeInstrument();
    const DSO_SETUP b = DsoBlock(*instrument);
    EXPECT_EQ(b.get(d::bChanDisplay[0]), 1);
    EXPECT_FLOAT_EQ(b.get(d::fChanScale[0]), 1.0f);
    EXPECT_EQ(b.get(d::llTimeScalePs), 200'000'000);
    EXPECT_EQ(b.get(d::nTrigMode), 0);
    EXPECT_EQ(b.get(d::nEdgeSource), 0);
    EXPECT_FLOAT_EQ(b.get(d::fEdgeLevel), 0.0f);
    EXPECT_EQ(b.get(d::nTrigSweep), 0);
    EXPECT_EQ(b.get(d::bRun), 1);
}

TEST(ChannelCommands, ScaleSnapsToTheSequenceWithinLimitsAndShowsInTheBlock) {
    auto instrument = MakeInstrument();
    const std::pair<const char*, float> cases[] = {{"0.200000", 0.2f},
                                                   {"0.300000", 0.5f},
                                                   {"0.700000", 1.0f},
                                                   {"0.001000", 0.002f},
                                                   {"50.000000", 10.0f}};
    for (const auto& [text, expected] : cases) {
        instrument->Execute(std::string(":CHANNEL2:SCALE ") + text);
        const DSO_SETUP b = DsoBlock(*instrument);
        EXPECT_FLOAT_EQ(b.get(d::fChanScale[1]), expected) << text;
        EXPECT_EQ(b.get(d::nChanScaleUv[1]), static_cast<int>(expected * 1e6 + 0.5f)) << text;
    }
}

TEST(ChannelCommands, ProbeScalesTipValuesAndKeepsTheInputScale) {
    auto instrument = MakeInstrument();
    instrument->Execute(":CHANNEL1:SCALE 0.500000");
    instrument->Execute(":CHANNEL1:OFFSET 0.200000");
    instrument->Execute(":CHANNEL1:PROBE 10.000000");
    DSO_SETUP b = DsoBlock(*instrument);
    EXPECT_FLOAT_EQ(b.get(d::fChanProbe[0]), 10.0f);
    EXPECT_FLOAT_EQ(b.get(d::fChanScale[0]), 5.0f);
    EXPECT_EQ(b.get(d::nChanScaleUv[0]), 500000);
    EXPECT_FLOAT_EQ(b.get(d::fChanOffset[0]), 2.0f);
    // With probe 10 a requested tip scale snaps at the input: 3 V/div is 0.3 V -> 0.5 V.
    instrument->Execute(":CHANNEL1:SCALE 3.000000");
    b = DsoBlock(*instrument);
    EXPECT_FLOAT_EQ(b.get(d::fChanScale[0]), 5.0f);
    instrument->Execute(":CHANNEL1:SCALE 0.001000");
    EXPECT_FLOAT_EQ(DsoBlock(*instrument).get(d::fChanScale[0]), 0.02f);
}

TEST(ChannelCommands, OffsetLimitDependsOnTheInputScale) {
    auto instrument = MakeInstrument();
    instrument->Execute(":CHANNEL1:SCALE 0.100000");
    instrument->Execute(":CHANNEL1:OFFSET 5.000000");
    EXPECT_FLOAT_EQ(DsoBlock(*instrument).get(d::fChanOffset[0]), 2.0f);
    instrument->Execute(":CHANNEL1:SCALE 1.000000");
    instrument->Execute(":CHANNEL1:OFFSET -50.000000");
    const DSO_SETUP b = DsoBlock(*instrument);
    EXPECT_FLOAT_EQ(b.get(d::fChanOffset[0]), -40.0f);
    EXPECT_EQ(b.get(d::nChanOffsetDiv25[0]), -1000);
}

TEST(TriggerCommands, LevelsAreStoredAtTheInputAndKeptOnScreen) {
    auto instrument = MakeInstrument();
    instrument->Execute(":CHANNEL1:OFFSET 0");
    instrument->Execute(":CHANNEL1:SCALE 0.100000");
    instrument->Execute(":TRIGGER:EDGE:LEVEL 1.000000");
    EXPECT_FLOAT_EQ(DsoBlock(*instrument).get(d::fEdgeLevel), 0.6f);
    instrument->Execute(":CHANNEL1:PROBE 10");
    instrument->Execute(":TRIGGER:EDGE:LEVEL 2.000000");
    EXPECT_FLOAT_EQ(DsoBlock(*instrument).get(d::fEdgeLevel), 0.2f);
    instrument->Execute(":TRIGGER:PULSE:SOURCE CHANNEL2");
    instrument->Execute(":TRIGGER:PULSE:LEVEL -0.500000");
    EXPECT_FLOAT_EQ(DsoBlock(*instrument).get(d::fPulseLevel), -0.5f);
}

TEST(TriggerCommands, TypesSweepsAndTimesAreCoerced) {
    auto instrument = MakeInstrument();
    instrument->Execute(":TRIGGER:MODE SLOPE");
    instrument->Execute(":TRIGGER:SLOPE:SWEEP NORMAL");
    instrument->Execute(":TRIGGER:SLOPE:MODE -LESSTHAN");
    instrument->Execute(":TRIGGER:SLOPE:TIME 0.000000001");
    instrument->Execute(":TRIGGER:HOLDOFF 5.000000000");
    instrument->Execute(":TRIGGER:SLOPE:SENSITIVITY 0.05");
    instrument->Execute(":TRIGGER:VIDEO:STANDARD NTSC");
    instrument->Execute(":TRIGGER:VIDEO:LINE 600");
    const DSO_SETUP b = DsoBlock(*instrument);
    EXPECT_EQ(b.get(d::nTrigMode), 2);
    EXPECT_EQ(b.get(d::nTrigSweep), 1);
    EXPECT_EQ(b.get(d::nSlopeMode), 4);
    EXPECT_FLOAT_EQ(b.get(d::fSlopeTime), 2e-8f);
    EXPECT_FLOAT_EQ(b.get(d::fTrigHoldoff), 1.5f);
    EXPECT_FLOAT_EQ(b.get(d::fTrigSensitivity), 0.1f);
    EXPECT_EQ(b.get(d::nVideoLine), 525);
}

TEST(TriggerCommands, PatternTextSetsEveryLine) {
    auto instrument = MakeInstrument();
    instrument->Execute(":TRIGGER:MODE PATTERN");
    instrument->Execute(":TRIGGER:PATTERN:PATTERN 1,7,2,1");
    auto la = instrument->State().la;
    EXPECT_EQ(la.patternBit[0], 0);
    EXPECT_EQ(la.patternBit[1], 1);
    EXPECT_EQ(la.patternBit[2], 3);
    EXPECT_EQ(la.patternBit[3], 2);
    instrument->Execute(":TRIGGER:DURATION:PATTERN 0,32,5,0");
    instrument->Execute(":TRIGGER:DURATION:QUALIFIER LESSTHAN");
    la = instrument->State().la;
    EXPECT_EQ(la.durationBit[5], 4);
    EXPECT_EQ(la.durationQualifier, 1);
    EXPECT_EQ(la.patternBit[2], 3); // the pattern trigger kept its own lines
}

TEST(TriggerCommands, AlternateSettingsGoToTheChosenChannel) {
    auto instrument = MakeInstrument();
    instrument->Execute(":TRIGGER:MODE ALTERNATION");
    instrument->Execute(":TRIGGER:ALTERNATION:SOURCE CHANNEL2");
    instrument->Execute(":TRIGGER:ALTERNATION:TYPE PULSE");
    instrument->Execute(":TRIGGER:ALTERNATION:PULSE:HOLDOFF 0.000001000");
    instrument->Execute(":TRIGGER:ALTERNATION:EDGE:LEVEL 0.500000");
    instrument->Execute(":TRIGGER:ALTERNATION:CHANNEL1:TIMESCALE 0.000003000");
    const auto st = instrument->State();
    EXPECT_EQ(st.alt[1].type, 1);
    EXPECT_FLOAT_EQ(st.alt[1].holdoff, 1e-6f);
    EXPECT_FLOAT_EQ(st.alt[1].edgeLevel, 0.5f);
    EXPECT_EQ(st.alt[0].type, 0);
    EXPECT_EQ(st.alt[0].timeScalePs, 5'000'000);
    EXPECT_TRUE(st.dso.chan[0].display && st.dso.chan[1].display);
    DSO_ALT_SETUP alt;
    const auto bytes = instrument->ReadBlock(Block::Alt);
    std::memcpy(alt.bytes, bytes.data(), sizeof alt.bytes);
    EXPECT_FLOAT_EQ(alt.get(oxrec::alt::fAltSlopeHoldoff[1]), 1e-6f);
    EXPECT_EQ(alt.get(oxrec::alt::nAltType[1]), 1);
    instrument->Execute(":TRIGGER:ALTERNATION:SOURCE 1");
    EXPECT_EQ(instrument->State().altSource, 0);
    instrument->Execute(":TRIGGER:ALTERNATION:SOURCE EXT");
    EXPECT_EQ(instrument->State().altSource, 0);
}

TEST(TimebaseCommands, ScaleSnapsAndKeepsTheDelayedWindowInside) {
    auto instrument = MakeInstrument("OXB-A1");
    instrument->Execute(":TIMEBASE:DELAYED:SCALE 0.000100000");
    instrument->Execute(":TIMEBASE:SCALE 0.000003000");
    DSO_SETUP b = DsoBlock(*instrument);
    EXPECT_EQ(b.get(d::llTimeScalePs), 5'000'000);
    EXPECT_EQ(b.get(d::llDelayedScalePs), 5'000'000);
    instrument->Execute(":TIMEBASE:SCALE 0.000000001");
    EXPECT_EQ(DsoBlock(*instrument).get(d::llTimeScalePs), 20'000); // this model's fastest
    instrument->Execute(":TIMEBASE:SCALE 0.050000000");
    b = DsoBlock(*instrument);
    EXPECT_EQ(b.get(d::bSlowSweep), 1);
    instrument->Execute(":TIMEBASE:FORMAT ROLLING");
    b = DsoBlock(*instrument);
    EXPECT_EQ(b.get(d::nTimeFormat), 2);
    EXPECT_EQ(b.get(d::llTimeScalePs), 500'000'000'000);
    EXPECT_EQ(b.get(d::bSlowSweep), 0);
}

TEST(AcquireCommands, AveragesMemoryAndModeReachTheBlock) {
    auto instrument = MakeInstrument();
    instrument->Execute(":ACQUIRE:AVERAGES 100");
    instrument->Execute(":ACQUIRE:MODE ETIME");
    instrument->Execute(":ACQUIRE:TYPE PEAKDETECT");
    DSO_SETUP b = DsoBlock(*instrument);
    EXPECT_EQ(instrument->State().dso.acqAverages, 128);
    EXPECT_EQ(b.get(d::nAcqAveragesBits), 8);
    EXPECT_EQ(b.get(d::nAcqEquivalent), 1);
    EXPECT_EQ(b.get(d::nAcqType), 2);
    instrument->Execute(":ACQUIRE:MEMORY FULL");
    b = DsoBlock(*instrument);
    EXPECT_EQ(b.get(d::nAcqLongMemory), 1);
    EXPECT_EQ(b.get(d::nAcqMemory), 524'288); // two channels shown share the memory
    instrument->Execute(":CHANNEL2:DISPLAY OFF");
    EXPECT_EQ(DsoBlock(*instrument).get(d::nAcqMemory), 1'048'576);
}

TEST(LogicAnalyzerCommands, ExistOnlyOnTheMModels) {
    auto withLa = MakeInstrument("OXB-A2M");
    withLa->Execute(":LA:DISPLAY ON");
    withLa->Execute(":DIGITAL3:TURN OFF");
    withLa->Execute(":LA:THRESHOLD CMOS");
    auto st = withLa->State();
    EXPECT_TRUE(st.la.enable);
    EXPECT_FALSE(st.la.channel[3]);
    EXPECT_TRUE(st.la.group1);
    EXPECT_FLOAT_EQ(st.la.threshold, 2.5f);
    withLa->Execute(":LA:GROUP1 OFF");
    EXPECT_FALSE(withLa->State().la.group1);
    withLa->Execute(":LA:THRESHOLD -9.5");
    st = withLa->State();
    EXPECT_EQ(st.la.thresholdType, 3);
    EXPECT_FLOAT_EQ(st.la.threshold, -8.0f);

    auto without = MakeInstrument("OXB-A2");
    std::vector<std::string> ignored;
    without->SetLog([&](const std::string& text) { ignored.push_back(text); });
    without->Execute(":LA:DISPLAY ON");
    EXPECT_FALSE(without->State().la.enable);
    EXPECT_EQ(ignored.size(), 1u);
}

TEST(LanCommands, SettingsAndQueriesUseTheInstrumentsTexts) {
    auto instrument = MakeInstrument();
    instrument->Execute(":LAN:DHCP OFF");
    instrument->Execute(":LAN:IP 192.168.1.2");
    instrument->Execute(":LAN:NETMASK 255.255.255.0");
    instrument->Execute(":LAN:GATEWAY 192.168.1.1");
    instrument->Execute(":LAN:PORT 5025");
    instrument->Execute(":LAN:MACADDRESS 02-4F-58-AA-BB-CC");
    EXPECT_EQ(instrument->Execute(":LAN:DHCP?").value_or(""), "OFF");
    EXPECT_EQ(instrument->Execute(":LAN:IP?").value_or(""), "192.168.1.2");
    EXPECT_EQ(instrument->Execute(":LAN:NETMASK?").value_or(""), "255.255.255.0");
    EXPECT_EQ(instrument->Execute(":LAN:GATEWAY?").value_or(""), "192.168.1.1");
    EXPECT_EQ(instrument->Execute(":LAN:PORT?").value_or(""), "5025");
    EXPECT_EQ(instrument->Execute(":LAN:MACADDRESS?").value_or(""), "02-4F-58-AA-BB-CC");
    const DSO_SETUP b = DsoBlock(*instrument);
    EXPECT_EQ(b.get(d::dwLanIp), 0xC0A80102u);
    EXPECT_EQ(b.get(d::nLanPort), 5025);
    EXPECT_EQ(b.get(d::byLanMac[2]), 0xCC);
    instrument->Execute(":LAN:IP 300.1.1.1");
    EXPECT_EQ(instrument->Execute(":LAN:IP?").value_or(""), "192.168.1.2");
}

TEST(SelfCalibration, EveryStepOfTheSequenceIsAccepted) {
    auto instrument = MakeInstrument();
    std::vector<std::string> ignored;
    instrument->SetLog([&](const std::string& text) { ignored.push_back(text); });
    instrument->Execute(":SELFCAL:ENABLE ON");
    for (const char* digit : {"1", "2"}) {
        const std::string d(digit);
        instrument->Execute(":SELFCAL:GAIN" + d);
        instrument->Execute(":SELFCAL:ATTENB" + d);
        for (const char* scale :
             {"5mV", "10mV", "20mV", "50mV", "100mV", "200mV", "500mV", "1V", "2V", "5V", "10V"}) {
            instrument->Execute(":SELFCAL:OFFSET" + d + " " + scale);
        }
        instrument->Execute(":SELFCAL:TRIG" + d);
    }
    for (const char* step :
         {":SELFCAL:ADC", ":SELFCAL:TRIGEXT", ":SELFCAL:TRIGEXT5", ":SELFCAL:HORIZ"}) {
        instrument->Execute(step);
    }
    EXPECT_TRUE(ignored.empty()) << ignored.front();
    EXPECT_EQ(instrument->State().selfCalSteps, 32);
    EXPECT_TRUE(instrument->State().selfCalEnable);
    instrument->Execute(":SELFCAL:OFFSET3 5mV");
    EXPECT_EQ(instrument->State().selfCalSteps, 32);
}

TEST(CommandText, UnknownAndMalformedTextsChangeNothing) {
    auto instrument = MakeInstrument();
    const auto before = instrument->ReadBlock(Block::Dso);
    std::vector<std::string> ignored;
    instrument->SetLog([&](const std::string& text) { ignored.push_back(text); });
    const char* bad[] = {":CHANNEL3:SCALE 1",
                         ":CHANNEL1:SCALE",
                         ":CHANNEL1:SCALE abc",
                         ":CHANNEL1:SCALE -1",
                         ":CHANNEL1:SCALE nan",
                         ":TIMEBASE:SCALE inf",
                         "::RUN",
                         "RUN",
                         ":BOGUS",
                         ":TRIGGER:MODE",
                         ":TRIGGER:EDGE:SOURCE CHANNEL9",
                         ":CHANNEL1:DISPLAY MAYBE",
                         "\x01\x02\xff"};
    for (const char* text : bad) {
        EXPECT_FALSE(instrument->Execute(text).has_value()) << text;
    }
    EXPECT_EQ(ignored.size(), std::size(bad));
    EXPECT_EQ(instrument->ReadBlock(Block::Dso), before);
    EXPECT_FALSE(instrument->Execute("").has_value()); // the lone terminator of a rate query
    EXPECT_EQ(ignored.size(), std::size(bad));
}

TEST(RunControl, DefaultRestoresThePowerUpSetupAndAutoFitsTheSignal) {
    auto instrument = MakeInstrument();
    instrument->Execute(":CHANNEL1:SCALE 0.01");
    instrument->Execute(":TIMEBASE:SCALE 0.1");
    instrument->Execute(":DEFAULT");
    DSO_SETUP b = DsoBlock(*instrument);
    EXPECT_FLOAT_EQ(b.get(d::fChanScale[0]), 1.0f);
    EXPECT_EQ(b.get(d::llTimeScalePs), 200'000'000);

    SignalSource s;
    std::string error;
    ASSERT_TRUE(ParseSignalText("sine,3k,1.2Vpp,offset=0.4", s, error));
    instrument->SetSignal(0, s);
    instrument->Execute(":AUTO");
    b = DsoBlock(*instrument);
    const float scale = b.get(d::fChanScale[0]);
    EXPECT_GE(1.2 / scale, 3.0);
    EXPECT_LE(1.2 / scale, 8.0);
    EXPECT_NEAR(b.get(d::fChanOffset[0]), -0.4f, 1e-6);
    EXPECT_NEAR(b.get(d::fEdgeLevel), 0.4f, 1e-3);
    const double periods = 14.0 * b.get(d::llTimeScalePs) * 1e-12 * 3000.0;
    EXPECT_GE(periods, 2.0);
    EXPECT_LE(periods, 3.5);
    EXPECT_EQ(b.get(d::bRun), 1);
}

TEST(Blocks, RecordedScaleAndOffsetOutsideTheIntegerCopiesAreHeldAtTheirLimits) {
    auto instrument = MakeInstrument();
    DSO_SETUP b = DsoBlock(*instrument);
    b.set(d::fChanScaleRec[0], 1e30f);
    b.set(d::fChanOffsetRec[0], -1e30f);
    b.set(d::fChanScaleRec[1], -1e30f);
    b.set(d::fChanOffsetRec[1], 1e30f);
    ASSERT_TRUE(instrument->WriteBlock(Block::Dso, b.bytes, sizeof b.bytes));
    const DSO_SETUP back = DsoBlock(*instrument);
    EXPECT_EQ(back.get(d::nChanScaleRecUv[0]), INT32_MAX);
    EXPECT_EQ(back.get(d::nChanOffsetRecDiv25[0]), INT16_MIN);
    EXPECT_EQ(back.get(d::nChanScaleRecUv[1]), INT32_MIN);
    EXPECT_EQ(back.get(d::nChanOffsetRecDiv25[1]), INT16_MAX);
}

TEST(Blocks, WrittenBlocksReplaceTheInstrumentsOwnAndAreCoerced) {
    auto instrument = MakeInstrument();
    DSO_SETUP b = DsoBlock(*instrument);
    b.set(d::fChanScale[0], 5.0f); // written with probe 1.0 and 0.5 V/div at the input
    b.set(d::nChanScaleUv[0], 500'000);
    b.set(d::fChanProbe[0], 1.0f);
    b.set(d::llTimeScalePs, std::int64_t{3'000'000});
    b.set(d::nTrigSweep, 7);
    b.set(d::fChanOffset[1], std::nanf(""));
    ASSERT_TRUE(instrument->WriteBlock(Block::Dso, b.bytes, sizeof b.bytes));
    const DSO_SETUP back = DsoBlock(*instrument);
    EXPECT_FLOAT_EQ(back.get(d::fChanProbe[0]), 10.0f);
    EXPECT_FLOAT_EQ(back.get(d::fChanScale[0]), 5.0f);
    EXPECT_EQ(back.get(d::llTimeScalePs), 5'000'000);
    EXPECT_EQ(back.get(d::nTrigSweep), 2);
    EXPECT_FLOAT_EQ(back.get(d::fChanOffset[1]), 0.0f);
    EXPECT_FALSE(instrument->WriteBlock(Block::Dso, b.bytes, 779));

    _OX_LA_SETUP la;
    const auto laBytes = instrument->ReadBlock(Block::La);
    std::memcpy(la.bytes, laBytes.data(), sizeof la.bytes);
    la.set(oxrec::la::nPatternBit(4), 3);
    la.bytes[75] = 0xAB; // a byte no field covers is kept as written
    ASSERT_TRUE(instrument->WriteBlock(Block::La, la.bytes, sizeof la.bytes));
    const auto laBack = instrument->ReadBlock(Block::La);
    EXPECT_EQ(instrument->State().la.patternBit[4], 3);
    EXPECT_EQ(laBack[75], 0xAB);
}

} // namespace
} // namespace oxbow::sim
