#include "db/DataImport.h"

#include "archive/DataLine.h"

namespace k71t {

bool readDataFileRows(const QString &path, std::uint8_t address, std::vector<TableRow> &rows)
{
    DatLineReader reader(path, DatLineReader::Rule::EveryLine);
    if (!reader.opened())
        return false;
    QByteArrayView line;
    DataLine parsed;
    while (reader.next(line)) {
        if (!parseDataLine(line, parsed))
            continue;
        TableRow r{address, parsed.device, ExportRow{parsed.dateKey, parsed.timeKey, {}}};
        std::copy(std::begin(parsed.R), std::end(parsed.R), r.row.R);
        rows.push_back(r);
    }
    return true;
}

ImportOutcome importDataFile(SqlConnection &connection, const DatabaseSettings &params, const QString &path,
                             std::uint8_t address, const StoreProgress &progress, StorePath storePath)
{
    ImportOutcome out;
    std::vector<TableRow> rows;
    if (!readDataFileRows(path, address, rows)) {
        out.missing = true;
        return out;
    }
    out.lines = static_cast<int>(rows.size());
    out.store = connectAndStore(connection, params, rows, AfterStore::Disconnect, storePath, progress);
    return out;
}

} // namespace k71t
