#include "uithread.h"

#include <QThread>

namespace oxbow::ui {

// One blocking call in flight. The caller's function lives on the caller's stack, so
// the UI thread may start it only while the caller still waits for it.
struct UiThread::Waiter {
    const std::function<void()>* call = nullptr;
    bool started = false;
    bool finished = false;
    bool abandoned = false;
};

UiThread::UiThread() : m_thread(QThread::currentThread()) {}

UiThread::~UiThread() {
    BeginShutdown();
}

bool UiThread::OnUiThread() const {
    return QThread::currentThread() == m_thread;
}

void UiThread::BeginShutdown() {
    {
        std::lock_guard guard(m_lock);
        m_shutdown.store(true);
    }
    m_changed.notify_all();
}

void UiThread::RunQueued(const std::shared_ptr<Waiter>& waiter) {
    {
        std::lock_guard guard(m_lock);
        if (waiter->abandoned) return;
        waiter->started = true;
    }
    (*waiter->call)();
    {
        std::lock_guard guard(m_lock);
        waiter->finished = true;
    }
    m_changed.notify_all();
}

bool UiThread::Call(const std::function<void()>& call) {
    // On the UI thread nothing waits, so a direct call is always safe, shutdown or not.
    if (OnUiThread()) {
        call();
        return true;
    }
    if (m_shutdown.load()) return false;
    auto waiter = std::make_shared<Waiter>();
    waiter->call = &call;
    if (!m_queue.Push([this, waiter] { RunQueued(waiter); })) return false;
    std::unique_lock guard(m_lock);
    m_changed.wait(guard,
                   [&] { return waiter->finished || (m_shutdown.load() && !waiter->started); });
    if (!waiter->finished) {
        waiter->abandoned = true;
        return false;
    }
    return true;
}

bool UiThread::Post(std::function<void()> call) {
    if (m_shutdown.load()) return false;
    return m_queue.Push([this, call = std::move(call)] {
        if (!m_shutdown.load()) call();
    });
}

} // namespace oxbow::ui
