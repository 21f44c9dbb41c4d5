// The menu, context-menu and key rows: each posts exactly its commands through the queue,
// or shows its refusal; the menus' layout facts that a person relies on.
#include "actions_fixture.h"

#include "gauger.h"
#include "oxmenus.h"

#include <cctype>
#include <functional>
#include <map>
#include <string>

namespace actiontest {
namespace {

using namespace oxcmd;
using Commands = std::vector<std::pair<Group, Sub>>;

// The fixture's state: CH1 shown, CH2 hidden, Y-T, USB, nothing playing.
TEST_F(ActionTableTest, EveryMenuRowPostsExactlyItsCommands) {
    auto panel = [](Sub sub) { return Commands{{group::kPanel, sub}}; };
    std::vector<Expected> expected = {
        {ActionId::Run,
         {{group::kRunControl, run::kCheckLink},
          {group::kRunControl, run::kRun},
          {group::kTimebase, run::kRun}}},
        {ActionId::Stop, {{group::kRunControl, run::kStop}}},
        {ActionId::Single,
         {{group::kTrigger, trigger::kSweep},
          {group::kRunControl, run::kCheckLink},
          {group::kRunControl, run::kRun},
          {group::kTimebase, run::kRun}}},
        {ActionId::Auto, {{group::kRunControl, run::kAuto}}},
        {ActionId::Exit, {{group::kRunControl, run::kExit}}},
        {ActionId::Undo, {{group::kRunControl, run::kUndo}}},
        {ActionId::Redo, {{group::kRunControl, run::kRedo}}},
        {ActionId::LanConfig, panel(panel::kConnectDialog)},
        {ActionId::Connect, panel(panel::kLinkChoiceDialog)},
        {ActionId::AnalogDialog, panel(panel::kChannelDialog)},
        {ActionId::Ch1Dialog, panel(panel::kChannelDialog)},
        {ActionId::Ch2Dialog, panel(panel::kChannelDialog)},
        {ActionId::DigitalDialog, panel(panel::kLogicDialog)},
        {ActionId::MathDialog, panel(panel::kMathDialog)},
        {ActionId::ReferenceDialog, panel(panel::kReferenceDialog)},
        {ActionId::HorizontalDialog, panel(panel::kHorizontalDialog)},
        {ActionId::AcquireDialog, panel(panel::kAcquireDialog)},
        {ActionId::TriggerDialog, panel(panel::kTriggerDialog)},
        {ActionId::DisplayDialog, panel(panel::kDisplayDialog)},
        {ActionId::PassFailDialog, panel(panel::kMaskTestDialog)},
        {ActionId::RecordDialog, panel(panel::kRecordDialog)},
        {ActionId::CursorManual, panel(panel::kManualCursorDialog)},
        {ActionId::CursorTrack, panel(panel::kTrackCursorDialog)},
        {ActionId::CursorAuto, {{group::kCursorMode, cursormode::kAuto}}},
        {ActionId::CursorNone, {{group::kCursorMode, cursormode::kOff}}},
        {ActionId::ClearMeasure, {{group::kMeasure, measure::kClear}}},
        {ActionId::LoadDefault,
         {{group::kRunControl, run::kDefaultSetup}, {group::kRunControl, run::kRun}}},
        {ActionId::PopDefault,
         {{group::kRunControl, run::kDefaultSetup}, {group::kRunControl, run::kRun}}},
        {ActionId::Version, {{group::kRunControl, run::kShowError}}},
        {ActionId::Vector, {{group::kDisplay, display::kType}}},
        {ActionId::Grid, {{group::kDisplay, display::kGrid}}},
        {ActionId::Persistence, {{group::kDisplay, display::kPersist}}},
        {ActionId::ColorGrade, {{group::kDisplay, display::kColorGrade}}},
        {ActionId::ClearPersistence, {{group::kDisplay, display::kClearPersist}}},
        {ActionId::RealTime, {{group::kAcquire, acquire::kRealTime}}},
        {ActionId::EqualTime, {{group::kAcquire, acquire::kRealTime}}},
        {ActionId::AcqNormal, {{group::kAcquire, acquire::kType}}},
        {ActionId::AcqAverage, {{group::kAcquire, acquire::kType}}},
        {ActionId::AcqPeakDetect, {{group::kAcquire, acquire::kType}}},
    };
    for (int code = 1; code <= 20; ++code) {
        const auto id = static_cast<ActionId>(static_cast<int>(ActionId::MeasureVmax) + code - 1);
        expected.push_back({id, {{group::kMeasure, measure::kAdd}}});
    }
    ExpectEveryRowPosts(oxact::MenuRows(), expected);
    EXPECT_EQ(Press(ActionId::Ch2Dialog)[0].value, 1) << "Ctrl+2 opens the dialog on CH2";
    const auto single = Press(ActionId::Single);
    ASSERT_FALSE(single.empty());
    EXPECT_EQ(single[0].low, static_cast<std::uint32_t>(code::kSweepSingle)) << "the sweep SINGLE";
}

// The refusals, each in the state that causes it; the row posts nothing but the message.
TEST_F(ActionTableTest, RefusalsShowTheirTextAndPostNothingElse) {
    struct Case {
        const char* state;
        std::function<void(_OX_SETUP&)> set;
        std::vector<ActionId> ids;
        const char* text;
    };
    const auto playing = [](_OX_SETUP& s) { s.nRecordState = code::kPlaying; };
    const auto xy = [](_OX_SETUP& s) { s.nTimeFormat = code::kXY; };
    const auto lan = [](_OX_SETUP& s) { s.nInterface = code::kLan; };
    const Case cases[] = {
        {"playback",
         playing,
         {ActionId::Run, ActionId::Single, ActionId::LoadDefault, ActionId::PopDefault,
          ActionId::AnalogDialog, ActionId::Ch2Dialog, ActionId::DisplayDialog,
          ActionId::TriggerDialog, ActionId::CursorManual, ActionId::Connect},
         "Function not available"},
        {"playback", playing, {ActionId::Stop}, oxact::kStopDuringPlayback},
        {"X-Y",
         xy,
         {ActionId::CursorAuto, ActionId::CursorTrack},
         "Function not available at XY mode"},
        {"LAN", lan, {ActionId::LanConfig}, "This feature is available only in USB mode"},
        {"LAN", lan, {ActionId::PassFailDialog}, "Function not available at network mode"},
    };
    const auto fresh = std::make_unique<_OX_SETUP>(*setup_);
    for (const Case& c : cases) {
        *setup_ = *fresh;
        c.set(*setup_);
        for (ActionId id : c.ids) {
            SCOPED_TRACE(std::string(c.state) + ": " + oxact::Row(id).objectName);
            const auto posted = Press(id);
            ASSERT_EQ(posted.size(), 1u);
            ExpectCommand(posted[0], group::kRunControl, run::kShowError);
            EXPECT_STREQ(setup_->szSystemError, c.text);
        }
    }
}

// Only the opening of dialogs is refused during playback: the Record dialog, which stops
// the playback, opens, and the display settings still change.
TEST_F(ActionTableTest, PlaybackLetsTheRecordDialogAndTheSettingsThrough) {
    setup_->nRecordState = code::kPlaying;
    for (ActionId id : {ActionId::RecordDialog, ActionId::Persistence, ActionId::CursorNone}) {
        const auto posted = Press(id);
        ASSERT_EQ(posted.size(), 1u) << oxact::Row(id).objectName;
        EXPECT_NE(posted[0].sub, run::kShowError) << oxact::Row(id).objectName;
    }
}

TEST_F(ActionTableTest, MeasurementsGoToTheOneShownChannelOrWaitForTheChoice) {
    auto posted = Press(ActionId::MeasureRiseTime); // CH1 only
    ASSERT_EQ(posted.size(), 1u);
    ExpectCommand(posted[0], group::kMeasure, measure::kAdd, 0);
    EXPECT_EQ(posted[0].low, 13u);

    setup_->bChanDisplay[0] = 0;
    setup_->bChanDisplay[1] = 1;
    posted = Press(ActionId::MeasureVmax);
    ASSERT_EQ(posted.size(), 1u);
    ExpectCommand(posted[0], group::kMeasure, measure::kAdd, 1);
    EXPECT_EQ(posted[0].low, 1u);
    EXPECT_FALSE(oxact::MeasureAsksSource(*setup_));

    setup_->bChanDisplay[0] = 1; // both: the window asks first, the row posts nothing
    EXPECT_TRUE(oxact::MeasureAsksSource(*setup_));
    EXPECT_TRUE(Press(ActionId::MeasureDelayB).empty());
    ASSERT_TRUE(oxact::Perform(oxact::MeasurePlan(20, 1), nullptr));
    posted = Drain();
    ASSERT_EQ(posted.size(), 1u);
    EXPECT_EQ(posted[0].value, 1);
    EXPECT_EQ(posted[0].low, 20u);

    setup_->bChanDisplay[0] = setup_->bChanDisplay[1] = 0; // none: nothing to measure
    EXPECT_TRUE(Press(ActionId::MeasureVpp).empty());
    EXPECT_FALSE(oxact::MeasureAsksSource(*setup_));
    EXPECT_EQ(oxact::MeasureCode(ActionId::MeasureDelayB), 20);
    EXPECT_EQ(oxact::MeasureCode(ActionId::ClearMeasure), std::nullopt);
}

// Each context item posts the other state of its setting and shows the current one.
TEST_F(ActionTableTest, ContextItemsToggleTheirSettingAndCheckTheCurrentState) {
    struct Case {
        ActionId id;
        std::function<void(_OX_SETUP&, int)> set;
        int state;         // set before the press
        std::uint32_t arg; // what the press posts
        bool checked;
    };
    const auto type = [](_OX_SETUP& s, int v) { s.nDisplayType = v; };
    const auto grid = [](_OX_SETUP& s, int v) { s.nDisplayGrid = v; };
    const auto persist = [](_OX_SETUP& s, int v) { s.bDisplayPersist = std::uint8_t(v); };
    const auto grade = [](_OX_SETUP& s, int v) { s.bDisplayColorGrade = std::uint8_t(v); };
    const auto realTime = [](_OX_SETUP& s, int v) { s.bAcqRealTime = std::uint8_t(v); };
    const auto acqType = [](_OX_SETUP& s, int v) { s.nAcqType = v; };
    const Case cases[] = {
        {ActionId::Vector, type, code::kVectors, code::kDots, true},
        {ActionId::Vector, type, code::kDots, code::kVectors, false},
        {ActionId::Grid, grid, 0, 1, true},
        {ActionId::Grid, grid, 1, 0, false},
        {ActionId::Persistence, persist, 0, 1, false},
        {ActionId::Persistence, persist, 1, 0, true},
        {ActionId::ColorGrade, grade, 1, 0, true},
        {ActionId::RealTime, realTime, 0, 1, false},
        {ActionId::EqualTime, realTime, 1, 0, false},
        {ActionId::EqualTime, realTime, 0, 0, true},
        {ActionId::AcqAverage, acqType, code::kAcqNormal, code::kAcqAverage, false},
        {ActionId::AcqPeakDetect, acqType, code::kAcqPeakDetect, code::kAcqPeakDetect, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(oxact::Row(c.id).objectName) + " from " + std::to_string(c.state));
        c.set(*setup_, c.state);
        const auto posted = Press(c.id);
        ASSERT_EQ(posted.size(), 1u);
        EXPECT_EQ(posted[0].low & 0xFF, c.arg);
        EXPECT_EQ(oxact::Row(c.id).checked(*setup_), c.checked);
    }
}

TEST_F(ActionTableTest, CursorItemsCheckTheCurrentModeAndNoneNamesTheOpenDialog) {
    setup_->nCursorMode = code::kTrackCursors;
    EXPECT_TRUE(oxact::Row(ActionId::CursorTrack).checked(*setup_));
    EXPECT_FALSE(oxact::Row(ActionId::CursorAuto).checked(*setup_));
    const oxact::Plan none = oxact::Row(ActionId::CursorNone).plan(*setup_);
    ASSERT_EQ(none.count, 1);
    EXPECT_TRUE(none.posts[0].namesPanel);
}

TEST_F(ActionTableTest, VersionKeyShowsTheVersionText) {
    static_cast<void>(Press(ActionId::Version));
    EXPECT_STREQ(setup_->szSystemError, "02.01.05.00.00");
}

// Undo and redo are enabled by what the I/O thread published, not by the record's copy; a
// publication is new only when something in it changed.
TEST_F(ActionTableTest, UndoAndRedoAreEnabledByThePublishedSlotState) {
    oxacq::RecordView view;
    EXPECT_FALSE(oxact::EnabledInView(ActionId::Undo, view));
    EXPECT_FALSE(oxact::EnabledInView(ActionId::Redo, view));
    view.undoAvailable = true;
    EXPECT_TRUE(oxact::EnabledInView(ActionId::Undo, view));
    EXPECT_FALSE(oxact::EnabledInView(ActionId::Redo, view));
    EXPECT_TRUE(oxact::EnabledInView(ActionId::Run, view));

    oxacq::RecordSnapshot snapshot;
    setup_->stUndoSlot.dTimeScale = 1e-3; // filled, not used
    snapshot.Publish(*setup_, *region_);
    ASSERT_TRUE(snapshot.Refresh(view));
    EXPECT_TRUE(view.undoAvailable);
    EXPECT_FALSE(view.redoAvailable);

    snapshot.Publish(*setup_, *region_);
    EXPECT_FALSE(snapshot.Refresh(view)) << "the same records again: nothing new to refresh";
    setup_->stUndoSlot.dTimeScale = 0;
    snapshot.Publish(*setup_, *region_);
    ASSERT_TRUE(snapshot.Refresh(view)) << "a changed record is new";
    EXPECT_FALSE(view.undoAvailable);
    region_->bRedrawAll ^= 1;
    snapshot.Publish(*setup_, *region_);
    EXPECT_TRUE(snapshot.Refresh(view)) << "so is a changed region record";
}

// The letter after '&' of a caption (its text before the tab), lower case; 0 when none.
char Mnemonic(const char* caption) {
    const std::string text = std::string(caption).substr(0, std::string(caption).find('\t'));
    const std::size_t amp = text.find('&');
    if (amp == std::string::npos || amp + 1 >= text.size()) return 0;
    return static_cast<char>(std::tolower(static_cast<unsigned char>(text[amp + 1])));
}

TEST_F(ActionTableTest, MnemonicsAreUniqueWithinEachMenu) {
    std::map<std::string, std::set<std::string>> menus; // menu -> the captions of its items
    for (const char* title : oxact::kMenuBar)
        menus["menu bar"].insert(title);
    for (const oxact::ActionRow& row : oxact::ActionTable()) {
        if (row.menu == nullptr) continue;
        const oxact::MenuPlace place = oxact::PlaceOf(row.id);
        if (place.submenu == nullptr) {
            menus[row.menu].insert(row.caption);
            continue;
        }
        menus[row.menu].insert(place.submenu); // a submenu is one item of its menu
        menus[std::string(row.menu) + "/" + place.submenu].insert(row.caption);
    }
    for (const oxact::PopItem& item : oxact::PopMenu())
        menus["PopMenu"].insert(oxact::Row(item.id).caption);
    for (const auto& [menu, captions] : menus) {
        std::map<char, std::string> letters;
        for (const std::string& caption : captions) {
            const char letter = Mnemonic(caption.c_str());
            if (letter == 0) continue;
            const auto [it, fresh] = letters.emplace(letter, caption);
            EXPECT_TRUE(fresh) << menu << ": " << caption << " and " << it->second;
        }
    }
    EXPECT_EQ(Mnemonic("Re&do\tCtrl+Y"), 'd');
    EXPECT_EQ(menus.count("&Analyze/&Cursor"), 1u);
}

// The Analyze menu's measurement items read as the instrument's own menu does; the long names
// belong to the source dialog and the panel.
TEST_F(ActionTableTest, MeasurementItemsCarryTheMenuTexts) {
    const auto caption = [](int code) {
        return std::string(
            oxact::Row(static_cast<ActionId>(static_cast<int>(ActionId::MeasureVmax) + code - 1))
                .caption);
    };
    EXPECT_EQ(caption(1), "Vmax");
    EXPECT_EQ(caption(12), "Frequency");
    EXPECT_EQ(caption(15), "+Width");
    EXPECT_EQ(caption(18), "-Duty");
    EXPECT_EQ(caption(19), "DelayA 1->2");
    EXPECT_EQ(caption(20), "DelayB 1->2");
    EXPECT_STREQ(gauger::GetMeasureInfo(15)->name, "Positive Width");
}

} // namespace
} // namespace actiontest
