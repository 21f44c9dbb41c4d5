// OxSim: a simulated oscilloscope with an optional 16-line logic analyzer. It keeps its
// own DSO, LA and ALT setup blocks, applies every command text the front panel sends,
// answers its queries, and produces live frames and full records from configurable
// signal sources. It is reached in-process through the USB endpoint or over TCP through
// the LAN server.
#pragma once

#include "ox_commands.h"
#include "usb_endpoint.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace oxbow::sim {

// ---------------------------------------------------------------- signals

// ---------------------------------------------------------------- bus traffic

enum class BusKind { Uart, Spi, I2c };
// The wires of a bus: UART Tx; SPI Clock, Mosi, Miso, Select (low active); I2C Scl, Sda.
enum class BusLine { Tx, Clock, Mosi, Miso, Select, Scl, Sda };
inline constexpr int kBusLines = 7;

// One burst of bus traffic, sent again at every multiple of `every` seconds (the first
// edge of a burst lies on that multiple). UART: 8 data bits, no parity, 1 stop bit, LSB
// first. SPI: mode 0, MSB first. I2C: start, the 7-bit address with the write bit, the
// bytes, every byte acknowledged, stop.
struct BusTraffic {
    BusKind kind = BusKind::Uart;
    double rate = 115200.0;          // bits per second (UART) or clock frequency (SPI, I2C)
    std::vector<std::uint8_t> bytes; // UART Tx, SPI MOSI, the bytes written over I2C
    std::vector<std::uint8_t> miso;  // SPI: the device's answer (0x00 past its end)
    std::uint8_t address = 0x50;     // I2C, 7 bits
    double every = 10e-3;            // seconds between burst starts
};

// The levels of each wire of a burst, as the times within a burst where the wire toggles.
class BusWave {
public:
    explicit BusWave(const BusTraffic& traffic);
    const BusTraffic& Traffic() const { return traffic_; }
    // Seconds from a burst's start to its last edge.
    double Duration() const { return duration_; }
    // The level at `t` seconds (any time: the burst repeats every `every`).
    bool Level(BusLine line, double t) const;
    // The level at phase p in [0, 1) of the repetition.
    bool LevelAtPhase(BusLine line, double p) const { return Level(line, p * traffic_.every); }
    // The first edge of `line` in (from, from + window] in the direction asked for (0 rising,
    // 1 falling, 2 either).
    std::optional<double> NextEdge(BusLine line, int slope, double from, double window) const;
    // Share of the repetition the wire is high.
    double HighFraction(BusLine line) const;

private:
    struct Wire {
        bool idle = true;
        std::vector<double> toggles; // ascending, within [0, every)
    };
    BusTraffic traffic_;
    std::array<Wire, kBusLines> wires_{};
    double duration_ = 0.0;
};

// "uart,tx=D0,baud=115200,text=Hello" and the like (without the line assignments for an
// analog channel): the traffic's own keys rate= (baud= for UART), text= or hex=, miso-text=
// or miso-hex=, address=, every=. Keys the caller handles (line assignments, levels) are
// handed to `other`, which returns false with a reason for keys it does not know either.
bool ParseBusTraffic(const std::string& text, BusTraffic& traffic,
                     const std::function<bool(const std::string& key, const std::string& value,
                                              std::string& error)>& other,
                     std::string& error);

enum class Waveshape { Sine, Square, Triangle, Pulse, Ramp, Dc, Bus };

struct SignalComponent {
    Waveshape shape = Waveshape::Sine;
    double frequency = 1000.0;          // Hz (Bus: the bursts' repetition)
    double amplitude = 1.0;             // volts peak-to-peak (Dc: the level; Bus: the high level)
    double duty = 0.5;                  // fraction of the period spent high (square, pulse)
    std::shared_ptr<const BusWave> bus; // Bus: the traffic, and the wire this input shows
    BusLine busLine = BusLine::Tx;
};

