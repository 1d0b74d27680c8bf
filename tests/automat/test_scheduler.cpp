// The schedule over whole days and weeks on a clock the test moves, with a
// runner that only records; auto.conf byte by byte.
#include "automat/Scheduler.h"
#include "common/TextFormats.h"
#include "support/TempDir.h"

#include <QTimeZone>
#include <map>
#include <gtest/gtest.h>

using namespace k71t;

namespace {

struct SteppedClock : Clock {
    QDateTime at;
    QDateTime now() const override { return at; }
};

struct TaskRun {
    QString at;
    int address;
    bool toDatabase;
    bool operator==(const TaskRun &) const = default;
};

std::ostream &operator<<(std::ostream &os, const TaskRun &r)
{
    return os << r.at.toStdString() << " @" << r.address << (r.toDatabase ? " db" : "");
}

struct RecordingRunner : TaskRunner {
    SteppedClock &clock;
    int seconds = 0; // how long a run takes on the clock
    std::vector<TaskRun> runs;
    explicit RecordingRunner(SteppedClock &c) : clock(c) {}
    bool run(std::uint8_t address, bool toDatabase, TaskLog &log) override
    {
        runs.push_back({clock.at.toString(QStringLiteral("ddd yyyy-MM-dd HH:mm:ss")), address, toDatabase});
        log.line(QStringLiteral(" Pobieranie archiwum z K71T o adresie:%1").arg(address));
        clock.at = clock.at.addSecs(seconds);
        return true;
    }
};

DownloadTask task(const char *name, int address, QTime at, int rule, int day = 0, bool db = true)
{
    DownloadTask t;
    t.name = QString::fromUtf8(name);
    t.address = static_cast<std::uint8_t>(address);
    t.startTime = at;
    t.repeatKind = static_cast<std::uint8_t>(rule);
    t.startDay = static_cast<std::uint8_t>(day);
    t.toDatabase = db;
    return t;
}

// A schedule with its tasks, switched on at `start` and ticked every second.
struct Schedule {
    SteppedClock clock;
    TaskTable table;
    TaskLog log{clock};
    RecordingRunner runner{clock};
    Scheduler scheduler{table, clock, runner, log};

    Schedule(std::initializer_list<DownloadTask> tasks, const QDateTime &start)
    {
        int slot = 0;
        for (const DownloadTask &t : tasks)
            table.apply(slot++, t);
        table.taskCount = slot;
        clock.at = start;
        scheduler.switchOn();
    }
    // Ticks once a second (after any run, at the next whole second) until `end`.
    void runUntil(const QDateTime &end)
    {
        while (clock.at < end) {
            clock.at = clock.at.addSecs(1);
            scheduler.tick();
        }
    }
    std::vector<QString> times() const
    {
        std::vector<QString> out;
        for (const TaskRun &r : runner.runs)
            out.push_back(r.at);
        return out;
    }
};

// The wall clock as it reads: no time zone to convert through.
QDateTime at(int y, int m, int d, int h, int min, int s = 0)
{
    return QDateTime(QDate(y, m, d), QTime(h, min, s), Qt::UTC);
}

using Times = std::vector<QString>;

} // namespace

