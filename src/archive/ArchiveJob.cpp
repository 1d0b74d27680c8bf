#include "archive/ArchiveJob.h"

#include "archive/ArchiveFiles.h"
#include "common/DateFormats.h"

#include <QDir>

namespace k71t {

ArchiveJob::ArchiveJob(ArchiveDownload &download, RecordStore &store, RegisterImage &image, const Clock &clock)
    : download_(download), store_(store), image_(image), clock_(clock)
{
}

ArchiveJobOutcome ArchiveJob::run(const ArchiveJobRequest &request)
{
    ArchiveJobOutcome outcome;
    store_.RecordCount = 0;
    const QTime started = clock_.now().time();
    const int n = download_.DownloadAll();
    const QDateTime ended = clock_.now();
    outcome.seconds = secondsBetween(started, ended.time());
    outcome.records = n;
    outcome.failure = download_.failure();
    store_.RecordCount = n;
    if (n <= 0)
        return outcome;

    // The file comes first: the meter is cleared only once the records are
    // safely on disk, under a name no other file has.
    QDir(request.directory).mkpath(QStringLiteral("."));
    outcome.plannedPath = QDir(request.directory).filePath(BinFileName(ended, request.meterAddress));
    outcome.binPath = SaveNewBin(outcome.plannedPath, store_, n, image_, &outcome.saveError);
    if (request.deleteAfter) {
        if (!outcome.saved())
            outcome.deletion = ArchiveJobOutcome::Deletion::KeptUnsaved;
        else
            outcome.deletion = download_.DeleteArchive() ? ArchiveJobOutcome::Deletion::Deleted
                                                         : ArchiveJobOutcome::Deletion::Failed;
    }
    if (request.toDatabase && databaseStep)
        outcome.database = databaseStep(n, request.meterAddress) ? ArchiveJobOutcome::Database::Stored
                                                                 : ArchiveJobOutcome::Database::Failed;
    return outcome;
}

} // namespace k71t
