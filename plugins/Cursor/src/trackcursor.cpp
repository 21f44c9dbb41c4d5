// The track cursor dialog: page A and page B each set one cursor on a channel's trace.
#include "cursor.h"

#include "cursorrows.h"

namespace {

using namespace oxbow::ui;
using namespace oxcursor;
using oxcmd::group::kTrackCursor;
namespace trk = oxcmd::trackcursor;

bool PageA(const DialogView& v) {
    return v.page == oxcmd::code::kCursorA;
}

int Source(const DialogView& v) {
    return PageA(v) ? v.setup.nTrackSourceA : v.setup.nTrackSourceB;
}

// The cursor of the page shown.
struct TrackCursor {
    static double Position(const DialogView& v) {
        return PageA(v) ? v.setup.fTrackA : v.setup.fTrackB;
    }
    static CursorScale Scale(const DialogView& v) { return TimeScale(v.setup, Source(v)); }
    static Post Command(const DialogView& v) { return {kTrackCursor, trk::kPosition, v.page}; }
    static std::optional<double> Step(const DialogView& v) { return PixelAcross(v); }
};

const std::vector<ControlRow>& Rows() {
    static const std::vector<ControlRow> rows = {
        {.id = 9043, .widget = Widget::Title, .caption = "Track Cursor"},
        {.id = 9052,
         .widget = Widget::Tab,
         .rect = {16, 30, 44, 22},
         .caption = "A",
         .option = double(oxcmd::code::kCursorA)},
        {.id = 9054,
         .widget = Widget::Tab,
         .rect = {62, 30, 44, 22},
         .caption = "B",
         .option = double(oxcmd::code::kCursorB)},
        {.id = 9030,
         .widget = Widget::Check,
         .rect = {160, 30, 56, 22},
         .caption = "On",
         .field = [](const DialogView& v) -> double {
             return PageA(v) ? v.setup.bTrackOnA : v.setup.bTrackOnB;
         },
         .command =
             [](const DialogView& v) {
                 return Post{kTrackCursor, trk::kOn, v.page};
             },
         .arg = Arg::Bool},
        {.id = 9045, .widget = Widget::Label, .rect = {16, 62, 64, 22}, .caption = "Source"},
        {.id = 9001,
         .widget = Widget::List,
         .rect = {84, 62, 100, 22},
         .field = [](const DialogView& v) -> double { return Source(v); },
         .command =
             [](const DialogView& v) {
                 return Post{kTrackCursor, PageA(v) ? trk::kSourceA : trk::kSourceB};
             },
         .arg = Arg::Int,
         .items =
             [](const DialogView&) {
                 return QStringList{"CH1", "CH2"};
             }},
        {.id = 9050, .widget = Widget::Label, .rect = {16, 96, 64, 22}, .caption = "Cursor"},
        SpinRow<TrackCursor, false>(9036, {84, 96, 20, 22}, "\u25bc"),
        ValueRow<TrackCursor>(9034, {106, 96, 80, 22}),
        SpinRow<TrackCursor, true>(9040, {188, 96, 20, 22}, "\u25b2"),
        ZeroRow<TrackCursor>(9038, {210, 96, 18, 22}),
    };
    return rows;
}

const DialogLayout& Layout() {
    static const DialogLayout layout{.templateId = 20010,
                                     .size = {234, 132},
                                     .title = "Track Cursor",
                                     .closeSub = oxcmd::panel::kCloseTrackCursor,
                                     .controls = Rows()};
    return layout;
}

} // namespace

CWnd* ShowTrackCurDlg(const PluginContext& context, long) {
    return ShowPluginDialog(context, Layout());
}
