// OxbowUi: the Qt side of Oxbow's platform layers and its skinned controls.
#pragma once

#include "bkbitmap.h"
#include "entrydialogs.h"
#include "fancyctl.h"
#include "instrumentstyle.h"
#include "qtdisplaylayer.h"
#include "qtmessageboxes.h"
#include "qtmessageroute.h"
#include "qtplatform.h"
#include "scopeview.h"
#include "statusfields.h"
#include "uithread.h"
