// k71t-cli db: the archive table from a terminal, with the settings of
// sql.conf (the working folder's, or the one --sql-conf names).
#include "CliParts.h"

#include "db/ArchiveTable.h"
#include "db/DataImport.h"

#include <QDir>
#include <QFileInfo>
#include <memory>

namespace k71t {

namespace {

// The settings to use; false with the reason in `err`.
bool loadSqlConf(const QString &named, SQL_PARAMS &params, QString &err)
{
    const QString path = named.isEmpty() ? QDir::current().filePath(QStringLiteral("sql.conf")) : named;
    if (!QFileInfo::exists(path)) {
        err += named.isEmpty()
                   ? QStringLiteral("k71t-cli: brak pliku %1 (ustawienia bazy danych zapisuje okno \"MySQL\" "
                                    "programu K71T); podaj go opcją --sql-conf\n")
                         .arg(QDir::toNativeSeparators(path))
                   : QStringLiteral("k71t-cli: brak pliku %1\n").arg(QDir::toNativeSeparators(path));
        return false;
    }
    QString problem;
    const auto settings = LoadSettings(path, &problem);
    if (!settings) {
        err += QStringLiteral("k71t-cli: nie można użyć ustawień z pliku %1: %2\n")
                   .arg(QDir::toNativeSeparators(path),
                        problem.isEmpty() ? QStringLiteral("plik jest uszkodzony") : problem);
        return false;
    }
    params = settings->params;
    return true;
}

StoreProgress progressOn(const CliLineSink &progress, const QString &what)
{
    if (!progress)
        return {};
    return [progress, what](int done, int total) {
        progress(QStringLiteral("\r%1 %2/%3").arg(what).arg(done).arg(total));
    };
}

// The outcome of a store in the tool's words; the exit status.
int reportStore(const StoreOutcome &o, const SQL_PARAMS &p, QString &out, QString &err,
                const CliLineSink &progress)
{
    if (progress && o.total > 0)
        progress(QStringLiteral("\n"));
    out += QStringLiteral("Zapisano w tablicy %1 wierszy: %2 z %3\n").arg(p.table).arg(o.stored).arg(o.total);
    if (o.ok())
        return CliOk;
    err += QStringLiteral("k71t-cli: %1\n").arg(storeReport(o));
    return CliMeterFailed;
}

} // namespace

int runDb(const QStringList &command, const QString &sqlConf, QString &out, QString &err,
          const CliLineSink &progress)
{
    const QString syntax = QStringLiteral("db create-table | db store PLIK.bin [--address N] [--from RRRR-MM-DD "
                                          "--to RRRR-MM-DD [--from-time GG:MM:SS --to-time GG:MM:SS]] | "
                                          "db import PLIK.dat --address N");
    const QString what = command.value(1);
    if (what == QLatin1String("create-table")) {
        if (command.size() != 2)
            return usage(err, syntax);
        SQL_PARAMS p;
        if (!loadSqlConf(sqlConf, p, err))
            return CliMeterFailed;
        SqlConnection c;
        QString message;
        if (!CreateArchiveTable(c, p, &message)) {
            err += QStringLiteral("k71t-cli: %1\n").arg(message);
            return CliMeterFailed;
        }
        out += QStringLiteral("Utworzono tablicę %1 w bazie %2\n").arg(p.table, p.database);
        return CliOk;
    }
    if (what == QLatin1String("store")) {
        if (command.size() < 3)
            return usage(err, syntax);
        int address = 1;
        RangeOptions range;
        range.address = &address;
        if (const int status = parseRange(command.mid(3), syntax, range, err); status != CliOk)
            return status;
        SQL_PARAMS p;
        if (!loadSqlConf(sqlConf, p, err))
            return CliMeterFailed;
        auto store = std::make_unique<RecordStore>();
        const int n = loadArchive(command.at(2), *store, err);
        if (n < 1)
            return CliMeterFailed;
        SqlConnection c;
        const auto a = static_cast<std::uint8_t>(address);
        const StoreProgress shown = progressOn(progress, QStringLiteral("Dodawanie rekordów do bazy danych"));
        const StoreOutcome o =
            range.given ? ExportArchiveRangeToDatabase(c, p, *store, n,
                                                       ArchiveRange{range.start, range.stop, range.tstart, range.tstop},
                                                       a, shown)
                        : ExportArchiveToDatabase(c, p, *store, n, a, shown);
        if (o.total == 0 && o.ok()) {
            out += QStringLiteral("W wybranym zakresie dat nie ma danych; nic nie zapisano w bazie danych.\n");
            return CliOk;
        }
        return reportStore(o, p, out, err, progress);
    }
    if (what == QLatin1String("import")) {
        int address = 0;
        if (command.size() != 5 || command.at(3) != QLatin1String("--address"))
            return usage(err, syntax);
        if (!parseInt(command.at(4), 1, 247, address))
            return usage(err, QStringLiteral("błędny adres %1 (1-247)").arg(command.at(4)));
        SQL_PARAMS p;
        if (!loadSqlConf(sqlConf, p, err))
            return CliMeterFailed;
        SqlConnection c;
        const ImportOutcome o = ImportDataFile(c, p, command.at(2), static_cast<std::uint8_t>(address),
                                               progressOn(progress, QStringLiteral("Import danych")));
        if (o.missing) {
            err += QStringLiteral("k71t-cli: nie można odczytać %1\n").arg(command.at(2));
            return CliMeterFailed;
        }
        if (o.lines == 0) {
            out += QStringLiteral("Plik %1 nie zawiera wierszy danych; nic nie zapisano w bazie danych.\n")
                       .arg(command.at(2));
            return CliOk;
        }
        return reportStore(o.store, p, out, err, progress);
    }
    return usage(err, syntax);
}

} // namespace k71t
