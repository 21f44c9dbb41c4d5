// Typed commands and settings: the vocabulary's sub-commands with the type of the argument
// each one carries, and the record values they set.
//
// A `Command<T>` is a group and a sub-command whose argument is a T (`NoArg` for none); the
// type is stated here once, so every poster, the action table, the dialogs and the tests
// that decode what was posted name the descriptor and never restate numbers or widths.
// A `Setting<T>` is a record value with the command that sets it: how to read it from the
// record (`read`, given the index a channel, trace, slot or cursor is), and whether a
// change of it fills the undo slot first.
//
//     oxcmd::Post(oxcmd::cmd::channel::kScale, 0.5f, channel);     // V/div of `channel`
//     const double t = oxcmd::setting::timebase::kMainScale.read(setup, 0);
#pragma once

#include "ox_commands.h"
#include "ox_records.h"

#include <cstdint>
#include <cstring>
#include <type_traits>

class CWnd;

namespace oxcmd {

// The argument of a command that takes none.
struct NoArg {};

// How an argument fills the 8-byte slot: a byte (on/off), 32 bits (an integer, a float),
// all 64 bits (a double, a 64-bit integer); nothing.
enum class ArgType : std::uint8_t { None, Byte, Int, Float, Double, Long64 };

template <class T> constexpr ArgType ArgTypeOf() {
    if constexpr (std::is_same_v<T, NoArg>)
        return ArgType::None;
    else if constexpr (std::is_same_v<T, bool>)
        return ArgType::Byte;
    else if constexpr (std::is_same_v<T, int>)
        return ArgType::Int;
    else if constexpr (std::is_same_v<T, float>)
        return ArgType::Float;
    else if constexpr (std::is_same_v<T, double>)
        return ArgType::Double;
    else {
        static_assert(std::is_same_v<T, std::int64_t>, "an argument is none, bool, int, float, "
                                                       "double or a 64-bit integer");
        return ArgType::Long64;
    }
}

// A command with the type erased: what a queue entry, a table row or a test compares.
struct AnyCommand {
    Group group = 0;
    Sub sub = 0;
    ArgType type = ArgType::None;

    constexpr bool operator==(const AnyCommand&) const = default;
};

template <class T> struct Command {
    using Argument = T;
    Group group;
    Sub sub;

    constexpr operator AnyCommand() const { return {group, sub, ArgTypeOf<T>()}; }
};

// The argument as the handler reads it from the two halves of the slot.
template <class T> T Decode(std::uint32_t low, std::uint32_t high) {
    if constexpr (std::is_same_v<T, bool>) {
        return (low & 0xFF) != 0;
    } else if constexpr (std::is_same_v<T, int>) {
        return static_cast<std::int32_t>(low);
    } else if constexpr (std::is_same_v<T, float>) {
        float value;
        std::memcpy(&value, &low, sizeof value);
        return value;
    } else if constexpr (std::is_same_v<T, double> || std::is_same_v<T, std::int64_t>) {
        const std::uint64_t bits = (std::uint64_t{high} << 32) | low;
        T value;
        std::memcpy(&value, &bits, sizeof value);
        return value;
    } else {
        static_assert(std::is_same_v<T, NoArg>);
        return {};
    }
}

// One post with its argument held as a number (every argument type fits a double exactly,
// the 64-bit integer aside, which travels in `bits`).
struct AnyPost {
    AnyCommand command;
    long value = 0; // the channel, trace, slot, line or cursor
    double argument = 0;
    std::int64_t bits = 0; // a 64-bit integer argument

    template <class T>
    static constexpr AnyPost Of(const Command<T>& command, std::type_identity_t<T> argument,
                                long value = 0) {
        AnyPost post{command, value};
        if constexpr (std::is_same_v<T, std::int64_t>)
            post.bits = argument;
        else if constexpr (!std::is_same_v<T, NoArg>)
            post.argument = static_cast<double>(argument);
        return post;
    }
    constexpr bool operator==(const AnyPost&) const = default;
};

// Sets the caller's argument slot as the command's type says and posts it, naming `window`
// to be told when it is done. False when the queue is full (the queue then shows why).
[[nodiscard]] bool Post(const AnyPost& post, CWnd* window = nullptr);
template <class T>
[[nodiscard]] bool Post(const Command<T>& command, std::type_identity_t<T> argument, long value = 0,
                        CWnd* window = nullptr) {
    return Post(AnyPost::Of(command, argument, value), window);
}

// A command as it reached the dispatcher (what a handler, or a test standing in for one,
// is given), read back through its descriptor.
struct Dispatched {
    Group group = 0;
    Sub sub = 0;
    long value = 0;
    std::uint32_t low = 0;
    std::uint32_t high = 0;

