// Display style and reference waveforms: drawn by the application, so the handlers
// store the setting and ask for a redraw.
#include "ox_handlers_math.h"

#include "handlers_kit.h"

#include <cmath>

namespace {

using namespace oxmsg::handlerkit;

constexpr int kRefSlots = 4;
constexpr int kFFTKind = 3;

// Intensities are kept in percent.
std::int32_t Percent(float fraction) {
    return static_cast<std::int32_t>(std::lround(fraction * 100.0f));
}

void CopyShownToStopped() {
    _OX_SETUP& s = Setup();
    s.bChanShownStop[0] = s.bChanDisplay[0];
    s.bChanShownStop[1] = s.bChanDisplay[1];
    s.bLaShownStop = s.bLaEnable;
}

void SetDisplayMode(IOCmdContext& context, const Arg& arg) {
    _OX_SETUP& s = Setup();
    if (s.nTrigMode == oxcmd::code::kAlternate) return Refuse(context, kNotAtAlternate);
    if (s.nTimeFormat == oxcmd::code::kXY) return Refuse(context, kNotAtXY);
    s.nDisplayMode = arg.Int();
    ScreenLayoutChanged();
}

// The display loop (I/O thread) empties the persistence history on its next tick, the way
// it does after a plot-style change: ":CLEARUSB" and the counters afresh.
void ClearPersistence() {
    Region().bClearPersist = 1;
}

void SetColorGrade(const Arg& arg) {
    Setup().bDisplayColorGrade = arg.Byte() ? 1 : 0;
    ClearPersistence(); // what was gathered in the other style is not shown in this one
}

void SetBackgroundGrey(IOCmdContext& context, const Arg& arg) {
    if (arg.Int() < 0 || arg.Int() > oxcmd::display::kMaxBackgroundGrey)
        return Refuse(context, kNotAvailable);
    Setup().byBackgroundGrey = static_cast<std::uint8_t>(arg.Int());
}

bool IsFFTSlot(int r) {
    return Setup().nRefKind[r] == kFFTKind;
}

std::string RefUnit(int r) {
    const _OX_SETUP& s = Setup();
    return std::string(s.szRefUnit[r], strnlen(s.szRefUnit[r], sizeof s.szRefUnit[r]));
}

// The vertical scale validated as the kind of trace the slot holds.
float ValidRefScale(int r, float scale) {
    const _OX_SETUP& s = Setup();
    if (IsFFTSlot(r))
        return RefUnit(r) == "dBVrms" ? ValidateFFTdBVrmsScale(scale)
                                      : ValidateFFTVrmsScalef(scale);
    if (s.nRefSource[r] == 0 || s.nRefSource[r] == 1) return ValidateRefVertScale(scale, 1.0f);
    return ValidateMathScalef(scale);
}

void SetRefDisplay(IOCmdContext& context, int r, const Arg& arg) {
    if (Setup().nTimeFormat == oxcmd::code::kXY) return Refuse(context, kNotAtXY);
    Setup().bRefDisplay[r] = arg.Byte() ? 1 : 0;
}

// An FFT slot spans seven of its divisions from its default offset.
double RefSpan(int r) {
    return 7.0 * Setup().dRefTimeScale[r];
}

void HandleRef(IOCmdContext& context, unsigned int subCmd, int r, const Arg& arg) {
    _OX_SETUP& s = Setup();
    switch (subCmd) {
    case oxcmd::reference::kSource:
        Choose(context, s.nRefSource[r], arg, 6);
        break;
    case oxcmd::reference::kShown:
        SetRefDisplay(context, r, arg);
        break;
    case oxcmd::reference::kVertScale:
        s.fRefScale[r] = ValidRefScale(r, arg.Float());
        break;
    case oxcmd::reference::kVertOffset:
        s.fRefOffset[r] = ValidateRefVertOffset(arg.Float(), s.fRefScale[r]);
        break;
    case oxcmd::reference::kHorizScale:
        s.dRefTimeScale[r] =
            IsFFTSlot(r) ? ValidateRefFFTHorizScale(arg.Double(), s.dTimeScaleRec, -1, nullptr)
                         : ValidateRefHorizScale(arg.Double());
        break;
    case oxcmd::reference::kHorizOffset:
        s.dRefTimeOffset[r] = IsFFTSlot(r) ? ValidateFFTHorizOffset(arg.Double(), RefSpan(r))
                                           : ValidateRefHorizOffset(arg.Double());
        break;
    case oxcmd::reference::kPosition:
        s.nRefLength[r] = s.nAcqMemoryRec;
        s.fRefSampleRate[r] = s.fSampleRateRec;
        break;
    default:
        return;
    }
    Region().bRedrawRef = 1;
    SetRefreshWave(true);
}

} // namespace

void oxmsg::handlerkit::DisplayHandler(IOCmdContext& context, unsigned int subCmd, long,
                                       std::uint32_t argLow, std::uint32_t argHigh) {
    _OX_SETUP& s = Setup();
    const Arg arg{argLow, argHigh};
    switch (subCmd) {
    case oxcmd::display::kType:
        Choose(context, s.nDisplayType, arg, 2);
        break;
    case oxcmd::display::kGrid:
        Choose(context, s.nDisplayGrid, arg, 2);
        break;
    case oxcmd::display::kPersist:
        s.bDisplayPersist = arg.Byte() ? 1 : 0;
        break;
    case oxcmd::display::kCopyShownToStopped:
        CopyShownToStopped();
        break;
    case oxcmd::display::kWaveIntensity:
        s.nWaveIntensity = Percent(ValidateWaveIntensity(arg.Float()));
        break;
    case oxcmd::display::kGridIntensity:
        s.nGridIntensity = Percent(ValidateGridIntensity(arg.Float()));
        break;
    case oxcmd::display::kMode:
        SetDisplayMode(context, arg);
        break;
    case oxcmd::display::kClearPersist:
        ClearPersistence();
        break;
    case oxcmd::display::kColorGrade:
        SetColorGrade(arg);
        break;
    case oxcmd::display::kBackgroundGrey:
        SetBackgroundGrey(context, arg);
        break;
    default:
        return;
    }
    Region().bRedrawGrid = 1;
    SetRefreshWave(true);
}

void oxmsg::handlerkit::RefHandler(IOCmdContext& context, unsigned int subCmd, long value,
                                   std::uint32_t argLow, std::uint32_t argHigh) {
    if (const auto r = Pick(context, value, kRefSlots))
        HandleRef(context, subCmd, *r, Arg{argLow, argHigh});
}
