// loadBin, buildExportRows and exportDat of a full 616,000-record store, each
// beside a plain reference measured in the same run.
#include "archive/ArchiveFiles.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTextStream>
#include <cstdio>
#include <memory>

using namespace k71t;

namespace {

double since(const QElapsedTimer &t)
{
    return t.nsecsElapsed() / 1e6;
}

// The naive export: one QString per value through QTextStream.
void naiveExport(const QString &path, const RecordStore &store, int n)
{
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    QTextStream out(&f);
    for (int d = 0; d < 10; ++d)
        for (int i = 0; i < n; ++i) {
            const ArchiveRecord &r = store[i];
            if (r.device() != d + 1)
                continue;
            out << QString::asprintf("%04d-%02d-%02d\t%02d:%02d:%02d\t%d", r.year(), r.month(), r.day(), r.hour(),
                                     r.minute(), r.second(), d);
            for (int k = 0; k < 10; ++k)
                out << '\t' << (k == r.reg() % 10 ? QString::number(r.value(), 'E', 9) : QStringLiteral("*"));
            out << '\n';
        }
}

} // namespace

int main()
{
    QTemporaryDir dir;
    auto store = std::make_unique<RecordStore>();
    const int n = RecordStoreCapacity;
    // Ten devices, ten registers each, a moment every 10 s over about 7 days.
    for (int i = 0; i < n; ++i) {
        const int moment = i / 100;
        const int seconds = moment * 10;
        const int day = 1 + seconds / 86400;
        const int rest = seconds % 86400;
        (*store)[i] = ArchiveRecord::make(1 + (i / 10) % 10, i % 10, 2026, 3, day, rest / 3600, rest / 60 % 60,
                                          rest % 60, (i % 97 == 0) ? NoValue : 0.001f * static_cast<float>(i));
    }
    RegisterImage image;
    const QString bin = dir.filePath("full.bin");
    saveBin(bin, *store, n, image);

    QElapsedTimer t;
    t.start();
    QFile raw(bin);
    raw.open(QIODevice::ReadOnly);
    const QByteArray all = raw.readAll();
    const double rawMs = since(t);
    t.restart();
    const int loaded = loadBin(bin, *store, image);
    const double loadMs = since(t);
    std::printf("loadBin          %7d records  %8.1f ms   (plain read of the %lld-byte file: %.1f ms)\n", loaded,
                loadMs, static_cast<long long>(all.size()), rawMs);

    std::vector<ExportRow> rows;
    t.restart();
    long total = 0;
    for (int d = 0; d < 10; ++d)
        total += buildExportRows(*store, n, d, 20260301, 20260331, rows);
    const double rowsMs = since(t);
    t.restart();
    long sum = 0;
    for (int d = 0; d < 10; ++d)
        for (int i = 0; i < n; ++i)
            sum += (*store)[i].device() == d + 1;
    const double scanMs = since(t);
    std::printf("buildExportRows  %7ld rows     %8.1f ms   (ten plain passes over the store: %.1f ms, %ld)\n", total,
                rowsMs, scanMs, sum);

    const QDateTime now = QDateTime::currentDateTime();
    t.restart();
    exportDat(dir.filePath("full.dat"), *store, n, 20260301, 20260331, 0, 235959, now);
    const double exportMs = since(t);
    const qint64 size = QFile(dir.filePath("full.dat")).size();
    t.restart();
    naiveExport(dir.filePath("naive.dat"), *store, n);
    const double naiveMs = since(t);
    std::printf("exportDat        %7d records  %8.1f ms   %.1f MB written (naive QString export, a line per "
                "record: %.1f ms)\n",
                n, exportMs, size / 1e6, naiveMs);
    return 0;
}
