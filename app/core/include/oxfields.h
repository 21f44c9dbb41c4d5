// The value fields of the front panel: the scales, offsets and the trigger level shown as
// numbers a person can click to type a new value or roll the mouse wheel over to step.
// One row per field: its widget name, its caption, how its value is read from the UI
// thread's copy of the records and printed, what an entered value posts, and how a wheel
// notch steps it. The window builds the fields from this table; nothing here needs Qt.
#pragma once

#include "oxactions.h"

#include <cstdint>
#include <span>
#include <string>

namespace oxfield {

enum class FieldId : std::uint8_t {
    Ch1Scale,
    Ch2Scale,
    Ch1Offset,
    Ch2Offset,
    TimeScale,
    TimeOffset,
    TrigLevel,    // the level of the current trigger type (slope: the high level)
    TrigLevelLow, // the low level of a slope trigger
};

// How the numeric entry prints the current value and rounds the typed one.
struct EntrySettings {
    int digits;
    int decimals; // -1: automatic
    int finest;   // finest exponent; 0: no grid
};

// One wheel notch: the direction, and Shift held for the coarse step.
struct Notch {
    bool up;
    bool coarse;
};

using CaptionFn = const char* (*)(const _OX_SETUP& state);
using ValueFn = double (*)(const _OX_SETUP& state);
using TextFn = std::string (*)(const _OX_SETUP& state);
// The posts of an entered value, without the undo slot, or a refusal.
using PostFn = oxact::Plan (*)(const _OX_SETUP& state, double value);
// The value one notch away from `value`.
using StepFn = double (*)(const _OX_SETUP& state, const _OX_RGN_SETUP& region, double value,
                          Notch notch);

struct FieldRow {
    FieldId id;
    const char* objectName; // the widget's name (steps files and tests use it)
    CaptionFn caption;      // the field's caption in the current state
    ValueFn value;
    TextFn text; // the value printed with its unit
    EntrySettings entry;
    PostFn post;
    StepFn step;
    oxact::StateFn applies; // nullptr: always; otherwise the field is greyed when false
    const char* tip;
};

[[nodiscard]] std::span<const FieldRow> FieldTable();
[[nodiscard]] const FieldRow& Field(FieldId id);

// What an entered value posts: the undo slot first when `saveUndo` (once per entry or
// wheel gesture), then the field's command; or the refusal.
[[nodiscard]] oxact::Plan EntryPlan(const FieldRow& row, const _OX_SETUP& state, double value,
                                    bool saveUndo);
// The field's value one notch from its current value.
[[nodiscard]] double SteppedValue(const FieldRow& row, const _OX_SETUP& state,
                                  const _OX_RGN_SETUP& region, Notch notch);
// What one wheel notch posts.
[[nodiscard]] oxact::Plan WheelPlan(const FieldRow& row, const _OX_SETUP& state,
                                    const _OX_RGN_SETUP& region, Notch notch, bool saveUndo);

} // namespace oxfield
