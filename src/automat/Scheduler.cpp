#include "automat/Scheduler.h"

#include <QMetaObject>
#include <QThread>

#include "common/DateFormats.h"
#include "common/TextFormats.h"

#include <QFile>
#include <QDir>
#include <QFileInfo>
#include <QLockFile>
#include <algorithm>

namespace k71t {

namespace {

constexpr std::int64_t Day = 1000000; // date key * Day + hhmmss

std::int64_t momentOf(const QDate &date, int hhmmss)
{
    return static_cast<std::int64_t>(dateKey(date)) * Day + hhmmss;
}

QDate dateOf(std::int64_t moment)
{
    const int key = static_cast<int>(moment / Day);
    return QDate(key / 10000, key / 100 % 100, key % 100);
}

// Six hours later on the wall clock: past midnight it is the next day.
std::int64_t sixHoursLater(std::int64_t moment)
{
    const int t = static_cast<int>(moment % Day) + 60000;
    return t >= 240000 ? momentOf(dateOf(moment).addDays(1), t - 240000) : moment - moment % Day + t;
}

// A six-hourly task's first due moment when the schedule is switched on at
// `now`: the latest six-hour step at or before now (due at the first check),
// or the earliest one at most six hours ahead.
std::int64_t firstSixHourly(const QTime &start, const QDateTime &now)
{
    const int n = timeKey(now.time());
    int t = timeKey(start);
    while (t < n && n - t > 60000)
        t += 60000;
    while (t > n && t - n > 60000)
        t -= 60000;
    return momentOf(now.date(), t);
}

int weekday(const QDate &date)
{
    return date.dayOfWeek() % 7; // Sunday 0 .. Saturday 6
}

} // namespace

TaskLog::TaskLog(const Clock &clock, QString path) : clock_(clock), path_(std::move(path)) {}

bool TaskLog::writtenElsewhere(const std::function<void()> &write)
{
    if (!home || QThread::currentThread() == home->thread())
        return false;
    QMetaObject::invokeMethod(home, write, Qt::BlockingQueuedConnection);
    return true;
}

void TaskLog::line(const QString &message)
{
    if (writtenElsewhere([&] { line(message); }))
        return;
    append(clock_.now().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")) + QLatin1Char(' ') + message);
}

void TaskLog::blank()
{
    if (writtenElsewhere([&] { blank(); }))
        return;
    append(QString());
}

void TaskLog::clearBox()
{
    lines_.clear();
    if (onClear)
        onClear();
}

void TaskLog::append(const QString &text)
{
    lines_ << text;
    if (onLine)
        onLine(text);
    if (path_.isEmpty())
        return;
    if (QFileInfo(path_).size() >= RotateBytes) {
        const QString old = path_ + QStringLiteral(".1");
        QFile::remove(old);
        QFile::rename(path_, old);
    }
    QFile file(path_);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append) || file.write(toWindows1250(text) + "\r\n") < 0 ||
        !file.flush())
        fileError = file.errorString();
}

Scheduler::Scheduler(TaskTable &table, const Clock &clock, TaskRunner &runner, TaskLog &log)
    : table_(table), clock_(clock), runner_(runner), log_(log)
{
}

void Scheduler::switchOn()
{
    const QDateTime now = clock_.now();
    for (int s = 0; s < table_.taskCount; ++s) {
        if (table_[s].repeatKind != EverySixHours)
            continue;
        // Switched on again, a step that already ran is not due again.
        TaskState &st = table_.state(s);
        st.nextSixHourly = std::max(st.nextSixHourly, firstSixHourly(table_[s].startTime, now));
    }
}

int Scheduler::findDueTasks(const QDateTime &now)
{
    // The date and time of day once: a check runs every second.
    const QDate date = now.date();
    const int n = timeKey(now.time());
    const std::int64_t moment = momentOf(date, n);
    const int today = weekday(date);
    const int dayOfMonth = date.day();
    const std::int32_t todayKey = dateKey(date);
    int waiting = 0;
    for (int s = 0; s < table_.taskCount; ++s) {
        DownloadTask &task = table_[s];
        TaskState &st = table_.state(s);
        // A task waiting to run is not checked again (a one-time task has
        // no address any more, a six-hourly one would step on).
        if (st.due == 0 && task.address != 0) {
            const int t = timeKey(task.startTime);
            const bool onDay = today == task.startDay;
            const bool executed = st.executedOn == todayKey;
            bool due = false;
            switch (task.repeatKind) {
            case EverySixHours:
                // A task added or changed while the schedule runs is placed
                // as at the switch-on.
                if (st.nextSixHourly == 0)
                    st.nextSixHourly = firstSixHourly(task.startTime, now);
                if (moment > st.nextSixHourly) {
                    due = true;
                    // Steps missed while the program was not checking are
                    // not made up: the next one is ahead of now.
                    do
                        st.nextSixHourly = sixHoursLater(st.nextSixHourly);
                    while (st.nextSixHourly < moment);
                }
                break;
            case Daily:
                due = n >= t && !executed;
                break;
            case Weekly:
            case Once:
                due = onDay && n >= t && !executed;
                break;
            case FirstWeekdayOfMonth:
                due = onDay && dayOfMonth <= FirstWeekdayLastDay && n >= t && !executed;
                break;
            default:
                break;
            }
            if (due) {
                st.due = task.address;
                st.dueOn = todayKey;
                if (task.repeatKind == Once)
                    task.address = 0;
            }
        }
        if (st.due != 0)
            ++waiting;
    }
    if (waiting > 0)
        lastRunDate_ = dateKey(date);
    return waiting;
}

