#include "oxbowcommands.h"

#include "oxmsg.h"

namespace oxapp {

void OxbowCommands::ProcessIOCmd() {
    if (GetIOCmd() != 0) IOCmdProcess();
}

bool OxbowCommands::GetMathEnabled() { return ::GetMathEnabled(); }
bool OxbowCommands::GetFFTOperator() { return ::GetFFTOperator(); }
void OxbowCommands::SetChanEnabledStop(bool enabled) { ::SetChanEnabledStop(enabled); }
void OxbowCommands::SaveChangeSetting() { ::SaveChangeSetting(); }
void OxbowCommands::GetTimeScalePara() { ::GetTimeScalePara(); }
void OxbowCommands::GetStopScreenPara(short value) { ::GetStopScreenPara(value); }
void OxbowCommands::GetChangeSettingScreenPara() { ::GetChangeSettingScreenPara(); }
bool OxbowCommands::OxInitSystem() { return ::OxInitSystem(); }
void OxbowCommands::RebuildRgnSetup() { ::RebuildRgnSetup(); }

void OxbowCommands::PostIOCmd(unsigned long group, unsigned int subCmd, long value, std::int32_t argument,
                              CWnd* firstWindow) {
    SetMsgVarInt(argument);
    OxPostIOCmd(group, subCmd, value, firstWindow, nullptr, nullptr);
}

bool OxbowCommands::GetMathEnabledStop() { return ::GetMathEnabledStop(); }
bool OxbowCommands::GetFFTSplitScreen() { return ::GetFFTSplitScreen(); }
void OxbowCommands::GetFFTHorizZoomScale(int trace) { ::GetFFTHorizZoomScale(trace); }

void OxbowCommands::PostIOCmd(unsigned long group, unsigned int subCmd, long value) {
    OxPostIOCmd(group, subCmd, value, nullptr, nullptr, nullptr);
}

void OxbowCommands::RestartPersistence() {
    WriteCommand(":CLEARUSB");
    if (acquisition_ == nullptr) return;
    acquisition_->FrameState().nPersistFrame = 0;
    acquisition_->FrameState().nPersistFill = 0;
}

} // namespace oxapp
