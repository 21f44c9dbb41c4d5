// The user interface's copy of the shared records.
#include "oxsnapshot.h"

#include "ox_system.h"

namespace oxacq {

RecordSnapshot::RecordSnapshot() : latest_(std::make_unique<RecordView>()) {}

void RecordSnapshot::Publish(const _OX_SETUP& setup, const _OX_RGN_SETUP& region) {
    std::lock_guard guard(lock_);
    latest_->setup = setup;
    latest_->region = region;
    latest_->undoAvailable = UndoAvailable(setup);
    latest_->redoAvailable = RedoAvailable(setup);
    ++latest_->sequence;
}

bool RecordSnapshot::Refresh(RecordView& view) const {
    std::lock_guard guard(lock_);
    if (view.sequence == latest_->sequence) return false;
    view = *latest_;
    return true;
}

std::uint64_t RecordSnapshot::Sequence() const {
    std::lock_guard guard(lock_);
    return latest_->sequence;
}

} // namespace oxacq
