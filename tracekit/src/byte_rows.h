// Byte samples to 16-bit rows for one vertical scale: the 256-entry row table, and the straight
// line it follows when it follows one, which the column kernel scales whole vectors along.
#pragma once

#include "column_kernel.h"

#include <array>
#include <cstdint>
#include <optional>

namespace tracekit::detail {

class ByteRows {
public:
    using Table = std::array<std::int16_t, 256>;

    // The rows of WaveZoomV's scaling; nothing when WaveZoomV scales nothing with these values.
    static std::optional<ByteRows> For(int a, float b, float c, float d, float e);

    ByteRows(const Table& table, std::optional<StraightRows> line) : table_(table), line_(line) {}

    void Scale(const ColumnKernel& kernel, const std::uint8_t* samples, std::int16_t* rows,
               long long count) const {
        if (line_) {
            kernel.scale(samples, rows, count, *line_);
            return;
        }
        for (long long i = 0; i < count; ++i) {
            rows[i] = table_[samples[i]];
        }
    }

private:
    Table table_;
    std::optional<StraightRows> line_;
};

} // namespace tracekit::detail
