#include "acquire.h"

#include "ox_records.h"
#include "plugindlg.h"

#include <bit>
#include <cmath>

namespace {

using namespace oxbow::ui;
using oxcmd::group::kAcquire;
namespace acq = oxcmd::acquire;
namespace code = oxcmd::code;

constexpr int kFewestAverages = 2;
constexpr int kMostAverages = 256;

bool Averaging(const DialogView& v) {
    return v.setup.nAcqType == code::kAcqAverage;
}

double Averages(const DialogView& v) {
    return v.setup.nAcqAverages;
}

Post AveragesCommand(const DialogView&) {
    return {kAcquire, acq::kAverages};
}

// The record the depth describes: the acquisition's while running, the stored one when
// stopped.
QString DepthText(const DialogView& v) {
    const long depth = v.setup.bRun ? v.setup.nAcqMemory : v.setup.nAcqMemoryRec;
    return QStringLiteral("%1K").arg(depth / 1024);
}

ControlRow Choice(int id, QRect rect, const char* caption, double (*field)(const DialogView&),
                  Post (*command)(const DialogView&), Arg arg, double option,
                  std::optional<double> (*value)(const DialogView&, double) = nullptr) {
    return {.id = id,
            .widget = Widget::Option,
            .rect = rect,
            .caption = caption,
            .field = field,
            .command = command,
            .arg = arg,
            .value = value,
            .option = option};
}

template <bool Up> ControlRow AveragesStep(int id, QRect rect, const char* caption) {
    return {.id = id,
            .widget = Widget::Push,
            .rect = rect,
            .caption = caption,
            .field = Averages,
            .command = AveragesCommand,
            .arg = Arg::Int,
            .value = [](const DialogView&, double n) -> std::optional<double> {
                if (const std::optional<int> next = StepAverages(static_cast<int>(n), Up))
                    return *next;
                return std::nullopt;
            },
            .shown = Averaging};
}

const std::vector<ControlRow>& Rows() {
    static const std::vector<ControlRow> rows = {
        {.id = 6026, .widget = Widget::Title, .caption = "Acquire"},
        {.id = 6041, .widget = Widget::Heading, .rect = {12, 30, 200, 18}, .caption = "Sampling"},
        Choice(
            6048, {16, 50, 130, 22}, "Real Time",
            [](const DialogView& v) -> double { return v.setup.bAcqRealTime; },
            [](const DialogView&) {
                return Post{kAcquire, acq::kRealTime};
            },
            Arg::Bool, 1),
        Choice(
            6049, {156, 50, 130, 22}, "Equal Time",
            [](const DialogView& v) -> double { return v.setup.bAcqRealTime; },
            [](const DialogView&) {
                return Post{kAcquire, acq::kRealTime};
            },
            Arg::Bool, 0),
        {.id = 6042,
         .widget = Widget::Heading,
         .rect = {12, 82, 200, 18},
         .caption = "Acquisition"},
        {.id = 6052,
         .widget = Widget::List,
         .rect = {16, 102, 130, 22},
         .field = [](const DialogView& v) -> double { return v.setup.nAcqType; },
         .command =
             [](const DialogView&) {
                 return Post{kAcquire, acq::kType};
             },
         .arg = Arg::Int,
         .items =
             [](const DialogView&) {
                 return QStringList{"Normal", "Average", "Peak Detect"};
             }},
        {.id = 6044,
         .widget = Widget::Label,
         .rect = {156, 102, 64, 22},
         .caption = "Averages",
         .shown = Averaging},
        AveragesStep<false>(6010, {220, 102, 18, 22}, "\u25c0"),
        {.id = 6004,
         .widget = Widget::Value,
         .rect = {238, 102, 40, 22},
         .field = Averages,
         .command = AveragesCommand,
         .arg = Arg::Int,
         .entry = kCountEntry,
         .value = [](const DialogView&, double n) -> std::optional<double> {
             return std::trunc(n);
         },
         .text = [](const DialogView& v) { return QString::number(v.setup.nAcqAverages); },
         .shown = Averaging},
        AveragesStep<true>(6007, {278, 102, 18, 22}, "\u25b6"),
        {.id = 6043, .widget = Widget::Heading, .rect = {12, 134, 200, 18}, .caption = "Memory"},
        Choice(
            6050, {16, 154, 130, 22}, "Normal",
            [](const DialogView& v) -> double { return v.setup.bAcqLongMemory; },
            [](const DialogView&) {
                return Post{kAcquire, acq::kMemory};
            },
            Arg::Int, 0,
            [](const DialogView&, double) -> std::optional<double> {
                return code::kNormalMemoryPoints;
            }),
        Choice(
            6051, {156, 154, 130, 22}, "Long",
            [](const DialogView& v) -> double { return v.setup.bAcqLongMemory; },
            [](const DialogView&) {
                return Post{kAcquire, acq::kMemory};
            },
            Arg::Int, 1,
            [](const DialogView&, double) -> std::optional<double> {
                return code::kLongMemoryPoints;
            }),
        {.id = 6045, .widget = Widget::Label, .rect = {16, 186, 64, 22}, .caption = "Depth"},
        {.id = 6013, .widget = Widget::Value, .rect = {84, 186, 80, 22}, .text = DepthText},
    };
    return rows;
}

const DialogLayout& Layout() {
    static const DialogLayout layout{.templateId = 20006,
                                     .size = {310, 220},
                                     .title = "Acquire",
                                     .closeSub = oxcmd::panel::kCloseAcquire,
                                     .controls = Rows()};
    return layout;
}

} // namespace

std::optional<int> StepAverages(int count, bool up) {
    const auto n = static_cast<unsigned>(std::max(count, 1));
    const unsigned next = up ? std::bit_floor(n) * 2 : std::bit_ceil(n) / 2;
    if (next < kFewestAverages || next > kMostAverages) return std::nullopt;
    return static_cast<int>(next);
}

CWnd* ShowAcquireDlg(const PluginContext& context, long) {
    return ShowPluginDialog(context, Layout());
}
