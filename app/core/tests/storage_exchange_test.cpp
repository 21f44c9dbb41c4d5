// Files through the I/O command queue: a waveform or setup saved from the copy and loaded back
// restores the records outside the live fields and the samples byte for byte; a bad file
// changes nothing; a copy never reads beyond the buffers; other run commands pass through.
#include "acq_fixture.h"

#include "oxmsg.h"
#include "oxshell.h"
#include "oxstorage.h"

#include <filesystem>
#include <fstream>
#include <random>

namespace oxacq::testing {
namespace {

constexpr int kPoints = 600;

class FileExchangeTest : public AcqTest {
protected:
    void SetUp() override {
        AcqTest::SetUp();
        DefaultSetup(*setup, false);
        setup->bConnected = 0; // nothing is sent anywhere
        setup->bLaInstalled = 1;
        setup->bChanShownStop[0] = setup->bChanShownStop[1] = 1;
        setup->bLaShownStop = 1;
        setup->nAcqMemoryRec = kPoints;
        setup->bDataValid = 1;
        std::strcpy(setup->szModelName, "OXB-A3M");
        OxMsgInit(nullptr, setup.get(), region.get(), positions.get(), nullptr);
        files = std::make_unique<FileExchange>(
            AcqRecords{setup.get(), region.get(), positions.get()}, *acq);
        files->Install();
        FillSamples(7);
        folder = std::filesystem::temp_directory_path() /
                 ("oxbow-files-" + std::to_string(::getpid()) + "-" +
                  ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(folder);
    }
    void TearDown() override {
        files.reset();
        OxMsgInit(nullptr, nullptr, nullptr, nullptr, nullptr);
        std::filesystem::remove_all(folder);
        AcqTest::TearDown();
    }

    void FillSamples(int seed) {
        std::mt19937 random(static_cast<unsigned>(seed));
        for (std::span<std::uint8_t> buffer : {acq->AnalogBytes(0), acq->AnalogBytes(1)})
            for (std::uint8_t& code : buffer.first(kPoints))
                code = static_cast<std::uint8_t>(random());
        for (std::uint8_t& byte : acq->LaBytes().first(2 * kPoints))
            byte = static_cast<std::uint8_t>(random());
    }
    static void Drain() {
        while (GetIOCmd() != 0)
            IOCmdProcess();
    }
    RecordCopy TakeCopy() {
        const long serial = files->PostCopy();
        EXPECT_NE(serial, 0);
        Drain();
        std::optional<RecordCopy> copy = files->TakeCopy(serial);
        EXPECT_TRUE(copy.has_value());
        return copy ? std::move(*copy) : RecordCopy{};
    }
    oxfile::Result Load(FileKind kind, const std::filesystem::path& path) {
        const long serial = files->PostLoad(kind, path.string());
        EXPECT_NE(serial, 0);
        Drain();
        return files->TakeLoadResult(serial).value_or(oxfile::Result::CannotOpen);
    }
    std::vector<std::uint8_t> Stored(std::span<std::uint8_t> buffer, int count) const {
        return {buffer.begin(), buffer.begin() + count};
    }
    // What the live record must hold after `saved` was loaded over `before`.
    static _OX_SETUP Expected(const _OX_SETUP& saved, const _OX_SETUP& before) {
        _OX_SETUP expected = saved;
        oxfile::KeepLiveFields(before, expected);
        return expected;
    }
    static void ExpectSameSetup(const _OX_SETUP& actual, _OX_SETUP expected) {
        // The message is the load's own.
        std::memcpy(expected.szSystemError, actual.szSystemError, sizeof expected.szSystemError);
        EXPECT_EQ(std::memcmp(&actual, &expected, sizeof actual), 0);
    }

    std::unique_ptr<FileExchange> files;
    std::filesystem::path folder;
};

TEST_F(FileExchangeTest, WaveformAndSetupSavedAndLoadedRestoreRecordsAndSamples) {
    const RecordCopy saved = TakeCopy();
    ASSERT_EQ(saved.ch1.size(), static_cast<std::size_t>(kPoints));
    ASSERT_EQ(saved.la.size(), static_cast<std::size_t>(2 * kPoints));
    const auto wfm = folder / "a.wfm";
    const auto set = folder / "a.set";
    ASSERT_EQ(
        oxfile::SaveWaveformFile(wfm.string(), saved.setup, saved.region, saved.Samples(), true),
        oxfile::Result::Ok);
    ASSERT_EQ(oxfile::SaveSetupFile(set.string(), saved.setup, saved.region, true),
              oxfile::Result::Ok);

    // Everything moves on: other settings, other samples, and a live field of the link.
    setup->fChanScale[0] = 0.2f;
    setup->nTrigMode = oxcmd::code::kPulse;
    setup->nConnectPort = 4321;
    FillSamples(99);
    const _OX_SETUP before = *setup;

    ASSERT_EQ(Load(FileKind::Waveform, wfm), oxfile::Result::Ok);
    EXPECT_STREQ(setup->szSystemError, "Load successful");
    _OX_SETUP expected = Expected(saved.setup, before);
    expected.bWaveHold = 1; // the loaded record is the stopped screen's
    ExpectSameSetup(*setup, expected);
    EXPECT_EQ(setup->nConnectPort, 4321);
    EXPECT_EQ(Stored(acq->AnalogBytes(0), kPoints), saved.ch1);
    EXPECT_EQ(Stored(acq->AnalogBytes(1), kPoints), saved.ch2);
    EXPECT_EQ(Stored(acq->LaBytes(), 2 * kPoints), saved.la);
    EXPECT_EQ(region->bRedrawAll, 1);
    EXPECT_EQ(region->bRedrawWave, 1);

    setup->fChanScale[0] = 0.2f;
    const _OX_SETUP beforeSetup = *setup;
    const std::vector<std::uint8_t> samples = Stored(acq->AnalogBytes(0), kPoints);
    ASSERT_EQ(Load(FileKind::Setup, set), oxfile::Result::Ok);
    _OX_SETUP expectedSetup = Expected(saved.setup, beforeSetup);
    expectedSetup.bDataValid = 0; // a setup holds no waveform
    ExpectSameSetup(*setup, expectedSetup);
    EXPECT_EQ(Stored(acq->AnalogBytes(0), kPoints), samples) << "a setup leaves the samples";
}

TEST_F(FileExchangeTest, BadFilesSayLoadFailedAndChangeNothing) {
    const RecordCopy saved = TakeCopy();
    const auto good = folder / "good.wfm";
    ASSERT_EQ(
        oxfile::SaveWaveformFile(good.string(), saved.setup, saved.region, saved.Samples(), true),
        oxfile::Result::Ok);
    std::ifstream in(good, std::ios::binary);
    const std::string image((std::istreambuf_iterator<char>(in)), {});
    const auto write = [&](const char* name, const std::string& bytes) {
        const auto path = folder / name;
        std::ofstream(path, std::ios::binary) << bytes;
        return path;
    };
    std::string random(oxfile::kSetupFileSize, '\0');
    std::mt19937 generator(3);
    for (char& c : random)
        c = static_cast<char>(generator());
    random[0] = 'S';
    random[1] = 'T';
    random[2] = random[3] = 0;
    // A setup with a selector no part of the program knows, in a file that is otherwise fine.
    _OX_SETUP odd = saved.setup;
    odd.nActiveChannel = 77;
    const std::string oddSetup = oxfile::BuildSetupImage(odd, saved.region);

    const std::pair<FileKind, std::filesystem::path> bad[] = {
        {FileKind::Waveform, folder / "missing.wfm"},
        {FileKind::Waveform, write("short.wfm", image.substr(0, image.size() - 1))},
        {FileKind::Setup, write("short.set", oddSetup.substr(0, 100))},
        {FileKind::Setup, write("random.set", random)},
        {FileKind::Setup, write("odd.set", oddSetup)},
    };
    FillSamples(42);
    const _OX_SETUP before = *setup;
    const std::vector<std::uint8_t> samples = Stored(acq->AnalogBytes(0), kPoints);
    for (const auto& [kind, path] : bad) {
        SCOPED_TRACE(path.filename().string());
        EXPECT_NE(Load(kind, path), oxfile::Result::Ok);
        EXPECT_STREQ(setup->szSystemError, "Load failed");
        ExpectSameSetup(*setup, before);
        EXPECT_EQ(Stored(acq->AnalogBytes(0), kPoints), samples);
    }
}

TEST_F(FileExchangeTest, ACopyNeverReadsBeyondTheBuffersAndTheWriterRefusesIt) {
    setup->nAcqMemoryRec = static_cast<std::int32_t>(acq->AnalogBytes(0).size()) + 1;
    const RecordCopy copy = TakeCopy();
    EXPECT_EQ(copy.ch1.size(), acq->AnalogBytes(0).size());
    EXPECT_EQ(copy.la.size(), acq->LaBytes().size());
    EXPECT_EQ(oxfile::SaveWaveformFile((folder / "x.wfm").string(), copy.setup, copy.region,
                                       copy.Samples(), true),
              oxfile::Result::BadRecord);
    EXPECT_FALSE(std::filesystem::exists(folder / "x.wfm"));
}

TEST_F(FileExchangeTest, OtherRunCommandsReachTheHandlerBehindAndUnknownSerialsAreIgnored) {
    std::vector<unsigned int> reached;
    files.reset();
    OxSetIOCmdHandler(oxcmd::group::kRunControl, [&](IOCmdContext& context, unsigned int sub, long,
                                                     std::uint32_t, std::uint32_t) {
        context.send = false;
        reached.push_back(sub);
    });
    files = std::make_unique<FileExchange>(AcqRecords{setup.get(), region.get(), positions.get()},
                                           *acq);
    files->Install();
    ASSERT_TRUE(OxPost(oxcmd::group::kRunControl, oxcmd::run::kAuto));
    ASSERT_TRUE(OxPost(oxcmd::group::kRunControl, oxcmd::run::kLoadWaveformFile, 12345));
    const long serial = files->PostCopy();
    Drain();
    EXPECT_EQ(reached, std::vector<unsigned int>{oxcmd::run::kAuto});
    EXPECT_FALSE(files->TakeLoadResult(12345).has_value());
    EXPECT_TRUE(files->TakeCopy(serial).has_value());
    EXPECT_FALSE(files->TakeCopy(serial).has_value()) << "taken once";
}

} // namespace
} // namespace oxacq::testing
