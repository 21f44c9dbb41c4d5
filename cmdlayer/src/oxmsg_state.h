// Rules that read the shared setup record use it through this.
#pragma once

#include "cwnd.h"
#include "oxmsg.h"

// The main window handed to OxMsgInit (empty before it).
CWndRef OxMainWindow();
// The setup record, or an all-zero record before OxMsgInit, for rules that read it.
const _OX_SETUP& SetupForRules();