// 2026-12-07 is a Monday.
TEST(Schedule, RulesOverDaysAndWeeks)
{
    struct Case {
        const char *what;
        DownloadTask task;
        QDateTime start, end;
        Times runs;
    };
    const Case cases[] = {
        {"daily at 06:00, switched on at 10:00: at once, then at 06:00:00",
         task("a", 5, QTime(6, 0), Daily), at(2026, 12, 7, 10, 0), at(2026, 12, 9, 23, 59),
         {"Mon 2026-12-07 10:00:01", "Tue 2026-12-08 06:00:00", "Wed 2026-12-09 06:00:00"}},
        {"daily at 23:59:59 runs every day",
         task("a", 5, QTime(23, 59, 59), Daily), at(2026, 12, 7, 23, 0), at(2026, 12, 10, 0, 30),
         {"Mon 2026-12-07 23:59:59", "Tue 2026-12-08 23:59:59", "Wed 2026-12-09 23:59:59"}},
        {"weekly on Wednesday at 14:00, over two weeks",
         task("a", 5, QTime(14, 0), Weekly, 3), at(2026, 12, 7, 0, 0), at(2026, 12, 20, 23, 0),
         {"Wed 2026-12-09 14:00:00", "Wed 2026-12-16 14:00:00"}},
        {"first Monday of the month: days 1 to 7 only (Jan 4, Feb 1, Mar 1; not Dec 14)",
         task("a", 5, QTime(8, 30), FirstWeekdayOfMonth, 1), at(2026, 12, 8, 0, 0), at(2027, 3, 10, 0, 0),
         {"Mon 2027-01-04 08:30:00", "Mon 2027-02-01 08:30:00", "Mon 2027-03-01 08:30:00"}},
        {"first Sunday of the month on day 7 counts",
         task("a", 5, QTime(1, 0), FirstWeekdayOfMonth, 0), at(2027, 2, 1, 0, 0), at(2027, 2, 28, 0, 0),
         {"Sun 2027-02-07 01:00:00"}},
        {"six-hourly at 06:00 switched on at 07:00: the 06:00 step at once, then four a day",
         task("a", 5, QTime(6, 0), EverySixHours), at(2026, 12, 7, 7, 0), at(2026, 12, 8, 13, 0),
         {"Mon 2026-12-07 07:00:01", "Mon 2026-12-07 12:00:01", "Mon 2026-12-07 18:00:01", "Tue 2026-12-08 00:00:01",
          "Tue 2026-12-08 06:00:01", "Tue 2026-12-08 12:00:01"}},
        {"six-hourly at 20:00 switched on at 07:00: the earliest step at most six hours ahead",
         task("a", 5, QTime(20, 0), EverySixHours), at(2026, 12, 7, 7, 0), at(2026, 12, 7, 21, 0),
         {"Mon 2026-12-07 08:00:01", "Mon 2026-12-07 14:00:01", "Mon 2026-12-07 20:00:01"}},
        {"one-time on Friday at 08:00 switched on at 09:00",
         task("a", 5, QTime(8, 0), Once, 5), at(2026, 12, 11, 9, 0), at(2026, 12, 19, 9, 0),
         {"Fri 2026-12-11 09:00:01"}},
        {"one-time on Friday at 08:00 switched on on Thursday",
         task("a", 5, QTime(8, 0), Once, 5), at(2026, 12, 10, 9, 0), at(2026, 12, 19, 9, 0),
         {"Fri 2026-12-11 08:00:00"}},
    };
    for (const Case &c : cases) {
        Schedule s({c.task}, c.start);
        s.runUntil(c.end);
        EXPECT_EQ(s.times(), c.runs) << c.what;
    }
}

TEST(Schedule, OneTimeTasksLeaveTheListAndTheFile)
{
    test::TempDir dir;
    // Two one-time tasks in neighbouring slots, due in the same second, and a
    // daily one behind them.
    Schedule s({task("raz", 7, QTime(8, 0), Once, 5), task("dwa", 8, QTime(8, 0), Once, 5),
                task("codziennie", 9, QTime(8, 0), Daily, 0, false)},
               at(2026, 12, 11, 7, 59, 58));
    s.scheduler.tasksPath = dir.file("auto.conf");
    s.runUntil(at(2026, 12, 11, 8, 0, 5));
    EXPECT_EQ(s.runner.runs, (std::vector<TaskRun>{{"Fri 2026-12-11 08:00:00", 7, true},
                                               {"Fri 2026-12-11 08:00:01", 8, true},
                                               {"Fri 2026-12-11 08:00:02", 9, false}}));
    EXPECT_EQ(s.table.taskCount, 1);
    EXPECT_EQ(s.table[0].name, QStringLiteral("codziennie"));
    TaskTable loaded;
    ASSERT_TRUE(loadTasks(dir.file("auto.conf"), loaded));
    loaded.countTasks();
    EXPECT_EQ(loaded.taskCount, 1);
    EXPECT_EQ(loaded[0], s.table[0]);
    // The log of one run, line by line.
    const QStringList expected = {
        "2026-12-11 08:00:00 Liczba zadań do wykonania: 3",
        "2026-12-11 08:00:00 Realizuję zadanie raz",
        "",
        "2026-12-11 08:00:00  Pobieranie archiwum z K71T o adresie:7",
        "2026-12-11 08:00:00 Koniec realizacji zadania raz",
        "",
        "2026-12-11 08:00:01 Liczba zadań do wykonania: 2",
    };
    EXPECT_EQ(s.log.lines().mid(0, expected.size()), expected);
}

