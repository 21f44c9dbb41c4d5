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

// One pixel of the window the level source is drawn in, in divisions (8 per window height);
// nullopt when that window has no height.
std::optional<double> LevelPixel(const _OX_SETUP& s, const _OX_RGN_SETUP& r) {
    constexpr int kLevelDivisions = 8;
    namespace code = oxcmd::code;
    const int source = s.nTimeFormat == code::kXY ? 1 : s.nCurYSource;
    const int slot = source - code::kCursorSourceFirstMath;
    const bool math = slot >= 0 && slot < code::kMathTraces;
    OX_RECT window = r.rcMain;
    if (s.nTrigMode == code::kAlternate) {
        if (source == code::kCursorSourceLogic) return std::nullopt;
        // A math trace is drawn where the channel it is computed from first is.
        const int channel = math ? (s.nMathSourceA[slot] == 1 ? 1 : 0) : source;
        window = channel == 1 ? r.rcLower : r.rcUpper;
    } else if (s.bDelayed) {
        window = r.rcLower;
    } else if (s.bFFTSplitScreen) {
        window = math && s.nMathOperator[slot] == code::kFFT ? r.rcFFTFreq : r.rcFFTTime;
    }
    const double height = static_cast<double>(window.bottom) - window.top;
    if (!(height > 0)) return std::nullopt;
    return kLevelDivisions / height;
}

struct XCursor {
    static CursorScale Scale(const DialogView& v) { return XCursorScale(v.setup); }
    static std::optional<double> Step(const DialogView& v) { return PixelAcross(v); }
};
struct YCursor {
    static CursorScale Scale(const DialogView& v) { return YCursorScale(v.setup); }
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
