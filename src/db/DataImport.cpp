#include "db/DataImport.h"

#include "archive/DataLine.h"

#include <QFile>

namespace k71t {

bool readDataFileRows(const QString &path, std::uint8_t address, std::vector<TableRow> &rows)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    QByteArray pending;
    bool overlong = false; // no data line is anywhere near 4096 bytes long
    DataLine parsed;
    const auto take = [&](const QByteArray &line) {
        const bool skip = overlong;
        overlong = false;
        if (skip || !parseDataLine(line, parsed))
            return;
        TableRow r{address, parsed.device, ExportRow{parsed.dateKey, parsed.timeKey, {}}};
        std::copy(std::begin(parsed.R), std::end(parsed.R), r.row.R);
        rows.push_back(r);
    };
    // In blocks, so a file of any size or a binary one costs no more memory
    // than its data lines.
    constexpr qint64 Block = 1 << 16;
    while (!file.atEnd()) {
        const QByteArray block = file.read(Block);
        if (block.isEmpty())
            break;
        qsizetype from = 0;
        for (qsizetype i = 0; i < block.size(); ++i) {
            if (block[i] != '\r' && block[i] != '\n')
                continue;
            pending += block.mid(from, i - from);
            if (pending.size() > 4096)
                overlong = true;
            take(pending);
            pending.clear();
            from = i + 1;
        }
        pending += block.mid(from);
        if (pending.size() > 4096) {
            overlong = true;
            pending.clear();
        }
    }
    take(pending);
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
