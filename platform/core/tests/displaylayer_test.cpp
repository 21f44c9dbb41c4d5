#include "displaylayer.h"

#include <gtest/gtest.h>

namespace {

using oxbow::DisplayMode;

TEST(ListedDisplayLayer, EnumeratesItsModesFromZero) {
    oxbow::ListedDisplayLayer display({{1920, 1080, 32, 60}, {800, 600, 32, 60}});
    DisplayMode mode;
    ASSERT_TRUE(display.EnumMode(1, mode));
    EXPECT_EQ(mode, (DisplayMode{800, 600, 32, 60}));
    EXPECT_FALSE(display.EnumMode(2, mode));
    EXPECT_FALSE(display.EnumMode(-1, mode));
    ASSERT_TRUE(display.CurrentMode(mode));
    EXPECT_EQ(mode, (DisplayMode{1920, 1080, 32, 60}));
}

TEST(ListedDisplayLayer, AppliesListedModesOnly) {
    oxbow::ListedDisplayLayer display({{1920, 1080, 32, 60}, {800, 600, 32, 60}});
    EXPECT_FALSE(display.ApplyMode({1024, 768, 32, 60}));
    EXPECT_TRUE(display.ApplyMode({800, 600, 32, 60}));
    DisplayMode mode;
    ASSERT_TRUE(display.CurrentMode(mode));
    EXPECT_EQ(mode, (DisplayMode{800, 600, 32, 60}));
    display.SetRefuseChanges(true);
    EXPECT_FALSE(display.ApplyMode({1920, 1080, 32, 60}));
    EXPECT_EQ(display.AppliedCount(), 1);
}

} // namespace
