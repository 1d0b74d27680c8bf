#include "config/BulkTransfer.h"

#include "config/PageIO.h"

namespace k71t {

namespace {

// Operating modes 1 and 2 make the meter a slave on its interface: only
// then must it acknowledge the mode; in the others it may already be busy
// with its devices.
bool slaveMode(std::uint16_t mode)
{
    return mode == 1 || mode == 2;
}

constexpr int ReadCompleteStep = BulkTransfer::ReadSteps - 1;
constexpr int InterfaceStep = 6;
constexpr int ModeStep = 7;
constexpr int WriteCompleteStep = BulkTransfer::WriteSteps - 1;

} // namespace

BulkTransfer::BulkTransfer(MeterLink &meter, const FollowLine *follow) : meter_(meter), follow_(follow) {}

QString BulkTransfer::failureText(Direction direction)
{
    return direction == Direction::Read ? QStringLiteral("Odczyt danych zakończony błędem.")
                                        : QStringLiteral("Zapis danych zakończony błędem.");
}

BulkTransfer::Refusal BulkTransfer::refusal(Direction direction) const
{
    // Settings no interface has are told whatever else holds the link.
    if (direction == Direction::Write && !interfaceSettingsValid(meter_.image))
        return Refusal::InterfaceSettings;
    if (running_)
        return Refusal::Running;
    if (meter_.link.busy())
        return Refusal::LinkBusy;
    return Refusal::None;
}

bool BulkTransfer::start(Direction direction, Refusal *why)
{
    const Refusal refused = refusal(direction);
    if (why)
        *why = refused;
    if (refused != Refusal::None)
        return false;
    reset();
    direction_ = direction;
    running_ = true;
    startSettings_ = meter_.portSettings;
    startAddress_ = meter_.meterAddress;
    session_.emplace(meter_.link);
    return true;
}

void BulkTransfer::reset()
{
    finish();
    readDone_ = false;
    writeDone_ = false;
    progress_ = 0;
}

void BulkTransfer::finish()
{
    // A finished transfer leaves no step behind: the next one starts at 0.
    session_.reset();
    running_ = false;
    readStep_ = 0;
    writeStep_ = 0;
    retries_ = 0;
    finalFailure_ = false;
}

BulkTransfer::Tick BulkTransfer::tick()
{
    if (!running_)
        return Tick::Failed;
    const bool reading = direction_ == Direction::Read;
    int &step = reading ? readStep_ : writeStep_;
    if (step == (reading ? ReadCompleteStep : WriteCompleteStep)) {
        (reading ? readDone_ : writeDone_) = true;
        finish();
        return Tick::Completed;
    }
    // A retry starts from a quiet line: what a failed attempt left in the
    // input (a late answer, an exception) would be taken for the answer.
    if (retries_ > 0 && meter_.link.isOpen())
        meter_.link.drainInput();
    const bool ok = reading ? runReadStep() : runWriteStep();
    Tick result = Tick::Continue;
    if (ok) {
        ++step;
        retries_ = 0;
    } else if (++retries_ >= Attempts || finalFailure_) {
        // An interface change that went wrong may have left the PC at
        // settings the meter does not use; if it still answers at those the
        // transfer started with, the PC goes back there.
        if (!reading && step == InterfaceStep &&
            (meter_.portSettings.speedIndex != startSettings_.speedIndex ||
             meter_.portSettings.modeKind != startSettings_.modeKind || meter_.meterAddress != startAddress_))
            returnTo(meter_, follow(), startSettings_, startAddress_);
        finish();
        result = Tick::Failed;
    }
    sleepMs(10);
    return result;
}

bool BulkTransfer::runReadStep()
{
    const BulkBlock &b = bulkReadBlocks()[static_cast<std::size_t>(readStep_)];
    if (readStep_ == 0)
        readDone_ = false;
    if (!blockRead(meter_.link, b.block))
        return false;
    progress_ = readStep_ == 0 ? b.progress : progress_ + b.progress;
    return true;
}

bool BulkTransfer::runWriteStep()
{
    const auto blocks = bulkWriteBlocks();
    RegisterImage &im = meter_.image;
    if (writeStep_ == 0) {
        // The display and mode registers, then the memory card mode; the
        // operating mode 4004 waits for the last step.
        if (!blockWrite(meter_.link, blocks[0].block))
            return false;
        progress_ = blocks[0].progress;
        if (!blockWrite(meter_.link, blocks[1].block))
            return false;
        progress_ += blocks[1].progress;
        return true;
    }
    const BulkBlock &b = blocks[static_cast<std::size_t>(writeStep_ + 1)];
    bool ok;
    if (writeStep_ == InterfaceStep) {
        const InterfaceWriteResult result = writeInterface(meter_, follow());
        ok = succeeded(result);
        finalFailure_ = result == InterfaceWriteResult::InvalidSettings;
    } else if (writeStep_ == ModeStep) {
        ok = blockWrite(meter_.link, b.block) || !slaveMode(im.reg16(4004));
    } else {
        ok = blockWrite(meter_.link, b.block);
    }
    if (ok)
        progress_ += b.progress;
    return ok;
}

} // namespace k71t
