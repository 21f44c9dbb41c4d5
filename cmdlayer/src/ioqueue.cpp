// The I/O command ring, the argument slot and the dispatcher.
#include "ox_queue.h"

#include "iocmd_link.h"
#include "oxmsg_state.h"

#include <atomic>
#include <cstring>
#include <map>
#include <mutex>
#include <optional>

namespace {

struct IOCmdEntry {
    std::uint32_t group = 0;
    std::uint32_t subCmd = 0;
    std::int32_t value = 0;
    CWndRef firstWindow;
    CWndRef secondWindow;
    CWndRef thirdWindow;
    std::array<std::uint8_t, 8> argument{};
};

struct IOCmdQueue {
    std::mutex lock;
    std::array<IOCmdEntry, kIOCmdQueueSize> entries;
    int writeIndex = 0; // slot of the newest entry
    int readIndex = 0;  // slot of the entry being processed
    bool taken = false; // GetIOCmd took the entry at readIndex, not yet processed
};

IOCmdQueue g_queue;
CWndRef g_mainWindow;
std::mutex g_handlersLock;
std::map<std::uint32_t, IOCmdHandler> g_handlers;
std::mutex g_errorLock;
std::optional<std::string> g_postedError; // under g_errorLock; recorded by the I/O thread
std::function<void()> g_beforeNotify;     // guarded by g_handlersLock

// The instrument link of the command layer, as the dispatcher sees it.
class InstrumentLink final : public IOCmdLink {
public:
    void SendCommand(const std::string& command, std::uint8_t* reply, bool readBack) override {
        ::SendCommand(command, reply, readBack);
    }
    bool ReadBackWhole() const override { return oxmsg::FirmwareSetupWhole(); }
    const DSO_SETUP& FirmwareDso() const override { return oxmsg::FirmwareSetupCopy().dso; }
    const _OX_LA_SETUP& FirmwareLa() const override { return oxmsg::FirmwareSetupCopy().la; }
    const DSO_ALT_SETUP& FirmwareAlt() const override { return oxmsg::FirmwareSetupCopy().alt; }
};

InstrumentLink g_instrumentLink;
std::atomic<IOCmdLink*> g_linkOverride{nullptr};

thread_local std::array<std::uint8_t, 8> t_argumentSlot{};

int NextSlot(int index) {
    return (index + 1) % kIOCmdQueueSize;
}

// Groups whose handlers send what they need themselves, or nothing.
bool SendsItself(std::uint32_t group) {
    switch (group) {
    case oxcmd::group::kMath:
    case oxcmd::group::kReference:
    case oxcmd::group::kDisplay:
    case oxcmd::group::kManualCursor:
    case oxcmd::group::kTrackCursor:
    case oxcmd::group::kPassFail:
    case oxcmd::group::kRecord:
    case oxcmd::group::kMeasure:
    case oxcmd::group::kLink:
    case oxcmd::group::kCursorMode:
    case oxcmd::group::kPanel:
    case oxcmd::group::kDrag:
        return true;
    default:
        return false;
    }
}

// Flags of the region record touched by more than one thread.
void SetFlag(std::uint8_t& flag, bool on) {
    std::atomic_ref(flag).store(on ? 1 : 0);
}
bool TakeFlag(std::uint8_t& flag) {
    return std::atomic_ref(flag).exchange(0) != 0;
}

void WriteSlot(const void* bytes, std::size_t count) {
    std::memcpy(t_argumentSlot.data(), bytes, count);
}

bool SameCommand(const IOCmdEntry& a, const IOCmdEntry& b) {
    return a.group == b.group && a.subCmd == b.subCmd && a.value == b.value;
}

// Takes the entry GetIOCmd made current, dropping it in favour of identical
// followers; nothing when no entry was taken.
std::optional<IOCmdEntry> TakeCoalesced() {
    std::lock_guard guard(g_queue.lock);
    if (!g_queue.taken) return std::nullopt;
    g_queue.taken = false;
    while (g_queue.readIndex != g_queue.writeIndex &&
           SameCommand(g_queue.entries[g_queue.readIndex],
                       g_queue.entries[NextSlot(g_queue.readIndex)]))
        g_queue.readIndex = NextSlot(g_queue.readIndex);
    return g_queue.entries[g_queue.readIndex];
}

IOCmdHandler HandlerOf(std::uint32_t group) {
    std::lock_guard guard(g_handlersLock);
    auto it = g_handlers.find(group);
    return it != g_handlers.end() ? it->second : IOCmdHandler{};
}

void RunHandler(const IOCmdEntry& entry, IOCmdContext& context) {
    IOCmdHandler handler = HandlerOf(entry.group);
    if (!handler) {
        context.send = false;
        return;
    }
    std::uint32_t halves[2];
    std::memcpy(halves, entry.argument.data(), sizeof halves);
    handler(context, entry.subCmd, entry.value, halves[0], halves[1]);
    if (SendsItself(entry.group)) context.send = false;
}

void SendPrepared(const IOCmdEntry& entry, const IOCmdContext& context) {
    _OX_SETUP* setup = oxmsg::Records().setup;
    IOCmdLink* link = CurrentIOCmdLink();
    if (setup == nullptr || !setup->bConnected || !context.send) return;
    std::uint8_t reply[256] = {};
    link->SendCommand(context.command, reply, context.readBack);
    if (context.readBack && link->ReadBackWhole()) OxReconcileReadBack(entry.subCmd, entry.value);
}

void Notify(const CWndRef& window, UINT message, const IOCmdEntry& entry) {
    CWnd::SendMessageTo(window, message, entry.subCmd, entry.value);
}

void RunBeforeNotify() {
    std::function<void()> hook;
    {
        std::lock_guard guard(g_handlersLock);
        hook = g_beforeNotify;
    }
    if (hook) hook();
}

void NotifyCompletion(const IOCmdEntry& entry, const CWndRef& second) {
    RunBeforeNotify();
    if (entry.subCmd != oxcmd::run::kShowError)
        Notify(g_mainWindow,
               entry.group == oxcmd::group::kPanel ? oxcmd::group::kPanel
                                                   : oxcmd::group::kRunControl,
               entry);
    Notify(entry.firstWindow, entry.group, entry);
    Notify(second, entry.group, entry);
}

void ShowPendingError() {
    _OX_RGN_SETUP* region = oxmsg::Records().region;
    if (region == nullptr || !TakeFlag(region->bErrorPending)) return;
    SetFlag(region->bErrorShown, true);
    CWnd::SendMessageTo(g_mainWindow, oxcmd::group::kRunControl, oxcmd::run::kShowError, 0);
}

void Dispatch(const IOCmdEntry& entry, const CWndRef& second) {
    _OX_RGN_SETUP* region = oxmsg::Records().region;
    if (region != nullptr) SetFlag(region->bBusy, true);
    IOCmdContext context;
    RunHandler(entry, context);
    SendPrepared(entry, context);
    NotifyCompletion(entry, second);
    ShowPendingError();
    if (region != nullptr) SetFlag(region->bBusy, false);
}

} // namespace

