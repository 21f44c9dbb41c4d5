// The waveform file of the other PC software (".kwfm"): a 276-byte header and the samples.
#include "fileformats.h"
#include "ox_commands.h"

#include "bytes.h"
#include "writing.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

namespace oxfile {

namespace {

constexpr std::size_t kCh2Stride = 24;    // CH2's scale items follow CH1's
constexpr std::size_t kAltCh2Stride = 40; // CH2's alternate trigger follows CH1's
constexpr std::size_t kAltWordCount = 9;
constexpr double kMicro = 1'000'000.0;
constexpr double kCodesPerDivision = 25.0;

// Truncated towards zero and limited to the target's range; NaN gives 0.
template <class T> T Saturated(double value) {
    if (std::isnan(value)) {
        return 0;
    }
    value = std::clamp(std::trunc(value), -static_cast<double>(std::numeric_limits<T>::max()),
                       static_cast<double>(std::numeric_limits<T>::max()));
    return static_cast<T>(value);
}

double Ratio(double a, double b) {
    return b == 0.0 ? 0.0 : a / b;
}

std::int32_t MicroVoltsAtInput(float scale, float probe) {
    return Saturated<std::int32_t>(Ratio(scale, probe) * kMicro);
}

std::int16_t OffsetCodes(float offset, float scale) {
    return Saturated<std::int16_t>(Ratio(offset, scale) * kCodesPerDivision);
}

std::uint8_t KwfmCoupling(std::int32_t coupling) {
    switch (coupling) {
    case 1:
        return 3;
    case 3:
        return 1;
    default:
        return static_cast<std::uint8_t>(coupling);
    }
}

void PutChannel(std::string& header, const _OX_SETUP& s, int c) {
    const std::size_t at = 36 + kCh2Stride * static_cast<std::size_t>(c);
    PutAt(header, at, MicroVoltsAtInput(s.fChanScale[c], s.fChanProbe[c]));
    PutAt(header, at + 4, OffsetCodes(s.fChanOffset[c], s.fChanScale[c]));
    PutAt(header, at + 8, s.fChanProbe[c]);
    PutAt(header, at + 12, s.bChanInvert[c]);
    PutAt(header, at + 13, s.bChanShownStop[c]);
    PutAt(header, at + 14, s.bChanInvertRec[c]);
    PutAt(header, at + 16, MicroVoltsAtInput(s.fChanScaleRec[c], s.fChanProbe[c]));
    PutAt(header, at + 20, OffsetCodes(s.fChanOffsetRec[c], s.fChanScaleRec[c]));
}

void PutAlternate(std::string& header, const _OX_SETUP& s, int c) {
    const std::size_t shift = kAltCh2Stride * static_cast<std::size_t>(c);
    PutAt(header, 143 + shift, static_cast<std::uint8_t>(s.nAltType[c]));
    PutAt(header, 145 + shift, KwfmCoupling(s.nAltCoupling[c]));
    PutAt(header, 146 + shift, static_cast<std::uint8_t>(s.nTrigSweep));
    PutAt(header, 148 + shift, s.fAltSensitivity[c]);
    PutAt(header, 152 + shift, static_cast<float>(s.dAltHoldoff[c]));
    PutAt(header, 156 + shift, static_cast<float>(s.dAltHoldoff[c]));
    PutAt(header, 160 + shift, static_cast<std::uint8_t>(s.nAltEdgeSlope[c]));
    PutAt(header, 161 + shift, static_cast<std::uint8_t>(s.nAltPulseMode[c]));
    PutAt(header, 164 + shift, static_cast<float>(s.dAltPulseWidth[c]));
    PutAt(header, 168 + shift, static_cast<std::uint8_t>(s.nAltSlopeMode[c]));
    PutAt(header, 172 + shift, s.fAltSlopeLevelB[c]);
    PutAt(header, 176 + shift, static_cast<float>(s.dAltSlopeTime[c]));
    PutAt(header, 180 + shift, static_cast<std::uint8_t>(s.nAltVideoPolarity[c]));
    PutAt(header, 181 + shift, static_cast<std::uint8_t>(s.nAltVideoMode[c]));
    PutAt(header, 182 + shift, static_cast<std::uint8_t>(s.nAltVideoStandard[c]));
}

std::uint16_t ShownLines(const _OX_SETUP& s) {
    std::uint16_t lines = 0;
    for (int line = 0; line < 16; ++line) {
        if (s.bLaChannel[line]) {
            lines = static_cast<std::uint16_t>(lines | (1u << line));
        }
    }
    return lines;
}

void PutTimebase(std::string& header, const _OX_SETUP& s) {
    PutAt(header, 82, s.bDelayed);
    PutAt(header, 84, s.llTimeScalePs);
    PutAt(header, 92, s.llTimeOffsetPs);
    PutAt(header, 100, s.fSampleRate);
    PutAt(header, 104, s.llTimeScalePsRec);
    PutAt(header, 112, s.llTimeOffsetPsRec);
}

void PutAnalyzer(std::string& header, const _OX_SETUP& s) {
    PutAt(header, 120, s.bLaShownStop);
    PutAt(header, 122, ShownLines(s));
    for (std::uint8_t line = 0; line < 16; ++line) {
        PutAt(header, 124 + line, line);
    }
}

void PutTrigger(std::string& header, const _OX_SETUP& s) {
    PutAt<std::uint8_t>(header, 140, 1);
    PutAt(header, 142, static_cast<std::uint8_t>(s.nTrigMode));
    PutAlternate(header, s, 0);
    PutAt<std::uint8_t>(header, 184, 1);
    PutAlternate(header, s, 1);
    PutAt<std::uint16_t>(header, 224, 0x0F0F);
    PutAt(header, 226, static_cast<std::uint8_t>(s.nDurationQualifier));
    PutAt(header, 228, static_cast<float>(s.dDurationTime));
    PutAt(header, 232, s.nAltMemoryRec[1]);
    // The first nine words of the alternate-trigger group, in record order.
    static_assert(offsetof(_OX_SETUP, nAltSource) + 4 * kAltWordCount <=
                  offsetof(_OX_SETUP, nAltWord8));
    std::memcpy(header.data() + 236,
                reinterpret_cast<const char*>(&s) + offsetof(_OX_SETUP, nAltSource),
                4 * kAltWordCount);
    PutAt(header, 272, s.fSampleRate);
}

} // namespace

std::string BuildKwfmHeader(const _OX_SETUP& s) {
    std::string header(kKwfmHeaderSize, '\0');
    const SampleCounts counts = CountsOf(s);
    PutAt(header, 0, kKwfmTag);
    PutAt(header, 4, counts.ch1);
    PutAt(header, 8, counts.ch2);
    PutAt(header, 12, counts.la);
    PutAt<std::uint8_t>(header, 16, 1);
    PutAt(header, 28,
          s.nTrigMode == oxcmd::code::kAlternate ? s.nAltMemoryRec[0] : s.nAcqMemoryRec);
    PutAt(header, 32, static_cast<std::uint8_t>(std::min((s.nActiveChannel & 0xFF) + 1, 2)));
    PutChannel(header, s, 0);
    PutChannel(header, s, 1);
    PutTimebase(header, s);
    PutAnalyzer(header, s);
    PutTrigger(header, s);
    return header;
}

Result SaveKwfmFile(const std::string& path, const _OX_SETUP& setup, const ConstSamples& samples,
                    bool overwrite) {
    const SampleCounts counts = CountsOf(setup);
    if (!Holds(samples, counts)) {
        return Result::BadRecord;
    }
    std::string image = BuildKwfmHeader(setup);
    AppendSamples(image, samples, counts);
    return WriteImage(path, image, overwrite);
}

} // namespace oxfile
