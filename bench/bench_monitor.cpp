// The live monitor: (a) one tick against the simulated meter with line-time
// emulation at 115200 baud 8N2, beside the wire time of its four exchanges
// plus the 10 ms after each block; (b) one redraw of the monitor window with
// all five series full (5 x 8640 points), beside the 1000 ms tick; (c) the
// memory of the process over 100,000 samples on the fake clock, which must
// stay flat once the series are full.
#include "BenchLine.h"
#include "SimLine.h"
#include "SimMeter.h"
#include "common/ProcessSettings.h"
#include "widgets/UiStyle.h"
#include "monitor/ui/MonitorWindow.h"
#include "support/AppHarness.h"

#include <QApplication>
#include <qcustomplot.h>
#include <QElapsedTimer>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

using namespace k71t;

namespace {

using bench::wireMs;


// Resident memory of this process in kB.
long residentKb()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmRSS:", 0) == 0)
            return std::stol(line.substr(6));
    return -1;
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

} // namespace

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    QApplication app(argc, argv);
    applyProcessSettings();
    applyUiStyle(app);

    // (a) One tick on the wire.
    {
        sim::SimMeter meter;
        sim::SimLine line(meter);
        if (!line.openPty())
            return 1;
        line.setLineTime(true);
        line.start();
        MeterLink pc;
        pc.portMap.setPath(2, line.slavePath());
        pc.link.settleMs = 0;
        pc.link.openPort(2, 1, 7);
        MonitorModel monitor(pc.link, pc.image);
        std::vector<double> ms;
        int failures = 0;
        for (int i = 0; i < 20; ++i) {
            QElapsedTimer t;
            t.start();
            if (monitor.tick() != MonitorModel::TickResult::Read)
                ++failures;
            ms.push_back(t.nsecsElapsed() / 1e6);
        }
        const double reference = wireMs(8) + wireMs(5 + 200) + 10 + wireMs(8) + wireMs(5 + 200) + 10 + wireMs(8) +
                                 wireMs(5 + 120) + 10 + wireMs(8) + wireMs(5 + 10) + 10;
        std::printf("(a) one monitor tick at 115200 8N2, median of 20: %.2f ms (protocol %.2f ms, ratio %.2f), "
                    "failures %d\n",
                    median(ms), reference, median(ms) / reference, failures);
        line.stop();
    }

    // (b) and (c): the window with full series, on the fake clock, no meter.
    test::AppHarness harness;
    harness.start();
    MonitorWindow &window = *harness.windows->monitorWindow;
    MonitorModel &model = window.model();
    harness.ctx->image.reg32(7505) = 42.0f;
    window.show(); // drawn at its real size (on the offscreen screen)
    QApplication::processEvents();
    const QDateTime start = harness.clock.at;
    long fullKb = -1;
    std::vector<std::pair<long, long>> memory; // samples, kB
    long samples = 0;
    for (long tick = 1; samples < 100000; ++tick) {
        model.countTick();
        // Only every tenth tick samples; the others redraw nothing on the charts.
        if (model.tickCounter() % 10 != 0)
            continue;
        harness.ctx->image.reg32(7505) = static_cast<float>(50.0 + 30.0 * std::sin(tick / 100.0));
        harness.ctx->image.reg16(4052) = static_cast<std::uint16_t>((tick / 1000) & 0x0F);
        harness.clock.at = start.addSecs(tick);
        window.redraw(); // the value always holds one: a sample
        ++samples;
        if (fullKb < 0 && model.pointCount() == MonitorModel::MaxPoints)
            fullKb = residentKb();
        if (samples % 20000 == 0)
            memory.emplace_back(samples, residentKb());
    }
    std::vector<double> ms;
    for (int i = 0; i < 20; ++i) {
        while (model.tickCounter() % 10 != 9)
            model.countTick();
        model.countTick();
        QElapsedTimer t;
        t.start();
        window.redraw(); // a sample: the oldest point goes, the new one comes
        window.valueChart->replot();
        window.alarmChart->replot();
        ms.push_back(t.nsecsElapsed() / 1e6);
    }
    std::fflush(stdout);
    std::printf("(b) one redraw with replot, 5 series of %d points, median of 20: %.2f ms (tick 1000 ms)\n",
                model.pointCount(), median(ms));
    std::printf("(c) resident memory when the series first were full: %ld kB\n", fullKb);
    for (const auto &[n, kb] : memory)
        std::printf("    after %6ld samples: %ld kB\n", n, kb);
    return 0;
}
