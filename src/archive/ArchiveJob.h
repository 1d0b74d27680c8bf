#pragma once
// One archive job: download the whole archive, save it as a new .bin file
// flushed to disk, clear the meter only once the file is there, and hand the
// records to the database. The archive window, the command-line tool and the
// scheduler all run this; none repeats the sequence.
#include "archive/Download.h"
#include "common/Clock.h"

#include <QString>
#include <functional>
#include <vector>

namespace k71t {

struct ArchiveJobRequest {
    QString directory;        // where the .bin file goes
    int meterAddress = 1;     // part of the file name
    bool deleteAfter = false; // clear the meter's archive once the file is on disk
    bool toDatabase = false;  // run the database step
};

struct ArchiveJobOutcome {
    // Records downloaded: more than 0, 0 for an empty archive, -1 when the
    // download failed (`failure` says where).
    int records = 0;
    ArchiveDownload::Failure failure = ArchiveDownload::Failure::None;
    // Seconds the download took, by the program's clock.
    int seconds = 0;

    // The .bin file written (complete and on disk), or empty with the reason;
    // the name it was to have (a taken name gets a "_2" ... suffix).
    QString binPath;
    QString plannedPath;
    QString saveError;
    bool saved() const { return !binPath.isEmpty(); }

    enum class Deletion {
        NotAsked,
        Deleted,
        Failed,       // the meter did not acknowledge the delete command
        KeptUnsaved,  // not sent: the records are not on disk
        Stopped,      // not sent: the job was stopped after the file was written
    };
    Deletion deletion = Deletion::NotAsked;

    // Skipped: asked for, but the records are not (all) on disk, so the meter
    // keeps them for the next download and storing them now would store
    // them twice.
    enum class Database { NotAsked, Stored, Failed, Skipped };
    Database database = Database::NotAsked;
    // What the database step reported when it failed.
    QString databaseReport;
};

// What became of a job, fact by fact in the order they are told: the one
// description the archive window, the task log and the command-line tool
// each put into their own words.
struct ArchiveJobStep {
    enum class Kind {
        DownloadFailed, // nothing downloaded (the outcome's failure says where)
        Stopped,        // stopped before the meter was cleared: after Downloaded the file stays, else nothing was saved
        Empty,          // the meter's archive is empty
        Downloaded,     // the records are in `path`
        SaveFailed,     // `path` could not be written whole (`reason`): the meter keeps its archive
        Deleted,        // the meter's archive was cleared
        DeleteFailed,   // the meter's archive could not be cleared
        Stored,         // the records are in the database
        StoreFailed,    // the database did not take them all (`reason` is its report)
    };
    Kind kind;
    QString path;
    QString reason;
    // SaveFailed, Stopped: the meter was to be cleared, and the records were
    // to go into the database; neither happened.
    bool deletionAsked = false;
    bool databaseSkipped = false;
};

// DownloadFailed, Stopped or Empty alone; else Downloaded (unless the file was never
// written), a SaveFailed or Stopped that ends the story, then what became of the
// meter's archive (when its clearing was asked) and of the database step
// (when it ran).
std::vector<ArchiveJobStep> describeOutcome(const ArchiveJobOutcome &outcome);

class ArchiveJob {
public:
    ArchiveJob(ArchiveDownload &download, RecordStore &store, RegisterImage &image, const Clock &clock);

    // Runs the job. The store holds the records afterwards and its
    // count is the outcome's record count.
    ArchiveJobOutcome run(const ArchiveJobRequest &request);

    // The database step: stores `records` records of the store for the meter
    // at `address`; true on success, else false with the one report of what
    // went wrong. Asked for only when set.
    std::function<bool(int records, int address, QString *report)> databaseStep;
    // Told the outcome so far as each step finishes (the file written or
    // not, the meter cleared or not, the database step done), so a log can
    // hold every finished step even when the process ends in the next one.
    // describeOutcome of each outcome told begins with the steps of the one
    // before.
    std::function<void(const ArchiveJobOutcome &soFar)> onStepDone;

private:
    ArchiveJobOutcome::Deletion deleteWhenSaved(ArchiveJobOutcome &outcome);

    ArchiveDownload &download_;
    RecordStore &store_;
    RegisterImage &image_;
    const Clock &clock_;
};

} // namespace k71t
