// The decode thread: one record decoding, at most one waiting.
#include "oxdecode.h"

namespace oxdecode {

DecodeWorker::DecodeWorker() : thread_([this] { Run(); }) {}

DecodeWorker::~DecodeWorker() {
    {
        std::lock_guard guard(mutex_);
        stopping_ = true;
    }
    stop_ = true;
    wake_.notify_all();
    thread_.join();
}

long DecodeWorker::Submit(Job job) {
    long serial = 0;
    {
        std::lock_guard guard(mutex_);
        serial = ++lastSerial_;
        ++counts_.submitted;
        if (waiting_) ++counts_.skipped; // never decoded: a newer record took its place
        waiting_.emplace(serial, std::move(job));
    }
    wake_.notify_all();
    return serial;
}

void DecodeWorker::SetOnResult(std::function<void(long)> onResult) {
    std::lock_guard guard(mutex_);
    onResult_ = std::move(onResult);
}

std::shared_ptr<const DecodeResult> DecodeWorker::Latest() const {
    std::lock_guard guard(mutex_);
    return latest_;
}

std::shared_ptr<const DecodeResult> DecodeWorker::ResultOf(long serial) const {
    std::lock_guard guard(mutex_);
    return latest_ && latest_->serial == serial ? latest_ : nullptr;
}

DecodeWorker::Counts DecodeWorker::Tally() const {
    std::lock_guard guard(mutex_);
    return counts_;
}

void DecodeWorker::Run() {
    for (;;) {
        long serial = 0;
        Job job;
        {
            std::unique_lock lock(mutex_);
            wake_.wait(lock, [this] { return stopping_ || waiting_.has_value(); });
            if (stopping_) return;
            serial = waiting_->first;
            job = std::move(waiting_->second);
            waiting_.reset();
        }
        DecodeLimits limits;
        limits.stop = &stop_;
        auto result = std::make_shared<DecodeResult>(
            job.record ? DecodeRecord(job.stacks, *job.record, job.thresholds, limits)
                       : DecodeResult{});
        result->serial = serial;
        std::function<void(long)> onResult;
        {
            std::lock_guard guard(mutex_);
            if (stopping_) return;
            latest_ = std::move(result);
            ++counts_.decoded;
            onResult = onResult_;
        }
        if (onResult) onResult(serial);
    }
}

} // namespace oxdecode
