#include "fancyctl.h"
#include "qtapp.h"
#include "qtdisplaylayer.h"
#include "statusfields.h"

#include "cwnd_recorder.h"

#include <QMenu>
#include <QScreen>

namespace oxbow::ui {
namespace {

TEST(RunStateField, CodesShowTheirTextsAndColours) {
    const QColor green(0, 255, 0), red(255, 0, 0), yellow(255, 255, 0);
    const struct {
        int code;
        const char* text;
        QColor colour;
        bool blinking;
    } table[] = {{0, "RUN", green, true},   {1, "STOP", red, false},    {2, "WAIT", yellow, true},
                 {3, "T'D", green, false},  {4, "AUTO", green, true},   {5, "SCAN", green, true},
                 {6, "PLAY", green, false}, {7, "PAUSE", green, false}, {9, "AUTO", green, true},
                 {-1, "AUTO", green, true}};
    for (const auto& row : table) {
        const RunStateLook look = RunStateLookOf(row.code);
        EXPECT_EQ(look.text, row.text) << row.code;
        EXPECT_EQ(look.colour, row.colour) << row.code;
        EXPECT_EQ(look.blinking, row.blinking) << row.code;
    }
}

TEST(RunStateField, BlinkingStatesAlternateWithBlackOnEachRefreshAndSteadyOnesDoNot) {
    RunStateField field;
    field.SetRunStatus(0);
    const QColor first = field.ShownColour();
    field.Refresh();
    const QColor second = field.ShownColour();
    field.Refresh();
    EXPECT_EQ(field.ShownColour(), first);
    EXPECT_NE(first, second);
    EXPECT_TRUE(first == QColor(Qt::black) || second == QColor(Qt::black));

    field.SetRunStatus(1);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(field.ShownColour(), QColor(255, 0, 0));
        field.Refresh();
    }
    EXPECT_EQ(field.Text(), "STOP");
}

TEST(RunStateField, TheTextIsPaintedInTheShownColour) {
    RunStateField field;
    field.resize(80, 26);
    field.SetRunStatus(2);
    if (field.ShownColour() == QColor(Qt::black)) field.Refresh();
    const QImage shown = field.grab().toImage();
    bool yellow = false;
    for (int y = 0; y < shown.height() && !yellow; ++y)
        for (int x = 0; x < shown.width() && !yellow; ++x)
            yellow = QColor(shown.pixel(x, y)) == QColor(255, 255, 0);
    EXPECT_TRUE(yellow);
}

TEST(ClockField, ShowsMonthDayYearHourMinute) {
    EXPECT_EQ(ClockText(QDateTime(QDate(2026, 3, 7), QTime(9, 5))), "03-07-2026 09:05");
    ClockField clock;
    clock.SetTime(QDateTime(QDate(2026, 12, 8), QTime(16, 45)));
    EXPECT_EQ(clock.Text(), "12-08-2026 16:45");
}

TEST(CButtonST, APressSendsItsMessageToTheParentWindowAndMenuChoicesSendTheirIds) {
    CRecordingWnd parent;
    CButtonST button("RUN");
    button.SetMessageID(3125, 4126, 7);
    button.SetParentWnd(&parent);
    button.click();
    ASSERT_EQ(parent.Messages().size(), 1u);
    EXPECT_EQ(parent.Messages()[0].message, 3125u);
    EXPECT_EQ(parent.Messages()[0].wParam, 4126u);
    EXPECT_EQ(parent.Messages()[0].lParam, 7);

    button.SetMenu({"Edge", "Pulse", "Video"});
    button.SetMenuItemID(1, 1602);
    button.SetMenuItemCheck(1, true);
    EXPECT_TRUE(button.MenuItemChecked(1));
    EXPECT_FALSE(button.MenuItemChecked(0));
    EXPECT_FALSE(button.MenuItemChecked(3));
    int chosen = 0;
    QObject::connect(&button, &CButtonST::MenuItemChosen, [&](int id) { chosen = id; });
    button.Menu()->actions()[1]->trigger();
    EXPECT_EQ(chosen, 1602);
    ASSERT_EQ(parent.Messages().size(), 2u);
    EXPECT_EQ(parent.Messages()[1].wParam, 1602u);

    button.SetMenuNum(2);
    EXPECT_EQ(button.Menu()->actions().size(), 2);
}

TEST(CButtonST, OffsetColorShadesAndClamps) {
    CButtonST button;
    button.SetColor(CButtonST::BTNST_COLOR_BK_OUT, QColor(10, 128, 250));
    button.OffsetColor(CButtonST::BTNST_COLOR_BK_OUT, 20);
    EXPECT_EQ(button.GetColor(CButtonST::BTNST_COLOR_BK_OUT), QColor(30, 148, 255));
    button.OffsetColor(CButtonST::BTNST_COLOR_BK_OUT, -40);
    EXPECT_EQ(button.GetColor(CButtonST::BTNST_COLOR_BK_OUT), QColor(0, 108, 215));
}

TEST(CBitmapComboBox, ItemsKeepTheirColoursAndTheClosedBoxShowsTheChosenOnes) {
    CBitmapComboBox box;
    EXPECT_EQ(box.AddCTString(QColor(255, 255, 0), "CH1"), 0);
    EXPECT_EQ(box.AddCTString(QColor(0, 255, 255), "CH2"), 1);
    EXPECT_EQ(box.itemData(1, Qt::ForegroundRole).value<QColor>(), QColor(0, 255, 255));
    EXPECT_EQ(box.palette().color(QPalette::ButtonText), QColor(255, 255, 0));
    box.setCurrentIndex(1);
    EXPECT_EQ(box.palette().color(QPalette::ButtonText), QColor(0, 255, 255));
}

TEST(BCMenu, SubMenusAreReachedByPosition) {
    BCMenu menu;
    menu.AppendItem("Run", 4126);
    menu.addSeparator();
    BCMenu* cursor = menu.AppendSubMenu("Cursor");
    EXPECT_EQ(menu.GetSubMenu(2), cursor);
    EXPECT_EQ(menu.GetSubMenu(0), nullptr);
    EXPECT_EQ(menu.GetSubMenu(3), nullptr);
    EXPECT_EQ(menu.GetSubMenu(-1), nullptr);
}

TEST(CCommonDlg, DraggingTheDialogMovesItAndTheCloseMarkRejects) {
    CCommonDlg dialog(100);
    dialog.setWindowTitle("Horizontal");
    dialog.resize(300, 200);
    dialog.move(100, 100);
    dialog.show();
    QCoreApplication::processEvents();
    const QPoint start = dialog.pos();
    QTest::mousePress(&dialog, Qt::LeftButton, {}, QPoint(50, 10));
    QMouseEvent drag(QEvent::MouseMove, QPointF(80, 30), dialog.mapToGlobal(QPointF(80, 30)),
                     Qt::NoButton, Qt::LeftButton, {});
    QCoreApplication::sendEvent(&dialog, &drag);
    QTest::mouseRelease(&dialog, Qt::LeftButton, {}, QPoint(80, 30));
    EXPECT_EQ(dialog.pos(), start + QPoint(30, 20));

    QTest::mouseClick(&dialog, Qt::LeftButton, {}, dialog.CloseMarkRect().center());
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
    EXPECT_FALSE(dialog.isVisible());
}

// Without a window manager (offscreen) a resizable dialog resizes itself: a corner moves
// its two edges, an edge its own, never below the minimum; a press inside still moves it.
TEST(CCommonDlg, AResizableDialogIsResizedByItsCornersAndEdges) {
    CCommonDlg dialog(100);
    dialog.SetResizable(true);
    dialog.setMinimumSize(200, 150);
    dialog.setGeometry(100, 100, 300, 200);
    dialog.show();
    QCoreApplication::processEvents();
    const auto drag = [&](QPoint from, QPoint by) {
        QTest::mousePress(&dialog, Qt::LeftButton, {}, from);
        const QPoint to = from + by;
        QMouseEvent move(QEvent::MouseMove, QPointF(to), dialog.mapToGlobal(QPointF(from)) + by,
                         Qt::NoButton, Qt::LeftButton, {});
        QCoreApplication::sendEvent(&dialog, &move);
        QTest::mouseRelease(&dialog, Qt::LeftButton, {}, to);
    };
    EXPECT_EQ(dialog.ResizeEdgesAt(QPoint(298, 198)), Qt::RightEdge | Qt::BottomEdge);
    EXPECT_EQ(dialog.ResizeEdgesAt(QPoint(150, 100)), Qt::Edges());
    drag(QPoint(298, 198), QPoint(50, 40));
    EXPECT_EQ(dialog.geometry(), QRect(100, 100, 350, 240));
    drag(QPoint(1, 1), QPoint(-20, -10)); // the top left corner: the window grows up and left
    EXPECT_EQ(dialog.geometry(), QRect(80, 90, 370, 250));
    drag(QPoint(369, 120), QPoint(-400, 0)); // the right edge, past the minimum width
    EXPECT_EQ(dialog.geometry(), QRect(80, 90, 200, 250));
    drag(QPoint(100, 100), QPoint(30, 20)); // inside: moved, not resized
    EXPECT_EQ(dialog.geometry(), QRect(110, 110, 200, 250));

    CCommonDlg fixed(100);
    EXPECT_EQ(fixed.ResizeEdgesAt(QPoint(1, 1)), Qt::Edges());
}

TEST(CCommonDlg, TitleButtonsActOnReleaseOverThemAndMaximizeTurnsIntoRestore) {
    CCommonDlg dialog(100);
    dialog.SetTitleButtons(CCommonDlg::kMinimizeButton | CCommonDlg::kMaximizeButton |
                           CCommonDlg::kCloseButton);
    dialog.resize(300, 200);
    dialog.show();
    QCoreApplication::processEvents();
    const QRect close = dialog.CloseMarkRect();
    const QRect maximize = dialog.TitleButtonRect(CCommonDlg::kMaximizeButton);
    const QRect minimize = dialog.TitleButtonRect(CCommonDlg::kMinimizeButton);
    EXPECT_EQ(close.right(), dialog.width() - 1);
    EXPECT_EQ(maximize.right() + 1, close.left());
    EXPECT_EQ(minimize.right() + 1, maximize.left());
    EXPECT_EQ(dialog.TitleButtonTip(CCommonDlg::kMaximizeButton), "Maximize");

    // Pressed on Close, released on Maximize: neither acts, and the dialog does not move.
    const QPoint start = dialog.pos();
    QTest::mousePress(&dialog, Qt::LeftButton, {}, close.center());
    QTest::mouseRelease(&dialog, Qt::LeftButton, {}, maximize.center());
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_FALSE(dialog.isMaximized());
    EXPECT_EQ(dialog.pos(), start);

    QTest::mouseClick(&dialog, Qt::LeftButton, {}, maximize.center());
    EXPECT_TRUE(dialog.isMaximized());
    EXPECT_EQ(dialog.TitleButtonTip(CCommonDlg::kMaximizeButton), "Restore");
    QTest::mouseClick(&dialog, Qt::LeftButton, {},
                      dialog.TitleButtonRect(CCommonDlg::kMaximizeButton).center());
    EXPECT_FALSE(dialog.isMaximized());
    QTest::mouseClick(&dialog, Qt::LeftButton, {},
                      dialog.TitleButtonRect(CCommonDlg::kMinimizeButton).center());
    EXPECT_TRUE(dialog.isMinimized());

    CCommonDlg plain(100); // a control dialog has its close mark only
    EXPECT_TRUE(plain.TitleButtonRect(CCommonDlg::kMinimizeButton).isEmpty());
    EXPECT_FALSE(plain.CloseMarkRect().isEmpty());
}

TEST(QtDisplayLayer, TheScreenAndThe800x600ViewAreTheModesAndApplyingOneShowsIt) {
    UiThread ui;
    QtDisplayLayer layer(ui, [] { return DisplayMode{1920, 1080, 24, 60}; });
    DisplayMode mode;
    ASSERT_TRUE(layer.EnumMode(0, mode));
    EXPECT_EQ(mode, (DisplayMode{1920, 1080, 24, 60}));
    ASSERT_TRUE(layer.EnumMode(1, mode));
    EXPECT_EQ(mode, (DisplayMode{800, 600, 24, 60}));
    EXPECT_FALSE(layer.EnumMode(2, mode));

    // No window to show yet: nothing can take effect.
    EXPECT_FALSE(layer.ApplyMode({800, 600, 24, 60}));

    QWidget window;
    window.setGeometry(30, 40, 400, 300);
    window.show();
    layer.SetMainWindow(&window);
    ASSERT_TRUE(layer.ApplyMode({800, 600, 24, 60}));
    EXPECT_TRUE(window.isFullScreen());
    EXPECT_EQ(window.geometry(), window.screen()->geometry()); // without a window manager too
    ASSERT_TRUE(layer.CurrentMode(mode));
    EXPECT_EQ(mode, (DisplayMode{800, 600, 24, 60}));

    ASSERT_TRUE(layer.ApplyMode({1920, 1080, 24, 60}));
    EXPECT_FALSE(window.isFullScreen());
    EXPECT_EQ(window.geometry(), QRect(30, 40, 400, 300)); // back where it was
    ASSERT_TRUE(layer.CurrentMode(mode));
    EXPECT_EQ(mode.width, 1920);
    EXPECT_FALSE(layer.ApplyMode({1024, 768, 24, 60}));
}

TEST(QtDisplayLayer, AScreenOf800x600HasOneMode) {
    UiThread ui;
    QtDisplayLayer layer(ui, [] { return DisplayMode{800, 600, 32, 60}; });
    DisplayMode mode;
    EXPECT_TRUE(layer.EnumMode(0, mode));
    EXPECT_FALSE(layer.EnumMode(1, mode));
}

} // namespace
} // namespace oxbow::ui
