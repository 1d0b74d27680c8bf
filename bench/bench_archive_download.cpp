// Archive download throughput over a pseudo-terminal with the simulated meter
// pacing its bytes at the line's baud rate, against the wire limit of the
// bytes each page exchanges: an 11-byte page select and its 8-byte
// acknowledge, three 8-byte read requests and their 205-, 205- and 133-byte
// replies, 586 bytes for 44 records.
#include "SimLine.h"
#include "common/ProcessSettings.h"
#include "link/MeterLink.h"
#include "SimMeter.h"
#include "archive/Download.h"

#include <QElapsedTimer>
#include <cstdio>

using namespace k71t;

namespace {

void measure(const char *label, int speedCode, int speedIndex, bool lineTime, int pages)
{
    sim::SimMeter meter(1, speedCode, 0);
    meter.setArchiveStart(0, 0);
    meter.fillArchive(pages * RecordsPerPage);
    sim::SimLine line(meter);
    if (!line.openPty())
        return;
    line.setLineTime(lineTime);
    line.start();

    MeterLink pc;
    pc.portMap.setPath(2, line.slavePath());
    ModbusLink &link = pc.link;
    RegisterImage &image = pc.image;
    link.settleMs = 0;
    link.openPort(2, 1, speedIndex);
    auto store = std::make_unique<RecordStore>();
    ArchiveDownload download(link, image, *store);

    QElapsedTimer t;
    t.start();
    const int n = download.downloadFirstPass();
    const double seconds = t.nsecsElapsed() / 1e9;
    line.stop();

    const int baud = SpeedTable[speedIndex];
    const double wireRate = RecordsPerPage / (586.0 * 11.0 / baud); // 8N2: 11 bits a byte
    const double rate = n / seconds;
    std::printf("%-34s %6d records in %7.3f s: %7.1f records/s; wire limit %6.1f records/s; %5.1f %%\n", label, n,
                seconds, rate, wireRate, 100.0 * rate / wireRate);
}

} // namespace

int main()
{
    applyProcessSettings();
    measure("115200 8N2, line time", 5, 7, true, 200);
    measure("9600 8N2, line time", 1, 2, true, 20);
    measure("115200 8N2, no pacing (pty speed)", 5, 7, false, 400);
    return 0;
}
