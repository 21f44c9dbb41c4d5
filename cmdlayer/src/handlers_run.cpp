// Run-control group 3125: auto set-up, run, stop, the two run states of the panel,
// the default setup, and emptying the pending command.
#include "ox_handlers_vertical.h"

#include "handlers_vertical.h"

using namespace oxmsg::handlerkit;

namespace {

constexpr int kRunning = 0;
constexpr int kStopped = 1;
constexpr int kAutoSetup = 4;
constexpr int kPlayingBack = 2;
constexpr std::int64_t kSlowestRollScalePs = 500'000'000'000;  // 0.5 s/div
constexpr double kSecondsPerPs = 1e-12;

// A run replaces the stopped record on the screen: no longer held.
void StartAcquiring(int runState)
{
    Setup().bRun = 1;
    Setup().nRunState = runState;
    Setup().bWaveHold = 0;
}

void AutoSetup(IOCmdContext& context)
{
    _OX_SETUP& s = Setup();
    StartAcquiring(kAutoSetup);
    if (s.nRecordState == kPlayingBack)
        s.nRecordState = 0;
    SetChanEnabledStop(false);
    ScreenLayoutChanged();
    context.command = ":AUTO";
    context.readBack = false;
}

// Rolling starts with the offset the instrument must hold and a scale of at least
// 0.5 s/div, both written before ":RUN".
void PrepareRolling()
{
    _OX_SETUP& s = Setup();
    WriteDirect(StrConnect(":TIMEBASE", ":OFFSET", " ", Format("%0.9f", s.dTimeOffset), ""));
    if (s.llTimeScalePs >= kSlowestRollScalePs)
        return;
    s.llTimeScalePs = kSlowestRollScalePs;
    s.dTimeScale = static_cast<double>(kSlowestRollScalePs) * kSecondsPerPs;
    WriteDirect(StrConnect(":TIMEBASE", ":SCALE", " ", Format("%0.9f", s.dTimeScale), ""));
}

void Run(IOCmdContext& context)
{
    WriteDirect(":CLEARUSB");
    if (Setup().nTimeFormat == kRollingFormat)
        PrepareRolling();
    StartAcquiring(kRunning);
    SetChanEnabledStop(false);
    context.command = ":RUN";
    context.readBack = true;
}

void Stop(IOCmdContext& context)
{
    _OX_SETUP& s = Setup();
    s.bRun = 0;
    s.nRunState = kStopped;
    if (s.bPfRun)
        s.bPfStop = 0;
    context.command = ":STOP";
    context.readBack = false;
}

void DefaultSetup(IOCmdContext& context)
{
    ScreenLayoutChanged();
    context.command = ":DEFAULT";
    context.readBack = false;
}

void ForgetPending(IOCmdContext& context)
{
    context.command.clear();
    context.query.clear();
    context.piece.clear();
    context.send = false;
}

} // namespace

namespace oxmsg::vertical {

void RunHandler(IOCmdContext& context, unsigned int subCmd, long, std::uint32_t, std::uint32_t)
{
    switch (subCmd) {
    case 4125: AutoSetup(context); break;
    case 4126: Run(context); break;
    case 4127: Stop(context); break;
    case 4128:
    case 4129:
        StartAcquiring(static_cast<int>(subCmd) - 4126);
        context.send = false;
        break;
    case 4134: DefaultSetup(context); break;
    case 4224: ForgetPending(context); break;
    default: context.send = false; break;  // the main window is told; nothing is sent
    }
}

} // namespace oxmsg::vertical
