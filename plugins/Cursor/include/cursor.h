// Cursor: the manual cursor dialog (a pair of time cursors and a pair of level cursors, each
// pair with its source) and the track cursor dialog (cursors A and B on a channel's trace,
// placed by time). Positions are kept in divisions; the dialogs show and take them in the
// source's units.
#pragma once

#include "oxplugin.h"

class CWnd;

// Open a dialog; `value` is not used. Null when it cannot be opened.
CWnd* ShowManualCurDlg(const oxbow::ui::PluginContext& context, long value);
CWnd* ShowTrackCurDlg(const oxbow::ui::PluginContext& context, long value);
