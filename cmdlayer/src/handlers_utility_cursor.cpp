// Cursor modes, manual and tracking cursors, the panel notifications and the
// automatic measurements chosen for the read-outs.
#include "ox_handlers_math.h"

#include "handlers_kit.h"

#include <algorithm>

namespace {

using namespace oxmsg::handlerkit;
constexpr int kCursorXSources = 7; // CH1, CH2, MATH1..MATH4, LA
constexpr int kCursorYSources = 6;
constexpr int kMeasureSlots = 8;

void SetCursorMode(IOCmdContext& context, int mode) {
    _OX_SETUP& s = Setup();
    if ((mode == oxcmd::code::kAutoCursors || mode == oxcmd::code::kTrackCursors) &&
        s.nTimeFormat == oxcmd::code::kXY)
        return Refuse(context, kNotAtXY);
    s.nCursorMode = mode;
    CursorsMoved();
}

// value 0 names cursor A, 1 cursor B.
template <class T> T* CursorOf(IOCmdContext& context, long value, T& a, T& b) {
    const auto which = Pick(context, value, 2);
    if (!which) return nullptr;
    return *which == 0 ? &a : &b;
}

// A cursor position kept inside its window; `first` names cursor A for the validator.
void SetPosition(IOCmdContext& context, long value, float& a, float& b, float divisions,
                 float (*valid)(float, int), int first) {
    if (float* cursor = CursorOf(context, value, a, b))
        *cursor = valid(divisions, first + (cursor == &a ? 0 : 1));
}

void AddMeasurement(IOCmdContext& context, long channel, const Arg& arg) {
    const auto c = Pick(context, channel, 2);
    if (!c) return;
    _OX_SETUP& s = Setup();
    const int count = std::clamp(s.nMeasureCount, 0, kMeasureSlots);
    for (int i = 0; i < count; ++i)
        if (s.nMeasureItem[i] == arg.Int() && s.nMeasureSource[i] == *c)
            return Refuse(context, "Measurement already selected");
    const int kept = std::min(count, kMeasureSlots - 1);
    std::copy(s.nMeasureItem + count - kept, s.nMeasureItem + count, s.nMeasureItem);
    std::copy(s.nMeasureSource + count - kept, s.nMeasureSource + count, s.nMeasureSource);
    s.nMeasureItem[kept] = arg.Int();
    s.nMeasureSource[kept] = *c;
    s.nMeasureCount = kept + 1;
}

// The chosen measurement of `code` on `channel` goes; when it is one of every measurement
// of that channel, those all go together.
void RemoveMeasurement(IOCmdContext& context, long channel, const Arg& arg) {
    const auto c = Pick(context, channel, 2);
    if (!c) return;
    _OX_SETUP& s = Setup();
    const int count = std::clamp(s.nMeasureCount, 0, kMeasureSlots);
    for (int i = 0; i < count; ++i) {
        if (s.nMeasureItem[i] != arg.Int() || s.nMeasureSource[i] != *c) continue;
        std::copy(s.nMeasureItem + i + 1, s.nMeasureItem + count, s.nMeasureItem + i);
        std::copy(s.nMeasureSource + i + 1, s.nMeasureSource + count, s.nMeasureSource + i);
        s.nMeasureCount = count - 1;
        return;
    }
    if (s.bMeasureAll != 0 && s.byMeasureAllSource == *c) s.bMeasureAll = 0;
}

void AddAllMeasurements(IOCmdContext& context, const Arg& arg) {
    const auto c = Pick(context, arg.Int(), 2);
    if (!c) return;
    Setup().bMeasureAll = 1;
    Setup().byMeasureAllSource = static_cast<std::uint8_t>(*c);
}

} // namespace

void oxmsg::handlerkit::CursorModeHandler(IOCmdContext& context, unsigned int subCmd, long,
                                          std::uint32_t, std::uint32_t) {
    switch (subCmd) {
    case oxcmd::cursormode::kOff:
        SetCursorMode(context, oxcmd::code::kCursorsOff);
        break;
    case oxcmd::cursormode::kAuto:
        SetCursorMode(context, oxcmd::code::kAutoCursors);
        break;
    case oxcmd::cursormode::kManual:
        SetCursorMode(context, oxcmd::code::kManualCursors);
        break;
    case oxcmd::cursormode::kTrack:
        SetCursorMode(context, oxcmd::code::kTrackCursors);
        break;
    default:
        break;
    }
}

