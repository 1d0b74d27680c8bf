// Renders windows into PNG files for the screenshots in docs/: those no
// button opens yet, and the monitor after minutes of polling the simulator,
// which the fake clock compresses into seconds: k71t-grab OUTPUT_FOLDER
#include "archive/ArchiveFiles.h"
#include "archive/ui/MonthlyArchiveDialog.h"
#include "archive/Download.h"
#include "chart/ui/ChartInfoWindow.h"
#include "chart/ui/DictionaryWindow.h"
#include "chart/ui/ChartTableWindow.h"
#include "chart/ui/ChartWindow.h"
#include "widgets/QtPrompt.h"
#include "monitor/ui/MonitorWindow.h"
#include "monitor/ui/LiveValuesWindow.h"
#include "monitor/ui/RegisterChooserDialog.h"
#include "support/AppHarness.h"
#include "support/DbFixture.h"
#include "support/SimFixture.h"
#include "support/Wait.h"
#include "db/ArchiveTable.h"

#include <QMessageBox>
#include <qcustomplot.h>

#include <QApplication>
#include <QComboBox>
#include <QDateEdit>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>
#include <QPrinter>
#include <QTabWidget>
#include <QTableView>
#include <QDir>
#include <QPixmap>
#include <cstdio>

namespace {

// The chart window with ten series downloaded from the simulated meter (ten
// devices archiving one register each, three hours of records), zoomed, its
// table, its information window and its print into chart-print.pdf.
void grabChart(const QDir &out)
{
    k71t::test::SimHarness sim;
    const int registers[10] = {0, 1, 2, 0, 3, 1, 4, 2, 0, 5};
    for (int d = 0; d < 10; ++d)
        sim.meter.setReg16(4305 + 8 * d, static_cast<std::uint16_t>(1u << registers[d]));
    sim.meter.fillArchive(10 * 1080);
    k71t::test::AppHarness app;
    app.startWithMeter(sim.path);
    auto store = std::make_unique<k71t::RecordStore>();
    k71t::ArchiveDownload download(app.ctx->link, app.ctx->image, *store);
    const int n = download.downloadAll();
    const QString bin = app.dir.file(QStringLiteral("archiwum.bin"));
    if (n <= 0 || !k71t::saveBin(bin, *store, n, app.ctx->image)) {
        std::fprintf(stderr, "k71t-grab: the simulated meter's archive was not downloaded\n");
        return;
    }
    k71t::ChartWindow &w = *app.windows->chartWindow;
    const char *names[10] = {"Temp. zasilania", "Temp. powrotu", "Ciśnienie", "Przepływ", "Moc cieplna",
                             "Poziom zbiornika", "Wilgotność", "Temp. hali", "Napięcie", "Prąd"};
    for (int s = 0; s < 10; ++s) {
        w.editor->seriesList->setCurrentIndex(s);
        w.editor->seriesNameEdit->setText(QString::fromUtf8(names[s]));
        w.editor->seriesAddressEdit->setText(QStringLiteral("1"));
        w.editor->deviceList->setCurrentIndex(s);
        w.editor->registerList->setCurrentIndex(registers[s]);
        w.editor->onApplyClicked();
    }
    w.editor->seriesList->setCurrentIndex(2);
    w.editor->onSeriesChosen();
    w.fromDateEdit->setDate(QDate(2026, 1, 5));
    w.toDateEdit->setDate(QDate(2026, 1, 5));
    w.resize(1008, 718);
    w.show();
    w.loadFile(bin, 1);
    QApplication::processEvents();
    w.grab().save(out.filePath(QStringLiteral("chart-window.png")));
    const double start = w.graph(0)->data()->begin()->key;
    w.zoomTo(QCPRange(start + 3600, start + 5400), QCPRange(-8, 110));
    QApplication::processEvents();
    w.grab().save(out.filePath(QStringLiteral("chart-zoomed.png")));
    w.fullView();
    w.onTableClicked();
    app.windows->chartTableWindow->pages->setCurrentIndex(2);
    QApplication::processEvents();
    app.windows->chartTableWindow->grab().save(out.filePath(QStringLiteral("chart-table.png")));
    w.showChartInfo();
    QApplication::processEvents();
    app.windows->chartInfoWindow->grab().save(out.filePath(QStringLiteral("chart-info.png")));
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(out.filePath(QStringLiteral("chart-print.pdf")));
    w.printChart(printer);

    // The same archive stored in the archive table and loaded back by
    // "Pobierz z Bazy Danych" (the server of K71T_TEST_DB_*).
    k71t::DatabaseSettings db = k71t::test::testDatabase();
    if (db.server.isEmpty()) {
        std::fprintf(stderr, "k71t-grab: no database server (K71T_TEST_DB_*); chart-database.png not made\n");
    } else {
        db.table = QStringLiteral("wykres_zrzut");
        k71t::SqlConnection c;
        QString message;
        if (c.connect(db, &message)) {
            c.execute("DROP TABLE IF EXISTS wykres_zrzut", nullptr, false);
            k71t::createArchiveTable(c, db, &message);
        }
        const k71t::StoreOutcome stored = k71t::exportArchiveToDatabase(c, db, *store, n, 1);
        c.disconnect();
        app.ctx->databaseSettings = db;
        w.onClearClicked();
        w.databaseLoadButton->click();
        if (!stored.ok() ||
            !k71t::test::waitUntil([&] { return !w.databaseTimer->isActive() && w.databaseLoadButton->isEnabled(); }))
            std::fprintf(stderr, "k71t-grab: the database load did not finish: %s\n", qPrintable(message));
        QApplication::processEvents();
        w.grab().save(out.filePath(QStringLiteral("chart-database.png")));
    }

    // The dictionary with three meters, the first one's names in the grid,
    // a register cell and a series chosen.
    k71t::DictionaryWindow &dictionary = *app.windows->dictionaryWindow;
    const char *meters[3][2] = {{"12", "Kotłownia"}, {"14", "Hala produkcyjna"}, {"21", "Stacja uzdatniania"}};
    for (const auto &m : meters) {
        dictionary.onAddClicked();
        dictionary.addressEdit->setText(QString::fromLatin1(m[0]));
        dictionary.nameEdit->setText(QString::fromUtf8(m[1]));
        dictionary.onStoreClicked();
    }
    dictionary.meterList->setCurrentRow(0);
    const char *devices[4] = {"Kocioł 1", "Kocioł 2", "Pompa", "Wymiennik"};
    const char *registerNames[4] = {"Temp. wody", "Temp. spalin", "Ciśnienie", "Przepływ"};
    for (int d = 0; d < 4; ++d) {
        dictionary.namesGrid->item(0, d + 1)->setText(QString::fromUtf8(devices[d]));
        for (int r = 0; r < 4; ++r)
            dictionary.namesGrid->item(r + 1, d + 1)->setText(QString::fromUtf8(registerNames[r]));
    }
    dictionary.onStoreClicked();
    dictionary.namesGrid->setCurrentCell(3, 3);
    dictionary.seriesList->setCurrentIndex(2);
    dictionary.show();
    QApplication::processEvents();
    dictionary.grab().save(out.filePath(QStringLiteral("dictionary.png")));
    dictionary.hide();
}

// The monthly archive dialog after a run over a month folder of a memory
// card with a week of daily files.
void grabMonthly(k71t::test::AppHarness &harness, const QDir &out)
{
    k71t::test::TempDir card;
    QDir(card.path()).mkpath(QStringLiteral("media/karta/ARCHIVES/2013/09"));
    QDir(card.path()).mkpath(QStringLiteral("pomiary/2013-09"));
    const QString month = card.file(QStringLiteral("media/karta/ARCHIVES/2013/09"));
    for (int day = 1; day <= 7; ++day) {
        QByteArray text = "Data\tCzas\tDEV\tR0\tR1\r\n";
        for (int minute = 0; minute < 1440; minute += 10)
            for (int d = 0; d < 4; ++d)
                text += QStringLiteral("2013-09-%1\t%2:%3:00\t%4\t%5\t1.0\r\n")
                            .arg(day, 2, 10, QLatin1Char('0'))
                            .arg(minute / 60, 2, 10, QLatin1Char('0'))
                            .arg(minute % 60, 2, 10, QLatin1Char('0'))
                            .arg(d)
                            .arg(20.0 + d + minute / 1440.0, 0, 'f', 3)
                            .toLatin1();
        QFile f(QDir(month).filePath(QStringLiteral("DAY_%1.DAT").arg(day, 2, 10, QLatin1Char('0'))));
        if (f.open(QIODevice::WriteOnly))
            f.write(text);
    }
    k71t::MonthlyArchiveDialog dialog(*harness.ctx);
    harness.prompt.folders << month << card.file(QStringLiteral("pomiary/2013-09"));
    dialog.sourceButton->click();
    dialog.destinationButton->click();
    dialog.createButton->click();
    dialog.show();
    QApplication::processEvents();
    dialog.grab().save(out.filePath(QStringLiteral("monthly-archive.png")));
}

} // namespace

