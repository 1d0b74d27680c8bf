// Storing a full archive (616,000 records: DEV 0 .. 9, ten registers a
// moment) in the archive table, and importing its .dat export: a statement
// per row (the reference) against 500-row INSERTs in transactions, on the
// same server and the same rows, in rows per second. The per-row path runs
// over the first rows only (it would take minutes for all); both tables are
// compared for those rows.
// The server: K71T_TEST_DB_* (scripts/bench.sh starts one).
#include "archive/ArchiveFiles.h"
#include "archive/DataLine.h"
#include "db/ArchiveTable.h"
#include "db/DataImport.h"
#include "support/DbFixture.h"
#include "support/TempDir.h"
#include "BenchArchive.h"
#include "BenchMeasure.h"

#include <QFile>

#include <QElapsedTimer>
#include <cstdio>
#include <memory>
#include <mysql.h>

using namespace k71t;

namespace {

constexpr int PerRowSample = 3000;

QByteArray checksum(SqlConnection &c, const QString &table, int rows)
{
    // The first `rows` rows in insertion order, all fourteen columns.
    const QByteArray q = "SELECT COUNT(*), SUM(CRC32(CONCAT_WS(' ', ADDR, DATA, CZAS, DEV, R0, R1, R2, R3, R4, R5, R6, "
                         "R7, R8, R9))) FROM (SELECT * FROM `" +
                         table.toUtf8() + "` LIMIT " + QByteArray::number(rows) + ") t";
    if (mysql_real_query(c.handle(), q.constData(), static_cast<unsigned long>(q.size())) != 0)
        return c.lastError().toUtf8();
    QByteArray out;
    if (MYSQL_RES *r = mysql_store_result(c.handle())) {
        if (MYSQL_ROW row = mysql_fetch_row(r))
            out = QByteArray(row[0]) + ' ' + QByteArray(row[1] ? row[1] : "NULL");
        mysql_free_result(r);
    }
    return out;
}

} // namespace

