// k71t-cli tasks: the scheduled downloads of the working folder's auto.conf,
// listed, or run as the program's window runs them, without a desktop.
#include "CliParts.h"

#include "automat/TaskRun.h"
#include "common/Clock.h"
#include "link/MeterLink.h"

#include <QDir>
#include <QFileInfo>
#include <chrono>
#include <memory>
#include <thread>

namespace k71t {

namespace {

const QStringList Days = {"Niedziela", "Poniedziałek", "Wtorek", "Środa", "Czwartek", "Piątek", "Sobota"};
const QStringList Rules = {"Co 6 godzin", "Codziennie", "Co tydzień", "Pierwszy wybrany dzień miesiąca",
                           "Brak powtarzania"};

// The tasks of auto.conf in list order, as the window shows them.
void loadTable(const QString &path, TaskTable &table)
{
    TaskTable loaded;
    loadTasks(path, loaded);
    table.clear();
    for (const TaskSlot &s : loaded.entries)
        if (s.task.address != 0)
            table.apply(table.taskCount++, s.task);
}

// Waits until the next whole second of the clock, or a stop.
void waitForNextSecond()
{
    using namespace std::chrono;
    const auto next = ceil<seconds>(system_clock::now() + milliseconds(1));
    while (!StopSignals::requested && system_clock::now() < next)
        std::this_thread::sleep_for(std::min<system_clock::duration>(milliseconds(100), next - system_clock::now()));
}

} // namespace

int runTasks(const Options &o, const QString &sqlConf, const Clock &clock, QString &out, QString &err,
             const CliLineSink &lineSink)
{
    const QString syntax = QStringLiteral("tasks list | tasks run [--delay SEKUNDY]");
    const QString path = QDir::current().filePath(QStringLiteral("auto.conf"));
    TaskTable table;
    const QString what = o.command.value(1);
    if (what == QLatin1String("list") && o.command.size() == 2) {
        if (!QFileInfo::exists(path)) {
            err += QStringLiteral("k71t-cli: brak pliku %1\n").arg(QDir::toNativeSeparators(path));
            return CliMeterFailed;
        }
        loadTable(path, table);
        for (int s = 0; s < table.taskCount; ++s) {
            const DownloadTask &t = table[s];
            out += QStringLiteral("%1\t%2\t%3\t%4\t%5\t%6\n")
                       .arg(taskListText(table, s, true), QString::number(t.address),
                            t.startTime.toString(QStringLiteral("HH:mm:ss")), Days.value(t.startDay),
                            Rules.value(t.repeatKind),
                            t.toDatabase ? QStringLiteral("baza danych") : QStringLiteral("bez bazy danych"));
        }
        out += QStringLiteral("Skonfigurowano %1 zadań\n").arg(table.taskCount);
        return CliOk;
    }
    int delay = 60;
    if (what != QLatin1String("run") ||
        !(o.command.size() == 2 || (o.command.size() == 4 && o.command.at(2) == QLatin1String("--delay") &&
                                    parseInt(o.command.at(3), 0, 86400, delay))))
        return usage(err, syntax);

    SchedulerLock lock(QDir::currentPath());
    QString refusal;
    if (!lock.acquire(&refusal)) {
        err += QStringLiteral("k71t-cli: %1\n").arg(refusal);
        return CliMeterFailed;
    }
    loadTable(path, table);
    // The database: ./sql.conf (or --sql-conf) when there is one; a task that
    // stores without it logs the connection's failure.
    DatabaseSettings sql;
    QString sqlProblem;
    if (!sqlConf.isEmpty() || QFileInfo::exists(QDir::current().filePath(QStringLiteral("sql.conf"))))
        if (!loadSqlConf(sqlConf, sql, sqlProblem))
            err += sqlProblem;

    auto meter = std::make_unique<MeterLink>();
    if (!openLink(o, *meter, err))
        return CliMeterFailed;
    auto store = std::make_unique<RecordStore>();
    SqlConnection database;
    const QString archives = QDir::current().filePath(QStringLiteral("Archives"));
    ArchiveTaskRunner runner(*meter, *store, archives, clock, database, sql);
    TaskLog log(clock, QDir::current().filePath(QStringLiteral("automat.log")));
    log.onLine = [&](const QString &line) {
        if (lineSink)
            lineSink(line + QLatin1Char('\n'));
        else
            out += line + QLatin1Char('\n');
    };
    Scheduler scheduler(table, clock, runner, log);
    scheduler.tasksPath = path;
    scheduler.followFile = true;
    meter->link.onPortChange = [&](ModbusLink::PortChange, const QString &text) { log.line(text); };

    const StopSignals stopSignals;
    log.line(QStringLiteral("Skonfigurowano %1 zadań").arg(table.taskCount));
    log.line(delay == 60 ? QStringLiteral("Zadania cykliczne zostaną włączone za 60 sekund.")
                         : QStringLiteral("Zadania cykliczne zostaną włączone za %1 sekund.").arg(delay));
    for (int s = 0; s < delay && !StopSignals::requested; ++s)
        waitForNextSecond();
    if (!StopSignals::requested) {
        log.line(QStringLiteral("Zadania cykliczne włączone."));
        scheduler.switchOn();
    }
    while (!StopSignals::requested) {
        scheduler.tick();
        waitForNextSecond();
    }
    log.line(QStringLiteral("Zadania cykliczne zatrzymane."));
    if (!log.fileError.isEmpty())
        err += QStringLiteral("k71t-cli: nie można zapisać automat.log: %1\n").arg(log.fileError);
    return CliOk;
}

} // namespace k71t
