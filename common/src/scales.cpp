// Stepping, snapping and rounding of adjustable values.
#include "oxcommon.h"

#include "decimal.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

using oxcommon::LeadingDigit;
using oxcommon::Normalise;
using oxcommon::NormaliseGridValue;
using oxcommon::TimesPow10;

namespace {

// Zero, infinities and NaN come back unchanged from snapping and rounding.
bool PassesThrough(double value) {
    return value == 0 || !std::isfinite(value);
}

// At and beyond 2^53 every double is an integer, so rounding to a grid changes nothing.
constexpr double kExactIntegerLimit = 9007199254740992.0;
// A double holds no more significant digits than this.
constexpr int kMaxSignificantDigits = 17;
// Steps beyond 10^±400 are 0 or infinite in a double anyway.
constexpr long long kPowerLimit = 400;

double RoundToGrid(double value, int finest) {
    double scaled = TimesPow10(value, -finest);
    if (std::fabs(scaled) >= kExactIntegerLimit) {
        return value;
    }
    return TimesPow10(std::round(scaled), finest);
}

} // namespace

double SetPreDefinedScale(double value, bool up) {
    if (PassesThrough(value)) {
        return value;
    }
    auto [mantissa, e] = NormaliseGridValue(std::fabs(value));
    double next = 0;
    switch (LeadingDigit(mantissa)) {
    case 1:
        next = up ? TimesPow10(2, e) : TimesPow10(5, e - 1);
        break;
    case 2:
        next = up ? TimesPow10(5, e) : TimesPow10(1, e);
        break;
    case 3:
    case 4:
        next = up ? TimesPow10(5, e) : TimesPow10(2, e);
        break;
    case 5:
        next = up ? TimesPow10(1, e + 1) : TimesPow10(2, e);
        break;
    default:
        next = up ? TimesPow10(1, e + 1) : TimesPow10(5, e);
        break;
    }
    return std::copysign(next, value);
}

double ValidateScale(double value) {
    if (PassesThrough(value)) {
        return value;
    }
    auto [mantissa, e] = NormaliseGridValue(std::fabs(value));
    int digit = LeadingDigit(mantissa);
    double snapped = digit <= 2   ? TimesPow10(digit, e)
                     : digit <= 5 ? TimesPow10(5, e)
                                  : TimesPow10(1, e + 1);
    return std::copysign(snapped, value);
}

double StepIndouble(double value, int finest, bool up, int count, int digits) {
    if (!std::isfinite(value)) {
        return value;
    }
    long long power = finest;
    if (value != 0) {
        long long e = NormaliseGridValue(std::fabs(value)).exponent;
        long long k = digits < 0 ? e + digits : std::llabs(e) - digits;
        power = std::max<long long>(k, finest);
    }
    double step = TimesPow10(count, static_cast<int>(std::clamp(power, -kPowerLimit, kPowerLimit)));
    return up ? value + step : value - step;
}

float StepInfloat(float value, int finest, bool up, int count, int digits) {
    return static_cast<float>(StepIndouble(value, finest, up, count, digits));
}

double GetValidData(double value, int digits, int finest) {
    if (PassesThrough(value)) {
        return value;
    }
    digits = std::clamp(digits, 1, kMaxSignificantDigits);
    auto [mantissa, e] = Normalise(std::fabs(value));
    // One scaling from the rounded digits to the result, so 113 stays 113 and not 112.99999.
    double digitsValue = std::round(TimesPow10(mantissa, digits - 1));
    double x = std::copysign(TimesPow10(digitsValue, e + 1 - digits), value);
    if (finest < 0) {
        // Nudges a value sitting a hair below half a grid step up to it.
        return RoundToGrid(x + 5e-20, finest);
    }
    return finest > 0 ? std::trunc(x) : x;
}
