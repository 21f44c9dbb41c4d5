// Math traces and their FFT: computed and drawn by the application, so the handler
// stores and asks for a redraw; only switching the delayed time base off for an FFT
// and the channel display commands that math needs reach the instrument directly.
#include "ox_handlers_math.h"

#include "handlers_kit.h"
#include "oxmsg_state.h"

namespace {

using namespace oxmsg::handlerkit;

constexpr int kMathTraces = 4;
constexpr int kFFTOperator = 3;
constexpr int kFilterTypes = 4;
constexpr int kFFTWindows = 4;
constexpr int kFFTUnits = 2;  // 0 Vrms, 1 dBVrms

void SetTraceUnit(int t)
{
    _OX_SETUP& s = Setup();
    const char* unit = "V";
    if (s.nMathOperator[t] == kFFTOperator)
        unit = s.nFFTUnit[t] == 1 ? "dBVrms" : "Vrms";
    std::snprintf(s.szTraceUnit[t], sizeof s.szTraceUnit[t], "%s", unit);
}

void LeaveDelayedForFFT()
{
    _OX_SETUP& s = Setup();
    WriteDirect(StrConnect(":TIMEBASE", ":MODE", " ", "MAIN", ""));
    s.bDelayed = 0;
}

void SetOperator(IOCmdContext& context, int t, const Arg& arg)
{
    const auto op = Pick(context, arg.Int(), 5);
    if (!op)
        return;
    _OX_SETUP& s = Setup();
    if (*op == kFFTOperator && s.bDelayed)
        LeaveDelayedForFFT();
    s.nMathOperator[t] = *op;
    SetTraceUnit(t);
    ScreenLayoutChanged();
}

void WriteChannelDisplay(int channel, bool on)
{
    WriteDirect(StrConnect(channel == 0 ? ":CHANNEL1" : ":CHANNEL2", ":DISPLAY", " ", OnOff(on), ""));
}

// Math needs both channels acquired: turning a trace on shows both on the
// instrument; turning the last one off hides again the channels the user has not
// shown and clears the instrument's transfer.
void ShowTrace(IOCmdContext& context, int t, bool on)
{
    _OX_SETUP& s = Setup();
    if (s.nTimeFormat == kXYFormat) {
        Refuse(context, kNotAtXY);
        return;
    }
    if (on && s.nTimeFormat == kRollingFormat) {
        Refuse(context, kNotAtRolling);
        return;
    }
    if (s.bDelayed && s.nMathOperator[t] == kFFTOperator) {
        LeaveDelayedForFFT();
        if (s.nCursorMode != 0)
            CursorsMoved();
    }
    const bool wasShown = s.bTraceShown[t] != 0;
    s.bTraceShown[t] = on ? 1 : 0;
    if (on) {
        WriteChannelDisplay(0, true);
        WriteChannelDisplay(1, true);
    } else if (wasShown && !GetMathEnabled()) {
        for (int channel = 0; channel < 2; ++channel)
            if (!s.bChanDisplay[channel])
                WriteChannelDisplay(channel, false);
        WriteDirect(":CLEARUSB");
    }
    ScreenLayoutChanged();
}

void SetScaleIndex(int t, const Arg& arg)
{
    _OX_SETUP& s = Setup();
    const float before = s.fMathScale[t];
    s.nMathScaleIndex[t] = ValidateMathScalen(arg.Int());
    s.fMathScale[t] = GetMathScale(s.nMathScaleIndex[t], 1.0f);
    const float offset = before > 0.0f ? s.fMathOffset[t] * s.fMathScale[t] / before : s.fMathOffset[t];
    s.fMathOffset[t] = ValidateMathOffset(offset, s.fMathScale[t]);
}

void SetFilterType(IOCmdContext& context, int t, const Arg& arg)
{
    const auto type = Pick(context, arg.Int(), kFilterTypes);
    if (!type)
        return;
    _OX_SETUP& s = Setup();
    s.nMathFilterType[t] = *type;
    s.fMathFilterUpper[t] = ValidateFilterLimit(s.fMathFilterUpper[t]);
    s.fMathFilterLower[t] = ValidateFilterLimit(s.fMathFilterLower[t]);
}

void SetFFTSource(IOCmdContext& context, int t, const Arg& arg)
{
    _OX_SETUP& s = Setup();
    Choose(context, s.nFFTSource[t], arg, 2);
    s.dFFTHorizOffset[t] = ValidateFFTHorizOffset(s.dFFTHorizOffset[t], s.fTraceSpan[t]);
}

void SetFFTHorizScale(int t, const Arg& arg)
{
    _OX_SETUP& s = Setup();
    int zoom[kFFTZoomSlots] = {};
    const int channel = s.nFFTSource[t] == 1 ? 1 : 0;
    zoom[channel] = s.nTraceZoomIndex[t];
    s.dFFTHorizScale[t] = ValidateFFTHorizScale(arg.Double(), channel, zoom);
    s.nTraceZoomIndex[t] = zoom[channel];
}

void HandleTrace(IOCmdContext& context, unsigned int subCmd, int t, const Arg& arg)
{
    _OX_SETUP& s = Setup();
    switch (subCmd) {
    case 1165: s.fMathFilterUpper[t] = ValidateFilterLimit(arg.Float()); break;
    case 1175: s.fMathFilterLower[t] = ValidateFilterLimit(arg.Float()); break;
    case 1185: SetFilterType(context, t, arg); break;
    case 1225: SetScaleIndex(t, arg); break;
    case 1235: s.fMathOffset[t] = ValidateMathOffset(arg.Float(), s.fMathScale[t]); break;
    case 1255: SetOperator(context, t, arg); break;
    case 1256: Choose(context, s.nMathSourceA[t], arg, 2); CursorsMoved(); break;
    case 1257: Choose(context, s.nMathSourceB[t], arg, 2); CursorsMoved(); break;
    case 1258: ShowTrace(context, t, arg.Byte()); break;
    case 1265: SetFFTSource(context, t, arg); break;
    case 1266: Choose(context, s.nFFTWindow[t], arg, kFFTWindows); break;
    case 1274: Choose(context, s.nFFTUnit[t], arg, kFFTUnits); SetTraceUnit(t); break;
    case 1275: s.nFFTVrmsScaleIndex[t] = ValidateFFTVrmsScalen(arg.Int()); break;
    case 1285:
        s.fFFTVrmsOffset[t] = ValidateFFTVrmsOffset(arg.Float(), GetMathScale(s.nFFTVrmsScaleIndex[t], 1.0f));
        break;
    case 1295: s.fFFTdBVrmsScale[t] = ValidateFFTdBVrmsScale(arg.Float()); break;
    case 1305: s.fFFTdBVrmsOffset[t] = ValidateFFTdBVrmsOffset(arg.Float(), s.fFFTdBVrmsScale[t]); break;
    case 1315: SetFFTHorizScale(t, arg); break;
    case 1325: s.dFFTHorizOffset[t] = ValidateFFTHorizOffset(arg.Double(), s.fTraceSpan[t]); break;
    case 1335: s.bMathInvert[t] = arg.Byte() ? 1 : 0; break;
    default: return;
    }
    Region().bRedrawMath = 1;
    SetRefreshWave(true);
}

bool AnyOf(const std::uint8_t (&flags)[kMathTraces])
{
    for (std::uint8_t flag : flags)
        if (flag)
            return true;
    return false;
}

} // namespace

