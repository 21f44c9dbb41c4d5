// Link selection and the exchange of the instrument's LAN settings.
#include "ox_handlers_math.h"

#include "handlers_kit.h"

#include <cerrno>
#include <cstdlib>

namespace {

using namespace oxmsg::handlerkit;

// A reply up to its first CR, LF or NUL.
std::string Query(const std::string& query) {
    char reply[256] = {};
    const int length = ReadCommand(query, reply, sizeof reply);
    std::string text(reply, static_cast<std::size_t>(std::max(0, length)));
    return text.substr(0, text.find_first_of(std::string("\r\n\0", 3)));
}

std::string FieldText(const char* field, std::size_t size) {
    return std::string(field, strnlen(field, size));
}

struct LanText {
    const char* leaf;
    char* field;
    std::size_t size;
};

// The port number of a reply; nothing when the reply is no port.
std::optional<int> ParsePort(const std::string& reply) {
    if (reply.empty()) return std::nullopt;
    errno = 0;
    char* end = nullptr;
    const long port = std::strtol(reply.c_str(), &end, 10);
    if (errno != 0 || *end != '\0' || port < 0 || port > 65535) return std::nullopt;
    return static_cast<int>(port);
}

void ExchangeLanSettings() {
    _OX_SETUP& s = Setup();
    WriteCommand(StrConnect(":LAN", ":DHCP", " ", OnOff(s.bLanDhcp), ""));
    s.bLanDhcp = Query(":LAN:DHCP?") == "ON" ? 1 : 0;
    const LanText texts[] = {{":IP", s.szLanIp, sizeof s.szLanIp},
                             {":NETMASK", s.szLanNetmask, sizeof s.szLanNetmask},
                             {":MACADDRESS", s.szLanMac, sizeof s.szLanMac},
                             {":GATEWAY", s.szLanGateway, sizeof s.szLanGateway}};
    for (const LanText& text : texts) {
        if (!s.bLanDhcp)
            WriteCommand(StrConnect(":LAN", text.leaf, " ", FieldText(text.field, text.size), ""));
        oxmsg::CopyLanText(text.field, text.size,
                           Query(StrConnect(":LAN", text.leaf, "?", "", "")));
    }
    if (!s.bLanDhcp) WriteCommand(StrConnect(":LAN", ":PORT", " ", Format("%d", s.nLanPort), ""));
    if (const auto port = ParsePort(Query(":LAN:PORT?"))) s.nLanPort = *port;
}

void SelectLink(const Arg& arg) {
    _OX_SETUP& s = Setup();
    s.bConnected = 1;
    s.nInterface = arg.Int();
    SetSystemError(arg.Int() == oxcmd::code::kLan ? "LAN is already selected"
                                                  : "USB is already selected");
}

} // namespace

void oxmsg::handlerkit::LinkHandler(IOCmdContext&, unsigned int subCmd, long, std::uint32_t argLow,
                                    std::uint32_t argHigh) {
    _OX_SETUP& s = Setup();
    const Arg arg{argLow, argHigh};
    switch (subCmd) {
    case oxcmd::link::kSelect:
        SelectLink(arg);
        break;
    case oxcmd::link::kDhcp:
        s.bLanDhcp = arg.Byte() ? 1 : 0;
        if (s.bConnected) ExchangeLanSettings();
        break;
    case oxcmd::link::kExchange:
        if (s.bConnected) ExchangeLanSettings();
        break;
    default:
        break;
    }
}
