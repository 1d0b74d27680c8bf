// Ten chart series for a month from the archive table: meter 1's 446,400
// rows (ten devices, a row a minute, 31 days; stored through the program's
// own insert) among ten times as many rows of ten other meters. Measured:
// the chart window's "Pobierz z Bazy Danych" end to end to the last replot
// (timer-driven, and the ten steps alone), against the time the server needs
// to hand the same ten statements' rows to a bare client loop; each without
// and with an index on (ADDR, DEV, DATA).
// The server: K71T_TEST_DB_* (scripts/bench.sh starts one).
#include "chart/SeriesDb.h"
#include "chart/ui/ChartWindow.h"
#include "db/ArchiveTable.h"
#include "support/AppHarness.h"
#include "support/DbFixture.h"
#include "support/Wait.h"
#include "BenchMeasure.h"

#include <QApplication>
#include <QDateEdit>
#include <QElapsedTimer>
#include <QPushButton>
#include <QTimer>
#include <cmath>
#include <cstdio>
#include <mysql.h>
#include <qcustomplot.h>

using namespace k71t;
using bench::peakMb;

namespace {

const QString Table = QStringLiteral("bench_chart");
const QDate From(2013, 8, 1), To(2013, 8, 31);

std::vector<TableRow> monthOfMeter1()
{
    std::vector<TableRow> rows;
    rows.reserve(446400);
    for (int day = 1; day <= 31; ++day)
        for (int minute = 0; minute < 1440; ++minute)
            for (int d = 0; d < 10; ++d) {
                TableRow r{1, static_cast<std::uint8_t>(d), ExportRow{20130800 + day, minute / 60 * 10000 + minute % 60 * 100, {}}};
                const double t = (day - 1) * 1440 + minute;
                for (int k = 0; k < 10; ++k)
                    r.row.R[k] = static_cast<float>(20 * d + k + 15 * std::sin(t / 900.0 + d) + std::sin(t / 7.0));
                rows.push_back(r);
            }
    return rows;
}

bool run(SqlConnection &c, const QByteArray &statement)
{
    QString error;
    if (!c.execute(statement, &error, false)) {
        std::fprintf(stderr, "%s: %s\n", statement.constData(), qPrintable(error));
        return false;
    }
    return true;
}

// The ten statements' rows fetched by a bare client loop: milliseconds, rows.
std::pair<double, long> bareLoop(SqlConnection &c)
{
    QElapsedTimer t;
    t.start();
    long rows = 0;
    for (int d = 0; d < 10; ++d) {
        const QByteArray q = buildSeriesQuery(Table, 1, d, From, To);
        if (mysql_real_query(c.handle(), q.constData(), static_cast<unsigned long>(q.size())) != 0)
            return {-1, 0};
        MYSQL_RES *r = mysql_store_result(c.handle());
        if (!r)
            return {-1, 0};
        unsigned long bytes = 0;
        while (MYSQL_ROW row = mysql_fetch_row(r)) {
            const unsigned long *lengths = mysql_fetch_lengths(r);
            bytes += lengths[4 + d] + (row[0] ? 1 : 0);
            ++rows;
        }
        mysql_free_result(r);
        if (bytes == 0)
            return {-1, 0};
    }
    return {t.nsecsElapsed() / 1e6, rows};
}

struct Window {
    test::AppHarness app;
    ChartWindow *w = nullptr;
    explicit Window(const DatabaseSettings &db)
    {
        app.start();
        app.runStartTimer();
        app.ctx->databaseSettings = db;
        w = app.windows->chartWindow;
        for (int s = 0; s < SeriesCount; ++s)
            w->model().series[static_cast<std::size_t>(s)] = SeriesAssignment{
                1, static_cast<std::uint8_t>(s), static_cast<std::uint8_t>(s), QStringLiteral("DEV%1 R%1").arg(s)};
        w->fromDateEdit->setDate(From);
        w->toDateEdit->setDate(To);
        w->show();
        QApplication::processEvents();
    }
    long points() const
    {
        long n = 0;
        for (int s = 0; s < SeriesCount; ++s)
            n += w->graph(s)->data()->size();
        return n;
    }
};

// "Pobierz z Bazy Danych" with the program's timer: click to the end.
std::pair<double, long> windowLoad(const DatabaseSettings &db)
{
    Window win(db);
    QElapsedTimer t;
    t.start();
    win.w->databaseLoadButton->click();
    if (!test::waitUntil([&] { return !win.w->databaseTimer->isActive() && win.w->databaseLoadButton->isEnabled(); },
                         600000))
        return {-1, 0};
    return {t.nsecsElapsed() / 1e6, win.points()};
}

// The same load with the ten steps called one after another: the work alone.
std::pair<double, long> windowSteps(const DatabaseSettings &db)
{
    Window win(db);
    QElapsedTimer t;
    t.start();
    win.w->databaseLoadButton->click();
    for (int s = 0; s < SeriesCount; ++s) {
        win.w->databaseTimer->stop();
        win.w->onDatabaseTimer();
    }
    return {t.nsecsElapsed() / 1e6, win.points()};
}

} // namespace

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication qapp(argc, argv);
    DatabaseSettings db = test::testDatabase();
    if (db.server.isEmpty()) {
        std::fprintf(stderr, "bench_chart_db: no server (K71T_TEST_DB_*); run it through scripts/bench.sh\n");
        return 1;
    }
    db.table = Table;
    SqlConnection c;
    QString message;
    if (!c.connect(db, &message)) {
        std::fprintf(stderr, "%s\n", qPrintable(message));
        return 1;
    }
    run(c, "DROP TABLE IF EXISTS `" + Table.toUtf8() + '`');
    if (!createArchiveTable(c, db, &message)) {
        std::fprintf(stderr, "%s\n", qPrintable(message));
        return 1;
    }
    QElapsedTimer t;
    t.start();
    {
        const std::vector<TableRow> rows = monthOfMeter1();
        const StoreOutcome stored = storeRows(c, db, rows);
        if (!stored.ok()) {
            std::fprintf(stderr, "storing failed: %s\n", qPrintable(storeReport(stored)));
            return 1;
        }
    }
    // Ten other meters with rows of their own at the same moments.
    for (int a = 2; a <= 11; ++a)
        if (!run(c, "INSERT INTO `" + Table.toUtf8() + "` SELECT " + QByteArray::number(a) +
                        ", DATA, CZAS, DEV, R0, R1, R2, R3, R4, R5, R6, R7, R8, R9 FROM `" + Table.toUtf8() +
                        "` WHERE ADDR=1"))
            return 1;
    const QStringList count = test::queryColumn(db, QStringLiteral("SELECT COUNT(*) FROM `%1`").arg(Table));
    std::printf("table of %s rows (meter 1: 446,400) filled in %.1f s\n", qPrintable(count.value(0)),
                t.nsecsElapsed() / 1e9);

    bool ok = true;
    for (const bool indexed : {false, true}) {
        if (indexed && !run(c, "CREATE INDEX addr_dev_data ON `" + Table.toUtf8() + "` (ADDR, DEV, DATA)"))
            return 1;
        const char *label = indexed ? "with an index on (ADDR, DEV, DATA)" : "without an index";
        std::printf("-- %s\n", label);
        bareLoop(c); // the server's caches warmed the same way for every figure
        const auto [bareMs, bareRows] = bareLoop(c);
        std::printf("bare client loop, ten statements: %8.1f ms, %ld rows\n", bareMs, bareRows);
        const auto [stepsMs, stepsPoints] = windowSteps(db);
        std::printf("chart window, ten steps alone:    %8.1f ms, %ld points (%.2f x the bare loop)\n", stepsMs,
                    stepsPoints, stepsMs / bareMs);
        const auto [loadMs, loadPoints] = windowLoad(db);
        std::printf("chart window, click to the end:   %8.1f ms, %ld points (timer-driven); peak %ld MB\n", loadMs,
                    loadPoints, peakMb());
        ok = ok && bareRows == 446400 && stepsPoints == 446400 && loadPoints == 446400;
    }
    run(c, "DROP TABLE `" + Table.toUtf8() + '`');
    return ok ? 0 : 1;
}
