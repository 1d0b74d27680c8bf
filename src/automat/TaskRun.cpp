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
        return storeDownloadedArchive(database_, sql_, store_, n, address, report);
    };
}

namespace {

// The log line of one step; false when the step ends the run in failure.
bool logStep(const ArchiveJobStep &step, const ArchiveJobOutcome &outcome, std::uint8_t address, TaskLog &log)
{
    switch (step.kind) {
    case ArchiveJobStep::Kind::DownloadFailed:
        log.line(QStringLiteral("Błąd podczas komunikacji z K71T o adresie: %1").arg(address));
        return false;
    case ArchiveJobStep::Kind::Stopped:
        log.line(step.path.isEmpty() ? QStringLiteral("Pobieranie przerwane.")
                                     : QStringLiteral("Pobieranie przerwane. Archiwum w K71T nie zostało skasowane."));
        return false;
    case ArchiveJobStep::Kind::Empty:
        log.line(QStringLiteral("Archiwum w K71T o adresie: %1 jest puste").arg(address));
        return true;
    case ArchiveJobStep::Kind::Downloaded:
        log.line(QStringLiteral("Archiwum pobrane. Pobrano: %1 rekordów.").arg(outcome.records));
        return true;
    case ArchiveJobStep::Kind::SaveFailed:
        log.line(QStringLiteral("Nie udało się zapisać pliku archiwum %1 (%2). Archiwum w K71T nie zostało "
                                "skasowane%3.")
                     .arg(QDir::toNativeSeparators(step.path), step.reason,
                          step.databaseSkipped ? QStringLiteral(", dane nie zostały umieszczone w bazie danych")
                                               : QString()));
        return false;
    case ArchiveJobStep::Kind::Deleted: log.line(QStringLiteral("Archiwum w K71T skasowane")); return true;
    case ArchiveJobStep::Kind::DeleteFailed:
        log.line(QStringLiteral("Próba skasowania archiwum w K71T zakończona błędem"));
        return true;
    case ArchiveJobStep::Kind::Stored: log.line(QStringLiteral("Dane umieszczone w bazie danych")); return true;
    case ArchiveJobStep::Kind::StoreFailed:
        log.line(QStringLiteral("Błąd podczas zapisu do bazy danych"));
        for (const QString &part : step.reason.split(QLatin1Char('\n')))
            log.line(part);
        return true;
    }
    return true;
}

} // namespace

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
    // Each step is in the log as soon as it is done: the file first.
    std::size_t logged = 0;
    bool ok = true;
    const auto logNewSteps = [&](const ArchiveJobOutcome &soFar) {
        const std::vector<ArchiveJobStep> steps = describeOutcome(soFar);
        for (; logged < steps.size(); ++logged)
            ok = logStep(steps[logged], soFar, address, log) && ok;
    };
    job_.onStepDone = logNewSteps;
    const ArchiveJobOutcome outcome = job_.run(request);
    job_.onStepDone = nullptr;
    meter_.meterAddress = previous;
    logNewSteps(outcome); // a download that failed or found nothing
    return ok;
}

} // namespace k71t
