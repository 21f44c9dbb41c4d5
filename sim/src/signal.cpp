// Signal sources: periodic components, DC and noise, and the digital lines.
#include "oxsim.h"
#include "sim_core.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <optional>
#include <sstream>

namespace oxbow::sim {

namespace {

constexpr double kTwoPi = 6.283185307179586;

double Fraction(double x) {
    return x - std::floor(x);
}

double ComponentMean(const SignalComponent& c) {
    switch (c.shape) {
    case Waveshape::Square:
    case Waveshape::Pulse:
        return c.amplitude * (c.duty - 0.5);
    case Waveshape::Dc:
        return c.amplitude;
    case Waveshape::Bus:
        return c.amplitude * c.bus->HighFraction(c.busLine);
    default:
        return 0.0;
    }
}

bool IsBusWord(const std::string& word) {
    return word == "uart" || word == "spi" || word == "i2c";
}

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char ch) { return static_cast<char>(std::tolower(ch)); });
    return text;
}

std::vector<std::string> Split(const std::string& text, char separator) {
    std::vector<std::string> parts;
    std::string part;
    std::istringstream stream(text);
    while (std::getline(stream, part, separator)) {
        parts.push_back(part);
    }
    return parts;
}

bool ParseShape(const std::string& word, Waveshape& shape) {
    static const std::pair<const char*, Waveshape> kShapes[] = {
        {"sine", Waveshape::Sine},         {"square", Waveshape::Square},
        {"triangle", Waveshape::Triangle}, {"pulse", Waveshape::Pulse},
        {"ramp", Waveshape::Ramp},         {"dc", Waveshape::Dc}};
    for (const auto& [name, value] : kShapes) {
        if (word == name) {
            shape = value;
            return true;
        }
    }
    return false;
}

// "key=value" options, allowed after any part of a signal text.
bool ParseOption(const std::string& item, SignalSource& source, SignalComponent* component,
                 std::string& error) {
    const auto equals = item.find('=');
    const std::string key = Lower(item.substr(0, equals));
    double value = 0.0;
    if (!ParseEngineering(item.substr(equals + 1), value)) {
        error = "bad value in \"" + item + "\"";
        return false;
    }
    if (key == "offset") {
        source.dcOffset = value;
    } else if (key == "noise") {
        source.noise = value;
    } else if (key == "duty" && component != nullptr) {
        const bool percent = item.back() == '%';
        component->duty = std::clamp(percent ? value / 100.0 : value, 0.0, 1.0);
    } else {
        error = "unknown option \"" + key + "\"";
        return false;
    }
    return true;
}

// A bus on an analog input: "uart,baud=115200,text=Hello,high=3.3V", the wire by line=
// (UART's only wire when not given), high= the level of a 1 (3.3 V when not given), and the
// offset= and noise= of every signal.
bool ParseBusPart(const std::string& part, SignalSource& source, std::string& error) {
    std::optional<std::string> lineName;
    double high = 3.3;
    SignalSource options = source;
    BusTraffic traffic;
    const auto other = [&](const std::string& key, const std::string& value, std::string& why) {
        if (key == "line") {
            lineName = value;
            return true;
        }
        if (key == "high") {
            if (ParseEngineering(value, high)) return true;
            why = "bad value in \"high=" + value + "\"";
            return false;
        }
        return ParseOption(key + "=" + value, options, nullptr, why);
    };
    if (!ParseBusTraffic(part, traffic, other, error)) return false;
    SignalComponent component;
    component.shape = Waveshape::Bus;
    component.frequency = 1.0 / traffic.every;
    component.amplitude = high;
    if (!detail::ParseBusLine(traffic.kind, lineName.value_or("tx"), component.busLine)) {
        error = lineName ? "the bus has no wire \"" + *lineName + "\""
                         : "line= names the wire this input shows";
        return false;
    }
    component.bus = std::make_shared<const BusWave>(traffic);
    source = options;
    source.components.push_back(component);
    return true;
}

