#pragma once
// What the command groups of k71t-cli share: the usage error, numbers and
// date ranges from the command line, and an archive file read in.
#include "Cli.h"
#include "archive/ArchiveRecord.h"
#include "db/ArchiveTable.h"
#include "db/DatabaseSettings.h"

#include <QString>
#include <QStringList>
#include <atomic>
#include <csignal>

namespace k71t {

class Clock;
struct MeterLink;

// The global options and the command words.
struct Options {
    QString device;
    int port = -1;
    int address = 1;
    int speedIndex = 7;
    int modeKind = 1;
    bool speedGiven = false, modeGiven = false;
    QStringList command;
};

// SIGINT and SIGTERM, while one lives, set `requested` instead of ending the
// process: a download ends at its next page, `tasks run` after the task in
// hand. A closed standard output (`tasks run | head -1`) ends nothing: what
// would be written goes on into the files.
struct StopSignals {
    StopSignals();
    ~StopSignals();
    StopSignals(const StopSignals &) = delete;
    StopSignals &operator=(const StopSignals &) = delete;
    static std::atomic<bool> requested;

private:
    struct sigaction oldInt_ {}, oldTerm_ {}, oldPipe_ {};
};

// Opens the port named by the options; false with the reason in `err`.
// Without --device and --port, the working folder's line: uart.cfg's port,
// mode and speed (--mode and --speed still win), as the program takes them.
bool openLink(const Options &o, MeterLink &link, QString &err);

// Writes the reason and the hint to --help into `err`; returns CliUsage.
int usage(QString &err, const QString &why);
// A decimal integer in [low, high].
bool parseInt(const QString &text, int low, int high, int &out);

// The options --from, --to, --from-time and --to-time (and --address when
// `address` is set) as date and time keys: both dates or none, times only
// with dates, counting only within a single day.
struct RangeOptions {
    bool given = false;
    int start = 0, stop = 0, tstart = 0, tstop = 235959;
    int *address = nullptr;
};
int parseRange(const QStringList &words, const QString &syntax, RangeOptions &range, QString &err);

// Loads a .bin file; its record count, or less than 1 with the reason in `err`.
int loadArchive(const QString &bin, RecordStore &store, QString &err);

// The meter commands: read START COUNT | write START VALUE... (by range:
// 16-bit registers or floats), status, clock sync | set, watch.
int runRegisters(const Options &o, QString &out, QString &err);
int runStatus(const Options &o, QString &out, QString &err);
int runClock(const Options &o, const Clock &clock, QString &out, QString &err);
int runWatch(const Options &o, const Clock &clock, QString &out, QString &err, const CliLineSink &line);

// download --out DIR [--delete] [--db]: the archive job; export BIN DAT
// with a date range: a .bin file into a .dat export.
int runDownload(const Options &o, const QString &sqlConf, const Clock &clock, QString &out, QString &err,
                const CliLineSink &progress);
int runExport(const QStringList &command, const Clock &clock, QString &out, QString &err);

// config read FILE | config write FILE --yes: the bulk transfer.
int runConfig(const Options &o, QString &out, QString &err, const CliLineSink &progress);

// tasks list | tasks run [--delay S]: the scheduled downloads of auto.conf.
int runTasks(const Options &o, const QString &sqlConf, const Clock &clock, QString &out, QString &err,
             const CliLineSink &lineSink);

// The database settings of ./sql.conf or of the file --sql-conf names;
// false with the reason in `err`.
bool loadSqlConf(const QString &named, DatabaseSettings &params, QString &err);

// A store's progress on the terminal ("\rWHAT DONE/TOTAL"); nothing without a sink.
StoreProgress progressOn(const CliLineSink &progress, const QString &what);

// The database commands: db create-table | store | import.
int runDb(const QStringList &command, const QString &sqlConf, QString &out, QString &err,
          const CliLineSink &progress);

// monthly SOURCE --out DIR: the memory card's daily files of one month into
// one file per device.
int runMonthly(const QStringList &command, QString &out, QString &err);

} // namespace k71t
