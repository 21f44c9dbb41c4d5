// Timebase group 3139: main and delayed time scale and offset, the horizontal format,
// and the per-channel time base of the alternate trigger. Every time is kept in whole
// picoseconds and, derived from them, in seconds.
#include "ox_handlers_vertical.h"

#include "handlers_vertical.h"

#include <algorithm>
#include <array>

using namespace oxmsg::handlerkit;
namespace screen = oxmsg::vertical;

namespace {
constexpr int kChannels = 2;
constexpr std::int64_t kSlowSweepScalePs = 50'000'000'000;    // 50 ms/div
constexpr std::int64_t kSlowestRollScalePs = 500'000'000'000; // 0.5 s/div
constexpr std::int64_t kFastestXYScalePs = 500'000;           // 500 ns/div
constexpr std::int64_t kSlowestXYScalePs = 20'000'000'000;    // 20 ms/div
constexpr double kSecondsPerPs = 1e-12;

constexpr std::array<const char*, 3> kFormats = {"YT", "XY", "ROLLING"};

double Seconds(std::int64_t ps) {
    return static_cast<double>(ps) * kSecondsPerPs;
}
std::int64_t Picoseconds(double seconds) {
    return ConvertToLONG(seconds, 12);
}

void ComposeSeconds(IOCmdContext& context, const std::string& subsystem, const std::string& node,
                    const std::string& leaf, double seconds) {
    Compose(context, subsystem, node, leaf, Format("%0.9f", seconds));
}

// With the delayed timebase off its scale silently follows the main one down, so that
// a main scale change is never blocked or reported on its account.
void FitDelayedScale() {
    _OX_SETUP& s = Setup();
    if (s.llDelayedScalePs <= 0 || s.llDelayedScalePs > s.llTimeScalePs)
        s.llDelayedScalePs = s.llTimeScalePs;
}

// The delayed window stays inside the main one; `keepMinimum` keeps the delayed scale
// and raises the main scale instead of lowering the delayed one.
void KeepDelayedInside(bool keepMinimum) {
    _OX_SETUP& s = Setup();
    if (!s.bDelayed) FitDelayedScale();
    std::int64_t scale = s.llTimeScalePs;
    std::int64_t minimum = s.llDelayedScalePs;
    std::int64_t offset = s.llTimeOffsetPs;
    std::int64_t delayedOffset = s.llDelayedOffsetPs;
    SetTimeBase(scale, minimum, offset, delayedOffset, keepMinimum);
    s.llTimeScalePs = scale;
    s.llDelayedScalePs = minimum;
    s.llTimeOffsetPs = offset;
    s.llDelayedOffsetPs = delayedOffset;
    s.dTimeScale = Seconds(s.llTimeScalePs);
    s.dTimeOffset = Seconds(s.llTimeOffsetPs);
    s.dDelayedScale = Seconds(s.llDelayedScalePs);
    s.dDelayedOffset = Seconds(s.llDelayedOffsetPs);
}

// The spectrum of a split screen keeps its offset within its span.
void RevalidateFFTOffsets() {
    if (!GetFFTSplitScreen()) return;
    _OX_SETUP& s = Setup();
    for (int k = 0; k < oxcmd::code::kMathTraces; ++k)
        if (s.nMathOperator[k] == oxcmd::code::kFFT)
            s.dFFTHorizOffset[k] = ValidateFFTHorizOffset(s.dFFTHorizOffset[k], s.fTraceSpan[k]);
}

void TimebaseChanged(bool keepMinimum) {
    KeepDelayedInside(keepMinimum);
    screen::TimebaseMarkersMoved();
    RevalidateFFTOffsets();
    SettingChanged();
    SetRefreshWave(true);
}

bool SlowSweepAt(std::int64_t scalePs) {
    return scalePs >= kSlowSweepScalePs;
}

void RaiseToRollingScale() {
    _OX_SETUP& s = Setup();
    s.llTimeScalePs = std::max(s.llTimeScalePs, kSlowestRollScalePs);
    s.dTimeScale = Seconds(s.llTimeScalePs);
}

// The format's own limits on a validated main scale.
std::int64_t MainScaleForFormat(std::int64_t ps) {
    _OX_SETUP& s = Setup();
    if (s.nTimeFormat == oxcmd::code::kRolling && s.bRun) {
        if (ps < kSlowestRollScalePs) {
            ps = kSlowestRollScalePs;
            SetSystemError("Time/Div at lower limit");
        }
        WriteDirect(":CLEARUSB");
    } else if (s.nTimeFormat == oxcmd::code::kXY) {
        if (ps < kFastestXYScalePs) {
            ps = kFastestXYScalePs;
            SetSystemError("Time/Div at lower limit");
        } else if (ps > kSlowestXYScalePs) {
            ps = kSlowestXYScalePs;
            SetSystemError("Time/Div at upper limit");
        }
    } else if (s.nTimeFormat == oxcmd::code::kYT) {
        s.bSlowSweep = SlowSweepAt(ps) ? 1 : 0;
    }
    return ps;
}

void ChangeMainScale(IOCmdContext& context, double seconds) {
    if (RefusedOutside(context, OxDomain::TimePerDiv, seconds)) return;
    _OX_SETUP& s = Setup();
    s.llTimeScalePs = MainScaleForFormat(Picoseconds(ValidateTimeScale(seconds)));
    TimebaseChanged(true);
    ComposeSeconds(context, ":TIMEBASE", "", ":SCALE", s.dTimeScale);
}

void ChangeMainOffset(IOCmdContext& context, double seconds) {
    _OX_SETUP& s = Setup();
    if (s.nTimeFormat == oxcmd::code::kRolling) {
        Refuse(context, kNotAtRolling);
        return;
    }
    s.llTimeOffsetPs = Picoseconds(ValidateTimeOffset(seconds));
    TimebaseChanged(false);
    ComposeSeconds(context, ":TIMEBASE", "", ":OFFSET", s.dTimeOffset);
}

void ChangeDelayedScale(IOCmdContext& context, double seconds) {
    if (RefusedOutside(context, OxDomain::TimePerDiv, seconds)) return;
    _OX_SETUP& s = Setup();
    s.llDelayedScalePs = Picoseconds(ValidateTimeScale(seconds));
    TimebaseChanged(false);
    ComposeSeconds(context, ":TIMEBASE", ":DELAYED", ":SCALE", s.dDelayedScale);
}

void ChangeDelayedOffset(IOCmdContext& context, double seconds) {
    _OX_SETUP& s = Setup();
    s.llDelayedOffsetPs = Picoseconds(ValidateTimeOffset(seconds));
    TimebaseChanged(false);
    ComposeSeconds(context, ":TIMEBASE", ":DELAYED", ":OFFSET", s.dDelayedOffset);
}

// Why the delayed timebase cannot be switched on now, if it cannot.
const char* DelayedRefusal() {
    const _OX_SETUP& s = Setup();
    if (s.nTrigMode == oxcmd::code::kAlternate) return kNotAtAlternate;
    if (GetFFTOperator()) return "Function not available at FFT";
    if (s.nTimeFormat != oxcmd::code::kYT) return kNotAvailable;
    return nullptr;
}

void SwitchDelayed(IOCmdContext& context, bool on) {
    if (on) {
        if (const char* refusal = DelayedRefusal()) {
            Refuse(context, refusal);
            return;
        }
    }
    _OX_SETUP& s = Setup();
    s.bDelayed = on ? 1 : 0;
    if (on) {
        FitDelayedScale();
        KeepDelayedInside(false);
    }
    Compose(context, ":TIMEBASE", "", ":MODE", on ? "DELAYED" : "MAIN");
    ScreenLayoutChanged();
    if (!s.bSlowSweep && s.nTimeFormat != oxcmd::code::kRolling) SetRefreshWave(true);
}

void HideFilterTraces() {
    _OX_SETUP& s = Setup();
    for (int k = 0; k < oxcmd::code::kMathTraces; ++k)
        if (s.nMathOperator[k] == oxcmd::code::kFilter) s.bTraceShown[k] = 0;
}

void ChangeFormat(IOCmdContext& context, long format) {
    const std::optional<int> picked = Pick(context, format, kFormats.size());
    if (!picked) return;
    _OX_SETUP& s = Setup();
    s.nTimeFormat = *picked;
    switch (*picked) {
    case oxcmd::code::kXY:
        s.bChanDisplay[0] = 1;
        s.bChanDisplay[1] = 1;
        s.bLaEnable = 0;
        s.bDelayed = 0;
        s.bSlowSweep = 0;
        break;
    case oxcmd::code::kRolling:
        RaiseToRollingScale();
        HideFilterTraces();
        s.bDelayed = 0;
        s.bSlowSweep = 0;
        break;
    default:
        s.bSlowSweep = SlowSweepAt(s.llTimeScalePs) ? 1 : 0;
        break;
    }
    const bool timeAxis = *picked == oxcmd::code::kYT;
    s.bTrigSourceShown = timeAxis && IsTrigSourceShown() ? 1 : 0;
    Region().bTrigMarker = timeAxis ? 1 : 0;
    Compose(context, ":TIMEBASE", "", ":FORMAT", TextAt(kFormats, *picked));
    ScreenLayoutChanged();
}

std::string AlternateChannel(int c) {
    return c == 0 ? ":CHANNEL1" : ":CHANNEL2";
}

// The alternate trigger's time scale or time offset of one channel.
struct AlternateTime {
    double (*validate)(double);
    OxPacked<std::int64_t> (_OX_SETUP::*picoseconds)[2];
    OxPacked<double> (_OX_SETUP::*seconds)[2];
    const char* leaf;
};
constexpr AlternateTime kAlternateScale{ValidateAltTrigHorizScale, &_OX_SETUP::llAltTimeScalePs,
                                        &_OX_SETUP::dAltTimeScale, ":TIMESCALE"};
constexpr AlternateTime kAlternateOffset{ValidateAltTrigHorizOffset, &_OX_SETUP::llAltTimeOffsetPs,
                                         &_OX_SETUP::dAltTimeOffset, ":TIMEOFFSET"};

void ChangeAlternate(IOCmdContext& context, const AlternateTime& time, long channel, double value) {
    const std::optional<int> c = Pick(context, channel, kChannels);
    if (!c) return;
    _OX_SETUP& s = Setup();
    const std::int64_t ps = Picoseconds(time.validate(value));
    (s.*time.picoseconds)[*c] = ps;
    (s.*time.seconds)[*c] = Seconds(ps);
    screen::TimebaseMarkersMoved();
    SettingChanged();
    SetRefreshWave(true);
    ComposeSeconds(context, ":TRIGGER", ":ALTERNATION", AlternateChannel(*c) + time.leaf,
                   Seconds(ps));
}

void Redraw(IOCmdContext& context) {
    ScreenLayoutChanged();
    SetRefreshWave(true);
    context.send = false;
}

} // namespace

