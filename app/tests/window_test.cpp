// The main window as a person sees it: its title-bar buttons, the place it opens at, and a
// dialog request without its dialog.
#include "program_fixture.h"
#include "qtdisplaylayer.h"
#include "windowgeometry.h"

#include "oxmsg.h"

#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QScreen>
#include <QTest>

#include <cstring>

namespace oxapp::test {
namespace {

void ClickTitleButton(COxbowDlg& window, CCommonDlg::TitleButton button) {
    QTest::mouseClick(&window, Qt::LeftButton, {}, window.TitleButtonRect(button).center());
}

// On one axis: inside the area when it fits, from the area's start when it does not.
bool WithinWhereItFits(int start, int length, int areaStart, int areaLength) {
    if (length > areaLength) return start == areaStart;
    return start >= areaStart && start + length <= areaStart + areaLength;
}

std::string ShownError(RunningOxbow& oxbow) {
    std::string text;
    oxbow.UnderLock([&] {
        if (oxbow.Objects().region->bErrorShown) text = oxbow.Objects().setup->szSystemError;
    });
    return text;
}

TEST(WindowPlace, FitsTheScreenAndKeepsWhereTheUserLeftIt) {
    const QRect screen(0, 0, 1280, 800);
    const QSize minimum(600, 400);
    // First start: its own size, centred; larger than the screen, shrunk to it but never
    // below what its controls need (then from the screen's top left corner).
    EXPECT_EQ(FittedGeometry(std::nullopt, QSize(1000, 700), minimum, screen),
              QRect(140, 50, 1000, 700));
    EXPECT_EQ(FittedGeometry(std::nullopt, QSize(1600, 900), minimum, screen), screen);
    EXPECT_EQ(FittedGeometry(std::nullopt, QSize(1600, 900), QSize(1300, 700), screen),
              QRect(0, 0, 1300, 800));
    // Where it was left, hanging off an edge too, as long as its title band can be reached.
    EXPECT_EQ(FittedGeometry(QRect(30, 40, 900, 600), QSize(), minimum, screen),
              QRect(30, 40, 900, 600));
    EXPECT_EQ(FittedGeometry(QRect(-700, 500, 900, 600), QSize(), minimum, screen),
              QRect(-700, 500, 900, 600));
    const QRect secondScreen(1280, 0, 1920, 1080);
    EXPECT_EQ(FittedGeometry(QRect(1400, 100, 900, 600), QSize(), minimum, secondScreen),
              QRect(1400, 100, 900, 600));
    // Out of reach (a screen smaller or gone since): centred again.
    for (const QRect lost : {QRect(1000, -5, 900, 600), QRect(1250, 100, 900, 600),
                             QRect(100, 790, 900, 600), QRect(3000, 100, 900, 600)}) {
        EXPECT_EQ(FittedGeometry(lost, QSize(), minimum, screen), QRect(190, 100, 900, 600));
    }

    const PrivateConfigHome home;
    oxbow::SettingsStore store = oxbow::SettingsStore::ForUser();
    EXPECT_FALSE(LoadWindowGeometry(store).has_value());
    ASSERT_TRUE(SaveWindowGeometry(store, QRect(-20, 35, 900, 610)));
    EXPECT_EQ(LoadWindowGeometry(store), QRect(-20, 35, 900, 610));
    for (const char* bad : {"1,2,3", "1,2,0,4", "a,b,c,d", "", "1,2,3,4,5"}) {
        ASSERT_EQ(store.WriteString("Window", "Geometry", bad), oxbow::SettingsStore::Status::Ok);
        EXPECT_FALSE(LoadWindowGeometry(store).has_value()) << bad;
    }
}

// A floating window goes beside the main one where the screen has room: right, left, below,
// above; otherwise over the main window's picture, never over the rest of it.
TEST(WindowPlace, FloatingWindowsGoBesideTheWindowOrOverItsPicture) {
    const QSize panel(400, 300);
    const QRect picture(110, 110, 700, 430);
    const auto place = [&](const QRect& window, const QRect& screen) {
        return BesideWindow(window, picture, panel, screen, 8);
    };
    EXPECT_EQ(place({100, 100, 1000, 700}, {0, 0, 1920, 1080}), QRect(1108, 100, 400, 300));
    EXPECT_EQ(place({500, 100, 1000, 700}, {0, 0, 1600, 1080}), QRect(92, 100, 400, 300));
    EXPECT_EQ(place({100, 0, 1000, 700}, {0, 0, 1280, 1080}), QRect(100, 708, 400, 300));
    // Slid along the side onto the screen.
    EXPECT_EQ(place({100, 900, 1000, 100}, {0, 0, 1920, 1080}), QRect(1108, 780, 400, 300));
    // No room anywhere: over the picture's bottom left corner.
    EXPECT_EQ(place({100, 100, 1000, 700}, {0, 0, 1280, 800}), QRect(110, 240, 400, 300));
}

// The floating timebase views: one above the other beside the window, level with the
// picture's split when right or left of it; over the picture only without room around it.
TEST(WindowPlace, FloatingViewsGoBesideTheWindowLevelWithThePicturesSplit) {
    const QSize view(230, 22);
    const QRect picture(120, 150, 727, 434); // its split at row 366
    const QRect screen(0, 0, 1600, 1000);
    const FloatingPlaces right =
        FloatingViewPlaces(QRect(100, 100, 1200, 700), picture, screen, view, view);
    EXPECT_EQ(right.main, QPoint(1308, 366 - 26));
    EXPECT_EQ(right.delayed, QPoint(1308, 366 - 26 + 30));
    EXPECT_EQ(FloatingViewPlaces(QRect(360, 100, 1200, 700), picture, screen, view, view).main,
              QPoint(360 - 8 - 230, 340));
    EXPECT_EQ(FloatingViewPlaces(QRect(150, 100, 1300, 700), picture, screen, view, view).main,
              QPoint(150, 808));
    const FloatingPlaces inside = FloatingViewPlaces(screen, picture, screen, view, view);
    EXPECT_EQ(inside.main, QPoint(120, 150 + 434 - 52));
    EXPECT_EQ(inside.delayed, QPoint(120, 150 + 434 - 22));
}

TEST(WindowPlace, TheNextStartOpensWhereTheLastOneEnded) {
    const PrivateConfigHome home;
    QRect left;
    {
        RunningOxbow first({"--sim"});
        COxbowDlg& window = first.Window();
        const QRect available = QGuiApplication::primaryScreen()->availableGeometry();
        const QRect opened = window.geometry();
        EXPECT_TRUE(
            WithinWhereItFits(opened.x(), opened.width(), available.x(), available.width()));
        EXPECT_TRUE(
            WithinWhereItFits(opened.y(), opened.height(), available.y(), available.height()));
        window.move(window.pos() + QPoint(25, 15));
        left = window.geometry();
        ClickTitleButton(window, CCommonDlg::kCloseButton); // the exit command
        ASSERT_TRUE(WaitFor([&] { return window.ShutDown(); }, 5000));
        EXPECT_EQ(window.result(), kExitCode);
    }
    EXPECT_EQ(LoadWindowGeometry(oxbow::SettingsStore::ForUser()), left);
    RunningOxbow second({"--sim"});
    EXPECT_EQ(second.Window().geometry(), left);
}

TEST(WindowButtons, MaximizeShowsThe800x600ViewRestoreAndMinimizeWorkLikeTheDesktops) {
    App();
    const PrivateConfigHome home;
    oxbow::ui::UiThread ui;
    // A screen larger than 800 x 600, so that the view is a mode of its own.
    oxbow::ui::QtDisplayLayer display(ui, [] { return oxbow::DisplayMode{1600, 1000, 32, 60}; });
    oxbow::DisplayLayer* previous = oxbow::InstallDisplayLayer(&display);
    {
        RunningOxbow oxbow({"--sim"});
        COxbowDlg& window = oxbow.Window();
        display.SetMainWindow(&window);
        EXPECT_EQ(window.TitleButtonTip(CCommonDlg::kMaximizeButton), "Maximize");

        ClickTitleButton(window, CCommonDlg::kMaximizeButton);
        EXPECT_TRUE(WaitFor([&] { return display.Maximised(); }, 3000));
        EXPECT_TRUE(window.isFullScreen());
        EXPECT_EQ(window.TitleButtonTip(CCommonDlg::kMaximizeButton), "Restore");

        ClickTitleButton(window, CCommonDlg::kMaximizeButton);
        EXPECT_TRUE(WaitFor([&] { return !display.Maximised(); }, 3000));
        EXPECT_FALSE(window.isFullScreen());
        EXPECT_EQ(window.TitleButtonTip(CCommonDlg::kMaximizeButton), "Maximize");

        ClickTitleButton(window, CCommonDlg::kMinimizeButton);
        EXPECT_TRUE(window.isMinimized());
        EXPECT_FALSE(window.ShutDown());
    }
    oxbow::InstallDisplayLayer(previous);
}

TEST(WindowDialogs, ARequestWhoseDialogIsNotBuiltInSaysSoOnTheScreen) {
    RunningOxbow oxbow({"--sim"});
    ASSERT_TRUE(WaitFor([&] { return oxbow.GetSession().Workers().Started(); }, 2000));
    ASSERT_TRUE(OxPost(oxcmd::group::kPanel, oxcmd::panel::kDisplayDialog));
    EXPECT_TRUE(WaitFor([&] { return ShownError(oxbow) == "Function not available"; }, 3000));
    EXPECT_EQ(oxbow.Window().Dialogs().Current(), nullptr);
}

// The dialogs that are built in open through their requests, one at a time.
TEST(WindowDialogs, BuiltInDialogsOpenThroughTheirRequestsOneAtATime) {
    RunningOxbow oxbow({"--sim"});
    ASSERT_TRUE(WaitFor([&] { return oxbow.GetSession().Workers().Started(); }, 2000));
    ASSERT_TRUE(OxPost(oxcmd::group::kPanel, oxcmd::panel::kAcquireDialog));
    ASSERT_TRUE(WaitFor([&] { return oxbow.Window().Dialogs().Current() != nullptr; }, 3000));
    const CWndRef acquire = CWndRef::Of(oxbow.Window().Dialogs().Current());
    ASSERT_TRUE(OxPost(oxcmd::group::kPanel, oxcmd::panel::kHorizontalDialog));
    ASSERT_TRUE(WaitFor([&] { return !CWnd::IsWindow(acquire); }, 3000));
    EXPECT_NE(oxbow.Window().Dialogs().Current(), nullptr);
    ASSERT_TRUE(OxPost(oxcmd::group::kPanel, oxcmd::panel::kCloseHorizontal));
    EXPECT_TRUE(WaitFor([&] { return oxbow.Window().Dialogs().Current() == nullptr; }, 3000));
}

} // namespace
} // namespace oxapp::test
