// Gauger: the automatic measurements of one displayed channel trace (voltages, shape, timing)
// and of the CH1 -> CH2 pair (delays), each with a validity flag, and the read-out texts that
// show them. Measuring allocates nothing: it runs on every displayed frame.
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace gauger {

// Measurement codes as the program posts them; the read-out table follows this order.
enum class Measure : int {
    Vmax = 1,
    Vmin,
    Vpp,
    Vtop,
    Vbase,
    Vamp,
    Vavg,
    Vrms,
    Overshoot,
    Preshoot,
    Period,
    Frequency,
    RiseTime,
    FallTime,
    PositiveWidth,
    NegativeWidth,
    PositiveDuty,
    NegativeDuty,
    RisingDelay,
    FallingDelay,
};
inline constexpr int kMeasureCount = 20;

// Raw codes: 125 at the vertical centre, 25 codes per division, smaller codes higher up.
inline constexpr int kCentreCode = 125;
inline constexpr double kVoltsPerCodePerScale = 1.0 / 25.0;
inline constexpr int kSamplesPerDivision = 100;
// Codes the display path clamps rows to: a trace touching them is clipped.
inline constexpr int kClipTopCode = 23;
inline constexpr int kClipBottomCode = 225;
// A trace spanning fewer codes than this is flat: no levels, edges or timing.
inline constexpr int kMinSpanCodes = 5;
// Read-outs show a time of fewer samples than this as "<" that many samples.
inline constexpr int kMinShownSamples = 10;

// One channel's trace as the program hands it over. The voltage of a code is
// (kCentreCode - groundCodes - code) x voltsPerDiv x kVoltsPerCodePerScale.
struct ChannelTrace {
    const std::uint8_t* codes = nullptr;
    int count = 0;
    int groundCodes = 0;         // the channel's offset in codes
    double voltsPerDiv = 0;      // vertical scale
    double secondsPerSample = 0; // the region's time per division / kSamplesPerDivision
};

// The seconds per sample of a region shown with the given time per division.
[[nodiscard]] constexpr double SecondsPerSample(double secondsPerDiv) {
    return secondsPerDiv / kSamplesPerDivision;
}

struct Reading {
    double value = 0; // V, s, Hz or %
    bool valid = false;
};

// All measurements of one channel, in plain SI units.
struct ChannelResult {
    std::array<Reading, kMeasureCount> readings{};
    bool clipped = false;        // codes at the clamp rows: voltages are not shown
    double secondsPerSample = 0; // of the trace measured, for the read-out's sample clamp

    [[nodiscard]] const Reading& operator[](Measure m) const { return readings[Index(m)]; }
    [[nodiscard]] Reading& operator[](Measure m) { return readings[Index(m)]; }
    [[nodiscard]] static constexpr int Index(Measure m) { return static_cast<int>(m) - 1; }
};

struct PairResult {
    std::array<ChannelResult, 2> channel{}; // 0 = CH1, 1 = CH2
};

// Measures everything of one channel except the delays (left invalid). A trace without
// codes, with fewer than two samples or a scale or time step that is not positive and finite
// yields no valid reading.
void MeasureChannel(const ChannelTrace& trace, ChannelResult& out);

// Measures both channels and the rising and falling delays CH1 -> CH2 (CH2's first mid-level
// edge minus CH1's, signed), which both channel results carry.
void MeasurePair(const ChannelTrace& ch1, const ChannelTrace& ch2, PairResult& out);

// ---- Read-outs ----------------------------------------------------------------------

enum class Quantity { Voltage, Percent, Time, Frequency };

struct MeasureInfo {
    const char* longName; // dialog title
    const char* label;    // read-out label
    bool fixedEquals;     // "=" always follows; otherwise "=", or "<"/">" when clamped
    Quantity quantity;
};

// The table entry of a measurement code; nullptr for a code outside 1..kMeasureCount.
[[nodiscard]] const MeasureInfo* GetMeasureInfo(int code);

// out := the read-out line of `m` from `result`: label, relation, value and unit. A hidden
// channel, an invalid reading or a voltage of a clipped trace reads "*****". Voltages carry
// `unit` (the channel's unit text).
void GetMeasureText(std::string& out, Measure m, const ChannelResult& result, bool shown,
                    const std::string& unit);

} // namespace gauger
