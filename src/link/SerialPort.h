#pragma once
// A serial device opened through termios: exactly the operations the Modbus
// master is written in (input-queue count, wait for the transmitter, purge).
#include <QString>
#include <cstddef>
#include <cstdint>

namespace k71t {

enum class Parity { None, Even, Odd };

struct LineSettings {
    int baud = 115200;
    Parity parity = Parity::None;
    int stopBits = 2;
};

class SerialPort {
public:
    SerialPort() = default;
    ~SerialPort();
    SerialPort(const SerialPort &) = delete;
    SerialPort &operator=(const SerialPort &) = delete;

    // Opens the device for exclusive use (no other program, nor another open
    // in this one, can hold it at the same time) and sets 8 data bits, the
    // parity, stop bits and baud rate, raw mode, no flow control. On failure
    // `errorText` says why and the port stays closed.
    bool open(const QString &path, const LineSettings &settings);
    void close();
    bool isOpen() const { return fd_ >= 0; }

    // Writes all bytes; false when the device refused them.
    bool write(const std::uint8_t *data, std::size_t length);
    // Blocks until the transmitter has sent everything written.
    void waitTransmitted();
    // Number of bytes waiting in the driver's input queue.
    int inputQueueCount();
    // Reads up to `max` bytes that are already waiting; never blocks.
    int read(std::uint8_t *buffer, std::size_t max);
    // Discards both queues.
    void purge();
    void purgeInput();

    QString errorText() const { return error_; }
    int fd() const { return fd_; }

    // The device is gone: hung up (a USB adapter pulled, a pseudo-terminal
    // whose other side closed) or failing every read and write with an I/O
    // error. Only closing it and opening the path again can help.
    bool lost();

private:
    int fd_ = -1;
    QString error_;
    bool failed_ = false; // a read or write failed with an error that stays
};

} // namespace k71t
