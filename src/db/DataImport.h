#pragma once
// The import of a .dat export into the archive table: every data line of the
// file becomes one row with the address the operator gave; headings and
// blank lines are skipped, and a line meant as data that does not read as
// data (a decimal comma, a word, a device beyond 9) is refused and reported.
#include "archive/DataLine.h"
#include "db/ArchiveTable.h"

namespace k71t {

struct ImportOutcome {
    bool missing = false; // the file does not exist or cannot be read
    int lines = 0;        // data lines found
    RefusedLines refused; // lines meant as data that were refused
    StoreOutcome store;   // what storing them did
};

// Rows read from the file at a time, and stored before the next are read.
constexpr int ImportChunkRows = 8 * BatchRows;

// Opens `path` (lines end with CR, LF or both; lines over 4096 bytes are
// never data lines), connects, then reads the data lines in chunks of
// ImportChunkRows and stores each chunk before reading on, so memory stays
// the same for a file of any size. A lost connection stops the storing; the
// rest of the file is still read to count its lines. The connection is
// closed at the end. `progress` gets rows handled and the rows expected from
// the part of the file read so far (exact at the end).
ImportOutcome importDataFile(SqlConnection &connection, const DatabaseSettings &params, const QString &path,
                             std::uint8_t address, const StoreProgress &progress = {},
                             StorePath storePath = StorePath::Batched);

// The import's one report beside the store's: the stored rows of the data
// lines, then the refused lines (storeReport and RefusedLines::report).
QString importReport(const ImportOutcome &outcome);

} // namespace k71t
