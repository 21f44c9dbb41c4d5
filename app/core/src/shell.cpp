// The main window's start-up, link and completion logic (UI thread).
#include "oxshell.h"

#include "atomicfile.h"
#include "cwinsocket.h"
#include "ox_link.h"
#include "oxbow_ui.h"
#include "oxcommon.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace oxacq {

Shell::Shell(AcqRecords records, CWinSocket& socket, AcqCommands& commands,
             Acquisition& acquisition, Workers& workers)
    : records_(records), socket_(socket), commands_(commands), acquisition_(acquisition),
      workers_(workers), settingsPath_(SettingsPath()) {}

void Shell::FindUsbDeviceAtStart() {
    const int count = UsbDeviceCount();
    Setup().hUsbDevice = count >= 2 ? count - 1 : 0;
}

// Steps 3 to 6 of the identification on a reply already asked for.
bool Shell::Identify() {
    std::string reply;
    std::string fpga;
    Setup().bConnected = ReadSerial(reply) ? 1 : 0;
    ReadFPGAVersion(fpga);
    if (!Setup().bConnected || !ParseIdentification(reply, fpga, identity_))
        return Setup().bConnected != 0;
    std::memset(Setup().szModelName, 0, sizeof Setup().szModelName);
    std::memcpy(Setup().szModelName, identity_.model.data(),
                std::min(identity_.model.size(), sizeof Setup().szModelName));
    ApplyModel(identity_.model, Setup());
    return true;
}

bool Shell::DetectModel() {
    if (!Identify()) return false;
    WriteCommand(":STOP");
    commands_.OxInitSystem();
    return true;
}

bool Shell::RefreshModel() {
    if (!Setup().bConnected) return false;
    Identify();
    return Setup().bConnected != 0;
}

void Shell::LoadSettings() {
    // A save killed mid-way left its temporary file behind.
    oxbow::RemoveLeftoverTemporaries(settingsPath_);
    _OX_SETUP image;
    if (OxReadFile(&image, settingsPath_.string(), static_cast<int>(kSettingsBytes)) != 0) return;
    if (!SettingsImageAccepted(image)) return;
    RestoreSettings(image, Setup());
    SetTraceUnits(Setup());
    InitTraceFilters(Setup());
    if (commands_.GetFFTOperator()) {
        ReadCmdOPC();
        WriteCommand(StrConnect(":TIMEBASE", ":MODE", " ", "MAIN", ""));
        Setup().bDelayed = 0;
    }
    commands_.RebuildRgnSetup();
}

// The validators report their limits in the error text: a refused file leaves no message there.
bool Shell::SettingsImageAccepted(const _OX_SETUP& image) {
    char error[sizeof Setup().szSystemError];
    std::memcpy(error, Setup().szSystemError, sizeof error);
    const std::uint8_t pending = records_.region != nullptr ? records_.region->bErrorPending : 0;
    std::string failed;
    const bool accepted = CheckSettingsImage(image, failed);
    std::memcpy(Setup().szSystemError, error, sizeof error);
    if (records_.region != nullptr) records_.region->bErrorPending = pending;
    if (accepted) return true;
    const std::filesystem::path kept = RefusedSettingsPath(settingsPath_);
    std::error_code renameError;
    std::filesystem::rename(settingsPath_, kept, renameError);
    std::fprintf(
        stderr,
        "oxbow: %s is not a valid settings file (%s out of range); replaced by defaults%s%s\n",
        settingsPath_.c_str(), failed.c_str(), renameError ? "" : ", kept as ",
        renameError ? "" : kept.c_str());
    return false;
}

bool Shell::SaveSettings() {
    return WriteSettingsFile(Setup(), settingsPath_);
}

// Ignore in a link question: no link, no acquiring (applied by the I/O thread), no polling.
void Shell::IgnoreLink() {
    Setup().bConnected = 0;
    acquisition_.Requests().stopAcquiring = true;
    workers_.SuspendWorkers();
}

