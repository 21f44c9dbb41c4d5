// Waveform and setup files: round trips, the kept live fields, refused files.
#include "records_fixture.h"

#include <gtest/gtest.h>

#include <fstream>

namespace {

using oxfile::Result;

// Copies the live fields of `live` into a copy of `expected`, the way a load must.
_OX_SETUP WithLiveFields(const _OX_SETUP& expected, const _OX_SETUP& live) {
    _OX_SETUP result = expected;
    oxfile::KeepLiveFields(live, result);
    return result;
}

TEST(ImagesTest, WaveformRoundTripRestoresRecordsAndSamples) {
    ScratchDir dir;
    const std::string path = dir / "a.wfm";
    Acquisition saved(1);
    ASSERT_EQ(oxfile::SaveWaveformFile(path, saved.setup, saved.region, saved.Samples(), true),
              Result::Ok);
    EXPECT_EQ(std::filesystem::file_size(path),
              oxfile::kWaveformHeaderSize + 2 * kPoints + 2 * kPoints);
    const std::string bytes = ReadText(path);
    EXPECT_EQ(bytes.substr(0, 4), std::string("WF\0\0", 4));

    Acquisition target(7);
    target.setup.bLaInstalled = 1;
    const _OX_SETUP live = target.setup;
    const _OX_RGN_SETUP liveRegion = target.region;
    ASSERT_EQ(oxfile::LoadWaveformFile(path, target.setup, target.region, target.Buffers()),
              Result::Ok);

    EXPECT_TRUE(SameBytes(target.setup, WithLiveFields(saved.setup, live)));
    EXPECT_EQ(target.setup.nInterface, live.nInterface);
    EXPECT_EQ(target.setup.bRun, live.bRun);
    EXPECT_EQ(0, std::memcmp(target.setup.szLanIp, live.szLanIp, sizeof live.szLanIp));
    EXPECT_EQ(0, std::memcmp(target.setup.bRefValid, live.bRefValid, sizeof live.bRefValid));
    EXPECT_EQ(target.setup.bPfEnable, live.bPfEnable);
    EXPECT_EQ(target.setup.fChanScale[0], saved.setup.fChanScale[0]);
    EXPECT_EQ(target.region.rcMain.left, saved.region.rcMain.left);
    EXPECT_EQ(target.region.bBusy, liveRegion.bBusy);
    EXPECT_EQ(target.region.bRedrawAll, 1);
    EXPECT_TRUE(std::equal(saved.ch1.begin(), saved.ch1.begin() + kPoints, target.ch1.begin()));
    EXPECT_TRUE(std::equal(saved.ch2.begin(), saved.ch2.begin() + kPoints, target.ch2.begin()));
    EXPECT_TRUE(std::equal(saved.la.begin(), saved.la.begin() + 2 * kPoints, target.la.begin()));
}

TEST(ImagesTest, OnlyShownChannelsAreStoredWithTheirOwnAlternateCounts) {
    ScratchDir dir;
    const std::string path = dir / "ch2.wfm";
    Acquisition saved(2);
    saved.setup.bChanShownStop[0] = 0;
    saved.setup.bLaShownStop = 0;
    ASSERT_EQ(oxfile::SaveWaveformFile(path, saved.setup, saved.region, saved.Samples(), true),
              Result::Ok);
    const std::string bytes = ReadText(path);
    const auto count = [&](std::size_t at) {
        std::uint32_t value;
        std::memcpy(&value, bytes.data() + at, 4);
        return value;
    };
    EXPECT_EQ(count(11676), 0u);
    EXPECT_EQ(count(11680), std::uint32_t{kPoints});
    EXPECT_EQ(count(11684), 0u);

    saved.setup.nTrigMode = 4;
    saved.setup.bChanShownStop[0] = 1;
    saved.setup.nAltMemoryRec[0] = 100;
    saved.setup.nAltMemoryRec[1] = 300;
    const oxfile::SampleCounts counts = oxfile::CountsOf(saved.setup);
    EXPECT_EQ(counts.ch1, 100u);
    EXPECT_EQ(counts.ch2, 300u);
    // Counts beyond the caller's buffers are refused before anything is written.
    saved.setup.nAltMemoryRec[1] = static_cast<int>(kBufferSize) + 1;
    EXPECT_EQ(oxfile::SaveWaveformFile(path, saved.setup, saved.region, saved.Samples(), true),
              Result::BadRecord);
    EXPECT_EQ(ReadText(path), bytes);
}

TEST(ImagesTest, SetupRoundTripKeepsLiveFieldsAndClearsDataValid) {
    ScratchDir dir;
    const std::string path = dir / "a.set";
    Acquisition saved(3);
    ASSERT_EQ(oxfile::SaveSetupFile(path, saved.setup, saved.region, true), Result::Ok);
    const std::string bytes = ReadText(path);
    ASSERT_EQ(bytes.size(), 11680u);
    EXPECT_EQ(bytes.substr(0, 8), std::string("ST\0\0\x98\x2d\0\0", 8)); // 11,672

    Acquisition target(9);
    const _OX_SETUP live = target.setup;
    ASSERT_EQ(oxfile::LoadSetupFile(path, target.setup, target.region), Result::Ok);
    _OX_SETUP expected = WithLiveFields(saved.setup, live);
    expected.bDataValid = 0;
    EXPECT_TRUE(SameBytes(target.setup, expected));
}

TEST(ImagesTest, SetupWithOtherLengthWordStillLoads) {
    ScratchDir dir;
    const std::string path = dir / "b.set";
    Acquisition saved(4);
    std::string bytes = oxfile::BuildSetupImage(saved.setup, saved.region);
    bytes[4] = 1;
    WriteText(path, bytes);
    Acquisition target(5);
    EXPECT_EQ(oxfile::LoadSetupFile(path, target.setup, target.region), Result::Ok);
}

TEST(ImagesTest, ModelWithoutAnalyzerNeverClaimsIt) {
    ScratchDir dir;
    const std::string path = dir / "la.wfm";
    Acquisition saved(6);
    saved.setup.bLaEnable = 1;
    saved.setup.nTrigMode = 5;
    saved.setup.nActiveChannel = 4;
    ASSERT_EQ(oxfile::SaveWaveformFile(path, saved.setup, saved.region, saved.Samples(), true),
              Result::Ok);

    Acquisition target(8);
    target.setup.bLaInstalled = 0;
    const std::vector<std::uint8_t> la = target.la;
    ASSERT_EQ(oxfile::LoadWaveformFile(path, target.setup, target.region, target.Buffers()),
              Result::Ok);
    EXPECT_EQ(target.setup.bLaInstalled, 0);
    EXPECT_EQ(target.setup.bLaEnable, 0);
    EXPECT_EQ(target.setup.bLaShownStop, 0);
    EXPECT_EQ(target.setup.nTrigMode, 0);
    EXPECT_EQ(target.setup.nActiveChannel, 0);
    EXPECT_EQ(target.la, la);
}

// Loads `bytes` as both kinds and checks the load is refused with nothing changed.
void ExpectRefused(const std::filesystem::path& path, const std::string& bytes) {
    WriteText(path, bytes);
    Acquisition target(11);
    const Acquisition before = target;
    EXPECT_NE(oxfile::LoadWaveformFile(path, target.setup, target.region, target.Buffers()),
              Result::Ok);
    EXPECT_NE(oxfile::LoadSetupFile(path, target.setup, target.region), Result::Ok);
    EXPECT_TRUE(SameBytes(target.setup, before.setup));
    EXPECT_TRUE(SameBytes(target.region, before.region));
    EXPECT_EQ(target.ch1, before.ch1);
    EXPECT_EQ(target.ch2, before.ch2);
    EXPECT_EQ(target.la, before.la);
}

void PutCount(std::string& bytes, std::size_t at, std::uint32_t value) {
    std::memcpy(bytes.data() + at, &value, 4);
}

TEST(ImagesTest, DamagedWaveformFilesAreRefusedWithNothingChanged) {
    ScratchDir dir;
    const std::string path = dir / "good.wfm";
    Acquisition saved(12);
    ASSERT_EQ(oxfile::SaveWaveformFile(path, saved.setup, saved.region, saved.Samples(), true),
              Result::Ok);
    const std::string good = ReadText(path);
    const auto bad = dir / "bad.wfm";

    std::string tag = good;
    tag[0] = 'X';
    ExpectRefused(bad, tag);
    for (std::size_t length : {std::size_t{0}, std::size_t{1}, std::size_t{2}, std::size_t{11687},
                               std::size_t{11688}, good.size() - 1}) {
        ExpectRefused(bad, good.substr(0, length));
    }
    ExpectRefused(bad, good + "x");
    std::string wrongClaim = good; // CH1 count no longer the record length: moved to CH2
    PutCount(wrongClaim, 11676, kPoints - 1);
    PutCount(wrongClaim, 11680, kPoints + 1);
    ExpectRefused(bad, wrongClaim);
    std::string wrapping = good; // counts whose 32-bit sum wraps to the file length
    PutCount(wrapping, 11676, 0x80000000u);
    PutCount(wrapping, 11680, 0x80000000u + 2 * kPoints);
    ExpectRefused(bad, wrapping);

    // A record length beyond the loader's buffers.
    Acquisition big(13);
    big.setup.nAcqMemoryRec = static_cast<int>(kBufferSize);
    big.setup.bLaShownStop = 0;
    std::vector<std::uint8_t> large(kBufferSize + 10);
    ASSERT_EQ(oxfile::SaveWaveformFile(path, big.setup, big.region, {large, large, {}}, true),
              Result::Ok);
    Acquisition small(14);
    std::vector<std::uint8_t> tiny(kBufferSize - 1);
    const _OX_SETUP before = small.setup;
    EXPECT_EQ(oxfile::LoadWaveformFile(path, small.setup, small.region, {tiny, tiny, small.la}),
              Result::WrongLength);
    EXPECT_TRUE(SameBytes(small.setup, before));
}

TEST(ImagesTest, RandomFilesNeverLoad) {
    ScratchDir dir;
    std::mt19937 random(99);
    for (int round = 0; round < 40; ++round) {
        std::string bytes(random() % 30000, '\0');
        for (auto& byte : bytes) {
            byte = static_cast<char>(random());
        }
        if (round % 2 == 0 && bytes.size() >= 2) {
            bytes[0] = 'W';
            bytes[1] = 'F';
        }
        ExpectRefused(dir / "random.bin", bytes);
    }
    ExpectRefused(dir / "setup-short.set", "ST" + std::string(11677, '\0'));
    ExpectRefused(dir / "setup-long.set", "ST" + std::string(11679, '\0'));
    Acquisition target(3);
    EXPECT_EQ(oxfile::LoadSetupFile((dir / "missing.set").string(), target.setup, target.region),
              Result::CannotOpen);
}

TEST(ImagesTest, FailedSaveLeavesTheOldFile) {
    ScratchDir dir;
    const std::string path = dir / "keep.set";
    WriteText(path, "old");
    Acquisition saved(15);
    // No message boxes installed: the question to replace is answered Cancel.
    EXPECT_EQ(oxfile::SaveSetupFile(path, saved.setup, saved.region, false), Result::Refused);
    EXPECT_EQ(ReadText(path), "old");
    EXPECT_EQ(oxfile::SaveSetupFile((dir / "no-such-dir" / "x.set").string(), saved.setup,
                                    saved.region, true),
              Result::WriteFailed);
    EXPECT_STREQ(oxfile::SaveResultText(Result::Refused), "Save failed");
    EXPECT_STREQ(oxfile::LoadResultText(Result::WrongTag), "Load failed");
    EXPECT_EQ(dir.EntryCount(), 1);
}

} // namespace
