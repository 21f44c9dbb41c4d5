// OxMsg, the instrument command layer: setup records and their block
// conversions, the instrument link, the I/O command queue and its handlers.
#pragma once

#include "ox_geometry.h"
#include "ox_handlers_math.h"
#include "ox_handlers_trigger.h"
#include "ox_handlers_vertical.h"
#include "ox_link.h"
#include "ox_queue.h"
#include "ox_recfile.h"
#include "ox_records.h"
#include "ox_system.h"
#include "ox_validate.h"

// Builds the three instrument blocks from the shared _OX_SETUP record.  Only
// the offsets that carry a field are written; every other byte of a block is
// kept as it is.  A null block is skipped.
void OxPopSetup(DSO_SETUP* dso, _OX_LA_SETUP* la, DSO_ALT_SETUP* alt);

// The reverse: copies the blocks into the shared _OX_SETUP record, undoing
// the conversions, then derives the dependent fields.  A null block is skipped.
void OxPushSetup(DSO_SETUP* dso, _OX_LA_SETUP* la, DSO_ALT_SETUP* alt);

namespace oxmsg {

// The same conversions on an explicit record.
void PopSetup(const _OX_SETUP& setup, DSO_SETUP* dso, _OX_LA_SETUP* la, DSO_ALT_SETUP* alt);
void PushSetup(_OX_SETUP& setup, const DSO_SETUP* dso, const _OX_LA_SETUP* la,
               const DSO_ALT_SETUP* alt);

// Averages count <-> the value at DSO_SETUP offset 456: the number of
// significant bits of the count (2 -> 2, 4 -> 3, 256 -> 9), read back as
// 2 to the power (value - 1), so a count written and read again is unchanged.
// A count of 0 or less is written as 0 and 0 reads back as 0.
uint16_t AveragesToBlock(int32_t count);
int32_t AveragesFromBlock(uint16_t bits);

// The shared records handed to the command layer by OxMsgInit.
struct SharedRecords {
    _OX_SETUP* setup = nullptr;
    _OX_RGN_SETUP* region = nullptr;
    _OX_POS_SETUP* positions = nullptr;
};
SharedRecords& Records();

} // namespace oxmsg
