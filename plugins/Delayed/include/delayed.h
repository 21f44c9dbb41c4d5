// Delayed: the two floating timebase panels, small strips over the trace area while the
// delayed timebase is on or the trigger mode is alternation. The main panel sets the main
// timebase (CH1's in alternation), the delayed panel the delayed timebase (CH2's).
#pragma once

#include "oxplugin.h"

#include <QImage>
#include <QRegion>

class CWnd;

// The controls of either panel, left to right (the tests press them by these names).
enum class FloatViewId { ScaleDown = 1, Scale, ScaleUp, OffsetUp, Offset, OffsetDown };

// Open a panel; `value` is not used. Null when it cannot be opened.
CWnd* ShowFloatMainDlg(const oxbow::ui::PluginContext& context, long value);
CWnd* ShowFloatDlg(const oxbow::ui::PluginContext& context, long value);

// The window shape a background bitmap gives: every pixel whose red, green and blue are all
// 16 or less is transparent; the rest, one rectangle per run of a row, is the window.
[[nodiscard]] QRegion RegionFromBitmap(const QImage& bitmap);
