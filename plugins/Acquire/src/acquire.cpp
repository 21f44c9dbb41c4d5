#include "acquire.h"

#include "plugindlg.h"

#include <algorithm>
#include <bit>
#include <cmath>

namespace {

using namespace oxbow::ui;
namespace code = oxcmd::code;
namespace as = oxcmd::setting::acquire;
using Id = AcquireId;

bool Averaging(const DialogView& v) {
    return v.setup.nAcqType == code::kAcqAverage;
}

// The record the depth describes: the acquisition's while running, the stored one when
// stopped.
QString DepthText(const DialogView& v, double) {
    const long depth = v.setup.bRun ? v.setup.nAcqMemory : v.setup.nAcqMemoryRec;
    return QStringLiteral("%1K").arg(depth / 1024);
}

QString CountText(const DialogView&, double count) {
    return QString::number(static_cast<int>(count));
}

QStringList Types(const DialogView&) {
    return {"Normal", "Average", "Peak Detect"};
}

template <bool Up> std::optional<double> Step(const DialogView&, double count) {
    return StepAverages(static_cast<int>(count), Up);
}

const std::vector<Row>& TheRows() {
    const int acquisition = IdOf(Id::AcquisitionBox);
    const int memory = IdOf(Id::MemoryBox);
    std::vector<Row> averages = Rows({
        {Label(Id::AveragesLabel, {0, 1}, "Averages", acquisition)},
        StepPair(Id::AveragesDown, Id::AveragesUp, {0, 3}, Kind::Push, TargetOf(as::kAverages),
                 Step<false>, Step<true>, acquisition, "\u25c0", "\u25b6"),
        {ValueField(Id::Averages, {0, 3}, as::kAverages, kCountEntry, acquisition, CountText)},
    });
    for (Row& row : averages) {
        row.shown = Averaging;
        if (row.kind == Kind::Value) {
            row.chars = 4;
            row.value = [](const DialogView&, double n) -> std::optional<double> {
                return std::trunc(n);
            };
        }
    }
    static const std::vector<Row> rows = Rows({
        OptionGroup(as::kRealTime, {0, 0},
                    {{IdOf(Id::RealTime), "Real Time", 1}, {IdOf(Id::EqualTime), "Equal Time", 0}},
                    IdOf(Id::SamplingBox)),
        {ListBox(Id::Type, {0, 0}, as::kType, Types, acquisition)},
        averages,
        OptionGroup(as::kMemory, {0, 0},
                    {{IdOf(Id::NormalMemory), "Normal", code::kNormalMemoryPoints},
                     {IdOf(Id::LongMemory), "Long", code::kLongMemoryPoints}},
                    memory),
        {Label(Id::DepthLabel, {1, 0}, "Depth", memory),
         {.id = IdOf(Id::Depth),
          .kind = Kind::Value,
          .cell = {1, 1},
          .box = memory,
          .text = DepthText,
          .chars = 6}},
    });
    return rows;
}

constexpr Box kBoxes[] = {
    {.id = IdOf(Id::SamplingBox), .cell = {0, 0}, .caption = "Sampling"},
    {.id = IdOf(Id::AcquisitionBox), .cell = {1, 0}, .caption = "Acquisition"},
    {.id = IdOf(Id::MemoryBox), .cell = {2, 0}, .caption = "Memory"},
};

const DialogLayout& TheLayout() {
    static const DialogLayout layout{.title = "Acquire", .boxes = kBoxes, .rows = TheRows()};
    return layout;
}

} // namespace

int StepAverages(int count, bool up) {
    const auto n = static_cast<unsigned>(std::max(count, 1));
    return static_cast<int>(up ? std::bit_floor(n) * 2 : std::bit_ceil(n) / 2);
}

CWnd* ShowAcquireDlg(const PluginContext& context, long) {
    return ShowPluginDialog(context, TheLayout());
}
