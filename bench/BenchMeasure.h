#pragma once
// What the benchmarks measure besides time: the process's peak memory and
// the time a plain read of a file takes (the floor for any load of it).
#include <QElapsedTimer>
#include <QFile>
#include <cstdio>
#include <functional>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace k71t::bench {

inline long peakMb()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_maxrss / 1024;
}

// How far `work` raises the peak memory above what the process held when
// it began, in MB: run in a child process of its own, so earlier work of the
// benchmark does not count. The child's exit status is `work`'s result.
inline long growthMb(const std::function<bool()> &work, bool *ok = nullptr)
{
    std::fflush(stdout); // or the child prints what the parent buffered again
    int pipeFds[2];
    if (::pipe(pipeFds) != 0)
        return -1;
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(pipeFds[0]);
        const long before = peakMb();
        const bool done = work();
        const long growth = peakMb() - before;
        (void)!::write(pipeFds[1], &growth, sizeof growth);
        ::_exit(done ? 0 : 1);
    }
    ::close(pipeFds[1]);
    long growth = -1;
    if (::read(pipeFds[0], &growth, sizeof growth) != static_cast<ssize_t>(sizeof growth))
        growth = -1;
    ::close(pipeFds[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    if (ok)
        *ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    return growth;
}

// Writes `bytes` `times` over into a new file at `path` (a big file made of
// a small one); false when it cannot be written.
inline bool writeRepeated(const QString &path, const QByteArray &bytes, int times)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    for (int k = 0; k < times; ++k)
        if (file.write(bytes) != bytes.size())
            return false;
    return true;
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
