#pragma once
// The whole configuration between the meter and the register image in one
// run: a sequence of steps, one step per tick, so a window repaints between
// them. Each step gets three attempts; the third failure of one step ends
// the transfer. The read takes 4000 .. 4059, the device table, 7600 .. 7683
// and the live values 7500 .. 7549; the write sends the same configuration
// back, changes the meter's interface (the PC following it) and sends the
// operating mode last.
#include "config/InterfaceWrite.h"
#include "config/PageBlocks.h"
#include "link/MeterLink.h"

#include <optional>

namespace k71t {

class BulkTransfer {
public:
    enum class Direction { Read, Write };
    enum class Tick {
        Continue,  // a step ran (or failed and will run again); tick again
        Completed, // the last step: the transfer is complete
        Failed,    // a step failed its third attempt: the transfer is over
    };

    static constexpr int Attempts = 3;
    static constexpr int ReadSteps = 6;  // 0 .. 4 blocks, 5 completes
    static constexpr int WriteSteps = 9; // 0 .. 7 actions, 8 completes

    // `follow` (may be null or empty) switches the PC after the interface
    // write; it is looked up at that step, so it may be set later.
    explicit BulkTransfer(MeterLink &meter, const FollowLine *follow = nullptr);

    // Why a transfer would be refused now: one runs already, another
    // operation holds the link, or it is a write of interface settings the
    // meter could not take (interfaceSettingsValid), which step 6 would find
    // only after most of the configuration had gone to the meter.
    enum class Refusal { None, Running, LinkBusy, InterfaceSettings };
    Refusal refusal(Direction direction) const;
    // Starts a transfer at step 0 with the progress at 0, holding the link
    // for its whole run. False, with the reason in `why`, when it is
    // refused: nothing is sent then.
    bool start(Direction direction, Refusal *why = nullptr);
    // Runs the current step once, then pauses 10 ms.
    Tick tick();
    // Ends a transfer (or nothing): steps, retry counter and done flags back
    // to 0, the link released.
    void reset();

    bool running() const { return running_; }
    Direction direction() const { return direction_; }
    int progress() const { return progress_; }
    int readStep() const { return readStep_; }
    int writeStep() const { return writeStep_; }
    int retries() const { return retries_; }
    bool readDone() const { return readDone_; }
    bool writeDone() const { return writeDone_; }

    // The error box's text when a step fails its third attempt.
    static QString failureText(Direction direction);

private:
    // One attempt at the current step; true when it succeeded.
    bool runReadStep();
    bool runWriteStep();
    void finish();
    FollowLine follow() const { return follow_ ? *follow_ : FollowLine{}; }

    MeterLink &meter_;
    const FollowLine *follow_;
    std::optional<ModbusLink::Session> session_;
    Direction direction_ = Direction::Read;
    bool running_ = false;
    int progress_ = 0;
    int readStep_ = 0;
    int writeStep_ = 0;
    int retries_ = 0;
    bool readDone_ = false;
    bool writeDone_ = false;
    // The interface write found settings it will never send: no retry.
    bool finalFailure_ = false;
    // Where the PC was when the transfer started.
    PortSettings startSettings_;
    std::uint8_t startAddress_ = 1;
};

} // namespace k71t
