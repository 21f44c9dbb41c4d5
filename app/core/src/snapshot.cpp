// The user interface's copy of the shared records.
#include "oxsnapshot.h"

#include "ox_system.h"

#include <cstring>

namespace oxacq {
namespace {

// The records are packed, without padding, so equal bytes are equal records.
template <class Record> bool SameBytes(const Record& a, const Record& b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

} // namespace

RecordSnapshot::RecordSnapshot() : latest_(std::make_unique<RecordView>()) {}

// An unchanged copy keeps its sequence, so the UI's refreshes of menus and controls, which
// follow every new sequence, cost nothing while nothing changes.
void RecordSnapshot::Publish(const _OX_SETUP& setup, const _OX_RGN_SETUP& region) {
    const bool undo = UndoAvailable(setup);
    const bool redo = RedoAvailable(setup);
    std::lock_guard guard(lock_);
    RecordView& view = *latest_;
    if (view.sequence != 0 && SameBytes(view.setup, setup) && SameBytes(view.region, region) &&
        view.undoAvailable == undo && view.redoAvailable == redo)
        return;
    view.setup = setup;
    view.region = region;
    view.undoAvailable = undo;
    view.redoAvailable = redo;
    ++view.sequence;
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
