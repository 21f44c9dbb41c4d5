// Math traces and their FFT: computed and drawn by the application, so the handler
// stores and asks for a redraw; only switching the delayed time base off for an FFT
// and the channel display commands that math needs reach the instrument directly.
#include "ox_handlers_math.h"

#include "handlers_kit.h"
#include "oxmsg_state.h"

namespace {

using namespace oxmsg::handlerkit;
constexpr int kFFTUnits = 2; // 0 Vrms, 1 dBVrms

void SetTraceUnit(int t) {
    _OX_SETUP& s = Setup();
    const char* unit = "V";
    if (s.nMathOperator[t] == oxcmd::code::kFFT)
        unit = s.nFFTUnit[t] == oxcmd::code::kdBVrms ? "dBVrms" : "Vrms";
    std::snprintf(s.szTraceUnit[t], sizeof s.szTraceUnit[t], "%s", unit);
}

void LeaveDelayedForFFT() {
    _OX_SETUP& s = Setup();
    WriteDirect(StrConnect(":TIMEBASE", ":MODE", " ", "MAIN", ""));
    s.bDelayed = 0;
}

void SetOperator(IOCmdContext& context, int t, const Arg& arg) {
    const auto op = Pick(context, arg.Int(), 5);
    if (!op) return;
    _OX_SETUP& s = Setup();
    if (*op == oxcmd::code::kFFT && s.bDelayed) LeaveDelayedForFFT();
    s.nMathOperator[t] = *op;
    SetTraceUnit(t);
    ScreenLayoutChanged();
}

void WriteChannelDisplay(int channel, bool on) {
    WriteDirect(
        StrConnect(channel == 0 ? ":CHANNEL1" : ":CHANNEL2", ":DISPLAY", " ", OnOff(on), ""));
}

// Math needs both channels acquired: turning a trace on shows both on the
// instrument; turning the last one off hides again the channels the user has not
// shown and clears the instrument's transfer.
void ShowTrace(IOCmdContext& context, int t, bool on) {
    _OX_SETUP& s = Setup();
    if (s.nTimeFormat == oxcmd::code::kXY) {
        Refuse(context, kNotAtXY);
        return;
    }
    if (on && s.nTimeFormat == oxcmd::code::kRolling) {
        Refuse(context, kNotAtRolling);
        return;
    }
    if (s.bDelayed && s.nMathOperator[t] == oxcmd::code::kFFT) {
        LeaveDelayedForFFT();
        if (s.nCursorMode != oxcmd::code::kCursorsOff) CursorsMoved();
    }
    const bool wasShown = s.bTraceShown[t] != 0;
    s.bTraceShown[t] = on ? 1 : 0;
    if (on) {
        WriteChannelDisplay(0, true);
        WriteChannelDisplay(1, true);
    } else if (wasShown && !GetMathEnabled()) {
        for (int channel = 0; channel < 2; ++channel)
            if (!s.bChanDisplay[channel]) WriteChannelDisplay(channel, false);
        WriteDirect(":CLEARUSB");
    }
    ScreenLayoutChanged();
}

void SetScaleIndex(int t, const Arg& arg) {
    _OX_SETUP& s = Setup();
    const float before = s.fMathScale[t];
    s.nMathScaleIndex[t] = ValidateMathScalen(arg.Int());
    s.fMathScale[t] = GetMathScale(s.nMathScaleIndex[t], 1.0f);
    const float offset =
        before > 0.0f ? s.fMathOffset[t] * s.fMathScale[t] / before : s.fMathOffset[t];
    s.fMathOffset[t] = ValidateMathOffset(offset, s.fMathScale[t]);
}

void SetFilterType(IOCmdContext& context, int t, const Arg& arg) {
    const auto type = Pick(context, arg.Int(), oxcmd::code::kFilterTypeCount);
    if (!type) return;
    _OX_SETUP& s = Setup();
    s.nMathFilterType[t] = *type;
    s.fMathFilterUpper[t] = ValidateFilterLimit(s.fMathFilterUpper[t]);
    s.fMathFilterLower[t] = ValidateFilterLimit(s.fMathFilterLower[t]);
}

void SetFFTSource(IOCmdContext& context, int t, const Arg& arg) {
    _OX_SETUP& s = Setup();
    Choose(context, s.nFFTSource[t], arg, 2);
    s.dFFTHorizOffset[t] = ValidateFFTHorizOffset(s.dFFTHorizOffset[t], s.fTraceSpan[t]);
}

void SetFFTHorizScale(int t, const Arg& arg) {
    _OX_SETUP& s = Setup();
    int zoom[kFFTZoomSlots] = {};
    const int channel = s.nFFTSource[t] == 1 ? 1 : 0;
    zoom[channel] = s.nTraceZoomIndex[t];
    s.dFFTHorizScale[t] = ValidateFFTHorizScale(arg.Double(), channel, zoom);
    s.nTraceZoomIndex[t] = zoom[channel];
}

void HandleTrace(IOCmdContext& context, unsigned int subCmd, int t, const Arg& arg) {
    _OX_SETUP& s = Setup();
    switch (subCmd) {
    case oxcmd::math::kFilterUpper:
        s.fMathFilterUpper[t] = ValidateFilterLimit(arg.Float());
        break;
    case oxcmd::math::kFilterLower:
        s.fMathFilterLower[t] = ValidateFilterLimit(arg.Float());
        break;
    case oxcmd::math::kFilterType:
        SetFilterType(context, t, arg);
        break;
    case oxcmd::math::kScaleIndex:
        SetScaleIndex(t, arg);
        break;
    case oxcmd::math::kOffset:
        s.fMathOffset[t] = ValidateMathOffset(arg.Float(), s.fMathScale[t]);
        break;
    case oxcmd::math::kOperator:
        SetOperator(context, t, arg);
        break;
    case oxcmd::math::kSourceA:
        Choose(context, s.nMathSourceA[t], arg, 2);
        CursorsMoved();
        break;
    case oxcmd::math::kSourceB:
        Choose(context, s.nMathSourceB[t], arg, 2);
        CursorsMoved();
        break;
    case oxcmd::math::kShown:
        ShowTrace(context, t, arg.Byte());
        break;
    case oxcmd::math::kFFTSource:
        SetFFTSource(context, t, arg);
        break;
    case oxcmd::math::kFFTWindow:
        Choose(context, s.nFFTWindow[t], arg, oxcmd::code::kFFTWindowCount);
        break;
    case oxcmd::math::kFFTUnit:
        Choose(context, s.nFFTUnit[t], arg, kFFTUnits);
        SetTraceUnit(t);
        break;
    case oxcmd::math::kFFTVrmsScaleIndex:
        s.nFFTVrmsScaleIndex[t] = ValidateFFTVrmsScalen(arg.Int());
        break;
    case oxcmd::math::kFFTVrmsOffset:
        s.fFFTVrmsOffset[t] =
            ValidateFFTVrmsOffset(arg.Float(), GetMathScale(s.nFFTVrmsScaleIndex[t], 1.0f));
        break;
    case oxcmd::math::kFFTdBVrmsScale:
        s.fFFTdBVrmsScale[t] = ValidateFFTdBVrmsScale(arg.Float());
        break;
    case oxcmd::math::kFFTdBVrmsOffset:
        s.fFFTdBVrmsOffset[t] = ValidateFFTdBVrmsOffset(arg.Float(), s.fFFTdBVrmsScale[t]);
        break;
    case oxcmd::math::kFFTHorizScale:
        SetFFTHorizScale(t, arg);
        break;
    case oxcmd::math::kFFTHorizOffset:
        s.dFFTHorizOffset[t] = ValidateFFTHorizOffset(arg.Double(), s.fTraceSpan[t]);
        break;
    case oxcmd::math::kInvert:
        s.bMathInvert[t] = arg.Byte() ? 1 : 0;
        break;
    default:
        return;
    }
    Region().bRedrawMath = 1;
    SetRefreshWave(true);
}

bool AnyOf(const std::uint8_t (&flags)[oxcmd::code::kMathTraces]) {
    for (std::uint8_t flag : flags)
        if (flag) return true;
    return false;
}

} // namespace

