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

FrontPanel::FrontPanel(_OX_SETUP& setup) : setup_(setup) {}

bool FrontPanel::RefusedWhilePlaying(bool refuse) {
    if (refuse) RefuseAction(kNotAvailable);
    return refuse;
}

void FrontPanel::Run() {
    if (RefusedWhilePlaying(setup_.nRecordState == kRecordPlaying)) return;
    // The link check goes through the I/O queue too: it reconnects, and the link is only
    // touched under the I/O thread's lock.
    Post(kGroupSystem, kCmdCheckLink, 0);
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
    const bool shown = setup_.bChanDisplay[channel] != 0;
    SetMsgVarbool(!shown);
    Post(kGroupChannel, kCmdChanDisplay, channel);
    if (shown) CursorReadoutsOff(channel);
}

// A hidden channel has nothing to measure: every shown cursor read-out of it goes off, each
// with its own command.
void FrontPanel::CursorReadoutsOff(int channel) {
    struct Readout {
        std::int32_t source;
        std::uint8_t on;
        unsigned long group;
        unsigned int subCmd;
        long value;
    };
    const Readout readouts[] = {
        {setup_.nCurXSource, setup_.bCurXOn, kGroupManualCursor, kCmdCurXOn, 0},
        {setup_.nCurYSource, setup_.bCurYOn, kGroupManualCursor, kCmdCurYOn, 0},
        {setup_.nTrackSourceA, setup_.bTrackOnA, kGroupTrackCursor, kCmdTrackOn, 0},
        {setup_.nTrackSourceB, setup_.bTrackOnB, kGroupTrackCursor, kCmdTrackOn, 1},
    };
    for (const Readout& readout : readouts) {
        if (readout.source != channel || readout.on == 0) continue;
        SetMsgVarbool(false);
        Post(readout.group, readout.subCmd, readout.value);
    }
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
