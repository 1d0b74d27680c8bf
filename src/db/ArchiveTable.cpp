#include "db/ArchiveTable.h"

#include "common/TextFormats.h"

#include <QDate>
#include <QStringList>
#include <cstdio>
#include <mysql.h>

namespace k71t {

namespace {

QByteArray quotedName(const QString &name)
{
    return '`' + name.toUtf8() + '`';
}

// How the table takes rows: in transactions, and the highest address its
// ADDR column holds (a table made elsewhere may have a signed one).
struct TableTraits {
    bool transactional = true;
    int maxAddress = 255;
};

TableTraits traitsOf(SqlConnection &c, const DatabaseSettings &p)
{
    TableTraits t;
    const QByteArray q = "SELECT t.ENGINE, c.COLUMN_TYPE FROM information_schema.TABLES t JOIN "
                         "information_schema.COLUMNS c ON c.TABLE_SCHEMA = t.TABLE_SCHEMA AND c.TABLE_NAME = "
                         "t.TABLE_NAME WHERE t.TABLE_SCHEMA = DATABASE() AND t.TABLE_NAME = '" +
                         p.table.toUtf8() + "' AND c.COLUMN_NAME = 'ADDR'";
    if (mysql_real_query(c.handle(), q.constData(), static_cast<unsigned long>(q.size())) != 0)
        return t;
    if (MYSQL_RES *r = mysql_store_result(c.handle())) {
        if (MYSQL_ROW row = mysql_fetch_row(r)) {
            t.transactional = row[0] && QByteArray(row[0]).compare("InnoDB", Qt::CaseInsensitive) == 0;
            const QByteArray type = QByteArray(row[1] ? row[1] : "").toLower();
            if (type.startsWith("tinyint") && !type.contains("unsigned"))
                t.maxAddress = 127;
        }
        mysql_free_result(r);
    }
    return t;
}

// A moment the DATE and TIME columns hold as it is: the server would store
// hour 25 as 25:00:00, a time of day no meter records.
bool momentExists(const ExportRow &r)
{
    return QDate::isValid(r.dateKey / 10000, r.dateKey / 100 % 100, r.dateKey % 100) && r.timeKey >= 0 &&
           r.timeKey / 10000 <= 23 && r.timeKey / 100 % 100 <= 59 && r.timeKey % 100 <= 59;
}

QString rowText(const TableRow &t)
{
    const ExportRow &r = t.row;
    return QString::asprintf("%04d-%02d-%02d %02d:%02d:%02d", r.dateKey / 10000, r.dateKey / 100 % 100,
                             r.dateKey % 100, r.timeKey / 10000, r.timeKey / 100 % 100, r.timeKey % 100) +
           QStringLiteral(", urządzenie %1").arg(t.device);
}

} // namespace

QByteArray createTableStatement(const QString &table)
{
    return "CREATE TABLE " + quotedName(table) +
           "(ADDR TINYINT UNSIGNED not null default '1', DATA date not null default '2009-11-27', CZAS time not "
           "null default '00:00:00', DEV  TINYINT UNSIGNED not null default '0', R0 float not null default "
           "'1E+20',R1 float not null default '1E+20', R2 float not null default '1E+20', R3 float not null "
           "default '1E+20', R4 float not null default '1E+20', R5 float not null default '1E+20', R6 float not "
           "null default '1E+20', R7 float not null default '1E+20', R8 float not null default '1E+20', R9 float "
           "not null default '1E+20')";
}

QByteArray rowValues(const TableRow &t)
{
    const ExportRow &r = t.row;
    char head[64];
    std::snprintf(head, sizeof head, "('%u','%04d-%02d-%02d','%02d:%02d:%02d','%u'", t.address, r.dateKey / 10000,
                  r.dateKey / 100 % 100, r.dateKey % 100, r.timeKey / 10000, r.timeKey / 100 % 100, r.timeKey % 100,
                  t.device);
    QByteArray out(head);
    for (float v : r.R)
        out += ",'" + formatGeneral15(static_cast<double>(v)) + '\'';
    return out + ')';
}

QByteArray insertStatement(const QString &table, const QByteArray &values)
{
    return "INSERT INTO " + quotedName(table) + " VALUES" + values;
}

bool createArchiveTable(SqlConnection &c, const DatabaseSettings &p, QString *message)
{
    if (!c.connect(p, message))
        return false;
    QString error;
    if (!c.execute(createTableStatement(p.table), &error, false)) {
        if (message)
            *message = QStringLiteral("Nie udało się utworzyć tablicy. Odpowiedź serwera: ") + error;
        return false;
    }
    return true;
}

StoreOutcome storeRows(SqlConnection &c, const DatabaseSettings &p, std::span<const TableRow> rows, StorePath path,
                       const std::function<void(int)> &progress)
{
    StoreOutcome out;
    out.total = static_cast<int>(rows.size());
    if (rows.empty())
        return out;
    const TableTraits traits = traitsOf(c, p);
    for (const TableRow &r : rows) {
        if (r.address > traits.maxAddress) {
            out.firstFailure = QStringLiteral("Kolumna ADDR tablicy %1 nie przyjmuje adresu %2 (typ ze znakiem); "
                                              "nic nie zostało zapisane.")
                                   .arg(p.table)
                                   .arg(r.address);
            out.stoppedEarly = true;
            return out;
        }
    }
    // The reason first, then the row: its moment and device.
    const auto fail = [&](const TableRow &r, const QString &error) {
        if (out.firstFailure.isEmpty())
            out.firstFailure = error + QStringLiteral("\nWiersz: ") + rowText(r);
    };
    // One statement a row; false when the connection is gone. Inside a
    // transaction each (the rows of a refused batch), so a row the server
    // only warns about is rolled back instead of stored changed. A table
    // without transactions cannot take such a row back: it is stored, and
    // counted as stored with changed values.
    const auto perRow = [&](std::span<const TableRow> part, bool inTransactions) {
        for (const TableRow &r : part) {
            if (!momentExists(r.row)) {
                fail(r, QStringLiteral("niemożliwa data lub godzina"));
                continue;
            }
            QString error;
            bool stored;
            if (inTransactions) {
                stored = c.execute("START TRANSACTION", &error) &&
                         c.execute(insertStatement(p.table, rowValues(r)), &error) && c.execute("COMMIT", &error);
                if (!stored && !c.connectionLost())
                    c.execute("ROLLBACK", nullptr, false);
            } else {
                stored = c.execute(insertStatement(p.table, rowValues(r)), &error, false);
                if (stored && mysql_warning_count(c.handle()) > 0)
                    ++out.changed;
            }
            if (stored)
                ++out.stored;
            else if (c.connectionLost()) {
                fail(r, error);
                return false;
            } else
                fail(r, error);
        }
        return true;
    };
    const bool batched = path == StorePath::Batched && traits.transactional;
    const std::size_t step = batched ? BatchRows : 1;
    for (std::size_t at = 0; at < rows.size(); at += step) {
        const auto part = rows.subspan(at, std::min(step, rows.size() - at));
        bool goOn;
        if (!batched) {
            goOn = perRow(part, false);
        } else {
            QByteArray values;
            values.reserve(static_cast<qsizetype>(part.size()) * 200);
            bool allExist = true;
            for (const TableRow &r : part) {
                allExist = allExist && momentExists(r.row);
                if (!values.isEmpty())
                    values += ',';
                values += rowValues(r);
            }
            QString error;
            if (!allExist) {
                goOn = perRow(part, true); // the impossible moments are refused one by one
            } else if (c.execute("START TRANSACTION", &error) && c.execute(insertStatement(p.table, values), &error) &&
                       c.execute("COMMIT", &error)) {
                out.stored += static_cast<int>(part.size());
                goOn = true;
            } else if (c.connectionLost()) {
                fail(part.front(), error);
                goOn = false;
            } else {
                // Refused as a whole: the rows that fail are found one by one.
                c.execute("ROLLBACK", nullptr, false);
                goOn = perRow(part, true);
            }
        }
        if (progress)
            progress(static_cast<int>(at + part.size()));
        if (!goOn) {
            out.stoppedEarly = true;
            return out;
        }
    }
    return out;
}

std::vector<TableRow> archiveTableRows(const RecordStore &store, int count, std::uint8_t address,
                                       const ArchiveRange *range)
{
    std::vector<TableRow> out;
    std::vector<ExportRow> rows;
    const int start = range ? range->fromDate : 0, stop = range ? range->toDate : 99999999;
    const bool oneDay = range && range->fromDate == range->toDate;
    for (int d = 0; d < 10; ++d) {
        buildExportRows(store, count, d, start, stop, rows, TableNoValue);
        for (const ExportRow &r : rows) {
            if (oneDay && (r.timeKey < range->fromTime || r.timeKey > range->toTime))
                continue;
            out.push_back(TableRow{address, static_cast<std::uint8_t>(d), r});
        }
    }
    return out;
}

StoreOutcome connectAndStore(SqlConnection &c, const DatabaseSettings &p, std::span<const TableRow> rows,
                             AfterStore after, StorePath path, const StoreProgress &progress)
{
    StoreOutcome out;
    out.total = static_cast<int>(rows.size());
    const bool wasOpen = c.connected();
    if (!rows.empty()) {
        QString message;
        if (!c.connect(p, &message)) {
            out.firstFailure = message;
            out.stoppedEarly = true;
            return out;
        }
        const int total = out.total;
        out = storeRows(c, p, rows, path, [&](int done) {
            if (progress)
                progress(done, total);
        });
    }
    if (after == AfterStore::Disconnect || !wasOpen)
        c.disconnect();
    return out;
}

StoreOutcome exportArchiveToDatabase(SqlConnection &c, const DatabaseSettings &p, const RecordStore &store, int count,
                                     std::uint8_t address, const StoreProgress &progress)
{
    return connectAndStore(c, p, archiveTableRows(store, count, address), AfterStore::KeepOpen, StorePath::Batched,
                           progress);
}

StoreOutcome exportArchiveRangeToDatabase(SqlConnection &c, const DatabaseSettings &p, const RecordStore &store,
                                          int count, const ArchiveRange &range, std::uint8_t address,
                                          const StoreProgress &progress)
{
    return connectAndStore(c, p, archiveTableRows(store, count, address, &range), AfterStore::Disconnect,
                           StorePath::Batched, progress);
}

bool storeDownloadedArchive(SqlConnection &c, const DatabaseSettings &p, const RecordStore &store, int records,
                            int address, QString *report, const StoreProgress &progress)
{
    const StoreOutcome out =
        exportArchiveToDatabase(c, p, store, records, static_cast<std::uint8_t>(address), progress);
    c.disconnect();
    if ((!out.ok() || out.changed > 0) && report)
        *report = storeReport(out);
    return out.ok();
}

QString storeReport(const StoreOutcome &o)
{
    QString text = QStringLiteral("Zapisano %1 z %2 wierszy.").arg(o.stored).arg(o.total);
    if (!o.firstFailure.isEmpty())
        text += QStringLiteral("\nPierwszy błąd: ") + o.firstFailure;
    if (o.changed > 0)
        text += QStringLiteral("\nSerwer zmienił wartości w %1 zapisanych wierszach (ostrzeżenia; tablica bez "
                               "transakcji nie może ich cofnąć).")
                    .arg(o.changed);
    return text;
}

} // namespace k71t