namespace {

// The task a slot holds as its file has it: a one-time task waiting for its
// run keeps its address in its state.
bool sameTask(const TaskSlot &held, const DownloadTask &inFile)
{
    DownloadTask task = held.task;
    if (task.address == 0)
        task.address = held.state.due;
    return task == inFile;
}

} // namespace

void Scheduler::takeFileChanges()
{
    if (tasksPath.isEmpty())
        return;
    QFile file(tasksPath);
    if (!file.open(QIODevice::ReadOnly) || file.size() > TasksFileMaxSize)
        return; // gone or not a task file: the tasks stay as they are
    const QByteArray bytes = file.readAll();
    if (!fileKnown_) {
        // The table as loaded: a file saved from it has these bytes.
        knownFile_ = tasksFileText(table_);
        fileKnown_ = true;
    }
    if (bytes == knownFile_)
        return;
    TaskTable loaded;
    if (!parseTasksFile(bytes, loaded)) {
        // Half written, or damaged: taken once it reads whole.
        if (!std::exchange(badFileTold_, true))
            log_.line(QStringLiteral("Plik %1 jest uszkodzony; zadania pozostają bez zmian.").arg(tasksPath));
        return;
    }
    badFileTold_ = false;
    TaskTable fresh;
    std::array<bool, TaskSlots> matched{};
    for (const TaskSlot &slot : loaded.entries) {
        if (slot.task.address == 0)
            continue;
        const int at = fresh.taskCount++;
        fresh.apply(at, slot.task);
        for (int old = 0; old < table_.taskCount; ++old) {
            if (!matched[static_cast<std::size_t>(old)] && sameTask(table_.entries[static_cast<std::size_t>(old)], slot.task)) {
                matched[static_cast<std::size_t>(old)] = true;
                fresh.entries[static_cast<std::size_t>(at)] = table_.entries[static_cast<std::size_t>(old)];
                break;
            }
        }
    }
    table_ = fresh;
    knownFile_ = bytes;
    log_.line(QStringLiteral("Plik %1 został zmieniony; zadań: %2.").arg(QFileInfo(tasksPath).fileName()).arg(fresh.taskCount));
}

void Scheduler::saveAfterRun(const DownloadTask &finished)
{
    if (followFile) {
        takeFileChanges();
        // Taken from a file changed during the run, the task is back with
        // its address: it ran, so it goes.
        for (int slot = 0; slot < table_.taskCount; ++slot) {
            if (table_[slot] == finished && table_.state(slot).due == 0) {
                table_.remove(slot);
                break;
            }
        }
    }
    table_.removeFinished();
    if (tasksPath.isEmpty())
        return;
    QString error;
    if (!saveTasks(tasksPath, table_, &error)) {
        log_.line(QStringLiteral("Nie udało się zapisać pliku %1 (%2).").arg(tasksPath, error));
        return;
    }
    knownFile_ = tasksFileText(table_);
    fileKnown_ = true;
}

bool Scheduler::tick()
{
    const std::optional<DueRun> run = startTick();
    if (run) {
        runner_.run(run->address, run->toDatabase, log_);
        finishTick(*run);
    }
    return run.has_value();
}

std::optional<Scheduler::DueRun> Scheduler::startTick()
{
    if (linkBusy && linkBusy())
        return std::nullopt;
    if (followFile)
        takeFileChanges();
    const QDateTime now = clock_.now();
    if (!boxDay_.isValid())
        boxDay_ = now.date();
    const int waiting = findDueTasks(now);
    if (waiting == 0) {
        turnTheDay(now.date());
        return std::nullopt;
    }
    log_.line(QStringLiteral("Liczba zadań do wykonania: %1").arg(waiting));
    int s = 0;
    while (table_.state(s).due == 0)
        ++s;
    DueRun run;
    run.slot = s;
    run.day = now.date();
    run.name = table_[s].name;
    run.toDatabase = table_[s].toDatabase;
    log_.line(QStringLiteral("Realizuję zadanie ") + run.name);
    log_.blank();
    run.address = table_.state(s).due;
    run.task = table_[s];
    run.task.address = run.address; // as the file has it
    table_.state(s).executedOn = table_.state(s).dueOn;
    table_.state(s).due = 0;
    if (onRun)
        onRun(true);
    return run;
}

void Scheduler::finishTick(const DueRun &run)
{
    if (table_[run.slot].address == 0)
        saveAfterRun(run.task);
    if (onRun)
        onRun(false);
    log_.line(QStringLiteral("Koniec realizacji zadania ") + run.name);
    log_.blank();
    turnTheDay(run.day);
}

void Scheduler::turnTheDay(const QDate &date)
{
    // The box holds one day; the file keeps every day.
    if (boxDay_ != date) {
        log_.clearBox();
        boxDay_ = date;
    }
}

SchedulerLock::SchedulerLock(const QString &directory) : directory_(directory) {}

SchedulerLock::~SchedulerLock() = default;

bool SchedulerLock::acquire(QString *refusal)
{
    if (held())
        return true;
    lock_ = std::make_unique<QLockFile>(QDir(directory_).filePath(QStringLiteral("automat.lock")));
    // Only a lock whose process is gone is stale, however old it is.
    lock_->setStaleLockTime(0);
    if (lock_->tryLock(0))
        return true;
    qint64 pid = 0;
    QString host, application;
    lock_->getLockInfo(&pid, &host, &application);
    if (refusal)
        *refusal = QStringLiteral("W folderze %1 działa już harmonogram zadań (proces %2 na komputerze %3); drugi nie "
                                  "zostanie uruchomiony.")
                       .arg(QDir::toNativeSeparators(directory_))
                       .arg(pid)
                       .arg(host);
    lock_.reset();
    return false;
}

void SchedulerLock::release()
{
    lock_.reset();
}

bool SchedulerLock::held() const
{
    return lock_ && lock_->isLocked();
}

} // namespace k71t
