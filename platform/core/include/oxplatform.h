// oxplatform: the operating-system interfaces the core libraries program against.
// Each interface has its own header; this one gathers them.
#pragma once

#include "atomicfile.h"
#include "cwnd.h"
#include "displaylayer.h"
#include "messageboxes.h"
#include "settingsstore.h"
#include "surface.h"
