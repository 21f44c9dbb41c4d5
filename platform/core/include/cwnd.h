// CWnd: the core's view of a window. A window can be sent a message and asked
// whether it is still alive. Every CWnd registers itself for its lifetime, so a
// pointer kept somewhere (a queued I/O command naming a closed dialog) is checked
// against the registry and skipped, never dereferenced, once the window is gone.
//
// Delivery goes through one replaceable route. The default calls the window
// procedure directly on the calling thread; the Qt layer installs a route that
// runs the call on the UI thread and waits for it (and refuses once shutdown has
// begun). The liveness check runs inside the route, on the delivering thread, so a
// window cannot be destroyed between the check and the call on that thread.
#pragma once

#include <cstdint>
#include <functional>

using UINT = unsigned int;
using WPARAM = std::uintptr_t;
using LPARAM = std::intptr_t;
using LRESULT = std::intptr_t;

class CWnd;

// A window pointer together with the identity the window had when the pointer was
// taken; a later window that happens to reuse the address does not match it.
struct CWndRef {
    CWnd* wnd = nullptr;
    std::uint64_t serial = 0;

    static CWndRef Of(CWnd* wnd); // the current identity of wnd (empty ref for null or dead)
    bool IsSet() const { return wnd != nullptr; }
};

// How a message reaches its window. Deliver runs `call` (which checks liveness and
// invokes the window procedure) and returns its result, or returns `refused`
// without running it when delivery is impossible.
class CWndMessageRoute {
public:
    virtual ~CWndMessageRoute() = default;
    virtual LRESULT Deliver(const std::function<LRESULT()>& call, LRESULT refused) = 0;
};

class CWnd {
public:
    CWnd();
    virtual ~CWnd();
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;

    // Sends a message synchronously; 0 when the window is gone or delivery refused.
    LRESULT SendMessage(UINT message, WPARAM wParam, LPARAM lParam);

    // True while `wnd` names a live window; never dereferences it.
    static bool IsWindow(const CWnd* wnd);
    // True while `ref` names the same live window it was taken from.
    static bool IsWindow(const CWndRef& ref);

    // Sends to `ref` when it is still the same live window. Returns false (and
    // leaves `result` untouched) when it was not delivered.
    static bool SendMessageTo(const CWndRef& ref, UINT message, WPARAM wParam, LPARAM lParam,
                              LRESULT* result = nullptr);

    // Installs the delivery route (nullptr restores direct calls). Install it
    // before worker threads start sending.
    static void SetMessageRoute(CWndMessageRoute* route);

    std::uint64_t Serial() const { return m_serial; }

protected:
    // The window procedure: handles one message.
    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) = 0;

    // Derived classes whose destructor runs code the window procedure relies on
    // call this first thing in their destructor, so no message reaches a half
    // destroyed window. Calling it again (or letting ~CWnd do it) is harmless.
    void Unregister();

private:
    std::uint64_t m_serial;
};
