// Gauger: the automatic measurements of one displayed channel trace (voltages, shape, timing)
// and of the CH1 -> CH2 pair (delays), each with a validity flag, and the read-out texts that
// show them. Measuring allocates nothing: it runs on every displayed frame.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

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

// ---- The measurement table and the read-outs -------------------------------------------

enum class Quantity { Voltage, Percent, Time, Frequency };

// One row per measurement, in code order: everything that names a measurement anywhere in
// the program (menus, source dialog, panel, the command line and its table, the screen's
// read-out labels) comes from here.
struct MeasureInfo {
    const char* name;  // the measurement's long name: dialog title, panel line
    const char* item;  // the Analyze menu's item ("+Width")
    const char* key;   // the command line's and the table's name (--measure vpp,freq)
    const char* label; // the short label of the screen read-out ("Pk-Pk")
    bool fixedEquals;  // "=" always follows the label; otherwise "=", or "<"/">" when clamped
    Quantity quantity;
};

inline constexpr std::array<MeasureInfo, kMeasureCount> kMeasureTable{{
    {"Vmax", "Vmax", "vmax", "Max", true, Quantity::Voltage},
    {"Vmin", "Vmin", "vmin", "Min", true, Quantity::Voltage},
    {"Vpp", "Vpp", "vpp", "Pk-Pk", true, Quantity::Voltage},
    {"Vtop", "Vtop", "vtop", "Top", true, Quantity::Voltage},
    {"Vbase", "Vbase", "vbase", "Base", true, Quantity::Voltage},
    {"Vamp", "Vamp", "vamp", "Amp", true, Quantity::Voltage},
    {"Vavg", "Vavg", "vavg", "Avg", true, Quantity::Voltage},
    {"Vrms", "Vrms", "vrms", "RMS", true, Quantity::Voltage},
    {"Overshoot", "Overshoot", "overshoot", "Ovr", true, Quantity::Percent},
    {"Preshoot", "Preshoot", "preshoot", "Pre", true, Quantity::Percent},
    {"Period", "Period", "period", "Prd", false, Quantity::Time},
    {"Frequency", "Frequency", "freq", "Freq", false, Quantity::Frequency},
    {"Rise Time", "Rise Time", "rise", "Rise", false, Quantity::Time},
    {"Fall Time", "Fall Time", "fall", "Fall", false, Quantity::Time},
    {"Positive Width", "+Width", "pwidth", "+Wid", false, Quantity::Time},
    {"Negative Width", "-Width", "nwidth", "-Wid", false, Quantity::Time},
    {"Positive Duty", "+Duty", "duty", "+Duty", true, Quantity::Percent},
    {"Negative Duty", "-Duty", "nduty", "-Duty", true, Quantity::Percent},
    {"Rising Delay 1->2", "DelayA 1->2", "rdelay", "Dly_A", false, Quantity::Time},
    {"Falling Delay 1->2", "DelayB 1->2", "fdelay", "Dly_B", false, Quantity::Time},
}};

// What a reading that cannot be shown reads.
inline constexpr const char* kHiddenReading = "*****";

// The table entry of a measurement code; nullptr for a code outside 1..kMeasureCount.
[[nodiscard]] const MeasureInfo* GetMeasureInfo(int code);
// The code of a table key, in any case ("Freq" is 12); 0 for an unknown one.
[[nodiscard]] int MeasureCodeOfKey(std::string_view key);

// Whether the reading of `m` can be shown: the channel shown, the reading valid, and for a
// voltage the trace not clipped.
[[nodiscard]] bool MeasureShowable(Measure m, const ChannelResult& result, bool shown);

// A value of `m` as the read-outs show it: the number with the read-out's digits and prefix
// and its unit ("2.00V", "1.000ms", "50.0%"), a time shorter than ten samples of
// `secondsPerSample` as "<" that bound (a frequency as ">"): "<10.00us".
[[nodiscard]] std::string MeasureValueText(Measure m, double value, double secondsPerSample,
                                           const std::string& unit);
// The same value as a plain SI number with the same digits, for tables: "2.00", "0.001000",
// "<0.00001000".
[[nodiscard]] std::string MeasurePlainValue(Measure m, double value, double secondsPerSample);

// out := the screen read-out line of `m` from `result`: label, relation, value and unit
// ("Prd=1.000ms", "Rise<10.00us"). What cannot be shown (MeasureShowable) reads
// kHiddenReading.
// Voltages carry `unit` (the channel's unit text).
void GetMeasureText(std::string& out, Measure m, const ChannelResult& result, bool shown,
                    const std::string& unit);

} // namespace gauger