TEST(Schedule, RunsAcrossMidnightClockChangesAndRestarts)
{
    // A run of 20 s that crosses midnight runs once that evening and once the
    // next evening, not again after midnight.
    {
        Schedule s({task("a", 5, QTime(23, 59, 50), Daily)}, at(2026, 12, 7, 23, 0));
        s.runner.seconds = 20;
        s.runUntil(at(2026, 12, 9, 1, 0));
        EXPECT_EQ(s.times(), (Times{"Mon 2026-12-07 23:59:50", "Tue 2026-12-08 23:59:50"}));
    }
    // 02:30 on the days Europe/Warsaw moves its clocks: the hour that is
    // skipped, and the hour that comes twice.
    const QTimeZone warsaw("Europe/Warsaw");
    ASSERT_TRUE(warsaw.isValid());
    for (const QDate day : {QDate(2026, 3, 29), QDate(2026, 10, 25)}) {
        Schedule s({task("a", 5, QTime(2, 30), Daily)}, QDateTime(day.addDays(-1), QTime(12, 0), warsaw));
        const QDateTime end = QDateTime(day.addDays(1), QTime(1, 0), warsaw);
        while (s.clock.at < end) {
            s.clock.at = s.clock.at.addSecs(1); // a real second: the wall clock jumps
            s.scheduler.tick();
        }
        ASSERT_EQ(s.runner.runs.size(), 2u) << day.toString().toStdString();
        EXPECT_EQ(s.runner.runs[1].at.left(14), day.toString(QStringLiteral("ddd yyyy-MM-dd")));
    }
    // Switched on again after a stop, nothing runs twice for one due time:
    // neither a daily task nor a six-hourly step that ran.
    {
        Schedule s({task("a", 5, QTime(6, 0), Daily), task("b", 6, QTime(0, 0), EverySixHours)},
                   at(2026, 12, 7, 12, 30));
        s.runUntil(at(2026, 12, 7, 13, 0));
        ASSERT_EQ(s.runner.runs.size(), 2u);
        s.scheduler.switchOn();
        s.runUntil(at(2026, 12, 7, 17, 59));
        EXPECT_EQ(s.runner.runs.size(), 2u);
        s.runUntil(at(2026, 12, 7, 18, 1));
        EXPECT_EQ(s.runner.runs.size(), 3u);
    }
}

