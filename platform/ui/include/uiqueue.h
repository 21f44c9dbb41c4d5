// Functions handed to the UI thread from any thread, run there in the order they came.
//
// Qt's own cross-thread posting orders the two threads through locks of its own; a queue of
// ours makes the hand-over explicit: the function is queued under a std::mutex and the UI
// thread is woken through an eventfd its socket notifier watches, so everything the sender
// wrote before it queued a function is visible to that function, and the order of every
// hand-over is one the thread checker of the sanitizer build sees.
#pragma once

#include <deque>
#include <functional>
#include <memory>
#include <mutex>

class QSocketNotifier;

namespace oxbow::ui {

class UiQueue {
public:
    // Made on the UI thread: the functions run on the thread that made the queue.
    UiQueue();
    ~UiQueue(); // functions still queued are dropped
    UiQueue(const UiQueue&) = delete;
    UiQueue& operator=(const UiQueue&) = delete;

    // Queues `call` and wakes the UI thread; false (nothing queued) when the queue has no
    // wake-up descriptor.
    [[nodiscard]] bool Push(std::function<void()> call);

private:
    // Runs the queued functions one at a time, each taken under the lock, so that they keep
    // their order even when one of them runs an event loop of its own (a modal box).
    void RunQueued();

    int wake_ = -1;
    std::unique_ptr<QSocketNotifier> notifier_;
    std::mutex lock_;
    std::deque<std::function<void()>> calls_;
};

} // namespace oxbow::ui
