// The manual cursor dialog: the X page sets the time cursors, the Y page the level cursors.
#include "cursor.h"

#include "cursorrows.h"

namespace {

using namespace oxcursor;
namespace mc = oxcmd::setting::manualcursor;
using Id = ManualCursorId;

bool XY(const DialogView& v) {
    return v.setup.nTimeFormat == oxcmd::code::kXY;
}

struct XCursor {
    static CursorScale Scale(const DialogView& v) { return XPageScale(v.setup); }
    static std::optional<double> Step(const DialogView& v) { return PixelAcross(v); }
};
struct YCursor {
    static CursorScale Scale(const DialogView& v) { return YPageScale(v.setup); }
    static std::optional<double> Step(const DialogView& v) { return LevelPixel(v.setup, v.region); }
};

// In X-Y format the X page measures CH1 and the Y page CH2, and nothing else can be chosen.
template <bool X> QStringList Sources(const DialogView& v) {
    if (XY(v)) return {X ? QStringLiteral("CH1") : QStringLiteral("CH2")};
    QStringList names{"CH1", "CH2", "MATH1", "MATH2", "MATH3", "MATH4"};
    if (X) names << QStringLiteral("LA");
    return names;
}

template <bool X, class C>
std::vector<Row> PageRows(const oxcmd::Setting<bool>& on, const oxcmd::Setting<int>& source,
                          const oxcmd::Setting<float>& position) {
    Row list = ListBox(Id::Source, {1, 1, 3}, source, Sources<X>);
    list.acts = [](const DialogView& v) { return !XY(v); };
    return Rows({
        {CheckButton(Id::On, {0, 3, 2}, "On", on), Label(Id::SourceLabel, {1, 0}, "Source"), list},
        CursorLine<C>(2, Id::ALabel, "Cursor A", Id::ADown, Id::A, Id::AUp, Id::AZero,
                      TargetOf(position, oxcmd::code::kCursorA)),
        CursorLine<C>(3, Id::BLabel, "Cursor B", Id::BDown, Id::B, Id::BUp, Id::BZero,
                      TargetOf(position, oxcmd::code::kCursorB)),
    });
}

const DialogLayout& TheLayout() {
    static const std::vector<Row> xRows =
        PageRows<true, XCursor>(mc::kXOn, mc::kXSource, mc::kXPosition);
    static const std::vector<Row> yRows =
        PageRows<false, YCursor>(mc::kYOn, mc::kYSource, mc::kYPosition);
    static const Page pages[] = {{.id = IdOf(Id::XTab), .caption = "X", .rows = xRows},
                                 {.id = IdOf(Id::YTab), .caption = "Y", .rows = yRows}};
    static const DialogLayout layout{.title = "Manual Cursor", .pages = pages};
    return layout;
}

} // namespace

CWnd* ShowManualCurDlg(const PluginContext& context, long) {
    return ShowPluginDialog(context, TheLayout());
}
