// The simulated instrument keeps its setup from one start with --sim to the next, as a
// real instrument does across power cycles; --sim-fresh and a damaged file start from
// the power-up setup.
#include "program_fixture.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

namespace oxapp::test {
namespace {

constexpr float kPowerUpScale = 1.0f;
constexpr float kChangedScale = 0.2f;

bool Started(RunningOxbow& oxbow) {
    return WaitFor([&] { return oxbow.GetSession().Workers().Started(); }, 5000);
}

// CH1's scale as Oxbow read it from the instrument at the start.
float Ch1ScaleAtStart(const std::vector<std::string>& args) {
    RunningOxbow oxbow(args, SimSetup::Kept);
    EXPECT_TRUE(Started(oxbow));
    float scale = 0.0f;
    oxbow.UnderLock([&] { scale = oxbow.Objects().setup->fChanScale[0]; });
    return scale;
}

// Sets CH1's scale and ends through the normal shutdown.
void ChangeCh1ScaleAndExit(float scale) {
    RunningOxbow oxbow({"--sim"}, SimSetup::Kept);
    ASSERT_TRUE(Started(oxbow));
    oxbow.SetScales(scale, 5e-4);
    ASSERT_TRUE(WaitFor(
        [&] { return oxbow.Objects().instrument->State().dso.chan[0].scale == scale; }, 5000));
    oxbow.Window().Panel().Exit();
    ASSERT_TRUE(WaitFor([&] { return oxbow.Window().ShutDown(); }, 5000));
}

TEST(ProgramSimState, ASecondStartGetsBackTheChangedCh1Scale) {
    PrivateConfigHome home;
    ASSERT_FALSE(std::filesystem::exists(SimStatePath()));
    ChangeCh1ScaleAndExit(kChangedScale);
    ASSERT_TRUE(std::filesystem::exists(SimStatePath()));
    EXPECT_FLOAT_EQ(Ch1ScaleAtStart({"--sim"}), kChangedScale);
    EXPECT_FLOAT_EQ(Ch1ScaleAtStart({"--sim", "--sim-fresh"}), kPowerUpScale);
}

TEST(ProgramSimState, ADamagedStateFileIsIgnoredAndReplacedAtExit) {
    PrivateConfigHome home;
    std::filesystem::create_directories(SimStatePath().parent_path());
    std::ofstream(SimStatePath(), std::ios::binary) << "OXSIMST damaged";
    EXPECT_FLOAT_EQ(Ch1ScaleAtStart({"--sim"}), kPowerUpScale);
    std::ifstream written(SimStatePath(), std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(written)), {});
    EXPECT_EQ(bytes.rfind("OXSIMST\x1A", 0), 0u) << "the state of the run written at its exit";
    EXPECT_GT(bytes.size(), 1436u);
}

} // namespace
} // namespace oxapp::test
