#pragma once
// The schedule of the download tasks: which tasks are due at a moment, and
// one tick of the schedule (find the due tasks, run the lowest one, save the
// table, change the day). The window's timers and `k71t-cli tasks run` only
// drive it; the time comes from the program's clock and a task is run
// through a TaskRunner, so a test runs weeks of ticks in a moment.
#include "automat/Tasks.h"
#include "common/Clock.h"

#include <QDate>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <optional>

class QLockFile;
class QObject;

namespace k71t {

// The task log: the lines of the window's log box, each also appended to
// automat.log as it is written (CR LF, Windows-1250), the file moved to
// automat.log.1 when it has grown past RotateBytes.
class TaskLog {
public:
    static constexpr qint64 RotateBytes = 1 << 20;

    TaskLog(const Clock &clock, QString path = {});

    // "2013-09-16 14:05:00 " + message, as one line.
    void line(const QString &message);
    // An empty line.
    void blank();
    // Empties the box (the file keeps everything).
    void clearBox();
    const QStringList &lines() const { return lines_; }
    const QString &path() const { return path_; }
    // Shown a line as it is added (the window's box, the tool's output),
    // and the box emptied.
    std::function<void(const QString &)> onLine;
    std::function<void()> onClear;
    // Why the file could not be written, the last time it could not.
    QString fileError;
    // The thread the log belongs to (its box's window): a line written on
    // another one (a task run on the link worker) is written there, in
    // order, and the run goes on once it is. None: every thread writes.
    QObject *home = nullptr;

private:
    bool writtenElsewhere(const std::function<void()> &write);
    void append(const QString &text);

    const Clock &clock_;
    QString path_;
    QStringList lines_;
};

// Runs one task: download the archive of the meter at `address`, save it,
// clear the meter, store it in the database when asked; every step logged.
class TaskRunner {
public:
    virtual ~TaskRunner() = default;
    virtual bool run(std::uint8_t address, bool toDatabase, TaskLog &log) = 0;
};

class Scheduler {
public:
    Scheduler(TaskTable &table, const Clock &clock, TaskRunner &runner, TaskLog &log);

    // The schedule switched on (the start delay ran out): six-hourly tasks
    // get their first due moment from the time of day now.
    void switchOn();
    // Marks the tasks that are due at `now`; the number of tasks waiting.
    int findDueTasks(const QDateTime &now);
    // One check: the due tasks found, the lowest one run (at most one a
    // tick), finished one-time tasks removed, the table saved. A task has run
    // "today" only for today's due time, so a new day needs no clearing.
    // True when a task ran.
    bool tick();
    // A tick in two halves, for a run that goes on elsewhere (the program's
    // link worker) while the window's thread goes on: startTick does what
    // comes before the run and says which run to make (none when nothing is
    // due or the link is busy); finishTick what comes after it. The table
    // must not change between the two.
    struct DueRun {
        int slot = 0;
        QString name;
        bool toDatabase = false;
        std::uint8_t address = 0;
        DownloadTask task; // as the file has it
        QDate day;         // of the tick
    };
    std::optional<DueRun> startTick();
    void finishTick(const DueRun &run);

    // Where the table is kept (none when empty). It is saved after a run
    // only when the run changed it (a one-time task that ran leaves it), so
    // a run never writes back tasks it did not change.
    QString tasksPath;
    // Takes the file's changes before each check (`k71t-cli tasks run`,
    // which has no window to edit in): tasks that stayed keep their state,
    // new ones start afresh. A change made during a run is taken before the
    // run's own change is saved. The window edits the table itself.
    bool followFile = false;
    // Around a run: the title and the tray icon of the window.
    std::function<void(bool running)> onRun;
    // Refuses a tick while another user holds the meter link (the task then
    // runs at a later tick).
    std::function<bool()> linkBusy;

    std::int32_t lastRunDate() const { return lastRunDate_; }

private:
    // Reads tasksPath and takes it when it changed since last read or saved.
    void takeFileChanges();
    // A new day empties the box.
    void turnTheDay(const QDate &date);
    // Saves the table after a run that removed `finished` (a one-time task).
    void saveAfterRun(const DownloadTask &finished);

    TaskTable &table_;
    const Clock &clock_;
    TaskRunner &runner_;
    TaskLog &log_;
    std::int32_t lastRunDate_ = 0;
    QDate boxDay_;
    QByteArray knownFile_; // the file as last read or written here
    bool fileKnown_ = false;
    bool badFileTold_ = false;
};

// One scheduler in a working folder at a time: the program's scheduler
// window and `k71t-cli tasks run` each hold this lock (automat.lock in the
// folder) while their schedule runs; a second is refused. A lock left by a
// process that died is taken over.
class SchedulerLock {
public:
    explicit SchedulerLock(const QString &directory);
    ~SchedulerLock();
    // False, with the operator's text in `refusal`, when another scheduler
    // holds the folder.
    bool acquire(QString *refusal = nullptr);
    void release();
    bool held() const;

private:
    QString directory_;
    std::unique_ptr<QLockFile> lock_;
};

// The day of the month below which "Pierwszy wybrany dzień miesiąca" runs:
// the first given weekday of a month falls on days 1 to 7.
constexpr int FirstWeekdayLastDay = 7;

} // namespace k71t
