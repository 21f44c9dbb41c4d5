// Where the main window opens: where the user left it, or the first time at its own size in
// the middle of the screen, in both cases inside the screen's free area. The place is kept
// in the per-user settings store beside the remembered folders (never in the settings file,
// which is the setup record's image).
#pragma once

#include "settingsstore.h"

#include <QRect>

#include <optional>

namespace oxapp {

// The size: the saved one (else `preferred`) shrunk to `available` but never below
// `minimum`. The place: the saved one while its title band can still be reached on
// `available` (at least kReachableWidth of it on the screen, none of it above or below);
// otherwise centred, and kept inside `available` where the size allows.
[[nodiscard]] QRect FittedGeometry(const std::optional<QRect>& saved, const QSize& preferred,
                                   const QSize& minimum, const QRect& available);
inline constexpr int kReachableWidth = 120;

// Where a floating window of `size` opens beside the main window `window` on `available`:
// right of it, else left of it (its top at `sideTop`, the window's own top unless given),
// below, above (kept inside `available` along the window's side). Where none of these has
// room it goes inside the window at the bottom left of `over` (the part of the window
// without controls: its picture), kept on the screen.
[[nodiscard]] QRect BesideWindow(const QRect& window, const QRect& over, const QSize& size,
                                 const QRect& available, int gap,
                                 std::optional<int> sideTop = std::nullopt);

// Where the two floating timebase views go (top-left corners): the main view above the
// delayed one, `kFloatingGap` apart, beside the window as BesideWindow places them, level
// with the split of the scope picture `picture` when they are right or left of the window.
struct FloatingPlaces {
    QPoint main;
    QPoint delayed;
};
[[nodiscard]] FloatingPlaces FloatingViewPlaces(const QRect& window, const QRect& picture,
                                                const QRect& screen, const QSize& mainSize,
                                                const QSize& delayedSize);
inline constexpr int kFloatingGap = 8;

// Stored as "x,y,width,height"; nothing when none is stored or the text is not such a place.
[[nodiscard]] std::optional<QRect> LoadWindowGeometry(const oxbow::SettingsStore& store);
// False when the store could not be written.
[[nodiscard]] bool SaveWindowGeometry(oxbow::SettingsStore& store, const QRect& geometry);

} // namespace oxapp