void oxmsg::handlerkit::ManualCursorHandler(IOCmdContext& context, unsigned int subCmd, long value,
                                            std::uint32_t argLow, std::uint32_t argHigh) {
    _OX_SETUP& s = Setup();
    const Arg arg{argLow, argHigh};
    switch (subCmd) {
    case oxcmd::manualcursor::kXSource:
        Choose(context, s.nCurXSource, arg, kCursorXSources);
        break;
    case oxcmd::manualcursor::kYSource:
        Choose(context, s.nCurYSource, arg, kCursorYSources);
        break;
    case oxcmd::manualcursor::kXPosition:
        SetPosition(context, value, s.fCurXA, s.fCurXB, arg.Float(), ValidateCursorX, OX_CURSOR_A);
        break;
    case oxcmd::manualcursor::kXOn:
        s.bCurXOn = arg.Byte() ? 1 : 0;
        break;
    case oxcmd::manualcursor::kYPosition:
        SetPosition(context, value, s.fCurYA, s.fCurYB, arg.Float(), ValidateCursorY, OX_CURSOR_A);
        break;
    case oxcmd::manualcursor::kYOn:
        s.bCurYOn = arg.Byte() ? 1 : 0;
        break;
    default:
        return;
    }
    s.nCursorMode = oxcmd::code::kManualCursors;
    CursorsMoved();
}

void oxmsg::handlerkit::TrackCursorHandler(IOCmdContext& context, unsigned int subCmd, long value,
                                           std::uint32_t argLow, std::uint32_t argHigh) {
    _OX_SETUP& s = Setup();
    const Arg arg{argLow, argHigh};
    switch (subCmd) {
    case oxcmd::trackcursor::kSourceA:
        Choose(context, s.nTrackSourceA, arg, 2);
        break;
    case oxcmd::trackcursor::kSourceB:
        Choose(context, s.nTrackSourceB, arg, 2);
        break;
    case oxcmd::trackcursor::kPosition:
        SetPosition(context, value, s.fTrackA, s.fTrackB, arg.Float(), ValidateCursorX,
                    OX_CURSOR_TRACK_A);
        break;
    case oxcmd::trackcursor::kOn:
        if (std::uint8_t* shown = CursorOf(context, value, s.bTrackOnA, s.bTrackOnB))
            *shown = arg.Byte() ? 1 : 0;
        break;
    default:
        return;
    }
    s.nCursorMode = oxcmd::code::kTrackCursors;
    CursorsMoved();
}

const char* OxDialogRequestRefusal(const _OX_SETUP& setup, unsigned int subCmd) {
    namespace panel = oxcmd::panel;
    namespace code = oxcmd::code;
    if (subCmd < panel::kFirstDialogRequest || subCmd > panel::kLastDialogRequest) return nullptr;
    if (setup.nRecordState == code::kPlaying && subCmd != panel::kRecordDialog)
        return kNotAvailable;
    switch (subCmd) {
    case panel::kTriggerDialog:
        if (setup.nTimeFormat == code::kXY) return kNotAtXY;
        if (setup.nTimeFormat == code::kRolling) return kNotAtRolling;
        return nullptr;
    case panel::kTrackCursorDialog:
        return setup.nTimeFormat == code::kXY ? kNotAtXY : nullptr;
    case panel::kMaskTestDialog:
        return setup.nTrigMode == code::kAlternate ? kNotAtAlternate : nullptr;
    default:
        return nullptr;
    }
}

void oxmsg::handlerkit::PanelHandler(IOCmdContext& context, unsigned int subCmd, long,
                                     std::uint32_t, std::uint32_t) {
    if (const char* refusal = OxDialogRequestRefusal(Setup(), subCmd))
        return Refuse(context, refusal);
    switch (subCmd) {
    // The cursor dialogs show positions in divisions of the screen as it is now; they are
    // brought up to date here, on the I/O thread, before the dialog reads them.
    case oxcmd::panel::kManualCursorDialog:
        RebuildCursorDiv();
        SetCursorMode(context, oxcmd::code::kManualCursors);
        break;
    case oxcmd::panel::kTrackCursorDialog:
        RebuildCursorDiv();
        SetCursorMode(context, oxcmd::code::kTrackCursors);
        break;
    default:
        break;
    }
}

void oxmsg::handlerkit::MeasureHandler(IOCmdContext& context, unsigned int subCmd, long value,
                                       std::uint32_t argLow, std::uint32_t argHigh) {
    const Arg arg{argLow, argHigh};
    if ((subCmd == oxcmd::measure::kAddAll || subCmd == oxcmd::measure::kAdd) &&
        Setup().nTimeFormat == oxcmd::code::kXY)
        return Refuse(context, kNotAtXY);
    switch (subCmd) {
    case oxcmd::measure::kAdd:
        AddMeasurement(context, value, arg);
        break;
    case oxcmd::measure::kAddAll:
        AddAllMeasurements(context, arg);
        break;
    case oxcmd::measure::kRemove:
        RemoveMeasurement(context, value, arg);
        break;
    case oxcmd::measure::kClear:
        Setup().nMeasureCount = 0;
        Setup().bMeasureAll = 0;
        break;
    default:
        return;
    }
    Region().bRedrawMeasure = 1;
}
