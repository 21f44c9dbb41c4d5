// Undo and redo of the mouse-adjustable settings, carried out on the I/O thread: the slot's
// values are posted as the ordinary channel and time-base commands, so they are validated,
// sent and reconciled like any other change.
#include "handlers_vertical.h"

#include "ox_system.h"

namespace {

using namespace oxmsg::handlerkit;

constexpr const char* kChannelNotAvailable = "Channel not available";

// A filled slot holds a time scale; an empty one (never filled) holds zero.
bool Filled(const OX_UNDO_SLOT& slot) {
    return slot.dTimeScale > 0;
}

// The posts of the restore: each only when the slot's value differs from the current one.
// A full queue has put its own message on the screen.
void PostIfChanged(unsigned long group, unsigned int sub, long value, float current, float wanted) {
    if (current != wanted) static_cast<void>(OxPostFloat(group, sub, value, wanted));
}
void PostIfChanged(unsigned long group, unsigned int sub, long value, double current,
                   double wanted) {
    if (current != wanted) static_cast<void>(OxPostDouble(group, sub, value, wanted));
}

// The channels that are shown get their scale and offset back (scale first: the offset is
// validated against it); a hidden channel's change is not restored and the user is told.
void RestoreChannels(const OX_UNDO_SLOT& slot) {
    const _OX_SETUP& s = Setup();
    bool hiddenChanged = false;
    for (int c = 0; c < 2; ++c) {
        const bool changed =
            slot.fChanScale[c] != s.fChanScale[c] || slot.fChanOffset[c] != s.fChanOffset[c];
        if (!changed) continue;
        if (s.bChanDisplay[c] == 0) {
            hiddenChanged = true;
            continue;
        }
        namespace channel = oxcmd::channel;
        PostIfChanged(oxcmd::group::kChannel, channel::kScale, c, s.fChanScale[c],
                      slot.fChanScale[c]);
        PostIfChanged(oxcmd::group::kChannel, channel::kOffset, c, s.fChanOffset[c],
                      slot.fChanOffset[c]);
    }
    if (hiddenChanged) SetSystemError(kChannelNotAvailable);
}

// The time base always. In rolling format the time position cannot be set (the instrument
// would refuse it), so only the scales are restored there.
void RestoreTimebase(const OX_UNDO_SLOT& slot) {
    const _OX_SETUP& s = Setup();
    namespace timebase = oxcmd::timebase;
    constexpr unsigned long kTimebase = oxcmd::group::kTimebase;
    const bool positions = s.nTimeFormat != oxcmd::code::kRolling;
    PostIfChanged(kTimebase, timebase::kMainScale, 0, s.dTimeScale, slot.dTimeScale);
    if (positions)
        PostIfChanged(kTimebase, timebase::kMainOffset, 0, s.dTimeOffset, slot.dTimeOffset);
    PostIfChanged(kTimebase, timebase::kDelayedScale, 0, s.dDelayedScale, slot.dDelayedScale);
    if (positions)
        PostIfChanged(kTimebase, timebase::kDelayedOffset, 0, s.dDelayedOffset,
                      slot.dDelayedOffset);
    if (s.nTrigMode != oxcmd::code::kAlternate) return;
    for (int c = 0; c < 2; ++c) {
        PostIfChanged(kTimebase, timebase::kAltScale, c, double(s.dAltTimeScale[c]),
                      double(slot.dAltTimeScale[c]));
        if (positions)
            PostIfChanged(kTimebase, timebase::kAltOffset, c, double(s.dAltTimeOffset[c]),
                          double(slot.dAltTimeOffset[c]));
    }
}

void Restore(const OX_UNDO_SLOT& slot) {
    RestoreChannels(slot);
    RestoreTimebase(slot);
}

} // namespace

bool UndoAvailable(const _OX_SETUP& setup) {
    return Filled(setup.stUndoSlot) && setup.bUndoUsed == 0;
}

bool RedoAvailable(const _OX_SETUP& setup) {
    return Filled(setup.stRedoSlot) && setup.bUndoUsed != 0;
}

namespace oxmsg::vertical {

// The current values go to the redo slot first, so that redo takes the undo back.
void Undo() {
    if (!UndoAvailable(Setup())) return;
    SaveRedoSetup();
    Setup().bUndoUsed = 1;
    Restore(Setup().stUndoSlot);
}

void Redo() {
    if (!RedoAvailable(Setup())) return;
    Setup().bUndoUsed = 0;
    Restore(Setup().stRedoSlot);
}

} // namespace oxmsg::vertical
