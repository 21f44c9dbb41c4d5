// Random command texts and random USB request sequences: bounded in count, the
// instrument must neither crash nor stall, and must keep its settings sane.
#include "sim_test_util.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

namespace oxbow::sim {
namespace {

const char* const kHeads[] = {":CHANNEL1", ":CHANNEL2", ":CHANNEL3", ":ACQUIRE",   ":TIMEBASE",
                              ":TRIGGER",  ":LA",       ":DIGITAL5", ":DIGITAL16", ":SELFCAL",
                              ":LAN",      ":RUN",      ":STOP",     ":AUTO",      ":DEFAULT",
                              ":CLEARUSB", ":STARTUP",  "*IDN",      ":INFO",      ":SETUP",
                              ":PAR",      ":WAVEFORM", ""};
const char* const kNodes[] = {":SCALE",     ":OFFSET",      ":EDGE",    ":PULSE",    ":SLOPE",
                              ":VIDEO",     ":ALTERNATION", ":PATTERN", ":DURATION", ":LEVEL",
                              ":SOURCE",    ":MODE",        ":SWEEP",   ":FORMAT",   ":DELAYED",
                              ":MEMORY",    ":DISPLAY",     ":PROBE",   ":TYPE",     ":CHANNEL1",
                              ":TIMESCALE", ":TIMEOFFSET",  ":IP",      ":PORT",     ":DSO",
                              ":ALL",       ":DATA",        ":FPGA",    ":EUQP",     ":ROLL_POINT",
                              ":THRESHOLD", ":GROUP1",      ":TURN",    ":OFFSET1",  ":LINE",
                              ":STANDARD",  ":WIDTH",       ":TIME",    ":AVERAGES", ":HOLDOFF",
                              ":FILTER",    ":MACADDRESS",  "::",       ":"};
const char* const kWords[] = {"ON",       "OFF",        "AUTO",        "NORMAL",
                              "SINGLE",   "ROLLING",    "XY",          "YT",
                              "FULL",     "CHANNEL2",   "DIGITAL15",   "DIGITAL99",
                              "EXT5",     "ACLINE",     "1,7,2,1",     "65535,65535,15,0",
                              "5,15",     "5mV",        "1.2.3.4",     "02-4F-58-01-02-03",
                              "PALSECAM", "-EQUAL",     "ALTERNATION", "PATTERN",
                              "DURATION", "PEAKDETECT", "ETIME",       "USER",
                              "",         ",,,",        "1e400",       "nan",
                              "-inf",     "0x10"};

std::string RandomNumber(std::mt19937& rng) {
    std::uniform_real_distribution<double> mantissa(-10.0, 10.0);
    std::uniform_int_distribution<int> exponent(-13, 13);
    return std::to_string(mantissa(rng) * std::pow(10.0, exponent(rng)));
}

std::string RandomBytes(std::mt19937& rng) {
    std::uniform_int_distribution<int> length(0, 80);
    std::uniform_int_distribution<int> byte(1, 255);
    std::string text(length(rng), ' ');
    for (char& ch : text) {
        ch = static_cast<char>(byte(rng));
        if (ch == '\r' || ch == '\n') ch = ':';
    }
    return text;
}

template <std::size_t N> const char* Pick(std::mt19937& rng, const char* const (&words)[N]) {
    return words[std::uniform_int_distribution<std::size_t>(0, N - 1)(rng)];
}

std::string RandomLine(std::mt19937& rng) {
    std::uniform_int_distribution<int> percent(0, 99);
    if (percent(rng) < 10) {
        return RandomBytes(rng);
    }
    std::string line = Pick(rng, kHeads);
    const int nodes = std::uniform_int_distribution<int>(0, 3)(rng);
    for (int i = 0; i < nodes; ++i)
        line += Pick(rng, kNodes);
    const int tail = percent(rng);
    if (tail < 15) {
        line += "?";
    } else if (tail < 55) {
        line += " " + RandomNumber(rng);
    } else if (tail < 90) {
        line += std::string(" ") + Pick(rng, kWords);
    }
    return line;
}

void ExpectSaneSettings(const InstrumentState& st, const ModelInfo& model) {
    for (const auto& c : st.dso.chan) {
        ASSERT_TRUE(std::isfinite(c.scale) && c.scale > 0.0f);
        ASSERT_TRUE(std::isfinite(c.offset));
        ASSERT_TRUE(std::isfinite(c.probe) && c.probe > 0.0f);
    }
    ASSERT_GE(st.dso.timeScale, model.minTimeScale * 0.999);
    ASSERT_LE(st.dso.timeScale, 50.0);
    ASSERT_LE(st.dso.delayedScale, st.dso.timeScale);
    ASSERT_TRUE(std::isfinite(st.dso.timeOffset));
    ASSERT_TRUE(std::isfinite(st.dso.trig.edgeLevel));
    ASSERT_GT(st.dso.sampleRate, 0.0f);
    ASSERT_GT(st.dso.acqMemory, 0);
}

TEST(Robustness, HundredThousandRandomCommandLines) {
    auto instrument = test::MakeInstrument("OXB-A6M");
    std::mt19937 rng(20261208);
    std::vector<std::uint8_t> data;
    for (int i = 0; i < 100'000; ++i) {
        instrument->Execute(RandomLine(rng));
        if (i % 500 == 0) {
            instrument->Advance(std::uniform_real_distribution<double>(0.0, 0.05)(rng));
            instrument->LiveBlock(std::uniform_int_distribution<unsigned>(0, 7)(rng), data);
            ASSERT_LE(data.size(), kReceiveBufferBytes);
            ASSERT_GE(data.size(), kUsbBlockHeader);
        }
        if (i % 5000 == 0) {
            instrument->LanLiveReply(data);
            ASSERT_EQ(test::U32(data, 0), data.size());
            instrument->FullRecord(instrument->ShownMask(), data);
            ASSERT_LT(data.size(), kReceiveBufferBytes);
            ExpectSaneSettings(instrument->State(), instrument->Model());
        }
    }
    ExpectSaneSettings(instrument->State(), instrument->Model());
    EXPECT_EQ(instrument->Execute("*IDN?").value_or("").rfind("TAMBER,OXB-A6M,", 0), 0u);
}

TEST(Robustness, RandomUsbRequestSequences) {
    auto instrument = test::MakeInstrument();
    UsbSimEndpoint endpoint(*instrument);
    std::mt19937 rng(8122026);
    std::vector<std::uint8_t> buffer(kReceiveBufferBytes + 64);
    std::uniform_int_distribution<int> op(0, 6);
    std::uniform_int_distribution<int> request(0, 20);
    std::uniform_int_distribution<int> small(-3, 300);
    std::uniform_int_distribution<int> large(-3, static_cast<int>(kReceiveBufferBytes) + 16);
    std::uniform_int_distribution<int> word(-70000, 70000);
    std::uniform_int_distribution<int> byte(0, 255);
    const std::string command = "*IDN?\r:SETUP:DSO?\r:CHANNEL1:SCALE 0.2\r";
    for (int i = 0; i < 20'000; ++i) {
        switch (op(rng)) {
        case 0:
            endpoint.WriteByte(byte(rng) < 128 ? command[i % command.size()] : byte(rng));
            break;
        case 1:
            endpoint.ReadBytes(byte(rng) % 3, small(rng), buffer.data());
            break;
        case 2:
            endpoint.ControlRequest(request(rng), word(rng), word(rng));
            break;
        case 3:
            endpoint.ControlRead(request(rng), byte(rng), byte(rng),
                                 byte(rng) < 200 ? 4 : small(rng), buffer.data());
            break;
        case 4:
            endpoint.BulkRead(byte(rng) < 128 ? small(rng) : large(rng), buffer.data());
            break;
        case 5:
            endpoint.BulkWrite(small(rng), buffer.data());
            break;
        default:
            instrument->Advance(0.002);
            break;
        }
    }
    ExpectSaneSettings(instrument->State(), instrument->Model());
    for (char ch : std::string("\r*IDN?\r"))
        endpoint.WriteByte(static_cast<std::uint8_t>(ch));
    std::uint8_t length = 0;
    ASSERT_TRUE(endpoint.ReadBytes(0, 1, &length));
    ASSERT_TRUE(endpoint.ReadBytes(1, length, buffer.data()));
    EXPECT_EQ(std::string(buffer.begin(), buffer.begin() + length).rfind("TAMBER,", 0), 0u);
}

} // namespace
} // namespace oxbow::sim
