// Round trip of a 100-register read over a pseudo-terminal, against the pure
// wire time of the bytes exchanged (8-byte request, 205-byte reply).
#include "SimLine.h"
#include "common/ProcessSettings.h"
#include "link/MeterLink.h"
#include "SimMeter.h"
#include "link/ModbusLink.h"

#include <QElapsedTimer>
#include <algorithm>
#include <cstdio>
#include <vector>

using namespace k71t;

namespace {

void measure(const char *label, bool lineTime, int rounds)
{
    sim::SimMeter meter;
    sim::SimLine line(meter);
    if (!line.openPty()) {
        std::fprintf(stderr, "no pseudo-terminal\n");
        return;
    }
    line.setLineTime(lineTime);
    line.start();
    MeterLink pc;
    pc.portMap.setPath(2, line.slavePath());
    ModbusLink &link = pc.link;
    link.settleMs = 0;
    link.openPort(2, 1, 7);

    std::vector<double> ms;
    int failures = 0;
    for (int i = 0; i < rounds; ++i) {
        QElapsedTimer t;
        t.start();
        if (!link.readBlock16(4000, 100))
            ++failures;
        ms.push_back(t.nsecsElapsed() / 1e6);
    }
    line.stop();
    std::sort(ms.begin(), ms.end());
    const double median = ms[ms.size() / 2];
    const double p95 = ms[ms.size() * 95 / 100];
    const double wire = (8 + 205) * 11 * 1000.0 / 115200; // 8N2: 11 bits a byte
    std::printf("%-28s median %7.3f ms  p95 %7.3f ms  wire %6.3f ms  ratio %5.2f  failures %d/%d\n", label, median,
                p95, wire, median / wire, failures, rounds);
}

} // namespace

int main()
{
    applyProcessSettings();
    std::printf("100-register read (8 + 205 bytes) at 115200 baud 8N2\n");
    measure("zero turnaround, no pacing", false, 300);
    measure("line-time emulation", true, 100);
    return 0;
}
