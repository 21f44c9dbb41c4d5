// The stored image of the shared records: fields at their offsets, unnamed
// bytes carried through unchanged.
#include "ox_records.h"

#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <vector>

namespace {

using Image = std::array<unsigned char, sizeof(_OX_SETUP)>;

Image PatternImage() {
    Image image{};
    for (std::size_t i = 0; i < image.size(); ++i)
        image[i] = static_cast<unsigned char>((i * 131 + 7) % 251);
    return image;
}

template <class T> T ReadLe(const Image& image, std::size_t offset) {
    T value{};
    unsigned char bytes[sizeof(T)];
    for (std::size_t i = 0; i < sizeof(T); ++i)
        bytes[i] = image[offset + i]; // little-endian: least significant byte first
    std::memcpy(&value, bytes, sizeof(T));
    return value;
}

template <class T> void WriteLe(Image& image, std::size_t offset, T value) {
    std::memcpy(image.data() + offset, &value, sizeof(T));
}

TEST(SetupImage, ReadsEveryNamedFieldFromItsOffset) {
    Image image = PatternImage();
    WriteLe<float>(image, 60, 0.5f);
    WriteLe<float>(image, 64, 2.0f);
    WriteLe<double>(image, 1288, 1e-6);
    WriteLe<int64_t>(image, 1352, 1'000'000);
    WriteLe<double>(image, 7180, 1.5e-7); // 8-byte field at 4 mod 8
    WriteLe<double>(image, 7188, 2.5e-7);
    WriteLe<int64_t>(image, 7348, -42);
    std::memcpy(image.data() + 8404, "Function not available", 23);

    _OX_SETUP setup;
    std::memcpy(&setup, image.data(), sizeof setup);

    EXPECT_EQ(setup.bRun, image[0]);
    EXPECT_EQ(setup.nActiveChannel, ReadLe<int32_t>(image, 4));
    EXPECT_EQ(setup.nInterface, ReadLe<int32_t>(image, 8));
    EXPECT_EQ(setup.bConnected, image[43]);
    EXPECT_EQ(setup.hUsbDevice, ReadLe<int32_t>(image, 44));
    EXPECT_EQ(setup.bChanDisplay[1], image[51]);
    EXPECT_FLOAT_EQ(setup.fChanScale[0], 0.5f);
    EXPECT_FLOAT_EQ(setup.fChanScale[1], 2.0f);
    EXPECT_EQ(setup.nChanInput[1], ReadLe<int32_t>(image, 128));
    EXPECT_EQ(setup.bTraceShownStop[3], image[311]);
    EXPECT_EQ(setup.bLaChannel[15], image[1170]);
    EXPECT_DOUBLE_EQ(setup.dTimeScale, 1e-6);
    EXPECT_EQ(setup.llTimeScalePs, 1'000'000);
    EXPECT_EQ(setup.nAcqMemoryRec, ReadLe<int32_t>(image, 1508));
    EXPECT_EQ(setup.nPatternBit[15], ReadLe<int32_t>(image, 7088));
    EXPECT_DOUBLE_EQ(setup.dAltHoldoff[0], 1.5e-7);
    EXPECT_DOUBLE_EQ(setup.dAltHoldoff[1], 2.5e-7);
    EXPECT_EQ(setup.llAltTimeOffsetPsRec[0], -42);
    EXPECT_EQ(setup.nAltVideoLine[1], ReadLe<uint16_t>(image, 7462));
    EXPECT_EQ(setup.nRecordState, ReadLe<int32_t>(image, 7568));
    EXPECT_EQ(setup.bUndoUsed, image[8141]);
    EXPECT_FLOAT_EQ(setup.stUndoSlot.fChanScale[0], ReadLe<float>(image, 8144));
    EXPECT_DOUBLE_EQ(setup.stRedoSlot.dAltTimeScale[1], ReadLe<double>(image, 8296));
    EXPECT_EQ(setup.nLanPort, ReadLe<int32_t>(image, 8312));
    EXPECT_EQ(setup.szLanMac[17], static_cast<char>(image[8381]));
    EXPECT_STREQ(setup.szSystemError, "Function not available");
}

TEST(SetupImage, WritesNamedFieldsAndKeepsEveryOtherByte) {
    const Image original = PatternImage();
    _OX_SETUP setup;
    std::memcpy(&setup, original.data(), sizeof setup);

    setup.fChanProbe[1] = 10.0f;
    setup.dAltTimeScale[1] = 2e-3;
    setup.nLanPort = 5025;

    Image written{};
    std::memcpy(written.data(), &setup, sizeof setup);

    EXPECT_FLOAT_EQ(ReadLe<float>(written, 88), 10.0f);
    EXPECT_DOUBLE_EQ(ReadLe<double>(written, 7228), 2e-3);
    EXPECT_EQ(ReadLe<int32_t>(written, 8312), 5025);

    std::vector<bool> changed(written.size(), false);
    for (std::size_t i = 88; i < 92; ++i)
        changed[i] = true;
    for (std::size_t i = 7228; i < 7236; ++i)
        changed[i] = true;
    for (std::size_t i = 8312; i < 8316; ++i)
        changed[i] = true;
    for (std::size_t i = 0; i < written.size(); ++i) {
        if (!changed[i]) {
            ASSERT_EQ(written[i], original[i]) << "byte " << i << " was not carried through";
        }
    }
}

TEST(UndoSlots, FillTheRangeBetweenTheUndoFlagAndTheLanGroup) {
    EXPECT_EQ(offsetof(_OX_SETUP, stUndoSlot), 8144u);
    EXPECT_EQ(offsetof(_OX_SETUP, stRedoSlot) + sizeof(OX_UNDO_SLOT), 8304u);
}

TEST(BlockAccess, TypedAccessIsLittleEndianAtTheNamedOffset) {
    DSO_SETUP dso{};
    dso.set(oxrec::dso::nChanScaleUv[1], int32_t{50'000});
    EXPECT_EQ(dso.bytes[96], 0x50);
    EXPECT_EQ(dso.bytes[97], 0xC3);
    EXPECT_EQ(dso.bytes[98], 0x00);
    EXPECT_EQ(dso.get(oxrec::dso::nChanScaleUv[1]), 50'000);

    DSO_ALT_SETUP alt{};
    alt.set(oxrec::alt::fAltSlopeHoldoff[1], 1.25f);
    float holdoff;
    std::memcpy(&holdoff, alt.bytes + 392, 4);
    EXPECT_FLOAT_EQ(holdoff, 1.25f);
}

TEST(BlockAccess, AccessOutsideTheBlockNeitherWritesNorReads) {
    _OX_LA_SETUP la{};
    std::memset(la.bytes, 0xAB, sizeof la.bytes);
    la.set(oxrec::BlockField<int32_t>{258}, int32_t{0});
    EXPECT_EQ(la.bytes[258], 0xAB);
    EXPECT_EQ(la.bytes[259], 0xAB);
    EXPECT_EQ(la.get(oxrec::BlockField<int32_t>{258}), 0);
    EXPECT_EQ(la.get(oxrec::la::nDurationBit(15)), static_cast<int32_t>(0xABABABAB));
}

} // namespace

namespace {

TEST(PackedFields, AreUsedByValueLikeTheirNumber) {
    _OX_SETUP setup{};
    setup.dAltTimeScale[1] = 2e-3;
    setup.dAltTimeScale[1] *= 5.0;
    setup.llAltTimeOffsetPs[0] = 1'000;
    setup.llAltTimeOffsetPs[0] -= 1'500;
    const double scale = setup.dAltTimeScale[1];
    EXPECT_DOUBLE_EQ(scale, 1e-2);
    EXPECT_EQ(static_cast<int64_t>(setup.llAltTimeOffsetPs[0]), -500);
    EXPECT_LT(setup.llAltTimeOffsetPs[0], 0);
}

} // namespace
