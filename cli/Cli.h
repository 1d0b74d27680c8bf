#pragma once
// k71t-cli: the meter link from a terminal or a cron job.
#include <QString>
#include <QStringList>
#include <functional>

namespace k71t {

class Clock;

// Exit status of the command-line tool.
enum CliStatus { CliOk = 0, CliMeterFailed = 1, CliUsage = 2 };

// Runs one command line (without the program name). What the tool prints
// goes to `out` and `err`; the result is the exit status.
int runCli(const QStringList &args, QString &out, QString &err);
// Receives output a line at a time as it is made (watch runs without end).
using CliLineSink = std::function<void(const QString &line)>;

// The same with the clock that dates files and times downloads; with a line
// sink, the lines of `watch` go there as they come instead of into `out`;
// with a progress sink, a bulk transfer's progress goes there ("\r" and the
// count while it runs, "\n" at the end).
int runCli(const QStringList &args, const Clock &clock, QString &out, QString &err,
           const CliLineSink &lineSink = {}, const CliLineSink &progress = {});

} // namespace k71t
