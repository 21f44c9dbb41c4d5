// The record file: a fixed header describing the recording, then the frames in order.
#include "oxcommon.h"

#include <climits>
#include <cstring>
#include <vector>

namespace {

constexpr int kHeaderBytes = 16048;
constexpr int kFrameBytes = 2048;
constexpr int kMaxFrames = (INT_MAX - kHeaderBytes) / kFrameBytes;

template <typename T> void Put(std::vector<std::uint8_t>& image, int offset, T value) {
    // Little-endian on every platform we build for; the record layout assumes it too.
    std::memcpy(image.data() + offset, &value, sizeof value);
}

} // namespace

bool WriteRecordFile(const std::string& path, const RecordFileHeader& header,
                     const std::uint8_t* data) {
    if (header.frames <= 0 || header.frames > kMaxFrames || data == nullptr) {
        return false;
    }
    const int dataBytes = header.frames * kFrameBytes;
    std::vector<std::uint8_t> image(static_cast<std::size_t>(kHeaderBytes) + dataBytes, 0);
    Put<std::uint16_t>(image, 0, 0x4352); // "RC"
    Put<std::uint32_t>(image, 4, kFrameBytes);
    Put<std::int32_t>(image, 8, dataBytes);
    Put<std::int32_t>(image, 12, header.frames);
    Put<std::int32_t>(image, 16, header.source);
    Put<std::int32_t>(image, 20, header.sourceChannel);
    Put<float>(image, 24, header.scale);
    Put<float>(image, 28, header.offset);
    Put<double>(image, 32, header.timeScale);
    Put<double>(image, 40, header.timeOffset);
    std::memcpy(image.data() + kHeaderBytes, data, static_cast<std::size_t>(dataBytes));
    return OxWriteFile(image.data(), static_cast<int>(image.size()), path, false) == 0;
}
