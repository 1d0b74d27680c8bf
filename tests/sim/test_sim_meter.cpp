// The simulated meter's answers, frame by frame, without a line.
#include "SimMeter.h"

#include <gtest/gtest.h>

using namespace k71t;
using namespace k71t::sim;

namespace {

Bytes request(std::initializer_list<std::uint8_t> body)
{
    Bytes f(body);
    appendCrc(f);
    return f;
}

Bytes read(int slave, int start, int n)
{
    return request({static_cast<std::uint8_t>(slave), 3, static_cast<std::uint8_t>(start >> 8),
                    static_cast<std::uint8_t>(start), static_cast<std::uint8_t>(n >> 8), static_cast<std::uint8_t>(n)});
}

Bytes exceptionReply(int function, int code)
{
    return request({1, static_cast<std::uint8_t>(function | 0x80), static_cast<std::uint8_t>(code)});
}

} // namespace

TEST(SimMeter, PowersUpWithTheStandardConfiguration)
{
    SimMeter meter;
    EXPECT_EQ(meter.reg16(4003), 1);
    EXPECT_EQ(meter.reg16(4009), 3);
    EXPECT_EQ(meter.reg16(4037), 500);
    EXPECT_EQ(meter.reg16(4042), 2009);
    EXPECT_EQ(meter.reg16(4301), 7505);
    EXPECT_EQ(meter.reg16(4379 - 4), 6);
    EXPECT_EQ(meter.reg32(7602), -19999.0f);
    EXPECT_EQ(meter.reg32(7617), 99999.0f);
    EXPECT_EQ(meter.reg32(7662), 2000.0f);
    EXPECT_EQ(meter.reg32(7683), 200.0f);
    EXPECT_EQ(meter.reg16(4033), 1);
}

TEST(SimMeter, AnswersReadsOfBothKinds)
{
    SimMeter meter;
    EXPECT_EQ(meter.handle(read(1, 4009, 2)).bytes, request({1, 3, 4, 0, 3, 0, 1}));
    // One address per float, four bytes each: 50.0 = 42 48 00 00.
    EXPECT_EQ(meter.handle(read(1, 7600, 2)).bytes, request({1, 3, 8, 0x42, 0x48, 0, 0, 0x42, 0xA0, 0, 0}));
}

TEST(SimMeter, ExceptionsForIllegalAddressesAndQuantities)
{
    SimMeter meter;
    struct Case {
        Bytes frame;
        Bytes reply;
    };
    const Case cases[] = {
        {read(1, 3999, 1), exceptionReply(3, 2)},   {read(1, 5999, 2), exceptionReply(3, 2)},
        {read(1, 6000, 1), exceptionReply(3, 2)},   {read(1, 8099, 2), exceptionReply(3, 2)},
        {read(1, 4000, 0), exceptionReply(3, 3)},   {read(1, 4000, 126), exceptionReply(3, 3)},
        {read(1, 7500, 64), exceptionReply(3, 3)},  {request({1, 4, 0x0F, 0xA0, 0, 1}), exceptionReply(4, 1)},
        // byte count that does not match the quantity
        {request({1, 16, 0x0F, 0xA0, 0, 2, 2, 0, 1}), exceptionReply(16, 3)},
        {request({1, 16, 0x1D, 0xB0, 0, 1, 2, 0, 1}), exceptionReply(16, 3)},
        {request({1, 16, 0x17, 0x70, 0, 1, 2, 0, 1}), exceptionReply(16, 2)},
    };
    for (const Case &c : cases)
        EXPECT_EQ(meter.handle(c.frame).bytes, c.reply) << hex(c.frame).toStdString();
    EXPECT_EQ(meter.reg16(4000), 0);
}

