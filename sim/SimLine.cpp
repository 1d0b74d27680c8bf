#include "SimLine.h"

#include "common/SystemErrors.h"
#include "link/SerialBaud.h"
#include "link/SerialPort.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <pthread.h>
#include <sched.h>
#include <sys/prctl.h>
#include <termios.h>
#include <unistd.h>

namespace k71t::sim {

namespace {
// A gap this long after an incomplete frame ends it (the line went quiet).
// On a serial device that is a generous 20 ms. A pseudo-terminal may hand one
// write of the master over in two pieces, the second when a kernel worker
// gets to it, which on a busy machine can be tens of milliseconds later: a
// short gap would drop such a request as if the line had broken off.
constexpr int DeviceFrameGapMs = 20;
constexpr int PtyFrameGapMs = 250;
} // namespace

SimLine::SimLine(SimMeter &meter) : meter_(meter) {}

SimLine::~SimLine()
{
    stop();
    if (fd_ >= 0)
        ::close(fd_);
    if (slaveKeeper_ >= 0)
        ::close(slaveKeeper_);
}

bool SimLine::openPty()
{
    const int fd = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (fd < 0 || ::grantpt(fd) != 0 || ::unlockpt(fd) != 0) {
        error_ = systemErrorText(errno);
        if (fd >= 0)
            ::close(fd);
        return false;
    }
    char name[128] = {};
    if (::ptsname_r(fd, name, sizeof name) != 0) {
        error_ = systemErrorText(errno);
        ::close(fd);
        return false;
    }
    // Holding the slave end open keeps the master readable while no master
    // program has the port open, and keeps the settings it made.
    slaveKeeper_ = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (slaveKeeper_ >= 0) {
        termios tio{};
        ::tcgetattr(slaveKeeper_, &tio);
        ::cfmakeraw(&tio);
        ::tcsetattr(slaveKeeper_, TCSANOW, &tio);
    }
    termios mt{};
    ::tcgetattr(fd, &mt);
    ::cfmakeraw(&mt);
    ::tcsetattr(fd, TCSANOW, &mt);
    fd_ = fd;
    isPty_ = true;
    slavePath_ = QString::fromLocal8Bit(name);
    return true;
}

bool SimLine::openDevice(const QString &path)
{
    const int fd = ::open(path.toLocal8Bit().constData(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        error_ = systemErrorText(errno);
        return false;
    }
    fd_ = fd;
    isPty_ = false;
    slavePath_ = path;
    configureDevice(meter_.interfaceSettings());
    return true;
}

void SimLine::configureDevice(const InterfaceSettings &s)
{
    termios tio{};
    ::tcgetattr(fd_, &tio);
    ::cfmakeraw(&tio);
    tio.c_cflag |= CLOCAL | CREAD;
    tio.c_cflag &= ~(CSTOPB | PARENB | PARODD);
    if (s.stopBits == 2)
        tio.c_cflag |= CSTOPB;
    if (s.modeCode == 1 || s.modeCode == 2)
        tio.c_cflag |= PARENB;
    if (s.modeCode == 2)
        tio.c_cflag |= PARODD;
    ::tcsetattr(fd_, TCSADRAIN, &tio);
    setBaudRate(fd_, s.baud);
    deviceSettings_ = s;
}

void SimLine::setRecordArrivals(bool on)
{
    recordArrivals_ = on;
}

void SimLine::recordArrival(Arrival arrival)
{
    if (!recordArrivals_)
        return;
    std::lock_guard lock(arrivalsMutex_);
    arrivals_.push_back(std::move(arrival));
}

void SimLine::observeLine(int &baud, int &stopBits) const
{
    baud = stopBits = 0;
    termios tio{};
    if (!isPty_ || ::tcgetattr(fd_, &tio) != 0)
        return;
    baud = getBaudRate(fd_);
    stopBits = (tio.c_cflag & CSTOPB) ? 2 : 1;
}

bool SimLine::lineMatches(const InterfaceSettings &s, int baud, int stopBits) const
{
    // Nothing to compare on a serial device: the line itself garbles what
    // comes at other settings.
    if (!isPty_ || baud == 0)
        return true;
    return baud == s.baud && stopBits == s.stopBits;
}

std::vector<SimLine::Arrival> SimLine::arrivals() const
{
    std::lock_guard lock(arrivalsMutex_);
    return arrivals_;
}

double SimLine::charMicros(const InterfaceSettings &s) const
{
    const int bits = 1 + 8 + s.parityBits + s.stopBits;
    return 1e6 * bits / s.baud;
}

void SimLine::send(const Bytes &bytes)
{
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd_, bytes.data() + done, bytes.size() - done);
        if (n > 0)
            done += static_cast<std::size_t>(n);
        else if (n < 0 && errno != EINTR && errno != EAGAIN)
            return;
    }
}

