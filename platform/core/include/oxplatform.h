// oxplatform: the operating-system interfaces the core libraries program against.
// Each interface has its own header; this one gathers them.
#pragma once

#include "cwnd.h"
#include "surface.h"
