// The Qt delivery route for CWnd messages: a message sent on the UI thread is a direct
// call; one sent from a worker thread runs its handler on the UI thread while the
// worker waits. Once shutdown has begun (UiThread::BeginShutdown) a send from a worker
// is refused at once and yields 0; sends on the UI thread still arrive.
#pragma once

#include "cwnd.h"
#include "uithread.h"

namespace oxbow::ui {

class QtMessageRoute final : public CWndMessageRoute {
public:
    explicit QtMessageRoute(UiThread& ui) : m_ui(ui) {}
    LRESULT Deliver(const std::function<LRESULT()>& call, LRESULT refused) override;

private:
    UiThread& m_ui;
};

// Installs the route for the lifetime of the object (CWnd::SetMessageRoute) and puts
// direct delivery back afterwards. Install before the workers start.
class ScopedQtMessageRoute {
public:
    explicit ScopedQtMessageRoute(UiThread& ui);
    ~ScopedQtMessageRoute();
    ScopedQtMessageRoute(const ScopedQtMessageRoute&) = delete;
    ScopedQtMessageRoute& operator=(const ScopedQtMessageRoute&) = delete;

private:
    QtMessageRoute m_route;
};

// A posted message: queued to the UI thread and delivered there when `ref` still names
// the same live window. False when refused (shutdown begun).
bool PostWndMessage(UiThread& ui, const CWndRef& ref, UINT message, WPARAM wParam, LPARAM lParam);

} // namespace oxbow::ui
