// Link context and the command primitives that choose between USB and LAN.
#include "link_internal.h"

#include <chrono>
#include <thread>

namespace oxmsg {
namespace link {
namespace {

class RealClock final : public LinkClock {
public:
    void Sleep(int milliseconds) override {
        std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
    }
    std::int64_t NowMs() override {
        return std::chrono::duration_cast<std::chrono::milliseconds>(
                   std::chrono::steady_clock::now().time_since_epoch())
            .count();
    }
};

// A reply text: the bytes up to the first NUL, without a trailing line end.
std::string ReplyText(const std::uint8_t* bytes, int count) {
    std::string text(reinterpret_cast<const char*>(bytes), static_cast<std::size_t>(count));
    text.resize(text.find('\0') == std::string::npos ? text.size() : text.find('\0'));
    while (!text.empty() && (text.back() == '\r' || text.back() == '\n'))
        text.pop_back();
    return text;
}

bool ReadText(const std::string& query, std::string& text) {
    std::uint8_t reply[256];
    const int count = ReadCommand(query, reply, sizeof reply);
    if (count <= 0) return false;
    text = ReplyText(reply, count);
    return true;
}

} // namespace

LinkState& State() {
    static LinkState state;
    return state;
}

LinkClock& Clock() {
    static RealClock real;
    return State().clock != nullptr ? *State().clock : real;
}

bool Connected() {
    return State().setup != nullptr && State().setup->bConnected != 0;
}

bool OverLan() {
    return State().setup != nullptr && State().setup->nInterface != oxcmd::code::kUsb;
}

void NoteCommandSent() {
    ++State().commandsSent;
}

void NoteCopyCurrent() {
    State().copyReadAfter = State().commandsSent;
}

} // namespace link

void SetLinkContext(_OX_SETUP* setup, CWinSocket* socket) {
    link::State().setup = setup;
    link::State().socket = socket;
    link::State().copyReadAfter = ~std::uint64_t{0};
}

void SetLinkClock(LinkClock* clock) {
    link::State().clock = clock;
}

} // namespace oxmsg

using namespace oxmsg::link;

int WriteCommand(const std::string& command) {
    if (!Connected()) return -1;
    NoteCommandSent();
    return OverLan() ? LanSend(command) : UsbWriteText(command);
}

int WriteCommandUnpaused(const std::string& command) {
    if (!Connected()) return -1;
    return OverLan() ? LanSend(command, false) : UsbWriteText(command);
}

int CommandPauseMs(const std::string& command) {
    return OverLan() ? LanPauseAfterMs(command) : 0;
}

int ReadCommand(const std::string& query, void* reply, int size) {
    if (State().setup == nullptr || reply == nullptr || size <= 0) return 0;
    auto* buffer = static_cast<std::uint8_t*>(reply);
    return OverLan() ? LanQuery(query, buffer, size) : UsbQuery(query, buffer, size);
}

int ReadSetup(const std::string& query, void* block, int size) {
    if (!Connected()) return -1;
    if (block == nullptr || size <= 0) return 0;
    return LanQuery(query, static_cast<std::uint8_t*>(block), size);
}

bool ReadSerial(std::string& serial) {
    return ReadText("*IDN?", serial);
}

bool ReadFPGAVersion(std::string& version) {
    return ReadText(":INFO:FPGA?", version);
}

int ReadCmdOPC() {
    return 0;
}
