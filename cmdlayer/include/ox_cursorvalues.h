// What a cursor position means: the one computation of every cursor value, for the screen's
// read-outs and the cursor dialogs alike.
//
// Positions are in divisions from the origin of the window the source is drawn in. A time
// source counts them by its time per division (the delayed time base while it is on; under
// the alternate trigger each channel's own); a spectrum from its origin, the first division
// its horizontal offset leaves out; a level source from its ground, in its unit (V, or the
// math trace's, Vrms and dBVrms of an FFT included).
#pragma once

#include "ox_records.h"

#include <optional>
#include <string>

namespace oxcursor {

enum class Quantity { Time, Frequency, Level };

struct CursorScale {
    Quantity quantity = Quantity::Time;
    double perDivision = 0; // 0: the source has no scale now
    std::string unit;
    // Divisions added to a position before it is scaled: a spectrum's origin, or minus a
    // level source's ground.
    double shift = 0;
    // A spectrum's extent in divisions from its origin: values lie in (0, divisions].
    double divisions = 0;

    // The value at a position; nullopt where there is none (no scale, off the spectrum).
    [[nodiscard]] std::optional<double> ValueAt(double position) const;
    // The position of a value; nullopt without a scale.
    [[nodiscard]] std::optional<double> PositionOf(double value) const;
    // "2.50ms", "-1.50V", or "??.???" where there is no value, each with the unit.
    [[nodiscard]] std::string Text(double position) const;
};

// A value with 3 significant digits and an engineering prefix (µ for micro); "??.???" for a
// value that is not finite.
[[nodiscard]] std::string CursorNumber(double value);
inline constexpr const char* kUnknownValue = "??.???";

// The time (or, for a spectrum, frequency) scale of a source: the manual X cursors, the
// track cursors.
[[nodiscard]] CursorScale TimeScale(const _OX_SETUP& s, int source);
// The level scale of a source: the manual Y cursors.
[[nodiscard]] CursorScale LevelScale(const _OX_SETUP& s, int source);
// The manual cursors' scales: in X-Y format the X cursors measure CH1's level and the Y
// cursors CH2's; otherwise those of their sources.
[[nodiscard]] CursorScale XCursorScale(const _OX_SETUP& s);
[[nodiscard]] CursorScale YCursorScale(const _OX_SETUP& s);

} // namespace oxcursor
