// A+B, A-B and A*B of two raw channels, in integer arithmetic: each sample becomes volts x 25000
// (counts times millivolts per division), the pair is combined, and the result is brought back
// to counts at the math channel's scale.
#include "counts.h"
#include "numerix.h"

#include <algorithm>
#include <cstdint>
#include <optional>

namespace {

using numerix::detail::kRawCentre;
using numerix::detail::OffsetCounts;

// Volts x 25000 per count is trunc(scale x 1000); larger scales than this are refused.
constexpr float kMaxMillivoltsPerDivision = 2.0e9f;
constexpr std::int64_t kMulDivisor = 25000;

struct ChannelScale {
    int offsetCounts;
    std::int64_t millivolts; // trunc(scale x 1000)
};

std::optional<ChannelScale> ScaleOf(float scale, float offset) {
    const auto counts = OffsetCounts(offset, scale);
    if (!counts) {
        return std::nullopt;
    }
    const float millivolts = scale * 1000;
    if (!(millivolts <= kMaxMillivoltsPerDivision)) {
        return std::nullopt;
    }
    return ChannelScale{*counts, static_cast<std::int64_t>(millivolts)};
}

// Volts x 25000 of one raw sample; the count difference is taken as a 16-bit value.
std::int64_t Volts25000(std::uint8_t raw, const ChannelScale& scale) {
    const auto counts = static_cast<std::int16_t>(kRawCentre - raw - scale.offsetCounts);
    return counts * scale.millivolts;
}

enum class Operation { Add, Sub, Mul };

std::int64_t Combine(Operation operation, std::int64_t vA, std::int64_t vB, std::int64_t divisor) {
    switch (operation) {
    case Operation::Add:
        return (vA + vB) / divisor;
    case Operation::Sub:
        return (vA - vB) / divisor;
    case Operation::Mul:
        break;
    }
    if (std::int64_t product = 0; !__builtin_mul_overflow(vA, vB, &product)) {
        return product / divisor / kMulDivisor;
    }
    // The product of two extreme samples exceeds 64 bits; its quotient never matters beyond
    // the clamp of the result, so it is worked in 128 bits and limited.
    const __int128 product = static_cast<__int128>(vA) * vB / divisor / kMulDivisor;
    constexpr __int128 kLimit = std::int64_t{1} << 40;
    return static_cast<std::int64_t>(std::clamp(product, -kLimit, kLimit));
}

void CombineChannels(Operation operation, std::span<const std::uint8_t> rawA,
                     std::span<const std::uint8_t> rawB, std::span<std::uint8_t> rawResult,
                     int count, bool invert, float scaleA, float offsetA, float scaleB,
                     float offsetB, float scaleResult, float offsetResult) {
    if (count < 0) {
        return;
    }
    const auto size = static_cast<std::size_t>(count);
    if (rawA.size() < size || rawB.size() < size || rawResult.size() < size) {
        return;
    }
    const auto a = ScaleOf(scaleA, offsetA);
    const auto b = ScaleOf(scaleB, offsetB);
    const auto result = ScaleOf(scaleResult, offsetResult);
    if (!a || !b || !result || result->millivolts == 0) {
        return;
    }
    const std::int64_t base = kRawCentre - result->offsetCounts;
    for (std::size_t i = 0; i < size; ++i) {
        std::int64_t m = Combine(operation, Volts25000(rawA[i], *a), Volts25000(rawB[i], *b),
                                 result->millivolts);
        if (invert) {
            m = -m;
        }
        rawResult[i] = static_cast<std::uint8_t>(std::clamp<std::int64_t>(base - m, 0, 255));
    }
}

} // namespace

void Math_A_Add_B(std::span<const std::uint8_t> rawA, std::span<const std::uint8_t> rawB,
                  std::span<std::uint8_t> rawResult, int count, bool invert, float scaleA,
                  float offsetA, float scaleB, float offsetB, float scaleResult,
                  float offsetResult) {
    CombineChannels(Operation::Add, rawA, rawB, rawResult, count, invert, scaleA, offsetA, scaleB,
                    offsetB, scaleResult, offsetResult);
}

void Math_A_Sub_B(std::span<const std::uint8_t> rawA, std::span<const std::uint8_t> rawB,
                  std::span<std::uint8_t> rawResult, int count, bool invert, float scaleA,
                  float offsetA, float scaleB, float offsetB, float scaleResult,
                  float offsetResult) {
    CombineChannels(Operation::Sub, rawA, rawB, rawResult, count, invert, scaleA, offsetA, scaleB,
                    offsetB, scaleResult, offsetResult);
}

void Math_A_Mul_B(std::span<const std::uint8_t> rawA, std::span<const std::uint8_t> rawB,
                  std::span<std::uint8_t> rawResult, int count, bool invert, float scaleA,
                  float offsetA, float scaleB, float offsetB, float scaleResult,
                  float offsetResult) {
    CombineChannels(Operation::Mul, rawA, rawB, rawResult, count, invert, scaleA, offsetA, scaleB,
                    offsetB, scaleResult, offsetResult);
}
