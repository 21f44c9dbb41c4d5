#include "ox_recfile.h"

#include "messageboxes.h"
#include "scratch.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>
#include <vector>

namespace {

std::vector<std::uint8_t> ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

template <typename T> T At(const std::vector<std::uint8_t>& bytes, std::size_t offset) {
    T value{};
    std::memcpy(&value, bytes.data() + offset, sizeof value);
    return value;
}

class RecFileTest : public ::testing::Test {
protected:
    ScratchDir dir;
    std::string path = dir / "take.rec";
    std::unique_ptr<_OX_SETUP> setup = std::make_unique<_OX_SETUP>();
    oxbow::ScriptedMessageBoxes boxes;
    oxbow::ScopedMessageBoxes installed{boxes};

    void Record(int frames, int source, int sourceChannel) {
        setup->nRecordFrames = frames;
        setup->nRecordSource = source;
        setup->nRecordSourceChannel = sourceChannel;
        setup->nRecordState = 1;
        setup->fChanScale[0] = 0.5f;
        setup->fChanOffset[0] = -1.0f;
        setup->fChanScale[1] = 2.0f;
        setup->fChanOffset[1] = 0.25f;
        setup->dTimeScale = 0.001;
        setup->dTimeOffset = 2e-4;
    }
};

TEST_F(RecFileTest, ThreeFramesMakeHeaderPlusFramesWithTheRecordingsSettings) {
    Record(3, 1, 0);
    std::vector<std::uint8_t> frames(3 * 2048);
    for (std::size_t i = 0; i < frames.size(); ++i) {
        frames[i] = static_cast<std::uint8_t>(i * 7);
    }
    ASSERT_TRUE(SaveRecFile(path, setup.get(), frames.data()));
    const auto bytes = ReadBytes(path);
    ASSERT_EQ(bytes.size(), 16048u + 6144u);
    EXPECT_EQ(bytes[0], 'R');
    EXPECT_EQ(bytes[1], 'C');
    EXPECT_EQ(At<std::uint16_t>(bytes, 2), 0);
    EXPECT_EQ(At<std::uint32_t>(bytes, 4), 2048u);
    EXPECT_EQ(At<std::int32_t>(bytes, 8), 6144);
    EXPECT_EQ(At<std::int32_t>(bytes, 12), 3);
    EXPECT_EQ(At<std::int32_t>(bytes, 16), 1);
    EXPECT_EQ(At<std::int32_t>(bytes, 20), 0);
    EXPECT_FLOAT_EQ(At<float>(bytes, 24), 2.0f);
    EXPECT_FLOAT_EQ(At<float>(bytes, 28), 0.25f);
    EXPECT_DOUBLE_EQ(At<double>(bytes, 32), 0.001);
    EXPECT_DOUBLE_EQ(At<double>(bytes, 40), 2e-4);
    EXPECT_EQ(std::vector<std::uint8_t>(bytes.begin() + 16048, bytes.end()), frames);
    EXPECT_EQ(setup->nRecordState, 0);
}

TEST_F(RecFileTest, DerivedSourceTakesItsChannelsScale) {
    Record(1, 2, 0);
    std::vector<std::uint8_t> frame(2048, 9);
    ASSERT_TRUE(SaveRecFile(path, setup.get(), frame.data()));
    const auto bytes = ReadBytes(path);
    EXPECT_EQ(At<std::int32_t>(bytes, 16), 2);
    EXPECT_EQ(At<std::int32_t>(bytes, 20), 0);
    EXPECT_FLOAT_EQ(At<float>(bytes, 24), 0.5f);
    EXPECT_FLOAT_EQ(At<float>(bytes, 28), -1.0f);
}

TEST_F(RecFileTest, RefusedReplaceOrNothingRecordedIsReportedAndKeepsTheOldFile) {
    WriteText(path, "old");
    Record(1, 0, 0);
    std::vector<std::uint8_t> frame(2048, 1);
    boxes.QueueAnswer(oxbow::MessageAnswer::Cancel);
    EXPECT_FALSE(SaveRecFile(path, setup.get(), frame.data()));
    EXPECT_EQ(ReadText(path), "old");
    EXPECT_EQ(setup->nRecordState, 0);

    Record(0, 0, 0);
    EXPECT_FALSE(SaveRecFile(dir / "empty.rec", setup.get(), frame.data()));
    Record(-5, 0, 0);
    EXPECT_FALSE(SaveRecFile(dir / "negative.rec", setup.get(), frame.data()));
    EXPECT_EQ(dir.EntryCount(), 1);
}

} // namespace
