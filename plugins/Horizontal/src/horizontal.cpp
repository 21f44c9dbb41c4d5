#include "horizontal.h"

#include "plugindlg.h"
#include "timebaserows.h"

namespace {

using namespace oxbow::ui;
namespace tb = oxbow::ui::timebase;
namespace code = oxcmd::code;
using Id = HorizontalId;

bool NotAlternation(const DialogView& v) {
    return !tb::Alternation(v);
}

// The scale and offset of one section in its box: the labels, the scale between its steps,
// the offset between its spin buttons and the zero button.
std::vector<Row> Section(int section, Id box, Id scaleLabel, Id offsetLabel, Id scaleDown, Id scale,
                         Id scaleUp, Id offsetDown, Id offset, Id offsetUp, Id zero) {
    const int b = IdOf(box);
    return {
        Label(scaleLabel, {0, 0}, "Scale", b),
        tb::ScaleStep<false>(scaleDown, {0, 1}, section, "\u25c0", b),
        tb::ScaleField(scale, {0, 2}, section, b),
        tb::ScaleStep<true>(scaleUp, {0, 3}, section, "\u25b6", b),
        Label(offsetLabel, {1, 0}, "Offset", b),
        tb::OffsetSpin<false>(offsetDown, {1, 1}, section, "\u25bc", nullptr, b),
        tb::OffsetField(offset, {1, 2}, section, b),
        tb::OffsetSpin<true>(offsetUp, {1, 3}, section, "\u25b2", nullptr, b),
        tb::OffsetZero(zero, {1, 4}, section, b),
    };
}

const std::vector<Row>& TheRows() {
    namespace tbs = oxcmd::setting::timebase;
    static const std::vector<Row> rows = Rows({
        OptionGroup(tbs::kFormat, {0, 0},
                    {{IdOf(Id::YT), "Y-T", code::kYT},
                     {IdOf(Id::XY), "X-Y", code::kXY},
                     {IdOf(Id::Roll), "Roll", code::kRolling}},
                    IdOf(Id::FormatBox)),
        Section(0, Id::MainBox, Id::MainScaleLabel, Id::MainOffsetLabel, Id::MainScaleDown,
                Id::MainScale, Id::MainScaleUp, Id::MainOffsetDown, Id::MainOffset,
                Id::MainOffsetUp, Id::MainOffsetZero),
        {{.id = IdOf(Id::Delayed),
          .kind = Kind::Check,
          .cell = {2, 0},
          .caption = "Delayed",
          .target = TargetOf(tbs::kDelayed),
          .shown = NotAlternation}},
        Section(1, Id::DelayedBox, Id::DelayedScaleLabel, Id::DelayedOffsetLabel,
                Id::DelayedScaleDown, Id::DelayedScale, Id::DelayedScaleUp, Id::DelayedOffsetDown,
                Id::DelayedOffset, Id::DelayedOffsetUp, Id::DelayedOffsetZero),
    });
    return rows;
}

template <int Section> QString SectionTitle(const DialogView& v) {
    if (tb::Alternation(v)) return QStringLiteral("Channel%1").arg(Section + 1);
    return Section == 0 ? QStringLiteral("Main") : QStringLiteral("Delayed");
}

// The lower section is in sight only while it applies.
constexpr Box kBoxes[] = {
    {.id = IdOf(Id::FormatBox), .cell = {0, 0}, .caption = "Format"},
    {.id = IdOf(Id::MainBox), .cell = {1, 0}, .title = SectionTitle<0>},
    {.id = IdOf(Id::DelayedBox),
     .cell = {3, 0},
     .title = SectionTitle<1>,
     .shown = tb::SecondShown},
};

const DialogLayout& TheLayout() {
    static const DialogLayout layout{.title = "Horizontal", .boxes = kBoxes, .rows = TheRows()};
    return layout;
}

} // namespace

CWnd* ShowHorizontalDlg(const PluginContext& context, long) {
    return ShowPluginDialog(context, TheLayout());
}
