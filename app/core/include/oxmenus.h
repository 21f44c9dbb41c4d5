// How the menu rows of the action table are laid out beyond their own fields: the menus of
// the menu bar in their fixed order, the submenus and separators of their items, the
// context menu ("PopMenu"), the measurement items and the states that come from the
// published view rather than from the setup record.
#pragma once

#include "oxactions.h"
#include "oxsnapshot.h"

#include <array>
#include <optional>
#include <span>

namespace oxact {

namespace menu {
inline constexpr const char* kControl = "&Control";
inline constexpr const char* kVertical = "&Vertical";
inline constexpr const char* kHorizontal = "&Horizontal";
inline constexpr const char* kAnalyze = "&Analyze";
inline constexpr const char* kStorage = "&Storage";
inline constexpr const char* kUtility = "&Utility";
inline constexpr const char* kCursor = "&Cursor";
inline constexpr const char* kHorizontalMeasure = "&Horizontal Measure";
inline constexpr const char* kVerticalMeasure = "&Vertical Measure";
} // namespace menu

// The menu bar, left to right. A row whose menu is not here is in no menu of the bar.
inline constexpr std::array<const char*, 6> kMenuBar{menu::kControl,    menu::kVertical,
                                                     menu::kHorizontal, menu::kAnalyze,
                                                     menu::kStorage,    menu::kUtility};

// Where an item sits inside its menu: in a submenu of it, after a separator.
struct MenuPlace {
    const char* submenu = nullptr;
    bool separatorBefore = false;
};
[[nodiscard]] MenuPlace PlaceOf(ActionId id);

// The context menu, in order.
struct PopItem {
    ActionId id;
    bool separatorBefore;
};
[[nodiscard]] std::span<const PopItem> PopMenu();

// The measurement code of a measurement item (1 Vmax .. 20 DelayB); none for other rows.
[[nodiscard]] std::optional<int> MeasureCode(ActionId id);
// With both channels shown a measurement asks for its source first.
[[nodiscard]] bool MeasureAsksSource(const _OX_SETUP& state);
// Adds measurement `code` of `channel` (0 CH1, 1 CH2).
[[nodiscard]] Plan MeasurePlan(int code, int channel);

// Enabled states decided where the state lives (undo and redo: by the I/O thread, which
// holds the slots); true for rows that have none.
[[nodiscard]] bool EnabledInView(ActionId id, const oxacq::RecordView& view);

inline constexpr const char* kVersionText = "02.01.05.00.00";
inline constexpr const char* kStopDuringPlayback =
    "Function not available during playback: stop it in the Record dialog";

} // namespace oxact