void Shell::ConnectLan() {
    socket_.Close();
    if (!socket_.Create()) return;
    if (ReconnectSocket(socket_, Setup())) {
        Setup().bConnected = 1;
        return;
    }
    for (;;) {
        switch (oxbow::AskMessage(LanLinkLostQuestion(Setup(), socket_))) {
        case oxbow::MessageAnswer::Retry:
            if (ReconnectSocket(socket_, Setup())) {
                Setup().bConnected = 1;
                return;
            }
            break;
        case oxbow::MessageAnswer::Ignore:
            IgnoreLink();
            return;
        default:
            commands_.PostIOCmd(oxcmd::group::kRunControl, oxcmd::run::kExit, 0, 0, nullptr);
            return;
        }
    }
}

bool Shell::CheckUsbLink() {
    if (Setup().bConnected) return true;
    for (;;) {
        switch (oxbow::AskMessage(LinkLostQuestion())) {
        case oxbow::MessageAnswer::Retry:
            if (FindUsbDevice(Setup()) >= 1) {
                commands_.PostIOCmd(oxcmd::group::kRunControl, oxcmd::run::kConnectDone, 0, 0,
                                    nullptr);
                return true;
            }
            break;
        case oxbow::MessageAnswer::Ignore:
            acquisition_.Requests().stopAcquiring = true;
            return false;
        default:
            commands_.PostIOCmd(oxcmd::group::kRunControl, oxcmd::run::kExit, 0, 0, nullptr);
            return false;
        }
    }
}

void Shell::CheckLink() {
    if (Setup().bConnected) return;
    if (Setup().nInterface != oxcmd::code::kUsb) {
        ConnectLan();
        return;
    }
    if (FindUsbDevice(Setup()) >= 1)
        commands_.PostIOCmd(oxcmd::group::kRunControl, oxcmd::run::kConnectDone, 0, 0, nullptr);
    else
        CheckUsbLink();
}

NotifyActions Shell::OnIoNotify(unsigned int subCmd, long value) {
    NotifyActions actions;
    actions.handled = true;
    switch (subCmd) {
    case oxcmd::run::kHardwareFailure:
        oxbow::AskMessage({kHardwareFailureText, "", oxbow::MessageButtons::Ok,
                           oxbow::MessageIcon::Warning, false});
        [[fallthrough]];
    case oxcmd::run::kExit:
        shutdownScheduled_ = true;
        actions.shutdown = true;
        break;
    case oxcmd::run::kReconnect:
        if (Setup().nInterface != oxcmd::code::kUsb) {
            ConnectLan();
        } else if (FindUsbDevice(Setup()) < 1) {
            Setup().bConnected = 0;
            CheckUsbLink();
        }
        workers_.SuspendWorkers();
        workers_.ResumeWorkers();
        actions.redraw = true;
        break;
    case oxcmd::run::kAuto:
        actions.redraw = true;
        actions.startRunTimers = true;
        actions.runStateText = "AUTO";
        workers_.SuspendWorkers();
        workers_.ResumeWorkers();
        if (Setup().bConnected) commands_.OxInitSystem();
        actions.refreshLabels = true;
        actions.refreshControls = true;
        break;
    case oxcmd::run::kRun:
        actions.startRunTimers = true;
        workers_.SuspendWorkers();
        workers_.ResumeWorkers();
        if (Setup().bConnected && Setup().nTimeFormat != oxcmd::code::kRolling)
            commands_.GetTimeScalePara();
        actions.runStateText = "RUN";
        actions.refreshLabels = true;
        break;
    case oxcmd::run::kDefaultSetup:
    case oxcmd::run::kConnectDone:
        if (Setup().bConnected) {
            DefaultSetup(Setup(), true);
            actions.resetMarkers = true;
            commands_.OxInitSystem();
        }
        commands_.RebuildRgnSetup();
        actions.refreshLabels = true;
        actions.refreshControls = true;
        RefreshModel();
        break;
    case oxcmd::run::kCheckLink:
        CheckLink();
        break;
    case oxcmd::run::kScreenMode:
        actions.screenMode = static_cast<int>(value);
        break;
    default:
        actions.handled = false;
        break;
    }
    if (actions.runStateText != nullptr) acquisition_.Requests().runStateWritten = true;
    return actions;
}

bool Shell::Shutdown() {
    if (shutDown_) return false;
    shutDown_ = true;
    // The workers are joined first: nobody changes the setup record while it is written.
    workers_.Stop();
    return SaveSettings();
}

} // namespace oxacq
