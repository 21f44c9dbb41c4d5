// Acquire group 3141: acquisition type, mode, averages, memory depth and the rates;
// and the re-reading of the rates and time bases from the instrument.
#include "ox_handlers_vertical.h"

#include "handlers_vertical.h"
#include "link_internal.h"

#include <algorithm>
#include <array>

using namespace oxmsg::handlerkit;

namespace {

constexpr std::array<const char*, 3> kAcqTypes = {"NORMAL", "AVERAGE", "PEAKDETECT"};
constexpr double kSecondsPerPs = 1e-12;

void ComposeAcquire(IOCmdContext& context, const char* leaf, const std::string& argument) {
    Compose(context, ":ACQUIRE", "", leaf, argument);
}

// A rate is only noted; the empty command line makes the dispatcher read the
// instrument's setup back.
void NoteRate(IOCmdContext& context, float& field, float rate) {
    field = rate;
    context.command.clear();
    context.readBack = true;
}

void ChangeType(IOCmdContext& context, long type) {
    const std::optional<int> picked = Pick(context, type, kAcqTypes.size());
    if (!picked) return;
    Setup().nAcqType = *picked;
    ComposeAcquire(context, ":TYPE", TextAt(kAcqTypes, *picked));
    SetRefreshWave(true);
}

void ChangeMemory(IOCmdContext& context, int points) {
    _OX_SETUP& s = Setup();
    s.nAcqMemory = points;
    s.bAcqLongMemory = points >= oxcmd::code::kLongMemoryPoints ? 1 : 0;
    ComposeAcquire(context, ":MEMORY", s.bAcqLongMemory ? "FULL" : "NORMAL");
    Region().bRedrawMemBar = 1;
}

double Seconds(std::int64_t ps) {
    return static_cast<double>(ps) * kSecondsPerPs;
}

// One setup block from the instrument: USB request `request`, or the LAN query; the firmware
// copy's block when nothing was sent since the copy was read.
template <class Block>
bool ReadBlock(int request, const char* query, Block& block, const Block& copied) {
    using namespace oxmsg::link;
    if (!Connected()) return false;
    if (oxmsg::FirmwareSetupCurrent()) {
        block = copied;
        return true;
    }
    constexpr int size = static_cast<int>(Block::kSize);
    if (OverLan()) return ReadSetup(query, block.bytes, size) == size;
    return UsbReadBlock(request, block.bytes, size);
}

bool UsesAlternateTrigger() {
    return Setup().nTrigMode == oxcmd::code::kAlternate;
}

void CopyRates(const DSO_SETUP& dso, _OX_SETUP& s) {
    namespace f = oxrec::dso;
    s.fSampleRate = dso.get(f::fSampleRate);
    s.fSampleRateMem = dso.get(f::fSampleRateMem);
    s.nAcqMemory = dso.get(f::nAcqMemory);
}

void CopyAlternateTimebases(const DSO_ALT_SETUP& alt, _OX_SETUP& s) {
    namespace f = oxrec::alt;
    for (int c = 0; c < 2; ++c) {
        s.llAltTimeScalePs[c] = alt.get(f::llAltTimeScalePs[c]);
        s.llAltTimeOffsetPs[c] = alt.get(f::llAltTimeOffsetPs[c]);
        s.dAltTimeScale[c] = Seconds(s.llAltTimeScalePs[c]);
        s.dAltTimeOffset[c] = Seconds(s.llAltTimeOffsetPs[c]);
    }
}

void CopyTimebases(const DSO_SETUP& dso, _OX_SETUP& s) {
    namespace f = oxrec::dso;
    s.llTimeScalePs = dso.get(f::llTimeScalePs);
    s.llTimeOffsetPs = dso.get(f::llTimeOffsetPs);
    s.llDelayedScalePs = std::min(dso.get(f::llDelayedScalePs), s.llTimeScalePs);
    s.llDelayedOffsetPs = dso.get(f::llDelayedOffsetPs);
    s.dTimeScale = Seconds(s.llTimeScalePs);
    s.dTimeOffset = Seconds(s.llTimeOffsetPs);
    s.dDelayedScale = Seconds(s.llDelayedScalePs);
    s.dDelayedOffset = Seconds(s.llDelayedOffsetPs);
}

// Reads the blocks first and copies only when every one needed arrived whole.
bool ReadRates(bool withTimebases) {
    if (oxmsg::Records().setup == nullptr) return false;
    DSO_SETUP dso{};
    DSO_ALT_SETUP alt{};
    const bool alternate = UsesAlternateTrigger();
    const oxmsg::FirmwareSetup& copy = oxmsg::FirmwareSetupCopy();
    if (!ReadBlock(6, ":SETUP:DSO?", dso, copy.dso) ||
        (alternate && !ReadBlock(13, ":SETUP:ALT?", alt, copy.alt)))
        return false;
    _OX_SETUP& s = Setup();
    CopyRates(dso, s);
    if (alternate) CopyAlternateTimebases(alt, s);
    if (withTimebases) CopyTimebases(dso, s);
    return true;
}

} // namespace

namespace oxmsg::vertical {

void AcquireHandler(IOCmdContext& context, unsigned int subCmd, long, std::uint32_t argLow,
                    std::uint32_t argHigh) {
    const Arg arg{argLow, argHigh};
    _OX_SETUP& s = Setup();
    switch (subCmd) {
    case oxcmd::acquire::kType:
        ChangeType(context, arg.Int());
        break;
    case oxcmd::acquire::kRealTime:
        s.bAcqRealTime = arg.Byte() ? 1 : 0;
        ComposeAcquire(context, ":MODE", s.bAcqRealTime ? "RTIME" : "ETIME");
        break;
    case oxcmd::acquire::kAverages:
        if (RefusedOutside(context, OxDomain::AverageCount, arg.Int())) break;
        s.nAcqAverages = ValidateAcqAvgNumber(arg.Int());
        ComposeAcquire(context, ":AVERAGES", Format("%d", s.nAcqAverages));
        break;
    case oxcmd::acquire::kMemory:
        ChangeMemory(context, arg.Int());
        break;
    case oxcmd::acquire::kSampleRate:
        NoteRate(context, s.fSampleRate, arg.Float());
        break;
    case oxcmd::acquire::kRecordRate:
        NoteRate(context, s.fSampleRateMem, arg.Float());
        break;
    default:
        context.send = false;
        break;
    }
}

} // namespace oxmsg::vertical

bool GetAcqSaRate() {
    return ReadRates(false);
}

bool GetTimeScalePara() {
    return ReadRates(true);
}
