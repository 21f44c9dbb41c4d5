// The user interface's copy of the shared records.
//
// The workers change _OX_SETUP and _OX_RGN_SETUP under the program's lock; the UI thread
// never takes that lock, so it never reads the live records. The I/O thread publishes a
// copy after every display tick and before every completion message (OxSetBeforeNotify),
// and the UI thread reads the newest copy. The copy's own small lock is held only for the
// copy itself, by either side, and nobody waits on anything while holding it.
#pragma once

#include "ox_records.h"

#include <cstdint>
#include <memory>
#include <mutex>

namespace oxacq {

struct RecordView {
    _OX_SETUP setup{};
    _OX_RGN_SETUP region{};
    // Whether undo and redo have something to restore, decided where the slots live.
    bool undoAvailable = false;
    bool redoAvailable = false;
    std::uint64_t sequence = 0; // 0: nothing published yet
};

class RecordSnapshot {
public:
    RecordSnapshot();
    // I/O thread, under the program's lock (the records stand still meanwhile).
    void Publish(const _OX_SETUP& setup, const _OX_RGN_SETUP& region);
    // UI thread: refreshes `view` when something newer was published; true when it did.
    bool Refresh(RecordView& view) const;
    [[nodiscard]] std::uint64_t Sequence() const;

private:
    mutable std::mutex lock_;
    std::unique_ptr<RecordView> latest_;
};

} // namespace oxacq
