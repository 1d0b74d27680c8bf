// The monthly archive of a full month: 31 daily files of ten devices at a
// line a minute each (446,400 data lines, about 40 MB) converted end to end
// into ten monthly files, against a plain read of the same daily files;
// peak memory after the run.
#include "archive/MonthlyArchive.h"
#include "support/TempDir.h"
#include "BenchMeasure.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <cstdio>

using namespace k71t;

int main()
{
    test::TempDir dir;
    QDir(dir.path()).mkpath(QStringLiteral("ARCHIVES/2013/08"));
    QDir(dir.path()).mkpath(QStringLiteral("out"));
    const QString source = dir.file(QStringLiteral("ARCHIVES/2013/08/"));
    const QString out = dir.file(QStringLiteral("out/"));
    qint64 bytes = 0;
    for (int day = 1; day <= 31; ++day) {
        QByteArray text = "Data\tCzas\tDEV\tR0\tR1\tR2\tR3\tR4\tR5\tR6\tR7\tR8\tR9\r\n";
        char line[256];
        for (int minute = 0; minute < 1440; ++minute)
            for (int d = 0; d < 10; ++d) {
                const double v = d * 10 + minute / 1440.0;
                const int n = std::snprintf(line, sizeof line,
                                            "2013-08-%02d\t%02d:%02d:00\t%d\t%.4f\t%.4f\t%.4f\t%.4f\t%.4f\t%.4f\t%.4f"
                                            "\t%.4f\t%.4f\t%.4f\r\n",
                                            day, minute / 60, minute % 60, d, v, v + 1, v + 2, v + 3, v + 4, v + 5,
                                            v + 6, v + 7, v + 8, v + 9);
                text.append(line, n);
            }
        QFile f(source + QStringLiteral("DAY_%1.DAT").arg(day, 2, 10, QLatin1Char('0')));
        if (!f.open(QIODevice::WriteOnly) || f.write(text) != text.size()) {
            std::fprintf(stderr, "bench_monthly: the daily files could not be written\n");
            return 1;
        }
        bytes += text.size();
    }
    double readMs = 0;
    for (int day = 1; day <= 31; ++day)
        readMs += bench::plainRead(source + QStringLiteral("DAY_%1.DAT").arg(day, 2, 10, QLatin1Char('0')));
    QElapsedTimer t;
    t.start();
    const MonthlyOutcome o = createMonthlyArchive(source, out, monthlyFilePrefix(source));
    const double ms = t.nsecsElapsed() / 1e6;
    int lines = 0;
    for (int n : o.lines)
        lines += n;
    std::printf("a month of daily files (%d lines, %.1f MB): converted in %.0f ms (%.1f MB/s), a plain read %.0f ms; "
                "%lld files written; peak %ld MB%s\n",
                lines, bytes / 1e6, ms, bytes / 1e6 / (ms / 1000), readMs, static_cast<long long>(o.files.size()),
                bench::peakMb(), o.error.isEmpty() ? "" : qPrintable(QStringLiteral(" FAILED: ") + o.error));
    return o.error.isEmpty() && lines == 446400 ? 0 : 1;
}
