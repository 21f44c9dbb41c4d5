// The rows both cursor dialogs build a cursor's controls from. A cursor class C says where
// the cursor is and what it means:
//   static double Position(const DialogView&);      // divisions
//   static CursorScale Scale(const DialogView&);    // its source's units
//   static Post Command(const DialogView&);         // where a new position goes
//   static std::optional<double> Step(const DialogView&); // one spin step, in divisions
#pragma once

#include "cursorunits.h"
#include "plugindlg.h"

namespace oxcursor {

using oxbow::ui::Arg;
using oxbow::ui::ControlRow;
using oxbow::ui::DialogView;
using oxbow::ui::Widget;

// The value field: the position in the source's units; an entry is turned back into
// divisions, and refused while the source has no scale.
template <class C> ControlRow ValueRow(int id, QRect rect) {
    return {
        .id = id,
        .widget = Widget::Value,
        .rect = rect,
        .field =
            [](const DialogView& v) { return C::Scale(v).ValueAt(C::Position(v)).value_or(0.0); },
        .command = C::Command,
        .arg = Arg::Float,
        .entry = oxbow::ui::kValueEntry,
        .value = [](const DialogView& v,
                    double entered) { return C::Scale(v).PositionOf(entered); },
        .text = [](const DialogView& v) { return C::Scale(v).Text(C::Position(v)); },
        .acts = [](const DialogView& v) { return C::Scale(v).perDivision > 0; }};
}

template <class C, bool Up>
ControlRow SpinRow(int id, QRect rect, const char* caption, const char* tip = nullptr) {
    return {.id = id,
            .widget = Widget::Spin,
            .rect = rect,
            .caption = caption,
            .tip = tip,
            .field = C::Position,
            .command = C::Command,
            .arg = Arg::Float,
            .value = [](const DialogView& v, double position) -> std::optional<double> {
                const std::optional<double> step = C::Step(v);
                if (!step) return std::nullopt;
                return Up ? position + *step : position - *step;
            }};
}

template <class C> ControlRow ZeroRow(int id, QRect rect) {
    return {.id = id,
            .widget = Widget::Push,
            .rect = rect,
            .caption = "0",
            .command = C::Command,
            .arg = Arg::Float,
            .value = [](const DialogView&, double) -> std::optional<double> { return 0.0; }};
}

// One screen pixel across: a fiftieth of a division.
inline std::optional<double> PixelAcross(const DialogView&) {
    return 0.02;
}

} // namespace oxcursor
