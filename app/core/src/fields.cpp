// The rows of the panel's value fields.
#include "oxfields.h"

#include "oxtriglevel.h"

#include "action_posts.h"
#include "ox_geometry.h"
#include "ox_validate.h"
#include "oxcommon.h"
#include "oxdisplay.h"

#include <algorithm>
#include <cmath>

namespace oxfield {
namespace {

using namespace oxact::rows;
using oxact::kNoAnalyzer;
using oxact::kNotAtRolling;
using oxact::kNotAtXY;
using oxact::Plan;

constexpr EntrySettings kPanelEntry{3, -1, 0};
// The single layout's plot area, for a region record not yet laid out.
constexpr OX_RECT kDefaultWindow{0, 0, oxdisplay::kColumns, oxdisplay::kPlotRows};
// Finest exponent of a stepped voltage.
constexpr int kFinestVolts = -3;
// The 1-2-5 steps of a decade: the coarse step of a scale.
constexpr int kStepsPerDecade = 3;

bool Empty(const OX_RECT& r) {
    return r.right <= r.left || r.bottom <= r.top;
}

// The window a channel is drawn in (-1: the time base's own window).
const OX_RECT& WindowOf(const _OX_SETUP& s, const _OX_RGN_SETUP& r, int channel) {
    const OX_RECT* window = &r.rcMain;
    if (s.nTrigMode == code::kAlternate)
        window = channel == 1 ? &r.rcLower : &r.rcUpper;
    else if (s.bDelayed != 0)
        window = &r.rcUpper;
    if (Empty(*window)) window = &r.rcMain;
    return Empty(*window) ? kDefaultWindow : *window;
}

// The divisions one pixel spans in a window.
double PixelDivisions(const OX_RECT& window, bool horizontal) {
    const OX_POINT origin{0, 0};
    return std::abs(
        GetCursorDiv(origin, horizontal ? OX_POINT{1, 0} : OX_POINT{0, 1}, window, horizontal));
}

// One pixel of a quantity of `perDivision` in the channel's window; one division when
// coarse.
double PixelStep(const _OX_SETUP& s, const _OX_RGN_SETUP& r, int channel, double perDivision,
                 bool horizontal, bool coarse) {
    if (coarse) return perDivision;
    return perDivision * PixelDivisions(WindowOf(s, r, channel), horizontal);
}

double Toward(double value, double step, bool up) {
    return up ? value + step : value - step;
}

// Three significant digits, or two when coarse: for values with no graticule to follow.
double DigitStep(double value, int finest, Notch notch) {
    return StepIndouble(value, finest, notch.up, 1, notch.coarse ? -1 : -2);
}

double ScaleStep(const _OX_SETUP&, const _OX_RGN_SETUP&, double value, Notch notch) {
    const int steps = notch.coarse ? kStepsPerDecade : 1;
    for (int i = 0; i < steps; ++i)
        value = SetPreDefinedScale(value, notch.up);
    return value;
}

std::string VoltsText(double value, const char* unit) {
    std::string out;
    GetVertScaleString(out, static_cast<float>(value), unit);
    return out;
}

// ---- Channels -------------------------------------------------------------------------

template <int C> double ScaleOf(const _OX_SETUP& s) {
    return s.fChanScale[C];
}
template <int C> double OffsetOf(const _OX_SETUP& s) {
    return s.fChanOffset[C];
}
template <int C> std::string ChannelScaleText(const _OX_SETUP& s) {
    return VoltsText(s.fChanScale[C], s.szChanUnit[C]);
}
template <int C> std::string ChannelOffsetText(const _OX_SETUP& s) {
    return VoltsText(s.fChanOffset[C], s.szChanUnit[C]);
}
template <int C> const char* ScaleCaption(const _OX_SETUP&) {
    return C == 0 ? "CH1 V/div" : "CH2 V/div";
}
template <int C> const char* OffsetCaption(const _OX_SETUP&) {
    return C == 0 ? "CH1 offset" : "CH2 offset";
}
// A scale outside its domain (zero or below) means nothing: it is refused, not clamped.
Plan InDomain(OxDomain domain, double value, Plan plan) {
    const char* refusal = DomainRefusal(domain, value);
    return refusal != nullptr ? Plan::Refuse(refusal) : plan;
}

template <int C> Plan ChannelScalePlan(const _OX_SETUP&, double value) {
    return InDomain(OxDomain::VoltsPerDiv, value, SinglePost(ChannelScale(C, value)));
}
template <int C> Plan ChannelOffsetPlan(const _OX_SETUP&, double value) {
    return SinglePost(PostOf(cmd::channel::kOffset, static_cast<float>(value), C));
}
template <int C>
double ChannelOffsetStep(const _OX_SETUP& s, const _OX_RGN_SETUP& r, double value, Notch notch) {
    return Toward(value, PixelStep(s, r, C, s.fChanScale[C], false, notch.coarse), notch.up);
}

// ---- Time base ------------------------------------------------------------------------

double ShownTimeOffset(const _OX_SETUP& s) {
    const auto t = PanelTimebase(s);
    return t.offset.read(s, t.index);
}
bool Alternation(const _OX_SETUP& s) {
    return s.nTrigMode == code::kAlternate;
}
std::string TimeScaleText(const _OX_SETUP& s) {
    std::string out;
    GetTimeScaleString(out, ShownTimeScale(s));
    return out;
}
std::string TimeOffsetText(const _OX_SETUP& s) {
    std::string out;
    GetTimeOffsetString(out, ShownTimeOffset(s));
    return out;
}
const char* TimeScaleCaption(const _OX_SETUP& s) {
    return Alternation(s) ? "TIME s/div (CH1 alt)" : "TIME s/div";
}
const char* TimeOffsetCaption(const _OX_SETUP& s) {
    return Alternation(s) ? "Position (CH1 alt)" : "Position";
}
Plan TimeScalePlan(const _OX_SETUP& s, double value) {
    return InDomain(OxDomain::TimePerDiv, value, SinglePost(TimeScale(s, value)));
}
Plan TimeOffsetPlan(const _OX_SETUP& s, double value) {
    const auto t = PanelTimebase(s);
    return SinglePost(PostOf(t.offset.command, value, t.index));
}
double TimeOffsetStep(const _OX_SETUP& s, const _OX_RGN_SETUP& r, double value, Notch notch) {
    return Toward(value, PixelStep(s, r, -1, ShownTimeScale(s), true, notch.coarse), notch.up);
}

// ---- Trigger level ----------------------------------------------------------------------

// The level field follows the rule of the level marker: one rule for the panel.
oxact::TrigLevelTarget LevelOf(const _OX_SETUP& s, bool low) {
    return oxact::TrigLevelOf(s, s.nAltSource, low);
}

int AltChannel(const _OX_SETUP& s) {
    return s.nAltSource == 1 ? 1 : 0;
}

bool SlopeLevels(const _OX_SETUP& s) {
    const bool slope = s.nTrigMode == code::kSlope || (s.nTrigMode == code::kAlternate &&
                                                       s.nAltType[AltChannel(s)] == code::kSlope);
    return slope && !LevelOf(s, true).analyzerThreshold;
}

template <bool Low> double TrigLevel(const _OX_SETUP& s) {
    return LevelOf(s, Low).level;
}
template <bool Low> std::string TrigLevelText(const _OX_SETUP& s) {
    const oxact::TrigLevelTarget target = LevelOf(s, Low);
    return VoltsText(target.level, target.channel >= 0 ? s.szChanUnit[target.channel] : "V");
}
const char* TrigLevelCaption(const _OX_SETUP& s) {
    if (LevelOf(s, false).analyzerThreshold) return "LA threshold (no analog level)";
    return SlopeLevels(s) ? "TRIG level A (high)" : "TRIG level";
}
const char* TrigLevelLowCaption(const _OX_SETUP&) {
    return "TRIG level B (low)";
}

template <bool Low> Plan TrigLevelPlan(const _OX_SETUP& s, double value) {
    if (s.nTimeFormat == code::kXY) return Plan::Refuse(kNotAtXY);
    if (s.nTimeFormat == code::kRolling) return Plan::Refuse(kNotAtRolling);
    if (Low && !SlopeLevels(s)) return Plan::Refuse(oxact::kNotAvailable);
    const oxact::TrigLevelTarget target = LevelOf(s, Low);
    if (target.analyzerThreshold && s.bLaInstalled == 0) return Plan::Refuse(kNoAnalyzer);
    return SinglePost(PostOf(target.command, static_cast<float>(value), target.value));
}

template <bool Low>
double TrigLevelStep(const _OX_SETUP& s, const _OX_RGN_SETUP& r, double value, Notch notch) {
    const oxact::TrigLevelTarget target = LevelOf(s, Low);
    if (target.channel < 0) return DigitStep(value, kFinestVolts, notch);
    const double division = s.fChanScale[target.channel];
    return Toward(value, PixelStep(s, r, target.channel, division, false, notch.coarse), notch.up);
}

// clang-format off
constexpr FieldRow kFields[] = {
    // id, object name, caption, value, text, entry, post, step, applies, tip
    {FieldId::Ch1Scale, "CH1_SCALE", ScaleCaption<0>, ScaleOf<0>, ChannelScaleText<0>, kPanelEntry, ChannelScalePlan<0>, ScaleStep, nullptr, "CH1 volts/div"},
    {FieldId::Ch2Scale, "CH2_SCALE", ScaleCaption<1>, ScaleOf<1>, ChannelScaleText<1>, kPanelEntry, ChannelScalePlan<1>, ScaleStep, nullptr, "CH2 volts/div"},
    {FieldId::Ch1Offset, "CH1_OFFSET", OffsetCaption<0>, OffsetOf<0>, ChannelOffsetText<0>, kPanelEntry, ChannelOffsetPlan<0>, ChannelOffsetStep<0>, nullptr, "CH1 offset"},
    {FieldId::Ch2Offset, "CH2_OFFSET", OffsetCaption<1>, OffsetOf<1>, ChannelOffsetText<1>, kPanelEntry, ChannelOffsetPlan<1>, ChannelOffsetStep<1>, nullptr, "CH2 offset"},
    {FieldId::TimeScale, "TIME_SCALE", TimeScaleCaption, ShownTimeScale, TimeScaleText, kPanelEntry, TimeScalePlan, ScaleStep, nullptr, "Time/div"},
    {FieldId::TimeOffset, "TIME_OFFSET", TimeOffsetCaption, ShownTimeOffset, TimeOffsetText, kPanelEntry, TimeOffsetPlan, TimeOffsetStep, nullptr, "Trigger position (time offset)"},
    {FieldId::TrigLevel, "TRIG_LEVEL", TrigLevelCaption, TrigLevel<false>, TrigLevelText<false>, kPanelEntry, TrigLevelPlan<false>, TrigLevelStep<false>, nullptr, "Trigger level"},
    {FieldId::TrigLevelLow, "TRIG_LEVEL_B", TrigLevelLowCaption, TrigLevel<true>, TrigLevelText<true>, kPanelEntry, TrigLevelPlan<true>, TrigLevelStep<true>, SlopeLevels, "Slope trigger low level"},
};
// clang-format on

} // namespace

std::span<const FieldRow> FieldTable() {
    return kFields;
}

const FieldRow& Field(FieldId id) {
    return *std::find_if(std::begin(kFields), std::end(kFields),
                         [id](const FieldRow& row) { return row.id == id; });
}

Plan EntryPlan(const FieldRow& row, const _OX_SETUP& state, double value, bool saveUndo) {
    const Plan posts = row.post(state, value);
    if (posts.refusal != nullptr || !saveUndo) return posts;
    Plan plan;
    plan.Add(SaveUndo());
    for (const oxact::Post& post : posts.Posts())
        plan.Add(post);
    return plan;
}

double SteppedValue(const FieldRow& row, const _OX_SETUP& state, const _OX_RGN_SETUP& region,
                    Notch notch) {
    return row.step(state, region, row.value(state), notch);
}

Plan WheelPlan(const FieldRow& row, const _OX_SETUP& state, const _OX_RGN_SETUP& region,
               Notch notch, bool saveUndo) {
    return EntryPlan(row, state, SteppedValue(row, state, region, notch), saveUndo);
}

} // namespace oxfield