TEST(SimMeter, IgnoresOtherAddressesAndBadCrc)
{
    SimMeter meter(7);
    EXPECT_TRUE(meter.handle(read(1, 4000, 1)).bytes.empty());
    Bytes bad = read(7, 4000, 1);
    bad.back() ^= 1;
    EXPECT_TRUE(meter.handle(bad).bytes.empty());
    EXPECT_FALSE(meter.handle(read(7, 4000, 1)).bytes.empty());
    EXPECT_EQ(meter.receivedFrames().size(), 3u);

    // Frames with a valid CRC but too short for their function's fields get
    // no answer (and are not read past their end); an unknown function gets
    // the illegal-function exception.
    auto framed = [](Bytes f) {
        appendCrc(f);
        return f;
    };
    EXPECT_TRUE(meter.handle(framed({7, 3, 0x0F, 0xA0})).bytes.empty());
    EXPECT_TRUE(meter.handle(framed({7, 3, 0x0F, 0xA0, 0})).bytes.empty());
    EXPECT_TRUE(meter.handle(framed({7, 16, 0x0F, 0xA0, 0, 2, 4, 0, 1})).bytes.empty());
    EXPECT_TRUE(meter.handle(framed({7, 16, 0x0F, 0xA0, 0, 1})).bytes.empty());
    EXPECT_EQ(meter.handle(framed({7, 0, 0})).bytes, framed({7, 0x80, 1}));
    EXPECT_EQ(meter.reg16(4000), SimMeter(7).reg16(4000));

    // A meter polled for days keeps its recent frames only, the newest last.
    for (int i = 0; i < 150000; ++i)
        meter.handle(read(7, 4000 + i % 100, 1));
    const std::vector<Bytes> kept = meter.receivedFrames();
    EXPECT_LE(kept.size(), 100000u);
    EXPECT_GE(kept.size(), 50000u);
    EXPECT_EQ(kept.back(), read(7, 4000 + 149999 % 100, 1));
}

Bytes write16(int slave, int start, std::initializer_list<std::uint16_t> values)
{
    Bytes f{static_cast<std::uint8_t>(slave), 16, static_cast<std::uint8_t>(start >> 8), static_cast<std::uint8_t>(start),
            0, static_cast<std::uint8_t>(values.size()), static_cast<std::uint8_t>(2 * values.size())};
    for (std::uint16_t v : values) {
        f.push_back(static_cast<std::uint8_t>(v >> 8));
        f.push_back(static_cast<std::uint8_t>(v));
    }
    appendCrc(f);
    return f;
}

TEST(SimMeter, TheApplyCommandSwitchesTheInterfaceThePcIsOn)
{
    struct Case {
        bool board;
        bool refuse;
        int baud, stopBits, address; // what the meter answers with afterwards
    };
    // 4031 .. 4037: additional 19200 (2) 8E1 (1), address 9, apply, primary 38400 (3) 8N1 (3), 500 ms.
    for (const Case c : {Case{false, false, 38400, 1, 9}, Case{true, false, 19200, 1, 9},
                         Case{false, true, 115200, 2, 1}}) {
        SimMeter meter;
        meter.setOutputsBoard(c.board);
        meter.setRefuseApply(c.refuse);
        const SimMeter::Reply reply = meter.handle(write16(1, 4031, {2, 1, 9, 1, 3, 3, 500}));
        if (c.refuse) {
            EXPECT_EQ(reply.bytes, exceptionReply(16, 4));
            EXPECT_EQ(meter.reg16(4033), 1); // refused: nothing of the block stored
        } else {
            EXPECT_EQ(reply.bytes, request({1, 16, 0x0F, 0xBF, 0, 7})); // acknowledged at the old address
            EXPECT_EQ(meter.reg16(4034), 0);
        }
        EXPECT_EQ(meter.interfaceSettings().baud, c.baud) << c.board << c.refuse;
        EXPECT_EQ(meter.interfaceSettings().stopBits, c.stopBits);
        EXPECT_EQ(meter.interfaceSettings().address, c.address);
        EXPECT_EQ(meter.handle(read(c.address == 1 ? 9 : 1, 4033, 1)).bytes.empty(), true);
        EXPECT_FALSE(meter.handle(read(c.address, 4033, 1)).bytes.empty());
    }
}

