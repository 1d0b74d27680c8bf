#pragma once
// Loading a chart series from the archive table: the statement for one
// meter, device and date range, and its rows turned into the series'
// points, table rows and statistics (which start afresh for the series).
#include "chart/SeriesLoad.h"
#include "db/SqlConnection.h"

#include <QByteArray>
#include <QDate>
#include <QStringList>

namespace k71t {

// "select * from K71T  where ADDR=5 and dev=2 and data>='2013-09-01' and
// data<='2013-09-16' order by data;" (two blanks after the table's name;
// "order by czas;" when both dates are one day).
QByteArray buildSeriesQuery(const QString &table, int address, int device, const QDate &from, const QDate &to);

struct DbSeriesOutcome {
    enum class Result { Loaded, Refused, WrongShape };
    Result result = Result::Refused;
    QString error;   // the server's text (Refused) or the column count (WrongShape)
    int rows = 0;    // rows the server delivered
    int skipped = 0; // rows with an unreadable date, time or register: not charted, not counted
};

// Runs series w's statement on an open connection. A refused statement or
// a result without fourteen columns leaves the series and its statistics as
// they were. Otherwise the statistics start afresh (minimum 1.0E+20,
// maximum -1.0E+20, average 0, no times, no count) and every row with a
// readable date and time becomes a table row (an unreadable value, NULL or
// text, shows the no-value marker 2.0E+20); the rows whose selected register
// lies in (-1.0E+20, 1.0E+20) become points and are counted.
DbSeriesOutcome loadSeriesFromDatabase(SqlConnection &connection, const QString &table, const SeriesAssignment &series,
                                       const QDate &from, const QDate &to, SeriesStatistics &info, SeriesData &data);

// A chart load from the archive table, one series a step, so the window
// repaints between series: begin() connects, each step() loads the next
// series (nothing for one that is off), finish() closes the connection and
// says what happened. A refused statement, a table of another shape, a lost
// connection and rows with unreadable fields do not stop the load; they are
// told at its end.
class DatabaseSeriesLoad
{
public:
    DatabaseSeriesLoad(SqlConnection &connection, const DatabaseSettings &settings);

    // Checks the table's name (no statement goes out with a name the
    // settings would refuse) and connects; false with the reason in `message`.
    bool begin(const QDate &from, const QDate &to, QString *message);
    bool running() const { return running_; }
    // The series the next step loads; SeriesCount when none is left.
    int nextSeries() const { return next_; }
    // Loads the next series of `model` into `loaded` (its statistics start
    // afresh when its statement returned a table of the right shape).
    void step(SeriesModel &model, SeriesData &loaded);
    // Closes the connection and ends the load; the status-bar text.
    QString finish();

private:
    SqlConnection &connection_;
    const DatabaseSettings &settings_;
    QDate from_, to_;
    bool running_ = false;
    int next_ = 0;
    QStringList problems_;
    int skipped_ = 0;
};

} // namespace k71t
