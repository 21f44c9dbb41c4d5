// Undo and redo of the mouse-adjustable settings, carried out on the I/O thread: the slots'
// values are posted as the ordinary channel, time-base, trigger-level, math and reference
// commands, so they are validated, sent and reconciled like any other change.
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

// The trigger levels (after the channels: a level is validated against its channel's scale
// and offset) and the grounds of the further traces.
void RestoreMarkers(const OX_UNDO_MARKERS& slot) {
    const _OX_SETUP& s = Setup();
    namespace trigger = oxcmd::trigger;
    constexpr unsigned long kTrigger = oxcmd::group::kTrigger;
    PostIfChanged(kTrigger, trigger::kEdgeLevel, 0, s.fEdgeLevel, slot.fEdgeLevel);
    PostIfChanged(kTrigger, trigger::kPulseLevel, 0, s.fPulseLevel, slot.fPulseLevel);
    PostIfChanged(kTrigger, trigger::kVideoLevel, 0, s.fVideoLevel, slot.fVideoLevel);
    PostIfChanged(kTrigger, trigger::kSlopeLevelA, 0, s.fSlopeLevelA, slot.fSlopeLevelA);
    PostIfChanged(kTrigger, trigger::kSlopeLevelB, 0, s.fSlopeLevelB, slot.fSlopeLevelB);
    for (int c = 0; c < 2; ++c) {
        PostIfChanged(kTrigger, trigger::kAltEdgeLevel, c, s.fAltEdgeLevel[c],
                      slot.fAltEdgeLevel[c]);
        PostIfChanged(kTrigger, trigger::kAltPulseLevel, c, s.fAltPulseLevel[c],
                      slot.fAltPulseLevel[c]);
        PostIfChanged(kTrigger, trigger::kAltVideoLevel, c, s.fAltVideoLevel[c],
                      slot.fAltVideoLevel[c]);
        PostIfChanged(kTrigger, trigger::kAltSlopeLevelA, c, s.fAltSlopeLevelA[c],
                      slot.fAltSlopeLevelA[c]);
        PostIfChanged(kTrigger, trigger::kAltSlopeLevelB, c, s.fAltSlopeLevelB[c],
                      slot.fAltSlopeLevelB[c]);
    }
    namespace math = oxcmd::math;
    constexpr unsigned long kMath = oxcmd::group::kMath;
    for (int k = 0; k < 4; ++k) {
        PostIfChanged(kMath, math::kOffset, k, s.fMathOffset[k], slot.fMathOffset[k]);
        PostIfChanged(kMath, math::kFFTVrmsOffset, k, s.fFFTVrmsOffset[k], slot.fFFTVrmsOffset[k]);
        PostIfChanged(kMath, math::kFFTdBVrmsOffset, k, s.fFFTdBVrmsOffset[k],
                      slot.fFFTdBVrmsOffset[k]);
        PostIfChanged(oxcmd::group::kReference, oxcmd::reference::kVertOffset, k, s.fRefOffset[k],
                      slot.fRefOffset[k]);
    }
}

void Restore(const OX_UNDO_SLOT& slot, const OX_UNDO_MARKERS& markers) {
    RestoreChannels(slot);
    RestoreTimebase(slot);
    RestoreMarkers(markers);
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
    Restore(Setup().stUndoSlot, Setup().stUndoMarkers);
}

void Redo() {
    if (!RedoAvailable(Setup())) return;
    Setup().bUndoUsed = 0;
    Restore(Setup().stRedoSlot, Setup().stRedoMarkers);
}

} // namespace oxmsg::vertical