TEST(SimMeter, CommandsAndTheClockKeepWhatTheyMust)
{
    SimMeter meter;
    meter.setOutputsBoard(true);
    meter.setReg16(4051, 0x8481); // with the board's bit 7
    meter.setReg16(4052, 0x11);
    meter.setReg16(4005, 1);
    meter.setReg16(4039, 1234);
    meter.setReg16(4003, 0);
    meter.setReg16(4043, 0); // the automatic time change, off
    meter.fillArchive(50);

    // Clearing the status flags keeps the outputs board, which is hardware.
    meter.handle(write16(1, 4051, {0, 0}));
    EXPECT_EQ(meter.reg16(4051), 0x0080);
    EXPECT_EQ(meter.reg16(4052), 0);

    // Factory settings: the standard configuration, the card mode and the
    // access code kept, the archive cleared, bit 10 set.
    meter.handle(write16(1, 4038, {1}));
    EXPECT_EQ(meter.reg16(4038), 0);
    EXPECT_EQ(meter.reg16(4003), 1);
    EXPECT_EQ(meter.reg16(4005), 1);
    EXPECT_EQ(meter.reg16(4039), 1234);
    EXPECT_EQ(meter.reg16(4043), 1); // standard configuration, not clock
    EXPECT_EQ(meter.reg16(4051), 0x0480);
    EXPECT_TRUE(meter.archiveRecords().empty());

    // Clearing min/max starts them again from the displayed value.
    meter.tick(QDateTime(QDate(2026, 12, 8), QTime(10, 0, 0)));
    meter.tick(QDateTime(QDate(2026, 12, 8), QTime(10, 0, 15)));
    ASSERT_LT(meter.reg32(7503), meter.reg32(7504));
    meter.handle(write16(1, 4055, {1}));
    EXPECT_EQ(meter.reg16(4055), 0);
    meter.tick(QDateTime(QDate(2026, 12, 8), QTime(10, 0, 20)));
    EXPECT_EQ(meter.reg32(7503), meter.reg32(7504));
    EXPECT_EQ(meter.reg32(7503), meter.reg32(7505));

    // A written clock runs on from what was written.
    const QDateTime now(QDate(2026, 12, 8), QTime(10, 0, 30));
    meter.tick(now);
    meter.handle(write16(1, 4040, {2359, 1231, 2025, 0}));
    meter.tick(now.addSecs(25));
    EXPECT_EQ(meter.reg16(4040), 2359);
    meter.tick(now.addSecs(65));
    EXPECT_EQ(meter.reg16(4040), 0);
    EXPECT_EQ(meter.reg16(4041), 101);
    EXPECT_EQ(meter.reg16(4042), 2026);
    EXPECT_EQ(meter.reg16(4043), 0);
    // Registers that form no date stop the clock where they are.
    meter.handle(write16(1, 4041, {1300}));
    meter.tick(now.addSecs(300));
    EXPECT_EQ(meter.reg16(4041), 1300);
    EXPECT_EQ(meter.reg16(4040), 0);
}

