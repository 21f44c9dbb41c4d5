// The line of a cursor both cursor dialogs build: its label, the position in the source's
// units (ox_cursorvalues.h, as the screen's read-outs show it) between the spin buttons that
// step it, and the zero button. A cursor class C says what a position means:
//   static CursorScale Scale(const DialogView&);          // its source's units
//   static std::optional<double> Step(const DialogView&); // one spin step, in divisions
#pragma once

#include "ox_cursorvalues.h"
#include "plugindlg.h"

namespace oxcursor {

using namespace oxbow::ui;

// One screen pixel across: a fiftieth of a division.
inline std::optional<double> PixelAcross(const DialogView&) {
    return 0.02;
}

template <class C, bool Up> std::optional<double> Stepped(const DialogView& v, double position) {
    const std::optional<double> step = C::Step(v);
    if (!step) return std::nullopt;
    return Up ? position + *step : position - *step;
}

// The cursor `position` (a setting at the cursor's index) on grid line `line`.
template <class C, class Id>
std::vector<Row> CursorLine(int line, Id label, const char* caption, Id down, Id field, Id up,
                            Id zero, Target position) {
    return {
        Label(label, {line, 0}, caption),
        {.id = IdOf(down),
         .kind = Kind::Spin,
         .cell = {line, 1},
         .caption = "\u25bc",
         .target = position,
         .value = Stepped<C, false>},
        // Entered in the source's units, posted in divisions; refused while the source has
        // no scale.
        {.id = IdOf(field),
         .kind = Kind::Value,
         .cell = {line, 2},
         .target = position,
         .entry = kValueEntry,
         .shows = [](const DialogView& v,
                     double at) { return C::Scale(v).ValueAt(at).value_or(0.0); },
         .value = [](const DialogView& v,
                     double entered) { return C::Scale(v).PositionOf(entered); },
         .text = [](const DialogView& v,
                    double at) { return QString::fromStdString(C::Scale(v).Text(at)); },
         .acts = [](const DialogView& v) { return C::Scale(v).perDivision > 0; }},
        {.id = IdOf(up),
         .kind = Kind::Spin,
         .cell = {line, 3},
         .caption = "\u25b2",
         .target = position,
         .value = Stepped<C, true>},
        {.id = IdOf(zero),
         .kind = Kind::Push,
         .cell = {line, 4},
         .caption = "0",
         .tip = "Cursor to zero",
         .target = position,
         .value = [](const DialogView&, double) -> std::optional<double> { return 0.0; }},
    };
}

} // namespace oxcursor
