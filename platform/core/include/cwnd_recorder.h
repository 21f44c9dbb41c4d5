// CRecordingWnd: a CWnd that records every message it receives, in order, and can
// run a hook for each (to act like a window whose handler does work). For tests of
// code that notifies windows.
#pragma once

#include "cwnd.h"

#include <functional>
#include <mutex>
#include <vector>

struct CWndMessage {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    bool operator==(const CWndMessage&) const = default;
};

class CRecordingWnd : public CWnd {
public:
    using Hook = std::function<LRESULT(const CWndMessage&)>;

    CRecordingWnd() = default;
    explicit CRecordingWnd(Hook hook) : m_hook(std::move(hook)) {}
    ~CRecordingWnd() override;

    std::vector<CWndMessage> Messages() const;
    void Clear();

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    mutable std::mutex m_lock;
    std::vector<CWndMessage> m_messages;
    Hook m_hook;
};
