#include "cwnd.h"

#include <atomic>
#include <mutex>
#include <unordered_map>

namespace {

class DirectRoute final : public CWndMessageRoute {
public:
    LRESULT Deliver(const std::function<LRESULT()>& call, LRESULT) override { return call(); }
};

struct WindowRegistry {
    std::mutex lock;
    std::unordered_map<const CWnd*, std::uint64_t> live; // window -> serial
    std::uint64_t nextSerial = 1;
};

WindowRegistry& Registry() {
    static WindowRegistry registry;
    return registry;
}

DirectRoute g_directRoute;
std::atomic<CWndMessageRoute*> g_route{&g_directRoute};

bool IsRegistered(const CWnd* wnd, std::uint64_t serial) {
    if (wnd == nullptr) return false;
    WindowRegistry& registry = Registry();
    std::lock_guard guard(registry.lock);
    auto it = registry.live.find(wnd);
    return it != registry.live.end() && (serial == 0 || it->second == serial);
}

} // namespace

CWndRef CWndRef::Of(CWnd* wnd) {
    if (wnd == nullptr) return {};
    WindowRegistry& registry = Registry();
    std::lock_guard guard(registry.lock);
    auto it = registry.live.find(wnd);
    // A pointer that names no live window keeps an identity no window can have.
    return {wnd, it != registry.live.end() ? it->second : UINT64_MAX};
}

CWnd::CWnd() {
    WindowRegistry& registry = Registry();
    std::lock_guard guard(registry.lock);
    m_serial = registry.nextSerial++;
    registry.live.emplace(this, m_serial);
}

CWnd::~CWnd() {
    Unregister();
}

void CWnd::Unregister() {
    WindowRegistry& registry = Registry();
    std::lock_guard guard(registry.lock);
    registry.live.erase(this);
}

bool CWnd::IsWindow(const CWnd* wnd) {
    return IsRegistered(wnd, 0);
}

bool CWnd::IsWindow(const CWndRef& ref) {
    return IsRegistered(ref.wnd, ref.serial);
}

bool CWnd::SendMessageTo(const CWndRef& ref, UINT message, WPARAM wParam, LPARAM lParam,
                         LRESULT* result) {
    if (!ref.IsSet()) return false;
    bool delivered = false;
    LRESULT answer = g_route.load()->Deliver(
        [&]() -> LRESULT {
            if (!IsWindow(ref)) return 0;
            delivered = true;
            return ref.wnd->WindowProc(message, wParam, lParam);
        },
        0);
    if (delivered && result != nullptr) *result = answer;
    return delivered;
}

LRESULT CWnd::SendMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    LRESULT result = 0;
    SendMessageTo({this, m_serial}, message, wParam, lParam, &result);
    return result;
}

void CWnd::SetMessageRoute(CWndMessageRoute* route) {
    g_route.store(route != nullptr ? route : &g_directRoute);
}
