#include "link/RegisterImage.h"

#include <gtest/gtest.h>
#include <vector>

using namespace k71t;

namespace {
std::vector<std::uint8_t> countingBytes(int n)
{
    std::vector<std::uint8_t> b(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i)
        b[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(i + 1);
    return b;
}
} // namespace

TEST(RegisterImage, SixteenBitRepliesLandInTheirSlots)
{
    RegisterImage image;
    const auto data = countingBytes(8);
    image.storeReply(4046, data.data(), 8);
    EXPECT_EQ(image.Regs16[45], 0);
    EXPECT_EQ(image.Regs16[46], 0x0102);
    EXPECT_EQ(image.Regs16[49], 0x0708);
    EXPECT_EQ(image.Regs16[50], 0);
}

TEST(RegisterImage, ThirtyTwoBitRepliesLandInTheirSlots)
{
    struct Case {
        int start, count, firstSlot;
    };
    for (const Case c : {Case{7664, 20, 164}, Case{7622, 42, 122}, Case{8050, 50, 550}}) {
        RegisterImage image;
        const auto data = countingBytes(4 * c.count);
        image.storeReply(c.start, data.data(), 4 * c.count);
        EXPECT_EQ(image.bits32(c.firstSlot - 1), 0u) << c.start;
        EXPECT_EQ(image.bits32(c.firstSlot), 0x01020304u) << c.start;
        const int lastSlot = c.firstSlot + c.count - 1;
        const std::uint32_t b = static_cast<std::uint32_t>(4 * (c.count - 1) + 1);
        EXPECT_EQ(image.bits32(lastSlot), b << 24 | (b + 1) << 16 | (b + 2) << 8 | (b + 3)) << c.start;
        if (lastSlot + 1 < Regs32Count) {
            EXPECT_EQ(image.bits32(lastSlot + 1), 0u) << c.start;
        }
    }
}

TEST(RegisterImage, FloatBytesMostSignificantFirst)
{
    RegisterImage image;
    const std::uint8_t data[] = {0x42, 0xC8, 0x00, 0x00};
    image.storeReply(7600, data, 4);
    EXPECT_EQ(image.reg32(7600), 100.0f);
}

TEST(RegisterImage, StartsOutsideTheArraysChangeNothing)
{
    const auto data = countingBytes(40);
    for (int start : {0, 3999, 6000, 7000, 7499, 8100, 9000}) {
        RegisterImage image;
        image.storeReply(start, data.data(), 40);
        for (auto v : image.Regs16)
            ASSERT_EQ(v, 0) << start;
        for (int s = 0; s < Regs32Count; ++s)
            ASSERT_EQ(image.bits32(s), 0u) << start;
    }
}

TEST(RegisterImage, ValuesPastTheEndOfAnArrayAreDropped)
{
    RegisterImage image;
    const auto data = countingBytes(16);
    image.storeReply(5998, data.data(), 8); // 5998, 5999, then outside
    EXPECT_EQ(image.Regs16[1998], 0x0102);
    EXPECT_EQ(image.Regs16[1999], 0x0304);
    image.storeReply(8098, data.data(), 16); // 8098, 8099, then outside
    EXPECT_EQ(image.bits32(598), 0x01020304u);
    EXPECT_EQ(image.bits32(599), 0x05060708u);
}
