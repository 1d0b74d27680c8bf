#include "automat/Tasks.h"

#include "common/SafeFile.h"
#include "common/TextFormats.h"

#include <algorithm>

namespace k71t {

void TaskTable::clear()
{
    entries.fill(TaskSlot{});
    taskCount = 0;
}

void TaskTable::countTasks()
{
    taskCount = 0;
    for (const TaskSlot &s : entries)
        if (s.task.address != 0)
            ++taskCount;
}

bool TaskTable::add()
{
    if (taskCount >= TaskSlots)
        return false;
    const int n = ++taskCount;
    DownloadTask task;
    task.name = QStringLiteral("Nowe zadanie %1").arg(n);
    task.address = static_cast<std::uint8_t>(n);
    apply(n - 1, task);
    return true;
}

bool TaskTable::remove(int slot)
{
    if (slot < 0 || slot >= taskCount)
        return false;
    std::move(entries.begin() + slot + 1, entries.end(), entries.begin() + slot);
    entries.back() = TaskSlot{};
    --taskCount;
    return true;
}

void TaskTable::apply(int slot, const DownloadTask &task)
{
    entries[static_cast<std::size_t>(slot)] = TaskSlot{task, TaskState{}};
}

int TaskTable::removeFinished()
{
    int removed = 0;
    // Backwards, so a removal never moves an unvisited task past the scan.
    for (int slot = taskCount - 1; slot >= 0; --slot)
        if ((*this)[slot].address == 0 && state(slot).due == 0 && remove(slot))
            ++removed;
    return removed;
}

QString taskListText(const TaskTable &table, int slot, bool atStartUp)
{
    const DownloadTask &t = table[slot];
    const QString name = atStartUp && t.name.isEmpty() ? QStringLiteral("K71T_%1").arg(t.address) : t.name;
    return QStringLiteral("%1. %2").arg(slot + 1).arg(name);
}

QByteArray tasksFileText(const TaskTable &table)
{
    QByteArray out("\t");
    for (const TaskSlot &s : table.entries) {
        const DownloadTask &t = s.task;
        out += toWindows1250(t.name) + '\t' + QByteArray::number(t.address) + '\t' +
               t.startTime.toString(QStringLiteral("HH:mm:ss")).toLatin1() + '\t' + QByteArray::number(t.startDay) +
               '\t' + QByteArray::number(t.repeatKind) + '\t' + QByteArray(t.toDatabase ? "1" : "0") + '\t';
    }
    return out;
}

bool parseTasksFile(const QByteArray &bytes, TaskTable &table)
{
    TabFields fields(bytes);
    for (int slot = 0; slot < TaskSlots; ++slot) {
        DownloadTask &t = table[slot];
        const QByteArray name = fields.next();
        // A line break or another control character would forge log lines.
        if (std::any_of(name.begin(), name.end(), [](char c) { return static_cast<unsigned char>(c) < 0x20; }))
            return false;
        t.name = fromWindows1250(name);
        if (!smallNumberField(fields.next(), 247, t.address))
            return false;
        const QTime time = QTime::fromString(QString::fromLatin1(fields.next()), QStringLiteral("HH:mm:ss"));
        if (!time.isValid())
            return false;
        t.startTime = time;
        std::uint8_t flag = 0;
        if (!smallNumberField(fields.next(), 6, t.startDay) || !smallNumberField(fields.next(), 4, t.repeatKind) ||
            !smallNumberField(fields.next(), 1, flag))
            return false;
        t.toDatabase = flag == 1;
    }
    return true;
}

bool loadTasks(const QString &path, TaskTable &table)
{
    QByteArray bytes;
    if (!readSmallFile(path, TasksFileMaxSize, bytes))
        return false;
    return parseTasksFile(bytes, table);
}

bool saveTasks(const QString &path, const TaskTable &table, QString *error)
{
    return writeFileSafely(path, tasksFileText(table), error);
}

QString taskNameProblem(const QString &name)
{
    if (name.contains(QLatin1Char('\t')))
        return QStringLiteral("Nazwa zadania nie może zawierać znaku tabulacji.");
    if (std::any_of(name.begin(), name.end(), [](QChar c) { return c.unicode() < 0x20; }))
        return QStringLiteral("Nazwa zadania nie może zawierać znaków sterujących.");
    if (fromWindows1250(toWindows1250(name)) != name)
        return QStringLiteral("Nazwa zadania zawiera znaki spoza strony kodowej Windows-1250.");
    return {};
}

} // namespace k71t
