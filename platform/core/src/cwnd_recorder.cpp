#include "cwnd_recorder.h"

CRecordingWnd::~CRecordingWnd() {
    Unregister();
}

LRESULT CRecordingWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    CWndMessage received{message, wParam, lParam};
    {
        std::lock_guard guard(m_lock);
        m_messages.push_back(received);
    }
    return m_hook ? m_hook(received) : 0;
}

std::vector<CWndMessage> CRecordingWnd::Messages() const {
    std::lock_guard guard(m_lock);
    return m_messages;
}

void CRecordingWnd::Clear() {
    std::lock_guard guard(m_lock);
    m_messages.clear();
}