int main()
{
    DatabaseSettings db = test::testDatabase();
    if (db.server.isEmpty()) {
        std::fprintf(stderr, "bench_db_store: no server (K71T_TEST_DB_*); run it through scripts/bench.sh\n");
        return 1;
    }
    auto store = std::make_unique<RecordStore>();
    const int count = RecordStoreCapacity;
    bench::fillFullArchive(*store);
    const auto rows = archiveTableRows(*store, count, 1);
    std::printf("archive of %d records: %zu rows\n", count, rows.size());

    SqlConnection c;
    QString message;
    if (!c.connect(db, &message)) {
        std::fprintf(stderr, "%s\n", qPrintable(message));
        return 1;
    }
    for (const char *name : {"bench_per_row", "bench_batched", "bench_import_per_row", "bench_import_batched"}) {
        c.execute(QByteArray("DROP TABLE IF EXISTS ") + name, nullptr, false);
        db.table = QString::fromLatin1(name);
        if (!createArchiveTable(c, db, &message)) {
            std::fprintf(stderr, "%s\n", qPrintable(message));
            return 1;
        }
    }
    QElapsedTimer t;
    db.table = QStringLiteral("bench_per_row");
    t.start();
    const StoreOutcome perRow = storeRows(c, db, std::span(rows).first(PerRowSample), StorePath::PerRow);
    const double perRowS = t.nsecsElapsed() / 1e9;
    db.table = QStringLiteral("bench_batched");
    t.start();
    const StoreOutcome batched = storeRows(c, db, rows, StorePath::Batched);
    const double batchedS = t.nsecsElapsed() / 1e9;
    const double perRowRate = perRow.stored / perRowS, batchedRate = batched.stored / batchedS;
    std::printf("statement per row: %d rows in %.2f s, %.0f rows/s\n", perRow.stored, perRowS, perRowRate);
    std::printf("500-row batches:   %d rows in %.2f s, %.0f rows/s (ratio %.1f)\n", batched.stored, batchedS,
                batchedRate, batchedRate / perRowRate);
    const QByteArray a = checksum(c, QStringLiteral("bench_per_row"), PerRowSample),
                     b = checksum(c, QStringLiteral("bench_batched"), PerRowSample);
    std::printf("first %d rows alike in both tables: %s\n", PerRowSample, a == b ? "yes" : "NO");

    // The .dat export of the whole archive, and its beginning with the
    // first data lines for the statement per row.
    test::TempDir dir;
    if (!exportDat(dir.file("all.dat"), *store, count, 20130101, 20131231, 0, 235959,
                   QDateTime(QDate(2013, 10, 1), QTime(6, 0)))) {
        std::fprintf(stderr, "the .dat export failed\n");
        return 1;
    }
    {
        const QByteArray all = dir.read("all.dat");
        qsizetype end = 0;
        DataLine parsed;
        for (int lines = 0; lines < PerRowSample && end < all.size();) {
            const qsizetype next = all.indexOf('\n', end);
            if (parseDataLine(all.mid(end, next - end).trimmed(), parsed))
                ++lines;
            end = next + 1;
        }
        dir.write("sample.dat", all.left(end));
    }
    db.table = QStringLiteral("bench_import_per_row");
    t.start();
    const ImportOutcome importPerRow = importDataFile(c, db, dir.file("sample.dat"), 1, {}, StorePath::PerRow);
    const double importPerRowS = t.nsecsElapsed() / 1e9;
    db.table = QStringLiteral("bench_import_batched");
    t.start();
    const ImportOutcome importBatched = importDataFile(c, db, dir.file("all.dat"), 1);
    const double importBatchedS = t.nsecsElapsed() / 1e9;
    const double importPerRowRate = importPerRow.store.stored / importPerRowS,
                 importBatchedRate = importBatched.store.stored / importBatchedS;
    std::printf("import, statement per row: %d rows in %.2f s, %.0f rows/s\n", importPerRow.store.stored,
                importPerRowS, importPerRowRate);
    std::printf("import, 500-row batches:   %d rows in %.2f s, %.0f rows/s (ratio %.1f)\n",
                importBatched.store.stored, importBatchedS, importBatchedRate, importBatchedRate / importPerRowRate);
    if (!c.connect(db, &message)) {
        std::fprintf(stderr, "%s\n", qPrintable(message));
        return 1;
    }
    const QByteArray ia = checksum(c, QStringLiteral("bench_import_per_row"), PerRowSample),
                     ib = checksum(c, QStringLiteral("bench_import_batched"), PerRowSample);
    std::printf("first %d imported rows alike in both tables: %s\n", PerRowSample, ia == ib ? "yes" : "NO");
    // The import of a file 30 times the export (about 350 MB): read and
    // stored chunk by chunk, its memory does not follow the file's size.
    if (!bench::writeRepeated(dir.file("big.dat"), dir.read("all.dat"), 30))
        return 1;
    db.table = QStringLiteral("bench_import_big");
    c.execute("DROP TABLE IF EXISTS bench_import_big", nullptr, false);
    if (!createArchiveTable(c, db, &message)) {
        std::fprintf(stderr, "%s\n", qPrintable(message));
        return 1;
    }
    bool bigOk = false;
    t.start();
    const long growth = bench::growthMb(
        [&] {
            SqlConnection own; // the child's connection of its own
            const ImportOutcome o = importDataFile(own, db, dir.file("big.dat"), 1);
            std::printf("import of a %.0f MB .dat: %d rows; ", QFile(dir.file("big.dat")).size() / 1048576.0,
                        o.store.stored);
            std::fflush(stdout);
            return o.store.ok();
        },
        &bigOk);
    std::printf("%.1f s, memory grew %ld MB (goal under 64 MB)\n", t.nsecsElapsed() / 1e9, growth);
    if (!c.connect(db, &message)) {
        std::fprintf(stderr, "%s\n", qPrintable(message));
        return 1;
    }
    const bool importsOk = bigOk && importPerRow.store.ok() && importBatched.store.ok() &&
                           importBatched.store.stored == static_cast<int>(rows.size()) && ia == ib;
    return perRow.ok() && batched.ok() && a == b && importsOk ? 0 : 1;
}
