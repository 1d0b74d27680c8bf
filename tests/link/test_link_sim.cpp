// The Modbus master against the simulated meter over a real pseudo-terminal.
#include "link/Crc16.h"
#include "support/SimFixture.h"
#include "support/Wait.h"

#include <QElapsedTimer>
#include <gtest/gtest.h>

using namespace k71t;
using k71t::sim::Bytes;
using k71t::sim::Fault;

namespace {

struct LinkOverPty : ::testing::Test {
    test::SimHarness sim;
    test::LinkHarness pc{sim.path};

    void SetUp() override
    {
        for (int i = 0; i < 20; ++i)
            sim.meter.setReg16(4000 + i, static_cast<std::uint16_t>(0x1100 + i));
        for (int r = 7664; r < 7684; ++r)
            sim.meter.setReg32(r, 0.5f * static_cast<float>(r - 7600));
    }
    void fault(Fault f, int nth = 0, int code = 4) { sim.fault(f, nth, code, 2000); }
    bool image16Untouched() const
    {
        for (auto v : pc.image.Regs16)
            if (v != 0)
                return false;
        return true;
    }
};

} // namespace

TEST_F(LinkOverPty, ReadsLandInTheirSlots)
{
    ASSERT_TRUE(pc.link.readBlock16(4000, 10));
    for (int i = 0; i < 10; ++i)
        EXPECT_EQ(pc.image.Regs16[i], 0x1100 + i);
    EXPECT_EQ(pc.image.Regs16[10], 0);

    sim.meter.setReg16(4046, 6998);
    sim.meter.setReg16(4049, 528);
    ASSERT_TRUE(pc.link.readBlock16(4046, 4));
    EXPECT_EQ(pc.image.Regs16[46], 6998);
    EXPECT_EQ(pc.image.Regs16[49], 528);

    ASSERT_TRUE(pc.link.readBlock32(7664, 20));
    EXPECT_EQ(pc.image.Regs32[164], 32.0f);
    EXPECT_EQ(pc.image.Regs32[183], 41.5f);
    EXPECT_EQ(pc.image.Regs32[184], 0.0f);

    sim.meter.setReg16(4300, 1); // DEV 0 polled, so 8000 carries a value
    sim.meter.tick(QDateTime::currentDateTime());
    ASSERT_TRUE(pc.link.readBlock32(8050, 50));
    EXPECT_EQ(pc.image.Regs32[550], NoValue);
    ASSERT_TRUE(pc.link.readBlock32(7600, 4));
    EXPECT_EQ(pc.image.reg32(7600), 50.0f);
    EXPECT_EQ(pc.image.reg32(7603), 99999.0f);
    // Each read went out as exactly one request of the expected form.
    const auto frames = sim.validFrames();
    ASSERT_EQ(frames.size(), 5u);
    EXPECT_EQ(frames[0], (Bytes{0x01, 0x03, 0x0F, 0xA0, 0x00, 0x0A, 0xC6, 0xFB}));
}

TEST_F(LinkOverPty, WritesCarryImageValues)
{
    pc.image.reg16(4003) = 3600;
    pc.image.reg16(4004) = 2;
    ASSERT_TRUE(pc.link.writeBlock16(4003, 2));
    EXPECT_EQ(sim.meter.reg16(4003), 3600);
    EXPECT_EQ(sim.meter.reg16(4004), 2);

    pc.image.reg32(7604) = 1.0f;
    pc.image.reg32(7605) = -19999.0f;
    ASSERT_TRUE(pc.link.writeBlock32(7604, 2));
    EXPECT_EQ(sim.meter.reg32(7604), 1.0f);
    EXPECT_EQ(sim.meter.reg32(7605), -19999.0f);

    const auto frames = sim.validFrames();
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_EQ(Bytes(frames[0].begin(), frames[0].end() - 2),
              (Bytes{0x01, 0x10, 0x0F, 0xA3, 0x00, 0x02, 0x04, 0x0E, 0x10, 0x00, 0x02}));
    EXPECT_EQ(Bytes(frames[1].begin() + 7, frames[1].begin() + 11), (Bytes{0x3F, 0x80, 0x00, 0x00}));
}

