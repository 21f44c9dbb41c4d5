// The stopped picture end to end, on the simulated instrument over USB and over LAN: the
// record read at STOP is drawn at the time scale it was taken with; hiding or showing a
// channel, and scale or position changes while stopped, redraw the stored record; and the run
// state returns to what the instrument reports after an auto set-up.
#include "program_fixture.h"

#include "oxmsg.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <sstream>

namespace oxapp::test {
namespace {

constexpr int kPixelsPerDiv = 50;
constexpr double kSquareHalfPeriod = 5e-4; // of the 1 kHz square on CH2, in seconds
constexpr int kEdgeMinRows = 60;           // an edge of the 2 Vpp square spans 100 rows at 1 V/div
constexpr float kCh1Offset = 1.0f;         // V: CH1 above the centre, CH2 (at -2 V) below it

// A 1 Vpp sine on CH1 and a 2 Vpp square on CH2, both 1 kHz, never sharing a row.
const std::vector<std::string> kSignals = {"--ch1", "sine,1k,1Vpp", "--ch2", "square,1k,2Vpp"};

std::vector<std::string> WithSignals(std::vector<std::string> args) {
    args.insert(args.end(), kSignals.begin(), kSignals.end());
    return args;
}

struct Edge {
    double column;
    bool rising;
};

// The rows one trace colour covers in each column of the plot area.
struct TraceColumns {
    struct Span {
        int top = -1; // -1: no pixel of the colour in this column
        int bottom = -1;
    };
    std::vector<Span> spans;

