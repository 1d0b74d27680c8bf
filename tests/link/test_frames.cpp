// Request frames and the CRC, byte for byte, against hand-written vectors.
#include "link/Crc16.h"
#include "link/ModbusLink.h"

#include <QByteArray>
#include <gtest/gtest.h>
#include <random>

using namespace k71t;

namespace {

// Bitwise Modbus CRC, independent of the tables.
std::uint16_t referenceCrc(const std::uint8_t *b, std::size_t n)
{
    std::uint16_t crc = 0xFFFF;
    for (std::size_t i = 0; i < n; ++i) {
        crc ^= b[i];
        for (int k = 0; k < 8; ++k)
            crc = (crc & 1) ? (crc >> 1) ^ 0xA001 : crc >> 1;
    }
    return crc;
}

struct Frames : ::testing::Test {
    RegisterImage image;
    PortSettings settings;
    std::uint8_t address = 1;
    PortMap ports;
    ModbusLink link{image, settings, address, ports};

    QByteArray tx(int length) const
    {
        return QByteArray(reinterpret_cast<const char *>(link.txBuffer()), length);
    }
};

} // namespace

TEST(Crc16, PublishedCheckValue)
{
    const std::uint8_t frame[] = {0x01, 0x03, 0x00, 0x00, 0x00, 0x01};
    EXPECT_EQ(crc16(frame, sizeof frame), 0x840A); // the frame ends 84 0A
}

TEST(Crc16, TablesAgreeWithTheBitwiseCrc)
{
    std::mt19937 rng(71);
    std::vector<std::uint8_t> data(300);
    for (int round = 0; round < 200; ++round) {
        const std::size_t n = rng() % data.size();
        for (auto &b : data)
            b = static_cast<std::uint8_t>(rng());
        const std::uint16_t standard = referenceCrc(data.data(), n);
        // The table form yields the wire order: standard low byte first.
        EXPECT_EQ(crc16(data.data(), n), static_cast<std::uint16_t>((standard & 0xFF) << 8 | standard >> 8));
    }
}

TEST_F(Frames, ReadRequest)
{
    ASSERT_EQ(link.buildReadRequest(1, 4000, 10), 8);
    EXPECT_EQ(tx(8), QByteArray::fromHex("01030FA0000AC6FB"));
    ASSERT_EQ(link.buildReadRequest(1, 0, 1), 8);
    EXPECT_EQ(tx(8), QByteArray::fromHex("010300000001840A"));
    // The register number travels as it is: 4046 = 0x0FCE.
    link.buildReadRequest(247, 4046, 4);
    EXPECT_EQ(tx(6), QByteArray::fromHex("F7030FCE0004"));
}

TEST_F(Frames, Write32CarriesFloatsMostSignificantByteFirst)
{
    image.reg32(7604) = 1.0f;
    ASSERT_EQ(link.buildWrite32Request(1, 7604, 1), 13);
    const QByteArray frame = tx(13);
    EXPECT_EQ(frame.left(11), QByteArray::fromHex("01101DB40001043F800000"));
    const std::uint16_t crc = crc16(link.txBuffer(), 11);
    EXPECT_EQ(static_cast<std::uint8_t>(frame[11]), crc >> 8);
    EXPECT_EQ(static_cast<std::uint8_t>(frame[12]), crc & 0xFF);
}

TEST_F(Frames, WriteLengthsAndByteCounts)
{
    for (int i = 0; i < 16; ++i)
        image.reg16(4013 + i) = static_cast<std::uint16_t>(0x0100 * i + 7);
    ASSERT_EQ(link.buildWrite16Request(3, 4013, 16), 41);
    EXPECT_EQ(tx(7), QByteArray::fromHex("03100FAD001020")); // quantity 16, byte count 32
    EXPECT_EQ(tx(11).mid(7), QByteArray::fromHex("00070107"));  // values high byte first
    EXPECT_EQ(link.buildWrite32Request(1, 7604, 8), 41);
    EXPECT_EQ(tx(7), QByteArray::fromHex("01101DB4000820")); // quantity 8, byte count 32
}

TEST_F(Frames, OversizedWritesAreNotBuilt)
{
    EXPECT_EQ(link.buildWrite16Request(1, 4000, 496), 0);
    EXPECT_EQ(link.buildWrite32Request(1, 7500, 248), 0);
    EXPECT_EQ(link.buildWrite16Request(1, 4000, 495), 999);
}

TEST(ExpectedReplyLength, IndexOfTheLastReplyByte)
{
    struct Case {
        int n, type, last;
    };
    const Case cases[] = {{10, 0, 14}, {10, 1, 14}, {10, 2, 24}, {10, 3, 24}, {10, 4, 44},
                          {10, 5, 44}, {10, 6, 44}, {10, 7, 4},  {100, 3, 204}, {50, 6, 204}};
    for (const Case &c : cases)
        EXPECT_EQ(ModbusLink::expectedReplyLength(c.n, c.type), c.last) << c.n << " " << c.type;
}

TEST(LineSettings, ModeKindsAndSpeeds)
{
    LineSettings s;
    ASSERT_TRUE(lineSettingsFor(0, 0, s));
    EXPECT_EQ(s.baud, 2400);
    EXPECT_EQ(s.parity, Parity::None);
    EXPECT_EQ(s.stopBits, 1);
    ASSERT_TRUE(lineSettingsFor(1, 3, s));
    EXPECT_EQ(s.baud, 14400);
    EXPECT_EQ(s.stopBits, 2);
    ASSERT_TRUE(lineSettingsFor(2, 7, s));
    EXPECT_EQ(s.parity, Parity::Even);
    ASSERT_TRUE(lineSettingsFor(3, 2, s));
    EXPECT_EQ(s.parity, Parity::Odd);
    EXPECT_EQ(s.baud, 9600);
    EXPECT_FALSE(lineSettingsFor(4, 0, s));
    EXPECT_FALSE(lineSettingsFor(0, 8, s));
}
