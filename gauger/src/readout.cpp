// Read-out lines: "Label=value unit", "*****" for what cannot be shown, and "<" (">" for a
// frequency) when a time is shorter than the read-out's sample clamp.
#include "gauger.h"
#include "oxcommon.h"

#include <cmath>
#include <cstdio>

namespace gauger {
namespace {

constexpr const char* kHidden = "*****";
constexpr int kVoltageDigits = 3;
constexpr int kTimeDigits = 4;

constexpr std::array<MeasureInfo, kMeasureCount> kInfo{{
    {"Vmax", "Max", true, Quantity::Voltage},
    {"Vmin", "Min", true, Quantity::Voltage},
    {"Vpp", "Pk-Pk", true, Quantity::Voltage},
    {"Vtop", "Top", true, Quantity::Voltage},
    {"Vbase", "Base", true, Quantity::Voltage},
    {"Vamp", "Amp", true, Quantity::Voltage},
    {"Vavg", "Avg", true, Quantity::Voltage},
    {"Vrms", "RMS", true, Quantity::Voltage},
    {"Overshoot", "Ovr", true, Quantity::Percent},
    {"Preshoot", "Pre", true, Quantity::Percent},
    {"Period", "Prd", false, Quantity::Time},
    {"Frequency", "Freq", false, Quantity::Frequency},
    {"Rise Time", "Rise", false, Quantity::Time},
    {"Fall Time", "Fall", false, Quantity::Time},
    {"Positive Width", "+Wid", false, Quantity::Time},
    {"Negative Width", "-Wid", false, Quantity::Time},
    {"Positive Duty", "+Duty", true, Quantity::Percent},
    {"Negative Duty", "-Duty", true, Quantity::Percent},
    {"Rising Delay 1->2", "Dly_A", false, Quantity::Time},
    {"Falling Delay 1->2", "Dly_B", false, Quantity::Time},
}};

[[nodiscard]] std::string Percent(double value) {
    std::array<char, 32> text{};
    std::snprintf(text.data(), text.size(), "%1.1f%%", value);
    return text.data();
}

[[nodiscard]] std::string Printed(double value, int digits) {
    std::string text;
    GetValidDataStr(text, value, digits, -1, 0);
    return text;
}

// Relation and value of a time (seconds) or frequency (Hz) with the sample clamp applied;
// a delay is a signed difference of two edges and is never clamped.
[[nodiscard]] std::string Timing(Measure m, Quantity quantity, double value,
                                 double secondsPerSample) {
    const bool delay = m == Measure::RisingDelay || m == Measure::FallingDelay;
    const double shortest = delay ? 0 : kMinShownSamples * secondsPerSample;
    if (quantity == Quantity::Frequency) {
        const bool clamped = value * shortest > 1;
        return (clamped ? ">" : "=") + Printed(clamped ? 1 / shortest : value, kTimeDigits) + "Hz";
    }
    const bool clamped = std::abs(value) < shortest;
    return (clamped ? "<" : "=") + Printed(clamped ? shortest : value, kTimeDigits) + "s";
}

} // namespace

const MeasureInfo* GetMeasureInfo(int code) {
    return code >= 1 && code <= kMeasureCount ? &kInfo[code - 1] : nullptr;
}

void GetMeasureText(std::string& out, Measure m, const ChannelResult& result, bool shown,
                    const std::string& unit) {
    const MeasureInfo& info = kInfo[ChannelResult::Index(m)];
    const Reading& reading = result[m];
    out = info.label;
    const bool hidden =
        !shown || !reading.valid || (info.quantity == Quantity::Voltage && result.clipped);
    if (hidden || info.fixedEquals) {
        out += "=";
    }
    if (hidden) {
        out += kHidden;
        return;
    }
    switch (info.quantity) {
    case Quantity::Voltage:
        out += Printed(reading.value, kVoltageDigits) + unit;
        break;
    case Quantity::Percent:
        out += Percent(reading.value);
        break;
    case Quantity::Time:
    case Quantity::Frequency:
        out += Timing(m, info.quantity, reading.value, result.secondsPerSample);
        break;
    }
}

} // namespace gauger
