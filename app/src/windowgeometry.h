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

// Where the two floating timebase views go (top-left corners, screen coordinates): beside
// the window, `kFloatingGap` off its right edge, else off its left one, the main view level
// with the upper half of the scope picture and the delayed view with the lower half; else
// side by side under the window, or above it; only where the screen has no room around the
// window, inside the picture, at the right end of each half. Never over its controls.
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
