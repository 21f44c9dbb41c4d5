// The trigger handler (I/O command group 3140) and the helpers that read the trigger
// setting.
//
// Every command starts with ":TRIGGER"; the value of a post is the channel (0 CH1,
// 1 CH2) for the alternate-trigger sub-commands 2006 to 2145, the bit number for
// 1975 and the group of eight bits for 1976. A selector, channel, bit or group out
// of range is refused with "Function not available" and nothing is stored.
#pragma once

#include "ox_queue.h"

#include <cstdint>
#include <string>

// Installs the handler of group 3140 with the dispatcher.
void OxInstallTriggerHandler();

// The handler itself: validates, stores in _OX_SETUP and prepares the command.
void OxTriggerHandler(IOCmdContext& context, unsigned int subCmd, long value, std::uint32_t argLow,
                      std::uint32_t argHigh);

// The source of the current trigger type: edge, pulse, slope or video source; the
// edited channel for the alternate trigger; the edge source for pattern and duration.
int GetTrigSource();
// The unit text of the trigger source's channel ("V" for sources that are no channel).
void GetTrigChanUnit(std::string& unit);

// The source of the current type is CH1 or CH2 and that channel is shown (always for
// the alternate trigger, never for pattern and duration).
bool IsTrigSourceShown();

// The pattern command of a set of bit conditions (0 high, 1 low, 2 ignored, 3 rising,
// 4 falling) for trigger type 5 (pattern) or 6 (duration): value and mask of the
// bits, then the highest-numbered edge bit and 1 for rising, 0 for falling.
std::string PatternCommand(int type, const std::int32_t (&bits)[16]);
