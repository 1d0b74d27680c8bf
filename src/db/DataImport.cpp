#include "db/DataImport.h"

namespace k71t {

ImportOutcome importDataFile(SqlConnection &connection, const DatabaseSettings &params, const QString &path,
                             std::uint8_t address, const StoreProgress &progress, StorePath storePath)
{
    ImportOutcome out;
    DatLineReader reader(path, DatLineReader::Rule::EveryLine);
    if (!reader.opened()) {
        out.missing = true;
        return out;
    }
    StoreOutcome &store = out.store;
    QString message;
    bool storing = connection.connect(params, &message);
    if (!storing) {
        store.firstFailure = message;
        store.stoppedEarly = true;
    }
    std::vector<TableRow> chunk;
    chunk.reserve(ImportChunkRows);
    const auto storeChunk = [&] {
        if (storing && !chunk.empty()) {
            const int before = store.stored;
            const StoreOutcome part = storeRows(connection, params, chunk, storePath, [&](int done) {
                if (progress) {
                    const int handled = before + done;
                    // The rows the whole file holds at the density read so far.
                    const qint64 expected = reader.position() > 0 ? qint64(out.lines) * reader.size() / reader.position()
                                                                  : out.lines;
                    progress(handled, static_cast<int>(std::max<qint64>(expected, out.lines)));
                }
            });
            store.stored += part.stored;
            if (store.firstFailure.isEmpty())
                store.firstFailure = part.firstFailure;
            if (part.stoppedEarly) {
                store.stoppedEarly = true;
                storing = false;
            }
        }
        chunk.clear();
    };
    QByteArrayView line;
    DataLine parsed;
    while (reader.next(line)) {
        switch (readDataLine(line, parsed)) {
        case LineVerdict::NotData:
            continue;
        case LineVerdict::Refused:
            out.refused.add(reader.lineNumber(), line);
            continue;
        case LineVerdict::Data:
            break;
        }
        ++out.lines;
        if (!storing)
            continue;
        TableRow r{address, parsed.device, ExportRow{parsed.dateKey, parsed.timeKey, {}}};
        std::copy(std::begin(parsed.R), std::end(parsed.R), r.row.R);
        chunk.push_back(r);
        if (static_cast<int>(chunk.size()) == ImportChunkRows)
            storeChunk();
    }
    storeChunk();
    store.total = out.lines;
    if (progress && storing && out.lines > 0)
        progress(store.stored, out.lines);
    connection.disconnect();
    return out;
}

QString importReport(const ImportOutcome &o)
{
    QString text = storeReport(o.store);
    if (o.refused.count > 0)
        text += QLatin1Char('\n') + o.refused.report();
    return text;
}

} // namespace k71t