// One analog input: a sum of periodic components, a DC offset and Gaussian noise.
// Volts are at the probe tip.
struct SignalSource {
    std::vector<SignalComponent> components;
    double dcOffset = 0.0; // volts
    double noise = 0.0;    // volts rms

    double Clean(double t) const;   // value without noise at t seconds
    double Mean() const;            // average over a period
    double LowestFrequency() const; // 0 when nothing repeats
    void Extremes(double& low, double& high) const;
};

// "sine,1k,2Vpp", "square,5k,1Vpp,duty=25%", "sine,1k,2Vpp+noise,50mV",
// "dc,1.5V", with "offset=" and "noise=" options anywhere. False with a reason.
bool ParseSignalText(const std::string& text, SignalSource& source, std::string& error);

// A bus on the digital lines: which line (0 = D0) carries each of its wires.
struct DigitalBus {
    std::shared_ptr<const BusWave> wave;
    std::vector<std::pair<int, BusLine>> lines;
};

// The 16 digital lines: a counter stepping at `rate` per second, a fixed pattern, or bus
// traffic on some lines (the others low).
struct DigitalSource {
    bool counter = true;
    double rate = 1.0e6;
    std::uint16_t pattern = 0;
    std::vector<DigitalBus> buses;

    std::uint16_t Value(double t) const;
};

// "counter,1M", "pattern,0x55AA", or buses joined by "+": "uart,tx=D0,baud=115200,text=Hello",
// "spi,clk=D2,mosi=D3,miso=D4,cs=D5,rate=1M,hex=9F00", "i2c,scl=D6,sda=D7,rate=100k,
// address=0x50,hex=0010AB" (and the keys of ParseBusTraffic).
bool ParseDigitalText(const std::string& text, DigitalSource& source, std::string& error);

// Reads a number with an optional engineering prefix and unit ("2.5m", "1kHz", "50mV").
bool ParseEngineering(const std::string& text, double& value);

// ---------------------------------------------------------------- state

struct ChannelState {
    bool display = true;
    float scale = 1.0f;        // V/div at the probe tip
    float offset = 0.0f;       // V at the probe tip
    std::int32_t coupling = 0; // 1 AC, 0 DC
    std::int32_t input = 0;    // 1 50 ohm
    float probe = 1.0f;
    bool bwLimit = false;
    bool invert = false;
    bool shownStop = false;
    float scaleRec = 1.0f;
    float offsetRec = 0.0f;
    bool invertRec = false;
    // Channel filter, kept by the instrument but outside the blocks.
    bool filter = false;
    std::int32_t filterType = 0;
    float filterUpper = 0.495f;
    float filterLower = 0.005f;
};

// Trigger levels are volts at the input: the level at the probe tip divided by the probe.
struct TriggerState {
    std::int32_t mode = 0;  // 0 EDGE .. 6 DURATION
    std::int32_t sweep = 0; // 0 AUTO, 1 NORMAL, 2 SINGLE
    std::int32_t coupling = 0;
    float sensitivity = 0.3f;
    float holdoff = 1e-7f;
    std::int32_t edgeSlope = 0; // 0 rising, 1 falling, 2 both
    std::int32_t edgeSource = 0;
    float edgeLevel = 0.0f;
    std::int32_t pulseMode = 0;
    float pulseWidth = 2e-8f;
    std::int32_t pulseSource = 0;
    float pulseLevel = 0.0f;
    std::int32_t videoPolarity = 0;
    std::int32_t videoSource = 0;
    std::int32_t videoMode = 0;
    std::int32_t videoStandard = 0;
    std::int32_t videoLine = 1;
    float videoLevel = 0.0f;
    std::int32_t slopeMode = 0;
    float slopeLevelA = 0.0f;
    float slopeLevelB = 0.0f;
    float slopeTime = 2e-8f;
    std::int32_t slopeSource = 0;
};

