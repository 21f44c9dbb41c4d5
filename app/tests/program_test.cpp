#include "program_fixture.h"

#include "oxshell.h"

#include <gtest/gtest.h>

#include <QMessageBox>

#include <filesystem>
#include <fstream>

namespace oxapp::test {
namespace {

constexpr float kVoltsPerDiv = 1.0f;
constexpr double kSecondsPerDiv = 5e-4;

struct Band {
    double centre = 0;
    double division = 0;
    TraceRows rows;
};

Band ShownBand(RunningOxbow& oxbow) {
    OX_RECT plot{};
    oxbow.UnderLock([&] { plot = oxbow.Objects().region->rcMain; });
    return {(plot.top + plot.bottom) / 2.0, (plot.bottom - plot.top) / 8.0, oxbow.Ch1Rows()};
}

bool ReachesTwoDivisions(const Band& band) {
    return band.rows.count > 0 && band.rows.top <= band.centre - 2.0 * band.division + 3 &&
           band.rows.bottom >= band.centre + 2.0 * band.division - 3;
}

bool StaysWithinBand(const Band& band) {
    return band.rows.top >= band.centre - 2.3 * band.division &&
           band.rows.bottom <= band.centre + 2.3 * band.division;
}

// 4 Vpp at 1 V/div: the trace spans +-2 divisions around the centre and stays within
// +-2.3 divisions.
void ExpectSineBand(RunningOxbow& oxbow) {
    const Band band = ShownBand(oxbow);
    ASSERT_GT(band.rows.count, 0) << "no CH1 pixels in the picture";
    EXPECT_TRUE(ReachesTwoDivisions(band)) << "rows " << band.rows.top << ".." << band.rows.bottom;
    EXPECT_TRUE(StaysWithinBand(band)) << "trace pixels beyond +-2.3 divisions: rows "
                                       << band.rows.top << ".." << band.rows.bottom;
}

void RunAndCheckLive(RunningOxbow& oxbow) {
    oxbow.Window().Panel().Run();
    ASSERT_TRUE(WaitFor([&] { return ShownBand(oxbow).rows.count > 0; }, 2000))
        << "no frames drawn within 2 s";
    // Scales set while running, so the record taken at STOP carries them too.
    oxbow.SetScales(kVoltsPerDiv, kSecondsPerDiv);
    ASSERT_TRUE(WaitFor(
        [&] {
            const Band band = ShownBand(oxbow);
            return ReachesTwoDivisions(band) && StaysWithinBand(band);
        },
        6000))
        << "the sine never settles at +-2 div";
    float scale = 0;
    double time = 0;
    oxbow.UnderLock([&] {
        scale = oxbow.Objects().setup->fChanScale[0];
        time = oxbow.Objects().setup->dTimeScale;
    });
    EXPECT_FLOAT_EQ(scale, kVoltsPerDiv);
    EXPECT_DOUBLE_EQ(time, kSecondsPerDiv);
    ExpectSineBand(oxbow);
}

// STOP: the full-memory read is made and the run state shows "STOP".
void StopAndReadRecord(RunningOxbow& oxbow) {
    ASSERT_TRUE(oxbow.StopAndReadRecord()) << "no full-memory read after STOP";
    EXPECT_EQ(oxbow.Window().RunState().Text(), "STOP");
}

TEST(ProgramEndToEnd, SimulatedInstrumentOnUsbDrawsTheSineAndRedrawsWhenStopped) {
    RunningOxbow oxbow({"--sim", "--ch1", "sine,1k,4Vpp"});
    RunAndCheckLive(oxbow);
    StopAndReadRecord(oxbow);
    ExpectSineBand(oxbow);
}

// Scales and offset set while stopped hold for the next run: its stopped redraw places the
// sine by the settings it was acquired with.
TEST(ProgramEndToEnd, SettingsChangedWhileStoppedHoldForTheNextRecord) {
    RunningOxbow oxbow({"--sim", "--ch1", "sine,1k,4Vpp"});
    oxbow.Window().Panel().Run();
    ASSERT_TRUE(WaitFor([&] { return ShownBand(oxbow).rows.count > 0; }, 2000));
    StopAndReadRecord(oxbow);
    oxbow.SetScales(kVoltsPerDiv, kSecondsPerDiv);
    oxbow.Window().Panel().Run();
    ASSERT_TRUE(WaitFor(
        [&] {
            const Band band = ShownBand(oxbow);
            return ReachesTwoDivisions(band) && StaysWithinBand(band);
        },
        4000))
        << "the sine never settles at +-2 div";
    StopAndReadRecord(oxbow);
    ExpectSineBand(oxbow);
}

// Oxbow on the LAN simulator, a child process on a loopback port.
struct LanRun {
    SimulatorProcess simulator{{"--ch1", "sine,1k,4Vpp"}};
    RunningOxbow oxbow{{"--lan", "127.0.0.1:" + std::to_string(simulator.Port())}};

