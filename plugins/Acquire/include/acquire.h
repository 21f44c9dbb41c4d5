// Acquire: the acquisition dialog. Real-time or equal-time sampling, normal, average or peak
// detect acquisition with the number of averages, and normal or long memory with the depth
// of the record shown.
#pragma once

#include "oxplugin.h"

#include <optional>

class CWnd;

// Opens the dialog; `value` is not used. Null when it cannot be opened.
CWnd* ShowAcquireDlg(const oxbow::ui::PluginContext& context, long value);

// The number of averages one step up or down from `count`: the next power of two above or
// below it, within 2..256; nullopt past either end.
[[nodiscard]] std::optional<int> StepAverages(int count, bool up);
