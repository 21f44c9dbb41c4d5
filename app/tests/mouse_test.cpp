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

// Widget pixels per picture pixel, across and down.
double Across(const oxbow::ui::ScopeView& view) {
    return static_cast<double>(view.PictureRect().width()) / oxbow::ui::kScopePictureWidth;
}
double Down(const oxbow::ui::ScopeView& view) {
    return static_cast<double>(view.PictureRect().height()) / oxbow::ui::kScopePictureHeight;
}

// Where a picture pixel lies in the scope view.
QPoint InView(oxbow::ui::ScopeView& view, OX_POINT p) {
    const QRect area = view.PictureRect();
    return {area.left() + static_cast<int>((p.x + 0.5) * Across(view)),
            area.top() + static_cast<int>((p.y + 0.5) * Down(view))};
}

// A mouse event as the window system delivers it to the view, from a device of the test's
// own (the default one would be made on demand and outlive the application at exit).
void Send(oxbow::ui::ScopeView& view, QEvent::Type type, Qt::MouseButton button,
          Qt::MouseButtons held, const QPoint& at) {
    static const QPointingDevice* const mouse = [] {
        auto* device = new QPointingDevice("test mouse", 1, QInputDevice::DeviceType::Mouse,
                                           QPointingDevice::PointerType::Generic,
                                           QInputDevice::Capability::Position, 1, 3);
        device->setParent(&App()); // gone with the application
        return device;
    }();
    QMouseEvent event(type, at, view.mapToGlobal(at), button, held, Qt::NoModifier, mouse);
    QApplication::sendEvent(&view, &event);
}

void DragWith(oxbow::ui::ScopeView& view, Qt::MouseButton button, const QPoint& from,
              const std::vector<QPoint>& through) {
    Send(view, QEvent::MouseButtonPress, button, button, from);
    for (const QPoint& at : through)
        Send(view, QEvent::MouseMove, Qt::NoButton, button, at);
    Send(view, QEvent::MouseButtonRelease, button, Qt::NoButton, through.back());
}

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
    WaitFor([] { return false; }, 100); // the width shared out after the resize
    if (GetParam().isValid()) {
        // The controls give up width down to what they need; the picture fills the view.
        ASSERT_GT(view.Scale(), 1.4);
        ASSERT_EQ(view.PictureRect().width(), view.width());
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

} // namespace
} // namespace oxapp::test
