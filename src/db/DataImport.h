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

// Reads `path` (lines end with CR, LF or both), parses its data lines and
// stores them as one operation (connectAndStore); the connection is closed
// at the end.
ImportOutcome ImportDataFile(SqlConnection &connection, const SQL_PARAMS &params, const QString &path,
                             std::uint8_t address, const StoreProgress &progress = {},
                             StorePath storePath = StorePath::Batched);

} // namespace k71t
