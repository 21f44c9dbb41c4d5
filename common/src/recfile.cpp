// The record file: a fixed header describing the recording, then the frames in order.
#include "oxcommon.h"

#include "ox_records.h"

#include <climits>
#include <cstring>
#include <vector>

namespace {

constexpr int kHeaderBytes = 16048;
constexpr int kFrameBytes = 2048;
constexpr int kMaxFrames = (INT_MAX - kHeaderBytes) / kFrameBytes;

template <typename T>
void Put(std::vector<std::uint8_t>& image, int offset, T value) {
    // Little-endian on every platform we build for; the record layout assumes it too.
    std::memcpy(image.data() + offset, &value, sizeof value);
}

// The channel whose scale and offset describe the recording: the source channel of a
// derived source (index 2), else the source itself; anything else falls back to CH1.
int EffectiveChannel(const _OX_SETUP& setup) {
    const int channel = setup.nRecordSource == 2 ? setup.nRecordSourceChannel : setup.nRecordSource;
    return channel == 1 ? 1 : 0;
}

} // namespace

bool SaveRecFile(const std::string& path, _OX_SETUP* setup, const std::uint8_t* data) {
    if (setup == nullptr) {
        return false;
    }
    const int frames = setup->nRecordFrames;
    setup->nRecordState = 0;
    if (frames <= 0 || frames > kMaxFrames || data == nullptr) {
        return false;
    }
    const int dataBytes = frames * kFrameBytes;
    std::vector<std::uint8_t> image(static_cast<std::size_t>(kHeaderBytes) + dataBytes, 0);
    const int channel = EffectiveChannel(*setup);
    Put<std::uint16_t>(image, 0, 0x4352);  // "RC"
    Put<std::uint32_t>(image, 4, kFrameBytes);
    Put<std::int32_t>(image, 8, dataBytes);
    Put<std::int32_t>(image, 12, frames);
    Put<std::int32_t>(image, 16, setup->nRecordSource);
    Put<std::int32_t>(image, 20, setup->nRecordSource == 2 ? setup->nRecordSourceChannel : 0);
    Put<float>(image, 24, setup->fChanScale[channel]);
    Put<float>(image, 28, setup->fChanOffset[channel]);
    Put<double>(image, 32, setup->dTimeScale);
    Put<double>(image, 40, setup->dTimeOffset);
    std::memcpy(image.data() + kHeaderBytes, data, static_cast<std::size_t>(dataBytes));
    return OxWriteFile(image.data(), static_cast<int>(image.size()), path, false) == 0;
}
