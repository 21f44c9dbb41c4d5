// The mouse on the scope picture, checked through the queue: which marker a press finds,
// what a drag, a double click, a wheel notch and a zoom box post, how moves are paced,
// and the highlight requests.
#include "actions_fixture.h"
#include "ox_geometry.h"
#include "oxmouse.h"
#include "oxtriglevel.h"

#include <cstring>
#include <vector>

namespace actiontest {
namespace {

using oxmouse::Button;
using oxmouse::Keys;
using oxmouse::Marker;
using oxmouse::MarkerKind;

constexpr oxcmd::Group kMoreGroups[] = {group::kMath, group::kReference, group::kTrigger,
                                        group::kLogic, group::kDrag};
constexpr Marker kCh1{MarkerKind::Trace, 0, 0};
constexpr Marker kCh2{MarkerKind::Trace, 0, 1};

class MouseTest : public ActionTableTest {
protected:
    void SetUp() override {
        ActionTableTest::SetUp();
        for (oxcmd::Group g : kMoreGroups) {
            OxSetIOCmdHandler(g, [this, g](IOCmdContext& context, unsigned int sub, long value,
                                           std::uint32_t low, std::uint32_t high) {
                context.send = false;
                posted_.push_back({g, sub, value, low, high});
            });
        }
        // The program's layout: 700 x 400 from (16, 9), two regions of 192 rows.
        region_->rcMain = {16, 9, 716, 409};
        region_->rcUpper = {16, 9, 716, 201};
        region_->rcLower = {16, 217, 716, 409};
        region_->rcFFTTime = region_->rcUpper;
        setup_->fChanProbe[0] = setup_->fChanProbe[1] = 1;
        setup_->dDelayedScale = 1e-7;
    }
    void TearDown() override {
        ActionTableTest::TearDown();
        for (oxcmd::Group g : kMoreGroups)
            OxSetIOCmdHandler(g, {});
    }
    // The window's copy of the records, its marker points rebuilt from the setup.
    const oxacq::RecordView& View() {
        RebuildRgnSetup();
        view_.setup = *setup_;
        view_.region = *region_;
        return view_;
    }
    OX_POINT MarkerPoint(const Marker& m) {
        const auto area = oxmouse::HitArea(View(), m);
        EXPECT_TRUE(area.has_value());
        if (!area) return {};
        return {(area->left + area->right) / 2, (area->top + area->bottom) / 2};
    }
    std::vector<Posted> Drag(const Marker& m, int dx, int dy) {
        const OX_POINT at = MarkerPoint(m);
        mouse_.Press(View(), at, Button::Left, {});
        mouse_.Move(View(), {at.x + dx, at.y + dy});
        mouse_.Release(View(), {at.x + dx, at.y + dy}, Button::Left);
        return Drain();
    }
    static void ExpectUndoThen(const std::vector<Posted>& posted, oxcmd::Group g, oxcmd::Sub sub,
                               long value) {
        ASSERT_EQ(posted.size(), 2u);
        ExpectCommand(posted[0], group::kRunControl, oxcmd::run::kSaveUndo);
        ExpectCommand(posted[1], g, sub, value);
    }

