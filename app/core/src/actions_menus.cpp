// The rows of the menus, the context menu and the keys that have no menu item.
#include "action_posts.h"

#include "gauger.h"
#include "oxmenus.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <string>
#include <utility>
#include <vector>

namespace oxact {
namespace {

using namespace rows;
using namespace menu;

constexpr const char* kOnlyUsb = "This feature is available only in USB mode";
constexpr const char* kNotOnNetwork = "Function not available at network mode";

bool InXY(const _OX_SETUP& s) {
    return s.nTimeFormat == code::kXY;
}
bool OnLan(const _OX_SETUP& s) {
    return s.nInterface == code::kLan;
}

Plan RunPlan(const _OX_SETUP& s) {
    if (PlayingBack(s)) return Plan::Refuse(kNotAvailable);
    Plan plan;
    // The link check goes through the queue: it reconnects, and the link is touched only
    // under the I/O thread's lock.
    plan.Add(PostOf(cmd::run::kCheckLink));
    plan.Add(ToPanel(PostOf(cmd::run::kRun)));
    plan.Add(ToPanel(PostOf(cmd::timebase::kRun)));
    return plan;
}

// SINGLE: the sweep set to single, then RUN; the instrument stops by itself after the one
// acquisition its trigger starts.
Plan SinglePlan(const _OX_SETUP& s) {
    Plan plan = RunPlan(s);
    if (plan.refusal != nullptr) return plan;
    Plan single;
    single.Add(PostOf(cmd::trigger::kSweep, code::kSweepSingle));
    for (const Post& post : plan.Posts())
        single.Add(post);
    return single;
}
bool SingleSweep(const _OX_SETUP& s) {
    return s.nTrigSweep == code::kSweepSingle;
}

// Playback is stopped in the Record dialog (its stop ends the playback properly).
Plan StopPlan(const _OX_SETUP& s) {
    if (PlayingBack(s)) return Plan::Refuse(kStopDuringPlayback);
    return SinglePost(ToPanel(PostOf(cmd::run::kStop)));
}

template <const oxcmd::Command<oxcmd::NoArg>& C> Plan RunControlPlan(const _OX_SETUP&) {
    return SinglePost(PostOf(C));
}

// The default setup, then a run; refused during playback like RUN.
Plan DefaultPlan(const _OX_SETUP& s) {
    if (PlayingBack(s)) return Plan::Refuse(kNotAvailable);
    Plan plan;
    plan.Add(PostOf(cmd::run::kDefaultSetup));
    plan.Add(PostOf(cmd::run::kRun));
    return plan;
}

// During playback no dialog opens, except the Record dialog that controls the playback.
template <oxcmd::Sub Sub, long Value = 0> Plan DialogPlan(const _OX_SETUP& s) {
    if (PlayingBack(s) && Sub != oxcmd::panel::kRecordDialog) return Plan::Refuse(kNotAvailable);
    return SinglePost(PostOf(cmd::panel::Request(Sub), Value));
}

template <oxcmd::Sub Sub> Plan DialogNotInXYPlan(const _OX_SETUP& s) {
    return InXY(s) ? Plan::Refuse(kNotAtXY) : DialogPlan<Sub>(s);
}

Plan LanConfigPlan(const _OX_SETUP& s) {
    return OnLan(s) ? Plan::Refuse(kOnlyUsb) : DialogPlan<oxcmd::panel::kConnectDialog>(s);
}

Plan PassFailPlan(const _OX_SETUP& s) {
    return OnLan(s) ? Plan::Refuse(kNotOnNetwork) : DialogPlan<oxcmd::panel::kMaskTestDialog>(s);
}

Plan AutoCursorPlan(const _OX_SETUP& s) {
    if (InXY(s)) return Plan::Refuse(kNotAtXY);
    return SinglePost(PostOf(cmd::cursormode::kAuto));
}

Plan CursorOffPlan(const _OX_SETUP&) {
    return SinglePost(ToPanel(PostOf(cmd::cursormode::kOff)));
}

template <int Mode> bool CursorModeIs(const _OX_SETUP& s) {
    return s.nCursorMode == Mode;
}

// One channel shown: the measurement is of it; both: the window asks first; none: nothing.
template <int Code> Plan MeasureItemPlan(const _OX_SETUP& s) {
    const bool ch1 = s.bChanDisplay[0] != 0;
    const bool ch2 = s.bChanDisplay[1] != 0;
    if (ch1 == ch2) return {};
    return MeasurePlan(Code, ch1 ? 0 : 1);
}

Plan ClearMeasurePlan(const _OX_SETUP&) {
    return SinglePost(PostOf(cmd::measure::kClear, false));
}

Plan VersionPlan(const _OX_SETUP&) {
    return Plan::Refuse(kVersionText); // shown on the screen like a message
}

// The context menu's settings: each posts the other state of its setting.
Plan VectorPlan(const _OX_SETUP& s) {
    const int next = s.nDisplayType == code::kVectors ? code::kDots : code::kVectors;
    return SinglePost(PostOf(cmd::display::kType, next));
}
bool VectorsShown(const _OX_SETUP& s) {
    return s.nDisplayType == code::kVectors;
}

Plan GridPlan(const _OX_SETUP& s) {
    const int next = s.nDisplayGrid == code::kGridFull ? code::kGridNone : code::kGridFull;
    return SinglePost(PostOf(cmd::display::kGrid, next));
}
bool GridShown(const _OX_SETUP& s) {
    return s.nDisplayGrid == code::kGridFull;
}

template <bool RealTime> Plan SamplingPlan(const _OX_SETUP&) {
    return SinglePost(PostOf(cmd::acquire::kRealTime, RealTime));
}
template <bool RealTime> bool SamplingIs(const _OX_SETUP& s) {
    return (s.bAcqRealTime != 0) == RealTime;
}

template <int Type> Plan AcqTypePlan(const _OX_SETUP&) {
    return SinglePost(PostOf(cmd::acquire::kType, Type));
}
template <int Type> bool AcqTypeIs(const _OX_SETUP& s) {
    return s.nAcqType == Type;
}

template <std::uint8_t _OX_SETUP::*Field, const oxcmd::Command<bool>& C>
Plan DisplayTogglePlan(const _OX_SETUP& s) {
    return SinglePost(PostOf(C, s.*Field == 0));
}
template <std::uint8_t _OX_SETUP::*Field> bool DisplayFlagSet(const _OX_SETUP& s) {
    return s.*Field != 0;
}

Plan ClearPersistencePlan(const _OX_SETUP&) {
    return SinglePost(PostOf(cmd::display::kClearPersist));
}

using oxcmd::panel::kAcquireDialog;
using oxcmd::panel::kChannelDialog;
using oxcmd::panel::kDisplayDialog;
using oxcmd::panel::kHorizontalDialog;
using oxcmd::panel::kLinkChoiceDialog;
using oxcmd::panel::kLogicDialog;
using oxcmd::panel::kManualCursorDialog;
using oxcmd::panel::kMathDialog;
using oxcmd::panel::kRecordDialog;
using oxcmd::panel::kReferenceDialog;
using oxcmd::panel::kTrackCursorDialog;
using oxcmd::panel::kTriggerDialog;
constexpr auto kPersist = &_OX_SETUP::bDisplayPersist;
constexpr auto kColorGrade = &_OX_SETUP::bDisplayColorGrade;

// clang-format off
// The menu rows before the measurement items, then those after them.
constexpr ActionRow kMenuRows[] = {
    // id, menu, caption, button, object name, shortcut, tip, plan, enabled, checked
    {ActionId::Run, kControl, "&Run", "RUN", "RUN", "Ctrl+R", "Run acquisition", RunPlan, nullptr, nullptr},
    {ActionId::Stop, kControl, "&Stop", "STOP", "STOP", "Ctrl+S", "Stop acquisition", StopPlan, nullptr, nullptr},
    {ActionId::Single, kControl, "Si&ngle", "SINGLE", "SINGLE", "Ctrl+Shift+R", "One acquisition, then stop (single sweep)", SinglePlan, nullptr, SingleSweep},
    {ActionId::Auto, kControl, "&Auto", "AUTO", "AUTO", nullptr, "Auto set-up", RunControlPlan<cmd::run::kAuto>, nullptr, nullptr},
    {ActionId::Undo, kControl, "&Undo", nullptr, "UNDO", "Ctrl+Z", "Undo the last scale or position change", RunControlPlan<cmd::run::kUndo>, nullptr, nullptr},
    {ActionId::Redo, kControl, "Re&do", nullptr, "REDO", "Ctrl+Y", "Redo what undo took back", RunControlPlan<cmd::run::kRedo>, nullptr, nullptr},
    {ActionId::LanConfig, kControl, "LAN Config", nullptr, "LAN_CONFIG", nullptr, "The instrument's LAN settings", LanConfigPlan, nullptr, nullptr},
    {ActionId::Connect, kControl, "&Connect", nullptr, "CONNECT", nullptr, "Choose the link to the instrument", DialogPlan<kLinkChoiceDialog>, nullptr, nullptr},

    {ActionId::AnalogDialog, kVertical, "&Analog\tCtrl+1/2", nullptr, "CHANNEL_DIALOG", nullptr, "Channel settings", DialogPlan<kChannelDialog>, nullptr, nullptr},
    {ActionId::DigitalDialog, kVertical, "&Digital", nullptr, "LA_DIALOG", "Ctrl+L", "Logic analyzer settings", DialogPlan<kLogicDialog>, nullptr, nullptr},
    {ActionId::MathDialog, kVertical, "&Math", nullptr, "MATH_DIALOG", "Ctrl+H", "Math and FFT", DialogPlan<kMathDialog>, nullptr, nullptr},
    {ActionId::ReferenceDialog, kVertical, "&Reference", nullptr, "REF_DIALOG", "Ctrl+E", "Reference waveforms", DialogPlan<kReferenceDialog>, nullptr, nullptr},

    {ActionId::HorizontalDialog, kHorizontal, "&Horizontal", nullptr, "HORIZONTAL_DIALOG", nullptr, "Time base settings", DialogPlan<kHorizontalDialog>, nullptr, nullptr},
    {ActionId::AcquireDialog, kHorizontal, "&Acquire", nullptr, "ACQUIRE_DIALOG", "Ctrl+Q", "Acquisition settings", DialogPlan<kAcquireDialog>, nullptr, nullptr},
    {ActionId::TriggerDialog, kHorizontal, "&Trigger", nullptr, "TRIGGER_DIALOG", nullptr, "Trigger settings", DialogPlan<kTriggerDialog>, nullptr, nullptr},

    {ActionId::CursorAuto, kAnalyze, "&Auto Cursor", nullptr, "CURSOR_AUTO", "Ctrl+A", "Cursors placed automatically", AutoCursorPlan, nullptr, CursorModeIs<code::kAutoCursors>},
    {ActionId::CursorManual, kAnalyze, "&Manual Cursor", nullptr, "CURSOR_MANUAL", "Ctrl+M", "Manual cursors", DialogPlan<kManualCursorDialog>, nullptr, CursorModeIs<code::kManualCursors>},
    {ActionId::CursorTrack, kAnalyze, "&Track Cursor", nullptr, "CURSOR_TRACK", "Ctrl+T", "Tracking cursors", DialogNotInXYPlan<kTrackCursorDialog>, nullptr, CursorModeIs<code::kTrackCursors>},
    {ActionId::CursorNone, kAnalyze, "&None", nullptr, "CURSOR_NONE", "Ctrl+N", "Cursors off", CursorOffPlan, nullptr, CursorModeIs<code::kCursorsOff>},
};

constexpr ActionRow kMenuRowsAfterMeasures[] = {
    {ActionId::AllMeasure, kAnalyze, "&All Measure", nullptr, "ALL_MEASURE", "Ctrl+Shift+A", "Every measurement of a channel", nullptr, nullptr, nullptr},
    {ActionId::ClearMeasure, kAnalyze, "C&lear Measure", nullptr, "CLEAR_MEASURE", "Ctrl+Shift+C", "All measurements off", ClearMeasurePlan, nullptr, nullptr},

    {ActionId::LoadDefault, kStorage, "Load Default", nullptr, "LOAD_DEFAULT", nullptr, "The instrument's default setup, then run", DefaultPlan, nullptr, nullptr},
    {ActionId::Prevue, kStorage, "Prevue", nullptr, "PREVUE", nullptr, "Print preview", nullptr, nullptr, nullptr},
    {ActionId::Print, kStorage, "&Print", nullptr, "PRINT", "Ctrl+P", "Print the screen", nullptr, nullptr, nullptr},

    {ActionId::DisplayDialog, kUtility, "&Display", nullptr, "DISPLAY_DIALOG", nullptr, "Display settings", DialogPlan<kDisplayDialog>, nullptr, nullptr},
    {ActionId::SelfCalibration, kUtility, "&SelfCalibration", nullptr, "SELF_CALIBRATION", nullptr, "Calibrate the instrument", nullptr, nullptr, nullptr},
    {ActionId::PassFailDialog, kUtility, "Pass/Fail", nullptr, "PASSFAIL_DIALOG", nullptr, "Pass/fail mask test", PassFailPlan, nullptr, nullptr},
    {ActionId::RecordDialog, kUtility, "&Record", nullptr, "RECORD_DIALOG", nullptr, "Record and play back waveforms", DialogPlan<kRecordDialog>, nullptr, nullptr},
    {ActionId::Help, kUtility, "&Help", nullptr, "HELP", "F1", "Open the help page", nullptr, nullptr, nullptr},
    {ActionId::About, kUtility, "&About", nullptr, "ABOUT", nullptr, "About Oxbow", nullptr, nullptr, nullptr},

    // Keys without a menu item.
    {ActionId::Exit, nullptr, nullptr, nullptr, "EXIT", "Ctrl+W", "Close Oxbow", RunControlPlan<cmd::run::kExit>, nullptr, nullptr},
    {ActionId::Ch1Dialog, nullptr, "CH1 settings", nullptr, "CH1_DIALOG", "Ctrl+1", "CH1 settings", DialogPlan<kChannelDialog, 0>, nullptr, nullptr},
    {ActionId::Ch2Dialog, nullptr, "CH2 settings", nullptr, "CH2_DIALOG", "Ctrl+2", "CH2 settings", DialogPlan<kChannelDialog, 1>, nullptr, nullptr},
    {ActionId::Version, nullptr, "Version", nullptr, "VERSION", "Ctrl+Shift+V", "Show the version", VersionPlan, nullptr, nullptr},

    // The context menu's own items.
    {ActionId::Vector, nullptr, "Vector", nullptr, "VECTOR", nullptr, "Join the samples with lines", VectorPlan, nullptr, VectorsShown},
    {ActionId::Grid, nullptr, "Grid", nullptr, "GRID", nullptr, "Show the grid", GridPlan, nullptr, GridShown},
    {ActionId::RealTime, nullptr, "Real Time", nullptr, "REAL_TIME", nullptr, "Real-time sampling", SamplingPlan<true>, nullptr, SamplingIs<true>},
    {ActionId::EqualTime, nullptr, "Equal Time", nullptr, "EQUAL_TIME", nullptr, "Equivalent-time sampling", SamplingPlan<false>, nullptr, SamplingIs<false>},
    {ActionId::AcqNormal, nullptr, "Normal", nullptr, "ACQ_NORMAL", nullptr, "Normal acquisition", AcqTypePlan<code::kAcqNormal>, nullptr, AcqTypeIs<code::kAcqNormal>},
    {ActionId::AcqAverage, nullptr, "Averaging", nullptr, "ACQ_AVERAGE", nullptr, "Averaged acquisition", AcqTypePlan<code::kAcqAverage>, nullptr, AcqTypeIs<code::kAcqAverage>},
    {ActionId::AcqPeakDetect, nullptr, "PeakDetect", nullptr, "ACQ_PEAK_DETECT", nullptr, "Peak-detect acquisition", AcqTypePlan<code::kAcqPeakDetect>, nullptr, AcqTypeIs<code::kAcqPeakDetect>},
    {ActionId::Persistence, nullptr, "Persistence", nullptr, "PERSISTENCE", nullptr, "Keep earlier traces on the screen", DisplayTogglePlan<kPersist, cmd::display::kPersist>, nullptr, DisplayFlagSet<kPersist>},
    {ActionId::ColorGrade, nullptr, "Color Grade", nullptr, "COLOR_GRADE", nullptr, "Colour the traces by how often they pass", DisplayTogglePlan<kColorGrade, cmd::display::kColorGrade>, nullptr, DisplayFlagSet<kColorGrade>},
    {ActionId::ClearPersistence, nullptr, "Clear Persistence", nullptr, "CLEAR_PERSISTENCE", nullptr, "Start the persistence afresh", ClearPersistencePlan, nullptr, nullptr},
    {ActionId::PopDefault, nullptr, "Default", nullptr, "DEFAULT", nullptr, "The instrument's default setup, then run", DefaultPlan, nullptr, nullptr},
};
// clang-format on

// The measurement items, from gauger's table: the horizontal ones (codes 11..20) first, as
// their submenu comes first. The widget name is "MEASURE_" and the table's key.
constexpr int kFirstHorizontal = static_cast<int>(gauger::Measure::Period);

const std::string& MeasureObjectName(int code) {
    static const std::array<std::string, gauger::kMeasureCount> names = [] {
        std::array<std::string, gauger::kMeasureCount> made;
        for (int c = 1; c <= gauger::kMeasureCount; ++c) {
            std::string name = std::string("MEASURE_") + gauger::GetMeasureInfo(c)->key;
            std::transform(name.begin(), name.end(), name.begin(),
                           [](unsigned char ch) { return static_cast<char>(std::toupper(ch)); });
            made[static_cast<std::size_t>(c - 1)] = name;
        }
        return made;
    }();
    return names[static_cast<std::size_t>(code - 1)];
}

template <std::size_t... Index>
constexpr std::array<PlanFn, sizeof...(Index)> MeasurePlans(std::index_sequence<Index...>) {
    return {MeasureItemPlan<static_cast<int>(Index) + 1>...};
}
constexpr auto kMeasurePlans = MeasurePlans(std::make_index_sequence<gauger::kMeasureCount>{});

ActionRow MeasureRow(int code) {
    return {static_cast<ActionId>(static_cast<int>(ActionId::MeasureVmax) + code - 1),
            kAnalyze,
            gauger::GetMeasureInfo(code)->item,
            nullptr,
            MeasureObjectName(code).c_str(),
            nullptr,
            "Measure this on the shown channel",
            kMeasurePlans[static_cast<std::size_t>(code - 1)],
            nullptr,
            nullptr};
}

std::vector<ActionRow> JoinedMenuRows() {
    std::vector<ActionRow> rows(std::begin(kMenuRows), std::end(kMenuRows));
    for (int code = kFirstHorizontal; code <= gauger::kMeasureCount; ++code)
        rows.push_back(MeasureRow(code));
    for (int code = 1; code < kFirstHorizontal; ++code)
        rows.push_back(MeasureRow(code));
    rows.insert(rows.end(), std::begin(kMenuRowsAfterMeasures), std::end(kMenuRowsAfterMeasures));
    return rows;
}

} // namespace

Plan MeasurePlan(int code, int channel) {
    return SinglePost(PostOf(cmd::measure::kAdd, code, channel));
}

std::span<const ActionRow> MenuRows() {
    static const std::vector<ActionRow> rows = JoinedMenuRows();
    return rows;
}

} // namespace oxact
