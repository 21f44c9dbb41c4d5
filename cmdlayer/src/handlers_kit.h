// What the trigger, math, display, logic-analyzer and utility handlers share: the
// argument of a command, refusals, command texts and the screen follow-ups.
#pragma once

#include "ox_commands.h"
#include "ox_settings.h"
#include "oxcommon.h"
#include "oxmsg.h"

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <optional>
#include <span>
#include <string>

namespace oxmsg::handlerkit {

// The argument of an I/O command as its two 32-bit halves, read in the width the
// sub-command defines (oxcmd::Decode, the one decoder of the argument slot).
struct Arg {
    std::uint32_t low;
    std::uint32_t high;

    int Int() const { return oxcmd::Decode<int>(low, high); }
    bool Byte() const { return oxcmd::Decode<bool>(low, high); }
    float Float() const { return oxcmd::Decode<float>(low, high); }
    double Double() const { return oxcmd::Decode<double>(low, high); }
};

inline _OX_SETUP& Setup() {
    return *oxmsg::Records().setup;
}
inline _OX_RGN_SETUP& Region() {
    return *oxmsg::Records().region;
}

using oxcmd::refusal::kNotAtAlternate;
using oxcmd::refusal::kNotAtRolling;
using oxcmd::refusal::kNotAtXY;
using oxcmd::refusal::kNotAvailable;

// Reports the refusal and sends nothing.
inline void Refuse(IOCmdContext& context, const char* message) {
    SetSystemError(message);
    context.send = false;
}

// A value outside its quantity's domain is refused whole: nothing stored, nothing sent.
[[nodiscard]] inline bool RefusedOutside(IOCmdContext& context, OxDomain domain, double value) {
    const char* refusal = DomainRefusal(domain, value);
    if (refusal != nullptr) Refuse(context, refusal);
    return refusal != nullptr;
}

// The selector when it names an entry of `count`; otherwise the command is refused
// with "Function not available" and nothing is stored.
inline std::optional<int> Pick(IOCmdContext& context, long selector, std::size_t count) {
    if (selector < 0 || static_cast<std::size_t>(selector) >= count) {
        Refuse(context, kNotAvailable);
        return std::nullopt;
    }
    return static_cast<int>(selector);
}

// Stores a selector that names an entry of `count` (otherwise refused as by Pick).
inline void Choose(IOCmdContext& context, std::int32_t& field, const Arg& arg, std::size_t count) {
    if (const auto choice = Pick(context, arg.Int(), count)) field = *choice;
}

// Text of an entry of a table; the index has been checked with Pick.
inline std::string TextAt(std::span<const char* const> table, int index) {
    return table[static_cast<std::size_t>(index)];
}

// The command "subsystem node leaf argument" (a space before a non-empty argument)
// and its query form.
inline void Compose(IOCmdContext& context, const std::string& subsystem, const std::string& node,
                    const std::string& leaf, const std::string& argument) {
    context.command = StrConnect(subsystem, node, leaf, argument.empty() ? "" : " ", argument);
    context.query = StrConnect(subsystem, node, leaf, "?", "");
}

// Values printed with a printf format ("%f", "%0.9f", "%s%d" ...).
template <class... T> std::string Format(const char* format, T... values) {
    char text[96];
    std::snprintf(text, sizeof text, format, values...);
    return text;
}

inline const char* OnOff(bool on) {
    return on ? "ON" : "OFF";
}

// Writes a command straight to the instrument when the link is up.
inline void WriteDirect(const std::string& command) {
    if (Setup().bConnected) WriteCommand(command);
}

// Screen follow-ups of a change: the trigger-level marker, the screen regions, the
// cursor points and read-outs, and the change tracking of a running acquisition.
void TrigLevelMoved();
void ScreenLayoutChanged();
void CursorsMoved();
void SettingChanged();

// The handlers of the groups, installed by OxInstallMathHandlers.
using IOCmdHandlerFn = void(IOCmdContext& context, unsigned int subCmd, long value,
                            std::uint32_t argLow, std::uint32_t argHigh);
// The handler as installed: without the shared records (before OxMsgInit was given
// them) it sends nothing and stores nothing.
inline IOCmdHandler WhenRecordsSet(IOCmdHandlerFn* handler) {
    return [handler](IOCmdContext& context, unsigned int subCmd, long value, std::uint32_t argLow,
                     std::uint32_t argHigh) {
        if (oxmsg::Records().setup == nullptr || oxmsg::Records().region == nullptr) {
            context.send = false;
            return;
        }
        handler(context, subCmd, value, argLow, argHigh);
    };
}

IOCmdHandlerFn MathHandler, RefHandler, LaHandler, DisplayHandler, CursorModeHandler,
    ManualCursorHandler, TrackCursorHandler, PanelHandler, PassFailHandler, RecordHandler,
    MeasureHandler, SelfCalHandler, LinkHandler;

} // namespace oxmsg::handlerkit
