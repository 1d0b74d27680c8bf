// The link against an independent Modbus RTU slave: libmodbus serving on the
// master end of a pseudo-terminal.
#include "support/SimFixture.h"

#include <atomic>
#include <cstdlib>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <modbus.h>
#include <termios.h>
#include <thread>
#include <unistd.h>

using namespace k71t;

namespace {

class LibmodbusSlave {
public:
    LibmodbusSlave()
    {
        master_ = posix_openpt(O_RDWR | O_NOCTTY);
        grantpt(master_);
        unlockpt(master_);
        char name[128] = {};
        ptsname_r(master_, name, sizeof name);
        path = QString::fromLocal8Bit(name);
        keeper_ = ::open(name, O_RDWR | O_NOCTTY);
        termios tio{};
        tcgetattr(master_, &tio);
        cfmakeraw(&tio);
        tcsetattr(master_, TCSANOW, &tio);
        ctx_ = modbus_new_rtu("/dev/null", 115200, 'N', 8, 2);
        modbus_set_slave(ctx_, 1);
        modbus_set_socket(ctx_, master_);
        modbus_set_indication_timeout(ctx_, 0, 50000);
        map_ = modbus_mapping_new_start_address(0, 0, 0, 0, 4000, 200, 0, 0);
        for (int i = 0; i < 200; ++i)
            map_->tab_registers[i] = static_cast<std::uint16_t>(0xA000 + i);
        thread_ = std::thread([this] { serve(); });
    }
    ~LibmodbusSlave()
    {
        stop_ = true;
        thread_.join();
        modbus_mapping_free(map_);
        modbus_free(ctx_);
        ::close(master_);
        ::close(keeper_);
    }
    std::uint16_t reg(int r) const { return map_->tab_registers[r - 4000]; }
    QString path;

private:
    void serve()
    {
        std::uint8_t query[MODBUS_RTU_MAX_ADU_LENGTH];
        while (!stop_) {
            const int rc = modbus_receive(ctx_, query);
            if (rc > 0)
                modbus_reply(ctx_, query, rc, map_);
            else if (rc < 0)
                usleep(1000);
        }
    }
    int master_ = -1;
    int keeper_ = -1;
    modbus_t *ctx_ = nullptr;
    modbus_mapping_t *map_ = nullptr;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

} // namespace

TEST(LinkAgainstLibmodbus, ReadsAndWritesSixteenBitRegisters)
{
    LibmodbusSlave slave;
    test::LinkHarness pc(slave.path);
    ASSERT_TRUE(pc.link.readBlock16(4000, 100));
    for (int i = 0; i < 100; ++i)
        ASSERT_EQ(pc.image.Regs16[i], 0xA000 + i) << i;
    ASSERT_TRUE(pc.link.readBlock16(4150, 3));
    EXPECT_EQ(pc.image.reg16(4152), 0xA000 + 152);

    for (int i = 0; i < 16; ++i)
        pc.image.reg16(4013 + i) = static_cast<std::uint16_t>(500 + i);
    ASSERT_TRUE(pc.link.writeBlock16(4013, 16));
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(slave.reg(4013 + i), 500 + i);

    // libmodbus answers an illegal address with an exception: nothing stored.
    pc.image.Regs16.fill(0);
    EXPECT_FALSE(pc.link.readBlock16(4190, 20));
    EXPECT_EQ(pc.image.reg16(4190), 0);
}
