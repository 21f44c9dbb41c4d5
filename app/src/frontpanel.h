// The front-panel actions of the main window: each button, menu item or shortcut is a row
// of the action table (oxactions.h). FrontPanel carries a row out against the UI thread's
// copy of the setup record; refusals go through SetSystemError and the show-error command,
// so the text appears on the screen.
#pragma once

#include "cwnd.h"
#include "oxactions.h"

struct _OX_SETUP;

namespace oxapp {

class FrontPanel {
public:
    // `state` is the UI thread's copy of the setup record, refreshed by its owner.
    explicit FrontPanel(const _OX_SETUP& state);

    // The open control dialog, named as window of RUN and STOP (null: none).
    void SetCurrentPanel(CWnd* panel) { currentPanel_ = panel; }

    // Carries out the row's plan (rows without one are the window's own and do nothing here).
    void Perform(oxact::ActionId id);

    void Run() { Perform(oxact::ActionId::Run); }
    void Stop() { Perform(oxact::ActionId::Stop); }
    void Exit() { Perform(oxact::ActionId::Exit); }

private:
    const _OX_SETUP& state_;
    CWnd* currentPanel_ = nullptr;
};

} // namespace oxapp
