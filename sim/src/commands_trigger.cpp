// The ":TRIGGER" group: edge, pulse, slope, video, pattern and duration triggers, and the
// alternate trigger whose settings apply to the channel chosen with ":SOURCE".
#include "command_args.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <sstream>

namespace oxbow::sim::detail {

namespace {

const char* const kTypes[] = {"EDGE",        "PULSE",   "SLOPE",   "VIDEO",
                              "ALTERNATION", "PATTERN", "DURATION"};
const char* const kSweeps[] = {"AUTO", "NORMAL", "SINGLE"};
const char* const kCouplings[] = {"DC", "AC", "HF", "LF"};
const char* const kSlopes[] = {"POSITIVE", "NEGATIVE", "BOTH"};
const char* const kPolarities[] = {"POSITIVE", "NEGATIVE"};
const char* const kVideoModes[] = {"ALLLINES", "LINE", "ODDFIELD", "EVENFIELD"};
const char* const kStandards[] = {"NTSC", "PALSECAM"};
const char* const kConditions[] = {"+GREATERTHAN", "+LESSTHAN", "+EQUAL",
                                   "-GREATERTHAN", "-LESSTHAN", "-EQUAL"};
const char* const kQualifiers[] = {"GREATERTHAN", "LESSTHAN", "EQUAL"};

// A level in volts at the probe tip, kept on screen, stored at the input.
bool Level(const Core& core, std::int32_t source, const std::string& arg, float& stored) {
    double tip = 0.0;
    if (!Number(arg, tip)) {
        return false;
    }
    double scale = 0.0;
    double offset = 0.0;
    double probe = 1.0;
    if (source == 0 || source == 1) {
        const ChannelState& c = core.st.dso.chan[source];
        scale = c.scale;
        offset = c.offset;
        probe = c.probe;
    } else if (source == 2) {
        scale = 0.2;
    } else if (source == 3) {
        scale = 1.0;
    }
    stored =
        static_cast<float>(std::clamp(tip, -6.0 * scale - offset, 6.0 * scale - offset) / probe);
    return true;
}

bool TimeWithin(const std::string& arg, float& out) {
    return Clamped(arg, 2e-8, 10.0, out);
}

std::int32_t LineLimit(std::int32_t standard) {
    return standard == 0 ? 525 : 625;
}

bool VideoLine(const std::string& arg, std::int32_t standard, std::int32_t& line) {
    long value = 0;
    if (!Integer(arg, value)) {
        return false;
    }
    line = static_cast<std::int32_t>(std::clamp<long>(value, 1, LineLimit(standard)));
    return true;
}

// "value,mask" with an optional ",bit,rising" edge.
bool Pattern(const std::string& arg, std::array<std::int32_t, 16>& bits) {
    std::vector<long> numbers;
    std::istringstream stream(arg);
    std::string item;
    while (std::getline(stream, item, ',')) {
        long n = 0;
        if (!Integer(Trim(item), n)) {
            return false;
        }
        numbers.push_back(n);
    }
    if (numbers.size() != 2 && numbers.size() != 4) {
        return false;
    }
    if (numbers.size() == 4 && (numbers[2] < 0 || numbers[2] > 15)) {
        return false;
    }
    for (int i = 0; i < 16; ++i) {
        const bool used = (numbers[1] >> i) & 1;
        bits[i] = used ? (((numbers[0] >> i) & 1) ? 0 : 1) : 2;
    }
    if (numbers.size() == 4) {
        bits[numbers[2]] = numbers[3] ? 3 : 4;
    }
    return true;
}

bool EdgeTrigger(Core& core, const std::string& leaf, const std::string& arg) {
    TriggerState& t = core.st.dso.trig;
    if (leaf == "SLOPE") return Keyword(arg, kSlopes, t.edgeSlope);
    if (leaf == "SOURCE") return arg.empty() || Source(arg, t.edgeSource);
    if (leaf == "LEVEL") return Level(core, t.edgeSource, arg, t.edgeLevel);
    return false;
}

bool PulseTrigger(Core& core, const std::string& leaf, const std::string& arg) {
    TriggerState& t = core.st.dso.trig;
    if (leaf == "SOURCE") return arg.empty() || Source(arg, t.pulseSource);
    if (leaf == "MODE") return Keyword(arg, kConditions, t.pulseMode);
    if (leaf == "LEVEL") return Level(core, t.pulseSource, arg, t.pulseLevel);
    if (leaf == "WIDTH") return TimeWithin(arg, t.pulseWidth);
    return false;
}

bool VideoTrigger(Core& core, const std::string& leaf, const std::string& arg) {
    TriggerState& t = core.st.dso.trig;
    if (leaf == "SOURCE") return arg.empty() || Source(arg, t.videoSource);
    if (leaf == "POLARITY") return Keyword(arg, kPolarities, t.videoPolarity);
    if (leaf == "MODE") return Keyword(arg, kVideoModes, t.videoMode);
    if (leaf == "STANDARD") {
        if (!Keyword(arg, kStandards, t.videoStandard)) return false;
        t.videoLine = std::min(t.videoLine, LineLimit(t.videoStandard));
        return true;
    }
    if (leaf == "LEVEL") return Level(core, t.videoSource, arg, t.videoLevel);
    if (leaf == "LINE") return VideoLine(arg, t.videoStandard, t.videoLine);
    return false;
}

bool SlopeTrigger(Core& core, const std::string& leaf, const std::string& arg) {
    TriggerState& t = core.st.dso.trig;
    if (leaf == "SOURCE") return arg.empty() || Source(arg, t.slopeSource);
    if (leaf == "MODE") return Keyword(arg, kConditions, t.slopeMode);
    if (leaf == "LEVELA") return Level(core, t.slopeSource, arg, t.slopeLevelA);
    if (leaf == "LEVELB") return Level(core, t.slopeSource, arg, t.slopeLevelB);
    if (leaf == "TIME") return TimeWithin(arg, t.slopeTime);
    return false;
}

bool DigitalTrigger(Core& core, const std::string& node, const std::string& leaf,
                    const std::string& arg) {
    LaState& la = core.st.la;
    if (leaf == "PATTERN") return Pattern(arg, node == "PATTERN" ? la.patternBit : la.durationBit);
    if (node != "DURATION") return false;
    if (leaf == "QUALIFIER") return Keyword(arg, kQualifiers, la.durationQualifier);
    if (leaf == "TIME") return Clamped(arg, 2e-8, 10.0, la.durationTime);
    return false;
}

void SetTriggerMode(Core& core, std::int32_t mode) {
    core.st.dso.trig.mode = mode;
    if (mode == 4) {
        core.st.dso.chan[0].display = core.st.dso.chan[1].display = true;
        core.st.la.enable = false;
        core.st.dso.delayed = false;
    }
}

void SetSweep(Core& core, std::int32_t sweep) {
    core.st.dso.trig.sweep = sweep;
    core.singlePending = sweep == 2 && core.st.dso.run;
}

// Settings common to every trigger type: ":TRIGGER:<type>:SWEEP" and the like.
bool CommonTrigger(Core& core, const std::string& leaf, const std::string& arg) {
    TriggerState& t = core.st.dso.trig;
    std::int32_t sweep = 0;
    if (leaf == "SWEEP") {
        if (!Keyword(arg, kSweeps, sweep)) return false;
        SetSweep(core, sweep);
        return true;
    }
    if (leaf == "COUPLING") return Keyword(arg, kCouplings, t.coupling);
    if (leaf == "SENSITIVITY") return Clamped(arg, 0.1, 1.0, t.sensitivity);
    return false;
}

// ---- alternate trigger: settings apply to the channel chosen with ":SOURCE"

bool AlternateTypeSetting(AltChannelState& alt, const std::string& leaf, const std::string& arg) {
    if (leaf == "SENSITIVITY") return Clamped(arg, 0.1, 1.0, alt.sensitivity);
    if (leaf == "HOLDOFF") return Clamped(arg, 1e-7, 1.5, alt.holdoff);
    if (leaf == "COUPLING") return Keyword(arg, kCouplings, alt.coupling);
    return false;
}

bool AlternateTimebase(Core& core, int c, const std::string& leaf, const std::string& arg) {
    AltChannelState& alt = core.st.alt[c];
    double value = 0.0;
    if (leaf == "TIMESCALE") {
        if (!Number(arg, value) || value <= 0.0) return false;
        SetTime(std::clamp(Snap125(value), std::max(5e-9, core.model.minTimeScale), 2e-2),
                alt.timeScale, alt.timeScalePs);
        return true;
    }
    if (leaf == "TIMEOFFSET") {
        if (!Clamped(arg, -500.0, 500.0, value)) return false;
        SetTime(value, alt.timeOffset, alt.timeOffsetPs);
        return true;
    }
    return false;
}

bool AlternateKind(Core& core, const std::string& node, const std::string& leaf,
                   const std::string& arg) {
    const int c = core.st.altSource;
    AltChannelState& alt = core.st.alt[c];
    if (AlternateTypeSetting(alt, leaf, arg)) return true;
    if (node == "EDGE") {
        if (leaf == "SLOPE") return Keyword(arg, kSlopes, alt.edgeSlope);
        if (leaf == "LEVEL") return Level(core, c, arg, alt.edgeLevel);
    } else if (node == "PULSE") {
        if (leaf == "MODE") return Keyword(arg, kConditions, alt.pulseMode);
        if (leaf == "LEVEL") return Level(core, c, arg, alt.pulseLevel);
        if (leaf == "WIDTH") return TimeWithin(arg, alt.pulseWidth);
    } else if (node == "SLOPE") {
        if (leaf == "MODE") return Keyword(arg, kConditions, alt.slopeMode);
        if (leaf == "TIME") return TimeWithin(arg, alt.slopeTime);
        if (leaf == "LEVELA") return Level(core, c, arg, alt.slopeLevelA);
        if (leaf == "LEVELB") return Level(core, c, arg, alt.slopeLevelB);
    } else if (node == "VIDEO") {
        if (leaf == "POLARITY") return Keyword(arg, kPolarities, alt.videoPolarity);
        if (leaf == "MODE") return Keyword(arg, kVideoModes, alt.videoMode);
        if (leaf == "LEVEL") return Level(core, c, arg, alt.videoLevel);
        if (leaf == "LINE") return VideoLine(arg, alt.videoStandard, alt.videoLine);
        if (leaf == "STANDARD") {
            if (!Keyword(arg, kStandards, alt.videoStandard)) return false;
            alt.videoLine = std::min(alt.videoLine, LineLimit(alt.videoStandard));
            return true;
        }
    }
    return false;
}

bool Alternate(Core& core, const Command& cmd) {
    const std::string& node = cmd.Node(2);
    if (cmd.nodes.size() == 3) {
        if (node == "SOURCE") {
            std::int32_t source = 0;
            if (cmd.arg.empty()) return true; // a source without text leaves the choice as it is
            if (cmd.arg == "1" || cmd.arg == "2") {
                source = cmd.arg == "1" ? 0 : 1; // a channel number is taken as well as its name
            } else if (!Source(cmd.arg, source) || source > 1) {
                return false;
            }
            core.st.altSource = source;
            return true;
        }
        if (node == "TYPE") {
            static const char* const kAltTypes[] = {"EDGE", "PULSE", "SLOPE", "VIDEO"};
            return Keyword(cmd.arg, kAltTypes, core.st.alt[core.st.altSource].type);
        }
        return CommonTrigger(core, node, cmd.arg);
    }
    if (cmd.nodes.size() != 4) {
        return false;
    }
    const int channel = NumberedNode(node, "CHANNEL", 2, 1);
    if (channel >= 0) {
        return AlternateTimebase(core, channel, cmd.Node(3), cmd.arg);
    }
    return AlternateKind(core, node, cmd.Node(3), cmd.arg);
}

} // namespace

bool Trigger(Core& core, const Command& cmd) {
    TriggerState& t = core.st.dso.trig;
    const std::string& node = cmd.Node(1);
    if (cmd.nodes.size() == 2) {
        std::int32_t mode = 0;
        if (node == "MODE") {
            if (!Keyword(cmd.arg, kTypes, mode)) return false;
            SetTriggerMode(core, mode);
            return true;
        }
        if (node == "HOLDOFF") return Clamped(cmd.arg, 1e-7, 1.5, t.holdoff);
        return false;
    }
    if (node == "ALTERNATION") {
        return Alternate(core, cmd);
    }
    if (cmd.nodes.size() != 3) {
        return false;
    }
    std::int32_t type = 0;
    if (!Keyword(node, kTypes, type)) {
        return false;
    }
    const std::string& leaf = cmd.Node(2);
    if (CommonTrigger(core, leaf, cmd.arg)) return true;
    switch (type) {
    case 0:
        return EdgeTrigger(core, leaf, cmd.arg);
    case 1:
        return PulseTrigger(core, leaf, cmd.arg);
    case 2:
        return SlopeTrigger(core, leaf, cmd.arg);
    case 3:
        return VideoTrigger(core, leaf, cmd.arg);
    default:
        return DigitalTrigger(core, node, leaf, cmd.arg);
    }
}

} // namespace oxbow::sim::detail