namespace oxmsg::vertical {

void TimebaseHandler(IOCmdContext& context, unsigned int subCmd, long value, std::uint32_t argLow,
                     std::uint32_t argHigh) {
    if (Setup().nRecordState == oxcmd::code::kPlaying) {
        Refuse(context, kNotAvailable);
        return;
    }
    const Arg arg{argLow, argHigh};
    switch (subCmd) {
    case oxcmd::timebase::kDelayed:
        SwitchDelayed(context, arg.Byte());
        break;
    case oxcmd::timebase::kFormat:
        ChangeFormat(context, arg.Int());
        break;
    case oxcmd::timebase::kMainOffset:
        ChangeMainOffset(context, arg.Double());
        break;
    case oxcmd::timebase::kMainScale:
        ChangeMainScale(context, arg.Double());
        break;
    case oxcmd::timebase::kDelayedOffset:
        ChangeDelayedOffset(context, arg.Double());
        break;
    case oxcmd::timebase::kDelayedScale:
        ChangeDelayedScale(context, arg.Double());
        break;
    case oxcmd::timebase::kRedraw:
        Redraw(context);
        break;
    case oxcmd::timebase::kAltScale:
        if (RefusedOutside(context, OxDomain::TimePerDiv, arg.Double())) break;
        ChangeAlternate(context, kAlternateScale, value, arg.Double());
        break;
    case oxcmd::timebase::kAltOffset:
        ChangeAlternate(context, kAlternateOffset, value, arg.Double());
        break;
    default:
        context.send = false;
        break;
    }
}

} // namespace oxmsg::vertical
