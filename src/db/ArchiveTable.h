#pragma once
// The archive table: one row per meter, device and moment with the device's
// ten archived registers; its create statement, the values of a row as the
// server receives them, and the storing of an archive in it.
//
// Rows go in multi-row INSERT statements of BatchRows rows, each batch in a
// transaction of its own; a batch the server refuses is rolled back and sent
// again row by row, so exactly the rows a statement per row would lose are
// lost, and reported. A table without transactions gets a statement per row;
// a row it stores with warnings (a DECIMAL column rounds) is counted as
// stored and as changed, so the report always equals what the table holds.
// A row whose moment does not exist (hour 24, February 30) is never sent.
#include "archive/ArchiveRecord.h"
#include "db/SqlConnection.h"

#include <QByteArray>
#include <functional>
#include <span>

namespace k71t {

// The table's own no-value marker, the single-precision 2E+20.
constexpr float TableNoValue = 2.0e20f;
constexpr int BatchRows = 500;

QByteArray createTableStatement(const QString &table);

// One row to store.
struct TableRow {
    std::uint8_t address;
    std::uint8_t device; // 0 .. 9
    ExportRow row;
};
// "('1','2013-09-16','07:05:00','0','1.5',...)": fourteen quoted values.
QByteArray rowValues(const TableRow &row);
QByteArray insertStatement(const QString &table, const QByteArray &values);

// What a store did: rows stored of rows given, and the first failure.
struct StoreOutcome {
    int total = 0;
    int stored = 0;
    int changed = 0;        // stored with warnings (a table without transactions)
    QString firstFailure;   // the server's reason, then the row's moment and device
    bool stoppedEarly = false; // the connection was lost or never there
    bool ok() const { return stored == total && firstFailure.isEmpty(); }
};

enum class StorePath { Batched, PerRow };

// Creates the table (ADDR and DEV unsigned); false with the operator's text.
bool createArchiveTable(SqlConnection &connection, const DatabaseSettings &params, QString *message);

// Stores `rows` in order. The connection must be open. `progress` gets the
// number of rows handled so far.
StoreOutcome storeRows(SqlConnection &connection, const DatabaseSettings &params, std::span<const TableRow> rows,
                       StorePath path = StorePath::Batched, const std::function<void(int)> &progress = {});

// The rows of an archive in memory for the table: device by device (DEV 0
// first), each device's records grouped by moment as an export groups them,
// registers without a record holding TableNoValue. With a range, only dates
// in [fromDate, toDate], and on a single day only times in [fromTime, toTime].
struct ArchiveRange {
    int fromDate, toDate, fromTime, toTime;
};
std::vector<TableRow> archiveTableRows(const RecordStore &store, int count, std::uint8_t address,
                                       const ArchiveRange *range = nullptr);

// `progress` of the operations below gets rows handled and rows in all.
using StoreProgress = std::function<void(int done, int total)>;

// Stores rows as one operation: connects when no connection is open (a
// connection that cannot be opened is the outcome's one failure, nothing is
// tried row by row), stores, then closes the connection when it was opened
// here or `after` says so. No rows means no contact with the server.
enum class AfterStore { KeepOpen, Disconnect };
StoreOutcome connectAndStore(SqlConnection &connection, const DatabaseSettings &params, std::span<const TableRow> rows,
                             AfterStore after, StorePath path = StorePath::Batched, const StoreProgress &progress = {});

// An archive in memory into the table: the first `count` records of the
// store (with a range, those in it) as rows for the meter at `address`. The
// whole archive keeps a connection that was open before; the range always
// closes it. An outcome of no rows and no failure means there was nothing to
// store.
StoreOutcome exportArchiveToDatabase(SqlConnection &connection, const DatabaseSettings &params,
                                     const RecordStore &store, int count, std::uint8_t address,
                                     const StoreProgress &progress = {});
StoreOutcome exportArchiveRangeToDatabase(SqlConnection &connection, const DatabaseSettings &params,
                                          const RecordStore &store, int count, const ArchiveRange &range,
                                          std::uint8_t address, const StoreProgress &progress = {});

// The archive job's database step (ArchiveJob::databaseStep): `records`
// records of the store into the table as rows of the meter at `address`,
// the connection closed afterwards; false, with the one report of what went
// wrong, when they were not all stored.
bool storeDownloadedArchive(SqlConnection &connection, const DatabaseSettings &params, const RecordStore &store,
                            int records, int address, QString *report, const StoreProgress &progress = {});

// The one report of a store that did not store everything: the rows stored
// of the rows given and the first failure with the server's text.
QString storeReport(const StoreOutcome &outcome);

} // namespace k71t
