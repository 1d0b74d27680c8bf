#include "link/SerialPort.h"

#include "common/SystemErrors.h"
#include "link/SerialBaud.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

namespace k71t {

SerialPort::~SerialPort()
{
    close();
}

namespace {

// Gives a device back that could not be set up: the exclusive flag belongs
// to the terminal and would outlive this handle.
void release(int fd)
{
    ::ioctl(fd, TIOCNXCL);
    ::close(fd);
}

} // namespace

bool SerialPort::open(const QString &path, const LineSettings &settings)
{
    close();
    const QByteArray native = path.toLocal8Bit();
    const int fd = ::open(native.constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        error_ = systemErrorText(errno);
        return false;
    }
    // TIOCEXCL keeps other opens out, but root passes it; the lock covers
    // every program that locks the device as well.
    if (!isatty(fd) || ::flock(fd, LOCK_EX | LOCK_NB) != 0 || ::ioctl(fd, TIOCEXCL) != 0) {
        error_ = isatty(fd) ? QStringLiteral("urządzenie zajęte przez inny program")
                            : QStringLiteral("to nie jest port szeregowy");
        ::close(fd);
        return false;
    }
    const int parity = settings.parity == Parity::None ? 0 : settings.parity == Parity::Even ? 1 : 2;
    if (!setLine(fd, settings.baud, parity, settings.stopBits)) {
        error_ = systemErrorText(errno);
        release(fd);
        return false;
    }
    fd_ = fd;
    failed_ = false;
    error_.clear();
    purge();
    return true;
}

void SerialPort::close()
{
    if (fd_ >= 0) {
        ::tcflush(fd_, TCIOFLUSH);
        // The exclusive flag belongs to the terminal, not to this handle: left
        // set, it locks out the next non-root open of the device.
        ::ioctl(fd_, TIOCNXCL);
        ::flock(fd_, LOCK_UN);
        ::close(fd_);
        fd_ = -1;
    }
}

bool SerialPort::write(const std::uint8_t *data, std::size_t length)
{
    if (fd_ < 0)
        return false;
    std::size_t done = 0;
    while (done < length) {
        const ssize_t n = ::write(fd_, data + done, length - done);
        if (n > 0) {
            done += static_cast<std::size_t>(n);
        } else if (n < 0 && (errno == EAGAIN || errno == EINTR)) {
            ::tcdrain(fd_);
        } else {
            failed_ = n < 0;
            return false;
        }
    }
    return true;
}

void SerialPort::waitTransmitted()
{
    if (fd_ >= 0)
        ::tcdrain(fd_);
}

int SerialPort::inputQueueCount()
{
    if (fd_ < 0)
        return 0;
    int count = 0;
    if (::ioctl(fd_, FIONREAD, &count) != 0) {
        failed_ = errno == EIO || errno == ENXIO || errno == ENODEV;
        return 0;
    }
    return count;
}

int SerialPort::read(std::uint8_t *buffer, std::size_t max)
{
    if (fd_ < 0 || max == 0)
        return 0;
    const ssize_t n = ::read(fd_, buffer, max);
    // (A raw terminal without data reads 0 bytes: that is no failure.)
    if (n < 0 && (errno == EIO || errno == ENXIO || errno == ENODEV))
        failed_ = true;
    return n > 0 ? static_cast<int>(n) : 0;
}

bool SerialPort::lost()
{
    if (fd_ < 0)
        return false;
    if (failed_)
        return true;
    pollfd p{fd_, 0, 0};
    return ::poll(&p, 1, 0) == 1 && (p.revents & (POLLHUP | POLLERR | POLLNVAL)) != 0;
}

void SerialPort::purge()
{
    if (fd_ >= 0)
        ::tcflush(fd_, TCIOFLUSH);
}

void SerialPort::purgeInput()
{
    if (fd_ >= 0)
        ::tcflush(fd_, TCIFLUSH);
}

} // namespace k71t
