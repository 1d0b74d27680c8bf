#include "chart/Series.h"

#include "common/DateFormats.h"
#include "common/SafeFile.h"
#include "common/TextFormats.h"

#include <QStringList>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace k71t {

void SeriesStatistics::count(float value, const QString &time)
{
    if (value <= minValue) {
        minValue = value;
        minTime = time;
    }
    if (value >= maxValue) {
        maxValue = value;
        maxTime = time;
    }
    ++pointCount;
    sum += value;
    average = static_cast<float>(sum / pointCount);
}

SeriesCounter::SeriesCounter(SeriesStatistics &info) : info_(&info) {}

void SeriesCounter::count(float value, int dateKey, int timeKey)
{
    const std::int64_t at = static_cast<std::int64_t>(dateKey) * 1000000 + timeKey;
    if (value <= info_->minValue) {
        info_->minValue = value;
        minAt_ = at;
    }
    if (value >= info_->maxValue) {
        info_->maxValue = value;
        maxAt_ = at;
    }
    ++info_->pointCount;
    info_->sum += value;
}

void SeriesCounter::finish()
{
    char text[32];
    if (minAt_ >= 0) {
        const int length = writeDateTimeKeys(static_cast<int>(minAt_ / 1000000), static_cast<int>(minAt_ % 1000000), ' ', text);
        info_->minTime = QString::fromLatin1(text, length);
    }
    if (maxAt_ >= 0) {
        const int length = writeDateTimeKeys(static_cast<int>(maxAt_ / 1000000), static_cast<int>(maxAt_ % 1000000), ' ', text);
        info_->maxTime = QString::fromLatin1(text, length);
    }
    if (info_->pointCount > 0)
        info_->average = static_cast<float>(info_->sum / info_->pointCount);
    minAt_ = maxAt_ = -1;
}

QString defaultSeriesName(int series)
{
    return QStringLiteral("Seria %1").arg(series + 1);
}

SeriesModel::SeriesModel()
{
    unlink();
}

void SeriesModel::unlink()
{
    for (int s = 0; s < SeriesCount; ++s)
        series[static_cast<std::size_t>(s)] = SeriesAssignment{0, 0, 0, defaultSeriesName(s)};
}

void SeriesModel::clearStatistics()
{
    statistics.fill(SeriesStatistics{});
}

QString seriesDescription(const SeriesModel &model, int s)
{
    const SeriesAssignment &w = model.series[static_cast<std::size_t>(s)];
    // One arg() call: a "%3" in the name stays as typed.
    return QStringLiteral("Seria%1: %2 K71T Adres: %3 Urządzenie: DEV%4")
        .arg(QString::number(s + 1), w.name, QString::number(w.address), QString::number(w.device));
}

QString formatSeriesValue(float value)
{
    char text[64];
    std::snprintf(text, sizeof text, "%.5E", static_cast<double>(value));
    const double rounded = std::strtod(text, nullptr);
    if (std::fabs(rounded) >= 1e6 || !std::isfinite(rounded))
        return QString::fromLatin1(text);
    std::snprintf(text, sizeof text, "%.6f", rounded == 0 ? 0.0 : rounded);
    return QString::fromLatin1(text);
}

QString chartInfoText(const SeriesModel &model)
{
    QStringList lines;
    for (int s = 0; s < SeriesCount; ++s) {
        const SeriesAssignment &w = model.series[static_cast<std::size_t>(s)];
        const SeriesStatistics &i = model.statistics[static_cast<std::size_t>(s)];
        if (w.on()) {
            lines << QStringLiteral("Seria %1").arg(s + 1) << QStringLiteral("Nazwa: ") + w.name
                  << QStringLiteral("Adres K71T: %1   Urządzenie: DEV%2   Rejestr: R%3")
                         .arg(w.address)
                         .arg(w.device)
                         .arg(w.registerNo)
                  << QStringLiteral("MIN: ") + formatSeriesValue(i.minValue) + QStringLiteral("   Czas: ") + i.minTime
                  << QStringLiteral("MAX: ") + formatSeriesValue(i.maxValue) + QStringLiteral("   Czas: ") + i.maxTime
                  << QStringLiteral("Średnia: ") + formatSeriesValue(i.average)
                  << QStringLiteral("Liczba punktów: %1").arg(i.pointCount);
        } else {
            lines << QStringLiteral("Seria %1 jest wyłączona.").arg(s + 1);
        }
        lines << QString() << QString(31, QLatin1Char('-')) << QString();
    }
    return lines.join(QLatin1Char('\n'));
}

QByteArray seriesConfText(const SeriesModel &model)
{
    QByteArray out("\t");
    for (const SeriesAssignment &w : model.series)
        out += QByteArray::number(w.address) + '\t' + QByteArray::number(w.device) + '\t' +
               QByteArray::number(w.registerNo) + '\t' + toWindows1250(storableSeriesName(w.name)) + '\t';
    return out;
}

bool parseSeriesConf(const QByteArray &bytes, SeriesModel &model)
{
    TabFields fields(bytes);
    for (SeriesAssignment &w : model.series) {
        if (!smallNumberField(fields.next(), 247, w.address) || !smallNumberField(fields.next(), 9, w.device) ||
            !smallNumberField(fields.next(), 9, w.registerNo))
            return false;
        w.name = storableSeriesName(fromWindows1250(fields.next()));
    }
    return true;
}

QString storableSeriesName(const QString &name)
{
    QString out = name;
    out.remove(QLatin1Char('\t')).remove(QLatin1Char('\r')).remove(QLatin1Char('\n'));
    return out;
}

bool loadSeriesConf(const QString &path, SeriesModel &model)
{
    QByteArray bytes;
    if (!readSmallFile(path, SeriesConfMaxSize, bytes))
        return false;
    return parseSeriesConf(bytes, model);
}

bool saveSeriesConf(const QString &path, const SeriesModel &model, QString *error)
{
    return writeFileSafely(path, seriesConfText(model), error);
}

} // namespace k71t