CWndRef OxMainWindow() {
    return g_mainWindow;
}

const _OX_SETUP& SetupForRules() {
    static const _OX_SETUP empty{};
    return oxmsg::Records().setup != nullptr ? *oxmsg::Records().setup : empty;
}

void OxMsgInit(CWnd* mainWindow, _OX_SETUP* setup, _OX_RGN_SETUP* regionSetup,
               _OX_POS_SETUP* positionSetup, CWinSocket* socket) {
    oxmsg::Records() = {setup, regionSetup, positionSetup};
    g_mainWindow = CWndRef::Of(mainWindow);
    oxmsg::SetLinkContext(setup, socket);
    oxmsg::RegisterDragHandler();
    OxInstallTriggerHandler();
    OxInstallMathHandlers();
    OxInstallVerticalHandlers();
    std::lock_guard guard(g_queue.lock);
    g_queue.entries.fill(IOCmdEntry{});
    g_queue.writeIndex = 0;
    g_queue.readIndex = 0;
    g_queue.taken = false;
}

void SetMsgVarInt(int value) {
    WriteSlot(&value, 4);
}
void SetMsgVarLong(std::int32_t value) {
    WriteSlot(&value, 4);
}
void SetMsgVarUINT(std::uint32_t value) {
    WriteSlot(&value, 4);
}
void SetMsgVarULong(std::uint32_t value) {
    WriteSlot(&value, 4);
}
void SetMsgVarfloat(float value) {
    WriteSlot(&value, 4);
}
void SetMsgVarDouble(double value) {
    WriteSlot(&value, 8);
}
void SetMsgVarLONG64(std::int64_t value) {
    WriteSlot(&value, 8);
}

void SetMsgVarbool(bool value) {
    const std::uint8_t byte = value ? 1 : 0;
    WriteSlot(&byte, 1);
}

std::array<std::uint8_t, 8> GetMsgVarSlot() {
    return t_argumentSlot;
}