int main(int argc, char *argv[])
{
    // The program's own process settings and look, as in the real program.
    k71t::test::ensureApplication();
    if (argc < 2) {
        std::fprintf(stderr, "k71t-grab OUTPUT_FOLDER\n");
        return 2;
    }
    k71t::test::AppHarness harness;
    harness.start();
    const QDir out(QString::fromLocal8Bit(argv[1]));
    harness.sourceAddressDialog->adjustSize();
    harness.sourceAddressDialog->grab().save(out.filePath(QStringLiteral("address-prompt.png")));
    // The statistics after a download long enough to have a speed.
    const auto box = k71t::QtPrompt::messageBox(
        nullptr, k71t::downloadStatistics(4400, 20), QStringLiteral("Info"), k71t::PromptIcon::None,
        k71t::PromptButtons::Ok);
    box->show();
    box->grab().save(out.filePath(QStringLiteral("download-statistics.png")));
    grabMonthly(harness, out);

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
    k71t::MonitorWindow &monitor = *monitorApp.windows->monitorWindow;
    monitor.resize(1024, 768);
    monitor.show();
    monitor.onStartStopClicked(); // running
    for (int t = 0; t < 300; ++t) {
        monitorApp.clock.at = monitorApp.clock.at.addSecs(1);
        k71t::test::pollMonitor(monitor);
        QApplication::processEvents();
    }
    monitor.valueChart->replot();
    monitor.grab().save(out.filePath(QStringLiteral("monitor.png")));
    monitorApp.windows->liveValuesWindow->show();
    QApplication::processEvents();
    monitorApp.windows->liveValuesWindow->grab().save(out.filePath(QStringLiteral("monitor-values.png")));
    monitorApp.windows->registerChooserDialog->show();
    QApplication::processEvents();
    monitorApp.windows->registerChooserDialog->grab().save(out.filePath(QStringLiteral("monitor-register-chooser.png")));
    // A meter gone silent: the values without a value, the status.
    sim.fault(k71t::sim::Fault::Silence);
    monitor.pollTimer->stop();
    k71t::test::pollMonitor(monitor);
    if (!monitor.model().translucent()) // the red half of the blink
        k71t::test::pollMonitor(monitor);
    QApplication::processEvents();
    monitor.grab().save(out.filePath(QStringLiteral("monitor-failure.png")));
    grabChart(out);
    return 0;
}