TEST(Schedule, NoDayIsSkippedAndNothingHangs)
{
    // A clock with milliseconds, as a real one reads; a six-hourly step at
    // 23:59:59 and a daily task: every day once each.
    {
        Schedule s({task("szesc", 5, QTime(5, 59, 59), EverySixHours), task("dzien", 6, QTime(6, 0), Daily)},
                   at(2026, 12, 7, 7, 0).addMSecs(437));
        s.runUntil(at(2026, 12, 11, 7, 0));
        int daily = 0;
        for (const TaskRun &r : s.runner.runs)
            daily += r.address == 6;
        EXPECT_EQ(daily, 5); // the first check on Monday, then Tuesday to Friday
    }
    // Two evening tasks whose runs of a minute go past midnight, and a
    // morning one: each runs once every day, the second evening task for the
    // day it was due although it ran after midnight.
    {
        Schedule s({task("a", 5, QTime(23, 59, 30), Daily), task("b", 6, QTime(23, 59, 30), Daily),
                    task("c", 7, QTime(6, 0), Daily)},
                   at(2026, 12, 7, 23, 0));
        s.runner.seconds = 60;
        s.runUntil(at(2026, 12, 10, 12, 0));
        std::map<int, int> perTask;
        for (const TaskRun &r : s.runner.runs)
            ++perTask[r.address];
        EXPECT_EQ(perTask, (std::map<int, int>{{5, 3}, {6, 3}, {7, 4}})); // c also at the first check
    }
    // A six-hourly task put in while the schedule runs is placed as at the
    // switch-on (its step at 06:00 has passed at 07:00: due at once).
    {
        Schedule s({task("a", 5, QTime(6, 0), Daily)}, at(2026, 12, 7, 7, 0));
        s.runUntil(at(2026, 12, 7, 7, 0, 5));
        s.table.apply(1, task("nowe", 9, QTime(6, 0), EverySixHours));
        s.table.taskCount = 2;
        s.runUntil(at(2026, 12, 7, 12, 30));
        EXPECT_EQ(s.times(), (Times{"Mon 2026-12-07 07:00:01", "Mon 2026-12-07 07:00:06", "Mon 2026-12-07 12:00:01"}));
    }
}

TEST(Schedule, StateMovesWithItsTaskAndABusyLinkWaits)
{
    // Two tasks due at once: the lower slot runs; then the first task is
    // deleted, and the waiting one runs with its own address.
    Schedule s({task("A", 5, QTime(8, 0), Daily), task("B", 9, QTime(8, 0), Daily, 0, false)},
               at(2026, 12, 7, 7, 59, 59));
    s.runUntil(at(2026, 12, 7, 8, 0));
    ASSERT_EQ(s.runner.runs.size(), 1u);
    ASSERT_TRUE(s.table.remove(0));
    EXPECT_EQ(s.table.state(0).due, 9);
    // Another user holds the link: the tick waits, nothing is lost.
    bool busy = true;
    s.scheduler.linkBusy = [&] { return busy; };
    s.runUntil(at(2026, 12, 7, 8, 0, 10));
    EXPECT_EQ(s.runner.runs.size(), 1u);
    busy = false;
    s.runUntil(at(2026, 12, 7, 9, 0));
    EXPECT_EQ(s.runner.runs, (std::vector<TaskRun>{{"Mon 2026-12-07 08:00:00", 5, true},
                                               {"Mon 2026-12-07 08:00:11", 9, false}}));
    // A changed task starts afresh: it runs again the same day.
    s.table.apply(0, task("B2", 10, QTime(9, 30), Daily));
    s.runUntil(at(2026, 12, 7, 10, 0));
    EXPECT_EQ(s.runner.runs.back(), (TaskRun{"Mon 2026-12-07 09:30:00", 10, true}));
}