bool ParsePart(const std::string& part, SignalSource& source, std::string& error) {
    const auto fields = Split(part, ',');
    if (fields.empty()) {
        error = "empty signal";
        return false;
    }
    const std::string shapeWord = Lower(fields[0]);
    if (IsBusWord(shapeWord)) return ParseBusPart(part, source, error);
    std::vector<std::string> values;
    std::vector<std::string> options;
    for (std::size_t i = 1; i < fields.size(); ++i) {
        (fields[i].find('=') == std::string::npos ? values : options).push_back(fields[i]);
    }
    if (shapeWord == "noise") {
        if (values.size() != 1 || !ParseEngineering(values[0], source.noise)) {
            error = "noise needs one level, e.g. noise,50mV";
            return false;
        }
    } else {
        SignalComponent component;
        if (!ParseShape(shapeWord, component.shape)) {
            error = "unknown waveform \"" + fields[0] + "\"";
            return false;
        }
        const bool dc = component.shape == Waveshape::Dc;
        const std::size_t wanted = dc ? 1 : 2;
        if (values.size() != wanted) {
            error = dc ? "dc needs one level, e.g. dc,1.5V"
                       : "a waveform needs a frequency and an amplitude";
            return false;
        }
        if (!dc &&
            (!ParseEngineering(values[0], component.frequency) || component.frequency <= 0.0)) {
            error = "bad frequency \"" + values[0] + "\"";
            return false;
        }
        if (!ParseEngineering(values.back(), component.amplitude)) {
            error = "bad amplitude \"" + values.back() + "\"";
            return false;
        }
        if (component.shape == Waveshape::Pulse) {
            component.duty = 0.2;
        }
        for (const auto& option : options) {
            if (!ParseOption(option, source, &component, error)) {
                return false;
            }
        }
        source.components.push_back(component);
        return true;
    }
    for (const auto& option : options) {
        if (!ParseOption(option, source, nullptr, error)) {
            return false;
        }
    }
    return true;
}

} // namespace

bool ParseEngineering(const std::string& text, double& value) {
    const char* begin = text.c_str();
    char* end = nullptr;
    const double number = std::strtod(begin, &end);
    if (end == begin || !std::isfinite(number)) {
        return false;
    }
    std::string rest(end);
    double factor = 1.0;
    if (!rest.empty()) {
        switch (rest[0]) {
        case 'p':
            factor = 1e-12;
            break;
        case 'n':
            factor = 1e-9;
            break;
        case 'u':
            factor = 1e-6;
            break;
        case 'm':
            factor = 1e-3;
            break;
        case 'k':
        case 'K':
            factor = 1e3;
            break;
        case 'M':
            factor = 1e6;
            break;
        case 'G':
            factor = 1e9;
            break;
        default:
            break;
        }
        if (factor != 1.0) {
            rest.erase(0, 1);
        }
    }
    static const char* const kUnits[] = {"", "V", "Vpp", "Vrms", "Hz", "s", "%", "S"};
    if (std::find(std::begin(kUnits), std::end(kUnits), rest) == std::end(kUnits)) {
        return false;
    }
    value = number * factor;
    return true;
}

double SignalSource::Clean(double t) const {
    double sum = dcOffset;
    for (const auto& c : components) {
        const auto sine = [](double p) { return std::sin(kTwoPi * p); };
        sum += detail::ComponentValue(c, Fraction(c.frequency * t), sine);
    }
    return sum;
}

double SignalSource::Mean() const {
    double sum = dcOffset;
    for (const auto& c : components) {
        sum += ComponentMean(c);
    }
    return sum;
}

double SignalSource::LowestFrequency() const {
    double lowest = 0.0;
    for (const auto& c : components) {
        if (c.shape != Waveshape::Dc && c.amplitude != 0.0 &&
            (lowest == 0.0 || c.frequency < lowest)) {
            lowest = c.frequency;
        }
    }
    return lowest;
}

void SignalSource::Extremes(double& low, double& high) const {
    const double f = LowestFrequency();
    const double span = f > 0.0 ? 4.0 / f : 1.0;
    constexpr int kSteps = 8192;
    low = high = Clean(0.0);
    for (int i = 1; i <= kSteps; ++i) {
        const double v = Clean(span * i / kSteps);
        low = std::min(low, v);
        high = std::max(high, v);
    }
}

bool ParseSignalText(const std::string& text, SignalSource& source, std::string& error) {
    if (text.empty()) {
        error = "empty signal";
        return false;
    }
    SignalSource parsed;
    for (const auto& part : Split(text, '+')) {
        if (!ParsePart(part, parsed, error)) {
            return false;
        }
    }
    source = parsed;
    return true;
}

