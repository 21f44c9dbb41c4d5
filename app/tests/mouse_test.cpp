// The mouse on the running program: a marker dragged on the scope view changes the
// instrument, as the window's copy of the records then shows.
#include "program_fixture.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QMouseEvent>
#include <QPointingDevice>

#include <cmath>
#include <memory>
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

TEST(ScopeMouse, DraggingTheCh1GroundMarkerDownOneDivisionLowersItsOffsetByOneDivision) {
    RunningOxbow oxbow({"--sim"});
    oxbow::ui::ScopeView& view = oxbow.Window().Scope();
    ASSERT_TRUE(WaitFor([&] { return view.PictureRect().width() > 0; }, 2000));
    const Channel before = Ch1(oxbow);
    const OX_POINT from{8, before.ground.y};
    const double perPixel =
        static_cast<double>(view.PictureRect().width()) / oxbow::ui::kScopePictureWidth;
    const QPoint press = InView(view, from);
    std::vector<QPoint> through;
    for (int dy = 10; dy <= 50; dy += 10)
        through.push_back(press + QPoint(0, qRound(dy * perPixel)));
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

} // namespace
} // namespace oxapp::test