void SimLine::serveFrame(const Bytes &frame, Clock::time_point firstByte, int baud, int stopBits)
{
    recordArrival({frame, baud, stopBits, false, firstByte});
    const InterfaceSettings s = meter_.interfaceSettings();
    if (lineTime_) {
        // The last byte of the request reaches the meter only after its wire time.
        std::this_thread::sleep_until(firstByte + std::chrono::microseconds(
                                                      static_cast<long>(frame.size() * charMicros(s))));
    }
    const SimMeter::Reply reply = meter_.handle(frame);
    if (verbose_)
        std::fprintf(stderr, "<- %s\n", qPrintable(hex(frame)));
    if (reply.bytes.empty())
        return;
    if (const std::atomic<int> *events = replyGate_.load()) {
        const int before = events->load();
        while (events->load() == before && !stopFlag_.load())
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    const int delay = turnaroundMs_ + reply.delayMs;
    if (delay > 0)
        std::this_thread::sleep_for(std::chrono::milliseconds(delay));
    if (verbose_)
        std::fprintf(stderr, "-> %s\n", qPrintable(hex(reply.bytes)));
    if (!lineTime_) {
        send(reply.bytes);
        ++repliesSent_;
        followInterface();
        return;
    }
    // Each byte becomes visible to the master when its last bit has arrived.
    const double perChar = charMicros(s);
    const auto begin = Clock::now();
    const std::size_t chunk = std::max<std::size_t>(1, static_cast<std::size_t>(1000.0 / perChar));
    for (std::size_t i = 0; i < reply.bytes.size(); i += chunk) {
        const std::size_t end = std::min(reply.bytes.size(), i + chunk);
        std::this_thread::sleep_until(begin + std::chrono::microseconds(static_cast<long>(end * perChar)));
        send(Bytes(reply.bytes.begin() + static_cast<long>(i), reply.bytes.begin() + static_cast<long>(end)));
    }
    ++repliesSent_;
    followInterface();
}

void SimLine::followInterface()
{
    // After the acknowledge of an apply has gone out at the old settings, a
    // serial device takes the new ones (a pty shows the master's settings).
    if (isPty_)
        return;
    const InterfaceSettings s = meter_.interfaceSettings();
    if (s.baud != deviceSettings_.baud || s.stopBits != deviceSettings_.stopBits || s.modeCode != deviceSettings_.modeCode)
        configureDevice(s);
}

void SimLine::run(const std::atomic<bool> &stop)
{
    // Line-time pacing needs sleeps that end on time.
    prctl(PR_SET_TIMERSLACK, 1UL, 0UL, 0UL, 0UL);
    Bytes pending;
    int pendingBaud = 0, pendingStopBits = 0;
    Clock::time_point firstByte{};
    auto lastByte = Clock::now();
    auto lastTick = Clock::now() - std::chrono::seconds(1);
    meter_.tick(QDateTime::currentDateTime());
    while (!stop.load()) {
        if (Clock::now() - lastTick >= std::chrono::milliseconds(200)) {
            meter_.tick(QDateTime::currentDateTime());
            lastTick = Clock::now();
        }
        pollfd p{fd_, POLLIN, 0};
        const int ready = ::poll(&p, 1, 2);
        if (ready > 0 && (p.revents & POLLIN)) {
            std::uint8_t buf[512];
            const ssize_t n = ::read(fd_, buf, sizeof buf);
            if (n > 0) {
                // A master at another speed or framing is line noise to the meter.
                int baud = 0, stopBits = 0;
                observeLine(baud, stopBits);
                if (!lineMatches(meter_.interfaceSettings(), baud, stopBits)) {
                    noiseBytes_ += static_cast<int>(n);
                    recordArrival({Bytes(buf, buf + n), baud, stopBits, true, Clock::now()});
                    if (verbose_)
                        std::fprintf(stderr, "!! %zd bytes at foreign line settings ignored\n", n);
                    pending.clear();
                    continue;
                }
                if (pending.empty()) {
                    firstByte = Clock::now();
                    pendingBaud = baud;
                    pendingStopBits = stopBits;
                }
                pending.insert(pending.end(), buf, buf + n);
                lastByte = Clock::now();
            }
        } else if (ready > 0 && (p.revents & (POLLHUP | POLLERR))) {
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        while (!pending.empty()) {
            const int length = SimMeter::requestLength(pending.data(), pending.size());
            if (length <= 0 || pending.size() < static_cast<std::size_t>(length))
                break;
            const Bytes frame(pending.begin(), pending.begin() + length);
            pending.erase(pending.begin(), pending.begin() + length);
            serveFrame(frame, firstByte, pendingBaud, pendingStopBits);
            firstByte = Clock::now();
        }
        const int gapMs = isPty_ ? PtyFrameGapMs : DeviceFrameGapMs;
        if (!pending.empty() && Clock::now() - lastByte > std::chrono::milliseconds(gapMs)) {
            if (verbose_)
                std::fprintf(stderr, "!! incomplete frame dropped: %s\n", qPrintable(hex(pending)));
            meter_.handle(pending); // recorded, then refused by its CRC
            pending.clear();
        }
    }
}

void SimLine::start()
{
    stopFlag_ = false;
    thread_ = std::thread([this] {
        // The meter is a device of its own: in a test it shares the process
        // with the program, and on a busy machine it must still answer
        // within the program's reply time. Where the system allows it, the
        // line thread gets a real-time priority; it only ever sleeps in
        // poll() or in its pacing, so it cannot hold a processor.
        sched_param param{};
        param.sched_priority = 1;
        pthread_setschedparam(pthread_self(), SCHED_FIFO, &param);
        run(stopFlag_);
    });
}

void SimLine::stop()
{
    if (thread_.joinable()) {
        stopFlag_ = true;
        thread_.join();
    }
}

} // namespace k71t::sim