bool OxPostIOCmd(unsigned long group, unsigned int subCmd, long value, CWnd* firstWindow,
                 CWnd* secondWindow, CWnd* thirdWindow) {
    IOCmdEntry entry{static_cast<std::uint32_t>(group),
                     subCmd,
                     static_cast<std::int32_t>(value),
                     CWndRef::Of(firstWindow),
                     CWndRef::Of(secondWindow),
                     CWndRef::Of(thirdWindow),
                     t_argumentSlot};
    {
        std::lock_guard guard(g_queue.lock);
        const int next = NextSlot(g_queue.writeIndex);
        if (next != g_queue.readIndex) {
            g_queue.entries[next] = entry;
            g_queue.writeIndex = next;
            return true;
        }
    }
    PostSystemError(kQueueFullText);
    return false;
}

bool OxPost(oxcmd::Group group, oxcmd::Sub subCmd, long value, CWnd* window) {
    return OxPostIOCmd(group, subCmd, value, window, nullptr, nullptr);
}

namespace {

// Sets the caller's argument slot with `set`, then posts.
template <class T>
bool PostWith(void (*set)(T), oxcmd::Group group, oxcmd::Sub subCmd, long value, T argument,
              CWnd* window) {
    set(argument);
    return OxPost(group, subCmd, value, window);
}

} // namespace

bool OxPostInt(oxcmd::Group group, oxcmd::Sub subCmd, long value, int argument, CWnd* window) {
    return PostWith(SetMsgVarInt, group, subCmd, value, argument, window);
}

bool OxPostFloat(oxcmd::Group group, oxcmd::Sub subCmd, long value, float argument, CWnd* window) {
    return PostWith(SetMsgVarfloat, group, subCmd, value, argument, window);
}

bool OxPostDouble(oxcmd::Group group, oxcmd::Sub subCmd, long value, double argument,
                  CWnd* window) {
    return PostWith(SetMsgVarDouble, group, subCmd, value, argument, window);
}

bool OxPostBool(oxcmd::Group group, oxcmd::Sub subCmd, long value, bool argument, CWnd* window) {
    return PostWith(SetMsgVarbool, group, subCmd, value, argument, window);
}

unsigned long GetIOCmd() {
    std::lock_guard guard(g_queue.lock);
    if (g_queue.readIndex == g_queue.writeIndex) return 0;
    g_queue.readIndex = NextSlot(g_queue.readIndex);
    g_queue.taken = true;
    return g_queue.entries[g_queue.readIndex].group;
}

namespace {

void RecordPostedError() {
    std::optional<std::string> text;
    {
        std::lock_guard guard(g_errorLock);
        text.swap(g_postedError);
    }
    if (text) SetSystemError(*text);
}

} // namespace

void IOCmdProcess() {
    RecordPostedError();
    const std::optional<IOCmdEntry> entry = TakeCoalesced();
    if (!entry) return;
    Dispatch(*entry, entry->secondWindow);
    if (entry->thirdWindow.IsSet()) Dispatch(*entry, entry->thirdWindow);
}

void SetSystemError(const std::string& text) {
    _OX_SETUP* setup = oxmsg::Records().setup;
    if (setup == nullptr) return;
    {
        std::lock_guard guard(g_errorLock);
        const std::size_t length = std::min(text.size(), sizeof setup->szSystemError - 1);
        std::memcpy(setup->szSystemError, text.data(), length);
        setup->szSystemError[length] = '\0';
    }
    if (oxmsg::Records().region != nullptr) SetFlag(oxmsg::Records().region->bErrorPending, true);
}

void PostSystemError(const std::string& text) {
    std::lock_guard guard(g_errorLock);
    g_postedError = text;
}

void SetRefreshWave(bool) {
    _OX_SETUP* setup = oxmsg::Records().setup;
    if (setup != nullptr && oxmsg::Records().region != nullptr &&
        (setup->bRun != 0) != (setup->bWaveHold != 0))
        oxmsg::Records().region->bRedrawWave = 1;
}

void OxSetIOCmdHandler(unsigned long group, IOCmdHandler handler) {
    std::lock_guard guard(g_handlersLock);
    if (handler)
        g_handlers[static_cast<std::uint32_t>(group)] = std::move(handler);
    else
        g_handlers.erase(static_cast<std::uint32_t>(group));
}

IOCmdHandler OxGetIOCmdHandler(unsigned long group) {
    return HandlerOf(static_cast<std::uint32_t>(group));
}

void OxSetBeforeNotify(std::function<void()> hook) {
    std::lock_guard guard(g_handlersLock);
    g_beforeNotify = std::move(hook);
}

void SetIOCmdLink(IOCmdLink* link) {
    g_linkOverride.store(link);
}

IOCmdLink* CurrentIOCmdLink() {
    IOCmdLink* link = g_linkOverride.load();
    return link != nullptr ? link : &g_instrumentLink;
}
