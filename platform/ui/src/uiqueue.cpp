#include "uiqueue.h"

#include <QSocketNotifier>

#include <cstdint>

#include <sys/eventfd.h>
#include <unistd.h>

namespace oxbow::ui {

UiQueue::UiQueue() : wake_(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {
    if (wake_ < 0) return;
    notifier_ = std::make_unique<QSocketNotifier>(wake_, QSocketNotifier::Read);
    QObject::connect(notifier_.get(), &QSocketNotifier::activated, notifier_.get(),
                     [this] { RunQueued(); });
}

UiQueue::~UiQueue() {
    notifier_.reset();
    if (wake_ >= 0) ::close(wake_);
}

bool UiQueue::Push(std::function<void()> call) {
    if (wake_ < 0) return false;
    bool wasEmpty = false;
    {
        std::lock_guard guard(lock_);
        wasEmpty = calls_.empty();
        calls_.push_back(std::move(call));
    }
    // One wake-up per batch: the UI thread empties the whole queue when it wakes.
    if (wasEmpty) {
        const std::uint64_t one = 1;
        [[maybe_unused]] const ssize_t written = ::write(wake_, &one, sizeof one);
    }
    return true;
}

void UiQueue::RunQueued() {
    std::uint64_t count = 0;
    [[maybe_unused]] const ssize_t read = ::read(wake_, &count, sizeof count);
    for (;;) {
        std::function<void()> call;
        {
            std::lock_guard guard(lock_);
            if (calls_.empty()) return;
            call = std::move(calls_.front());
            calls_.pop_front();
        }
        call();
    }
}

} // namespace oxbow::ui
