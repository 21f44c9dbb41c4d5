// What the main window hands to a plug-in dialog when it opens one, and the shape of every
// dialog's Show function.
//
// The records a dialog reads are the UI thread's copy, never the live ones: `refresh`
// brings the copy up to the newest one the I/O thread published, and a dialog calls it
// before it reads (the base class does so for every message). Changes go through posted
// commands only.
#pragma once

#include <QFont>

#include <functional>

class CWnd;
class QWidget;
struct _OX_SETUP;
struct _OX_RGN_SETUP;

namespace oxbow::ui {

struct PluginContext {
    CWnd* mainWindow = nullptr;            // receives what the dialog asks of the window
    QWidget* parent = nullptr;             // the dialog's Qt parent
    const _OX_SETUP* setup = nullptr;      // the UI thread's copy of the setup record
    const _OX_RGN_SETUP* region = nullptr; // and of the region record
    std::function<void()> refresh;         // brings both copies up to date
    unsigned int closeRequest = 0;         // what its close mark posts (group 3124); 0: none
    QFont normalFont;
    QFont boldFont;
};

// Opens the dialog (modeless) and returns its window, which the main window then holds as
// its current panel and destroys before it opens another; null when it could not be
// opened. `value` is the request's value (for the channel dialog, the channel).
using ShowDialogFn = CWnd* (*)(const PluginContext& context, long value);

} // namespace oxbow::ui
