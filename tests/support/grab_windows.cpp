// Renders windows into PNG files for the screenshots in docs/: those no
// button opens yet, and the monitor after minutes of polling the simulator,
// which the fake clock compresses into seconds: k71t-grab OUTPUT_FOLDER
#include "common/QtPrompt.h"
#include "monitor/Monitor.h"
#include "monitor/Wartosc_odczytane.h"
#include "monitor/Wybrejestru.h"
#include "support/AppHarness.h"
#include "support/SimFixture.h"

#include <QMessageBox>
#include <qcustomplot.h>

#include <QApplication>
#include <QDir>
#include <QPixmap>
#include <cstdio>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "k71t-grab OUTPUT_FOLDER\n");
        return 2;
    }
    k71t::test::AppHarness harness;
    harness.start();
    const QDir out(QString::fromLocal8Bit(argv[1]));
    harness.form12->adjustSize();
    harness.form12->grab().save(out.filePath(QStringLiteral("address-prompt.png")));
    // The statistics after a download long enough to have a speed.
    const auto box = k71t::QtPrompt::messageBox(
        nullptr, k71t::downloadStatistics(4400, 20), QStringLiteral("Info"), k71t::PromptIcon::None,
        k71t::PromptButtons::Ok);
    box->show();
    box->grab().save(out.filePath(QStringLiteral("download-statistics.png")));

    // The monitor: six devices polled, DEV 2 and DEV 4 silent, alarms 1 and
    // 3 on, five minutes of the chart (a tick a second on the fake clock).
    k71t::test::SimHarness sim;
    for (int d = 0; d < 6; ++d) {
        sim.meter.setReg16(4300 + 8 * d, static_cast<std::uint16_t>(d + 1));
        sim.meter.setReg16(4302 + 8 * d, static_cast<std::uint16_t>(4 + d));
    }
    sim.meter.setReg16(4050, (1u << 2) | (1u << 4));
    sim.meter.setReg16(4052, 0x05);
    sim.meter.fillArchive(20000);
    k71t::test::AppHarness monitorApp;
    monitorApp.startWithMeter(sim.path);
    k71t::TForm4 &monitor = *monitorApp.windows->form4;
    monitor.resize(1024, 768);
    monitor.show();
    monitor.SpeedButton2Click(); // running
    for (int t = 0; t < 300; ++t) {
        monitorApp.clock.at = monitorApp.clock.at.addSecs(1);
        monitor.Timer1Timer();
        QApplication::processEvents();
    }
    monitor.Chart1->replot();
    monitor.grab().save(out.filePath(QStringLiteral("monitor.png")));
    monitorApp.windows->odczytane->show();
    QApplication::processEvents();
    monitorApp.windows->odczytane->grab().save(out.filePath(QStringLiteral("monitor-values.png")));
    monitorApp.windows->form13->show();
    QApplication::processEvents();
    monitorApp.windows->form13->grab().save(out.filePath(QStringLiteral("monitor-register-chooser.png")));
    // A meter gone silent: the values without a value, the status.
    sim.fault(k71t::sim::Fault::Silence);
    monitor.Timer1->stop();
    monitor.Timer1Timer();
    if (!monitor.model().translucent()) // the red half of the blink
        monitor.Timer1Timer();
    QApplication::processEvents();
    monitor.grab().save(out.filePath(QStringLiteral("monitor-failure.png")));
    return 0;
}