TEST_F(LinkOverPty, FaultyReadRepliesStoreNothing)
{
    struct Case {
        Fault fault;
        const char *name;
    };
    for (const Case c : {Case{Fault::WrongSlave, "wrong slave"}, Case{Fault::BadCrc, "bad crc"},
                         Case{Fault::Exception, "exception"}, Case{Fault::Garbage, "garbage after reply"},
                         Case{Fault::Truncated, "truncated"}, Case{Fault::ByteCount, "byte count 0"}}) {
        fault(c.fault);
        EXPECT_FALSE(pc.link.readBlock16(4000, 10, 1, 500, true)) << c.name;
        EXPECT_TRUE(image16Untouched()) << c.name;
    }
    fault(Fault::None);
    EXPECT_TRUE(pc.link.readBlock16(4000, 10, 1, 500, true));
    EXPECT_EQ(pc.image.Regs16[9], 0x1109);
}

TEST_F(LinkOverPty, SilenceEndsAtThePollLimit)
{
    fault(Fault::Silence);
    QElapsedTimer timer;
    timer.start();
    EXPECT_FALSE(pc.link.readBlock16(4000, 10, 1, 500));
    EXPECT_GE(timer.elapsed(), 500); // 501 polls of at least 1 ms
    EXPECT_TRUE(image16Untouched());
    timer.restart();
    EXPECT_FALSE(pc.link.readBlock16(4000, 10, 10, 50));
    EXPECT_GE(timer.elapsed(), 500); // 51 polls of 10 ms
}

TEST_F(LinkOverPty, LateReplyTimesOutAndALaterDrainedReadRecovers)
{
    fault(Fault::Late, 1);
    EXPECT_FALSE(pc.link.readBlock16(4000, 2, 1, 500));
    ASSERT_TRUE(test::waitUntil([&] { return pc.link.inputQueueCount() >= 9; })); // the late reply arrives
    EXPECT_TRUE(pc.link.readBlock16(4000, 2, 1, 500, true));
    EXPECT_EQ(pc.image.Regs16[1], 0x1101);
}

TEST_F(LinkOverPty, OnlyTheNthRequestFails)
{
    fault(Fault::Silence, 2);
    EXPECT_TRUE(pc.link.readBlock16(4000, 1));
    EXPECT_FALSE(pc.link.readBlock16(4001, 1));
    EXPECT_TRUE(pc.link.readBlock16(4002, 1));
}

TEST_F(LinkOverPty, CheckReplyCodes)
{
    ASSERT_EQ(pc.link.openPort(2, 1, 7), 1);
    // Sends a read and waits for its whole reply (`bytes` long) before checking it.
    auto exchange = [&](int start, int n, int bytes = 7) {
        pc.link.sendFrame(pc.link.buildReadRequest(1, start, n));
        EXPECT_TRUE(test::waitUntil([&] { return pc.link.inputQueueCount() >= bytes; }));
        return pc.link.checkReply(1);
    };
    EXPECT_EQ(exchange(4000, 1), 3);
    EXPECT_EQ(exchange(6000, 1, 5), -2); // illegal address: 0x83, code 2
    EXPECT_EQ(exchange(4000, 0, 5), -3); // illegal quantity
    fault(Fault::WrongSlave);
    EXPECT_EQ(exchange(4000, 1), 0);
    fault(Fault::BadCrc);
    EXPECT_EQ(exchange(4000, 1), 0);
    fault(Fault::None);
    pc.link.sendFrame(pc.link.buildReadRequest(1, 4000, 1));
    EXPECT_TRUE(test::waitUntil([&] { return pc.link.inputQueueCount() >= 7; }));
    EXPECT_EQ(pc.link.checkReply(2), 0); // the reply is not from the slave asked for
}

