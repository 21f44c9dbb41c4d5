// Vertical scaling: raw samples to screen rows, and rows back to raw bytes.
#include "byte_rows.h"
#include "tracekit.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>

namespace {

// The largest plot height accepted: a height whose rows a 16-bit row can hold.
constexpr int kMaxPlotHeight = 32767;

// |v| beyond this gives rows beyond 32 bits for every accepted height, so v is saturated there
// to keep (v - h) * a inside 64 bits.
constexpr std::int64_t kScaledLimit = std::int64_t{1} << 40;

std::optional<std::int64_t> Truncated(float value) {
    if (!std::isfinite(value) || std::fabs(value) >= 2147483648.0f) {
        return std::nullopt;
    }
    return static_cast<std::int64_t>(value);
}

// The integers of one call: offsets in raw counts (g acquisition, h display), scales times
// 10,000 (L acquisition, M display), the centre row o and the plot height a.
struct VerticalScale {
    std::int64_t g, h, L, M, o, a;

    static std::optional<VerticalScale> From(int a, float b, float c, float d, float e) {
        if (a <= 0 || a > kMaxPlotHeight) {
            return std::nullopt;
        }
        const auto g = Truncated(e / d * 25.0f);
        const auto h = Truncated(c / b * 25.0f);
        const auto L = Truncated(d * 10000.0f);
        const auto M = Truncated(b * 10000.0f);
        if (!g || !h || !L || !M || *M == 0) {
            return std::nullopt;
        }
        return VerticalScale{*g, *h, *L, *M, 125 * std::int64_t{a} / 200, a};
    }

    // The unclamped row of one sample; v negated for an inverted filter trace.
    std::int64_t Row(std::int64_t sample, bool negate) const {
        // Equal scales (every live frame) need no division: L * x / L is x.
        std::int64_t v = L == M ? sample + g - 125 : L * (sample + g - 125) / M;
        v = std::clamp(negate ? -v : v, -kScaledLimit, kScaledLimit);
        return o + (v - h) * a / 200;
    }

    std::int64_t LowestRow() const { return 24 * a / 200 - 1; }
    std::int64_t HighestRow() const { return 225 * a / 200; }
};

template <class Row> Row Saturated(std::int64_t row, std::int64_t lowest, std::int64_t highest) {
    lowest = std::max<std::int64_t>(lowest, std::numeric_limits<Row>::lowest());
    highest = std::min<std::int64_t>(highest, std::numeric_limits<Row>::max());
    return static_cast<Row>(std::clamp(row, lowest, highest));
}

// Byte samples take one of 256 rows: build them once, then look every sample up.
template <class Row>
std::array<Row, 256> RowTable(const VerticalScale& scale, bool clamp, bool negate) {
    const std::int64_t lowest =
        clamp ? scale.LowestRow() : std::numeric_limits<std::int64_t>::min();
    const std::int64_t highest =
        clamp ? scale.HighestRow() : std::numeric_limits<std::int64_t>::max();
    std::array<Row, 256> table;
    for (int s = 0; s < 256; ++s) {
        table[s] = Saturated<Row>(scale.Row(s, negate), lowest, highest);
    }
    return table;
}

template <class Row>
void ScaleBytes(const std::uint8_t* samples, Row* rows, int count, const VerticalScale& scale,
                bool clamp, bool negate) {
    const std::array<Row, 256> table = RowTable<Row>(scale, clamp, negate);
    for (int i = 0; i < count; ++i) {
        rows[i] = table[samples[i]];
    }
}

// Equal scales and a plot height of whole 200ths put the rows on a line of whole slope; the line
// is kept only if it gives every entry of the table, so it never changes a row.
std::optional<tracekit::detail::StraightRows>
StraightLine(const VerticalScale& scale, const tracekit::detail::ByteRows::Table& table) {
    using Limits = std::numeric_limits<std::int16_t>;
    if (scale.L != scale.M || scale.a % 200 != 0) {
        return std::nullopt;
    }
    const std::int64_t slope = scale.a / 200;
    const std::int64_t offset = scale.o + (scale.g - 125 - scale.h) * slope;
    const std::int64_t top = offset + 255 * slope;
    if (offset < Limits::lowest() || top > Limits::max() || offset > Limits::max() ||
        top < Limits::lowest()) {
        return std::nullopt;
    }
    const tracekit::detail::StraightRows line{
        static_cast<std::int16_t>(slope), static_cast<std::int16_t>(offset),
        Saturated<std::int16_t>(scale.LowestRow(), Limits::lowest(), Limits::max()),
        Saturated<std::int16_t>(scale.HighestRow(), Limits::lowest(), Limits::max())};
    for (int s = 0; s < 256; ++s) {
        if (tracekit::detail::StraightRow(static_cast<std::uint8_t>(s), line) != table[s]) {
            return std::nullopt;
        }
    }
    return line;
}

} // namespace

std::optional<tracekit::detail::ByteRows> tracekit::detail::ByteRows::For(int a, float b, float c,
                                                                          float d, float e) {
    const auto scale = VerticalScale::From(a, b, c, d, e);
    if (!scale) {
        return std::nullopt;
    }
    const Table table = RowTable<std::int16_t>(*scale, true, false);
    return ByteRows(table, StraightLine(*scale, table));
}

void WaveZoomV(const std::uint8_t* samples, std::int16_t* rows, int /*invert*/, int a, int count,
               float b, float c, float d, float e) {
    if (samples == nullptr || rows == nullptr || count <= 0) {
        return;
    }
    if (const auto scale = tracekit::detail::ByteRows::For(a, b, c, d, e)) {
        scale->Scale(tracekit::detail::BestColumnKernel(), samples, rows, count);
    }
}

void WaveZoomV(const std::uint8_t* samples, std::int32_t* rows, int /*invert*/, int a, int count,
               float b, float c, float d, float e) {
    if (samples == nullptr || rows == nullptr || count <= 0) {
        return;
    }
    if (const auto scale = VerticalScale::From(a, b, c, d, e)) {
        ScaleBytes(samples, rows, count, *scale, true, false);
    }
}

void WaveZoomV(const std::int16_t* samples, std::int16_t* rows, int /*invert*/, int a, int count,
               float b, float c, float d, float e) {
    if (samples == nullptr || rows == nullptr || count <= 0) {
        return;
    }
    const auto scale = VerticalScale::From(a, b, c, d, e);
    if (!scale) {
        return;
    }
    const std::int64_t lowest = scale->LowestRow();
    const std::int64_t highest = scale->HighestRow();
    for (int i = 0; i < count; ++i) {
        rows[i] = Saturated<std::int16_t>(scale->Row(samples[i], false), lowest, highest);
    }
}

void FilterZoomV(const std::uint8_t* samples, std::int32_t* rows, int invert, int a, int count,
                 float b, float c, float d, float e) {
    if (samples == nullptr || rows == nullptr || count <= 0) {
        return;
    }
    if (const auto scale = VerticalScale::From(a, b, c, d, e)) {
        ScaleBytes(samples, rows, count, *scale, false, invert == 1);
    }
}

void InvertWave(const std::int16_t* rows, std::uint8_t* samples, int /*flag*/, int count,
                float /*ignored1*/, float /*ignored2*/, int a) {
    if (rows == nullptr || samples == nullptr || count <= 0 || a <= 0) {
        return;
    }
    for (int i = 0; i < count; ++i) {
        samples[i] = static_cast<std::uint8_t>(std::clamp(rows[i] * 200 / a, 0, 255));
    }
}
