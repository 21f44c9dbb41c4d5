// The screen and change-tracking follow-ups of the channel, acquire, timebase and
// run-control handlers, and the state of other command groups they consult, kept in
// one place.
#pragma once

namespace oxmsg::vertical {

// A channel's scale, offset or probe moved its ground marker, the trigger-level marker
// and, in X-Y format or with the delayed timebase, their markers there.
void ChannelMarkersMoved();
// A main, delayed or alternate time scale or offset moved the trigger-position marker
// and the delayed window.
void TimebaseMarkersMoved();
// The layout of the screen changed (format, delayed timebase, shown traces): the
// regions are rebuilt and everything is redrawn.
void ScreenRebuilt();
// The cursor read-outs in divisions follow a changed channel setting.
void CursorDivisionsRebuilt();
// Marks the setting changed (while running the main window is told once; when stopped
// the stored traces are redrawn).
void SettingChanged();

// A shown math trace computes an FFT.
bool FFTShown();
// The trigger-level marker can be drawn: the current trigger type's source is a shown
// channel (always with the alternate trigger).
bool TrigSourceShown();

} // namespace oxmsg::vertical
