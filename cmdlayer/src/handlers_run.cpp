// Run-control group 3125: auto set-up, run, stop, the two run states of the panel,
// the default setup, and emptying the pending command.
#include "ox_handlers_vertical.h"

#include "handlers_vertical.h"

using namespace oxmsg::handlerkit;

namespace {
constexpr std::int64_t kSlowestRollScalePs = 500'000'000'000; // 0.5 s/div
constexpr double kSecondsPerPs = 1e-12;

// A run replaces the stopped record on the screen: no longer held.
void StartAcquiring(int runState) {
    Setup().bRun = 1;
    Setup().nRunState = runState;
    Setup().bWaveHold = 0;
}

void AutoSetup(IOCmdContext& context) {
    _OX_SETUP& s = Setup();
    StartAcquiring(oxcmd::code::kStatusAuto);
    if (s.nRecordState == oxcmd::code::kPlaying) s.nRecordState = oxcmd::code::kRecordIdle;
    SetChanEnabledStop(false);
    ScreenLayoutChanged();
    context.command = ":AUTO";
    context.readBack = false;
}

// Rolling starts with the offset the instrument must hold and a scale of at least
// 0.5 s/div, both written before ":RUN".
void PrepareRolling() {
    _OX_SETUP& s = Setup();
    WriteDirect(StrConnect(":TIMEBASE", ":OFFSET", " ", Format("%0.9f", s.dTimeOffset), ""));
    if (s.llTimeScalePs >= kSlowestRollScalePs) return;
    s.llTimeScalePs = kSlowestRollScalePs;
    s.dTimeScale = static_cast<double>(kSlowestRollScalePs) * kSecondsPerPs;
    WriteDirect(StrConnect(":TIMEBASE", ":SCALE", " ", Format("%0.9f", s.dTimeScale), ""));
}

void Run(IOCmdContext& context) {
    WriteDirect(":CLEARUSB");
    if (Setup().nTimeFormat == oxcmd::code::kRolling) PrepareRolling();
    StartAcquiring(oxcmd::code::kStatusRun);
    SetChanEnabledStop(false);
    context.command = ":RUN";
    context.readBack = true;
}

void Stop(IOCmdContext& context) {
    _OX_SETUP& s = Setup();
    s.bRun = 0;
    s.nRunState = oxcmd::code::kStatusStop;
    if (s.bPfRun) s.bPfStop = 0;
    context.command = ":STOP";
    context.readBack = false;
}

void DefaultSetup(IOCmdContext& context) {
    ScreenLayoutChanged();
    context.command = ":DEFAULT";
    context.readBack = false;
}

void ForgetPending(IOCmdContext& context) {
    context.command.clear();
    context.query.clear();
    context.piece.clear();
    context.send = false;
}

} // namespace

namespace oxmsg::vertical {

void RunHandler(IOCmdContext& context, unsigned int subCmd, long, std::uint32_t, std::uint32_t) {
    switch (subCmd) {
    case oxcmd::run::kAuto:
        AutoSetup(context);
        break;
    case oxcmd::run::kRun:
        Run(context);
        break;
    case oxcmd::run::kStop:
        Stop(context);
        break;
    case oxcmd::run::kStartAcquiringLive:
    case oxcmd::run::kStartAcquiringFull:
        StartAcquiring(static_cast<int>(subCmd - oxcmd::run::kRun));
        context.send = false;
        break;
    case oxcmd::run::kDefaultSetup:
        DefaultSetup(context);
        break;
    case oxcmd::run::kExit:
        ForgetPending(context);
        break;
    case oxcmd::run::kSaveUndo:
        SaveUndoSetup();
        context.send = false;
        break;
    case oxcmd::run::kUndo:
        Undo();
        context.send = false;
        break;
    case oxcmd::run::kRedo:
        Redo();
        context.send = false;
        break;
    default:
        context.send = false;
        break; // the main window is told; nothing is sent
    }
}

} // namespace oxmsg::vertical
