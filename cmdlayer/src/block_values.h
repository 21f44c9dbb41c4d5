// Value conversions used when a field crosses into or out of a setup block:
// saturating narrowing and truncated quotients that never divide by zero.
#pragma once

#include "ox_records.h"

#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>
#include <type_traits>
#include <utility>

namespace oxmsg::detail {

// Narrows a double to float; finite values beyond the float range become the
// largest float of their sign instead of an out-of-range conversion.
inline float NarrowToFloat(double value) {
    constexpr double kMax = std::numeric_limits<float>::max();
    if (std::isfinite(value) && std::fabs(value) > kMax)
        return value > 0 ? std::numeric_limits<float>::max() : -std::numeric_limits<float>::max();
    return static_cast<float>(value);
}

// Truncates towards zero into an integer type, saturating at its limits.
// NaN has no integer value.  A value within a few float steps of an integer
// is that integer: the operands are single floats, so 0.02 / 1 x 10^6 must
// give 20,000, not 19,999.
template <class Int> std::optional<Int> SaturatingTrunc(double value) {
    static_assert(std::is_integral_v<Int>);
    if (std::isnan(value)) return std::nullopt;
    const double nearest = std::round(value);
    if (std::fabs(value - nearest) <= std::fabs(value) * 4e-7) value = nearest;
    if (value <= static_cast<double>(std::numeric_limits<Int>::min()))
        return std::numeric_limits<Int>::min();
    if (value >= static_cast<double>(std::numeric_limits<Int>::max()))
        return std::numeric_limits<Int>::max();
    return static_cast<Int>(std::trunc(value));
}

// numerator / denominator x factor, truncated and saturated; nothing when the
// denominator is 0 or less (or not a number).
template <class Int>
std::optional<Int> TruncatedQuotient(double numerator, double denominator, double factor) {
    if (!(denominator > 0)) return std::nullopt;
    return SaturatingTrunc<Int>(numerator / denominator * factor);
}

// The number type a record field holds (an OxPacked field holds its T).
template <class F> struct FieldValue { using type = F; };
template <class T> struct FieldValue<OxPacked<T>> { using type = T; };
template <class F> using FieldValueT = typename FieldValue<std::remove_const_t<F>>::type;

// Converts a field value to the type of its block slot and back: integers
// saturate, doubles narrow to float without overflow.
template <class To, class From> To Convert(From value) {
    if constexpr (std::is_same_v<To, From>) {
        return value;
    } else if constexpr (std::is_integral_v<To> && std::is_integral_v<From>) {
        if (std::in_range<To>(value)) return static_cast<To>(value);
        return std::cmp_less(value, 0) ? std::numeric_limits<To>::min()
                                       : std::numeric_limits<To>::max();
    } else if constexpr (std::is_same_v<To, float> && std::is_same_v<From, double>) {
        return NarrowToFloat(value);
    } else {
        static_assert(std::is_same_v<To, double> && std::is_same_v<From, float>,
                      "a block slot holds the field's own kind of number");
        return static_cast<double>(value);
    }
}

} // namespace oxmsg::detail