    template <class T> [[nodiscard]] bool Is(const Command<T>& command, long v = 0) const {
        return group == command.group && sub == command.sub && value == v;
    }
    template <class T> [[nodiscard]] T Arg(const Command<T>&) const { return Decode<T>(low, high); }
};

// A record value and the command that sets it.
template <class T> struct Setting {
    using Argument = T;
    Command<T> command;
    T (*read)(const _OX_SETUP& setup, long index);
    bool undoable; // a change fills the undo slot first
};

// A setting with its type erased (the value read as a number), for tables of controls.
struct AnySetting {
    AnyCommand command;
    double (*read)(const void* typed, const _OX_SETUP& setup, long index) = nullptr;
    const void* typed = nullptr;
    bool undoable = false;

    [[nodiscard]] double Read(const _OX_SETUP& setup, long index) const {
        return read(typed, setup, index);
    }
    [[nodiscard]] AnyPost PostOf(double argument, long index) const {
        AnyPost post{command, index, argument};
        return post;
    }
};

namespace detail {
template <class T> double ReadAs(const void* typed, const _OX_SETUP& setup, long index) {
    return static_cast<double>(static_cast<const Setting<T>*>(typed)->read(setup, index));
}
} // namespace detail

template <class T> AnySetting Erased(const Setting<T>& setting) {
    return {setting.command, &detail::ReadAs<T>, &setting, setting.undoable};
}

// The typed commands, group by group as in ox_commands.h.
namespace cmd {

// OX_COMMAND(name, argument type, group, sub-command)
#define OX_COMMAND(name, type, group, sub)                                                         \
    inline constexpr Command<type> name {                                                          \
        group, sub                                                                                 \
    }

namespace panel {
// Every dialog request and close request carries no argument; `Request(sub)` names one.
constexpr Command<NoArg> Request(Sub sub) {
    return {group::kPanel, sub};
}
} // namespace panel

namespace run {
OX_COMMAND(kAuto, NoArg, group::kRunControl, oxcmd::run::kAuto);
OX_COMMAND(kRun, NoArg, group::kRunControl, oxcmd::run::kRun);
OX_COMMAND(kStop, NoArg, group::kRunControl, oxcmd::run::kStop);
OX_COMMAND(kDefaultSetup, NoArg, group::kRunControl, oxcmd::run::kDefaultSetup);
OX_COMMAND(kCheckLink, NoArg, group::kRunControl, oxcmd::run::kCheckLink);
OX_COMMAND(kSaveUndo, NoArg, group::kRunControl, oxcmd::run::kSaveUndo);
OX_COMMAND(kUndo, NoArg, group::kRunControl, oxcmd::run::kUndo);
OX_COMMAND(kRedo, NoArg, group::kRunControl, oxcmd::run::kRedo);
OX_COMMAND(kLoadSetupFile, NoArg, group::kRunControl,
           oxcmd::run::kLoadSetupFile); // value: the serial
OX_COMMAND(kLoadWaveformFile, NoArg, group::kRunControl, oxcmd::run::kLoadWaveformFile);
OX_COMMAND(kCopyForSave, NoArg, group::kRunControl, oxcmd::run::kCopyForSave);
OX_COMMAND(kExit, NoArg, group::kRunControl, oxcmd::run::kExit);
OX_COMMAND(kShowError, NoArg, group::kRunControl, oxcmd::run::kShowError);
OX_COMMAND(kScreenMode, NoArg, group::kRunControl, oxcmd::run::kScreenMode); // value: kScreenMode*
OX_COMMAND(kPlaceFloatingViews, NoArg, group::kRunControl, oxcmd::run::kPlaceFloatingViews);
OX_COMMAND(kRedrawWindow, NoArg, group::kRunControl, oxcmd::run::kRedrawWindow);
} // namespace run

namespace channel { // value: the channel
OX_COMMAND(kScale, float, group::kChannel, oxcmd::channel::kScale);
OX_COMMAND(kOffset, float, group::kChannel, oxcmd::channel::kOffset);
OX_COMMAND(kCoupling, int, group::kChannel, oxcmd::channel::kCoupling);
OX_COMMAND(kBwLimit, bool, group::kChannel, oxcmd::channel::kBwLimit);
OX_COMMAND(kProbe, float, group::kChannel, oxcmd::channel::kProbe);
OX_COMMAND(kDisplay, bool, group::kChannel, oxcmd::channel::kDisplay);
OX_COMMAND(kInvert, bool, group::kChannel, oxcmd::channel::kInvert);
OX_COMMAND(kUnit, int, group::kChannel, oxcmd::channel::kUnit);
OX_COMMAND(kInput, int, group::kChannel, oxcmd::channel::kInput);
OX_COMMAND(kFilterOn, bool, group::kChannel, oxcmd::channel::kFilterOn);
OX_COMMAND(kFilterUpper, float, group::kChannel, oxcmd::channel::kFilterUpper);
OX_COMMAND(kFilterLower, float, group::kChannel, oxcmd::channel::kFilterLower);
OX_COMMAND(kFilterType, int, group::kChannel, oxcmd::channel::kFilterType);
} // namespace channel

namespace math { // value: the math trace
OX_COMMAND(kFilterUpper, float, group::kMath, oxcmd::math::kFilterUpper);
OX_COMMAND(kFilterLower, float, group::kMath, oxcmd::math::kFilterLower);
OX_COMMAND(kFilterType, int, group::kMath, oxcmd::math::kFilterType);
OX_COMMAND(kScaleIndex, int, group::kMath, oxcmd::math::kScaleIndex);
OX_COMMAND(kOffset, float, group::kMath, oxcmd::math::kOffset);
OX_COMMAND(kOperator, int, group::kMath, oxcmd::math::kOperator);
OX_COMMAND(kSourceA, int, group::kMath, oxcmd::math::kSourceA);
OX_COMMAND(kSourceB, int, group::kMath, oxcmd::math::kSourceB);
OX_COMMAND(kShown, bool, group::kMath, oxcmd::math::kShown);
OX_COMMAND(kFFTSource, int, group::kMath, oxcmd::math::kFFTSource);
OX_COMMAND(kFFTWindow, int, group::kMath, oxcmd::math::kFFTWindow);
OX_COMMAND(kFFTUnit, int, group::kMath, oxcmd::math::kFFTUnit);
OX_COMMAND(kFFTVrmsScaleIndex, int, group::kMath, oxcmd::math::kFFTVrmsScaleIndex);
OX_COMMAND(kFFTVrmsOffset, float, group::kMath, oxcmd::math::kFFTVrmsOffset);
OX_COMMAND(kFFTdBVrmsScale, float, group::kMath, oxcmd::math::kFFTdBVrmsScale);
OX_COMMAND(kFFTdBVrmsOffset, float, group::kMath, oxcmd::math::kFFTdBVrmsOffset);
OX_COMMAND(kFFTHorizScale, double, group::kMath, oxcmd::math::kFFTHorizScale);
OX_COMMAND(kFFTHorizOffset, double, group::kMath, oxcmd::math::kFFTHorizOffset);
OX_COMMAND(kInvert, bool, group::kMath, oxcmd::math::kInvert);
} // namespace math

namespace reference { // value: the reference slot
OX_COMMAND(kSource, int, group::kReference, oxcmd::reference::kSource);
OX_COMMAND(kShown, bool, group::kReference, oxcmd::reference::kShown);
OX_COMMAND(kVertScale, float, group::kReference, oxcmd::reference::kVertScale);
OX_COMMAND(kVertOffset, float, group::kReference, oxcmd::reference::kVertOffset);
OX_COMMAND(kHorizScale, double, group::kReference, oxcmd::reference::kHorizScale);
OX_COMMAND(kHorizOffset, double, group::kReference, oxcmd::reference::kHorizOffset);
OX_COMMAND(kPosition, int, group::kReference, oxcmd::reference::kPosition);
} // namespace reference

namespace logic {
OX_COMMAND(kEnable, bool, group::kLogic, oxcmd::logic::kEnable);
OX_COMMAND(kLine, bool, group::kLogic, oxcmd::logic::kLine); // value: the line
OX_COMMAND(kGroup1, bool, group::kLogic, oxcmd::logic::kGroup1);
OX_COMMAND(kGroup2, bool, group::kLogic, oxcmd::logic::kGroup2);
OX_COMMAND(kThresholdType, int, group::kLogic, oxcmd::logic::kThresholdType);
OX_COMMAND(kUserThreshold, float, group::kLogic, oxcmd::logic::kUserThreshold);
OX_COMMAND(kUserThresholdStored, float, group::kLogic, oxcmd::logic::kUserThresholdStored);
} // namespace logic

namespace timebase {
OX_COMMAND(kDelayed, bool, group::kTimebase, oxcmd::timebase::kDelayed);
OX_COMMAND(kFormat, int, group::kTimebase, oxcmd::timebase::kFormat);
OX_COMMAND(kMainOffset, double, group::kTimebase, oxcmd::timebase::kMainOffset);
OX_COMMAND(kMainScale, double, group::kTimebase, oxcmd::timebase::kMainScale);
OX_COMMAND(kDelayedOffset, double, group::kTimebase, oxcmd::timebase::kDelayedOffset);
OX_COMMAND(kDelayedScale, double, group::kTimebase, oxcmd::timebase::kDelayedScale);
OX_COMMAND(kRedraw, NoArg, group::kTimebase, oxcmd::timebase::kRedraw);
OX_COMMAND(kRun, NoArg, group::kTimebase, oxcmd::run::kRun); // RUN tells the time base too
OX_COMMAND(kAltScale, double, group::kTimebase, oxcmd::timebase::kAltScale);   // value: the channel
OX_COMMAND(kAltOffset, double, group::kTimebase, oxcmd::timebase::kAltOffset); // value: the channel
} // namespace timebase

namespace trigger { // the alternate-trigger commands take the channel as value
OX_COMMAND(kType, int, group::kTrigger, oxcmd::trigger::kType);
OX_COMMAND(kSweep, int, group::kTrigger, oxcmd::trigger::kSweep);
OX_COMMAND(kCoupling, int, group::kTrigger, oxcmd::trigger::kCoupling);
OX_COMMAND(kSensitivity, float, group::kTrigger, oxcmd::trigger::kSensitivity);
OX_COMMAND(kHoldoff, float, group::kTrigger, oxcmd::trigger::kHoldoff);
OX_COMMAND(kEdgeSlope, int, group::kTrigger, oxcmd::trigger::kEdgeSlope);
OX_COMMAND(kEdgeSource, int, group::kTrigger, oxcmd::trigger::kEdgeSource);
OX_COMMAND(kEdgeLevel, float, group::kTrigger, oxcmd::trigger::kEdgeLevel);
OX_COMMAND(kPulseSource, int, group::kTrigger, oxcmd::trigger::kPulseSource);
OX_COMMAND(kPulseCondition, int, group::kTrigger, oxcmd::trigger::kPulseCondition);
OX_COMMAND(kPulseLevel, float, group::kTrigger, oxcmd::trigger::kPulseLevel);
OX_COMMAND(kPulseWidth, double, group::kTrigger, oxcmd::trigger::kPulseWidth);
OX_COMMAND(kVideoSource, int, group::kTrigger, oxcmd::trigger::kVideoSource);
OX_COMMAND(kVideoPolarity, int, group::kTrigger, oxcmd::trigger::kVideoPolarity);
OX_COMMAND(kVideoMode, int, group::kTrigger, oxcmd::trigger::kVideoMode);
OX_COMMAND(kVideoStandard, int, group::kTrigger, oxcmd::trigger::kVideoStandard);
OX_COMMAND(kVideoLevel, float, group::kTrigger, oxcmd::trigger::kVideoLevel);
OX_COMMAND(kVideoLine, int, group::kTrigger, oxcmd::trigger::kVideoLine);
OX_COMMAND(kSlopeSource, int, group::kTrigger, oxcmd::trigger::kSlopeSource);
OX_COMMAND(kSlopeCondition, int, group::kTrigger, oxcmd::trigger::kSlopeCondition);
OX_COMMAND(kSlopeLevelA, float, group::kTrigger, oxcmd::trigger::kSlopeLevelA);
OX_COMMAND(kSlopeLevelB, float, group::kTrigger, oxcmd::trigger::kSlopeLevelB);
OX_COMMAND(kSlopeTime, double, group::kTrigger, oxcmd::trigger::kSlopeTime);
OX_COMMAND(kPatternBit, int, group::kTrigger, oxcmd::trigger::kPatternBit); // value: the bit
OX_COMMAND(kPatternGroup, int, group::kTrigger,
           oxcmd::trigger::kPatternGroup); // value: the group of eight
OX_COMMAND(kDurationQualifier, int, group::kTrigger, oxcmd::trigger::kDurationQualifier);
OX_COMMAND(kDurationTime, double, group::kTrigger, oxcmd::trigger::kDurationTime);
OX_COMMAND(kAltSource, int, group::kTrigger, oxcmd::trigger::kAltSource);
OX_COMMAND(kAltType, int, group::kTrigger, oxcmd::trigger::kAltType);
OX_COMMAND(kAltSensitivity, float, group::kTrigger, oxcmd::trigger::kAltSensitivity);
OX_COMMAND(kAltHoldoff, float, group::kTrigger, oxcmd::trigger::kAltHoldoff);
OX_COMMAND(kAltCoupling, int, group::kTrigger, oxcmd::trigger::kAltCoupling);
OX_COMMAND(kAltEdgeSlope, int, group::kTrigger, oxcmd::trigger::kAltEdgeSlope);
OX_COMMAND(kAltEdgeLevel, float, group::kTrigger, oxcmd::trigger::kAltEdgeLevel);
OX_COMMAND(kAltPulseCondition, int, group::kTrigger, oxcmd::trigger::kAltPulseCondition);
OX_COMMAND(kAltPulseLevel, float, group::kTrigger, oxcmd::trigger::kAltPulseLevel);
OX_COMMAND(kAltPulseWidth, double, group::kTrigger, oxcmd::trigger::kAltPulseWidth);
OX_COMMAND(kAltSlopeCondition, int, group::kTrigger, oxcmd::trigger::kAltSlopeCondition);
OX_COMMAND(kAltSlopeTime, double, group::kTrigger, oxcmd::trigger::kAltSlopeTime);
OX_COMMAND(kAltSlopeLevelA, float, group::kTrigger, oxcmd::trigger::kAltSlopeLevelA);
OX_COMMAND(kAltSlopeLevelB, float, group::kTrigger, oxcmd::trigger::kAltSlopeLevelB);
OX_COMMAND(kAltVideoPolarity, int, group::kTrigger, oxcmd::trigger::kAltVideoPolarity);
OX_COMMAND(kAltVideoStandard, int, group::kTrigger, oxcmd::trigger::kAltVideoStandard);
OX_COMMAND(kAltVideoMode, int, group::kTrigger, oxcmd::trigger::kAltVideoMode);
OX_COMMAND(kAltVideoLine, int, group::kTrigger, oxcmd::trigger::kAltVideoLine);
OX_COMMAND(kAltVideoLevel, float, group::kTrigger, oxcmd::trigger::kAltVideoLevel);
} // namespace trigger

namespace acquire {
OX_COMMAND(kType, int, group::kAcquire, oxcmd::acquire::kType);
OX_COMMAND(kRealTime, bool, group::kAcquire, oxcmd::acquire::kRealTime);
OX_COMMAND(kAverages, int, group::kAcquire, oxcmd::acquire::kAverages);
OX_COMMAND(kMemory, int, group::kAcquire, oxcmd::acquire::kMemory); // points
OX_COMMAND(kSampleRate, float, group::kAcquire, oxcmd::acquire::kSampleRate);
OX_COMMAND(kRecordRate, float, group::kAcquire, oxcmd::acquire::kRecordRate);
} // namespace acquire

namespace display {
OX_COMMAND(kType, int, group::kDisplay, oxcmd::display::kType);
OX_COMMAND(kGrid, int, group::kDisplay, oxcmd::display::kGrid);
OX_COMMAND(kPersist, bool, group::kDisplay, oxcmd::display::kPersist);
OX_COMMAND(kCopyShownToStopped, bool, group::kDisplay, oxcmd::display::kCopyShownToStopped);
OX_COMMAND(kWaveIntensity, float, group::kDisplay, oxcmd::display::kWaveIntensity);
OX_COMMAND(kGridIntensity, float, group::kDisplay, oxcmd::display::kGridIntensity);
OX_COMMAND(kMode, int, group::kDisplay, oxcmd::display::kMode);
OX_COMMAND(kClearPersist, NoArg, group::kDisplay, oxcmd::display::kClearPersist);
OX_COMMAND(kColorGrade, bool, group::kDisplay, oxcmd::display::kColorGrade);
OX_COMMAND(kBackgroundGrey, int, group::kDisplay, oxcmd::display::kBackgroundGrey);
} // namespace display

namespace cursormode {
OX_COMMAND(kOff, NoArg, group::kCursorMode, oxcmd::cursormode::kOff);
OX_COMMAND(kAuto, NoArg, group::kCursorMode, oxcmd::cursormode::kAuto);
OX_COMMAND(kManual, NoArg, group::kCursorMode, oxcmd::cursormode::kManual);
OX_COMMAND(kTrack, NoArg, group::kCursorMode, oxcmd::cursormode::kTrack);
} // namespace cursormode

namespace manualcursor { // positions: value kCursorA or kCursorB
OX_COMMAND(kXSource, int, group::kManualCursor, oxcmd::manualcursor::kXSource);
OX_COMMAND(kYSource, int, group::kManualCursor, oxcmd::manualcursor::kYSource);
OX_COMMAND(kXPosition, float, group::kManualCursor, oxcmd::manualcursor::kXPosition);
OX_COMMAND(kXOn, bool, group::kManualCursor, oxcmd::manualcursor::kXOn);
OX_COMMAND(kYPosition, float, group::kManualCursor, oxcmd::manualcursor::kYPosition);
OX_COMMAND(kYOn, bool, group::kManualCursor, oxcmd::manualcursor::kYOn);
} // namespace manualcursor

namespace trackcursor { // value kCursorA or kCursorB
OX_COMMAND(kSourceA, int, group::kTrackCursor, oxcmd::trackcursor::kSourceA);
OX_COMMAND(kSourceB, int, group::kTrackCursor, oxcmd::trackcursor::kSourceB);
OX_COMMAND(kPosition, float, group::kTrackCursor, oxcmd::trackcursor::kPosition);
OX_COMMAND(kOn, bool, group::kTrackCursor, oxcmd::trackcursor::kOn);
} // namespace trackcursor

namespace passfail {
OX_COMMAND(kEnable, bool, group::kPassFail, oxcmd::passfail::kEnable);
OX_COMMAND(kSource, int, group::kPassFail, oxcmd::passfail::kSource);
OX_COMMAND(kRun, int, group::kPassFail, oxcmd::passfail::kRun);
OX_COMMAND(kOutput, int, group::kPassFail, oxcmd::passfail::kOutput);
OX_COMMAND(kHorizRange, float, group::kPassFail, oxcmd::passfail::kHorizRange);
OX_COMMAND(kVertRange, float, group::kPassFail, oxcmd::passfail::kVertRange);
OX_COMMAND(kStopOnOutput, bool, group::kPassFail, oxcmd::passfail::kStopOnOutput);
OX_COMMAND(kShowCounters, bool, group::kPassFail, oxcmd::passfail::kShowCounters);
OX_COMMAND(kCreateMask, bool, group::kPassFail, oxcmd::passfail::kCreateMask);
} // namespace passfail

namespace record {
OX_COMMAND(kSource, int, group::kRecord, oxcmd::record::kSource);
OX_COMMAND(kFrames, int, group::kRecord, oxcmd::record::kFrames);
OX_COMMAND(kInterval, double, group::kRecord, oxcmd::record::kInterval);
OX_COMMAND(kStart, NoArg, group::kRecord, oxcmd::record::kStart);
OX_COMMAND(kStop, NoArg, group::kRecord, oxcmd::record::kStop);
OX_COMMAND(kFrameRecorded, NoArg, group::kRecord, oxcmd::record::kFrameRecorded);
OX_COMMAND(kPlayFirst, int, group::kRecord, oxcmd::record::kPlayFirst);
OX_COMMAND(kPlayLast, int, group::kRecord, oxcmd::record::kPlayLast);
OX_COMMAND(kPlayInterval, double, group::kRecord, oxcmd::record::kPlayInterval);
OX_COMMAND(kPlayFrame, int, group::kRecord, oxcmd::record::kPlayFrame);
OX_COMMAND(kPlayStart, NoArg, group::kRecord, oxcmd::record::kPlayStart);
OX_COMMAND(kPlayPause, NoArg, group::kRecord, oxcmd::record::kPlayPause);
OX_COMMAND(kPlayStop, NoArg, group::kRecord, oxcmd::record::kPlayStop);
} // namespace record

namespace measure {
OX_COMMAND(kAddAll, int, group::kMeasure, oxcmd::measure::kAddAll); // the source
OX_COMMAND(kAdd, int, group::kMeasure, oxcmd::measure::kAdd);       // the code; value: the channel
OX_COMMAND(kClear, bool, group::kMeasure, oxcmd::measure::kClear);
} // namespace measure

namespace link {
OX_COMMAND(kSelect, int, group::kLink, oxcmd::link::kSelect);
OX_COMMAND(kDhcp, bool, group::kLink, oxcmd::link::kDhcp);
OX_COMMAND(kExchange, NoArg, group::kLink, oxcmd::link::kExchange);
} // namespace link

namespace selfcal {
OX_COMMAND(kEnable, bool, group::kSelfCal, 0);
} // namespace selfcal

namespace drag {
// The dragged box: four signed 16-bit pixels (left, top | right, bottom).
OX_COMMAND(kActiveChannel, std::int64_t, group::kDrag, oxcmd::drag::kActiveChannel);
OX_COMMAND(kBothChannels, std::int64_t, group::kDrag, oxcmd::drag::kBothChannels);
OX_COMMAND(kSetWindow, NoArg, group::kDrag, oxcmd::drag::kSetWindow); // value: the window
} // namespace drag

#undef OX_COMMAND

} // namespace cmd

// The settings the dialogs, the action table and the panel's fields show and change.
namespace setting {

namespace channel { // index: the channel
inline constexpr Setting<float> kScale{
    cmd::channel::kScale, [](const _OX_SETUP& s, long c) { return s.fChanScale[c]; }, true};
inline constexpr Setting<float> kOffset{
    cmd::channel::kOffset, [](const _OX_SETUP& s, long c) { return s.fChanOffset[c]; }, true};
inline constexpr Setting<bool> kDisplay{
    cmd::channel::kDisplay, [](const _OX_SETUP& s, long c) { return s.bChanDisplay[c] != 0; },
    false};
} // namespace channel

namespace timebase {
inline constexpr Setting<int> kFormat{
    cmd::timebase::kFormat, [](const _OX_SETUP& s, long) { return int{s.nTimeFormat}; }, false};
inline constexpr Setting<bool> kDelayed{
    cmd::timebase::kDelayed, [](const _OX_SETUP& s, long) { return s.bDelayed != 0; }, false};
inline constexpr Setting<double> kMainScale{
    cmd::timebase::kMainScale, [](const _OX_SETUP& s, long) { return s.dTimeScale; }, true};
inline constexpr Setting<double> kMainOffset{
    cmd::timebase::kMainOffset, [](const _OX_SETUP& s, long) { return s.dTimeOffset; }, true};
// The delayed window is a view of the main one: its changes are not undone.
inline constexpr Setting<double> kDelayedScale{
    cmd::timebase::kDelayedScale, [](const _OX_SETUP& s, long) { return s.dDelayedScale; }, false};
inline constexpr Setting<double> kDelayedOffset{
    cmd::timebase::kDelayedOffset, [](const _OX_SETUP& s, long) { return s.dDelayedOffset; },
    false};
// Under the alternate trigger each channel's own (index: the channel).
inline constexpr Setting<double> kAltScale{
    cmd::timebase::kAltScale,
    [](const _OX_SETUP& s, long c) -> double { return s.dAltTimeScale[c]; }, true};
inline constexpr Setting<double> kAltOffset{
    cmd::timebase::kAltOffset,
    [](const _OX_SETUP& s, long c) -> double { return s.dAltTimeOffset[c]; }, true};

// The time base one section of the time-base controls acts on: section 0 the main one,
// section 1 the delayed one; under the alternate trigger CH1's and CH2's own instead.
struct Section {
    const Setting<double>& scale;
    const Setting<double>& offset;
    long index; // the reader's index and the post's value: the channel under alternation
};
[[nodiscard]] inline Section SectionOf(const _OX_SETUP& s, int section) {
    if (s.nTrigMode == code::kAlternate) return {kAltScale, kAltOffset, section == 1 ? 1 : 0};
    if (section == 1) return {kDelayedScale, kDelayedOffset, 0};
    return {kMainScale, kMainOffset, 0};
}
} // namespace timebase

namespace acquire {
inline constexpr Setting<int> kType{
    cmd::acquire::kType, [](const _OX_SETUP& s, long) { return int{s.nAcqType}; }, false};
inline constexpr Setting<bool> kRealTime{
    cmd::acquire::kRealTime, [](const _OX_SETUP& s, long) { return s.bAcqRealTime != 0; }, false};
inline constexpr Setting<int> kAverages{
    cmd::acquire::kAverages, [](const _OX_SETUP& s, long) { return int{s.nAcqAverages}; }, false};
// The depth asked for: the long record while long memory is on, the normal one otherwise.
inline constexpr Setting<int> kMemory{cmd::acquire::kMemory,
                                      [](const _OX_SETUP& s, long) {
                                          return s.bAcqLongMemory ? code::kLongMemoryPoints
                                                                  : code::kNormalMemoryPoints;
                                      },
                                      false};
} // namespace acquire

namespace manualcursor { // positions: index kCursorA or kCursorB
inline constexpr Setting<int> kXSource{cmd::manualcursor::kXSource,
                                       [](const _OX_SETUP& s, long) { return int{s.nCurXSource}; },
                                       false};
inline constexpr Setting<int> kYSource{cmd::manualcursor::kYSource,
                                       [](const _OX_SETUP& s, long) { return int{s.nCurYSource}; },
                                       false};
inline constexpr Setting<bool> kXOn{cmd::manualcursor::kXOn,
                                    [](const _OX_SETUP& s, long) { return s.bCurXOn != 0; }, false};
inline constexpr Setting<bool> kYOn{cmd::manualcursor::kYOn,
                                    [](const _OX_SETUP& s, long) { return s.bCurYOn != 0; }, false};
inline constexpr Setting<float> kXPosition{
    cmd::manualcursor::kXPosition,
    [](const _OX_SETUP& s, long c) { return c == code::kCursorA ? s.fCurXA : s.fCurXB; }, false};
inline constexpr Setting<float> kYPosition{
    cmd::manualcursor::kYPosition,
    [](const _OX_SETUP& s, long c) { return c == code::kCursorA ? s.fCurYA : s.fCurYB; }, false};
} // namespace manualcursor

namespace trackcursor { // index kCursorA or kCursorB
inline constexpr Setting<int> kSourceA{
    cmd::trackcursor::kSourceA, [](const _OX_SETUP& s, long) { return int{s.nTrackSourceA}; },
    false};
inline constexpr Setting<int> kSourceB{
    cmd::trackcursor::kSourceB, [](const _OX_SETUP& s, long) { return int{s.nTrackSourceB}; },
    false};
inline constexpr Setting<bool> kOn{cmd::trackcursor::kOn,
                                   [](const _OX_SETUP& s, long c) {
                                       return (c == code::kCursorA ? s.bTrackOnA : s.bTrackOnB) !=
                                              0;
                                   },
                                   false};
inline constexpr Setting<float> kPosition{
    cmd::trackcursor::kPosition,
    [](const _OX_SETUP& s, long c) { return c == code::kCursorA ? s.fTrackA : s.fTrackB; }, false};
} // namespace trackcursor

} // namespace setting

} // namespace oxcmd
