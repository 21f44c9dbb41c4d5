// The UI thread as seen from any thread: run a function there and wait for it, or
// queue one. Once shutdown has begun every call is refused at once and every caller
// still waiting for a call that has not started is released, so no worker waits on a
// UI thread that is busy joining it.
#pragma once

#include "uiqueue.h"

#include <atomic>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>

class QThread;

namespace oxbow::ui {

class UiThread {
public:
    // Constructed on the UI thread (the thread of the application object).
    UiThread();
    ~UiThread(); // begins shutdown
    UiThread(const UiThread&) = delete;
    UiThread& operator=(const UiThread&) = delete;

    // Runs `call` on the UI thread and returns once it has run: directly when already
    // there (shutdown or not), else queued to the UI thread's event loop while the caller
    // waits. From another thread, false (without running it) once shutdown has begun.
    bool Call(const std::function<void()>& call);
    // Queues `call` to the UI thread and returns at once; false once shutdown has begun.
    // A call still queued when shutdown begins is dropped.
    bool Post(std::function<void()> call);

    // From now on every call is refused; waiting callers whose call has not started
    // are released. Idempotent.
    void BeginShutdown();
    bool ShuttingDown() const { return m_shutdown.load(); }

    bool OnUiThread() const;

private:
    struct Waiter;
    void RunQueued(const std::shared_ptr<Waiter>& waiter);

    QThread* m_thread; // the UI thread
    UiQueue m_queue;   // runs the queued calls on it
    std::atomic<bool> m_shutdown{false};
    std::mutex m_lock;
    std::condition_variable m_changed;
};

} // namespace oxbow::ui