    // Columns from the first to the last one drawn (overlays drawn over the trace, such as the
    // graticule or the trigger level, leave gaps that do not count).
    int Extent() const {
        const auto drawn = [](Span s) { return s.top >= 0; };
        const auto first = std::find_if(spans.begin(), spans.end(), drawn);
        if (first == spans.end()) return 0;
        const auto last = std::find_if(spans.rbegin(), spans.rend(), drawn);
        return static_cast<int>(std::distance(first, last.base()));
    }
    int Height() const {
        int top = -1;
        int bottom = -1;
        for (Span s : spans) {
            if (s.top < 0) continue;
            top = top < 0 ? s.top : std::min(top, s.top);
            bottom = std::max(bottom, s.bottom);
        }
        return top < 0 ? 0 : bottom - top;
    }
    // Columns of the vertical transitions: neighbouring tall columns make one edge, at their
    // middle; rising when the trace lies higher (smaller rows) after it than before it.
    std::vector<Edge> Edges() const {
        std::vector<Edge> edges;
        const int width = static_cast<int>(spans.size());
        int first = -1;
        for (int x = 0; x <= width; ++x) {
            const bool tall =
                x < width && spans[x].top >= 0 && spans[x].bottom - spans[x].top >= kEdgeMinRows;
            if (tall && first < 0) first = x;
            if (tall || first < 0) continue;
            edges.push_back({(first + x - 1) / 2.0, RowNear(x, +1) < RowNear(first - 1, -1)});
            first = -1;
        }
        return edges;
    }
    // The top row of the nearest drawn column from `x` in direction `step` (-1: none).
    int RowNear(int x, int step) const {
        for (; x >= 0 && x < static_cast<int>(spans.size()); x += step)
            if (spans[x].top >= 0) return spans[x].top;
        return -1;
    }
};

TraceColumns ColumnsOf(RunningOxbow& oxbow, int channel) {
    std::uint32_t colour = 0;
    OX_RECT plot{};
    oxbow.UnderLock([&] {
        colour = oxbow.GetSession().Engine()->ChannelPixel(channel) & 0xFFFFFFu;
        plot = oxbow.Objects().region->rcMain;
    });
    const QImage picture = oxbow.Picture();
    TraceColumns columns;
    columns.spans.resize(static_cast<std::size_t>(std::max(0, plot.right - plot.left)));
    for (int y = plot.top; y < plot.bottom && y < picture.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(picture.constScanLine(y));
        for (int x = plot.left; x < plot.right && x < picture.width(); ++x) {
            if ((line[x] & 0xFFFFFFu) != colour) continue;
            TraceColumns::Span& span = columns.spans[static_cast<std::size_t>(x - plot.left)];
            if (span.top < 0) span.top = y;
            span.bottom = y;
        }
    }
    return columns;
}

std::string Describe(const std::vector<Edge>& edges) {
    std::ostringstream text;
    for (const Edge& e : edges)
        text << e.column << (e.rising ? "/ " : "\\ ");
    return text.str();
}

// Every spacing of neighbouring edges within one pixel of `expected`, and at least one of them.
bool EdgesSpaced(const std::vector<Edge>& edges, double expected) {
    if (edges.size() < 2) return false;
    for (std::size_t i = 1; i < edges.size(); ++i)
        if (std::abs(edges[i].column - edges[i - 1].column - expected) > 1.0) return false;
    return true;
}

// The first rising edge of `after` is a rising edge of `before` moved left by `shift` columns.
bool RisingEdgeMovedLeft(const std::vector<Edge>& before, const std::vector<Edge>& after,
                         double shift) {
    const auto first =
        std::find_if(after.begin(), after.end(), [](const Edge& e) { return e.rising; });
    if (first == after.end()) return false;
    return std::any_of(before.begin(), before.end(), [&](const Edge& e) {
        return e.rising && std::abs(first->column - (e.column - shift)) <= 1.0;
    });
}

double TimeScale(RunningOxbow& oxbow) {
    double scale = 0;
    oxbow.UnderLock([&] { scale = oxbow.Objects().setup->dTimeScale; });
    return scale;
}

double SquareSpacing(double secondsPerDiv) {
    return kSquareHalfPeriod / secondsPerDiv * kPixelsPerDiv;
}

void PostChannelValue(unsigned int subCmd, int channel, float value) {
    EXPECT_TRUE(OxPostFloat(oxcmd::group::kChannel, subCmd, channel, value));
}

// RUN, CH1 moved above the centre, and the square drawn at its spacing.
void RunUntilBothDrawn(RunningOxbow& oxbow) {
    oxbow.Window().Panel().Run();
    PostChannelValue(oxcmd::channel::kOffset, 0, kCh1Offset);
    ASSERT_TRUE(WaitFor(
        [&] {
            return ColumnsOf(oxbow, 0).Extent() > 0 &&
                   EdgesSpaced(ColumnsOf(oxbow, 1).Edges(), SquareSpacing(TimeScale(oxbow)));
        },
        4000))
        << "no live picture of both channels";
}

// TIME up or down `steps` times while running, each step until the live square shows its spacing.
void StepTimeScale(RunningOxbow& oxbow, int steps) {
    for (int i = 0; i < std::abs(steps); ++i) {
        const double before = TimeScale(oxbow);
        oxbow.Window().Panel().Perform(steps > 0 ? oxact::ActionId::TimeScaleUp
                                                 : oxact::ActionId::TimeScaleDown);
        ASSERT_TRUE(WaitFor(
            [&] {
                const double now = TimeScale(oxbow);
                return now != before &&
                       EdgesSpaced(ColumnsOf(oxbow, 1).Edges(), SquareSpacing(now));
            },
            4000))
            << "the live square never took the time scale after " << before;
    }
}

// The stopped record at the geometry of the time scale shown: the square's edges at their
// spacing, and CH1 across the whole width (the record spans more than the screen).
void ExpectStoppedGeometry(RunningOxbow& oxbow) {
    const double spacing = SquareSpacing(TimeScale(oxbow));
    const std::vector<Edge> edges = ColumnsOf(oxbow, 1).Edges();
    EXPECT_TRUE(EdgesSpaced(edges, spacing))
        << "CH2 edges at " << Describe(edges) << "want " << spacing << " apart";
    EXPECT_NEAR(ColumnsOf(oxbow, 0).Extent(), 700, 1);
}

void ExpectStoppedAfterTimeSteps(RunningOxbow& oxbow) {
    RunUntilBothDrawn(oxbow);
    StepTimeScale(oxbow, 1); // 200 -> 500 us/div
    ASSERT_TRUE(oxbow.StopAndReadRecord());
    ExpectStoppedGeometry(oxbow);

    RunUntilBothDrawn(oxbow);
    StepTimeScale(oxbow, -2); // 500 -> 100 us/div
    ASSERT_TRUE(oxbow.StopAndReadRecord());
    ExpectStoppedGeometry(oxbow);
}

TEST(StoppedPicture, TheRecordIsDrawnAtTheTimeScaleItWasTakenWithOnUsb) {
    RunningOxbow oxbow(WithSignals({"--sim"}));
    ExpectStoppedAfterTimeSteps(oxbow);
}

TEST(StoppedPicture, TheRecordIsDrawnAtTheTimeScaleItWasTakenWithOnLan) {
    SimulatorProcess simulator(QStringList{"--ch1", "sine,1k,1Vpp", "--ch2", "square,1k,2Vpp"});
    ASSERT_GT(simulator.Port(), 0);
    RunningOxbow oxbow({"--lan", "127.0.0.1:" + std::to_string(simulator.Port())});
    ExpectStoppedAfterTimeSteps(oxbow);
}

// Waits for a stopped redraw that satisfies `done`.
bool RedrawnSo(const std::function<bool()>& done) {
    return WaitFor(done, 3000);
}

TEST(StoppedPicture, HidingAChannelKeepsTheOtherAndShowingItDrawsItFromTheRecord) {
    RunningOxbow oxbow(WithSignals({"--sim"}));
    RunUntilBothDrawn(oxbow);
    ASSERT_TRUE(oxbow.StopAndReadRecord());
    const double spacing = SquareSpacing(TimeScale(oxbow));

    oxbow.Window().Panel().Perform(oxact::ActionId::Ch2Display);
    EXPECT_TRUE(RedrawnSo([&] { return ColumnsOf(oxbow, 1).Extent() == 0; })) << "CH2 still drawn";
    EXPECT_NEAR(ColumnsOf(oxbow, 0).Extent(), 700, 1) << "CH1 went with CH2";

    oxbow.Window().Panel().Perform(oxact::ActionId::Ch2Display);
    EXPECT_TRUE(RedrawnSo([&] { return EdgesSpaced(ColumnsOf(oxbow, 1).Edges(), spacing); }))
        << "CH2 not drawn again from the record: edges " << Describe(ColumnsOf(oxbow, 1).Edges());
    EXPECT_NEAR(ColumnsOf(oxbow, 0).Extent(), 700, 1);
}

TEST(StoppedPicture, ScaleAndTimeChangesWhileStoppedRedrawTheRecord) {
    RunningOxbow oxbow(WithSignals({"--sim"}));
    RunUntilBothDrawn(oxbow);
    StepTimeScale(oxbow, 1); // 500 us/div: 20 columns a 200 us step of the position
    ASSERT_TRUE(oxbow.StopAndReadRecord());

    // Half the V/div: the sine twice as high.
    const int height = ColumnsOf(oxbow, 0).Height();
    ASSERT_GT(height, 40);
    oxbow.Window().Panel().Perform(oxact::ActionId::Ch1ScaleDown);
    EXPECT_TRUE(RedrawnSo([&] { return std::abs(ColumnsOf(oxbow, 0).Height() - 2 * height) <= 2; }))
        << "CH1 height " << ColumnsOf(oxbow, 0).Height() << ", was " << height;

    // A later time position: the trace moves left by the columns of the step.
    constexpr double kStep = 2e-4;
    const std::vector<Edge> before = ColumnsOf(oxbow, 1).Edges();
    ASSERT_GE(before.size(), 2u);
    EXPECT_TRUE(OxPostDouble(oxcmd::group::kTimebase, oxcmd::timebase::kMainOffset, 0, kStep));
    const double shift = kStep / TimeScale(oxbow) * kPixelsPerDiv;
    const auto moved = [&] {
        return RisingEdgeMovedLeft(before, ColumnsOf(oxbow, 1).Edges(), shift);
    };
    EXPECT_TRUE(RedrawnSo(moved)) << "edges " << Describe(before) << "-> "
                                  << Describe(ColumnsOf(oxbow, 1).Edges()) << "want them " << shift
                                  << " columns to the left";

    // A faster time scale: the stored square drawn at the new spacing.
    const double slower = TimeScale(oxbow);
    oxbow.Window().Panel().Perform(oxact::ActionId::TimeScaleDown);
    ASSERT_TRUE(WaitFor([&] { return TimeScale(oxbow) != slower; }, 2000));
    const double spacing = SquareSpacing(TimeScale(oxbow));
    EXPECT_TRUE(RedrawnSo([&] { return EdgesSpaced(ColumnsOf(oxbow, 1).Edges(), spacing); }))
        << "edges " << Describe(ColumnsOf(oxbow, 1).Edges()) << "want " << spacing;
}

// The instrument reports a triggered signal after the auto set-up: "T'D" comes back.
TEST(RunState, ReturnsToWhatTheInstrumentReportsAfterTheAutoSetup) {
    RunningOxbow oxbow(WithSignals({"--sim"}));
    oxbow.Window().Panel().Run();
    ASSERT_TRUE(WaitFor([&] { return oxbow.Window().RunState().Text() == "T'D"; }, 4000));
    oxbow.Window().Panel().Perform(oxact::ActionId::Auto);
    // The auto set-up has been made and its completion (which writes "AUTO") handled: the
    // instrument chose another scale for the 1 Vpp sine.
    float scale = 1.0f;
    ASSERT_TRUE(WaitFor(
        [&] {
            oxbow.UnderLock([&] { scale = oxbow.Objects().setup->fChanScale[0]; });
            return scale != 1.0f;
        },
        4000));
    EXPECT_TRUE(WaitFor([&] { return oxbow.Window().RunState().Text() == "T'D"; }, 4000))
        << "still " << oxbow.Window().RunState().Text().toStdString();
}

} // namespace
} // namespace oxapp::test
