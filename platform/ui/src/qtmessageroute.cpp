#include "qtmessageroute.h"

namespace oxbow::ui {

LRESULT QtMessageRoute::Deliver(const std::function<LRESULT()>& call, LRESULT refused) {
    LRESULT result = refused;
    m_ui.Call([&] { result = call(); });
    return result;
}

ScopedQtMessageRoute::ScopedQtMessageRoute(UiThread& ui) : m_route(ui) {
    CWnd::SetMessageRoute(&m_route);
}

ScopedQtMessageRoute::~ScopedQtMessageRoute() {
    CWnd::SetMessageRoute(nullptr);
}

bool PostWndMessage(UiThread& ui, const CWndRef& ref, UINT message, WPARAM wParam, LPARAM lParam) {
    return ui.Post(
        [ref, message, wParam, lParam] { CWnd::SendMessageTo(ref, message, wParam, lParam); });
}

} // namespace oxbow::ui