struct LanState {
    bool dhcp = false;
    std::uint32_t ip = 0xA8FE0064;      // 168.254.0.100
    std::uint32_t netmask = 0xFFFF0000; // 255.255.0.0
    std::uint32_t gateway = 0xA8FE0001; // 168.254.0.1
    std::uint16_t port = 19;
    std::array<std::uint8_t, 3> mac{0x4F, 0x58, 0x01};
};

struct DsoState {
    bool run = true;
    std::uint32_t activeChannel = 0;
    std::array<ChannelState, 2> chan{};
    bool delayed = false;
    bool slowSweep = false;
    std::int32_t timeFormat = 0; // 0 Y-T, 1 X-Y, 2 rolling
    double timeOffset = 0.0;
    std::int64_t timeOffsetPs = 0;
    double timeScale = 2e-4;
    std::int64_t timeScalePs = 200'000'000;
    double delayedOffset = 0.0;
    std::int64_t delayedOffsetPs = 0;
    double delayedScale = 1e-4;
    std::int64_t delayedScalePs = 100'000'000;
    float sampleRate = 0.0f;
    float sampleRateMem = 0.0f;
    double timeOffsetRec = 0.0;
    std::int64_t timeOffsetPsRec = 0;
    float timeScaleRec = 2e-4f;
    std::int64_t timeScalePsRec = 200'000'000;
    std::array<float, 2> sampleRateRec{}; // real-time rate, equivalent-time rate
    std::int32_t acqType = 0;
    bool acqRealTime = true;
    std::int32_t acqAverages = 16;
    std::int32_t acqMemory = 4096;
    std::int32_t acqMemoryRec = 4096;
    bool acqLongMemory = false;
    std::int32_t runState = 0;
    TriggerState trig{};
    bool pfEnable = false;
    LanState lan{};
};

struct LaState {
    bool enable = false;
    bool shownStop = false;
    std::array<bool, 16> channel{};
    std::int32_t thresholdType = 0; // TTL, CMOS, ECL, USER
    float threshold = 1.4f;
    float thresholdUser = 0.0f;
    bool group1 = true;
    bool group2 = true;
    std::array<std::int32_t, 16> patternBit{}; // 0 high, 1 low, 2 ignored, 3 rising, 4 falling
    std::array<std::int32_t, 16> durationBit{};
    double durationTime = 2e-8;
    std::int32_t durationQualifier = 0;
};

struct AltChannelState {
    std::int32_t type = 0; // 0 EDGE, 1 PULSE, 2 SLOPE, 3 VIDEO
    std::int32_t word8 = 0;
    std::int64_t timeScalePs = 200'000'000;
    double timeScale = 2e-4;
    std::int64_t timeOffsetPs = 0;
    double timeOffset = 0.0;
    std::int64_t timeScalePsRec = 200'000'000;
    double timeScaleRec = 2e-4;
    std::int64_t timeOffsetPsRec = 0;
    double timeOffsetRec = 0.0;
    float word68 = 0.0f;
    std::int32_t word72 = 0;
    std::int32_t coupling = 0;
    float holdoff = 1e-7f;
    float sensitivity = 0.3f;
    float edgeLevel = 0.0f; // volts at the input
    std::int32_t edgeSlope = 0;
    float pulseLevel = 0.0f;
    std::int32_t pulseMode = 0;
    float pulseWidth = 2e-8f;
    std::int32_t videoPolarity = 0;
    std::int32_t videoMode = 0;
    std::int32_t videoStandard = 0;
    float videoLevel = 0.0f;
    std::int32_t videoLine = 1;
    std::int32_t slopeMode = 0;
    float slopeLevelA = 0.0f;
    float slopeLevelB = 0.0f;
    float slopeTime = 2e-8f;
};

struct InstrumentState {
    DsoState dso{};
    LaState la{};
    std::array<AltChannelState, 2> alt{};
    std::int32_t altSource = 0;
    bool selfCalEnable = false;
    std::int32_t selfCalSteps = 0; // calibration steps carried out since power-up
};

// ---------------------------------------------------------------- models

