#include "automat/TaskRun.h"

#include "db/ArchiveTable.h"

#include <QDir>

namespace k71t {

ArchiveTaskRunner::ArchiveTaskRunner(MeterLink &meter, RecordStore &store, const QString &archivesDirectory,
                                     const Clock &clock, SqlConnection &database, const DatabaseSettings &sql)
    : meter_(meter), store_(store), directory_(archivesDirectory), database_(database), sql_(sql),
      download_(meter.link, meter.image, store), job_(download_, store, meter.image, clock)
{
    job_.databaseStep = [this](int n, int address, QString *report) {
        const StoreOutcome out =
            exportArchiveToDatabase(database_, sql_, store_, n, static_cast<std::uint8_t>(address));
        database_.disconnect();
        if (!out.ok())
            *report = storeReport(out);
        return out.ok();
    };
}

bool ArchiveTaskRunner::run(std::uint8_t address, bool toDatabase, TaskLog &log)
{
    log.line(QStringLiteral(" Pobieranie archiwum z K71T o adresie:%1").arg(address));
    const std::uint8_t previous = meter_.meterAddress;
    meter_.meterAddress = address;
    ArchiveJobRequest request;
    request.directory = directory_;
    request.meterAddress = address;
    request.deleteAfter = true;
    request.toDatabase = toDatabase;
    const ArchiveJobOutcome outcome = job_.run(request);
    meter_.meterAddress = previous;

    if (outcome.records < 0) {
        log.line(QStringLiteral("Błąd podczas komunikacji z K71T o adresie: %1").arg(address));
        return false;
    }
    if (outcome.records == 0) {
        log.line(QStringLiteral("Archiwum w K71T o adresie: %1 jest puste").arg(address));
        return true;
    }
    const auto saveFailed = [&](const QString &path) {
        log.line(QStringLiteral("Nie udało się zapisać pliku archiwum %1 (%2). Archiwum w K71T nie zostało skasowane%3.")
                     .arg(QDir::toNativeSeparators(path), outcome.saveError,
                          toDatabase ? QStringLiteral(", dane nie zostały umieszczone w bazie danych") : QString()));
        return false;
    };
    if (!outcome.saved())
        return saveFailed(outcome.plannedPath);
    log.line(QStringLiteral("Archiwum pobrane. Pobrano: %1 rekordów.").arg(outcome.records));
    // Records the meter added during the save could not be written too.
    if (outcome.deletion == ArchiveJobOutcome::Deletion::KeptUnsaved)
        return saveFailed(outcome.binPath);
    if (outcome.deletion == ArchiveJobOutcome::Deletion::Deleted)
        log.line(QStringLiteral("Archiwum w K71T skasowane"));
    else
        log.line(QStringLiteral("Próba skasowania archiwum w K71T zakończona błędem"));
    if (outcome.database == ArchiveJobOutcome::Database::Stored) {
        log.line(QStringLiteral("Dane umieszczone w bazie danych"));
    } else if (outcome.database == ArchiveJobOutcome::Database::Failed) {
        log.line(QStringLiteral("Błąd podczas zapisu do bazy danych"));
        for (const QString &part : outcome.databaseReport.split(QLatin1Char('\n')))
            log.line(part);
    }
    return true;
}

} // namespace k71t
