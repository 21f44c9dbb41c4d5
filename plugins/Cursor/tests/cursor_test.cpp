// The manual and track cursor dialogs: texts in the source's units, what each control posts.
#include "cursor.h"

#include "plugintest.h"

#include <QComboBox>
#include <QTest>

namespace {

using namespace oxbow::plugintest;
namespace cmd = oxcmd::cmd;

class CursorTest : public PluginTest {
protected:
    template <class Id> QComboBox* List(Id id) { return qobject_cast<QComboBox*>(Control(id)); }
    oxbow::ui::CPluginDlg* dialog = nullptr;
};

class ManualCursorTest : public CursorTest {
protected:
    using Id = ManualCursorId;
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
    EXPECT_EQ(List(Id::Source)->count(), 7);
    EXPECT_EQ(Text(Id::A), "2.50ms");
    EXPECT_EQ(Text(Id::B), "-1.00ms");
    live.bDelayed = 1;
    Publish();
    EXPECT_EQ(Text(Id::A), "250µs"); // as the screen shows it
}

TEST_F(ManualCursorTest, EntryIsInUnitsAndPostsDivisions) {
    AnswerEntry(1e-3);
    Click(Id::A);
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_DOUBLE_EQ(entries[0].current, 2.5e-3);
    EXPECT_EQ(entries[0].entry.digits, 3);
    EXPECT_EQ(entries[0].entry.decimals, -1);
    EXPECT_EQ(entries[0].entry.finest, 0);
    Posted p = Only();
    EXPECT_TRUE(p.Is(cmd::manualcursor::kXPosition, oxcmd::code::kCursorA));
    EXPECT_FLOAT_EQ(p.Arg(cmd::manualcursor::kXPosition), 1.0f);
    EXPECT_EQ(Text(Id::A), "1.00ms");

    Click(Id::BZero);
    p = Only();
    EXPECT_TRUE(p.Is(cmd::manualcursor::kXPosition, oxcmd::code::kCursorB));
    EXPECT_EQ(p.Arg(cmd::manualcursor::kXPosition), 0.0f);

    Press(Id::AUp);
    Release(Id::AUp);
    p = Only();
    EXPECT_TRUE(p.Is(cmd::manualcursor::kXPosition, oxcmd::code::kCursorA));
    EXPECT_FLOAT_EQ(p.Arg(cmd::manualcursor::kXPosition), 1.02f);
}

TEST_F(ManualCursorTest, TheYPageStepsOnePixelOfTheWindowItsSourceIsDrawnIn) {
    Click(Id::YTab);
    EXPECT_EQ(dialog->Page(), 1);
    EXPECT_EQ(List(Id::Source)->count(), 6);
    EXPECT_EQ(Text(Id::A), "1.00V");
    Press(Id::AUp);
    Release(Id::AUp);
    Posted p = Only();
    EXPECT_TRUE(p.Is(cmd::manualcursor::kYPosition, oxcmd::code::kCursorA));
    EXPECT_FLOAT_EQ(p.Arg(cmd::manualcursor::kYPosition), 1.02f); // 8 divisions on 400 pixels

    live.bDelayed = 1; // the lower window: 280 pixels
    Publish();
    Press(Id::ADown);
    Release(Id::ADown);
    EXPECT_NEAR(Only().Arg(cmd::manualcursor::kYPosition), 1.02 - 8.0 / 280, 1e-6);

    Click(Id::On);
    p = Only();
    EXPECT_TRUE(p.Is(cmd::manualcursor::kYOn));
    EXPECT_TRUE(p.Arg(cmd::manualcursor::kYOn));
    EXPECT_TRUE(Checked(Id::On));
}

TEST_F(ManualCursorTest, ChoosingASourcePostsIt) {
    QTest::keyClick(List(Id::Source), Qt::Key_Down);
    const Posted p = Only();
    EXPECT_TRUE(p.Is(cmd::manualcursor::kXSource));
    EXPECT_EQ(p.Arg(cmd::manualcursor::kXSource), 1);
    EXPECT_EQ(List(Id::Source)->currentIndex(), 1);
    EXPECT_EQ(Text(Id::A), "2.50ms"); // CH2 shares the main timebase
}

TEST_F(ManualCursorTest, InXYFormatEachPageMeasuresOneChannelsLevel) {
    live.nTimeFormat = oxcmd::code::kXY;
    Publish();
    ASSERT_EQ(List(Id::Source)->count(), 1);
    EXPECT_EQ(List(Id::Source)->itemText(0), "CH1");
    EXPECT_EQ(Text(Id::A), "2.50V");
    QTest::keyClick(List(Id::Source), Qt::Key_Down);
    EXPECT_TRUE(Drain().empty());
    Click(Id::YTab);
    EXPECT_EQ(List(Id::Source)->itemText(0), "CH2");
    EXPECT_EQ(Text(Id::A), "500mV"); // 1 division at 0.5 V/div
}

TEST_F(ManualCursorTest, SpectrumCursorsShowFrequenciesWithinTheShownBand) {
    live.nMathOperator[0] = oxcmd::code::kFFT;
    live.dFFTHorizScale[0] = 1000;
    live.nTraceZoomIndex[0] = 4; // 10 divisions
    live.nCurXSource = 2;
    Publish();
    EXPECT_EQ(Text(Id::A), "2.50KHz");  // from the band's start, offset 0 included
    EXPECT_EQ(Text(Id::B), "??.???Hz"); // before the band
    live.dFFTHorizOffset[0] = 2000;
    Publish();
    EXPECT_EQ(Text(Id::A), "4.50KHz");
    AnswerEntry(6000);
    Click(Id::A);
    EXPECT_DOUBLE_EQ(entries.at(0).current, 4500);
    EXPECT_FLOAT_EQ(Only().Arg(cmd::manualcursor::kXPosition), 4.0f); // 4 divisions in
    live.fCurXA = 8.5f;
    Publish();
    EXPECT_EQ(Text(Id::A), "??.???Hz"); // past the band's 10 divisions
}

TEST_F(ManualCursorTest, ASourceWithoutScaleShowsNoValueAndRefusesEntry) {
    live.nCurXSource = 6; // the logic analyzer, not shown
    Publish();
    EXPECT_EQ(Text(Id::A), "??.???s");
    Click(Id::A);
    EXPECT_TRUE(entries.empty());
    EXPECT_TRUE(Drain().empty());
}

TEST_F(ManualCursorTest, Paints) {
    live.bCurXOn = 1;
    Publish();
    Painted();
}

class TrackCursorTest : public CursorTest {
protected:
    using Id = TrackCursorId;
    void SetUp() override {
        PluginTest::SetUp();
        live.fTrackA = 1.5f;
        live.fTrackB = -3.0f;
        live.nTrackSourceB = 1;
        dialog = Open(ShowTrackCurDlg);
    }
};

TEST_F(TrackCursorTest, EachPageShowsAndPostsItsOwnCursor) {
    EXPECT_EQ(Text(Id::Cursor), "1.50ms");
    EXPECT_EQ(List(Id::Source)->currentIndex(), 0);
    Click(Id::BTab);
    EXPECT_EQ(Text(Id::Cursor), "-3.00ms");
    EXPECT_EQ(List(Id::Source)->currentIndex(), 1);

    Click(Id::On);
    Posted p = Only();
    EXPECT_TRUE(p.Is(cmd::trackcursor::kOn, oxcmd::code::kCursorB));
    EXPECT_TRUE(p.Arg(cmd::trackcursor::kOn));
    QTest::keyClick(List(Id::Source), Qt::Key_Up);
    p = Only();
    EXPECT_TRUE(p.Is(cmd::trackcursor::kSourceB));
    EXPECT_EQ(p.Arg(cmd::trackcursor::kSourceB), 0);
    Press(Id::Down);
    Release(Id::Down);
    p = Only();
    EXPECT_TRUE(p.Is(cmd::trackcursor::kPosition, oxcmd::code::kCursorB));
    EXPECT_FLOAT_EQ(p.Arg(cmd::trackcursor::kPosition), -3.02f);
    Click(Id::Zero);
    EXPECT_EQ(Only().Arg(cmd::trackcursor::kPosition), 0.0f);
}

TEST_F(TrackCursorTest, AlternationUsesTheSourceChannelsOwnTimebase) {
    live.nTrigMode = oxcmd::code::kAlternate;
    Publish();
    Click(Id::BTab);
    EXPECT_EQ(Text(Id::Cursor), "-60.0µs");
}

TEST_F(TrackCursorTest, Paints) {
    live.bTrackOnA = 1;
    Publish();
    Painted();
}

} // namespace
