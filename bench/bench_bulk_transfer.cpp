// The bulk read and the bulk write against the simulated meter with
// line-time emulation at 115200 baud 8N2, driven as the transfer window
// drives them (one step per timeout of a 10 ms timer), beside the time the
// protocol itself takes: the wire time of the frames exchanged, the pauses
// it prescribes around block writes and after reads, and the 10 ms pause
// that ends every tick.
#include "BenchLine.h"
#include "SimLine.h"
#include "SimMeter.h"
#include "common/ProcessSettings.h"
#include "config/BulkTransfer.h"
#include "config/StandardConfig.h"
#include "link/MeterLink.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <vector>

using namespace k71t;

namespace {

using bench::medianMs;
using bench::readMs;
using bench::writeMs;

constexpr double TickPauseMs = 10;

double readReferenceMs()
{
    double ms = 0;
    for (const BulkBlock &b : bulkReadBlocks())
        ms += readMs(b.block) + TickPauseMs;
    return ms + TickPauseMs; // the step that completes
}

double writeReferenceMs()
{
    double ms = 0;
    for (const BulkBlock &b : bulkWriteBlocks())
        if (b.block.count > 0)
            ms += writeMs(b.block);
    // The interface write: status read (10 ms after each block), 10 ms, the
    // interface block (the page write's leading 10 ms too), the apply, and
    // the read-back with its 10 ms.
    ms += readMs({4039, 16}) + 10 + readMs({4005, 1}) + 10 + 10;
    ms += 10 + writeMs({4031, 7}) + writeMs({4034, 1});
    ms += readMs({4031, 7}) + 10;
    return ms + 8 * TickPauseMs + TickPauseMs; // steps 0 .. 7 and the step that completes
}

// Runs one transfer the way the window does: one tick per timeout of a 10 ms timer.
bool runTransfer(BulkTransfer &transfer, BulkTransfer::Direction direction)
{
    if (!transfer.start(direction))
        return false;
    QEventLoop loop;
    QTimer timer;
    timer.setInterval(10);
    bool ok = false;
    QObject::connect(&timer, &QTimer::timeout, [&] {
        const auto tick = transfer.tick();
        if (tick == BulkTransfer::Tick::Continue)
            return;
        ok = tick == BulkTransfer::Tick::Completed;
        timer.stop();
        loop.quit();
    });
    timer.start();
    loop.exec();
    return ok;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    applyProcessSettings();
    sim::SimMeter meter;
    sim::SimLine line(meter);
    if (!line.openPty()) {
        std::fprintf(stderr, "no pseudo-terminal\n");
        return 1;
    }
    line.setLineTime(true);
    line.start();
    MeterLink pc;
    loadStandardConfiguration(pc.image);
    pc.portMap.setPath(2, line.slavePath());
    pc.link.settleMs = 0;
    BulkTransfer transfer(pc);

    constexpr int Rounds = 10;
    std::printf("bulk transfer at 115200 baud 8N2 (line time), 10 ms timer, median of %d\n", Rounds);
    int failures = 0;
    const double read = medianMs([&] { return runTransfer(transfer, BulkTransfer::Direction::Read); }, Rounds, failures);
    const double write =
        medianMs([&] { return runTransfer(transfer, BulkTransfer::Direction::Write); }, Rounds, failures);
    const double readRef = readReferenceMs(), writeRef = writeReferenceMs();
    std::printf("bulk read  %7.2f ms (protocol %7.2f ms, ratio %.2f)\n", read, readRef, read / readRef);
    std::printf("bulk write %7.2f ms (protocol %7.2f ms, ratio %.2f)\n", write, writeRef, write / writeRef);
    std::printf("failures %d\n", failures);
    line.stop();
    return failures == 0 ? 0 : 1;
}
