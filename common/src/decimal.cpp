#include "decimal.h"

#include <cmath>

namespace oxcommon {

namespace {
// The snapping operations read the leading digit with this allowance.
constexpr double kDigitAllowance = 0.000005;
} // namespace

Normalised Normalise(double magnitude, double allowance) {
    double mantissa = magnitude;
    int exponent = 0;
    while (mantissa >= 10) {
        mantissa /= 10;
        ++exponent;
    }
    while (mantissa < 1) {
        mantissa *= 10;
        --exponent;
    }
    if (mantissa + allowance >= 10) {
        mantissa /= 10;
        ++exponent;
    }
    return {mantissa, exponent};
}

Normalised NormaliseGridValue(double magnitude) {
    return Normalise(magnitude, kDigitAllowance);
}

int LeadingDigit(double mantissa) {
    return static_cast<int>(mantissa + kDigitAllowance);
}

double TimesPow10(double value, int exponent) {
    return exponent >= 0 ? value * std::pow(10.0, exponent) : value / std::pow(10.0, -exponent);
}

} // namespace oxcommon
