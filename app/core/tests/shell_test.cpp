// The start-up logic: model table and identification, default setup, the settings file and
// its restore table, the link checks and the completion sub-commands.
#include "acq_fixture.h"

#include "numerix.h"
#include "oxshell.h"

#include "../../../platform/net/tests/loopback_peer.h"

#include <filesystem>
#include <fstream>
#include <functional>
#include <limits>

namespace oxacq::testing {
namespace {

using oxbow::MessageAnswer;

TEST(ModelTable, MModelsHaveTheAnalyzer) {
    _OX_SETUP setup{};
    setup.fMinTimeScale = 2e-9f;
    ApplyModel("OXB-A3M", setup);
    EXPECT_EQ(setup.nModelClass, 2);
    EXPECT_FLOAT_EQ(setup.fMinTimeScale, 5e-9f);
    EXPECT_EQ(setup.bLaInstalled, 1);
    ApplyModel("OXB-A3", setup);
    EXPECT_EQ(setup.nModelClass, 2);
    EXPECT_EQ(setup.bLaInstalled, 0);
    ApplyModel("OXB-A1M", setup);
    EXPECT_FLOAT_EQ(setup.fMinTimeScale, 2e-8f);
    ApplyModel("OXB-A6", setup);
    EXPECT_EQ(setup.nModelClass, 5);
}

TEST(ModelTable, AnUnknownModelKeepsTheLimitAndHasNoAnalyzer) {
    _OX_SETUP setup{};
    ApplyModel("OXB-A2M", setup);
    ApplyModel("OXB-A9", setup);
    EXPECT_EQ(setup.nModelClass, 0);
    EXPECT_EQ(setup.bLaInstalled, 0);
    EXPECT_FLOAT_EQ(setup.fMinTimeScale, 1e-8f);
}

TEST(ModelTable, EveryNameOnceWithItsClass) {
    const auto table = ModelTable();
    ASSERT_EQ(table.size(), 12u);
    EXPECT_STREQ(table.front().name, "OXB-A6M");
    EXPECT_STREQ(table.back().name, "OXB-A1");
    for (std::size_t i = 0; i < table.size(); ++i) {
        EXPECT_EQ(table[i].modelClass, 5 - static_cast<int>(i) / 2);
        EXPECT_EQ(table[i].logicAnalyzer, i % 2 == 0);
    }
}

TEST(Identification, FourFieldsAndTheVersion) {
    Identity id;
    ASSERT_TRUE(ParseIdentification("Maker,OXB-A4,SN7,00.02.05", "1.07", id));
    EXPECT_EQ(id.maker, "Maker");
    EXPECT_EQ(id.model, "OXB-A4");
    EXPECT_EQ(id.serial, "SN7");
    EXPECT_EQ(id.version, "00.02.05.1.07");
    Identity untouched;
    EXPECT_FALSE(ParseIdentification("Maker,OXB-A4,SN7", "1.07", untouched));
    EXPECT_TRUE(untouched.model.empty());
}

TEST(Identification, TheAboutTextNamesTheInstrumentOnceItAnswered) {
    Identity id;
    EXPECT_EQ(AboutText(id),
              "SoftWare Version:  2.1.5\nFirmware Version: \nModel:  OXBOW\nSN:  ******");
    ASSERT_TRUE(ParseIdentification("Maker,OXB-A4,SN7,00.02.05", "1.07", id));
    EXPECT_EQ(
        AboutText(id),
        "SoftWare Version:  2.1.5\nFirmware Version: 00.02.05.1.07\nModel:  OXB-A4\nSN:  SN7");
}

TEST(DefaultSetupTest, NamedValuesAndTheLinkKeptWhenAsked) {
    _OX_SETUP setup{};
    setup.nInterface = 1;
    setup.bConnected = 1;
    setup.hUsbDevice = 2;
    std::strcpy(setup.szConnectAddress, "10.0.0.9");
    setup.nConnectPort = 5025;
    setup.fChanScale[1] = 5.0f;
    DefaultSetup(setup, true);
    EXPECT_EQ(setup.nInterface, 1);
    EXPECT_EQ(setup.bConnected, 1);
    EXPECT_EQ(setup.hUsbDevice, 2);
    EXPECT_STREQ(setup.szConnectAddress, "10.0.0.9");
    EXPECT_EQ(setup.nConnectPort, 5025);
    EXPECT_FLOAT_EQ(setup.fChanScale[1], 0.1f);
    EXPECT_EQ(setup.bChanDisplay[0], 1);
    EXPECT_EQ(setup.bChanDisplay[1], 0);
    EXPECT_STREQ(setup.szChanUnit[1], "V");
    EXPECT_DOUBLE_EQ(setup.dTimeScale, 1e-6);
    EXPECT_EQ(setup.llTimeScalePs, 1'000'000);
    EXPECT_EQ(setup.nRunState, 4);
    EXPECT_EQ(setup.nVideoLine, 525);
    EXPECT_EQ(setup.nAcqAverages, 256);
    EXPECT_EQ(setup.nAcqMemory, 2048);
    EXPECT_STREQ(setup.szLanIp, "168.254.0.100");
    EXPECT_STREQ(setup.szLanNetmask, "255.255.0.0");
    EXPECT_EQ(setup.nLanPort, 19);

    DefaultSetup(setup, false);
    EXPECT_EQ(setup.nInterface, 0);
    EXPECT_STREQ(setup.szConnectAddress, "168.254.0.100");
    EXPECT_EQ(setup.nConnectPort, 19);
}

class ShellTest : public AcqTest {
protected:
    void SetUp() override {
        AcqTest::SetUp();
        DefaultSetup(*setup, false);
        setup->bConnected = 1;
        workers = std::make_unique<Workers>(
            lock, *setup, WorkerJobs{[] {}, [] { return std::chrono::milliseconds(0); }, [] {}});
        shell = std::make_unique<Shell>(AcqRecords{setup.get(), region.get(), positions.get()},
                                        socket, commands, *acq, *workers);
        dir = std::filesystem::temp_directory_path() /
              ("oxbow-shell-" + std::to_string(::getpid()) + "-" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(dir);
        shell->SettingsFile() = dir / "oxbow" / "Oxbow.ini";
        oxbow::InstallMessageBoxes(&boxes);
    }
    void TearDown() override {
        workers->Stop();
        oxbow::InstallMessageBoxes(nullptr);
        std::filesystem::remove_all(dir);
        AcqTest::TearDown();
    }
    void Reply(const std::string& body) {
        endpoint.replyLength = static_cast<int>(body.size());
        endpoint.replyBody.assign(body.begin(), body.end());
    }

    std::timed_mutex lock;
    CWinSocket socket;
    std::unique_ptr<Workers> workers;
    std::unique_ptr<Shell> shell;
    std::filesystem::path dir;
    oxbow::ScriptedMessageBoxes boxes;
};

TEST_F(ShellTest, DetectModelIdentifiesStopsAndReadsTheSetup) {
    setup->bConnected = 0;
    Reply("Maker,OXB-A3M,OXS1,00.02.05");
    EXPECT_TRUE(shell->DetectModel());
    EXPECT_EQ(setup->bConnected, 1);
    EXPECT_EQ(std::string(setup->szModelName, 7), "OXB-A3M");
    EXPECT_EQ(setup->nModelClass, 2);
    EXPECT_EQ(setup->bLaInstalled, 1);
    EXPECT_EQ(shell->Id().serial, "OXS1");
    EXPECT_EQ(Written(), "*IDN?\r:INFO:FPGA?\r:STOP\r");
    EXPECT_EQ(commands.Count("OxInitSystem"), 1);
}

TEST_F(ShellTest, ModelNameFieldTakesEightBytes) {
    Reply("Maker,OXB-A6M-LONGNAME,OXS1,00.02.05");
    shell->DetectModel();
    EXPECT_EQ(std::string(setup->szModelName, 8), "OXB-A6M-");
    EXPECT_EQ(setup->nModelClass, 0) << "not a model of the table";
}

TEST_F(ShellTest, NoAnswerLeavesTheProgramUnconnected) {
    setup->bConnected = 0;
    endpoint.failBody = true;
    EXPECT_FALSE(shell->DetectModel());
    EXPECT_EQ(setup->bConnected, 0);
    EXPECT_EQ(Written().find(":STOP"), std::string::npos);
    EXPECT_EQ(commands.Count("OxInitSystem"), 0);
}

TEST_F(ShellTest, RefreshModelAsksAgainWithoutStopping) {
    Reply("Maker,OXB-A3M,OXS1,00.02.05");
    shell->DetectModel();
    Reply("Maker,OXB-A5,OXS2,00.02.06");
    EXPECT_TRUE(shell->RefreshModel());
    EXPECT_EQ(setup->nModelClass, 4);
    EXPECT_EQ(setup->bLaInstalled, 0);
    EXPECT_EQ(shell->Id().serial, "OXS2");
    EXPECT_EQ(commands.Count("OxInitSystem"), 1);
    const std::string written = Written();
    EXPECT_EQ(written.substr(written.size() - 18), "*IDN?\r:INFO:FPGA?\r");

    setup->bConnected = 0;
    const std::size_t before = endpoint.written.size();
    EXPECT_FALSE(shell->RefreshModel());
    EXPECT_EQ(endpoint.written.size(), before);
}

TEST_F(ShellTest, SettingsRoundTripRestoresOnlyTheRestoreTable) {
    // Valid values in the restore table's fields, a byte pattern everywhere else.
    _OX_SETUP valid = *setup;
    valid.nActiveChannel = 6;
    valid.bTraceShown[1] = 1;
    valid.nMathOperator[1] = valid.nMathOperator[2] = 3;
    valid.nFFTUnit[1] = 1;
    valid.fMathScale[0] = 2.0f;
    valid.nPatternBit[3] = 1;
    _OX_SETUP saved;
    auto* bytes = reinterpret_cast<unsigned char*>(&saved);
    for (std::size_t i = 0; i < sizeof saved; ++i)
        bytes[i] = static_cast<unsigned char>(i * 7 + 3);
    for (const RecordRange& range : RestoreTable())
        std::memcpy(bytes + range.offset,
                    reinterpret_cast<const unsigned char*>(&valid) + range.offset, range.size);
    ASSERT_TRUE(WriteSettingsFile(saved, shell->SettingsFile()));
    EXPECT_EQ(std::filesystem::file_size(shell->SettingsFile()), 8664u);

    const _OX_SETUP before = *setup;
    shell->LoadSettings();
    const auto* now = reinterpret_cast<const unsigned char*>(setup.get());
    const auto* old = reinterpret_cast<const unsigned char*>(&before);
    std::vector<bool> restored(sizeof saved, false);
    for (const RecordRange& range : RestoreTable())
        std::fill_n(restored.begin() + static_cast<long>(range.offset), range.size, true);
    const std::size_t units = offsetof(_OX_SETUP, szTraceUnit);
    for (std::size_t i = 0; i < sizeof saved; ++i) {
        if (i >= units && i < units + sizeof setup->szTraceUnit) continue;
        ASSERT_EQ(now[i], restored[i] ? bytes[i] : old[i]) << "offset " << i;
    }
    EXPECT_EQ(setup->nActiveChannel, 6);
    EXPECT_EQ(std::memcmp(setup->nPatternBit, saved.nPatternBit, sizeof saved.nPatternBit), 0);
    EXPECT_FLOAT_EQ(setup->fChanScale[0], before.fChanScale[0])
        << "the instrument's own settings stay";
    EXPECT_EQ(setup->nInterface, before.nInterface);
    EXPECT_STREQ(setup->szTraceUnit[0], "V");
    EXPECT_STREQ(setup->szTraceUnit[1], "dBVrms");
    EXPECT_STREQ(setup->szTraceUnit[2], "Vrms");
    EXPECT_EQ(commands.Count("RebuildRgnSetup"), 1);
}

TEST_F(ShellTest, ShutdownWritesTheRecordTheNextStartReads) {
    setup->nActiveChannel = 1;
    setup->bTraceShown[2] = 1;
    setup->fChanScale[0] = 2.0f;
    workers->Start();
    EXPECT_TRUE(shell->Shutdown());
    EXPECT_FALSE(shell->Shutdown()) << "once";

    DefaultSetup(*setup, true);
    shell->LoadSettings();
    EXPECT_EQ(setup->nActiveChannel, 1);
    EXPECT_EQ(setup->bTraceShown[2], 1);
    EXPECT_FLOAT_EQ(setup->fChanScale[0], 0.1f);
}

TEST_F(ShellTest, AMissingOrShortFileKeepsTheDefaults) {
    const _OX_SETUP before = *setup;
    shell->LoadSettings();
    std::filesystem::create_directories(shell->SettingsFile().parent_path());
    std::ofstream(shell->SettingsFile()) << "short";
    shell->LoadSettings();
    EXPECT_EQ(std::memcmp(&before, setup.get(), sizeof before), 0);
    EXPECT_EQ(commands.Count("RebuildRgnSetup"), 0);
}

TEST_F(ShellTest, AStartRemovesTheTemporaryFileOfASaveThatWasKilled) {
    // Process ids run up to the kernel's limit, far below this one.
    const std::filesystem::path torn =
        shell->SettingsFile().parent_path() / ".Oxbow.ini.tmp2147483646-0";
    std::filesystem::create_directories(torn.parent_path());
    std::ofstream(torn) << "torn";
    shell->LoadSettings();
    EXPECT_FALSE(std::filesystem::exists(torn));
}

TEST_F(ShellTest, FilterTracesGetTheirFiltersAndAnFFTSelectsTheMainTimeBase) {
    _OX_SETUP saved = *setup;
    saved.nMathOperator[1] = 4;
    saved.nMathFilterType[1] = 0;
    saved.fMathFilterUpper[1] = 0.2f;
    ASSERT_TRUE(WriteSettingsFile(saved, shell->SettingsFile()));
    commands.fftOperator = true;
    setup->bDelayed = 1;
    shell->LoadSettings();
    EXPECT_EQ(Written(), ":TIMEBASE:MODE MAIN\r");
    EXPECT_EQ(setup->bDelayed, 0);

    std::vector<std::int32_t> input(100 + numerix::kFilterTaps - 1, 0);
    std::vector<std::int16_t> output(100 + numerix::kFilterHalf);
    EXPECT_EQ(Math_Filter(input, output, 100, 0, -1000, 1000, 1), 100);
    EXPECT_EQ(Math_Filter(input, output, 100, 0, -1000, 1000, 0), -1);
    DestroyTraceFilters(*setup);
    EXPECT_EQ(Math_Filter(input, output, 100, 0, -1000, 1000, 1), -1);
}

TEST_F(ShellTest, ExitIsOnlyScheduledWhileTheIoThreadWaits) {
    workers->Start();
    const NotifyActions actions = shell->OnIoNotify(oxcmd::run::kExit, 0);
    EXPECT_TRUE(actions.shutdown);
    EXPECT_TRUE(shell->ShutdownScheduled());
    EXPECT_FALSE(std::filesystem::exists(shell->SettingsFile())) << "nothing written yet";
    EXPECT_TRUE(shell->Shutdown());
    EXPECT_TRUE(std::filesystem::exists(shell->SettingsFile()));
}

TEST_F(ShellTest, HardwareFailureTellsTheUserThenShutsDown) {
    const NotifyActions actions = shell->OnIoNotify(oxcmd::run::kHardwareFailure, 0);
    EXPECT_TRUE(actions.shutdown);
    ASSERT_EQ(boxes.Questions().size(), 1u);
    EXPECT_EQ(boxes.Questions()[0].text, "Please restart hardware system and power up!");
}

TEST_F(ShellTest, RunResumesTheWorkersAndReadsTheTimeScale) {
    workers->Start();
    NotifyActions actions = shell->OnIoNotify(oxcmd::run::kRun, 0);
    EXPECT_TRUE(actions.startRunTimers);
    EXPECT_STREQ(actions.runStateText, "RUN");
    EXPECT_TRUE(acq->Requests().runStateWritten.exchange(false))
        << "the loop tells its next status";
    EXPECT_EQ(workers->PollCounter(), 1);
    EXPECT_EQ(commands.Count("GetTimeScalePara"), 1);
    setup->nTimeFormat = oxcmd::code::kRolling;
    shell->OnIoNotify(oxcmd::run::kRun, 0);
    EXPECT_EQ(commands.Count("GetTimeScalePara"), 1) << "not while rolling";
    EXPECT_EQ(workers->PollCounter(), 1);
}

TEST_F(ShellTest, DefaultSetupKeepsTheLinkAndIdentifiesAgain) {
    setup->nInterface = 0;
    setup->hUsbDevice = 0;
    setup->fChanScale[0] = 3.0f;
    Reply("Maker,OXB-A2,OXS1,00.02.05");
    const NotifyActions actions = shell->OnIoNotify(oxcmd::run::kDefaultSetup, 0);
    EXPECT_TRUE(actions.resetMarkers);
    EXPECT_EQ(setup->bConnected, 1);
    EXPECT_FLOAT_EQ(setup->fChanScale[0], 0.1f);
    EXPECT_EQ(commands.Count("OxInitSystem"), 1);
    EXPECT_EQ(commands.Count("RebuildRgnSetup"), 1);
    EXPECT_EQ(setup->nModelClass, 1);
}

TEST_F(ShellTest, ScreenModeAndOtherSubCommands) {
    EXPECT_EQ(shell->OnIoNotify(oxcmd::run::kScreenMode, 1).screenMode, 1);
    EXPECT_FALSE(acq->Requests().runStateWritten) << "no run-state text written";
    EXPECT_FALSE(shell->OnIoNotify(2278, 0).handled);
}

TEST_F(ShellTest, UsbLinkCheckAnswers) {
    setup->bConnected = 0;
    boxes.QueueAnswer(MessageAnswer::Ignore);
    EXPECT_FALSE(shell->CheckUsbLink());
    EXPECT_TRUE(acq->Requests().stopAcquiring);
    boxes.QueueAnswer(MessageAnswer::Retry);
    EXPECT_TRUE(shell->CheckUsbLink());
    EXPECT_EQ(setup->bConnected, 1);
    EXPECT_EQ(commands.posted.back(), (Posted{3125, 4135, 0, 0}));
    setup->bConnected = 0;
    EXPECT_FALSE(shell->CheckUsbLink()); // nobody answers: Abort
    EXPECT_EQ(commands.posted.back(), (Posted{3125, 4224, 0, 0}));
}

// RUN's link check arrives as a sub-command of the I/O queue.
TEST_F(ShellTest, CheckLinkOnUsbFindsTheDevice) {
    setup->bConnected = 0;
    setup->hUsbDevice = 3;
    EXPECT_TRUE(shell->OnIoNotify(oxcmd::run::kCheckLink, 0).handled);
    EXPECT_EQ(setup->bConnected, 1);
    EXPECT_EQ(setup->hUsbDevice, 0);
    EXPECT_TRUE(boxes.Questions().empty());
    shell->FindUsbDeviceAtStart();
    EXPECT_EQ(setup->hUsbDevice, 0) << "one instrument";
}

// Answers Retry after pointing the connect port at a listening instrument.
class RetryOnceListening : public oxbow::MessageBoxes {
public:
    RetryOnceListening(_OX_SETUP& setup, int port) : setup_(setup), port_(port) {}
    MessageAnswer Ask(const oxbow::MessageQuestion&) override {
        ++asked;
        setup_.nConnectPort = port_;
        return MessageAnswer::Retry;
    }
    int asked = 0;

private:
    _OX_SETUP& setup_;
    int port_;
};

TEST_F(ShellTest, LanConnectRetriesUntilTheInstrumentListens) {
    oxbow::testing::LoopbackPeer instrument;
    instrument.Serve([](int fd) { oxbow::testing::ReadUpTo(fd, 1, 300); });
    int closedPort = 0;
    {
        oxbow::testing::LoopbackPeer gone;
        closedPort = gone.Port();
    }
    setup->nInterface = 1;
    setup->bConnected = 0;
    std::strcpy(setup->szConnectAddress, "127.0.0.1");
    setup->nConnectPort = closedPort;
    RetryOnceListening retry(*setup, instrument.Port());
    oxbow::ScopedMessageBoxes installed(retry);
    shell->CheckLink();
    instrument.Join();
    EXPECT_EQ(retry.asked, 1);
    EXPECT_EQ(setup->bConnected, 1);
    socket.Close();
}

TEST_F(ShellTest, LanConnectIgnoredLeavesTheProgramWithoutALink) {
    {
        oxbow::testing::LoopbackPeer gone;
        setup->nConnectPort = gone.Port();
    }
    setup->nInterface = 1;
    std::strcpy(setup->szConnectAddress, "127.0.0.1");
    workers->Start();
    workers->ResumeWorkers();
    boxes.QueueAnswer(MessageAnswer::Ignore);
    shell->ConnectLan();
    EXPECT_EQ(setup->bConnected, 0);
    EXPECT_TRUE(acq->Requests().stopAcquiring);
    EXPECT_EQ(workers->PollCounter(), 0);
    ASSERT_EQ(boxes.Questions().size(), 1u);
    EXPECT_EQ(boxes.Questions()[0].text, std::string(kLinkLostQuestion) + "\n127.0.0.1:" +
                                             std::to_string(setup->nConnectPort) + ": refused");

    std::strcpy(setup->szConnectAddress, "nowhere.invalid");
    shell->ConnectLan(); // nobody answers: Abort
    EXPECT_EQ(commands.posted.back(), (Posted{3125, 4224, 0, 0}));
    ASSERT_EQ(boxes.Questions().size(), 2u);
    EXPECT_NE(boxes.Questions()[1].text.find("\nnowhere.invalid:"), std::string::npos);
    EXPECT_NE(boxes.Questions()[1].text.find(": not found"), std::string::npos);
}

// A settings file of the right size whose restore-table fields are not a setup the program
// can show is refused as a whole, kept aside as Oxbow.ini.bad and replaced by the defaults.
TEST_F(ShellTest, AGarbageSettingsFileIsRefusedAndKeptAside) {
    std::vector<unsigned char> random(kSettingsBytes);
    std::uint32_t state = 12345;
    for (unsigned char& byte : random) {
        state = state * 1664525u + 1013904223u;
        byte = static_cast<unsigned char>(state >> 24);
    }
    std::vector<std::vector<unsigned char>> images{random};
    for (unsigned char fill : {0xFF, 0x7F, 0x80})
        images.emplace_back(kSettingsBytes, fill);
    const std::filesystem::path kept = RefusedSettingsPath(shell->SettingsFile());
    EXPECT_EQ(kept.filename(), "Oxbow.ini.bad");
    const _OX_SETUP before = *setup;
    for (const auto& image : images) {
        std::filesystem::create_directories(shell->SettingsFile().parent_path());
        std::ofstream(shell->SettingsFile(), std::ios::binary)
            .write(reinterpret_cast<const char*>(image.data()),
                   static_cast<std::streamsize>(image.size()));
        ::testing::internal::CaptureStderr();
        shell->LoadSettings();
        const std::string message = ::testing::internal::GetCapturedStderr();
        EXPECT_NE(message.find("replaced by defaults"), std::string::npos) << message;
        EXPECT_EQ(std::memcmp(&before, setup.get(), sizeof before), 0) << "nothing taken over";
        EXPECT_FALSE(std::filesystem::exists(shell->SettingsFile()));
        EXPECT_EQ(std::filesystem::file_size(kept), kSettingsBytes);
    }
    EXPECT_EQ(commands.Count("RebuildRgnSetup"), 0);
}

TEST_F(ShellTest, OneFieldOutOfItsRangeRefusesTheFile) {
    const std::vector<std::pair<const char*, std::function<void(_OX_SETUP&)>>> faults{
        {"nActiveChannel", [](_OX_SETUP& s) { s.nActiveChannel = 10; }},
        {"bTraceShown", [](_OX_SETUP& s) { s.bTraceShown[3] = 2; }},
        {"nMathOperator", [](_OX_SETUP& s) { s.nMathOperator[0] = -1; }},
        {"fMathScale",
         [](_OX_SETUP& s) { s.fMathScale[1] = std::numeric_limits<float>::quiet_NaN(); }},
        {"fMathOffset", [](_OX_SETUP& s) { s.fMathOffset[2] = 41.0f; }}, // 40 divisions of 1 V
        {"fFFTdBVrmsScale", [](_OX_SETUP& s) { s.fFFTdBVrmsScale[0] = 500.0f; }},
        {"dFFTHorizOffset",
         [](_OX_SETUP& s) { s.dFFTHorizOffset[3] = std::numeric_limits<double>::infinity(); }},
        {"nTraceZoomIndex", [](_OX_SETUP& s) { s.nTraceZoomIndex[1] = 0; }},
        {"fChanFilterUpper", [](_OX_SETUP& s) { s.fChanFilterUpper[1] = 0.9f; }},
        {"nDurationBit", [](_OX_SETUP& s) { s.nDurationBit[15] = 5; }},
    };
    for (const auto& [field, fault] : faults) {
        _OX_SETUP image = *setup;
        fault(image);
        std::string failed;
        EXPECT_FALSE(CheckSettingsImage(image, failed)) << field;
        EXPECT_EQ(failed, field);
    }
}

TEST_F(ShellTest, FilesTheProgramWritesAreAccepted) {
    std::string failed;
    EXPECT_TRUE(CheckSettingsImage(*setup, failed)) << "the default setup: " << failed;
    _OX_SETUP used = *setup;
    used.nActiveChannel = 9;
    used.nMathOperator[2] = 4;
    used.fMathFilterUpper[2] = 0.25f;
    used.fMathFilterLower[2] = 0.005f;
    used.fMathScale[2] = 0.002f;
    used.fMathOffset[2] = -0.08f;
    used.fFFTdBVrmsScale[0] = 20.0f;
    used.fFFTdBVrmsOffset[0] = -790.0f;
    used.nPatternBit[0] = 4;
    EXPECT_TRUE(CheckSettingsImage(used, failed)) << failed;
    std::memset(used.szSystemError, 0x7F, sizeof used.szSystemError); // outside the restore table
    EXPECT_TRUE(CheckSettingsImage(used, failed)) << failed;

    _OX_SETUP refused = used;
    refused.fMathScale[0] = 100.0f;
    setup->szSystemError[0] = '\0';
    setup->bTrigSourceShown = 1;
    const _OX_SETUP before = *setup;
    ASSERT_TRUE(WriteSettingsFile(refused, shell->SettingsFile()));
    ::testing::internal::CaptureStderr();
    shell->LoadSettings();
    EXPECT_NE(::testing::internal::GetCapturedStderr().find("fMathScale"), std::string::npos);
    EXPECT_STREQ(setup->szSystemError, "") << "the check leaves no limit message behind";
    EXPECT_EQ(std::memcmp(&before, setup.get(), sizeof before), 0);
}

} // namespace
} // namespace oxacq::testing
