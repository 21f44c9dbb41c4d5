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

// Stored as "x,y,width,height"; nothing when none is stored or the text is not such a place.
[[nodiscard]] std::optional<QRect> LoadWindowGeometry(const oxbow::SettingsStore& store);
// False when the store could not be written.
[[nodiscard]] bool SaveWindowGeometry(oxbow::SettingsStore& store, const QRect& geometry);

} // namespace oxapp
