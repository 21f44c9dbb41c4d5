// The manual and track cursor dialogs: texts in the source's units, what each control posts.
#include "cursor.h"

#include "oxcommon.h"
#include "plugintest.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <string>

namespace {

using namespace oxbow::plugintest;
namespace mc = oxcmd::manualcursor;
namespace trk = oxcmd::trackcursor;
using oxcmd::group::kManualCursor;
using oxcmd::group::kTrackCursor;

QString Valued(double value, const char* unit) {
    std::string out;
    GetValidDataStr(out, value, 3, -1, 0);
    return QString::fromStdString(out) + unit;
}

class CursorTest : public PluginTest {
protected:
    QComboBox* List() { return qobject_cast<QComboBox*>(Control(9001)); }
    oxbow::ui::CPluginDlg* dialog = nullptr;
};

class ManualCursorTest : public CursorTest {
protected:
    void SetUp() override {
        PluginTest::SetUp();
        live.fCurXA = 2.5f;
        live.fCurXB = -1.0f;
        live.fCurYA = 1.0f;
        dialog = Open(ShowManualCurDlg);
    }
};

TEST_F(ManualCursorTest, TimeCursorsShowTheMainOrTheDelayedScale) {
    EXPECT_EQ(dialog->Page(), 0);
    EXPECT_EQ(List()->count(), 7);
    EXPECT_EQ(Text(9002), Valued(2.5e-3, "s"));
    EXPECT_EQ(Text(9003), Valued(-1e-3, "s"));
    live.bDelayed = 1;
    Publish();
    EXPECT_EQ(Text(9002), Valued(250e-6, "s"));
}

TEST_F(ManualCursorTest, EntryIsInUnitsAndPostsDivisions) {
    AnswerEntry(1e-3);
    Click(9002);
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_DOUBLE_EQ(entries[0].current, 2.5e-3);
    EXPECT_EQ(entries[0].entry.digits, 3);
    EXPECT_EQ(entries[0].entry.decimals, -1);
    EXPECT_EQ(entries[0].entry.finest, 0);
    Posted p = Only();
    EXPECT_TRUE(p.Is(kManualCursor, mc::kXPosition, 0));
    EXPECT_FLOAT_EQ(p.AsFloat(), 1.0f);
    EXPECT_EQ(Text(9002), Valued(1e-3, "s"));

    Click(9012);
    p = Only();
    EXPECT_TRUE(p.Is(kManualCursor, mc::kXPosition, 1));
    EXPECT_EQ(p.AsFloat(), 0.0f);

    Press(9008);
    Release(9008);
    p = Only();
    EXPECT_TRUE(p.Is(kManualCursor, mc::kXPosition, 0));
    EXPECT_FLOAT_EQ(p.AsFloat(), 1.02f);
}

TEST_F(ManualCursorTest, TheYPageStepsOnePixelOfTheWindowItsSourceIsDrawnIn) {
    Click(9026);
    EXPECT_EQ(dialog->Page(), 1);
    EXPECT_EQ(List()->count(), 6);
    EXPECT_EQ(Text(9002), Valued(1.0, "V"));
    Press(9008);
    Release(9008);
    Posted p = Only();
    EXPECT_TRUE(p.Is(kManualCursor, mc::kYPosition, 0));
    EXPECT_FLOAT_EQ(p.AsFloat(), 1.02f); // 8 divisions on 400 pixels

    live.bDelayed = 1; // the lower window: 280 pixels
    Publish();
    Press(9004);
    Release(9004);
    EXPECT_NEAR(Only().AsFloat(), 1.02 - 8.0 / 280, 1e-6);

    Click(9030);
    p = Only();
    EXPECT_TRUE(p.Is(kManualCursor, mc::kYOn));
    EXPECT_TRUE(p.AsBool());
    EXPECT_TRUE(qobject_cast<QPushButton*>(Control(9030))->isChecked());
}

TEST_F(ManualCursorTest, ChoosingASourcePostsIt) {
    QTest::keyClick(List(), Qt::Key_Down);
    Posted p = Only();
    EXPECT_TRUE(p.Is(kManualCursor, mc::kXSource));
    EXPECT_EQ(p.AsInt(), 1);
    EXPECT_EQ(List()->currentIndex(), 1);
    EXPECT_EQ(Text(9002), Valued(2.5e-3, "s")); // CH2 shares the main timebase
}

TEST_F(ManualCursorTest, InXYFormatEachPageMeasuresOneChannelsLevel) {
    live.nTimeFormat = oxcmd::code::kXY;
    Publish();
    ASSERT_EQ(List()->count(), 1);
    EXPECT_EQ(List()->itemText(0), "CH1");
    EXPECT_EQ(Text(9002), Valued(2.5, "V"));
    QTest::keyClick(List(), Qt::Key_Down);
    EXPECT_TRUE(Drain().empty());
    Click(9026);
    EXPECT_EQ(List()->itemText(0), "CH2");
    EXPECT_EQ(Text(9002), Valued(0.5, "V")); // 1 division at 0.5 V/div
}

TEST_F(ManualCursorTest, SpectrumCursorsShowFrequenciesWithinTheShownBand) {
    live.nMathOperator[0] = oxcmd::code::kFFT;
    live.dFFTHorizScale[0] = 1000;
    live.nTraceZoomIndex[0] = 4; // 10 divisions
    live.nCurXSource = 2;
    Publish();
    EXPECT_EQ(Text(9002), Valued(2500, "Hz")); // from the band's start, offset 0 included
    EXPECT_EQ(Text(9003), "??.???Hz");         // before the band
    live.dFFTHorizOffset[0] = 2000;
    Publish();
    EXPECT_EQ(Text(9002), Valued(4500, "Hz"));
    AnswerEntry(6000);
    Click(9002);
    EXPECT_DOUBLE_EQ(entries.at(0).current, 4500);
    EXPECT_FLOAT_EQ(Only().AsFloat(), 4.0f); // 6 kHz is 4 divisions into the band
    live.fCurXA = 8.5f;
    Publish();
    EXPECT_EQ(Text(9002), "??.???Hz"); // past the band's 10 divisions
}

TEST_F(ManualCursorTest, ASourceWithoutScaleShowsNoValueAndRefusesEntry) {
    live.nCurXSource = 6; // the logic analyzer, not shown
    Publish();
    EXPECT_EQ(Text(9002), "??.???s");
    Click(9002);
    EXPECT_TRUE(entries.empty());
    EXPECT_TRUE(Drain().empty());
}

TEST_F(ManualCursorTest, CloseRequest) {
    ClickClose();
    EXPECT_TRUE(Only().Is(oxcmd::group::kPanel, oxcmd::panel::kCloseManualCursor));
}

class TrackCursorTest : public CursorTest {
protected:
    void SetUp() override {
        PluginTest::SetUp();
        live.fTrackA = 1.5f;
        live.fTrackB = -3.0f;
        live.nTrackSourceB = 1;
        dialog = Open(ShowTrackCurDlg);
    }
};

TEST_F(TrackCursorTest, EachPageShowsAndPostsItsOwnCursor) {
    EXPECT_EQ(Text(9034), Valued(1.5e-3, "s"));
    EXPECT_EQ(List()->currentIndex(), 0);
    Click(9054);
    EXPECT_EQ(Text(9034), Valued(-3e-3, "s"));
    EXPECT_EQ(List()->currentIndex(), 1);

    Click(9030);
    Posted p = Only();
    EXPECT_TRUE(p.Is(kTrackCursor, trk::kOn, 1));
    EXPECT_TRUE(p.AsBool());
    QTest::keyClick(List(), Qt::Key_Up);
    p = Only();
    EXPECT_TRUE(p.Is(kTrackCursor, trk::kSourceB));
    EXPECT_EQ(p.AsInt(), 0);
    Press(9036);
    Release(9036);
    p = Only();
    EXPECT_TRUE(p.Is(kTrackCursor, trk::kPosition, 1));
    EXPECT_FLOAT_EQ(p.AsFloat(), -3.02f);
    Click(9038);
    EXPECT_EQ(Only().AsFloat(), 0.0f);
}

TEST_F(TrackCursorTest, AlternationUsesTheSourceChannelsOwnTimebase) {
    live.nTrigMode = oxcmd::code::kAlternate;
    Publish();
    Click(9054);
    EXPECT_EQ(Text(9034), Valued(-3.0 * 20e-6, "s"));
    ClickClose();
    EXPECT_TRUE(Only().Is(oxcmd::group::kPanel, oxcmd::panel::kCloseTrackCursor));
}

TEST_F(ManualCursorTest, Paints) {
    live.bCurXOn = 1;
    Publish();
    Shot("manual-cursor");
}

TEST_F(TrackCursorTest, Paints) {
    live.bTrackOnA = 1;
    Publish();
    Shot("track-cursor");
}

} // namespace
