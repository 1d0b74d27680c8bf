#include "chart/SeriesLoad.h"

#include "archive/ArchiveFiles.h"
#include "archive/DataLine.h"
#include "common/DateFormats.h"

#include <QDate>
#include <QFileInfo>
#include <cmath>

namespace k71t {

namespace {

// Hands one row to every series that takes it.
struct Feeder {
    Feeder(std::uint8_t address, int fromDate, int toDate, SeriesModel &model,
           std::array<SeriesData, SeriesCount> &data)
        : address(address), fromDate(fromDate), toDate(toDate), model(model),
          data(data), counters{SeriesCounter(model.statistics[0]), SeriesCounter(model.statistics[1]),
                               SeriesCounter(model.statistics[2]), SeriesCounter(model.statistics[3]),
                               SeriesCounter(model.statistics[4]), SeriesCounter(model.statistics[5]),
                               SeriesCounter(model.statistics[6]), SeriesCounter(model.statistics[7]),
                               SeriesCounter(model.statistics[8]), SeriesCounter(model.statistics[9])}
    {
    }
    std::uint8_t address;
    int fromDate, toDate;
    SeriesModel &model;
    std::array<SeriesData, SeriesCount> &data;
    std::array<SeriesCounter, SeriesCount> counters;
    int taken = 0;
    // The first pass over a file only counts what each series will keep, so
    // the second stores it in vectors of the exact size.
    bool counting = false;
    std::array<std::size_t, SeriesCount> rowsNeeded{}, pointsNeeded{};

    void reserve()
    {
        for (std::size_t s = 0; s < SeriesCount; ++s) {
            data[s].rows.reserve(data[s].rows.size() + rowsNeeded[s]);
            data[s].points.reserve(data[s].points.size() + pointsNeeded[s]);
        }
        counting = false;
    }

    void finish()
    {
        for (SeriesCounter &c : counters)
            c.finish();
    }

    void row(int dateKey, int timeKey, int device, const float (&R)[10])
    {
        if (dateKey < fromDate || dateKey > toDate)
            return;
        for (std::size_t s = 0; s < SeriesCount; ++s) {
            const SeriesAssignment &w = model.series[s];
            if (!w.on() || w.address != address || w.device != device)
                continue;
            const float v = R[w.registerNo];
            if (counting) {
                ++rowsNeeded[s];
                pointsNeeded[s] += isSeriesValue(v);
                continue;
            }
            SeriesData &d = data[s];
            SeriesRow r{dateKey, timeKey, {}};
            std::copy(std::begin(R), std::end(R), r.R);
            d.rows.push_back(r);
            if (isSeriesValue(v)) {
                d.points.push_back({seriesX(dateKey, timeKey), static_cast<double>(v)});
                counters[s].count(v, dateKey, timeKey);
            }
            ++taken;
        }
    }
};

// Hands the data lines of a .dat file to `feed`; refused lines are counted
// when `refused` is given.
bool feedDatFile(const QString &path, Feeder &feed, RefusedLines *refused)
{
    DatLineReader reader(path, DatLineReader::Rule::ThousandByteBlocks);
    QByteArrayView line;
    DataLine parsed;
    while (reader.next(line)) {
        switch (readDataLine(line, parsed)) {
        case LineVerdict::Data:
            feed.row(parsed.dateKey, parsed.timeKey, parsed.device, parsed.R);
            break;
        case LineVerdict::Refused:
            if (refused)
                refused->add(reader.lineNumber(), line);
            break;
        case LineVerdict::NotData:
            break;
        }
    }
    return reader.opened();
}

} // namespace

double seriesX(int dateKey, int timeKey)
{
    const QDate date(dateKey / 10000, dateKey / 100 % 100, dateKey % 100);
    const qint64 days = QDate(1970, 1, 1).daysTo(date);
    return static_cast<double>(days * 86400 + timeKey / 10000 * 3600 + timeKey / 100 % 100 * 60 + timeKey % 100);
}

FileLoadOutcome loadSeriesFromFile(const QString &path, std::uint8_t address, int fromDate, int toDate,
                                   SeriesModel &model, std::array<SeriesData, SeriesCount> &data)
{
    FileLoadOutcome out;
    const QString suffix = QFileInfo(path).suffix().toLower();
    Feeder feed{address, fromDate, toDate, model, data};
    if (suffix == QLatin1String("dat")) {
        out.kind = FileLoadOutcome::Kind::Dat;
        feed.counting = true;
        out.opened = feedDatFile(path, feed, &out.refused);
        feed.reserve();
        if (out.opened)
            feedDatFile(path, feed, nullptr);
    } else if (suffix == QLatin1String("bin")) {
        out.kind = FileLoadOutcome::Kind::Bin;
        auto store = std::make_unique<RecordStore>();
        RegisterImage image;
        const int n = loadBin(path, *store, image, &out.tooLarge);
        const QFileInfo info(path);
        out.wrongSize = info.isFile() && (info.size() < 240 || (info.size() - 240) % 12 != 0);
        // An archive without records (240 bytes) is read, and holds nothing.
        out.opened = n > 0 || (info.isFile() && info.size() == 240 && QFile(path).open(QIODevice::ReadOnly));
        // Twice over the rows, as over a .dat file: counting, then keeping.
        std::vector<ExportRow> rows;
        for (const bool counting : {true, false}) {
            feed.counting = counting;
            for (int d = 0; d < 10; ++d) {
                buildExportRows(*store, n, d, 0, 99999999, rows);
                for (ExportRow &r : rows) {
                    // A record's moment that is no real date or time would be
                    // refused as a line of the export; so would NaN and
                    // infinities as values. Above 1.0E+10 is "*" in an
                    // export, which reads back as the no-value marker.
                    if (!QDate::isValid(r.dateKey / 10000, r.dateKey / 100 % 100, r.dateKey % 100) ||
                        r.timeKey / 10000 > 23 || r.timeKey / 100 % 100 > 59 || r.timeKey % 100 > 59)
                        continue;
                    for (float &v : r.R)
                        if (v > 1.0e10f || !std::isfinite(v))
                            v = DataLineNoValue;
                    feed.row(r.dateKey, r.timeKey, d, r.R);
                }
            }
            if (counting)
                feed.reserve();
        }
    }
    feed.finish();
    out.rowsTaken = feed.taken;
    return out;
}

} // namespace k71t
