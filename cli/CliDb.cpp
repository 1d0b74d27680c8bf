// k71t-cli db: the archive table from a terminal, with the settings of
// sql.conf (the working folder's, or the one --sql-conf names).
#include "CliParts.h"

#include "db/ArchiveTable.h"
#include "db/DataImport.h"
#include "common/SafeFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cstdio>
#include <memory>

namespace k71t {

namespace {

QString settingsPath(const QString &named)
{
    return named.isEmpty() ? QDir::current().filePath(QStringLiteral("sql.conf")) : named;
}

// The outcome of a store in the tool's words; the exit status.
int reportStore(const StoreOutcome &o, const DatabaseSettings &p, QString &out, QString &err,
                const CliLineSink &progress)
{
    if (progress && o.total > 0)
        progress(QStringLiteral("\n"));
    out += QStringLiteral("Zapisano w tablicy %1 wierszy: %2 z %3\n").arg(p.table, QString::number(o.stored), QString::number(o.total));
    if (o.ok() && o.changed == 0)
        return CliOk;
    err += QStringLiteral("k71t-cli: %1\n").arg(storeReport(o));
    return o.ok() ? CliOk : CliMeterFailed;
}

// The first line of a file, of standard input ("-") or of a pipe, read as
// it comes (a pipe has no size); at most 4096 bytes.
bool readFirstLine(const QString &path, QByteArray &line)
{
    QFile file;
    const bool opened = path == QLatin1String("-") ? file.open(stdin, QIODevice::ReadOnly)
                                                   : (file.setFileName(path), file.open(QIODevice::ReadOnly));
    if (!opened)
        return false;
    line.clear();
    while (!line.contains('\n') && line.size() <= 4096) {
        const QByteArray more = file.read(4097 - line.size());
        if (more.isEmpty())
            break;
        line += more;
    }
    return line.size() <= 4096 || line.indexOf('\n') >= 0;
}

QString describe(const SqlConf &s)
{
    const DatabaseSettings &p = s.params;
    return QStringLiteral("serwer\t%1\nport\t%2\nbaza\t%3\ntablica\t%4\nużytkownik\t%5\nhasło\t%6\n"
                          "kompresja\t%7\nobsługa bazy\t%8\n")
        .arg(p.server, QString::number(p.port), p.database, p.table, p.user,
             p.password.isEmpty() ? QString() : QStringLiteral("***"),
             p.compression ? QStringLiteral("tak") : QStringLiteral("nie"),
             s.enabled ? QStringLiteral("włączona") : QStringLiteral("wyłączona"));
}

// db settings: shows sql.conf, or changes the fields named and writes it.
int runSettings(const QStringList &words, const QString &named, QString &out, QString &err)
{
    const QString syntax = QStringLiteral("db settings [--server NAZWA] [--port N] [--database NAZWA] [--table NAZWA] "
                                          "[--user NAZWA] [--password HASŁO | --password-file PLIK] [--compression 0|1] "
                                          "[--support on|off]");
    const QString path = settingsPath(named);
    SqlConf s;
    if (QFileInfo::exists(path)) {
        QString problem;
        if (const auto loaded = loadSqlConf(path, &problem))
            s = *loaded;
        else if (words.isEmpty())
            err += QStringLiteral("k71t-cli: plik %1 jest uszkodzony lub nieprawidłowy%2; poniżej ustawienia "
                                  "domyślne\n")
                       .arg(QDir::toNativeSeparators(path), problem.isEmpty() ? QString() : QStringLiteral(": ") + problem);
    }
    if (words.isEmpty()) {
        out += describe(s);
        return CliOk;
    }
    for (int i = 0; i < words.size(); i += 2) {
        if (i + 1 >= words.size())
            return usage(err, syntax);
        const QString &key = words.at(i);
        const QString &value = words.at(i + 1);
        QString problem;
        if (key == QLatin1String("--server")) {
            problem = value.isEmpty() ? QStringLiteral("pusta nazwa serwera") : fieldProblem(value, QStringLiteral("Serwer"));
            s.params.server = value;
        } else if (key == QLatin1String("--port")) {
            int port = 0;
            if (!parseInt(value, 1, 65535, port))
                problem = QStringLiteral("błędny port %1 (1-65535)").arg(value);
            s.params.port = static_cast<std::uint16_t>(port);
        } else if (key == QLatin1String("--database")) {
            problem = nameProblem(value, QStringLiteral("bazy danych"));
            s.params.database = value;
        } else if (key == QLatin1String("--table")) {
            problem = nameProblem(value, QStringLiteral("tablicy"));
            s.params.table = value;
        } else if (key == QLatin1String("--user")) {
            problem = value.isEmpty() ? QStringLiteral("pusta nazwa użytkownika")
                                      : fieldProblem(value, QStringLiteral("Użytkownik"));
            s.params.user = value;
        } else if (key == QLatin1String("--password") || key == QLatin1String("--password-file")) {
            // From a file, the password stays off the command line (and out
            // of the process list): its first line.
            QString password = value;
            if (key == QLatin1String("--password-file")) {
                QByteArray bytes;
                if (!readFirstLine(value, bytes))
                    return usage(err, QStringLiteral("nie można odczytać pliku %1").arg(value));
                password = QString::fromUtf8(bytes.left(bytes.indexOf('\n') < 0 ? bytes.size() : bytes.indexOf('\n')))
                               .remove(QLatin1Char('\r'));
            }
            problem = fieldProblem(password, QStringLiteral("Hasło"));
            s.params.password = password;
        } else if (key == QLatin1String("--compression") && (value == QLatin1String("0") || value == QLatin1String("1"))) {
            s.params.compression = value == QLatin1String("1") ? 1 : 0;
        } else if (key == QLatin1String("--support") && (value == QLatin1String("on") || value == QLatin1String("off"))) {
            s.enabled = value == QLatin1String("on");
        } else {
            return usage(err, syntax);
        }
        if (!problem.isEmpty())
            return usage(err, problem);
    }
    QString error;
    if (!saveSqlConf(path, s, &error)) {
        err += QStringLiteral("k71t-cli: nie można zapisać %1: %2\n").arg(QDir::toNativeSeparators(path), error);
        return CliMeterFailed;
    }
    out += describe(s);
    return CliOk;
}

} // namespace

StoreProgress progressOn(const CliLineSink &progress, const QString &what)
{
    if (!progress)
        return {};
    return [progress, what](int done, int total) {
        progress(QStringLiteral("\r%1 %2/%3").arg(what).arg(done).arg(total));
    };
}

// The settings to use; false with the reason in `err`.
bool loadSqlConf(const QString &named, DatabaseSettings &params, QString &err)
{
    const QString path = settingsPath(named);
    if (!QFileInfo::exists(path)) {
        err += named.isEmpty()
                   ? QStringLiteral("k71t-cli: brak pliku %1 (ustawienia bazy danych zapisuje okno \"MySQL\" "
                                    "programu K71T); podaj go opcją --sql-conf\n")
                         .arg(QDir::toNativeSeparators(path))
                   : QStringLiteral("k71t-cli: brak pliku %1\n").arg(QDir::toNativeSeparators(path));
        return false;
    }
    QString problem;
    const auto settings = loadSqlConf(path, &problem);
    if (!settings) {
        err += QStringLiteral("k71t-cli: nie można użyć ustawień z pliku %1: %2\n")
                   .arg(QDir::toNativeSeparators(path),
                        problem.isEmpty() ? QStringLiteral("plik jest uszkodzony") : problem);
        return false;
    }
    params = settings->params;
    return true;
}

int runDb(const QStringList &command, const QString &sqlConf, QString &out, QString &err,
          const CliLineSink &progress)
{
    const QString syntax = QStringLiteral("db settings [...] | db create-table | db store PLIK.bin [--address N] [--from RRRR-MM-DD "
                                          "--to RRRR-MM-DD [--from-time GG:MM:SS --to-time GG:MM:SS]] | "
                                          "db import PLIK.dat --address N");
    const QString what = command.value(1);
    if (what == QLatin1String("settings"))
        return runSettings(command.mid(2), sqlConf, out, err);
    if (what == QLatin1String("create-table")) {
        if (command.size() != 2)
            return usage(err, syntax);
        DatabaseSettings p;
        if (!loadSqlConf(sqlConf, p, err))
            return CliMeterFailed;
        SqlConnection c;
        QString message;
        if (!createArchiveTable(c, p, &message)) {
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
        DatabaseSettings p;
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
            range.given ? exportArchiveRangeToDatabase(c, p, *store, n,
                                                       ArchiveRange{range.start, range.stop, range.tstart, range.tstop},
                                                       a, shown)
                        : exportArchiveToDatabase(c, p, *store, n, a, shown);
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
        DatabaseSettings p;
        if (!loadSqlConf(sqlConf, p, err))
            return CliMeterFailed;
        SqlConnection c;
        const ImportOutcome o = importDataFile(c, p, command.at(2), static_cast<std::uint8_t>(address),
                                               progressOn(progress, QStringLiteral("Import danych")));
        if (o.missing) {
            err += QStringLiteral("k71t-cli: nie można odczytać %1\n").arg(command.at(2));
            return CliMeterFailed;
        }
        if (o.lines == 0 && o.refused.count == 0 && o.store.ok()) {
            out += QStringLiteral("Plik %1 nie zawiera wierszy danych; nic nie zapisano w bazie danych.\n")
                       .arg(command.at(2));
            return CliOk;
        }
        const int status = reportStore(o.store, p, out, err, progress);
        if (o.refused.count == 0)
            return status;
        err += QStringLiteral("k71t-cli: %1\n").arg(o.refused.report());
        return CliMeterFailed;
    }
    return usage(err, syntax);
}

} // namespace k71t
