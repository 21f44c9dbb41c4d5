#include "frontpanel.h"

#include "oxcommon.h"
#include "oxmsg.h"

namespace oxapp {
namespace {

constexpr int kRecordPlaying = 2;

void Post(unsigned long group, unsigned int subCmd, long value, CWnd* window = nullptr) {
    OxPostIOCmd(group, subCmd, value, window, nullptr, nullptr);
}

} // namespace

void RefuseAction(const char* text) {
    SetSystemError(text);
    Post(kGroupSystem, kCmdShowError, 0);
}

FrontPanel::FrontPanel(_OX_SETUP& setup, std::function<void()> checkLink)
    : setup_(setup), checkLink_(std::move(checkLink)) {}

bool FrontPanel::RefusedWhilePlaying(bool refuse) {
    if (refuse) RefuseAction(kNotAvailable);
    return refuse;
}

void FrontPanel::Run() {
    if (RefusedWhilePlaying(setup_.nRecordState == kRecordPlaying)) return;
    if (checkLink_) checkLink_();
    Post(kGroupSystem, kCmdRun, 0, currentPanel_);
    Post(kGroupTimebase, kCmdRun, 0, currentPanel_);
}

void FrontPanel::Stop() {
    if (RefusedWhilePlaying(setup_.nRecordState == kRecordPlaying)) return;
    Post(kGroupSystem, kCmdStop, 0, currentPanel_);
}

void FrontPanel::Auto() { Post(kGroupSystem, kCmdAuto, 0); }

void FrontPanel::Exit() { Post(kGroupSystem, kCmdExit, 0); }

void FrontPanel::ChannelScale(int channel, bool up) {
    if (channel < 0 || channel > 1) return;
    SetMsgVarfloat(static_cast<float>(SetPreDefinedScale(setup_.fChanScale[channel], up)));
    SaveUndoSetup();
    Post(kGroupChannel, kCmdChanScale, channel);
}

void FrontPanel::ChannelOnOff(int channel) {
    if (channel < 0 || channel > 1) return;
    const int state = setup_.nRecordState;
    if (state >= 1 && state <= 3) {
        RefuseAction(kNotAvailable);
        return;
    }
    SetMsgVarbool(setup_.bChanDisplay[channel] == 0);
    Post(kGroupChannel, kCmdChanDisplay, channel);
}

void FrontPanel::TimeScale(bool up) {
    if (setup_.nTrigMode == kTrigModeAlternate) {
        SetMsgVarDouble(SetPreDefinedScale(static_cast<double>(setup_.dAltTimeScale[0]), up));
        SaveUndoSetup();
        Post(kGroupTimebase, kCmdAltTimeScale, 0);
        return;
    }
    SetMsgVarDouble(SetPreDefinedScale(setup_.dTimeScale, up));
    SaveUndoSetup();
    Post(kGroupTimebase, kCmdTimeScale, 0);
}

} // namespace oxapp
