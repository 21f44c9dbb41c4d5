// Parsing of the command texts the front panel sends, and the argument readers every
// command group shares.
#pragma once

#include "sim_core.h"

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

namespace oxbow::sim::detail {

struct Command {
    std::vector<std::string> nodes; // upper-case, without colons
    std::string arg;
    bool query = false;

    bool Is(std::initializer_list<const char*> path) const {
        if (nodes.size() != path.size()) {
            return false;
        }
        std::size_t i = 0;
        for (const char* node : path) {
            if (nodes[i++] != node) {
                return false;
            }
        }
        return true;
    }
    const std::string& Node(std::size_t i) const {
        static const std::string kNone;
        return i < nodes.size() ? nodes[i] : kNone;
    }
};

std::string Upper(std::string text);
// The text without its leading and trailing blanks and tabs.
std::string Trim(const std::string& text);

// Splits ":NODE:NODE? ARG" into upper-case nodes, the query mark and the argument.
bool Parse(const std::string& line, Command& command);

bool Number(const std::string& arg, double& value);
bool Integer(const std::string& arg, long& value);
bool OnOff(const std::string& arg, bool& value);

// Index of `arg` in `words`; false when it is none of them.
template <std::size_t N>
bool Keyword(const std::string& arg, const char* const (&words)[N], std::int32_t& index) {
    const std::string word = Upper(arg);
    for (std::size_t i = 0; i < N; ++i) {
        if (words[i][0] != '\0' && word == words[i]) {
            index = static_cast<std::int32_t>(i);
            return true;
        }
    }
    return false;
}

// A trigger source: "CHANNEL1" .. "ACLINE" or "DIGITAL0" .. "DIGITAL15".
bool Source(const std::string& arg, std::int32_t& source);

// A number held within [low, high].
bool Clamped(const std::string& arg, double low, double high, float& out);
bool Clamped(const std::string& arg, double low, double high, double& out);

// The channel number of a node "CHANNEL1", "CHANNEL2" (or other prefix), -1 otherwise.
int NumberedNode(const std::string& node, const std::string& prefix, int count, int first);

// The ":TRIGGER" group.
bool Trigger(Core& core, const Command& cmd);

} // namespace oxbow::sim::detail
