// What the channel, acquire, timebase and run-control handlers share beside the
// handler kit: the handlers themselves and their marker follow-ups.
#pragma once

#include "handlers_kit.h"

namespace oxmsg::vertical {

handlerkit::IOCmdHandlerFn ChannelHandler, AcquireHandler, TimebaseHandler, RunHandler;

// A channel's scale, offset or probe moved its ground marker, the trigger-level marker
// and, in X-Y format or with the delayed timebase, their markers there.
void ChannelMarkersMoved();
// A main, delayed or alternate time scale or offset moved the trigger-position marker
// and the delayed window.
void TimebaseMarkersMoved();
// The cursor read-outs in divisions follow a changed channel setting.
void CursorDivisionsRebuilt();
// Undo and redo: the slot's values posted as the ordinary commands (nothing when the slot
// is not available).
void Undo();
void Redo();

} // namespace oxmsg::vertical
