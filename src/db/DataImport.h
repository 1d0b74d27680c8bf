#pragma once
// The import of a .dat export into the archive table: every data line of the
// file becomes one row with the address the operator gave; headings, blank
// lines and anything else that is not a data line are skipped.
#include "db/ArchiveTable.h"

namespace k71t {

struct ImportOutcome {
    bool missing = false; // the file does not exist or cannot be read
    int lines = 0;        // data lines found
    StoreOutcome store;   // what storing them did
};

// The data lines of `path` (lines end with CR, LF or both; lines over 4096
// bytes are never data lines) as rows of the meter at `address`; false when
// the file cannot be opened.
bool readDataFileRows(const QString &path, std::uint8_t address, std::vector<TableRow> &rows);

// Reads `path` (lines end with CR, LF or both), parses its data lines and
// stores them as one operation (connectAndStore); the connection is closed
// at the end.
ImportOutcome importDataFile(SqlConnection &connection, const DatabaseSettings &params, const QString &path,
                             std::uint8_t address, const StoreProgress &progress = {},
                             StorePath storePath = StorePath::Batched);

} // namespace k71t
