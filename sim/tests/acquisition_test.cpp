#include "sim_test_util.h"

#include <gtest/gtest.h>

#include <cmath>
#include <set>

namespace oxbow::sim {
namespace {

using test::Crossing;
using test::FramesOf;
using test::MakeInstrument;
using test::U16;
using test::U32;

// Power-up: CH1 is a 1 kHz sine of 3 Vpp at 1 V/div with its trace 1.5 divisions up,
// triggered at 0 V, so the crossing code is 125 - 1.5 * 25.
constexpr int kCh1ZeroCode = 87;

std::vector<std::vector<std::uint8_t>> LiveFrames(Instrument& instrument, unsigned mask,
                                                  double seconds,
                                                  std::vector<std::uint8_t>* blockOut = nullptr) {
    instrument.Advance(seconds);
    std::vector<std::uint8_t> block;
    instrument.LiveBlock(mask, block);
    const bool delayed = instrument.State().dso.delayed;
    std::size_t stride = 0;
    for (int source = 0; source < 3; ++source) {
        if (mask & (1u << source)) stride += source == 2 ? 4096 : 2048;
    }
    if (blockOut) *blockOut = block;
    return FramesOf(block, delayed ? 2 * stride : stride);
}

TEST(LiveFrames, PeriodicSignalStandsStillAtTheTriggerPoint) {
    auto instrument = MakeInstrument();
    const auto frames = LiveFrames(*instrument, 3, 0.1);
    ASSERT_GE(frames.size(), 20u);
    for (const auto& frame : frames) {
        const auto crossing = Crossing(frame.data(), kCh1ZeroCode, 1024);
        ASSERT_TRUE(crossing.has_value());
        EXPECT_NEAR(*crossing, 1024, 1);
        EXPECT_GT(frame[*crossing - 20], frame[*crossing + 20]); // rising voltage, falling code
    }
}

TEST(LiveFrames, SlopeAndTimeOffsetMoveTheCrossing) {
    auto instrument = MakeInstrument();
    instrument->Execute(":TRIGGER:EDGE:SLOPE NEGATIVE");
    instrument->Execute(":TIMEBASE:OFFSET 0.000100000"); // half a division: 50 samples
    const auto frames = LiveFrames(*instrument, 1, 0.05);
    ASSERT_FALSE(frames.empty());
    for (const auto& frame : frames) {
        const auto crossing = Crossing(frame.data(), kCh1ZeroCode, 974, true);
        ASSERT_TRUE(crossing.has_value());
        EXPECT_NEAR(*crossing, 974, 1);
    }
}

TEST(LiveFrames, TriggerOnChannelTwoAtItsLevel) {
    auto instrument = MakeInstrument();
    instrument->Execute(":TRIGGER:EDGE:SOURCE CHANNEL2");
    instrument->Execute(":TRIGGER:EDGE:LEVEL 0.500000");
    const auto frames = LiveFrames(*instrument, 3, 0.05);
    ASSERT_FALSE(frames.empty());
    // CH2: 2 Vpp square, trace 2 divisions down; it jumps through 0.5 V at sample 1024.
    for (const auto& frame : frames) {
        const std::uint8_t* ch2 = frame.data() + 2048;
        EXPECT_EQ(ch2[1022], 125 + 75);
        EXPECT_EQ(ch2[1026], 125 + 25);
    }
}

TEST(LiveFrames, NormalSweepWithoutTriggerGivesNoFrames) {
    auto instrument = MakeInstrument();
    instrument->Execute(":TRIGGER:EDGE:SWEEP NORMAL");
    instrument->Execute(":TRIGGER:EDGE:LEVEL 2.000000");
    std::vector<std::uint8_t> block;
    EXPECT_TRUE(LiveFrames(*instrument, 3, 0.2, &block).empty());
    EXPECT_EQ(block.size(), kUsbBlockHeader);
    instrument->Advance(0.2);
    std::vector<std::uint8_t> reply;
    instrument->LanLiveReply(reply);
    ASSERT_EQ(reply.size(), kLanLiveHeader);
    EXPECT_EQ(U32(reply, 0), kLanLiveHeader);
    EXPECT_EQ(reply[14], kStatusWait);

    instrument->Execute(":TRIGGER:EDGE:SWEEP AUTO");
    const auto frames = LiveFrames(*instrument, 3, 0.2, &block);
    ASSERT_FALSE(frames.empty());
    EXPECT_EQ(block[512], kStatusAuto);
}

TEST(LiveFrames, SingleSweepGivesOneBlockAndStops) {
    auto instrument = MakeInstrument();
    instrument->Execute(":STOP");
    instrument->Execute(":TRIGGER:EDGE:SWEEP SINGLE");
    instrument->Execute(":RUN");
    std::vector<std::uint8_t> block;
    const auto frames = LiveFrames(*instrument, 1, 0.1, &block);
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(block[512], kStatusTriggered);
    EXPECT_EQ(block[763], 0); // the single sweep is no longer pending
    EXPECT_FALSE(instrument->State().dso.run);
    EXPECT_EQ(instrument->State().dso.runState, 1);
    EXPECT_TRUE(LiveFrames(*instrument, 1, 0.1).empty());
}

TEST(LiveFrames, RingKeepsTheNewestFramesAtTheirSlots) {
    auto instrument = MakeInstrument();
    instrument->Execute(":TIMEBASE:SCALE 0.000001"); // 1 ms per acquisition
    std::vector<std::uint8_t> block;
    auto frames = LiveFrames(*instrument, 3, 0.3, &block);
    EXPECT_EQ(frames.size(), 250u);
    EXPECT_EQ(block.size(), kUsbBlockHeader + 250u * 4096u);
    EXPECT_EQ(U16(block, 6), 0u);
    frames = LiveFrames(*instrument, 3, 0.0051, &block);
    ASSERT_EQ(frames.size(), 5u);
    EXPECT_EQ(U16(block, 6), 5u);
    EXPECT_EQ(block.size(), kUsbBlockHeader + 5u * 4096u);
}

TEST(LiveFrames, LargeFramesNeverOverflowTheReceiveBuffer) {
    auto instrument = MakeInstrument("OXB-A4M");
    instrument->Execute(":LA:DISPLAY ON");
    instrument->Execute(":TIMEBASE:SCALE 0.000001");
    instrument->Execute(":TIMEBASE:MODE DELAYED");
    std::vector<std::uint8_t> block;
    for (int round = 0; round < 4; ++round) {
        const auto frames = LiveFrames(*instrument, 7, 0.2, &block);
        EXPECT_FALSE(frames.empty());
        EXPECT_LE(block.size(), kReceiveBufferBytes);
        EXPECT_EQ((block.size() - kUsbBlockHeader) % 16384, 0u);
    }
}

TEST(LiveFrames, DelayedSweepAddsTheZoomedWindowAfterEachSource) {
    auto instrument = MakeInstrument();
    instrument->Execute(":TIMEBASE:DELAYED:SCALE 0.000020");
    instrument->Execute(":TIMEBASE:MODE DELAYED");
    const auto frames = LiveFrames(*instrument, 1, 0.05);
    ASSERT_FALSE(frames.empty());
    ASSERT_EQ(frames[0].size(), 4096u);
    const std::uint8_t* zoomed = frames[0].data() + 2048;
    EXPECT_NEAR(Crossing(zoomed, kCh1ZeroCode, 1024).value_or(-1), 1024, 1);
    // Ten times the time resolution: the zoomed trace changes more slowly around the trigger.
    EXPECT_LT(std::abs(zoomed[1074] - zoomed[974]), std::abs(frames[0][1074] - frames[0][974]));
}

TEST(LiveFrames, LogicAnalyzerCarriesTheCounter) {
    auto instrument = MakeInstrument("OXB-A3M");
    instrument->Execute(":LA:DISPLAY ON");
    const auto frames = LiveFrames(*instrument, 4, 0.05);
    ASSERT_FALSE(frames.empty());
    const auto& f = frames[0];
    const auto at = [&f](int i) { return f[2 * i] | (f[2 * i + 1] << 8); };
    EXPECT_EQ((at(101) - at(100)) & 0xFFFF, 2); // 2 us per sample, 1 MHz counter
}

TEST(LiveFrames, PatternTriggerFindsTheCounterValue) {
    auto instrument = MakeInstrument("OXB-A3M");
    instrument->Execute(":LA:DISPLAY ON");
    instrument->Execute(":TIMEBASE:SCALE 0.000000100"); // 1 ns per sample, 1 us per count
    instrument->Execute(":TRIGGER:MODE PATTERN");
    instrument->Execute(":TRIGGER:PATTERN:PATTERN 5,15");
    const auto frames = LiveFrames(*instrument, 4, 0.01);
    ASSERT_FALSE(frames.empty());
    for (const auto& f : frames) {
        EXPECT_EQ(f[2 * 1024] & 0x0F, 5);
        EXPECT_EQ(f[2 * 1000] & 0x0F, 4);
    }
}

TEST(LiveFrames, AlternateTriggerUsesEachChannelsTimebase) {
    auto instrument = MakeInstrument();
    instrument->Execute(":TRIGGER:MODE ALTERNATION");
    instrument->Execute(":TRIGGER:ALTERNATION:SOURCE CHANNEL2");
    instrument->Execute(":TRIGGER:ALTERNATION:CHANNEL2:TIMESCALE 0.000001");
    const auto frames = LiveFrames(*instrument, 3, 0.05);
    ASSERT_FALSE(frames.empty());
    for (const auto& f : frames) {
        EXPECT_NEAR(Crossing(f.data(), kCh1ZeroCode, 1024).value_or(-1), 1024, 1);
        const std::uint8_t* ch2 = f.data() + 2048;
        EXPECT_EQ(ch2[1000], 125 + 75); // the square's low half before its rising edge
        EXPECT_EQ(ch2[1100], 125 + 25); // and the high half 1 us later
    }
}

TEST(LanLive, ReplyHeaderCarriesLengthStatusAndOneFrame) {
    auto instrument = MakeInstrument();
    instrument->Advance(0.05);
    std::vector<std::uint8_t> reply;
    instrument->LanLiveReply(reply);
    ASSERT_EQ(reply.size(), kLanLiveHeader + 4096);
    EXPECT_EQ(U32(reply, 0), reply.size());
    EXPECT_EQ(reply[14], kStatusTriggered);
    EXPECT_EQ(U16(reply, 12), 350u);
    EXPECT_NEAR(Crossing(reply.data() + kLanLiveHeader, kCh1ZeroCode, 1024).value_or(-1), 1024, 1);
}

TEST(Memory, RecordLengthIsSharedAndAlwaysFitsTheReceiveBuffer) {
    struct Case {
        bool ch2;
        bool la;
        bool longMemory;
        int points;
    };
    const Case cases[] = {{false, false, true, 1'048'576}, {true, false, true, 524'288},
                          {false, true, true, 262'144},    {true, true, true, 262'144},
                          {false, false, false, 8192},     {true, false, false, 4096}};
    for (const auto& c : cases) {
        auto instrument = MakeInstrument("OXB-A6M");
        instrument->Execute(std::string(":CHANNEL2:DISPLAY ") + (c.ch2 ? "ON" : "OFF"));
        instrument->Execute(std::string(":LA:DISPLAY ") + (c.la ? "ON" : "OFF"));
        instrument->Execute(std::string(":ACQUIRE:MEMORY ") + (c.longMemory ? "FULL" : "NORMAL"));
        instrument->Advance(0.01);
        instrument->Execute(":STOP");
        const auto st = instrument->State();
        EXPECT_EQ(st.dso.acqMemory, c.points);
        std::vector<std::uint8_t> record;
        instrument->FullRecord(instrument->ShownMask(), record);
        const std::size_t analog = c.ch2 ? 2 : 1;
        EXPECT_EQ(record.size(), (analog + (c.la ? 2 : 0)) * static_cast<std::size_t>(c.points));
        EXPECT_LT(record.size(), kReceiveBufferBytes);
        // The sample rate turns the record into at least the 14 divisions on screen.
        EXPECT_GE(c.points / st.dso.sampleRate, 14.0 * st.dso.timeScale * 0.999);
        EXPECT_FLOAT_EQ(st.dso.sampleRate, st.dso.sampleRateMem);
    }
}

TEST(FullRecord, IsCentredOnTheTriggerOfTheLastFrame) {
    auto instrument = MakeInstrument();
    LiveFrames(*instrument, 3, 0.05);
    instrument->Execute(":STOP");
    const int n = instrument->State().dso.acqMemory;
    std::vector<std::uint8_t> record;
    instrument->FullRecord(3, record);
    ASSERT_EQ(record.size(), 2u * n);
    // 1 MSa/s: the sine crosses zero rising at the middle and every 1000 points.
    std::set<int> crossings;
    for (int i = 1; i < n; ++i) {
        if (record[i - 1] > kCh1ZeroCode && record[i] <= kCh1ZeroCode) crossings.insert(i);
    }
    EXPECT_TRUE(crossings.count(n / 2) || crossings.count(n / 2 + 1)) << *crossings.begin();
    std::vector<std::uint8_t> again;
    instrument->FullRecord(3, again);
    EXPECT_EQ(record, again);
}

TEST(FullRecord, LogicPieceIsHalvedWithOneChannelAtFastTimebases) {
    auto instrument = MakeInstrument("OXB-A6M");
    instrument->Execute(":LA:DISPLAY ON");
    instrument->Execute(":CHANNEL2:DISPLAY OFF");
    instrument->Execute(":TIMEBASE:SCALE 0.000000050");
    instrument->Execute(":STOP");
    const int n = instrument->State().dso.acqMemory;
    std::vector<std::uint8_t> record;
    instrument->FullRecord(5, record);
    EXPECT_EQ(record.size(), 2u * n);
    instrument->Execute(":TIMEBASE:SCALE 0.000000100");
    instrument->FullRecord(5, record);
    EXPECT_EQ(record.size(), 2u * n); // a stopped record keeps the settings it was taken with
    instrument->Execute(":RUN");
    instrument->Execute(":STOP");
    instrument->FullRecord(5, record);
    EXPECT_EQ(record.size(), 3u * n);
}

TEST(Scanning, RollMovesTheScanPositionAndCountsRollPoints) {
    auto instrument = MakeInstrument();
    instrument->Execute(":TIMEBASE:FORMAT ROLLING");
    std::vector<std::uint8_t> block;
    const auto frames = LiveFrames(*instrument, 1, 1.0, &block);
    ASSERT_FALSE(frames.empty());
    EXPECT_EQ(block[512], kStatusScan);
    EXPECT_EQ(U16(block, 2), 300u); // 100 of 700 columns filled at 10 ms per column
    instrument->Execute(":STOP");
    const auto st = instrument->State();
    EXPECT_EQ(instrument->Execute(":PAR:ROLL_POINT?").value_or(""),
              std::to_string(static_cast<int>(1.0 * st.dso.sampleRate)));
}

// Roll sends each column as a pair: the lowest and highest code the signal reached during
// it. The 1 kHz sine (codes 50..125) fills every pair at 1 s/div and at 0.5 s/div; a
// 1 Hz sine moves at most 5 codes within a 20 ms column (9.4 V/s at 25 codes per volt).
TEST(Scanning, RollSendsTheLowestAndHighestValueOfEveryColumn) {
    for (const char* scale : {"1.000000000", "0.500000000"}) {
        auto instrument = MakeInstrument();
        instrument->Execute(":TIMEBASE:FORMAT ROLLING");
        instrument->Execute(std::string(":TIMEBASE:SCALE ") + scale);
        const auto frames = LiveFrames(*instrument, 1, 0.5);
        ASSERT_FALSE(frames.empty()) << scale;
        const auto& frame = frames.back();
        for (int i = 0; i < kFrameSamples; i += 2) {
            ASSERT_NEAR(std::min(frame[i], frame[i + 1]), 50, 2) << scale << " pair " << i;
            ASSERT_NEAR(std::max(frame[i], frame[i + 1]), 125, 2) << scale << " pair " << i;
        }
        instrument->Execute(":STOP");
        std::vector<std::uint8_t> record;
        instrument->FullRecord(1, record);
        ASSERT_GE(record.size(), 2u);
        EXPECT_NEAR(*std::min_element(record.begin(), record.end() - 1), 50, 2) << scale;
        EXPECT_NEAR(*std::max_element(record.begin(), record.end() - 1), 125, 2) << scale;
    }
    auto instrument = MakeInstrument();
    SignalSource slow;
    std::string error;
    ASSERT_TRUE(ParseSignalText("sine,1,3Vpp", slow, error)) << error;
    instrument->SetSignal(0, slow);
    instrument->Execute(":TIMEBASE:FORMAT ROLLING");
    instrument->Execute(":TIMEBASE:SCALE 1.000000000");
    const auto frames = LiveFrames(*instrument, 1, 0.5);
    ASSERT_FALSE(frames.empty());
    for (int i = 0; i < kFrameSamples; i += 2)
        ASSERT_LE(std::abs(frames.back()[i] - frames.back()[i + 1]), 5) << "pair " << i;
}

TEST(Scanning, SlowSweepFillsFromTheLeft) {
    auto instrument = MakeInstrument();
    instrument->Execute(":TIMEBASE:SCALE 0.05");
    std::vector<std::uint8_t> block;
    LiveFrames(*instrument, 1, 0.36, &block); // frames every 40 ms
    EXPECT_NEAR(U16(block, 2), 180, 1);       // 0.36 s of the 0.7 s sweep
    LiveFrames(*instrument, 1, 0.4, &block);
    EXPECT_NEAR(U16(block, 2), 30, 1); // the next sweep has begun
    EXPECT_EQ(instrument->Execute(":PAR:ROLL_POINT?").has_value(), true);
}

TEST(RunControl, StoppedInstrumentSendsNothingAndRunRestarts) {
    auto instrument = MakeInstrument();
    instrument->Execute(":STOP");
    EXPECT_TRUE(LiveFrames(*instrument, 3, 0.1).empty());
    instrument->Execute(":RUN");
    EXPECT_FALSE(LiveFrames(*instrument, 3, 0.1).empty());
    instrument->Advance(0.1);
    instrument->Execute(":CLEARUSB");
    EXPECT_TRUE(LiveFrames(*instrument, 3, 0.0).empty());
}

} // namespace
} // namespace oxbow::sim

namespace oxbow::sim {
namespace {

double CodeSpread(const std::vector<std::uint8_t>& frame) {
    double sum = 0.0;
    double squares = 0.0;
    for (int i = 0; i < kFrameSamples; ++i) {
        sum += frame[i];
        squares += double(frame[i]) * frame[i];
    }
    const double mean = sum / kFrameSamples;
    return std::sqrt(squares / kFrameSamples - mean * mean);
}

TEST(LiveFrames, AveragingQuietsTheNoise) {
    auto instrument = MakeInstrument();
    SignalSource noise;
    std::string error;
    ASSERT_TRUE(ParseSignalText("noise,200mV", noise, error));
    instrument->SetSignal(0, noise);
    instrument->Execute(":CHANNEL1:OFFSET 0");
    instrument->Execute(":CHANNEL1:SCALE 0.2"); // 1 division rms: 25 codes
    const auto plain = LiveFrames(*instrument, 1, 0.01);
    ASSERT_FALSE(plain.empty());
    EXPECT_NEAR(CodeSpread(plain[0]), 25.0, 2.0);
    instrument->Execute(":ACQUIRE:AVERAGES 64");
    instrument->Execute(":ACQUIRE:TYPE AVERAGE");
    const auto averaged = LiveFrames(*instrument, 1, 0.01);
    ASSERT_FALSE(averaged.empty());
    EXPECT_NEAR(CodeSpread(averaged[0]), 25.0 / 8.0, 0.5);
}

} // namespace
} // namespace oxbow::sim

namespace oxbow::sim {
namespace {

// CH2's power-up square: 1 kHz, high (code 150) for 500 us, low (code 200) for 500 us.
TEST(LiveFrames, PulseTriggerEndsAPulseOfTheRightWidth) {
    auto instrument = MakeInstrument();
    instrument->Execute(":TRIGGER:MODE PULSE");
    instrument->Execute(":TRIGGER:PULSE:SOURCE CHANNEL2");
    instrument->Execute(":TRIGGER:PULSE:LEVEL 0");
    instrument->Execute(":TRIGGER:PULSE:WIDTH 0.000400");
    instrument->Execute(":TRIGGER:PULSE:SWEEP NORMAL");
    instrument->Execute(":TRIGGER:PULSE:MODE +GREATERTHAN");
    auto frames = LiveFrames(*instrument, 3, 0.05);
    ASSERT_FALSE(frames.empty());
    for (const auto& f : frames) {
        EXPECT_EQ(f[2048 + 1020], 150);
        EXPECT_EQ(f[2048 + 1028], 200);
    }
    instrument->Execute(":TRIGGER:PULSE:MODE -GREATERTHAN");
    frames = LiveFrames(*instrument, 3, 0.05);
    ASSERT_FALSE(frames.empty());
    EXPECT_EQ(frames[0][2048 + 1020], 200);
    EXPECT_EQ(frames[0][2048 + 1028], 150);
    instrument->Execute(":TRIGGER:PULSE:MODE +LESSTHAN");
    EXPECT_TRUE(LiveFrames(*instrument, 3, 0.05).empty());
}

} // namespace
} // namespace oxbow::sim

namespace oxbow::sim {
namespace {

// CH1's power-up sine (1.5 V peak, 1 kHz) passes from -0.75 V to +0.75 V in 1/6 ms.
TEST(LiveFrames, SlopeTriggerTimesThePassageBetweenTheLevels) {
    auto instrument = MakeInstrument();
    instrument->Execute(":TRIGGER:MODE SLOPE");
    instrument->Execute(":TRIGGER:SLOPE:SWEEP NORMAL");
    instrument->Execute(":TRIGGER:SLOPE:LEVELA -0.75");
    instrument->Execute(":TRIGGER:SLOPE:LEVELB 0.75");
    instrument->Execute(":TRIGGER:SLOPE:TIME 0.000150");
    instrument->Execute(":TRIGGER:SLOPE:MODE +GREATERTHAN");
    const auto frames = LiveFrames(*instrument, 1, 0.05);
    ASSERT_FALSE(frames.empty());
    // The trigger sits where the rising sine reaches +0.75 V: code 125 - (0.75 + 1.5) * 25.
    for (const auto& f : frames) {
        EXPECT_NEAR(Crossing(f.data(), 69, 1024).value_or(-1), 1024, 1);
    }
    instrument->Execute(":TRIGGER:SLOPE:TIME 0.000200");
    EXPECT_TRUE(LiveFrames(*instrument, 1, 0.05).empty());
}

} // namespace
} // namespace oxbow::sim

namespace oxbow::sim {
namespace {

// With the 1 MHz counter, D4 is high for 16 us at a time and D0 for 1 us.
TEST(LiveFrames, DurationTriggerMeasuresHowLongThePatternHolds) {
    auto instrument = MakeInstrument("OXB-A3M");
    instrument->Execute(":LA:DISPLAY ON");
    instrument->Execute(":TIMEBASE:SCALE 0.000001"); // 10 ns per sample
    instrument->Execute(":TRIGGER:MODE DURATION");
    instrument->Execute(":TRIGGER:DURATION:SWEEP NORMAL");
    instrument->Execute(":TRIGGER:DURATION:PATTERN 16,16");
    instrument->Execute(":TRIGGER:DURATION:QUALIFIER GREATERTHAN");
    instrument->Execute(":TRIGGER:DURATION:TIME 0.000010");
    auto frames = LiveFrames(*instrument, 4, 0.02);
    ASSERT_FALSE(frames.empty());
    for (const auto& f : frames) {
        const auto at = [&f](int i) { return f[2 * i] | (f[2 * i + 1] << 8); };
        EXPECT_EQ(at(1024) & 0x1F, 0x1A);        // 10 counts into the high stretch of D4
        EXPECT_EQ(at(1024 - 1001) & 0x1F, 0x0F); // just before D4 rose
    }
    instrument->Execute(":TRIGGER:DURATION:TIME 0.000020");
    EXPECT_TRUE(LiveFrames(*instrument, 4, 0.02).empty());
    instrument->Execute(":TRIGGER:DURATION:QUALIFIER LESSTHAN");
    EXPECT_FALSE(LiveFrames(*instrument, 4, 0.02).empty());
}

} // namespace
} // namespace oxbow::sim
