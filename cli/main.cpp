// k71t-cli: reads and writes the K71T meter's registers from a terminal.
#include "Cli.h"
#include "common/Clock.h"
#include "common/ProcessSettings.h"

#include <QCoreApplication>
#include <cstdio>
#include <unistd.h>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    k71t::applyProcessSettings();
    QStringList args = app.arguments();
    args.removeFirst();
    QString out, err;
    const k71t::SystemClock clock;
    // Lines that come over time (watch) are printed at once; the progress of
    // a transfer only on a terminal, where "\r" redraws it in place.
    const auto progress = [](const QString &text) {
        std::fputs(text.toUtf8().constData(), stderr);
        std::fflush(stderr);
    };
    const int status = k71t::runCli(
        args, clock, out, err,
        [](const QString &line) {
            std::fputs(line.toUtf8().constData(), stdout);
            std::fflush(stdout);
        },
        isatty(STDERR_FILENO) ? k71t::CliLineSink(progress) : k71t::CliLineSink());
    std::fputs(out.toUtf8().constData(), stdout);
    std::fputs(err.toUtf8().constData(), stderr);
    return status;
}