    // Runs until the trace shows, then kills the simulator with `answer` scripted for the
    // question that follows.
    bool LoseLink(oxbow::MessageAnswer answer) {
        oxbow.Window().Panel().Run();
        if (!WaitFor([&] { return ShownBand(oxbow).rows.count > 0; }, 2000)) return false;
        oxbow.Boxes().QueueAnswer(answer);
        simulator.Kill();
        return true;
    }
    bool AskedLinkLost() {
        for (const auto& question : oxbow.Boxes().Questions())
            // The described text, and on LAN the address and reason in a second line.
            if (question.text.rfind("Please confirm connecting system is right!\n", 0) == 0)
                return true;
        return false;
    }
};

TEST(ProgramEndToEnd, SimulatorOverLanDrawsTheSineAndReadsTheRecordWhenStopped) {
    LanRun lan;
    ASSERT_GT(lan.simulator.Port(), 0);
    RunAndCheckLive(lan.oxbow);
    StopAndReadRecord(lan.oxbow);
}

TEST(ProgramEndToEnd, SimulatorOverLanRedrawsTheSineWhereItWasWhenStopped) {
    LanRun lan;
    RunAndCheckLive(lan.oxbow);
    StopAndReadRecord(lan.oxbow);
    ExpectSineBand(lan.oxbow);
}

TEST(ProgramLinkLoss, IgnoreKeepsRunningWithoutTheLink) {
    LanRun lan;
    ASSERT_TRUE(lan.LoseLink(oxbow::MessageAnswer::Ignore));
    ASSERT_TRUE(WaitFor([&] { return lan.AskedLinkLost(); }, 5000));
    WaitFor([] { return false; }, 300);
    EXPECT_FALSE(lan.oxbow.Window().ShutDown());
    EXPECT_TRUE(lan.oxbow.Window().isVisible());

    // RUN without a link tries to connect first, and asks again when nobody answers.
    const std::size_t asked = lan.oxbow.Boxes().Questions().size();
    lan.oxbow.Boxes().QueueAnswer(oxbow::MessageAnswer::Ignore);
    lan.oxbow.Window().Panel().Run();
    EXPECT_TRUE(WaitFor([&] { return lan.oxbow.Boxes().Questions().size() > asked; }, 5000));
    EXPECT_FALSE(lan.oxbow.Window().ShutDown());
}

TEST(ProgramLinkLoss, AbortEndsThroughTheNormalShutdownSavingTheSettings) {
    const std::filesystem::path settings = oxacq::SettingsPath();
    std::filesystem::remove(settings);
    LanRun lan;
    ASSERT_TRUE(lan.LoseLink(oxbow::MessageAnswer::Abort));
    ASSERT_TRUE(WaitFor([&] { return lan.oxbow.Window().ShutDown(); }, 5000));
    EXPECT_TRUE(lan.AskedLinkLost());
    EXPECT_EQ(lan.oxbow.Window().result(), kExitCode);
    ASSERT_TRUE(std::filesystem::exists(settings));
    EXPECT_EQ(std::filesystem::file_size(settings), sizeof(_OX_SETUP));
}

// The about box names the simulated instrument that answered at start.
TEST(ProgramWindow, TheAboutBoxShowsTheIdentifiedInstrument) {
    RunningOxbow oxbow({"--sim"});
    oxbow.Window().ShowAbout();
    auto* box = oxbow.Window().findChild<QMessageBox*>();
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->windowTitle(), "About OXBOW");
    const QString text = box->text();
    EXPECT_TRUE(text.startsWith("SoftWare Version:  2.1.5\nFirmware Version: "))
        << text.toStdString();
    EXPECT_FALSE(text.contains("******")) << text.toStdString();
    EXPECT_TRUE(text.contains("Model:  OXB-")) << text.toStdString();
    box->close();
}

TEST(ProgramSettings, WrittenAtExitAndRestoredAtTheNextStartWithinTheRestoreTable) {
    const PrivateConfigHome home;
    const std::filesystem::path settings = oxacq::SettingsPath();
    {
        RunningOxbow first({"--sim"});
        ASSERT_TRUE(WaitFor([&] { return first.GetSession().Workers().Started(); }, 2000));
        first.UnderLock([&] {
            first.Objects().setup->nActiveChannel = 1;
            first.Objects().setup->nMathSourceA[2] = 1;
        });
        first.Window().Panel().Exit();
        ASSERT_TRUE(WaitFor([&] { return first.Window().ShutDown(); }, 5000));
        EXPECT_EQ(first.Window().result(), kExitCode);
    }
    ASSERT_EQ(std::filesystem::file_size(settings), sizeof(_OX_SETUP));
    {
        // Bytes outside the restore table are never taken over.
        std::fstream file(settings, std::ios::in | std::ios::out | std::ios::binary);
        file.seekp(offsetof(_OX_SETUP, reserved_52));
        const char marks[8] = {'\xAB', '\xAB', '\xAB', '\xAB', '\xAB', '\xAB', '\xAB', '\xAB'};
        file.write(marks, sizeof marks);
    }
    RunningOxbow second({"--sim"});
    ASSERT_TRUE(WaitFor([&] { return second.GetSession().Workers().Started(); }, 2000));
    second.UnderLock([&] {
        EXPECT_EQ(second.Objects().setup->nActiveChannel, 1);
        EXPECT_EQ(second.Objects().setup->nMathSourceA[2], 1);
        for (std::uint8_t byte : second.Objects().setup->reserved_52)
            EXPECT_EQ(byte, 0);
    });
}

} // namespace
} // namespace oxapp::test
