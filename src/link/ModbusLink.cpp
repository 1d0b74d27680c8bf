#include "link/ModbusLink.h"

#include "common/ByteOrder.h"
#include "link/Crc16.h"

#include <algorithm>

#include <chrono>
#include <thread>

namespace k71t {

void sleepMs(int ms)
{
    if (ms > 0)
        std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

ModbusLink::ModbusLink(RegisterImage &image, PortSettings &settings, std::uint8_t &meterAddress,
                       const PortMap &ports)
    : image_(image), settings_(settings), meterAddress_(meterAddress), ports_(ports)
{
}

int ModbusLink::openPort(int portIndex, int modeKind, int speedIndex)
{
    if (open_)
        closePort();
    LineSettings line;
    const QString path = ports_.path(portIndex);
    if (path.isEmpty() || !lineSettingsFor(modeKind, speedIndex, line)) {
        open_ = false;
        openError_ = QStringLiteral("nieznany port lub parametry transmisji");
        return -1;
    }
    if (!port_.open(path, line)) {
        open_ = false;
        openError_ = QStringLiteral("%1: %2").arg(ports_.describe(portIndex), port_.errorText());
        return -1;
    }
    open_ = true;
    openError_.clear();
    if (std::exchange(lost_, false) && onPortChange)
        onPortChange(PortChange::Back, portChangeText(PortChange::Back, ports_.describe(portIndex)));
    settings_.portIndex = static_cast<std::uint8_t>(portIndex);
    settings_.modeKind = static_cast<std::uint8_t>(modeKind);
    settings_.speedIndex = static_cast<std::uint8_t>(speedIndex);
    sleepMs(settleMs);
    return 1;
}

int ModbusLink::closePort()
{
    if (!port_.isOpen()) {
        open_ = false;
        return 0;
    }
    port_.close();
    open_ = false;
    return 1;
}

int ModbusLink::finishFrame(int length)
{
    const std::uint16_t crc = crc16(tx_, static_cast<std::size_t>(length));
    put16be(tx_ + length, crc);
    return length + 2;
}

void ModbusLink::putHeader(std::uint8_t slave, std::uint8_t function, int start, int n)
{
    tx_[0] = slave;
    tx_[1] = function;
    put16be(tx_ + 2, static_cast<std::uint16_t>(start));
    put16be(tx_ + 4, static_cast<std::uint16_t>(n));
}

int ModbusLink::buildReadRequest(std::uint8_t slave, int start, int n)
{
    putHeader(slave, 3, start, n);
    return finishFrame(6);
}

int ModbusLink::buildWrite16Request(std::uint8_t slave, int start, int n)
{
    if (n < 0 || 2 * n + 9 > LinkBufferSize)
        return 0;
    putHeader(slave, 16, start, n);
    tx_[6] = static_cast<std::uint8_t>(2 * n);
    const int first = start >= Regs16First ? start - Regs16First : start;
    for (int i = 0; i < n; ++i) {
        const int slot = first + i;
        put16be(tx_ + 7 + 2 * i, slot >= 0 && slot < Regs16Count ? image_.Regs16[slot] : 0);
    }
    return finishFrame(7 + 2 * n);
}

int ModbusLink::buildWrite32Request(std::uint8_t slave, int start, int n)
{
    if (n < 0 || 4 * n + 9 > LinkBufferSize)
        return 0;
    putHeader(slave, 16, start, n);
    tx_[6] = static_cast<std::uint8_t>(4 * n);
    for (int i = 0; i < n; ++i) {
        const int slot = start - Regs32First + i;
        put32be(tx_ + 7 + 4 * i, slot >= 0 && slot < Regs32Count ? image_.bits32(slot) : 0);
    }
    return finishFrame(7 + 4 * n);
}

int ModbusLink::expectedReplyLength(int n, int registerType)
{
    switch (registerType) {
    case 0:
    case 1: return 4 + n;
    case 2:
    case 3: return 4 + 2 * n;
    case 4:
    case 5:
    case 6: return 4 + 4 * n;
    default: return 4;
    }
}

int ModbusLink::sendFrame(int length)
{
    if (!open_ || length <= 0)
        return 0;
    if (!port_.write(tx_, static_cast<std::size_t>(length)))
        return 0;
    port_.waitTransmitted();
    return length;
}

int ModbusLink::inputQueueCount()
{
    return open_ ? port_.inputQueueCount() : 0;
}

int ModbusLink::drainInput()
{
    rxLength_ = 0;
    if (!open_)
        return 0;
    while (rxLength_ < LinkBufferSize) {
        const int n = port_.read(rx_ + rxLength_, static_cast<std::size_t>(LinkBufferSize - rxLength_));
        if (n <= 0)
            break;
        rxLength_ += n;
    }
    // Whatever does not fit into the receive buffer is read and dropped.
    std::uint8_t surplus[256];
    while (port_.read(surplus, sizeof surplus) > 0) {
    }
    port_.purgeInput();
    return rxLength_;
}

int ModbusLink::checkReply(std::uint8_t slave)
{
    drainInput();
    if (rxLength_ < 4 || rx_[0] != slave)
        return 0;
    const std::uint16_t crc = crc16(rx_, static_cast<std::size_t>(rxLength_ - 2));
    if (get16be(rx_ + rxLength_ - 2) != crc)
        return 0;
    switch (rx_[1]) {
    case 3: return 3;
    case 16: return 16;
    case 17: return 17;
    case 0x83:
    case 0x90: return -int(rx_[2]);
    default: return -1;
    }
}

int ModbusLink::storeReadReply(int start, int last)
{
    if (last < 4 || last >= rxLength_)
        return -1;
    const std::uint16_t crc = crc16(rx_, static_cast<std::size_t>(last - 1));
    if (get16be(rx_ + last - 1) != crc)
        return -1;
    // A reply carries exactly the bytes asked for: one claiming fewer would
    // leave stale values in the image and still count as read.
    if (rx_[2] != last - 4)
        return -1;
    image_.storeReply(start, rx_ + 3, last - 4);
    return 1;
}

void ModbusLink::waitPoll(int pauseMs, int awaited)
{
    // One poll pause, cut short once the awaited bytes are all there: the
    // number of polls and the time a missing reply costs stay the same, but
    // a complete reply is taken within a tenth of a millisecond.
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::milliseconds(pauseMs);
    for (;;) {
        const auto now = Clock::now();
        if (now >= deadline)
            return;
        std::this_thread::sleep_for(std::min<Clock::duration>(deadline - now, std::chrono::microseconds(100)));
        if (port_.inputQueueCount() >= awaited)
            return;
    }
}

QString ModbusLink::portChangeText(PortChange change, const QString &port)
{
    return change == PortChange::Lost
               ? QStringLiteral("Utracono port %1; zostanie otwarty ponownie przed następną wymianą.").arg(port)
               : QStringLiteral("Port %1 znów jest dostępny i został otwarty ponownie.").arg(port);
}

bool ModbusLink::openIfClosed()
{
    if (open_ && port_.lost()) {
        closePort();
        lost_ = true;
        if (onPortChange)
            onPortChange(PortChange::Lost, portChangeText(PortChange::Lost, ports_.describe(settings_.portIndex)));
    }
    if (!open_)
        openPort(settings_.portIndex, settings_.modeKind, settings_.speedIndex);
    return open_;
}

bool ModbusLink::readBlock(int start, int n, int type, int pollPause, int pollLimit, bool drainFirst)
{
    if (!openIfClosed())
        return false;
    if (drainFirst)
        drainInput();
    const int last = expectedReplyLength(n, type);
    if (n <= 0 || last + 1 > LinkBufferSize)
        return false;
    sendFrame(buildReadRequest(meterAddress_, start, n));
    int polls = 0;
    for (;;) {
        if (inputQueueCount() < last + 1) {
            ++polls;
            waitPoll(pollPause, last + 1);
        } else {
            lastPolls_ = polls;
            return checkReply(meterAddress_) == 3 && storeReadReply(start, last) == 1;
        }
        if (polls > pollLimit) {
            lastPolls_ = polls;
            return false;
        }
    }
}

bool ModbusLink::readBlock16(int start, int n, int pollPause, int pollLimit, bool drainFirst)
{
    return readBlock(start, n, RegType16, pollPause, pollLimit, drainFirst);
}

bool ModbusLink::readBlock32(int start, int n, int pollPause, int pollLimit, bool drainFirst)
{
    return readBlock(start, n, RegType32, pollPause, pollLimit, drainFirst);
}

int ModbusLink::frameGapMicros() const
{
    LineSettings line;
    if (!lineSettingsFor(settings_.modeKind, settings_.speedIndex, line))
        return 0;
    const int bits = 1 + 8 + (line.parity == Parity::None ? 0 : 1) + line.stopBits;
    return static_cast<int>(3.5 * bits * 1e6 / line.baud) + 1;
}

int ModbusLink::collectInput()
{
    while (rxLength_ < LinkBufferSize) {
        const int n = port_.read(rx_ + rxLength_, static_cast<std::size_t>(LinkBufferSize - rxLength_));
        if (n <= 0)
            break;
        rxLength_ += n;
    }
    return rxLength_;
}

bool ModbusLink::acknowledged(std::uint8_t slave) const
{
    // The meter's acknowledge of function 16 echoes the request's address,
    // function, start register and count, and nothing follows it.
    return rxLength_ == WriteAckLength && rx_[0] == slave && std::equal(rx_ + 1, rx_ + 6, tx_ + 1) &&
           get16be(rx_ + 6) == crc16(rx_, 6);
}

bool ModbusLink::exceptionReceived(std::uint8_t slave) const
{
    return rxLength_ >= ExceptionLength && rx_[0] == slave && rx_[1] == (tx_[1] | 0x80) &&
           get16be(rx_ + 3) == crc16(rx_, 3);
}

bool ModbusLink::writeBlock(int start, int n, bool is32, int pollPause, int pollLimit, bool pauses)
{
    if (!openIfClosed())
        return false;
    drainInput();
    if (pauses)
        sleepMs(10);
    const int length =
        is32 ? buildWrite32Request(meterAddress_, start, n) : buildWrite16Request(meterAddress_, start, n);
    if (length <= 0)
        return false;
    sendFrame(length);
    bool ok = false;
    int polls = 0;
    rxLength_ = 0;
    for (;;) {
        if (collectInput() >= WriteAckLength) {
            // The frame ends with 3.5 characters of silence: whatever comes
            // before that belongs to the answer.
            std::this_thread::sleep_for(std::chrono::microseconds(frameGapMicros()));
            collectInput();
            ok = acknowledged(meterAddress_);
            break;
        }
        // An exception reply is the meter's whole answer: no need to wait on.
        if (exceptionReceived(meterAddress_))
            break;
        ++polls;
        waitPoll(pollPause, (rxLength_ < ExceptionLength ? ExceptionLength : WriteAckLength) - rxLength_);
        if (polls > pollLimit)
            break;
    }
    lastPolls_ = polls;
    drainInput();
    if (pauses)
        sleepMs(10);
    return ok;
}

bool ModbusLink::writeBlock16(int start, int n, int pollPause, int pollLimit, bool pauses)
{
    return writeBlock(start, n, false, pollPause, pollLimit, pauses);
}

bool ModbusLink::writeBlock32(int start, int n, int pollPause, int pollLimit, bool pauses)
{
    return writeBlock(start, n, true, pollPause, pollLimit, pauses);
}

bool ModbusLink::readRegisters(int start, int n, int pollPause, int pollLimit, bool drainFirst)
{
    return readBlock(start, n, RegisterImage::is32(start) ? RegType32 : RegType16, pollPause, pollLimit, drainFirst);
}

bool ModbusLink::writeRegisters(int start, int n, int pollPause, int pollLimit, bool pauses)
{
    return writeBlock(start, n, RegisterImage::is32(start), pollPause, pollLimit, pauses);
}

} // namespace k71t
