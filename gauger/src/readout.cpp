// Read-outs: "Label=value unit" on the screen, the value alone for the panel, the same value
// as a plain number for tables; "*****" for what cannot be shown, and "<" (">" for a
// frequency) when a time is shorter than the read-out's sample clamp.
#include "gauger.h"
#include "oxcommon.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace gauger {
namespace {

constexpr int kVoltageDigits = 3;
constexpr int kTimeDigits = 4;
constexpr int kPercentDecimals = 1;
// Beyond these a plain number is written with an exponent rather than with zeros.
constexpr int kMostPlainDecimals = 12;
constexpr int kMostPlainExponent = 15;

// A value as shown: the relation to the measured value ('=' unless a time is clamped), the
// value shown (the clamp's bound when clamped) and its significant digits (0: a percentage).
struct Shown {
    char relation;
    double value;
    int digits;
};

Shown ShownOf(Measure m, double value, double secondsPerSample) {
    const Quantity quantity = kMeasureTable[ChannelResult::Index(m)].quantity;
    if (quantity == Quantity::Voltage) return {'=', value, kVoltageDigits};
    if (quantity == Quantity::Percent) return {'=', value, 0};
    // A delay is a signed difference of two edges and is never clamped.
    const bool delay = m == Measure::RisingDelay || m == Measure::FallingDelay;
    const double shortest = delay ? 0 : kMinShownSamples * secondsPerSample;
    if (quantity == Quantity::Frequency) {
        const bool clamped = value * shortest > 1;
        return {clamped ? '>' : '=', clamped ? 1 / shortest : value, kTimeDigits};
    }
    const bool clamped = std::abs(value) < shortest;
    return {clamped ? '<' : '=', clamped ? shortest : value, kTimeDigits};
}

std::string Percent(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%1.*f", kPercentDecimals, value);
    return text;
}

std::string Prefixed(double value, int digits) {
    std::string text;
    GetValidDataStr(text, value, digits, -1, 0);
    return text;
}

// `digits` significant digits without a prefix: "4.00", "0.001000", "12350"; very large or
// very small values with an exponent ("1.000e-15").
std::string Plain(double value, int digits) {
    // Rounded as the read-out rounds (halves away from zero), then printed.
    const double rounded = GetValidData(value, digits, 0);
    char scientific[40];
    std::snprintf(scientific, sizeof scientific, "%.*e", digits - 1, rounded);
    const char* e = std::strchr(scientific, 'e');
    const int exponent = e != nullptr ? std::atoi(e + 1) : 0;
    const int decimals = std::max(0, digits - 1 - exponent);
    if (!std::isfinite(value) || decimals > kMostPlainDecimals || exponent > kMostPlainExponent)
        return scientific;
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", decimals, std::strtod(scientific, nullptr));
    return text;
}

const char* UnitOf(Quantity quantity, const std::string& voltageUnit) {
    switch (quantity) {
    case Quantity::Voltage:
        return voltageUnit.c_str();
    case Quantity::Percent:
        return "%";
    case Quantity::Time:
        return "s";
    case Quantity::Frequency:
        return "Hz";
    }
    return "";
}

std::string Relation(const Shown& shown) {
    return shown.relation == '=' ? std::string() : std::string(1, shown.relation);
}

} // namespace

const MeasureInfo* GetMeasureInfo(int code) {
    return code >= 1 && code <= kMeasureCount ? &kMeasureTable[code - 1] : nullptr;
}

int MeasureCodeOfKey(std::string_view key) {
    const auto same = [key](std::string_view known) {
        return key.size() == known.size() &&
               std::equal(key.begin(), key.end(), known.begin(), [](char a, char b) {
                   return std::tolower(static_cast<unsigned char>(a)) == b;
               });
    };
    for (int code = 1; code <= kMeasureCount; ++code) {
        if (same(kMeasureTable[code - 1].key)) return code;
    }
    return 0;
}

bool MeasureShowable(Measure m, const ChannelResult& result, bool shown) {
    const bool voltage = kMeasureTable[ChannelResult::Index(m)].quantity == Quantity::Voltage;
    return shown && result[m].valid && !(voltage && result.clipped);
}

std::string MeasureValueText(Measure m, double value, double secondsPerSample,
                             const std::string& unit) {
    const Shown shown = ShownOf(m, value, secondsPerSample);
    const std::string number =
        shown.digits == 0 ? Percent(shown.value) : Prefixed(shown.value, shown.digits);
    return Relation(shown) + number + UnitOf(kMeasureTable[ChannelResult::Index(m)].quantity, unit);
}

std::string MeasurePlainValue(Measure m, double value, double secondsPerSample) {
    const Shown shown = ShownOf(m, value, secondsPerSample);
    return Relation(shown) +
           (shown.digits == 0 ? Percent(shown.value) : Plain(shown.value, shown.digits));
}

void GetMeasureText(std::string& out, Measure m, const ChannelResult& result, bool shown,
                    const std::string& unit) {
    const MeasureInfo& info = kMeasureTable[ChannelResult::Index(m)];
    out = info.label;
    if (!MeasureShowable(m, result, shown)) {
        out += std::string("=") + kHiddenReading;
        return;
    }
    const double value = result[m].value;
    // A clamped time's relation takes the place of "=" (never one of the fixed "=" labels).
    if (ShownOf(m, value, result.secondsPerSample).relation == '=') out += "=";
    out += MeasureValueText(m, value, result.secondsPerSample, unit);
}

} // namespace gauger
