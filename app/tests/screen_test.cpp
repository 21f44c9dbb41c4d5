// The scope picture as a user meets it in the main window: the delayed view's zoom window,
// the grid switched from the context menu, roll format, the picture of a lost link, the
// picture scaled with the window, and the status bar.
#include "program_fixture.h"

#include "oxmsg.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QScreen>

#include <algorithm>

namespace oxapp::test {
namespace {

constexpr std::uint32_t kZoomShadow = 0x3C3C3C; // the shaded part of the delayed view's upper half

OX_RECT Region(RunningOxbow& oxbow, OX_RECT _OX_RGN_SETUP::*rect) {
    OX_RECT r{};
    oxbow.UnderLock([&] { r = (*oxbow.Objects().region).*rect; });
    return r;
}

struct Columns {
    int left = -1;
    int right = -1; // last column
    int Width() const { return left < 0 ? 0 : right - left + 1; }
    double Centre() const { return (left + right) / 2.0; }
};

// The zoom window on one row of the upper half: the longest run of unshaded pixels (grid
// lines cross the shade only as single pixels).
Columns ZoomWindow(const QImage& picture, const OX_RECT& upper, int row) {
    Columns best;
    Columns run;
    const auto* line = reinterpret_cast<const QRgb*>(picture.constScanLine(row));
    for (int x = upper.left; x <= upper.right; ++x) {
        const bool shaded = x == upper.right || (line[x] & 0xFFFFFFu) == kZoomShadow;
        if (!shaded && run.left < 0) run.left = x;
        if (!shaded) run.right = x;
        if (shaded && run.left >= 0) {
            if (run.Width() > best.Width()) best = run;
            run = {};
        }
    }
    return best;
}

class DelayedView {
public:
    explicit DelayedView(RunningOxbow& oxbow) : oxbow_(oxbow) {}
    void Post(oxcmd::Sub sub, double seconds) {
        EXPECT_TRUE(OxPostDouble(oxcmd::group::kTimebase, sub, 0, seconds));
    }
    void SwitchOn() {
        EXPECT_TRUE(OxPostBool(oxcmd::group::kTimebase, oxcmd::timebase::kDelayed, 0, true));
    }
    // The zoom window once it is `width` columns wide (within 2), or as it stands after 3 s.
    Columns WaitForWidth(int width) {
        Columns shown;
        WaitFor(
            [&] {
                const OX_RECT upper = Region(oxbow_, &_OX_RGN_SETUP::rcUpper);
                shown = ZoomWindow(oxbow_.Picture(), upper, upper.top + 30);
                return std::abs(shown.Width() - width) <= 2;
            },
            3000);
        return shown;
    }

private:
    RunningOxbow& oxbow_;
};

// The unshaded window is the delayed time base's share of the main one (14 divisions of
// 50 columns), centred on the delayed offset, however the two change after ZOOM went on.
TEST(ScreenDelayedView, TheZoomWindowFollowsEveryDelayedScaleAndOffset) {
    const PrivateConfigHome home;
    RunningOxbow oxbow({"--sim", "--ch1", "sine,1k,4Vpp"});
    oxbow.Window().Panel().Run();
    DelayedView view(oxbow);
    view.Post(oxcmd::timebase::kMainScale, 1e-3);
    view.SwitchOn();
    view.Post(oxcmd::timebase::kDelayedScale, 200e-6);
    const Columns at200 = view.WaitForWidth(141);
    EXPECT_NEAR(at200.Width(), 141, 2) << "main 1 ms/div, delayed 200 us/div: 140 columns";
    view.Post(oxcmd::timebase::kDelayedOffset, 1e-3);
    WaitFor([&] { return false; }, 300);
    const Columns moved = view.WaitForWidth(141);
    EXPECT_NEAR(moved.Centre() - at200.Centre(), 50, 2) << "1 ms later: one division right";
    view.Post(oxcmd::timebase::kDelayedScale, 500e-6);
    EXPECT_NEAR(view.WaitForWidth(351).Width(), 351, 2);
}

TEST(ScreenDelayedView, TheZoomWindowIsRightWhenSwitchedOnAtASlowTimeBase) {
    const PrivateConfigHome home;
    RunningOxbow oxbow({"--sim", "--ch1", "sine,1k,4Vpp"});
    oxbow.Window().Panel().Run();
    DelayedView view(oxbow);
    view.Post(oxcmd::timebase::kMainScale, 0.5);
    view.SwitchOn();
    view.Post(oxcmd::timebase::kDelayedScale, 0.1);
    EXPECT_NEAR(view.WaitForWidth(141).Width(), 141, 2) << "main 500 ms/div, delayed 100 ms/div";
}

QRect GlobalRect(const QWidget& widget) {
    return QRect(widget.mapToGlobal(QPoint(0, 0)), widget.size());
}

// The floating timebase views lie beside the window, or over its scope picture where the
// screen has no room; never over the front panel's controls, wherever the window is.
TEST(ScreenDelayedView, TheFloatingViewsNeverCoverTheWindowsControls) {
    const PrivateConfigHome home;
    RunningOxbow oxbow({"--sim", "--ch1", "sine,1k,4Vpp"});
    COxbowDlg& window = oxbow.Window();
    ASSERT_TRUE(WaitFor([&] { return oxbow.GetSession().Workers().Started(); }, 2000));
    DelayedView(oxbow).SwitchOn();
    ASSERT_TRUE(WaitFor([&] { return window.Dialogs().FloatingViewsShown(); }, 3000));
    const QRect screen = window.screen()->availableGeometry();
    for (const QRect place :
         {QRect(screen.topLeft(), window.size()),
          QRect(screen.left() + 40, screen.top() + 30, window.width() / 2, window.height())}) {
        window.setGeometry(place);
        WaitFor([] { return false; }, 100);
        const QRect controls = GlobalRect(window.Controls());
        const QRect picture(window.Scope().mapToGlobal(window.Scope().PictureRect().topLeft()),
                            window.Scope().PictureRect().size());
        int views = 0;
        for (QWidget* view : QApplication::topLevelWidgets()) {
            if (view == &window || !view->isVisible() || view->parentWidget() != &window) continue;
            ++views;
            const QRect shown = view->frameGeometry();
            EXPECT_FALSE(shown.intersects(controls))
                << "DBG view " << shown.x() << "," << shown.y() << " " << shown.width() << "x"
                << shown.height() << " controls " << controls.x() << "," << controls.y() << " "
                << controls.width() << "x" << controls.height() << " picture " << picture.x() << ","
                << picture.y() << " " << picture.width() << "x" << picture.height() << " screen "
                << screen.width() << "x" << screen.height();
            EXPECT_TRUE(!shown.intersects(window.frameGeometry()) || picture.contains(shown));
        }
        EXPECT_EQ(views, 2);
    }
}

// Roll at 1 s/div draws what the instrument sends for each column, the lowest and the
// highest value of the 1 kHz sine over its 20 ms: a band +-2 divisions wide, live and from
// the record read at STOP, as Y-T shows it.
TEST(ScreenRoll, AtOneSecondPerDivisionTheSineIsItsMinMaxBand) {
    const PrivateConfigHome home;
    RunningOxbow oxbow({"--sim", "--ch1", "sine,1k,4Vpp"});
    ASSERT_TRUE(WaitFor([&] { return oxbow.GetSession().Workers().Started(); }, 2000));
    EXPECT_TRUE(
        OxPostInt(oxcmd::group::kTimebase, oxcmd::timebase::kFormat, 0, oxcmd::code::kRolling));
    oxbow.SetScales(1.0f, 1.0);
    oxbow.Window().Panel().Run();
    const OX_RECT main = Region(oxbow, &_OX_RGN_SETUP::rcMain);
    const double division = (main.bottom - main.top) / 8.0;
    const auto spansTheBand = [&] {
        const TraceRows rows = oxbow.Ch1Rows();
        return rows.count > 0 && rows.bottom - rows.top >= 3.8 * division;
    };
    EXPECT_TRUE(WaitFor(spansTheBand, 4000))
        << "rows " << oxbow.Ch1Rows().top << ".." << oxbow.Ch1Rows().bottom;
    ASSERT_TRUE(oxbow.StopAndReadRecord());
    EXPECT_TRUE(WaitFor(spansTheBand, 2000))
        << "stopped: rows " << oxbow.Ch1Rows().top << ".." << oxbow.Ch1Rows().bottom;
}

int OfflineLinePixels(RunningOxbow& oxbow) {
    const OX_RECT main = Region(oxbow, &_OX_RGN_SETUP::rcMain);
    return FindTraceRows(oxbow.Picture(), main, oxdisplay::kErrorTextColour).count;
}

bool AskedLinkLost(RunningOxbow& oxbow, std::size_t before) {
    return oxbow.Boxes().Questions().size() > before;
}

std::string ConnectionShown(RunningOxbow& oxbow) {
    const auto* label = oxbow.Window().findChild<QLabel*>("CONNECTION");
    return label != nullptr ? label->text().toStdString() : "(no connection field)";
}

TEST(ScreenStatusBar, NamesTheLinkAndTheInstrument) {
    const PrivateConfigHome home;
    RunningOxbow oxbow({"--sim", "--model", "OXB-A5M"});
    EXPECT_TRUE(
        WaitFor([&] { return ConnectionShown(oxbow) == "USB device 0 \u00B7 OXB-A5M"; }, 3000))
        << ConnectionShown(oxbow);
}

// After Ignore on a lost link the run-state field and a line on the screen say the
// instrument is offline, until the link is back (here RUN finds the USB instrument again).
TEST(ScreenLinkLoss, AfterIgnoreTheScreenSaysOfflineUntilTheLinkIsBack) {
    const PrivateConfigHome home;
    RunningOxbow oxbow({"--sim", "--ch1", "sine,1k,4Vpp"});
    oxbow.Window().Panel().Run();
    ASSERT_TRUE(WaitFor([&] { return oxbow.Ch1Rows().count > 0; }, 3000));
    EXPECT_EQ(OfflineLinePixels(oxbow), 0);
    oxbow.Boxes().QueueAnswer(oxbow::MessageAnswer::Ignore);
    oxbow.UnderLock(
        [&] { oxbow.Objects().instrument->InjectFault(oxbow::sim::Fault::RefuseUsbRequest); });
    ASSERT_TRUE(WaitFor([&] { return AskedLinkLost(oxbow, 0); }, 5000));
    EXPECT_TRUE(WaitFor([&] { return oxbow.Window().RunState().Text() == "OFFLINE"; }, 2000))
        << oxbow.Window().RunState().Text().toStdString();
    EXPECT_TRUE(WaitFor([&] { return OfflineLinePixels(oxbow) > 50; }, 2000));
    EXPECT_GT(oxbow.Ch1Rows().count, 0) << "the last trace stays";
    WaitFor([] { return false; }, 600); // a few refreshes of the run-state field
    EXPECT_EQ(oxbow.Window().RunState().Text(), "OFFLINE");

    oxbow.Window().Panel().Run();
    EXPECT_TRUE(WaitFor([&] { return oxbow.Window().RunState().Text() != "OFFLINE"; }, 3000));
    EXPECT_TRUE(WaitFor([&] { return OfflineLinePixels(oxbow) == 0; }, 2000));
}

TEST(ScreenLinkLoss, AfterIgnoreOnALostLanLinkTheScreenSaysOffline) {
    const PrivateConfigHome home;
    SimulatorProcess simulator({"--ch1", "sine,1k,4Vpp"});
    RunningOxbow oxbow({"--lan", "127.0.0.1:" + std::to_string(simulator.Port())});
    oxbow.Window().Panel().Run();
    ASSERT_TRUE(WaitFor([&] { return oxbow.Ch1Rows().count > 0; }, 3000));
    EXPECT_EQ(ConnectionShown(oxbow),
              "LAN 127.0.0.1:" + std::to_string(simulator.Port()) + " \u00B7 OXB-A3M");
    oxbow.Boxes().QueueAnswer(oxbow::MessageAnswer::Ignore);
    simulator.Kill();
    ASSERT_TRUE(WaitFor([&] { return AskedLinkLost(oxbow, 0); }, 5000));
    EXPECT_TRUE(WaitFor([&] { return oxbow.Window().RunState().Text() == "OFFLINE"; }, 2000));
    EXPECT_TRUE(WaitFor([&] { return OfflineLinePixels(oxbow) > 50; }, 2000));
}

// Pixels of the full grid's colour inside the plot, away from the frame's ticks.
int InnerGridPixels(RunningOxbow& oxbow) {
    std::uint32_t colour = 0;
    oxbow.UnderLock([&] {
        const int percent = std::clamp(oxbow.Objects().setup->nGridIntensity, 0, 100);
        colour = (64u + static_cast<std::uint32_t>(percent) * 191u / 100u) * 0x010101u;
    });
    const OX_RECT main = Region(oxbow, &_OX_RGN_SETUP::rcMain);
    return FindTraceRows(oxbow.Picture(),
                         {main.left + 6, main.top + 6, main.right - 6, main.bottom - 6}, colour)
        .count;
}

bool GridShownSoon(RunningOxbow& oxbow, bool shown) {
    return WaitFor([&] { return (InnerGridPixels(oxbow) > 500) == shown; }, 3000);
}

// Context menu > Grid hides the grid and shows it again, running and stopped, and a
// time-base change keeps the choice.
TEST(ScreenGrid, TheContextMenuItemHidesAndShowsTheGrid) {
    const PrivateConfigHome home;
    RunningOxbow oxbow({"--sim", "--ch1", "sine,1k,4Vpp"});
    auto* grid = oxbow.Window().findChild<QAction*>("GRID");
    ASSERT_NE(grid, nullptr);
    oxbow.Window().Panel().Run();
    ASSERT_TRUE(GridShownSoon(oxbow, true));
    grid->trigger();
    EXPECT_TRUE(GridShownSoon(oxbow, false)) << "running";
    grid->trigger();
    EXPECT_TRUE(GridShownSoon(oxbow, true)) << "running";
    ASSERT_TRUE(oxbow.StopAndReadRecord());
    grid->trigger();
    EXPECT_TRUE(GridShownSoon(oxbow, false)) << "stopped";
    oxbow.Window().Panel().Perform(oxact::ActionId::TimeScaleUp);
    WaitFor([] { return false; }, 300);
    EXPECT_TRUE(GridShownSoon(oxbow, false)) << "after a time-base change";
    grid->trigger();
    EXPECT_TRUE(GridShownSoon(oxbow, true)) << "stopped";
}

} // namespace
} // namespace oxapp::test
