// Module state shared inside the command layer beside oxmsg::Records().
#pragma once

#include "oxmsg.h"

class CWinSocket;

// The LAN socket handed to OxMsgInit (not owned).
CWinSocket* OxSocket();
// The setup record, or an all-zero record before OxMsgInit, for rules that read it.
const _OX_SETUP& SetupForRules();
