// Horizontal: the timebase dialog. Format (Y-T, X-Y, roll), the main timebase and, while it
// is on, the delayed one; in alternation trigger mode CH1's and CH2's own timebases instead.
#pragma once

#include "oxplugin.h"

class CWnd;

// The dialog's controls (the tests press them by these names).
enum class HorizontalId {
    FormatBox = 5013,
    YT = 5053,
    XY = 5075,
    Roll = 5077,
    MainBox = 5022, // "Main", or "Channel1" in alternation
    MainScaleLabel = 5068,
    MainOffsetLabel = 5070,
    MainScale = 5004,
    MainScaleUp = 5010,
    MainScaleDown = 5050,
    MainOffset = 5006,
    MainOffsetUp = 5016,
    MainOffsetDown = 5019,
    MainOffsetZero = 5041,
    Delayed = 5072,    // the "Delayed" check (hidden in alternation)
    DelayedBox = 5029, // "Delayed", or "Channel2" in alternation
    DelayedScaleLabel = 5032,
    DelayedOffsetLabel = 5047,
    DelayedScale = 5023,
    DelayedScaleUp = 5062,
    DelayedScaleDown = 5064,
    DelayedOffset = 5025,
    DelayedOffsetUp = 5035,
    DelayedOffsetDown = 5038,
    DelayedOffsetZero = 5044,
};

// Opens the dialog; `value` is not used. Null when it cannot be opened.
CWnd* ShowHorizontalDlg(const oxbow::ui::PluginContext& context, long value);
