// Horizontal: the timebase dialog. Format (Y-T, X-Y, roll), the main timebase and, while it
// is on, the delayed one; in alternation trigger mode CH1's and CH2's own timebases instead.
#pragma once

#include "oxplugin.h"

class CWnd;

// Opens the dialog; `value` is not used. Null when it cannot be opened.
CWnd* ShowHorizontalDlg(const oxbow::ui::PluginContext& context, long value);
