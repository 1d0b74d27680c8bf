#include "link/SerialBaud.h"

#include <asm/ioctls.h>
#include <asm/termbits.h>

extern "C" int ioctl(int fd, unsigned long request, ...);

namespace k71t {

bool setBaudRate(int fd, int baud)
{
    struct termios2 tio {};
    if (ioctl(fd, TCGETS2, &tio) != 0)
        return false;
    tio.c_cflag &= ~CBAUD;
    tio.c_cflag |= BOTHER;
    tio.c_cflag &= ~(CBAUD << IBSHIFT);
    tio.c_cflag |= BOTHER << IBSHIFT;
    tio.c_ospeed = static_cast<speed_t>(baud);
    tio.c_ispeed = static_cast<speed_t>(baud);
    return ioctl(fd, TCSETS2, &tio) == 0;
}

bool setLine(int fd, int baud, int parity, int stopBits)
{
    struct termios2 tio {};
    if (ioctl(fd, TCGETS2, &tio) != 0)
        return false;
    tio.c_iflag &= ~(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR | ICRNL | IXON | IXOFF | IXANY | INPCK);
    tio.c_oflag &= ~OPOST;
    tio.c_lflag &= ~(ECHO | ECHONL | ICANON | ISIG | IEXTEN);
    tio.c_cflag &= ~(CSIZE | PARENB | PARODD | CSTOPB | CRTSCTS | CBAUD | (CBAUD << IBSHIFT));
    tio.c_cflag |= CS8 | CREAD | CLOCAL | BOTHER | (BOTHER << IBSHIFT);
    if (parity != 0) {
        tio.c_cflag |= PARENB;
        if (parity == 2)
            tio.c_cflag |= PARODD;
        tio.c_iflag |= INPCK;
    }
    if (stopBits == 2)
        tio.c_cflag |= CSTOPB;
    tio.c_cc[VMIN] = 0;
    tio.c_cc[VTIME] = 0;
    tio.c_ospeed = static_cast<speed_t>(baud);
    tio.c_ispeed = static_cast<speed_t>(baud);
    return ioctl(fd, TCSETS2, &tio) == 0;
}

int getBaudRate(int fd)
{
    struct termios2 tio {};
    if (ioctl(fd, TCGETS2, &tio) != 0)
        return -1;
    return static_cast<int>(tio.c_ospeed);
}

} // namespace k71t
