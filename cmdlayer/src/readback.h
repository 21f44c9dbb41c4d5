// Copying what the instrument accepted from the firmware setup blocks into the
// setup record, field by field for the sub-command that was just sent.
#pragma once

#include "ox_records.h"

// Returns false when the sub-command has no read-back or `channel` is not CH1/CH2
// for a per-channel sub-command; the record is then left as it was.
bool ReconcileFromBlocks(const DSO_SETUP& dso, const _OX_LA_SETUP& la, const DSO_ALT_SETUP& alt,
                         _OX_SETUP& setup, unsigned int subCmd, long channel);
