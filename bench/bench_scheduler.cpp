// The schedule: a year of one-second checks over 32 tasks of every rule on a
// clock the benchmark moves, with a runner that only counts (checks per
// second); and one real task (download of a 10,000-record archive at 115200
// baud 8N2 with line-time pacing, .bin file, the meter cleared, the rows
// stored in the database) in seconds, beside the wire time of the download.
// The server: K71T_TEST_DB_* (scripts/bench.sh starts one).
#include "SimLine.h"
#include "SimMeter.h"
#include "automat/TaskRun.h"
#include "common/ProcessSettings.h"
#include "db/ArchiveTable.h"
#include "support/DbFixture.h"
#include "support/TempDir.h"

#include <QElapsedTimer>
#include <cstdio>
#include <memory>

using namespace k71t;

namespace {

struct MovedClock : Clock {
    QDateTime at;
    QDateTime now() const override { return at; }
};

struct Counter : TaskRunner {
    long runs = 0;
    bool run(std::uint8_t, bool, TaskLog &) override
    {
        ++runs;
        return true;
    }
};

void year()
{
    MovedClock clock;
    clock.at = QDateTime(QDate(2027, 1, 1), QTime(0, 0), Qt::UTC);
    TaskTable table;
    for (int i = 0; i < TaskSlots; ++i) {
        DownloadTask t;
        t.name = QStringLiteral("z%1").arg(i);
        t.address = static_cast<std::uint8_t>(i + 1);
        t.startTime = QTime(i % 24, (i * 7) % 60, i % 60);
        t.startDay = static_cast<std::uint8_t>(i % 7);
        t.repeatKind = static_cast<std::uint8_t>(i % 4); // the one-time tasks would leave the table
        table.apply(i, t);
    }
    table.taskCount = TaskSlots;
    TaskLog log(clock);
    Counter counter;
    Scheduler scheduler(table, clock, counter, log);
    scheduler.switchOn();
    const long ticks = 365L * 86400;
    QElapsedTimer t;
    t.start();
    for (long i = 0; i < ticks; ++i) {
        clock.at = clock.at.addSecs(1);
        scheduler.tick();
        if (log.lines().size() > 1000)
            log.clearBox();
    }
    const double s = t.nsecsElapsed() / 1e9;
    std::printf("a year of checks over 32 tasks: %ld checks in %.2f s, %.2f million checks/s, %ld runs\n", ticks, s,
                ticks / s / 1e6, counter.runs);
}

int realTask()
{
    DatabaseSettings db = test::testDatabase();
    if (db.server.isEmpty()) {
        std::fprintf(stderr, "bench_scheduler: no server (K71T_TEST_DB_*); run it through scripts/bench.sh\n");
        return 1;
    }
    db.table = QStringLiteral("bench_task");
    SqlConnection c;
    QString message;
    if (!c.connect(db, &message)) {
        std::fprintf(stderr, "%s\n", qPrintable(message));
        return 1;
    }
    c.execute("DROP TABLE IF EXISTS bench_task", nullptr, false);
    if (!createArchiveTable(c, db, &message)) {
        std::fprintf(stderr, "%s\n", qPrintable(message));
        return 1;
    }
    c.disconnect();
    constexpr int Records = 10000;
    sim::SimMeter meter(1, 5, 0);
    meter.setArchiveStart(0, 0);
    meter.fillArchive(Records);
    sim::SimLine line(meter);
    if (!line.openPty())
        return 1;
    line.setLineTime(true);
    line.start();
    auto pc = std::make_unique<MeterLink>();
    pc->portMap.setPath(2, line.slavePath());
    pc->link.settleMs = 0;
    pc->link.openPort(2, 1, 7);
    auto store = std::make_unique<RecordStore>();
    test::TempDir dir;
    SystemClock clock;
    SqlConnection database;
    ArchiveTaskRunner runner(*pc, *store, dir.file("Archives"), clock, database, db);
    TaskLog log(clock);
    QElapsedTimer t;
    t.start();
    runner.run(1, true, log);
    const double s = t.nsecsElapsed() / 1e9;
    line.stop();
    const int pages = (Records + RecordsPerPage - 1) / RecordsPerPage;
    const double wire = pages * 586.0 * 11.0 / 115200;
    std::printf("one task, %d records at 115200 8N2 with line time: %.2f s (the download's wire time %.2f s)\n",
                Records, s, wire);
    for (const QString &l : log.lines())
        std::printf("  %s\n", qPrintable(l));
    const bool ok = log.lines().join('\n').contains(QStringLiteral("Dane umieszczone w bazie danych"));
    return ok ? 0 : 1;
}

} // namespace

int main()
{
    applyProcessSettings();
    year();
    return realTask();
}
