// The user actions of the main window, one row each: where the action appears (menu,
// panel button, shortcut), what it posts to the command layer, when it is enabled and
// checked, and the refusal it shows. The window builds its menus, buttons and shortcuts
// from this table with one loop; a new control is a new row.
//
// Rows read the state from the UI thread's copy of the setup record (oxsnapshot.h),
// never from the live record, and change it only through the posts of their plan.
#pragma once

#include "ox_commands.h"
#include "ox_records.h"
#include "ox_settings.h"

#include <array>
#include <cstdint>
#include <span>

class CWnd;

namespace oxact {

// Grouped by where the rows live: the menus, context menu and keys (actions_menus.cpp),
// the Storage menu's file items (actions_storage.cpp), then the panel's buttons
// (actions_panel.cpp).
enum class ActionId : std::uint16_t {
    // Menus, the context menu and keys without a menu item.
    Run,
    Stop,
    Single,
    Auto,
    Exit,
    Help,
    About,
    Undo,
    Redo,
    LanConfig,
    Connect,
    AnalogDialog,
    DigitalDialog,
    MathDialog,
    ReferenceDialog,
    HorizontalDialog,
    AcquireDialog,
    TriggerDialog,
    CursorAuto,
    CursorManual,
    CursorTrack,
    CursorNone,
    // The automatic measurements, in the order of their codes (1 Vmax .. 20 DelayB).
    MeasureVmax,
    MeasureVmin,
    MeasureVpp,
    MeasureVtop,
    MeasureVbase,
    MeasureVamp,
    MeasureVavg,
    MeasureVrms,
    MeasureOvershoot,
    MeasurePreshoot,
    MeasurePeriod,
    MeasureFrequency,
    MeasureRiseTime,
    MeasureFallTime,
    MeasurePositiveWidth,
    MeasureNegativeWidth,
    MeasurePositiveDuty,
    MeasureNegativeDuty,
    MeasureDelayA,
    MeasureDelayB,
    AllMeasure,
    ClearMeasure,
    LoadDefault,
    Prevue,
    Print,
    DisplayDialog,
    SelfCalibration,
    PassFailDialog,
    RecordDialog,
    Ch1Dialog,
    Ch2Dialog,
    Version,
    Vector,
    Grid,
    RealTime,
    EqualTime,
    AcqNormal,
    AcqAverage,
    AcqPeakDetect,
    Persistence,
    ColorGrade,
    ClearPersistence,
    PopDefault,

    // The file items of the Storage menu.
    LoadWaveform,
    LoadSetup,
    SaveWaveform,
    SaveSetup,
    SaveScreen,

    // Panel buttons.
    Ch1Display,
    Ch2Display,
    Ch1ScaleUp,
    Ch1ScaleDown,
    Ch2ScaleUp,
    Ch2ScaleDown,
    TimeScaleUp,
    TimeScaleDown,
    MainDelayed,
    HorizontalPanel,
    TriggerPanel,
    LaEnable,
    LaLine0, // D0; D1..D15 follow in order
    LaLine15 = LaLine0 + 15,

    // The measurement panel.
    MeasurePanel,
};

// One post of a plan: a typed command with its value and argument (oxcmd::AnyPost::Of), and
// whether the open dialog is the command's window.
struct Post {
    oxcmd::AnyPost command;
    bool namesPanel = false;

    bool operator==(const Post&) const = default;
};

// What an action does in the current state: its posts in order, or one refusal.
struct Plan {
    static constexpr int kMaxPosts = 6;
    std::array<Post, kMaxPosts> posts{};
    int count = 0;
    const char* refusal = nullptr;

    void Add(const Post& post);
    [[nodiscard]] std::span<const Post> Posts() const {
        return {posts.data(), static_cast<std::size_t>(count)};
    }
    [[nodiscard]] static Plan Refuse(const char* text);
};

using PlanFn = Plan (*)(const _OX_SETUP& state);
using StateFn = bool (*)(const _OX_SETUP& state);

struct ActionRow {
    ActionId id;
    const char* menu;       // menu title ("&Control"); nullptr: in no menu
    const char* caption;    // menu item text
    const char* button;     // panel button text; nullptr: no button
    const char* objectName; // the widget's name (steps files and tests press it by name)
    const char* shortcut;   // "Ctrl+R"; nullptr: none
    const char* tip;        // what the action does, for the tooltip
    PlanFn plan;            // nullptr: the window does it itself (help, about)
    StateFn enabled;        // nullptr: always enabled
    StateFn checked;        // nullptr: not checkable
};

// Every row: the Storage menu's file rows, the menu rows, then the panel rows.
[[nodiscard]] std::span<const ActionRow> ActionTable();
[[nodiscard]] std::span<const ActionRow> StorageRows();
[[nodiscard]] std::span<const ActionRow> MenuRows();
[[nodiscard]] std::span<const ActionRow> PanelRows();
[[nodiscard]] const ActionRow& Row(ActionId id);

// Posts the plan (each through OxPost*, the open dialog named where the post says so), or
// shows its refusal (PostSystemError, then the show-error post). False when a post was not
// taken because the queue was full: the queue has then put its message on the screen.
[[nodiscard]] bool Perform(const Plan& plan, CWnd* panel);

// The plan of a held control's repeat tick: the same posts without the undo-slot fill, so
// that the slot keeps the values from before the gesture (a press, a drag, an entry).
[[nodiscard]] Plan RepeatOf(const Plan& plan);

// PostSystemError(text), then the command that shows it.
void RefuseAction(const char* text);

using oxcmd::refusal::kNotAtRolling;
using oxcmd::refusal::kNotAtXY;
using oxcmd::refusal::kNotAvailable;
inline constexpr const char* kNoAnalyzer = "LA module is not installed";

} // namespace oxact
