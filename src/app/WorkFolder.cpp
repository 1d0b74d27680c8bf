#include "app/WorkFolder.h"

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
    for (qsizetype i = 1; i < arguments.size() && out.error.isEmpty(); ++i) {
        const QString &a = arguments.at(i);
        if (a == QLatin1String("--help") || a == QLatin1String("-h"))
            out.help = true;
        else if (a == QLatin1String("--version"))
            out.version = true;
        else if (a == QLatin1String("--user-workdir"))
            setFolder(userWorkFolder(environment), a);
        else if (a == QLatin1String("--workdir"))
            setFolder(i + 1 < arguments.size() ? arguments.at(++i) : QString(), a);
        else if (a.startsWith(QLatin1String("--workdir=")))
            setFolder(a.mid(10), QStringLiteral("--workdir"));
        else
            out.error = QStringLiteral("Nieznany argument: %1").arg(a);
    }
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
