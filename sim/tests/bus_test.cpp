// Bus traffic on the digital lines and the analog inputs: the texts, the wires' levels, and
// the trigger on a bus carried by a channel.
#include "oxsim.h"

#include <gtest/gtest.h>

namespace oxbow::sim {
namespace {

std::vector<bool> Levels(const BusWave& wave, BusLine line, double step, int count) {
    std::vector<bool> levels;
    for (int i = 0; i < count; ++i)
        levels.push_back(wave.Level(line, (i + 0.5) * step));
    return levels;
}

TEST(BusTraffic, UartFramesEachByteLsbFirstAndRepeats) {
    BusTraffic traffic;
    traffic.rate = 1000.0;
    traffic.bytes = {0x41};
    traffic.every = 20e-3;
    const BusWave wave(traffic);
    // Start bit, 1000 0010 (0x41 LSB first), stop bit, then idle.
    EXPECT_EQ(Levels(wave, BusLine::Tx, 1e-3, 12),
              (std::vector<bool>{false, true, false, false, false, false, false, true, false, true,
                                 true, true}));
    EXPECT_DOUBLE_EQ(wave.Duration(), 9e-3);
    EXPECT_FALSE(wave.Level(BusLine::Tx, 20e-3 + 0.5e-3)); // the next burst's start bit
    EXPECT_DOUBLE_EQ(*wave.NextEdge(BusLine::Tx, 1, 0.5e-3, 1.0), 2e-3);
    EXPECT_DOUBLE_EQ(*wave.NextEdge(BusLine::Tx, 1, 9.5e-3, 1.0), 20e-3);
    EXPECT_FALSE(wave.NextEdge(BusLine::Tx, 1, 9.5e-3, 5e-3).has_value());
    EXPECT_DOUBLE_EQ(*wave.NextEdge(BusLine::Tx, 0, 0.0, 1.0), 1e-3);
}

TEST(BusTraffic, SpiIsModeZeroMsbFirstWithinSelect) {
    BusTraffic traffic;
    traffic.kind = BusKind::Spi;
    traffic.rate = 1000.0;
    traffic.bytes = {0x80};
    traffic.miso = {0x01};
    const BusWave wave(traffic);
    EXPECT_TRUE(wave.Level(BusLine::Select, -1e-4));
    EXPECT_FALSE(wave.Level(BusLine::Select, 0.1e-3));
    // Data is stable at every rising clock edge (t = 1 ms + k ms).
    for (int k = 0; k < 8; ++k) {
        const double rising = 1e-3 + k * 1e-3;
        EXPECT_FALSE(wave.Level(BusLine::Clock, rising - 1e-5));
        EXPECT_TRUE(wave.Level(BusLine::Clock, rising + 1e-5));
        EXPECT_EQ(wave.Level(BusLine::Mosi, rising), k == 0) << k;
        EXPECT_EQ(wave.Level(BusLine::Miso, rising), k == 7) << k;
    }
    EXPECT_TRUE(wave.Level(BusLine::Select, 9.1e-3));
}

TEST(BusTraffic, I2cStartsAndStopsWhileTheClockIsHigh) {
    BusTraffic traffic;
    traffic.kind = BusKind::I2c;
    traffic.rate = 1000.0;
    traffic.every = 0.1;
    const BusWave wave(traffic);
    EXPECT_TRUE(wave.Level(BusLine::Scl, 0.1e-3));
    EXPECT_FALSE(wave.Level(BusLine::Sda, 0.1e-3)); // start: SDA fell with SCL high
    // The address 0x50 with the write bit: 1010 0000, then the acknowledge (low).
    std::vector<bool> bits;
    for (int k = 0; k < 9; ++k)
        bits.push_back(wave.Level(BusLine::Sda, 0.5e-3 + k * 1e-3 + 0.75e-3));
    EXPECT_EQ(bits,
              (std::vector<bool>{true, false, true, false, false, false, false, false, false}));
    const double end = wave.Duration();
    EXPECT_TRUE(wave.Level(BusLine::Scl, end - 1e-5));
    EXPECT_TRUE(wave.Level(BusLine::Sda, end + 1e-5)); // stop: SDA rose with SCL high
}

TEST(BusTraffic, DigitalTextsPutEachWireOnItsLine) {
    DigitalSource source;
    std::string error;
    ASSERT_TRUE(ParseDigitalText("uart,tx=D3,baud=1k,hex=00,every=20m+i2c,scl=D0,sda=D15,rate=10k",
                                 source, error) == false);
    EXPECT_EQ(error, "the bus needs bytes to send (text= or hex=)");
    ASSERT_TRUE(ParseDigitalText(
        "uart,tx=D3,baud=1k,hex=00,every=20m+i2c,scl=D0,sda=D15,rate=10k,text=A", source, error))
        << error;
    ASSERT_EQ(source.buses.size(), 2u);
    EXPECT_EQ(source.Value(-1e-4), 0x8009);      // everything idle high
    EXPECT_EQ(source.Value(0.5e-3) & 0x0008, 0); // the UART start bit
}

TEST(BusTraffic, BadTextsAreRefusedWithTheirReason) {
    const std::pair<const char*, const char*> cases[] = {
        {"can,tx=D0,text=A",
         "expected counter,RATE, pattern,VALUE or bus traffic (uart, spi, i2c)"},
        {"uart,tx=D16,text=A", "tx= needs a line D0 .. D15, not \"D16\""},
        {"uart,text=A", "every wire of the bus needs its line (1 of them)"},
        {"spi,clk=D0,mosi=D1,miso=D2,text=A", "every wire of the bus needs its line (4 of them)"},
        {"i2c,scl=D0,sda=D0,text=A", "D0 carries two wires"},
        {"uart,tx=D0,sda=D1,text=A", "unknown key \"sda\""},
        {"uart,tx=D0,hex=4", "bad value in \"hex=4\""},
        {"uart,tx=D0,baud=0,text=A", "bad value in \"baud=0\""},
        {"i2c,scl=D0,sda=D1,address=0x80,text=A", "bad value in \"address=0x80\""},
        {"uart,tx=D0,baud=9600,text=Hello,every=1m", "the traffic takes longer than every= allows"},
    };
    for (const auto& [text, reason] : cases) {
        DigitalSource source;
        std::string error;
        EXPECT_FALSE(ParseDigitalText(text, source, error)) << text;
        EXPECT_EQ(error, reason) << text;
    }
}

TEST(BusTraffic, AChannelShowsOneWireBetweenZeroAndItsHighLevel) {
    SignalSource source;
    std::string error;
    ASSERT_TRUE(ParseSignalText("i2c,line=sda,rate=10k,text=A,high=5V,offset=-1V", source, error))
        << error;
    EXPECT_DOUBLE_EQ(source.Clean(-1e-4), 4.0);
    EXPECT_DOUBLE_EQ(source.Clean(0.01e-3), -1.0);
    EXPECT_FALSE(ParseSignalText("i2c,rate=10k,text=A", source, error));
    EXPECT_EQ(error, "line= names the wire this input shows");
    EXPECT_FALSE(ParseSignalText("uart,line=sda,text=A", source, error));
    EXPECT_EQ(error, "the bus has no wire \"sda\"");
}

} // namespace
} // namespace oxbow::sim