TEST_F(LinkOverPty, WritesCountOnlyTheMetersAcknowledge)
{
    pc.image.reg16(4003) = 7;
    struct Case {
        Fault fault;
        const char *name;
    };
    // Eight bytes or more, but not the meter's acknowledge of this request.
    for (const Case c : {Case{Fault::WrongSlave, "wrong slave"}, Case{Fault::BadCrc, "bad crc"},
                         Case{Fault::Garbage, "garbage after it"}, Case{Fault::ByteCount, "another quantity"}}) {
        fault(c.fault);
        EXPECT_FALSE(pc.link.writeBlock16(4003, 1)) << c.name;
        EXPECT_FALSE(pc.link.writeBlock32(7600, 1)) << c.name;
    }
    // An exception ends the write at once, without waiting out the poll limit.
    fault(Fault::Exception);
    EXPECT_FALSE(pc.link.writeBlock16(4003, 1));
    EXPECT_LT(pc.link.lastPolls(), 100);
    fault(Fault::Silence);
    EXPECT_FALSE(pc.link.writeBlock32(7600, 1));
    EXPECT_GT(pc.link.lastPolls(), 500);
    fault(Fault::Truncated); // 5 of the 8 bytes
    EXPECT_FALSE(pc.link.writeBlock16(4003, 1));
    // The meter in order: acknowledged, for both register kinds.
    fault(Fault::None);
    EXPECT_TRUE(pc.link.writeBlock16(4003, 1));
    EXPECT_TRUE(pc.link.writeBlock32(7600, 1));
    EXPECT_EQ(sim.meter.reg16(4003), 7);
}

TEST_F(LinkOverPty, ReopenWithNewSettingsClosesTheOldHandle)
{
    // The meter refuses a master at the wrong speed: reads fail at 9600 ...
    ASSERT_EQ(pc.link.openPort(2, 1, 2), 1);
    EXPECT_FALSE(pc.link.readBlock16(4000, 1, 1, 100));
    // (The meter judges bytes by the line as it finds it when it reads them.)
    ASSERT_TRUE(test::waitUntil([&] { return sim.line.noiseBytes() >= 8; }));
    // ... and work once the port is reopened at 115200. The port is opened
    // exclusively, so this open succeeds only if the old handle was closed.
    ASSERT_EQ(pc.link.openPort(2, 1, 7), 1);
    EXPECT_EQ(pc.portSettings.speedIndex, 7);
    EXPECT_TRUE(pc.link.readBlock16(4000, 1));
    // One stop bit where the meter expects two is refused as well.
    ASSERT_EQ(pc.link.openPort(2, 0, 7), 1);
    EXPECT_FALSE(pc.link.readBlock16(4000, 1, 1, 100));
    EXPECT_TRUE(test::waitUntil([&] { return sim.line.noiseBytes() >= 16; }));
    EXPECT_EQ(pc.link.closePort(), 1);
    EXPECT_FALSE(pc.link.isOpen());
}

TEST_F(LinkOverPty, FirstTransactionOpensThePortWithTheCurrentSettings)
{
    EXPECT_FALSE(pc.link.isOpen());
    EXPECT_TRUE(pc.link.readBlock16(4000, 1));
    EXPECT_TRUE(pc.link.isOpen());
}

TEST_F(LinkOverPty, RequestsGoToTheMeterAddress)
{
    sim.meter.setAddress(5);
    EXPECT_FALSE(pc.link.readBlock16(4000, 1, 1, 100));
    pc.meterAddress = 5;
    EXPECT_TRUE(pc.link.readBlock16(4000, 1, 1, 500, true));
    EXPECT_EQ(sim.validFrames().back()[0], 5);
}

TEST_F(LinkOverPty, ReplySurplusIsReadAndDroppedNotWrittenPastTheBuffer)
{
    // Garbage larger than the receive buffer is waiting when the reply comes.
    ASSERT_EQ(pc.link.openPort(2, 1, 7), 1);
    std::vector<std::uint8_t> noise(3000, 0x5A);
    ASSERT_EQ(::write(sim.line.masterFd(), noise.data(), noise.size()), 3000);
    ASSERT_TRUE(test::waitUntil([&] { return pc.link.inputQueueCount() >= 3000; }));
    EXPECT_EQ(pc.link.drainInput(), 1000);
    EXPECT_EQ(pc.link.inputQueueCount(), 0);
    EXPECT_TRUE(pc.link.readBlock16(4000, 100));
    EXPECT_EQ(pc.image.Regs16[19], 0x1113);
}
