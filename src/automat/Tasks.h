#pragma once
// The scheduled download tasks: up to 32 in a fixed table, kept in auto.conf.
// Each slot carries its task's scheduler state, so the state moves with the
// task when the table closes a gap.
#include <QByteArray>
#include <QString>
#include <QTime>
#include <array>
#include <cstdint>

namespace k71t {

constexpr int TaskSlots = 32;

// Repeat rules, in the order of the window's list.
enum RepeatKind : std::uint8_t { EverySixHours = 0, Daily = 1, Weekly = 2, FirstWeekdayOfMonth = 3, Once = 4 };

struct DownloadTask {
    QString name;
    std::uint8_t address = 0; // 1 .. 247; 0: no task, or a one-time task that has started
    QTime startTime{6, 0, 0};
    std::uint8_t startDay = 0;   // 0 Sunday .. 6 Saturday
    std::uint8_t repeatKind = 0; // RepeatKind
    bool toDatabase = true;
    bool operator==(const DownloadTask &) const = default;
};

// What the scheduler knows of a task; it lives in memory only.
struct TaskState {
    // The day (date key) whose due time the task last ran for: it has run
    // "today" when this is today's date, so a new day needs no clearing and a
    // run that went on past midnight still counts for the day it was due.
    std::int32_t executedOn = 0;
    std::int32_t dueOn = 0; // the day of the check that made it due
    std::uint8_t due = 0;   // non-zero while waiting to run: the address to use
    // A six-hourly task's next due moment, as date key * 1000000 + hhmmss.
    std::int64_t nextSixHourly = 0;
    bool operator==(const TaskState &) const = default;
};

struct TaskSlot {
    DownloadTask task;
    TaskState state;
};

class TaskTable {
public:
    TaskTable() = default;

    std::array<TaskSlot, TaskSlots> entries;
    int taskCount = 0;

    DownloadTask &operator[](int slot) { return entries[static_cast<std::size_t>(slot)].task; }
    const DownloadTask &operator[](int slot) const { return entries[static_cast<std::size_t>(slot)].task; }
    TaskState &state(int slot) { return entries[static_cast<std::size_t>(slot)].state; }
    const TaskState &state(int slot) const { return entries[static_cast<std::size_t>(slot)].state; }

    // Every slot free, no tasks.
    void clear();
    // Counts the entries with an address as tasks (after a load).
    void countTasks();
    // Adds "Nowe zadanie N" with address N as the N-th task; false with 32.
    bool add();
    // Removes the task in `slot` and closes the gap (the tasks behind it move
    // down with their state); false when there is no such task.
    bool remove(int slot);
    // Puts a task into `slot`; its scheduler state starts afresh.
    void apply(int slot, const DownloadTask &task);
    // Removes every task whose address is 0 (one-time tasks that ran; one
    // that is due and waits for its run stays); the number removed.
    int removeFinished();
};

// The list item of a slot: "3. Hala"; at start-up an empty name shows as
// "K71T_" and the address.
QString taskListText(const TaskTable &table, int slot, bool atStartUp = false);

// auto.conf: a TAB, then per slot name, address, start time (hh:mm:ss),
// weekday, repeat rule and database flag, each followed by a TAB.
QByteArray tasksFileText(const TaskTable &table);
// Reads the entries from a file's bytes into `table` field by field: a field
// that is empty, not a number, or out of its range (address above 247,
// weekday above 6, rule above 4, a flag other than 0 or 1) ends the load
// (false); the fields before it stay read. taskCount is not set.
bool parseTasksFile(const QByteArray &bytes, TaskTable &table);

// Largest auto.conf read: 32 entries of fields far longer than any sane name.
constexpr qint64 TasksFileMaxSize = 1 << 20;
// False when the file is missing, unreadable or too large (nothing read),
// or damaged (read up to the damage).
bool loadTasks(const QString &path, TaskTable &table);
bool saveTasks(const QString &path, const TaskTable &table, QString *error = nullptr);

// Why a task name cannot be kept: it holds a TAB (the file's separator) or a
// character Windows-1250 does not have. Empty when it can.
QString taskNameProblem(const QString &name);

} // namespace k71t
