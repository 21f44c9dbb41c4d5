// Numbers printed with engineering prefixes, and the labels built on them.
#include "oxcommon.h"

#include "decimal.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace {

constexpr const char* kPrefixes[] = {"f", "p", "n", "u", "m", "", "K", "M", "G", "T"};
constexpr int kLowestPower = -5;
constexpr int kHighestPower = 4;
constexpr int kDefaultDecimals = 2;
// Relative allowance when choosing the prefix and the automatic decimals, so that a value
// computed as 0.99999999999 ms prints as 1.000ms and not as 1000.0us.
constexpr double kRelativeAllowance = 1e-9;
constexpr const char* kUnprintable = "?";
// Rounding to more decimals than a double resolves (either way) changes nothing.
constexpr int kDecimalsLimit = 300;

std::string FormatFixed(double value, int decimals) {
    int size = std::snprintf(nullptr, 0, "%0.*f", decimals, value);
    std::string text(static_cast<std::size_t>(size), '\0');
    std::snprintf(text.data(), text.size() + 1, "%0.*f", decimals, value);
    return text;
}

struct Prefixed {
    double magnitude; // in [1, 1000) up to the allowance
    int power;        // of 1000
};

Prefixed ScaleByThousands(double magnitude) {
    int power = 0;
    while (magnitude >= 1000 * (1 - kRelativeAllowance)) {
        magnitude /= 1000;
        ++power;
    }
    while (magnitude < 1 - kRelativeAllowance) {
        magnitude *= 1000;
        --power;
    }
    return {magnitude, power};
}

// As many decimals as give `digits` significant digits; 2 when the magnitude is below 1.
int AutomaticDecimals(double magnitude, int digits) {
    for (int i = digits; i >= 0; --i) {
        if (std::pow(10.0, i) <= magnitude * (1 + kRelativeAllowance)) {
            return std::max(digits - i - 1, 0);
        }
    }
    return kDefaultDecimals;
}

int ChosenDecimals(double magnitude, int digits, int decimals) {
    return decimals < 0 ? AutomaticDecimals(magnitude, digits) : decimals;
}

// Beyond the prefixes (below 1e-15, from 1e15): mantissa and decimal exponent, "2.00E-18".
std::string PrintExponent(double value, int digits, int decimals) {
    auto [mantissa, e] = oxcommon::Normalise(std::fabs(value), 10 * kRelativeAllowance);
    char exponent[16];
    std::snprintf(exponent, sizeof exponent, "E%+03d", e);
    return FormatFixed(std::copysign(mantissa, value), ChosenDecimals(mantissa, digits, decimals)) +
           exponent;
}

// The value with `decimals` decimals (-1: automatic for `digits` significant digits) and
// the prefix of its power of 1000.
std::string PrintPrefixed(double value, int digits, int decimals) {
    if (!std::isfinite(value)) {
        return kUnprintable;
    }
    if (value == 0) {
        return FormatFixed(0, decimals > 0 ? decimals : kDefaultDecimals);
    }
    auto [magnitude, power] = ScaleByThousands(std::fabs(value));
    if (power < kLowestPower || power > kHighestPower) {
        return PrintExponent(value, digits, decimals);
    }
    return FormatFixed(std::copysign(magnitude, value),
                       ChosenDecimals(magnitude, digits, decimals)) +
           kPrefixes[power - kLowestPower];
}

} // namespace

void GetValidDataStr(std::string& out, double value, int digits, int decimals, int finest) {
    out = PrintPrefixed(GetValidData(value, digits, finest), digits, decimals);
}

void GetValidDataAfterDotStr(std::string& out, double value, int decimals) {
    decimals = std::clamp(decimals, -kDecimalsLimit, kDecimalsLimit);
    double scaled = oxcommon::TimesPow10(std::fabs(value), decimals);
    double rounded = std::isfinite(scaled) ? oxcommon::TimesPow10(std::round(scaled), -decimals)
                                           : std::fabs(value);
    out = PrintPrefixed(std::copysign(rounded, value), decimals + 1, -1);
}

std::string GetScienceData(double value, int digits, int decimals, int finest) {
    double rounded = GetValidData(value, digits, finest);
    if (!std::isfinite(rounded)) {
        return kUnprintable;
    }
    if (rounded == 0) {
        return FormatFixed(0, decimals < 0 ? kDefaultDecimals : decimals);
    }
    auto [magnitude, power] = ScaleByThousands(std::fabs(rounded));
    std::string text =
        FormatFixed(std::copysign(magnitude, rounded), ChosenDecimals(magnitude, digits, decimals));
    if (power == 0) {
        return text;
    }
    return text + (power < 0 ? "E-00" : "E+00") + std::to_string(3 * std::abs(power));
}

void GetTimeScaleString(std::string& out, double seconds) {
    GetValidDataStr(out, seconds, 4, -1, -9);
    out += "s";
}

void GetTimeOffsetString(std::string& out, double seconds) {
    GetValidDataStr(out, seconds, 4, 4, -9);
    out += "s";
}

void GetVertScaleString(std::string& out, float value, const std::string& unit) {
    GetValidDataStr(out, value, 3, -1, -4);
    out += unit;
}

std::string StrConnect(const std::string& first, const std::string& second,
                       const std::string& third, const std::string& fourth,
                       const std::string& fifth) {
    return first + second + third + fourth + fifth;
}