void oxmsg::handlerkit::MathHandler(IOCmdContext& context, unsigned int subCmd, long value, std::uint32_t argLow,
                   std::uint32_t argHigh)
{
    if (const auto t = Pick(context, value, kMathTraces))
        HandleTrace(context, subCmd, *t, Arg{argLow, argHigh});
}

bool GetMathEnabled() { return AnyOf(SetupForRules().bTraceShown); }

bool GetMathEnabledStop() { return AnyOf(SetupForRules().bTraceShownStop); }

bool GetFFTOperator()
{
    const _OX_SETUP& s = SetupForRules();
    for (int t = 0; t < kMathTraces; ++t)
        if (s.bTraceShown[t] && s.nMathOperator[t] == kFFTOperator)
            return true;
    return false;
}

bool GetFFTSplitScreen()
{
    const _OX_SETUP& s = SetupForRules();
    return s.bFFTSplitScreen && s.nTrigMode != kAlternateTrigger && GetFFTOperator();
}

void OxInstallMathHandlers()
{
    OxSetIOCmdHandler(3136, WhenRecordsSet(MathHandler));
    OxSetIOCmdHandler(3137, WhenRecordsSet(RefHandler));
    OxSetIOCmdHandler(3138, WhenRecordsSet(LaHandler));
    OxSetIOCmdHandler(3142, WhenRecordsSet(DisplayHandler));
    OxSetIOCmdHandler(2185, WhenRecordsSet(CursorModeHandler));
    OxSetIOCmdHandler(3143, WhenRecordsSet(ManualCursorHandler));
    OxSetIOCmdHandler(3144, WhenRecordsSet(TrackCursorHandler));
    OxSetIOCmdHandler(3124, WhenRecordsSet(PanelHandler));
    OxSetIOCmdHandler(3145, WhenRecordsSet(PassFailHandler));
    OxSetIOCmdHandler(3146, WhenRecordsSet(RecordHandler));
    OxSetIOCmdHandler(3147, WhenRecordsSet(MeasureHandler));
    OxSetIOCmdHandler(2528, WhenRecordsSet(SelfCalHandler));
    OxSetIOCmdHandler(3149, WhenRecordsSet(LinkHandler));
}
