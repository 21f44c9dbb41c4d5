// Pieces shared by the plot functions: surface access, the 129-shade palette, the even split
// of samples over columns, and the library-wide intensity index.
#pragma once

#include "surface.h"
#include "tracekit.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>

namespace tracekit::detail {

inline int ClampRow(int row) {
    return std::clamp(row, 0, kSurfaceRows - 1);
}

inline bool ValidColumns(int first, int last) {
    return first >= 0 && last >= first && last < kColumns;
}

// A locked 32-bit surface of kSurfaceRows rows; callers pass rows already clamped.
class Canvas {
public:
    Canvas(std::uint32_t* surface, int pitch)
        : view_{reinterpret_cast<std::uint8_t*>(surface), pitch, 4} {}

    static bool Accepts(const std::uint32_t* surface, int pitch) {
        return surface != nullptr && pitch >= kColumns * 4 && pitch % 4 == 0;
    }

    std::uint32_t* Row(int row) const { return view_.Row(row); }
    void Set(int row, int col, std::uint32_t color) const { Row(row)[col] = color; }

    // Rows r0..r1 (either order, both included) of one column.
    void Run(int col, int r0, int r1, std::uint32_t color) const {
        const int lo = std::min(r0, r1);
        const int hi = std::max(r0, r1);
        for (int r = lo; r <= hi; ++r) {
            Set(r, col, color);
        }
    }

private:
    SurfaceView view_;
};

// A colour table copied with a 129th entry equal to entry 127, so shade indexes up to 128 hold.
class Shades {
public:
    static constexpr int kTop = kColorTableSize; // the brightest index

    explicit Shades(const std::uint32_t* table) {
        std::copy(table, table + kColorTableSize, entry_);
        entry_[kTop] = table[kColorTableSize - 1];
    }
    std::uint32_t operator[](int index) const { return entry_[index]; }

private:
    std::uint32_t entry_[kColorTableSize + 1];
};

// Spreads `total` items over `slots` slots, total / slots each and the remainder spread evenly
// (one extra whenever the accumulated remainder reaches `slots`).
class EvenSplit {
public:
    EvenSplit(long long total, long long slots)
        : base_(total / slots), remainder_(total % slots), slots_(slots) {}

    long long Next() {
        accumulator_ += remainder_;
        if (accumulator_ >= slots_) {
            accumulator_ -= slots_;
            return base_ + 1;
        }
        return base_;
    }

private:
    long long base_;
    long long remainder_;
    long long slots_;
    long long accumulator_ = 0;
};

// The intensity index last set by SetColorTable (0..127).
int IntensityIndex();

} // namespace tracekit::detail
