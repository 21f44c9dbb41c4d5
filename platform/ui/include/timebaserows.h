// The time-base controls the Horizontal dialog and the floating timebase views share: the
// scale and offset of one section, as control rows. A row's index is its section, 0 the
// main time base and 1 the delayed one; which setting a section acts on (under the alternate
// trigger CH1's and CH2's own) is oxcmd::setting::timebase::SectionOf's to say.
#pragma once

#include "oxcommon.h"
#include "plugindlg.h"

namespace oxbow::ui::timebase {

[[nodiscard]] bool Alternation(const DialogView& view);
// The lower section (delayed, or CH2 in alternation) applies.
[[nodiscard]] bool SecondShown(const DialogView& view);

// The scale and the offset of the section `view.index`.
[[nodiscard]] Target ScaleOf(const DialogView& view);
[[nodiscard]] Target OffsetOf(const DialogView& view);
[[nodiscard]] QString ScaleText(const DialogView& view, double seconds);
[[nodiscard]] QString OffsetText(const DialogView& view, double seconds);
// Orange, or in alternation CH1's yellow and CH2's cyan.
[[nodiscard]] QColor FieldColour(const DialogView& view);

template <class Id> Row ScaleField(Id id, Cell cell, int section, int box = kNoBox) {
    return {.id = IdOf(id),
            .kind = Kind::Value,
            .cell = cell,
            .box = box,
            .target = {{}, section},
            .targetIn = ScaleOf,
            .entry = kTimeScaleEntry,
            .text = ScaleText,
            .colour = FieldColour};
}

template <bool Up, class Id>
Row ScaleStep(Id id, Cell cell, int section, const char* caption, int box = kNoBox) {
    return {.id = IdOf(id),
            .kind = Kind::Push,
            .cell = cell,
            .box = box,
            .caption = caption,
            .tip = Up ? "Increase Scale" : "Decrease Scale",
            .target = {{}, section},
            .targetIn = ScaleOf,
            .value = [](const DialogView&, double scale) -> std::optional<double> {
                return SetPreDefinedScale(scale, Up);
            }};
}

template <class Id> Row OffsetField(Id id, Cell cell, int section, int box = kNoBox) {
    return {.id = IdOf(id),
            .kind = Kind::Value,
            .cell = cell,
            .box = box,
            .target = {{}, section},
            .targetIn = OffsetOf,
            .entry = kTimeOffsetEntry,
            .text = OffsetText,
            .colour = FieldColour};
}

// Held, it repeats: at least a screen pixel a step.
template <bool Up, class Id>
Row OffsetSpin(Id id, Cell cell, int section, const char* caption, const char* tip = nullptr,
               int box = kNoBox) {
    return {.id = IdOf(id),
            .kind = Kind::Spin,
            .cell = cell,
            .box = box,
            .caption = caption,
            .tip = tip,
            .target = {{}, section},
            .targetIn = OffsetOf,
            .value = [](const DialogView& v, double offset) -> std::optional<double> {
                const Target scale = ScaleOf(v);
                return StepTimeOffset(offset, scale.setting.Read(v.setup, scale.index), Up);
            }};
}

template <class Id> Row OffsetZero(Id id, Cell cell, int section, int box = kNoBox) {
    return {.id = IdOf(id),
            .kind = Kind::Push,
            .cell = cell,
            .box = box,
            .caption = "0",
            .tip = "Offset to zero",
            .target = {{}, section},
            .targetIn = OffsetOf,
            .value = [](const DialogView&, double) -> std::optional<double> { return 0.0; }};
}

} // namespace oxbow::ui::timebase
