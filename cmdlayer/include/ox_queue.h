// The I/O command queue and its dispatcher.
//
// The user interface (and handlers that post follow-ups) fill the argument slot
// with one SetMsgVar* call and post with OxPostIOCmd; the I/O thread loops
// "if (GetIOCmd()) IOCmdProcess();". Each posting thread has its own argument
// slot, so a setter-and-post pair never mixes with another thread's pair; one lock
// guards the ring, so an entry is complete before the consumer can take it.
// Posting never blocks on the instrument and no lock is held while a handler runs
// or a completion message is sent.
#pragma once

#include "cwnd.h"
#include "ox_commands.h"

#include <array>
#include <cstdint>
#include <functional>
#include <string>

struct _OX_SETUP;
struct _OX_RGN_SETUP;
struct _OX_POS_SETUP;
class CWinSocket;

void OxMsgInit(CWnd* mainWindow, _OX_SETUP* setup, _OX_RGN_SETUP* regionSetup,
               _OX_POS_SETUP* positionSetup, CWinSocket* socket);

// The argument slot (8 bytes). 4-byte setters write the low half and keep the high
// half; the 8-byte setters write all of it; SetMsgVarbool writes byte 0 only.
void SetMsgVarInt(int value);
void SetMsgVarLong(std::int32_t value);
void SetMsgVarUINT(std::uint32_t value);
void SetMsgVarULong(std::uint32_t value);
void SetMsgVarfloat(float value);
void SetMsgVarDouble(double value);
void SetMsgVarLONG64(std::int64_t value);
void SetMsgVarbool(bool value);

// The calling thread's argument slot as it stands (what the next post copies).
std::array<std::uint8_t, 8> GetMsgVarSlot();

constexpr int kIOCmdQueueSize = 256; // ring slots; at most 255 commands wait

// What the user is told when the queue is full and a command is not taken.
inline constexpr const char* kQueueFullText = "Instrument busy: the command was not taken";

// Queues a command with a copy of the caller's argument slot. False when full: the
// command is lost, and kQueueFullText is recorded for the screen (PostSystemError).
[[nodiscard]] bool OxPostIOCmd(unsigned long group, unsigned int subCmd, long value,
                               CWnd* firstWindow, CWnd* secondWindow, CWnd* thirdWindow);
// Posts with the argument slot set in the same call (none, an int, a float, a double, a
// byte), naming one window to notify. False when the queue is full.
[[nodiscard]] bool OxPost(oxcmd::Group group, oxcmd::Sub subCmd, long value = 0,
                          CWnd* window = nullptr);
[[nodiscard]] bool OxPostInt(oxcmd::Group group, oxcmd::Sub subCmd, long value, int argument,
                             CWnd* window = nullptr);
[[nodiscard]] bool OxPostFloat(oxcmd::Group group, oxcmd::Sub subCmd, long value, float argument,
                               CWnd* window = nullptr);
[[nodiscard]] bool OxPostDouble(oxcmd::Group group, oxcmd::Sub subCmd, long value, double argument,
                                CWnd* window = nullptr);
[[nodiscard]] bool OxPostBool(oxcmd::Group group, oxcmd::Sub subCmd, long value, bool argument,
                              CWnd* window = nullptr);

// 0 when the queue is empty; otherwise takes the next entry and returns its group.
unsigned long GetIOCmd();
// Dispatches the entry taken by GetIOCmd (nothing when none was taken).
void IOCmdProcess();

// Records a message for the user; shown after the current dispatch. On the I/O thread (or
// while it is not running) only: the text lies in the shared setup record.
void SetSystemError(const std::string& text);
// The same from any other thread: the I/O thread records the text before it takes the next
// command (post the command that shows it after this call).
void PostSystemError(const std::string& text);
// Asks for a redraw of the stored traces when run flag and hold flag differ.
void SetRefreshWave(bool unused);

// What a handler prepares during one dispatch. Emptied, with both flags set,
// before every handler call.
struct IOCmdContext {
    std::string command;  // the instrument command to send
    std::string query;    // its query form
    std::string piece;    // scratch
    bool send = true;     // send `command` after the handler
    bool readBack = true; // re-read the setup blocks after sending and reconcile
};

// A group's handler: sub-command, value and the argument as two 32-bit halves.
using IOCmdHandler = std::function<void(IOCmdContext& context, unsigned int subCmd, long value,
                                        std::uint32_t argLow, std::uint32_t argHigh)>;
// Installs (or, with an empty handler, removes) the handler of a group.
void OxSetIOCmdHandler(unsigned long group, IOCmdHandler handler);
// The handler installed for a group (empty when none), so a caller can wrap it.
[[nodiscard]] IOCmdHandler OxGetIOCmdHandler(unsigned long group);

// Called on the I/O thread after each command was handled and sent, before its completion
// messages go out, while the records stand as the command left them: the program refreshes
// the user interface's copy of the records there. An empty function removes it.
void OxSetBeforeNotify(std::function<void()> hook);

// Copies the values the instrument accepted for `subCmd` (and channel `value`)
// from the firmware setup copy into the setup record.
void OxReconcileReadBack(unsigned int subCmd, long value);