    oxacq::AcqRequests requests_;
    std::vector<bool> timer_; // highlight timer starts (true) and stops (false)
    oxmouse::ScopeMouse mouse_{requests_, [this](bool start) { timer_.push_back(start); }};
    oxacq::RecordView view_;
};

TEST_F(MouseTest, DraggingTheCh1GroundMarker50PixelsDownPostsAnOffsetOfOneDivision) {
    const auto posted = Drag(kCh1, 0, 50);
    ExpectUndoThen(posted, group::kChannel, oxcmd::channel::kOffset, 0);
    EXPECT_FLOAT_EQ(AsFloat(posted[1]), -1.0f); // 1 V/div
}

TEST_F(MouseTest, MovesWhileACommandWaitsAreCoalescedIntoTheLatestValue) {
    setup_->bChanDisplay[1] = 1;
    setup_->nActiveChannel = 1;
    const OX_POINT at = MarkerPoint(kCh2);
    mouse_.Press(View(), at, Button::Left, {});
    for (int dy : {-5, -10, -10, -25, -50})
        mouse_.Move(View(), {at.x, at.y + dy});
    const auto posted = Drain();
    ExpectUndoThen(posted, group::kChannel, oxcmd::channel::kOffset, 1);
    EXPECT_FLOAT_EQ(AsFloat(posted[1]), 0.1f); // CH2 at 0.1 V/div, one division up
    // Back where it already is: nothing more; a new value goes straight out, no second undo.
    mouse_.Move(View(), {at.x, at.y - 50});
    EXPECT_TRUE(Drain().empty());
    mouse_.Move(View(), {at.x, at.y - 25});
    const auto more = Drain();
    ASSERT_EQ(more.size(), 1u);
    EXPECT_FLOAT_EQ(AsFloat(more[0]), 0.05f);
}

TEST_F(MouseTest, EachMarkerKindPostsItsOwnSetting) {
    struct Case {
        const char* what;
        void (*arrange)(_OX_SETUP&);
        Marker marker;
        int dx, dy;
        oxcmd::Group group;
        oxcmd::Sub sub;
        long value;
        double argument;
    };
    namespace tb = oxcmd::timebase;
    namespace trig = oxcmd::trigger;
    const Case cases[] = {
        {"math trace",
         [](_OX_SETUP& s) { s.bChanDisplay[0] = 0, s.bTraceShown[0] = 1, s.fMathScale[0] = 2; },
         {MarkerKind::Trace, 0, 2},
         0,
         -25,
         group::kMath,
         oxcmd::math::kOffset,
         0,
         1.0},
        {"reference",
         [](_OX_SETUP& s) { s.bChanDisplay[0] = 0, s.bRefDisplay[1] = 1, s.fRefScale[1] = 0.5f; },
         {MarkerKind::Trace, 0, 7},
         0,
         100,
         group::kReference,
         oxcmd::reference::kVertOffset,
         1,
         -1.0},
        {"edge level on CH1",
         [](_OX_SETUP& s) { s.fEdgeLevel = 0.5f; },
         {MarkerKind::TrigLevel, 0, 0},
         0,
         -50,
         group::kTrigger,
         trig::kEdgeLevel,
         0,
         1.5},
        {"alternate pulse level of CH2",
         [](_OX_SETUP& s) { s.nTrigMode = 4, s.nAltType[1] = 1, s.bChanDisplay[1] = 1; },
         {MarkerKind::TrigLevel, 1, 0},
         0,
         -24,
         group::kTrigger,
         trig::kAltPulseLevel,
         1,
         0.1},
        {"trigger position",
         [](_OX_SETUP&) {},
         {MarkerKind::TrigPos, 0, 0},
         100,
         0,
         group::kTimebase,
         tb::kMainOffset,
         0,
         -2e-6},
        {"delayed trigger position",
         [](_OX_SETUP& s) { s.bDelayed = 1; },
         {MarkerKind::TrigPos, 1, 0},
         -50,
         0,
         group::kTimebase,
         tb::kDelayedOffset,
         0,
         1e-7},
        {"delayed window",
         [](_OX_SETUP& s) { s.bDelayed = 1, s.fEdgeLevel = 2; },
         {MarkerKind::Delayed, 0, 0},
         50,
         0,
         group::kTimebase,
         tb::kDelayedOffset,
         0,
         1e-6},
        {"alternate position of CH2",
         [](_OX_SETUP& s) { s.nTrigMode = 4, s.dAltTimeScale[1] = 1e-3; },
         {MarkerKind::TrigPos, 1, 0},
         -25,
         0,
         group::kTimebase,
         tb::kAltOffset,
         1,
         5e-4},
    };
    const auto fresh = std::make_unique<_OX_SETUP>(*setup_);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        *setup_ = *fresh;
        c.arrange(*setup_);
        const auto posted = Drag(c.marker, c.dx, c.dy);
        ExpectUndoThen(posted, c.group, c.sub, c.value);
        if (posted.size() == 2) {
            const bool isDouble = c.group == group::kTimebase;
            EXPECT_NEAR(isDouble ? AsDouble(posted[1]) : AsFloat(posted[1]), c.argument,
                        isDouble ? 1e-15 : 1e-6);
        }
    }
}

TEST_F(MouseTest, TheActiveTraceWinsWhereMarkersOverlapThenTheOrderHolds) {
    setup_->bChanDisplay[1] = 1; // both grounds at 0 V: the same point
    setup_->bTraceShown[2] = 1;  // MATH3 there too
    const OX_POINT ground = MarkerPoint(kCh1);
    EXPECT_EQ(oxmouse::MarkerAt(View(), ground), kCh1);
    setup_->nActiveChannel = 1;
    EXPECT_EQ(oxmouse::MarkerAt(View(), ground), kCh2);
    setup_->nActiveChannel = 7;
    EXPECT_EQ(oxmouse::MarkerAt(View(), ground), (Marker{MarkerKind::Trace, 0, 4}));
    setup_->nActiveChannel = 9;
    EXPECT_EQ(oxmouse::MarkerAt(View(), ground), kCh1);
    // The level line shares the ground's row: in the margin the ground wins, on the graticule
    // the level; the delayed window is found only where nothing else is.
    EXPECT_EQ(oxmouse::MarkerAt(View(), {300, ground.y}).kind, MarkerKind::TrigLevel);
    setup_->bDelayed = 1;
    const OX_RECT box = View().region.rcDelayed;
    EXPECT_EQ(oxmouse::MarkerAt(View(), {box.left, 150}).kind, MarkerKind::Delayed);
    EXPECT_EQ(oxmouse::MarkerAt(View(), {box.left - 20, 150}).kind, MarkerKind::None);
}

TEST_F(MouseTest, HitAreasFollowWhatIsDrawn) {
    // A hidden trace has no marker; an off-screen ground is found at the edge it points past.
    EXPECT_FALSE(oxmouse::HitArea(View(), kCh2).has_value());
    setup_->fChanOffset[0] = 10; // ten divisions up
    EXPECT_EQ(oxmouse::MarkerAt(View(), {10, 15}), kCh1);
    // EXT as the edge source, a pattern trigger, X-Y: no level marker to take.
    setup_->fChanOffset[0] = 0;
    for (auto arrange :
         {+[](_OX_SETUP& s) { s.nEdgeSource = 2; }, +[](_OX_SETUP& s) { s.nTrigMode = 5; },
          +[](_OX_SETUP& s) { s.nTimeFormat = 1; }}) {
        _OX_SETUP kept = *setup_;
        arrange(*setup_);
        EXPECT_FALSE(oxmouse::HitArea(View(), {MarkerKind::TrigLevel, 0, 0}).has_value());
        *setup_ = kept;
    }
    // A trigger position far left is drawn, and found, at the left edge.
    setup_->dTimeOffset = 1;
    EXPECT_EQ(oxmouse::MarkerAt(View(), {24, 18}).kind, MarkerKind::TrigPos);
}

TEST_F(MouseTest, DoubleClickResetsTheOffsetOfTheTraceWhoseMarkerWasHit) {
    setup_->bChanDisplay[1] = 1;
    setup_->fChanOffset[1] = 0.2f; // two divisions up, apart from CH1
    setup_->bTraceShown[1] = 1;
    setup_->fMathScale[1] = 1;
    setup_->fMathOffset[1] = -2;
    setup_->bRefDisplay[3] = 1;
    setup_->fRefScale[3] = 1;
    setup_->fRefOffset[3] = 3;
    setup_->nActiveChannel = 4; // the analyzer: never a channel index
    struct Case {
        Marker marker;
        oxcmd::Group group;
        oxcmd::Sub sub;
        long value;
    };
    const Case cases[] = {
        {kCh2, group::kChannel, oxcmd::channel::kOffset, 1},
        {kCh1, group::kChannel, oxcmd::channel::kOffset, 0},
        {{MarkerKind::Trace, 0, 3}, group::kMath, oxcmd::math::kOffset, 1},
        {{MarkerKind::Trace, 0, 9}, group::kReference, oxcmd::reference::kVertOffset, 3},
        // An FFT trace's ground is its FFT offset, in the unit it is shown in.
        {{MarkerKind::Trace, 0, 4}, group::kMath, oxcmd::math::kFFTVrmsOffset, 2},
        {{MarkerKind::Trace, 0, 5}, group::kMath, oxcmd::math::kFFTdBVrmsOffset, 3},
    };
    for (int k : {2, 3}) {
        setup_->bTraceShown[k] = 1;
        setup_->nMathOperator[k] = oxcmd::code::kFFT;
        setup_->nFFTVrmsScaleIndex[k] = 4;
    }
    setup_->fFFTVrmsOffset[2] = -3; // grounds apart from the others
    setup_->nFFTUnit[3] = oxcmd::code::kdBVrms;
    setup_->fFFTdBVrmsScale[3] = 10;
    setup_->fFFTdBVrmsOffset[3] = 25;
    for (const Case& c : cases) {
        mouse_.DoubleClick(View(), MarkerPoint(c.marker), Button::Left);
        const auto posted = Drain();
        ExpectUndoThen(posted, c.group, c.sub, c.value);
        if (posted.size() == 2) {
            EXPECT_EQ(AsFloat(posted[1]), 0.0f);
        }
    }
    mouse_.DoubleClick(View(), MarkerPoint({MarkerKind::TrigPos, 0, 0}), Button::Left);
    mouse_.DoubleClick(View(), {400, 300}, Button::Left);
    EXPECT_TRUE(Drain().empty());
}

TEST_F(MouseTest, MarkersRefuseDuringPlaybackAndTimeMarkersWhileRolling) {
    setup_->nRecordState = oxcmd::code::kPlaying;
    EXPECT_TRUE(Drag(kCh1, 0, 50).size() == 1);
    EXPECT_STREQ(setup_->szSystemError, "Function not available");
    setup_->nRecordState = 0;
    setup_->nTimeFormat = oxcmd::code::kRolling;
    const auto posted = Drag({MarkerKind::TrigPos, 0, 0}, -50, 0);
    ASSERT_EQ(posted.size(), 1u);
    ExpectCommand(posted[0], group::kRunControl, oxcmd::run::kShowError);
    EXPECT_STREQ(setup_->szSystemError, "Function not available at rolling mode");
    ExpectUndoThen(Drag(kCh1, 0, 50), group::kChannel, oxcmd::channel::kOffset, 0);
}

TEST_F(MouseTest, WheelStepsAPixelOrWithShiftADivisionFromWhereTheRunBegan) {
    const OX_POINT at = MarkerPoint(kCh1);
    mouse_.Wheel(View(), at, 1, {}, 1000);
    mouse_.Wheel(View(), at, 2, {}, 1200); // the copy has not caught up: counted from the start
    auto posted = Drain();
    ExpectUndoThen(posted, group::kChannel, oxcmd::channel::kOffset, 0);
    EXPECT_FLOAT_EQ(AsFloat(posted[1]), 0.06f); // three pixels of 50 per division
    mouse_.Wheel(View(), at, 1, {}, 1300);
    posted = Drain();
    ASSERT_EQ(posted.size(), 1u); // the same run: no second undo
    EXPECT_FLOAT_EQ(AsFloat(posted[0]), 0.08f);
    mouse_.Wheel(View(), at, -1, {true, false}, 1400);
    posted = Drain();
    ExpectUndoThen(posted, group::kChannel, oxcmd::channel::kOffset, 0);
    EXPECT_FLOAT_EQ(AsFloat(posted[1]), -1.0f);
    mouse_.Wheel(View(), {400, 300}, 1, {}, 1500); // the graticule: nothing
    EXPECT_TRUE(Drain().empty());
}

TEST_F(MouseTest, ZoomBoxPostsItsWindowTheUndoSlotAndThePackedBox) {
    mouse_.Press(View(), {541, 213}, Button::Middle, {});
    mouse_.Move(View(), {191, 113});
    ASSERT_TRUE(mouse_.ZoomShown().has_value());
    EXPECT_EQ(mouse_.ZoomShown()->left, 191);
    mouse_.Release(View(), {191, 113}, Button::Middle);
    EXPECT_FALSE(mouse_.ZoomShown().has_value());
    auto posted = Drain();
    ASSERT_EQ(posted.size(), 3u);
    ExpectCommand(posted[0], group::kDrag, oxcmd::drag::kSetWindow, 0);
    ExpectCommand(posted[1], group::kRunControl, oxcmd::run::kSaveUndo);
    ExpectCommand(posted[2], group::kDrag, oxcmd::drag::kActiveChannel, 0);
    EXPECT_EQ(posted[2].low, 191u | 113u << 16);
    EXPECT_EQ(posted[2].high, 541u | 213u << 16);

    // Shift + left with Ctrl in the delayed window: both channels, window 2, the box kept
    // inside the window.
    setup_->bDelayed = 1;
    mouse_.Press(View(), {100, 300}, Button::Left, {true, true});
    mouse_.Release(View(), {200, 500}, Button::Left);
    posted = Drain();
    ASSERT_EQ(posted.size(), 3u);
    ExpectCommand(posted[0], group::kDrag, oxcmd::drag::kSetWindow, 2);
    ExpectCommand(posted[2], group::kDrag, oxcmd::drag::kBothChannels, 0);
    EXPECT_EQ(posted[2].high, 200u | 409u << 16);
}

TEST_F(MouseTest, ASecondButtonDuringADragChangesNothingAndCancelEndsTheGesture) {
    const OX_POINT at = MarkerPoint(kCh1);
    mouse_.Press(View(), at, Button::Left, {});
    mouse_.Press(View(), {300, 200}, Button::Middle, {});
    EXPECT_FALSE(mouse_.ZoomShown().has_value());
    EXPECT_TRUE(mouse_.Dragging());
    mouse_.Cancel();
    mouse_.Move(View(), {at.x, at.y + 50});
    EXPECT_TRUE(Drain().empty());
}

TEST_F(MouseTest, ZoomIsRefusedInXYAndAClickDrawsNoBox) {
    mouse_.Press(View(), {300, 200}, Button::Middle, {});
    mouse_.Release(View(), {301, 200}, Button::Middle);
    EXPECT_TRUE(Drain().empty());
    setup_->nTimeFormat = oxcmd::code::kXY;
    mouse_.Press(View(), {100, 100}, Button::Middle, {});
    mouse_.Release(View(), {300, 300}, Button::Middle);
    const auto posted = Drain();
    ASSERT_EQ(posted.size(), 1u);
    EXPECT_STREQ(setup_->szSystemError, "Function not available at XY mode");
}

TEST_F(MouseTest, HighlightFollowsThePointerAndLingersOnlyAfterADrag) {
    const OX_POINT at = MarkerPoint(kCh1);
    mouse_.Move(View(), at);
    EXPECT_EQ(requests_.markerHighlight.exchange(oxacq::kNoHighlightRequest),
              oxmouse::MarkerCode(kCh1));
    mouse_.Move(View(), {400, 300}); // left without a drag: off at once
    EXPECT_TRUE(requests_.markerHighlightOff.exchange(false));
    EXPECT_TRUE(timer_.empty() || !timer_.back());

    Drag(kCh1, 0, 30);
    mouse_.Move(View(), {400, 300}); // left after a drag: timer 1 ends it
    EXPECT_FALSE(requests_.markerHighlightOff.load());
    ASSERT_FALSE(timer_.empty());
    EXPECT_TRUE(timer_.back());
    mouse_.Move(View(), MarkerPoint(kCh1)); // back on a marker: the timer stops
    EXPECT_FALSE(timer_.back());
    EXPECT_EQ(requests_.markerHighlight.load(), oxmouse::MarkerCode(kCh1));
}

// The analyzer's lines are in the press search: first when the analyzer is the active trace,
// after the trace markers otherwise. Taking one moves nothing (the lines have fixed places).
TEST_F(MouseTest, ThePressSearchTakesTheAnalyzersLines) {
    setup_->bLaEnable = 1;
    setup_->bLaChannel[7] = 1;
    setup_->bLaChannel[12] = 1;
    const Marker d7{MarkerKind::LaLine, 0, 7};
    const OX_POINT line = View().region.ptLa[0][7];
    setup_->fChanOffset[0] = static_cast<float>(209 - line.y) / 50.0f; // CH1 there too
    const OX_POINT both{8, line.y - 2};
    ASSERT_EQ(oxmouse::MarkerAt(View(), both), kCh1);
    setup_->nActiveChannel = oxcmd::code::kActiveLogic;
    EXPECT_EQ(oxmouse::MarkerAt(View(), both), d7);
    EXPECT_EQ(oxmouse::MarkerAt(View(), MarkerPoint({MarkerKind::LaLine, 0, 12})),
              (Marker{MarkerKind::LaLine, 0, 12}));
    EXPECT_TRUE(Drag(d7, 0, 40).empty()) << "an analyzer line has no setting to move";
    EXPECT_EQ(requests_.markerHighlight.load(), oxmouse::MarkerCode(d7));
    setup_->bLaChannel[12] = 0;
    EXPECT_FALSE(oxmouse::HitArea(View(), {MarkerKind::LaLine, 0, 12}).has_value());
    setup_->bLaEnable = 0;
    EXPECT_FALSE(oxmouse::HitArea(View(), d7).has_value());
}

TEST_F(MouseTest, MarkerCodesRoundTrip) {
    for (const Marker m :
         {kCh1, Marker{MarkerKind::Trace, 1, 9}, Marker{MarkerKind::TrigLevel, 1, 0},
          Marker{MarkerKind::TrigPos, 0, 0}, Marker{MarkerKind::Delayed, 0, 0},
          Marker{MarkerKind::LaLine, 0, 0}, Marker{MarkerKind::LaLine, 1, 15}})
        EXPECT_EQ(oxmouse::MarkerFromCode(oxmouse::MarkerCode(m)), m);
    EXPECT_EQ(oxmouse::MarkerCode({}), -1);
    EXPECT_FALSE(oxmouse::MarkerFromCode(-1).Found());
    EXPECT_FALSE(oxmouse::MarkerFromCode(15).Found());
}

TEST(TrigLevelOf, EachTriggerTypeNamesItsLevelCommand) {
    auto s = std::make_unique<_OX_SETUP>();
    std::memset(s.get(), 0, sizeof *s);
    namespace trig = oxcmd::cmd::trigger;
    struct Case {
        std::int32_t mode, altType;
        oxcmd::Command<float> command;
        long value;
    };
    const Case cases[] = {
        {0, 0, trig::kEdgeLevel, 0},           {1, 0, trig::kPulseLevel, 0},
        {2, 0, trig::kSlopeLevelA, 0},         {3, 0, trig::kVideoLevel, 0},
        {4, 0, trig::kAltEdgeLevel, 1},        {4, 1, trig::kAltPulseLevel, 1},
        {4, 2, trig::kAltSlopeLevelA, 1},      {4, 3, trig::kAltVideoLevel, 1},
        {5, 0, cmd::logic::kUserThreshold, 0}, {6, 0, cmd::logic::kUserThreshold, 0},
    };
    s->nAltSource = 1;
    for (const Case& c : cases) {
        s->nTrigMode = c.mode;
        s->nAltType[1] = c.altType;
        const oxact::TrigLevelTarget t = oxact::TrigLevelOf(*s);
        EXPECT_EQ(oxcmd::AnyCommand(t.command), oxcmd::AnyCommand(c.command))
            << c.mode << "/" << c.altType;
        EXPECT_EQ(t.value, c.value) << c.mode << "/" << c.altType;
        EXPECT_EQ(t.analyzerThreshold, c.mode >= 5);
    }
}

} // namespace
} // namespace actiontest
