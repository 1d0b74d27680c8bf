// k71t-cli's archive commands: download from the meter, export of a .bin file.
#include "CliParts.h"

#include "archive/ArchiveFiles.h"
#include "archive/ArchiveJob.h"
#include "common/Clock.h"
#include "link/MeterLink.h"

#include <QDir>
#include <memory>

namespace k71t
{

std::atomic<bool> StopSignals::requested{false};

namespace {
extern "C" void onStopSignal(int)
{
    StopSignals::requested = true;
}
} // namespace

StopSignals::StopSignals()
{
    requested = false;
    struct sigaction sa {};
    sa.sa_handler = onStopSignal;
    sigemptyset(&sa.sa_mask);
    sigaction(SIGINT, &sa, &oldInt_);
    sigaction(SIGTERM, &sa, &oldTerm_);
    struct sigaction ignore {};
    ignore.sa_handler = SIG_IGN;
    sigemptyset(&ignore.sa_mask);
    sigaction(SIGPIPE, &ignore, &oldPipe_);
}

StopSignals::~StopSignals()
{
    sigaction(SIGINT, &oldInt_, nullptr);
    sigaction(SIGTERM, &oldTerm_, nullptr);
    sigaction(SIGPIPE, &oldPipe_, nullptr);
}

int runDownload(const Options &o, const QString &sqlConf, const Clock &clock, QString &out, QString &err,
                const CliLineSink &progress)
{
    const QString syntax = QStringLiteral("download --out KATALOG [--delete] [--db]");
    QString dir;
    bool erase = false, toDatabase = false;
    for (int i = 1; i < o.command.size(); ++i) {
        if (o.command.at(i) == QLatin1String("--out") && i + 1 < o.command.size())
            dir = o.command.at(++i);
        else if (o.command.at(i) == QLatin1String("--delete"))
            erase = true;
        else if (o.command.at(i) == QLatin1String("--db"))
            toDatabase = true;
        else
            return usage(err, syntax);
    }
    if (dir.isEmpty())
        return usage(err, syntax);
    if (!QDir(dir).exists()) {
        err += QStringLiteral("k71t-cli: brak katalogu %1\n").arg(dir);
        return CliMeterFailed;
    }
    DatabaseSettings database;
    if (toDatabase && !loadSqlConf(sqlConf, database, err))
        return CliMeterFailed;

    MeterLink l;
    if (!openLink(o, l, err))
        return CliMeterFailed;
    auto store = std::make_unique<RecordStore>();
    ArchiveDownload download(l.link, l.image, *store);
    // Ctrl+C ends the download at its next page: nothing is saved and the
    // meter keeps its archive.
    const StopSignals stopSignals;
    download.stopRequested = [] { return StopSignals::requested.load(); };
    ArchiveJob job(download, *store, l.image, clock);
    SqlConnection connection;
    const StoreProgress shown = progressOn(progress, QStringLiteral("Dodawanie rekordów do bazy danych"));
    job.databaseStep = [&](int n, int address, QString *report) {
        const bool stored = storeDownloadedArchive(connection, database, *store, n, address, report, shown);
        if (progress)
            progress(QStringLiteral("\n"));
        return stored;
    };
    ArchiveJobRequest request;
    request.directory = dir;
    request.meterAddress = o.address;
    // Rows stored from a meter that keeps its archive would be stored again
    // after the next download: like the archive window, the database clears.
    request.deleteAfter = erase || toDatabase;
    request.toDatabase = toDatabase;
    const ArchiveJobOutcome outcome = job.run(request);
    int status = CliOk;
    for (const ArchiveJobStep &step : describeOutcome(outcome)) {
        switch (step.kind) {
        case ArchiveJobStep::Kind::DownloadFailed:
            err += QStringLiteral("k71t-cli: Błąd transmisji lub urządzenie nie podłączone\n");
            return CliMeterFailed;
        case ArchiveJobStep::Kind::Stopped:
            if (!step.path.isEmpty())
                out += step.path + QLatin1Char('\n');
            err += QStringLiteral("k71t-cli: Pobieranie przerwane.%1\n")
                       .arg(step.path.isEmpty() ? QString() : QStringLiteral(" Archiwum w K71T nie zostało skasowane."));
            return CliMeterFailed;
        case ArchiveJobStep::Kind::Empty: err += QStringLiteral("k71t-cli: Archiwum jest puste\n"); return CliOk;
        case ArchiveJobStep::Kind::Downloaded:
            out += step.path + QLatin1Char('\n') + downloadStatistics(outcome.records, outcome.seconds) +
                   QLatin1Char('\n');
            break;
        case ArchiveJobStep::Kind::SaveFailed:
            err += QStringLiteral("k71t-cli: nie można zapisać %1: %2; archiwum w K71T nie zostało skasowane\n")
                       .arg(step.path, step.reason);
            return CliMeterFailed;
        case ArchiveJobStep::Kind::Deleted: break;
        case ArchiveJobStep::Kind::DeleteFailed:
            err += QStringLiteral("k71t-cli: Kasowanie archiwum nie powiodło się.\n");
            status = CliMeterFailed;
            break;
        case ArchiveJobStep::Kind::Stored: out += QStringLiteral("Dane umieszczone w bazie danych\n"); break;
        case ArchiveJobStep::Kind::StoreFailed:
            err += QStringLiteral("k71t-cli: Błąd podczas zapisu do bazy danych: %1\n")
                       .arg(QString(step.reason).replace(QLatin1Char('\n'), QLatin1Char(' ')));
            status = CliMeterFailed;
            break;
        }
    }
    return status;
}

int runExport(const QStringList &command, const Clock &clock, QString &out, QString &err)
{
    const QString syntax = QStringLiteral(
        "export PLIK.bin PLIK.dat --from RRRR-MM-DD --to RRRR-MM-DD [--from-time GG:MM:SS --to-time GG:MM:SS]");
    if (command.size() < 3)
        return usage(err, syntax);
    const QString bin = command.at(1);
    const QString dat = command.at(2);
    RangeOptions range;
    if (const int status = parseRange(command.mid(3), syntax, range, err); status != CliOk)
        return status;
    if (!range.given)
        return usage(err, syntax);
    const int start = range.start, stop = range.stop, tstart = range.tstart, tstop = range.tstop;
    auto store = std::make_unique<RecordStore>();
    const int n = loadArchive(bin, *store, err);
    if (n < 1)
        return CliMeterFailed;
    QString error;
    int rows = 0;
    if (!exportDat(dat, *store, n, start, stop, tstart, tstop, clock.now(), &error, &rows)) {
        err += QStringLiteral("k71t-cli: nie można zapisać %1: %2\n").arg(datFileName(dat), error);
        return CliMeterFailed;
    }
    out += datFileName(dat) + QStringLiteral("\nZapisano wierszy: %1\n").arg(rows);
    return CliOk;
}

} // namespace k71t
