// The sample blocks after a header, and the atomic write every saver uses.
#include "writing.h"

#include "oxcommon.h"

#include <climits>

namespace oxfile {

namespace {

void AppendBlock(std::string& image, std::span<const std::uint8_t> buffer, std::uint32_t count) {
    if (count > 0) {
        image.append(reinterpret_cast<const char*>(buffer.data()), count);
    }
}

} // namespace

bool Holds(const ConstSamples& samples, const SampleCounts& counts) {
    return counts.ch1 <= samples.ch1.size() && counts.ch2 <= samples.ch2.size() &&
           counts.la <= samples.la.size();
}

void AppendSamples(std::string& image, const ConstSamples& samples, const SampleCounts& counts) {
    image.reserve(image.size() + std::size_t{counts.ch1} + counts.ch2 + counts.la);
    AppendBlock(image, samples.ch1, counts.ch1);
    AppendBlock(image, samples.ch2, counts.ch2);
    AppendBlock(image, samples.la, counts.la);
}

Result WriteImage(const std::string& path, const std::string& image, bool overwrite) {
    if (image.empty() || image.size() > static_cast<std::size_t>(INT_MAX)) {
        return Result::WriteFailed;
    }
    switch (OxWriteFile(image.data(), static_cast<int>(image.size()), path, overwrite)) {
    case 0:
        return Result::Ok;
    case 4:
        return Result::Refused;
    default:
        return Result::WriteFailed;
    }
}

} // namespace oxfile
