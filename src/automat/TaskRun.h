#pragma once
// A scheduled task's run on the real meter: the archive job (download, .bin
// file on disk, the meter cleared only then, the rows into the database when
// asked), with every step in the task log. A run never asks the operator:
// file and database failures go to the log with their reasons.
#include "archive/ArchiveJob.h"
#include "automat/Scheduler.h"
#include "db/SqlConnection.h"
#include "link/MeterLink.h"

namespace k71t {

class ArchiveTaskRunner : public TaskRunner {
public:
    // `meter` is the link bundle whose meter address a run sets and restores;
    // records go to `store`, files to `archivesDirectory`.
    ArchiveTaskRunner(MeterLink &meter, RecordStore &store, const QString &archivesDirectory, const Clock &clock,
                      SqlConnection &database, const DatabaseSettings &sql);

    bool run(std::uint8_t address, bool toDatabase, TaskLog &log) override;

    ArchiveDownload &download() { return download_; }

private:
    MeterLink &meter_;
    RecordStore &store_;
    QString directory_;
    SqlConnection &database_;
    const DatabaseSettings &sql_;
    ArchiveDownload download_;
    ArchiveJob job_;
};

} // namespace k71t