std::uint16_t DigitalSource::Value(double t) const {
    if (!buses.empty()) {
        std::uint16_t value = pattern;
        for (const DigitalBus& bus : buses) {
            for (const auto& [bit, line] : bus.lines) {
                if (bus.wave->Level(line, t)) value |= static_cast<std::uint16_t>(1u << bit);
            }
        }
        return value;
    }
    if (!counter) {
        return pattern;
    }
    return static_cast<std::uint16_t>(static_cast<std::int64_t>(std::floor(t * rate)) & 0xFFFF);
}

namespace {

// "D0" .. "D15".
bool ParseDigitalLine(const std::string& text, int& line) {
    if (text.size() < 2 || (text[0] != 'D' && text[0] != 'd')) return false;
    char* end = nullptr;
    const long value = std::strtol(text.c_str() + 1, &end, 10);
    if (*end != '\0' || value < 0 || value > 15) return false;
    line = static_cast<int>(value);
    return true;
}

// "uart,tx=D0,...": each wire of the bus on a line of its own, none left out.
bool ParseDigitalBus(const std::string& part, std::uint16_t& used, DigitalBus& bus,
                     std::string& error) {
    BusTraffic traffic;
    std::vector<std::pair<std::string, std::string>> wires;
    const auto other = [&](const std::string& key, const std::string& value, std::string&) {
        wires.emplace_back(key, value);
        return true;
    };
    if (!ParseBusTraffic(part, traffic, other, error)) return false;
    for (const auto& [name, value] : wires) {
        BusLine wire{};
        int line = 0;
        if (!detail::ParseBusLine(traffic.kind, name, wire)) {
            error = "unknown key \"" + name + "\"";
            return false;
        }
        if (!ParseDigitalLine(value, line)) {
            error = name + "= needs a line D0 .. D15, not \"" + value + "\"";
            return false;
        }
        if (used & (1u << line)) {
            error = "D" + std::to_string(line) + " carries two wires";
            return false;
        }
        used = static_cast<std::uint16_t>(used | (1u << line));
        bus.lines.emplace_back(line, wire);
    }
    const std::size_t wanted =
        traffic.kind == BusKind::Uart ? 1 : (traffic.kind == BusKind::Spi ? 4 : 2);
    if (bus.lines.size() != wanted) {
        error = "every wire of the bus needs its line (" + std::to_string(wanted) + " of them)";
        return false;
    }
    bus.wave = std::make_shared<const BusWave>(traffic);
    return true;
}

bool ParseBuses(const std::string& text, DigitalSource& source, std::string& error) {
    DigitalSource parsed;
    parsed.counter = false;
    std::uint16_t used = 0;
    for (const auto& part : Split(text, '+')) {
        DigitalBus bus;
        if (!ParseDigitalBus(part, used, bus, error)) return false;
        parsed.buses.push_back(std::move(bus));
    }
    source = std::move(parsed);
    return true;
}

} // namespace

bool ParseDigitalText(const std::string& text, DigitalSource& source, std::string& error) {
    const auto fields = Split(text, ',');
    if (!fields.empty() && IsBusWord(Lower(fields[0]))) {
        return ParseBuses(text, source, error);
    }
    if (fields.size() != 2) {
        error = "expected counter,RATE, pattern,VALUE or bus traffic (uart, spi, i2c)";
        return false;
    }
    const std::string kind = Lower(fields[0]);
    DigitalSource parsed;
    if (kind == "counter") {
        if (!ParseEngineering(fields[1], parsed.rate) || parsed.rate <= 0.0) {
            error = "bad counter rate \"" + fields[1] + "\"";
            return false;
        }
    } else if (kind == "pattern") {
        char* end = nullptr;
        const unsigned long value = std::strtoul(fields[1].c_str(), &end, 0);
        if (end == fields[1].c_str() || *end != '\0' || value > 0xFFFF) {
            error = "bad pattern \"" + fields[1] + "\"";
            return false;
        }
        parsed.counter = false;
        parsed.pattern = static_cast<std::uint16_t>(value);
    } else {
        error = "unknown digital source \"" + fields[0] + "\"";
        return false;
    }
    source = parsed;
    return true;
}

} // namespace oxbow::sim
