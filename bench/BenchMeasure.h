#pragma once
// What the benchmarks measure besides time: the process's peak memory and
// the time a plain read of a file takes (the floor for any load of it).
#include <QElapsedTimer>
#include <QFile>
#include <sys/resource.h>

namespace k71t::bench {

inline long peakMb()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_maxrss / 1024;
}

// Milliseconds to read the whole file in 1 MiB pieces; -1 when it cannot be read.
inline double plainRead(const QString &path)
{
    QElapsedTimer t;
    t.start();
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    qint64 total = 0;
    while (!f.atEnd())
        total += f.read(1 << 20).size();
    return total > 0 ? t.nsecsElapsed() / 1e6 : -1;
}

} // namespace k71t::bench
