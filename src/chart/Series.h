#pragma once
// The chart's ten series: what each is bound to (a meter, a device and a
// register, with a name), the statistics of what was loaded into it, and the
// assignments kept in series.conf.
#include <QByteArray>
#include <QString>
#include <array>
#include <cstdint>

namespace k71t {

constexpr int SeriesCount = 10;

struct SeriesAssignment {
    std::uint8_t address = 0; // 1 .. 247; 0: the series is off
    std::uint8_t device = 0;  // DEV0 .. DEV9
    std::uint8_t registerNo = 0; // R0 .. R9
    QString name;
    bool on() const { return address != 0; }
    bool operator==(const SeriesAssignment &) const = default;
};

// Statistics of the values counted in a series; the starting values say
// nothing has been counted. Sum and count are kept in double precision, so
// the average of hundreds of thousands of values does not drift.
struct SeriesStatistics {
    float minValue = 2.0e20f;
    float maxValue = -2.0e20f;
    float average = 2.0e20f;
    QString minTime = QStringLiteral("Brak danych");
    QString maxTime = QStringLiteral("Brak danych");
    std::uint32_t pointCount = 0;
    double sum = 0;

    // Counts one value: a new minimum at or below the one so far and a new
    // maximum at or above it take this row's time (the last extreme wins).
    void count(float value, const QString &time);
    bool operator==(const SeriesStatistics &) const = default;
};

// Counts a load's values into a series' statistics with the same rules as
// SeriesStatistics::count, formatting the minimum's and maximum's times once at
// the end instead of at every new extreme.
class SeriesCounter {
public:
    explicit SeriesCounter(SeriesStatistics &info);
    void count(float value, int dateKey, int timeKey);
    // Writes the extremes' times and the average into the statistics.
    void finish();

private:
    SeriesStatistics *info_;
    std::int64_t minAt_ = -1, maxAt_ = -1; // date key * 1000000 + time key of a new extreme
};

// "Seria 1" .. "Seria 10".
QString defaultSeriesName(int series);

struct SeriesModel {
    SeriesModel();
    std::array<SeriesAssignment, SeriesCount> series;
    std::array<SeriesStatistics, SeriesCount> statistics;

    // Every assignment back to its defaults ("Usuń powiązania serii").
    void unlink();
    // Every statistic back to its starting values ("Wyczyść wykres").
    void clearStatistics();
};

// "Seria1: Hala K71T Adres: 5 Urządzenie: DEV2": the table page's label.
QString seriesDescription(const SeriesModel &model, int series);

// A value as the table and the information window show it: fixed point with
// six digits after the point, rounded to six significant digits; scientific
// ("2.00000E+20") when the integer part needs more than six digits.
QString formatSeriesValue(float value);

// The information window's text: per series that is on its name, meter,
// device, register, minimum and maximum with their times, average and count;
// "Seria N jest wyłączona." for one that is off; each followed by an empty
// line, 31 hyphens and an empty line.
QString chartInfoText(const SeriesModel &model);

// The text of series.conf: a TAB, then for each series its address, device,
// register and name, each followed by a TAB (Windows-1250).
QByteArray seriesConfText(const SeriesModel &model);
// Reads the assignments from a file's bytes: at the first number field that
// is empty, not a decimal integer or out of its range (address above 247,
// device or register above 9) reading stops; what was read before it stays.
// False when it stopped early.
bool parseSeriesConf(const QByteArray &bytes, SeriesModel &model);
// A name as it can be stored: TAB, CR and LF would break the file.
QString storableSeriesName(const QString &name);

constexpr qint64 SeriesConfMaxSize = 1 << 20;
// A missing, unreadable or oversized file changes nothing (false).
bool loadSeriesConf(const QString &path, SeriesModel &model);
bool saveSeriesConf(const QString &path, const SeriesModel &model, QString *error = nullptr);

} // namespace k71t
