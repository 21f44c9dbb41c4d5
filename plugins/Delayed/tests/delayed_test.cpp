// The floating timebase panels: when they act, what they post, their shape and place.
#include "delayed.h"

#include "plugintest.h"

#include <QLineEdit>
#include <QTest>

#include <memory>

namespace {

using namespace oxbow::plugintest;
namespace cmd = oxcmd::cmd;
using Id = FloatViewId;

TEST(PanelShape, DarkPixelsAreCutAwayRowByRow) {
    QImage bitmap(5, 2, QImage::Format_RGB32);
    bitmap.fill(QColor(40, 40, 40));
    bitmap.setPixelColor(0, 0, QColor(16, 16, 16)); // dark enough: outside
    bitmap.setPixelColor(2, 0, QColor(0, 0, 0));
    bitmap.setPixelColor(4, 1, QColor(17, 0, 0)); // one component above 16: inside
    const QRegion region = RegionFromBitmap(bitmap);
    EXPECT_FALSE(region.contains(QPoint(0, 0)));
    EXPECT_TRUE(region.contains(QPoint(1, 0)));
    EXPECT_FALSE(region.contains(QPoint(2, 0)));
    EXPECT_TRUE(region.contains(QPoint(3, 0)));
    EXPECT_TRUE(region.contains(QPoint(4, 1)));
    EXPECT_EQ(region.boundingRect(), QRect(0, 0, 5, 2));
}

class DelayedTest : public PluginTest {
protected:
    void SetUp() override {
        PluginTest::SetUp();
        host.setGeometry(100, 100, 800, 600);
    }
    // Both panels over `host`, as the main window opens them.
    void OpenBoth() {
        oxbow::ui::PluginContext context = Context();
        context.parent = &host;
        main.reset(dynamic_cast<oxbow::ui::CPluginDlg*>(ShowFloatMainDlg(context, 0)));
        delayed.reset(dynamic_cast<oxbow::ui::CPluginDlg*>(ShowFloatDlg(context, 0)));
        ASSERT_TRUE(main && delayed);
    }
    void TearDown() override {
        main.reset();
        delayed.reset();
        PluginTest::TearDown();
    }
    static void ClickOn(oxbow::ui::CPluginDlg& panel, Id id) {
        QTest::mouseClick(panel.Control(id), Qt::LeftButton);
    }
    QWidget host;
    std::unique_ptr<oxbow::ui::CPluginDlg> main;
    std::unique_ptr<oxbow::ui::CPluginDlg> delayed;
};

TEST_F(DelayedTest, TheMainPanelActsOnlyWithTheDelayedTimebaseOrAlternation) {
    OpenBoth();
    ClickOn(*main, Id::ScaleUp);
    QTest::mousePress(main->Control(Id::OffsetUp), Qt::LeftButton);
    EXPECT_FALSE(main->SpinRepeating());
    QTest::mouseRelease(main->Control(Id::OffsetUp), Qt::LeftButton);
    EXPECT_TRUE(Drain().empty());

    live.bDelayed = 1;
    Publish();
    ClickOn(*main, Id::ScaleUp);
    auto posts = Drain();
    ASSERT_EQ(posts.size(), 2u);
    EXPECT_TRUE(posts[0].Is(cmd::run::kSaveUndo));
    EXPECT_TRUE(posts[1].Is(cmd::timebase::kMainScale));
    EXPECT_DOUBLE_EQ(posts[1].Arg(cmd::timebase::kMainScale), 2e-3);
}

TEST_F(DelayedTest, TheDelayedPanelFillsTheUndoSlotOnlyInAlternation) {
    live.bDelayed = 1;
    OpenBoth();
    ClickOn(*delayed, Id::ScaleDown);
    auto posts = Drain();
    ASSERT_EQ(posts.size(), 1u);
    EXPECT_TRUE(posts[0].Is(cmd::timebase::kDelayedScale));
    EXPECT_DOUBLE_EQ(posts[0].Arg(cmd::timebase::kDelayedScale), 50e-6);
    QTest::mousePress(delayed->Control(Id::OffsetUp), Qt::LeftButton);
    QTest::mouseRelease(delayed->Control(Id::OffsetUp), Qt::LeftButton);
    posts = Drain();
    ASSERT_EQ(posts.size(), 1u);
    EXPECT_TRUE(posts[0].Is(cmd::timebase::kDelayedOffset));
    EXPECT_GE(posts[0].Arg(cmd::timebase::kDelayedOffset), 200e-6 + 0.02 * 50e-6 - 1e-15);

    live.bDelayed = 0;
    live.nTrigMode = oxcmd::code::kAlternate;
    Publish();
    auto* scale = qobject_cast<QLineEdit*>(delayed->Control(Id::Scale));
    EXPECT_EQ(scale->palette().color(QPalette::Text), oxbow::ui::PluginColours::Channel2);
    AnswerEntry(5e-6);
    QTest::mouseClick(scale, Qt::LeftButton);
    EXPECT_EQ(entries.at(0).current, 20e-6);
    EXPECT_EQ(entries.at(0).entry.finest, -9);
    posts = Drain();
    ASSERT_EQ(posts.size(), 2u);
    EXPECT_TRUE(posts[0].Is(cmd::run::kSaveUndo));
    EXPECT_TRUE(posts[1].Is(cmd::timebase::kAltScale, 1));
    EXPECT_DOUBLE_EQ(posts[1].Arg(cmd::timebase::kAltScale), 5e-6);
}

// The main window places the panels (beside itself); a panel only shapes itself.
TEST_F(DelayedTest, PanelsAreRoundedStripsThatStayWhereTheyArePut) {
    OpenBoth();
    EXPECT_FALSE(main->mask().contains(QPoint(0, 0))); // the rounded corner is cut away
    EXPECT_TRUE(main->mask().contains(main->rect().center()));
    main->move(300, 50);
    live.dDelayedScale = 2e-6;
    Publish();
    EXPECT_EQ(main->pos(), QPoint(300, 50)) << "a refresh leaves the place alone";
}

TEST_F(DelayedTest, PaintsBothPanels) {
    live.bDelayed = 1;
    Open(ShowFloatMainDlg);
    Painted();
    Open(ShowFloatDlg);
    Painted();
}

} // namespace
