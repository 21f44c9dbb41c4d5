// The panel's value fields: an entered value and a wheel notch post exactly the field's
// command through the queue; the trigger level follows the trigger type; refusals.
#include "actions_fixture.h"

#include "oxfields.h"

#include <cmath>
#include <cstring>

namespace actiontest {
namespace {

using oxfield::FieldId;
using oxfield::Notch;

constexpr Notch kUp{true, false};
constexpr Notch kDown{false, false};
constexpr Notch kCoarseUp{true, true};

// A typed command and the value it is posted with.
struct Command {
    oxcmd::AnyCommand command;
    long value = 0;
};

class FieldTest : public ActionTableTest {
protected:
    void SetUp() override {
        ActionTableTest::SetUp();
        setup_->bLaInstalled = 1;
        std::strcpy(setup_->szChanUnit[0], "V");
        std::strcpy(setup_->szChanUnit[1], "V");
        region_->rcMain = {16, 9, 716, 409}; // 700 x 400: 50 pixels a division
    }
    std::vector<Posted> Perform(const oxact::Plan& plan) {
        EXPECT_TRUE(oxact::Perform(plan, nullptr));
        return Drain();
    }
    std::vector<Posted> Enter(FieldId id, double value, bool saveUndo = true) {
        return Perform(oxfield::EntryPlan(oxfield::Field(id), *setup_, value, saveUndo));
    }
    std::vector<Posted> Roll(FieldId id, Notch notch) {
        return Perform(oxfield::WheelPlan(oxfield::Field(id), *setup_, *region_, notch, false));
    }
    double Stepped(FieldId id, Notch notch) {
        return oxfield::SteppedValue(oxfield::Field(id), *setup_, *region_, notch);
    }
    static void ExpectPost(const Posted& p, const Command& c, double argument) {
        EXPECT_EQ(p.group, c.command.group);
        EXPECT_EQ(p.sub, c.command.sub);
        EXPECT_EQ(p.value, c.value);
        const double got = c.command.type == oxcmd::ArgType::Float ? AsFloat(p) : AsDouble(p);
        EXPECT_NEAR(got, argument, std::abs(argument) * 1e-6);
    }
    void ExpectRefused(const std::vector<Posted>& posted, const char* text) {
        ASSERT_EQ(posted.size(), 1u);
        EXPECT_EQ(posted[0].sub, oxcmd::run::kShowError);
        EXPECT_STREQ(setup_->szSystemError, text);
    }
};

TEST_F(FieldTest, EveryFieldPostsItsCommandAfterTheUndoSlotOncePerEntry) {
    namespace g = oxcmd::group;
    using namespace oxcmd;
    struct Case {
        FieldId id;
        Command command;
        double entered;
    };
    const Case cases[] = {
        {FieldId::Ch1Scale, {cmd::channel::kScale, 0}, 0.2},
        {FieldId::Ch2Scale, {cmd::channel::kScale, 1}, 5},
        {FieldId::Ch1Offset, {cmd::channel::kOffset, 0}, -0.35},
        {FieldId::Ch2Offset, {cmd::channel::kOffset, 1}, 1.5},
        {FieldId::TimeScale, {cmd::timebase::kMainScale, 0}, 2e-5},
        {FieldId::TimeOffset, {cmd::timebase::kMainOffset, 0}, -3e-6},
        {FieldId::TrigLevel, {cmd::trigger::kEdgeLevel, 0}, 0.25},
    };
    std::set<FieldId> covered;
    for (const Case& c : cases) {
        SCOPED_TRACE(oxfield::Field(c.id).objectName);
        auto posted = Enter(c.id, c.entered);
        ASSERT_EQ(posted.size(), 2u);
        ExpectCommand(posted[0], g::kRunControl, run::kSaveUndo);
        ExpectPost(posted[1], c.command, c.entered);
        // The later notches of one wheel gesture leave the undo slot as the first filled it.
        posted = Roll(c.id, kUp);
        ASSERT_EQ(posted.size(), 1u);
        ExpectPost(posted[0], c.command, Stepped(c.id, kUp));
        covered.insert(c.id);
    }
    for (const oxfield::FieldRow& row : oxfield::FieldTable()) {
        if (row.applies == nullptr || row.applies(*setup_)) {
            EXPECT_TRUE(covered.count(row.id)) << row.objectName << " has no case";
        }
    }
}

TEST_F(FieldTest, WheelStepsScalesOneTwoFiveAndPositionsByOnePixelOrOneDivision) {
    setup_->fChanScale[0] = 1.0f;
    setup_->fChanScale[1] = 0.1f;
    setup_->fChanOffset[0] = 0.5f;
    setup_->dTimeScale = 1e-6;
    setup_->dTimeOffset = 0;
    setup_->fEdgeLevel = 0.1f;
    struct Case {
        FieldId id;
        Notch notch;
        double expected;
    };
    const Case cases[] = {
        {FieldId::Ch1Scale, kUp, 2.0},
        {FieldId::Ch1Scale, kCoarseUp, 10.0}, // a decade
        {FieldId::Ch2Scale, kDown, 0.05},
        {FieldId::TimeScale, kUp, 2e-6},
        {FieldId::TimeScale, kDown, 5e-7},
        {FieldId::Ch1Offset, kUp, 0.52},      // 1 V/div over 50 pixels
        {FieldId::Ch1Offset, kCoarseUp, 1.5}, // one division
        {FieldId::TimeOffset, kDown, -2e-8},  // 1 us/div over 50 pixels
        {FieldId::TimeOffset, kCoarseUp, 1e-6},
        {FieldId::TrigLevel, kDown, 0.08},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(oxfield::Field(c.id).objectName);
        EXPECT_NEAR(Stepped(c.id, c.notch), c.expected, std::abs(c.expected) * 1e-6);
    }
    // A window twice as high halves the pixel step.
    region_->rcMain = {16, 9, 716, 809};
    EXPECT_NEAR(Stepped(FieldId::Ch1Offset, kUp), 0.51, 1e-6);
}

TEST_F(FieldTest, TheTriggerLevelFieldSetsTheLevelOfTheCurrentTriggerType) {
    namespace g = oxcmd::group;
    namespace t = oxcmd::trigger;
    using namespace oxcmd::code;
    struct Case {
        std::int32_t type;
        std::int32_t altType; // of the edited channel, for the alternate trigger
        std::int32_t altSource;
        FieldId field;
        Command command;
    };
    const Command threshold{cmd::logic::kUserThreshold, 0};
    const Case cases[] = {
        {kEdge, 0, 0, FieldId::TrigLevel, {cmd::trigger::kEdgeLevel, 0}},
        {kPulse, 0, 0, FieldId::TrigLevel, {cmd::trigger::kPulseLevel, 0}},
        {kVideo, 0, 0, FieldId::TrigLevel, {cmd::trigger::kVideoLevel, 0}},
        {kSlope, 0, 0, FieldId::TrigLevel, {cmd::trigger::kSlopeLevelA, 0}},
        {kSlope, 0, 0, FieldId::TrigLevelLow, {cmd::trigger::kSlopeLevelB, 0}},
        {kAlternate, kEdge, 1, FieldId::TrigLevel, {cmd::trigger::kAltEdgeLevel, 1}},
        {kAlternate, kPulse, 0, FieldId::TrigLevel, {cmd::trigger::kAltPulseLevel, 0}},
        {kAlternate, kSlope, 1, FieldId::TrigLevel, {cmd::trigger::kAltSlopeLevelA, 1}},
        {kAlternate, kSlope, 1, FieldId::TrigLevelLow, {cmd::trigger::kAltSlopeLevelB, 1}},
        {kAlternate, kVideo, 0, FieldId::TrigLevel, {cmd::trigger::kAltVideoLevel, 0}},
        {kPattern, 0, 0, FieldId::TrigLevel, threshold},
        {kDuration, 0, 0, FieldId::TrigLevel, threshold},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "type " << c.type << " alt type " << c.altType
                                          << " field " << oxfield::Field(c.field).objectName);
        setup_->nTrigMode = c.type;
        setup_->nAltSource = c.altSource;
        setup_->nAltType[c.altSource] = c.altType;
        setup_->nAltType[1 - c.altSource] = kEdge; // the other channel's type does not count
        const auto posted = Enter(c.field, 0.3, false);
        ASSERT_EQ(posted.size(), 1u);
        ExpectPost(posted[0], c.command, 0.3);
    }
}

TEST_F(FieldTest, TheLevelShownIsTheOneOfTheTypeAndPatternShowsTheThreshold) {
    const oxfield::FieldRow& level = oxfield::Field(FieldId::TrigLevel);
    setup_->fEdgeLevel = 0.1f;
    setup_->fPulseLevel = 0.2f;
    setup_->fAltVideoLevel[1] = 0.4f;
    setup_->fLaThreshold = 1.4f;
    EXPECT_EQ(level.text(*setup_), "100mV");
    setup_->nTrigMode = oxcmd::code::kPulse;
    EXPECT_FLOAT_EQ(static_cast<float>(level.value(*setup_)), 0.2f);
    setup_->nTrigMode = oxcmd::code::kAlternate;
    setup_->nAltSource = 1;
    setup_->nAltType[1] = oxcmd::code::kVideo;
    EXPECT_FLOAT_EQ(static_cast<float>(level.value(*setup_)), 0.4f);

    const std::string analog = level.caption(*setup_);
    setup_->nTrigMode = oxcmd::code::kPattern;
    EXPECT_FLOAT_EQ(static_cast<float>(level.value(*setup_)), 1.4f);
    EXPECT_NE(level.caption(*setup_), analog);
    EXPECT_NE(std::string(level.caption(*setup_)).find("threshold"), std::string::npos);

    // An edge on a digital line has no analog level either.
    setup_->nTrigMode = oxcmd::code::kEdge;
    setup_->nEdgeSource = oxcmd::code::kSourceFirstDigital + 3;
    const auto posted = Enter(FieldId::TrigLevel, 2.0, false);
    ASSERT_EQ(posted.size(), 1u);
    ExpectCommand(posted[0], group::kLogic, oxcmd::logic::kUserThreshold);
}

TEST_F(FieldTest, TriggerLevelRefusals) {
    setup_->nTimeFormat = oxcmd::code::kXY;
    ExpectRefused(Enter(FieldId::TrigLevel, 0.1), oxact::kNotAtXY);
    ExpectRefused(Roll(FieldId::TrigLevel, kUp), oxact::kNotAtXY);
    setup_->nTimeFormat = oxcmd::code::kRolling;
    ExpectRefused(Enter(FieldId::TrigLevel, 0.1), oxact::kNotAtRolling);
    setup_->nTimeFormat = oxcmd::code::kYT;
    // The low level exists only for a slope trigger.
    EXPECT_FALSE(oxfield::Field(FieldId::TrigLevelLow).applies(*setup_));
    ExpectRefused(Enter(FieldId::TrigLevelLow, 0.1), oxact::kNotAvailable);
    // The threshold of a pattern trigger needs the analyzer.
    setup_->nTrigMode = oxcmd::code::kPattern;
    setup_->bLaInstalled = 0;
    ExpectRefused(Enter(FieldId::TrigLevel, 0.1), oxact::kNoAnalyzer);
}

TEST_F(FieldTest, UnderTheAlternateTriggerTheTimeFieldsAreTheFirstChannelsOwn) {
    setup_->nTrigMode = oxcmd::code::kAlternate;
    setup_->dAltTimeScale[0] = 1e-3;
    setup_->dAltTimeOffset[0] = 2e-4;
    EXPECT_EQ(oxfield::Field(FieldId::TimeScale).text(*setup_), "1.000ms");
    EXPECT_EQ(oxfield::Field(FieldId::TimeOffset).text(*setup_), "200.0000us");
    auto posted = Roll(FieldId::TimeScale, kUp);
    ASSERT_EQ(posted.size(), 1u);
    ExpectPost(posted[0], {cmd::timebase::kAltScale, 0}, 2e-3);
    posted = Enter(FieldId::TimeOffset, 1e-4, false);
    ASSERT_EQ(posted.size(), 1u);
    ExpectPost(posted[0], {cmd::timebase::kAltOffset, 0}, 1e-4);

    // The pixel step of a level follows the channel's own window.
    setup_->nAltSource = 1;
    setup_->fChanScale[1] = 1.0f;
    region_->rcLower = {16, 209, 716, 409}; // 200 pixels: 25 a division
    setup_->fAltEdgeLevel[1] = 0;
    EXPECT_NEAR(Stepped(FieldId::TrigLevel, kUp), 0.04, 1e-6);
}

} // namespace
} // namespace actiontest
