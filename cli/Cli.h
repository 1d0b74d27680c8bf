#pragma once
// k71t-cli: the meter link from a terminal or a cron job.
#include <QString>
#include <QStringList>

namespace k71t {

class Clock;

// Exit status of the command-line tool.
enum CliStatus { CliOk = 0, CliMeterFailed = 1, CliUsage = 2 };

// Runs one command line (without the program name). What the tool prints
// goes to `out` and `err`; the result is the exit status.
int runCli(const QStringList &args, QString &out, QString &err);
// The same with the clock that dates files and times downloads.
int runCli(const QStringList &args, const Clock &clock, QString &out, QString &err);

} // namespace k71t
