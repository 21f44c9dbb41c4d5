// The simulated instrument's inner state and the operations its parts share.
#pragma once

#include "oxsim.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace oxbow::sim::detail {

// One acquisition ready to be sent: when it triggered (or was taken untriggered).
struct Acquired {
    double time = 0.0;
    std::uint8_t status = kStatusTriggered;
    std::array<double, 2> channelTime{}; // alternate trigger: each channel's own trigger
};

// Fast noise: a fixed table of Gaussian values walked by a xorshift generator.
class NoiseSource {
public:
    void Seed(std::uint64_t seed) { state_ = seed | 1u; }
    double Next();

private:
    std::uint64_t state_ = 0x9E3779B97F4A7C15ull;
};

struct Core {
    Core(ModelInfo modelInfo, InstrumentOptions opts, std::shared_ptr<Clock> clk);

    ModelInfo model;
    InstrumentOptions options;
    std::shared_ptr<Clock> clock;
    std::function<void(const std::string&)> log;

    InstrumentState st{};
    std::array<SignalSource, 2> signals{};
    DigitalSource digital{};
    bool plotDots = false;

    // Bytes of the blocks that no field covers, kept as last written.
    std::array<std::uint8_t, kDsoBlockSize> dsoRaw{};
    std::array<std::uint8_t, kLaBlockSize> laRaw{};
    std::array<std::uint8_t, kAltBlockSize> altRaw{};

    // Acquisition bookkeeping.
    double scheduled = 0.0;    // acquisitions before this time have been taken
    double lastTrigger = -1e9; // for the holdoff
    double runStart = 0.0;     // start of the current roll or scan
    double stopTime = 0.0;
    std::optional<Acquired> last; // newest acquisition, the one the record shows
    DsoState recordSetup{};       // settings the stopped record was taken with
    int ringWrite = 0;
    bool singlePending = false;
    NoiseSource noise;
};

// ---- coercion helpers (model.cpp)
double Snap125(double value);  // leading digit 1, 2 kept; 3 to 5 -> 5; 6 to 9 -> 10
double Floor125(double value); // largest 1-2-5 value not above
double Ceil125(double value);  // smallest 1-2-5 value not below
std::int64_t ToPicoseconds(double seconds);
void SetTime(double seconds, double& value, std::int64_t& ps);
// Recomputes record length, sampling rates and the slow-sweep flag from the settings.
void UpdateAcquisition(Core& core);
unsigned ShownSources(const Core& core);

// ---- setups (setup.cpp)
void PowerUpSetup(Core& core);
void AutoSetup(Core& core);
void StartRun(Core& core);
void StopRun(Core& core);

// ---- commands (commands.cpp)
// Applies one command line; a query fills `reply`. False when the text was not understood.
bool ApplyCommand(Core& core, const std::string& line, std::optional<std::string>& reply);

// ---- signals
// The wire a bus kind names "tx", "clk", "mosi", "miso", "cs", "scl" or "sda"; false for a
// name the kind has no wire of.
bool ParseBusLine(BusKind kind, const std::string& name, BusLine& line);
// Value of one component at phase p in [0, 1), centred on zero; `sine(p)` is sin(2 pi p),
// exact for the signal's own use or from a table when frames are rendered.
template <class Sine> double ComponentValue(const SignalComponent& c, double p, Sine sine) {
    const double half = c.amplitude / 2.0;
    switch (c.shape) {
    case Waveshape::Sine:
        return half * sine(p);
    case Waveshape::Square:
    case Waveshape::Pulse:
        return p < c.duty ? half : -half;
    case Waveshape::Triangle:
        return half * (p < 0.5 ? 4.0 * p - 1.0 : 3.0 - 4.0 * p);
    case Waveshape::Ramp:
        return half * (2.0 * p - 1.0);
    case Waveshape::Dc:
        return c.amplitude;
    case Waveshape::Bus:
        return c.bus->LevelAtPhase(c.busLine, p) ? c.amplitude : 0.0;
    }
    return 0.0;
}

// ---- blocks (blocks.cpp)
std::vector<std::uint8_t> PackBlock(const Core& core, Block block);
void UnpackBlock(Core& core, Block block, const std::uint8_t* data);

// ---- kept setup image (state.cpp)
using SetupBlocks = std::array<std::vector<std::uint8_t>, 3>; // DSO, LA, ALT
std::vector<std::uint8_t> EncodeState(const std::string& model, const SetupBlocks& blocks);
// Every check made before anything is taken: false with a reason.
bool DecodeState(const std::vector<std::uint8_t>& image, const std::string& model,
                 SetupBlocks& blocks, std::string& error);

// ---- acquisition (acquisition.cpp)
std::size_t FrameStride(unsigned mask, bool delayed);
// Takes the acquisitions that happened up to now (at most `limit`).
std::vector<Acquired> Collect(Core& core, int limit);
void RenderFrame(Core& core, const Acquired& frame, unsigned mask, std::uint8_t* out);
std::uint16_t ScanPositionSource(const Core& core, const Acquired& frame);
// USB request 4: header and the new frames at their ring slots; returns the size.
std::size_t BuildUsbLiveBlock(Core& core, unsigned mask, std::vector<std::uint8_t>& out);
// ":WAVEFORM:DATA?": 20-byte header (total length first) and the newest frame.
void BuildLanLiveReply(Core& core, std::vector<std::uint8_t>& out);
std::size_t FullRecordSize(const Core& core, unsigned mask);
void RenderFullRecord(Core& core, unsigned mask, std::uint8_t* out);
int RollPoints(const Core& core);

} // namespace oxbow::sim::detail
