// k71t-cli monthly: the monthly archive from a terminal.
#include "CliParts.h"
#include "archive/MonthlyArchive.h"

#include <QDir>
#include <QFileInfo>

namespace k71t {

int runMonthly(const QStringList &command, QString &out, QString &err)
{
    const QString syntax = QStringLiteral("monthly KATALOG --out KATALOG_DOCELOWY");
    if (command.size() != 4 || command.at(2) != QLatin1String("--out"))
        return usage(err, syntax);
    const QString source = QDir::cleanPath(QFileInfo(command.at(1)).absoluteFilePath()) + QLatin1Char('/');
    const QString destination = command.at(3);
    const QString prefix = monthlyFilePrefix(source);
    if (prefix.isEmpty()) {
        err += QStringLiteral("k71t-cli: Nieprawidłowy katalog danych. (%1: oczekiwano .../ARCHIVES/RRRR/MM/)\n")
                   .arg(command.at(1));
        return CliMeterFailed;
    }
    if (!QFileInfo(destination).isDir()) {
        err += QStringLiteral("k71t-cli: katalog docelowy %1 nie istnieje\n").arg(destination);
        return CliMeterFailed;
    }
    const MonthlyOutcome o = createMonthlyArchive(source, destination, prefix);
    if (!o.error.isEmpty()) {
        err += QStringLiteral("k71t-cli: archiwum miesięczne nie zostało utworzone, stare pliki pozostały bez "
                              "zmian: %1\n")
                   .arg(o.error);
        return CliMeterFailed;
    }
    if (!o.wrote) {
        err += QStringLiteral("k71t-cli: Brak danych. (plików dziennych: %1)\n").arg(o.dailyFiles);
        return CliMeterFailed;
    }
    for (int d = 0; d < MonthlyDevices; ++d)
        if (o.lines[static_cast<std::size_t>(d)] > 0)
            out += QStringLiteral("%1\t%2\n")
                       .arg(QDir(destination).filePath(monthlyFileName(prefix, d)),
                            QString::number(o.lines[static_cast<std::size_t>(d)]));
    out += QStringLiteral("Plików dziennych: %1. Pominięto wierszy: z brakiem wartości (E+020) %2, bez numeru "
                          "urządzenia %3")
               .arg(o.dailyFiles)
               .arg(o.droppedNoValue)
               .arg(o.droppedDevice);
    if (o.droppedLong > 0)
        out += QStringLiteral(", dłuższych niż 1 MiB %1").arg(o.droppedLong);
    out += QLatin1Char('\n');
    return CliOk;
}

} // namespace k71t
