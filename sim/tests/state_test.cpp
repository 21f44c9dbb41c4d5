// The setup kept across power cycles: the image round trip, images refused as a whole
// with nothing changed, values coerced on the way in, and the state file itself.
#include "sim_test_util.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace oxbow::sim::test {
namespace {

namespace d = oxrec::dso;

using Blocks = std::array<std::vector<std::uint8_t>, 3>;

void Append32(std::vector<std::uint8_t>& out, std::uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8)
        out.push_back(static_cast<std::uint8_t>(value >> shift));
}

// The documented layout, built here on its own: magic, version, model, sized blocks.
std::vector<std::uint8_t> Image(const std::string& model, const Blocks& blocks,
                                std::uint32_t version = 1) {
    const std::string magic("OXSIMST\x1A", 8);
    std::vector<std::uint8_t> out(magic.begin(), magic.end());
    Append32(out, version);
    Append32(out, static_cast<std::uint32_t>(model.size()));
    out.insert(out.end(), model.begin(), model.end());
    for (const auto& block : blocks) {
        Append32(out, static_cast<std::uint32_t>(block.size()));
        out.insert(out.end(), block.begin(), block.end());
    }
    return out;
}

Blocks BlocksOf(Instrument& instrument) {
    return {instrument.ReadBlock(Block::Dso), instrument.ReadBlock(Block::La),
            instrument.ReadBlock(Block::Alt)};
}

// An instrument whose scales, time base, trigger, analyzer and alternate trigger are
// all away from their power-up values.
std::unique_ptr<Instrument> ChangedInstrument(const std::string& model = "OXB-A3M") {
    auto instrument = MakeInstrument(model);
    for (const char* command :
         {":CHANNEL1:SCALE 0.500000", ":CHANNEL2:OFFSET 0.500000", ":TIMEBASE:SCALE 0.000005000",
          ":TRIGGER:EDGE:LEVEL 0.700000", ":TRIGGER:EDGE:SWEEP NORMAL", ":LA:DISPLAY ON",
          ":TRIGGER:ALTERNATION:EDGE:LEVEL 0.500000"}) {
        instrument->Execute(command);
    }
    return instrument;
}

TEST(KeptSetup, RoundTripGivesTheSameBlocksOnANewInstrument) {
    auto first = ChangedInstrument();
    const auto image = first->SaveState();
    EXPECT_EQ(image, Image("OXB-A3M", BlocksOf(*first)));

    auto second = MakeInstrument();
    ASSERT_NE(BlocksOf(*second), BlocksOf(*first));
    std::string error;
    ASSERT_TRUE(second->LoadState(image, error)) << error;
    EXPECT_EQ(BlocksOf(*second), BlocksOf(*first));
    const InstrumentState state = second->State();
    EXPECT_FLOAT_EQ(state.dso.chan[0].scale, 0.5f);
    EXPECT_DOUBLE_EQ(state.dso.timeScale, 5e-6);
    EXPECT_FLOAT_EQ(state.dso.trig.edgeLevel, 0.7f);
    EXPECT_EQ(state.dso.trig.sweep, 1);
    EXPECT_TRUE(state.la.enable);
}

// Each image is refused with a reason and the instrument keeps every byte of its setup.
void ExpectRefused(const std::vector<std::uint8_t>& image, const std::string& why,
                   const std::string& model = "OXB-A3M") {
    auto instrument = MakeInstrument(model);
    instrument->Execute(":CHANNEL2:SCALE 2.000000");
    const Blocks before = BlocksOf(*instrument);
    std::string error;
    EXPECT_FALSE(instrument->LoadState(image, error)) << why;
    EXPECT_FALSE(error.empty()) << why;
    EXPECT_EQ(BlocksOf(*instrument), before) << why;
}

TEST(KeptSetup, DamagedForeignAndShortImagesAreRefusedWithNothingChanged) {
    auto source = ChangedInstrument();
    const Blocks blocks = BlocksOf(*source);
    const auto good = Image("OXB-A3M", blocks);

    ExpectRefused({}, "empty");
    ExpectRefused(Image("OXB-A3M", blocks, 2), "newer version");
    ExpectRefused(Image("OXB-A3M", blocks, 0), "older version");
    ExpectRefused(Image("OXB-A2", blocks), "another model");
    ExpectRefused(Image("OXB-A3M\n", blocks), "a model name that is no text line");
    ExpectRefused(good, "saved on the A3M, loaded on the A5M", "OXB-A5M");
    auto magic = good;
    magic[0] ^= 0x20;
    ExpectRefused(magic, "damaged magic");
    auto longer = good;
    longer.push_back(0);
    ExpectRefused(longer, "a byte after the blocks");
    Blocks shortLa = blocks;
    shortLa[1].pop_back();
    ExpectRefused(Image("OXB-A3M", shortLa), "LA block one byte short");
    Blocks longAlt = blocks;
    longAlt[2].push_back(0);
    ExpectRefused(Image("OXB-A3M", longAlt), "ALT block one byte long");
    // Every truncation, including those inside the last block after the others are whole.
    for (std::size_t size = 1; size < good.size(); size += 7) {
        ExpectRefused(std::vector<std::uint8_t>(good.begin(),
                                                good.begin() + static_cast<std::ptrdiff_t>(size)),
                      "truncated to " + std::to_string(size));
    }
    ExpectRefused(std::vector<std::uint8_t>(good.begin(), good.end() - 1), "last byte missing");
}

