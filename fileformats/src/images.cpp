// Waveform (".wfm") and setup (".set") files: images of the records, plus samples.
#include "fileformats.h"
#include "ox_commands.h"

#include "bytes.h"
#include "oxcommon.h"
#include "writing.h"

#include <climits>
#include <cstring>

namespace oxfile {

namespace {

constexpr std::size_t kSetupLengthWord = kSetupFileSize - 8; // 11,672
constexpr std::size_t kWaveformImages = 4;
constexpr std::size_t kWaveformCounts = kWaveformImages + kImagesSize;

Result FromReadResult(int read) {
    switch (read) {
    case 0:
        return Result::Ok;
    case 2:
        return Result::CannotOpen;
    case 3:
        return Result::WrongTag;
    default:
        return Result::WrongLength;
    }
}

// Reads a tagged file of exactly `length` bytes.
Result ReadTagged(const std::string& path, std::uint16_t tag, std::string& image) {
    int length = static_cast<int>(image.size());
    return FromReadResult(OxReadFile(tag, image.data(), length, path));
}

// The point count a channel's samples must have in a file of this setup.
std::uint32_t ChannelPoints(const _OX_SETUP& setup, int channel) {
    int points = setup.nTrigMode == oxcmd::code::kAlternate ? setup.nAltMemoryRec[channel]
                                                            : setup.nAcqMemoryRec;
    return points > 0 ? static_cast<std::uint32_t>(points) : 0;
}

std::uint32_t AnalyzerBytes(const _OX_SETUP& setup) {
    return setup.nAcqMemoryRec > 0 ? 2 * static_cast<std::uint32_t>(setup.nAcqMemoryRec) : 0;
}

bool CountClaimed(std::uint32_t count, std::uint32_t claimed) {
    return count == 0 || count == claimed;
}

void CopySamples(const std::string& image, std::size_t& offset, std::span<std::uint8_t> buffer,
                 std::uint32_t count) {
    if (count > 0) {
        std::memcpy(buffer.data(), image.data() + offset, count);
        offset += count;
    }
}

} // namespace

SampleCounts CountsOf(const _OX_SETUP& setup) {
    SampleCounts counts;
    counts.ch1 = setup.bChanShownStop[0] ? ChannelPoints(setup, 0) : 0;
    counts.ch2 = setup.bChanShownStop[1] ? ChannelPoints(setup, 1) : 0;
    counts.la = setup.bLaShownStop ? AnalyzerBytes(setup) : 0;
    return counts;
}

std::string BuildSetupImage(const _OX_SETUP& setup, const _OX_RGN_SETUP& region) {
    std::string image(kSetupFileSize, '\0');
    PutAt<std::uint32_t>(image, 0, kSetupTag);
    PutAt<std::uint32_t>(image, 4, kSetupLengthWord);
    PutRecord(image, 8, setup);
    PutRecord(image, 8 + sizeof setup, region);
    return image;
}

Result SaveSetupFile(const std::string& path, const _OX_SETUP& setup, const _OX_RGN_SETUP& region,
                     bool overwrite) {
    return WriteImage(path, BuildSetupImage(setup, region), overwrite);
}

Result SaveWaveformFile(const std::string& path, const _OX_SETUP& setup,
                        const _OX_RGN_SETUP& region, const ConstSamples& samples, bool overwrite) {
    SampleCounts counts = CountsOf(setup);
    if (!Holds(samples, counts)) {
        return Result::BadRecord;
    }
    std::string image(kWaveformHeaderSize, '\0');
    PutAt<std::uint16_t>(image, 0, kWaveformTag);
    PutRecord(image, kWaveformImages, setup);
    PutRecord(image, kWaveformImages + sizeof setup, region);
    PutAt(image, kWaveformCounts, counts.ch1);
    PutAt(image, kWaveformCounts + 4, counts.ch2);
    PutAt(image, kWaveformCounts + 8, counts.la);
    AppendSamples(image, samples, counts);
    return WriteImage(path, image, overwrite);
}

Result LoadSetupFile(const std::string& path, _OX_SETUP& setup, _OX_RGN_SETUP& region) {
    int length = OxGetFileLength(path);
    if (length <= 0) {
        return Result::CannotOpen;
    }
    if (static_cast<std::size_t>(length) != kSetupFileSize) {
        return Result::WrongLength;
    }
    std::string image(kSetupFileSize, '\0');
    if (Result read = ReadTagged(path, kSetupTag, image); read != Result::Ok) {
        return read;
    }
    _OX_SETUP loaded;
    _OX_RGN_SETUP loadedRegion;
    GetRecord(image, 8, loaded);
    GetRecord(image, 8 + sizeof loaded, loadedRegion);
    KeepLiveFields(setup, loaded);
    KeepLiveFlags(region, loadedRegion);
    loaded.bDataValid = 0;
    setup = loaded;
    region = loadedRegion;
    return Result::Ok;
}

Result LoadWaveformFile(const std::string& path, _OX_SETUP& setup, _OX_RGN_SETUP& region,
                        const SampleBuffers& buffers) {
    const long long length = OxGetFileLength(path);
    if (length <= 0) {
        return Result::CannotOpen;
    }
    const unsigned long long largest = kWaveformHeaderSize +
                                       static_cast<unsigned long long>(buffers.ch1.size()) +
                                       buffers.ch2.size() + buffers.la.size();
    if (static_cast<unsigned long long>(length) < kWaveformHeaderSize ||
        static_cast<unsigned long long>(length) > largest || length >= INT_MAX) {
        return Result::WrongLength;
    }
    std::string image(static_cast<std::size_t>(length), '\0');
    if (Result read = ReadTagged(path, kWaveformTag, image); read != Result::Ok) {
        return read;
    }
    _OX_SETUP loaded;
    GetRecord(image, kWaveformImages, loaded);
    SampleCounts counts{GetAt<std::uint32_t>(image, kWaveformCounts),
                        GetAt<std::uint32_t>(image, kWaveformCounts + 4),
                        GetAt<std::uint32_t>(image, kWaveformCounts + 8)};
    const unsigned long long total =
        kWaveformHeaderSize + static_cast<unsigned long long>(counts.ch1) + counts.ch2 + counts.la;
    if (total != static_cast<unsigned long long>(length) || counts.ch1 > buffers.ch1.size() ||
        counts.ch2 > buffers.ch2.size() || counts.la > buffers.la.size() ||
        !CountClaimed(counts.ch1, ChannelPoints(loaded, 0)) ||
        !CountClaimed(counts.ch2, ChannelPoints(loaded, 1)) ||
        !CountClaimed(counts.la, AnalyzerBytes(loaded))) {
        return Result::WrongLength;
    }
    _OX_RGN_SETUP loadedRegion;
    GetRecord(image, kWaveformImages + sizeof loaded, loadedRegion);
    KeepLiveFields(setup, loaded);
    KeepLiveFlags(region, loadedRegion);
    setup = loaded;
    region = loadedRegion;
    std::size_t offset = kWaveformHeaderSize;
    CopySamples(image, offset, buffers.ch1, counts.ch1);
    CopySamples(image, offset, buffers.ch2, counts.ch2);
    if (setup.bLaInstalled) {
        CopySamples(image, offset, buffers.la, counts.la);
    }
    return Result::Ok;
}

} // namespace oxfile
