#pragma once
// Loading the chart's series from an archive file: a .dat export or a .bin
// archive, each row handed to every series that is on and takes it (the
// meter's address, the series' device, a date in the range). Points, table
// rows and statistics are added to what the series hold. A .dat file is read twice: once to count what each series
// keeps, once to keep it in vectors of that size, so memory is what the
// series show and nothing of the file's size.
#include "archive/DataLine.h"
#include "chart/Series.h"

#include <QString>
#include <vector>

namespace k71t {

// A row of a series' table, compact: formatted only when shown.
struct SeriesRow {
    std::int32_t dateKey;
    std::int32_t timeKey;
    float R[10];
};

// A point of a series: X the wall-clock date and time in seconds since
// 1970-01-01 (as if UTC, so no time zone moves it), Y the value.
struct SeriesPoint {
    double x;
    double y;
};

// What the series hold beside their statistics.
struct SeriesData {
    std::vector<SeriesPoint> points; // in the order added
    std::vector<SeriesRow> rows;
};

double seriesX(int dateKey, int timeKey);

// True for a value that is data: no-value markers (the export's 1.0E+20,
// the table's 2.0E+20) lie outside (-1.0E+20, 1.0E+20) and are kept in the
// table rows but are neither points nor counted.
inline bool isSeriesValue(float v)
{
    return v > -1.0e20f && v < 1.0e20f;
}

struct FileLoadOutcome {
    enum class Kind { Dat, Bin, Unknown };
    Kind kind = Kind::Unknown;
    bool opened = false;   // false: the file could not be read, or is not a .bin archive
    bool wrongSize = false; // a .bin whose size is not 240 + 12 * n bytes
    bool tooLarge = false;  // a .bin over 616,000 records
    int rowsTaken = 0;     // rows handed to a series, summed over the series
    RefusedLines refused;  // .dat lines meant as data that were refused
};

// The type comes from the lower-cased suffix of the file name (".dat" or
// ".bin"); the file is opened by its own path. Only series that are on take
// rows; `fromDate` .. `toDate` are date keys, inclusive.
FileLoadOutcome loadSeriesFromFile(const QString &path, std::uint8_t address, int fromDate, int toDate,
                                   SeriesModel &model, std::array<SeriesData, SeriesCount> &data);

} // namespace k71t
