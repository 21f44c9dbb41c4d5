// Decimal normalisation shared by the stepping, snapping and rounding operations.
#pragma once

namespace oxcommon {

struct Normalised {
    double mantissa; // in [1, 10)
    int exponent;    // magnitude = mantissa × 10^exponent
};

// Normalises a finite magnitude > 0. A mantissa within `allowance` of 10 counts as 1 with
// the exponent one higher.
Normalised Normalise(double magnitude, double allowance = 0);

// Normalisation for stepping and snapping: a mantissa that reads as a leading digit of 10
// (0.01f is 0.0099999998) counts as 1 with the exponent one higher, so float-rounded grid
// values step and snap like exact ones.
Normalised NormaliseGridValue(double magnitude);

// The leading digit 1..9 of a mantissa from NormaliseGridValue.
int LeadingDigit(double mantissa);

// value × 10^exponent, dividing by the exact power for negative exponents so that
// 5 × 10^-3 is the double nearest 0.005.
double TimesPow10(double value, int exponent);

} // namespace oxcommon