TEST(TasksFile, ByteVectorsAndDamage)
{
    TaskTable t;
    t.apply(0, task("Hala", 5, QTime(14, 5, 30), Weekly, 3, false));
    t.apply(1, task("Kocioł ż", 247, QTime(0, 0), Once, 6));
    t.taskCount = 2;
    const QByteArray file = tasksFileText(t);
    QByteArray expected = "\tHala\t5\t14:05:30\t3\t2\t0\tKocio\xb3 \xbf\t247\t00:00:00\t6\t4\t1\t";
    for (int i = 2; i < TaskSlots; ++i)
        expected += "\t0\t06:00:00\t0\t0\t1\t";
    EXPECT_EQ(file, expected);
    TaskTable back;
    ASSERT_TRUE(parseTasksFile(file, back));
    back.countTasks();
    EXPECT_EQ(back.taskCount, 2);
    for (int i = 0; i < TaskSlots; ++i)
        EXPECT_EQ(back[i], t[i]) << i;

    // Slot 5 with a weekday that is no number: slots 0 to 4 whole, slot 5 up
    // to its start time, the rest free; slot 5 has an address, so it counts.
    TaskTable full;
    for (int i = 0; i < TaskSlots; ++i)
        full.apply(i, task("z", i + 1, QTime(7, i), Daily, i % 7, false));
    QByteArray damaged = tasksFileText(full);
    const qsizetype slot5 = damaged.indexOf("\tz\t6\t07:05:00\t");
    ASSERT_GT(slot5, 0);
    damaged.replace(slot5 + 14, 1, "x");
    TaskTable partial;
    EXPECT_FALSE(parseTasksFile(damaged, partial));
    partial.countTasks();
    EXPECT_EQ(partial.taskCount, 6);
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(partial[i], full[i]) << i;
    EXPECT_EQ(partial[5], (task("z", 6, QTime(7, 5), EverySixHours, 0, true)));
    EXPECT_EQ(partial[6], DownloadTask{});

    // Values out of their range are damage as non-numbers are.
    struct Bad {
        const char *what;
        QByteArray from, to;
    };
    const Bad bad[] = {
        {"address 248", "\tz\t1\t", "\tz\t248\t"},  {"weekday 7", "07:00:00\t0\t", "07:00:00\t7\t"},
        {"rule 5", "07:00:00\t0\t1\t", "07:00:00\t0\t5\t"}, {"flag 2", "07:00:00\t0\t1\t0\t", "07:00:00\t0\t1\t2\t"},
        {"time 24:00:00", "07:00:00", "24:00:00"}, {"address -1", "\tz\t1\t", "\tz\t-1\t"},
        {"address 1e2", "\tz\t1\t", "\tz\t1e2\t"}, {"a line break in a name", "\tz\t1\t", "\tz\n\t1\t"},
    };
    for (const Bad &b : bad) {
        QByteArray f = tasksFileText(full);
        f.replace(f.indexOf(b.from), b.from.size(), b.to);
        TaskTable r;
        EXPECT_FALSE(parseTasksFile(f, r)) << b.what;
        r.countTasks();
        EXPECT_EQ(r.taskCount, b.from.startsWith("\tz") ? 0 : 1) << b.what;
    }
    // Truncated files, an empty one, and a hostile one of 2 MiB.
    for (const QByteArray &f : {file.left(file.size() / 2), QByteArray(), QByteArray("\t\t\t\t")}) {
        TaskTable r;
        EXPECT_FALSE(parseTasksFile(f, r));
    }
    test::TempDir dir;
    dir.write("auto.conf", QByteArray(2 << 20, '\t'));
    TaskTable r;
    EXPECT_FALSE(loadTasks(dir.file("auto.conf"), r));
    EXPECT_EQ(r[0], DownloadTask{});
}

TEST(TasksTable, AddDeleteAndTheListTexts)
{
    TaskTable t;
    for (int i = 0; i < 4; ++i)
        ASSERT_TRUE(t.add());
    EXPECT_EQ(t[3], (task("Nowe zadanie 4", 4, QTime(6, 0), EverySixHours, 0, true)));
    ASSERT_TRUE(t.remove(1));
    EXPECT_EQ(t.taskCount, 3);
    EXPECT_EQ(t[1].name, QStringLiteral("Nowe zadanie 3"));
    EXPECT_EQ(t[3], DownloadTask{});
    EXPECT_EQ(taskListText(t, 2), QStringLiteral("3. Nowe zadanie 4"));
    t[2].name.clear();
    t[2].address = 5;
    EXPECT_EQ(taskListText(t, 2, true), QStringLiteral("3. K71T_5"));
    EXPECT_EQ(taskListText(t, 2), QStringLiteral("3. "));
    while (t.add()) {
    }
    EXPECT_EQ(t.taskCount, TaskSlots);
    EXPECT_EQ(t[31].name, QStringLiteral("Nowe zadanie 32"));
    EXPECT_FALSE(t.remove(32));
    EXPECT_FALSE(taskNameProblem(QStringLiteral("a\tb")).isEmpty());
    EXPECT_TRUE(taskNameProblem(QStringLiteral("Kocioł")).isEmpty());
}
