// The chart window with ten series of 61,600 points each (a 616,000-record
// archive of ten devices archiving one register each): (a) and (b) "Dodaj z
// Pliku" from the .bin and from its .dat export, end to end to the first
// replot, against a plain read of the file; (c) a replot at the full range,
// one day and one hour; (d) the table with 616,000 rows on one page opened
// and scrolled to its end. The window is shown at its normal size on the
// offscreen platform; peak memory after each step.
#include "archive/ArchiveFiles.h"
#include "chart/ui/ChartTableWindow.h"
#include "chart/ui/ChartWindow.h"
#include "support/AppHarness.h"
#include "BenchArchive.h"
#include "BenchMeasure.h"

#include <QApplication>
#include <QDateEdit>
#include <QElapsedTimer>
#include <QScrollBar>
#include <QTabWidget>
#include <QTableView>
#include <cstdio>
#include <qcustomplot.h>

using namespace k71t;
using bench::peakMb;
using bench::plainRead;

namespace {

double utc(int day, int hour)
{
    return static_cast<double>(QDateTime(QDate(2013, 9, day), QTime(hour, 0), Qt::UTC).toSecsSinceEpoch());
}

struct Window {
    test::AppHarness app;
    ChartWindow *w = nullptr;
    Window()
    {
        app.start();
        w = app.windows->chartWindow;
        for (int s = 0; s < SeriesCount; ++s)
            w->model().series[static_cast<std::size_t>(s)] = SeriesAssignment{
                1, static_cast<std::uint8_t>(s), static_cast<std::uint8_t>(s), QStringLiteral("DEV%1 R%1").arg(s)};
        w->fromDateEdit->setDate(QDate(2013, 9, 1));
        w->toDateEdit->setDate(QDate(2013, 9, 30));
        w->show();
        QApplication::processEvents();
    }
};

void loadEndToEnd(const char *label, const QString &path)
{
    Window win;
    const double readMs = plainRead(path);
    QElapsedTimer t;
    t.start();
    win.w->loadFile(path, 1); // ends with the replot
    const double ms = t.nsecsElapsed() / 1e6;
    int points = 0;
    for (int s = 0; s < SeriesCount; ++s)
        points += win.w->graph(s)->data()->size();
    std::printf("(%s) %-4s %7.1f ms to the first replot (a plain read %6.1f ms): %d points; peak %ld MB\n", label,
                QFileInfo(path).suffix().toLatin1().constData(), ms, readMs, points, peakMb());
}

} // namespace

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication qapp(argc, argv);
    test::TempDir dir;
    {
        auto store = std::make_unique<RecordStore>();
        bench::fillOneRegisterArchive(*store);
        if (saveNewBin(dir.file("full.bin"), *store, RecordStoreCapacity, RegisterImage{}).isEmpty() ||
            !exportDat(dir.file("full.dat"), *store, RecordStoreCapacity, 20130101, 20131231, 0, 235959,
                       QDateTime(QDate(2013, 10, 1), QTime(6, 0)))) {
            std::fprintf(stderr, "bench_chart_window: the files could not be written\n");
            return 1;
        }
    }
    std::printf("ten series of 61,600 points from a 616,000-record archive; goals (a), (b) under 1 s, (c) under "
                "30 ms, (d) under 200 ms\n");
    loadEndToEnd("a", dir.file("full.bin"));
    loadEndToEnd("b", dir.file("full.dat"));

    Window win;
    win.w->loadFile(dir.file("full.bin"), 1);
    struct View {
        const char *what;
        double from, to;
    };
    const View views[] = {{"full range", 0, 0}, {"one day", utc(3, 0), utc(4, 0)}, {"one hour", utc(3, 12), utc(3, 13)}};
    for (const View &v : views) {
        if (v.from == 0)
            win.w->fullView();
        else
            win.w->zoomTo(QCPRange(v.from, v.to), win.w->chart->yAxis->range());
        const int rounds = 20;
        QElapsedTimer t;
        t.start();
        for (int i = 0; i < rounds; ++i)
            win.w->chart->replot(QCustomPlot::rpImmediateRefresh);
        std::printf("(c) replot, %-10s %6.2f ms (mean of %d); peak %ld MB\n", v.what, t.nsecsElapsed() / 1e6 / rounds,
                    rounds, peakMb());
    }

    // (d) 616,000 rows on one page.
    win.w->onClearClicked();
    {
        std::vector<SeriesRow> rows;
        rows.reserve(RecordStoreCapacity);
        for (int i = 0; i < RecordStoreCapacity; ++i) {
            const int second = i;
            SeriesRow r{20130901 + second / 86400, second / 3600 % 24 * 10000 + second / 60 % 60 * 100 + second % 60, {}};
            for (int k = 0; k < 10; ++k)
                r.R[k] = static_cast<float>(i) * 0.37f + k;
            rows.push_back(r);
        }
        ChartTableWindow &table = *win.app.windows->chartTableWindow;
        const long before = peakMb();
        QElapsedTimer t;
        t.start();
        table.appendRows(0, std::move(rows));
        table.pages->setCurrentIndex(0);
        table.show();
        table.repaint();
        QApplication::processEvents();
        const double openMs = t.nsecsElapsed() / 1e6;
        t.restart();
        table.rowViews[0]->scrollToBottom();
        table.rowViews[0]->viewport()->repaint();
        QApplication::processEvents();
        const double scrollMs = t.nsecsElapsed() / 1e6;
        std::printf("(d) table of %d rows: open %.1f ms, scroll to the end %.1f ms (last row %s); peak %ld MB (%ld MB "
                    "before)\n",
                    table.rowViews[0]->model()->rowCount(), openMs, scrollMs,
                    qPrintable(table.rowViews[0]->model()->index(RecordStoreCapacity - 1, 1).data().toString()),
                    peakMb(), before);
    }
    return 0;
}
