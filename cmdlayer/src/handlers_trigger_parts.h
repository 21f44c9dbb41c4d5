// The texts of the trigger settings and what the trigger handler's two sources share.
#pragma once

#include "handlers_kit.h"

#include <cstdint>
#include <string>

namespace oxmsg::trigger {

inline constexpr const char* kTrigger = ":TRIGGER";

inline constexpr const char* kTypeText[] = {"EDGE",        "PULSE",   "SLOPE",   "VIDEO",
                                            "ALTERNATION", "PATTERN", "DURATION"};
inline constexpr const char* kTypeNode[] = {":EDGE",        ":PULSE",   ":SLOPE",   ":VIDEO",
                                            ":ALTERNATION", ":PATTERN", ":DURATION"};
inline constexpr const char* kAltTypeText[] = {"EDGE", "PULSE", "SLOPE", "VIDEO"};
inline constexpr const char* kSweep[] = {"AUTO", "NORMAL", "SINGLE"};
inline constexpr const char* kCoupling[] = {"DC", "AC", "HF", "LF"};
inline constexpr const char* kSlope[] = {"POSITIVE", "NEGATIVE", "BOTH"};
inline constexpr const char* kPolarity[] = {"POSITIVE", "NEGATIVE"};
inline constexpr const char* kVideoMode[] = {"ALLLINES", "LINE", "ODDFIELD", "EVENFIELD"};
inline constexpr const char* kStandard[] = {"NTSC", "PALSECAM"};
inline constexpr const char* kCondition[] = {"+GREATERTHAN", "+LESSTHAN", "+EQUAL",
                                             "-GREATERTHAN", "-LESSTHAN", "-EQUAL"};
inline constexpr const char* kQualifier[] = {"GREATERTHAN", "LESSTHAN", "EQUAL"};

// Sources 0 CH1, 1 CH2, 2 EXT, 3 EXT5, 4 (no text), 5 AC line, 6..21 D0..D15.
inline constexpr int kSourceCount = 22;
inline std::string SourceText(int source) {
    static constexpr const char* kNamed[] = {"CHANNEL1", "CHANNEL2", "EXT", "EXT5", "", "ACLINE"};
    if (source < 6) return kNamed[source];
    return handlerkit::Format("%s%d", "DIGITAL", source - 6);
}

// Conditions of a pattern or duration bit.
inline constexpr int kHigh = 0;
inline constexpr int kIgnored = 2;
inline constexpr int kRising = 3;
inline constexpr int kFalling = 4;
inline constexpr std::size_t kBitConditionCount = 5;
inline bool IsEdgeCondition(int condition) {
    return condition == kRising || condition == kFalling;
}

// The level limited by the scale and offset of its source.
float ValidLevel(float level, int source);

// The alternate-trigger sub-commands 2005 to 2145; `channel` is the post's value.
void HandleAlternate(IOCmdContext& context, unsigned int subCmd, long channel,
                     const handlerkit::Arg& arg);

} // namespace oxmsg::trigger
