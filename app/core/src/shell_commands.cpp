// The command-layer services of the loop, the start-up logic and the display engine, on OxMsg.
#include "oxshell.h"

#include "oxmsg.h"

namespace oxacq {

void OxbowCommands::ProcessIOCmd() {
    if (GetIOCmd() != 0) IOCmdProcess();
}

bool OxbowCommands::GetMathEnabled() {
    return ::GetMathEnabled();
}
bool OxbowCommands::GetMathEnabledStop() {
    return ::GetMathEnabledStop();
}
bool OxbowCommands::GetFFTOperator() {
    return ::GetFFTOperator();
}
bool OxbowCommands::GetFFTSplitScreen() {
    return ::GetFFTSplitScreen();
}
void OxbowCommands::GetFFTHorizZoomScale(int trace) {
    ::GetFFTHorizZoomScale(trace);
}
void OxbowCommands::SetChanEnabledStop(bool enabled) {
    ::SetChanEnabledStop(enabled);
}
void OxbowCommands::SaveChangeSetting() {
    ::SaveChangeSetting();
}
void OxbowCommands::GetTimeScalePara() {
    ::GetTimeScalePara();
}
void OxbowCommands::GetStopScreenPara(short value) {
    ::GetStopScreenPara(value);
}
void OxbowCommands::GetChangeSettingScreenPara() {
    ::GetChangeSettingScreenPara();
}
bool OxbowCommands::OxInitSystem() {
    return ::OxInitSystem();
}
void OxbowCommands::RebuildRgnSetup() {
    ::RebuildRgnSetup();
}

void OxbowCommands::PostIOCmd(unsigned long group, unsigned int subCmd, long value,
                              std::int32_t argument, CWnd* firstWindow) {
    // A full queue has put its message on the screen; there is nothing more to do here.
    static_cast<void>(OxPostInt(group, subCmd, value, argument, firstWindow));
}

void OxbowCommands::PostIOCmd(unsigned long group, unsigned int subCmd, long value) {
    static_cast<void>(OxPost(group, subCmd, value));
}

void OxbowCommands::RestartPersistence() {
    if (acquisition_ != nullptr) acquisition_->RestartPersistence();
}

} // namespace oxacq
