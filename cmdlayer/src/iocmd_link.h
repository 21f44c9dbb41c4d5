// The dispatcher's road to the instrument: sending a prepared command, knowing
// whether the read-back that followed refreshed every setup block, and the
// firmware setup copy that read-back filled.
#pragma once

#include "ox_records.h"

#include <cstdint>
#include <string>

class IOCmdLink {
public:
    virtual ~IOCmdLink() = default;
    virtual void SendCommand(const std::string& command, std::uint8_t* reply, bool readBack) = 0;
    // True when the read-back of the last SendCommand brought every block whole.
    virtual bool ReadBackWhole() const = 0;
    virtual const DSO_SETUP& FirmwareDso() const = 0;
    virtual const _OX_LA_SETUP& FirmwareLa() const = 0;
    virtual const DSO_ALT_SETUP& FirmwareAlt() const = 0;
};

// Replaces the link the dispatcher uses (nullptr restores the instrument link).
// CurrentIOCmdLink never returns null.
void SetIOCmdLink(IOCmdLink* link);
IOCmdLink* CurrentIOCmdLink();
