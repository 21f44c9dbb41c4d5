// The timebase controls the Horizontal dialog and the floating timebase panels share: the
// scale and offset of one timebase section, as control rows.
//
// Section 0 is the main timebase, section 1 the delayed one; in alternation trigger mode they
// are CH1's and CH2's own time scale and offset (sub-commands 2015 and 2025 with the channel
// as value). The main section and every alternation post fill the undo slot first; the
// delayed section outside alternation does not.
#pragma once

#include "oxcommon.h"
#include "plugindlg.h"

namespace oxbow::ui::timebase {

[[nodiscard]] bool Alternation(const DialogView& view);
// The lower section (delayed, or CH2 in alternation) applies.
[[nodiscard]] bool SecondShown(const DialogView& view);

[[nodiscard]] double ScaleOf(const DialogView& view, int section);
[[nodiscard]] double OffsetOf(const DialogView& view, int section);
[[nodiscard]] Post ScaleCommand(const DialogView& view, int section);
[[nodiscard]] Post OffsetCommand(const DialogView& view, int section);
[[nodiscard]] QString ScaleText(const DialogView& view, int section);
[[nodiscard]] QString OffsetText(const DialogView& view, int section);
// Orange, or in alternation CH1's yellow and CH2's cyan.
[[nodiscard]] QColor FieldColour(const DialogView& view, int section);

// The rows of one section, placed at `rect`; tool tips as the panels and the dialog show.
template <int S> ControlRow ScaleField(int id, QRect rect) {
    return {.id = id,
            .widget = Widget::Value,
            .rect = rect,
            .field = [](const DialogView& v) { return ScaleOf(v, S); },
            .command = [](const DialogView& v) { return ScaleCommand(v, S); },
            .arg = Arg::Double,
            .entry = kTimeScaleEntry,
            .text = [](const DialogView& v) { return ScaleText(v, S); },
            .colour = [](const DialogView& v) { return FieldColour(v, S); }};
}

template <int S, bool Up> ControlRow ScaleStep(int id, QRect rect, const char* caption) {
    return {.id = id,
            .widget = Widget::Push,
            .rect = rect,
            .caption = caption,
            .tip = Up ? "Increase Scale" : "Decrease Scale",
            .field = [](const DialogView& v) { return ScaleOf(v, S); },
            .command = [](const DialogView& v) { return ScaleCommand(v, S); },
            .arg = Arg::Double,
            .value = [](const DialogView&, double scale) -> std::optional<double> {
                return SetPreDefinedScale(scale, Up);
            }};
}

template <int S> ControlRow OffsetField(int id, QRect rect) {
    return {.id = id,
            .widget = Widget::Value,
            .rect = rect,
            .field = [](const DialogView& v) { return OffsetOf(v, S); },
            .command = [](const DialogView& v) { return OffsetCommand(v, S); },
            .arg = Arg::Double,
            .entry = kTimeOffsetEntry,
            .text = [](const DialogView& v) { return OffsetText(v, S); },
            .colour = [](const DialogView& v) { return FieldColour(v, S); }};
}

template <int S, bool Up>
ControlRow OffsetSpin(int id, QRect rect, const char* caption, const char* tip = nullptr) {
    return {.id = id,
            .widget = Widget::Spin,
            .rect = rect,
            .caption = caption,
            .tip = tip,
            .field = [](const DialogView& v) { return OffsetOf(v, S); },
            .command = [](const DialogView& v) { return OffsetCommand(v, S); },
            .arg = Arg::Double,
            .value = [](const DialogView& v, double offset) -> std::optional<double> {
                return StepTimeOffset(offset, ScaleOf(v, S), Up);
            }};
}

template <int S> ControlRow OffsetZero(int id, QRect rect, const char* caption) {
    return {.id = id,
            .widget = Widget::Push,
            .rect = rect,
            .caption = caption,
            .command = [](const DialogView& v) { return OffsetCommand(v, S); },
            .arg = Arg::Double,
            .value = [](const DialogView&, double) -> std::optional<double> { return 0.0; }};
}

} // namespace oxbow::ui::timebase
