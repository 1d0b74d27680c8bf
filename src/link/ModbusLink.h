#pragma once
// The Modbus RTU master through which every exchange with the meter passes.
// Transactions are synchronous: a request is sent, then the input queue is
// polled with short sleeps until the whole reply is there or the poll limit
// is reached. Read values go into the register image; write data comes from it.
#include "link/LineCodes.h"
#include "link/PortMap.h"
#include "link/RegisterImage.h"
#include "link/SerialPort.h"

#include <atomic>
#include <cstdint>
#include <functional>

namespace k71t {

// PC-side settings of the serial link, kept in uart.cfg.
struct PortSettings {
    std::uint8_t portIndex = 2;  // COM3
    std::uint8_t modeKind = 1;   // 0 = 8N1, 1 = 8N2, 2 = 8E1, 3 = 8O1
    std::uint8_t speedIndex = 7; // 115200 baud
};

constexpr int LinkBufferSize = 1000;
constexpr int WriteAckLength = 8;  // acknowledge of function 16
constexpr int ExceptionLength = 5; // exception reply

// Register types of expectedReplyLength; the pages use these two.
constexpr int RegType16 = 3;
constexpr int RegType32 = 6;

class ModbusLink {
public:
    ModbusLink(RegisterImage &image, PortSettings &settings, std::uint8_t &meterAddress, const PortMap &ports);

    int openPort(int portIndex, int modeKind, int speedIndex);
    int closePort();
    bool isOpen() const { return open_; }

    int buildReadRequest(std::uint8_t slave, int start, int n);
    int buildWrite16Request(std::uint8_t slave, int start, int n);
    int buildWrite32Request(std::uint8_t slave, int start, int n);
    static int expectedReplyLength(int n, int registerType);
    int sendFrame(int length);
    int inputQueueCount();
    int drainInput();
    int checkReply(std::uint8_t slave);
    int storeReadReply(int start, int last);

    bool readBlock16(int start, int n, int pollPause = 1, int pollLimit = 500, bool drainFirst = false);
    bool readBlock32(int start, int n, int pollPause = 1, int pollLimit = 500, bool drainFirst = false);
    // A write succeeds when the meter acknowledges it: 8 bytes from the meter's
    // address with function 16, the start register and count of the request
    // and a valid CRC. An exception reply ends it at once.
    bool writeBlock16(int start, int n, int pollPause = 1, int pollLimit = 500, bool pauses = true);
    bool writeBlock32(int start, int n, int pollPause = 1, int pollLimit = 500, bool pauses = true);
    // The same for a block of either kind: 16-bit registers (4000 .. 5999)
    // or floats (7500 .. 8099), as the range of `start` says.
    bool readRegisters(int start, int n, int pollPause = 1, int pollLimit = 500, bool drainFirst = false);
    bool writeRegisters(int start, int n, int pollPause = 1, int pollLimit = 500, bool pauses = true);

    const std::uint8_t *txBuffer() const { return tx_; }
    const std::uint8_t *rxBuffer() const { return rx_; }
    int rxLength() const { return rxLength_; }
    // Why the last openPort failed, for the command-line tool.
    QString openError() const { return openError_; }
    // Pause after a successful open, for the line to settle (200 ms).
    int settleMs = 200;

    // Opens the port with the current PortSettings unless it is open; true
    // when open. A port that is open but lost (see below) is closed and
    // opened again first.
    bool openIfClosed();

    // A device that disappears and comes back under its name (a USB adapter
    // re-plugged, a meter's line server restarted) is closed when the link
    // finds it gone and opened again before the next exchange. Each change
    // is told once: lost, then back. The text names the port.
    enum class PortChange { Lost, Back };
    std::function<void(PortChange change, const QString &text)> onPortChange;
    static QString portChangeText(PortChange change, const QString &port);
    // How many times the last read or write polled before it ended.
    int lastPolls() const { return lastPolls_; }

    // An operation of several exchanges (a download, an interface change, a
    // bulk transfer, a monitor read) holds a session for its whole run. A
    // modal box inside it lets timers run; a caller that would start
    // exchanges of its own from a timer (the monitor) sees the link busy and
    // skips its turn instead of interleaving with the operation.
    class Session {
    public:
        explicit Session(ModbusLink &link) : link_(link) { ++link_.sessions_; }
        ~Session() { --link_.sessions_; }
        Session(const Session &) = delete;
        Session &operator=(const Session &) = delete;

    private:
        ModbusLink &link_;
    };
    bool busy() const { return sessions_ > 0; }

private:
    bool readBlock(int start, int n, int type, int pollPause, int pollLimit, bool drainFirst);
    bool writeBlock(int start, int n, bool is32, int pollPause, int pollLimit, bool pauses);
    void waitPoll(int pauseMs, int awaited);
    // Reads what is queued into the receive buffer after what it holds.
    int collectInput();
    // 3.5 character times at the port's settings, the silence that ends a frame.
    int frameGapMicros() const;
    bool acknowledged(std::uint8_t slave) const;
    bool exceptionReceived(std::uint8_t slave) const;
    void putHeader(std::uint8_t slave, std::uint8_t function, int start, int n);
    int finishFrame(int length);

    RegisterImage &image_;
    PortSettings &settings_;
    std::uint8_t &meterAddress_;
    const PortMap &ports_;
    SerialPort port_;
    bool open_ = false;
    bool lost_ = false; // lost, and not open again yet
    QString openError_;
    std::uint8_t rx_[LinkBufferSize] = {};
    std::uint8_t tx_[LinkBufferSize] = {};
    int rxLength_ = 0;
    int lastPolls_ = 0;
    std::atomic<int> sessions_{0};
};

void sleepMs(int ms);

} // namespace k71t
