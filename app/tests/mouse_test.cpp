// The mouse on the running program: a marker dragged on the scope view changes the
// instrument, as the window's copy of the records then shows.
#include "oxmarkers.h"
#include "program_fixture.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QMouseEvent>
#include <QPointingDevice>
#include <QTest>

#include <cmath>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace oxapp::test {
namespace {

struct Channel {
    float scale = 0;
    float offset = 0;
    OX_POINT ground{};
};

Channel Ch1(RunningOxbow& oxbow) {
    Channel c;
    oxbow.UnderLock([&] {
        c.scale = oxbow.Objects().setup->fChanScale[0];
        c.offset = oxbow.Objects().setup->fChanOffset[0];
        c.ground = oxbow.Objects().region->ptTrace[0][0];
    });
    return c;
}

// Also with the window grown to 1600 x 1000, where the picture is shown scaled (smoothly, by
// no whole step): the drag is measured in picture pixels.
class ScopeMouseAtSize : public ::testing::TestWithParam<QSize> {};

TEST_P(ScopeMouseAtSize, DraggingTheCh1GroundMarkerDownOneDivisionLowersItsOffsetByOneDivision) {
    RunningOxbow oxbow({"--sim"});
    oxbow::ui::ScopeView& view = oxbow.Window().Scope();
    if (GetParam().isValid()) oxbow.Window().resize(GetParam());
    ASSERT_TRUE(WaitFor([&] { return view.PictureRect().width() > 0; }, 2000));
    if (GetParam().isValid()) {
        // The controls give up width down to what they need; the picture fills the view
        // once the width has been shared out after the resize.
        ASSERT_TRUE(WaitFor(
            [&] { return view.Scale() > 1.4 && view.PictureRect().width() == view.width(); }, 3000))
            << "scale " << view.Scale();
    }
    const Channel before = Ch1(oxbow);
    const OX_POINT from{8, before.ground.y};
    const QPoint press = InView(view, from);
    std::vector<QPoint> through;
    for (int dy = 10; dy <= 50; dy += 10)
        through.push_back(InView(view, {from.x, from.y + dy}));
    Send(view, QEvent::MouseMove, Qt::NoButton, Qt::NoButton, press);
    DragWith(view, Qt::LeftButton, press, through);

    // The window's copy of the records shows the new offset.
    const float wanted = before.offset - before.scale;
    auto snapshot = std::make_unique<oxacq::RecordView>();
    EXPECT_TRUE(WaitFor(
        [&] {
            oxbow.GetSession().Snapshot().Refresh(*snapshot);
            return std::abs(snapshot->setup.fChanOffset[0] - wanted) < 1e-4f;
        },
        3000))
        << "CH1 offset " << snapshot->setup.fChanOffset[0] << ", wanted " << wanted;
    EXPECT_EQ(Ch1(oxbow).ground.y, before.ground.y + 50);
}

INSTANTIATE_TEST_SUITE_P(Window, ScopeMouseAtSize, ::testing::Values(QSize(), QSize(1600, 1000)));

TEST(ScopeMouse, AMiddleDragBoxHalfTheWidthHalvesTheTimeBase) {
    RunningOxbow oxbow({"--sim"});
    oxbow::ui::ScopeView& view = oxbow.Window().Scope();
    ASSERT_TRUE(WaitFor([&] { return view.PictureRect().width() > 0; }, 2000));
    double before = 0;
    oxbow.UnderLock([&] { before = oxbow.Objects().setup->dTimeScale; });
    // A quarter of the width either side of the centre (366), a few rows high.
    const QPoint from = InView(view, {191, 200});
    const QPoint to = InView(view, {541, 220});
    DragWith(view, Qt::MiddleButton, from, {to});
    auto snapshot = std::make_unique<oxacq::RecordView>();
    EXPECT_TRUE(WaitFor(
        [&] {
            oxbow.GetSession().Snapshot().Refresh(*snapshot);
            return std::abs(snapshot->setup.dTimeScale - before / 2) < before * 1e-3;
        },
        3000))
        << "time base " << snapshot->setup.dTimeScale << " s/div, was " << before;
}

// A marker drag and what it moves, for the undo test below.
struct MarkerDrag {
    const char* what;
    std::function<void()> arrange;
    oxmouse::Marker marker;
    int dx, dy;
    double (*read)(const _OX_SETUP&);
};

// Drags the marker on a fresh program (no settings file of an earlier one), then Ctrl+Z and
// Ctrl+Y on the window.
void DragUndoRedo(const MarkerDrag& c) {
    SCOPED_TRACE(c.what);
    PrivateConfigHome home;
    RunningOxbow oxbow({"--sim"});
    COxbowDlg& window = oxbow.Window();
    oxbow::ui::ScopeView& view = window.Scope();
    ASSERT_TRUE(WaitFor([&] { return view.PictureRect().width() > 0; }, 2000));
    c.arrange();
    auto snapshot = std::make_unique<oxacq::RecordView>();
    std::optional<OX_RECT> area;
    ASSERT_TRUE(WaitFor(
        [&] {
            oxbow.GetSession().Snapshot().Refresh(*snapshot);
            area = oxmouse::HitArea(*snapshot, c.marker);
            return area.has_value();
        },
        3000))
        << "the marker is not on the screen";
    WaitFor([] { return false; }, 200); // the arrangement's posts are all handled
    oxbow.GetSession().Snapshot().Refresh(*snapshot);
    area = oxmouse::HitArea(*snapshot, c.marker);
    ASSERT_TRUE(area.has_value());
    const OX_POINT at{(area->left + area->right) / 2, (area->top + area->bottom) / 2};
    ASSERT_EQ(oxmouse::MarkerAt(*snapshot, at), c.marker);
    const double before = c.read(snapshot->setup);

    const QPoint press = InView(view, at);
    const QPoint to = InView(view, {at.x + c.dx, at.y + c.dy});
    Send(view, QEvent::MouseMove, Qt::NoButton, Qt::NoButton, press);
    DragWith(view, Qt::LeftButton, press, {(press + to) / 2, to});
    const auto now = [&] {
        oxbow.GetSession().Snapshot().Refresh(*snapshot);
        return c.read(snapshot->setup);
    };
    ASSERT_TRUE(WaitFor([&] { return now() != before; }, 3000)) << "the drag moved nothing";
    const double dragged = now();

    QAction* undo = window.findChild<QAction*>("UNDO");
    QAction* redo = window.findChild<QAction*>("REDO");
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    ASSERT_TRUE(WaitFor([&] { return undo->isEnabled(); }, 3000));
    QTest::keyClick(&window, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_TRUE(WaitFor([&] { return now() == before; }, 3000))
        << "undo left " << now() << ", before the drag " << before;
    EXPECT_TRUE(WaitFor([&] { return redo->isEnabled() && !undo->isEnabled(); }, 3000));
    QTest::keyClick(&window, Qt::Key_Y, Qt::ControlModifier);
    EXPECT_TRUE(WaitFor([&] { return now() == dragged; }, 3000))
        << "redo gave " << now() << ", the drag " << dragged;
}

// Every marker the help says can be dragged: after the drag, Undo (Ctrl+Z on the window)
// brings the setting back and lights Redo; Redo (Ctrl+Y) takes the drag again.
TEST(ScopeMouse, UndoTakesBackTheDragOfEveryMarker) {
    using oxmouse::MarkerKind;
    namespace g = oxcmd::group;
    // The channels' grounds moved away, so that the other markers are not under them (math
    // shows both channels).
    const auto channelsAway = [] {
        EXPECT_TRUE(OxPostFloat(g::kChannel, oxcmd::channel::kOffset, 0, 2));
        EXPECT_TRUE(OxPostFloat(g::kChannel, oxcmd::channel::kOffset, 1, -2));
    };
    const auto math = [channelsAway](int op) {
        channelsAway();
        EXPECT_TRUE(OxPostInt(g::kMath, oxcmd::math::kOperator, 0, op));
        EXPECT_TRUE(OxPostBool(g::kMath, oxcmd::math::kShown, 0, true));
    };
    const auto delayed = [] {
        EXPECT_TRUE(OxPostDouble(g::kTimebase, oxcmd::timebase::kMainScale, 0, 1e-3));
        EXPECT_TRUE(OxPostBool(g::kTimebase, oxcmd::timebase::kDelayed, 0, true));
        EXPECT_TRUE(OxPostDouble(g::kTimebase, oxcmd::timebase::kDelayedScale, 0, 1e-4));
    };
    const auto ch1Offset = [](const _OX_SETUP& s) { return double(s.fChanOffset[0]); };
    const auto edgeLevel = [](const _OX_SETUP& s) { return double(s.fEdgeLevel); };
    const auto position = [](const _OX_SETUP& s) { return s.dTimeOffset; };
    const auto delayedOffset = [](const _OX_SETUP& s) { return s.dDelayedOffset; };
    const auto mathOffset = [](const _OX_SETUP& s) { return double(s.fMathOffset[0]); };
    const auto fftOffset = [](const _OX_SETUP& s) { return double(s.fFFTVrmsOffset[0]); };
    // clang-format off
    const MarkerDrag cases[] = {
        {"CH1 ground", [] {}, {MarkerKind::Trace, 0, 0}, 0, 40, ch1Offset},
        {"trigger level", channelsAway, {MarkerKind::TrigLevel, 0, 0}, 0, -30, edgeLevel},
        {"trigger position", [] {}, {MarkerKind::TrigPos, 0, 0}, 60, 0, position},
        {"delayed window", delayed, {MarkerKind::Delayed, 0, 0}, 40, 0, delayedOffset},
        {"MATH1 ground", [math] { math(oxcmd::code::kAdd); }, {MarkerKind::Trace, 0, 2}, 0, 40, mathOffset},
        {"FFT ground", [math] { math(oxcmd::code::kFFT); }, {MarkerKind::Trace, 0, 2}, 0, 40, fftOffset},
    };
    // clang-format on
    for (const MarkerDrag& c : cases)
        DragUndoRedo(c);
}

} // namespace
} // namespace oxapp::test
