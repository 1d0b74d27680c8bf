#include "archive/ArchiveJob.h"

#include "archive/ArchiveFiles.h"
#include "common/DateFormats.h"

#include <QDir>

namespace {
// Looks at the meter's archive before it is cleared, at most.
constexpr int CatchUpRounds = 10;
} // namespace

namespace k71t {

ArchiveJob::ArchiveJob(ArchiveDownload &download, RecordStore &store, RegisterImage &image, const Clock &clock)
    : download_(download), store_(store), image_(image), clock_(clock)
{
}

ArchiveJobOutcome ArchiveJob::run(const ArchiveJobRequest &request)
{
    // The download, the save and the delete are one operation on the link.
    const ModbusLink::Session session(download_.link());
    ArchiveJobOutcome outcome;
    store_.count = 0;
    const QTime started = clock_.now().time();
    const int n = download_.downloadAll();
    const QDateTime ended = clock_.now();
    outcome.seconds = secondsBetween(started, ended.time());
    outcome.records = n;
    outcome.failure = download_.failure();
    store_.count = n;
    if (n <= 0)
        return outcome;

    // The file comes first: the meter is cleared only once the records are
    // safely on disk, under a name no other file has.
    QDir(request.directory).mkpath(QStringLiteral("."));
    outcome.plannedPath = QDir(request.directory).filePath(binFileName(ended, request.meterAddress));
    outcome.binPath = saveNewBin(outcome.plannedPath, store_, n, image_, &outcome.saveError);
    const bool toDatabase = request.toDatabase && databaseStep;
    const auto told = [&] {
        if (onStepDone)
            onStepDone(outcome);
    };
    // Records not (all) on disk: the meter keeps them, nor do they go into
    // the database now (the next download brings them again).
    const auto keptUnsaved = [&] {
        if (request.deleteAfter && outcome.deletion != ArchiveJobOutcome::Deletion::Stopped)
            outcome.deletion = ArchiveJobOutcome::Deletion::KeptUnsaved;
        if (toDatabase)
            outcome.database = ArchiveJobOutcome::Database::Skipped;
        told();
        return outcome;
    };
    if (!outcome.saved())
        return keptUnsaved();
    told();
    if (request.deleteAfter) {
        outcome.deletion = deleteWhenSaved(outcome);
        if (outcome.deletion == ArchiveJobOutcome::Deletion::KeptUnsaved ||
            outcome.deletion == ArchiveJobOutcome::Deletion::Stopped)
            return keptUnsaved();
        told();
    }
    if (toDatabase) {
        outcome.database = databaseStep(outcome.records, request.meterAddress, &outcome.databaseReport)
                               ? ArchiveJobOutcome::Database::Stored
                               : ArchiveJobOutcome::Database::Failed;
        told();
    }
    return outcome;
}

std::vector<ArchiveJobStep> describeOutcome(const ArchiveJobOutcome &outcome)
{
    using Kind = ArchiveJobStep::Kind;
    using Deletion = ArchiveJobOutcome::Deletion;
    using Database = ArchiveJobOutcome::Database;
    if (outcome.records < 0 && outcome.failure == ArchiveDownload::Failure::Stopped)
        return {{Kind::Stopped, {}, {}}};
    if (outcome.records < 0)
        return {{Kind::DownloadFailed, {}, {}}};
    if (outcome.records == 0)
        return {{Kind::Empty, {}, {}}};
    std::vector<ArchiveJobStep> steps;
    const auto saveFailed = [&](const QString &path) {
        ArchiveJobStep step{Kind::SaveFailed, path, outcome.saveError};
        step.deletionAsked = outcome.deletion != Deletion::NotAsked;
        step.databaseSkipped = outcome.database == Database::Skipped;
        steps.push_back(step);
        return steps;
    };
    if (!outcome.saved())
        return saveFailed(outcome.plannedPath);
    steps.push_back({Kind::Downloaded, outcome.binPath, {}});
    // Records the meter added while the file was written could not be written too.
    if (outcome.deletion == Deletion::KeptUnsaved)
        return saveFailed(outcome.binPath);
    if (outcome.deletion == Deletion::Stopped) {
        ArchiveJobStep step{Kind::Stopped, outcome.binPath, {}};
        step.deletionAsked = true;
        step.databaseSkipped = outcome.database == Database::Skipped;
        steps.push_back(step);
        return steps;
    }
    if (outcome.deletion == Deletion::Deleted)
        steps.push_back({Kind::Deleted, {}, {}});
    else if (outcome.deletion == Deletion::Failed)
        steps.push_back({Kind::DeleteFailed, {}, {}});
    if (outcome.database == Database::Stored)
        steps.push_back({Kind::Stored, {}, {}});
    else if (outcome.database == Database::Failed)
        steps.push_back({Kind::StoreFailed, {}, outcome.databaseReport});
    return steps;
}

ArchiveJobOutcome::Deletion ArchiveJob::deleteWhenSaved(ArchiveJobOutcome &outcome)
{
    // The meter goes on archiving while the file is written: what it added
    // since the last pass is fetched and saved before its archive is cleared,
    // until a look at its archive finds nothing new. Only the moment between
    // that look and the delete command stays open.
    const auto stopped = [this] { return download_.stopRequested && download_.stopRequested(); };
    for (int round = 0; round < CatchUpRounds; ++round) {
        if (stopped()) // the file is there; the meter keeps its archive
            return ArchiveJobOutcome::Deletion::Stopped;
        const int n = download_.downloadContinuation(outcome.records);
        if (n < 0) // the records read are in the file; the meter keeps its archive
            return download_.failure() == ArchiveDownload::Failure::Stopped ? ArchiveJobOutcome::Deletion::Stopped
                                                                             : ArchiveJobOutcome::Deletion::Failed;
        if (download_.lastPassEmpty() && stopped())
            return ArchiveJobOutcome::Deletion::Stopped;
        if (download_.lastPassEmpty())
            return download_.deleteArchive() ? ArchiveJobOutcome::Deletion::Deleted
                                             : ArchiveJobOutcome::Deletion::Failed;
        outcome.records = n;
        store_.count = n;
        if (!saveBin(outcome.binPath, store_, n, image_, &outcome.saveError))
            return ArchiveJobOutcome::Deletion::KeptUnsaved;
    }
    // The meter adds records faster than they can be fetched: it keeps them.
    return ArchiveJobOutcome::Deletion::Failed;
}

} // namespace k71t
