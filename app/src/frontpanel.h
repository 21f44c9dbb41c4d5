// The front-panel actions of the main window: each button or menu item turns into the
// one I/O command it stands for (argument slot, then OxPostIOCmd). Refusals go through
// SetSystemError and the show-error command, so the text appears on the screen.
#pragma once

#include "cwnd.h"

struct _OX_SETUP;

namespace oxapp {

// Command groups and sub-commands the main window posts or answers.
inline constexpr unsigned long kGroupSystem = 3125;
inline constexpr unsigned long kGroupChannel = 3135;
inline constexpr unsigned long kGroupTimebase = 3139;
inline constexpr unsigned long kGroupManualCursor = 3143;
inline constexpr unsigned long kGroupTrackCursor = 3144;
inline constexpr unsigned int kCmdExit = 4224;
inline constexpr unsigned int kCmdHardwareFailure = 2832;
inline constexpr unsigned int kCmdReconnect = 2828;
inline constexpr unsigned int kCmdAuto = 4125;
inline constexpr unsigned int kCmdRun = 4126;
inline constexpr unsigned int kCmdStop = 4127;
inline constexpr unsigned int kCmdDefaultSetup = 4134;
inline constexpr unsigned int kCmdConnectDone = 4135;
inline constexpr unsigned int kCmdCheckLink = 4136;
inline constexpr unsigned int kCmdShowError = 4424;
inline constexpr unsigned int kCmdScreenMode = 4434;
inline constexpr unsigned int kCmdChanScale = 1125;
inline constexpr unsigned int kCmdChanDisplay = 1148;
inline constexpr unsigned int kCmdTimeScale = 1645;
inline constexpr unsigned int kCmdAltTimeScale = 2015;
inline constexpr unsigned int kCmdCurXOn = 2215;
inline constexpr unsigned int kCmdCurYOn = 2235;
inline constexpr unsigned int kCmdTrackOn = 2256;  // value 0 cursor A, 1 cursor B

inline constexpr int kTrigModeAlternate = 4;
inline constexpr const char* kNotAvailable = "Function not available";

class FrontPanel {
public:
    explicit FrontPanel(_OX_SETUP& setup);

    // The open control dialog, named as window of RUN and STOP (null: none).
    void SetCurrentPanel(CWnd* panel) { currentPanel_ = panel; }

    void Run();
    void Stop();
    void Auto();
    void Exit();
    void ChannelScale(int channel, bool up);
    void ChannelOnOff(int channel);
    void TimeScale(bool up);

private:
    bool RefusedWhilePlaying(bool refuse);
    void CursorReadoutsOff(int channel);

    _OX_SETUP& setup_;
    CWnd* currentPanel_ = nullptr;
};

// SetSystemError(text), then the command that shows it.
void RefuseAction(const char* text);

} // namespace oxapp
