// The connection-lost dialog and the reconnection helpers shared with the start-up logic.
#include "oxacq.h"

#include "cwinsocket.h"
#include "oxbow_ui.h"

namespace oxacq {

namespace {

constexpr int kLinkTimeoutMs = 200;

std::string ConnectAddress(const _OX_SETUP& setup) {
    return {setup.szConnectAddress, strnlen(setup.szConnectAddress, sizeof setup.szConnectAddress)};
}

std::string ModelName(const _OX_SETUP& setup) {
    return {setup.szModelName, strnlen(setup.szModelName, sizeof setup.szModelName)};
}

std::string ConnectPlace(const _OX_SETUP& setup) {
    return ConnectAddress(setup) + ":" + std::to_string(setup.nConnectPort);
}

} // namespace

std::string ConnectionText(const _OX_SETUP& setup) {
    const std::string link = setup.nInterface != oxcmd::code::kUsb
                                 ? "LAN " + ConnectPlace(setup)
                                 : "USB device " + std::to_string(setup.hUsbDevice);
    const std::string model = ModelName(setup);
    return link + " \u00B7 " + (model.empty() ? "no instrument" : model);
}

oxbow::MessageQuestion LinkLostQuestion() {
    return {kLinkLostQuestion, "", oxbow::MessageButtons::AbortRetryIgnore,
            oxbow::MessageIcon::Warning, true};
}

oxbow::MessageQuestion LanLinkLostQuestion(const _OX_SETUP& setup, const CWinSocket& socket) {
    oxbow::MessageQuestion question = LinkLostQuestion();
    const std::string reason = socket.FailureReason();
    question.text += "\n" + ConnectPlace(setup) + ": " + (reason.empty() ? "no answer" : reason);
    return question;
}

bool ReconnectSocket(CWinSocket& socket, const _OX_SETUP& setup) {
    socket.Close();
    if (!socket.Create()) return false;
    const bool connected = socket.Connect(ConnectAddress(setup), setup.nConnectPort) != 0;
    socket.SetRecvTimeout(kLinkTimeoutMs);
    socket.SetSendTimeout(kLinkTimeoutMs);
    return connected;
}

int FindUsbDevice(_OX_SETUP& setup) {
    const int count = UsbDeviceCount();
    if (count >= 1) {
        setup.hUsbDevice = count - 1;
        setup.bConnected = 1;
    }
    return count;
}

// Asks until the link is back (Retry found it: true), or the user lets it go. Ignore stops
// acquiring; Abort ends the program, and acquiring stops too so that nobody is asked again
// before the exit command is processed.
bool Acquisition::ConnectionLostDialog() {
    if (Setup().bConnected) return false;
    for (;;) {
        switch (oxbow::AskMessage(OnLan() && socket_ != nullptr
                                      ? LanLinkLostQuestion(Setup(), *socket_)
                                      : LinkLostQuestion())) {
        case oxbow::MessageAnswer::Retry:
            if (RetryLink()) {
                commands_.PostIOCmd(oxcmd::group::kRunControl, oxcmd::run::kConnectDone, 0, 0,
                                    nullptr);
                return true;
            }
            break;
        case oxbow::MessageAnswer::Ignore:
            region_->bAcquiring = 0;
            return false;
        default:
            region_->bAcquiring = 0;
            commands_.PostIOCmd(oxcmd::group::kRunControl, oxcmd::run::kExit, 0, 0, nullptr);
            return false;
        }
    }
}

bool Acquisition::RetryLink() {
    if (!OnLan()) return FindUsbDevice(Setup()) >= 1;
    if (socket_ == nullptr || !ReconnectSocket(*socket_, Setup())) return false;
    Setup().bConnected = 1;
    lanCarried_ = 0;
    counters_.outstanding = 0;
    return true;
}

} // namespace oxacq
