// The other software's waveform file: header fields at their offsets and the samples after it.
#include "records_fixture.h"

#include <gtest/gtest.h>

namespace {

using oxfile::Result;

template <class T> T At(const std::string& bytes, std::size_t offset) {
    T value;
    std::memcpy(&value, bytes.data() + offset, sizeof value);
    return value;
}

TEST(KwfmTest, HeaderCarriesScalesOffsetsAndTrigger) {
    Acquisition a(31);
    a.setup.nActiveChannel = 9;
    a.setup.fChanScale[0] = 0.5f;
    a.setup.fChanProbe[0] = 10.0f;
    a.setup.fChanOffset[0] = -1.0f;
    a.setup.fChanScaleRec[0] = 0.5f;
    a.setup.fChanOffsetRec[0] = 1e6f; // saturates
    a.setup.fChanScale[1] = 0.0f;     // no division by zero
    a.setup.fChanOffset[1] = 3.0f;
    a.setup.fChanProbe[1] = 1.0f;
    a.setup.nAltCoupling[0] = 1;
    a.setup.nAltCoupling[1] = 3;
    a.setup.dAltHoldoff[1] = 0.25;
    a.setup.nAltMemoryRec[1] = 77;
    std::memset(a.setup.bLaChannel, 0, sizeof a.setup.bLaChannel);
    a.setup.bLaChannel[0] = a.setup.bLaChannel[15] = 1;
    const std::string h = oxfile::BuildKwfmHeader(a.setup);
    ASSERT_EQ(h.size(), 276u);
    EXPECT_EQ(At<std::uint16_t>(h, 0), 0xA5A5);
    EXPECT_EQ(At<std::uint32_t>(h, 4), std::uint32_t{kPoints});
    EXPECT_EQ(At<std::uint32_t>(h, 12), std::uint32_t{2 * kPoints});
    EXPECT_EQ(At<std::int32_t>(h, 28), kPoints);
    EXPECT_EQ(At<std::uint8_t>(h, 32), 2);
    EXPECT_EQ(At<std::int32_t>(h, 36), 50'000);
    EXPECT_EQ(At<std::int16_t>(h, 40), -50);
    EXPECT_EQ(At<float>(h, 44), 10.0f);
    EXPECT_EQ(At<std::int16_t>(h, 56), 32'767);
    EXPECT_EQ(At<std::int16_t>(h, 64), 0);
    EXPECT_EQ(At<std::int64_t>(h, 112), a.setup.llTimeOffsetPsRec);
    EXPECT_EQ(At<std::uint16_t>(h, 122), 0x8001);
    EXPECT_EQ(At<std::uint8_t>(h, 139), 15);
    EXPECT_EQ(At<std::uint8_t>(h, 145), 3);
    EXPECT_EQ(At<std::uint8_t>(h, 185), 1);
    EXPECT_EQ(At<float>(h, 192), 0.25f);
    EXPECT_EQ(At<float>(h, 196), 0.25f);
    EXPECT_EQ(At<std::uint16_t>(h, 224), 0x0F0F);
    EXPECT_EQ(At<std::int32_t>(h, 232), 77);
    EXPECT_EQ(At<std::int32_t>(h, 236), a.setup.nAltSource);
    EXPECT_EQ(At<float>(h, 272), a.setup.fSampleRate);
    EXPECT_EQ(At<std::uint8_t>(h, 2), 0);
}

TEST(KwfmTest, FileIsTheHeaderAndTheShownSamples) {
    ScratchDir dir;
    const std::string path = dir / "a.kwfm";
    Acquisition a(32);
    a.setup.bChanShownStop[0] = 0;
    ASSERT_EQ(oxfile::SaveKwfmFile(path, a.setup, a.Samples(), true), Result::Ok);
    const std::string bytes = ReadText(path);
    ASSERT_EQ(bytes.size(), 276u + kPoints + 2 * kPoints);
    EXPECT_EQ(0, std::memcmp(bytes.data() + 276, a.ch2.data(), kPoints));
    EXPECT_EQ(0, std::memcmp(bytes.data() + 276 + kPoints, a.la.data(), 2 * kPoints));
}

} // namespace