struct ModelInfo {
    std::string name;
    int modelClass = 0;
    double minTimeScale = 2e-9; // s/div
    bool logicAnalyzer = false;
    double maxSampleRate = 1e9; // one channel, samples per second
};

// The model table; an unknown name gives class 0 without the logic analyzer.
ModelInfo LookUpModel(const std::string& name);

// ---------------------------------------------------------------- clocks

class Clock {
public:
    virtual ~Clock() = default;
    virtual double Now() const = 0; // seconds
};

// Simulated time that moves only when told: deterministic for tests.
class ManualClock : public Clock {
public:
    double Now() const override { return now_; }
    void Advance(double seconds) { now_ += seconds; }

private:
    double now_ = 0.0;
};

// Real time since construction, for the server.
class SteadyClock : public Clock {
public:
    SteadyClock();
    double Now() const override;

private:
    std::int64_t start_;
};

// ---------------------------------------------------------------- faults

enum class Fault {
    CloseConnection, // LAN: the server drops the client at its next command
    Stall,           // the next reply is never sent (USB: the read fails)
    ShortReply,      // the next reply carries fewer bytes than announced
    LongReply,       // the next reply carries more bytes than announced
    GarbledReply,    // the next reply's body is scrambled
    RefuseUsbRequest // the next USB vendor request is refused
};

// ---------------------------------------------------------------- the instrument

struct InstrumentOptions {
    std::string model = "OXB-A3M";
    std::string serial = "OXS00001";
    std::string firmware = "00.02.05";
    std::string fpga = "1.07";
};

enum class Block { Dso, La, Alt };
constexpr std::size_t kDsoBlockSize = 780;
constexpr std::size_t kLaBlockSize = 260;
constexpr std::size_t kAltBlockSize = 396;

// Live data geometry.
constexpr int kFrameSamples = 2048;
constexpr int kRingFrames = 250;
constexpr std::size_t kUsbBlockHeader = 2048;
constexpr std::size_t kLanLiveHeader = 20;
constexpr std::size_t kReceiveBufferBytes = 2'097'152;

// Each frame carries its run-status code (one byte), the codes the program reads.
using enum oxcmd::code::RunStatus;

class Instrument {
public:
    explicit Instrument(InstrumentOptions options = {}, std::shared_ptr<Clock> clock = nullptr);
    ~Instrument();
    Instrument(const Instrument&) = delete;
    Instrument& operator=(const Instrument&) = delete;

    // One command line without its terminator. Queries return their reply body;
    // other commands, and anything not understood, return nothing.
    std::optional<std::string> Execute(const std::string& line);

    // USB request 4: the live block for the sources of `mask` (bit 0 CH1, bit 1 CH2,
    // bit 2 logic analyzer). Returns its size; 2048 (a bare header) when no frame is new.
    std::size_t LiveBlock(unsigned mask, std::vector<std::uint8_t>& out);
    // Reply to ":WAVEFORM:DATA?": 20-byte header and the newest frame of the shown sources.
    void LanLiveReply(std::vector<std::uint8_t>& out);
    // The full record of the sources of `mask`, `nAcqMemory` points each.
    void FullRecord(unsigned mask, std::vector<std::uint8_t>& out);

    std::vector<std::uint8_t> ReadBlock(Block block);
    // Replaces the instrument's block with one written by the front panel.
    bool WriteBlock(Block block, const std::uint8_t* data, std::size_t size);

    // The setup kept across power cycles: the three blocks in a small versioned image
    // (magic, version, the model saved on, each block with its size).
    std::vector<std::uint8_t> SaveState() const;
    // Checks the whole image (magic, version, model, sizes, nothing after the blocks)
    // before applying anything, then takes the blocks over coerced as WriteBlock does
    // and runs, as at power-up. False with a reason, and nothing changed, otherwise.
    bool LoadState(const std::vector<std::uint8_t>& image, std::string& error);

