// Pass/fail settings and record and playback: the application runs the test and
// keeps the frames; the handlers store the settings and move the record state.
#include "ox_handlers_math.h"

#include "handlers_kit.h"

#include <cmath>

namespace {

using namespace oxmsg::handlerkit;

bool PassFailBlocked() { return Setup().bDelayed || Setup().nTimeFormat == kXYFormat; }

void ClearCounters()
{
    _OX_SETUP& s = Setup();
    s.nPfTotal = 0;
    s.nPfPass = 0;
    s.nPfFail = 0;
}

void EnablePassFail(IOCmdContext& context, const Arg& arg)
{
    if (arg.Byte() && PassFailBlocked())
        return Refuse(context, kNotAvailable);
    Setup().bPfEnable = arg.Byte() ? 1 : 0;
    ClearCounters();
}

void RunPassFail(const Arg& arg)
{
    Setup().bPfRun = arg.Int() != 0 ? 1 : 0;
    if (Setup().bPfRun)
        ClearCounters();
}

void CreateMask(IOCmdContext& context)
{
    if (PassFailBlocked())
        return Refuse(context, kNotAvailable);
    Setup().bPfMaskReady = 1;
}

// ---- Record and playback ----------------------------------------------------------

constexpr int kIdle = 0;
constexpr int kRecording = 1;
constexpr int kPlaying = 2;
constexpr int kPaused = 3;

std::int32_t Milliseconds(double seconds) { return static_cast<std::int32_t>(std::lround(seconds * 1000.0)); }

// Record sources: 0 CH1, 1 CH2, 2 both channels.
bool RecordSourceShown()
{
    const _OX_SETUP& s = Setup();
    switch (s.nRecordSource) {
    case 0: return s.bChanDisplay[0] != 0;
    case 1: return s.bChanDisplay[1] != 0;
    default: return s.bChanDisplay[0] != 0 && s.bChanDisplay[1] != 0;
    }
}

void SetRecordSource(IOCmdContext& context, const Arg& arg)
{
    const auto source = Pick(context, arg.Int(), 3);
    if (!source)
        return;
    Setup().nRecordSource = *source;
    Setup().nRecordSourceChannel = *source == 2 ? 3 : 1 << *source;
}

void StartRecording(IOCmdContext& context)
{
    _OX_SETUP& s = Setup();
    if (s.nRecordState != kIdle || s.nTimeFormat != 0)
        return Refuse(context, kNotAvailable);
    if (!RecordSourceShown())
        return Refuse(context, "Channel selected not enabled");
    s.nRecordFrames = 0;
    s.nRecordState = kRecording;
}

void StopRecording()
{
    _OX_SETUP& s = Setup();
    if (s.nRecordState != kRecording)
        return;
    s.nRecordState = kIdle;
    SetSystemError("Record waveforms break off");
}

void FrameRecorded()
{
    _OX_SETUP& s = Setup();
    if (s.nRecordState != kRecording)
        return;
    ++s.nRecordFrames;
    if (s.nRecordFrames >= s.nRecordFramesMax) {
        s.nRecordState = kIdle;
        s.nPlayStartFrame = 1;
        s.nPlayEndFrame = s.nRecordFrames;
        s.nPlayCurrentFrame = 1;
        SetSystemError("Record waveforms completed");
    }
}

// The time bases under which the record was taken.
void RestoreRecordedTimeBase()
{
    _OX_SETUP& s = Setup();
    s.dTimeScale = s.dTimeScaleRec;
    s.dTimeOffset = s.dTimeOffsetRec;
    s.llTimeScalePs = s.llTimeScalePsRec;
    s.llTimeOffsetPs = s.llTimeOffsetPsRec;
    s.dDelayedScale = s.dDelayedScaleRec;
    s.dDelayedOffset = s.dDelayedOffsetRec;
    s.llDelayedScalePs = s.llDelayedScalePsRec;
    s.llDelayedOffsetPs = s.llDelayedOffsetPsRec;
    for (int c = 0; c < 2; ++c) {
        s.dAltTimeScale[c] = double(s.dAltTimeScaleRec[c]);
        s.dAltTimeOffset[c] = double(s.dAltTimeOffsetRec[c]);
        s.llAltTimeScalePs[c] = std::int64_t(s.llAltTimeScalePsRec[c]);
        s.llAltTimeOffsetPs[c] = std::int64_t(s.llAltTimeOffsetPsRec[c]);
    }
}

void StartPlayback(IOCmdContext& context)
{
    _OX_SETUP& s = Setup();
    if (s.nRecordFrames <= 0)
        return Refuse(context, "Not available record data");
    if (s.nRecordState == kRecording)
        return Refuse(context, kNotAvailable);
    RestoreRecordedTimeBase();
    s.nPlayCurrentFrame = ValidPlaybackCurFrm(s.nPlayCurrentFrame);
    s.nRecordState = kPlaying;
    ScreenLayoutChanged();
}

void PausePlayback()
{
    _OX_SETUP& s = Setup();
    if (s.nRecordState == kPlaying)
        s.nRecordState = kPaused;
    else if (s.nRecordState == kPaused)
        s.nRecordState = kPlaying;
}

void StopPlayback()
{
    _OX_SETUP& s = Setup();
    if (s.nRecordState == kPlaying || s.nRecordState == kPaused)
        s.nRecordState = kIdle;
}

} // namespace

void oxmsg::handlerkit::PassFailHandler(IOCmdContext& context, unsigned int subCmd, long, std::uint32_t argLow,
                       std::uint32_t argHigh)
{
    _OX_SETUP& s = Setup();
    const Arg arg{argLow, argHigh};
    switch (subCmd) {
    case 2325: EnablePassFail(context, arg); break;
    case 2326: Choose(context, s.nPfSource, arg, 2); break;
    case 2327: RunPassFail(arg); break;
    case 2328: Choose(context, s.nPfOutput, arg, 4); break;
    case 2329: s.fPfHorRange = ValidatePFHorizRange(arg.Float()); break;
    case 2330: s.fPfVerRange = ValidatePFVertRange(arg.Float()); break;
    case 2331: s.bPfStop = arg.Byte() ? 1 : 0; break;
    case 2332: s.bPfInfo = arg.Byte() ? 1 : 0; break;
    case 2333: CreateMask(context); break;
    default: return;
    }
    Region().bRedrawPassFail = 1;
}

void oxmsg::handlerkit::RecordHandler(IOCmdContext& context, unsigned int subCmd, long, std::uint32_t argLow,
                     std::uint32_t argHigh)
{
    _OX_SETUP& s = Setup();
    const Arg arg{argLow, argHigh};
    switch (subCmd) {
    case 2426: SetRecordSource(context, arg); break;
    case 2427: s.nRecordFramesMax = ValidRecordEndFrame(arg.Int()); break;
    case 2429: s.nRecordInterval = Milliseconds(ValidRecordInterval(arg.Double())); break;
    case 2432: StartRecording(context); break;
    case 2433: StopRecording(); break;
    case 2434: FrameRecorded(); break;
    case 2467: s.nPlayStartFrame = ValidRecordCurFrame(arg.Int()); break;
    case 2470: s.nPlayEndFrame = ValidRecordCurFrame(arg.Int()); break;
    case 2471: s.nPlayInterval = Milliseconds(ValidPlaybackInterval(arg.Double())); break;
    case 2473: s.nPlayCurrentFrame = ValidPlaybackCurFrm(arg.Int()); break;
    case 2474: StartPlayback(context); break;
    case 2478: PausePlayback(); break;
    case 2479: StopPlayback(); break;
    default: return;
    }
    Region().bRedrawStatus = 1;
}
