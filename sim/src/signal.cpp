// Signal sources: periodic components, DC and noise, and the digital lines.
#include "oxsim.h"
#include "sim_core.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>
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
    default:
        return 0.0;
    }
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

bool ParsePart(const std::string& part, SignalSource& source, std::string& error) {
    const auto fields = Split(part, ',');
    if (fields.empty()) {
        error = "empty signal";
        return false;
    }
    const std::string shapeWord = Lower(fields[0]);
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
    if (!counter) {
        return pattern;
    }
    return static_cast<std::uint16_t>(static_cast<std::int64_t>(std::floor(t * rate)) & 0xFFFF);
}

bool ParseDigitalText(const std::string& text, DigitalSource& source, std::string& error) {
    const auto fields = Split(text, ',');
    if (fields.size() != 2) {
        error = "expected counter,RATE or pattern,VALUE";
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
