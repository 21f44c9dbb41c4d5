// Parsing of command texts and the argument readers shared by the command groups.
#include "command_args.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <sstream>

namespace oxbow::sim::detail {

namespace {

const char* const kFixedSources[] = {"CHANNEL1", "CHANNEL2", "EXT", "EXT5", "", "ACLINE"};

} // namespace

std::string Trim(const std::string& text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

std::string Upper(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char ch) { return static_cast<char>(std::toupper(ch)); });
    return text;
}

bool Parse(const std::string& line, Command& command) {
    const std::string text = Trim(line);
    const auto space = text.find(' ');
    std::string header = Upper(text.substr(0, space));
    command.arg = space == std::string::npos ? std::string() : Trim(text.substr(space + 1));
    command.query = !header.empty() && header.back() == '?';
    if (command.query) {
        header.pop_back();
    }
    if (header.empty() || (header[0] != ':' && header[0] != '*')) {
        return false;
    }
    std::istringstream stream(header[0] == '*' ? header : header.substr(1));
    std::string node;
    while (std::getline(stream, node, ':')) {
        if (node.empty()) {
            return false;
        }
        command.nodes.push_back(node);
    }
    return !command.nodes.empty();
}

bool Number(const std::string& arg, double& value) {
    if (arg.empty()) {
        return false;
    }
    char* end = nullptr;
    value = std::strtod(arg.c_str(), &end);
    return end != arg.c_str() && *end == '\0' && std::isfinite(value);
}

bool Integer(const std::string& arg, long& value) {
    double number = 0.0;
    if (!Number(arg, number) || std::abs(number) > 2e9) {
        return false;
    }
    value = std::lround(number);
    return true;
}

bool OnOff(const std::string& arg, bool& value) {
    const std::string word = Upper(arg);
    if (word == "ON" || word == "1") {
        value = true;
    } else if (word == "OFF" || word == "0") {
        value = false;
    } else {
        return false;
    }
    return true;
}

bool Source(const std::string& arg, std::int32_t& source) {
    if (Keyword(arg, kFixedSources, source)) {
        return true;
    }
    const std::string word = Upper(arg);
    if (word.rfind("DIGITAL", 0) == 0 && word.size() > 7) {
        long bit = 0;
        if (Integer(word.substr(7), bit) && bit >= 0 && bit <= 15) {
            source = static_cast<std::int32_t>(6 + bit);
            return true;
        }
    }
    return false;
}

bool Clamped(const std::string& arg, double low, double high, float& out) {
    double value = 0.0;
    if (!Number(arg, value)) {
        return false;
    }
    out = static_cast<float>(std::clamp(value, low, high));
    return true;
}

bool Clamped(const std::string& arg, double low, double high, double& out) {
    double value = 0.0;
    if (!Number(arg, value)) {
        return false;
    }
    out = std::clamp(value, low, high);
    return true;
}

// The channel number of a node "CHANNEL1", "CHANNEL2" (or other prefix), -1 otherwise.
int NumberedNode(const std::string& node, const std::string& prefix, int count, int first) {
    if (node.size() <= prefix.size() || node.rfind(prefix, 0) != 0) {
        return -1;
    }
    long n = 0;
    if (!Integer(node.substr(prefix.size()), n) || n < first || n >= first + count) {
        return -1;
    }
    return static_cast<int>(n - first);
}

} // namespace oxbow::sim::detail
