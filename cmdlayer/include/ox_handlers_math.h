// The handlers of the application-side settings and of the logic analyzer,
// self-calibration and link selection: math and FFT (group 3136), reference
// waveforms (3137), logic analyzer (3138), display (3142), cursors (2185, 3143,
// 3144, 3124), pass/fail (3145), record and playback (3146), measurements (3147),
// self-calibration (2528) and link selection (3149).
//
// A trace, slot, channel or selector out of range is refused with "Function not
// available" and nothing is stored.
//
// Argument layouts (set with SetMsgVar* before the post):
// - on/off settings: one byte (SetMsgVarbool); selectors and counts: SetMsgVarInt;
//   scales, offsets, levels, intensities and tolerances: SetMsgVarfloat; the FFT and
//   reference horizontal scale and offset and the record and playback intervals
//   (seconds): SetMsgVarDouble.
// - cursors, group 3143: 2195 / 2196 time / level cursor source (int), 2205 / 2225
//   time / level cursor position in divisions (float; value 0 = cursor A, 1 = B),
//   2215 / 2235 time / level cursors shown (byte). Group 3144: 2245 / 2246 source of
//   track cursor A / B (int, 0 CH1, 1 CH2), 2255 position (float; value 0 = A, 1 = B),
//   2256 shown (byte; value 0 = A, 1 = B).
// - pass/fail, group 3145: 2325 test on (byte), 2326 source (int), 2327 run (int 1)
//   or stop (int 0), 2328 output condition (int 0..3), 2329 / 2330 horizontal /
//   vertical tolerance in divisions (float), 2331 stop on output (byte), 2332 show
//   counters (byte), 2333 create the mask (byte).
// - measurements, group 3147: 2276 adds measurement code (int) of channel `value`
//   (0 CH1, 1 CH2) to the read-outs (at most 8; the oldest goes when full), 2275
//   shows all measurements of a source (byte), 2279 clears the selection.
// - record and playback, group 3146; nRecordState 0 idle, 1 recording, 2 playing,
//   3 playback paused:
//     2426 record source (int: 0 CH1, 1 CH2, 2 both channels)
//     2427 frames to record (int, ValidRecordEndFrame)
//     2429 record interval (double seconds, ValidRecordInterval; kept in ms)
//     2432 start recording (refused unless the record source is shown)
//     2433 stop recording ("Record waveforms break off" when stopped early)
//     2434 one frame recorded ("Record waveforms completed" at the last one)
//     2467 / 2470 first / last playback frame (int, 1..frames recorded)
//     2471 playback interval (double seconds, ValidPlaybackInterval; kept in ms)
//     2473 current playback frame (int, ValidPlaybackCurFrm)
//     2474 start playback ("Not available record data" without recorded frames);
//          restores the time bases under which the record was taken
//     2478 pause or continue playback, 2479 stop playback.
#pragma once

#include "ox_queue.h"

#include <cstdint>

// Installs the handlers of every group named above with the dispatcher.
void OxInstallMathHandlers();

// The refusal of a request to open a dialog (group 3124) in `setup`'s state, or null when
// the dialog may open: while a record plays back every dialog but the record dialog (which
// stops the playback); the trigger dialog in X-Y and roll format; the track cursor dialog
// in X-Y format; the pass/fail dialog under the alternate trigger. The handler reports it;
// the main window asks the same question of its copy of the record before it opens one.
// Close requests and anything else are never refused.
[[nodiscard]] const char* OxDialogRequestRefusal(const _OX_SETUP& setup, unsigned int subCmd);

// A math trace is shown (live) / was shown when the acquisition stopped.
bool GetMathEnabled();
bool GetMathEnabledStop();
// A shown math trace computes an FFT.
bool GetFFTOperator();
// The screen is split between the time traces and an FFT.
bool GetFFTSplitScreen();