template <class T>
void Poke(std::vector<std::uint8_t>& block, oxrec::BlockField<T> field, T value) {
    std::memcpy(block.data() + field.offset, &value, sizeof value);
}

TEST(KeptSetup, ImpossibleValuesComeBackCoercedAsAWrittenBlockWould) {
    auto source = MakeInstrument();
    Blocks blocks = BlocksOf(*source);
    Poke(blocks[0], d::fChanScale[0], 1000.0f); // 1000 V/div: the largest is 10
    Poke(blocks[0], d::nChanScaleUv[0], 1'000'000'000);
    Poke(blocks[0], d::fChanScale[1], 0.3f); // snaps to 0.5 V/div
    Poke(blocks[0], d::nChanScaleUv[1], 300'000);
    Poke(blocks[0], d::llTimeScalePs, std::int64_t{300'000'000}); // 300 us/div snaps to 500 us/div
    Poke(blocks[0], d::nTrigSweep, 99);
    Poke(blocks[0], d::fEdgeLevel, std::numeric_limits<float>::quiet_NaN());

    auto instrument = MakeInstrument();
    std::string error;
    ASSERT_TRUE(instrument->LoadState(Image("OXB-A3M", blocks), error)) << error;
    const InstrumentState state = instrument->State();
    EXPECT_FLOAT_EQ(state.dso.chan[0].scale, 10.0f);
    EXPECT_FLOAT_EQ(state.dso.chan[1].scale, 0.5f);
    EXPECT_DOUBLE_EQ(state.dso.timeScale, 5e-4);
    EXPECT_EQ(state.dso.trig.sweep, 2);
    EXPECT_FLOAT_EQ(state.dso.trig.edgeLevel, 0.0f);
    EXPECT_FLOAT_EQ(DsoBlock(*instrument).get(d::fChanScale[0]), 10.0f);
}

TEST(KeptSetup, ALoadedSetupRunsAsAtPowerUp) {
    auto source = ChangedInstrument();
    source->Execute(":STOP");
    auto instrument = MakeInstrument();
    instrument->Execute(":STOP");
    std::string error;
    ASSERT_TRUE(instrument->LoadState(source->SaveState(), error)) << error;
    EXPECT_TRUE(instrument->State().dso.run);
    EXPECT_FLOAT_EQ(instrument->State().dso.chan[0].scale, 0.5f);
}

class StateFile : public ::testing::Test {
protected:
    void SetUp() override {
        folder =
            std::filesystem::temp_directory_path() / ("oxsim-state-" + std::to_string(::getpid()));
        std::filesystem::create_directories(folder);
    }
    void TearDown() override { std::filesystem::remove_all(folder); }
    std::string Path(const std::string& name) const { return (folder / name).string(); }
    int FolderEntries() const {
        const std::filesystem::directory_iterator entries(folder);
        return static_cast<int>(std::distance(begin(entries), end(entries)));
    }

    std::filesystem::path folder;
};

TEST_F(StateFile, SavedFileLoadsMissingFileIsAbsentAndAForeignFileIsIgnoredWithItsName) {
    auto source = ChangedInstrument();
    std::string error;
    ASSERT_TRUE(SaveStateFile(*source, Path("state.bin"), error)) << error;
    EXPECT_EQ(FolderEntries(), 1) << "the temporary file was renamed";

    auto instrument = MakeInstrument();
    EXPECT_EQ(LoadStateFile(*instrument, Path("state.bin"), error), StateFileLoad::Loaded) << error;
    EXPECT_EQ(BlocksOf(*instrument), BlocksOf(*source));

    auto fresh = MakeInstrument();
    const Blocks powerUp = BlocksOf(*fresh);
    EXPECT_EQ(LoadStateFile(*fresh, Path("missing.bin"), error), StateFileLoad::Absent);
    std::ofstream(Path("foreign.bin"), std::ios::binary) << "[Oxbow]\nnot a state file\n";
    error.clear();
    EXPECT_EQ(LoadStateFile(*fresh, Path("foreign.bin"), error), StateFileLoad::Ignored);
    EXPECT_NE(error.find("foreign.bin"), std::string::npos) << error;
    EXPECT_EQ(BlocksOf(*fresh), powerUp);
}

TEST_F(StateFile, AFailedWriteKeepsTheOldFileAndLeavesNoTemporary) {
    auto source = ChangedInstrument();
    std::string error;
    EXPECT_FALSE(SaveStateFile(*source, Path("no/such/folder/state.bin"), error));
    EXPECT_FALSE(error.empty());

    std::filesystem::create_directories(Path("taken"));
    const std::string target = Path("taken"); // a folder stands where the file would go
    EXPECT_FALSE(SaveStateFile(*source, target, error));
    EXPECT_TRUE(std::filesystem::is_directory(target));
    EXPECT_EQ(FolderEntries(), 1) << "no temporary file left";
}

} // namespace
} // namespace oxbow::sim::test
