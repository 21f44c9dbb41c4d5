// What a cursor position in divisions means in its source's units.
#pragma once

#include "ox_records.h"

#include <QString>

#include <optional>

namespace oxcursor {

// Sources of the cursors: CH1, CH2, MATH1..MATH4, LA.
inline constexpr int kFirstMath = 2;
inline constexpr int kLogicSource = 6;

// Units per division of a source and how a position maps to a value. A spectrum counts its
// positions from the shown band's first division `first`; its values exist from there to
// `divisions` divisions on.
struct CursorScale {
    double perDivision = 0; // 0: the source has no scale now
    QString unit;
    bool spectrum = false;
    double first = 0;
    double divisions = 0;

    // The value of a position; nullopt where there is none (no scale, outside the band).
    [[nodiscard]] std::optional<double> ValueAt(double position) const;
    // The position of a value; nullopt without a scale.
    [[nodiscard]] std::optional<double> PositionOf(double value) const;
    // "1.25ms", or "??.???" and the unit where there is no value.
    [[nodiscard]] QString Text(double position) const;
};

// The time cursors' scale for a source (the X page, the track cursors).
[[nodiscard]] CursorScale TimeScale(const _OX_SETUP& s, int source);
// The level cursors' scale for a source (the Y page).
[[nodiscard]] CursorScale LevelScale(const _OX_SETUP& s, int source);
// In X-Y format the X page measures CH1's level, the Y page CH2's.
[[nodiscard]] CursorScale XPageScale(const _OX_SETUP& s);
[[nodiscard]] CursorScale YPageScale(const _OX_SETUP& s);
// One pixel of the window the level source is drawn in, in divisions (8 per window height);
// nullopt when that window has no height.
[[nodiscard]] std::optional<double> LevelPixel(const _OX_SETUP& s, const _OX_RGN_SETUP& r);

} // namespace oxcursor
