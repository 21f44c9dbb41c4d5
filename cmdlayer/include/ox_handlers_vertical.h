// The handlers of the channel (3135), acquire (3141), timebase (3139) and run-control
// (3125) groups, and the helpers that go with them.
//
// Argument layouts (set with SetMsgVar* before the post; value = the channel, 0 CH1,
// 1 CH2, where a channel is meant):
// - channel, group 3135: 1125 scale (float V/div), 1135 offset (float V), 1145
//   coupling (int, 1 AC), 1146 bandwidth limit (byte), 1147 probe ratio (float),
//   1148 shown (byte), 1149 inverted (byte), 1150 unit (int 0..5 or 7), 1151 input
//   (int, 1 50 ohm), 1155 filter shown (byte), 1165 / 1175 filter upper / lower limit
//   (float), 1185 filter type (int 0..3);
// - acquire, group 3141: 1725 type (int 0..2), 1735 real time (byte), 1745 averages
//   (int), 1755 memory depth (int points), 1765 / 1775 sampling / record rate (float);
// - timebase, group 3139: 1625 delayed on (byte), 1626 format (int 0 Y-T, 1 X-Y,
//   2 rolling), 1635 / 1645 / 1655 / 1665 main offset / main scale / delayed offset /
//   delayed scale (double s), 1685 redraw (none), 2015 / 2025 alternate-trigger time
//   scale / offset of channel `value` (double s);
// - run control, group 3125: no argument.
//
// A channel or selector out of range is refused with "Function not available" and
// nothing is stored.
#pragma once

// Installs the four handlers with the dispatcher (OxMsgInit does).
void OxInstallVerticalHandlers();

// Makes `channel` (0 CH1, 1 CH2, 4 logic analyzer, 5..8 further traces) the trace the
// front-panel controls act on when it is shown; otherwise the first shown trace in the
// order CH1, CH2, 5, 6, 7, 8, logic analyzer. 9 and false when none is shown.
bool SetActiveChannel(int channel);
// True: the shown flags of CH1, CH2, the further traces and the logic analyzer are
// copied into their shown-when-stopped copies; false clears the copies.
void SetChanEnabledStop(bool enabled);

// Re-read DSO_SETUP (and, with the alternate trigger, DSO_ALT_SETUP) from the
// instrument and copy the sampling rates, the record length and the per-channel
// alternate time bases into the setup record. GetTimeScalePara also copies the main
// and delayed time scale and offset, keeping the delayed scale no larger than the main
// one. False (record unchanged) when not connected or a block did not arrive whole.
bool GetAcqSaRate();
bool GetTimeScalePara();
