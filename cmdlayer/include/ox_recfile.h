// The record file of a finished recording, described by the shared setup record.
#pragma once

#include "ox_records.h"

#include <cstdint>
#include <string>

// Writes the record file (OxCommon's WriteRecordFile) with the recording's frame count, source
// and source channel, that channel's fChanScale and fChanOffset (CH1 for anything but CH2),
// dTimeScale and dTimeOffset, and clears nRecordState. True when the file was written; false
// when it was not (no setup, cannot create, no frames to take).
bool SaveRecFile(const std::string& path, _OX_SETUP* setup, const std::uint8_t* data);
