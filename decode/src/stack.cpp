// Decoder stacks: the text users write, and the checks against the library.
#include "srd.h"

#include <algorithm>
#include <cctype>
#include <sstream>

namespace oxdecode {

namespace {

std::vector<std::string> Split(const std::string& text, char separator) {
    std::vector<std::string> parts;
    std::string part;
    std::istringstream stream(text);
    while (std::getline(stream, part, separator))
        parts.push_back(part);
    if (!text.empty() && text.back() == separator) parts.emplace_back();
    return parts;
}

std::string Upper(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return text;
}

// "uart:rx=D0:baudrate=9600": the id, then channels and options.
bool ParseDecoder(const std::string& text, DecoderSpec& spec, std::string& error) {
    const std::vector<std::string> fields = Split(text, ':');
    if (fields.empty() || fields[0].empty()) {
        error = "a decoder id is missing in \"" + text + "\"";
        return false;
    }
    spec.id = fields[0];
    const DecoderInfo* info = FindDecoder(spec.id);
    if (info == nullptr) {
        error = "unknown decoder \"" + spec.id + "\"";
        return false;
    }
    for (std::size_t i = 1; i < fields.size(); ++i) {
        const auto equals = fields[i].find('=');
        if (equals == std::string::npos || equals == 0) {
            error = spec.id + ": expected key=value, not \"" + fields[i] + "\"";
            return false;
        }
        const std::string key = fields[i].substr(0, equals);
        const std::string value = fields[i].substr(equals + 1);
        if (info->FindChannel(key) == nullptr) {
            spec.options[key] = value;
            continue;
        }
        const std::optional<Source> source = Source::Parse(value);
        if (!source) {
            error = spec.id + ": channel " + key + " needs D0 .. D15, CH1 or CH2, not \"" + value +
                    "\"";
            return false;
        }
        spec.channels[key] = *source;
    }
    return true;
}

bool CheckChannels(const DecoderInfo& info, const DecoderSpec& spec, bool bottom,
                   std::string& error) {
    if (!bottom) {
        if (spec.channels.empty()) return true;
        error = spec.id + ": a stacked decoder takes no channels";
        return false;
    }
    for (const auto& [id, source] : spec.channels) {
        if (info.FindChannel(id) == nullptr) {
            error = spec.id + ": unknown channel \"" + id + "\"";
            return false;
        }
    }
    for (const DecoderChannel& channel : info.channels) {
        if (!channel.optional && spec.channels.count(channel.id) == 0) {
            error = spec.id + ": channel " + channel.id + " needs a source";
            return false;
        }
    }
    if (spec.channels.empty()) {
        error = spec.id + ": no channel has a source";
        return false;
    }
    return true;
}

bool CheckOptions(const DecoderInfo& info, const DecoderSpec& spec, std::string& error) {
    for (const auto& [id, text] : spec.options) {
        const DecoderOption* option = info.FindOption(id);
        if (option == nullptr) {
            error = spec.id + ": unknown option or channel \"" + id + "\"";
            return false;
        }
        const std::optional<OptionValue> value =
            detail::ParseOptionValue(option->defaultValue.type, text);
        if (!value) {
            error = spec.id + ": " + id + " needs a number, not \"" + text + "\"";
            return false;
        }
        if (!option->values.empty() && std::find(option->values.begin(), option->values.end(),
                                                 *value) == option->values.end()) {
            std::string allowed;
            for (const OptionValue& v : option->values)
                allowed += (allowed.empty() ? "" : ", ") + v.Text();
            error = spec.id + ": " + id + " is one of " + allowed + ", not \"" + text + "\"";
            return false;
        }
    }
    return true;
}

bool Feeds(const DecoderInfo& lower, const DecoderInfo& upper) {
    return std::any_of(lower.outputs.begin(), lower.outputs.end(), [&](const std::string& out) {
        return std::find(upper.inputs.begin(), upper.inputs.end(), out) != upper.inputs.end();
    });
}

} // namespace

std::string Source::Name() const {
    if (index == kCh1) return "CH1";
    if (index == kCh2) return "CH2";
    return "D" + std::to_string(index);
}

std::optional<Source> Source::Parse(const std::string& text) {
    const std::string name = Upper(text);
    if (name == "CH1") return Source{kCh1};
    if (name == "CH2") return Source{kCh2};
    for (int line = 0; line < kCh1; ++line) {
        if (name == "D" + std::to_string(line)) return Source{line};
    }
    return std::nullopt;
}

std::string StackSpec::Text() const {
    std::string text;
    for (const DecoderSpec& decoder : decoders) {
        text += (text.empty() ? "" : ",") + decoder.id;
        for (const auto& [id, source] : decoder.channels)
            text += ":" + id + "=" + source.Name();
        for (const auto& [id, value] : decoder.options)
            text += ":" + id + "=" + value;
    }
    return text;
}

bool ParseStackText(const std::string& text, StackSpec& stack, std::string& error) {
    if (Decoders().empty()) {
        error = "the decoders are not available";
        return false;
    }
    StackSpec parsed;
    for (const std::string& part : Split(text, ',')) {
        DecoderSpec spec;
        if (!ParseDecoder(part, spec, error)) return false;
        parsed.decoders.push_back(std::move(spec));
    }
    if (!CheckStack(parsed, error)) return false;
    stack = std::move(parsed);
    return true;
}

bool CheckStack(const StackSpec& stack, std::string& error) {
    if (stack.decoders.empty()) {
        error = "the stack holds no decoder";
        return false;
    }
    const DecoderInfo* below = nullptr;
    for (std::size_t level = 0; level < stack.decoders.size(); ++level) {
        const DecoderSpec& spec = stack.decoders[level];
        const DecoderInfo* info = FindDecoder(spec.id);
        if (info == nullptr) {
            error = "unknown decoder \"" + spec.id + "\"";
            return false;
        }
        const bool bottom = level == 0;
        if (bottom &&
            std::find(info->inputs.begin(), info->inputs.end(), "logic") == info->inputs.end()) {
            error = spec.id + " decodes the output of another decoder, not lines";
            return false;
        }
        if (!bottom && !Feeds(*below, *info)) {
            error = spec.id + " does not take what " + below->id + " puts out";
            return false;
        }
        if (!CheckChannels(*info, spec, bottom, error) || !CheckOptions(*info, spec, error))
            return false;
        below = info;
    }
    return true;
}

} // namespace oxdecode
