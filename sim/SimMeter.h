#pragma once
// The meter's side of the protocol: registers, commands, live values and the
// fault switches tests use. Thread-safe, so a test can change faults while the
// line thread answers requests.
#include "SimArchive.h"
#include "link/RegisterImage.h"

#include <QDateTime>
#include <QString>
#include <cstdint>
#include <map>
#include <mutex>
#include <optional>
#include <vector>

namespace k71t::sim {

using Bytes = std::vector<std::uint8_t>;

enum class Fault {
    None,
    Silence,    // the request is lost: not executed, no reply
    WrongSlave, // the reply carries another slave address
    BadCrc,     // the reply's CRC is wrong
    Exception,  // an exception reply instead of the answer; not executed
    Truncated,  // the reply stops three bytes short
    Late,       // the reply comes after `lateMs`
    Garbage,    // three extra bytes follow the reply
    ByteCount,  // a read reply claims 0 data bytes, a write acknowledge echoes
                // another quantity; the length and CRC are right
};

// Parses "silence", "wrong-slave", "bad-crc", "exception", "truncated", "late",
// "garbage", "byte-count".
std::optional<Fault> faultFromName(const QString &name);

struct FaultPlan {
    Fault fault = Fault::None;
    int nth = 0;           // 0: every request; n: only the n-th request after the plan was set
    bool onwards = false;  // with nth: the n-th request and every one after it
    int onlyFunction = 0;  // 3 or 16: only requests of this function count
    int onlyStart = -1;    // >= 0: only requests for the block starting at this register count
    int exceptionCode = 4; // slave device failure
    int lateMs = 1500;
};

// Interface settings the meter answers with on the interface the PC is on:
// the primary one (speed and mode codes 4035, 4036) or, with the additional
// outputs board (bit 7 of 4051), the additional one (4031, 4032); the
// address is 4033 on both.
struct InterfaceSettings {
    int address = 1;
    int baud = 115200;
    int stopBits = 2;
    int parityBits = 0;
    int speedCode = 5;
    int modeCode = 0;
};

InterfaceSettings settingsForCodes(int address, int speedCode, int modeCode);

class SimMeter {
public:
    // Powers up with the standard configuration, answering at `address` with
    // `speedCode` and `modeCode` on the primary interface (no outputs board).
    explicit SimMeter(int address = 1, int speedCode = 5, int modeCode = 0);

    // Fits or removes the additional outputs board (bit 7 of 4051, which a
    // clear of the status flags does not remove); with it the PC is on the
    // additional interface. The PC's interface keeps its line settings.
    void setOutputsBoard(bool fitted);
    bool outputsBoard() const;
    // Sets the codes of the interface the PC is on and answers with them at once.
    void setPcInterface(int speedCode, int modeCode);
    // Refuses the apply command 4034 with an exception, keeping the settings.
    void setRefuseApply(bool refuse);
    // Sets the meter's clock (to the minute); it runs on from there.
    void setClock(const QDateTime &at);

    struct Reply {
        Bytes bytes;
        int delayMs = 0;
    };

    // Length of the request at the start of `buf`: 0 when more bytes are
    // needed to tell, -1 for a function the meter does not know.
    static int requestLength(const std::uint8_t *buf, std::size_t have);

    // Handles one complete frame as received from the line.
    Reply handle(const Bytes &frame);

    void setFault(const FaultPlan &plan);
    // The frames received (the last 50,000 to 100,000 of a long run), oldest first.
    std::vector<Bytes> receivedFrames() const;
    void clearReceived();

    std::uint16_t reg16(int reg) const;
    // Sets a register as the meter itself would; 4040 .. 4042 set the clock
    // (which stops while they form no date and time), bit 7 of 4051 fits or
    // removes the outputs board.
    void setReg16(int reg, std::uint16_t value);
    float reg32(int reg) const;
    void setReg32(int reg, float value);
    InterfaceSettings interfaceSettings() const;
    void setAddress(int address);

    // Moves the live values and the clock to `now`. A device with its bit
    // set in 4050 does not answer: low quality, no values.
    void tick(const QDateTime &now);
    // Keeps a float register at `value` whatever the live values do.
    void pin(int reg, float value);

    // The archive ring. Generated records come from the devices that archive
    // registers (4305 + 8d); with none configured, from DEV 0 R0, R1 and DEV 2 R5.
    void setArchiveStart(int page, int offset); // empties the ring there
    void fillArchive(int records);               // appends generated records
    void appendArchive(const ArchiveRecord &record);
    // Appends `records` generated records after each of the next `reads`
    // reads of the archive status (4046), from the `firstRead`-th on.
    void setArchiveGrowth(int records, int reads, int firstRead = 1);
    // The next `times` reads of page `page` through the window go unanswered.
    void failArchivePage(int page, int times);
    // Writes the records, oldest first, to `path` now and after every change.
    void setArchiveDump(const QString &path);
    std::vector<ArchiveRecord> archiveRecords() const;
    // The records the last delete command (4045) removed, oldest first, and
    // how many delete commands the meter has carried out.
    std::vector<ArchiveRecord> lastDeletedRecords() const;
    int deletions() const;

private:
    Reply answer(const Bytes &frame);
    void archiveChanged();
    void generateRecords(int n);
    void loadPageWindow();
    Bytes exception(std::uint8_t function, std::uint8_t code) const;
    void runCommands();
    // The clock registers were written: the clock runs on from them, or
    // stops showing them when they form no date and time.
    void clockWritten();
    void fitOutputsBoard(bool fitted);
    void tickClock();
    InterfaceSettings pcInterface() const;

    mutable std::mutex mutex_;
    RegisterImage regs_;
    InterfaceSettings active_;
    FaultPlan plan_;
    int requestsSincePlan_ = 0;
    static constexpr std::size_t MaxReceivedFrames = 100000;
    std::vector<Bytes> received_;
    SimArchive archive_;
    QDateTime nextMoment_;
    int growRecords_ = 0;
    int growReads_ = 0;
    int growSkip_ = 0;
    int failPage_ = -1;
    int failPageTimes_ = 0;
    QString dumpPath_;
    std::vector<ArchiveRecord> lastDeleted_;
    int deletions_ = 0;
    std::map<int, float> pinned_;
    bool outputsBoard_ = false;
    bool refuseApply_ = false;
    // The clock shows the time of the last tick plus this offset, both taken
    // as plain wall-clock readings (no time zone, no daylight saving jumps).
    qint64 clockOffsetMs_ = 0;
    bool clockRunning_ = true;
    QDateTime lastNow_;
    float min_ = 0, max_ = 0;
    bool minMaxValid_ = false;
};

void appendCrc(Bytes &frame);
bool crcMatches(const Bytes &frame);
QString hex(const Bytes &bytes);

} // namespace k71t::sim
