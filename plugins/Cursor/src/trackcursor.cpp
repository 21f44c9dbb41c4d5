// The track cursor dialog: page A and page B each set one cursor on a channel's trace; one
// table, the page's index naming the cursor.
#include "cursor.h"

#include "cursorrows.h"

namespace {

using namespace oxcursor;
namespace trk = oxcmd::setting::trackcursor;
using Id = TrackCursorId;

Target SourceOf(const DialogView& v) {
    return v.index == oxcmd::code::kCursorA ? TargetOf(trk::kSourceA) : TargetOf(trk::kSourceB);
}

struct TrackCursor {
    static CursorScale Scale(const DialogView& v) {
        const Target source = SourceOf(v);
        return TimeScale(v.setup, static_cast<int>(source.setting.Read(v.setup, 0)));
    }
    static std::optional<double> Step(const DialogView& v) { return PixelAcross(v); }
};

QStringList Channels(const DialogView&) {
    return {"CH1", "CH2"};
}

const std::vector<Row>& CursorRows() {
    static const std::vector<Row> rows = Rows({
        {CheckButton(Id::On, {0, 3, 2}, "On", trk::kOn),
         Label(Id::SourceLabel, {1, 0}, "Source"),
         {.id = IdOf(Id::Source),
          .kind = Kind::List,
          .cell = {1, 1, 3},
          .targetIn = SourceOf,
          .items = Channels}},
        CursorLine<TrackCursor>(2, Id::CursorLabel, "Cursor", Id::Down, Id::Cursor, Id::Up,
                                Id::Zero, TargetOf(trk::kPosition)),
    });
    return rows;
}

const DialogLayout& TheLayout() {
    static const Page pages[] = {
        {.id = IdOf(Id::ATab),
         .caption = "A",
         .rows = CursorRows(),
         .index = oxcmd::code::kCursorA},
        {.id = IdOf(Id::BTab),
         .caption = "B",
         .rows = CursorRows(),
         .index = oxcmd::code::kCursorB},
    };
    static const DialogLayout layout{.title = "Track Cursor", .pages = pages};
    return layout;
}

} // namespace

CWnd* ShowTrackCurDlg(const PluginContext& context, long) {
    return ShowPluginDialog(context, TheLayout());
}
