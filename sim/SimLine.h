#pragma once
// The line between the simulated meter and its master: the master end of a
// pseudo-terminal (or a real serial device), request framing, the meter's
// own interface settings, line-time emulation and turnaround.
#include "SimMeter.h"

#include <QString>
#include <atomic>
#include <chrono>
#include <mutex>
#include <vector>
#include <thread>

namespace k71t::sim {

class SimLine {
public:
    explicit SimLine(SimMeter &meter);
    ~SimLine();
    SimLine(const SimLine &) = delete;
    SimLine &operator=(const SimLine &) = delete;

    // Creates a pseudo-terminal; slavePath() names the end the master opens.
    bool openPty();
    // Opens a real serial device, set to the meter's interface settings.
    bool openDevice(const QString &path);
    QString slavePath() const { return slavePath_; }
    int masterFd() const { return fd_; }
    QString errorText() const { return error_; }

    void setTurnaroundMs(int ms) { turnaroundMs_ = ms; }
    void setLineTime(bool on) { lineTime_ = on; }
    void setVerbose(bool on) { verbose_ = on; }

    // Each reply waits until `events` has moved on since its request was
    // handled: a test counts the master's own events there (a timer of its
    // window), so the meter answers only while the master's side goes on
    // running. None (the default): replies go out at once.
    void setReplyGate(const std::atomic<int> *events) { replyGate_ = events; }

    // Replies sent so far (late ones count once they are on the line).
    int repliesSent() const { return repliesSent_.load(); }
    // Bytes that came at foreign line settings and were taken for noise.
    int noiseBytes() const { return noiseBytes_.load(); }

    // A request as it arrived: its bytes and the master's speed and stop
    // bits at the time (on a pseudo-terminal; 0 on a serial device). Bytes
    // that came at foreign settings are kept as they were read, `ignored`.
    struct Arrival {
        Bytes frame;
        int baud = 0;
        int stopBits = 0;
        bool ignored = false;
        std::chrono::steady_clock::time_point at{}; // when its first byte was read
    };
    // Keeps every arrival from now on (off by default: a simulator left
    // running for days would grow without end).
    void setRecordArrivals(bool on);
    std::vector<Arrival> arrivals() const;

    // Serves requests until `stop` becomes true.
    void run(const std::atomic<bool> &stop);
    // The same on a thread of its own, for tests.
    void start();
    void stop();

private:
    using Clock = std::chrono::steady_clock;
    // The master's line settings as the pty shows them (parity does not show).
    void observeLine(int &baud, int &stopBits) const;
    bool lineMatches(const InterfaceSettings &s, int baud, int stopBits) const;
    void serveFrame(const Bytes &frame, Clock::time_point firstByte, int baud, int stopBits);
    void recordArrival(Arrival arrival);
    void followInterface();
    // Sets a serial device to the meter's interface settings.
    void configureDevice(const InterfaceSettings &s);
    void send(const Bytes &bytes);
    double charMicros(const InterfaceSettings &s) const;

    SimMeter &meter_;
    int fd_ = -1;
    int slaveKeeper_ = -1;
    bool isPty_ = false;
    QString slavePath_;
    QString error_;
    int turnaroundMs_ = 0;
    bool lineTime_ = false;
    bool verbose_ = false;
    std::atomic<bool> stopFlag_{false};
    std::atomic<const std::atomic<int> *> replyGate_{nullptr};
    std::atomic<int> repliesSent_{0};
    std::atomic<int> noiseBytes_{0};
    std::thread thread_;
    mutable std::mutex arrivalsMutex_;
    std::vector<Arrival> arrivals_;
    std::atomic<bool> recordArrivals_{false};
    InterfaceSettings deviceSettings_;
};

} // namespace k71t::sim
