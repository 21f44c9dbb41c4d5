#include "horizontal.h"

#include "ox_records.h"
#include "plugindlg.h"
#include "timebaserows.h"

namespace {

using namespace oxbow::ui;
namespace tb = oxbow::ui::timebase;
using oxcmd::group::kTimebase;

constexpr int kWidth = 280;
constexpr int kShortHeight = 253; // the lower section out of sight
constexpr int kTallHeight = 349;

double Format(const DialogView& v) {
    return v.setup.nTimeFormat;
}
Post FormatCommand(const DialogView&) {
    return {kTimebase, oxcmd::timebase::kFormat};
}
double DelayedOn(const DialogView& v) {
    return v.setup.bDelayed;
}
Post DelayedCommand(const DialogView&) {
    return {kTimebase, oxcmd::timebase::kDelayed};
}
bool NotAlternation(const DialogView& v) {
    return !tb::Alternation(v);
}

ControlRow FormatOption(int id, int x, const char* caption, int format) {
    return {.id = id,
            .widget = Widget::Option,
            .rect = {x, 50, 76, 22},
            .caption = caption,
            .field = Format,
            .command = FormatCommand,
            .arg = Arg::Int,
            .option = static_cast<double>(format)};
}

// The scale and offset rows of one section whose first row sits at `y`.
template <int S> std::vector<ControlRow> Section(int y, std::array<int, 10> ids) {
    const auto [heading, scaleLabel, offsetLabel, scale, up, down, offset, spinUp, spinDown, zero] =
        ids;
    std::vector<ControlRow> rows = {
        {.id = heading,
         .widget = Widget::Heading,
         .rect = {12, y - 22, 200, 18},
         .text =
             [](const DialogView& v) {
                 if (tb::Alternation(v)) return QStringLiteral("Channel%1").arg(S + 1);
                 return S == 0 ? QStringLiteral("Main") : QStringLiteral("Delayed");
             }},
        {.id = scaleLabel, .widget = Widget::Label, .rect = {16, y, 50, 22}, .caption = "Scale"},
        {.id = offsetLabel,
         .widget = Widget::Label,
         .rect = {16, y + 30, 50, 22},
         .caption = "Offset"},
        tb::ScaleStep<S, false>(down, {70, y, 24, 22}, "\u25c0"),
        tb::ScaleField<S>(scale, {96, y, 120, 22}),
        tb::ScaleStep<S, true>(up, {218, y, 24, 22}, "\u25b6"),
        tb::OffsetSpin<S, false>(spinDown, {70, y + 30, 24, 22}, "\u25bc"),
        tb::OffsetField<S>(offset, {96, y + 30, 120, 22}),
        tb::OffsetSpin<S, true>(spinUp, {218, y + 30, 24, 22}, "\u25b2"),
        tb::OffsetZero<S>(zero, {244, y + 30, 24, 22}, "0"),
    };
    if (S == 1)
        for (ControlRow& row : rows)
            row.shown = tb::SecondShown;
    return rows;
}

std::vector<ControlRow> BuildRows() {
    std::vector<ControlRow> rows = {
        {.id = 5000, .widget = Widget::Title, .caption = "Horizontal"},
        {.id = 5013, .widget = Widget::Heading, .rect = {12, 30, 200, 18}, .caption = "Format"},
        FormatOption(5053, 16, "Y-T", oxcmd::code::kYT),
        FormatOption(5075, 100, "X-Y", oxcmd::code::kXY),
        FormatOption(5077, 184, "Roll", oxcmd::code::kRolling),
        {.id = 5072,
         .widget = Widget::Check,
         .rect = {16, 212, 100, 22},
         .caption = "Delayed",
         .field = DelayedOn,
         .command = DelayedCommand,
         .arg = Arg::Bool,
         .shown = NotAlternation},
    };
    for (const auto& section :
         {Section<0>(106, {5022, 5068, 5070, 5004, 5010, 5050, 5006, 5016, 5019, 5041}),
          Section<1>(284, {5029, 5032, 5047, 5023, 5062, 5064, 5025, 5035, 5038, 5044})})
        rows.insert(rows.end(), section.begin(), section.end());
    return rows;
}

const DialogLayout& Layout() {
    static const std::vector<ControlRow> rows = BuildRows();
    static const DialogLayout layout{.templateId = 20005,
                                     .size = {kWidth, kShortHeight},
                                     .title = "Horizontal",
                                     .closeSub = oxcmd::panel::kCloseHorizontal,
                                     .controls = rows};
    return layout;
}

class CHorizontalDlg final : public CPluginDlg {
public:
    explicit CHorizontalDlg(const PluginContext& context) : CPluginDlg(context, Layout()) {}

protected:
    // The lower section is in sight only while it applies.
    void OnRefreshed() override {
        setFixedSize(kWidth, tb::SecondShown(View()) ? kTallHeight : kShortHeight);
    }
};

} // namespace

CWnd* ShowHorizontalDlg(const PluginContext& context, long) {
    return ShowPluginDialog<CHorizontalDlg>(context);
}
