// k71t-cli: reads and writes the K71T meter's registers from a terminal.
#include "Cli.h"
#include "common/Clock.h"
#include "common/ProcessSettings.h"

#include <QCoreApplication>
#include <cstdio>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    k71t::applyProcessSettings();
    QStringList args = app.arguments();
    args.removeFirst();
    QString out, err;
    const k71t::SystemClock clock;
    // Lines that come over time (watch) are printed at once.
    const int status = k71t::runCli(args, clock, out, err, [](const QString &line) {
        std::fputs(line.toUtf8().constData(), stdout);
        std::fflush(stdout);
    });
    std::fputs(out.toUtf8().constData(), stdout);
    std::fputs(err.toUtf8().constData(), stderr);
    return status;
}