TEST(SimMeter, FaultsApplyToAllOrTheNthRequest)
{
    SimMeter meter;
    FaultPlan plan;
    plan.fault = Fault::Exception;
    plan.exceptionCode = 2;
    plan.nth = 2;
    meter.setFault(plan);
    EXPECT_EQ(meter.handle(read(1, 4000, 1)).bytes.size(), 7u);
    EXPECT_EQ(meter.handle(read(1, 4000, 1)).bytes, exceptionReply(3, 2));
    EXPECT_EQ(meter.handle(read(1, 4000, 1)).bytes.size(), 7u);

    plan.nth = 0;
    plan.fault = Fault::WrongSlave;
    meter.setFault(plan);
    Bytes r = meter.handle(read(1, 4000, 1)).bytes;
    EXPECT_EQ(r[0], 2);
    EXPECT_TRUE(crcMatches(r));
    plan.fault = Fault::BadCrc;
    meter.setFault(plan);
    EXPECT_FALSE(crcMatches(meter.handle(read(1, 4000, 1)).bytes));
    plan.fault = Fault::Truncated;
    meter.setFault(plan);
    EXPECT_EQ(meter.handle(read(1, 4000, 1)).bytes.size(), 4u);
    plan.fault = Fault::Garbage;
    meter.setFault(plan);
    EXPECT_EQ(meter.handle(read(1, 4000, 1)).bytes.size(), 10u);
    plan.fault = Fault::Late;
    plan.lateMs = 777;
    meter.setFault(plan);
    EXPECT_EQ(meter.handle(read(1, 4000, 1)).delayMs, 777);
    plan.fault = Fault::Silence;
    meter.setFault(plan);
    EXPECT_TRUE(meter.handle(read(1, 4000, 1)).bytes.empty());
    // A lost write is not executed.
    meter.handle(request({1, 16, 0x0F, 0xA3, 0, 1, 2, 0, 9}));
    EXPECT_EQ(meter.reg16(4003), 1);
}

TEST(SimMeter, FrameLengthsFromTheFunctionCode)
{
    const std::uint8_t readFrame[] = {1, 3};
    const std::uint8_t writeFrame[] = {1, 16, 0x0F, 0xA0, 0, 2, 4};
    const std::uint8_t other[] = {1, 7};
    EXPECT_EQ(SimMeter::requestLength(readFrame, 1), 0);
    EXPECT_EQ(SimMeter::requestLength(readFrame, 2), 8);
    EXPECT_EQ(SimMeter::requestLength(writeFrame, 6), 0);
    EXPECT_EQ(SimMeter::requestLength(writeFrame, 7), 13);
    EXPECT_EQ(SimMeter::requestLength(other, 2), -1);
}

TEST(SimMeter, LiveValuesAndClockMove)
{
    SimMeter meter;
    meter.setReg16(4300 + 8 * 2, 5); // DEV 2 polled, 1 register
    meter.tick(QDateTime(QDate(2026, 12, 8), QTime(17, 45, 3)));
    EXPECT_EQ(meter.reg16(4040), 1745);
    EXPECT_EQ(meter.reg16(4041), 1208);
    EXPECT_EQ(meter.reg16(4042), 2026);
    const float first = meter.reg32(7505);
    meter.tick(QDateTime(QDate(2026, 12, 8), QTime(17, 45, 18)));
    EXPECT_NE(meter.reg32(7505), first);
    EXPECT_LE(meter.reg32(7503), std::min(first, meter.reg32(7505)));
    EXPECT_GE(meter.reg32(7504), std::max(first, meter.reg32(7505)));
    EXPECT_NE(meter.reg32(8020), NoValue);
    EXPECT_EQ(meter.reg32(8021), NoValue); // only one register polled
    EXPECT_EQ(meter.reg32(8000), NoValue); // DEV 0 not polled
    EXPECT_GE(meter.reg32(7522), 85.0f); // a device that answers
    EXPECT_LE(meter.reg32(7522), 100.0f);
    EXPECT_EQ(meter.reg32(7520), 0.0f); // not polled

    // A silent device (its bit in 4050): a low quality and no values; a
    // pinned register stays whatever the live values do.
    meter.setReg16(4050, 1u << 2);
    meter.pin(7505, 1e10f);
    meter.tick(QDateTime(QDate(2026, 12, 8), QTime(17, 46, 0)));
    EXPECT_LE(meter.reg32(7522), 30.0f);
    EXPECT_EQ(meter.reg32(8020), NoValue);
    EXPECT_EQ(meter.reg32(7505), 1e10f);
}
