#include "oxcommon.h"

#include "displaylayer.h"
#include "scratch.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

// Points the per-user configuration at a scratch folder for one test.
class FolderRegistryTest : public ::testing::Test {
protected:
    void SetUp() override { ::setenv("XDG_CONFIG_HOME", dir.Path().c_str(), 1); }

    std::string Store() const { return ReadText(dir / "oxbow/registry.conf"); }

    SavedVariable config{"XDG_CONFIG_HOME"};
    ScratchDir dir;
};

TEST_F(FolderRegistryTest, RemembersAFolderPerType) {
    EXPECT_TRUE(WritePathToReg(0, "/home/me/masks"));
    EXPECT_TRUE(WritePathToReg(1, "/home/me/refs"));
    EXPECT_TRUE(WritePathToReg(3, "/home/me/waves/run 1.wfm"));
    std::string path;
    EXPECT_TRUE(ReadPathFromReg(0, path));
    EXPECT_EQ(path, "/home/me/masks");
    EXPECT_TRUE(ReadPathFromReg(1, path));
    EXPECT_EQ(path, "/home/me/refs");
    EXPECT_TRUE(ReadPathFromReg(3, path));
    EXPECT_EQ(path, "/home/me/waves/run 1.wfm");
}

TEST_F(FolderRegistryTest, UsesTheKeyAndValueNames) {
    ASSERT_TRUE(WritePathToReg(0, "/a"));
    ASSERT_TRUE(WritePathToReg(2, "/c"));
    ASSERT_TRUE(WritePathToReg(3, "/d"));
    ASSERT_TRUE(WritePathToReg(5, "/e"));
    ASSERT_TRUE(WritePathToReg(1, "/b"));
    EXPECT_EQ(Store(), "[SOFTWARE\\TAMBER Technologies Inc\\OXBOW\\]\n"
                       "PF File Path=/a\n"
                       "Rec File Path=/c\n"
                       "Wfm File Path=/d\n"
                       "Setup File Path=/e\n"
                       "Ref File Path=/b\n");
}

TEST_F(FolderRegistryTest, SetupTypesFourAndFiveShareOneValue) {
    ASSERT_TRUE(WritePathToReg(5, "/setups"));
    std::string path;
    EXPECT_TRUE(ReadPathFromReg(4, path));
    EXPECT_EQ(path, "/setups");
}

TEST_F(FolderRegistryTest, UnusualPathsRoundTrip) {
    const std::string odd = "/tmp/a\\b\nc=d/Ü [x]";
    ASSERT_TRUE(WritePathToReg(2, odd));
    std::string path;
    EXPECT_TRUE(ReadPathFromReg(2, path));
    EXPECT_EQ(path, odd);
}

TEST_F(FolderRegistryTest, MissingKeyOrValueIsReportedOnStandardOutput) {
    std::string path = "unchanged";
    testing::internal::CaptureStdout();
    EXPECT_FALSE(ReadPathFromReg(0, path));
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Could not create the registry key.\n");
    ASSERT_TRUE(WritePathToReg(1, "/refs"));
    testing::internal::CaptureStdout();
    EXPECT_FALSE(ReadPathFromReg(0, path));
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Could not Read the Menu file.\n");
    EXPECT_EQ(path, "unchanged");
}

TEST_F(FolderRegistryTest, TypesOutsideZeroToFiveAreRefused) {
    std::string path = "unchanged";
    EXPECT_FALSE(WritePathToReg(6, "/x"));
    EXPECT_FALSE(WritePathToReg(-1, "/x"));
    EXPECT_FALSE(ReadPathFromReg(6, path));
    EXPECT_FALSE(ReadPathFromReg(-1, path));
    EXPECT_EQ(path, "unchanged");
    EXPECT_FALSE(std::filesystem::exists(dir / "oxbow/registry.conf"));
}

TEST_F(FolderRegistryTest, AnUncreatableStoreIsReported) {
    WriteText(dir / "file", "x");
    ::setenv("XDG_CONFIG_HOME", (dir / "file").c_str(), 1);
    testing::internal::CaptureStdout();
    EXPECT_FALSE(WritePathToReg(0, "/x"));
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Could not create the registry key.\n");
}

TEST(SetDisplaySetting, WithoutADisplayLayerNothingChanges) {
    ASSERT_EQ(oxbow::InstalledDisplayLayer(), nullptr);
    EXPECT_EQ(SetDisplaySetting(800, 600, 32, 60), 0);
}

class DisplaySettingTest : public ::testing::Test {
protected:
    void SetUp() override { oxbow::InstallDisplayLayer(&display); }
    void TearDown() override { oxbow::InstallDisplayLayer(nullptr); }

    oxbow::ListedDisplayLayer display{
        {{1920, 1080, 32, 60}, {800, 600, 32, 75}, {800, 600, 32, 60}}};
};

TEST_F(DisplaySettingTest, AppliesTheModeMatchingAllFour) {
    EXPECT_EQ(SetDisplaySetting(800, 600, 32, 60), 1);
    oxbow::DisplayMode current;
    ASSERT_TRUE(display.CurrentMode(current));
    EXPECT_EQ(current, (oxbow::DisplayMode{800, 600, 32, 60}));
}

TEST_F(DisplaySettingTest, NoMatchingModeOrARefusalGivesZero) {
    EXPECT_EQ(SetDisplaySetting(800, 600, 16, 60), 0);
    EXPECT_EQ(SetDisplaySetting(1024, 768, 32, 60), 0);
    display.SetRefuseChanges(true);
    EXPECT_EQ(SetDisplaySetting(800, 600, 32, 60), 0);
    EXPECT_EQ(display.AppliedCount(), 0);
}

// Reports the same mode for every index, so only the enumeration bound ends a search.
class EndlessDisplay : public oxbow::DisplayLayer {
public:
    bool EnumMode(int, oxbow::DisplayMode& mode) const override {
        mode = {640, 480, 8, 60};
        return true;
    }
    bool CurrentMode(oxbow::DisplayMode& mode) const override { return EnumMode(0, mode); }
    bool ApplyMode(const oxbow::DisplayMode&) override { return true; }
};

TEST(SetDisplaySetting, AnEndlessModeListDoesNotHang) {
    EndlessDisplay endless;
    oxbow::InstallDisplayLayer(&endless);
    EXPECT_EQ(SetDisplaySetting(800, 600, 32, 60), 0);
    EXPECT_EQ(SetDisplaySetting(640, 480, 8, 60), 1);
    oxbow::InstallDisplayLayer(nullptr);
}

} // namespace
