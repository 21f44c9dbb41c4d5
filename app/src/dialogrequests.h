// The main window's control dialogs: the requests to open one (group 3124, answered by the
// command layer with window message 3124), the one open dialog, its close requests, and the
// two floating timebase views of the delayed time base and the alternate trigger.
//
// One dialog is open at a time: the open one is destroyed before another opens and when it
// posts its close request. The refusals that depend on the instrument's state are reported
// by the command layer's handler; the window asks the same question of its copy of the
// record and then opens nothing. A request whose dialog is not built in shows "Function not
// available". Windows are held by identity (CWndRef), so a dialog that went away by itself
// is never touched again.
#pragma once

#include "cwnd.h"
#include "ox_commands.h"
#include "oxdialogs.h"
#include "oxplugin.h"

#include <array>
#include <functional>
#include <span>
#include <vector>

class QWidget;
class QRect;
struct _OX_SETUP;
struct _OX_RGN_SETUP;

namespace oxapp {

class FrontPanel;

// What the window needs of the measurement panel (the floating list of read-outs): some
// dialogs show read-outs of their own, and the panel is closed before they open.
class ReadoutPanel {
public:
    enum class Kind { Measurement, Math, Reference, Cursor };
    virtual ~ReadoutPanel() = default;
    [[nodiscard]] virtual bool ShowsReadoutsOf(Kind kind) const = 0;
    virtual void Close() = 0;
};

class DialogRequests {
public:
    // The window a dialog opens from: it receives the dialogs' messages, is their Qt parent,
    // and its copy of the records (refreshed by `refresh`) is what they read.
    struct Host {
        CWnd* mainWindow = nullptr;
        QWidget* parent = nullptr;
        const _OX_SETUP* setup = nullptr;
        const _OX_RGN_SETUP* region = nullptr;
        std::function<void()> refresh;
        FrontPanel* panel = nullptr; // told which dialog is open (RUN and STOP name it)
        // The scope picture on the screen, which the floating views may cover when the
        // screen has no room beside the window (null: the whole window).
        std::function<QRect()> pictureArea;
    };

    explicit DialogRequests(Host host, std::span<const DialogRow> rows = DialogTable(),
                            FloatingViewFns floating = FloatingViewTable());
    ~DialogRequests();
    DialogRequests(const DialogRequests&) = delete;
    DialogRequests& operator=(const DialogRequests&) = delete;

    // Null while the measurement panel does not exist.
    void SetReadoutPanel(ReadoutPanel* readouts) { readouts_ = readouts; }

    // Window message 3124: a request to open a dialog, or a dialog's close request.
    void OnRequest(oxcmd::Sub sub, long value);
    // A completion (window message 3125): floating views no longer needed go; the default
    // setup removes them.
    void OnCompletion(oxcmd::Sub sub);

    // The open dialog (null: none).
    [[nodiscard]] CWnd* Current() const;
    void DestroyCurrent();
    // Creates the floating views when the state wants them and nothing suppresses them;
    // destroys them when it does not want them.
    void UpdateFloatingViews();
    void DestroyFloatingViews();
    // The window's copy of the records is new: the open dialog and the floating views show it.
    void RefreshOpen();
    // Puts the floating views beside the window (over its scope picture only where the
    // screen has no room beside it); after they open, and when the window moves or resizes.
    void PlaceFloatingViews();
    [[nodiscard]] bool FloatingViewsShown() const;

private:
    [[nodiscard]] const DialogRow* RowOf(oxcmd::Sub request) const;
    // What a dialog opens with; `closeRequest` is what its close mark posts.
    [[nodiscard]] oxbow::ui::PluginContext Context(oxcmd::Sub closeRequest = 0) const;
    [[nodiscard]] bool FloatingViewsWanted() const;
    [[nodiscard]] bool FloatingViewsSuppressed() const;
    void Open(const DialogRow& row, long value);
    void CloseReadoutsShownBy(const DialogRow& row);
    void SetCurrent(CWndRef window, const DialogRow* row);

    Host host_;
    std::vector<DialogRow> rows_;
    FloatingViewFns floating_;
    ReadoutPanel* readouts_ = nullptr;
    CWndRef current_;
    const DialogRow* currentRow_ = nullptr;
    std::array<CWndRef, 2> floatingViews_{};
};

} // namespace oxapp
