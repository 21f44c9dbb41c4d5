// The sample blocks after a header, and the atomic write every saver uses.
#include "writing.h"

#include "oxcommon.h"

#include <climits>
#include <cmath>

namespace oxfile {

namespace {

void AppendBlock(std::string& image, std::span<const std::uint8_t> buffer, std::uint32_t count) {
    if (count > 0) {
        image.append(reinterpret_cast<const char*>(buffer.data()), count);
    }
}

} // namespace

bool Positive(double value) {
    return std::isfinite(value) && value > 0.0;
}

double RecordRate(const _OX_SETUP& setup) {
    return setup.bAcqRealTime ? setup.fSampleRateRec : setup.fSampleRateRecEquiv;
}

bool MakeColumn(const _OX_SETUP& s, int c, std::span<const std::uint8_t> buffer, int points,
                double rate, double t0, ChannelColumn& column) {
    constexpr double kVoltsPerCode = 0.04; // 25 codes per division
    constexpr double kCentreCode = 125.0;
    constexpr double kCodesPerDivision = 25.0;
    const double scale = s.fChanScaleRec[c];
    if (!Positive(rate) || !Positive(scale) || points <= 0 ||
        buffer.size() < static_cast<std::size_t>(points)) {
        return false;
    }
    column.samples = buffer.data();
    column.points = points;
    column.dt = 1.0 / rate;
    column.t0 = t0;
    column.zero = std::trunc(kCentreCode - s.fChanOffsetRec[c] * kCodesPerDivision / scale);
    column.voltsPerCode = scale * kVoltsPerCode;
    return std::isfinite(column.zero);
}

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
