// Page read and page write of every configuration page against the simulated
// meter with line-time emulation at 115200 baud 8N2, beside the time the
// protocol itself takes: the wire time of the frames exchanged plus the
// pauses it prescribes (10 ms after each block read; 10 ms before the first
// block written and before and after each one).
#include "BenchLine.h"
#include "SimLine.h"
#include "SimMeter.h"
#include "common/ProcessSettings.h"
#include "config/PageBlocks.h"
#include "config/PageIO.h"
#include "link/MeterLink.h"

#include <QElapsedTimer>
#include <algorithm>
#include <cstdio>
#include <vector>

using namespace k71t;

namespace {

double readReferenceMs(std::span<const PageBlock> blocks)
{
    double ms = 0;
    for (const PageBlock &b : blocks)
        ms += bench::readMs(b) + 10;
    return ms;
}

double writeReferenceMs(std::span<const PageBlock> blocks)
{
    double ms = 10;
    for (const PageBlock &b : blocks)
        ms += bench::writeMs(b);
    return ms;
}

} // namespace

int main()
{
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
    pc.portMap.setPath(2, line.slavePath());
    pc.link.settleMs = 0;
    pc.link.openPort(2, 1, 7);
    pc.link.readBlock16(4000, 60); // the meter's configuration, to write back unchanged
    pc.link.readBlock16(4300, 80);
    pc.link.readBlock32(7600, 50);
    pc.link.readBlock32(7650, 40);

    std::printf("page read and page write at 115200 baud 8N2 (line time), median of 10\n");
    const struct {
        const char *name;
        Owner page;
    } pages[] = {{"display", Owner::Display},
                 {"alarms", Owner::Alarms},
                 {"attached devices", Owner::Devices},
                 {"analog output", Owner::Analog},
                 {"individual characteristic", Owner::Characteristic}};
    for (const auto &p : pages) {
        const PageBlockLists &blocks = *pageBlocks(p.page);
        int failures = 0;
        const double read = bench::medianMs([&] { return pageRead(pc.link, blocks.read); }, 10, failures);
        const double write = bench::medianMs([&] { return pageWrite(pc.link, blocks.write); }, 10, failures);
        const double readRef = readReferenceMs(blocks.read), writeRef = writeReferenceMs(blocks.write);
        std::printf("%-27s read %7.2f ms (protocol %7.2f ms, ratio %.2f)  write %7.2f ms (protocol %7.2f ms, "
                    "ratio %.2f)  failures %d\n",
                    p.name, read, readRef, read / readRef, write, writeRef, write / writeRef, failures);
    }
    line.stop();
    return 0;
}
