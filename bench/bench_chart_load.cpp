// Loading the chart's ten series (one register each of ten devices) from a
// full 616,000-record .bin archive and from its .dat export, in one pass
// each, against a plain read of the same file; peak memory after each.
#include "archive/ArchiveFiles.h"
#include "chart/SeriesLoad.h"
#include "support/TempDir.h"
#include "BenchArchive.h"
#include "BenchMeasure.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <cstdio>
#include <memory>

using namespace k71t;
using bench::peakMb;
using bench::plainRead;

namespace {

void load(const char *label, const QString &path)
{
    SeriesModel model;
    for (int s = 0; s < SeriesCount; ++s)
        model.series[static_cast<std::size_t>(s)] = SeriesAssignment{
            1, static_cast<std::uint8_t>(s), static_cast<std::uint8_t>(s), QStringLiteral("S%1").arg(s)};
    auto data = std::make_unique<std::array<SeriesData, SeriesCount>>();
    const double readMs = plainRead(path);
    QElapsedTimer t;
    t.start();
    const FileLoadOutcome out = loadSeriesFromFile(path, 1, 20130101, 20131231, model, *data);
    const double ms = t.nsecsElapsed() / 1e6;
    std::size_t points = 0;
    for (const SeriesData &d : *data)
        points += d.points.size();
    std::printf("%-5s %8.1f ms (a plain read of the file %6.1f ms): %d rows taken, %zu points; peak %ld MB\n", label, ms,
                readMs, out.rowsTaken, points, peakMb());
}

} // namespace

int main()
{
    auto store = std::make_unique<RecordStore>();
    const int count = RecordStoreCapacity;
    bench::fillFullArchive(*store);
    test::TempDir dir;
    if (saveNewBin(dir.file("full.bin"), *store, count, RegisterImage{}).isEmpty() ||
        !exportDat(dir.file("full.dat"), *store, count, 20130101, 20131231, 0, 235959,
                   QDateTime(QDate(2013, 10, 1), QTime(6, 0)))) {
        std::fprintf(stderr, "bench_chart_load: the files could not be written\n");
        return 1;
    }
    store.reset();
    std::printf("ten series from a 616,000-record archive (6,160 rows a device), goal under 1 s each\n");
    load(".bin", dir.file("full.bin"));
    load(".dat", dir.file("full.dat"));

    // A .dat of 30 such exports (about 350 MB): the memory a load takes
    // beside what the series then show (their rows and points).
    if (!bench::writeRepeated(dir.file("big.dat"), dir.read("full.dat"), 30))
        return 1;
    QElapsedTimer t;
    t.start();
    const long growth = bench::growthMb([&] {
        SeriesModel model;
        for (int s = 0; s < SeriesCount; ++s)
            model.series[static_cast<std::size_t>(s)] = SeriesAssignment{
                1, static_cast<std::uint8_t>(s), static_cast<std::uint8_t>(s), QStringLiteral("S%1").arg(s)};
        auto data = std::make_unique<std::array<SeriesData, SeriesCount>>();
        loadSeriesFromFile(dir.file("big.dat"), 1, 20130101, 20131231, model, *data);
        std::size_t rows = 0, points = 0; // counted in the child, which holds them
        for (const SeriesData &d : *data) {
            rows += d.rows.size();
            points += d.points.size();
        }
        std::printf("%zu rows and %zu points shown, %.1f MB; ", rows, points,
                    (rows * sizeof(SeriesRow) + points * sizeof(SeriesPoint)) / 1048576.0);
        std::fflush(stdout);
        return true;
    });
    std::printf("a %.0f MB .dat loaded in %.1f s: memory grew %ld MB (goal under twice what is shown)\n",
                QFileInfo(dir.file("big.dat")).size() / 1048576.0, t.nsecsElapsed() / 1e9, growth);
    return 0;
}
