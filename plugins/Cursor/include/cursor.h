// Cursor: the manual cursor dialog (a pair of time cursors and a pair of level cursors, each
// pair with its source) and the track cursor dialog (cursors A and B on a channel's trace,
// placed by time). Positions are kept in divisions; the dialogs show and take them in the
// source's units.
#pragma once

#include "oxplugin.h"

class CWnd;

// The manual cursor dialog's controls: its two tabs, and those of the page shown (the X and
// the Y page have the same).
enum class ManualCursorId {
    XTab = 9024,
    YTab = 9026,
    On = 9030,
    SourceLabel = 9045,
    Source = 9001,
    ALabel = 9047,
    A = 9002,
    ADown = 9004,
    AUp = 9008,
    AZero = 9006,
    BLabel = 9049,
    B = 9003,
    BDown = 9010,
    BUp = 9014,
    BZero = 9012,
};

// The track cursor dialog's controls: its two tabs, and those of the page shown (cursor A's
// or B's).
enum class TrackCursorId {
    ATab = 9052,
    BTab = 9054,
    On = 9030,
    SourceLabel = 9045,
    Source = 9001,
    CursorLabel = 9050,
    Cursor = 9034,
    Down = 9036,
    Up = 9040,
    Zero = 9038,
};

// Open a dialog; `value` is not used. Null when it cannot be opened.
CWnd* ShowManualCurDlg(const oxbow::ui::PluginContext& context, long value);
CWnd* ShowTrackCurDlg(const oxbow::ui::PluginContext& context, long value);
