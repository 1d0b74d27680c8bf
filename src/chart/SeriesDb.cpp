#include "chart/SeriesDb.h"

#include "archive/DataLine.h"
#include "common/DateFormats.h"

#include <charconv>
#include <cmath>
#include <cfloat>
#include <mysql.h>

namespace k71t {

namespace {

constexpr int TableColumns = 14;
constexpr float Unreadable = 2.0e20f;

// A field's text as a float: a decimal number within the float range.
bool floatField(const char *text, unsigned long length, float &out)
{
    if (!text || length == 0)
        return false;
    double v = 0;
    const auto [end, error] = std::from_chars(text, text + length, v, std::chars_format::general);
    if (error != std::errc() || end != text + length || !std::isfinite(v) || std::fabs(v) > FLT_MAX)
        return false;
    out = static_cast<float>(v);
    return true;
}

// A missing (NULL) field reads as empty.
QByteArrayView fieldView(const char *text, unsigned long length)
{
    return text ? QByteArrayView(text, static_cast<qsizetype>(length)) : QByteArrayView();
}

} // namespace

QByteArray buildSeriesQuery(const QString &table, int address, int device, const QDate &from, const QDate &to)
{
    const QByteArray f = dateText(from).toLatin1(), t = dateText(to).toLatin1();
    return "select * from " + table.toUtf8() + " " + " where ADDR=" + QByteArray::number(address) +
           " and dev=" + QByteArray::number(device) + " and data>=" + "'" + f + "' " + "and data<=" + "'" + t +
           (from == to ? "' order by czas;" : "' order by data;");
}

DbSeriesOutcome loadSeriesFromDatabase(SqlConnection &connection, const QString &table, const SeriesAssignment &series,
                                       const QDate &from, const QDate &to, SeriesStatistics &info, SeriesData &data)
{
    DbSeriesOutcome out;
    MYSQL *h = connection.handle();
    if (!h) {
        out.error = QStringLiteral("brak połączenia z bazą danych");
        return out;
    }
    const QByteArray query = buildSeriesQuery(table, series.address, series.device, from, to);
    if (mysql_real_query(h, query.constData(), static_cast<unsigned long>(query.size())) != 0) {
        out.error = connection.lastError();
        return out;
    }
    MYSQL_RES *result = mysql_store_result(h);
    if (!result) {
        out.error = mysql_errno(h) ? connection.lastError() : QStringLiteral("zapytanie nie zwróciło wierszy");
        return out;
    }
    const unsigned columns = mysql_num_fields(result);
    if (columns != TableColumns) {
        mysql_free_result(result);
        out.result = DbSeriesOutcome::Result::WrongShape;
        out.error = QStringLiteral("tablica ma %1 kolumn zamiast 14").arg(columns);
        return out;
    }
    info = SeriesStatistics{};
    info.minValue = 1.0e20f;
    info.maxValue = -1.0e20f;
    info.average = 0;
    SeriesCounter counter(info);
    data.rows.reserve(data.rows.size() + mysql_num_rows(result));
    while (MYSQL_ROW row = mysql_fetch_row(result)) {
        const unsigned long *lengths = mysql_fetch_lengths(result);
        ++out.rows;
        SeriesRow r{0, 0, {}};
        if (!parseDateKey(fieldView(row[1], lengths[1]), r.dateKey) ||
            !parseTimeKey(fieldView(row[2], lengths[2]), r.timeKey)) {
            ++out.skipped;
            continue;
        }
        bool selectedReadable = true;
        for (int k = 0; k < 10; ++k) {
            if (!floatField(row[4 + k], lengths[4 + k], r.R[k])) {
                r.R[k] = Unreadable;
                if (k == series.registerNo)
                    selectedReadable = false;
            }
        }
        data.rows.push_back(r);
        if (!selectedReadable) {
            ++out.skipped;
            continue;
        }
        const float v = r.R[series.registerNo];
        // In double precision: the float nearest 1.0E+20 lies above it.
        const double d = v;
        if (d > -1.0e20 && d < 1.0e20) {
            data.points.push_back({seriesX(r.dateKey, r.timeKey), d});
            counter.count(v, r.dateKey, r.timeKey);
        }
    }
    counter.finish();
    mysql_free_result(result);
    out.result = DbSeriesOutcome::Result::Loaded;
    return out;
}

DatabaseSeriesLoad::DatabaseSeriesLoad(SqlConnection &connection, const DatabaseSettings &settings)
    : connection_(connection), settings_(settings)
{
}

bool DatabaseSeriesLoad::begin(const QDate &from, const QDate &to, QString *message)
{
    const QString problem = nameProblem(settings_.table, QStringLiteral("tablicy"));
    if (!problem.isEmpty()) {
        *message = problem;
        return false;
    }
    if (!connection_.connect(settings_, message))
        return false;
    from_ = from;
    to_ = to;
    running_ = true;
    next_ = 0;
    problems_.clear();
    skipped_ = 0;
    return true;
}

void DatabaseSeriesLoad::step(SeriesModel &model, SeriesData &loaded)
{
    if (!running_ || next_ >= SeriesCount)
        return;
    const int s = next_++;
    const SeriesAssignment &w = model.series[static_cast<std::size_t>(s)];
    if (!w.on())
        return;
    QString message;
    if (!connection_.connected() && !connection_.connect(settings_, &message)) {
        problems_ << QStringLiteral("Seria %1: %2").arg(s + 1).arg(message);
        return;
    }
    const DbSeriesOutcome out = loadSeriesFromDatabase(connection_, settings_.table, w, from_, to_,
                                                       model.statistics[static_cast<std::size_t>(s)], loaded);
    if (out.result != DbSeriesOutcome::Result::Loaded)
        problems_ << QStringLiteral("Seria %1: %2").arg(s + 1).arg(out.error);
    skipped_ += out.skipped;
}

QString DatabaseSeriesLoad::finish()
{
    connection_.disconnect();
    running_ = false;
    QString status = QStringLiteral("Pobieranie danych z bazy danych...Zakończono");
    if (skipped_ > 0)
        status += QStringLiteral("   Pominięto wierszy z nieczytelnymi polami: %1").arg(skipped_);
    if (!problems_.isEmpty())
        status += QStringLiteral("   ") + problems_.join(QStringLiteral("; "));
    return status;
}

} // namespace k71t
