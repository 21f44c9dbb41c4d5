// The command language: parses a command line and applies it to the setup the way
// the instrument does, coercing values to what the hardware can take.
#include "command_args.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace oxbow::sim::detail {

namespace {

const char* const kAcqTypes[] = {"NORMAL", "AVERAGE", "PEAKDETECT"};
const char* const kFilterTypes[] = {"LOWPASS", "HIGHPASS", "BANDPASS", "BANDREJECT"};
const char* const kThresholds[] = {"TTL", "CMOS", "ECL", "USER"};
const char* const kFormats[] = {"YT", "XY", "ROLLING"};
constexpr float kThresholdLevels[] = {1.4f, 2.5f, -1.3f};

// ---- channels

double OffsetLimit(const ChannelState& c) {
    return ((c.scale / c.probe) > 0.2 ? 40.0 : 2.0) * c.probe;
}

void ClampOffset(ChannelState& c) {
    const double limit = OffsetLimit(c);
    c.offset = static_cast<float>(std::clamp<double>(c.offset, -limit, limit));
}

bool SetChannelScale(ChannelState& c, const std::string& arg) {
    double tip = 0.0;
    if (!Number(arg, tip) || tip <= 0.0) {
        return false;
    }
    const double input = std::clamp(Snap125(tip / c.probe), 0.002, 10.0);
    c.scale = static_cast<float>(input * c.probe);
    ClampOffset(c);
    return true;
}

bool SetProbe(ChannelState& c, const std::string& arg) {
    double ratio = 0.0;
    if (!Number(arg, ratio) || ratio < 0.001 || ratio > 10000.0) {
        return false;
    }
    const double r = ratio / c.probe;
    c.probe = static_cast<float>(ratio);
    c.scale = static_cast<float>(c.scale * r);
    c.offset = static_cast<float>(c.offset * r);
    return true;
}

bool ChannelFilter(ChannelState& c, const Command& cmd) {
    const std::string& leaf = cmd.Node(2);
    if (leaf == "DISPLAY") return OnOff(cmd.arg, c.filter);
    if (leaf == "UPLIMIT") return Clamped(cmd.arg, 0.005, 0.495, c.filterUpper);
    if (leaf == "DOWNLIMIT") return Clamped(cmd.arg, 0.005, 0.495, c.filterLower);
    if (leaf == "TYPE") return Keyword(cmd.arg, kFilterTypes, c.filterType);
    return false;
}

bool Channel(Core& core, int index, const Command& cmd) {
    ChannelState& c = core.st.dso.chan[index];
    const std::string& leaf = cmd.Node(1);
    if (cmd.nodes.size() == 3 && leaf == "FILTER") {
        return ChannelFilter(c, cmd);
    }
    if (cmd.nodes.size() != 2) {
        return false;
    }
    std::int32_t word = 0;
    if (leaf == "SCALE") return SetChannelScale(c, cmd.arg);
    if (leaf == "OFFSET") {
        double offset = 0.0;
        if (!Number(cmd.arg, offset)) return false;
        c.offset = static_cast<float>(offset);
        ClampOffset(c);
        return true;
    }
    if (leaf == "COUPLING") {
        static const char* const kChannelCouplings[] = {"DC", "AC"};
        return Keyword(cmd.arg, kChannelCouplings, c.coupling);
    }
    if (leaf == "BWLIMIT") return OnOff(cmd.arg, c.bwLimit);
    if (leaf == "PROBE") return SetProbe(c, cmd.arg);
    if (leaf == "DISPLAY") return OnOff(cmd.arg, c.display);
    if (leaf == "INVERT") return OnOff(cmd.arg, c.invert);
    if (leaf == "INPUT") {
        static const char* const kInputs[] = {"1MOHM", "50OHM"};
        if (!Keyword(cmd.arg, kInputs, word)) return false;
        c.input = word;
        return true;
    }
    return false;
}

// ---- acquisition and timebase

bool Acquire(Core& core, const Command& cmd) {
    DsoState& dso = core.st.dso;
    if (cmd.nodes.size() != 2) {
        return false;
    }
    const std::string& leaf = cmd.Node(1);
    std::int32_t word = 0;
    if (leaf == "TYPE") return Keyword(cmd.arg, kAcqTypes, dso.acqType);
    if (leaf == "MODE") {
        static const char* const kModes[] = {"ETIME", "RTIME"};
        if (!Keyword(cmd.arg, kModes, word)) return false;
        dso.acqRealTime = word == 1;
        return true;
    }
    if (leaf == "AVERAGES") {
        long count = 0;
        if (!Integer(cmd.arg, count) || count < 1) return false;
        const int exponent = std::clamp(static_cast<int>(std::lround(std::log2(count))), 1, 8);
        dso.acqAverages = 1 << exponent;
        return true;
    }
    if (leaf == "MEMORY") {
        static const char* const kDepths[] = {"NORMAL", "FULL"};
        if (!Keyword(cmd.arg, kDepths, word)) return false;
        dso.acqLongMemory = word == 1;
        return true;
    }
    return false;
}

void KeepDelayedInside(Core& core) {
    DsoState& dso = core.st.dso;
    if (dso.delayedScalePs > dso.timeScalePs) {
        SetTime(dso.timeScale, dso.delayedScale, dso.delayedScalePs);
    }
    const double half = 7.0 * (dso.timeScale - dso.delayedScale);
    const double offset =
        std::clamp(dso.delayedOffset, dso.timeOffset - half, dso.timeOffset + half);
    SetTime(offset, dso.delayedOffset, dso.delayedOffsetPs);
}

bool TimeScale(Core& core, const std::string& arg, double low, double high, double& value,
               std::int64_t& ps) {
    double scale = 0.0;
    if (!Number(arg, scale) || scale <= 0.0) {
        return false;
    }
    SetTime(std::clamp(Snap125(scale), low, high), value, ps);
    KeepDelayedInside(core);
    return true;
}

void SetFormat(Core& core, std::int32_t format) {
    DsoState& dso = core.st.dso;
    dso.timeFormat = format;
    if (format == 1) {
        dso.chan[0].display = dso.chan[1].display = true;
        core.st.la.enable = false;
    }
    if (format != 0) {
        dso.delayed = false;
    }
    if (format == 2 && dso.timeScale < 0.5) {
        SetTime(0.5, dso.timeScale, dso.timeScalePs);
    }
    if (dso.run) {
        StartRun(core);
    }
}

bool Timebase(Core& core, const Command& cmd) {
    DsoState& dso = core.st.dso;
    const double minScale = core.model.minTimeScale;
    std::int32_t word = 0;
    if (cmd.Is({"TIMEBASE", "MODE"})) {
        static const char* const kModes[] = {"MAIN", "DELAYED"};
        if (!Keyword(cmd.arg, kModes, word)) return false;
        dso.delayed = word == 1;
        return true;
    }
    if (cmd.Is({"TIMEBASE", "FORMAT"})) {
        if (!Keyword(cmd.arg, kFormats, word)) return false;
        SetFormat(core, word);
        return true;
    }
    double value = 0.0;
    if (cmd.Is({"TIMEBASE", "OFFSET"})) {
        if (!Clamped(cmd.arg, -500.0, 500.0, value)) return false;
        SetTime(value, dso.timeOffset, dso.timeOffsetPs);
        KeepDelayedInside(core);
        return true;
    }
    if (cmd.Is({"TIMEBASE", "SCALE"})) {
        const double low = dso.timeFormat == 2 ? 0.5 : minScale;
        return TimeScale(core, cmd.arg, low, 50.0, dso.timeScale, dso.timeScalePs);
    }
    if (cmd.Is({"TIMEBASE", "DELAYED", "OFFSET"})) {
        if (!Number(cmd.arg, value)) return false;
        SetTime(value, dso.delayedOffset, dso.delayedOffsetPs);
        KeepDelayedInside(core);
        return true;
    }
    if (cmd.Is({"TIMEBASE", "DELAYED", "SCALE"})) {
        return TimeScale(core, cmd.arg, minScale, dso.timeScale, dso.delayedScale,
                         dso.delayedScalePs);
    }
    return false;
}

// ---- logic analyzer

void SyncGroups(LaState& la) {
    la.group1 = std::any_of(la.channel.begin(), la.channel.begin() + 8, [](bool on) { return on; });
    la.group2 = std::any_of(la.channel.begin() + 8, la.channel.end(), [](bool on) { return on; });
}

bool Threshold(LaState& la, const std::string& arg) {
    std::int32_t type = 0;
    if (Keyword(arg, kThresholds, type)) {
        la.thresholdType = type;
        la.threshold = type < 3 ? kThresholdLevels[type] : la.thresholdUser;
        return true;
    }
    if (!Clamped(arg, -8.0, 8.0, la.thresholdUser)) {
        return false;
    }
    la.thresholdType = 3;
    la.threshold = la.thresholdUser;
    return true;
}

bool LogicAnalyzer(Core& core, const Command& cmd) {
    LaState& la = core.st.la;
    if (!core.model.logicAnalyzer || cmd.nodes.size() != 2) {
        return false;
    }
    const std::string& leaf = cmd.Node(1);
    bool on = false;
    if (leaf == "DISPLAY") return OnOff(cmd.arg, la.enable);
    if (leaf == "THRESHOLD") return Threshold(la, cmd.arg);
    const int group = NumberedNode(leaf, "GROUP", 2, 1);
    if (group < 0 || !OnOff(cmd.arg, on)) {
        return false;
    }
    std::fill(la.channel.begin() + 8 * group, la.channel.begin() + 8 * group + 8, on);
    SyncGroups(la);
    return true;
}

bool DigitalChannel(Core& core, int line, const Command& cmd) {
    bool on = false;
    if (!core.model.logicAnalyzer || !cmd.Is({cmd.Node(0).c_str(), "TURN"}) ||
        !OnOff(cmd.arg, on)) {
        return false;
    }
    core.st.la.channel[line] = on;
    SyncGroups(core.st.la);
    return true;
}

// ---- self-calibration: every step is accepted and counted

bool SelfCal(Core& core, const Command& cmd) {
    if (cmd.nodes.size() != 2) {
        return false;
    }
    const std::string& step = cmd.Node(1);
    if (step == "ENABLE") {
        return OnOff(cmd.arg, core.st.selfCalEnable);
    }
    static const char* const kInstrumentSteps[] = {"ADC", "TRIGEXT", "TRIGEXT5", "HORIZ"};
    std::int32_t index = 0;
    bool known = Keyword(step, kInstrumentSteps, index) && cmd.arg.empty();
    for (const char* prefix : {"GAIN", "ATTENB", "TRIG", "OFFSET"}) {
        if (NumberedNode(step, prefix, 2, 1) >= 0) {
            double volts = 0.0;
            const bool offset = std::string(prefix) == "OFFSET";
            known = offset ? ParseEngineering(cmd.arg, volts) && volts > 0.0 : cmd.arg.empty();
        }
    }
    if (known) {
        ++core.st.selfCalSteps;
    }
    return known;
}

// ---- LAN settings

bool ParseAddress(const std::string& text, std::uint32_t& address) {
    unsigned parts[4] = {};
    char tail = 0;
    if (std::sscanf(text.c_str(), "%u.%u.%u.%u%c", &parts[0], &parts[1], &parts[2], &parts[3],
                    &tail) != 4) {
        return false;
    }
    std::uint32_t parsed = 0;
    for (unsigned part : parts) {
        if (part > 255) {
            return false;
        }
        parsed = (parsed << 8) | part;
    }
    address = parsed;
    return true;
}

std::string FormatAddress(std::uint32_t address) {
    char text[20];
    std::snprintf(text, sizeof text, "%u.%u.%u.%u", address >> 24, (address >> 16) & 0xFF,
                  (address >> 8) & 0xFF, address & 0xFF);
    return text;
}

constexpr std::uint8_t kMacPrefix[3] = {0x02, 0x4F, 0x58};

std::string FormatMac(const std::array<std::uint8_t, 3>& mac) {
    char text[24];
    std::snprintf(text, sizeof text, "%02X-%02X-%02X-%02X-%02X-%02X", kMacPrefix[0], kMacPrefix[1],
                  kMacPrefix[2], mac[0], mac[1], mac[2]);
    return text;
}

bool ParseMac(const std::string& text, std::array<std::uint8_t, 3>& mac) {
    unsigned b[6] = {};
    char tail = 0;
    if (std::sscanf(text.c_str(), "%2x-%2x-%2x-%2x-%2x-%2x%c", &b[0], &b[1], &b[2], &b[3], &b[4],
                    &b[5], &tail) != 6) {
        return false;
    }
    mac = {static_cast<std::uint8_t>(b[3]), static_cast<std::uint8_t>(b[4]),
           static_cast<std::uint8_t>(b[5])};
    return true;
}

bool Lan(Core& core, const Command& cmd, std::optional<std::string>& reply) {
    LanState& lan = core.st.dso.lan;
    if (cmd.nodes.size() != 2) {
        return false;
    }
    const std::string& leaf = cmd.Node(1);
    if (cmd.query) {
        if (leaf == "DHCP")
            reply = lan.dhcp ? "ON" : "OFF";
        else if (leaf == "IP")
            reply = FormatAddress(lan.ip);
        else if (leaf == "NETMASK")
            reply = FormatAddress(lan.netmask);
        else if (leaf == "GATEWAY")
            reply = FormatAddress(lan.gateway);
        else if (leaf == "MACADDRESS")
            reply = FormatMac(lan.mac);
        else if (leaf == "PORT")
            reply = std::to_string(lan.port);
        return reply.has_value();
    }
    long port = 0;
    if (leaf == "DHCP") return OnOff(cmd.arg, lan.dhcp);
    if (leaf == "IP") return ParseAddress(cmd.arg, lan.ip);
    if (leaf == "NETMASK") return ParseAddress(cmd.arg, lan.netmask);
    if (leaf == "GATEWAY") return ParseAddress(cmd.arg, lan.gateway);
    if (leaf == "MACADDRESS") return ParseMac(cmd.arg, lan.mac);
    if (leaf == "PORT" && Integer(cmd.arg, port) && port >= 0 && port <= 65535) {
        lan.port = static_cast<std::uint16_t>(port);
        return true;
    }
    return false;
}

// ---- run control

bool RunControl(Core& core, const std::string& word) {
    if (word == "RUN") {
        StartRun(core);
    } else if (word == "STOP") {
        StopRun(core);
    } else if (word == "AUTO") {
        AutoSetup(core);
    } else if (word == "DEFAULT") {
        const bool running = core.st.dso.run;
        PowerUpSetup(core);
        if (!running) {
            StopRun(core);
        }
    } else if (word == "CLEARUSB") {
        core.scheduled = core.clock->Now();
    } else if (word == "STARTUP") {
        UpdateAcquisition(core);
        if (core.st.dso.run) {
            StartRun(core);
        }
    } else {
        return false;
    }
    return true;
}

// ---- queries

std::string BlockText(const Core& core, Block block) {
    const auto bytes = PackBlock(core, block);
    return std::string(bytes.begin(), bytes.end());
}

bool Query(Core& core, const Command& cmd, std::optional<std::string>& reply) {
    if (cmd.Is({"*IDN"})) {
        reply =
            "TAMBER," + core.model.name + "," + core.options.serial + "," + core.options.firmware;
    } else if (cmd.Is({"INFO", "FPGA"})) {
        reply = core.options.fpga;
    } else if (cmd.Is({"INFO", "EUQP"})) {
        reply = "0"; // records start exactly on a sample, so no sub-sample correction
    } else if (cmd.Is({"SETUP", "DSO"})) {
        reply = BlockText(core, Block::Dso);
    } else if (cmd.Is({"SETUP", "LA"})) {
        reply = BlockText(core, Block::La);
    } else if (cmd.Is({"SETUP", "ALT"})) {
        reply = BlockText(core, Block::Alt);
    } else if (cmd.Is({"PAR", "ROLL_POINT"})) {
        reply = std::to_string(RollPoints(core));
    } else if (cmd.Is({"WAVEFORM", "DATA"})) {
        std::vector<std::uint8_t> data;
        BuildLanLiveReply(core, data);
        reply = std::string(data.begin(), data.end());
    } else if (cmd.Is({"WAVEFORM", "ALL"})) {
        const unsigned mask = ShownSources(core);
        std::string data(FullRecordSize(core, mask), '\0');
        RenderFullRecord(core, mask, reinterpret_cast<std::uint8_t*>(data.data()));
        reply = std::move(data);
    } else if (cmd.Node(0) == "LAN") {
        return Lan(core, cmd, reply);
    }
    return reply.has_value();
}

bool Setting(Core& core, const Command& cmd) {
    const std::string& head = cmd.Node(0);
    const int channel = NumberedNode(head, "CHANNEL", 2, 1);
    if (channel >= 0) return Channel(core, channel, cmd);
    const int line = NumberedNode(head, "DIGITAL", 16, 0);
    if (line >= 0) return DigitalChannel(core, line, cmd);
    if (head == "ACQUIRE") return Acquire(core, cmd);
    if (head == "TIMEBASE") return Timebase(core, cmd);
    if (head == "TRIGGER") return Trigger(core, cmd);
    if (head == "LA") return LogicAnalyzer(core, cmd);
    if (head == "SELFCAL") return SelfCal(core, cmd);
    if (cmd.nodes.size() == 1 && cmd.arg.empty()) return RunControl(core, head);
    return false;
}

} // namespace

bool ApplyCommand(Core& core, const std::string& line, std::optional<std::string>& reply) {
    reply.reset();
    if (Trim(line).empty()) {
        return true; // an empty line asks nothing and changes nothing
    }
    Command cmd;
    if (!Parse(line, cmd)) {
        return false;
    }
    if (cmd.query) {
        return Query(core, cmd, reply);
    }
    std::optional<std::string> unused;
    const bool understood = cmd.Node(0) == "LAN" ? Lan(core, cmd, unused) : Setting(core, cmd);
    if (understood) {
        UpdateAcquisition(core);
    }
    return understood;
}

} // namespace oxbow::sim::detail
