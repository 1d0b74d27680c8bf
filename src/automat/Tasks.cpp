#include "automat/Tasks.h"

#include "common/SafeFile.h"
#include "common/TextFormats.h"

#include <algorithm>
#include <charconv>

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
    ZADANIE task;
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

void TaskTable::apply(int slot, const ZADANIE &task)
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
    const ZADANIE &t = table[slot];
    const QString name = atStartUp && t.name.isEmpty() ? QStringLiteral("K71T_%1").arg(t.address) : t.name;
    return QStringLiteral("%1. %2").arg(slot + 1).arg(name);
}

QByteArray tasksFileText(const TaskTable &table)
{
    QByteArray out("\t");
    for (const TaskSlot &s : table.entries) {
        const ZADANIE &t = s.task;
        out += toWindows1250(t.name) + '\t' + QByteArray::number(t.address) + '\t' +
               t.startTime.toString(QStringLiteral("HH:mm:ss")).toLatin1() + '\t' + QByteArray::number(t.startDay) +
               '\t' + QByteArray::number(t.repeatKind) + '\t' + QByteArray(t.toDatabase ? "1" : "0") + '\t';
    }
    return out;
}

namespace {

// A decimal integer within [0, high], nothing else.
bool number(const QByteArray &field, int high, int &out)
{
    if (field.isEmpty())
        return false;
    const char *end = field.constData() + field.size();
    const auto r = std::from_chars(field.constData(), end, out);
    return r.ec == std::errc() && r.ptr == end && out >= 0 && out <= high;
}

} // namespace

bool parseTasksFile(const QByteArray &bytes, TaskTable &table)
{
    qsizetype at = 1;
    const auto next = [&]() {
        const qsizetype tab = bytes.indexOf('\t', at);
        const qsizetype end = tab < 0 ? bytes.size() : tab;
        const QByteArray field = at < bytes.size() ? bytes.mid(at, end - at) : QByteArray();
        at = end + 1;
        return field;
    };
    for (int slot = 0; slot < TaskSlots; ++slot) {
        ZADANIE &t = table[slot];
        const QByteArray name = next();
        // A line break or another control character would forge log lines.
        if (std::any_of(name.begin(), name.end(), [](char c) { return static_cast<unsigned char>(c) < 0x20; }))
            return false;
        t.name = fromWindows1250(name);
        int value = 0;
        if (!number(next(), 247, value))
            return false;
        t.address = static_cast<std::uint8_t>(value);
        const QTime time = QTime::fromString(QString::fromLatin1(next()), QStringLiteral("HH:mm:ss"));
        if (!time.isValid())
            return false;
        t.startTime = time;
        if (!number(next(), 6, value))
            return false;
        t.startDay = static_cast<std::uint8_t>(value);
        if (!number(next(), 4, value))
            return false;
        t.repeatKind = static_cast<std::uint8_t>(value);
        if (!number(next(), 1, value))
            return false;
        t.toDatabase = value == 1;
    }
    return true;
}

bool LoadTasks(const QString &path, TaskTable &table)
{
    QByteArray bytes;
    if (!readSmallFile(path, TasksFileMaxSize, bytes))
        return false;
    return parseTasksFile(bytes, table);
}

bool SaveTasks(const QString &path, const TaskTable &table, QString *error)
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
