// OxbowCore: the data side of the Oxbow program. Each part has its own header; this one
// gathers them.
#pragma once

#include "oxacq.h"
#include "oxactions.h"
#include "oxdisplay.h"
#include "oxsnapshot.h"
#include "oxstorage.h"
