// Pass/fail settings and record and playback: the application runs the test and
// keeps the frames; the handlers store the settings and move the record state.
#include "ox_handlers_math.h"

#include "handlers_kit.h"

#include <cmath>

namespace {

using namespace oxmsg::handlerkit;

bool PassFailBlocked() {
    return Setup().bDelayed || Setup().nTimeFormat == oxcmd::code::kXY;
}

void ClearCounters() {
    _OX_SETUP& s = Setup();
    s.nPfTotal = 0;
    s.nPfPass = 0;
    s.nPfFail = 0;
}

void EnablePassFail(IOCmdContext& context, const Arg& arg) {
    if (arg.Byte() && PassFailBlocked()) return Refuse(context, kNotAvailable);
    Setup().bPfEnable = arg.Byte() ? 1 : 0;
    ClearCounters();
}

void RunPassFail(const Arg& arg) {
    Setup().bPfRun = arg.Int() != 0 ? 1 : 0;
    if (Setup().bPfRun) ClearCounters();
}

void CreateMask(IOCmdContext& context) {
    if (PassFailBlocked()) return Refuse(context, kNotAvailable);
    Setup().bPfMaskReady = 1;
}

// ---- Record and playback ----------------------------------------------------------

std::int32_t Milliseconds(double seconds) {
    return static_cast<std::int32_t>(std::lround(seconds * 1000.0));
}

// Record sources: 0 CH1, 1 CH2, 2 both channels.
bool RecordSourceShown() {
    const _OX_SETUP& s = Setup();
    switch (s.nRecordSource) {
    case 0:
        return s.bChanDisplay[0] != 0;
    case 1:
        return s.bChanDisplay[1] != 0;
    default:
        return s.bChanDisplay[0] != 0 && s.bChanDisplay[1] != 0;
    }
}

void SetRecordSource(IOCmdContext& context, const Arg& arg) {
    const auto source = Pick(context, arg.Int(), 3);
    if (!source) return;
    Setup().nRecordSource = *source;
    Setup().nRecordSourceChannel = *source == 2 ? 3 : 1 << *source;
}

void StartRecording(IOCmdContext& context) {
    _OX_SETUP& s = Setup();
    if (s.nRecordState != oxcmd::code::kRecordIdle || s.nTimeFormat != oxcmd::code::kYT)
        return Refuse(context, kNotAvailable);
    if (!RecordSourceShown()) return Refuse(context, "Channel selected not enabled");
    s.nRecordFrames = 0;
    s.nRecordState = oxcmd::code::kRecording;
}

void StopRecording() {
    _OX_SETUP& s = Setup();
    if (s.nRecordState != oxcmd::code::kRecording) return;
    s.nRecordState = oxcmd::code::kRecordIdle;
    SetSystemError("Record waveforms break off");
}

void FrameRecorded() {
    _OX_SETUP& s = Setup();
    if (s.nRecordState != oxcmd::code::kRecording) return;
    ++s.nRecordFrames;
    if (s.nRecordFrames >= s.nRecordFramesMax) {
        s.nRecordState = oxcmd::code::kRecordIdle;
        s.nPlayStartFrame = 1;
        s.nPlayEndFrame = s.nRecordFrames;
        s.nPlayCurrentFrame = 1;
        SetSystemError("Record waveforms completed");
    }
}

// The time bases under which the record was taken.
void RestoreRecordedTimeBase() {
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

void StartPlayback(IOCmdContext& context) {
    _OX_SETUP& s = Setup();
    if (s.nRecordFrames <= 0) return Refuse(context, "Not available record data");
    if (s.nRecordState == oxcmd::code::kRecording) return Refuse(context, kNotAvailable);
    RestoreRecordedTimeBase();
    s.nPlayCurrentFrame = ValidPlaybackCurFrm(s.nPlayCurrentFrame);
    s.nRecordState = oxcmd::code::kPlaying;
    ScreenLayoutChanged();
}

void PausePlayback() {
    _OX_SETUP& s = Setup();
    if (s.nRecordState == oxcmd::code::kPlaying)
        s.nRecordState = oxcmd::code::kPlayPaused;
    else if (s.nRecordState == oxcmd::code::kPlayPaused)
        s.nRecordState = oxcmd::code::kPlaying;
}

void StopPlayback() {
    _OX_SETUP& s = Setup();
    if (s.nRecordState == oxcmd::code::kPlaying || s.nRecordState == oxcmd::code::kPlayPaused)
        s.nRecordState = oxcmd::code::kRecordIdle;
}

} // namespace

void oxmsg::handlerkit::PassFailHandler(IOCmdContext& context, unsigned int subCmd, long,
                                        std::uint32_t argLow, std::uint32_t argHigh) {
    _OX_SETUP& s = Setup();
    const Arg arg{argLow, argHigh};
    switch (subCmd) {
    case oxcmd::passfail::kEnable:
        EnablePassFail(context, arg);
        break;
    case oxcmd::passfail::kSource:
        Choose(context, s.nPfSource, arg, 2);
        break;
    case oxcmd::passfail::kRun:
        RunPassFail(arg);
        break;
    case oxcmd::passfail::kOutput:
        Choose(context, s.nPfOutput, arg, 4);
        break;
    case oxcmd::passfail::kHorizRange:
        s.fPfHorRange = ValidatePFHorizRange(arg.Float());
        break;
    case oxcmd::passfail::kVertRange:
        s.fPfVerRange = ValidatePFVertRange(arg.Float());
        break;
    case oxcmd::passfail::kStopOnOutput:
        s.bPfStop = arg.Byte() ? 1 : 0;
        break;
    case oxcmd::passfail::kShowCounters:
        s.bPfInfo = arg.Byte() ? 1 : 0;
        break;
    case oxcmd::passfail::kCreateMask:
        CreateMask(context);
        break;
    default:
        return;
    }
    Region().bRedrawPassFail = 1;
}

void oxmsg::handlerkit::RecordHandler(IOCmdContext& context, unsigned int subCmd, long,
                                      std::uint32_t argLow, std::uint32_t argHigh) {
    _OX_SETUP& s = Setup();
    const Arg arg{argLow, argHigh};
    switch (subCmd) {
    case oxcmd::record::kSource:
        SetRecordSource(context, arg);
        break;
    case oxcmd::record::kFrames:
        s.nRecordFramesMax = ValidRecordEndFrame(arg.Int());
        break;
    case oxcmd::record::kInterval:
        s.nRecordInterval = Milliseconds(ValidRecordInterval(arg.Double()));
        break;
    case oxcmd::record::kStart:
        StartRecording(context);
        break;
    case oxcmd::record::kStop:
        StopRecording();
        break;
    case oxcmd::record::kFrameRecorded:
        FrameRecorded();
        break;
    case oxcmd::record::kPlayFirst:
        s.nPlayStartFrame = ValidRecordCurFrame(arg.Int());
        break;
    case oxcmd::record::kPlayLast:
        s.nPlayEndFrame = ValidRecordCurFrame(arg.Int());
        break;
    case oxcmd::record::kPlayInterval:
        s.nPlayInterval = Milliseconds(ValidPlaybackInterval(arg.Double()));
        break;
    case oxcmd::record::kPlayFrame:
        s.nPlayCurrentFrame = ValidPlaybackCurFrm(arg.Int());
        break;
    case oxcmd::record::kPlayStart:
        StartPlayback(context);
        break;
    case oxcmd::record::kPlayPause:
        PausePlayback();
        break;
    case oxcmd::record::kPlayStop:
        StopPlayback();
        break;
    default:
        return;
    }
    Region().bRedrawStatus = 1;
}