void oxmsg::handlerkit::MathHandler(IOCmdContext& context, unsigned int subCmd, long value,
                                    std::uint32_t argLow, std::uint32_t argHigh) {
    if (const auto t = Pick(context, value, oxcmd::code::kMathTraces))
        HandleTrace(context, subCmd, *t, Arg{argLow, argHigh});
}

bool GetMathEnabled() {
    return AnyOf(SetupForRules().bTraceShown);
}

bool GetMathEnabledStop() {
    return AnyOf(SetupForRules().bTraceShownStop);
}

bool GetFFTOperator() {
    const _OX_SETUP& s = SetupForRules();
    for (int t = 0; t < oxcmd::code::kMathTraces; ++t)
        if (s.bTraceShown[t] && s.nMathOperator[t] == oxcmd::code::kFFT) return true;
    return false;
}

bool GetFFTSplitScreen() {
    const _OX_SETUP& s = SetupForRules();
    return s.bFFTSplitScreen && s.nTrigMode != oxcmd::code::kAlternate && GetFFTOperator();
}

void OxInstallMathHandlers() {
    OxSetIOCmdHandler(oxcmd::group::kMath, WhenRecordsSet(MathHandler));
    OxSetIOCmdHandler(oxcmd::group::kReference, WhenRecordsSet(RefHandler));
    OxSetIOCmdHandler(oxcmd::group::kLogic, WhenRecordsSet(LaHandler));
    OxSetIOCmdHandler(oxcmd::group::kDisplay, WhenRecordsSet(DisplayHandler));
    OxSetIOCmdHandler(oxcmd::group::kCursorMode, WhenRecordsSet(CursorModeHandler));
    OxSetIOCmdHandler(oxcmd::group::kManualCursor, WhenRecordsSet(ManualCursorHandler));
    OxSetIOCmdHandler(oxcmd::group::kTrackCursor, WhenRecordsSet(TrackCursorHandler));
    OxSetIOCmdHandler(oxcmd::group::kPanel, WhenRecordsSet(PanelHandler));
    OxSetIOCmdHandler(oxcmd::group::kPassFail, WhenRecordsSet(PassFailHandler));
    OxSetIOCmdHandler(oxcmd::group::kRecord, WhenRecordsSet(RecordHandler));
    OxSetIOCmdHandler(oxcmd::group::kMeasure, WhenRecordsSet(MeasureHandler));
    OxSetIOCmdHandler(oxcmd::group::kSelfCal, WhenRecordsSet(SelfCalHandler));
    OxSetIOCmdHandler(oxcmd::group::kLink, WhenRecordsSet(LinkHandler));
}
