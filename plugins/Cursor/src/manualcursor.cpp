// The manual cursor dialog: the X page sets the time cursors, the Y page the level cursors.
#include "cursor.h"

#include "cursorrows.h"

namespace {

using namespace oxbow::ui;
using namespace oxcursor;
using oxcmd::group::kManualCursor;
namespace mc = oxcmd::manualcursor;

constexpr int kXPage = 0;
constexpr int kYPage = 1;

bool XPage(const DialogView& v) {
    return v.page == kXPage;
}
bool XY(const DialogView& v) {
    return v.setup.nTimeFormat == oxcmd::code::kXY;
}

// Cursor A (0) or B (1) of the page shown.
template <int Which> struct PageCursor {
    static double Position(const DialogView& v) {
        const _OX_SETUP& s = v.setup;
        if (XPage(v)) return Which == 0 ? s.fCurXA : s.fCurXB;
        return Which == 0 ? s.fCurYA : s.fCurYB;
    }
    static CursorScale Scale(const DialogView& v) {
        return XPage(v) ? XPageScale(v.setup) : YPageScale(v.setup);
    }
    static Post Command(const DialogView& v) {
        return {kManualCursor, XPage(v) ? mc::kXPosition : mc::kYPosition, Which};
    }
    static std::optional<double> Step(const DialogView& v) {
        return XPage(v) ? PixelAcross(v) : LevelPixel(v.setup, v.region);
    }
};
using CursorA = PageCursor<0>;
using CursorB = PageCursor<1>;

QStringList Sources(const DialogView& v) {
    if (XY(v)) return {XPage(v) ? QStringLiteral("CH1") : QStringLiteral("CH2")};
    QStringList names{"CH1", "CH2", "MATH1", "MATH2", "MATH3", "MATH4"};
    if (XPage(v)) names << QStringLiteral("LA");
    return names;
}

ControlRow Tab(int id, QRect rect, const char* caption, int page) {
    return {
        .id = id, .widget = Widget::Tab, .rect = rect, .caption = caption, .option = double(page)};
}

ControlRow Label(int id, QRect rect, const char* caption) {
    return {.id = id, .widget = Widget::Label, .rect = rect, .caption = caption};
}

const std::vector<ControlRow>& Rows() {
    static const std::vector<ControlRow> rows = {
        {.id = 9043, .widget = Widget::Title, .caption = "Manual Cursor"},
        Tab(9024, {16, 30, 44, 22}, "X", kXPage),
        Tab(9026, {62, 30, 44, 22}, "Y", kYPage),
        {.id = 9030,
         .widget = Widget::Check,
         .rect = {172, 30, 56, 22},
         .caption = "On",
         .field = [](const DialogView& v) -> double {
             return XPage(v) ? v.setup.bCurXOn : v.setup.bCurYOn;
         },
         .command =
             [](const DialogView& v) {
                 return Post{kManualCursor, XPage(v) ? mc::kXOn : mc::kYOn};
             },
         .arg = Arg::Bool},
        Label(9045, {16, 62, 64, 22}, "Source"),
        {.id = 9001,
         .widget = Widget::List,
         .rect = {84, 62, 110, 22},
         .field = [](const DialogView& v) -> double {
             if (XY(v)) return 0;
             return XPage(v) ? v.setup.nCurXSource : v.setup.nCurYSource;
         },
         .command =
             [](const DialogView& v) {
                 return Post{kManualCursor, XPage(v) ? mc::kXSource : mc::kYSource};
             },
         .arg = Arg::Int,
         .acts = [](const DialogView& v) { return !XY(v); },
         .items = Sources},
        Label(9047, {16, 96, 64, 22}, "Cursor A"),
        SpinRow<CursorA, false>(9004, {84, 96, 20, 22}, "\u25bc"),
        ValueRow<CursorA>(9002, {106, 96, 86, 22}),
        SpinRow<CursorA, true>(9008, {194, 96, 20, 22}, "\u25b2"),
        ZeroRow<CursorA>(9006, {216, 96, 18, 22}),
        Label(9049, {16, 126, 64, 22}, "Cursor B"),
        SpinRow<CursorB, false>(9010, {84, 126, 20, 22}, "\u25bc"),
        ValueRow<CursorB>(9003, {106, 126, 86, 22}),
        SpinRow<CursorB, true>(9014, {194, 126, 20, 22}, "\u25b2"),
        ZeroRow<CursorB>(9012, {216, 126, 18, 22}),
    };
    return rows;
}

const DialogLayout& Layout() {
    static const DialogLayout layout{.templateId = 20009,
                                     .size = {244, 162},
                                     .title = "Manual Cursor",
                                     .closeSub = oxcmd::panel::kCloseManualCursor,
                                     .controls = Rows()};
    return layout;
}

} // namespace

CWnd* ShowManualCurDlg(const PluginContext& context, long) {
    return ShowPluginDialog(context, Layout());
}
