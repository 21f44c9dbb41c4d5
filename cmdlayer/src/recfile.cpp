// The record file of a finished recording, taken from the setup record.
#include "ox_commands.h"
#include "ox_recfile.h"

#include "oxcommon.h"

namespace {

// The channel whose scale and offset describe the recording: the source channel of a
// derived source (index 2), else the source itself; anything else falls back to CH1.
int EffectiveChannel(const _OX_SETUP& setup) {
    const int channel = setup.nRecordSource == 2 ? setup.nRecordSourceChannel : setup.nRecordSource;
    return channel == 1 ? 1 : 0;
}

RecordFileHeader HeaderOf(const _OX_SETUP& setup) {
    const int channel = EffectiveChannel(setup);
    return {setup.nRecordFrames,
            setup.nRecordSource,
            setup.nRecordSource == 2 ? setup.nRecordSourceChannel : 0,
            setup.fChanScale[channel],
            setup.fChanOffset[channel],
            setup.dTimeScale,
            setup.dTimeOffset};
}

} // namespace

bool SaveRecFile(const std::string& path, _OX_SETUP* setup, const std::uint8_t* data) {
    if (setup == nullptr) {
        return false;
    }
    const RecordFileHeader header = HeaderOf(*setup);
    setup->nRecordState = oxcmd::code::kRecordIdle;
    return WriteRecordFile(path, header, data);
}
