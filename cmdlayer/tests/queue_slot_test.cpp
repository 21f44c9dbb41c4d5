#include "ox_queue.h"

#include <gtest/gtest.h>

#include <array>
#include <bit>
#include <cstdint>
#include <cstring>

namespace {

using Slot = std::array<std::uint8_t, 8>;

Slot BytesOf(auto value) {
    Slot slot{};
    std::memcpy(slot.data(), &value, sizeof value);
    return slot;
}

TEST(ArgumentSlot, BoolAfterDoubleKeepsBytesOneToSeven) {
    SetMsgVarDouble(-1234.5678e-9);
    const Slot before = GetMsgVarSlot();
    SetMsgVarbool(true);
    Slot expected = before;
    expected[0] = 1;
    EXPECT_EQ(GetMsgVarSlot(), expected);
    SetMsgVarbool(false);
    expected[0] = 0;
    EXPECT_EQ(GetMsgVarSlot(), expected);
}

TEST(ArgumentSlot, FourByteSettersWriteTheLowHalfOnly) {
    SetMsgVarLONG64(0x1122334455667788);
    SetMsgVarfloat(0.25f);
    const Slot slot = GetMsgVarSlot();
    std::uint32_t low, high;
    std::memcpy(&low, slot.data(), 4);
    std::memcpy(&high, slot.data() + 4, 4);
    EXPECT_EQ(low, std::bit_cast<std::uint32_t>(0.25f));
    EXPECT_EQ(high, 0x11223344u);

    SetMsgVarInt(-2);
    SetMsgVarLong(-3);
    SetMsgVarUINT(0xDEADBEEF);
    SetMsgVarULong(7);
    std::memcpy(&low, GetMsgVarSlot().data(), 4);
    std::memcpy(&high, GetMsgVarSlot().data() + 4, 4);
    EXPECT_EQ(low, 7u);
    EXPECT_EQ(high, 0x11223344u);
}

TEST(ArgumentSlot, EightByteSettersWriteTheWholeSlot) {
    SetMsgVarInt(-1);
    SetMsgVarDouble(1e-9);
    EXPECT_EQ(GetMsgVarSlot(), BytesOf(1e-9));
    SetMsgVarLONG64(-5'000'000'000'000);
    EXPECT_EQ(GetMsgVarSlot(), BytesOf(std::int64_t{-5'000'000'000'000}));
}

} // namespace
