// The action table's test fixture: a setup record to decide on, and a dispatcher that
// records what reaches it instead of sending anything.
#pragma once

#include "ox_settings.h"
#include "oxactions.h"

#include "oxmsg.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <set>
#include <span>
#include <utility>
#include <vector>

namespace actiontest {

using oxact::ActionId;
namespace group = oxcmd::group;
namespace cmd = oxcmd::cmd;

using Posted = oxcmd::Dispatched;

constexpr oxcmd::Group kGroups[] = {group::kRunControl,   group::kChannel,     group::kTimebase,
                                    group::kManualCursor, group::kTrackCursor, group::kLogic,
                                    group::kTrigger,      group::kPanel,       group::kCursorMode,
                                    group::kMeasure,      group::kDisplay,     group::kAcquire};

// Records what reaches the dispatcher; nothing is sent anywhere.
class ActionTableTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::memset(setup_.get(), 0, sizeof(_OX_SETUP));
        setup_->fChanScale[0] = 1.0f;
        setup_->fChanScale[1] = 0.1f;
        setup_->dTimeScale = 1e-6;
        setup_->bChanDisplay[0] = 1;
        OxMsgInit(nullptr, setup_.get(), region_.get(), positions_.get(), nullptr);
        for (oxcmd::Group g : kGroups) {
            OxSetIOCmdHandler(g, [this, g](IOCmdContext& context, unsigned int sub, long value,
                                           std::uint32_t low, std::uint32_t high) {
                context.send = false;
                context.readBack = false;
                posted_.push_back({g, sub, value, low, high});
            });
        }
    }
    void TearDown() override {
        Drain();
        for (oxcmd::Group g : kGroups)
            OxSetIOCmdHandler(g, {});
        OxMsgInit(nullptr, nullptr, nullptr, nullptr, nullptr);
    }
    std::vector<Posted> Drain() {
        while (GetIOCmd() != 0)
            IOCmdProcess();
        return std::exchange(posted_, {});
    }
    std::vector<Posted> Press(ActionId id) {
        EXPECT_TRUE(oxact::Perform(oxact::Row(id).plan(*setup_), nullptr));
        return Drain();
    }
    static float AsFloat(const Posted& p) { return oxcmd::Decode<float>(p.low, p.high); }
    static double AsDouble(const Posted& p) { return oxcmd::Decode<double>(p.low, p.high); }
    static void ExpectCommand(const Posted& p, oxcmd::Group g, oxcmd::Sub sub, long value = 0) {
        EXPECT_EQ(p.group, g);
        EXPECT_EQ(p.sub, sub);
        EXPECT_EQ(p.value, value);
    }

    // One expectation per row of `rows` that has a plan: exactly these commands, in order.
    struct Expected {
        ActionId id;
        std::vector<std::pair<oxcmd::Group, oxcmd::Sub>> commands;
    };
    void ExpectEveryRowPosts(std::span<const oxact::ActionRow> rows,
                             std::span<const Expected> expected) {
        std::set<ActionId> covered;
        for (const Expected& e : expected) {
            SCOPED_TRACE(oxact::Row(e.id).objectName);
            const auto posted = Press(e.id);
            ASSERT_EQ(posted.size(), e.commands.size());
            for (std::size_t i = 0; i < posted.size(); ++i) {
                EXPECT_EQ(posted[i].group, e.commands[i].first);
                EXPECT_EQ(posted[i].sub, e.commands[i].second);
            }
            covered.insert(e.id);
        }
        for (const oxact::ActionRow& row : rows) {
            if (row.plan != nullptr) {
                EXPECT_TRUE(covered.count(row.id)) << row.objectName << " has no expectation here";
            }
        }
    }

    std::unique_ptr<_OX_SETUP> setup_ = std::make_unique<_OX_SETUP>();
    std::unique_ptr<_OX_RGN_SETUP> region_ = std::make_unique<_OX_RGN_SETUP>();
    std::unique_ptr<_OX_POS_SETUP> positions_ = std::make_unique<_OX_POS_SETUP>();
    std::vector<Posted> posted_;
};

} // namespace actiontest