    void SetSignal(int channel, const SignalSource& source);
    void SetDigital(const DigitalSource& source);
    void SetPlotStyle(bool dots);
    // Moves simulated time on; only with the instrument's own manual clock.
    void Advance(double seconds);

    InstrumentState State() const;
    const ModelInfo& Model() const { return model_; }
    // Mask of the sources the instrument shows (bit 0 CH1, bit 1 CH2, bit 2 LA).
    unsigned ShownMask() const;

    void InjectFault(Fault fault, int count = 1);
    bool TakeFault(Fault fault); // consumes one pending fault of that kind
    // Unplugs (false) or re-plugs (true) the simulated USB device.
    void SetPresent(bool present) { present_ = present; }
    bool IsPresent() const { return present_; }

    // Texts not understood go here (the program's --verbose prints them).
    void SetLog(std::function<void(const std::string&)> log);

private:
    unsigned SourcesFitted() const; // the analyzer's bit only on the "M" models

    struct Impl;
    ModelInfo model_;
    std::unique_ptr<Impl> impl_;
    mutable std::mutex mutex_;
    std::atomic<bool> present_{true};
};

// ---------------------------------------------------------------- kept setup file

enum class StateFileLoad { Loaded, Absent, Ignored };
// Loads the state file at `path` into the instrument. Absent when there is no such file;
// Ignored, with a one-line reason in `error`, when it cannot be read or is refused.
StateFileLoad LoadStateFile(Instrument& instrument, const std::string& path, std::string& error);
// Writes the instrument's state to `path` through a temporary file renamed over it, so a
// failed write leaves the old file. False with a reason.
bool SaveStateFile(const Instrument& instrument, const std::string& path, std::string& error);

// ---------------------------------------------------------------- USB

// The instrument side of the USB link: byte-wise command writes, one-byte-length
// replies (at most 255 bytes), vendor requests 2, 4, 5, 6, 12 to 16 and bulk transfers.
class UsbSimEndpoint : public oxbow::usb::UsbEndpoint {
public:
    explicit UsbSimEndpoint(Instrument& instrument);

    bool WriteByte(std::uint8_t byte) override;
    bool ReadBytes(int phase, int count, std::uint8_t* buffer) override;
    int ControlRequest(int request, int value, int index) override;
    int ControlRead(int request, int value, int index, int length, std::uint8_t* buffer) override;
    bool BulkRead(int length, std::uint8_t* buffer) override;
    bool BulkWrite(int length, const std::uint8_t* buffer) override;
    bool IsPresent() const override;

private:
    bool PrepareBlockRead(Block block);
    void Reply(const std::string& body);
    bool Commit(Block block);

    Instrument& instrument_;
    std::mutex mutex_;
    std::string line_;
    std::string reply_;
    std::vector<std::uint8_t> bulkOut_; // what the next bulk read delivers
    std::vector<std::uint8_t> bulkIn_;  // what bulk writes delivered
    std::size_t announced_ = 0;
};

// ---------------------------------------------------------------- LAN

struct LanServerOptions {
    std::string bind = "127.0.0.1";
    int port = 0; // 0: any free port
};

// TCP server with the LAN framing: commands end with CR (a NUL may follow); every reply
// is a 4-byte little-endian length and the body, except the live waveform reply, whose
// 20-byte header starts with the total length. One client at a time.
class LanServer {
public:
    LanServer(Instrument& instrument, LanServerOptions options);
    ~LanServer();
    LanServer(const LanServer&) = delete;
    LanServer& operator=(const LanServer&) = delete;

    bool Listen(std::string& error);
    int Port() const { return port_; }
    // Serves clients until Stop() is called (from any thread or a signal handler).
    void Serve();
    void Stop() { stop_ = true; }

private:
    void ServeClient(int client);
    bool HandleLine(int client, const std::string& line);
    bool SendReply(int client, std::string body, bool framed);

    Instrument& instrument_;
    LanServerOptions options_;
    int listener_ = -1;
    int port_ = 0;
    std::atomic<bool> stop_{false};
};

} // namespace oxbow::sim
