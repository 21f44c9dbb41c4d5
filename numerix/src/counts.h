// Conversions between volts and raw counts shared by the math channel and the spectrum.
#pragma once

#include <cmath>
#include <optional>

namespace numerix::detail {

inline constexpr int kRawCentre = 125;
inline constexpr float kCountsPerDivision = 25.0f;

// Offsets further than this many counts from the centre are refused: far beyond any screen,
// and every value a 16-bit sample minus such an offset takes is still exact in single precision.
inline constexpr float kMaxOffsetCounts = 8388608.0f;

inline bool IsUsableScale(float scale) {
    return scale > 0.0f && std::isfinite(scale);
}

// trunc(offset x 25 / scale), worked in single precision like the rest of the trace scaling;
// empty when the scale is unusable or the offset is out of reach.
inline std::optional<int> OffsetCounts(float offset, float scale) {
    if (!IsUsableScale(scale)) {
        return std::nullopt;
    }
    const float counts = offset * kCountsPerDivision / scale;
    if (!(std::fabs(counts) <= kMaxOffsetCounts)) {
        return std::nullopt;
    }
    return static_cast<int>(counts);
}

} // namespace numerix::detail
