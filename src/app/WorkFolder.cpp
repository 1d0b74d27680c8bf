#include "app/WorkFolder.h"

#include "common/CommandLine.h"
#include "common/SystemErrors.h"

#include <QDir>
#include <QFileInfo>
#include <cerrno>

namespace k71t {

QString userWorkFolder(const QProcessEnvironment &environment)
{
    const QString data = environment.value(QStringLiteral("XDG_DATA_HOME"));
    if (!data.isEmpty() && QDir::isAbsolutePath(data))
        return QDir::cleanPath(data + QStringLiteral("/k71t"));
    const QString home = environment.value(QStringLiteral("HOME"), QDir::homePath());
    return QDir::cleanPath(home + QStringLiteral("/.local/share/k71t"));
}

ProgramArguments parseProgramArguments(const QStringList &arguments, const QProcessEnvironment &environment)
{
    const CommandLine line = readCommandLine({valueOption(QStringLiteral("workdir"), QStringLiteral("KATALOG")),
                                              switchOption({QStringLiteral("user-workdir")}),
                                              switchOption({QStringLiteral("help"), QStringLiteral("h")}),
                                              switchOption({QStringLiteral("version")})},
                                             arguments.mid(1));
    ProgramArguments out;
    bool folderGiven = false;
    auto setFolder = [&](const QString &folder, const QString &option) {
        if (folderGiven) {
            out.error = QStringLiteral("Opcje --workdir i --user-workdir można podać tylko raz.");
            return;
        }
        folderGiven = true;
        if (folder.isEmpty())
            out.error = QStringLiteral("Opcja %1 wymaga nazwy katalogu.").arg(option);
        else
            out.workFolder = folder;
    };
    for (const GivenOption &o : line.options) {
        if (o.name == QLatin1String("help"))
            out.help = true;
        else if (o.name == QLatin1String("version"))
            out.version = true;
        else if (o.name == QLatin1String("user-workdir"))
            setFolder(userWorkFolder(environment), QStringLiteral("--user-workdir"));
        else
            setFolder(o.value, QStringLiteral("--workdir"));
        if (!out.error.isEmpty())
            return out;
    }
    if (line.problem == CommandLine::Problem::MissingValue)
        out.error = QStringLiteral("Opcja %1 wymaga nazwy katalogu.").arg(line.culprit);
    else if (line.problem == CommandLine::Problem::UnknownOption)
        out.error = QStringLiteral("Nieznany argument: %1").arg(line.culprit);
    else if (!line.words.isEmpty())
        out.error = QStringLiteral("Nieznany argument: %1").arg(line.words.constFirst());
    return out;
}

bool enterWorkFolder(const QString &folder, QString *error)
{
    const QFileInfo info(folder);
    if (info.exists() && !info.isDir()) {
        if (error)
            *error = QStringLiteral("%1: to nie jest katalog").arg(folder);
        return false;
    }
    if (!info.exists() && !QDir().mkpath(folder)) {
        if (error)
            *error = QStringLiteral("%1: nie można utworzyć katalogu").arg(folder);
        return false;
    }
    if (!QDir::setCurrent(folder)) {
        const int code = errno;
        if (error)
            *error = QStringLiteral("%1: %2").arg(folder, systemErrorText(code));
        return false;
    }
    return true;
}

QString programHelpText()
{
    return QStringLiteral(
        "Użycie: k71t [--workdir KATALOG | --user-workdir] [opcje Qt]\n"
        "\n"
        "Program do konfiguracji, obserwacji i pobierania archiwum wskaźnika K71T\n"
        "(Modbus RTU przez port szeregowy).\n"
        "\n"
        "Pliki ustawień (def.k71t, uart.cfg, ports.conf, sql.conf, auto.conf,\n"
        "series.conf, def.slo) i dziennik automat.log są w katalogu roboczym:\n"
        "domyślnie w bieżącym katalogu.\n"
        "  --workdir KATALOG  pracuj w KATALOGU (tworzonym, gdy go nie ma)\n"
        "  --user-workdir     pracuj w katalogu użytkownika $XDG_DATA_HOME/k71t\n"
        "                     (domyślnie ~/.local/share/k71t, tworzonym, gdy go nie ma)\n"
        "  --help             wypisz ten opis i zakończ\n"
        "  --version          wypisz wersję i zakończ\n"
        "\n"
        "Porty COM1 .. COM8 wskazują pliki urządzeń: domyślnie /dev/ttyS0 .. /dev/ttyS7,\n"
        "inne według ports.conf w katalogu roboczym (wiersze COMn=ścieżka)\n"
        "i zmiennych środowiska K71T_COMn.\n");
}

} // namespace k71t
