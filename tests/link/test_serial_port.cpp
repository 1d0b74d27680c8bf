// The serial port on real device files: refusals and exclusive use.
#include "link/SerialBaud.h"
#include "link/SerialPort.h"
#include "support/SimFixture.h"
#include "support/TempDir.h"

#include <fcntl.h>
#include <sys/ioctl.h>
#include <gtest/gtest.h>
#include <termios.h>
#include <unistd.h>

using namespace k71t;

TEST(SerialPort, MissingDeviceAndNonTerminalAreRefused)
{
    SerialPort port;
    EXPECT_FALSE(port.open(QStringLiteral("/dev/does-not-exist"), {}));
    EXPECT_FALSE(port.isOpen());
    EXPECT_FALSE(port.errorText().isEmpty());
    test::TempDir dir;
    dir.write("plain", "x");
    EXPECT_FALSE(port.open(dir.file("plain"), {}));
    EXPECT_FALSE(port.isOpen());
}

TEST(SerialPort, DeviceHeldByAnotherOpenIsRefused)
{
    test::SimHarness sim;
    SerialPort first, second;
    ASSERT_TRUE(first.open(sim.path, {}));
    EXPECT_FALSE(second.open(sim.path, {}));
    first.close();
    EXPECT_TRUE(second.open(sim.path, {}));
}

TEST(SerialPort, ClosingGivesTheDeviceBackToOtherUsers)
{
    test::SimHarness sim;
    SerialPort port;
    ASSERT_TRUE(port.open(sim.path, {}));
    port.close();
    // Root passes the exclusive flag, so ask the terminal whether it is still set;
    // any other user would be refused the device while it is.
    const int fd = ::open(sim.path.toLocal8Bit().constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    ASSERT_GE(fd, 0);
    int exclusive = -1;
    ASSERT_EQ(::ioctl(fd, TIOCGEXCL, &exclusive), 0);
    EXPECT_EQ(exclusive, 0);
    ::close(fd);
}

TEST(SerialPort, SettingsReachTheDevice)
{
    test::SimHarness sim;
    SerialPort port;
    ASSERT_TRUE(port.open(sim.path, {14400, Parity::None, 2}));
    EXPECT_EQ(getBaudRate(port.fd()), 14400);
    termios tio{};
    ASSERT_EQ(tcgetattr(port.fd(), &tio), 0);
    EXPECT_TRUE(tio.c_cflag & CSTOPB);
    EXPECT_EQ(tio.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
    EXPECT_FALSE(tio.c_cflag & CRTSCTS);
    EXPECT_FALSE(tio.c_lflag & ICANON);
}

TEST(SerialPort, ReopensAfterAParitySetting)
{
    // A pseudo-terminal drops parity; the settings a parity session leaves
    // behind must not keep the next open (at any mode) from working.
    test::SimHarness sim;
    for (const LineSettings &line : {LineSettings{19200, Parity::Even, 1}, LineSettings{19200, Parity::Even, 1},
                                     LineSettings{9600, Parity::Odd, 1}, LineSettings{115200, Parity::None, 2}}) {
        SerialPort port;
        ASSERT_TRUE(port.open(sim.path, line)) << port.errorText().toStdString();
        EXPECT_EQ(getBaudRate(port.fd()), line.baud);
        termios tio{};
        ASSERT_EQ(tcgetattr(port.fd(), &tio), 0);
        EXPECT_EQ((tio.c_cflag & CSTOPB) != 0, line.stopBits == 2);
        EXPECT_FALSE(tio.c_lflag & ICANON);
    }
}

TEST(ModbusLinkPort, UnopenablePortSendsNothing)
{
    test::SimHarness sim;
    test::LinkHarness pc(QStringLiteral("/dev/does-not-exist"));
    EXPECT_EQ(pc.link.openPort(2, 1, 7), -1);
    EXPECT_FALSE(pc.link.isOpen());
    EXPECT_FALSE(pc.link.readBlock16(4000, 10));
    EXPECT_FALSE(pc.link.writeBlock16(4000, 1));
    EXPECT_EQ(pc.link.openPort(8, 1, 7), -1); // no COM9
    EXPECT_EQ(pc.link.openPort(-1, 1, 7), -1);
    EXPECT_EQ(pc.link.closePort(), 0);
    EXPECT_TRUE(sim.meter.receivedFrames().empty());
}

TEST(ModbusLinkPort, PortHeldByAnotherProgramFailsEveryTransaction)
{
    test::SimHarness sim;
    SerialPort other;
    ASSERT_TRUE(other.open(sim.path, {}));
    test::LinkHarness pc(sim.path);
    EXPECT_FALSE(pc.link.readBlock16(4000, 1));
    EXPECT_FALSE(pc.link.isOpen());
    EXPECT_FALSE(pc.link.openError().isEmpty());
}
